#include "richtext/editor/VellumEdit.h"

#include "platform/base/SysUtils.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "platform/gui/WindowFocus.h"
#include "richtext/model/VLItem.h"
#include "richtext/model/VLUni.h"
#include "richtext/view/VLCopy.h"
#include "richtext/view/VLHitTesting.h"
#include "richtext/view/VLSearch.h"

#include <algorithm>

// Edit messages of the control (the edit-control protocol).
inline constexpr Cardinal EM_CANUNDO = 0x00C6;
inline constexpr Cardinal EM_UNDO = 0x00C7;
inline constexpr Cardinal EM_REDO = WM_USER + 84;
inline constexpr Cardinal EM_CANREDO = WM_USER + 85;
inline constexpr Cardinal WM_VLUNDOFROMINPLACE = WM_USER + 13;
inline constexpr Cardinal WM_VLREDOFROMINPLACE = WM_USER + 14;

TCustomVellumEdit::TCustomVellumEdit(TComponent* owner)
    : TCustomVellumEdit(owner, [](TCustomVellum* v) { return std::make_unique<TVLEditVLData>(v); }) {}

TCustomVellumEdit::TCustomVellumEdit(TComponent* owner,
                                     const std::function<std::unique_ptr<TVLEditVLData>(TCustomVellum*)>& makeData)
    : TCustomVellum(owner, [makeData](TCustomVellum* v) -> std::unique_ptr<TVellumVLData> { return makeData(v); }) {
  Cursor = crIBeam;
  SetCursor(crIBeam);
  TabNavigation = vltnNone;
  WantTabs = false;
  KeyboardScroll = false;
  Flags = static_cast<Word>((Flags | vllfWriterJumpMode) & ~(vllfCollectJumps | vllfExternalLeading));
  EditData()->SetLayoutFlags(Flags);
  SetInputMethodEnabled(true);
  RegisterEditDropTarget();
}

TCustomVellumEdit::~TCustomVellumEdit() {
  FDestroying = true;
  RegisterDropTarget(this, nullptr);
}

TCustomVellumEdit* TVLEditVLData::Editor() const { return dynamic_cast<TCustomVellumEdit*>(Vellum); }

// ---- settings -------------------------------------------------------------------------

void TCustomVellumEdit::SetReadOnly(bool value) {
  FReadOnly = value;
  // The caret shows or hides with the flag when the options ask for it.
  if (EditData()->CaretHeight > 0) EditData()->UpdateHostCaret();
}

void TCustomVellumEdit::SetEditorOptions(TVLEditorOptions value) {
  FEditorOptions = value;
  WantTabs = value.Contains(vloWantTabs);
}

Integer TCustomVellumEdit::GetUndoLimit() const { return EditData()->UndoList->Limit; }

void TCustomVellumEdit::SetUndoLimit(Integer value) {
  EditData()->UndoList->Limit = value;
  EditData()->UndoList->TrimToLimit();
}

void TCustomVellumEdit::SetTabNavigation(TVLTabNavigationType value) {
  if (value != vltnNone) throw EVellumError("Not supported in editor");
  TabNavigation = value;
}

void TCustomVellumEdit::CopyEventHandlers(const TCustomVellumEdit& source) {
  AssignEvents(source);
  OnCurParaStyleChanged = source.OnCurParaStyleChanged;
  OnCurTextStyleChanged = source.OnCurTextStyleChanged;
  OnChange = source.OnChange;
  OnCaretMove = source.OnCaretMove;
  OnChanging = source.OnChanging;
  OnStyleConversion = source.OnStyleConversion;
  OnParaStyleConversion = source.OnParaStyleConversion;
  OnPaste = source.OnPaste;
  OnCaretGetOut = source.OnCaretGetOut;
  OnDropFiles = source.OnDropFiles;
}

// ---- nesting ------------------------------------------------------------------------------

TCustomVellumEdit* TCustomVellumEdit::InplaceEdit() { return dynamic_cast<TCustomVellumEdit*>(GetInplaceEditor()); }

TCustomVellumEdit* TCustomVellumEdit::GetInnermostEditor() {
  TCustomVellumEdit* e = this;
  while (TCustomVellumEdit* inner = e->InplaceEdit()) e = inner;
  return e;
}

TCustomVellumEdit* TCustomVellumEdit::GetRootEditor() {
  // An in-place editor sits on its table's editor.
  TCustomVellumEdit* e = this;
  for (TWinControl* p = GetParent(); p; p = p->GetParent())
    if (auto* outer = dynamic_cast<TCustomVellumEdit*>(p); outer && outer->InplaceEdit() == e) e = outer;
  return e;
}

// ---- the change protocol --------------------------------------------------------------

bool TCustomVellumEdit::BeforeChange(bool outside) {
  TVLEditVLData* d = EditData();
  bool can = !GetReadOnly() && GetStyle();
  if (can) {
    if (outside || !d->CaptureMouseItem) {
      if (FChangeLock < 1 && OnChanging) OnChanging(GetRootEditor(), can);
    } else {
      can = false;
    }
  }
  if (can) {
    d->PrepareEmptyDocument();
    ClearSoftPageBreaks();
  } else {
    d->Beep();
  }
  return can;
}

bool TCustomVellumEdit::BeginInsert(Byte undoType) {
  TVLEditVLData* d = EditData();
  if (d->ActiveItem || !BeforeChange(false)) {
    if (d->ActiveItem) d->Beep();
    return false;
  }
  d->BeginUndoSequence(undoType, true);
  SetUndoGroupMode(true);
  DeleteSelectionForInsert();
  return true;
}

void TCustomVellumEdit::DeleteSelectionForInsert() {
  TVLEditVLData* d = EditData();
  const Integer style = d->CurTextStyleNo;
  // Text that replaces exactly one whole item keeps that item's tag.
  d->CaptureCurTag();
  d->Inserting = true;
  d->DeleteSelection();
  d->Deselect(nullptr, false);
  d->SetCurTextStyleNo(style);
}

void TCustomVellumEdit::EndInsert() {
  SetUndoGroupMode(false);
  EditData()->Inserting = false;
  Invalidate();
}

void TCustomVellumEdit::Change() { DoChange(true); }

void TCustomVellumEdit::DoChange(bool clearRedo) {
  if (Application) Application->InvalidateActions();
  Modified = true;
  ClearSoftPageBreaks();
  if (clearRedo) EditData()->RedoList->Clear();
  FChangeClearsRedo = clearRedo;
  if (FChangeLock <= 0 && OnChange) OnChange(this);
  FChangeClearsRedo = true;
}

void TCustomVellumEdit::DataChanged(bool clearRedo) {
  if (FEditDepth > 0) {
    FPendingChange = true;
    FPendingClearRedo = FPendingClearRedo || clearRedo;
    return;
  }
  DoChange(clearRedo);
}

void TCustomVellumEdit::Repair(const String& message) {
  // Never end the program over a bookkeeping slip: close the group, lay the
  // document out again and put the caret on a valid stop.
  ++RepairCount;
  TVLEditVLData* d = EditData();
  d->LogRepair(message);
  d->UndoList->GroupModeCounter = 0;
  d->UndoList->RemoveEmptyLastGroup();
  d->RedoList->GroupModeCounter = 0;
  d->UndoDestination = 0;
  d->Inserting = false;
  try {
    if (GetStyle() && d->GetItemCount() > 0) {
      // The caret's item as far as it can be told, else the start.
      Integer item = 0, offs = 0;
      if (d->CaretDrawItemNo >= 0 && d->CaretDrawItemNo < d->DrawItems.Count() && d->CaretStop()) {
        item = std::clamp(d->DrawItems[d->CaretDrawItemNo]->ItemNo, 0, d->GetItemCount() - 1);
        offs = d->GetCaretOffset();
      }
      d->Deselect(nullptr, false);
      d->Format(false, true, false, 0, d->GetCanvas(), false, true);
      d->SetCaretToItemPos(item, offs);
      d->EnsureValidCaret();
    }
  } catch (const std::exception& e) {
    d->LogRepair(String("Repair failed: ") + e.what());
  }
  Invalidate();
}

bool TCustomVellumEdit::RunEdit(const std::function<void()>& op, bool clearRedo) {
  TVLEditVLData* d = EditData();
  const Cardinal stamp = d->EditStamp;
  const bool outer = FEditDepth == 0;
  if (outer) FPendingChange = FPendingClearRedo = false;
  ++FEditDepth;
  bool ok = true;
  try {
    op();
  } catch (const std::exception& e) {
    ok = false;
    --FEditDepth;
    Repair(e.what());
    ++FEditDepth;
  }
  --FEditDepth;
  // A command that changed nothing (a deletion the document refused) leaves
  // no step: an Undo of it would do nothing, and the Redos after it would
  // come one short.
  if (outer) d->UndoList->RemoveEmptyLastGroup();
  if (outer && (FPendingChange || d->EditStamp != stamp)) {
    const bool clear = clearRedo || FPendingClearRedo;
    FPendingChange = FPendingClearRedo = false;
    DoChange(clear);
  }
  return ok;
}

// ---- current styles ----------------------------------------------------------------------

Integer TCustomVellumEdit::GetCurTextStyleNo() {
  TCustomVellumEdit* e = GetInnermostEditor();
  TVLEditVLData* d = e->EditData();
  if (d->CurTextStyleNo == vlsDefStyle && e->GetStyle())
    return d->GetActualStyleNo(d->CurTextStyleNo, d->CurParaStyleNo);
  return d->CurTextStyleNo;
}

void TCustomVellumEdit::SetCurTextStyleNo(Integer styleNo) {
  TVLEditVLData* d = GetInnermostEditor()->EditData();
  if (styleNo != d->CurTextStyleNo) {
    d->SetCurTextStyleNo(styleNo);
  } else if (d->GetState() & vlstStylePending) {
    d->SetCurTextStyleNo(styleNo);
  }
}

Integer TCustomVellumEdit::GetCurParaStyleNo() { return GetInnermostEditor()->EditData()->CurParaStyleNo; }

void TCustomVellumEdit::SetCurParaStyleNo(Integer paraNo) { GetInnermostEditor()->EditData()->SetCurParaStyleNo(paraNo); }

void TCustomVellumEdit::DoCurTextStyleChanged() {
  if (GetStyle() && !FDestroying && OnCurTextStyleChanged) OnCurTextStyleChanged(GetRootEditor());
}

void TCustomVellumEdit::DoCurParaStyleChanged() {
  if (GetStyle() && !FDestroying && OnCurParaStyleChanged) OnCurParaStyleChanged(GetRootEditor());
}

void TCustomVellumEdit::SwitchToUnicodeStyle() {
  TCustomVellumEdit* e = GetInnermostEditor();
  TVLStyle* style = e->GetStyle();
  if (!style) return;
  TVLEditVLData* d = e->EditData();
  const Integer cur = d->GetActualStyleNo(d->CurTextStyleNo, d->CurParaStyleNo);
  if (cur >= 0 && cur < style->TextStyles->Count() && style->TextStyles->Items(cur)->Unicode) return;
  if (style->DefUnicodeStyle >= 0 && style->DefUnicodeStyle < style->TextStyles->Count())
    d->SetCurTextStyleNo(style->DefUnicodeStyle);
}

void TCustomVellumEdit::SwitchToInputLanguage(Byte charset) {
  TVLStyle* style = GetStyle();
  if (!FEditorOptions.Contains(vloAutoSwitchLang) || !style || !Focused()) return;
  TVLEditVLData* d = EditData();
  const Integer cur = d->GetActualStyleNo(d->CurTextStyleNo, d->CurParaStyleNo);
  if (cur < 0 || cur >= style->TextStyles->Count() || style->TextStyles->Items(cur)->Unicode) return;
  Integer target = style->TextStyles->FindStyleWithCharset(cur, charset);
  if (target < 0) {
    TFontInfo* variant = style->TextStyles->Add();
    variant->Assign(style->TextStyles->Items(cur));
    variant->Charset = charset;
    variant->Standard = false;
    target = style->TextStyles->Count() - 1;
  }
  d->SetCurTextStyleNo(target);
}

void TCustomVellumEdit::DataStyleConversion(Integer styleNo, Integer userData, bool appliedToText,
                                            Integer& newStyleNo) {
  if (FApplyingStyle >= 0) {
    // Text marked as code keeps its style when a style is applied.
    TVLStyle* style = GetStyle();
    const bool code = style && styleNo >= 0 && styleNo < style->TextStyles->Count() &&
                      style->TextStyles->Items(styleNo)->Options.Contains(vlteoHTMLCode);
    if (!code) newStyleNo = FApplyingStyle;
    return;
  }
  if (const auto& handler = StyleConversionHandler())
    handler(GetRootEditor(), styleNo, userData, appliedToText, newStyleNo);
}

void TCustomVellumEdit::DataParaStyleConversion(Integer paraNo, Integer userData, Integer& newParaNo) {
  if (const auto& handler = ParaStyleConversionHandler()) handler(GetRootEditor(), paraNo, userData, true, newParaNo);
}

const TVLStyleConversionEvent& TCustomVellumEdit::StyleConversionHandler() {
  return OnStyleConversion ? OnStyleConversion : GetRootEditor()->OnStyleConversion;
}

const TVLStyleConversionEvent& TCustomVellumEdit::ParaStyleConversionHandler() {
  return OnParaStyleConversion ? OnParaStyleConversion : GetRootEditor()->OnParaStyleConversion;
}

// ---- edits ----------------------------------------------------------------------------------

bool TCustomVellumEdit::InsertText(const String& text, bool caretBefore) {
  return InsertWideText(Utf8ToWide(text), caretBefore);
}

bool TCustomVellumEdit::InsertWideText(const WideString& text, bool caretBefore) {
  return InsertRawUnicodeText(WideStringToRawUnicode(text), caretBefore);
}

bool TCustomVellumEdit::InsertRawUnicodeText(const AnsiString& text, bool caretBefore) {
  if (TCustomVellumEdit* inner = InplaceEdit()) return inner->InsertRawUnicodeText(text, caretBefore);
  bool done = false;
  RunEdit([&] {
    if (!BeginInsert()) return;
    EditData()->InsertRawUnicodeText(text, caretBefore);
    EndInsert();
    done = true;
  });
  return done;
}

bool TCustomVellumEdit::InsertTaggedText(const String& text, const TVLTag& tag) {
  if (TCustomVellumEdit* inner = InplaceEdit()) return inner->InsertTaggedText(text, tag);
  bool done = false;
  RunEdit([&] {
    if (!BeginInsert()) return;
    done = InsertTaggedItem(*EditData(), text, tag, EditData()->CurTextStyleNo);
    EndInsert();
  });
  return done;
}

bool TCustomVellumEdit::InsertTaggedItem(TVLEditVLData& d, const String& text, const TVLTag& tag, Integer textStyleNo) {
  const WideString w = Utf8ToWide(text);
  const Integer styleNo = d.StyleForText(textStyleNo, w);
  const Integer actual = d.GetActualStyleNo(styleNo, d.CurParaStyleNo);
  TVLStyle* style = GetStyle();
  const bool unicode = actual >= 0 && actual < style->TextStyles->Count() && style->TextStyles->Items(actual)->Unicode;
  const AnsiString raw = WideStringToRawUnicode(w);
  auto item = d.CreateTextItem(styleNo, d.CurParaStyleNo, false, false);
  item->Tag = tag;
  if (unicode) item->ItemOptions |= vlioUnicode;
  AnsiString s = unicode ? raw : RawUnicodeToAnsi(raw, d.GetStyleCodePage(actual));
  return d.InsertItemAtCaret(s, item.release(), false, false);
}

bool TCustomVellumEdit::InsertTextFromFile(const String& fileName) {
  if (TCustomVellumEdit* inner = InplaceEdit()) return inner->InsertTextFromFile(fileName);
  bool read = true;
  RunEdit([&] {
    if (!BeginInsert()) return;
    read = EditData()->InsertTextFromFile(fileName, false);
    EndInsert();
  });
  return read;
}

bool TCustomVellumEdit::InsertUnicodeTextFromFile(const String& fileName) {
  if (TCustomVellumEdit* inner = InplaceEdit()) return inner->InsertUnicodeTextFromFile(fileName);
  bool read = true;
  RunEdit([&] {
    SwitchToUnicodeStyle();
    if (!BeginInsert()) return;
    read = EditData()->InsertUnicodeTextFromFile(fileName, false);
    EndInsert();
  });
  return read;
}

bool TCustomVellumEdit::InsertItem(const String& name, TCustomVLItemInfo* itemIn) {
  std::unique_ptr<TCustomVLItemInfo> item(itemIn);
  if (TCustomVellumEdit* inner = InplaceEdit()) return inner->InsertItem(name, item.release());
  bool done = false;
  RunEdit([&] {
    if (!BeginInsert()) return;
    AnsiString text = name;
    done = EditData()->InsertItemAtCaret(text, item.release(), false, false);
    EndInsert();
  });
  return done;
}

bool TCustomVellumEdit::InsertPicture(const String& name, std::unique_ptr<TGraphic> graphic, TVLVAlign vAlign) {
  auto item = TVLGraphicItemInfo::CreateEx(GetInnermostEditor()->EditData(), std::move(graphic), vAlign);
  item->UpdatePaletteInfo(DoInPaletteMode, false);
  return InsertItem(name, item.release());
}

bool TCustomVellumEdit::InsertBreak(Byte width, Byte style, TColor color) {
  auto* item = new TVLBreakItemInfo(GetInnermostEditor()->EditData());
  item->StyleNo = vlsBreak;
  item->LineWidth = width;
  item->Style = style;
  item->Color = color;
  return InsertItem(String(), item);
}

void TCustomVellumEdit::InsertPageBreak() {
  if (GetInplaceEditor()) {
    MessageBeep(0);
    return;
  }
  RunEdit([&] {
    if (BeforeChange(false)) EditData()->InsertPageBreak();
  });
}

void TCustomVellumEdit::ApplyParaStyle(Integer paraNo) {
  if (TCustomVellumEdit* inner = InplaceEdit()) return inner->ApplyParaStyle(paraNo);
  RunEdit([&] {
    if (!BeforeChange(false)) return;
    // A step of its own: the data leaves opening it to its caller.
    TVLEditVLData* d = EditData();
    d->BeginUndoSequence(vlutParaStyle, true);
    d->ApplyParaStyleConversion(paraNo, false);
  });
}

void TCustomVellumEdit::ApplyTextStyle(Integer styleNo) {
  if (TCustomVellumEdit* inner = InplaceEdit()) return inner->ApplyTextStyle(styleNo);
  RunEdit([&] {
    if (!BeforeChange(false)) return;
    FApplyingStyle = styleNo;
    struct TReset {
      Integer& V;
      ~TReset() { V = -1; }
    } reset{FApplyingStyle};
    // (A style the text has already leaves no step: RunEdit drops it.)
    EditData()->ApplyStyleConversion(0);
  });
}

void TCustomVellumEdit::ApplyStyleConversion(Integer userData) {
  if (TCustomVellumEdit* inner = InplaceEdit()) return inner->ApplyStyleConversion(userData);
  if (!StyleConversionHandler()) return;
  RunEdit([&] {
    if (!BeforeChange(false)) return;
    // (The same size or font again, as the size box applies on Enter and
    // again as it loses the keyboard, leaves no step: RunEdit drops it.)
    EditData()->ApplyStyleConversion(userData);
  });
}

void TCustomVellumEdit::ApplyParaStyleConversion(Integer userData) {
  if (TCustomVellumEdit* inner = InplaceEdit()) return inner->ApplyParaStyleConversion(userData);
  if (!ParaStyleConversionHandler()) return;
  RunEdit([&] {
    if (BeforeChange(false)) EditData()->ApplyParaStyleConversion(userData, true);
  });
}

void TCustomVellumEdit::SetItemTag(Integer itemNo, const TVLTag& tag) {
  if (TCustomVellumEdit* inner = InplaceEdit()) return inner->SetItemTag(itemNo, tag);
  TVLEditVLData* d = EditData();
  if (itemNo < 0 || itemNo >= d->GetItemCount() || d->GetItem(itemNo)->Tag == tag) return;
  RunEdit([&] {
    if (!BeforeChange(false)) return;
    d->BeginUndoSequence(vlutTag, true);
    d->SetTag(itemNo, tag);
  });
}

void TCustomVellumEdit::SetItemExtraIntProperty(Integer itemNo, TVLExtraItemProperty prop, Integer value,
                                                bool autoReformat) {
  TVLEditVLData* d = EditData();
  if (itemNo < 0 || itemNo >= d->GetItemCount()) return;
  Integer old = 0;
  if (!d->GetItem(itemNo)->GetExtraIntProperty(prop, old) || old == value) return;
  const auto set = [&] {
    if (!BeforeChange(false)) return;
    d->BeginUndoSequence(vlutModifyItem, true);
    d->SetExtraIntProperty(itemNo, prop, value);
    if (autoReformat) d->ReformatKeepingCaret(false, false, itemNo, true);
  };
  // Without the layout the caller lays out and reports the change itself.
  if (autoReformat)
    RunEdit(set);
  else
    set();
}

void TCustomVellumEdit::SetCurrentItemExtraIntProperty(TVLExtraItemProperty prop, Integer value, bool autoReformat) {
  TCustomVellumEdit* e = GetInnermostEditor();
  e->SetItemExtraIntProperty(e->EditData()->GetCaretItemNo(), prop, value, autoReformat);
}

void TCustomVellumEdit::ApplyListStyle(Integer listNo, Integer level, Integer startFrom, bool useStartFrom) {
  if (TCustomVellumEdit* inner = InplaceEdit()) return inner->ApplyListStyle(listNo, level, startFrom, useStartFrom);
  RunEdit([&] {
    if (BeforeChange(false)) EditData()->ApplyListOperation(0, listNo, level, startFrom, useStartFrom);
  });
}

void TCustomVellumEdit::RemoveLists() {
  if (TCustomVellumEdit* inner = InplaceEdit()) return inner->RemoveLists();
  RunEdit([&] {
    if (BeforeChange(false)) EditData()->ApplyListOperation(1, -1, 0, 1, false);
  });
}

void TCustomVellumEdit::ChangeListLevels(Integer levelDelta) {
  if (TCustomVellumEdit* inner = InplaceEdit()) return inner->ChangeListLevels(levelDelta);
  RunEdit([&] {
    if (BeforeChange(false)) EditData()->ApplyListOperation(2, -1, levelDelta, 1, false);
  });
}

void TCustomVellumEdit::DeleteSelection() {
  if (TCustomVellumEdit* inner = InplaceEdit()) return inner->DeleteSelection();
  TVLEditVLData* d = EditData();
  if (!d->SelectionExists()) return;
  RunEdit([&] {
    if (!BeforeChange(false)) return;
    d->DeleteSelection();
    Invalidate();
  });
}

void TCustomVellumEdit::CutToClipboard() {
  if (TCustomVellumEdit* inner = InplaceEdit()) return inner->CutToClipboard();
  TVLEditVLData* d = EditData();
  RunEdit([&] {
    // Asked first: a refused cut must not reach the clipboard either.
    if (!BeforeChange(false)) return;
    // Selected table cells are a selection too: they are copied, then
    // emptied.
    if (!d->SelectionExists(false, true) || !Copy()) return;
    d->DeleteSelection();
    Invalidate();
  });
}

void TCustomVellumEdit::TypeText(const WideString& text) {
  if (TCustomVellumEdit* inner = InplaceEdit()) return inner->TypeText(text);
  if (text.empty()) return;
  // Typed over a block of table cells, the text goes into the cell the
  // block opens for it, rather than being refused.
  if (TVLEditVLData* d = EditData(); d->ActiveItem && d->ActiveItem->PartiallySelected() && BeforeChange(false) &&
                                     d->ActiveItem->EnterForTyping())
    if (TCustomVellumEdit* inner = InplaceEdit()) return inner->TypeText(text);
  RunEdit([&] {
    if (!BeforeChange(false)) return;
    TVLEditVLData* d = EditData();
    if (d->SelectionExists()) {
      // The selection and the text replacing it are one step of undo.
      if (!d->CanDeleteSelection()) {
        d->Beep();
        return;
      }
      d->BeginUndoSequence(vlutInsert, true);
      TVLUndoGroupModeGuard group(d);
      d->DeleteSelection();
      d->InsertTypedText(text, false);
    } else {
      d->InsertTypedText(text, true);
    }
  });
}

// ---- undo ---------------------------------------------------------------------------------------

// Each editor of the chain keeps its own history; a cell editor's goes to
// the editor it is open in when it closes. So the latest step is in the
// innermost editor that holds one, and every editor answers the same.
TCustomVellumEdit* TCustomVellumEdit::HistoryHolder(bool redo) {
  TCustomVellumEdit* holder = nullptr;
  for (TCustomVellumEdit* e = GetRootEditor(); e; e = e->InplaceEdit()) {
    TVLEditVLData* d = e->EditData();
    if ((redo ? d->RedoList : d->UndoList)->Count() > 0) holder = e;
  }
  return holder;
}

Byte TCustomVellumEdit::GetUndoType() {
  TCustomVellumEdit* e = HistoryHolder(false);
  return e ? e->EditData()->UndoList->GetLastGroupType() : Byte(vlutNone);
}

Byte TCustomVellumEdit::GetRedoType() {
  TCustomVellumEdit* e = HistoryHolder(true);
  return e ? e->EditData()->RedoList->GetLastGroupType() : Byte(vlutNone);
}

void TCustomVellumEdit::BeginUndoGroup(Byte undoType) {
  TCustomVellumEdit* e = GetInnermostEditor();
  e->EditData()->BeginUndoSequence(undoType, true);
}

void TCustomVellumEdit::BeginNamedUndoGroup(const String& caption) {
  TCustomVellumEdit* e = GetInnermostEditor();
  e->EditData()->BeginNamedUndoSequence(vlutCustom, caption, true);
}

void TCustomVellumEdit::SetUndoGroupMode(bool on) {
  if (on) {
    TCustomVellumEdit* e = GetInnermostEditor();
    e->EditData()->SetUndoGroupMode(true);
    FGroupModeHolders.emplace_back(e);
    return;
  }
  if (FGroupModeHolders.empty()) {
    GetInnermostEditor()->EditData()->SetUndoGroupMode(false);
    return;
  }
  // A cell the command opened must not take the off, leaving this
  // document's list grouping every later step into the command's one; a
  // cell editor the command closed took its group mode with it.
  TCustomVellumEdit* e = FGroupModeHolders.back().Get();
  FGroupModeHolders.pop_back();
  if (e) e->EditData()->SetUndoGroupMode(false);
}

void TCustomVellumEdit::ClearUndo() {
  if (TCustomVellumEdit* inner = InplaceEdit()) inner->ClearUndo();
  EditData()->UndoList->Clear();
  EditData()->RedoList->Clear();
}

void TCustomVellumEdit::Undo() { RouteHistory(false); }

void TCustomVellumEdit::Redo() { RouteHistory(true); }

void TCustomVellumEdit::RouteHistory(bool redo) {
  if (GetReadOnly()) {
    MessageBeep(0);
    return;
  }
  TCustomVellumEdit* holder = HistoryHolder(redo);
  if (!holder) {
    GetInnermostEditor()->EditData()->Beep();
    return;
  }
  // The editors open inside the holder close first (their history goes to
  // it); not now when the request came through one of them (its key), as
  // it would be gone under its own handler.
  for (TCustomVellumEdit* e = holder->InplaceEdit(); e; e = e->InplaceEdit())
    if (e == this) {
      PostMessage(holder, redo ? WM_VLREDOFROMINPLACE : WM_VLUNDOFROMINPLACE);
      return;
    }
  holder->DestroyInplaceEditor();
  holder->ReplayOwnHistory(redo);
}

void TCustomVellumEdit::ReplayOwnHistory(bool redo) {
  TVLEditVLData* d = EditData();
  TVLUndoList* list = redo ? d->RedoList.get() : d->UndoList.get();
  if (list->Count() > 0)
    RunEdit([&] { redo ? list->Redo(d) : list->Undo(d); }, false);
  else
    d->Beep();
  // Undo from a dialog (spelling) leaves that dialog active. The keyboard
  // goes where the replay left the caret: a cell it opened keeps it.
  TCustomVellumEdit* caret = GetInnermostEditor();
  if (caret->Showing() && caret->CanFocus() && !HoldsWindowFocus(caret)) SetWindowFocus(caret);
}

// ---- caret and items ----------------------------------------------------------------------

Integer TCustomVellumEdit::CurItemNo() { return EditData()->GetCaretItemNo(); }
Integer TCustomVellumEdit::OffsetInCurItem() { return EditData()->GetCaretOffset(); }

void TCustomVellumEdit::SetCaret(Integer itemNo, Integer offs) {
  TVLEditVLData* d = EditData();
  if (d->DrawItems.Count() == 0) Format();
  d->Deselect(nullptr, false);
  d->SetCaretToItemPos(itemNo, offs);
  Invalidate();
}

TCustomVLItemInfo* TCustomVellumEdit::GetCurrentItem() {
  TVLEditVLData* d = GetInnermostEditor()->EditData();
  const Integer n = d->GetCaretItemNo();
  return n >= 0 ? d->GetItem(n) : nullptr;
}

TVLTag TCustomVellumEdit::GetCurrentTag() {
  TCustomVLItemInfo* item = GetCurrentItem();
  return item ? item->Tag : TVLTag();
}

String TCustomVellumEdit::GetCurrentItemText() {
  TCustomVellumEdit* e = GetInnermostEditor();
  const Integer n = e->EditData()->GetCaretItemNo();
  return n >= 0 ? e->GetItemTextUtf8(n) : String();
}

TCustomVLItemInfo* TCustomVellumEdit::FindCurrentItemOfClass(
    const std::function<bool(TCustomVLItemInfo*)>& isOfClass) {
  TCustomVLItemInfo* item = GetCurrentItem();
  return item && isOfClass(item) ? item : nullptr;
}

bool TCustomVellumEdit::SearchText(const String& text, bool down, bool matchCase, bool wholeWord) {
  if (TCustomVellumEdit* inner = InplaceEdit()) {
    if (inner->SearchText(text, down, matchCase, wholeWord)) return true;
    // Past the end of the edited document: on through the item that holds
    // it, from the document after it.
    TVLEditVLData* d = EditData();
    const Integer itemNo = d->ItemNoOfObject(ActiveItem);
    const bool focused = HoldsWindowFocus(inner->GetInnermostEditor());
    // Closed while the search goes on past it; a search that finds nothing
    // opens it again with its caret and selection, as it was. A busy
    // editor stays: the search ends in it.
    std::function<void()> reopen;
    try {
      reopen = SuspendInplaceEditor();
    } catch (const EVLTableInplaceError&) {
      return false;
    }
    if (!reopen) DestroyInplaceEditor();
    if (focused && Showing()) SetWindowFocus(this);
    if (itemNo >= 0) {
      d->SetSelectionBounds(itemNo, 0, itemNo, 1);
      if (VLSearchTextFrom(*d, down, matchCase, Utf8ToWide(text), wholeWord, itemNo, down ? 0 : 1)) return true;
    }
    if (reopen) reopen();
    return false;
  }
  TCustomVellumEdit* e = this;
  TVLEditVLData* d = e->EditData();
  if (d->SelectionExists() || d->GetItemCount() == 0 || !d->CaretStop())
    return e->TCustomVellum::SearchText(text, down, matchCase, wholeWord);
  // From the caret, not from the top of the view: after a replacement the
  // search goes on past the inserted text instead of finding it again.
  return VLSearchTextFrom(*d, down, matchCase, Utf8ToWide(text), wholeWord, d->GetCaretItemNo(), d->GetCaretOffset());
}

void TCustomVellumEdit::FireCaretMove() {
  // The editing commands' state follows the caret and the selection.
  if (Application) Application->InvalidateActions();
  if (!FDestroying && OnCaretMove) OnCaretMove(GetRootEditor());
}

void TCustomVellumEdit::ShowScreenRect(const TRect& screen) {
  const TPoint origin = ClientToScreen(TPoint(0, 0));
  TVLEditVLData* d = EditData();
  if (d->HoldsView()) return;
  VLShowRectangle(*d, screen.Left - origin.X + d->GetHOffset(), screen.Top - origin.Y + d->GetVOffset(),
                  screen.Width(), screen.Height());
}

void TCustomVellumEdit::Format() {
  TVLEditVLData* d = EditData();
  Integer item = -1, offs = 0;
  if (d->CaretDrawItemNo >= 0 && d->CaretDrawItemNo < d->DrawItems.Count() && d->CaretStop()) {
    item = d->GetCaretItemNo();
    offs = d->GetCaretOffset();
  }
  TCustomVellum::Format();
  // An empty document has no caret place: the one of the document before
  // it (beside a table, as tall as it) must not stay on screen.
  if (d->DrawItems.Count() == 0) {
    DataSetCaret(0, 0, 0, false);
    return;
  }
  if (item < 0) {
    item = 0;
    offs = d->GetItemStartOffset(0);
  }
  d->SetCaretToItemPos(item, offs);
}

void TCustomVellumEdit::Resize() {
  TVLEditVLData* d = EditData();
  const bool hadCaret = d->CaretDrawItemNo >= 0 && d->CaretStop();
  // What the view showed before: its size then, short of the frame and the
  // bars shown now. A bar that came or went since the last resize (with the
  // document's length) changed what it showed without one.
  const Integer wasW = std::max<Integer>(0, FViewW - (GetWidth() - ClientWidth()));
  const Integer wasH = std::max<Integer>(0, FViewH - (GetHeight() - ClientHeight()));
  const bool shown = hadCaret && d->CaretInView(wasW, wasH);
  // How much of the caret's height shows: a view growing shorter, or lines
  // rewrapped narrower above it, must not leave less of it at the bottom
  // edge than it showed.
  auto shownPart = [d](Integer high) {
    return std::min(d->CaretY + d->CaretHeight, d->GetVOffset() + high) - std::max(d->CaretY, d->GetVOffset());
  };
  const Integer wasPart = shown ? std::min(shownPart(wasH), d->CaretHeight) : 0;
  // A cell editor's caret, where this view shows it (cell editors move with
  // the view, not with its size).
  auto innerCaret = [this](TRect& r) {
    TCustomVellumEdit* inner = GetInnermostEditor();
    TPoint p;
    if (!inner || inner == this || inner->EditData()->CaretHeight <= 0 || !inner->Showing() ||
        !inner->EditData()->GetCaretClientPoint(p))
      return false;
    const TPoint at = ScreenToClient(inner->ClientToScreen(p));
    r = TRect(at.X, at.Y, at.X + 2, at.Y + inner->EditData()->CaretHeight + 2);
    return true;
  };
  TRect inner;
  const bool innerShown = innerCaret(inner) && inner.Left >= 0 && inner.Left < wasW && inner.Top >= 0 &&
                          inner.Top < wasH;
  // (The rectangle is two pixels taller than the caret.)
  const Integer innerPart = innerShown ? std::min(inner.Bottom - 2, wasH) - inner.Top : 0;
  FViewW = GetWidth();
  FViewH = GetHeight();
  Integer item = 0, offs = 0;
  if (hadCaret) {
    item = d->GetCaretItemNo();
    offs = d->GetCaretOffset();
  }
  TCustomVellum::Resize();
  if (hadCaret && d->DrawItems.Count() > 0) {
    // Keeps the window where it is; only the caret follows the new lines,
    // and the view follows a caret it showed (a narrower window over a
    // wide table).
    d->NoScroll = true;
    d->SetCaretToItemPos(item, offs);
    d->NoScroll = false;
    if (shown && (!d->CaretInView() || shownPart(d->GetHeight()) < wasPart)) d->ScrollToCaret();
  }
  // The cell editors were laid out at their new widths with the document.
  if (GetRootEditor() == this)
    if (auto* cell = dynamic_cast<TCustomVellumEdit*>(GetInplaceEditor())) cell->HostLaidOut();
  if (innerShown && innerCaret(inner) &&
      (inner.Left < 0 || inner.Left >= ClientWidth() || inner.Top < 0 || inner.Top >= ClientHeight() ||
       std::min(inner.Bottom - 2, ClientHeight()) - inner.Top < innerPart))
    ShowScreenRect(TRect(ClientToScreen(TPoint(inner.Left, inner.Top)), ClientToScreen(TPoint(inner.Right, inner.Bottom))));
}

// ---- caret drawing ------------------------------------------------------------------------------

void TCustomVellumEdit::DataSetCaret(Integer x, Integer y, Integer height, bool visible) {
  const bool sizeChanged = height != FCaretH;
  FCaretX = x;
  FCaretY = y;
  FCaretH = height;
  FCaretVisible = visible && height > 0;
  if (height <= 0) {
    HideCaret();
    return;
  }
  if (sizeChanged || !CaretVisible()) CreateCaret(TVLEditVLData::CaretWidth, height);
  PlaceDrawnCaret();
  if (FCaretVisible)
    ShowCaret();
  else
    HideCaret();
}

void TCustomVellumEdit::PlaceDrawnCaret() {
  Integer x = FCaretX;
  // During a composition the caret stands at the input method's cursor
  // inside the pre-edit.
  if (!FPreedit.empty() && FPreeditCursor > 0 && Canvas()) {
    TVLEditVLData* d = EditData();
    TVLStyle* style = GetStyle();
    const Integer actual = d->GetActualStyleNo(d->CurTextStyleNo, d->CurParaStyleNo);
    if (style && actual >= 0 && actual < style->TextStyles->Count()) {
      style->TextStyles->Items(actual)->Apply(Canvas(), GetBiDiMode());
      x += Canvas()->TextWidthW(FPreedit.substr(0, static_cast<size_t>(FPreeditCursor)));
    }
  }
  SetCaretPos(x, FCaretY);
}

void TCustomVellumEdit::VScrolled() {
  if (OnVScrolled) OnVScrolled(this);
  EditData()->UpdateHostCaret();
  GenerateMouseMove();
  RefreshNested(false);
}

void TCustomVellumEdit::HScrolled() {
  if (OnHScrolled) OnHScrolled(this);
  EditData()->UpdateHostCaret();
  GenerateMouseMove();
  RefreshNested(false);
}

void TCustomVellumEdit::Invalidated(const TRect& rect) {
  if (FShifting) return;
  // Kept where the last painted image has it: a scroll not painted yet
  // moves the image and what is to be painted in it alike.
  TRect r = rect;
  if (FCacheValid) OffsetRect(r, EditData()->GetHOffset() - FCacheH, EditData()->GetVOffset() - FCacheV);
  AddDirty(r);
}

void TCustomVellumEdit::AddDirty(const TRect& rect) {
  if (IsRectEmpty(rect)) return;
  auto area = [](const TRect& r) { return static_cast<int64_t>(r.Width()) * r.Height(); };
  for (TRect& d : FDirty) {
    TRect u;
    UnionRect(u, d, rect);
    // One rectangle where that paints little more than the two would
    // (a thin strip across a column is painted on its own).
    if (area(u) * 4 <= (area(d) + area(rect)) * 5) {
      d = u;
      return;
    }
  }
  constexpr size_t MaxDirty = 8;
  if (FDirty.size() < MaxDirty) {
    FDirty.push_back(rect);
    return;
  }
  TRect u = rect;
  for (const TRect& d : FDirty) UnionRect(u, u, d);
  FDirty.assign(1, u);
}

bool TCustomVellumEdit::ShiftPainted(const TRect& rect, Integer dx) {
  const Integer w = ClientWidth(), h = ClientHeight();
  TVLEditVLData* d = EditData();
  if (!FCacheValid || !FCache || FCache->GetWidth() != w || FCache->GetHeight() != h || d->GetHOffset() != FCacheH ||
      d->GetVOffset() != FCacheV || TVLScroller::FocusedEx(this) != FCacheFocused)
    return false;
  const TRect client(0, 0, w, h);
  TRect src;
  if (!IntersectRect(src, rect, client)) return true;
  if (dx == 0) return true;
  // Where the moved pixels land inside the window, and where they come from.
  TRect dst(src.Left + dx, src.Top, src.Right + dx, src.Bottom);
  TRect to;
  if (IntersectRect(to, dst, client)) {
    const TRect from(to.Left - dx, to.Top, to.Right - dx, to.Bottom);
    if (!FCacheSpare || FCacheSpare->GetWidth() != w || FCacheSpare->GetHeight() != h)
      FCacheSpare = std::make_unique<TBitmap>(w, h);
    FCacheSpare->Canvas()->CopyRect(from, FCache->Canvas(), from);
    FCache->Canvas()->CopyRect(to, FCacheSpare->Canvas(), from);
    // Pixels still to be painted where they were are still to be painted
    // where they went.
    const std::vector<TRect> dirty = FDirty;
    for (const TRect& r : dirty) {
      TRect part;
      if (IntersectRect(part, r, from)) AddDirty(TRect(part.Left + dx, part.Top, part.Right + dx, part.Bottom));
    }
    FShifting = true;
    InvalidateRect(to);
    FShifting = false;
  }
  // What nothing moved into.
  if (dx > 0)
    InvalidateRect(TRect(src.Left, src.Top, std::min(src.Left + dx, src.Right), src.Bottom));
  else
    InvalidateRect(TRect(std::max(src.Right + dx, src.Left), src.Top, src.Right, src.Bottom));
  return true;
}

void TCustomVellumEdit::Repaint() {
  // A full repaint asked for by name draws everything again.
  FCacheValid = false;
  TCustomVellum::Repaint();
}

void TCustomVellumEdit::PaintDocument(TCanvas* canvas, const TRect& clip) {
  const Integer w = ClientWidth(), h = ClientHeight();
  if (w <= 0 || h <= 0) return;
  const TRect client(0, 0, w, h);
  TVLEditVLData* d = EditData();
  const bool focused = TVLScroller::FocusedEx(this);
  const Integer hOffs = d->GetHOffset(), vOffs = d->GetVOffset();
  if (!FCache || FCache->GetWidth() != w || FCache->GetHeight() != h) {
    FCache = std::make_unique<TBitmap>(w, h);
    FCacheSpare.reset();
    FCacheValid = false;
  }
  if (FCacheValid && focused == FCacheFocused && (hOffs != FCacheH || vOffs != FCacheV)) {
    // Scrolled: what stays visible moves, the uncovered strips are drawn.
    const Integer dx = FCacheH - hOffs, dy = FCacheV - vOffs;
    if (std::abs(dx) < w && std::abs(dy) < h) {
      if (!FCacheSpare || FCacheSpare->GetWidth() != w || FCacheSpare->GetHeight() != h)
        FCacheSpare = std::make_unique<TBitmap>(w, h);
      TRect src, dst;
      IntersectRect(dst, client, TRect(dx, dy, w + dx, h + dy));
      src = dst;
      OffsetRect(src, -dx, -dy);
      FCacheSpare->Canvas()->CopyRect(dst, FCache->Canvas(), src);
      std::swap(FCache, FCacheSpare);
      std::vector<TRect> dirty;
      dirty.swap(FDirty);
      for (TRect r : dirty) {
        OffsetRect(r, dx, dy);
        TRect in;
        if (IntersectRect(in, r, client)) AddDirty(in);
      }
      if (dx > 0) AddDirty(TRect(0, 0, dx, h));
      if (dx < 0) AddDirty(TRect(w + dx, 0, w, h));
      if (dy > 0) AddDirty(TRect(0, 0, w, dy));
      if (dy < 0) AddDirty(TRect(0, h + dy, w, h));
    } else {
      FCacheValid = false;
    }
  }
  if (!FCacheValid || focused != FCacheFocused) FDirty.assign(1, client);
  FCacheValid = true;
  FCacheFocused = focused;
  FCacheH = hOffs;
  FCacheV = vOffs;
  std::vector<TRect> todo;
  todo.swap(FDirty);
  for (const TRect& r : todo) {
    TRect dirty;
    if (IntersectRect(dirty, r, client)) d->PaintBuffered(FCache->Canvas(), dirty);
  }
  canvas->CopyRect(clip, FCache->Canvas(), clip);
}

void TCustomVellumEdit::Paint() {
  TCanvas* canvas = Canvas();
  if (!canvas) return;
  if (!GetStyle()) {
    TCustomVellum::Paint();
    return;
  }
  PaintDocument(canvas, canvas->ClipRect());
  if (OnPaint) OnPaint(this, canvas, false);
  if (FPreedit.empty() || FCaretH <= 0) return;
  // The pre-edit is shown at the caret, underlined, over the document; it
  // joins the document only when the input method commits it.
  TCanvas* c = Canvas();
  TVLEditVLData* d = EditData();
  TVLStyle* style = GetStyle();
  const Integer actual = d->GetActualStyleNo(d->CurTextStyleNo, d->CurParaStyleNo);
  if (actual < 0 || actual >= style->TextStyles->Count()) return;
  style->TextStyles->Items(actual)->Apply(c, GetBiDiMode());
  const Integer w = c->TextWidthW(FPreedit);
  const Integer h = FCaretH;
  c->Brush.Style = bsSolid;
  c->Brush.Color = GetEffectiveColor();
  c->FillRect(Bounds(FCaretX, FCaretY, w + 1, h));
  c->Brush.Style = bsClear;
  c->Font.SetColor(style->TextStyles->Items(actual)->Color);
  c->Font.SetStyle(c->Font.GetStyle() + TFontStyles{fsUnderline});
  const Integer th = c->TextHeight("Wg");
  c->TextOutW(FCaretX, FCaretY + std::max(0, h - th - 1), FPreedit);
}

// ---- focus and messages ------------------------------------------------------------------------------

void TCustomVellumEdit::DoEnter() {
  TCustomVellum::DoEnter();
  if (FDestroying) return;
  TVLEditVLData* d = EditData();
  if (!GetStyle()) return;
  d->PrepareEmptyDocument();
  if (d->DrawItems.Count() == 0) return;
  // The focus coming back (a press on the entry around a cell editor
  // hands it on) leaves the view where it is while the caret shows.
  TVLEditVLData::TKeepView keep{*d};
  if (d->CaretDrawItemNo < 0 || !d->CaretStop()) {
    // No caret yet: the document's start, where the window stands.
    d->NoScroll = true;
    d->SetCaretToItemPos(0, d->GetItemStartOffset(0));
    d->NoScroll = false;
  } else {
    d->PlaceCaret(false, false, true);
  }
  Invalidate();
}

void TCustomVellumEdit::DoExit() {
  TCustomVellum::DoExit();
  if (FDestroying) return;
  // The Ctrl release may go to the window that took the focus.
  if (FEditorOptions.Contains(vloCtrlJumps) && GetStyle()) EditData()->LeaveJumpMode();
  FPreedit.clear();
  HideCaret();
  FCaretVisible = false;
  GenerateMouseMove();
}

void TCustomVellumEdit::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_CUT: CutToClipboard(); return;
    case WM_PASTE: Paste(); return;
    case WM_CLEAR: DeleteSelection(); return;
    case WM_UNDO:
    case EM_UNDO:
      message.Result = GetUndoType() != vlutNone;
      Undo();
      return;
    case EM_REDO:
      message.Result = GetRedoType() != vlutNone;
      if (message.Result) Redo();
      return;
    case EM_CANUNDO: message.Result = GetUndoType() != vlutNone; return;
    case WM_INPUTLANGCHANGE:
      SwitchToInputLanguage(static_cast<Byte>(message.WParam));
      message.Result = 1;
      return;
    case EM_CANREDO: message.Result = GetRedoType() != vlutNone; return;
    case WM_VLUNDOFROMINPLACE:
    case WM_VLREDOFROMINPLACE:
      DestroyInplaceEditor();
      ReplayOwnHistory(message.Msg == WM_VLREDOFROMINPLACE);
      return;
    default: TCustomVellum::WndProc(message);
  }
}

// ---- input method ---------------------------------------------------------------------------------------

void TCustomVellumEdit::ImePreedit(const WideString& text, int cursorPos) {
  TCustomControl::ImePreedit(text, cursorPos);
  if (text == FPreedit && cursorPos == FPreeditCursor) return;
  FPreedit = text;
  FPreeditCursor = cursorPos;
  if (!FPreedit.empty() && GetStyle()) SwitchToUnicodeStyle();
  PlaceDrawnCaret();
  Invalidate();
}

void TCustomVellumEdit::ImeCommit(const WideString& text) {
  TCustomControl::ImeCommit(text);
  FPreedit.clear();
  FPreeditCursor = 0;
  if (text.empty()) return;
  SwitchToUnicodeStyle();
  TypeText(text);
  PlaceDrawnCaret();
  Invalidate();
}

bool TCustomVellumEdit::ImeSurrounding(WideString& text, int& cursorPos, int& anchorPos) {
  // The caret's paragraph, as far as its text items go.
  TVLEditVLData* d = EditData();
  if (!GetStyle() || d->DrawItems.Count() == 0 || !d->CaretStop()) return false;
  const Integer caretItem = d->GetCaretItemNo();
  const Integer caretOffs = d->GetCaretOffset();
  Integer selItem = caretItem, selOffs = caretOffs;
  if (d->SelectionExists()) {
    Integer si, so, ei, eo;
    d->GetSelBounds(false, si, so, ei, eo);
    selItem = si;
    selOffs = so;
  }
  const Integer first = d->GetParaStartItem(caretItem);
  Integer last = caretItem;
  while (last + 1 < d->GetItemCount() && !d->GetItem(last + 1)->IsParaStart()) ++last;
  text.clear();
  cursorPos = anchorPos = 0;
  bool anchorFound = false;
  for (Integer i = first; i <= last; ++i) {
    WideString w;
    if (d->GetItemStyle(i) >= 0) w = Utf8ToWide(GetItemTextUtf8(i));
    else
      w = WideString(1, char16_t(0xFFFC));
    const int base = static_cast<int>(text.size());
    auto pos = [&](Integer offs) {
      if (d->GetItemStyle(i) < 0) return base + (offs >= 1 ? 1 : 0);
      // Offsets count UTF-16 units of the item's text.
      return base + static_cast<int>(std::clamp<Integer>(offs - 1, 0, static_cast<Integer>(w.size())));
    };
    if (i == caretItem) cursorPos = pos(caretOffs);
    if (i == selItem) {
      anchorPos = pos(selOffs);
      anchorFound = true;
    }
    text += w;
  }
  if (!anchorFound) anchorPos = cursorPos;
  return true;
}

void TVLEditVLData::SelectionChanged() {
  if (SelEndDrawItem >= 0 && SelEndDrawItem < DrawItems.Count()) CaretToSelectionEnd();
}

bool TVLEditVLData::HostReadOnly() {
  TCustomVellumEdit* e = Editor();
  return e && e->GetReadOnly();
}

bool TVLEditVLData::HideReadOnlyCaret() {
  TCustomVellumEdit* e = Editor();
  return e && e->GetEditorOptions().Contains(vloHideReadOnlyCaret);
}

void TVLEditVLData::HostSetCaret(Integer x, Integer y, Integer height, bool visible) {
  if (TCustomVellumEdit* e = Editor()) e->DataSetCaret(x, y, height, visible);
}

void TVLEditVLData::NotifyChange(bool clearRedo) {
  if (TCustomVellumEdit* e = Editor()) {
    e->DataChanged(clearRedo);
    return;
  }
  if (clearRedo && RedoList) RedoList->Clear();
}

void TVLEditVLData::DoCaretMove() {
  if (TCustomVellumEdit* e = Editor()) e->FireCaretMove();
}

void TVLEditVLData::DoCurTextStyleChanged() {
  if (TCustomVellumEdit* e = Editor()) e->DoCurTextStyleChanged();
}

void TVLEditVLData::DoCurParaStyleChanged() {
  if (TCustomVellumEdit* e = Editor()) e->DoCurParaStyleChanged();
}

void TVLEditVLData::DoStyleConversion(Integer styleNo, Integer userData, bool appliedToText, Integer& newStyleNo) {
  if (TCustomVellumEdit* e = Editor()) e->DataStyleConversion(styleNo, userData, appliedToText, newStyleNo);
}

void TVLEditVLData::DoParaStyleConversion(Integer paraNo, Integer userData, Integer& newParaNo) {
  if (TCustomVellumEdit* e = Editor()) e->DataParaStyleConversion(paraNo, userData, newParaNo);
}

bool TVLEditVLData::ClearTagOnStyleApp() {
  TCustomVellumEdit* e = Editor();
  return !e || e->GetEditorOptions().Contains(vloClearTagOnStyleApp);
}
