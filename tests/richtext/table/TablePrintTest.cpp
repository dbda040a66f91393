// Tables printed over several pages: breaks between rows only, row-span
// groups kept together, heading rows repeated, every row drawn once.
#include "richtext/table/VLTable.h"
#include "richtext/table/VLTablePrint.h"
#include "platform/base/CodePages.h"
#include "platform/base/Streams.h"
#include "richtext/model/VLFMisc.h"
#include "richtext/model/VLFuncs.h"
#include "richtext/model/VLUni.h"
#include "richtext/view/PrintFixture.h"
#include "support/PdfPages.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
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

// Page p as the preview draws it at 100 %.
std::unique_ptr<TBitmap> PreviewPage(TTableDoc& doc, Integer p) {
  const Integer w = doc.Print.GetPreview100PercentWidth(), h = doc.Print.GetPreview100PercentHeight();
  auto bmp = std::make_unique<TBitmap>(w, h);
  doc.Print.DrawPreview(p, bmp->Canvas(), TRect(0, 0, w, h));
  bmp->Canvas()->ReleaseHandle();
  return bmp;
}

QRgb Pixel(TBitmap& bmp, Integer x, Integer y) {
  const QImage* image = bmp.Canvas()->ImageDevice();
  bmp.Canvas()->ReleaseHandle();
  return image->pixel(x, y);
}

bool Coloured(QRgb c) { return std::max({qRed(c), qGreen(c), qBlue(c)}) - std::min({qRed(c), qGreen(c), qBlue(c)}) > 24; }

// The lowest line of a page (preview pixels) holding a blue rule at least
// 100 pixels long, or -1.
Integer LowestBlueLine(TBitmap& page) {
  for (Integer y = page.GetHeight() - 1; y >= 0; --y) {
    Integer blue = 0;
    for (Integer x = 0; x < page.GetWidth(); ++x) {
      const QRgb c = Pixel(page, x, y);
      if (qBlue(c) > 150 && qRed(c) < 100 && qGreen(c) < 100) ++blue;
    }
    if (blue >= 100) return y;
  }
  return -1;
}

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

// A printed part saved on its own reads back as a table of the heading
// rows and then that part's rows, each row keeping its alignment.
TEST(TablePrint, APrintedPartSavesWithItsHeadingRows) {
  struct Case {
    const char* Name;
    Integer Heading;
    size_t Part;
  } cases[] = {{"second part, one heading row", 1, 1},
               {"last part, two heading rows", 2, 99},
               {"first part", 1, 0},
               {"no heading rows", 0, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TTableDoc doc;
    TVLTableItemInfo* t = doc.AddTable(50);
    t->HeadingRowCount = c.Heading;
    for (Integer r = 0; r < 50; ++r) t->Rows.GetRow(r)->VAlign = static_cast<TVLCellVAlign>(r % 3);
    doc.Paginate();
    TVLTablePrintInfo* info = doc.Info();
    ASSERT_NE(info, nullptr);
    ASSERT_GE(info->PartsList.size(), 3u);
    const TVLTablePrintPart& part = *info->PartsList[std::min(c.Part, info->PartsList.size() - 1)];
    // Parts start after the heading rows, the first part too.
    const Integer heading = c.Heading, first = part.FirstRow, count = part.RowCount;
    EXPECT_GE(first, heading);

    TMemoryStream out;
    // The record after the version line a VLF document starts with.
    VLFWriteLine(out, "-8 1 3");
    t->SaveVLFPart(out, doc.View->VLData(), 0, "", part);
    TVLDocumentData back(&doc.Style);
    TStringStream in(out.Bytes());
    TColor color = clNone;
    ASSERT_TRUE(back.LoadVLFFromStream(in, color, nullptr, nullptr, nullptr));
    ASSERT_EQ(back.GetItemCount(), 1);
    auto* b = dynamic_cast<TVLTableItemInfo*>(back.GetItem(0));
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(b->RowCount(), heading + count);
    for (Integer r = 0; r < b->RowCount(); ++r) {
      const Integer from = r < heading ? r : first + r - heading;
      String text;
      TVLTableCellData* cell = b->GetCell(r, 0);
      for (Integer i = 0; i < cell->GetItemCount(); ++i)
        for (char ch : cell->GetItemTextA(i))
          if (ch) text += ch;
      EXPECT_EQ(text, "Row" + std::to_string(from)) << "row " << r;
      EXPECT_EQ(b->Rows.GetRow(r)->VAlign, from % 3) << "row " << r;
    }
    // A save of the whole document writes every row again.
    TMemoryStream whole;
    VLFWriteLine(whole, "-8 1 3");
    t->SaveVLF(whole, doc.View->VLData(), 0, 0, "", false, false);
    TVLDocumentData all(&doc.Style);
    TStringStream allIn(whole.Bytes());
    ASSERT_TRUE(all.LoadVLFFromStream(allIn, color, nullptr, nullptr, nullptr));
    ASSERT_EQ(all.GetItemCount(), 1);
    EXPECT_EQ(dynamic_cast<TVLTableItemInfo*>(all.GetItem(0))->RowCount(), 50);
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

TEST(TablePrint, ColourModesReachCellsBordersAndText) {
  struct Case {
    TVLColorMode Mode;
    bool Colour;
  };
  for (const Case& c : {Case{vlcmColor, true}, Case{vlcmPrinterColor, true}, Case{vlcmGrayScale, false},
                        Case{vlcmBlackAndWhite, false}, Case{vlcmBlackOnWhite, false}}) {
    SCOPED_TRACE(c.Mode);
    TTableDoc doc;
    doc.Style.TextStyles->Items(0)->Color = 0x0000C0;
    doc.Style.TextStyles->Items(0)->Size = 20;
    TVLTableItemInfo* t = doc.AddTable(4);
    t->BorderWidth = 3;
    t->BorderColor = 0x00A000;
    t->CellBorderWidth = 2;
    t->CellBorderColor = 0xC00000;
    t->Color = 0x80FFFF;
    t->GetCell(0, 0)->Color = 0x0000FF;
    t->GetCell(1, 1)->Color = 0xFF8000;
    doc.PD().ColorMode = c.Mode;
    ASSERT_EQ(doc.Paginate(), 1);
    auto page = PreviewPage(doc, 1);
    int coloured = 0, dark = 0;
    for (Integer y = 0; y < page->GetHeight(); ++y)
      for (Integer x = 0; x < page->GetWidth(); ++x) {
        const QRgb p = Pixel(*page, x, y);
        if (Coloured(p)) ++coloured;
        if (std::max({qRed(p), qGreen(p), qBlue(p)}) < 0x60) ++dark;
      }
    EXPECT_EQ(coloured > 0, c.Colour) << coloured << " coloured pixels";
    // The cells' text and borders are there, whatever the mode.
    EXPECT_GT(dark + (c.Colour ? coloured : 0), 100);
  }
}

TEST(TablePrint, RowsThatCannotSplitAndOutgrowAPageAreShrunkToIt) {
  // A blue outer border: its bottom line shows the table's foot reached the
  // page.
  struct Case {
    const char* Name;
    Integer Rows, LinesPerCell;
    bool Split;
  } cases[] = {{"one row taller than a page", 2, 40, true}, {"a long table that may not split", 60, 1, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TTableDoc doc;
    TVLTableItemInfo* t = doc.AddTable(c.Rows);
    t->BorderWidth = 4;
    t->BorderColor = 0xFF0000;
    t->BorderStyle = vltbColor;
    t->CellBorderWidth = 0;
    if (!c.Split) t->PrintOptions.Exclude(vltoRowsSplit);
    TVLTableCellData* cell = t->GetCell(c.Rows - 1, 0);
    for (Integer i = 1; i < c.LinesPerCell; ++i) {
      AnsiString raw;
      for (char ch : "Line" + std::to_string(i)) raw += {ch, '\0'};
      cell->AddUnicodeTextItemTag(raw, 0, 0, TVLTag());
    }
    doc.Add("After");
    const Integer pages = doc.Paginate();
    ASSERT_GE(pages, 1);
    // The table's last page: the one before "After"'s, or that one.
    bool footSeen = false;
    for (Integer p = 1; p <= pages; ++p) {
      auto page = PreviewPage(doc, p);
      const Integer foot = LowestBlueLine(*page);
      const Integer contentBottom = MulDiv(doc.PD().GetPageContentBottom(p), doc.Print.GetPreview100PercentHeight(),
                                           doc.PD().SheetRect().Height());
      if (foot < 0) continue;
      EXPECT_LE(foot, contentBottom + 1) << "page " << p;
      footSeen = true;
    }
    EXPECT_TRUE(footSeen) << "the table's foot was cut off";
    // Every line of the tall cell was drawn.
    int lines = 0;
    for (const auto& words : doc.DrawnWords())
      for (const String& w : words) lines += w.rfind("Line", 0) == 0;
    EXPECT_EQ(lines, c.LinesPerCell - 1);
  }
}


// The middle value of a non-empty list.
double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Glyph height over line pitch of words printed one per line: a property of
// the font alone, whatever the scale the words were printed at.
double HeightToPitch(const std::vector<qytest::TPdfWord>& lines) {
  std::vector<double> heights, pitches;
  for (size_t k = 0; k < lines.size(); ++k) {
    heights.push_back(lines[k].Height());
    if (k > 0 && lines[k].Page == lines[k - 1].Page) pitches.push_back(lines[k].YMin - lines[k - 1].YMin);
  }
  return heights.empty() || pitches.empty() ? 0 : Median(heights) / Median(pitches);
}

// A row taller than a page goes on over the next pages at its own size
// when its table may split; one that may not is shrunk to the page, its
// letters by the same factor as its lines.
TEST(TablePrint, ARowTallerThanAPageGoesOnOrShrinksItsTextOnce) {
  for (const bool split : {true, false})
    for (const Integer lines : {120, 400}) {
      SCOPED_TRACE(std::string(split ? "split, " : "not split, ") + std::to_string(lines));
      TTableDoc doc;
      for (Integer i = 1; i <= 6; ++i) doc.Add("Ref" + std::to_string(i));
      TVLTableItemInfo* t = doc.AddTable(1);
      if (!split) t->PrintOptions.Exclude(vltoRowsSplit);
      TVLTableCellData* cell = t->GetCell(0, 0);
      for (Integer i = 1; i < lines; ++i) {
        AnsiString raw;
        for (char ch : "Line" + std::to_string(i)) raw += {ch, '\0'};
        cell->AddUnicodeTextItemTag(raw, 0, 0, TVLTag());
      }
      ASSERT_GE(doc.Paginate(), 1);
      doc.Print.Print("shrink", 1, true);
      const qytest::TPdfLayout pdf = qytest::PdfLayout(doc.Pdf.OutputFileName);
      const std::vector<qytest::TPdfWord> refs = pdf.Starting("Ref"), cellLines = pdf.Starting("Line");
      ASSERT_EQ(refs.size(), 6u);
      ASSERT_EQ(cellLines.size(), static_cast<size_t>(lines - 1));
      const double refPitch = (refs.back().YMin - refs.front().YMin) / 5;
      if (split) {
        // Every line once, in order, inside its page, at the document's pitch.
        for (size_t k = 0; k < cellLines.size(); ++k) {
          const qytest::TPdfWord& w = cellLines[k];
          EXPECT_EQ(w.Text, "Line" + std::to_string(k + 1));
          EXPECT_LE(w.YMax, pdf.PageSizes[static_cast<size_t>(w.Page - 1)].second);
          if (k == 0) continue;
          EXPECT_GE(w.Page, cellLines[k - 1].Page);
          if (w.Page == cellLines[k - 1].Page) {
            EXPECT_NEAR(w.YMin - cellLines[k - 1].YMin, refPitch, 1.5);
          }
        }
        EXPECT_GT(cellLines.back().Page, cellLines.front().Page);
        continue;
      }
      // Every line of the row on one page, inside it.
      for (const qytest::TPdfWord& w : cellLines) {
        EXPECT_EQ(w.Page, cellLines.front().Page);
        EXPECT_LE(w.YMax, pdf.PageSizes[static_cast<size_t>(w.Page - 1)].second);
      }
      // The row was shrunk: its lines are closer than the document's...
      const double pitch = (cellLines.back().YMin - cellLines.front().YMin) / static_cast<double>(lines - 2);
      EXPECT_LT(pitch, refPitch * 0.8);
      // ...and its letters by the same factor, not by its square.
      const double ref = HeightToPitch(refs), shrunk = HeightToPitch(cellLines);
      ASSERT_GT(ref, 0);
      EXPECT_NEAR(shrunk / ref, 1.0, 0.2) << "glyph " << Median([&] {
        std::vector<double> h;
        for (const auto& w : cellLines) h.push_back(w.Height());
        return h;
      }()) << " pitch " << pitch;
    }
}

// A table wider than the line is fitted to it: its columns take their share
// of the line, and the cells' text, laid out again at those widths, keeps
// its size.
TEST(TablePrint, ATableWiderThanThePaperIsFittedNotCut) {
  struct TCase {
    const char* Name;
    std::function<void(TVLTableItemInfo*)> Size;
  };
  const std::vector<TCase> cases = {
      {"automatic width", [](TVLTableItemInfo*) {}},
      {"3000 pixels wide", [](TVLTableItemInfo* t) { t->BestWidth = 3000; }},
      {"fixed columns of 900 pixels",
       [](TVLTableItemInfo* t) {
         for (Integer r = 0; r < t->RowCount(); ++r)
           for (Integer c = 0; c < t->ColCount(); ++c) t->GetCell(r, c)->BestWidth = 900;
       }},
  };
  double glyph = 0;  // a cell word's height in the table that fits
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Name);
    TTableDoc doc;
    doc.Add("Before");
    auto t = TVLTableItemInfo::CreateEx(2, 4, doc.View->VLData());
    for (Integer r = 0; r < 2; ++r)
      for (Integer c = 0; c < 4; ++c) {
        TVLTableCellData* cell = t->GetCell(r, c);
        cell->Clear();
        AnsiString raw;
        for (char ch : "Cell" + std::to_string(r) + std::to_string(c)) raw += {ch, '\0'};
        cell->AddUnicodeTextItemTag(raw, 0, 0, TVLTag());
      }
    k.Size(t.get());
    doc.View->AddItem("", t.release());
    doc.Add("After");
    ASSERT_GE(doc.Paginate(), 1);
    doc.Print.Print("wide", 1, true);
    const qytest::TPdfLayout pdf = qytest::PdfLayout(doc.Pdf.OutputFileName);
    const double pageWidth = pdf.PageSizes.at(0).first;
    const double left = doc.PD().LeftMarginMM * 72 / 25.4, right = pageWidth - doc.PD().RightMarginMM * 72 / 25.4;
    const double column = (right - left) / 4;
    for (Integer r = 0; r < 2; ++r)
      for (Integer c = 0; c < 4; ++c) {
        const qytest::TPdfWord* w = pdf.Find("Cell" + std::to_string(r) + std::to_string(c));
        ASSERT_NE(w, nullptr) << r << c;
        // In its column's share of the line.
        EXPECT_GE(w->XMin, left + c * column - 5) << w->Text;
        EXPECT_LE(w->XMax, left + (c + 1) * column + 5) << w->Text;
        if (glyph == 0) glyph = w->Height();
        EXPECT_NEAR(w->Height(), glyph, glyph * 0.05) << w->Text;
      }
  }
}


// A word wider than the table on paper stops at its cell's edge: the empty
// cells beside it stay blank.
TEST(TablePrint, AWordWiderThanItsColumnIsClippedAtTheCellEdge) {
  TTableDoc doc;
  auto t = TVLTableItemInfo::CreateEx(1, 4, doc.View->VLData());
  const std::string texts[] = {"Überlanges" + std::string(200, 'W') + "wort", "", "", "End"};
  for (Integer c = 0; c < 4; ++c) {
    TVLTableCellData* cell = t->GetCell(0, c);
    cell->Clear();
    cell->AddUnicodeTextItemTag(WideStringToRawUnicode(Utf8ToWide(texts[c].c_str())), 0, 0, TVLTag());
    cell->BestWidth = 900;
  }
  doc.View->AddItem("", t.release());
  ASSERT_GE(doc.Paginate(), 1);
  doc.Print.Print("clipped", 1, true);
  const qytest::TPdfLayout pdf = qytest::PdfLayout(doc.Pdf.OutputFileName);
  const qytest::TPdfWord* end = pdf.Find("End");
  ASSERT_NE(end, nullptr);
  const double left = doc.PD().LeftMarginMM * 72 / 25.4;
  // The empty cells on paper, in points.
  const TVLTablePrintInfo* info = doc.Info();
  ASSERT_NE(info, nullptr);
  const auto x = [&](Integer v) { return left + v * 72.0 / info->Sad.ppixDevice; };
  const double from = x(info->CellAt(0, 1).Rect.Left), to = x(info->CellAt(0, 2).Rect.Right);
  ASSERT_GT(to - from, 20);
  // At 72 dpi a pixel is a point.
  const QImage page = qytest::PdfPageImage(doc.Pdf.OutputFileName, 1, 72);
  ASSERT_FALSE(page.isNull());
  int ink = 0;
  for (int y = static_cast<int>(end->YMin); y <= static_cast<int>(end->YMax); ++y)
    for (int px = static_cast<int>(from + 4); px < static_cast<int>(to - 4); ++px)
      ink += qGray(page.pixel(px, y)) < 128;
  EXPECT_EQ(ink, 0);
  // The word itself is printed up to the edge.
  int own = 0;
  for (int y = static_cast<int>(end->YMin); y <= static_cast<int>(end->YMax); ++y)
    for (int px = static_cast<int>(left); px < static_cast<int>(from); ++px) own += qGray(page.pixel(px, y)) < 128;
  EXPECT_GT(own, 20);
}

// The preview at any size, the whole page at once included, draws both
// sides of the table's outer border.
TEST(TablePrint, ThePreviewDrawsBothSidesOfTheOuterBorder) {
  for (Integer bestWidth : {-100, 0}) {
    TTableDoc doc;
    TVLTableItemInfo* t = doc.AddTable(6);
    t->BestWidth = bestWidth;
    t->BorderWidth = 1;
    t->BorderStyle = vltbColor;
    t->BorderColor = clBlack;
    t->CellBorderWidth = 0;
    ASSERT_GE(doc.Paginate(), 1);
    const Integer W = doc.Print.GetPreview100PercentWidth(), H = doc.Print.GetPreview100PercentHeight();
    for (Integer width : {W, W * 3 / 4, W / 2, W * 2 / 5, W / 3}) {
      SCOPED_TRACE(std::to_string(bestWidth) + " at " + std::to_string(width));
      const Integer height = MulDiv(H, width, W);
      TBitmap bmp(width, height);
      doc.Print.DrawPreview(1, bmp.Canvas(), TRect(0, 0, width, height));
      const QImage page = bmp.Canvas()->ImageDevice()->copy();
      bmp.Canvas()->ReleaseHandle();
      // Columns of ink taller than anything but a vertical border line.
      std::vector<int> dark(static_cast<size_t>(width), 0);
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) dark[static_cast<size_t>(x)] += qGray(page.pixel(x, y)) < 160;
      const int tallest = *std::max_element(dark.begin(), dark.end());
      ASSERT_GT(tallest, 10);
      int first = -1, last = -1;
      for (int x = 0; x < width; ++x)
        if (dark[static_cast<size_t>(x)] >= tallest * 3 / 4) {
          if (first < 0) first = x;
          last = x;
        }
      EXPECT_GT(last - first, width / 10) << "one side only, at x " << first;
    }
  }
}

TEST(TablePrint, AFittedTableSplitsOverPagesWithEveryRowOnce) {
  TTableDoc doc;
  TVLTableItemInfo* t = doc.AddTable(200);
  t->BestWidth = 2000;
  doc.Add("After");
  ASSERT_GE(doc.Paginate(), 2);
  doc.Print.Print("long and wide", 1, true);
  const qytest::TPdfLayout pdf = qytest::PdfLayout(doc.Pdf.OutputFileName);
  const double right = pdf.PageSizes.at(0).first - doc.PD().RightMarginMM * 72 / 25.4;
  const std::vector<qytest::TPdfWord> rows = pdf.Starting("Row"), cols = pdf.Starting("Col");
  ASSERT_EQ(rows.size(), 200u);
  ASSERT_EQ(cols.size(), 200u);
  std::set<int> pages;
  for (size_t r = 0; r < rows.size(); ++r) {
    EXPECT_EQ(rows[r].Text, "Row" + std::to_string(r));
    EXPECT_LE(cols[r].XMax, right + 1) << cols[r].Text;
    pages.insert(rows[r].Page);
  }
  EXPECT_GE(pages.size(), 2u);
}

// A one-row table of cols cells "<prefix>1".."<prefix>n" with the borders a
// new table gets in the editor.
std::unique_ptr<TVLTableItemInfo> BorderedTable(Integer cols, TCustomVLData* into, const std::string& prefix) {
  auto t = TVLTableItemInfo::CreateEx(1, cols, into);
  t->BorderWidth = t->CellBorderWidth = 1;
  t->BorderStyle = t->CellBorderStyle = vltbColor;
  t->BorderHSpacing = t->BorderVSpacing = t->CellHSpacing = t->CellVSpacing = 2;
  for (Integer c = 0; c < cols; ++c) {
    TVLTableCellData* cell = t->GetCell(0, c);
    cell->Clear();
    cell->AddUnicodeTextItemTag(WideStringToRawUnicode(Utf8ToWide(prefix + std::to_string(c + 1))), 0, 0, TVLTag());
  }
  t->ParaNo = 0;
  return t;
}

// Text printed after tables, in their cells and after them, is the ink of
// its letters: what a table's borders and fills set on the canvas does not
// fill the background of the text that follows (a table that ends where
// another begins included).
TEST(TablePrint, TextAfterTablesPrintsAsLettersNotBars) {
  enum TKind { Merged, Nested, Filled };
  struct TCase {
    const char* Name;
    std::vector<TKind> Tables;
  };
  for (const TCase& c : {TCase{"merged", {Merged}}, TCase{"nested three deep", {Nested}}, TCase{"filled", {Filled}},
                         TCase{"merged, then filled", {Merged, Filled}},
                         TCase{"nested, then merged", {Nested, Merged}}}) {
    SCOPED_TRACE(c.Name);
    TTableDoc doc;
    doc.PD().TopMarginMM = doc.PD().BottomMarginMM = 20;
    doc.Add("Opening line");
    int n = 0;
    for (TKind kind : c.Tables) {
      auto t = BorderedTable(3, doc.View->VLData(), "Cell" + std::to_string(++n) + "x");
      switch (kind) {
        case Merged: t->MergeCells(0, 0, 2, 1); break;
        case Nested:
          // Tables three deep, one after another in a cell, with words
          // after them, as a converted document may bring them.
          for (Integer col : {1, 2}) {
            TVLTableCellData* cell = t->GetCell(0, col);
            for (const char* prefix : {"Mid", "Next"}) {
              auto middle = BorderedTable(2, cell, prefix);
              TVLTableCellData* holder = middle->GetCell(0, 0);
              holder->AddItem("", BorderedTable(2, holder, "Deep").release());
              holder->AddItem("", BorderedTable(1, holder, "Deeper").release());
              holder->AddUnicodeTextItemTag(WideStringToRawUnicode(u"Under deep"), 0, 0, TVLTag());
              cell->AddItem("", middle.release());
            }
            cell->AddUnicodeTextItemTag(WideStringToRawUnicode(u"Under middle"), 0, 0, TVLTag());
          }
          break;
        case Filled:
          t->Color = static_cast<TColor>(0xE0F0F0);
          t->GetCell(0, 1)->Color = static_cast<TColor>(0xC0F0C0);
          break;
      }
      doc.View->AddItem("", t.release());
    }
    doc.Add("Closing words after the tables");
    doc.Add("Second closing line");
    ASSERT_GE(doc.Paginate(), 1);
    doc.Print.Print("ink", 1, true);
    const std::string text = qytest::PdfText(doc.Pdf.OutputFileName);
    for (const char* s : {"Cell1x3", "Closing words", "Second closing line"})
      EXPECT_NE(text.find(s), std::string::npos) << s;
    EXPECT_EQ(qytest::WordsPrintedAsBars(doc.Pdf.OutputFileName), std::vector<std::string>());
  }
}

}  // namespace
