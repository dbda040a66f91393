#include "richtext/table/VLTableUndo.h"

#include "richtext/editor/VLEditData.h"

void TVLUndoTableStructure::Undo(TVLEditVLData* data) {
  auto* table = ItemNo >= 0 && ItemNo < data->GetItemCount() ? dynamic_cast<TVLTableItemInfo*>(data->GetItem(ItemNo))
                                                              : nullptr;
  if (!table) throw EVellumError("Undo error");
  // A cell editor open on the table closes first: the steps may take its
  // cell out of the grid, and the cell must have its content back by then.
  table->DestroyInplaceEditor(false);
  const Integer width = data->ParaMinWidth(ItemNo);
  auto redo = std::make_unique<TVLUndoTableStructure>();
  {
    TVLTableItemInfo::TUndoCollector collect(*table, redo.get());
    for (auto it = Steps.rbegin(); it != Steps.rend(); ++it) (*it)->Apply(*table);
  }
  Steps.clear();
  table->Changed();
  // The record that redoes it, when there is somewhere to keep it.
  if (TVLUndoList* list = data->GetRecordingUndoList(); list && !redo->Steps.empty()) {
    redo->Action = vlumModifyItem;
    redo->ItemNo = ItemNo;
    redo->W = width;
    list->AddInfo(std::move(redo));
  }
  W = width;
}

void TVLUndoTableCell::Apply(TVLTableItemInfo& table) { table.ExchangeCell(Row, Col, Cell); }

void TVLUndoCellAttributes::Apply(TVLTableItemInfo& table) { table.SetCellAttributes(Row, Col, Value); }

void TVLUndoTablePositions::Apply(TVLTableItemInfo& table) {
  if (Insert)
    table.InsertPositions(FirstRow, RowCount, Col, Count, std::move(Cells));
  else
    table.RemovePositions(FirstRow, RowCount, Col, Count);
  Cells.clear();
}

void TVLUndoTableRows::Apply(TVLTableItemInfo& table) {
  if (Insert)
    table.InsertRowObjects(Index, std::move(Rows));
  else
    table.RemoveRowObjects(Index, Count);
  Rows.clear();
}
