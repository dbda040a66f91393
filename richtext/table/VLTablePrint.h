#pragma once
// A table laid out for printing: every cell's document is laid out again at
// the printer's resolution, at its column's width on paper, and each row is
// as tall as that makes its cells. The table splits between rows over
// pages, never inside a group of rows joined by cells spanning rows, with
// the heading rows repeated at the top of every page it continues on.
// Lengths are device pixels.
#include "richtext/model/VLDrawLines.h"
#include "richtext/model/VLStyle.h"
#include "richtext/table/VLTable.h"
#include "richtext/view/VLPrint.h"

#include <algorithm>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

// The printed document of one cell: it shares the cell's items and is laid
// out and drawn in the cell's content area on paper.
// What a cell's lines measure at a content width on paper: how wide they
// reach, past its width, and what the tables in it ask to keep their words
// whole. Kept for one layout on paper of a document's tables, nested ones
// included: a cell holding a table measured again at a width it had is not
// laid out again (with the table in it, and the tables in that).
struct TCellPaperMeasures {
  Integer Reach = 0, Overflow = 0, TablesFloor = 0;
};
using TCellPaperMeasuresKey = std::tuple<const TVLTableCellData*, Integer, Integer, Integer, Integer, Integer>;
using TCellPaperMeasuresCache = std::map<TCellPaperMeasuresKey, TCellPaperMeasures>;

class TCellPtblVLData : public TVLRectPrintableData {
public:
  TCellPtblVLData(TVLTableCellData* cell, TCustomPrintableVLData* parent, const TVLScreenAndDevice& sad);
  ~TCellPtblVLData() override;
  // The table's resolution on paper (a table fitted to the line prints its
  // lengths and pictures smaller, its text at its size).
  const TVLScreenAndDevice& PrintResolution() override { return Sad; }
  // Behind an item printed through a bitmap: its paragraph's colour, or
  // what the table's document shows there with the cell's own colour and
  // picture over it.
  void DrawPageBackground(Integer x, Integer y, TBitmap& bitmap, const TVLScreenAndDevice& sad, Integer layer,
                          bool fromItem) override;
  // Lines wrap inside the cell's width on paper: a column narrowed for the
  // page never lays its lines out wider than the cell that clips them.
  bool KeepsItsWidth() override { return true; }
  // The rectangle goes to the parent where the cell lies in its document.
  void DrawHyperlink(TCustomVLData* source, Integer itemNo, const TRect& r) override;

  TVLTableCellData* Cell;
  TVLScreenAndDevice Sad;
  // Shared by the tables of one layout on paper (those nested in the cell
  // take it on).
  std::shared_ptr<TCellPaperMeasuresCache> Measures;
  // Set for each drawing: where the content area lies from the parent's
  // printable area (the parent's pixels), the scale the table is drawn at
  // (a row shrunk to its page), and the cell's rectangle from the content
  // area's top-left.
  Integer OffsetX = 0, OffsetY = 0;
  Integer ScaleNum = 1, ScaleDen = 1;
  TRect CellRect;
};

class TVLTablePrintPart : public TVLMultiDrawItemPart {
public:
  Integer GetPartStart() const override { return FirstRow; }
  Integer FirstRow = 0;
  // Rows of the part, repeated heading rows not counted.
  Integer RowCount = 0;
  // A row group taller than a page goes on over pages, cut at heights of
  // the table (-1: not cut): the part prints the lines of its cells that
  // end below Top and not below Bottom, from Reach down (the top of the
  // lowest line the part above left for this one).
  Integer Top = -1, Bottom = -1, Reach = -1;
};

class TVLTablePrintInfo : public TVLSplitPrintInfo<TVLTablePrintPart> {
public:
  TVLTablePrintInfo(TVLTableItemInfo* table, const TVLScreenAndDevice& sad);
  ~TVLTablePrintInfo() override;
  // The size comes from the layout on paper.
  void SetSize(Integer, Integer) override {}
  // The columns keep their share of the table's screen layout at the line's
  // width (all of them narrower when the table is wider than the line, but
  // none narrower than what its cells cannot break); the cells are laid out
  // again on canvas at those widths, and the rows take the heights that
  // gives.
  void LayOutForPrinting(TCustomVLData* printData, TCanvas* canvas, Integer lineWidth) override;
  // A column narrower than a letter, a list marker or a nested table of its
  // cells cannot hold it: it is widened to hold them, and to keep its
  // cells' words whole (those of tables in them too) where the line allows,
  // the width taken from the columns that have room, and its cells laid out
  // again.
  void WidenNarrowColumns(TCanvas* canvas);
  bool InitSplit() override;
  bool CanSplitFirst(Integer y) override;
  bool SplitAt(Integer y) override;

  // Heading rows taken (0 when they do not repeat).
  Integer HeadingRows() const { return RepeatHeading ? std::min<Integer>(HeadingCount, RowCount()) : 0; }
  // Rows of the layout on paper (0 before it is made).
  Integer RowCount() const { return LaidOut ? static_cast<Integer>(Formatting.RowHeights.size()) : 0; }
  Integer RowTop(Integer r) const { return Formatting.RowStarts[static_cast<size_t>(r)]; }
  // Where row r ends: its cells' padding and bottom border included.
  Integer RowBottom(Integer r) const { return RowTop(r) + Formatting.RowHeights[static_cast<size_t>(r)] + RowExtra; }
  Integer TableHeight() const { return Formatting.Height; }
  // Space of the table that is not its printed rows: borders and spacing,
  // and the repeated heading rows.
  Integer ExtraHeight() const;
  // A length of the table (screen pixels) on paper.
  Integer LenX(Integer v) const { return MulDiv(v, PaperSad.ppixDevice, PaperSad.ppixScreen); }
  Integer LenY(Integer v) const { return MulDiv(v, PaperSad.ppiyDevice, PaperSad.ppiyScreen); }

  // A grid position on paper: the cell's rectangle in the table and its
  // printed document (none for a covered position or an empty single
  // cell).
  struct TCell {
    TRect Rect;
    std::unique_ptr<TCellPtblVLData> Data;
    // The content width Data is laid out at (-1: not laid out).
    Integer LaidAt = -1;
  };
  // A cell's measures at a content width: those of an earlier layout at it,
  // else laid out at it.
  TCellPaperMeasures Measure(TCell& k, Integer width, TCanvas* canvas);
  // A cell laid out at a content width, unless it is.
  void LayOut(TCell& k, Integer width, TCanvas* canvas);
  const TCell& CellAt(Integer row, Integer col) const {
    return Cells[static_cast<size_t>(row) * static_cast<size_t>(Cols) + static_cast<size_t>(col)];
  }
  // Prints the content of the cell at (row, col), whose rectangle the
  // painter gives in the canvas's coordinates.
  void PrintCell(Integer row, Integer col, TCanvas* canvas, const TRect& cellRect);
  // How far a cell's content lies below its padding (its vertical alignment
  // in a cell of that height).
  Integer ContentShift(const TCellPtblVLData& data, Integer cellHeight) const;
  // The lines of the cells (and of the tables nested in them) as spans of
  // the table's height.
  std::vector<std::pair<Integer, Integer>> CellLines() const;

  TVLTableItemInfo* Table;
  // The document's resolution, and the table's on paper: the same, times
  // the scale of a table fitted to the line.
  TVLScreenAndDevice Sad, PaperSad;
  bool RepeatHeading = false;
  Integer HeadingCount = 0;
  // The layout on paper: columns, rows and the table's size.
  TVLTableItemFormattingInfo Formatting;
  bool LaidOut = false;
  // The line the table was laid out in, and the width at which every word
  // of its cells (and of the tables in them) stays whole.
  Integer LineWidth = 0, WordsFloor = 0;
  std::vector<TCell> Cells;
  Integer Cols = 0;
  std::shared_ptr<TCellPaperMeasuresCache> Measures;
  // The cells' padding on paper, and what a row adds below its content
  // (padding and the bottom border).
  Integer PadX = 0, PadY = 0, RowExtra = 0;

  // Set while the table prints: the document it prints in, the page, where
  // the canvas's origin lies in the document's drawing coordinates, and the
  // scale it is drawn at.
  TCustomPrintableVLData* Doc = nullptr;
  Integer PageNo = 1;
  bool Preview = false, Correction = false;
  Integer OriginX = 0, OriginY = 0, ScaleNum = 1, ScaleDen = 1;
  // The lines of the cells printed: those ending below LinesAfter and not
  // below LinesUpTo (table coordinates).
  Integer LinesAfter = kAllLinesAfter, LinesUpTo = kAllLinesUpTo;
};
