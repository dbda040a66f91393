// Serial positions across a document and the documents of its table cells.
#include "spellvl/VLSerializer.h"

#include "richtext/model/VLData.h"
#include "richtext/model/VLStyle.h"
#include "richtext/table/VLTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void SetCell(TVLTableItemInfo* t, Integer r, Integer c, std::vector<std::string> texts) {
  TCustomVLData* cell = t->GetCell(r, c);
  cell->Clear();
  for (const auto& s : texts) cell->AddTextItem(s, 0, 0);
}

// "a" | table [ "b1" "b2" | nested table [ "n" ] ] | "d", or with
// TableFirst the table alone before "d".
struct Doc {
  explicit Doc(bool TableFirst = false) : Style(nullptr), Data(&Style) {
    VLRegisterTableItem();
    Style.TextStyles->Add();
    if (!TableFirst) Data.AddTextItem("a", 0, 0);
    auto t = TVLTableItemInfo::CreateEx(1, 2, &Data);
    Table = t.get();
    SetCell(Table, 0, 0, {"b1", "b2"});
    TCustomVLData* host = Table->GetCell(0, 1);
    auto inner = TVLTableItemInfo::CreateEx(1, 1, host);
    Inner = inner.get();
    SetCell(Inner, 0, 0, {"n"});
    host->Clear();
    host->AddItem("", inner.release());
    Data.AddItem("", t.release());
    Data.AddTextItem("d", 0, 0);
  }
  // What the serializer's current item holds.
  std::string Current(const TVLSerializer& s) const {
    TCustomVLData* d = nullptr;
    int no = -1;
    s.GetCurrentItem(d, no);
    if (no < 0) return "-";
    if (d->GetItemStyle(no) < 0) return "#";
    return d->GetItemTextA(no);
  }
  TVLStyle Style;
  TVLDocumentData Data;
  TVLTableItemInfo* Table = nullptr;
  TVLTableItemInfo* Inner = nullptr;
};

TEST(Serializer, ForwardWalkNumbersCellsDepthFirstAndPassesTableItems) {
  Doc doc;
  TVLSerializer s(&doc.Data);
  EXPECT_EQ(s.GetCurrentPos(), -1);
  // a=0, table=1, b1=2, b2=3, nested table=4, n=5, d=6.
  const std::vector<std::pair<int, std::string>> walk = {{0, "a"}, {2, "b1"}, {3, "b2"}, {5, "n"}, {6, "d"}};
  for (const auto& [pos, text] : walk) {
    ASSERT_TRUE(s.GoNext());
    EXPECT_EQ(s.GetCurrentPos(), pos);
    EXPECT_EQ(doc.Current(s), text);
  }
  EXPECT_FALSE(s.GoNext());
  EXPECT_TRUE(s.AtEnd);
  EXPECT_EQ(s.GetCurrentPos(), 6);
}

TEST(Serializer, BackwardStepsRetraceTheWalk) {
  Doc doc;
  TVLSerializer s(&doc.Data);
  while (s.GoNext()) {
  }
  // From beyond the end back to the start, table items included.
  const std::vector<std::pair<int, std::string>> back = {{6, "d"}, {5, "n"}, {4, "#"}, {3, "b2"},
                                                         {2, "b1"}, {1, "#"}, {0, "a"}};
  for (const auto& [pos, text] : back) {
    ASSERT_TRUE(s.GoPrev());
    EXPECT_EQ(s.GetCurrentPos(), pos) << text;
    EXPECT_EQ(doc.Current(s), text);
  }
  EXPECT_FALSE(s.GoPrev());
  EXPECT_EQ(s.GetCurrentPos(), -1);
}

TEST(Serializer, GoToPositionLandsOnTextAndEntersTables) {
  struct Case {
    int from;  // walked this far first (-1: nothing)
    int pos;
    bool found;
    int landed;
    std::string text;
  } cases[] = {
      {-1, 0, true, 0, "a"},
      {-1, 3, true, 3, "b2"},
      {-1, 1, true, 2, "b1"},  // a table's position: the first item of its first cell
      {-1, 4, true, 5, "n"},
      {6, 1, true, 2, "b1"},   // the same backward, through walked entries
      {6, 3, true, 3, "b2"},
      {3, 6, true, 6, "d"},
      {-1, 9, false, 6, "d"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "from " << c.from << " to " << c.pos);
    Doc doc;
    TVLSerializer s(&doc.Data);
    if (c.from >= 0) {
      ASSERT_TRUE(s.GoToPos(c.from));
    }
    EXPECT_EQ(s.GoToPos(c.pos), c.found);
    EXPECT_EQ(s.GetCurrentPos(), c.landed);
    EXPECT_EQ(doc.Current(s), c.text);
  }
}

TEST(Serializer, DocumentThatStartsWithATableIsReachedFromItsStart) {
  Doc doc(true);
  TVLSerializer s(&doc.Data);
  // Position 0 is the table: the walk goes on into its first cell.
  ASSERT_TRUE(s.GoToPos(0));
  EXPECT_EQ(doc.Current(s), "b1");
  EXPECT_EQ(s.GetCurrentPos(), 1);
  std::string all;
  ASSERT_TRUE(s.GoToPos(0));
  do all += doc.Current(s) + " ";
  while (s.GoNext());
  EXPECT_EQ(all, "b1 b2 n d ");
}

TEST(Serializer, StepBackAfterLocatingAnEnteredTableDoesNotFail) {
  Doc doc;
  TVLSerializer s(&doc.Data);
  ASSERT_TRUE(s.LocateItem(&doc.Data, 1));  // the table item; its first cell is entered
  EXPECT_EQ(s.GetCurrentPos(), 1);
  ASSERT_NO_THROW(EXPECT_TRUE(s.GoPrev()));
  EXPECT_EQ(s.GetCurrentPos(), 0);
  EXPECT_EQ(doc.Current(s), "a");
  ASSERT_TRUE(s.GoNext());
  EXPECT_EQ(doc.Current(s), "b1");
}

TEST(Serializer, ItemsMapToPositionsAndBack) {
  Doc doc;
  TVLSerializer s(&doc.Data);
  TCustomVLData* cell = doc.Table->GetCell(0, 0);
  TCustomVLData* deep = doc.Inner->GetCell(0, 0);
  struct Case {
    TCustomVLData* data;
    int item;
    int pos;
  } cases[] = {{&doc.Data, 0, 0}, {cell, 1, 3}, {deep, 0, 5}, {&doc.Data, 2, 6}, {cell, 0, 2}};
  for (const Case& c : cases) {
    ASSERT_TRUE(s.LocateItem(c.data, c.item)) << c.pos;
    int pos = -2;
    s.ItemToPos(c.data, c.item, pos);
    EXPECT_EQ(pos, c.pos);
    TCustomVLData* d = nullptr;
    int no = -1;
    s.GetCurrentItem(d, no);
    EXPECT_EQ(d, c.data);
    EXPECT_EQ(no, c.item);
  }
}

TEST(Serializer, EmptyDocumentOffersNothing) {
  TVLStyle style(nullptr);
  TVLDocumentData data(&style);
  TVLSerializer s(&data);
  EXPECT_FALSE(s.GoNext());
  EXPECT_TRUE(s.AtEnd);
  EXPECT_EQ(s.GetCurrentPos(), -1);
  EXPECT_FALSE(s.GoToPos(0));
}

}  // namespace
