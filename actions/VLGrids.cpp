#include "actions/VLGrids.h"

#include <algorithm>
#include <string>

namespace {
void Refuse(const char* what, Integer value) {
  throw EAssertionFailed(String("Incorrect ") + what + " value " + std::to_string(value));
}
Integer MulDivRound(Integer a, Integer b, Integer c) {
  const int64_t p = static_cast<int64_t>(a) * b;
  const int64_t q = (p >= 0 ? p + c / 2 : p - c / 2) / c;
  return static_cast<Integer>(q);
}
}  // namespace

TVLCustomGrid::TVLCustomGrid(TComponent* AOwner) : TCustomControl(AOwner) {
  SetColor(clWindow);
  TabStop = true;
  SetBounds(GetLeft(), GetTop(), 100, 100);
}

void TVLCustomGrid::Init() {
  SetDefaultValues();
  RecreateWnd();
  Resize();
}

void TVLCustomGrid::SetDefaultValues() {
  FRow = FCol = FTopRow = 0;
  FRowCount = FColCount = FRowsVisible = 10;
  FDefaultRowHeight = FDefaultColWidth = 16;
  FGridLineWidth = 1;
  FGridLineColor = clScrollBar;
  FBoundsType = bbtByCellBounds;
}

void TVLCustomGrid::CreateParams(TCreateParams& Params) {
  if (FBorderStyle == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TVLCustomGrid::SetColCount(Integer value) {
  if (value <= 0) Refuse("ColCount", value);
  FColCount = value;
  FCol = std::min(FCol, FColCount - 1);
  Resize();
}

void TVLCustomGrid::SetRowCount(Integer value) {
  if (value <= 0) Refuse("RowCount", value);
  FRowCount = value;
  FTopRow = 0;
  FRow = std::min(FRow, FRowCount - 1);
  Resize();
}

void TVLCustomGrid::SetRowsVisible(Integer value) {
  FTopRow = 0;
  if (value <= 0) Refuse("RowsVisible", value);
  FRowsVisible = value;
  Resize();
}

void TVLCustomGrid::SetGridLineWidth(Integer value) {
  FGridLineWidth = value;
  Resize();
}
void TVLCustomGrid::SetDefaultColWidth(Integer value) {
  FDefaultColWidth = value;
  Resize();
}
void TVLCustomGrid::SetDefaultRowHeight(Integer value) {
  FDefaultRowHeight = value;
  Resize();
}
void TVLCustomGrid::SetGridLineColor(TColor value) {
  FGridLineColor = value;
  Invalidate();
}
void TVLCustomGrid::SetBorderStyle(TBorderStyle value) {
  FBorderStyle = value;
  RecreateWnd();
}
void TVLCustomGrid::SetBoundsType(TVLGridBoundsType value) {
  FBoundsType = value;
  Resize();
}

Integer TVLCustomGrid::GetColLeft(Integer ACol) const {
  if (FBoundsType == bbtByCellBounds) return ACol * (FDefaultColWidth + FGridLineWidth);
  return static_cast<Integer>(static_cast<int64_t>(ACol) * (FGridLineWidth * 1000 + FScaledColWidth) / 1000);
}

Integer TVLCustomGrid::GetRowTop(Integer ARow) const {
  const Integer r = ARow - FTopRow;
  if (FBoundsType == bbtByCellBounds) return r * (FDefaultRowHeight + FGridLineWidth);
  return static_cast<Integer>(static_cast<int64_t>(r) * (FGridLineWidth * 1000 + FScaledRowHeight) / 1000);
}

void TVLCustomGrid::GetCellRect(Integer ACol, Integer ARow, TRect& ARect) const {
  ARect = TRect(GetColLeft(ACol), GetRowTop(ARow), GetColLeft(ACol + 1) - FGridLineWidth,
                GetRowTop(ARow + 1) - FGridLineWidth);
}

// Half-open cells: a point on a cell's left or top edge belongs to it.
Integer TVLCustomGrid::GetColAt(Integer X) const {
  if (X < 0) return -1;
  for (Integer c = 0; c < FColCount; ++c)
    if (X < GetColLeft(c + 1)) return c;
  return FColCount;
}

Integer TVLCustomGrid::GetRowAt(Integer Y) const {
  if (Y < 0) return FTopRow - 1;
  for (Integer r = FTopRow; r < FTopRow + FRowsVisible; ++r)
    if (Y < GetRowTop(r + 1)) return r;
  return FTopRow + FRowsVisible;
}

void TVLCustomGrid::Resize() {
  if (FBoundsType == bbtByCellBounds) {
    const Integer w = (FDefaultColWidth + FGridLineWidth) * FColCount - FGridLineWidth;
    const Integer h = (FDefaultRowHeight + FGridLineWidth) * FRowsVisible - FGridLineWidth;
    if (ClientWidth() != w) SetClientWidth(w);
    if (ClientHeight() != h) SetClientHeight(h);
  } else {
    FScaledColWidth = MulDivRound(ClientWidth() - (FColCount - 1) * FGridLineWidth, 1000, FColCount);
    FScaledRowHeight = MulDivRound(ClientHeight() - (FRowsVisible - 1) * FGridLineWidth, 1000, FRowsVisible);
  }
  UpdateScrollBar();
  TCustomControl::Resize();
  Invalidate();
}

void TVLCustomGrid::UpdateScrollBar() {
  TScrollInfo si;
  si.Min = 0;
  if (FRowCount > FRowsVisible) {
    si.Max = FRowCount - 1;
    si.Page = FRowsVisible;
  } else {
    si.Max = 0;
    si.Page = 1;
  }
  si.Pos = FTopRow;
  SetScrollInfo(sbVertical, si);
  SetScrollPos(sbVertical, FTopRow);
}

void TVLCustomGrid::Paint() {
  TCanvas& c = *Canvas();
  c.Font.Assign(&Font);
  c.Brush.Style = bsSolid;
  c.Brush.Color = GetColor();
  c.FillRect(GetClientRect());
  if (FGridLineWidth > 0) DrawGridLines();
  for (Integer col = 0; col < FColCount; ++col)
    for (Integer row = FTopRow; row < FTopRow + FRowsVisible; ++row) {
      TRect r;
      GetCellRect(col, row, r);
      DrawCell(col, row, r, col == FCol && row == FRow);
    }
}

void TVLCustomGrid::DrawGridLines() {
  TCanvas& c = *Canvas();
  c.Pen.Style = psSolid;
  c.Pen.Color = FGridLineColor;
  c.Pen.Width = FGridLineWidth;
  for (Integer col = 1; col < FColCount; ++col) {
    const Integer x = GetColLeft(col) - (FGridLineWidth + 1) / 2;
    c.MoveTo(x, 0);
    c.LineTo(x, ClientHeight());
  }
  for (Integer row = FTopRow + 1; row < FTopRow + FRowsVisible; ++row) {
    const Integer y = GetRowTop(row) - (FGridLineWidth + 1) / 2;
    c.MoveTo(0, y);
    c.LineTo(ClientWidth(), y);
  }
}

void TVLCustomGrid::DrawCell(Integer ACol, Integer ARow, const TRect& ARect, bool Selected) {
  TCanvas& c = *Canvas();
  c.Brush.Color = Selected ? clHighlight : GetColor();
  c.Font.SetColor(Selected ? clHighlightText : Font.GetColor());
  if (OnDrawCell) OnDrawCell(this, ACol, ARow, ARect, Selected);
}

void TVLCustomGrid::DoSelectCell() {
  if (OnSelectCell) OnSelectCell(this);
}

bool TVLCustomGrid::SelectCell(Integer ACol, Integer ARow) {
  bool result = true;
  if (ACol >= 0 && ACol < FColCount) FCol = ACol;
  else result = false;
  if (ARow >= 0 && ARow < FRowCount) FRow = ARow;
  else result = false;
  if (FRow < FTopRow || FRow > FTopRow + FRowsVisible - 1) {
    FTopRow = FRow < FTopRow ? FRow : std::max(FRow - FRowsVisible + 1, 0);
    SetScrollPos(sbVertical, FTopRow);
    Invalidate();
  }
  DoSelectCell();
  return result;
}

void TVLCustomGrid::TopLeftChanged() {
  if (FRow < FTopRow) SelectCell(-1, FTopRow);
  else if (FRow > FTopRow + FRowsVisible - 1) SelectCell(-1, FTopRow + FRowsVisible - 1);
  if (OnTopLeftChanged) OnTopLeftChanged(this);
}

void TVLCustomGrid::ScrollBy(TScrollCode Code, Integer TrackPos) {
  const Integer last = std::max(FRowCount - FRowsVisible, 0);
  switch (Code) {
    case scLineUp: if (FTopRow > 0) --FTopRow; break;
    case scLineDown: if (FTopRow < last) ++FTopRow; break;
    case scPageUp: FTopRow = FRowsVisible < FTopRow ? FTopRow - FRowsVisible : 0; break;
    case scPageDown: FTopRow = std::min(FTopRow + FRowsVisible, last); break;
    case scPosition:
    case scTrack: FTopRow = std::clamp(TrackPos, 0, last); break;
    case scTop: FTopRow = 0; break;
    case scBottom: FTopRow = last; break;
    default: break;
  }
  SetScrollPos(sbVertical, FTopRow);
  Invalidate();
  TopLeftChanged();
}

void TVLCustomGrid::Scroll(TScrollBarKind Kind, TScrollCode Code, int& Pos) {
  if (Kind != sbVertical) return;
  if (CanFocus() && !Focused()) SetFocus();
  ScrollBy(Code, Pos);
  Pos = FTopRow;
}

void TVLCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (!Focused() && CanFocus()) SetFocus();
  if (Button != mbLeft) return;
  if (SelectCell(GetColAt(X), GetRowAt(Y))) Invalidate();
}

void TVLCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  if (Shift.Contains(ssLeft)) MouseDown(mbLeft, Shift, X, Y);
}

bool TVLCustomGrid::DoKeyDown(Word& Key, TShiftState Shift) {
  if (TCustomControl::DoKeyDown(Key, Shift)) return true;
  const bool ctrlOnly = Shift == TShiftState{ssCtrl};
  bool handled = true;
  switch (Key) {
    case VK_UP: SelectCell(FCol, FRow - 1); break;
    case VK_DOWN: SelectCell(FCol, FRow + 1); break;
    case VK_LEFT: SelectCell(FCol - 1, FRow); break;
    case VK_RIGHT: SelectCell(FCol + 1, FRow); break;
    case VK_HOME: ctrlOnly ? SelectCell(0, 0) : SelectCell(0, FRow); break;
    case VK_END: ctrlOnly ? SelectCell(FColCount - 1, FRowCount - 1) : SelectCell(FColCount - 1, FRow); break;
    case VK_PRIOR: SelectCell(FCol, 0); break;
    case VK_NEXT: SelectCell(FCol, FRowCount - 1); break;
    default: handled = false; break;
  }
  Invalidate();
  if (handled) Key = 0;
  return handled;
}

bool TVLCustomGrid::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  if (WheelDelta < 0 && FTopRow < FRowCount - FRowsVisible) {
    ScrollBy(scLineDown);
    return true;
  }
  if (WheelDelta > 0 && FTopRow > 0) {
    ScrollBy(scLineUp);
    return true;
  }
  return false;
}
