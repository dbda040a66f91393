// The table item's grid operations and its VLF round trip.
#include "platform/base/Streams.h"
#include "richtext/table/VLTable.h"

#include <gtest/gtest.h>

namespace {

std::string CellText(TVLTableCellData* cell) {
  std::string s;
  for (Integer i = 0; i < cell->GetItemCount(); ++i) s += cell->GetItemTextA(i);
  return s;
}

// "text[rowsxcols]" per position, "^" for covered ones.
std::string Grid(TVLTableItemInfo& t) {
  std::string out;
  for (Integer r = 0; r < t.RowCount(); ++r) {
    for (Integer c = 0; c < t.ColCount(); ++c) {
      TVLTableCellData* cell = t.GetCell(r, c);
      out += cell ? CellText(cell) + "[" + std::to_string(cell->RowSpan) + "x" + std::to_string(cell->ColSpan) + "]"
                  : "^";
      out += " ";
    }
    out += "/";
  }
  return out;
}

void Fill(TVLTableItemInfo& t) {
  for (Integer r = 0; r < t.RowCount(); ++r)
    for (Integer c = 0; c < t.ColCount(); ++c)
      if (TVLTableCellData* cell = t.GetCell(r, c)) cell->SetItemTextA(0, std::string(1, static_cast<char>('a' + r * 3 + c)));
}

TEST(TableGrid, MergesAndStructureChanges) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  auto t = TVLTableItemInfo::CreateEx(3, 3, &doc);
  Fill(*t);
  EXPECT_TRUE(t->MergeCells(0, 0, 2, 2));
  EXPECT_EQ(Grid(*t), "abde[2x2] ^ c[1x1] /^ ^ f[1x1] /g[1x1] h[1x1] i[1x1] /");
  // A merge that would cut the merged cell is refused and changes nothing.
  EXPECT_FALSE(t->MergeCells(1, 1, 2, 1));
  EXPECT_FALSE(t->MergeCells(0, 0, 4, 1));
  // A column inserted inside the merged cell widens it; one at the edge does not.
  t->InsertCols(1, 1, -1, false);
  EXPECT_EQ(t->GetCell(0, 0)->ColSpan, 3);
  EXPECT_EQ(t->GetCell(2, 1)->ColSpan, 1);
  t->InsertRows(1, 1, -1, false);
  EXPECT_EQ(t->GetCell(0, 0)->RowSpan, 3);
  t->DeleteCols(1, 2, false);
  EXPECT_EQ(t->ColCount(), 2);
  EXPECT_EQ(t->GetCell(0, 0)->ColSpan, 1);
  Integer mr, mc;
  EXPECT_EQ(t->Rows.GetMainCell(2, 0, mr, mc), t->GetCell(0, 0));
  EXPECT_EQ(mr, 0);
  // Walking the cells passes over covered positions.
  std::unique_ptr<TVLStoreSubVLData> at;
  Integer cells = 0;
  for (TCustomVLData* cell = t->GetSubVLData(at, 0); cell; cell = t->GetSubVLData(at, 4)) ++cells;
  EXPECT_EQ(cells, 6);
}

TEST(TableGrid, VLFRoundTrip) {
  VLRegisterTableItem();
  TVLStyle style(nullptr);
  for (bool binary : {true, false}) {
    TVLDocumentData doc(&style);
    if (!binary) doc.VLFOptions.Exclude(vlfoSaveBinary);
    doc.AddTextItem("before", 0, 0);
    auto t = TVLTableItemInfo::CreateEx(2, 3, &doc);
    Fill(*t);
    ASSERT_TRUE(t->MergeCells(0, 1, 2, 2));
    t->GetCell(0, 0)->Color = 0x123456;
    t->GetCell(0, 0)->BestWidth = -50;
    t->GetCell(1, 0)->VisibleBorders.SetValues(false, true, false, true);
    t->CellPadding = 4;
    t->HeadingRowCount = 1;
    t->Options.Include(vltoHideGridLines);
    doc.AddItem("", t.release());
    doc.AddTextItem("after", 0, 0);
    TMemoryStream out;
    ASSERT_TRUE(doc.SaveVLFToStream(out, false, clNone, nullptr, bsNoBitmap, nullptr));
    out.SetPosition(0);
    TVLDocumentData back(&style);
    TColor color = clNone;
    ASSERT_TRUE(back.LoadVLFFromStream(out, color, nullptr, nullptr, nullptr)) << binary;
    ASSERT_EQ(back.GetItemCount(), 3);
    auto* r = dynamic_cast<TVLTableItemInfo*>(back.GetItem(1));
    ASSERT_TRUE(r);
    EXPECT_EQ(Grid(*r), "a[1x1] bcef[2x2] ^ /d[1x1] ^ ^ /");
    EXPECT_EQ(r->GetCell(0, 0)->Color, 0x123456);
    EXPECT_EQ(r->GetCell(0, 0)->BestWidth, -50);
    EXPECT_FALSE(r->GetCell(1, 0)->VisibleBorders.Left);
    EXPECT_TRUE(r->GetCell(1, 0)->VisibleBorders.Top);
    EXPECT_EQ(r->CellPadding, 4);
    EXPECT_EQ(r->HeadingRowCount, 1);
    EXPECT_TRUE(r->Options.Contains(vltoHideGridLines));
    EXPECT_EQ(back.GetItemTextA(2), "after");
  }
}

}  // namespace
