#pragma once
// The table item: a rectangular grid of cells, each cell a document of its
// own, with merged cells (a merged cell sits at its top-left position with
// its spans; the positions it covers hold no cell). This is the structure
// and the attributes of tables; laying out and painting them is not here.
#include "platform/base/Set.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLItem.h"

#include <memory>
#include <vector>

class TVLTableItemInfo;
class TVLTableRows;

enum TVLTableOption {
  vltoEditing, vltoRowSizing, vltoColSizing, vltoRowSelect, vltoColSelect,
  vltoRTFSaveCellPixelBestWidth, vltoRTFAllowAutofit, vltoHideGridLines, vltoOverlappingCorners,
  vltoCellBelowBorders
};
using TVLTableOptions = TSet<TVLTableOption>;
enum TVLTableBorderStyle { vltbRaised, vltbLowered, vltbColor, vltbRaisedColor, vltbLoweredColor };
enum TVLCellVAlign { vlcTop, vlcMiddle, vlcBottom, vlcVDefault };

// One cell: a nested document whose settings and style sheet come from the
// document that holds the table.
class TVLTableCellData : public TCustomVLData {
public:
  explicit TVLTableCellData(TVLTableItemInfo* table);
  ~TVLTableCellData() override;

  Cardinal GetState() override { return FState; }
  void SetState(Cardinal value) override { FState = value; }
  TCustomVLData* GetParentData() override;
  TCustomVLData* GetRootData() override;
  TCustomVLData* GetAbsoluteParentData() override { return GetParentData(); }
  TCustomVLData* GetAbsoluteRootData() override;
  TVLMarkerList* GetMarkers(bool allowCreate) override;
  void DestroyMarkers() override;

  // Colour, borders, alignment; with copySize also the sizes divided.
  void AssignAttributesFrom(const TVLTableCellData& source, bool copySize, Integer colDivisor,
                            Integer rowDivisor);
  TVLTableItemInfo* GetTable() const { return FTable; }
  void SetTable(TVLTableItemInfo* table) { FTable = table; }
  // Empties the cell and gives it one empty text item (style 0, paragraph 0).
  void ResetContent();

  TColor Color = clNone;
  TColor BorderColor = clNone;
  TColor BorderLightColor = clNone;
  Integer BestWidth = 0;  // > 0 pixels, < 0 percent
  Integer BestHeight = 0;
  TVLBooleanRect VisibleBorders;
  TVLCellVAlign VAlign = vlcVDefault;
  Integer RowSpan = 1;
  Integer ColSpan = 1;

private:
  TVLTableItemInfo* FTable;
  Cardinal FState = 0;
  std::unique_ptr<TVLMarkerList> FMarkers;
};

class TVLTableRow {
public:
  TVLTableRow(Integer cellCount, TVLTableItemInfo* table);
  Integer Count() const { return static_cast<Integer>(Cells.size()); }
  TVLTableCellData* GetCell(Integer col) const;
  TVLCellVAlign VAlign = vlcTop;
  std::vector<std::unique_ptr<TVLTableCellData>> Cells;
};

class TVLTableRows {
public:
  explicit TVLTableRows(TVLTableItemInfo* table) : FTable(table) {}
  Integer Count() const { return static_cast<Integer>(Rows.size()); }
  TVLTableRow* GetRow(Integer index) const { return Rows.at(static_cast<size_t>(index)).get(); }
  // Fresh rows of fresh cells.
  void Reset(Integer rowCount, Integer colCount);
  // The cell covering (row, col); nullptr outside the grid.
  TVLTableCellData* GetMainCell(Integer row, Integer col, Integer& mainRow, Integer& mainCol) const;
  // Merges the rectangle into its top-left cell, moving the content of the
  // covered cells into it; refused (false, nothing changed) when the
  // rectangle leaves the grid or cuts another merged cell.
  bool MergeCells(Integer topRow, Integer leftCol, Integer colSpan, Integer rowSpan, bool allowMerge,
                  bool extra = false);
  bool IsEmpty() const { return Rows.empty() || Rows[0]->Count() == 0; }
  std::vector<std::unique_ptr<TVLTableRow>> Rows;

private:
  TVLTableItemInfo* FTable;
};

class TVLTableStoreSubVLData : public TVLStoreSubVLData {
public:
  TVLTableStoreSubVLData(Integer row, Integer col) : Row(row), Col(col) {}
  std::unique_ptr<TVLStoreSubVLData> Duplicate() const override {
    return std::make_unique<TVLTableStoreSubVLData>(Row, Col);
  }
  Integer Row, Col;
};

class TVLTableItemInfo : public TVLFullLineItemInfo {
public:
  explicit TVLTableItemInfo(TCustomVLData* vlData);
  ~TVLTableItemInfo() override;
  static std::unique_ptr<TVLTableItemInfo> CreateEx(Integer rows, Integer cols, TCustomVLData* vlData);

  bool GetBoolValue(Integer prop) const override;
  void Inserted(TCustomVLData* vlData, Integer itemNo) override;
  void RegisterInnerMarkers(TObject* markerList) override;
  TCustomVLData* GetSubVLData(std::unique_ptr<TVLStoreSubVLData>& storeState, Integer position) override;
  void ChooseSubVLData(const TVLStoreSubVLData* storeState) override;
  void ResetSubVLDataChoice() override { FEditedRow = FEditedCol = -1; }
  void MarkStylesInUse(TVLIntegerList& usedTextStyles, TVLIntegerList& usedParaStyles,
                       TVLIntegerList& usedListStyles) override;
  // Renumbers the item's own paragraph and the items of every cell, nested
  // tables included, after unused styles were deleted.
  void UpdateStyles(const TVLIntegerList& textStylesShift, const TVLIntegerList& paraStylesShift,
                    const TVLIntegerList& listStylesShift) override;
  // VLF: the grid and the table's attributes in the item header, then one
  // line per grid position (a covered one is "-"): the cell's attributes
  // and its content as a complete VLF document in hexadecimal.
  AnsiString GetVLFParams(TCustomVLData* vlData) const override;
  bool ReadVLFParams(const char*& p) override;
  void SaveVLF(TStream& stream, TCustomVLData* vlData, Integer itemNo, Integer paraNo, const AnsiString& name,
               bool part, bool forceSameAsPrev) override;
  bool ReadVLFLine(const AnsiString& s, TCustomVLData* vlData, Integer lineNo, Integer lineCount,
                   AnsiString& name, TObject*& cpInfo) override;

  Integer RowCount() const { return Rows.Count(); }
  Integer ColCount() const { return Rows.Count() ? Rows.GetRow(0)->Count() : FCols; }
  // The cell at a grid position, nullptr for a covered one; a position
  // outside the grid raises EVellumError.
  TVLTableCellData* GetCell(Integer row, Integer col) const;
  // Makes the grid valid whatever it was read from: every row as long as
  // the first, spans clipped to the grid and to positions that hold cells
  // of their own, empty cells in positions nobody covers; the text of
  // cells past the end of a row goes to the row's last cell. True when
  // something had to be repaired.
  bool NormalizeGrid();
  // New rows or columns before index (index = count appends); an index
  // outside 0..count raises EVellumError, a count below 1 does nothing.
  void InsertRows(Integer index, Integer count, Integer copyIndex, bool select);
  void InsertCols(Integer index, Integer count, Integer copyIndex, bool select);
  // Deletes columns; a merged cell that loses columns keeps the rest.
  void DeleteCols(Integer index, Integer count, bool decreaseWidth);
  bool MergeCells(Integer topRow, Integer leftCol, Integer colSpan, Integer rowSpan, bool flag = true);
  // The document that holds the table.
  TCustomVLData* GetVLData() const { return FVLData; }
  void SetVLData(TCustomVLData* vlData) { FVLData = vlData; }
  // The cell being edited in place (-1, -1 when none).
  Integer EditedRow() const { return FEditedRow; }
  Integer EditedCol() const { return FEditedCol; }

  TVLTableOptions Options{vltoEditing, vltoRowSizing, vltoColSizing, vltoRowSelect, vltoColSelect};
  Integer BestWidth = 0;
  TColor Color = clWindow;
  Integer HeadingRowCount = 0;
  Integer BorderWidth = 0;
  TColor BorderColor = clWindowText;
  TColor BorderLightColor = clBtnHighlight;
  TVLTableBorderStyle BorderStyle = vltbRaised;
  Integer BorderVSpacing = 2;
  Integer BorderHSpacing = 2;
  Integer CellBorderWidth = 0;
  TColor CellBorderColor = clWindowText;
  TColor CellBorderLightColor = clBtnHighlight;
  Integer CellPadding = 1;
  TVLTableBorderStyle CellBorderStyle = vltbLowered;
  Integer CellVSpacing = 2;
  Integer CellHSpacing = 2;
  TVLTableRows Rows;

private:
  bool ReadCellLine(const AnsiString& s, Integer lineNo);
  bool ReadCellContent(const AnsiString& s, TVLTableCellData& cell);

  TCustomVLData* FVLData;
  bool FGridRepaired = false;
  Integer FCols = 0;
  Integer FEditedRow = -1, FEditedCol = -1;
};

// The table's style number joins the item factory; the program calls it
// once at start-up (VLRegisterRTFReader does too).
void VLRegisterTableItem();
