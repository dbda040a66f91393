#include "richtext/view/VLControlData.h"

#include "platform/gui/Forms.h"
#include "richtext/model/VLBack.h"
#include "richtext/model/VLItem.h"
#include "richtext/view/VLPaint.h"
#include "richtext/view/VLScroller.h"

#include <algorithm>

namespace {

// Items clear the application's hint window through the model's hook.
const bool CancelHintInstalled = [] {
  VLItemDocumentHooks().CancelHint = [] {
    if (Application) Application->CancelHint();
  };
  return true;
}();

}  // namespace

TVLControlData::TVLControlData() = default;
TVLControlData::~TVLControlData() = default;

void TVLControlData::ClearDrawLines() {
  FReportedCP = nullptr;
  if (DrawItems.Count() > 0) {
    ClearFocus();
    InnerFocusedItemNo = -1;
    InnerFocusedData = nullptr;
    FocusFrameShown = false;
  }
  TCustomVLFormattedData::ClearDrawLines();
}

void TVLControlData::Deselect(TCustomVLItemInfo* newPartiallySelected, bool makeEvent) {
  if (!(GetState() & vlstDeselecting)) {
    SetState(GetState() | vlstDeselecting);
    ClearFocus();
    if (InnerFocusedItemNo >= 0 && FocusFrameShown) Invalidate();
    FocusFrameShown = false;
    InnerFocusedItemNo = -1;
    InnerFocusedData = nullptr;
    SetState(GetState() & ~vlstDeselecting);
  }
  TCustomVLFormattedData::Deselect(newPartiallySelected, makeEvent);
  if (makeEvent) SelectionChanged();
}

void TVLControlData::SetFocusedItem(Integer itemNo, TCustomVLFormattedData* innerData, Integer innerItemNo) {
  FocusedItem = itemNo;
  InnerFocusedData = innerData;
  InnerFocusedItemNo = innerItemNo;
}

// ---- focus among hyperlinks -------------------------------------------------------

Integer TVLControlData::GetNextFocusedItem(bool goForward, Integer itemNo) {
  if (FocusedItem >= GetItemCount()) FocusedItem = -1;
  TVLStyle* style = GetStyle();
  if (!goForward) {
    for (Integer i = (itemNo < 0 ? GetItemCount() : itemNo) - 1; i >= 0; --i)
      if (GetItem(i)->GetBoolValueEx(4, style)) return i;
  } else {
    for (Integer i = itemNo + 1; i < GetItemCount(); ++i)
      if (GetItem(i)->GetBoolValueEx(4, style)) return i;
  }
  return -1;
}

void TVLControlData::ClearFocus() {
  if (FocusedItem >= GetItemCount()) FocusedItem = -1;
}

void TVLControlData::DrawFocusFrame() {
  // The frame is an overlay: toggling it repaints the item's pieces.
  if (InnerFocusedItemNo < 0 || !InnerFocusedData) return;
  FocusFrameShown = !FocusFrameShown;
  Invalidate();
}

void TVLControlData::ExecuteFocusedJump() {
  if (!InnerFocusedData || InnerFocusedItemNo < 0) return;
  TCustomVLItemInfo* item = InnerFocusedData->GetItem(InnerFocusedItemNo);
  if (item->JumpID >= 0 && IsOnJumpAssigned()) {
    DoJump(item->JumpID + GetFirstJumpNo());
    return;
  }
  item->ExecuteJump(this);
}

void TVLControlData::MoveFocus(bool backward, TControl* fromControl) {
  if (GetState() & vlstSkipFocus) {
    SetState(GetState() & ~vlstSkipFocus);
    return;
  }
  TControl* host = GetHostControl();
  if (fromControl && host && fromControl != host && GetParentForm(fromControl) != GetParentForm(host)) return;
  if (FocusedItem >= 0 && !fromControl) return;
  const Integer hadFocus = FocusedItem;
  if (FocusFrameShown) DrawFocusFrame();
  const Integer next = GetNextFocusedItem(!backward, FocusedItem);
  if (next < 0) {
    InnerFocusedItemNo = -1;
    InnerFocusedData = nullptr;
  }
  if (fromControl != host && next < 0 && hadFocus < 0) {
    if (auto* w = dynamic_cast<TWinControl*>(host)) w->SetFocus();
    return;
  }
  FocusedItem = next;
  if (next >= 0) {
    InnerFocusedItemNo = next;
    InnerFocusedData = this;
    DrawFocusFrame();
    const Integer di = GetItem(next)->DrawItemNo;
    if (di >= 0) {
      const TVLDrawLineInfo* d = DrawItems[di];
      VLShowRectangle(*this, d->Left, d->Top, d->Width, d->Height);
    }
    return;
  }
  // No link left: the focus leaves the document to the next control.
  auto* w = dynamic_cast<TWinControl*>(host);
  TWinControl* parent = w ? w->GetParent() : nullptr;
  while (parent && parent->GetParent()) parent = parent->GetParent();
  TWinControl* nextControl = nullptr;
  if (parent) {
    std::vector<TWinControl*> order;
    std::function<void(TWinControl*)> collect = [&](TWinControl* c) {
      for (int i = 0; i < c->ControlCount(); ++i)
        if (auto* wc = dynamic_cast<TWinControl*>(c->Controls(i))) {
          order.push_back(wc);
          collect(wc);
        }
    };
    collect(parent);
    auto it = std::find(order.begin(), order.end(), w);
    const size_t n = order.size();
    const size_t start = it == order.end() ? (backward ? n : 0) : static_cast<size_t>(it - order.begin());
    for (size_t k = 1; k <= n && !nextControl; ++k) {
      const size_t idx = backward ? (start + n * 2 - k) % n : (start + k) % n;
      TWinControl* c = order[idx];
      if (c != w && c->TabStop && c->CanFocus()) nextControl = c;
    }
  }
  if (nextControl)
    nextControl->SetFocus();
  else if (hadFocus >= 0)
    MoveFocus(backward, host);
}

// ---- checkpoints scrolled into view ---------------------------------------------------

void TVLControlData::CheckCheckpointsVisibility() {
  const TCPEventKind kind = GetCPEventKind();
  if (kind == cpeNone || !IsOnCheckpointVisibleAssigned()) return;
  const Integer top = GetVOffset(), bottom = top + GetHeight();
  TVLCPInfo* trailing = NotAddedCP && NotAddedCP->RaiseEvent && DocumentHeight <= bottom ? NotAddedCP : nullptr;
  TVLCPInfo* before = nullptr;
  TVLCPInfo* found = nullptr;
  bool below = false;
  for (TVLCPInfo* cp = FirstCP; cp; cp = cp->Next) {
    if (!cp->RaiseEvent) continue;
    // Not laid out yet: no answer now.
    if (!cp->ItemInfo || cp->ItemInfo->DrawItemNo < 0 || cp->ItemInfo->DrawItemNo >= DrawItems.Count()) return;
    const Integer y = DrawItems[cp->ItemInfo->DrawItemNo]->Top;
    if (y >= top) {
      found = cp;
      below = y >= bottom;
      break;
    }
    before = cp;
  }
  TVLCPInfo* report;
  if (kind == cpeAsSectionStart) {
    if (found)
      report = below ? before : found;
    else
      report = trailing ? trailing : before;
  } else {
    report = found && !below ? found : (!found ? trailing : nullptr);
  }
  if (report == FReportedCP) return;
  FReportedCP = report;
  DoCheckpointVisible(report);
}

// ---- drop caret ----------------------------------------------------------------------------

void TVLControlData::SetDragDropCaretTo(Integer x, Integer y) {
  if (!DragDropCaret) return;
  TCustomVLFormattedData* data = nullptr;
  Integer itemNo = -1, offs = 0;
  bool found = false;
  VLGetItemAt(*this, x + GetHOffset(), y + GetVOffset(), data, itemNo, offs, false, found);
  if (itemNo >= 0 && data) {
    VLSetDragDropCaret(*data, GetCanvas(), itemNo, offs, *DragDropCaret);
    Invalidate();
  }
  if (!found && DragDropCaret->VLData)
    VLShowRectangle(*DragDropCaret->VLData, DragDropCaret->X, DragDropCaret->Y, 1, DragDropCaret->Height);
}

void TVLControlData::RemoveDragDropCaret() {
  if (DragDropCaret && DragDropCaret->VLData) Invalidate();
  if (DragDropCaret) DragDropCaret->VLData = nullptr;
}

// ---- XOR figure ---------------------------------------------------------------------------

void TVLControlData::AssignXorDrawing(const TObject* owner, TVLXorPainter painter) {
  ClearXorDrawing();
  FXorOwner = owner;
  FXorPainter = std::move(painter);
}

void TVLControlData::UnAssignXorDrawing(const TObject* owner) {
  if (!UsesXorDrawing(owner)) return;
  ClearXorDrawing();
  FXorOwner = nullptr;
  FXorPainter = nullptr;
}

bool TVLControlData::ClearXorDrawing() {
  if (!XorDrawn) return false;
  XorDraw();
  return true;
}

void TVLControlData::XorDrawAt(Integer x, Integer y) {
  XorX = x;
  XorY = y;
  XorDraw();
}

void TVLControlData::XorDraw() {
  if (!FXorPainter) {
    XorDrawn = false;
    return;
  }
  XorDrawn = !XorDrawn;
  Invalidate();
}

// ---- painting ------------------------------------------------------------------------

void TVLControlData::DrawBackground(TCanvas* canvas, const TRect& clip) {
  if (TVLBackground* back = GetBackground()) {
    back->Draw(canvas, clip, GetHOffset(), GetVOffset(), 0, 0, GetWidth(), GetHeight(), GetColor(), false);
    return;
  }
  canvas->Brush.Style = bsSolid;
  canvas->Brush.Color = GetColor();
  canvas->FillRect(TRect(0, 0, clip.Width(), clip.Height()));
}

void TVLControlData::PaintBuffered(TCanvas* hostCanvas, const TRect& clip) {
  if (clip.Width() <= 0 || clip.Height() <= 0 || !hostCanvas) return;
  // The toolkit paints every window into an off-screen image of its own
  // and shows it whole, so the document never flickers through its
  // background even when drawn straight onto the host's canvas; a second
  // image would only cost a copy of every pixel. The canvas is moved so
  // that the clip rectangle's corner is its origin, and gets back its
  // drawing tools afterwards.
  TCanvas* c = hostCanvas;
  TFont font;
  font.Assign(&c->Font);
  TBrush brush;
  brush.Assign(&c->Brush);
  TPen pen;
  pen.Assign(&c->Pen);
  const TPoint org = c->GetWindowOrgEx();
  c->SaveDC();
  c->IntersectClipRect(clip.Left, clip.Top, clip.Right, clip.Bottom);
  c->SetWindowOrgEx(org.X - clip.Left, org.Y - clip.Top);
  DrawBackground(c, clip);
  TVLPaintInfo info;
  info.Focused = TVLScroller::FocusedEx(GetHostControl());
  info.Control = GetHostControl();
  VLPaintTo(*this, c, clip, info);
  const Integer xs = GetHOffset() + clip.Left, ys = GetVOffset() + clip.Top;
  if (FocusFrameShown && InnerFocusedData && InnerFocusedItemNo >= 0) {
    Integer ox, oy;
    InnerFocusedData->GetOrigin(ox, oy);
    c->Font.SetColor(clBlack);
    c->Brush.Style = bsSolid;
    for (Integer n = InnerFocusedData->GetItem(InnerFocusedItemNo)->DrawItemNo;
         n >= 0 && n < InnerFocusedData->DrawItems.Count() && InnerFocusedData->DrawItems[n]->ItemNo == InnerFocusedItemNo;
         ++n) {
      const TVLDrawLineInfo* d = InnerFocusedData->DrawItems[n];
      c->DrawFocusRect(Bounds(d->Left + ox - xs - 1, d->Top + oy - ys - 1, d->Width + 2, d->Height + 2));
    }
  }
  if (DragDropCaret) VLDrawDragDropCaret(c, *DragDropCaret, xs, ys);
  if (XorDrawn && FXorPainter) FXorPainter(this, c, XorX - clip.Left, XorY - clip.Top);
  c->RestoreDC(-1);
  c->Font.Assign(&font);
  c->Brush.Assign(&brush);
  c->Pen.Assign(&pen);
}

// ---- selection ---------------------------------------------------------------------

bool TVLControlData::SelectionExists(bool resetIfEmpty, bool askActiveItem) {
  if (GetState() & vlstSelecting) resetIfEmpty = false;
  if (askActiveItem && ActiveItem && ActiveItem->PartiallySelected()) return true;
  // The stored selection: an editor's caret standing for an empty one
  // must not deselect (and fire the select event) on every question.
  Integer s, so, e, eo;
  TCustomVLFormattedData::GetDrawItemSelBounds(true, s, so, e, eo);
  if (s < 0 || e < 0) return false;
  if (s == e && so == eo) {
    if (resetIfEmpty) Deselect(ActiveItem, true);
    return false;
  }
  return true;
}

void TVLControlData::GetSelectionBounds(Integer& startItemNo, Integer& startItemOffs, Integer& endItemNo,
                                        Integer& endItemOffs, bool normalize) {
  GetSelBounds(normalize, startItemNo, startItemOffs, endItemNo, endItemOffs);
}

void TVLControlData::SetSelectionBounds(Integer startItemNo, Integer startItemOffs, Integer endItemNo,
                                        Integer endItemOffs) {
  if (endItemNo >= 0 && endItemNo + 1 < GetItemCount() && GetItemStyle(endItemNo) == vlsListMarker) {
    ++endItemNo;
    endItemOffs = GetItemStartOffset(endItemNo);
  }
  StoreSelBounds(startItemNo, startItemOffs, endItemNo, endItemOffs);
  SelectionChanged();
  DoSelect();
}

void TVLControlData::SelectInItem(Integer drawItemNo, Integer offset, Integer length, bool backward) {
  if (drawItemNo < 0 || drawItemNo >= DrawItems.Count()) return;
  Deselect(nullptr, false);
  SelStartDrawItem = SelEndDrawItem = drawItemNo;
  SelStartOffs = backward ? offset + length : offset;
  SelEndOffs = backward ? offset : offset + length;
  Invalidate();
  SelectionChanged();
  DoSelect();
}

void TVLControlData::GetSelStart(Integer& drawItemNo, Integer& offs) {
  SelectionExists(true, false);
  drawItemNo = SelStartDrawItem;
  offs = SelStartOffs;
}

TRect TVLControlData::GetSelectionRect() {
  Integer ox, oy;
  GetOrigin(ox, oy);
  const TRect visible(0, 0, GetWidth(), GetHeight());
  Integer s, so, e, eo;
  GetDrawItemSelBounds(true, s, so, e, eo);
  if (s < 0 || e < 0) return TRect(ox, oy, ox + visible.Right, oy + visible.Bottom);
  TRect r(DrawItems[s]->Left, DrawItems[s]->Top, DrawItems[s]->Left, DrawItems[s]->Top);
  for (Integer i = s; i <= e; ++i) {
    const TVLDrawLineInfo* d = DrawItems[i];
    r.Left = std::min(r.Left, d->Left);
    r.Top = std::min(r.Top, d->Top);
    r.Right = std::max(r.Right, d->Left + d->Width);
    r.Bottom = std::max(r.Bottom, d->Top + d->Height);
  }
  r = TRect(std::max(r.Left - GetHOffset(), 0), std::max(r.Top - GetVOffset(), 0),
            std::min(r.Right - GetHOffset(), visible.Right), std::min(r.Bottom - GetVOffset(), visible.Bottom));
  return TRect(r.Left + ox, r.Top + oy, r.Right + ox, r.Bottom + oy);
}

Integer TVLControlData::GetJumpPointItemNo(Integer jumpId) {
  for (const auto& j : Jumps)
    if (j->JumpID == jumpId && j->VLData == this && j->DrawItemNo >= 0) return DrawItems[j->DrawItemNo]->ItemNo;
  return -1;
}

// ---- host ---------------------------------------------------------------------------

void TVLControlData::Invalidate() {
  if (TControl* c = GetHostControl()) c->Invalidate();
}

void TVLControlData::InvalidateRect(const TRect& r) {
  if (auto* c = dynamic_cast<TCustomControl*>(GetHostControl()))
    c->InvalidateRect(r);
  else
    Invalidate();
}

void TVLControlData::Refresh() {
  if (TControl* c = GetHostControl()) c->Repaint();
}

void TVLControlData::SetCursor(TCursor cursor) {
  if (TControl* c = GetHostControl()) c->SetCursor(cursor);
}

void TVLControlData::FocusHost() {
  if (auto* w = dynamic_cast<TWinControl*>(GetHostControl())) {
    if (w->CanFocus()) w->SetFocus();
  }
}

bool TVLControlData::HostFocused() { return TVLScroller::FocusedEx(GetHostControl()); }

void TVLControlData::InvalidateBand(Integer top, Integer bottom) {
  InvalidateRect(TRect(0, top, GetWidth(), bottom));
}

void TVLControlData::DoJumpHover(Integer jumpID) { DoVLMouseMove(jumpID < 0 ? -1 : jumpID + GetFirstJumpNo()); }
