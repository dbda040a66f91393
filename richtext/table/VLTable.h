#pragma once
// The table item: a rectangular grid of cells, each cell a document of its
// own, with merged cells (a merged cell sits at its top-left position with
// its spans; the positions it covers hold no cell). This is the structure
// and the attributes of tables; laying out and painting them is not here.
#include "platform/base/Set.h"
#include "richtext/model/VLBack.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLItem.h"
#include "richtext/view/VLItemFormattedData.h"

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class TVLTableItemInfo;
class TVLTableRows;
class TVLTableRow;
class TVLTableInplaceEdit;
class TVLTablePrintInfo;
class TVLTablePrintPart;
class TVLTableUndoStep;
class TVLUndoTableStructure;
class TVLEditVLData;
class TCustomVellumEdit;

enum TVLTableOption {
  vltoEditing, vltoRowSizing, vltoColSizing, vltoRowSelect, vltoColSelect,
  vltoRTFSaveCellPixelBestWidth, vltoRTFAllowAutofit, vltoHideGridLines, vltoOverlappingCorners,
  vltoCellBelowBorders
};
using TVLTableOptions = TSet<TVLTableOption>;
enum TVLTableBorderStyle { vltbRaised, vltbLowered, vltbColor, vltbRaisedColor, vltbLoweredColor };
enum TVLCellVAlign { vlcTop, vlcMiddle, vlcBottom, vlcVDefault };

// One cell: a nested formatted document whose settings and style sheet come
// from the document that holds the table.
class TVLTableCellData : public TVLItemFormattedData {
public:
  explicit TVLTableCellData(TVLTableItemInfo* table);
  ~TVLTableCellData() override;

  TCustomVLData* GetParentData() override;
  TCustomVLData* GetRootData() override;
  TCustomVLData* GetAbsoluteParentData() override { return GetParentData(); }
  TCustomVLData* GetAbsoluteRootData() override;
  // List markers number with the outermost document's lists while the
  // table lies in it; a detached cell keeps its own list.
  TVLMarkerList* GetMarkers(bool allowCreate) override;
  void DestroyMarkers() override;
  // The table's number in its document and this cell's place in the table.
  void GetParentInfo(Integer& itemNo, std::unique_ptr<TVLStoreSubVLData>& location) override;
  // Whether the cell's markers are in the outermost document's list (kept
  // by the table).
  bool SharesMarkers = false;
  void DropOwnMarkers();

  // Colour, borders, alignment; with copySize also the sizes divided.
  void AssignAttributesFrom(const TVLTableCellData& source, bool copySize, Integer colDivisor,
                            Integer rowDivisor);
  TVLTableItemInfo* GetTable() const { return FTable; }
  void SetTable(TVLTableItemInfo* table) { FTable = table; }
  // Empties the cell and gives it one empty text item (style 0, paragraph 0).
  void ResetContent();

  // Answers of the laid-out cell (Left, Top, Width, Height: its rectangle
  // in the table, padding included, border not).
  Integer GetWidth() override;
  Integer GetHeight() override;
  Integer GetDocumentWidth() override { return Width; }
  TColor GetColor() override { return clNone; }
  // The cell's picture behind its content, kept in a background object that
  // exists only while it holds something.
  TVLBackground* GetBackground() override { return FBackground.get(); }
  TGraphic* GetBackgroundImage() const { return FBackground ? FBackground->GetBitmap() : nullptr; }
  void SetBackgroundImage(std::unique_ptr<TGraphic> graphic);
  TVLItemBackgroundStyle GetBackgroundStyle() const {
    return FBackground ? FBackground->GetItemBackStyle() : vlbsColor;
  }
  void SetBackgroundStyle(TVLItemBackgroundStyle value);
  String BackgroundImageFileName;
  void GetOrigin(Integer& x, Integer& y) override;
  // vlcVDefault takes the row's alignment, and a row's vlcVDefault is middle.
  TVLCellVAlign GetRealVAlign() const;
  // Where the content starts below the cell's padding.
  Integer GetVAlignOffset() const;
  // The larger of the content height and BestHeight.
  Integer GetMinHeight() const { return std::max(ContentHeight(), BestHeight); }
  // The height of what the cell shows: its own document, or the in-place
  // editor's while it is edited (the editor's margins are the padding).
  Integer ContentHeight() const;
  Integer ContentMinWidth(TCanvas* canvas);
  // Client coordinates of a cell are those of the table's drawing origin
  // (the table's own coordinates outside painting).
  Integer GetHOffset() override;
  Integer GetVOffset() override;
  // The edited cell's items live in the in-place editor's document.
  TCustomVLData* GetVLData() override;
  // The document the cell is edited in: its in-place editor's, opened first
  // when the table lets it (else the cell itself).
  TCustomVLData* GetEditableVLData() override;
  // Plain-text loading sets no page breaks inside a cell.
  bool SupportsPageBreaks() override { return false; }
  TCustomVLFormattedData* InplaceData = nullptr;
  // The row that holds the cell (nullptr while the cell is detached).
  TVLTableRow* GetRow() const;
  // The cell's grid position; false while it is detached.
  bool FindPlace(Integer& row, Integer& col) const;
  void AssignSizeFrom(const TVLTableCellData& source) {
    Left = source.Left;
    Top = source.Top;
    Width = source.Width;
    Height = source.Height;
  }
  Integer Left = 0, Top = 0, Width = 0, Height = 0;
  // The minimum content width measured at the last layout.
  Integer LaidMinWidth = 0;

  TColor Color = clNone;
  TColor BorderColor = clNone;
  TColor BorderLightColor = clNone;
  Integer BestWidth = 0;  // > 0 pixels, < 0 percent
  Integer BestHeight = 0;
  TVLBooleanRect VisibleBorders;
  TVLCellVAlign VAlign = vlcVDefault;
  Integer RowSpan = 1;
  Integer ColSpan = 1;
  // Part of the table's multi-cell selection (kept by UpdateCellsSelectedState).
  bool Selected = false;
  // Expires with the cell: what names the cell from outside (an undo group
  // remembering where the caret was) finds out that it is gone.
  std::weak_ptr<const void> LifeToken() const {
    if (!FLife) FLife = std::make_shared<char>(0);
    return FLife;
  }

private:
  void DropEmptyBackground();
  mutable std::shared_ptr<char> FLife;
  TVLTableItemInfo* FTable;
  // Where FindPlace found the cell last (checked before it is believed).
  mutable Integer FPlaceRow = -1, FPlaceCol = -1;
  std::unique_ptr<TVLMarkerList> FMarkers;
  std::unique_ptr<TVLBackground> FBackground;
};

// A cell's attributes and spans as one value (what undo keeps of a cell
// whose content stays where it is).
struct TVLCellAttributes {
  TColor Color = clNone, BorderColor = clNone, BorderLightColor = clNone;
  Integer BestWidth = 0, BestHeight = 0;
  bool Left = true, Top = true, Right = true, Bottom = true;
  TVLCellVAlign VAlign = vlcVDefault;
  Integer RowSpan = 1, ColSpan = 1;
  static TVLCellAttributes Of(const TVLTableCellData& cell);
  void ApplyTo(TVLTableCellData& cell) const;
  bool operator==(const TVLCellAttributes&) const = default;
};

class TVLTableRow {
public:
  TVLTableRow(Integer cellCount, TVLTableItemInfo* table);
  Integer Count() const { return static_cast<Integer>(Cells.size()); }
  TVLTableCellData* GetCell(Integer col) const;
  // The largest BestHeight of the row's cells that span no rows.
  Integer GetBestHeight() const;
  // The largest minimum height of those cells; 10 when none or 0.
  Integer GetMinHeight() const;
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
  // The cell itself too, while it lives: it is found wherever the grid has
  // moved it since.
  TVLTableStoreSubVLData(Integer row, Integer col, const TVLTableCellData* cell)
      : Row(row), Col(col), Cell(cell), CellLife(cell ? cell->LifeToken() : std::weak_ptr<const void>()) {}
  std::unique_ptr<TVLStoreSubVLData> Duplicate() const override {
    auto copy = std::make_unique<TVLTableStoreSubVLData>(Row, Col);
    copy->Cell = Cell;
    copy->CellLife = CellLife;
    return copy;
  }
  const TVLTableCellData* LiveCell() const { return CellLife.expired() ? nullptr : Cell; }
  Integer Row, Col;

private:
  const TVLTableCellData* Cell = nullptr;
  std::weak_ptr<const void> CellLife;
};

// The search position of a cell whose rest was searched in its cell editor.
inline constexpr Integer vlSearchCellDone = -2;

enum TVLTablePrintOption { vltoHalftoneBorders, vltoRowsSplit, vltoWhiteBackground };
using TVLTablePrintOptions = TSet<TVLTablePrintOption>;

// The results of the last layout.
struct TVLTableItemFormattingInfo {
  std::vector<Integer> ColWidths;   // content width of each column, padding excluded
  std::vector<Integer> RowHeights;  // content height of each row, padding excluded
  std::vector<Integer> ColStarts;   // left of each column's cells inside the table
  std::vector<Integer> RowStarts;   // top of each row's cells inside the table
  Integer Width = 0, Height = 0;
  // The width aimed at (a table wider than that, as its cells need, is not
  // laid out again for the same aim).
  Integer Target = 0;
  // The table was as wide as its cells' pixel widths, whatever the aim.
  bool AutoSized = false;
  void Clear() {
    ColWidths.clear();
    RowHeights.clear();
    ColStarts.clear();
    RowStarts.clear();
  }
};

// Replaces (DoDefault false) or precedes the drawing of a border; row and
// column are -1 for the table's outer border.
using TVLTableDrawBorderEvent =
    std::function<void(TVLTableItemInfo* sender, TCanvas* canvas, Integer left, Integer top, Integer right,
                       Integer bottom, Integer width, TColor lightColor, TColor color, TColor backgroundColor,
                       TVLTableBorderStyle style, bool printing, const TVLBooleanRect* visibleBorders,
                       Integer row, Integer col, bool& doDefault)>;
using TVLCellEditingEvent =
    std::function<void(TVLTableItemInfo* sender, Integer row, Integer col, bool automatic, bool& allowEdit)>;
using TVLCellEndEditEvent = std::function<void(TVLTableItemInfo* sender, Integer row, Integer col, bool clearing)>;

// Where an Undo in an open cell editor finds it: the caret, and a block of
// cells selected in a table of the cell (BlockItem -1: none), which keeps
// the caret where it is while the replay changes the text.
struct TVLCellEditPlace {
  Integer CaretItem = 0, CaretOffs = 0;
  Integer BlockItem = -1, BlockRow = 0, BlockCol = 0, BlockCols = 0, BlockRows = 0;
};

// Areas of the RTF writer's extra-text event for a table's rows and cells.
inline constexpr Integer vl_rtfs_RowProps = 2;
inline constexpr Integer vl_rtfs_CellProps = 3;

// VLTableMaxCells and VLTableMaxNesting: with the reader's warnings.
// The depth of a table that lies in data (1 in a document, 2 in its cell...).
Integer VLTableDepthIn(TCustomVLData* data);

// Whether a cell holds no more than the lone empty text item a new cell starts with.
bool VLTableCellHoldsNothing(TCustomVLData& cell);
// The bytes of text that data shows, with the cells of its tables that the
// grid shows (a cell under another's merge shows nothing).
Int64 VLShownTextSize(TCustomVLData& data);
class TVLTableItemInfo;
Int64 VLShownTextSize(TVLTableItemInfo& table);

class TVLTableItemInfo : public TVLFullLineItemInfo {
public:
  explicit TVLTableItemInfo(TCustomVLData* vlData);
  ~TVLTableItemInfo() override;
  static std::unique_ptr<TVLTableItemInfo> CreateEx(Integer rows, Integer cols, TCustomVLData* vlData);

  // Besides taking a whole line (0): it resets the current text style (4),
  // and counts as a table (5, 6, 10) to text output and layout.
  bool GetBoolValue(Integer prop) const override;
  // A table prints itself on the page (not through a bitmap).
  bool GetBoolValueEx(Integer prop, TVLStyle* vlStyle) const override {
    // 5: its text comes as Unicode when Unicode text is asked for.
    return prop == 5 || (prop != 0 && TVLFullLineItemInfo::GetBoolValueEx(prop, vlStyle));
  }
  // Placed into a document: the cells answer to it from now on, and a cell
  // left without items gets an empty paragraph.
  void Inserting(TCustomVLData* vlData, AnsiString& text, bool safe) override;
  void Inserted(TCustomVLData* vlData, Integer itemNo) override;
  void RegisterInnerMarkers(TObject* markerList) override;
  // Whether the table lies in a document, and that document in the
  // outermost one (cells of a detached table count their own markers).
  bool IsPlaced() const;
  // Whether a document holds the table (not an undo list, not a reader).
  bool IsHosted() const { return FHosted; }
  // The list markers of the cells (nested tables included) join or leave
  // the outermost document's list.
  void AttachMarkers();
  void DetachMarkers();
  // One cell's markers (with those of tables inside it).
  void ShareCellMarkers(TVLTableCellData& cell, bool share);
  void MovingToUndoList(Integer itemNo, TCustomVLData* vlData, TObject* containerUndoItem) override;
  void MovingFromUndoList(Integer itemNo, TCustomVLData* vlData) override;
  TCustomVLData* GetSubVLData(std::unique_ptr<TVLStoreSubVLData>& storeState, Integer position) override;
  void ChooseSubVLData(const TVLStoreSubVLData* storeState) override;
  void ResetSubVLDataChoice() override { FEditedRow = FEditedCol = -1; }
  // The cell a location names (its document in its editor while edited).
  TCustomVLData* GetSubVLDataOf(const TVLStoreSubVLData* location) override;
  void SubVLDataChanged() override { Changed(); }
  // Opens the cell editor on the cell (or the nearest one the grid still
  // has), the caret at the item and offset when they fit, else at its end.
  bool ReturnCaretTo(const TVLStoreSubVLData* storeState, Integer itemNo, Integer offs) override;
  // Columns and rows measured from scratch at the next layout, in tables
  // inside the cells too; an open cell editor lays its document out anew.
  void LayoutAnew() override;
  // A cell's narrowest width, changed to minWidth, changes its column's
  // (true when the last layout did not keep what it needs to tell).
  bool ColumnMinimumMoves(const TVLTableCellData& cell, Integer minWidth) const;
  // Where a command given now was given: the edited cell and its caret, else
  // the first selected cell, else the chosen one (Row -1: none).
  struct TCaretCell {
    Integer Row = -1, Col = -1, ItemNo = -1, Offs = 0;
    const TVLTableCellData* Cell = nullptr;
  };
  TCaretCell CaretCell() const;
  // The last undo group of the document that holds the table (its item
  // itemNo) takes it: the group undone or redone, the caret goes back there.
  static void NoteCaretCell(TVLEditVLData* edit, Integer itemNo, const TCaretCell& at);
  void MarkStylesInUse(TVLIntegerList& usedTextStyles, TVLIntegerList& usedParaStyles,
                       TVLIntegerList& usedListStyles) override;
  // Renumbers the item's own paragraph and the items of every cell, nested
  // tables included, after unused styles were deleted.
  void UpdateStyles(const TVLIntegerList& textStylesShift, const TVLIntegerList& paraStylesShift,
                    const TVLIntegerList& listStylesShift) override;
  // VLF: one record whose data is the streamed table (its properties, then
  // every cell with its spans and its content as a VLF document of its
  // own). Records of the older form (the grid in the header, one line per
  // grid position) are still read. VLTableStore.cpp.
  AnsiString GetVLFParams(TCustomVLData* vlData) const override;
  bool ReadVLFParams(const char*& p) override;
  void SaveVLF(TStream& stream, TCustomVLData* vlData, Integer itemNo, Integer paraNo, const AnsiString& name,
               bool part, bool forceSameAsPrev) override;
  // The record of one printed part: the heading rows first (those the part
  // repeats), then the part's own rows. The range stays set afterwards.
  void SaveVLFPart(TStream& stream, TCustomVLData* vlData, Integer paraNo, const AnsiString& name,
                   const TVLTablePrintPart& part);
  // The rows the record holds: with heading rows, the first SaveHeadingRows
  // rows, then SaveRowCount rows from SaveFirstRow (-1: to the end).
  Integer SaveHeadingRows = 0, SaveFirstRow = 0, SaveRowCount = -1;
  std::vector<Integer> SavedRows() const;
  bool ReadVLFLine(const AnsiString& s, TCustomVLData* vlData, Integer lineNo, Integer lineCount,
                   AnsiString& name, TObject*& cpInfo) override;
  void SetVLFReadType(Integer readType) override { FReadType = readType; }
  Integer GetVLFExtraPropertyCount() const override;
  void SaveVLFExtraProperties(TStream& stream) const override;
  bool SetExtraStrProperty(TVLExtraItemStrProperty prop, const String& value) override;
  bool GetExtraStrProperty(TVLExtraItemStrProperty prop, String& value) const override;
  // The stream of the record's data line, and reading it back (EReadError
  // for data that does not hold a table).
  AnsiString SaveToBytes();
  void LoadFromBytes(const AnsiString& bytes);
  // The "filename" string the table keeps for its document.
  String FileName;

  // ---- RTF, HTML and text output (VLTableRTF.cpp, VLTableHTML.cpp) ----
  void SaveRTF(TStream& stream, TCustomVLData* vlData, Integer itemNo, const AnsiString& text, Integer level,
               TVLRTFSaveTables& tables) override;
  void FillRTFTables(TVLColorList& colorList, TVLIntegerList& listOverrideCountList,
                     TCustomVLData* vlData) override;
  void SaveToHTML(TStream& stream, TCustomVLData* vlData, Integer itemNo, const AnsiString& text,
                  TVLHTMLSaveContext& ctx, TColor curColor, bool useCSS) override;
  AnsiString AsText(Integer lineWidth, TCustomVLData* vlData, const AnsiString& text, const String& path,
                    bool textOnly, bool unicode) const override;
  // Forces \trautofit1 on every table written to RTF.
  static bool RTFAllowAutofitAll;

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

  // ---- structure operations (VLTableOps.cpp) ----
  // Each is one undo step when the table lies in an editor that records
  // undo; none ever leaves a grid position covered twice.
  // New rows or columns before index (index = count appends) copying the
  // attributes of row/column copyIndex (-1: plain cells); an index outside
  // 0..count or a copyIndex outside -1..count-1 raises EVellumError, a
  // count below 1 does nothing.
  void InsertRows(Integer index, Integer count, Integer copyIndex, bool select);
  void InsertCols(Integer index, Integer count, Integer copyIndex, bool select);
  // Merged cells that reach into the deleted rows/columns keep the rest;
  // with decrease their best sizes shrink in proportion.
  void DeleteRows(Integer index, Integer count, bool decreaseHeight);
  void DeleteCols(Integer index, Integer count, bool decreaseWidth);
  // Whether a grid of rows x cols is one the reader takes back (at most
  // VLTableMaxCells positions): what the commands make, a saved document
  // holds. The relative commands below refuse (a beep) what would not be.
  static bool GridFits(Int64 rows, Int64 cols) {
    return rows >= 0 && cols >= 0 && rows * std::max<Int64>(cols, 1) <= VLTableMaxCells;
  }
  // Whether the selected cells (or the edited one), merged first when
  // merge, split into colParts x rowParts leave a grid that fits; false
  // without a selection.
  bool SplitSelectionFits(Integer colParts, Integer rowParts, bool merge);
  // Relative to the selected cells or the edited cell; a beep without either.
  void InsertRowsAbove(Integer count);
  void InsertRowsBelow(Integer count);
  void InsertColsLeft(Integer count);
  void InsertColsRight(Integer count);
  void DeleteSelectedRows();
  void DeleteSelectedCols();
  // Rows/columns in which no cell starts (all covered by merged cells).
  void DeleteEmptyRows();
  void DeleteEmptyCols();
  // Whether the rectangle (clipped to the grid) can become one cell: no
  // merged cell crosses its border and, unless skipRowColCheck, no row or
  // column would be left without a cell of its own.
  bool CanMergeCells(Integer topRow, Integer leftCol, Integer colSpan, Integer rowSpan, bool skipRowColCheck);
  // The rectangle's content goes to its top-left cell, in reading order. A
  // rectangle that is one cell already does nothing; a refused one beeps.
  bool MergeCells(Integer topRow, Integer leftCol, Integer colSpan, Integer rowSpan, bool skipRowColCheck = true);
  void UnmergeCells(Integer topRow, Integer leftCol, Integer colSpan, Integer rowSpan, bool unmergeRows,
                    bool unmergeCols);
  // Splits a cell into parts columns (rows); the content stays in the
  // right (bottom) part. Answers the number of columns (rows) added.
  Integer SplitCellVertically(Integer row, Integer col, Integer parts);
  Integer SplitCellHorizontally(Integer row, Integer col, Integer parts);
  Integer SplitCellsVertically(Integer topRow, Integer leftCol, Integer colSpan, Integer rowSpan, Integer parts);
  Integer SplitCellsHorizontally(Integer topRow, Integer leftCol, Integer colSpan, Integer rowSpan, Integer parts);
  // The same on the selected cells.
  bool CanMergeSelectedCells(bool skipRowColCheck);
  bool MergeSelectedCells(bool skipRowColCheck);
  void UnmergeSelectedCells(bool unmergeRows, bool unmergeCols);
  void SplitSelectedCellsVertically(Integer parts);
  void SplitSelectedCellsHorizontally(Integer parts);

  // ---- grid primitives (VLTableOps.cpp) ----
  // The steps the operations above are made of. Each records its inverse
  // when the table's editor records undo; undoing a record runs the
  // inverse primitive, which records the redo.
  // Swaps the content of a grid position (a cell or nullptr) with cell.
  void ExchangeCell(Integer row, Integer col, std::unique_ptr<TVLTableCellData>& cell);
  void SetCellAttributes(Integer row, Integer col, const TVLCellAttributes& value);
  // count positions at col in each of rowCount rows from firstRow, filled
  // from cells (row by row; nullptr or missing entries are covered).
  void InsertPositions(Integer firstRow, Integer rowCount, Integer col, Integer count,
                       std::vector<std::unique_ptr<TVLTableCellData>> cells);
  void RemovePositions(Integer firstRow, Integer rowCount, Integer col, Integer count);
  void InsertRowObjects(Integer index, std::vector<std::unique_ptr<TVLTableRow>> rows);
  void RemoveRowObjects(Integer index, Integer count);
  // The number of the table in its editor's document while that editor
  // records undo, else -1.
  Integer GetUndoItemNo() const;
  // While one lives, the primitives leave their undo steps in record.
  class TUndoCollector {
  public:
    TUndoCollector(TVLTableItemInfo& table, TVLUndoTableStructure* record)
        : T(table), Saved(table.FCollector) {
      T.FCollector = record;
    }
    ~TUndoCollector() { T.FCollector = Saved; }
    TUndoCollector(const TUndoCollector&) = delete;
    TUndoCollector& operator=(const TUndoCollector&) = delete;

  private:
    TVLTableItemInfo& T;
    TVLUndoTableStructure* Saved;
  };
  bool RecordsUndo() const { return FCollector != nullptr; }
  // The document that holds the table.
  TCustomVLData* GetVLData() const { return FVLData; }
  void SetVLData(TCustomVLData* vlData) { FVLData = vlData; }
  // The cell being edited in place (-1, -1 when none).
  Integer EditedRow() const { return FEditedRow; }
  Integer EditedCol() const { return FEditedCol; }

  // ---- layout (VLTableLayout.cpp) ----
  Integer GetMinWidth(const TVLScreenAndDevice* sad, TCanvas* canvas, TCustomVLData* vlData) override;
  void CalcSizeForDocWidth(Integer docWidth, Integer& result1, Integer& result2) override;
  // Columns with widths of their own (a dragged border) keep the layout the
  // screen shows alone in its window: laid out again at the paper's
  // narrower line they would give the first columns their pixels and
  // squeeze the rest; the printed layout fits the screen's to the line
  // instead. Alone, so that nothing else in the document (another entry of
  // a report, an unwrapped line) changes its columns on paper.
  void CalcSizeForPaper(Integer docWidth, Integer screenWidth, Integer& result1, Integer& result2) override;
  Integer GetWidth() const override { return FormattingInfo.Width; }
  Integer GetHeight() const override { return FormattingInfo.Height; }
  // Lays the table out for an available width into FormattingInfo; with
  // force also when the width did not change.
  void Layout(Integer docWidth, bool force, TCanvas* canvas);
  // Without a width of its own (BestWidth 0): true when every column has a
  // width in pixels, so that the table is as wide as its columns; false
  // when it takes the whole width available.
  bool SizedByColumns() const;
  // The rows again after a cell's content changed height (widths stay).
  void RelayoutHeights();
  // The lengths rows are laid out with: the table's own (screen pixels), or
  // the paper's.
  struct TRowLengths {
    Integer Pad, CB, VS, BorderWidth, BorderVSpacing, EmptyRow;
  };
  // Row heights, row starts and the table's height into F, from each cell's
  // minimum height (padding excluded).
  void LayOutRowHeights(const TRowLengths& lengths, const std::function<Integer(const TVLTableCellData&)>& minHeight,
                        TVLTableItemFormattingInfo& F) const;
  // What a keystroke's layout starts from (VLTableLayout.cpp).
  struct TLayoutCache;
  // The cell under a point of the table (its own row and column); false on
  // gaps, borders and outside.
  bool GetCellAt(Integer x, Integer y, Integer& row, Integer& col) const;
  TCustomVLData* GetSubVLDataAt(Integer x, Integer y) override;
  // The next layout starts from scratch (after structure changes).
  void Changed() {
    FStructureChanged = true;
    FCellsMeasured = false;
    FMinWidthKnown = false;
  }
  bool IsChanged() const { return FStructureChanged; }
  // How many cell documents the layouts reformatted, on the screen and on
  // paper (for measurements).
  Integer CellFormatCount = 0, PaperCellFormatCount = 0;
  TVLTableItemFormattingInfo FormattingInfo;

  // ---- painting (VLTablePaint.cpp) ----
  void PaintFullWidth(Integer left, Integer right, Integer top, TCanvas* canvas, TVLTextDrawStates state,
                      TVLStyle* style, const TRect& clipRect, TCustomVLData* vlData) override;
  // Whether invisible borders show as grid lines: in an editor, unless hidden
  // (never on paper).
  bool ShowsGrid() const;

  // ---- printing over pages (VLTablePrint.cpp) ----
  // A document formatted for printing gets a printing record of the table,
  // which lays the cells out again on the paper (TVLTablePrintInfo).
  std::unique_ptr<TVLDrawLineInfo> CreateDrawLineInfo(const TVLScreenAndDevice& sad) override;
  // Prints the table, or the page part being drawn, from its layout on
  // paper; outside a printed document, its screen layout scaled to sad.
  void Print(TCanvas* canvas, Integer x, Integer y, Integer x2, bool preview, bool correctY,
             const TVLScreenAndDevice& sad, TCustomVLData* vlData, TVLColorMode colorMode) override;
  // The table's colour (white with vltoWhiteBackground) and, unless only
  // the colour is asked for, its picture where the table lies in the bitmap.
  void DrawBackgroundForPrinting(TCanvas* canvas, const TRect& rect, const TRect& itemRect, TVLColorMode colorMode,
                                 Integer what) override;
  // Heading rows repeat on every page only when no heading cell reaches
  // below them.
  bool CanRepeatHeadingRows() const;
  // The rows joined to row by cells spanning rows: a page break never falls
  // between them.
  Integer GetLastRowOfGroup(Integer row) const;
  Integer GetFirstRowOfGroup(Integer row) const;
  // The table's last painted position in its document's client area.
  Integer PaintLeft = 0, PaintTop = 0;
  // What the painter takes from the layout on paper while the table prints
  // from it, and from the screen layout otherwise: the rows and columns,
  // a cell's rectangle in the table, lengths of the table's own (borders,
  // spacing, rules) and pictures.
  const TVLTableItemFormattingInfo& PaintFormatting() const;
  TRect PaintCellRect(const TVLTableCellData& cell, Integer row, Integer col) const;
  Integer PaintLenX(Integer v) const;
  Integer PaintLenY(Integer v) const;
  void PaintPicture(TVLBackground& back, TCanvas* canvas, const TRect& part, const TRect& whole) const;
  // The pictures the table paints under a cell (the table's, unless the
  // cell has a colour of its own, then the cell's), the table's origin at
  // (x, y) of the canvas; what lies under them is painted already.
  void PaintPicturesUnderCell(TCanvas* canvas, const TRect& clip, TVLTableCellData& cell, Integer x, Integer y);
  // On paper the cell's content prints from its own layout (its colour and
  // picture are painted already); false on screen.
  bool PrintCellContent(Integer row, Integer col, TCanvas* canvas, const TRect& cellRect);
  // ---- the table as a container of cell documents (VLTableCells.cpp) ----
  // Finds the neighbouring cell of (row, col): 0 left, 1 up, 2 right, 3 down,
  // 6 next and 7 previous in reading order.
  bool GetCellTo(Integer row, Integer col, bool wrap, Integer& newCol, Integer& newRow, Integer direction) const;
  bool SearchText(const AnsiString& text, Integer options) override;
  // The hypertext areas of the cells join the document's list, placed where
  // the cells lie (VLTableJumps.cpp).
  void BuildJumps(Integer left, Integer top, Integer& startJumpNo, TObject* jumps) override;
  void ClearSearchResult() override;
  void BeginUpdate() override { ++FUpdateCount; }
  void EndUpdate() override {
    if (FUpdateCount > 0) --FUpdateCount;
  }
  bool IsUpdating() const { return FUpdateCount > 0; }
  Integer SearchRow() const { return FSearchRow; }
  Integer SearchCol() const { return FSearchCol; }
  // The cell last chosen as the active inner document, (-1, -1) when none.
  Integer ChosenRow() const { return FEditedRow; }
  Integer ChosenCol() const { return FEditedCol; }

  // ---- editing cells in place (VLCellEditor.cpp) ----
  // Opens the cell editor on the cell covering (row, col): only in an
  // editor's document, and unless noEvent only when OnCellEditing allows.
  // itemNo -1: the table looks its own number up. True when it opened.
  bool CreateInplaceEditor(Integer itemNo, Integer row, Integer col, bool readOnly, bool caretAtStart,
                           bool caretAtEnd, bool noEvent);
  // Closes it; the cell takes its items back. notify: the document hears of
  // it (focus back to the document's control).
  void DestroyInplaceEditor(bool notify);
  // Closes it as the table goes, whatever closing asks for (memory may be
  // exhausted): when the cell cannot take its items back, the editor goes
  // with them. Never raises.
  void DropInplaceEditor() noexcept;
  // Closes the editor for a while: the cell takes its items back, and so do
  // the cells of editors open inside it; their histories go to the undo
  // lists as closing does. The answer opens them all again with the same
  // selection and focus (empty when no editor was open); beforePress: an
  // editor that holds the press gets the selection it had before it.
  std::function<void()> SuspendInplaceEditor(bool beforePress = false);
  TVLTableInplaceEdit* GetInplaceEditor() const { return FInplaceEditor; }
  // A column or row border is being dragged.
  bool DraggingBorder() const { return FDragMode != 0; }
  bool OwnsInplaceEditor(TObject* editor) const override;
  bool PressStartsSizing(Integer x, Integer y, TCustomVLData* vlData) const override;
  // The caret enters from the left (0), right (1), above (2, x: coord) or
  // below (3).
  bool EnterItem(Integer from, Integer coord) override;
  // The cell editor's history goes into the document's undo list.
  void FinalizeUndoGroup() override;
  // The cell that holds control (its current document and item number);
  // nested tables answer for their own cells.
  bool LocateControl(TControl* control, TCustomVLData*& vlData, Integer& itemNo);
  bool LocateControl(TControl* control) const override;
  // Leaves the edited cell in a direction (0..3 left, up, right, down; 4 the
  // document's start, 5 its end; 6 next cell, 7 previous).
  void InplaceGetOut(Integer direction);
  // A drop on the cell editor goes to the OnDragDrop of the editor that
  // holds the table, at the point in its client area.
  void RelayCellEditorDragDrop(TObject* sender, TObject* source, Integer x, Integer y);
  // The edited cell's content changed: the table grows or shrinks with it.
  void InplaceChanged(bool clearRedo);
  // The rows follow the height of the cell editor's lines (rewrapped at a
  // new width), the tables in the cell first.
  void FollowEditorHeights();
  // The same after a layout of the document around the table (a new
  // window width), which leaves the caret and the view where they are.
  void FollowEditorHeightsAfterLayout();
  // In an editor the chosen cell opens for editing, showing its selection
  // (a match of Find) there.
  void ShowChosenCell(Integer row, Integer col);
  // Scrolls the document that holds the table so that the cell editor's
  // caret is on the screen (or, unlessPartlyShown, some of it).
  void ShowInplaceCaret(bool unlessPartlyShown = false);
  // Places the editor over its cell (after layout and scrolling).
  void PlaceInplaceEditor();
  void MovingToPosition(Integer x, Integer y, bool updateTop) override;
  bool OwnsControl(TControl* control) const override;
  // Where the cells' client coordinates start: (0, 0), the table's own
  // coordinates, except while painting.
  Integer OriginX = 0, OriginY = 0;

  // ---- the mouse (VLTableMouse.cpp) ----
  bool MouseMove(TShiftState shift, Integer x, Integer y, Integer itemNo, TCustomVLData* vlData) override;
  bool MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y, Integer itemNo,
                 TCustomVLData* vlData) override;
  bool MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y, Integer itemNo,
               TCustomVLData* vlData) override;
  // The column (row) boundary near x (y): 0 the left (top) outer edge,
  // ColCount (RowCount) the right (bottom) one, -1 none; pos: where the
  // border stands, prevStart: the start of the column (row) before it.
  Integer ColBorderAt(Integer x, Integer& pos, Integer& prevStart) const;
  Integer RowBorderAt(Integer y, Integer& pos, Integer& prevStart) const;
  // The column (row) whose content spans x (y); -1 none.
  Integer ColumnAt(Integer x) const;
  Integer RowAt(Integer y) const;
  // New sizes from a border dragged to a new place, as one undo step.
  void ResizeColumn(Integer boundary, Integer newWidth, Integer borderPos, bool onlyLeft);
  void ResizeRow(Integer boundary, Integer newHeight);
  // A border drag in progress: 1 a column border, 2 a row border.
  Integer DragMode() const { return FDragMode; }

  // ---- cell selection (VLTableSelection.cpp) ----
  // Selects the block from the anchor (startRow, startCol) to the cell
  // colOffset/rowOffset away; only in a formatted document that allows
  // selection. The table becomes the document's active item.
  void Select(Integer startRow, Integer startCol, Integer colOffset, Integer rowOffset);
  void SelectRows(Integer startRow, Integer count);
  void SelectCols(Integer startCol, Integer count);
  void ClearCellSelection();
  // Drops the block and the anchor, telling the document nothing.
  void ForgetCellSelection();
  // The selected block widened to whole merged cells; without a selection
  // the edited cell when includeEditedCell is set, else false.
  bool GetNormalizedSelectionBounds(bool includeEditedCell, Integer& topRow, Integer& leftCol, Integer& colCount,
                                    Integer& rowCount);
  // Whether the cell covering (row, col) meets the selected block.
  bool IsCellSelected(Integer row, Integer col) const;
  // Marks the cells of the block; an unmarked cell loses its own selection.
  void UpdateCellsSelectedState();
  // Whether a multi-cell selection exists.
  bool CellsSelected() const { return FCellsSelected; }
  // Anchors a mouse selection at a cell (nothing selected yet); false when
  // the document allows no selection.
  bool StartSelecting(Integer row, Integer col);
  bool IsSelecting() const { return FSelecting; }
  void StopSelecting() { FSelecting = false; }
  void Deselect() override { ClearCellSelection(); }
  bool PartiallySelected() const override { return FCellsSelected; }
  // The anchor cell (-1 when none) and the signed distance to the other corner.
  Integer SelStartRow = -1, SelStartCol = -1;
  Integer SelRowOffset = 0, SelColOffset = 0;
  // Closes the in-place cell editor (tellDocument: the document hears of it);
  // set by whoever opens cell editors.
  std::function<void(bool tellDocument)> CloseCellEditor;
  // The host document's view, when the table lies in one that may select.
  TCustomVLFormattedData* SelectingDocument() const;

  // ---- properties with undo, operations on the selected cells
  //      (VLTableProps.cpp) ----
  // Whether the document that holds the table is an editor's.
  bool IsInEditor() const;
  // The table's number in its document (-1 when it is in none).
  Integer GetOwnItemNo() const;
  // In an editor: whether the editor allows a change now; false elsewhere.
  bool CanChange() const;
  // One undo group of the editor around several changes (nothing outside an
  // editor); the group closes also when nothing was recorded.
  void BeginUndoGroup();
  void EndUndoGroup();
  void NotifyEditorChange();
  // The paragraph's minimum width before a change, and the reformat after it.
  Integer SaveParaWidth(Integer itemNo) const;
  void ReformatAfterChange(Integer itemNo, Integer oldWidth);

  // A published table property by name (the names of the fields below:
  // "BorderColor", "CellPadding", ...). In an editor one undo step, nothing
  // recorded when the value is the one the table has; elsewhere a plain
  // store. Either way the table is marked changed. False for a name that
  // is not a table property.
  bool SetIntPropertyWithUndo(const String& name, Integer value, bool sizeFlag, bool reformatFlag);
  // The same with the property's own size and reformat flags.
  bool SetPropertyWithUndo(const String& name, Integer value);
  // Reads a published property by name; false for an unknown name.
  bool GetIntProperty(const String& name, Integer& value) const;
  // Every name SetPropertyWithUndo accepts.
  static std::vector<String> PropertyNames();
  // The setters of the published properties.
  void SetBestWidth(Integer v) { SetPropertyWithUndo("BestWidth", v); }
  void SetBorderColor(TColor v) { SetPropertyWithUndo("BorderColor", v); }
  void SetBorderHSpacing(Integer v) { SetPropertyWithUndo("BorderHSpacing", v); }
  void SetBorderLightColor(TColor v) { SetPropertyWithUndo("BorderLightColor", v); }
  void SetBorderStyle(TVLTableBorderStyle v) { SetPropertyWithUndo("BorderStyle", v); }
  void SetBorderVSpacing(Integer v) { SetPropertyWithUndo("BorderVSpacing", v); }
  void SetBorderWidth(Integer v) { SetPropertyWithUndo("BorderWidth", v); }
  void SetCellBorderColor(TColor v) { SetPropertyWithUndo("CellBorderColor", v); }
  void SetCellBorderLightColor(TColor v) { SetPropertyWithUndo("CellBorderLightColor", v); }
  void SetCellBorderWidth(Integer v) { SetPropertyWithUndo("CellBorderWidth", v); }
  void SetCellHSpacing(Integer v) { SetPropertyWithUndo("CellHSpacing", v); }
  void SetCellPadding(Integer v) { SetPropertyWithUndo("CellPadding", v); }
  void SetCellVSpacing(Integer v) { SetPropertyWithUndo("CellVSpacing", v); }
  void SetColor(TColor v) { SetPropertyWithUndo("Color", v); }
  void SetHeadingRowCount(Integer v) { SetPropertyWithUndo("HeadingRowCount", v); }
  void SetHOutermostRule(bool v) { SetPropertyWithUndo("HOutermostRule", v); }
  void SetHRuleColor(TColor v) { SetPropertyWithUndo("HRuleColor", v); }
  void SetHRuleWidth(Integer v) { SetPropertyWithUndo("HRuleWidth", v); }
  void SetVOutermostRule(bool v) { SetPropertyWithUndo("VOutermostRule", v); }
  void SetVRuleColor(TColor v) { SetPropertyWithUndo("VRuleColor", v); }
  void SetVRuleWidth(Integer v) { SetPropertyWithUndo("VRuleWidth", v); }
  void SetCellBorderStyle(TVLTableBorderStyle v) { SetPropertyWithUndo("CellBorderStyle", v); }
  void SetBackgroundStyle(TVLItemBackgroundStyle v);
  TVLItemBackgroundStyle GetBackgroundStyle() const { return BackgroundStyle; }
  // The table's own picture behind its cells, placed by BackgroundStyle
  // (cells keep pictures of their own). In an editor one undo step.
  TGraphic* GetBackgroundImage() const { return FBackground ? FBackground->GetBitmap() : nullptr; }
  void SetBackgroundImage(std::unique_ptr<TGraphic> graphic);
  // The picture's background object (nullptr without a picture), its style
  // brought in line with BackgroundStyle.
  TVLBackground* GetTableBackground() const;

  // A cell property by name ("BestHeight", "BestWidth", "Color",
  // "BackgroundStyle", "BorderColor", "BorderLightColor", "VAlign") of the
  // cell at (row, col), recorded like the table's; itemNo -1: the table
  // looks its number up. False for an unknown name.
  bool SetCellIntPropertyWithUndo(Integer itemNo, const String& name, bool sizeFlag, bool reformatFlag, Integer row,
                                  Integer col, Integer value);
  // With the property's own flags.
  bool SetCellPropertyWithUndo(const String& name, Integer row, Integer col, Integer value);
  static bool GetCellIntProperty(const TVLTableCellData& cell, const String& name, Integer& value);
  static std::vector<String> CellPropertyNames();
  void SetCellBestHeightEx(Integer value, Integer row, Integer col, Integer itemNo);
  void SetCellBestWidthEx(Integer value, Integer row, Integer col, Integer itemNo);
  void SetCellBestHeight(Integer value, Integer row, Integer col);
  void SetCellBestWidth(Integer value, Integer row, Integer col);
  void SetCellColor(TColor value, Integer row, Integer col);
  void SetCellBackgroundStyle(TVLItemBackgroundStyle value, Integer row, Integer col);
  void SetCellBorderColor(TColor value, Integer row, Integer col);
  void SetCellBorderLightColor(TColor value, Integer row, Integer col);
  void SetCellVAlign(TVLCellVAlign value, Integer row, Integer col);
  void SetCellVisibleBorders(bool left, bool top, bool right, bool bottom, Integer row, Integer col);
  // The alignment a row gives its cells, recorded like the cells' own.
  void SetRowVAlign(TVLCellVAlign value, Integer row);
  // The cell takes the graphic (nullptr removes its picture).
  void SetCellBackgroundImage(std::unique_ptr<TGraphic> graphic, Integer row, Integer col);
  // Colour, borders, alignment, picture and background style of source;
  // with includeSize also its best sizes divided (integer division, each
  // divisor at least 1).
  void AssignCellAttributesWithUndo(Integer itemNo, Integer row, Integer col, const TVLTableCellData& source,
                                    bool includeSize, Integer heightDivisor, Integer widthDivisor);

  // The selected cells, or the edited cell when no block is selected: row
  // by row, left to right, each merged cell once at its own position;
  // visit answers false to stop. False when there is no such cell.
  bool ForEachSelectedCell(const std::function<bool(Integer row, Integer col)>& visit);
  // Each changes the selected cells (or the edited one) as one undo step.
  void SetSelectedCellsColor(TColor value);
  void SetSelectedCellsBorderColor(TColor value);
  void SetSelectedCellsBorderLightColor(TColor value);
  void SetSelectedCellsVAlign(TVLCellVAlign value);
  // The sides set in sides get value; the others stay as each cell has them.
  void SetSelectedCellsVisibleBorders(const TVLBooleanRect& sides, bool value);
  // The cell editor (nullptr when none) and its cell (-1, -1 when none).
  TVLTableInplaceEdit* GetEditedCell(Integer& row, Integer& col) const;

  // A paragraph style, a paragraph-style conversion or a text-style
  // conversion applied to the whole content of every selected cell that
  // may be edited, through a hidden editor, as one undo step.
  void ApplyParaStyleToSubVLDatas(Integer paraNo) override;
  void ApplyParaStyleConversionToSubVLDatas(Integer userData) override;
  void ApplyStyleConversionToSubVLDatas(Integer userData) override;
  // Empties the selected cells (one undo step).
  bool CanDeletePartiallySelected() const override;
  void DeletePartiallySelected() override;
  // The selected cells as a table of their own; its text has a tab between
  // the cells of a row and a line end after each row.
  std::unique_ptr<TCustomVLItemInfo> CopyPartiallySelected(TCustomVLData* vlData, WideString& text) override;
  // Typing over selected cells goes on in the first of them, after its text.
  bool EnterForTyping() override;

  // Opens the cell editor on (row, col), opening the cells that hold the
  // table first when it is nested; only with vltoEditing unless force.
  // EVellumError "Internal error" when a holding cell is not found.
  void EditCellEx(Integer row, Integer col, bool force);
  void EditCell(Integer row, Integer col) { EditCellEx(row, col, false); }

  void BeforeUndoChangeProperty() override {}
  // A property changed by name (undo included): the table lays itself out
  // anew and the cell editor follows the padding and the colour.
  void AfterUndoChangeProperty() override;

  TVLTableOptions Options{vltoEditing, vltoRowSizing, vltoColSizing, vltoRowSelect, vltoColSelect};
  TVLTablePrintOptions PrintOptions{vltoHalftoneBorders, vltoRowsSplit};
  Integer BestWidth = 0;
  TColor Color = clWindow;
  TVLItemBackgroundStyle BackgroundStyle = vlbsColor;
  Integer HeadingRowCount = 0;
  AnsiString TextRowSeparator = "\r\n";
  AnsiString TextColSeparator = "\r\n";
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
  Integer VRuleWidth = 0;
  TColor VRuleColor = clWindowText;
  Integer HRuleWidth = 0;
  TColor HRuleColor = clWindowText;
  Integer CellVSpacing = 2;
  Integer CellHSpacing = 2;
  bool VOutermostRule = false;
  bool HOutermostRule = false;
  TVLCellEditingEvent OnCellEditing;
  TVLCellEndEditEvent OnCellEndEdit;
  TVLTableDrawBorderEvent OnDrawBorder;
  TVLTableRows Rows;

private:
  // Grid steps of the operations, inside the caller's undo group.
  void DoInsertRows(Integer index, Integer count, Integer copyIndex, bool divideHeights);
  void DoInsertCols(Integer index, Integer count, Integer copyIndex, bool divideWidths);
  void DoDeleteRows(Integer index, Integer count, bool decreaseHeight);
  void DoDeleteCols(Integer index, Integer count, bool decreaseWidth);
  bool DoMergeCells(Integer topRow, Integer leftCol, Integer colSpan, Integer rowSpan, bool skipRowColCheck,
                    bool updateBestWidth);
  void UnmergeCell(Integer row, Integer col, bool unmergeRows, bool unmergeCols);
  void UnmergeColumnsOfRow(Integer row, Integer col, Integer width, Integer rowSpan);
  // The split of a block whose every position holds a cell of its own
  // (no spans): its new positions go in beside the cells in one step per
  // column (row), and the cells of the other rows (columns) grow over
  // them. Answers the columns (rows) added; -1 when the block is not such.
  Integer SplitPlainBlockVertically(Integer top, Integer left, Integer colSpan, Integer rowSpan, Integer parts);
  Integer SplitPlainBlockHorizontally(Integer top, Integer left, Integer colSpan, Integer rowSpan, Integer parts);
  bool IsPlainBlock(Integer top, Integer left, Integer colSpan, Integer rowSpan) const;
  bool ClampMergeRect(Integer topRow, Integer leftCol, Integer& colSpan, Integer& rowSpan) const;
  std::unique_ptr<TVLTableCellData> NewCellLike(const TVLTableCellData* model);
  // A cell leaving the grid for an undo record, and coming back.
  void DetachCell(TVLTableCellData& cell);
  void AttachCell(TVLTableCellData& cell);
  void AddUndoStep(std::unique_ptr<TVLTableUndoStep> step);
  TVLUndoTableStructure* FCollector = nullptr;
  void SyncColCount() {
    if (!Rows.Rows.empty()) FCols = Rows.GetRow(0)->Count();
  }
  bool ReadCellLine(const AnsiString& s, Integer lineNo);
  // Leaves the table out of the document being read, with a load warning.
  bool RefuseGrid(TCustomVLData* vlData, TVLFWarning why = vlfwTableTooLarge);
  bool ReadCellContent(const AnsiString& s, TVLTableCellData& cell);
  friend class TVLTableSW;
  bool FLegacyRecord = false;
  // The grid the older record's header claims, made once its line count
  // is known.
  Integer FLegacyRows = 0;
  // The record claimed too large a grid: the table is not put into the
  // document (GetBoolValue(1) answers false).
  bool FRefused = false;
  Integer FReadType = 0;

  TCustomVLData* FVLData;
  // The layout on paper the table prints from, while it prints.
  TVLTablePrintInfo* FPrinting = nullptr;
  // Exists only while the table holds a picture.
  std::unique_ptr<TVLBackground> FBackground;
  bool FGridRepaired = false;
  // Cells of the record could not be read: the grid repaired lost their text.
  bool FTextLost = false;
  // The text the cell records read held: a grid that shows less after its
  // repair lost the rest, whatever the damage was.
  Int64 FTextRead = 0;
  void CheckTextKept();
  void ReportRepair(TCustomVLData* vlData);
  bool FStructureChanged = true;
  Integer FUpdateCount = 0;
  Integer FSearchRow = -1, FSearchCol = -1;
  // Where the search goes on inside the remembered cell: the item and the
  // offset after the last match (-1: the cell from its start or end).
  Integer FSearchItem = -1, FSearchOffs = 0;
  bool SearchInCell(TVLTableCellData& cell, const AnsiString& text, Integer options, bool resume);
  Integer FCols = 0;
  Integer FEditedRow = -1, FEditedCol = -1;
  mutable Integer FOwnItemNo = -1;
  bool FHosted = false;
  bool FDestroying = false;
  // Set first thing in the destructor: cell editors nested in this one's
  // close without telling anyone.
  bool FGoing = false;
  bool FCellsSelected = false;
  bool FSelecting = false;
  TVLTableInplaceEdit* FInplaceEditor = nullptr;
  // A cell's attributes changed while its editor is open: the editor takes
  // the new colour and place.
  void UpdateEditorLook();
  // Runs op on the content of every selected cell in a hidden editor.
  void ApplyToSelectedCells(Integer kind, Integer value);
  // Whether a cell may be edited (OnCellEditing agrees).
  bool CellMayBeEdited(Integer row, Integer col);
  // The editor's document while setters record undo there, else nullptr.
  TVLEditVLData* RecordingData() const;
  // After a recorded change outside a group: reformat or repaint, and the
  // editor hears of it.
  void AfterSetterChange(TVLEditVLData* edit, Integer itemNo, Integer width, bool changed, bool reformat);
  // One recorded change: Store records and applies it (answering whether
  // anything changed), as a step of its own that an unchanged value leaves
  // out, followed by AfterSetterChange.
  void RecordStep(TVLEditVLData* edit, Integer itemNo, bool reformat, const std::function<bool()>& Store);
  // Nesting of BeginUndoGroup; inside it the setters leave the reformat to
  // EndUndoGroup.
  Integer FGroupDepth = 0, FGroupItemNo = -1, FGroupWidth = 0;
  bool FGroupChanged = false, FGroupReformat = false;

public:
  // ---- recording primitives: each records its inverse in the editor's
  // current undo (or redo) list when edit is given; answer whether
  // something changed.
  bool StoreCellIntProperty(TVLEditVLData* edit, Integer itemNo, const String& name, Integer row, Integer col,
                            Integer value);
  bool StoreCellIntProperties(TVLEditVLData* edit, Integer itemNo, Integer row, Integer col,
                              const std::vector<std::pair<String, Integer>>& values);
  bool StoreCellVisibleBorders(TVLEditVLData* edit, Integer itemNo, Integer row, Integer col, bool left, bool top,
                               bool right, bool bottom);
  bool StoreRowVAlign(TVLEditVLData* edit, Integer itemNo, Integer row, TVLCellVAlign value);
  // Row and column -1: the table's own picture.
  bool StoreBackgroundImage(TVLEditVLData* edit, Integer itemNo, Integer row, Integer col,
                            std::unique_ptr<TGraphic> graphic);

private:
  bool FClosingEditor = false, FInCellChange = false;
  // Set while suspended editors open again: they leave the focus alone.
  bool FResuming = false;
  // Set while a cell editor opens (the one open before closing first): the
  // host's caret lies at the table meanwhile, not where anyone works.
  bool FOpeningEditor = false;
  // Set while a press opens a cell editor and puts its caret where it was.
  bool FPressing = false;
  // The caret a press put in a cell is shown once the press is let go.
  bool FShowCaretOnRelease = false;
  // The edited document's height and minimum width as the table last saw them.
  Integer FEditorHeight = 0, FEditorMinWidth = 0;
  // Typing in a cell lays the table out again without measuring and
  // formatting every other cell: FCellsMeasured says that every cell was
  // measured and formatted as it is (the edited one's minimum is kept up
  // to date as it is typed in), FOnlyCellChanged is the edited cell during
  // that layout.
  bool FCellsMeasured = false;
  TVLTableCellData* FOnlyCellChanged = nullptr;
  // Per column and per grid position, what the last layout found; while
  // every cell stays as measured, a keystroke's layout visits only the
  // columns and rows that change (VLTableLayout.cpp). None for tables with
  // merged cells.
  std::shared_ptr<TLayoutCache> FLayoutCache;
  TLayoutCache* TypingCache(const TVLTableCellData* only) const;
  // After a keystroke's layout, the window is painted anew where the table
  // changed from before (VLCellEditor.cpp).
  void InvalidateLayoutChange(const TVLTableItemFormattingInfo& before);
  // GetMinWidth's answer while the table stays as laid out.
  bool FMinWidthKnown = false;
  Integer FMinWidth = 0;
  // Hands the cell editor's history to the document's lists; `closing`:
  // the editor's place as it began to close (else where it is now).
  bool MoveEditorUndo(const TVLCellEditPlace* closing);
  // Border dragging: the boundary, whether Shift was held at the press, the
  // offset from the pointer to the border, the start before it, and where
  // the border stood at the press.
  Integer FDragMode = 0, FDragBoundary = -1, FDragOffset = 0, FDragLimit = 0, FDragPos = 0, FDragFrom = 0;
  bool FDragShift = false;
  // Opens the editors a border drag closed again, as they were.
  std::function<void()> FResumeAfterDrag;
  // The cell pressed last (the anchor of Shift+click).
  Integer FPressedRow = -1, FPressedCol = -1;
};

// The table's style number joins the item factory; the program calls it
// once at start-up (VLRegisterRTFReader does too).
void VLRegisterTableItem();

// While one lives, tables paint for paper (nested ones too): in the page's
// colour mode, with the styles' printing colours and without grid lines.
class TVLTablePaperScope {
public:
  explicit TVLTablePaperScope(TVLColorMode mode);
  ~TVLTablePaperScope();
  TVLTablePaperScope(const TVLTablePaperScope&) = delete;
  TVLTablePaperScope& operator=(const TVLTablePaperScope&) = delete;

private:
  bool SavedOnPaper;
  TVLColorMode SavedMode;
};

// The pen style of every table's grid lines on screen; psClear hides them.
extern TPenStyle TableGridDrawStyle;
