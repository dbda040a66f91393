// The multi-cell selection: the block it covers, widened to merged cells.
#include "TableTestSupport.h"

#include "richtext/editor/EditorFixture.h"

#include <gtest/gtest.h>

namespace {

struct TableSelection : ::testing::Test {
  TableSelection() {
    VLRegisterTableItem();
    TVLEditVLData& d = E.D();
    d.Clear();
    auto t = TVLTableItemInfo::CreateEx(4, 4, &d);
    Table = t.get();
    // (1,1) covers rows 1-2 and columns 1-2.
    EXPECT_TRUE(Table->MergeCells(1, 1, 2, 2));
    d.AddItem("", t.release());
    E.Edit->Format();
  }
  std::string Marks() {
    std::string s;
    for (Integer r = 0; r < 4; ++r) {
      for (Integer c = 0; c < 4; ++c) {
        TVLTableCellData* cell = Table->GetCell(r, c);
        s += !cell ? '-' : cell->Selected ? 'x' : '.';
      }
      s += '/';
    }
    return s;
  }
  qytest::TEditor E;
  TVLTableItemInfo* Table;
};

TEST_F(TableSelection, BoundsWidenToMergedCellsAndMarksFollow) {
  struct Case {
    Integer row, col, colOffset, rowOffset;
    Integer top, left, cols, rows;
    const char* marks;
  } cases[] = {
      {0, 0, 0, 0, 0, 0, 1, 1, "x.../..-./.--./..../"},
      {0, 0, 1, 1, 0, 0, 3, 3, "xxx./xx-./x--./..../"},
      {3, 3, -2, -2, 1, 1, 3, 3, "..../.x-x/.--x/.xxx/"},
      {2, 2, 0, 0, 1, 1, 2, 2, "..../.x-./.--./..../"},
      {0, 3, -3, 3, 0, 0, 4, 4, "xxxx/xx-x/x--x/xxxx/"},
      // Corners off the grid are brought back onto it.
      {3, 0, 9, 0, 3, 0, 4, 1, "..../..-./.--./xxxx/"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.row << "," << k.col << " by " << k.colOffset << "," << k.rowOffset);
    Table->Select(k.row, k.col, k.colOffset, k.rowOffset);
    ASSERT_TRUE(Table->CellsSelected());
    EXPECT_TRUE(Table->PartiallySelected());
    Integer top, left, cols, rows;
    ASSERT_TRUE(Table->GetNormalizedSelectionBounds(false, top, left, cols, rows));
    EXPECT_EQ(top, k.top);
    EXPECT_EQ(left, k.left);
    EXPECT_EQ(cols, k.cols);
    EXPECT_EQ(rows, k.rows);
    EXPECT_EQ(Marks(), k.marks);
  }
}

TEST_F(TableSelection, WholeRowsColumnsAndClearing) {
  struct Case {
    const char* what;
    void (*select)(TVLTableItemInfo&);
    bool selected;
    const char* marks;
  } cases[] = {
      {"row 0", [](TVLTableItemInfo& t) { t.SelectRows(0, 1); }, true, "xxxx/..-./.--./..../"},
      {"rows 2-3", [](TVLTableItemInfo& t) { t.SelectRows(2, 2); }, true, "..../.x-./x--x/xxxx/"},
      {"column 3", [](TVLTableItemInfo& t) { t.SelectCols(3, 1); }, true, "...x/..-x/.--x/...x/"},
      {"column 2: only the corners widen", [](TVLTableItemInfo& t) { t.SelectCols(2, 1); }, true, "..x./.x-./.--./..x./"},
      {"no rows", [](TVLTableItemInfo& t) { t.SelectRows(0, 0); }, false, "..../..-./.--./..../"},
      {"a row past the end", [](TVLTableItemInfo& t) { t.SelectRows(4, 1); }, false, "..../..-./.--./..../"},
      {"cleared", [](TVLTableItemInfo& t) { t.Select(0, 0, 3, 3); t.ClearCellSelection(); }, false,
       "..../..-./.--./..../"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    Table->ClearCellSelection();
    k.select(*Table);
    EXPECT_EQ(Table->CellsSelected(), k.selected);
    EXPECT_EQ(Marks(), k.marks);
    for (Integer r = 0; r < 4; ++r)
      for (Integer c = 0; c < 4; ++c) {
        Integer mr, mc;
        TVLTableCellData* main = Table->Rows.GetMainCell(r, c, mr, mc);
        EXPECT_EQ(Table->IsCellSelected(r, c), main->Selected) << r << "," << c;
      }
  }
  Integer top, left, cols, rows;
  EXPECT_FALSE(Table->GetNormalizedSelectionBounds(false, top, left, cols, rows));
  EXPECT_EQ(Table->SelStartRow, -1);
}

TEST_F(TableSelection, EditedCellCountsOnlyWhenAsked) {
  TVLTableStoreSubVLData chosen(1, 1);
  Table->ChooseSubVLData(&chosen);
  Integer top, left, cols, rows;
  EXPECT_FALSE(Table->GetNormalizedSelectionBounds(false, top, left, cols, rows));
  ASSERT_TRUE(Table->GetNormalizedSelectionBounds(true, top, left, cols, rows));
  EXPECT_EQ(top, 1);
  EXPECT_EQ(left, 1);
  EXPECT_EQ(cols, 2);
  EXPECT_EQ(rows, 2);
}

TEST_F(TableSelection, NothingIsSelectedWhereTheDocumentForbidsIt) {
  E.D().SetOptions(E.D().GetOptions() - TVLOptions{vloAllowSelection});
  Table->Select(0, 0, 1, 1);
  EXPECT_FALSE(Table->CellsSelected());
  EXPECT_FALSE(Table->StartSelecting(0, 0));
  E.D().SetOptions(E.D().GetOptions() + TVLOptions{vloAllowSelection});
  EXPECT_TRUE(Table->StartSelecting(3, 3));
  EXPECT_FALSE(Table->CellsSelected());
  EXPECT_EQ(Table->SelStartRow, 3);
}

}  // namespace
