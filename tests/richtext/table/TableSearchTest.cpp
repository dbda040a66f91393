// Find goes through table cells, cell by cell, nested tables included.
#include "TableTestSupport.h"
#include "richtext/table/VLCellEditor.h"

#include "platform/base/CodePages.h"
#include "richtext/editor/EditorFixture.h"

#include <gtest/gtest.h>

namespace {

AnsiString U(const char* text) { return WideStringToRawUnicode(Utf8ToWide(text)); }

void SetText(TCustomVLData* cell, const char* text) {
  cell->Clear();
  cell->AddTextItem(U(text), 0, 0);
}

struct TableSearch : ::testing::Test {
  TableSearch() {
    VLRegisterTableItem();
    TVLEditVLData& d = E.D();
    d.Clear();
    d.AddTextItem(U("Apple before"), 0, 0);
    auto t = TVLTableItemInfo::CreateEx(2, 2, &d);
    Table = t.get();
    for (Integer r = 0; r < 2; ++r)
      for (Integer c = 0; c < 2; ++c) SetText(Table->GetCell(r, c), "");
    SetText(Table->GetCell(0, 1), "an apple");
    SetText(Table->GetCell(1, 0), "pear, APPLE and apple");
    auto inner = TVLTableItemInfo::CreateEx(1, 1, Table->GetCell(1, 1));
    SetText(inner->GetCell(0, 0), "deep apple");
    Inner = inner.get();
    Table->GetCell(1, 1)->Clear();
    Table->GetCell(1, 1)->AddItem("", inner.release());
    d.AddItem("", t.release());
    d.AddTextItem(U("after apple"), 0, 0);
    E.Edit->Format();
  }
  qytest::TEditor E;
  TVLTableItemInfo* Table;
  TVLTableItemInfo* Inner;
};

TEST_F(TableSearch, DownwardSearchVisitsEveryCellInReadingOrder) {
  struct Step {
    Integer row, col;  // the outer cell with the match, -1 when outside the table
    Integer selectedItem;
  };
  const Step steps[] = {{-1, -1, 0}, {0, 1, 1}, {1, 0, 1}, {1, 0, 1}, {1, 1, 1}, {-1, -1, 2}};
  E.D().SetSelectionBounds(0, E.D().GetItemStartOffset(0), 0, E.D().GetItemStartOffset(0));
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message() << s.row << "," << s.col << " item " << s.selectedItem);
    ASSERT_TRUE(E.Edit->SearchText("apple", true, false, false));
    Integer s1, o1, s2, o2;
    E.D().GetSelBounds(true, s1, o1, s2, o2);
    EXPECT_EQ(s1, s.selectedItem);
    if (s.row >= 0) {
      EXPECT_EQ(Table->SearchRow(), s.row);
      EXPECT_EQ(Table->SearchCol(), s.col);
      EXPECT_EQ(Table->ChosenRow(), s.row);
    }
  }
  // Gone past it: the match there was shown in the nested table's own cell
  // editor, which closed as the search went on.
  EXPECT_EQ(Inner->GetInplaceEditor(), nullptr);
  EXPECT_FALSE(E.Edit->SearchText("apple", true, false, false));
}

TEST_F(TableSearch, MatchCaseAndWholeWordsInsideCells) {
  E.D().SetSelectionBounds(1, 0, 1, 0);
  ASSERT_TRUE(E.Edit->SearchText("APPLE", true, true, false));
  EXPECT_EQ(Table->SearchRow(), 1);
  EXPECT_EQ(Table->SearchCol(), 0);
  // The match is selected inside the cell, in the editor opened on it.
  ASSERT_NE(Table->GetInplaceEditor(), nullptr);
  EXPECT_EQ(Table->GetInplaceEditor()->Row, 1);
  EXPECT_EQ(Table->GetInplaceEditor()->Col, 0);
  Integer s1, o1, s2, o2;
  Table->GetInplaceEditor()->EditData()->GetSelBounds(true, s1, o1, s2, o2);
  EXPECT_EQ(o1, 7);
  EXPECT_EQ(o2, 12);
  EXPECT_FALSE(Table->SearchText("appl", 2 | 4));
  EXPECT_EQ(Table->SearchRow(), -1);
}

// A word with a bold first letter in a cell is one match over both items,
// selected whole in the cell's editor, both ways.
TEST_F(TableSearch, AWordWithAStyleChangeInsideACellIsFoundWhole) {
  TCustomVLData* cell = Table->GetCell(0, 0);
  cell->Clear();
  cell->AddTextItem(U("K"), 1, 0);
  cell->AddTextItem(U("eyword and key"), 0, -1);
  cell->AddTextItem(U("word"), 1, -1);
  E.Edit->Format();
  struct Match {
    Integer s1, o1, s2, o2;
    const char* selected;
  };
  const struct {
    bool down, wholeWord;
    const char* text;
    std::vector<Match> expected;
  } passes[] = {
      {true, false, "keyword", {{0, 1, 1, 7, "Keyword"}, {1, 12, 2, 5, "keyword"}}},
      {false, true, "KEYWORD", {{1, 12, 2, 5, "keyword"}, {0, 1, 1, 7, "Keyword"}}},
  };
  for (const auto& p : passes) {
    SCOPED_TRACE(p.down ? "down" : "up");
    const Integer at = p.down ? 0 : 2;
    const Integer offs = p.down ? E.D().GetItemStartOffset(0) : E.D().GetItemEndOffset(2);
    E.D().SetSelectionBounds(at, offs, at, offs);
    for (const Match& m : p.expected) {
      ASSERT_TRUE(E.Edit->SearchText(p.text, p.down, false, p.wholeWord));
      EXPECT_EQ(Table->SearchRow(), 0);
      EXPECT_EQ(Table->SearchCol(), 0);
      ASSERT_NE(Table->GetInplaceEditor(), nullptr);
      Integer s1, o1, s2, o2;
      Table->GetInplaceEditor()->EditData()->GetSelBounds(true, s1, o1, s2, o2);
      EXPECT_EQ(std::vector<Integer>({s1, o1, s2, o2}), std::vector<Integer>({m.s1, m.o1, m.s2, m.o2}));
      EXPECT_EQ(Table->GetInplaceEditor()->GetSelText(), m.selected);
    }
  }
}

TEST_F(TableSearch, CellToCellDirections) {
  auto t = TVLTableItemInfo::CreateEx(3, 3, &E.D());
  ASSERT_TRUE(t->MergeCells(0, 1, 2, 2));
  // a [b b] / d [b b] / g h i
  struct Case {
    Integer row, col, direction;
    bool found;
    Integer newRow, newCol;
  };
  const Case cases[] = {
      {0, 0, 2, true, 0, 1},  {0, 1, 2, true, 1, 0},  {1, 0, 2, true, 0, 1},  {0, 1, 3, true, 2, 1},
      {2, 1, 1, true, 0, 1},  {0, 0, 0, false, -1, -1}, {1, 0, 0, true, 0, 1}, {0, 0, 1, false, -1, -1},
      {2, 2, 3, false, -1, -1}, {0, 1, 6, true, 1, 0}, {2, 2, 6, false, -1, -1}, {2, 0, 7, true, 1, 0},
      {0, 0, 7, false, -1, -1}, {1, 1, 0, true, 1, 0}, {0, 0, 4, false, -1, -1}, {0, 0, 8, false, -1, -1},
  };
  for (const Case& c : cases) {
    Integer nr, nc;
    EXPECT_EQ(t->GetCellTo(c.row, c.col, false, nc, nr, c.direction), c.found) << c.row << c.col << c.direction;
    if (c.found) {
      EXPECT_EQ(nr, c.newRow) << c.row << c.col << c.direction;
      EXPECT_EQ(nc, c.newCol) << c.row << c.col << c.direction;
    }
  }
  // Walking the documents: first, last (the covering cell), next, previous.
  std::unique_ptr<TVLStoreSubVLData> at;
  EXPECT_EQ(t->GetSubVLData(at, 0), t->GetCell(0, 0));
  EXPECT_EQ(t->GetSubVLData(at, 4), t->GetCell(0, 1));
  EXPECT_EQ(t->GetSubVLData(at, 5), t->GetCell(0, 0));
  EXPECT_EQ(t->GetSubVLData(at, 5), nullptr);
  std::unique_ptr<TVLStoreSubVLData> last;
  ASSERT_TRUE(t->MergeCells(2, 1, 2, 1));
  EXPECT_EQ(t->GetSubVLData(last, 1), t->GetCell(2, 1));
  EXPECT_EQ(t->GetSubVLData(last, 2), nullptr);  // nothing chosen
  EXPECT_EQ(t->GetSubVLData(last, 9), nullptr);
}

}  // namespace
