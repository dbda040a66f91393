// Tables printed over several pages: breaks between rows only, row-span
// groups kept together, heading rows repeated, every row drawn once.
#include "richtext/table/VLTable.h"
#include "richtext/table/VLTablePrint.h"
#include "richtext/view/PrintFixture.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using qytest::TPrintDoc;

namespace {

struct TTableDoc : TPrintDoc {
  TTableDoc() {
    VLRegisterTableItem();
    // Short pages: a 50-row table takes three or more.
    PD().TopMarginMM = PD().BottomMarginMM = 90;
  }
  // A table of rows x 2 cells; cell (r, 0) says Row<r>, cell (r, 1) Col<r>.
  TVLTableItemInfo* AddTable(Integer rows) {
    auto t = TVLTableItemInfo::CreateEx(rows, 2, View->VLData());
    for (Integer r = 0; r < rows; ++r)
      for (Integer c = 0; c < 2; ++c) {
        TVLTableCellData* cell = t->GetCell(r, c);
        cell->Clear();
        // The styles are Unicode: the text goes in as UTF-16.
        AnsiString raw;
        for (char ch : (c == 0 ? "Row" : "Col") + std::to_string(r)) raw += {ch, '\0'};
        cell->AddUnicodeTextItemTag(raw, 0, 0, TVLTag());
      }
    TVLTableItemInfo* raw = t.get();
    View->AddItem("", t.release());
    return raw;
  }
  TVLTablePrintInfo* Info() {
    for (Integer i = 0; i < PD().DrawItems.Count(); ++i)
      if (auto* info = dynamic_cast<TVLTablePrintInfo*>(PD().DrawItems[i])) return info;
    return nullptr;
  }
  // The words drawn on each page, as the page is drawn.
  std::vector<std::vector<String>> DrawnWords() {
    std::vector<std::vector<String>> pages;
    Style.OnDrawStyleText = [&](TVLStyle*, const AnsiString& s, TCanvas*, Integer, Integer, Integer, Integer,
                                Integer, Integer, TVLTextDrawStates, bool&) {
      String ascii;
      for (char ch : s)
        if (ch) ascii += ch;
      if (!ascii.empty()) pages.back().push_back(ascii);
    };
    for (Integer p = 1; p <= Print.GetPagesCount(); ++p) {
      pages.emplace_back();
      TBitmap page(400, 560);
      Print.DrawPreview(p, page.Canvas(), TRect(0, 0, 400, 560));
    }
    Style.OnDrawStyleText = nullptr;
    return pages;
  }
};

// The row numbers whose first cell a page drew, in order.
std::vector<int> RowsDrawn(const std::vector<String>& words) {
  std::vector<int> rows;
  for (const String& w : words)
    if (w.rfind("Row", 0) == 0) rows.push_back(std::stoi(w.substr(3)));
  return rows;
}

TEST(TablePrint, LongTableRepeatsItsHeadingOnEveryPage) {
  struct Case {
    const char* Name;
    Integer Heading;
    bool Repeats;
  } cases[] = {{"one heading row", 1, true}, {"no heading rows", 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TTableDoc doc;
    doc.Add("Before");
    TVLTableItemInfo* t = doc.AddTable(50);
    t->HeadingRowCount = c.Heading;
    doc.Add("After");
    const Integer pages = doc.Paginate();
    ASSERT_GE(pages, 3);
    TVLTablePrintInfo* info = doc.Info();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->RepeatHeading, c.Repeats);
    ASSERT_EQ(info->PartCount(), pages);

    // Parts follow each other without a gap and fit on their pages.
    Integer next = c.Heading;
    for (const auto& part : info->PartsList) {
      EXPECT_EQ(part->FirstRow, next);
      EXPECT_GE(part->RowCount, 1);
      EXPECT_LE(part->Height, doc.PageHeight());
      next += part->RowCount;
    }
    EXPECT_EQ(next, 50);

    const auto words = doc.DrawnWords();
    ASSERT_EQ(static_cast<Integer>(words.size()), pages);
    std::map<int, int> seen;
    for (size_t p = 0; p < words.size(); ++p) {
      const std::vector<int> rows = RowsDrawn(words[p]);
      ASSERT_FALSE(rows.empty()) << "page " << p + 1;
      // Heading first, then the page's own rows in order.
      size_t own = 0;
      if (c.Repeats) {
        EXPECT_EQ(rows[0], 0) << "page " << p + 1;
        own = 1;
      }
      const auto& part = *info->PartsList[p];
      ASSERT_EQ(rows.size() - own, static_cast<size_t>(part.RowCount)) << "page " << p + 1;
      for (size_t i = own; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i], part.FirstRow + static_cast<Integer>(i - own)) << "page " << p + 1;
        ++seen[rows[i]];
      }
    }
    // Every row once, besides the repeated heading.
    for (int r = c.Heading; r < 50; ++r) EXPECT_EQ(seen[r], 1) << "row " << r;
    EXPECT_EQ(words.front().front(), "Before");
    EXPECT_EQ(words.back().back(), "After");
  }
}

TEST(TablePrint, RowSpanGroupsStayTogether) {
  TTableDoc doc;
  TVLTableItemInfo* t = doc.AddTable(50);
  doc.Format();
  doc.Paginate();
  TVLTablePrintInfo* plain = doc.Info();
  ASSERT_NE(plain, nullptr);
  ASSERT_GE(plain->PartCount(), 2);
  // Join the last row of the first page with the first of the next.
  const Integer cut = plain->PartsList[1]->FirstRow;
  ASSERT_TRUE(t->MergeCells(cut - 1, 1, 1, 2));
  t->Changed();
  EXPECT_EQ(t->GetFirstRowOfGroup(cut), cut - 1);
  EXPECT_EQ(t->GetLastRowOfGroup(cut - 1), cut);
  EXPECT_EQ(t->GetLastRowOfGroup(0), 0);
  doc.Paginate();
  TVLTablePrintInfo* info = doc.Info();
  ASSERT_NE(info, nullptr);
  for (const auto& part : info->PartsList) {
    EXPECT_NE(part->FirstRow, cut) << "a break between joined rows";
    EXPECT_LE(part->Height, doc.PageHeight());
  }
  EXPECT_EQ(info->PartsList[1]->FirstRow, cut - 1);
  const auto words = doc.DrawnWords();
  ASSERT_GE(words.size(), 2u);
  const std::vector<int> second = RowsDrawn(words[1]);
  ASSERT_FALSE(second.empty());
  EXPECT_EQ(second.front(), cut - 1);
}

TEST(TablePrint, HeadingsRepeatOnlyWhenTheyCanAndSplitsCanBeSwitchedOff) {
  TTableDoc doc;
  TVLTableItemInfo* t = doc.AddTable(6);
  t->HeadingRowCount = 2;
  EXPECT_TRUE(t->CanRepeatHeadingRows());
  ASSERT_TRUE(t->MergeCells(1, 0, 1, 2));  // a heading cell reaching into row 2
  EXPECT_FALSE(t->CanRepeatHeadingRows());
  t->HeadingRowCount = 0;
  EXPECT_FALSE(t->CanRepeatHeadingRows());

  TTableDoc whole;
  TVLTableItemInfo* w = whole.AddTable(50);
  w->PrintOptions.Exclude(vltoRowsSplit);
  whole.Paginate();
  ASSERT_NE(whole.Info(), nullptr);
  EXPECT_EQ(whole.Info()->PartCount(), 0);
  EXPECT_FALSE(whole.Info()->InitSplit());
  // A split without parts is an internal fault, not a crash.
  EXPECT_THROW(whole.Info()->SplitAt(10), EVellumError);
}

}  // namespace
