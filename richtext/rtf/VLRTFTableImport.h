#pragma once
// Table import of an RTF run: RTF describes every row by the right edges of
// its cells; the table item needs one grid. Rows are collected in a scratch
// row whose cells receive the text, then laid into the grid by their edges,
// with merged cells where rows disagree. Nested tables use a stack.
#include "richtext/model/VLClasses.h"
#include "richtext/rtf/VLRTFRecords.h"

#include <memory>
#include <vector>

class TVLRTFReaderProperties;
class TVLTableItemInfo;
class TVLTableCellData;
class TCustomVLData;

class TVLRTFTableImport {
public:
  explicit TVLRTFTableImport(TVLRTFReaderProperties& props);
  ~TVLRTFTableImport();

  void ReaderTable(TVLRTFTableEventKind kind);
  // An item went into doc (a scratch cell gets content after its row).
  void ItemAdded(TCustomVLData* doc);
  Integer Depth() const { return static_cast<Integer>(FStack.size()); }

private:
  struct TTableInfo;
  void TableStart();
  void CellEnd();
  void RowEnd();
  void TableEnd();
  // Ends the table read so far as a table of its own and goes on in a new
  // one, taking the row being read along.
  void ContinueInANewTable();
  void FinishRow(TTableInfo& info);
  // The table's columns once the row is laid into it.
  static Int64 ColumnsWithRow(const TTableInfo& info, const TVLRTFRowProperties& row);
  void FinishTable(TTableInfo& info);
  void ApplyCellProps(TTableInfo& info, TVLTableCellData& cell, const TVLRTFCellProperties& props,
                      const TVLRTFRowProperties& row, Integer startCol, Integer endCol);
  void MakeFiller(TVLTableItemInfo& table, Integer row, Integer col);
  // A column inserted at index k inside column k - 1: every cell over k - 1 widens.
  void SplitColumn(TVLTableItemInfo& table, Integer k);
  TVLTableCellData* ScratchCell(TTableInfo& info, Integer col);

  TVLRTFReaderProperties& P;
  std::vector<std::unique_ptr<TTableInfo>> FStack;
};
