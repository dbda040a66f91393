// The mouse in a document owned by a control: selection, hover, clicks.
#include "platform/base/CodePages.h"
#include "platform/gui/Forms.h"
#include "richtext/model/VLFuncs.h"
#include "richtext/model/VLItem.h"
#include "richtext/view/VLControlData.h"

#include <algorithm>

namespace {

// A hyperlink's jump fires the jump event of the formatted document that
// holds it (through its root, the view's data).
const bool GHooksSet = [] {
  VLItemDocumentHooks().ExecuteJump = [](TCustomVLData* vlData, Integer jumpID) {
    auto* data = dynamic_cast<TVLControlData*>(vlData ? vlData->GetRootData() : nullptr);
    if (data && data->IsOnJumpAssigned()) data->DoJump(jumpID + data->GetFirstJumpNo());
  };
  return true;
}();

}  // namespace

Integer TVLControlData::JumpAt(Integer x, Integer y, TCustomVLFormattedData*& owner, TVLJumpInfo*& jump) {
  for (const auto& j : Jumps) {
    if (PointInBox(x, y, j->Left - GetHOffset(), j->Top - GetVOffset(), j->Width, j->Height)) {
      owner = j->VLData ? j->VLData : this;
      jump = j.get();
      return j->JumpID;
    }
  }
  owner = nullptr;
  jump = nullptr;
  return -1;
}

void TVLControlData::ClampToVisible(Integer& x, Integer& y) {
  if (GetState() & vlstPointerMayLeave) return;
  x = std::clamp(x, 0, std::max(0, GetWidth() - 1));
  y = std::clamp(y, 0, std::max(0, GetHeight() - 1));
}

void TVLControlData::InvalidateJumpRect(Integer jumpId) {
  TVLStyle* style = GetStyle();
  if (style && style->FullRedraw) {
    Invalidate();
  } else {
    for (const auto& j : Jumps)
      if (j->JumpID == jumpId)
        InvalidateRect(TRect(j->Left - GetHOffset() - 5, j->Top - GetVOffset() - 5,
                             j->Left - GetHOffset() + j->Width + 5, j->Top - GetVOffset() + j->Height + 5));
  }
}

void TVLControlData::ResetHoverAndRepaint() {
  if (!(GetLayoutFlags() & vllfCollectJumps)) return;
  const Integer old = HoverData ? HoverData->HoveredJump : HoveredJump;
  ResetHoveredJump();
  if (old >= 0) InvalidateJumpRect(old);
}

void TVLControlData::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  // Only a double click's own second press is kept from placing the caret.
  if (!shift.Contains(ssDouble)) SetState(GetState() & ~vlstIgnoreMouseUp);
  const Integer dx = x + GetHOffset(), dy = y + GetVOffset();
  Integer di = CaptureMouseItem ? CaptureDrawItem : FindDrawItemAtPoint(dx, dy);
  if (!CaptureMouseItem) CaptureDrawItem = di;
  MouseDownDrawItem = di;
  Integer itemNo = -1;
  bool keepSelection = false;
  if (di >= 0) {
    const TVLDrawLineInfo* d = DrawItems[di];
    itemNo = d->ItemNo;
    TCustomVLItemInfo* item = GetItem(itemNo);
    if (item != ActiveItem && !shift.Contains(ssDouble)) FocusHost();
    keepSelection = item->MouseDown(button, shift, dx - d->Left, dy - d->Top, itemNo, this);
  } else if (!shift.Contains(ssDouble)) {
    FocusHost();
  }
  if (IsOnVLMouseDownAssigned()) DoVLMouseDown(button, shift, itemNo, x, y);
  if (button == mbLeft) {
    // The pressed area includes its right and bottom edges.
    PressedJump = -1;
    for (const auto& j : Jumps) {
      const Integer l = j->Left - GetHOffset(), t = j->Top - GetVOffset();
      if (x >= l && x <= l + j->Width && y >= t && y <= t + j->Height) {
        PressedJump = j->JumpID;
        break;
      }
    }
  }
  if (CaptureMouseItem) {
    if (di >= 0 && !keepSelection) {
      SelStartDrawItem = SelEndDrawItem = di;
      SelStartOffs = SelEndOffs = 1;
      SelectionChanged();
    }
    return;
  }
  TCustomVLData* root = GetAbsoluteRootData();
  if (button != mbLeft || (GetState() & vlstIgnoreMouseUp) || (root->GetState() & vlstDragPending)) return;
  const TVLOptions opts = GetOptions();
  if (opts.Contains(vloSingleClick) && IsOnVLDblClickAssigned()) {
    TCustomVLFormattedData* data;
    Integer no, styleNo, start;
    WideString word;
    VLGetWordAt(*this, GetCanvas(), x, y, data, no, styleNo, word, start);
    if (no >= 0) DoVLDblClick(WideToUtf8(word), styleNo);
  }
  if (!opts.Contains(vloAllowSelection) || !shift.Contains(ssLeft)) return;
  SetState(GetState() & ~vlstLineSelecting);
  Integer anchor, anchorOffs;
  GetSelStart(anchor, anchorOffs);
  Integer n, o;
  FindDrawItemForSel(dx, dy, n, o, false);
  if (!shift.Contains(ssShift) && dx > GetLeftMargin() && n >= 0 && VLIsDrawItemInSelection(*this, n, o) &&
      CanStartDragging()) {
    root->SetState(root->GetState() | vlstDragPending);
    RequestDrag();
    return;
  }
  SelEndDrawItem = n;
  SelEndOffs = o;
  if (!shift.Contains(ssShift) || anchor < 0) {
    SelStartDrawItem = n;
    SelStartOffs = o;
  }
  if (n < 0) {
    SetState(GetState() & ~vlstSelecting);
  } else {
    SetState(GetState() | vlstSelecting);
    SelectingInfo.reset();
    TVLStyle* style = GetStyle();
    if (GetBiDiMode() != vlbdRightToLeft && dx < GetLeftMargin() && !shift.Contains(ssShift)) {
      SetState(GetState() | vlstLineSelecting);
      VLExpandSelectionToLines(*this, true);
    } else if (style && (style->SelectionMode == vlsmWord || style->SelectionMode == vlsmParagraph)) {
      auto info = std::make_unique<TVLSelectingInfo>();
      info->AnchorOffs = SelStartOffs;
      info->AnchorDrawItem = SelStartDrawItem;
      if (style->SelectionMode == vlsmParagraph) {
        info->Init(3);
        SelectingInfo = std::move(info);
        if (shift.Contains(ssShift)) VLExtendSelectionByWords(*this, static_cast<TVLSelectingInfo&>(*SelectingInfo), dx, dy);
      } else if (VLIsInsideWord(*this, SelStartDrawItem, SelStartOffs)) {
        VLGetWordBounds(*this, SelStartDrawItem, SelStartOffs, info->AnchorWordStart, info->AnchorWordEnd);
        info->Init(0);
        SelectingInfo = std::move(info);
      } else {
        info->Init(2);
        SelectingInfo = std::move(info);
      }
    }
  }
  SelectionChanged();
  Invalidate();
}

void TVLControlData::MouseMove(TShiftState shift, Integer x, Integer y) {
  TVLStyle* style = GetStyle();
  if (!style) return;
  const Integer dx = x + GetHOffset(), dy = y + GetVOffset();
  if (CaptureMouseItem) {
    Integer n = CaptureDrawItem;
    if (n < 0 || n >= DrawItems.Count() || GetItem(DrawItems[n]->ItemNo) != CaptureMouseItem)
      CaptureDrawItem = n = FindDrawItemByItem(GetItemNo(CaptureMouseItem));
    const TVLDrawLineInfo* d = n >= 0 ? DrawItems[n] : nullptr;
    if (!d || !CaptureMouseItem->MouseMove(shift, dx - d->Left, dy - d->Top, d->ItemNo, this))
      SetCursor(GetNormalCursor());
    return;
  }
  if (GetState() & vlstSelecting) {
    Integer cx = x, cy = y;
    ClampToVisible(cx, cy);
    const Integer ex = cx + GetHOffset(), ey = cy + GetVOffset();
    bool changed;
    if (GetState() & vlstLineSelecting) {
      changed = VLExtendSelectionTo(*this, ex, ey);
    } else if (auto* info = dynamic_cast<TVLSelectingInfo*>(SelectingInfo.get())) {
      changed = VLExtendSelectionByWords(*this, *info, ex, ey);
    } else {
      Integer n, o;
      FindDrawItemForSel(ex, ey, n, o, false);
      changed = n >= 0 && (n != SelEndDrawItem || o != SelEndOffs);
      if (n >= 0) {
        SelEndDrawItem = n;
        SelEndOffs = o;
      }
    }
    if (changed) {
      SelectionChanged();
      Refresh();
    }
    return;
  }
  if (GetBiDiMode() != vlbdRightToLeft && dx < GetLeftMargin()) {
    SetCursor(style->LineSelectCursor);
    return;
  }
  if (GetLayoutFlags() & vllfCollectJumps) {
    TCustomVLFormattedData* owner;
    TVLJumpInfo* jump;
    const Integer id = JumpAt(x, y, owner, jump);
    if (id >= 0) {
      SetCursor(static_cast<TCursor>(jump->Cursor));
      TCustomVLFormattedData* old = HoverData;
      const Integer oldId = old ? old->HoveredJump : -1;
      if (!old || oldId != id) DoVLMouseMove(id + GetFirstJumpNo());
      if (old && oldId != id && (old->GetState() & vlstJumpHovered)) {
        old->SetState(old->GetState() & ~vlstJumpHovered);
        InvalidateJumpRect(oldId);
      }
      owner->HoveredJump = id;
      HoverData = owner;
      const TVLDrawLineInfo* d = owner->DrawItems[jump->DrawItemNo];
      TCustomVLItemInfo* item = owner->GetItem(d->ItemNo);
      item->MouseMove(shift, dx - d->Left, dy - d->Top, d->ItemNo, owner);
      if (!(owner->GetState() & vlstJumpHovered) && item->GetBoolValueEx(3, style)) {
        owner->SetState(owner->GetState() | vlstJumpHovered);
        InvalidateJumpRect(id);
      }
      return;
    }
    if (HoverData) {
      TCustomVLFormattedData* old = HoverData;
      const Integer oldId = old->HoveredJump;
      old->SetState(old->GetState() & ~vlstJumpHovered);
      InvalidateJumpRect(oldId);
      old->HoveredJump = -1;
      HoverData = nullptr;
      DoVLMouseMove(-1);
    }
  }
  const Integer n = FindDrawItemAtPoint(dx, dy);
  bool handled = false;
  if (n >= 0) {
    const TVLDrawLineInfo* d = DrawItems[n];
    handled = GetItem(d->ItemNo)->MouseMove(shift, dx - d->Left, dy - d->Top, d->ItemNo, this);
  }
  if (handled) return;
  Integer sn, so;
  FindDrawItemForSel(dx, dy, sn, so, false);
  if (sn >= 0 && VLIsDrawItemInSelection(*this, sn, so) && CanStartDragging()) {
    SetCursor(crArrow);
    return;
  }
  if (n < 0 && GetOptions().Contains(vloShowItemHints)) {
    // Off every item: no hint of the item left behind.
    if (TControl* host = GetHostControl()) host->SetHint(String());
    if (Application) Application->CancelHint();
  }
  SetCursor(GetNormalCursor());
}

void TVLControlData::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  const bool hadSelection = SelectionExists(true, true);
  const TVLOptions opts = GetOptions();
  // The release ends a double click even when an item took the mouse.
  SetState(GetState() & ~vlstIgnoreMouseUp);
  if (!CaptureMouseItem) {
    if ((GetState() & vlstSelecting) && button == mbLeft) {
      Integer cx = x, cy = y;
      ClampToVisible(cx, cy);
      const Integer ex = cx + GetHOffset(), ey = cy + GetVOffset();
      if (GetState() & vlstLineSelecting) {
        VLExtendSelectionTo(*this, ex, ey);
      } else if (auto* info = dynamic_cast<TVLSelectingInfo*>(SelectingInfo.get())) {
        VLExtendSelectionByWords(*this, *info, ex, ey);
      } else {
        Integer n, o;
        FindDrawItemForSel(ex, ey, n, o, false);
        if (n >= 0) {
          SelEndDrawItem = n;
          SelEndOffs = o;
        }
      }
      SetState(GetState() & ~(vlstSelecting | vlstLineSelecting));
      SelectingInfo.reset();
      SelectionChanged();
      Invalidate();
      DoSelect();
    } else if (opts.Contains(vloRClickDeselects) && button == mbRight) {
      Integer n, o;
      FindDrawItemForSel(x + GetHOffset(), y + GetVOffset(), n, o, false);
      if (n >= 0 && !VLIsDrawItemInSelection(*this, n, o)) {
        SelStartDrawItem = SelEndDrawItem = n;
        SelStartOffs = SelEndOffs = o;
        SelectionChanged();
        Refresh();
        DoSelect();
      }
    }
  }
  const Integer dx = x + GetHOffset(), dy = y + GetVOffset();
  // The item that holds the mouse hears the release wherever it happens;
  // when it lets the mouse go, the release is a click like any other.
  TCustomVLItemInfo* captured = CaptureMouseItem;
  if (captured) {
    const Integer n = FindDrawItemByItem(GetItemNo(captured));
    if (n >= 0)
      captured->MouseUp(button, shift, dx - DrawItems[n]->Left, dy - DrawItems[n]->Top, DrawItems[n]->ItemNo, this);
    else
      CaptureMouseItem = nullptr;
    if (CaptureMouseItem) return;
  }
  const Integer di = FindDrawItemAtPoint(dx, dy);
  Integer itemNo = -1;
  if (di >= 0) {
    const TVLDrawLineInfo* d = DrawItems[di];
    itemNo = d->ItemNo;
    if (GetItem(itemNo) != captured) GetItem(itemNo)->MouseUp(button, shift, dx - d->Left, dy - d->Top, itemNo, this);
  }
  if (CaptureMouseItem) return;
  if (!hadSelection && (button == mbLeft || button == mbRight) && itemNo >= 0 &&
      GetItem(itemNo)->GetBoolValueEx(2, GetStyle())) {
    if (auto* root = dynamic_cast<TVLControlData*>(GetAbsoluteRootData()); root && root->ClickFocus) {
      root->ClearFocus();
      SetFocusedItem(itemNo, this, itemNo);
    }
  }
  if (IsOnVLMouseUpAssigned()) DoVLMouseUp(button, shift, itemNo, x, y);
  if (button == mbRight && IsOnVLRightClickAssigned()) {
    TCustomVLFormattedData* data;
    Integer no, styleNo, start;
    WideString word;
    VLGetWordAt(*this, GetCanvas(), x, y, data, no, styleNo, word, start);
    if (no >= 0) {
      TPoint p(x, y);
      if (TControl* c = GetHostControl()) p = c->ClientToScreen(p);
      DoVLRightClick(WideToUtf8(word), styleNo, p.X, p.Y);
    }
  }
  if (button == mbLeft && PressedJump >= 0 && IsOnJumpAssigned() && !hadSelection) {
    TCustomVLFormattedData* owner;
    TVLJumpInfo* jump;
    const Integer id = JumpAt(x, y, owner, jump);
    if (id >= 0 && id == PressedJump) {
      PressedJump = -1;
      DoJump(id + GetFirstJumpNo());
    } else {
      PressedJump = -1;
      MouseDownDrawItem = -1;
    }
  }
}

void TVLControlData::DblClick(Integer x, Integer y) {
  // Two presses on a table's border are two border drags, not a word.
  const Integer dx = x + GetHOffset(), dy = y + GetVOffset();
  if (const Integer di = FindDrawItemAtPoint(dx, dy); di >= 0) {
    const TVLDrawLineInfo* d = DrawItems[di];
    if (GetItem(d->ItemNo)->PressStartsSizing(dx - d->Left, dy - d->Top, this)) return;
  }
  const TVLOptions opts = GetOptions();
  if (!(opts.Contains(vloDblClickSelectsWord) || (!opts.Contains(vloSingleClick) && IsOnVLDblClickAssigned())))
    return;
  TCustomVLFormattedData* data;
  Integer itemNo, styleNo, wordStart;
  WideString word;
  VLGetWordAt(*this, GetCanvas(), x, y, data, itemNo, styleNo, word, wordStart);
  if (itemNo < 0) return;
  if (opts.Contains(vloDblClickSelectsWord) && opts.Contains(vloAllowSelection)) {
    auto* target = dynamic_cast<TVLControlData*>(data);
    if (target) {
      if (styleNo >= 0 && !word.empty())
        target->SetSelectionBounds(itemNo, wordStart, itemNo, wordStart + static_cast<Integer>(word.size()));
      else if (styleNo < 0)
        target->SetSelectionBounds(itemNo, 0, itemNo, 1);
      target->SetState((target->GetState() | vlstIgnoreMouseUp) & ~vlstSelecting);
    }
    Invalidate();
    SetState(GetState() & ~vlstSelecting);
    if (IsOnVLDblClickAssigned()) DoVLDblClick(WideToUtf8(word), styleNo);
    SetState(GetState() | vlstIgnoreMouseUp);
  } else if (IsOnVLDblClickAssigned()) {
    DoVLDblClick(WideToUtf8(word), styleNo);
  }
}
