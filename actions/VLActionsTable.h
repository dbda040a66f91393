#pragma once
// The table commands: a new table, rows and columns in and out, merging and
// splitting cells, selecting parts of the table, the cells' vertical
// alignment and visible borders, the table's properties, and showing the
// grid lines of borderless tables. Each change is one undo step.
#include "actions/VLActions.h"
#include "richtext/table/VLTable.h"

class TvlActionInsertTable;
using TVLAInsertTableEvent = std::function<void(TvlActionInsertTable* Sender, TVLTableItemInfo* Table)>;

class TvlActionInsertTable : public TvlAction {
public:
  explicit TvlActionInsertTable(TComponent* AOwner);
  // Disabled while cells of a table are selected in the focused document.
  void UpdateTarget(TObject* Target) override;
  void ExecuteTarget(TObject* Target) override;
  void AssignToTable(TVLTableItemInfo& Table) const;

  // The next table; RowCount, ColCount and BestWidth change when the user
  // asks the dialog to remember them.
  Integer RowCount = 2;
  Integer ColCount = 2;
  TVLTableOptions TableOptions{vltoEditing, vltoRowSizing, vltoColSizing, vltoRowSelect, vltoColSelect};
  TVLTablePrintOptions TablePrintOptions{vltoHalftoneBorders, vltoRowsSplit};
  Integer BestWidth = 0;
  TColor Color = clNone;
  Integer HeadingRowCount = 0;
  Integer BorderWidth = 1;
  TColor BorderColor = clWindowText;
  TColor BorderLightColor = clBtnHighlight;
  TVLTableBorderStyle BorderStyle = vltbColor;
  Integer BorderVSpacing = 2;
  Integer BorderHSpacing = 2;
  Integer CellBorderWidth = 1;
  TColor CellBorderColor = clWindowText;
  TColor CellBorderLightColor = clBtnHighlight;
  Integer CellPadding = 1;
  TVLTableBorderStyle CellBorderStyle = vltbColor;
  Integer VRuleWidth = 0;
  TColor VRuleColor = clWindowText;
  Integer HRuleWidth = 0;
  TColor HRuleColor = clWindowText;
  Integer CellVSpacing = 2;
  Integer CellHSpacing = 2;
  bool VOutermostRule = false;
  bool HOutermostRule = false;
  TVLAInsertTableEvent OnInserting;
};

// A command on the innermost table around the caret, run on the editor
// whose document holds that table.
class TvlActionTableCell : public TvlAction {
public:
  explicit TvlActionTableCell(TComponent* AOwner) : TvlAction(AOwner) {}
  void UpdateTarget(TObject* Target) override;
  void ExecuteTarget(TObject* Target) override;
  // True: the table changed in place and is to be laid out again.
  virtual bool ExecuteOnTable(TVLActionEditor* Editor, TVLTableItemInfo* Table, Integer ItemNo) = 0;
  virtual bool CanExecuteOnTable(TVLActionEditor* Editor, TVLTableItemInfo* Table, Integer ItemNo) = 0;
};

// Enabled where cells are selected or a cell is being edited.
class TvlActionTableRCBase : public TvlActionTableCell {
public:
  explicit TvlActionTableRCBase(TComponent* AOwner) : TvlActionTableCell(AOwner) {}
  bool CanExecuteOnTable(TVLActionEditor* Editor, TVLTableItemInfo* Table, Integer ItemNo) override;
};

#define QY_TABLE_RC_ACTION(Name)                                                         \
  class Name : public TvlActionTableRCBase {                                             \
  public:                                                                                \
    explicit Name(TComponent* AOwner);                                                   \
    bool ExecuteOnTable(TVLActionEditor* Editor, TVLTableItemInfo* Table, Integer ItemNo) override; \
  };
QY_TABLE_RC_ACTION(TvlActionTableInsertRowsAbove)
QY_TABLE_RC_ACTION(TvlActionTableInsertColLeft)
QY_TABLE_RC_ACTION(TvlActionTableInsertColRight)
QY_TABLE_RC_ACTION(TvlActionTableDeleteRows)
QY_TABLE_RC_ACTION(TvlActionTableDeleteCols)
QY_TABLE_RC_ACTION(TvlActionTableSelectRows)
QY_TABLE_RC_ACTION(TvlActionTableSelectCols)
#undef QY_TABLE_RC_ACTION

class TvlActionTableInsertRowsBelow : public TvlActionTableRCBase {
public:
  explicit TvlActionTableInsertRowsBelow(TComponent* AOwner);
  bool ExecuteOnTable(TVLActionEditor* Editor, TVLTableItemInfo* Table, Integer ItemNo) override;
  // Below the last row: ask how many rows to add.
  bool AllowMultiple = true;
};

#define QY_TABLE_CELL_ACTION(Name)                                                          \
  class Name : public TvlActionTableCell {                                                  \
  public:                                                                                   \
    explicit Name(TComponent* AOwner);                                                      \
    bool ExecuteOnTable(TVLActionEditor* Editor, TVLTableItemInfo* Table, Integer ItemNo) override;    \
    bool CanExecuteOnTable(TVLActionEditor* Editor, TVLTableItemInfo* Table, Integer ItemNo) override; \
  };
QY_TABLE_CELL_ACTION(TvlActionTableDeleteTable)
QY_TABLE_CELL_ACTION(TvlActionTableMergeCells)
QY_TABLE_CELL_ACTION(TvlActionTableSplitCells)
QY_TABLE_CELL_ACTION(TvlActionTableSelectTable)
QY_TABLE_CELL_ACTION(TvlActionTableSelectCell)
QY_TABLE_CELL_ACTION(TvlActionTableProperties)
#undef QY_TABLE_CELL_ACTION

// Commands that change the selected cells (or the edited one) one by one.
class TvlActionTableMultiCellAttributes : public TvlActionTableCell {
public:
  explicit TvlActionTableMultiCellAttributes(TComponent* AOwner) : TvlActionTableCell(AOwner) {}
  // Operation 1 tests the cell, 2 and 3 change it; false stops the walk.
  virtual bool ProcessCell(TVLTableItemInfo* Table, Integer Row, Integer Col, Integer Operation);
  // Row by row, left to right, each merged cell once at its own position.
  void ForEachSelectedCell(TVLTableItemInfo* Table, Integer Operation);
};

class TvlActionTableCellVAlign : public TvlActionTableMultiCellAttributes {
public:
  explicit TvlActionTableCellVAlign(TComponent* AOwner) : TvlActionTableMultiCellAttributes(AOwner) {}
  bool ExecuteOnTable(TVLActionEditor* Editor, TVLTableItemInfo* Table, Integer ItemNo) override;
  // Checked when every cell already has the alignment.
  bool CanExecuteOnTable(TVLActionEditor* Editor, TVLTableItemInfo* Table, Integer ItemNo) override;
  bool ProcessCell(TVLTableItemInfo* Table, Integer Row, Integer Col, Integer Operation) override;
  TVLCellVAlign VAlign = vlcVDefault;

private:
  bool FAllEqual = false;
};

#define QY_TABLE_VALIGN_ACTION(Name) \
  class Name : public TvlActionTableCellVAlign { \
  public: \
    explicit Name(TComponent* AOwner); \
  };
QY_TABLE_VALIGN_ACTION(TvlActionTableCellVAlignTop)
QY_TABLE_VALIGN_ACTION(TvlActionTableCellVAlignMiddle)
QY_TABLE_VALIGN_ACTION(TvlActionTableCellVAlignBottom)
QY_TABLE_VALIGN_ACTION(TvlActionTableCellVAlignDefault)
#undef QY_TABLE_VALIGN_ACTION

// Shows the command's sides on every cell, or hides them when every cell
// shows them already (then the command is checked).
class TvlActionTableCellBorder : public TvlActionTableMultiCellAttributes {
public:
  explicit TvlActionTableCellBorder(TComponent* AOwner) : TvlActionTableMultiCellAttributes(AOwner) {}
  bool ExecuteOnTable(TVLActionEditor* Editor, TVLTableItemInfo* Table, Integer ItemNo) override;
  bool CanExecuteOnTable(TVLActionEditor* Editor, TVLTableItemInfo* Table, Integer ItemNo) override;
  bool ProcessCell(TVLTableItemInfo* Table, Integer Row, Integer Col, Integer Operation) override;
  virtual bool GetBorder(const TVLBooleanRect& VisibleBorders) = 0;
  virtual void SetBorder(TVLTableItemInfo* Table, Integer Row, Integer Col, bool Value) = 0;

private:
  bool FAllShown = false;
};

#define QY_TABLE_BORDER_ACTION(Name)                                                  \
  class Name : public TvlActionTableCellBorder {                                      \
  public:                                                                             \
    explicit Name(TComponent* AOwner);                                                \
    bool GetBorder(const TVLBooleanRect& VisibleBorders) override;                    \
    void SetBorder(TVLTableItemInfo* Table, Integer Row, Integer Col, bool Value) override; \
  };
QY_TABLE_BORDER_ACTION(TvlActionTableCellLeftBorder)
QY_TABLE_BORDER_ACTION(TvlActionTableCellRightBorder)
QY_TABLE_BORDER_ACTION(TvlActionTableCellTopBorder)
QY_TABLE_BORDER_ACTION(TvlActionTableCellBottomBorder)
QY_TABLE_BORDER_ACTION(TvlActionTableCellAllBorders)
#undef QY_TABLE_BORDER_ACTION

// Hides all four sides of every cell; never checked.
class TvlActionTableCellNoBorders : public TvlActionTableCellBorder {
public:
  explicit TvlActionTableCellNoBorders(TComponent* AOwner);
  bool ExecuteOnTable(TVLActionEditor* Editor, TVLTableItemInfo* Table, Integer ItemNo) override;
  bool CanExecuteOnTable(TVLActionEditor* Editor, TVLTableItemInfo* Table, Integer ItemNo) override;
  bool GetBorder(const TVLBooleanRect&) override { return false; }
  void SetBorder(TVLTableItemInfo* Table, Integer Row, Integer Col, bool Value) override;
};

// Grid lines of invisible borders on or off, in every table of every view.
// Enabled without any editor.
class TvlActionTableGrid : public TvlCustomAction {
public:
  explicit TvlActionTableGrid(TComponent* AOwner);
  bool HandlesTarget(TObject* Target) override;
  void UpdateTarget(TObject* Target) override;
  void ExecuteTarget(TObject* Target) override;
};

// Whether the selected cells (or the edited one) hold a cell spanning more
// than one row (column).
bool TableSelectionHasRowSpan(TVLTableItemInfo* Table);
bool TableSelectionHasColSpan(TVLTableItemInfo* Table);
// The one colour of the selected cells; false when they differ or none is
// selected.
bool GetSelectedCellsColor(TVLTableItemInfo* Table, TColor& Color);
// Every selected cell and the edited one in Color, one undo step on Editor
// (the editor that holds the table); nothing when Editor refuses changes.
void SetSelectedCellsColor(TVLActionEditor* Editor, TVLTableItemInfo* Table, TColor Color);
