// Tables built from RTF rows: the grid, merged cells, widths, nesting and
// what surrounds a table.
#include "RTFTestSupport.h"

#include <gtest/gtest.h>

using rtftest::Import;
using rtftest::PlainText;

namespace {

struct TableFixture : ::testing::Test {
  TableFixture() : Doc(&Style) {}
  TVLTableItemInfo* Load(const std::string& body) {
    EXPECT_EQ(Import(Props, Doc, "{\\rtf1 " + body + "}"), 0);
    for (Integer i = 0; i < Doc.GetItemCount(); ++i)
      if (auto* t = dynamic_cast<TVLTableItemInfo*>(Doc.GetItem(i))) return t;
    return nullptr;
  }
  TVLStyle Style{nullptr};
  TVLDocumentData Doc;
  TVLRTFReaderProperties Props;
};

std::string Row(const std::string& def, const std::vector<std::string>& cells) {
  std::string s = "\\trowd" + def + "\\pard\\intbl ";
  for (const auto& c : cells) s += c + "\\cell ";
  return s + "\\row ";
}

// The grid as text: each position "text" or "^" (covered), spans in brackets.
std::string Grid(TVLTableItemInfo& t) {
  std::string out;
  for (Integer r = 0; r < t.RowCount(); ++r) {
    for (Integer c = 0; c < t.ColCount(); ++c) {
      TVLTableCellData* cell = t.GetCell(r, c);
      if (!cell) {
        out += "^ ";
        continue;
      }
      out += PlainText(*cell);
      if (cell->RowSpan > 1 || cell->ColSpan > 1)
        out += "[" + std::to_string(cell->RowSpan) + "x" + std::to_string(cell->ColSpan) + "]";
      out += " ";
    }
    out += "/";
  }
  return out;
}

TEST_F(TableFixture, GridsFromRowEdges) {
  struct Case {
    std::string Rtf;
    std::string Grid;
  } cases[] = {
      {Row("\\cellx1000\\cellx2000", {"a", "b"}) + Row("\\cellx1000\\cellx2000", {"c", "d"}), "a b /c d /"},
      // A middle edge between two edges of the first row splits a column.
      {Row("\\cellx1000\\cellx2000", {"a", "b"}) + Row("\\cellx500\\cellx2000", {"c", "d"}),
       "a[1x2] ^ b /c d[1x2] ^ /"},
      // A row that starts further left gets a new first column.
      {Row("\\trleft500\\cellx1000", {"a"}) + Row("\\cellx1000", {"b"}), " a /b[1x2] ^ /"},
      {Row("\\clvmgf\\cellx1000\\cellx2000", {"a", "b"}) + Row("\\clvmrg\\cellx1000\\cellx2000", {"", "c"}) +
           Row("\\clvmrg\\cellx1000\\cellx2000", {"", "d"}),
       "a[3x1] b /^ c /^ d /"},
      {Row("\\clmgf\\cellx1000\\clmrg\\cellx2000\\cellx3000", {"a", "", "b"}), "a[1x2] ^ b /"},
  };
  for (const auto& c : cases) {
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    TVLRTFReaderProperties props;
    ASSERT_EQ(Import(props, doc, "{\\rtf1 " + c.Rtf + "}"), 0) << c.Rtf;
    ASSERT_EQ(doc.GetItemCount(), 1) << c.Rtf;
    auto* t = dynamic_cast<TVLTableItemInfo*>(doc.GetItem(0));
    ASSERT_TRUE(t);
    EXPECT_EQ(Grid(*t), c.Grid) << c.Rtf;
  }
}

TEST_F(TableFixture, WidthsPercentAndTwips) {
  TVLTableItemInfo* t = Load(Row("\\trftsWidth2\\trwWidth5000\\clftsWidth2\\clwWidth-2500\\clftsWidth2\\clwWidth2500"
                                 "\\cellx1000\\clwWidth1440\\clftsWidth3\\cellx2000",
                                 {"a", "b"}));
  ASSERT_TRUE(t);
  EXPECT_EQ(t->BestWidth, -100);
  EXPECT_EQ(t->GetCell(0, 0)->BestWidth, -50);
  EXPECT_EQ(t->GetCell(0, 1)->BestWidth, 96 - 2 * t->CellPadding);
}

TEST_F(TableFixture, NestedTableLandsInItsCell) {
  TVLTableItemInfo* t =
      Load("\\trowd\\cellx2000\\cellx4000\\pard\\intbl before\\par"
           "\\itap2 inner\\nestcell{\\*\\nesttableprops\\trowd\\cellx1000\\nestrow}"
           "\\pard\\intbl\\itap1 after\\cell right\\cell\\row");
  ASSERT_TRUE(t);
  ASSERT_EQ(t->ColCount(), 2);
  TVLTableCellData* cell = t->GetCell(0, 0);
  TVLTableItemInfo* inner = nullptr;
  for (Integer i = 0; i < cell->GetItemCount(); ++i)
    if (auto* n = dynamic_cast<TVLTableItemInfo*>(cell->GetItem(i))) inner = n;
  ASSERT_TRUE(inner);
  EXPECT_EQ(PlainText(*inner->GetCell(0, 0)), "inner");
  EXPECT_EQ(PlainText(*t->GetCell(0, 1)), "right");
  EXPECT_NE(PlainText(*cell).find("after"), std::string::npos);
}

TEST_F(TableFixture, TextAfterTheLastRowFollowsTheTable) {
  TVLTableItemInfo* t = Load(Row("\\cellx1000", {"a"}) + "\\intbl tail one\\cell tail two");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->RowCount(), 1);
  const std::string text = PlainText(Doc);
  EXPECT_NE(text.find("tail one"), std::string::npos);
  EXPECT_NE(text.find("tail two"), std::string::npos);
}

TEST_F(TableFixture, PageBreakBeforeTable) {
  TVLTableItemInfo* t = Load("x\\page " + Row("\\cellx1000", {"a"}));
  ASSERT_TRUE(t);
  EXPECT_TRUE(t->GetPageBreakBefore());
  // A break asked for outside a table does not go into its cells.
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  TVLRTFReaderProperties props;
  ASSERT_EQ(Import(props, doc, "{\\rtf1 x\\page\\trowd\\cellx1000\\pard\\intbl a\\cell\\row\\pard y}"), 0);
  auto* table = dynamic_cast<TVLTableItemInfo*>(doc.GetItem(1));
  ASSERT_TRUE(table);
  EXPECT_FALSE(table->GetCell(0, 0)->GetItem(0)->GetPageBreakBefore());
}

TEST_F(TableFixture, EmptyTableIsDropped) {
  ASSERT_EQ(Import(Props, Doc, "{\\rtf1 \\intbl\\pard x}"), 0);
  for (Integer i = 0; i < Doc.GetItemCount(); ++i) EXPECT_NE(Doc.GetItem(i)->StyleNo, vlsTable);
}

}  // namespace

namespace {

TEST(RTFTableStorage, ImportedTablesSurviveTheJournalFormat) {
  VLRegisterTableItem();
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  TVLRTFReaderProperties props;
  props.ParaStyleMode = vlrsAddIfNeeded;
  ASSERT_EQ(Import(props, doc,
                   "{\\rtf1 intro\\par " + Row("\\clvmgf\\cellx1000\\clmgf\\cellx2000\\clmrg\\cellx3000", {"a", "b", ""}) +
                       Row("\\clvmrg\\cellx1000\\cellx2000\\cellx3000", {"", "c", "d"}) +
                       "\\pard\\intbl\\itap2 n\\nestcell{\\*\\nesttableprops\\trowd\\cellx500\\nestrow}"
                       "\\pard\\intbl\\itap1 e\\cell f\\cell g\\cell\\row\\pard end}"),
            0);
  TMemoryStream out;
  ASSERT_TRUE(doc.SaveVLFToStream(out, false, clNone, nullptr, bsNoBitmap, nullptr));
  out.SetPosition(0);
  TVLDocumentData back(&style);
  TColor color = clNone;
  ASSERT_TRUE(back.LoadVLFFromStream(out, color, nullptr, nullptr, nullptr));
  EXPECT_EQ(PlainText(back), PlainText(doc));
  EXPECT_NE(PlainText(back).find("n|"), std::string::npos);
}

}  // namespace
