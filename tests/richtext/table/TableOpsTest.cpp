// Structure operations on a table in an editor: each gives the grid it
// should, keeps every position covered once, and is one undo step that
// undo and redo take back and forth exactly.
#include "TableDump.h"
#include "TableTestSupport.h"

#include "richtext/editor/EditorFixture.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// Per row the cells as text plus spans when not 1x1 ("_" an empty cell,
// "^" a covered position).
std::string Shape(TVLTableItemInfo& t) {
  std::string s;
  for (Integer r = 0; r < t.RowCount(); ++r) {
    for (Integer c = 0; c < t.Rows.GetRow(r)->Count(); ++c) {
      TVLTableCellData* cell = t.Rows.GetRow(r)->GetCell(c);
      if (c > 0) s += ' ';
      if (!cell) {
        s += '^';
        continue;
      }
      std::string text;
      for (Integer i = 0; i < cell->GetItemCount(); ++i) text += tabletest::ItemText(*cell, i);
      s += text.empty() ? "_" : text;
      if (cell->RowSpan != 1 || cell->ColSpan != 1)
        s += std::to_string(cell->RowSpan) + "x" + std::to_string(cell->ColSpan);
    }
    s += '/';
  }
  return s;
}

// "a b c d/e f g h/i j klop2x2 ^/m n ^ ^/" with a bold "a", a coloured "f"
// and a "c" 90 pixels wide, in an editor between two paragraphs.
struct TableOps : ::testing::Test {
  TableOps() {
    VLRegisterTableItem();
    TVLEditVLData& d = E.D();
    d.Clear();
    d.AddTextItem(WideStringToRawUnicode(Utf8ToWide("before")), 0, 0);
    auto t = TVLTableItemInfo::CreateEx(4, 4, &d);
    for (Integer r = 0; r < 4; ++r)
      for (Integer c = 0; c < 4; ++c) {
        TVLTableCellData* cell = t->GetCell(r, c);
        cell->Clear();
        const char letter[] = {static_cast<char>('a' + r * 4 + c), 0};
        cell->AddTextItem(WideStringToRawUnicode(Utf8ToWide(letter)), r == 0 && c == 0 ? 1 : 0, 0);
      }
    t->GetCell(1, 1)->Color = 0x00FF00;
    t->GetCell(1, 1)->VAlign = vlcBottom;
    t->GetCell(0, 2)->BestWidth = 90;
    EXPECT_TRUE(t->Rows.MergeCells(2, 2, 2, 2, true));
    Table = t.get();
    d.AddItem("", t.release());
    d.AddTextItem(WideStringToRawUnicode(Utf8ToWide("after")), 0, 0);
    E.Edit->Format();
  }
  Integer UndoCount() { return E.D().UndoList->Count(); }
  qytest::TEditor E;
  TVLTableItemInfo* Table;
};

TEST_F(TableOps, EachOperationIsOneStepUndoneAndRedoneExactly) {
  using Op = std::function<void(TVLTableItemInfo&)>;
  struct Case {
    const char* name;
    Op prepare;  // steps of their own before the measured one
    Op op;
    const char* shape;
  } cases[] = {
      {"merge a block", nullptr, [](auto& t) { EXPECT_TRUE(t.MergeCells(0, 0, 2, 2)); },
       "abef2x2 ^ c d/^ ^ g h/i j klop2x2 ^/m n ^ ^/"},
      {"merge a row part", nullptr, [](auto& t) { EXPECT_TRUE(t.MergeCells(0, 1, 3, 1, false)); },
       "a bcd1x3 ^ ^/e f g h/i j klop2x2 ^/m n ^ ^/"},
      {"unmerge both ways", nullptr, [](auto& t) { t.UnmergeCells(2, 2, 2, 2, true, true); },
       "a b c d/e f g h/i j klop _/m n _ _/"},
      {"unmerge columns", nullptr, [](auto& t) { t.UnmergeCells(0, 0, 4, 4, false, true); },
       "a b c d/e f g h/i j klop2x1 _2x1/m n ^ ^/"},
      {"unmerge rows", nullptr, [](auto& t) { t.UnmergeCells(2, 2, 1, 1, true, false); },
       "a b c d/e f g h/i j klop1x2 ^/m n _1x2 ^/"},
      {"insert a row copying the next", nullptr, [](auto& t) { t.InsertRows(1, 1, 1, false); },
       "a b c d/_ _ _ _/e f g h/i j klop2x2 ^/m n ^ ^/"},
      {"insert rows inside a merged cell", nullptr, [](auto& t) { t.InsertRows(3, 2, -1, false); },
       "a b c d/e f g h/i j klop4x2 ^/_ _ ^ ^/_ _ ^ ^/m n ^ ^/"},
      {"insert a column inside a merged cell", nullptr, [](auto& t) { t.InsertCols(3, 1, -1, false); },
       "a b c _ d/e f g _ h/i j klop2x3 ^ ^/m n ^ ^ ^/"},
      {"append a column", nullptr, [](auto& t) { t.InsertCols(4, 1, 3, false); },
       "a b c d _/e f g h _/i j klop2x2 ^ _/m n ^ ^ _/"},
      {"delete rows cutting a merged cell", nullptr, [](auto& t) { t.DeleteRows(1, 2, false); },
       "a b c d/m n _1x2 ^/"},
      {"delete the first column", nullptr, [](auto& t) { t.DeleteCols(0, 1, false); },
       "b c d/f g h/j klop2x2 ^/n ^ ^/"},
      {"delete a column of a merged cell", nullptr, [](auto& t) { t.DeleteCols(3, 1, true); },
       "a b c/e f g/i j klop2x1/m n ^/"},
      {"delete rows to the end", nullptr, [](auto& t) { t.DeleteRows(1, 100, false); }, "a b c d/"},
      {"split a cell into columns", nullptr, [](auto& t) { EXPECT_EQ(t.SplitCellVertically(0, 0, 3), 2); },
       "_ _ a b c d/e1x3 ^ ^ f g h/i1x3 ^ ^ j klop2x2 ^/m1x3 ^ ^ n ^ ^/"},
      {"split a cell into rows", nullptr, [](auto& t) { EXPECT_EQ(t.SplitCellHorizontally(0, 1, 2), 1); },
       "a2x1 _ c2x1 d2x1/^ b ^ ^/e f g h/i j klop2x2 ^/m n ^ ^/"},
      {"split a merged cell into its columns", nullptr,
       [](auto& t) { EXPECT_EQ(t.SplitCellVertically(2, 2, 2), 0); }, "a b c d/e f g h/i j klop2x1 _2x1/m n ^ ^/"},
      {"delete a column left without cells", [](auto& t) { EXPECT_TRUE(t.MergeCells(0, 0, 2, 4)); },
       [](auto& t) { t.DeleteEmptyCols(); }, "abefijmn4x1 c d/^ g h/^ klop2x2 ^/^ ^ ^/"},
      {"delete the selected rows", [](auto& t) { t.Select(1, 0, 0, 1); }, [](auto& t) { t.DeleteSelectedRows(); },
       "a b c d/m n _1x2 ^/"},
      {"insert below the chosen merged cell",
       [](auto& t) {
         TVLTableStoreSubVLData at(2, 2);
         t.ChooseSubVLData(&at);
       },
       [](auto& t) { t.InsertRowsBelow(1); }, "a b c d/e f g h/i j klop2x2 ^/m n ^ ^/_ _ _ _/"},
      {"insert left of the selection", [](auto& t) { t.Select(0, 1, 0, 0); }, [](auto& t) { t.InsertColsLeft(1); },
       "a _ b c d/e _ f g h/i _ j klop2x2 ^/m _ n ^ ^/"},
      // A copied cell never reaches over positions a grown cell covers.
      {"inserted column copying a tall cell", [](auto& t) { EXPECT_TRUE(t.MergeCells(1, 0, 1, 2)); },
       [](auto& t) { t.InsertCols(3, 1, 0, false); }, "a b c _ d/ei2x1 f g _ h/^ j klop2x3 ^ ^/m n ^ ^ ^/"},
      {"inserted row copying a wide cell", [](auto& t) { EXPECT_TRUE(t.MergeCells(0, 1, 2, 1)); },
       [](auto& t) { t.InsertRows(3, 1, 0, false); }, "a bc1x2 ^ d/e f g h/i j klop3x2 ^/_ _ ^ ^/m n ^ ^/"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    E.D().UndoList->Clear();
    E.D().RedoList->Clear();
    const std::string original = tabletest::Dump(*Table);
    if (k.prepare) k.prepare(*Table);
    const std::string before = tabletest::Dump(*Table);
    const Integer steps = UndoCount();
    k.op(*Table);
    ASSERT_TRUE(tabletest::assertGridInvariant(*Table));
    EXPECT_EQ(Shape(*Table), k.shape);
    EXPECT_EQ(UndoCount(), steps + 1);
    const std::string after = tabletest::Dump(*Table);
    for (int round = 0; round < 2; ++round) {
      E.Edit->Undo();
      ASSERT_TRUE(tabletest::assertGridInvariant(*Table));
      EXPECT_EQ(tabletest::Dump(*Table), before);
      E.Edit->Redo();
      ASSERT_TRUE(tabletest::assertGridInvariant(*Table));
      EXPECT_EQ(tabletest::Dump(*Table), after);
    }
    // Back to the common start for the next case.
    while (UndoCount() > 0) E.Edit->Undo();
    ASSERT_EQ(tabletest::Dump(*Table), original);
  }
}

}  // namespace
