// The editor data's side of the item resizer: when handles show, the size a
// drag commits (one undo group), and the re-layout after an item changed.
#include "richtext/editor/VLEditData.h"
#include "richtext/editor/VellumEdit.h"
#include "richtext/model/VLItem.h"
#include "richtext/view/VLFlags.h"
#include "platform/base/FlagGuard.h"
#include "platform/gui/WindowFocus.h"

#include <algorithm>
#include <utility>

namespace {
// Set while a style or paragraph conversion lays the document out.
constexpr Cardinal vlstApplyingStyle = 8388608;
}  // namespace

bool TVLEditVLData::NoImageResize() {
  TCustomVellumEdit* e = Editor();
  return e && e->GetEditorOptions().Contains(vloNoImageResize);
}

bool TVLEditVLData::ResizeWhileReadOnly() { return (GetLayoutFlags() & vllfResizeReadOnly) != 0; }

Integer TVLEditVLData::GetSingleSelectedItem() {
  if (SelStartDrawItem < 0 || SelEndDrawItem < 0) return -1;
  Integer s, so, e, eo;
  GetSelBounds(true, s, so, e, eo);
  if (s < 0 || e < 0) return -1;
  if (so >= GetItemEndOffset(s)) {
    if (s + 1 >= GetItemCount()) return -1;
    ++s;
    so = GetItemStartOffset(s);
  }
  if (eo <= GetItemStartOffset(e)) {
    if (e == 0) return -1;
    --e;
    eo = GetItemEndOffset(e);
  }
  if (s == e && so <= GetItemStartOffset(s) && eo >= GetItemEndOffset(s)) return s;
  return -1;
}

Integer TVLEditVLData::FindResizableDrawItem() {
  const Integer itemNo = GetSingleSelectedItem();
  if (itemNo < 0 || GetItemStyle(itemNo) >= 0 || !GetItem(itemNo)->GetBoolValue(8)) return -1;
  return Item2FirstDrawItem(itemNo);
}

void TVLEditVLData::UpdateResizer() {
  if (GetState() & vlstApplyingStyle) return;
  std::unique_ptr<TVLItemResizer> was = std::move(Resizer);
  if ((HostReadOnly() && !ResizeWhileReadOnly()) || NoImageResize()) return;
  const Integer d = FindResizableDrawItem();
  if (d < 0 || d >= DrawItems.Count()) return;
  const Integer itemNo = DrawItems[d]->ItemNo;
  if (IsParaReadOnly(itemNo)) return;
  TCustomVLItemInfo* item = GetItem(itemNo);
  // The caret placed again under a handle being dragged (the focus handed
  // to a cell's editor by the press on its handle) keeps the drag.
  if (was && was->Dragging && was->DrawItemNo == d && was->DrawItem == DrawItems[d] && was->Item == item) {
    Resizer = std::move(was);
    return;
  }
  Resizer = std::make_unique<TVLItemResizer>(DrawItems[d], d, item);
  Resizer->HandlesOutside = item->GetBoolValue(9);
}

// The handles name a line of the layout: one laid out again since (a list
// numbered, a style applied) is gone, and the handles are made anew.
void TVLEditVLData::RefreshResizer() {
  if (!Resizer) return;
  const Integer d = Resizer->DrawItemNo, itemNo = Resizer->ItemNo;
  if (d < 0 || d >= DrawItems.Count() || DrawItems[d] != Resizer->DrawItem || DrawItems[d]->ItemNo != itemNo ||
      itemNo >= GetItemCount() || GetItem(itemNo) != Resizer->Item)
    UpdateResizer();
}

void TVLEditVLData::PaintOverlay(TCanvas* canvas, Integer hOffset, Integer vOffset) {
  TVellumVLData::PaintOverlay(canvas, hOffset, vOffset);
  RefreshResizer();
  if (!Resizer) return;
  Resizer->DrawHandles(canvas, hOffset, vOffset);
  if (Resizer->Dragging) Resizer->DrawFrame(canvas, hOffset, vOffset);
}

bool TVLEditVLData::CancelResize() {
  if (!Resizer || !Resizer->Dragging) return false;
  Resizer->Cancel();
  SetCursor(GetNormalCursor());
  InvalidateHost();
  return true;
}

void TVLEditVLData::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  FPressedDrawItem = -1;
  RefreshResizer();
  if (Resizer && button == mbLeft && Resizer->StartDrag(x, y, GetHOffset(), GetVOffset())) {
    SetCursor(crCross);
    InvalidateHost();
    return;
  }
  const Integer pressed = FindDrawItemAtPoint(x + GetHOffset(), y + GetVOffset());
  if (button == mbLeft) FPressedDrawItem = pressed;
  TCustomVLItemInfo* item = pressed >= 0 ? GetItem(DrawItems[pressed]->ItemNo) : nullptr;
  // A resume whose release never came is not for this press.
  FResumeAfterSizing = nullptr;
  FResumeOwner = nullptr;
  // A press outside the item that holds a cell editor or a selection of
  // its own (a table) ends them; a border drag of another table only
  // closes the editors while the sizes change, as a drag of their own
  // table does, and leaves a block of cells selected. A double click's
  // second press there is a border drag too (the table starts one).
  const bool sizing = button == mbLeft && item &&
                      item->PressStartsSizing(x + GetHOffset() - DrawItems[pressed]->Left,
                                              y + GetVOffset() - DrawItems[pressed]->Top, this);
  // Held from here: the editors inside closing place the carets of the
  // cells that held them, which the tables around this editor would show.
  TKeepView keep{*this};
  if (TCustomVellumEdit* editor = Editor(); editor && editor->GetInplaceEditor() && !CaptureMouseItem &&
                                            (!item || !item->OwnsInplaceEditor(editor->GetInplaceEditor()))) {
    if (sizing) {
      TCustomVLItemInfo* owner = editor->ActiveItem.Get();
      const bool focused = HoldsWindowFocus(editor->GetInnermostEditor());
      try {
        FResumeAfterSizing = editor->SuspendInplaceEditor();
      } catch (const EVLTableInplaceError&) {
        FResumeAfterSizing = nullptr;
      }
      if (FResumeAfterSizing) {
        FResumeOwner = owner;
        if (focused && editor->Showing()) SetWindowFocus(editor);
      }
    }
    // The editors going hand the focus up their chain, whose carets scroll
    // the view; the press is for what was under the pointer.
    const Integer left = GetHOffset(), top = GetVOffset();
    if (editor->GetInplaceEditor()) editor->DestroyInplaceEditor();
    if (GetHOffset() != left) HScrollTo(left);
    if (GetVOffset() != top) VScrollTo(top);
  }
  if (ActiveItem && ActiveItem != item && !CaptureMouseItem && !(sizing && ActiveItem->PartiallySelected())) {
    TCustomVLItemInfo* active = ActiveItem;
    SetActiveItem(nullptr);
    active->Deselect();
    Invalidate();
  }
  FShowAfterRelease = false;
  const TFlagGuard held(FPressHeld);
  TVellumVLData::MouseDown(button, shift, x, y);
}

void TVLEditVLData::MouseMove(TShiftState shift, Integer x, Integer y) {
  RefreshResizer();
  if (Resizer && Resizer->Dragging) {
    Resizer->DragTo(shift.Contains(ssShift), shift.Contains(ssCtrl), x, y, GetHOffset(), GetVOffset());
    InvalidateHost();
    return;
  }
  Integer handle;
  if (Resizer && Resizer->HandleAt(x, y, GetHOffset(), GetVOffset(), handle)) {
    SetCursor(TVLItemResizer::GetHandleCursor(handle));
    return;
  }
  TVellumVLData::MouseMove(shift, x, y);
}

void TVLEditVLData::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  RefreshResizer();
  if (Resizer && (Resizer->Dragging || Resizer->Cancelled)) {
    const bool dragged = Resizer->Dragging;
    Resizer->EndDrag();
    if (dragged) {
      SetCursor(GetNormalCursor());
      CommitResize(Resizer->ItemNo, Resizer->Width, Resizer->Height);
    }
    InvalidateHost();
    return;
  }
  {
    TKeepView keep{*this};
    // A caret the release puts out of sight is shown after the item under
    // the pointer is taken (a picture partly shown at the foot of the view,
    // whose caret lies below it, is selected where it was pressed).
    const TFlagGuard held(FPressHeld);
    TVellumVLData::MouseUp(button, shift, x, y);
  }
  if (button == mbLeft) SelectClickedItem(x, y);
  if (std::exchange(FShowAfterRelease, false)) ScrollToCaret();
  if (button == mbLeft) {
    const std::function<void()> resume = std::exchange(FResumeAfterSizing, {});
    TCustomVLItemInfo* owner = FResumeOwner.Get();
    FResumeOwner = nullptr;
    // Not when the item went meanwhile (an undo during the drag).
    if (resume && owner && GetItemNo(owner) >= 0) resume();
  }
}

void TVLEditVLData::CollapseSelectionForClick(Integer itemNo, Integer offs) {
  // The press still counts as held: the caret under the pointer moves no
  // view, and one past the end of a line scrolled away is shown once the
  // release is handled (MouseUp).
  TKeepView keep{*this};
  const TFlagGuard held(FPressHeld);
  SetSelectionBounds(itemNo, offs, itemNo, offs);
}

void TVLEditVLData::SelectClickedItem(Integer x, Integer y) {
  const Integer pressed = FPressedDrawItem;
  FPressedDrawItem = -1;
  if (pressed < 0 || SelectionExists()) return;
  const Integer d = FindDrawItemAtPoint(x + GetHOffset(), y + GetVOffset());
  if (d != pressed || d >= DrawItems.Count()) return;
  const Integer itemNo = DrawItems[d]->ItemNo;
  TCustomVLItemInfo* item = GetItem(itemNo);
  if (item->StyleNo >= 0 || !(item->GetBoolValue(8) || item->GetBoolValue(11))) return;
  SelStartDrawItem = SelEndDrawItem = d;
  SelStartOffs = 0;
  SelEndOffs = 1;
  CaretToSelectionEnd();
  Invalidate();
}

void TVLEditVLData::ResizeControl(Integer itemNo, Integer newWidth, Integer newHeight, bool reformat) {
  if (itemNo < 0 || itemNo >= GetItemCount()) return;
  auto* c = dynamic_cast<TVLControlItemInfo*>(GetItem(itemNo));
  if (!c || !c->Control) return;
  TControl* control = c->Control;
  const Integer oldWidth = control->GetWidth();
  if (oldWidth == newWidth && control->GetHeight() == newHeight) return;
  {
    ResizingControl = control;
    struct TForget {
      TVLEditVLData* D;
      ~TForget() { D->ResizingControl = nullptr; }
    } forget{this};
    control->SetBounds(control->GetLeft(), control->GetTop(), newWidth, newHeight);
  }
  if (reformat) ReformatForControlWidth(itemNo, oldWidth, newWidth);
}

void TVLEditVLData::ReformatForControlWidth(Integer itemNo, Integer widthA, Integer widthB) {
  // The paragraph measured now holds the control at widthB; with widthA it
  // measured about this much.
  const Integer now = ParaMinWidth(itemNo);
  const Integer before = now - widthB + widthA;
  ReformatKeepingCaret(WidthNeedsFull(before, now), false, itemNo, true);
  InvalidateHost();
}

void TVLEditVLData::SaveItemParaWidth(Integer itemNo, Integer& width) { width = ParaMinWidth(itemNo); }

void TVLEditVLData::ReformatAfterItemChange(Integer itemNo, Integer oldWidth) {
  const Integer now = ParaMinWidth(itemNo);
  const bool full = now != oldWidth && (oldWidth >= DocumentWidth || now > DocumentWidth);
  ReformatKeepingCaret(full, false, itemNo, true);
}

void TVLEditVLData::CommitResize(Integer itemNo, Integer newWidth, Integer newHeight) {
  if (itemNo < 0 || itemNo >= GetItemCount()) return;
  TCustomVLItemInfo* item = GetItem(itemNo);
  if (auto* rect = dynamic_cast<TVLRectItemInfo*>(item)) {
    newWidth -= 2 * rect->Spacing;
    newHeight -= 2 * rect->Spacing;
  }
  newWidth = std::max(newWidth, 1);
  newHeight = std::max(newHeight, 1);
  if (IsParaReadOnly(itemNo)) return;
  if (TCustomVellumEdit* editor = Editor() ? Editor()->GetInnermostEditor() : nullptr) {
    // The handles' own change: in a cell, the table around it still holds
    // the mouse of the release that commits it.
    if (!editor->BeforeChange(true)) return;
  } else if (HostReadOnly()) {
    return;
  }
  BeginUndoSequence(vlutModifyItem, true);
  {
    TVLUndoGroupModeGuard group(this);
    if (dynamic_cast<TVLControlItemInfo*>(item)) {
      Resize(itemNo, newWidth, newHeight, true);
    } else {
      Integer width = 0;
      SaveItemParaWidth(itemNo, width);
      if (dynamic_cast<TVLRectItemInfo*>(item)) {
        SetExtraIntProperty(itemNo, vleipImageHeight, newHeight);
        SetExtraIntProperty(itemNo, vleipImageWidth, newWidth);
      }
      ReformatAfterItemChange(itemNo, width);
    }
  }
  // The handles go to the item's new draw item.
  UpdateResizer();
  InvalidateHost();
  NotifyChange(true);
}
