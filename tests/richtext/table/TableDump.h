#pragma once
// A structural picture of a table for comparing states: the grid size, then
// per grid position either "-" (covered) or the cell's spans, attributes,
// and each item's style, paragraph style and text.
#include "platform/base/CodePages.h"
#include "richtext/table/VLTable.h"

#include <sstream>
#include <string>

namespace tabletest {

// An item's text in UTF-8 whether its style holds Unicode or 8-bit text.
inline std::string ItemText(TCustomVLData& data, Integer i) {
  const Integer st = data.GetItem(i)->StyleNo;
  TVLStyle* style = data.GetStyle();
  if (st >= 0 && style && st < style->TextStyles->Count() && style->TextStyles->Items(st)->Unicode)
    return WideToUtf8(RawUnicodeToWide(data.GetItemTextA(i)));
  return data.GetItemTextA(i);
}

inline std::string Dump(TVLTableItemInfo& t) {
  std::ostringstream out;
  out << t.RowCount() << "x" << t.ColCount() << "\n";
  for (Integer r = 0; r < t.RowCount(); ++r) {
    for (Integer c = 0; c < t.Rows.GetRow(r)->Count(); ++c) {
      TVLTableCellData* cell = t.Rows.GetRow(r)->GetCell(c);
      out << " (" << r << "," << c << ")";
      if (!cell) {
        out << " -\n";
        continue;
      }
      const TVLBooleanRect& v = cell->VisibleBorders;
      out << " span " << cell->RowSpan << "x" << cell->ColSpan << " w" << cell->BestWidth << " h" << cell->BestHeight
          << " color " << cell->Color << "/" << cell->BorderColor << "/" << cell->BorderLightColor << " va"
          << cell->VAlign << " b" << v.Left << v.Top << v.Right << v.Bottom << " |";
      // The cell's content where it is now: in its editor while it is edited.
      TCustomVLData& doc = *cell->GetVLData();
      for (Integer i = 0; i < doc.GetItemCount(); ++i)
        out << " [" << doc.GetItem(i)->StyleNo << "/" << doc.GetItem(i)->ParaNo
            << (doc.GetItem(i)->GetSameAsPrev() ? "" : "^") << " '" << ItemText(doc, i) << "']";
      out << "\n";
    }
  }
  return out.str();
}

}  // namespace tabletest
