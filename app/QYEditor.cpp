#include "app/QYEditor.h"

#include "app/QYAutoSave.h"
#include "app/QYEntryTree.h"
#include "app/QYJournals.h"
#include "app/QYMain.h"
#include "app/QYProfile.h"
#include "app/QYSettingsPaths.h"

#include "actions/VLActions.h"
#include "richtext/table/VLCellEditor.h"
#include "richtext/table/VLTable.h"
#include "platform/base/DateTime.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Messages.h"
#include "platform/os/ShellOpen.h"
#include "richtext/editor/VellumEdit.h"
#include "richtext/model/VLStyle.h"
#include "richtext/model/VLStyleIni.h"
#include "richtext/rtf/VLRTFImport.h"
#include "richtext/view/VellumVLData.h"

#include <algorithm>
#include <cmath>

bool ClosingEditor = false;

namespace {

TformQuilloryMain* Main() { return formQuilloryMain; }

// The document of a journal shown in an editor window: the entry store's
// operations go to the window's editor.
class TEditorDocument : public TEntryDocument {
public:
  explicit TEditorDocument(TformQuilloryEditor* window) : FWindow(window) {}
  // The window goes before the record: the document refuses to save
  // instead of reaching a window that is no more.
  void Detach() { FWindow = nullptr; }

  void Clear() override {
    if (!FWindow) return;
    TVellumEdit* e = FWindow->QuilloryText;
    e->Clear();
    // The journal's sheet comes back from the styles file before every load.
    if (!StyleFilePath.empty() && !LoadStylesFile(*FWindow->QuilloryStyle))
      QuilloryInitialStyles(*FWindow->QuilloryStyle);
    e->SetCurTextStyleNo(0);
    e->SetCurParaStyleNo(0);
    e->Format();
    CaretItemNo = 0;
    CaretOffset = 0;
    FPlaceCaret = true;
  }
  bool LoadVLF(TStream& stream) override {
    if (!FWindow) return false;
    const bool ok = FWindow->QuilloryText->LoadVLFFromStream(stream);
    FWindow->QuilloryText->Format();
    return ok;
  }
  bool LoadedInPart() override {
    return FWindow && !VLFReadWhole(FWindow->QuilloryText->VLData()->GetVLFWarnings());
  }
  bool LoadRTF(TStream& stream) override {
    if (!FWindow) return false;
    const bool ok = FWindow->QuilloryText->LoadRTFFromStream(stream);
    FWindow->QuilloryText->Format();
    return ok;
  }
  bool SaveVLF(TStream& stream) override {
    if (!FWindow) return false;
    TVellumEdit* e = FWindow->QuilloryText;
    // Text typed in a table cell is in the cell's editor till it closes.
    const TVLInplaceEditorPause pause(*e);
    if (pause.Refused()) return false;
    CaretItemNo = e->CurItemNo();
    CaretOffset = e->OffsetInCurItem();
    if (e->LoadFailed()) {
      // The editor keeps a partly read entry from being saved; the store
      // asked the user and kept the stored text aside before it came here.
      const TOpenJournal* j = FWindow->Journal();
      if (!j || !j->EntryDamaged) return false;
      return e->VLData()->SaveVLFToStream(stream, false, e->GetColor(), e->GetBackgroundBitmap(),
                                          e->GetBackgroundStyle(), nullptr);
    }
    return e->SaveVLFToStream(stream, false);
  }
  void DeleteUnusedStyles() override {
    if (!FWindow) return;
    // Undo and redo records name styles by number: while any editor of the
    // entry keeps a history, unused styles stay (a renumbering would cost
    // that history); the first save after the entry is read again drops them.
    for (auto* e = static_cast<TCustomVellumEdit*>(FWindow->QuilloryText); e;
         e = dynamic_cast<TCustomVellumEdit*>(e->GetInplaceEditor()))
      if (e->EditData()->UndoList->Count() > 0 || e->EditData()->RedoList->Count() > 0) return;
    FWindow->QuilloryText->VLData()->DeleteUnusedStyles(true, true, true);
  }
  TCustomVLData& Shown() override {
    if (!FWindow) return Data;
    return *FWindow->QuilloryText->VLData();
  }
  String Text() const override {
    if (!FWindow) return String();
    TVellumEdit* e = FWindow->QuilloryText;
    String out;
    for (Integer i = 0; i < e->ItemCount(); ++i) {
      if (i > 0 && e->VLData()->IsParaStart(i)) out += "\n";
      out += e->GetItemTextUtf8(i);
    }
    return out;
  }
  void StoreChanged() override {
    if (!FWindow) return;
    TVellumEdit* e = FWindow->QuilloryText;
    e->SetReadOnly(ReadOnly);
    e->Modified = Modified;
    if (FPlaceCaret) {
      FPlaceCaret = false;
      // A blank day gets the empty line typing starts, so its caret shows
      // where the first key will go.
      if (e->ItemCount() == 0 && !ReadOnly) e->EditData()->PrepareEmptyDocument();
      try {
        const Integer item = std::min(CaretItemNo, e->ItemCount() - 1);
        if (item >= 0) e->SetCaret(item, std::clamp(CaretOffset, e->GetItemStartOffset(item), e->GetItemEndOffset(item)));
      } catch (const std::exception&) {
        // A stored caret that no longer fits leaves the caret where it is.
      }
    }
    FWindow->SyncFromDocument();
  }
  std::vector<TCaretStep> CaretPlace() override {
    std::vector<TCaretStep> steps;
    if (!FWindow) return steps;
    TCustomVellumEdit* e = FWindow->QuilloryText;
    while (auto* cell = dynamic_cast<TVLTableInplaceEdit*>(e->GetInplaceEditor())) {
      const Integer table = e->EditData()->GetItemNo(cell->Table);
      if (table < 0) break;
      steps.push_back({table, 1, cell->Row, cell->Col});
      e = cell;
    }
    steps.push_back({e->CurItemNo(), e->OffsetInCurItem()});
    return steps;
  }
  std::shared_ptr<void> HoldView() override {
    if (!FWindow) return nullptr;
    return std::make_shared<TVLEditVLData::THoldView>(*FWindow->QuilloryText->EditData());
  }
  void PlaceCaretAt(const std::vector<TCaretStep>& steps) override {
    if (!FWindow) return;
    TCustomVellumEdit* e = FWindow->QuilloryText;
    // Steps that no longer fit the entry leave the caret at the last one
    // that did.
    try {
      for (const TCaretStep& s : steps) {
        TVLEditVLData& d = *e->EditData();
        if (s.ItemNo < 0 || s.ItemNo >= d.GetItemCount()) return;
        if (s.Row < 0) {
          e->SetCaret(s.ItemNo, std::clamp(s.Offset, d.GetItemStartOffset(s.ItemNo), d.GetItemEndOffset(s.ItemNo)));
          return;
        }
        auto* t = dynamic_cast<TVLTableItemInfo*>(d.GetItem(s.ItemNo));
        if (!t || s.Row >= t->RowCount() || s.Col >= t->ColCount() || !t->GetCell(s.Row, s.Col)) return;
        t->EditCell(s.Row, s.Col);
        if (!t->GetInplaceEditor()) return;
        e = t->GetInplaceEditor();
      }
    } catch (const std::exception&) {
    }
  }

private:
  TformQuilloryEditor* FWindow;
  bool FPlaceCaret = false;
};

}  // namespace

void QuilloryInitialStyles(TVLStyle& sheet) {
  sheet.TextStyles->Clear();
  auto text = [&](const char* name, const char* font, Integer size, TFontStyles style) {
    TFontInfo* s = sheet.TextStyles->Add();
    s->StyleName = name;
    s->FontName = font;
    s->Size = size;
    s->Style = style;
    s->Unicode = true;
    return s;
  };
  text("Quillory Text", "Arial", 12, {});
  text("Heading", "Arial", 14, {fsBold});
  text("Sub Heading", "Arial", 12, {fsBold});
  TFontInfo* stamp = text("Date and Time Stamp Font Style", "Arial Narrow", 12, {fsBold, fsUnderline});
  stamp->Color = clBlue;
  stamp->StyleEx = TVLFontStyles{vlfsOverline, vlfsAllCaps};
  stamp->CharSpacing = 5;
  sheet.ParaStyles->Clear();
  auto para = [&](const char* name) {
    TParaInfo* p = sheet.ParaStyles->Add();
    p->StyleName = name;
    return p;
  };
  para("Quillory Paragraph");
  para("Centered")->Alignment = vlaCenter;
  para("Indented")->LeftIndent = 10;
  TParaInfo* stampPara = para("Date and Time Stamp Paragraph Style");
  stampPara->FirstIndent = 10;
  stampPara->SpaceBefore = 15;
  sheet.ListStyles->Clear();
}

namespace {

// A text style changed takes the styles made from it by the bold, italic
// and underline keys along.
void ReplaceStyle(TFontInfos& target, Integer no, const TFontInfo& source) { target.ChangeWithDerived(no, source); }
void ReplaceStyle(TParaInfos& target, Integer no, const TParaInfo& source) { target.Items(no)->Assign(&source); }

// Each standard style of source replaces the one of that name in target,
// or is added.
template <class Infos>
void CopyStandardInfos(Infos& source, Infos& target) {
  for (Integer i = 0; i < source.Count(); ++i) {
    auto* s = source.Items(i);
    if (!s->Standard) continue;
    Integer found = -1;
    for (Integer k = 0; k < target.Count() && found < 0; ++k)
      if (target.Items(k)->StyleName == s->StyleName) found = k;
    if (found >= 0)
      ReplaceStyle(target, found, *s);
    else
      target.Add()->Assign(s);
  }
}

}  // namespace

// Copies the standard styles of the main window's sheet into the journal's
// sheet, by name (loading keeps an entry's look unless the setting says so).
void CopyStandardStyles(TVLStyle& target) {
  TformQuilloryMain* main = Main();
  if (!main || !main->QuilloryDefaultStyle) return;
  CopyStandardInfos(*main->QuilloryDefaultStyle->TextStyles, *target.TextStyles);
  CopyStandardInfos(*main->QuilloryDefaultStyle->ParaStyles, *target.ParaStyles);
}

bool ShowsStandardStyles(double entryDate) {
  return !ProfileSettings.KeepJournalStyle || std::floor(entryDate) == std::floor(Date());
}

namespace {

template <typename Infos>
Integer StyleNamed(Infos& infos, const String& name) {
  for (Integer i = 0; i < infos.Count(); ++i)
    if (infos.Items(i)->StyleName == name) return i;
  return -1;
}

int LineOf(TComboBox* box, const String& text) {
  for (int i = 0; i < box->Items().Count(); ++i)
    if (box->Items()[i] == text) return i;
  return -1;
}

// After a close: the window the frame shows active becomes current, so that
// what the user types there is what saves and the date commands move.
void FollowActiveWindow(TformQuilloryEditor* closing) {
  TformQuilloryMain* main = Main();
  if (!main || !JournalsLoaded) return;
  // Children come topmost first; the closing one may still be among them.
  for (int i = 0; i < main->MDIChildCount(); ++i) {
    auto* w = dynamic_cast<TformQuilloryEditor*>(main->MDIChildren(i));
    if (w && w != closing && w->Journal()) {
      w->FormActivate(w);
      return;
    }
  }
}

}  // namespace

String NormalizeLinkTarget(const String& target) {
  String out;
  for (char c : target) {
    if (c == '\r' || c == '\n') continue;
    out += c;
  }
  // Blanks around a target (common in pasted RTF) are no part of it; only
  // those inside become "%20".
  const size_t first = out.find_first_not_of(" \t");
  if (first == String::npos) return String();
  out = out.substr(first, out.find_last_not_of(" \t") - first + 1);
  String filled;
  for (char c : out) {
    if (c == ' ') filled += "%20";
    else filled += c;
  }
  return filled;
}

TformQuilloryEditor* CurrentEditorWindow() {
  return JournalsLoaded && CurrentJournal ? CurrentJournal->EditorWindow : nullptr;
}

void FollowCurrentEditor() {
  // Also while the journals load: the one made current is the target.
  TformQuilloryEditor* w = ScreenMode == smOpen && CurrentJournal ? CurrentJournal->EditorWindow : nullptr;
  TWinControl* target = w && w->Journal() ? w->QuilloryText : nullptr;
  if (target == GetDefaultActionControl()) return;
  SetDefaultActionControl(target);
  Application->InvalidateActions();
}

// ---------------------------------------------------------------------------

TformQuilloryEditor::TformQuilloryEditor(TComponent* AOwner, TOpenJournal* journal)
    : TForm(AOwner), FJournal(journal) {
  SetFormStyle(fsMDIChild);
  HelpKeyword = "Welcome";
  SetCaption(journal ? journal->JournalName : String());
  Tag = reinterpret_cast<intptr_t>(journal);
  if (Main()) SetPopupMenu(Main()->PopupMenu1);

  QuilloryStyle = new TVLStyle(this);
  QuilloryInitialStyles(*QuilloryStyle);

  PanelJournalType = new TPanel(this);
  PanelJournalType->SetName("PanelJournalType");
  PanelJournalType->SetParent(this);
  PanelJournalType->SetAlign(alTop);
  PanelJournalType->SetHeight(22);
  PanelJournalType->SetColor(clInfoBk);
  PanelJournalType->SetAlignment(taLeftJustify);
  PanelJournalType->SetCaption("");
  // The journal's name is shown as typed: "Ideas & Plans" has no access key.
  PanelJournalType->ShowAccelChar = false;

  QuilloryText = new TVellumEdit(this);
  QuilloryText->SetName("QuilloryText");
  QuilloryText->SetParent(this);
  QuilloryText->SetAlign(alClient);
  QuilloryText->SetHint("quillory editor");
  if (Main()) QuilloryText->SetPopupMenu(Main()->PopupMenu1);
  // A caret on a page that takes no typing invites typing.
  QuilloryText->SetEditorOptions(TVLEditorOptions{vloClearTagOnStyleApp, vloCtrlJumps, vloHideReadOnlyCaret});
  QuilloryText->Options =
      TVLOptions{vloAllowSelection, vloScrollToEnd,    vloShowPageBreaks,   vloTagsArePChars,
                 vloAutoCopyText,   vloAutoCopyVLF,    vloAutoCopyImage,    vloAutoCopyRTF,
                 vloFormatInvalidate, vloDblClickSelectsWord, vloRClickDeselects, vloShowItemHints};
  QuilloryText->VLFOptions = TVLFOptions{vlfoSavePicturesBody, vlfoSaveControlsBody, vlfoIgnoreUnknownPicFmt,
                                         vlfoIgnoreUnknownCtrls, vlfoConvUnknownStylesToZero,
                                         vlfoConvLargeImageIdxToZero, vlfoSaveBinary, vlfoSaveBack,
                                         vlfoLoadBack, vlfoSaveTextStyles, vlfoSaveParaStyles,
                                         vlfoSaveLayout, vlfoLoadLayout};
  QuilloryText->SetStyle(QuilloryStyle);
  if (auto* rtf = dynamic_cast<TVLRTFReaderProperties*>(QuilloryText->GetRTFReadProperties())) {
    rtf->TextStyleMode = vlrsAddIfNeeded;
    rtf->ParaStyleMode = vlrsAddIfNeeded;
  }

  QuilloryText->OnChange = [this](TObject* s) { QuilloryTextChange(s); };
  QuilloryText->OnCurTextStyleChanged = [this](TObject* s) { QuilloryTextCurTextStyleChanged(s); };
  QuilloryText->OnCurParaStyleChanged = [this](TObject* s) { QuilloryTextCurParaStyleChanged(s); };
  QuilloryText->OnCaretMove = [this](TObject* s) { QuilloryTextCaretMove(s); };
  QuilloryText->OnJump = [this](TObject* s, Integer id) { QuilloryTextJump(s, id); };
  // A link follows only on Ctrl+click: its tooltip says so, with the target.
  QuilloryText->OnItemHint = [](TCustomVellum*, TCustomVLData* vlData, Integer itemNo, String& hint) {
    if (!vlData || itemNo < 0 || itemNo >= vlData->GetItemCount()) return;
    TCustomVLItemInfo* item = vlData->GetItem(itemNo);
    if (item->GetBoolValueEx(1, vlData->GetStyle()) && !item->Tag.Str.empty())
      hint = LinkHint(NormalizeLinkTarget(item->Tag.Str));
  };
  QuilloryText->OnReadHyperlink = [this](TCustomVellum*, const String& target, const String&, Integer docFormat,
                                         Integer& styleNo, TCustomVLItemInfo* item) {
    QuilloryTextReadHyperlink(target, docFormat, styleNo, item);
  };
  QuilloryText->OnURLNeeded = [this](TCustomVellum*, Integer id, String& url) { QuilloryTextURLNeeded(id, url); };
  // Links dragged from a browser become links here.
  QuilloryText->AcceptDragDropFormats.Include(vlddURL);
  // The window sees the keys of every editor in it first: the cell editors
  // that tables open (at any depth) are editors of their own, without the
  // journal editor's handlers.
  KeyPreview = true;
  // X turns a lock off only when its key is let go: the indicator is read
  // again then, or "cap" would stay after Caps Lock went off.
  auto lockKey = [](TObject*, Word& key, TShiftState) {
    if (!Main()) return;
    if (key == VK_CAPITAL) Main()->ShowCapsLockState();
    if (key == VK_NUMLOCK) Main()->ShowNumLockState();
  };
  // The key of a command greyed in a read-only entry would do nothing,
  // without a word: the command says the entry is read-only.
  OnKeyDown = [lockKey](TObject* sender, Word& key, TShiftState shift) {
    lockKey(sender, key, shift);
    if (Main() && (TellReadOnlyKey(Main()->ActionList, ShortCut(key, shift)) ||
                   Main()->TellReadOnlyStampKey(ShortCut(key, shift))))
      key = 0;
  };
  OnKeyUp = lockKey;
  OnKeyPress = [](TObject*, char16_t&) { LastActivityTime = Now(); };
  QuilloryText->OnMouseMove = [](TObject*, TShiftState, int, int) { PointerActivity(); };
  // The font boxes' conversions; the font and colour commands put their own
  // handler in while they run and give this one back.
  QuilloryText->OnStyleConversion = [this](TCustomVellumEdit*, Integer styleNo, Integer userData, bool applied,
                                           Integer& newStyleNo) {
    QuilloryTextStyleConversion(styleNo, userData, applied, newStyleNo);
  };

  OnActivate = [this](TObject* s) { FormActivate(s); };
  OnShow = [this](TObject* s) { FormShow(s); };
  OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
  SetActiveControl(QuilloryText);
}

TformQuilloryEditor::~TformQuilloryEditor() {
  // Gone without a close (the application ends): the record loses its window.
  if (FJournal && FJournal->EditorWindow == this) {
    FJournal->EditorWindow = nullptr;
    if (auto* doc = dynamic_cast<TEditorDocument*>(FJournal->Document.get())) doc->Detach();
  }
}

bool TformQuilloryEditor::ReadOnly() const { return QuilloryText->GetReadOnly(); }

TCustomVellumEdit* TformQuilloryEditor::CaretEditor() const { return QuilloryText->GetInnermostEditor(); }

void TformQuilloryEditor::FocusEditor() {
  if (QuilloryText->CanFocus()) QuilloryText->SetFocus();
}

bool TformQuilloryEditor::EditorFocused() const { return QuilloryText->Focused(); }

void TformQuilloryEditor::FormActivate(TObject*) {
  if (ClosingEditor) return;
  TformQuilloryMain* main = Main();
  if (main) {
    main->ShowCapsLockState();
    main->ShowNumLockState();
  }
  if (CreatingJournal || !JournalsLoaded || !FJournal) return;
  if (CurrentJournal != FJournal) SaveEntry(CurrentJournal, smAuto);
  CurrentJournal = FJournal;
  FollowCurrentEditor();
  if (!main) return;
  main->ShowEntryDate(FJournal);
  main->cbSelectJournal->SetItemIndex(LineOf(main->cbSelectJournal, FJournal->JournalName));
  main->FillStyleBoxes();
  QuilloryTextCaretMove(this);
  Application->InvalidateActions();
}

void TformQuilloryEditor::FormShow(TObject*) {
  if (Main()) {
    Main()->ShowCapsLockState();
    Main()->ShowNumLockState();
  }
  QuilloryText->Format();
}

void TformQuilloryEditor::FormClose(TObject*, TCloseAction& Action) {
  if (ClosingEditor) return;
  ClosingEditor = true;
  struct TClear {
    ~TClear() { ClosingEditor = false; }
  } clear;
  SaveEntry(CurrentJournal, smAuto);
  if (FJournal) {
    if (!SaveEntry(FJournal, smAuto) &&
        MessageBox("This entry could not be saved.\r\nClose the journal anyway and lose the changes?",
                   "Entry Not Saved", MB_YESNO | MB_ICONEXCLAMATION) != IDYES) {
      Action = caNone;
      return;
    }
    RemoveOpenJournal(FJournal);
  }
  Tag = 0;
  Action = caFree;
  ClosingEditor = false;
  FollowActiveWindow(this);
  FollowCurrentEditor();
}

void TformQuilloryEditor::QuilloryTextChange(TObject*) {
  const bool modified = QuilloryText->Modified;
  if (FJournal && FJournal->Document && modified) FJournal->Document->Modified = true;
  if (Main() && FJournal == CurrentJournal) Main()->ShowModifiedState(modified);
  LastChangeTime = Now();
  Application->InvalidateActions();
}

void TformQuilloryEditor::QuilloryTextCurTextStyleChanged(TObject*) {
  TformQuilloryMain* main = Main();
  if (!main || FJournal != CurrentJournal) return;
  const bool was = main->UpdatingStyleControls;
  main->UpdatingStyleControls = true;
  TFontInfo* s = QuilloryStyle->TextStyles->Items(CaretEditor()->GetCurTextStyleNo());
  main->cbTextStyles->SetItemIndex(s->Standard ? LineOf(main->cbTextStyles, s->StyleName) : -1);
  // A font that is not installed has no line; the box still shows the name
  // the text asks for.
  const int fontLine = LineOf(main->tbFontName, s->FontName);
  main->tbFontName->SetItemIndex(fontLine);
  if (fontLine < 0) main->tbFontName->SetText(s->FontName);
  main->tbFontSize->SetText(IntToStr(s->Size));
  main->UpdatingStyleControls = was;
}

void TformQuilloryEditor::QuilloryTextCurParaStyleChanged(TObject*) {
  TformQuilloryMain* main = Main();
  if (!main || FJournal != CurrentJournal) return;
  const bool was = main->UpdatingStyleControls;
  main->UpdatingStyleControls = true;
  TParaInfo* p = QuilloryStyle->ParaStyles->Items(CaretEditor()->GetCurParaStyleNo());
  main->cbParagraphStyles->SetItemIndex(LineOf(main->cbParagraphStyles, p->StyleName));
  main->UpdatingStyleControls = was;
}

void TformQuilloryEditor::QuilloryTextCaretMove(TObject* Sender) {
  QuilloryTextCurTextStyleChanged(Sender);
  QuilloryTextCurParaStyleChanged(Sender);
  Application->InvalidateActions();
}

void TformQuilloryEditor::QuilloryTextStyleConversion(Integer StyleNo, Integer UserData, bool,
                                                      Integer& NewStyleNo) {
  TformQuilloryMain* main = Main();
  if (!main || (UserData != ConvertFontName && UserData != ConvertFontSize)) return;
  TFontInfos& styles = *QuilloryStyle->TextStyles;
  TFontInfo copy(nullptr);
  copy.Assign(styles.Items(StyleNo));
  if (UserData == ConvertFontName) copy.FontName = main->ChosenFontName;
  else copy.Size = main->ChosenFontSize;
  NewStyleNo = styles.FindSuchStyle(StyleNo, copy, vlfiAll);
  if (NewStyleNo < 0) {
    TFontInfo* added = styles.Add();
    added->Assign(&copy);
    added->Standard = false;
    NewStyleNo = styles.Count() - 1;
    added->StyleName = "Style " + IntToStr(NewStyleNo);
  }
}

void TformQuilloryEditor::QuilloryTextJump(TObject*, Integer id) {
  const String target = LinkTarget(id);
  if (!target.empty()) OpenLinkTarget(target);
}

String TformQuilloryEditor::LinkTarget(Integer id) const {
  TVellumVLData* root = QuilloryText->VLData();
  // The jump areas of the formatted text name the document (a table cell's
  // for a link in a cell) and the line that holds each link.
  for (const auto& j : root->Jumps) {
    TCustomVLFormattedData* d = j->VLData;
    if (j->JumpID != id || !d || j->DrawItemNo < 0 || j->DrawItemNo >= d->DrawItems.Count())
      continue;
    const Integer itemNo = d->DrawItems[j->DrawItemNo]->ItemNo;
    if (itemNo >= 0 && itemNo < d->GetItemCount()) return d->GetItem(itemNo)->Tag.Str;
  }
  return String();
}

void TformQuilloryEditor::QuilloryTextReadHyperlink(const String& target, Integer docFormat, Integer& styleNo,
                                                    TCustomVLItemInfo* item) {
  const String normal = NormalizeLinkTarget(target);
  if (item) item->Tag.Str = normal;
  if (docFormat == VLDroppedLinkFormat && !normal.empty() && styleNo >= 0) styleNo = LinkStyleFor(styleNo);
}

void TformQuilloryEditor::QuilloryTextURLNeeded(Integer id, String& url) { url = LinkTarget(id); }

Integer TformQuilloryEditor::LinkStyleFor(Integer styleNo) {
  TFontInfos& styles = *QuilloryStyle->TextStyles;
  if (styleNo >= styles.Count()) styleNo = 0;
  if (styleNo >= styles.Count()) return styleNo;
  if (styles.Items(styleNo)->Jump) return styleNo;
  TFontInfo copy(nullptr);
  copy.Assign(styles.Items(styleNo));
  copy.Jump = true;
  copy.JumpCursor = crJump;
  copy.Color = clBlue;
  copy.Style.Include(fsUnderline);
  Integer found = styles.FindSuchStyle(styleNo, copy, vlfiAll);
  if (found < 0) {
    TFontInfo* added = styles.Add();
    added->Assign(&copy);
    added->Standard = false;
    found = styles.Count() - 1;
    added->StyleName = "Style " + IntToStr(found);
  }
  return found;
}

String LinkHint(const String& target) { return target + "\nCtrl+click to follow"; }

bool OpenLinkTarget(const String& tag) {
  const String target = NormalizeLinkTarget(tag);
  const TLinkVerdict verdict = ClassifyLinkTarget(target);
  if (verdict.Decision == TLinkDecision::Ask &&
      MessageBox("Open \"" + verdict.Path + "\"?", "Open Link", MB_YESNO | MB_ICONQUESTION) != IDYES)
    return false;
  // Programs, launchers, devices and unknown kinds of link are never handed on.
  if (verdict.Decision != TLinkDecision::Refuse && ShellOpen(target)) return true;
  const String reason = verdict.Decision == TLinkDecision::Refuse ? verdict.Reason : "the desktop could not open it";
  MessageBox("Cannot navigate to \"" + target + "\": " + reason + ".", "Error", MB_OK | MB_ICONEXCLAMATION);
  return false;
}

void TformQuilloryEditor::ShowEntryCaptions() {
  if (!FJournal) return;
  SetCaption(FJournal->Caption);
  PanelJournalType->SetCaption(FJournal->KindPanel);
}

void TformQuilloryEditor::SyncFromDocument() {
  if (!FJournal || !FJournal->Document) return;
  QuilloryText->SetReadOnly(FJournal->Document->ReadOnly);
  QuilloryText->Modified = FJournal->Document->Modified;
  ShowEntryCaptions();
  Application->InvalidateActions();
}

void TformQuilloryEditor::ApplyChosenFont(Integer code) {
  if (ReadOnly()) return;
  CaretEditor()->ApplyStyleConversion(code);
  if (FJournal && FJournal->Document) FJournal->Document->Modified = true;
  QuilloryText->Format();
}

bool TformQuilloryEditor::ApplyTextStyleNamed(const String& name) {
  const Integer no = StyleNamed(*QuilloryStyle->TextStyles, name);
  if (no < 0) return false;
  CaretEditor()->ApplyTextStyle(no);
  if (FJournal && FJournal->Document) FJournal->Document->Modified = true;
  return true;
}

bool TformQuilloryEditor::ApplyParaStyleNamed(const String& name) {
  const Integer no = StyleNamed(*QuilloryStyle->ParaStyles, name);
  if (no < 0) return false;
  CaretEditor()->ApplyParaStyle(no);
  if (FJournal && FJournal->Document) FJournal->Document->Modified = true;
  return true;
}

void TformQuilloryEditor::InsertStamp(const String& text, const String& undoCaption) {
  // In a table cell the stamp goes before the caret's line of that cell.
  TCustomVellumEdit* e = CaretEditor();
  if (e->GetReadOnly()) return;
  const Integer textStyle = std::max<Integer>(StyleNamed(*QuilloryStyle->TextStyles, "Date and Time Stamp Font Style"), 0);
  const Integer paraStyle =
      std::max<Integer>(StyleNamed(*QuilloryStyle->ParaStyles, "Date and Time Stamp Paragraph Style"), 0);
  // Selected cells make their table the caret's item and refuse insertion:
  // they give up their selection, and the stamp goes before the table.
  if (TVLEditVLData* d = e->EditData(); TCustomVLItemInfo* active = d->ActiveItem) {
    d->SetActiveItem(nullptr);
    active->Deselect();
  }
  const Integer caretItem = e->CurItemNo();
  const Integer caretOffset = e->OffsetInCurItem();
  const Integer countBefore = e->ItemCount();
  e->BeginNamedUndoGroup(undoCaption);
  e->SetUndoGroupMode(true);
  e->LockChangeEvent();
  try {
    if (caretItem >= 0 && caretItem < e->ItemCount()) e->SetCaret(caretItem, e->GetItemStartOffset(caretItem));
    // A table stands in a paragraph of its own: a line break before it
    // would leave an empty paragraph under the stamp.
    const bool beforeTable =
        caretItem >= 0 && caretItem < e->ItemCount() && dynamic_cast<TVLTableItemInfo*>(e->GetItem(caretItem));
    if (beforeTable) {
      e->InsertText(text);
    } else if (caretItem <= 0) {
      e->InsertText(text + "\r\n");
    } else {
      e->InsertText("\r\n");
      e->InsertText(text + "\r\n");
    }
    // Everything went in before the caret's old item; the stamp is the
    // paragraph just before it.
    const Integer movedItem = std::max<Integer>(caretItem, 0) + e->ItemCount() - countBefore;
    const Integer stampItem = movedItem - 1;
    if (e->ItemCount() > countBefore && stampItem >= 0 && stampItem < e->ItemCount()) {
      e->SetSelectionBounds(stampItem, e->GetItemStartOffset(stampItem), stampItem, e->GetItemEndOffset(stampItem));
      e->ApplyTextStyle(textStyle);
      e->ApplyParaStyle(paraStyle);
    }
    e->Format();
    e->UnlockChangeEvent();
    e->Format();
    e->SetUndoGroupMode(false);
    if (movedItem < e->ItemCount())
      e->SetCaret(movedItem,
                  std::clamp(caretOffset, e->GetItemStartOffset(movedItem), e->GetItemEndOffset(movedItem)));
  } catch (...) {
    if (e->ChangeLockCount() > 0) e->UnlockChangeEvent();
    e->SetUndoGroupMode(false);
    throw;
  }
  if (FJournal && FJournal->Document) FJournal->Document->Modified = true;
  e->Change();
}

// ---------------------------------------------------------------------------

namespace {
std::function<void(TOpenJournal*)> PreviousEntryLoaded;
}

void RegisterEditorWindows(TformQuilloryMain* main) {
  OnJournalAdded = [main](TOpenJournal* j) {
    auto* w = new TformQuilloryEditor(Application, j);
    j->EditorWindow = w;
    j->Document = std::make_unique<TEditorDocument>(w);
    j->Document->Clear();
    // A stored size is never brought back smaller than a usable window,
    // nor where none of it can be seen.
    w->SetMinimumSize(MinJournalWindowWidth, MinJournalWindowHeight);
    if (!j->Maximized) {
      const Integer width = std::max(j->WindowWidth, MinJournalWindowWidth);
      const Integer height = std::max(j->WindowHeight, MinJournalWindowHeight);
      Integer left = std::max<Integer>(j->WindowLeft, 0), top = std::max<Integer>(j->WindowTop, 0);
      if (main->ClientWidth() > 0) left = std::min(left, std::max<Integer>(main->ClientWidth() - width, 0));
      if (main->ClientHeight() > 0) top = std::min(top, std::max<Integer>(main->ClientHeight() - height, 0));
      w->SetBounds(left, top, width, height);
      w->SetWindowState(j->WindowState == wsMaximized ? wsMaximized
                        : j->WindowState == wsMinimized ? wsMinimized
                                                        : wsNormal);
    } else {
      w->SetWindowState(wsMaximized);
    }
    w->Show();
    w->FormActivate(main);
    FollowCurrentEditor();
    main->cbSelectJournal->Items().Clear();
    for (const auto& line : SelectJournalLines) main->cbSelectJournal->Items().Add(line.first);
    main->cbSelectJournal->SetItemIndex(LineOf(main->cbSelectJournal, j->JournalName));
  };
  OnJournalRemoving = [main](TOpenJournal* j) {
    TformQuilloryEditor* w = j->EditorWindow;
    j->EditorWindow = nullptr;
    // The document goes with the record; the window must not reach it.
    if (w) {
      w->ForgetJournal();
      w->Tag = 0;
      if (!ClosingEditor) {
        w->Hide();
        w->Release();
      }
    }
    if (!FirstJournal || (FirstJournal == j && !j->Next)) main->cbSelectJournal->Items().Clear();
    // A window on its way out is no command's editor, even before it goes.
    if (w && GetDefaultActionControl() == w->QuilloryText) {
      SetDefaultActionControl(nullptr);
      Application->InvalidateActions();
    }
  };
  OnJournalGeometry = [](TOpenJournal* j) {
    TformQuilloryEditor* w = j->EditorWindow;
    if (!w) return;
    j->WasActiveWindow = formQuilloryMain && formQuilloryMain->ActiveMDIChild() == w;
    j->WindowState = w->GetWindowState();
    if (j->WindowState == wsNormal) {
      j->WindowLeft = w->GetLeft();
      j->WindowTop = w->GetTop();
      j->WindowWidth = w->GetWidth();
      j->WindowHeight = w->GetHeight();
    }
  };
  // An entry chosen in the tree (saved already) shows with its window in front.
  OnEntryTreeOpenEntry = [](Integer journalID, TDateTime date) {
    OpenEntryFromTree(journalID, date);
    if (CurrentJournal && CurrentJournal->JournalID == journalID && CurrentJournal->EditorWindow)
      CurrentJournal->EditorWindow->BringToFront();
  };
  PreviousEntryLoaded = OnEntryLoaded;
  OnEntryLoaded = [main](TOpenJournal* j) {
    if (TformQuilloryEditor* w = j->EditorWindow) {
      if (ShowsStandardStyles(j->EntryDate)) CopyStandardStyles(*w->QuilloryStyle);
      w->ShowEntryCaptions();
      w->QuilloryText->Format();
    }
    if (j == CurrentJournal) {
      FollowCurrentEditor();
      main->ShowEntryDate(j);
      main->FillStyleBoxes();
      if (j->EditorWindow) j->EditorWindow->QuilloryTextCaretMove(j->EditorWindow);
    }
    if (PreviousEntryLoaded) PreviousEntryLoaded(j);
  };
}

void UnregisterEditorWindows() {
  OnJournalAdded = nullptr;
  OnJournalRemoving = nullptr;
  OnJournalGeometry = nullptr;
  OnEntryTreeOpenEntry = OpenEntryFromTree;
  OnEntryLoaded = PreviousEntryLoaded;
  PreviousEntryLoaded = nullptr;
}
