#pragma once
// The in-dialog colour chooser: a bar for "no colour" (FirstCaption, standing
// for FirstColor) above the 40 palette colours in 8 columns by 5 rows.
// Indeterminate: no cell counts as chosen (a mixed selection, or a colour
// outside the palette).
#include "actions/VLGrids.h"

class TVLColorGrid : public TVLCustomGrid {
public:
  explicit TVLColorGrid(TComponent* AOwner);

  String GetFirstCaption() const { return FFirstCaption; }
  void SetFirstCaption(const String& value);
  TColor GetFirstColor() const { return FFirstColor; }
  void SetFirstColor(TColor value);
  bool GetFlat() const { return FFlat; }
  void SetFlat(bool value);
  bool GetIndeterminate() const { return FIndeterminate; }
  void SetIndeterminate(bool value);
  TColor GetChosenColor() const;
  // FirstColor selects the bar, a palette colour its cell; any other colour
  // makes the grid indeterminate without an event.
  void SetChosenColor(TColor value);
  String GetChosenColorName() const;
  // Fired after every selection that chose a cell.
  TNotifyEvent OnColorChange;

  // Only a move to a real cell chooses a colour: a key that cannot move
  // (at an edge) and the empty cells right of the bar choose nothing.
  bool SelectCell(Integer ACol, Integer ARow) override;
  Integer GetRowTop(Integer ARow) const override;

protected:
  void SetDefaultValues() override;
  void DrawCell(Integer ACol, Integer ARow, const TRect& ARect, bool Selected) override;
  void Resize() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
  String FFirstCaption = "Default";
  TColor FFirstColor = clNone;
  bool FFlat = false;
  bool FIndeterminate = false;
  Integer FFirstRowHeight = 24;
};
