// The numbers and refusals of the structure operations: merge checks,
// index checks, sizes shared out when cells are split, merged and cut.
#include "TableDump.h"
#include "TableTestSupport.h"

#include "platform/gui/Dialogs.h"
#include "richtext/editor/EditorFixture.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct Doc {
  Doc() : Style(nullptr), Data(&Style) { Style.UseSound = true; }
  TVLStyle Style;
  TVLDocumentData Data;
};

TEST(TableOpsRules, MergeChecks) {
  struct Case {
    const char* name;
    Integer rows, cols;
    std::function<void(TVLTableItemInfo&)> prepare;
    Integer top, left, colSpan, rowSpan;
    bool skipRowColCheck;
    bool can, merged, beeps;
  } cases[] = {
      {"one cell is nothing to merge", 2, 2, nullptr, 0, 0, 1, 1, false, false, false, false},
      {"a row pair of a one-row table leaves a column without a cell", 1, 2, nullptr, 0, 0, 2, 1, false, false,
       false, true},
      {"the same pair when that does not count", 1, 2, nullptr, 0, 0, 2, 1, true, true, true, false},
      {"a rectangle cutting a merged cell", 3, 3, [](auto& t) { t.Rows.MergeCells(1, 1, 2, 2, true); }, 0, 0, 2, 2,
       true, false, false, true},
      {"a rectangle around a merged cell", 3, 3, [](auto& t) { t.Rows.MergeCells(1, 1, 2, 2, true); }, 0, 0, 3, 3,
       true, true, true, false},
      {"a merged cell again", 3, 3, [](auto& t) { t.Rows.MergeCells(1, 1, 2, 2, true); }, 1, 1, 2, 2, true, false,
       false, false},
      {"spans past the grid are clipped", 3, 3, nullptr, 1, 1, 9, 9, true, true, true, false},
      {"two rows of three columns keep their rows", 3, 3, nullptr, 0, 0, 3, 2, false, false, false, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Doc doc;
    auto t = TVLTableItemInfo::CreateEx(k.rows, k.cols, &doc.Data);
    if (k.prepare) k.prepare(*t);
    const std::string before = tabletest::Dump(*t);
    EXPECT_EQ(t->CanMergeCells(k.top, k.left, k.colSpan, k.rowSpan, k.skipRowColCheck), k.can);
    const int beeps = BeepCount;
    EXPECT_EQ(t->MergeCells(k.top, k.left, k.colSpan, k.rowSpan, k.skipRowColCheck), k.merged);
    EXPECT_EQ(BeepCount > beeps, k.beeps);
    if (!k.merged) {
      EXPECT_EQ(tabletest::Dump(*t), before);
    }
    EXPECT_TRUE(tabletest::assertGridInvariant(*t));
  }
  Doc doc;
  auto t = TVLTableItemInfo::CreateEx(2, 2, &doc.Data);
  EXPECT_THROW(t->MergeCells(2, 0, 2, 1), EVellumError);
  EXPECT_THROW(t->MergeCells(0, 0, 2, 0), EVellumError);
}

TEST(TableOpsRules, IndicesAreCheckedBeforeAnythingChanges) {
  struct Case {
    const char* name;
    std::function<void(TVLTableItemInfo&)> op;
    bool raises;
    Integer rows, cols;
  } cases[] = {
      {"append a column", [](auto& t) { t.InsertCols(3, 1, -1, false); }, false, 3, 4},
      {"a column past the end", [](auto& t) { t.InsertCols(4, 1, -1, false); }, true, 3, 3},
      {"a copy column past the end", [](auto& t) { t.InsertCols(0, 1, 3, false); }, true, 3, 3},
      {"append a row", [](auto& t) { t.InsertRows(3, 2, 2, false); }, false, 5, 3},
      {"a row past the end", [](auto& t) { t.InsertRows(4, 1, -1, false); }, true, 3, 3},
      {"a count below one", [](auto& t) { t.InsertRows(1, 0, -1, false); }, false, 3, 3},
      {"more rows than there are from the first", [](auto& t) { t.DeleteRows(0, 4, false); }, true, 3, 3},
      {"more rows than there are from the second", [](auto& t) { t.DeleteRows(1, 4, false); }, false, 1, 3},
      {"no rows", [](auto& t) { t.DeleteRows(1, 0, false); }, true, 3, 3},
      {"a column past the end deleted", [](auto& t) { t.DeleteCols(3, 1, false); }, true, 3, 3},
      {"all columns", [](auto& t) { t.DeleteCols(0, 3, false); }, false, 3, 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Doc doc;
    auto t = TVLTableItemInfo::CreateEx(3, 3, &doc.Data);
    if (k.raises) {
      EXPECT_THROW(k.op(*t), EVellumError);
    } else {
      EXPECT_NO_THROW(k.op(*t));
    }
    EXPECT_EQ(t->RowCount(), k.rows);
    EXPECT_EQ(t->ColCount(), k.cols);
    EXPECT_TRUE(tabletest::assertGridInvariant(*t));
  }
}

// BestWidth and BestHeight of the cells after an operation.
TEST(TableOpsRules, SizesAreSharedOut) {
  struct Case {
    const char* name;
    Integer rows, cols;
    std::function<void(TVLTableItemInfo&)> op;
    std::vector<std::tuple<Integer, Integer, Integer, Integer>> sizes;  // row, col, width, height
  } cases[] = {
      {"a 300-pixel cell split in three", 1, 1,
       [](auto& t) {
         t.GetCell(0, 0)->BestWidth = 300;
         t.SplitCellVertically(0, 0, 3);
       },
       {{0, 0, 100, 0}, {0, 1, 100, 0}, {0, 2, 100, 0}}},
      {"unmerged columns of a tiny width keep a width", 1, 3,
       [](auto& t) {
         t.Rows.MergeCells(0, 0, 3, 1, true);
         t.GetCell(0, 0)->BestWidth = 2;
         t.UnmergeCells(0, 0, 3, 1, false, true);
       },
       {{0, 0, 1, 0}, {0, 1, 1, 0}, {0, 2, 1, 0}}},
      {"and in percent", 1, 3,
       [](auto& t) {
         t.Rows.MergeCells(0, 0, 3, 1, true);
         t.GetCell(0, 0)->BestWidth = -2;
         t.UnmergeCells(0, 0, 3, 1, false, true);
       },
       {{0, 0, -1, 0}, {0, 1, -1, 0}, {0, 2, -1, 0}}},
      {"a tall cell losing its middle row", 3, 2,
       [](auto& t) {
         t.Rows.MergeCells(0, 0, 1, 3, true);
         t.GetCell(0, 0)->BestHeight = 90;
         t.DeleteRows(1, 1, true);
       },
       {{0, 0, 0, 60}}},
      {"unmerged rows share the height", 2, 2,
       [](auto& t) {
         t.Rows.MergeCells(0, 0, 1, 2, true);
         t.GetCell(0, 0)->BestHeight = 50;
         t.GetCell(0, 0)->BestWidth = 40;
         t.UnmergeCells(0, 0, 1, 2, true, false);
       },
       {{0, 0, 40, 25}, {1, 0, 40, 25}}},
      {"merged widths add up, percent first", 2, 3,
       [](auto& t) {
         t.GetCell(0, 0)->BestWidth = 50;
         t.GetCell(0, 1)->BestWidth = 70;
         t.GetCell(1, 0)->BestWidth = -10;
         t.MergeCells(0, 0, 2, 2);
       },
       {{0, 0, -10, 0}}},
      {"merged pixel widths: the widest row", 2, 3,
       [](auto& t) {
         t.GetCell(0, 0)->BestWidth = 50;
         t.GetCell(0, 1)->BestWidth = 70;
         t.GetCell(1, 0)->BestWidth = 100;
         t.MergeCells(0, 0, 2, 2);
       },
       {{0, 0, 120, 0}}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Doc doc;
    auto t = TVLTableItemInfo::CreateEx(k.rows, k.cols, &doc.Data);
    k.op(*t);
    ASSERT_TRUE(tabletest::assertGridInvariant(*t));
    for (auto [r, c, w, h] : k.sizes) {
      TVLTableCellData* cell = t->GetCell(r, c);
      ASSERT_TRUE(cell) << r << "," << c;
      EXPECT_EQ(cell->BestWidth, w) << r << "," << c;
      EXPECT_EQ(cell->BestHeight, h) << r << "," << c;
    }
  }
}

TEST(TableOpsRules, WithoutUndoTheOperationsStillWork) {
  VLRegisterTableItem();
  qytest::TEditor E;
  E.Edit->SetUndoLimit(0);
  TVLEditVLData& d = E.D();
  d.Clear();
  auto t = TVLTableItemInfo::CreateEx(3, 3, &d);
  TVLTableItemInfo* table = t.get();
  d.AddItem("", t.release());
  E.Edit->Format();
  EXPECT_TRUE(table->MergeCells(0, 0, 2, 2));
  table->InsertRows(1, 1, 0, false);
  table->DeleteCols(2, 1, false);
  table->SplitCellHorizontally(0, 0, 2);
  EXPECT_TRUE(tabletest::assertGridInvariant(*table));
  EXPECT_EQ(table->RowCount(), 4);
  EXPECT_EQ(table->ColCount(), 2);
  EXPECT_EQ(d.UndoList->Count(), 0);
}

TEST(TableOpsRules, ARefusedMergeLeavesNoUndoStep) {
  VLRegisterTableItem();
  qytest::TEditor E;
  TVLEditVLData& d = E.D();
  d.Clear();
  auto t = TVLTableItemInfo::CreateEx(1, 2, &d);
  TVLTableItemInfo* table = t.get();
  d.AddItem("", t.release());
  E.Edit->Format();
  d.UndoList->Clear();
  EXPECT_FALSE(table->MergeCells(0, 0, 2, 1, false));
  EXPECT_EQ(d.UndoList->Count(), 0);
  EXPECT_TRUE(table->MergeCells(0, 0, 2, 1, true));
  EXPECT_EQ(d.UndoList->Count(), 1);
}

}  // namespace

namespace {

TEST(TableOpsRules, CommandsOnTheChosenCell) {
  struct Case {
    const char* name;
    Integer chosenRow, chosenCol;  // -1: none
    std::function<void(TVLTableItemInfo&)> op;
    bool beeps;
    Integer rows, cols, afterRow, afterCol;
  } cases[] = {
      {"nothing chosen", -1, -1, [](auto& t) { t.InsertRowsAbove(1); }, true, 3, 3, -1, -1},
      {"nothing chosen to delete", -1, -1, [](auto& t) { t.DeleteSelectedCols(); }, true, 3, 3, -1, -1},
      {"the chosen row deleted: the next takes its place", 1, 1, [](auto& t) { t.DeleteSelectedRows(); }, false, 2, 3,
       1, 1},
      {"the last row deleted: the new last row", 2, 1, [](auto& t) { t.DeleteRows(2, 1, false); }, false, 2, 3, 1, 1},
      {"a row above deleted", 2, 1, [](auto& t) { t.DeleteRows(0, 1, false); }, false, 2, 3, 1, 1},
      {"rows below deleted", 0, 1, [](auto& t) { t.DeleteRows(1, 2, false); }, false, 1, 3, 0, 1},
      {"a column left deleted", 1, 2, [](auto& t) { t.DeleteCols(0, 1, false); }, false, 3, 2, 1, 1},
      {"columns right of the chosen cell", 1, 1, [](auto& t) { t.InsertColsRight(2); }, false, 3, 5, 1, 1},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Doc doc;
    auto t = TVLTableItemInfo::CreateEx(3, 3, &doc.Data);
    if (k.chosenRow >= 0) {
      TVLTableStoreSubVLData at(k.chosenRow, k.chosenCol);
      t->ChooseSubVLData(&at);
    }
    const int beeps = BeepCount;
    k.op(*t);
    EXPECT_EQ(BeepCount > beeps, k.beeps);
    EXPECT_EQ(t->RowCount(), k.rows);
    EXPECT_EQ(t->ColCount(), k.cols);
    EXPECT_EQ(t->ChosenRow(), k.afterRow);
    EXPECT_EQ(t->ChosenCol(), k.afterCol);
    EXPECT_TRUE(tabletest::assertGridInvariant(*t));
  }
}

}  // namespace
