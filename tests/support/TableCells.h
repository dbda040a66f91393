#pragma once
// A table's structure in one line, for the table tests of every library.
#include "platform/base/CodePages.h"
#include "richtext/table/VLTable.h"

#include <string>

namespace tabletest {

// The grid with each cell's text and spans, nested tables in braces:
// "3x3: ab[2x2] . c / . . f / g h i" ("." a position a merge covers).
inline std::string Cells(TVLTableItemInfo& t) {
  std::string s = std::to_string(t.RowCount()) + "x" + std::to_string(t.ColCount()) + ":";
  for (Integer r = 0; r < t.RowCount(); ++r) {
    if (r) s += " /";
    for (Integer c = 0; c < t.Rows.GetRow(r)->Count(); ++c) {
      TVLTableCellData* cell = t.GetCell(r, c);
      s += " ";
      if (!cell) {
        s += ".";
        continue;
      }
      for (Integer i = 0; i < cell->GetItemCount(); ++i)
        if (auto* inner = dynamic_cast<TVLTableItemInfo*>(cell->GetItem(i)))
          s += "{" + Cells(*inner) + "}";
        else if (cell->GetItemOptions(i) & vlioUnicode)
          s += WideToUtf8(RawUnicodeToWide(cell->GetItemTextA(i)));
        else
          s += cell->GetItemTextA(i);
      if (cell->RowSpan > 1 || cell->ColSpan > 1)
        s += "[" + std::to_string(cell->RowSpan) + "x" + std::to_string(cell->ColSpan) + "]";
    }
  }
  return s;
}

}  // namespace tabletest
