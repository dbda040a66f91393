#include "actions/VLVellumActionEditor.h"

#include "platform/base/Streams.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/Graphics.h"
#include "richtext/editor/VellumEdit.h"
#include "richtext/model/VLClipFormats.h"
#include "richtext/table/VLTable.h"
#include "richtext/view/VLCopy.h"

#include <algorithm>
#include <map>
#include <memory>

namespace {

using TNativeConversion = ::TVLStyleConversionEvent;

// A handler of the actions installed on the control; kept recognisable so
// that reading it back gives the very handler that was set.
struct TToAction {
  std::shared_ptr<TVLActionStyleConversionEvent> Handler;
  void operator()(TCustomVellumEdit* sender, Integer styleNo, Integer userData, bool appliedToText,
                  Integer& newStyleNo) const {
    (*Handler)(ActionEditorOf(sender), styleNo, userData, appliedToText, newStyleNo);
  }
};

// The control's own handler as the actions see it; setting it back puts the
// original on the control, so saving and restoring never piles up wrappers.
struct TToNative {
  TNativeConversion Native;
  void operator()(TVLActionEditor* sender, Integer styleNo, Integer userData, bool appliedToText,
                  Integer& newStyleNo) const {
    auto* edit = sender ? dynamic_cast<TCustomVellumEdit*>(sender->EditorControl()) : nullptr;
    Native(edit, styleNo, userData, appliedToText, newStyleNo);
  }
};

TVLActionStyleConversionEvent FromNative(const TNativeConversion& native) {
  if (!native) return {};
  if (const auto* ours = native.target<TToAction>()) return *ours->Handler;
  return TToNative{native};
}

TNativeConversion ToNative(const TVLActionStyleConversionEvent& handler) {
  if (!handler) return {};
  if (const auto* native = handler.target<TToNative>()) return native->Native;
  return TToAction{std::make_shared<TVLActionStyleConversionEvent>(handler)};
}

bool LoadInto(TCustomVellumEdit& edit, const String& FileName, TVLDocumentFormat Format, Integer StyleNo,
              Integer ParaNo) {
  try {
    switch (Format) {
      case TVLDocumentFormat::VLF: return edit.LoadVLF(FileName);
      case TVLDocumentFormat::RTF: return edit.LoadRTF(FileName);
      case TVLDocumentFormat::Text: return edit.LoadText(FileName, StyleNo, ParaNo, false);
      case TVLDocumentFormat::UnicodeText: return edit.LoadTextUnicode(FileName, StyleNo, ParaNo, false);
    }
  } catch (const std::exception&) {
  }
  return false;
}

std::unique_ptr<TMemoryStream> StreamOf(const AnsiString& bytes) {
  auto stream = std::make_unique<TMemoryStream>();
  if (!bytes.empty()) stream->WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
  stream->Seek(0, soBeginning);
  return stream;
}

class TVellumActionEditor final : public TVLActionEditor {
public:
  explicit TVellumActionEditor(TCustomVellumEdit* edit) : E(edit) {}

  TWinControl* EditorControl() override { return E; }
  TVLActionEditor* GetCellEditorParent() override {
    for (TWinControl* p = E->GetParent(); p; p = p->GetParent())
      if (auto* outer = dynamic_cast<TCustomVellumEdit*>(p); outer && outer->GetInplaceEditor() == E)
        return ActionEditorOf(outer);
    return nullptr;
  }
  TVLActionEditor* GetInplaceEditor() override {
    return ActionEditorOf(dynamic_cast<TCustomVellumEdit*>(E->GetInplaceEditor()));
  }
  TVLActionEditor* GetInnermostEditor() override { return ActionEditorOf(E->GetInnermostEditor()); }
  TCustomVLData* GetVLData() override { return E->VLData(); }

  TVLStyle* GetStyle() override { return E->GetStyle(); }
  Integer GetCurTextStyleNo() override { return E->GetCurTextStyleNo(); }
  Integer GetCurParaStyleNo() override { return E->GetCurParaStyleNo(); }
  TVLBiDiMode GetBiDiMode() override { return E->GetBiDiMode(); }
  Integer GetLeftMargin() override { return E->LeftMargin; }
  Integer GetRightMargin() override { return E->RightMargin; }
  TVLActionStyleConversionEvent GetOnStyleConversion() override { return FromNative(E->OnStyleConversion); }
  void SetOnStyleConversion(TVLActionStyleConversionEvent handler) override {
    E->OnStyleConversion = ToNative(handler);
  }
  TVLActionStyleConversionEvent GetOnParaStyleConversion() override {
    return FromNative(E->OnParaStyleConversion);
  }
  void SetOnParaStyleConversion(TVLActionStyleConversionEvent handler) override {
    E->OnParaStyleConversion = ToNative(handler);
  }
  void ApplyStyleConversion(Integer UserData) override { E->ApplyStyleConversion(UserData); }
  void ApplyParaStyleConversion(Integer UserData) override { E->ApplyParaStyleConversion(UserData); }
  void ChangeListLevels(Integer Delta) override { E->ChangeListLevels(Delta); }

  void BeginUndoGroup(Integer UndoType) override { E->BeginUndoGroup(static_cast<Byte>(UndoType)); }
  void SetUndoGroupMode(bool On) override { E->SetUndoGroupMode(On); }
  Integer GetUndoType() override { return E->GetUndoType(); }
  Integer GetRedoType() override { return E->GetRedoType(); }
  void Undo() override { E->Undo(); }
  void Redo() override { E->Redo(); }

  bool SelectionExists() override { return E->SelectionExists(); }
  void GetSelectionBounds(Integer& StartItemNo, Integer& StartItemOffs, Integer& EndItemNo,
                          Integer& EndItemOffs) override {
    E->EditData()->GetSelectionBoundsOrCaret(StartItemNo, StartItemOffs, EndItemNo, EndItemOffs);
  }
  Integer GetItemStartOffset(Integer ItemNo) override { return E->GetItemStartOffset(ItemNo); }
  Integer GetItemEndOffset(Integer ItemNo) override { return E->GetItemEndOffset(ItemNo); }
  AnsiString GetSelText() override { return E->GetSelText(); }
  void SelectAll() override { E->SelectAll(); }
  void CutToClipboard() override { E->CutToClipboard(); }
  void Copy() override { E->Copy(); }
  void Paste() override { E->Paste(); }
  bool CanPaste() override { return E->CanPaste(); }

  void PasteVLF() override {
    AnsiString vlf;
    if (!VLReadVLFBlock(Clipboard().GetData(ClipboardFormatVLF()), vlf)) return Refuse();
    E->InsertVLFFromStream(*StreamOf(vlf));
  }
  void PasteRTF() override {
    const AnsiString rtf = Clipboard().GetData(ClipboardFormatRTF());
    if (rtf.empty()) return Refuse();
    E->InsertRTFFromStream(*StreamOf(rtf));
  }
  void PasteText() override {
    if (!Clipboard().HasFormat(CF_TEXT)) return Refuse();
    E->InsertText(Clipboard().GetAsText());
  }
  void PasteUnicodeText() override {
    if (!Clipboard().HasFormat(CF_UNICODETEXT)) return Refuse();
    E->InsertWideText(Clipboard().GetAsUnicodeText());
  }
  void PasteBitmap(bool TextAsName) override {
    auto bitmap = std::make_unique<TBitmap>();
    if (!Clipboard().GetBitmap(*bitmap)) return Refuse();
    const String name = TextAsName && Clipboard().HasFormat(CF_TEXT) ? Clipboard().GetAsText() : String();
    E->InsertPicture(name, std::move(bitmap), vlvaBaseline);
  }
  // This platform's clipboard carries no metafiles, so none is ever offered.
  void PasteMetafile(bool) override { Refuse(); }

  bool SearchText(const AnsiString& Text, TVLSearchOptions Options) override {
    return E->SearchText(Text, Options.Contains(vlseoDown), Options.Contains(vlseoMatchCase),
                         Options.Contains(vlseoWholeWord));
  }
  bool InsertText(const AnsiString& Text, bool CaretBefore) override {
    // A match over items of several styles (a bold first letter) is
    // replaced in its first character's style, as one inside an item is.
    TCustomVellumEdit* inner = E->GetInnermostEditor();
    TVLEditVLData* d = inner->EditData();
    Integer s1, o1, s2, o2;
    d->GetSelectionBoundsOrCaret(s1, o1, s2, o2);
    if (s1 >= 0 && s1 != s2 && d->GetItemStyle(s1) >= 0) inner->SetCurTextStyleNo(d->GetItem(s1)->StyleNo);
    return E->InsertText(Text, CaretBefore);
  }

  bool TagsArePChars() override { return E->VLData()->TagsArePChars(); }
  bool HasActiveItem() override { return E->VLData()->ActiveItem != nullptr; }
  bool IsFromNewLine(Integer ItemNo) override { return E->VLData()->IsFromNewLine(ItemNo); }
  void SetSelectionBounds(Integer StartNo, Integer StartOffs, Integer EndNo, Integer EndOffs) override {
    E->SetSelectionBounds(StartNo, StartOffs, EndNo, EndOffs);
    E->Invalidate();
  }
  void SetCurTextStyleNo(Integer StyleNo) override { E->SetCurTextStyleNo(StyleNo); }
  bool InsertTaggedText(const String& Text, const String& Target) override {
    TVLTag tag;
    tag.Str = Target;
    return E->InsertTaggedText(Text, tag);
  }
  void SetItemTag(Integer ItemNo, const String& Target) override {
    TVLTag tag;
    tag.Str = Target;
    E->SetItemTag(ItemNo, tag);
  }
  String GetItemTag(Integer ItemNo) override { return E->VLData()->GetItemTag(ItemNo).Str; }
  void ConvertToHotPicture(Integer ItemNo) override { E->ConvertToHotPicture(ItemNo); }
  void ConvertToPicture(Integer ItemNo) override { E->ConvertToPicture(ItemNo); }
  bool InsertPicture(const String& Name, std::unique_ptr<TGraphic> Graphic, TVLVAlign VAlign) override {
    return E->InsertPicture(Name, std::move(Graphic), VAlign);
  }
  bool InsertBreak(Byte Width, Byte Style, TColor Color) override { return E->InsertBreak(Width, Style, Color); }
  void InsertPageBreak() override { E->InsertPageBreak(); }
  void RemoveCurrentPageBreak() override { E->RemoveCurrentPageBreak(); }
  TColor GetDocumentColor() override { return E->GetColor(); }
  void SetDocumentColor(TColor Color) override {
    E->SetColor(Color);
    E->Invalidate();
  }
  bool SavesBackground() override { return E->VLFOptions.Contains(vlfoSaveBack); }
  void MarkModified() override { E->DoChange(false); }
  bool CanChange() override { return E->CanChange(); }
  bool IsReadOnly() override { return E->GetReadOnly(); }
  void ApplyListStyle(Integer ListNo, Integer Level, Integer StartFrom, bool UseStartFrom) override {
    E->ApplyListStyle(ListNo, Level, StartFrom, UseStartFrom);
  }
  void RemoveLists() override { E->RemoveLists(); }
  TCustomVLItemInfo* GetCurrentItem() override { return E->GetCurrentItem(); }
  String GetCurrentItemText() override { return E->GetCurrentItemText(); }
  String GetCurrentTag() override { return E->GetCurrentTag().Str; }
  void SetCurrentPictureInfo(const String& Name, std::unique_ptr<TGraphic> Graphic, TVLVAlign VAlign,
                             const String& Tag) override {
    E->SetCurrentPictureInfo(Name, std::move(Graphic), VAlign, TagOf(Tag));
  }
  void SetCurrentBreakInfo(Byte Width, Byte Style, TColor Color, const String& Tag) override {
    E->SetCurrentBreakInfo(Width, Style, Color, TagOf(Tag));
  }
  void SetCurrentItemExtraIntProperty(TVLExtraItemProperty Prop, Integer Value) override {
    E->SetCurrentItemExtraIntProperty(Prop, Value, false);
  }
  void SaveCurrentItemParaWidth(Integer& Width) override { E->SaveCurrentItemParaWidth(Width); }
  void ReformatAfterCurrentItemChange(Integer Width) override { E->ReformatAfterCurrentItemChange(Width); }
  void Change() override { E->Change(); }
  bool InsertVLFFromFile(const String& FileName) override { return E->InsertVLFFromFile(FileName); }
  bool InsertRTFFromFile(const String& FileName) override { return E->InsertRTFFromFile(FileName); }
  bool InsertRTFFromStream(TStream& Stream) override { return E->InsertRTFFromStream(Stream); }
  bool InsertRefusalTold() override { return E->InsertRefusalTold(); }
  bool InsertTextFromFile(const String& FileName) override { return E->InsertTextFromFile(FileName); }
  bool InsertUnicodeTextFromFile(const String& FileName) override { return E->InsertUnicodeTextFromFile(FileName); }
  void Format() override { E->Format(); }
  const TBitmap* GetBackgroundBitmap() override { return E->GetBackgroundBitmap(); }
  void SetBackgroundBitmap(const TBitmap* Bitmap) override { E->SetBackgroundBitmap(Bitmap); }
  TBackgroundStyle GetBackgroundStyle() override { return E->GetBackgroundStyle(); }
  void SetBackgroundStyle(TBackgroundStyle Style) override { E->SetBackgroundStyle(Style); }
  bool SaveVLF(const String& FileName) override { return E->SaveVLF(FileName, false); }
  bool SaveRTF(const String& FileName) override { return E->SaveRTF(FileName, false); }
  bool SaveRTFToStream(TStream& Stream) override { return E->SaveRTFToStream(Stream, false); }
  bool SaveText(const String& FileName, bool Unicode) override {
    return Unicode ? E->SaveTextUnicode(FileName, 80) : E->SaveText(FileName, 80);
  }
  bool SaveHTML(const String& FileName, const String& Title, const String& ImagesPrefix, bool CSS,
                TVLSaveOptions Options) override {
    return CSS ? E->SaveCSSHTMLFile(FileName, Title, ImagesPrefix, Options)
               : E->SaveHTMLFile(FileName, Title, ImagesPrefix, Options);
  }
  bool GetModified() override { return E->Modified; }
  void SetModified(bool Value) override { E->Modified = Value; }
  void ClearDocument() override { E->Clear(); }
  void SetDocumentMargins(Integer Margin) override {
    E->LeftMargin = E->RightMargin = E->TopMargin = E->BottomMargin = Margin;
  }
  TRect GetDocumentMarginRect() override {
    return TRect(E->LeftMargin, E->TopMargin, E->RightMargin, E->BottomMargin);
  }
  void SetDocumentMarginRect(const TRect& m) override {
    E->LeftMargin = m.Left;
    E->TopMargin = m.Top;
    E->RightMargin = m.Right;
    E->BottomMargin = m.Bottom;
    E->Format();
    E->Invalidate();
  }
  void SetCurParaStyleNo(Integer ParaNo) override { E->SetCurParaStyleNo(ParaNo); }
  bool LoadDocument(const String& FileName, TVLDocumentFormat Format, Integer StyleNo, Integer ParaNo) override {
    return LoadInto(*E, FileName, Format, StyleNo, ParaNo);
  }
  bool CanLoadDocument(const String& FileName, TVLDocumentFormat Format, Integer StyleNo,
                       Integer ParaNo) override {
    TVLStyle sheet(nullptr);
    if (TVLStyle* own = E->GetStyle()) {
      sheet.SetTextStyles(*own->TextStyles);
      sheet.SetParaStyles(*own->ParaStyles);
      sheet.SetListStyles(*own->ListStyles);
    }
    TVellumEdit scratch(nullptr);
    scratch.SetStyle(&sheet);
    scratch.VLFOptions = E->VLFOptions;
    const bool ok = LoadInto(scratch, FileName, Format, StyleNo, ParaNo);
    scratch.Clear();
    return ok;
  }

  TVLTableItemInfo* FindCurrentTable(TVLActionEditor*& Holder) override {
    Holder = nullptr;
    TVLTableItemInfo* found = nullptr;
    // Down the chain of open cell editors: the deepest table wins.
    for (TCustomVellumEdit* e = E->GetRootEditor(); e; e = dynamic_cast<TCustomVellumEdit*>(e->GetInplaceEditor())) {
      TVLEditVLData* d = e->EditData();
      TVLTableItemInfo* table = nullptr;
      if (TControl* inner = e->GetInplaceEditor()) {
        // The table whose cell is open, wherever the caret item points.
        for (Integer i = 0; i < d->GetItemCount() && !table; ++i)
          if (auto* t = dynamic_cast<TVLTableItemInfo*>(d->GetItem(i)); t && t->OwnsInplaceEditor(inner)) table = t;
      } else {
        table = dynamic_cast<TVLTableItemInfo*>(d->ActiveItem.Get());
        const Integer n = d->GetCaretItemNo();
        if (!table && n >= 0 && n < d->GetItemCount()) table = dynamic_cast<TVLTableItemInfo*>(d->GetItem(n));
      }
      if (table) {
        found = table;
        Holder = ActionEditorOf(e);
      }
    }
    return found;
  }
  bool InsertItem(const String& Name, std::unique_ptr<TCustomVLItemInfo> Item) override {
    return E->InsertItem(Name, Item.release());
  }
  void DeleteSelection() override { E->DeleteSelection(); }
  Integer GetItemNo(const TCustomVLItemInfo* Item) override {
    TVLEditVLData* d = E->EditData();
    for (Integer i = 0; i < d->GetItemCount(); ++i)
      if (d->GetItem(i) == Item) return i;
    return -1;
  }
  void SaveItemParaWidth(Integer ItemNo, Integer& Width) override { E->SaveItemParaWidth(ItemNo, Width); }
  void ReformatAfterItemChange(Integer ItemNo, Integer Width) override { E->ReformatAfterItemChange(ItemNo, Width); }
  bool CaretLineHasPageBreak() override {
    TVLEditVLData* d = E->EditData();
    if (d->GetItemCount() == 0) return false;
    Integer itemNo = d->GetCaretItemNo();
    while (itemNo > 0 && !d->IsFromNewLine(itemNo)) --itemNo;
    return itemNo >= 0 && d->GetPageBreakBefore(itemNo);
  }

private:
  void Refuse() { E->VLData()->Beep(); }
  // A string target as a tag; integer tags are kept as the item has them.
  TVLTag TagOf(const String& Target) {
    TVLTag tag = E->GetCurrentTag();
    if (E->VLData()->TagsArePChars()) tag.Str = Target;
    return tag;
  }
  TCustomVellumEdit* E;
};

// One adapter per control, dropped when the control goes.
class TAdapters : public TComponent {
public:
  TAdapters() : TComponent(nullptr) {}
  TVLActionEditor* Of(TCustomVellumEdit* edit) {
    auto it = FMap.find(edit);
    if (it != FMap.end()) return it->second.get();
    edit->FreeNotification(this);
    return (FMap[edit] = std::make_unique<TVellumActionEditor>(edit)).get();
  }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove) FMap.erase(static_cast<TCustomVellumEdit*>(AComponent));
  }

private:
  std::map<TComponent*, std::unique_ptr<TVellumActionEditor>> FMap;
};

TAdapters& Adapters() {
  static TAdapters adapters;
  return adapters;
}

}  // namespace

TVLActionEditor* ActionEditorOf(TCustomVellumEdit* Edit) { return Edit ? Adapters().Of(Edit) : nullptr; }

TVLActionEditor* ResolveActionEditor(TObject* control) {
  if (auto* edit = dynamic_cast<TCustomVellumEdit*>(control)) return ActionEditorOf(edit);
  return dynamic_cast<TVLActionEditor*>(control);
}
