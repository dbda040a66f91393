#pragma once
// A table laid out for printing: split between rows over pages, never
// inside a group of rows joined by cells spanning rows, with the heading
// rows repeated at the top of every page the table continues on. Lengths
// are device pixels.
#include "richtext/model/VLDrawLines.h"
#include "richtext/model/VLStyle.h"

#include <algorithm>

#include <memory>
#include <vector>

class TVLTableItemInfo;

class TVLTablePrintPart : public TVLMultiDrawItemPart {
public:
  Integer GetPartStart() const override { return FirstRow; }
  Integer FirstRow = 0;
  // Rows of the part, repeated heading rows not counted.
  Integer RowCount = 0;
};

class TVLTablePrintInfo : public TVLSplitPrintInfo<TVLTablePrintPart> {
public:
  TVLTablePrintInfo(TVLTableItemInfo* table, const TVLScreenAndDevice& sad);
  // The size comes from the table.
  void SetSize(Integer, Integer) override {}
  bool InitSplit() override;
  bool CanSplitFirst(Integer y) override;
  bool SplitAt(Integer y) override;
  // A table wider than the printable line is scaled down as a whole.
  void FitToWidth(Integer width) override;

  // Heading rows taken (0 when they do not repeat).
  Integer HeadingRows() const { return RepeatHeading ? std::min<Integer>(HeadingCount, RowCount()) : 0; }
  Integer RowCount() const { return static_cast<Integer>(RowTops.size()); }
  // Space of the table that is not its printed rows: borders and spacing,
  // and the repeated heading rows.
  Integer ExtraHeight() const;
  Integer RowBottom(Integer r) const { return RowTops[static_cast<size_t>(r)] + RowHeights[static_cast<size_t>(r)]; }

  TVLTableItemInfo* Table;
  TVLScreenAndDevice Sad;
  bool RepeatHeading = false;
  Integer HeadingCount = 0;
  // Row tops and heights (bottom cell border included) and the table's
  // height, as laid out when the document was formatted for printing.
  std::vector<Integer> RowTops, RowHeights;
  Integer TableHeight = 0;
  // The scale of a table fitted to the line (FitNum / FitDen, at most 1).
  Integer FitNum = 1, FitDen = 1;
};
