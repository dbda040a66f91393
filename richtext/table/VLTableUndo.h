#pragma once
// Undo records of table structure changes. Each keeps what one grid
// primitive replaced; undoing it runs the opposite primitive on the table
// (found by its item number), which records the redo in turn.
#include "richtext/editor/VLUndoRecords.h"
#include "richtext/table/VLTable.h"

#include <memory>
#include <vector>

class TVLUndoTableInfo : public TVLUndoWidthInfo {
public:
  void Undo(TVLEditVLData* data) override;

protected:
  virtual void UndoTable(TVLTableItemInfo& table) = 0;
};

// A grid position's former content (a cell, or nullptr for a covered one).
class TVLUndoTableCell : public TVLUndoTableInfo {
public:
  Integer Row = 0, Col = 0;
  std::unique_ptr<TVLTableCellData> Cell;

protected:
  void UndoTable(TVLTableItemInfo& table) override;
};

class TVLUndoCellAttributes : public TVLUndoTableInfo {
public:
  Integer Row = 0, Col = 0;
  TVLCellAttributes Value;

protected:
  void UndoTable(TVLTableItemInfo& table) override;
};

// Positions inserted into rows (Insert clear: undo removes them) or
// removed from them (Insert set: undo puts the kept contents back).
class TVLUndoTablePositions : public TVLUndoTableInfo {
public:
  bool Insert = false;
  Integer FirstRow = 0, RowCount = 0, Col = 0, Count = 0;
  std::vector<std::unique_ptr<TVLTableCellData>> Cells;

protected:
  void UndoTable(TVLTableItemInfo& table) override;
};

// Rows inserted (Insert clear: undo takes them out) or taken out (Insert
// set: undo puts the kept rows back).
class TVLUndoTableRows : public TVLUndoTableInfo {
public:
  bool Insert = false;
  Integer Index = 0, Count = 0;
  std::vector<std::unique_ptr<TVLTableRow>> Rows;

protected:
  void UndoTable(TVLTableItemInfo& table) override;
};
