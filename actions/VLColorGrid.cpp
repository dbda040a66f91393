#include "actions/VLColorGrid.h"

#include "actions/ColorVLFrm.h"
#include "platform/gui/GfxColors.h"

TVLColorGrid::TVLColorGrid(TComponent* AOwner) : TVLCustomGrid(AOwner) {
  FBorderStyle = bsNone;
  Init();
}

void TVLColorGrid::SetDefaultValues() {
  TVLCustomGrid::SetDefaultValues();
  FFirstRowHeight = 24;
  FFirstCaption = "Default";
  FDefaultColWidth = 18;
  FDefaultRowHeight = 18;
  FGridLineWidth = 0;
  FColCount = 8;
  FRowCount = 6;
  FRowsVisible = 6;
}

Integer TVLColorGrid::GetRowTop(Integer ARow) const {
  Integer top = TVLCustomGrid::GetRowTop(ARow);
  if (ARow > 0) top += FFirstRowHeight - FDefaultRowHeight;
  return top;
}

void TVLColorGrid::Resize() {
  const Integer h = (FDefaultRowHeight + FGridLineWidth) * FRowsVisible - FGridLineWidth +
                    (FFirstRowHeight - FDefaultRowHeight);
  const Integer w = (FDefaultColWidth + FGridLineWidth) * FColCount - FGridLineWidth;
  if (ClientHeight() != h) SetClientHeight(h);
  if (ClientWidth() != w) SetClientWidth(w);
  Invalidate();
}

void TVLColorGrid::SetFirstCaption(const String& value) {
  FFirstCaption = value;
  Invalidate();
}
void TVLColorGrid::SetFirstColor(TColor value) {
  FFirstColor = value;
  Invalidate();
}
void TVLColorGrid::SetFlat(bool value) {
  FFlat = value;
  Invalidate();
}
void TVLColorGrid::SetIndeterminate(bool value) {
  FIndeterminate = value;
  Invalidate();
}

TColor TVLColorGrid::GetChosenColor() const {
  if (FIndeterminate || FRow == 0) return FFirstColor;
  return PaletteColors[(FRow - 1) * FColCount + FCol].Color;
}

String TVLColorGrid::GetChosenColorName() const {
  if (FIndeterminate || FRow == 0) return FFirstCaption;
  return String(PaletteColors[(FRow - 1) * FColCount + FCol].Name);
}

void TVLColorGrid::SetChosenColor(TColor value) {
  if (value == FFirstColor) {
    TVLCustomGrid::SelectCell(0, 0);
    SetIndeterminate(false);
    return;
  }
  for (int i = 0; i < PALETTE_COLOR_COUNT; ++i)
    if (PaletteColors[i].Color == value) {
      TVLCustomGrid::SelectCell(i % FColCount, i / FColCount + 1);
      SetIndeterminate(false);
      return;
    }
  SetIndeterminate(true);
}

bool TVLColorGrid::SelectCell(Integer ACol, Integer ARow) {
  const bool real = ARow >= 0 && ARow < FRowCount && ACol >= 0 && ACol < FColCount && (ARow > 0 || ACol == 0);
  if (!real) {
    DoSelectCell();
    return false;
  }
  FIndeterminate = false;
  TVLCustomGrid::SelectCell(ACol, ARow);
  Invalidate();
  if (OnColorChange) OnColorChange(this);
  return false;
}

// The bar spans the whole first row: a click anywhere on it is the bar.
void TVLColorGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && Y >= 0 && Y < GetRowTop(1) && X >= 0 && X < ClientWidth()) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (!Focused() && CanFocus()) SetFocus();
    SelectCell(0, 0);
    return;
  }
  TVLCustomGrid::MouseDown(Button, Shift, X, Y);
}

void TVLColorGrid::DrawCell(Integer ACol, Integer ARow, const TRect& ARect, bool Selected) {
  TCanvas& c = *Canvas();
  TRect r = ARect;
  if (ARow >= 1) {
    c.Brush.Style = bsSolid;
    c.Brush.Color = PaletteColors[(ARow - 1) * FColCount + ACol].Color;
    TRect s = r;
    InflateRect(s, -2, -2);
    c.FillRect(s);
  } else {
    if (ACol != 0) return;
    c.Font.Assign(&Font);
    r.Left = 0;
    r.Right = ClientWidth();
    c.Brush.Style = bsSolid;
    c.Brush.Color = GetColor();
    c.FillRect(r);
    TRect t = r;
    if (FFirstColor != clNone) {
      const Integer side = r.Height() - 6;
      c.Brush.Color = FFirstColor;
      c.FillRect(TRect(r.Left + 3, r.Top + 3, r.Left + 3 + side, r.Top + 3 + side));
      t.Left += 19;
    }
    c.Brush.Style = bsClear;
    DrawText(c, FFirstCaption, t, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  c.Brush.Style = bsClear;
  if (Selected && !FIndeterminate) {
    c.Pen.Style = psInsideFrame;
    c.Pen.Width = 2;
    c.Pen.Color = clHighlight;
    c.Rectangle(r);
    TRect in = r;
    InflateRect(in, -2, -2);
    c.Pen.Width = 1;
    c.Pen.Color = clWindow;
    c.Rectangle(in);
  } else if (FFlat) {
    c.Pen.Style = psInsideFrame;
    c.Pen.Width = 2;
    c.Pen.Color = clWindow;
    c.Rectangle(r);
  } else {
    DrawEdge(c, r, EDGE_SUNKEN, BF_RECT);
  }
}
