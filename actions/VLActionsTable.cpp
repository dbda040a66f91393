#include "actions/VLActionsTable.h"

#include "actions/InsTableVLFrm.h"
#include "actions/ItemPropVLFrm.h"
#include "actions/SplitVLFrm.h"
#include "actions/VLALocalize.h"
#include "richtext/editor/VLEditData.h"
#include "richtext/editor/VLUndo.h"
#include "richtext/view/VLScroller.h"

#include <algorithm>
#include <memory>
#include <string>

namespace {
// Group mode on the document that holds the table, off again however the
// steps end: everything in between undoes as one step. Not the innermost
// editor's: the table's steps record in its holder, and a cell editor they
// close would take the group mode with it, leaving each step undone alone.
class TUndoGroup {
public:
  explicit TUndoGroup(TVLTableItemInfo* table) : D(dynamic_cast<TVLEditVLData*>(table->GetVLData())) {
    if (!D) return;
    D->BeginUndoSequence(vlutModifyItem, true);
    D->SetUndoGroupMode(true);
  }
  ~TUndoGroup() {
    if (D) D->SetUndoGroupMode(false);
  }
  TUndoGroup(const TUndoGroup&) = delete;
  TUndoGroup& operator=(const TUndoGroup&) = delete;

private:
  TVLEditVLData* D;
};

struct TSelection {
  bool Found = false;
  Integer TopRow = -1, LeftCol = -1, ColCount = 0, RowCount = 0;
};

TSelection SelectionOf(TVLTableItemInfo* table) {
  TSelection s;
  s.Found = table->GetNormalizedSelectionBounds(true, s.TopRow, s.LeftCol, s.ColCount, s.RowCount);
  return s;
}

// The cell in the in-place editor, nullptr when none.
TVLTableCellData* EditedCell(TVLTableItemInfo* table) {
  if (!table->GetInplaceEditor()) return nullptr;
  const Integer r = table->EditedRow(), c = table->EditedCol();
  if (r < 0 || c < 0 || r >= table->RowCount() || c >= table->Rows.GetRow(r)->Count()) return nullptr;
  return table->GetCell(r, c);
}

// Whether any cell covering a position of the selection spans more than
// one row (rows) or column (!rows).
bool SelectionHasSpan(TVLTableItemInfo* table, bool rows) {
  const TSelection s = SelectionOf(table);
  if (!s.Found) return false;
  for (Integer r = s.TopRow; r < s.TopRow + s.RowCount; ++r)
    for (Integer c = s.LeftCol; c < s.LeftCol + s.ColCount; ++c) {
      Integer mr, mc;
      const TVLTableCellData* cell = table->Rows.GetMainCell(r, c, mr, mc);
      if (cell && (rows ? cell->RowSpan : cell->ColSpan) > 1) return true;
    }
  return false;
}

// After a command that changed the grid, the caret waits in the cell
// covering (row, col): what is typed next lands there, not on a block of
// selected cells that would refuse it.
void EnterCell(TVLTableItemInfo* table, Integer row, Integer col) {
  if (row < 0 || col < 0 || row >= table->RowCount() || col >= table->ColCount()) return;
  Integer mr, mc;
  if (table->Rows.GetMainCell(row, col, mr, mc)) table->EditCell(mr, mc);
}

// After the rows or columns of the cell being edited (or of the selected
// cells) went, typing goes on in the cell that took their place: the caret
// does not fall after the table, nor stay on cells that refuse it.
void KeepEditing(TVLTableItemInfo* table, bool editing, Integer row, Integer col) {
  if (editing && table->ChosenRow() >= 0 && table->ChosenCol() >= 0)
    table->ShowChosenCell(table->ChosenRow(), table->ChosenCol());
  else if (table->RowCount() > 0 && table->ColCount() > 0)
    EnterCell(table, std::min(row, table->RowCount() - 1), std::min(col, table->ColCount() - 1));
}

// A table larger than the reader takes back would be saved and then not
// read: the commands that grow one refuse, saying why.
bool RefusedAsTooLarge(bool fits) {
  if (fits) return false;
  MessageBox("A table can have at most " + std::to_string(VLTableMaxCells) + " cells.", LanguageText(213),
             MB_OK | MB_ICONWARNING);
  return true;
}

// Opens the cell editor on the first cell of a new table.
void EnterFirstCell(TVLTableItemInfo* table) {
  if (table->Options.Contains(vltoEditing)) table->EditCell(0, 0);
}

// Deletes the whole table item as one deletion step.
void DeleteWholeTable(TVLActionEditor* editor, TVLTableItemInfo* table, Integer itemNo) {
  const TVLTableItemInfo::TCaretCell at = table->CaretCell();
  auto* edit = dynamic_cast<TVLEditVLData*>(table->GetVLData());
  table->ClearCellSelection();
  editor->SetSelectionBounds(itemNo, 0, itemNo, 1);
  editor->DeleteSelection();
  // Undone, the table comes back with the caret in the cell it left (the
  // table itself may be gone: only its place is asked for).
  if (edit && edit->GetItemNo(table) < 0) TVLTableItemInfo::NoteCaretCell(edit, itemNo, at);
}
}  // namespace

// ---------------------------------------------------------------------------

TvlActionInsertTable::TvlActionInsertTable(TComponent* AOwner) : TvlAction(AOwner) {
  ChangesDocument = true;
  MessageID = 103;
  Localize();
}

void TvlActionInsertTable::UpdateTarget(TObject* Target) {
  // Its dialog would only lead to nothing in a read-only document.
  UpdateEnabledFor(Target, [&](TVLActionEditor* E) {
    return E && !E->IsReadOnly() && !GetCaretEditor(Target)->HasActiveItem();
  });
}

void TvlActionInsertTable::AssignToTable(TVLTableItemInfo& T) const {
  T.Options = TableOptions;
  T.PrintOptions = TablePrintOptions;
  T.Color = Color;
  T.BorderWidth = BorderWidth;
  T.BorderColor = BorderColor;
  T.BorderLightColor = BorderLightColor;
  T.BorderStyle = BorderStyle;
  T.BorderVSpacing = BorderVSpacing;
  T.BorderHSpacing = BorderHSpacing;
  T.CellBorderWidth = CellBorderWidth;
  T.CellBorderColor = CellBorderColor;
  T.CellBorderLightColor = CellBorderLightColor;
  T.CellPadding = CellPadding;
  T.CellBorderStyle = CellBorderStyle;
  T.VRuleWidth = VRuleWidth;
  T.VRuleColor = VRuleColor;
  T.HRuleWidth = HRuleWidth;
  T.HRuleColor = HRuleColor;
  T.CellVSpacing = CellVSpacing;
  T.CellHSpacing = CellHSpacing;
  T.VOutermostRule = VOutermostRule;
  T.HOutermostRule = HOutermostRule;
  T.HeadingRowCount = HeadingRowCount;
  T.Changed();
}

void TvlActionInsertTable::ExecuteTarget(TObject* Target) {
  TVLActionEditor* E = GetControl(Target);
  if (!E || RefusedAsReadOnly(E)) return;
  // A table deeper than a saved entry may hold would be lost on reload.
  if (VLTableDepthIn(GetCaretEditor(Target)->GetVLData()) > VLTableMaxNesting) {
    MessageBox("Tables can be nested at most " + std::to_string(VLTableMaxNesting) + " deep.", LanguageText(213),
               MB_OK | MB_ICONWARNING);
    return;
  }
  std::unique_ptr<TfrmInsTable> dlg(CreateVLForm<TfrmInsTable>(Application));
  dlg->SetRows(RowCount);
  dlg->SetColumns(ColCount);
  dlg->SetTableWidth(BestWidth);
  TVLEditorWatch watch(E);
  if (dlg->ShowModal() != mrOk || watch.Gone() || RefusedAsReadOnly(E)) return;
  if (dlg->cbRemember->GetChecked()) {
    BestWidth = dlg->GetTableWidth();
    RowCount = dlg->GetRows();
    ColCount = dlg->GetColumns();
  }
  TVLActionEditor* inner = GetCaretEditor(Target);
  std::unique_ptr<TVLTableItemInfo> table = TVLTableItemInfo::CreateEx(dlg->GetRows(), dlg->GetColumns(), inner->GetVLData());
  AssignToTable(*table);
  // Autosize leaves the cells without widths of their own: the table then
  // follows the width available (window or page) as columns come and go.
  table->BestWidth = dlg->GetTableWidth();
  if (OnInserting) OnInserting(this, table.get());
  TVLTableItemInfo* placed = table.get();
  if (E->InsertItem("", std::move(table))) EnterFirstCell(placed);
}

// ---------------------------------------------------------------------------

void TvlActionTableCell::UpdateTarget(TObject* Target) {
  UpdateEnabledFor(Target, [&](TVLActionEditor* E) {
    TVLActionEditor* holder = nullptr;
    TVLTableItemInfo* table = E && HandlesTarget(Target) ? E->FindCurrentTable(holder) : nullptr;
    return table && CanExecuteOnTable(holder, table, holder->GetItemNo(table));
  });
}

void TvlActionTableCell::ExecuteTarget(TObject* Target) {
  TVLActionEditor* E = GetControl(Target);
  if (!E || !E->CanChange()) return;
  TVLActionEditor* holder = nullptr;
  TVLTableItemInfo* table = E->FindCurrentTable(holder);
  if (!table) return;
  const Integer itemNo = holder->GetItemNo(table);
  Integer measure = 0;
  holder->SaveItemParaWidth(itemNo, measure);
  if (ExecuteOnTable(holder, table, itemNo)) {
    table->Changed();
    holder->ReformatAfterItemChange(itemNo, measure);
    // New column widths rewrap an open cell's lines after its row was
    // measured: the rows follow them.
    table->FollowEditorHeightsAfterLayout();
    holder->Change();
  }
}

bool TvlActionTableRCBase::CanExecuteOnTable(TVLActionEditor*, TVLTableItemInfo* Table, Integer) {
  return SelectionOf(Table).Found;
}

TvlActionTableInsertRowsAbove::TvlActionTableInsertRowsAbove(TComponent* AOwner) : TvlActionTableRCBase(AOwner) {
  MessageID = 105;
  Localize();
}

bool TvlActionTableInsertRowsAbove::ExecuteOnTable(TVLActionEditor*, TVLTableItemInfo* Table, Integer) {
  const TSelection s = SelectionOf(Table);
  if (!s.Found || RefusedAsTooLarge(Table->GridFits(Table->RowCount() + Int64(1), Table->ColCount()))) return false;
  Table->InsertRowsAbove(1);
  EnterCell(Table, s.TopRow, 0);
  return true;
}

TvlActionTableInsertRowsBelow::TvlActionTableInsertRowsBelow(TComponent* AOwner) : TvlActionTableRCBase(AOwner) {
  MessageID = 107;
  Localize();
}

bool TvlActionTableInsertRowsBelow::ExecuteOnTable(TVLActionEditor*, TVLTableItemInfo* Table, Integer) {
  Integer count = 1;
  const TSelection s = SelectionOf(Table);
  if (!s.Found) return false;
  // Only below the last row; the prompt keeps the count within 1..100.
  if (AllowMultiple && s.TopRow + s.RowCount == Table->RowCount() &&
      !AskInteger(LanguageText(545), LanguageText(546), count))
    return false;
  if (RefusedAsTooLarge(Table->GridFits(Table->RowCount() + Int64(count), Table->ColCount()))) return false;
  Table->InsertRowsBelow(count);
  EnterCell(Table, s.TopRow + s.RowCount, 0);
  return true;
}

TvlActionTableInsertColLeft::TvlActionTableInsertColLeft(TComponent* AOwner) : TvlActionTableRCBase(AOwner) {
  MessageID = 109;
  Localize();
}

bool TvlActionTableInsertColLeft::ExecuteOnTable(TVLActionEditor*, TVLTableItemInfo* Table, Integer) {
  const TSelection s = SelectionOf(Table);
  if (!s.Found || RefusedAsTooLarge(Table->GridFits(Table->RowCount(), Table->ColCount() + Int64(1)))) return false;
  Table->InsertColsLeft(1);
  EnterCell(Table, s.TopRow, s.LeftCol);
  return true;
}

TvlActionTableInsertColRight::TvlActionTableInsertColRight(TComponent* AOwner) : TvlActionTableRCBase(AOwner) {
  MessageID = 111;
  Localize();
}

bool TvlActionTableInsertColRight::ExecuteOnTable(TVLActionEditor*, TVLTableItemInfo* Table, Integer) {
  const TSelection s = SelectionOf(Table);
  if (!s.Found || RefusedAsTooLarge(Table->GridFits(Table->RowCount(), Table->ColCount() + Int64(1)))) return false;
  Table->InsertColsRight(1);
  EnterCell(Table, s.TopRow, s.LeftCol + s.ColCount);
  return true;
}

TvlActionTableDeleteRows::TvlActionTableDeleteRows(TComponent* AOwner) : TvlActionTableRCBase(AOwner) {
  MessageID = 113;
  Localize();
}

bool TvlActionTableDeleteRows::ExecuteOnTable(TVLActionEditor* Editor, TVLTableItemInfo* Table, Integer ItemNo) {
  const TSelection s = SelectionOf(Table);
  if (!s.Found) return false;
  if (s.RowCount == Table->RowCount()) {
    DeleteWholeTable(Editor, Table, ItemNo);
    return false;
  }
  const bool editing = Table->GetInplaceEditor() != nullptr;
  TUndoGroup group(Table);
  Table->DeleteSelectedRows();
  Table->DeleteEmptyRows();
  Table->DeleteEmptyCols();
  KeepEditing(Table, editing, s.TopRow, s.LeftCol);
  return true;
}

TvlActionTableDeleteCols::TvlActionTableDeleteCols(TComponent* AOwner) : TvlActionTableRCBase(AOwner) {
  MessageID = 115;
  Localize();
}

bool TvlActionTableDeleteCols::ExecuteOnTable(TVLActionEditor* Editor, TVLTableItemInfo* Table, Integer ItemNo) {
  const TSelection s = SelectionOf(Table);
  if (!s.Found) return false;
  if (s.ColCount == Table->Rows.GetRow(0)->Count()) {
    DeleteWholeTable(Editor, Table, ItemNo);
    return false;
  }
  const bool editing = Table->GetInplaceEditor() != nullptr;
  TUndoGroup group(Table);
  Table->DeleteSelectedCols();
  Table->DeleteEmptyRows();
  Table->DeleteEmptyCols();
  KeepEditing(Table, editing, s.TopRow, s.LeftCol);
  return true;
}

TvlActionTableSelectRows::TvlActionTableSelectRows(TComponent* AOwner) : TvlActionTableRCBase(AOwner) {
  MessageID = 125;
  Localize();
}

bool TvlActionTableSelectRows::ExecuteOnTable(TVLActionEditor*, TVLTableItemInfo* Table, Integer) {
  const TSelection s = SelectionOf(Table);
  if (s.Found) Table->SelectRows(s.TopRow, s.RowCount);
  return false;
}

TvlActionTableSelectCols::TvlActionTableSelectCols(TComponent* AOwner) : TvlActionTableRCBase(AOwner) {
  MessageID = 127;
  Localize();
}

bool TvlActionTableSelectCols::ExecuteOnTable(TVLActionEditor*, TVLTableItemInfo* Table, Integer) {
  const TSelection s = SelectionOf(Table);
  if (s.Found) Table->SelectCols(s.LeftCol, s.ColCount);
  return false;
}

TvlActionTableDeleteTable::TvlActionTableDeleteTable(TComponent* AOwner) : TvlActionTableCell(AOwner) {
  MessageID = 117;
  Localize();
}

bool TvlActionTableDeleteTable::CanExecuteOnTable(TVLActionEditor*, TVLTableItemInfo*, Integer) { return true; }

bool TvlActionTableDeleteTable::ExecuteOnTable(TVLActionEditor* Editor, TVLTableItemInfo* Table, Integer ItemNo) {
  DeleteWholeTable(Editor, Table, ItemNo);
  return false;
}

TvlActionTableMergeCells::TvlActionTableMergeCells(TComponent* AOwner) : TvlActionTableCell(AOwner) {
  MessageID = 119;
  Localize();
}

bool TvlActionTableMergeCells::CanExecuteOnTable(TVLActionEditor*, TVLTableItemInfo* Table, Integer) {
  return Table->CanMergeSelectedCells(true);
}

bool TvlActionTableMergeCells::ExecuteOnTable(TVLActionEditor*, TVLTableItemInfo* Table, Integer) {
  TUndoGroup group(Table);
  const TSelection s = SelectionOf(Table);
  Table->MergeSelectedCells(true);
  Table->DeleteEmptyRows();
  Table->DeleteEmptyCols();
  if (s.Found) EnterCell(Table, s.TopRow, s.LeftCol);
  return true;
}

TvlActionTableSplitCells::TvlActionTableSplitCells(TComponent* AOwner) : TvlActionTableCell(AOwner) {
  MessageID = 121;
  Localize();
}

bool TvlActionTableSplitCells::CanExecuteOnTable(TVLActionEditor*, TVLTableItemInfo* Table, Integer) {
  const TSelection s = SelectionOf(Table);
  if (!s.Found) return false;
  Integer mr, mc;
  const TVLTableCellData* cell = Table->Rows.GetMainCell(s.TopRow, s.LeftCol, mr, mc);
  if (cell && cell->ColSpan == s.ColCount && cell->RowSpan == s.RowCount) return true;
  return Table->CanMergeSelectedCells(true);
}

bool TvlActionTableSplitCells::ExecuteOnTable(TVLActionEditor* Editor, TVLTableItemInfo* Table, Integer) {
  std::unique_ptr<TfrmVLSplit> dlg(CreateVLForm<TfrmVLSplit>(Application));
  dlg->cbUnmergeRows->SetEnabled(TableSelectionHasRowSpan(Table));
  dlg->cbUnmergeCols->SetEnabled(TableSelectionHasColSpan(Table));
  dlg->cbUnmergeRows->SetChecked(dlg->cbUnmergeRows->GetEnabled());
  dlg->cbUnmergeCols->SetChecked(dlg->cbUnmergeCols->GetEnabled());
  dlg->rbUnmerge->SetEnabled(dlg->cbUnmergeRows->GetChecked() || dlg->cbUnmergeCols->GetChecked());
  dlg->cbMerge->SetEnabled(Table->CanMergeSelectedCells(true));
  if (dlg->ShowModal() != mrOk) return false;
  const TSelection s = SelectionOf(Table);
  if (dlg->rbSplit->GetChecked()) {
    const bool merge = dlg->cbMerge->GetChecked() && dlg->cbMerge->GetEnabled();
    const Integer cols = static_cast<Integer>(dlg->seColumns->CheckValue(dlg->seColumns->AsInteger()));
    const Integer rows = static_cast<Integer>(dlg->seRows->CheckValue(dlg->seRows->AsInteger()));
    if (RefusedAsTooLarge(Table->SplitSelectionFits(cols, rows, merge))) return false;
    // The cell at the caret is taken as selected before anything changes:
    // closing its editor later would end the undo group between the column
    // and the row split.
    if (s.Found && Table->GetInplaceEditor()) Table->Select(s.TopRow, s.LeftCol, s.ColCount - 1, s.RowCount - 1);
    TUndoGroup group(Table);
    if (merge) Table->MergeSelectedCells(true);
    if (cols > 1) Table->SplitSelectedCellsVertically(cols);
    if (rows > 1) Table->SplitSelectedCellsHorizontally(rows);
    Table->DeleteEmptyRows();
    Table->DeleteEmptyCols();
  } else {
    Table->UnmergeSelectedCells(dlg->cbUnmergeRows->GetChecked(), dlg->cbUnmergeCols->GetChecked());
  }
  // Typing goes on in the first of the cells the command made.
  if (s.Found) EnterCell(Table, s.TopRow, s.LeftCol);
  return true;
}

TvlActionTableSelectTable::TvlActionTableSelectTable(TComponent* AOwner) : TvlActionTableCell(AOwner) {
  MessageID = 123;
  Localize();
}

bool TvlActionTableSelectTable::CanExecuteOnTable(TVLActionEditor*, TVLTableItemInfo*, Integer) { return true; }

bool TvlActionTableSelectTable::ExecuteOnTable(TVLActionEditor*, TVLTableItemInfo* Table, Integer) {
  Table->SelectRows(0, Table->RowCount());
  return false;
}

TvlActionTableSelectCell::TvlActionTableSelectCell(TComponent* AOwner) : TvlActionTableCell(AOwner) {
  MessageID = 129;
  Localize();
}

bool TvlActionTableSelectCell::CanExecuteOnTable(TVLActionEditor*, TVLTableItemInfo* Table, Integer) {
  return Table->GetInplaceEditor() != nullptr;
}

bool TvlActionTableSelectCell::ExecuteOnTable(TVLActionEditor*, TVLTableItemInfo* Table, Integer) {
  if (Table->GetInplaceEditor()) {
    const Integer r = Table->EditedRow(), c = Table->EditedCol();
    Table->Select(r, c, 0, 0);
  }
  return false;
}

TvlActionTableProperties::TvlActionTableProperties(TComponent* AOwner) : TvlActionTableCell(AOwner) {
  MessageID = 139;
  Localize();
}

bool TvlActionTableProperties::CanExecuteOnTable(TVLActionEditor*, TVLTableItemInfo*, Integer) { return true; }

bool TvlActionTableProperties::ExecuteOnTable(TVLActionEditor* Editor, TVLTableItemInfo* Table, Integer) {
  std::unique_ptr<TfrmVLItemProp> dlg(CreateVLForm<TfrmVLItemProp>(Application));
  dlg->ColorDialog = GetSharedColorDialog();
  dlg->LoadTable(Table, false);
  if (dlg->ShowModal() != mrOk) return false;
  // Each property is a step of the document, which closes an open cell
  // editor; it opens again afterwards with its caret, and the keyboard.
  // A busy one (the command came from its own menu) just closes.
  std::function<void()> reopen;
  try {
    reopen = Table->SuspendInplaceEditor();
  } catch (const EVLTableInplaceError&) {
  }
  {
    TUndoGroup group(Table);
    dlg->ApplyTable(Editor, Table);
  }
  if (reopen) reopen();
  return true;
}

// ---------------------------------------------------------------------------

bool TvlActionTableMultiCellAttributes::ProcessCell(TVLTableItemInfo*, Integer, Integer, Integer) { return true; }

void TvlActionTableMultiCellAttributes::ForEachSelectedCell(TVLTableItemInfo* Table, Integer Operation) {
  const TVLTableCellData* edited = EditedCell(Table);
  for (Integer r = 0; r < Table->RowCount(); ++r)
    for (Integer c = 0; c < Table->Rows.GetRow(r)->Count(); ++c) {
      const TVLTableCellData* cell = Table->GetCell(r, c);
      if (!cell) continue;
      if (!Table->IsCellSelected(r, c) && cell != edited) continue;
      if (!ProcessCell(Table, r, c, Operation)) return;
    }
}

bool TvlActionTableCellVAlign::CanExecuteOnTable(TVLActionEditor*, TVLTableItemInfo* Table, Integer) {
  if (!SelectionOf(Table).Found) return false;
  FAllEqual = true;
  ForEachSelectedCell(Table, 1);
  SetChecked(FAllEqual);
  return true;
}

bool TvlActionTableCellVAlign::ProcessCell(TVLTableItemInfo* Table, Integer Row, Integer Col, Integer Operation) {
  if (Operation == 1) {
    FAllEqual = Table->GetCell(Row, Col)->VAlign == VAlign;
    return FAllEqual;
  }
  if (Operation == 2) Table->SetCellVAlign(VAlign, Row, Col);
  return true;
}

bool TvlActionTableCellVAlign::ExecuteOnTable(TVLActionEditor*, TVLTableItemInfo* Table, Integer) {
  TUndoGroup group(Table);
  ForEachSelectedCell(Table, 2);
  return true;
}

#define QY_VALIGN_CTOR(Name, Id, Value)                                      \
  Name::Name(TComponent* AOwner) : TvlActionTableCellVAlign(AOwner) {        \
    MessageID = Id;                                                          \
    VAlign = Value;                                                          \
    Localize();                                                              \
  }
QY_VALIGN_CTOR(TvlActionTableCellVAlignTop, 131, vlcTop)
QY_VALIGN_CTOR(TvlActionTableCellVAlignMiddle, 133, vlcMiddle)
QY_VALIGN_CTOR(TvlActionTableCellVAlignBottom, 135, vlcBottom)
QY_VALIGN_CTOR(TvlActionTableCellVAlignDefault, 137, vlcVDefault)
#undef QY_VALIGN_CTOR

bool TvlActionTableCellBorder::CanExecuteOnTable(TVLActionEditor*, TVLTableItemInfo* Table, Integer) {
  if (!SelectionOf(Table).Found) {
    SetChecked(false);
    return false;
  }
  FAllShown = true;
  ForEachSelectedCell(Table, 1);
  SetChecked(FAllShown);
  return true;
}

bool TvlActionTableCellBorder::ProcessCell(TVLTableItemInfo* Table, Integer Row, Integer Col, Integer Operation) {
  switch (Operation) {
    case 1:
      FAllShown = GetBorder(Table->GetCell(Row, Col)->VisibleBorders);
      return FAllShown;
    case 2: SetBorder(Table, Row, Col, true); return true;
    case 3: SetBorder(Table, Row, Col, false); return true;
    default: return true;
  }
}

bool TvlActionTableCellBorder::ExecuteOnTable(TVLActionEditor*, TVLTableItemInfo* Table, Integer) {
  TUndoGroup group(Table);
  ForEachSelectedCell(Table, GetChecked() ? 3 : 2);
  return true;
}

namespace {
// The cell's sides with one side (0 left, 1 top, 2 right, 3 bottom; 4 all)
// set to value.
void SetSide(TVLTableItemInfo* table, Integer row, Integer col, int side, bool value) {
  const TVLBooleanRect& now = table->GetCell(row, col)->VisibleBorders;
  bool l = now.Left, t = now.Top, r = now.Right, b = now.Bottom;
  if (side == 0 || side == 4) l = value;
  if (side == 1 || side == 4) t = value;
  if (side == 2 || side == 4) r = value;
  if (side == 3 || side == 4) b = value;
  table->SetCellVisibleBorders(l, t, r, b, row, col);
}
}  // namespace

#define QY_BORDER_ACTION(Name, Id, Side, Test)                                             \
  Name::Name(TComponent* AOwner) : TvlActionTableCellBorder(AOwner) {                      \
    MessageID = Id;                                                                        \
    Localize();                                                                            \
  }                                                                                        \
  bool Name::GetBorder(const TVLBooleanRect& v) { return Test; }                           \
  void Name::SetBorder(TVLTableItemInfo* Table, Integer Row, Integer Col, bool Value) {    \
    SetSide(Table, Row, Col, Side, Value);                                                 \
  }
QY_BORDER_ACTION(TvlActionTableCellLeftBorder, 143, 0, v.Left)
QY_BORDER_ACTION(TvlActionTableCellRightBorder, 145, 2, v.Right)
QY_BORDER_ACTION(TvlActionTableCellTopBorder, 147, 1, v.Top)
QY_BORDER_ACTION(TvlActionTableCellBottomBorder, 149, 3, v.Bottom)
QY_BORDER_ACTION(TvlActionTableCellAllBorders, 151, 4, v.Left && v.Top && v.Right && v.Bottom)
#undef QY_BORDER_ACTION

TvlActionTableCellNoBorders::TvlActionTableCellNoBorders(TComponent* AOwner) : TvlActionTableCellBorder(AOwner) {
  MessageID = 153;
  Localize();
}

bool TvlActionTableCellNoBorders::CanExecuteOnTable(TVLActionEditor*, TVLTableItemInfo* Table, Integer) {
  return SelectionOf(Table).Found;
}

bool TvlActionTableCellNoBorders::ExecuteOnTable(TVLActionEditor*, TVLTableItemInfo* Table, Integer) {
  TUndoGroup group(Table);
  ForEachSelectedCell(Table, 3);
  return true;
}

void TvlActionTableCellNoBorders::SetBorder(TVLTableItemInfo* Table, Integer Row, Integer Col, bool) {
  Table->SetCellVisibleBorders(false, false, false, false, Row, Col);
}

// ---------------------------------------------------------------------------

TvlActionTableGrid::TvlActionTableGrid(TComponent* AOwner) : TvlCustomAction(AOwner) {
  MessageID = 141;
  Localize();
}

bool TvlActionTableGrid::HandlesTarget(TObject*) { return true; }

void TvlActionTableGrid::UpdateTarget(TObject*) {
  SetEnabled(!Disabled);
  SetChecked(TableGridDrawStyle != psClear);
}

void TvlActionTableGrid::ExecuteTarget(TObject*) {
  TableGridDrawStyle = TableGridDrawStyle == psClear ? TableGridPenStyle : psClear;
  InvalidateAllVellums();
}

// ---------------------------------------------------------------------------

bool TableSelectionHasRowSpan(TVLTableItemInfo* Table) { return SelectionHasSpan(Table, true); }
bool TableSelectionHasColSpan(TVLTableItemInfo* Table) { return SelectionHasSpan(Table, false); }

bool GetSelectedCellsColor(TVLTableItemInfo* Table, TColor& Color) {
  bool found = false;
  for (Integer r = 0; r < Table->RowCount(); ++r)
    for (Integer c = 0; c < Table->Rows.GetRow(r)->Count(); ++c) {
      const TVLTableCellData* cell = Table->GetCell(r, c);
      if (!cell || !Table->IsCellSelected(r, c)) continue;
      if (!found) {
        Color = cell->Color;
        found = true;
      } else if (cell->Color != Color) {
        return false;
      }
    }
  return found;
}

void SetSelectedCellsColor(TVLActionEditor* Editor, TVLTableItemInfo* Table, TColor Color) {
  // A protected entry keeps its colours: the change check every other
  // table command makes.
  if (!Editor || !Editor->CanChange()) return;
  {
    TUndoGroup group(Table);
    const TVLTableCellData* edited = EditedCell(Table);
    for (Integer r = 0; r < Table->RowCount(); ++r)
      for (Integer c = 0; c < Table->Rows.GetRow(r)->Count(); ++c) {
        const TVLTableCellData* cell = Table->GetCell(r, c);
        if (cell && (Table->IsCellSelected(r, c) || cell == edited)) Table->SetCellColor(Color, r, c);
      }
  }
  Editor->Change();
}
