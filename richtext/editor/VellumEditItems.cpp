// Changing one item in place: a picture's graphic and alignment, a line's
// width and colour, a picture turned into a hypertext picture and back, and
// removing the page break of the caret's line. Each is one undo step.
#include "richtext/editor/VellumEdit.h"

#include "platform/gui/Dialogs.h"
#include "richtext/editor/VLUndo.h"
#include "richtext/model/VLClasses.h"

namespace {

bool IsPictureItem(const TCustomVLItemInfo* item) {
  return dynamic_cast<const TVLGraphicItemInfo*>(item) != nullptr &&
         (item->StyleNo == vlsPicture || item->StyleNo == vlsHotPicture);
}

bool IsBreakItem(const TCustomVLItemInfo* item) { return dynamic_cast<const TVLBreakItemInfo*>(item) != nullptr; }

// A copy of a picture item as the given kind, with its own copy of the
// graphic; the tag is the caller's to set.
std::unique_ptr<TVLGraphicItemInfo> CopyPicture(TVLEditVLData* d, const TVLGraphicItemInfo& old, bool hot) {
  std::unique_ptr<TVLGraphicItemInfo> item;
  if (hot)
    item = std::make_unique<TVLHotGraphicItemInfo>(d);
  else
    item = std::make_unique<TVLGraphicItemInfo>(d);
  item->Assign(&old);
  item->StyleNo = hot ? vlsHotPicture : vlsPicture;
  return item;
}

}  // namespace

void TCustomVellumEdit::CheckItemClass(Integer itemNo, const std::function<bool(const TCustomVLItemInfo*)>& isClass) {
  TVLEditVLData* d = EditData();
  if (itemNo < 0 || itemNo >= d->GetItemCount()) throw EVellumError(errVLInvalidItemInfo);
  d->CheckItemClass(itemNo, isClass);
}

void TCustomVellumEdit::SetPictureInfo(Integer itemNo, const String& name, std::unique_ptr<TGraphic> graphic,
                                       TVLVAlign vAlign, const TVLTag& tag) {
  CheckItemClass(itemNo, IsPictureItem);
  TVLEditVLData* d = EditData();
  auto* old = static_cast<TVLGraphicItemInfo*>(d->GetItem(itemNo));
  std::unique_ptr<TVLGraphicItemInfo> item = CopyPicture(d, *old, old->StyleNo == vlsHotPicture);
  if (graphic) {
    item->Image = std::move(graphic);
    item->PaletteCopy.reset();
    // The stored bytes were the old picture's.
    item->SetSource(String(), AnsiString());
  }
  item->VAlign = vAlign;
  item->Tag = tag;
  item->UpdatePaletteInfo(DoInPaletteMode, true);
  const bool relayout =
      item->GetWidth() != old->GetWidth() || item->GetHeight() != old->GetHeight() || vAlign != old->VAlign;
  RunEdit([&] {
    if (!BeforeChange(false)) return;
    Integer width = 0;
    d->SaveItemParaWidth(itemNo, width);
    d->BeginUndoSequence(vlutModifyItem, true);
    d->ReplaceItem(itemNo, name, item.release());
    if (relayout) d->ReformatAfterItemChange(itemNo, width);
    d->InvalidateHost();
  });
}

void TCustomVellumEdit::SetCurrentPictureInfo(const String& name, std::unique_ptr<TGraphic> graphic,
                                              TVLVAlign vAlign, const TVLTag& tag) {
  TCustomVellumEdit* e = GetInnermostEditor();
  e->SetPictureInfo(e->EditData()->GetCaretItemNo(), name, std::move(graphic), vAlign, tag);
}

void TCustomVellumEdit::SetBreakInfo(Integer itemNo, Byte width, Byte style, TColor color, const TVLTag& tag) {
  CheckItemClass(itemNo, IsBreakItem);
  TVLEditVLData* d = EditData();
  auto* old = static_cast<TVLBreakItemInfo*>(d->GetItem(itemNo));
  auto item = std::make_unique<TVLBreakItemInfo>(d);
  item->Assign(old);
  item->LineWidth = width;
  item->Style = style;
  item->Color = color;
  item->Tag = tag;
  const AnsiString text = d->GetItemTextA(itemNo);
  RunEdit([&] {
    if (!BeforeChange(false)) return;
    d->BeginUndoSequence(vlutModifyItem, true);
    // A line's height does not follow its width: no layout.
    d->ReplaceItem(itemNo, text, item.release());
    d->InvalidateHost();
  });
}

void TCustomVellumEdit::SetCurrentBreakInfo(Byte width, Byte style, TColor color, const TVLTag& tag) {
  TCustomVellumEdit* e = GetInnermostEditor();
  e->SetBreakInfo(e->EditData()->GetCaretItemNo(), width, style, color, tag);
}

void TCustomVellumEdit::ConvertPicture(Integer itemNo, bool toHot) {
  const Integer from = toHot ? vlsPicture : vlsHotPicture;
  CheckItemClass(itemNo, [from](const TCustomVLItemInfo* i) { return IsPictureItem(i) && i->StyleNo == from; });
  TVLEditVLData* d = EditData();
  std::unique_ptr<TVLGraphicItemInfo> item =
      CopyPicture(d, *static_cast<TVLGraphicItemInfo*>(d->GetItem(itemNo)), toHot);
  RunEdit([&] {
    if (!BeforeChange(false)) return;
    d->BeginUndoSequence(vlutModifyItem, true);
    d->ReplaceItemObject(itemNo, item.release());
    // The hypertext areas are collected by the layout.
    d->ReformatKeepingCaret(false, false, itemNo, true);
    d->InvalidateHost();
  });
}

void TCustomVellumEdit::ConvertToHotPicture(Integer itemNo) { ConvertPicture(itemNo, true); }

void TCustomVellumEdit::ConvertToPicture(Integer itemNo) { ConvertPicture(itemNo, false); }

void TCustomVellumEdit::RemoveCurrentPageBreak() {
  if (GetInplaceEditor()) {
    MessageBeep(0);
    return;
  }
  TVLEditVLData* d = EditData();
  RunEdit([&] {
    if (!BeforeChange(false) || d->GetItemCount() == 0) return;
    // The break belongs to the first item of the caret's line.
    Integer itemNo = d->GetCaretItemNo();
    while (itemNo > 0 && !d->IsFromNewLine(itemNo)) --itemNo;
    if (!d->GetPageBreakBefore(itemNo)) return;
    d->BeginUndoSequence(vlutRemovePageBreak, true);
    d->SetPageBreak(itemNo, false);
    d->ReformatKeepingCaret(false, false, itemNo, true);
    d->InvalidateHost();
  });
}

void TCustomVellumEdit::SaveItemParaWidth(Integer itemNo, Integer& width) { EditData()->SaveItemParaWidth(itemNo, width); }

void TCustomVellumEdit::ReformatAfterItemChange(Integer itemNo, Integer width) {
  RunEdit([&] { EditData()->ReformatAfterItemChange(itemNo, width); }, false);
}

void TCustomVellumEdit::SaveCurrentItemParaWidth(Integer& width) {
  TCustomVellumEdit* e = GetInnermostEditor();
  e->SaveItemParaWidth(e->EditData()->GetCaretItemNo(), width);
}

void TCustomVellumEdit::ReformatAfterCurrentItemChange(Integer width) {
  TCustomVellumEdit* e = GetInnermostEditor();
  e->ReformatAfterItemChange(e->EditData()->GetCaretItemNo(), width);
}
