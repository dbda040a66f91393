#include "richtext/table/VLTableUndo.h"

#include "richtext/editor/VLEditData.h"

void TVLUndoTableInfo::Undo(TVLEditVLData* data) {
  auto* table = ItemNo >= 0 && ItemNo < data->GetItemCount() ? dynamic_cast<TVLTableItemInfo*>(data->GetItem(ItemNo))
                                                              : nullptr;
  if (!table) throw EVellumError("Undo error");
  W = data->ParaMinWidth(ItemNo);
  UndoTable(*table);
  table->Changed();
}

void TVLUndoTableCell::UndoTable(TVLTableItemInfo& table) { table.ExchangeCell(Row, Col, Cell); }

void TVLUndoCellAttributes::UndoTable(TVLTableItemInfo& table) { table.SetCellAttributes(Row, Col, Value); }

void TVLUndoTablePositions::UndoTable(TVLTableItemInfo& table) {
  if (Insert)
    table.InsertPositions(FirstRow, RowCount, Col, Count, std::move(Cells));
  else
    table.RemovePositions(FirstRow, RowCount, Col, Count);
  Cells.clear();
}

void TVLUndoTableRows::UndoTable(TVLTableItemInfo& table) {
  if (Insert)
    table.InsertRowObjects(Index, std::move(Rows));
  else
    table.RemoveRowObjects(Index, Count);
  Rows.clear();
}
