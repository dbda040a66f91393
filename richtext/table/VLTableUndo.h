#pragma once
// Undo of table structure changes. A command's grid primitives each leave a
// step that reverses them; the steps of one command make one undo record.
// Undoing the record runs the steps backwards, and the primitives they call
// collect the steps of the redo record in turn.
#include "richtext/editor/VLUndoRecords.h"
#include "richtext/table/VLTable.h"

#include <memory>
#include <vector>

class TVLTableUndoStep {
public:
  virtual ~TVLTableUndoStep() = default;
  virtual void Apply(TVLTableItemInfo& table) = 0;
};

// The record of one command: the table found by its item number.
class TVLUndoTableStructure : public TVLUndoWidthInfo {
public:
  void Undo(TVLEditVLData* data) override;
  std::vector<std::unique_ptr<TVLTableUndoStep>> Steps;
};

// A grid position's former content (a cell, or nullptr for a covered one).
class TVLUndoTableCell : public TVLTableUndoStep {
public:
  void Apply(TVLTableItemInfo& table) override;
  Integer Row = 0, Col = 0;
  std::unique_ptr<TVLTableCellData> Cell;
};

class TVLUndoCellAttributes : public TVLTableUndoStep {
public:
  void Apply(TVLTableItemInfo& table) override;
  Integer Row = 0, Col = 0;
  TVLCellAttributes Value;
};

// Positions inserted into rows (Insert clear: undo removes them) or
// removed from them (Insert set: undo puts the kept contents back).
class TVLUndoTablePositions : public TVLTableUndoStep {
public:
  void Apply(TVLTableItemInfo& table) override;
  bool Insert = false;
  Integer FirstRow = 0, RowCount = 0, Col = 0, Count = 0;
  std::vector<std::unique_ptr<TVLTableCellData>> Cells;
};

// Rows inserted (Insert clear: undo takes them out) or taken out (Insert
// set: undo puts the kept rows back).
class TVLUndoTableRows : public TVLTableUndoStep {
public:
  void Apply(TVLTableItemInfo& table) override;
  bool Insert = false;
  Integer Index = 0, Count = 0;
  std::vector<std::unique_ptr<TVLTableRow>> Rows;
};

// ---------------------------------------------------------------------------
// Records of property changes: each holds the old value and, undone, sets
// it through the table's recording primitive, which leaves the redo.

// A table found by its item number in the document the record belongs to.
TVLTableItemInfo* VLUndoTable(TVLEditVLData* data, Integer itemNo);

class TVLUndoModifyCellIntProperty : public TVLUndoWidthInfo {
public:
  void Undo(TVLEditVLData* data) override;
  Integer Row = 0, Col = 0;
  String PropertyName;
  Integer Value = 0;
};

class TVLUndoModifyCellIntProperties : public TVLUndoWidthInfo {
public:
  void Undo(TVLEditVLData* data) override;
  Integer Row = 0, Col = 0;
  std::vector<std::pair<String, Integer>> Properties;
};

class TVLUndoModifyRowVAlign : public TVLUndoWidthInfo {
public:
  void Undo(TVLEditVLData* data) override;
  Integer Row = 0;
  TVLCellVAlign Value = vlcTop;
};

class TVLUndoModifyCellVisibleBorders : public TVLUndoWidthInfo {
public:
  void Undo(TVLEditVLData* data) override;
  Integer Row = 0, Col = 0;
  bool Left = true, Top = true, Right = true, Bottom = true;
};

class TVLUndoModifyBackgroundImage : public TVLUndoWidthInfo {
public:
  void Undo(TVLEditVLData* data) override;
  Integer Row = 0, Col = 0;
  std::unique_ptr<TGraphic> Graphic;
};

// Changes made to several cells through a hidden editor: per cell the
// groups of that editor's history (undo groups, or redo groups in a redo
// record), replayed in a hidden editor again.
class TVLUndoMultiCellsModify : public TVLUndoWidthInfo {
public:
  void Undo(TVLEditVLData* data) override;
  void SetOwnerList(TVLUndoList* list) override {
    TVLUndoWidthInfo::SetOwnerList(list);
    for (TCell& cell : Cells)
      for (auto& g : cell.Groups) g->SetOwnerList(list);
  }
  struct TCell {
    Integer Row = 0, Col = 0;
    std::vector<std::unique_ptr<TVLUndoInfos>> Groups;
  };
  bool IsRedo = false;
  std::vector<TCell> Cells;
};
