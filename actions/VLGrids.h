#pragma once
// A small grid of equal cells with one selected cell, selected with the
// keyboard and the mouse; rows scroll, columns are always all shown. The
// owner paints the cells (OnDrawCell).
#include "platform/base/SysUtils.h"
#include "platform/gui/Controls.h"

QY_DECLARE_EXCEPTION(EAssertionFailed, Exception);

enum TVLGridBoundsType { bbtByCellBounds, bbtByGridBounds };
using TVLGridDrawEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, const TRect& ARect, bool Selected)>;

class TVLCustomGrid : public TCustomControl {
public:
  explicit TVLCustomGrid(TComponent* AOwner);
  // Runs the virtual defaults; call once the constructor of the most derived
  // class is done.
  void Init();

  Integer Row() const { return FRow; }
  Integer Col() const { return FCol; }
  Integer TopRow() const { return FTopRow; }
  Integer GetRowCount() const { return FRowCount; }
  // Counts of 0 or less raise EAssertionFailed; the selection follows a
  // shrinking count so that it never names a cell that does not exist.
  void SetRowCount(Integer value);
  Integer GetColCount() const { return FColCount; }
  void SetColCount(Integer value);
  Integer GetRowsVisible() const { return FRowsVisible; }
  void SetRowsVisible(Integer value);
  void SetGridLineWidth(Integer value);
  Integer GetGridLineWidth() const { return FGridLineWidth; }
  void SetDefaultColWidth(Integer value);
  void SetDefaultRowHeight(Integer value);
  void SetGridLineColor(TColor value);
  TBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle value);
  void SetBoundsType(TVLGridBoundsType value);

  TVLGridDrawEvent OnDrawCell;
  TNotifyEvent OnSelectCell;
  TNotifyEvent OnTopLeftChanged;

  Integer GetColLeft(Integer ACol) const;
  virtual Integer GetRowTop(Integer ARow) const;
  void GetCellRect(Integer ACol, Integer ARow, TRect& ARect) const;
  // The cell under a point: left edge inclusive, right edge exclusive; -1
  // before the first and ColCount (TopRow + RowsVisible) after the last.
  Integer GetColAt(Integer X) const;
  Integer GetRowAt(Integer Y) const;
  // Moves Col and Row to the cell (each only when in range), scrolls it into
  // view and fires OnSelectCell; false when either was out of range.
  virtual bool SelectCell(Integer ACol, Integer ARow);
  // Scrolls by the scroll code (the vertical bar's).
  void ScrollBy(TScrollCode Code, Integer TrackPos = 0);

protected:
  virtual void SetDefaultValues();
  virtual void DrawGridLines();
  virtual void DrawCell(Integer ACol, Integer ARow, const TRect& ARect, bool Selected);
  virtual void DoSelectCell();
  virtual void TopLeftChanged();
  void Paint() override;
  void Resize() override;
  void CreateParams(TCreateParams& Params) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  bool DoKeyDown(Word& Key, TShiftState Shift) override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
  void Scroll(TScrollBarKind Kind, TScrollCode Code, int& Pos) override;
  void UpdateScrollBar();

  Integer FRow = 0, FCol = 0, FTopRow = 0;
  Integer FRowCount = 10, FColCount = 10, FRowsVisible = 10;
  Integer FGridLineWidth = 1;
  Integer FDefaultColWidth = 16, FDefaultRowHeight = 16;
  TColor FGridLineColor = clScrollBar;
  TBorderStyle FBorderStyle = bsSingle;
  TVLGridBoundsType FBoundsType = bbtByCellBounds;
  Integer FScaledColWidth = 0, FScaledRowHeight = 0;
};

class TVLGrid : public TVLCustomGrid {
public:
  explicit TVLGrid(TComponent* AOwner) : TVLCustomGrid(AOwner) { Init(); }
};
