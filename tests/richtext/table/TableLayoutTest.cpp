// Table layout against hand-computed numbers, and the hit test.
#include "TableTestSupport.h"

#include "richtext/view/LayoutTestSupport.h"
#include "support/WorkCost.h"

#include <gtest/gtest.h>

using qytest::TFixedMeasurer;
using qytest::TTestLayoutData;

namespace {

// A document with the fixed measurer: characters 7 px wide, lines 13 px.
struct TableLayoutFixture : ::testing::Test {
  TableLayoutFixture() : Doc(&Style) {
    qytest::ResetStylesForLayout(Style);
    Doc.Measurer = &M;
    VLRegisterTableItem();
  }
  TVLTableItemInfo* Add(Integer rows, Integer cols) {
    auto t = TVLTableItemInfo::CreateEx(rows, cols, &Doc);
    TVLTableItemInfo* raw = t.get();
    Doc.AddItem("", t.release());
    return raw;
  }
  static void Text(TVLTableItemInfo* t, Integer r, Integer c, const std::string& text) {
    t->GetCell(r, c)->SetItemTextA(0, text);
  }
  TVLStyle Style{nullptr};
  TFixedMeasurer M;
  TTestLayoutData Doc;
};

TEST_F(TableLayoutFixture, TableWidths) {
  struct Case {
    const char* name;
    Integer bestWidth;
    std::vector<Integer> cellWidths;  // one row of cells
    Integer docWidth;
    Integer width;
  };
  // Structure of a 2-column table with default spacing: 1 gap of 2, two
  // border spacings of 2, padding 1 on both sides of each cell: 6 + 4.
  const Case cases[] = {
      {"percent of the document", -50, {0, 0}, 600, 300},
      {"pixels", 250, {0, 0}, 600, 250},
      {"full width when nothing is given", 0, {0, 0}, 600, 600},
      {"auto: as wide as its columns", 0, {100, 50}, 600, 160},
      {"auto: whatever the document", 0, {100, 50}, 1000, 160},
      {"a percent cell stretches the table", 0, {100, -50}, 600, 600},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TVLTableItemInfo* t = Add(1, static_cast<Integer>(c.cellWidths.size()));
    t->BestWidth = c.bestWidth;
    for (size_t i = 0; i < c.cellWidths.size(); ++i) t->GetCell(0, static_cast<Integer>(i))->BestWidth = c.cellWidths[i];
    t->Layout(c.docWidth, true, nullptr);
    EXPECT_EQ(t->GetWidth(), c.width);
    // Columns, padding and structure add up to the table's width.
    Integer sum = 0;
    for (Integer w : t->FormattingInfo.ColWidths) sum += w;
    EXPECT_EQ(sum + 4 + 6, t->GetWidth());
  }
}

TEST_F(TableLayoutFixture, EvenShareOfTheRestAndPixelColumns) {
  TVLTableItemInfo* t = Add(1, 3);
  t->GetCell(0, 1)->BestWidth = 40;
  t->Layout(300, true, nullptr);
  // 300 - structure (2*2 + 4) - padding 6 = 286; 40 fixed, 246 shared.
  EXPECT_EQ(t->FormattingInfo.ColWidths, (std::vector<Integer>{123, 40, 123}));
}

TEST_F(TableLayoutFixture, SpanningCellWidensItsColumnsInProportion) {
  TVLTableItemInfo* t = Add(2, 2);
  Text(t, 0, 0, "a");
  Text(t, 0, 1, "aaa");
  ASSERT_TRUE(t->MergeCells(1, 0, 2, 1));
  Text(t, 1, 0, "xxxxxxxxxx");
  // Minimums 7 and 21; the 70-px word needs 72 with padding where 34 are
  // available: weights 9 and 23 grow to 19 and 51 (the last takes the rest).
  EXPECT_EQ(t->GetMinWidth(nullptr, nullptr, &Doc), 76);
  t->Layout(10, true, nullptr);
  EXPECT_EQ(t->FormattingInfo.ColWidths, (std::vector<Integer>{17, 49}));
  EXPECT_EQ(t->GetWidth(), 76);
  EXPECT_TRUE(tabletest::assertGridInvariant(*t));

  // Auto-sized (pixel widths 20 and 100 below a spanning 140-px word): the
  // word widens both columns to 68 before the pixel widths apply, so the
  // table is 178 wide; a minimum of the 146 the pixel widths first would
  // need left its right part beyond the document that holds it.
  TVLTableItemInfo* a = Add(2, 2);
  ASSERT_TRUE(a->MergeCells(0, 0, 2, 1));
  Text(a, 0, 0, std::string(20, 'x'));
  a->GetCell(1, 0)->BestWidth = 20;
  a->GetCell(1, 1)->BestWidth = 100;
  a->Layout(10, true, nullptr);
  EXPECT_EQ(a->FormattingInfo.ColWidths, (std::vector<Integer>{68, 100}));
  EXPECT_EQ(a->GetWidth(), 178);
  EXPECT_EQ(a->GetMinWidth(nullptr, nullptr, &Doc), 178);
}

TEST_F(TableLayoutFixture, RowSpanningCellSpreadsItsHeight) {
  TVLTableItemInfo* t = Add(2, 2);
  ASSERT_TRUE(t->MergeCells(0, 0, 1, 2));
  TVLTableCellData* tall = t->GetCell(0, 0);
  tall->Clear();
  for (int i = 0; i < 5; ++i) tall->AddTextItem("p", 0, 0);
  Text(t, 0, 1, "a");
  Text(t, 1, 1, "b");
  t->Layout(200, true, nullptr);
  ASSERT_EQ(tall->DocumentHeight, 65);
  // Needs 67, has 32: 35 more over rows of 13 and 13, in proportion.
  EXPECT_EQ(t->FormattingInfo.RowHeights, (std::vector<Integer>{30, 31}));
  EXPECT_EQ(t->GetHeight(), 4 + 4 + 2 + 26 + 35);
  EXPECT_EQ(tall->Height, 30 + 31 + 2 + 4);
  // Content height without text is 10.
  TVLTableItemInfo* empty = Add(1, 1);
  empty->Layout(200, true, nullptr);
  EXPECT_EQ(empty->FormattingInfo.RowHeights, (std::vector<Integer>{13}));
}

TEST_F(TableLayoutFixture, VerticalAlignmentOffsets) {
  TVLTableItemInfo* t = Add(1, 2);
  TVLTableCellData* tall = t->GetCell(0, 0);
  tall->Clear();
  for (int i = 0; i < 3; ++i) tall->AddTextItem("p", 0, 0);
  TVLTableCellData* cell = t->GetCell(0, 1);
  struct Case {
    TVLCellVAlign cell, row;
    Integer offset;
  };
  for (Case c : {Case{vlcTop, vlcTop, 0}, Case{vlcMiddle, vlcTop, 13}, Case{vlcBottom, vlcTop, 26},
                 Case{vlcVDefault, vlcBottom, 26}, Case{vlcVDefault, vlcVDefault, 13}}) {
    cell->VAlign = c.cell;
    t->Rows.GetRow(0)->VAlign = c.row;
    t->Layout(200, true, nullptr);
    EXPECT_EQ(cell->GetVAlignOffset(), c.offset) << c.cell << " " << c.row;
  }
}

TEST_F(TableLayoutFixture, SecondLayoutAtTheSameWidthFormatsNoCell) {
  TVLTableItemInfo* t = Add(2, 2);
  t->Layout(300, false, nullptr);
  const Integer after = t->CellFormatCount;
  EXPECT_EQ(after, 4);
  t->Layout(300, false, nullptr);
  EXPECT_EQ(t->CellFormatCount, after);
  t->Layout(301, false, nullptr);
  EXPECT_EQ(t->CellFormatCount, after + 4);
  t->Layout(301, true, nullptr);
  EXPECT_EQ(t->CellFormatCount, after + 8);
}

TEST_F(TableLayoutFixture, EmptyCellsWithoutPaddingLayOut) {
  for (Integer best : {0, -100, 40}) {
    TVLTableItemInfo* t = Add(3, 3);
    t->CellPadding = 0;
    t->CellHSpacing = t->CellVSpacing = t->BorderHSpacing = t->BorderVSpacing = 0;
    for (Integer c = 0; c < 3; ++c) t->GetCell(0, c)->BestWidth = best;
    ASSERT_TRUE(t->MergeCells(1, 0, 3, 2));
    EXPECT_EQ(t->GetMinWidth(nullptr, nullptr, &Doc), best > 0 ? 3 * best : 0);
    t->Layout(90, true, nullptr);
    EXPECT_EQ(t->GetWidth(), best > 0 ? 120 : 90) << best;
    EXPECT_GT(t->GetHeight(), 0);
  }
  TVLTableItemInfo* none = Add(0, 0);
  none->Layout(90, true, nullptr);
  EXPECT_EQ(none->GetWidth(), 4);
  EXPECT_EQ(none->GetHeight(), 4);
}

TEST_F(TableLayoutFixture, PointsHitCellsButNotGapsOrEdges) {
  TVLTableItemInfo* t = Add(2, 2);
  ASSERT_TRUE(t->MergeCells(0, 0, 1, 2));
  t->Layout(100, true, nullptr);
  TVLTableCellData* merged = t->GetCell(0, 0);
  TVLTableCellData* right = t->GetCell(1, 1);
  struct Case {
    const char* name;
    Integer x, y;
    bool hit;
    Integer row, col;
  };
  const Case cases[] = {
      {"inside the merged cell, lower half", merged->Left + 3, merged->Top + merged->Height - 3, true, 0, 0},
      {"inside the lower right cell", right->Left + 3, right->Top + 3, true, 1, 1},
      {"on a cell's edge", right->Left, right->Top + 3, false, -1, -1},
      {"one pixel inside the edge", right->Left + 1, right->Top + 3, true, 1, 1},
      {"on the gap between columns", merged->Left + merged->Width, merged->Top + 3, false, -1, -1},
      {"on the gap between rows", right->Left + 3, right->Top - 1, false, -1, -1},
      {"outside the table", -5, 3, false, -1, -1},
  };
  for (const Case& c : cases) {
    Integer r, col;
    EXPECT_EQ(t->GetCellAt(c.x, c.y, r, col), c.hit) << c.name;
    EXPECT_EQ(r, c.row) << c.name;
    EXPECT_EQ(col, c.col) << c.name;
  }
  EXPECT_EQ(t->GetSubVLDataAt(right->Left + 3, right->Top + 3), right);
}

TEST_F(TableLayoutFixture, DocumentGivesTheTableItsSize) {
  Doc.Width = 400;
  Doc.AddTextItem("before", 0, 0);
  TVLTableItemInfo* t = Add(2, 2);
  Text(t, 0, 0, "cell");
  Doc.AddTextItem("after", 0, 0);
  Doc.Format(false, true, false, 0, nullptr, false, false);
  const TVLDrawLineInfo* d = Doc.DrawItems[t->DrawItemNo];
  // The document's text width is 400 - margins of 5 each side.
  EXPECT_EQ(d->Width, 390);
  EXPECT_EQ(d->Height, t->GetHeight());
  EXPECT_GT(d->Height, 13 * 2);
  // The line after the table starts below it.
  EXPECT_GE(Doc.DrawItems[t->DrawItemNo + 1]->Top, d->Top + d->Height);
  // A nested table takes its size from its cell.
  auto inner = TVLTableItemInfo::CreateEx(1, 1, t->GetCell(1, 1));
  inner->GetCell(0, 0)->SetItemTextA(0, "inner");
  TVLTableItemInfo* in = inner.get();
  t->GetCell(1, 1)->Clear();
  t->GetCell(1, 1)->AddItem("", inner.release());
  t->Changed();
  Doc.Format(false, true, false, 0, nullptr, false, false);
  EXPECT_EQ(in->GetWidth(), t->GetCell(1, 1)->GetWidth());
  EXPECT_GT(in->GetHeight(), 13);
  // Origins: the cell's content sits inside the table's draw item (formatting
  // again made the draw items anew).
  d = Doc.DrawItems[t->DrawItemNo];
  Integer x, y;
  t->GetCell(0, 0)->GetOrigin(x, y);
  EXPECT_EQ(x, d->Left + t->GetCell(0, 0)->Left + t->CellPadding);
  EXPECT_EQ(y, Doc.DrawItems[t->DrawItemNo]->Top + t->GetCell(0, 0)->Top + t->CellPadding +
                   t->GetCell(0, 0)->GetVAlignOffset());
}

}  // namespace

// The largest table Insert Table makes (100 columns, 500 rows) lays out in
// time linear in its cells: it took 1.6 s of processor time when each cell
// searched the grid for its row and each column searched every cell. A
// twentieth of its rows costs about a twentieth as much, not a 400th. (The table
// benchmark's TableLayoutBig gives the figure.)
TEST_F(TableLayoutFixture, LargestInsertedTableLaysOutQuickly) {
  TVLTableItemInfo* t = nullptr;
  const qytest::TGrowth growth = qytest::MeasureGrowth(25, 500, [&](int rows) -> std::function<void()> {
    t = Add(rows, 100);
    return [&] { t->Layout(1000, true, nullptr); };
  });
  EXPECT_LT(growth.Ratio(), qytest::LinearGrowthBound(25, 500))
      << growth.SmallSeconds << " s, then " << growth.LargeSeconds << " s";
  EXPECT_EQ(t->RowCount(), 500);
  EXPECT_EQ(static_cast<Integer>(t->FormattingInfo.ColStarts.size()), 101);
}
