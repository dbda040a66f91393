#include "platform/gui/Bevel.h"

#include "platform/gui/GfxColors.h"

TBevel::TBevel(TComponent* AOwner) : TCustomControl(AOwner) {
  TabStop = false;
  SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape value) {
  FShape = value;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle value) {
  FStyle = value;
  Invalidate();
}

void TBevel::Paint() {
  TCanvas& c = *Canvas();
  const Integer w = ClientWidth(), h = ClientHeight();
  // Lowered: shadow on the top-left, highlight on the bottom-right.
  const TColor first = FStyle == bsLowered ? clBtnShadow : clBtnHighlight;
  const TColor second = FStyle == bsLowered ? clBtnHighlight : clBtnShadow;
  c.Pen.Style = psSolid;
  c.Pen.Width = 1;
  auto line = [&c](TColor color, Integer x1, Integer y1, Integer x2, Integer y2) {
    c.Pen.Color = color;
    c.MoveTo(x1, y1);
    c.LineTo(x2, y2);
  };
  switch (FShape) {
    case bsBox:
      line(first, 0, h - 1, 0, 0);
      line(first, 0, 0, w - 1, 0);
      line(second, w - 1, 0, w - 1, h - 1);
      line(second, w - 1, h - 1, 0, h - 1);
      break;
    case bsFrame:
      // Two nested outlines, offset by one pixel, in the two colours.
      c.Brush.Style = bsClear;
      c.Pen.Color = first;
      c.Rectangle(0, 0, w - 1, h - 1);
      c.Pen.Color = second;
      c.Rectangle(1, 1, w, h);
      break;
    case bsTopLine:
      line(first, 0, 0, w, 0);
      line(second, 0, 1, w, 1);
      break;
    case bsBottomLine:
      line(first, 0, h - 2, w, h - 2);
      line(second, 0, h - 1, w, h - 1);
      break;
    case bsLeftLine:
      line(first, 0, 0, 0, h);
      line(second, 1, 0, 1, h);
      break;
    case bsRightLine:
      line(first, w - 2, 0, w - 2, h);
      line(second, w - 1, 0, w - 1, h);
      break;
    case bsSpacer:
      break;
  }
}
