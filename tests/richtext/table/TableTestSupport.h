#pragma once
// Checks shared by the table tests.
#include "richtext/table/VLTable.h"
#include "support/TableCells.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tabletest {

// Every row as long as the first, every span inside the grid, and every
// grid position covered by exactly one cell.
inline ::testing::AssertionResult assertGridInvariant(TVLTableItemInfo& t) {
  const Integer rows = t.RowCount(), cols = t.ColCount();
  std::vector<int> cover(static_cast<size_t>(rows * cols), 0);
  for (Integer r = 0; r < rows; ++r) {
    if (t.Rows.GetRow(r)->Count() != cols)
      return ::testing::AssertionFailure() << "row " << r << " has " << t.Rows.GetRow(r)->Count() << " positions";
    for (Integer c = 0; c < cols; ++c) {
      TVLTableCellData* cell = t.GetCell(r, c);
      if (!cell) continue;
      if (cell->RowSpan < 1 || cell->ColSpan < 1 || r + cell->RowSpan > rows || c + cell->ColSpan > cols)
        return ::testing::AssertionFailure() << "cell (" << r << "," << c << ") spans " << cell->RowSpan << "x"
                                             << cell->ColSpan << " out of the grid";
      for (Integer rr = r; rr < r + cell->RowSpan; ++rr)
        for (Integer cc = c; cc < c + cell->ColSpan; ++cc) ++cover[static_cast<size_t>(rr * cols + cc)];
    }
  }
  for (Integer r = 0; r < rows; ++r)
    for (Integer c = 0; c < cols; ++c)
      if (const int n = cover[static_cast<size_t>(r * cols + c)]; n != 1)
        return ::testing::AssertionFailure() << "position (" << r << "," << c << ") covered " << n << " times";
  return ::testing::AssertionSuccess();
}

inline std::string CellText(TCustomVLData* cell) {
  std::string s;
  for (Integer i = 0; i < cell->GetItemCount(); ++i) s += cell->GetItemTextA(i);
  return s;
}

// The text of every cell in reading order.
inline std::string AllText(TVLTableItemInfo& t) {
  std::string s;
  for (Integer r = 0; r < t.RowCount(); ++r)
    for (Integer c = 0; c < t.ColCount(); ++c)
      if (TVLTableCellData* cell = t.GetCell(r, c)) s += CellText(cell);
  return s;
}

}  // namespace tabletest
