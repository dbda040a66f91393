#pragma once
// A grid of rows under titled columns: text the user edits in place, check
// boxes, read-only text and hidden columns. The window that shows a table's
// rows fills it and hears of each change.
#include "platform/gui/Controls.h"

#include <functional>
#include <vector>

enum TGridColumnKind { gckText, gckCheck, gckReadOnly };

struct TGridColumn {
  String Title;
  TGridColumnKind Kind = gckText;
  bool Visible = true;
  int Width = 120;
};

class TStringGrid : public TWinControl {
public:
  explicit TStringGrid(TComponent* AOwner);
  ~TStringGrid() override;

  void SetColumns(const std::vector<TGridColumn>& columns);
  int ColCount() const { return static_cast<int>(FColumns.size()); }
  const TGridColumn& Column(int col) const { return FColumns.at(static_cast<size_t>(col)); }

  int RowCount() const;
  // Rows are added empty at the end or removed from it.
  void SetRowCount(int rows);
  void DeleteRow(int row);
  String Cell(int col, int row) const;
  void SetCell(int col, int row, const String& text);
  bool Checked(int col, int row) const;
  void SetChecked(int col, int row, bool value);

  // The current row (-1 when none).
  int GetRow() const;
  void SetRow(int row);
  int GetCol() const;

  // The user changed a cell (typed text committed, or a box ticked); the
  // program's own changes are not reported.
  std::function<void(TObject* Sender, int col, int row)> OnCellChanged;

  // As the user's edit of a cell (tests and the keyboard path).
  void EditCell(int col, int row, const String& text);
  void ToggleCell(int col, int row);
  // Opens the cell's in-place editor with its text selected, as a double
  // click does; what the user then types replaces it.
  void BeginEdit(int col, int row);

private:
  std::vector<TGridColumn> FColumns;
  bool FUpdating = false;
};
