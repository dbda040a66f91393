#include "richtext/editor/VLResize.h"

#include "platform/gui/Graphics.h"
#include "richtext/model/VLDrawLines.h"
#include "richtext/model/VLItem.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr Integer HandleShift = 3;
constexpr Integer HandleHalf = 3;

}  // namespace

TVLItemResizer::TVLItemResizer(TVLDrawLineInfo* drawItem, Integer drawItemNo, TCustomVLItemInfo* item)
    : Width(drawItem->Width), Height(drawItem->Height), DrawItem(drawItem), DrawItemNo(drawItemNo),
      ItemNo(drawItem->ItemNo), Item(item) {}

void TVLItemResizer::GetHandleShift(Integer index, Integer& dx, Integer& dy) const {
  dx = dy = 0;
  switch (index) {
    case 0: case 3: case 7: dx = HandleShift; break;
    case 1: case 2: case 5: dx = -HandleShift; break;
    default: break;
  }
  switch (index) {
    case 0: case 1: case 4: dy = HandleShift; break;
    case 2: case 3: case 6: dy = -HandleShift; break;
    default: break;
  }
  if (HandlesOutside) {
    dx = -dx;
    dy = -dy;
  }
}

void TVLItemResizer::GetHandlePos(Integer index, bool withShift, Integer& x, Integer& y) const {
  const Integer w = Width, h = Height;
  switch (index) {
    case 0: x = 0; y = 0; break;
    case 1: x = w; y = 0; break;
    case 2: x = w; y = h; break;
    case 3: x = 0; y = h; break;
    case 4: x = w / 2; y = 0; break;
    case 5: x = w; y = h / 2; break;
    case 6: x = w / 2; y = h; break;
    default: x = 0; y = h / 2; break;
  }
  if (withShift) {
    Integer dx, dy;
    GetHandleShift(index, dx, dy);
    x += dx;
    y += dy;
  }
}

void TVLItemResizer::DrawHandles(TCanvas* canvas, Integer hOffset, Integer vOffset) const {
  canvas->Pen.Width = 1;
  canvas->Pen.Color = clBlack;
  canvas->Pen.Style = psSolid;
  canvas->Brush.Style = bsClear;
  for (Integer i = 0; i < 8; ++i) {
    Integer x, y;
    GetHandlePos(i, true, x, y);
    x += DrawItem->Left - hOffset;
    y += DrawItem->Top - vOffset;
    canvas->Pen.Mode = pmCopy;
    canvas->Rectangle(x - 3, y - 3, x + 3, y + 3);
    canvas->Pen.Mode = pmNot;
    canvas->Rectangle(x - 2, y - 2, x + 2, y + 2);
    canvas->Rectangle(x - 1, y - 1, x + 1, y + 1);
  }
  canvas->Pen.Mode = pmCopy;
}

bool TVLItemResizer::HandleAt(Integer x, Integer y, Integer hOffset, Integer vOffset, Integer& index) const {
  const Integer px = x - (DrawItem->Left - hOffset), py = y - (DrawItem->Top - vOffset);
  for (Integer i = 0; i < 8; ++i) {
    Integer hx, hy;
    GetHandlePos(i, true, hx, hy);
    if (std::abs(px - hx) <= HandleHalf && std::abs(py - hy) <= HandleHalf) {
      index = i;
      return true;
    }
  }
  return false;
}

TCursor TVLItemResizer::GetHandleCursor(Integer index) {
  switch (index) {
    case 0: case 2: return crSizeNWSE;
    case 1: case 3: return crSizeNESW;
    case 4: case 6: return crSizeNS;
    default: return crSizeWE;
  }
}

bool TVLItemResizer::StartDrag(Integer x, Integer y, Integer hOffset, Integer vOffset) {
  Integer index;
  if (!HandleAt(x, y, hOffset, vOffset, index)) return false;
  Dragging = true;
  Cancelled = false;
  Handle = static_cast<Byte>(index);
  // Measured from the edge itself, not from the handle's centre (which
  // sits inside it): a press that does not move keeps the size.
  Integer hx, hy;
  GetHandlePos(index, false, hx, hy);
  GrabX = x - (DrawItem->Left - hOffset) - hx;
  GrabY = y - (DrawItem->Top - vOffset) - hy;
  Frame = {0, 0, DrawItem->Width, DrawItem->Height};
  return true;
}

void TVLItemResizer::DragTo(bool shift, bool ctrl, Integer x, Integer y, Integer hOffset, Integer vOffset) {
  const Integer px = x - GrabX - (DrawItem->Left - hOffset);
  const Integer py = y - GrabY - (DrawItem->Top - vOffset);
  const Integer w = DrawItem->Width, h = DrawItem->Height;
  Frame = {0, 0, w, h};
  bool ml = false, mt = false, mr = false, mb = false;
  switch (Handle) {
    case 0: Frame.Left = px; Frame.Top = py; ml = mt = true; break;
    case 1: Frame.Right = px; Frame.Top = py; mr = mt = true; break;
    case 2: Frame.Right = px; Frame.Bottom = py; mr = mb = true; break;
    case 3: Frame.Left = px; Frame.Bottom = py; ml = mb = true; break;
    case 4: Frame.Top = py; mt = true; break;
    case 5: Frame.Right = px; mr = true; break;
    case 6: Frame.Bottom = py; mb = true; break;
    default: Frame.Left = px; ml = true; break;
  }
  // At least 2 pixels each way.
  if (Frame.Right - 1 <= Frame.Left) {
    if (ml) Frame.Left = Frame.Right - 2;
    if (mr) Frame.Right = Frame.Left + 2;
  }
  if (Frame.Bottom - 1 <= Frame.Top) {
    if (mt) Frame.Top = Frame.Bottom - 2;
    if (mb) Frame.Bottom = Frame.Top + 2;
  }
  if (ctrl) {
    if (ml) Frame.Right = w - Frame.Left;
    if (mt) Frame.Bottom = h - Frame.Top;
    if (mr) Frame.Left = w - Frame.Right;
    if (mb) Frame.Top = h - Frame.Bottom;
  }
  if (!(shift || (VLResizeCornersKeepAspect && IsCornerHandle(Handle)))) return;
  // The proportions are those of the picture inside its spacing, on both
  // sides of the comparison.
  Integer sp = 0;
  if (auto* rect = dynamic_cast<TVLRectItemInfo*>(Item)) sp = 2 * rect->Spacing;
  const Integer w0 = w - sp, h0 = h - sp;
  if (w0 <= 0 || h0 <= 0) return;
  const double kx = double(Frame.Right - Frame.Left - sp) / w0;
  const double ky = double(Frame.Bottom - Frame.Top - sp) / h0;
  // Halves round to the even integer (the default rounding mode).
  if (kx > ky) {
    const Integer d = static_cast<Integer>(std::nearbyint(h0 * kx)) + sp - (Frame.Bottom - Frame.Top);
    if (ctrl) {
      Frame.Top -= d / 2;
      Frame.Bottom += d - d / 2;
    } else if (mt) {
      Frame.Top -= d;
    } else {
      Frame.Bottom += d;
    }
  } else {
    const Integer d = static_cast<Integer>(std::nearbyint(w0 * ky)) + sp - (Frame.Right - Frame.Left);
    if (ctrl) {
      Frame.Left -= d / 2;
      Frame.Right += d - d / 2;
    } else if (ml) {
      Frame.Left -= d;
    } else {
      Frame.Right += d;
    }
  }
}

void TVLItemResizer::DrawFrame(TCanvas* canvas, Integer hOffset, Integer vOffset) const {
  canvas->Pen.Mode = pmNot;
  canvas->Pen.Width = 1;
  canvas->Pen.Style = psDot;
  canvas->Brush.Style = bsClear;
  const Integer l = DrawItem->Left - hOffset, t = DrawItem->Top - vOffset;
  canvas->Rectangle(l + Frame.Left, t + Frame.Top, l + Frame.Right, t + Frame.Bottom);
  canvas->Pen.Mode = pmCopy;
  canvas->Pen.Style = psSolid;
}

void TVLItemResizer::EndDrag() {
  if (!Cancelled) {
    Width = Frame.Right - Frame.Left;
    Height = Frame.Bottom - Frame.Top;
  }
  Dragging = false;
  Cancelled = false;
}

void TVLItemResizer::Cancel() {
  Dragging = false;
  Cancelled = true;
}
