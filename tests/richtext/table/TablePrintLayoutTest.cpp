// Tables printed from their own layout on paper: every cell laid out again
// at the printer's resolution, so that what the screen measured differently
// never pushes printed text out of its cell or off the page.
#include "richtext/table/VLTable.h"
#include "richtext/view/PrintFixture.h"
#include "richtext/view/VLTextMeasurer.h"
#include "support/PdfPages.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

using qytest::TPdfLayout;
using qytest::TPdfWord;

namespace {

// Screen metrics that are not the printer's: text measured for the screen
// comes out narrower than it prints, as hinting at a low resolution may
// make it. The screen then puts more words on a line than paper holds.
struct TNarrowScreen : TVLTextMeasurer {
  void GetExtents(TCanvas* canvas, const WideString& text, std::vector<Integer>& extents) override {
    TVLTextMeasurer::GetExtents(canvas, text, extents);
    for (Integer& e : extents) e = e * 3 / 5;
  }
};

AnsiString Utf16(const String& s) {
  AnsiString raw;
  for (char ch : s) raw += {ch, '\0'};
  return raw;
}

// Words prefix1 .. prefixN as one paragraph of the cell, which measures
// it as the screen does.
void Words(TVLTableCellData* cell, const String& prefix, Integer n, TVLTextMeasurer& screen) {
  String text;
  for (Integer k = 1; k <= n; ++k) text += (k > 1 ? " " : "") + prefix + std::to_string(k);
  cell->Clear();
  cell->AddUnicodeTextItemTag(Utf16(text), 0, 0, TVLTag());
  cell->Measurer = &screen;
}

struct TPaperDoc : qytest::TPrintDoc {
  TPaperDoc() {
    VLRegisterTableItem();
    View->VLData()->Measurer = &Narrow;
  }
  // A table as wide as the line, of two columns of half of it each.
  std::unique_ptr<TVLTableItemInfo> HalfAndHalf(Integer rows, TCustomVLData* owner) {
    auto t = TVLTableItemInfo::CreateEx(rows, 2, owner);
    t->BestWidth = -100;
    for (Integer r = 0; r < rows; ++r)
      for (Integer c = 0; c < 2; ++c) t->GetCell(r, c)->BestWidth = -50;
    return t;
  }
  // Printed: the PDF's words.
  TPdfLayout Printed() {
    Print.Print("table", 1, true);
    return qytest::PdfLayout(Pdf.OutputFileName);
  }
  // The words the preview draws on each page.
  std::vector<std::vector<String>> Previewed() {
    std::vector<std::vector<String>> pages;
    Style.OnDrawStyleText = [&](TVLStyle*, const AnsiString& s, TCanvas*, Integer, Integer, Integer, Integer,
                                Integer, Integer, TVLTextDrawStates, bool&) {
      String word;
      for (char ch : s) {
        if (ch == ' ') {
          if (!word.empty()) pages.back().push_back(word);
          word.clear();
        } else if (ch) {
          word += ch;
        }
      }
      if (!word.empty()) pages.back().push_back(word);
    };
    for (Integer p = 1; p <= Print.GetPagesCount(); ++p) {
      pages.emplace_back();
      TBitmap page(Print.GetPreview100PercentWidth(), Print.GetPreview100PercentHeight());
      Print.DrawPreview(p, page.Canvas(), TRect(0, 0, page.GetWidth(), page.GetHeight()));
    }
    Style.OnDrawStyleText = nullptr;
    return pages;
  }
  TNarrowScreen Narrow;
};

// The lines of a run of words (one per line, in the order printed).
Integer LineCount(const std::vector<TPdfWord>& words) {
  Integer lines = 0;
  for (size_t i = 0; i < words.size(); ++i)
    if (i == 0 || words[i].Page != words[i - 1].Page || words[i].YMin > words[i - 1].YMin + 1) ++lines;
  return lines;
}

// Lines of a cell's screen layout.
Integer ScreenLines(TCustomVLFormattedData& cell) {
  Integer lines = 0;
  for (Integer i = 0; i < cell.DrawItems.Count(); ++i) lines += i == 0 || cell.DrawItems[i]->StartsNewLine;
  return lines;
}

// Words prefix1 .. prefixN each printed once, in reading order (on a line
// left to right, lines top to bottom, pages in order), between left and
// right (points).
void ExpectInOrderWithin(const TPdfLayout& pdf, const String& prefix, Integer n, double left, double right) {
  SCOPED_TRACE(prefix);
  std::vector<const TPdfWord*> found;
  for (Integer k = 1; k <= n; ++k) {
    const String text = prefix + std::to_string(k);
    Integer seen = 0;
    for (const TPdfWord& w : pdf.Words)
      if (w.Text == text) {
        if (!seen) found.push_back(&w);
        ++seen;
      }
    ASSERT_EQ(seen, 1) << text;
  }
  for (size_t k = 0; k < found.size(); ++k) {
    const TPdfWord& w = *found[k];
    EXPECT_GE(w.XMin, left - 1) << w.Text;
    EXPECT_LE(w.XMax, right + 1) << w.Text;
    if (k == 0) continue;
    const TPdfWord& v = *found[k - 1];
    const bool sameLine = w.Page == v.Page && std::abs(w.YMin - v.YMin) < 1;
    const bool later = w.Page > v.Page || (w.Page == v.Page && w.YMin > v.YMin + 1);
    EXPECT_TRUE((sameLine && w.XMin > v.XMax) || later) << v.Text << " then " << w.Text;
  }
}

TEST(TablePrintLayout, CellsWrapOnPaperAsThePrinterMeasuresThem) {
  struct TCase {
    const char* Name;
    Integer Rows, WordsPerCell, Heading;
    bool Nested;
    Integer MinPages;
  };
  const TCase cases[] = {
      {"one row whose text wraps", 1, 60, 0, false, 1},
      {"a long table over pages", 40, 14, 0, false, 2},
      {"a long table with a heading row", 40, 14, 1, false, 2},
      {"a table in a cell", 1, 30, 0, true, 1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TPaperDoc doc;
    doc.Add("Before");
    auto t = doc.HalfAndHalf(c.Rows, doc.View->VLData());
    t->HeadingRowCount = c.Heading;
    for (Integer r = 0; r < c.Rows; ++r) {
      Words(t->GetCell(r, 0), "L" + std::to_string(r) + "w", c.WordsPerCell, doc.Narrow);
      Words(t->GetCell(r, 1), "R" + std::to_string(r) + "w", c.WordsPerCell, doc.Narrow);
    }
    if (c.Nested) {
      // The left cell holds a table of two halves under its words.
      TVLTableCellData* cell = t->GetCell(0, 0);
      auto inner = doc.HalfAndHalf(1, cell);
      Words(inner->GetCell(0, 0), "NLw", c.WordsPerCell, doc.Narrow);
      Words(inner->GetCell(0, 1), "NRw", c.WordsPerCell, doc.Narrow);
      cell->AddItem("", inner.release());
    }
    TVLTableItemInfo* table = t.get();
    doc.View->AddItem("", t.release());
    doc.Add("After");
    const Integer pages = doc.Paginate();
    ASSERT_GE(pages, c.MinPages);
    const TPdfLayout pdf = doc.Printed();

    // Preview and paper: the same pages with the same words.
    ASSERT_EQ(static_cast<Integer>(pdf.PageSizes.size()), pages);
    const auto previewed = doc.Previewed();
    ASSERT_EQ(static_cast<Integer>(previewed.size()), pages);
    for (Integer p = 1; p <= pages; ++p) {
      std::vector<String> printed;
      for (const TPdfWord& w : pdf.Words)
        if (w.Page == p) printed.push_back(w.Text);
      auto sorted = [](std::vector<String> v) {
        std::sort(v.begin(), v.end());
        return v;
      };
      EXPECT_EQ(sorted(previewed[static_cast<size_t>(p - 1)]), sorted(printed)) << "page " << p;
    }

    // The columns on paper: the printable width's halves.
    const double pageWidth = pdf.PageSizes.front().first;
    const double left = doc.PD().LeftMarginMM * 72 / 25.4, right = pageWidth - doc.PD().RightMarginMM * 72 / 25.4;
    const double middle = (left + right) / 2;
    // (The heading row, printed on every page, is checked below.)
    for (Integer r = c.Heading; r < c.Rows; ++r) {
      ExpectInOrderWithin(pdf, "L" + std::to_string(r) + "w", c.WordsPerCell, left, middle + 2);
      ExpectInOrderWithin(pdf, "R" + std::to_string(r) + "w", c.WordsPerCell, middle - 2, right);
    }
    if (c.Nested) {
      // The inner table's halves inside the outer cell's half.
      const double innerMiddle = (left + middle) / 2;
      ExpectInOrderWithin(pdf, "NLw", c.WordsPerCell, left, innerMiddle + 2);
      ExpectInOrderWithin(pdf, "NRw", c.WordsPerCell, innerMiddle - 2, middle + 2);
    }
    if (c.Heading > 0) {
      // The heading row starts every page the table is on.
      for (Integer p = 1; p <= pages; ++p) {
        Integer heads = 0;
        for (const TPdfWord& w : pdf.Words) heads += w.Page == p && w.Text == "R0w1";
        EXPECT_EQ(heads, p < pages || pdf.Find("L39w1")->Page == p ? 1 : 0) << "page " << p;
      }
    }
    // Rows follow each other: a row's words all end above the next row's.
    for (Integer r = 0; r + 1 < c.Rows; ++r) {
      const TPdfWord* a = pdf.Find("L" + std::to_string(r) + "w" + std::to_string(c.WordsPerCell));
      const TPdfWord* b = pdf.Find("L" + std::to_string(r + 1) + "w1");
      ASSERT_TRUE(a && b);
      EXPECT_TRUE(b->Page > a->Page || b->YMin > a->YMax) << "row " << r;
    }
    EXPECT_EQ(pdf.Find("Before")->Page, 1);
    EXPECT_EQ(pdf.Find("After")->Page, pages);

    // What the screen shows broke the lines differently.
    const std::vector<TPdfWord> probe = pdf.Starting("L" + std::to_string(c.Heading) + "w");
    EXPECT_NE(LineCount(probe), ScreenLines(*table->GetCell(c.Heading, 0))) << "the case tests nothing";
  }
}

}  // namespace
