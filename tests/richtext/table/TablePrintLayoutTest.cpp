// Tables printed from their own layout on paper: every cell laid out again
// at the printer's resolution, so that what the screen measured differently
// never pushes printed text out of its cell or off the page.
#include "platform/base/CodePages.h"
#include "tests/richtext/view/LayoutTestSupport.h"
#include "richtext/model/VLUni.h"
#include "richtext/table/VLTable.h"
#include "richtext/table/VLTablePrint.h"
#include "richtext/view/PrintFixture.h"
#include "richtext/view/VLReport.h"
#include "richtext/view/VLTextMeasurer.h"
#include "support/PdfPages.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <vector>

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

// Words prefix1 .. prefixN as one paragraph of the cell, which measures
// it as the screen does.
void Words(TVLTableCellData* cell, const String& prefix, Integer n, TVLTextMeasurer& screen) {
  String text;
  for (Integer k = 1; k <= n; ++k) text += (k > 1 ? " " : "") + prefix + std::to_string(k);
  cell->Clear();
  cell->AddUnicodeTextItemTag(WideStringToRawUnicode(Utf8ToWide(text)), 0, 0, TVLTag());
  cell->Measurer = &screen;
}

// The words of a drawn text (UTF-16 of ASCII) added to words.
void AddWords(const AnsiString& text, std::vector<String>& words) {
  String word;
  for (char ch : text) {
    if (ch == ' ') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else if (ch) {
      word += ch;
    }
  }
  if (!word.empty()) words.push_back(word);
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
  // A copy of the first text style at size points; its number.
  Integer StyleAt(int size) {
    Style.TextStyles->Add()->Assign(Style.TextStyles->Items(0));
    const Integer style = Style.TextStyles->Count() - 1;
    Style.TextStyles->Items(style)->Size = size;
    return style;
  }
  // The cell holds s alone, in style.
  static void SetWords(TVLTableCellData* cell, const char* s, Integer style) {
    cell->Clear();
    cell->AddUnicodeTextItemTag(WideStringToRawUnicode(Utf8ToWide(s)), style, 0, TVLTag());
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
                                Integer, Integer, TVLTextDrawStates, bool&) { AddWords(s, pages.back()); };
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
    Integer Spacing;  // between rows
  };
  const TCase cases[] = {
      {"one row whose text wraps", 1, 60, 0, false, 1, 2},
      {"a long table over pages", 40, 14, 0, false, 2, 2},
      {"a long table with a heading row", 40, 14, 1, false, 2, 2},
      {"rows without spacing", 40, 14, 0, false, 2, 0},
      {"a table in a cell", 1, 30, 0, true, 1, 2},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TPaperDoc doc;
    doc.Add("Before");
    auto t = doc.HalfAndHalf(c.Rows, doc.View->VLData());
    t->HeadingRowCount = c.Heading;
    t->CellVSpacing = c.Spacing;
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

constexpr TColor Green = 0x00FF00, Blue = 0xFF0000, Magenta = 0xFF00FF, Yellow = 0x00FFFF, Red = 0x0000FF;

TColor PixelAt(TBitmap& bmp, Integer x, Integer y) {
  const QImage* image = bmp.Canvas()->ImageDevice();
  bmp.Canvas()->ReleaseHandle();
  const QRgb c = image->pixel(x, y);
  return static_cast<TColor>(qRed(c) | (qGreen(c) << 8) | (qBlue(c) << 16));
}

// A picture printed through a bitmap in a cell shows, around its opaque
// middle, what lies under it: the cell's colour or picture, else the
// table's colour or picture; a table that prints white is white under it
// and around it.
TEST(TablePrintLayout, APictureInACellShowsTheCellAndTheTableUnderIt) {
  struct TCase {
    const char* Name;
    TColor CellColor, TableColor;
    TColor CellPicture, TablePicture;  // clNone: none
    bool White;
    TColor Expected;
  } cases[] = {
      {"a table's colour", clNone, Green, clNone, clNone, false, Green},
      {"a cell's colour", Yellow, Green, clNone, clNone, false, Yellow},
      {"a table's picture", clNone, clNone, clNone, Red, false, Red},
      {"a cell's picture over the table's", clNone, Green, Yellow, Red, false, Yellow},
      {"a table printed white", clNone, Green, clNone, clNone, true, 0xFFFFFF},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    qytest::TPrintDoc doc;
    VLRegisterTableItem();
    doc.Style.Color = clWhite;
    auto t = TVLTableItemInfo::CreateEx(1, 2, doc.View->VLData());
    t->Color = c.TableColor;
    t->CellPadding = 20;
    if (c.White) t->PrintOptions.Include(vltoWhiteBackground);
    if (c.TablePicture != clNone) {
      t->SetBackgroundImage(qytest::PlainBitmap(c.TablePicture));
      t->BackgroundStyle = vlbsStretched;
    }
    TVLTableCellData* cell = t->GetCell(0, 0);
    cell->Color = c.CellColor;
    if (c.CellPicture != clNone) {
      cell->SetBackgroundImage(qytest::PlainBitmap(c.CellPicture));
      cell->SetBackgroundStyle(vlbsTiled);
    }
    // A picture of magenta (its transparent colour) with a blue middle.
    cell->Clear();
    auto* p = new TVLGraphicItemInfo(cell);
    p->StyleNo = vlsPicture;
    p->ParaNo = 0;
    p->ImageWidth = 80;
    p->ImageHeight = 60;
    auto image = std::make_unique<TBitmap>(80, 60);
    image->Canvas()->Brush.Color = Magenta;
    image->Canvas()->FillRect(TRect(0, 0, 80, 60));
    image->Canvas()->Brush.Color = Blue;
    image->Canvas()->FillRect(TRect(20, 15, 60, 45));
    image->Canvas()->ReleaseHandle();
    image->SetTransparentColor(Magenta);
    image->SetTransparent(true);
    p->Image = std::move(image);
    cell->AddItem("", p);
    doc.View->AddItem("", t.release());
    ASSERT_EQ(doc.Paginate(), 1);

    TBitmap page(doc.Print.GetPreview100PercentWidth(), doc.Print.GetPreview100PercentHeight());
    doc.Print.DrawPreview(1, page.Canvas(), TRect(0, 0, page.GetWidth(), page.GetHeight()));
    // The blue middle, then a point of the picture's transparent rim.
    Integer left = -1, top = -1;
    for (Integer y = 0; y < page.GetHeight() && top < 0; ++y)
      for (Integer x = 0; x < page.GetWidth(); ++x)
        if (PixelAt(page, x, y) == Blue) {
          left = x, top = y;
          break;
        }
    ASSERT_GE(left, 0) << "the picture was not printed";
    EXPECT_EQ(PixelAt(page, left - 12, top - 8), c.Expected);
    EXPECT_EQ(PixelAt(page, left + 10, top + 10), Blue);
    // The cell's padding, left of the picture.
    if (c.CellPicture == clNone && c.TablePicture == clNone) {
      EXPECT_EQ(PixelAt(page, left - 20 - 10, top), c.Expected);
    }
  }
}

// A grid position has a printed document of its own unless another cell
// covers it or it is a single cell with nothing in it; each is laid out
// at its cell's content width on paper.
TEST(TablePrintLayout, CellsWithContentGetAPrintedDocumentAtTheirWidthOnPaper) {
  TPaperDoc doc;
  auto t = doc.HalfAndHalf(3, doc.View->VLData());
  Words(t->GetCell(0, 0), "Aw", 3, doc.Narrow);
  Words(t->GetCell(0, 1), "Bw", 3, doc.Narrow);
  t->GetCell(1, 0)->ResetContent();
  Words(t->GetCell(1, 1), "Cw", 3, doc.Narrow);
  t->GetCell(2, 0)->Clear();
  ASSERT_TRUE(t->MergeCells(1, 1, 1, 2));
  TVLTableItemInfo* table = t.get();
  doc.View->AddItem("", t.release());
  ASSERT_EQ(doc.Paginate(), 1);
  TVLTablePrintInfo* info = nullptr;
  for (Integer i = 0; i < doc.PD().DrawItems.Count() && !info; ++i)
    info = dynamic_cast<TVLTablePrintInfo*>(doc.PD().DrawItems[i]);
  ASSERT_NE(info, nullptr);
  ASSERT_TRUE(info->LaidOut);
  struct TPlace {
    Integer Row, Col;
    bool HasData;
  } places[] = {{0, 0, true}, {0, 1, true}, {1, 0, false}, {1, 1, true}, {2, 0, false}, {2, 1, false}};
  for (const TPlace& k : places) {
    SCOPED_TRACE(std::to_string(k.Row) + "," + std::to_string(k.Col));
    const TVLTablePrintInfo::TCell& cell = info->CellAt(k.Row, k.Col);
    ASSERT_EQ(cell.Data != nullptr, k.HasData);
    if (!cell.Data) continue;
    EXPECT_EQ(cell.Data->Cell, table->GetCell(k.Row, k.Col));
    EXPECT_EQ(cell.Data->Width, cell.Rect.Width() - 2 * info->PadX);
    EXPECT_GT(cell.Data->DrawItems.Count(), 0);
  }
  // The merged cell reaches down over both its rows.
  EXPECT_EQ(info->CellAt(1, 1).Rect.Bottom, info->RowBottom(2) - info->LenY(table->CellBorderWidth));
}

// A report laid out on a canvas of the screen's resolution cuts a long
// table between rows too, each row once.
TEST(TablePrintLayout, AReportAtTheScreensResolutionSplitsATable) {
  VLRegisterTableItem();
  TVLStyle style(nullptr);
  for (Integer i = 0; i < style.TextStyles->Count(); ++i) {
    style.TextStyles->Items(i)->FontName = "Arial";
    style.TextStyles->Items(i)->Unicode = true;
  }
  TVLReportHelper report;
  report.Vellum()->SetStyle(&style);
  auto t = TVLTableItemInfo::CreateEx(40, 2, report.Vellum()->VLData());
  TVLTextMeasurer screen;
  for (Integer r = 0; r < 40; ++r) {
    Words(t->GetCell(r, 0), "L" + std::to_string(r) + "w", 3, screen);
    Words(t->GetCell(r, 1), "R" + std::to_string(r) + "w", 3, screen);
  }
  report.Vellum()->AddItem("", t.release());
  report.Vellum()->Format();
  TBitmap bmp(400, 300);
  ASSERT_EQ(bmp.Canvas()->GetPixelsPerInch(), 96);
  report.Init(bmp.Canvas(), 400);
  while (report.FormatNextPage(300)) {
  }
  ASSERT_GE(report.PagesCount(), 3);
  std::vector<std::vector<String>> pages;
  style.OnDrawStyleText = [&](TVLStyle*, const AnsiString& s, TCanvas*, Integer, Integer, Integer, Integer, Integer,
                              Integer, TVLTextDrawStates, bool&) { AddWords(s, pages.back()); };
  for (Integer p = 1; p <= report.PagesCount(); ++p) {
    pages.emplace_back();
    report.DrawPage(p, bmp.Canvas(), 0, 0);
  }
  style.OnDrawStyleText = nullptr;
  // Each row once, in order, and every page holds some of them.
  Integer next = 0;
  for (const auto& words : pages) {
    Integer rows = 0;
    for (const String& w : words)
      if (w[0] == 'L' && w.size() > 2 && w.substr(w.size() - 2) == "w1") {
        EXPECT_EQ(w, "L" + std::to_string(next) + "w1");
        ++next;
        ++rows;
      }
    EXPECT_GT(rows, 0);
  }
  EXPECT_EQ(next, 40);
}

}  // namespace

// A column narrowed for the page keeps its lines inside its cell, also when
// a word is wider than the cell there: the cell's lines are laid out at its
// printed width, not at its widest word's, so no line runs under the border
// and past the cell that clips it. A column narrowed below a letter, a list
// marker or a table nested in it is widened to hold them, and below its
// widest word to keep it whole where the other columns have room, its width
// taken from them; the table stays on the page.
TEST(TablePrintLayout, ANarrowedColumnWrapsItsLinesInsideItsCell) {
  struct TCase {
    const char* Name;
    std::function<void(TPaperDoc&)> Build;  // the tables after "Before"
    std::vector<String> Words;              // printed whole, as often as listed
    std::vector<String> Broken;             // printed broken
    bool Beside = true;                     // Lw1 .. Lw3 in the left column
    // Words of neighbouring columns printed with a gap between them.
    std::vector<std::pair<String, String>> Apart = {};
  };
  const auto text = [](TVLTableCellData* cell, const char* s, Integer paraNo = 0) {
    cell->AddUnicodeTextItemTag(WideStringToRawUnicode(Utf8ToWide(s)), 0, paraNo, TVLTag());
  };
  const auto numbered = [&](TVLTableCellData* cell, TPaperDoc& doc, const char* s, Integer n) {
    TVLListLevel* level = doc.Style.ListStyles->Add()->Levels->Add();
    level->ListType = vllstDecimal;
    level->FormatString = "%0:s.";
    const Integer list = doc.Style.ListStyles->Count() - 1;
    for (Integer k = 1; k <= n; ++k) {
      text(cell, s);
      cell->SetListMarker(cell->GetItemCount() - 1, list, 0, 1, 0, false);
    }
  };
  // A table of these columns' widths on the screen (wider than the line),
  // its cells measured as the screen does.
  const auto table = [&](TPaperDoc& doc, std::vector<Integer> widths, Integer rows = 1) {
    auto t = TVLTableItemInfo::CreateEx(rows, static_cast<Integer>(widths.size()), doc.View->VLData());
    // Room between the columns' words, which the PDF's text would join.
    t->CellPadding = 8;
    for (Integer r = 0; r < rows; ++r)
      for (size_t c = 0; c < widths.size(); ++c) {
        TVLTableCellData* cell = t->GetCell(r, static_cast<Integer>(c));
        cell->BestWidth = widths[c];
        cell->Clear();
        cell->Measurer = &doc.Narrow;
      }
    return t;
  };
  // Lw1 .. Lw3 in a wide left column, what fill puts in a right one width
  // wide on the screen: fitted, the right column a sliver on paper.
  const auto beside = [&](Integer width, std::function<void(TVLTableCellData*, TPaperDoc&)> fill) {
    return [=](TPaperDoc& doc) {
      auto t = table(doc, {1800, width});
      Words(t->GetCell(0, 0), "Lw", 3, doc.Narrow);
      fill(t->GetCell(0, 1), doc);
      doc.View->AddItem("", t.release());
    };
  };
  // Twelve numbered lines of "wm" words beside a sentence and three words,
  // the numbered column dragged narrow: on paper narrower than its words.
  const char* sentence = "a long sentence of plain words that wraps over lines in the middle column";
  const auto numbers = [&](TPaperDoc& doc, bool last) {
    auto t = table(doc, last ? std::vector<Integer>{900, 900, 80} : std::vector<Integer>{80, 900, 900});
    numbered(t->GetCell(0, last ? 2 : 0), doc, "wm wmwmwm", 12);
    text(t->GetCell(0, 1), sentence);
    text(t->GetCell(0, last ? 0 : 2), "third column right words");
    doc.View->AddItem("", t.release());
  };
  std::vector<String> numbersWhole(12, "wm");
  numbersWhole.insert(numbersWhole.end(), 12, "wmwmwm");
  AddWords(sentence, numbersWhole);
  AddWords("third column right words 1. 9. 10. 12.", numbersWhole);
  std::vector<String> twiceWhole = numbersWhole;
  twiceWhole.insert(twiceWhole.end(), numbersWhole.begin(), numbersWhole.end());
  // Tables two and three deep in the narrow column of a table whose first
  // column was dragged wide, their words at 18 points.
  const char* deep = "deep one two lorem ipsum dolor sit amet consectetur adipiscing elit sed do eiusmod tempor";
  const auto nested = [&](TPaperDoc& doc, bool threeColumns) {
    const Integer large = doc.StyleAt(18);
    const auto words = [&](TVLTableCellData* cell, const char* s) { doc.SetWords(cell, s, large); };
    auto t = table(doc, {1300, 560}, 2);
    words(t->GetCell(0, 0), "A1 left");
    words(t->GetCell(0, 1), "B1 right side words");
    words(t->GetCell(1, 0), "A2 cell");
    TVLTableCellData* b2 = t->GetCell(1, 1);
    auto two = TVLTableItemInfo::CreateEx(2, threeColumns ? 3 : 2, b2);
    const char* names[] = {"d2a", "d2b", "d2c", "d2d", "d2e", "d2f"};
    for (Integer k = 0; k < two->RowCount() * two->ColCount(); ++k)
      words(two->GetCell(k / two->ColCount(), k % two->ColCount()), names[k]);
    if (threeColumns) two->GetCell(0, 0)->BestWidth = 60;
    TVLTableCellData* last = two->GetCell(1, two->ColCount() - 1);
    auto three = TVLTableItemInfo::CreateEx(1, 2, last);
    words(three->GetCell(0, 0), deep);
    words(three->GetCell(0, 1), "d3b");
    three->ParaNo = 0;
    last->AddItem("", three.release());
    words(b2, "B2 cell");
    two->ParaNo = 0;
    b2->AddItem("", two.release());
    doc.View->AddItem("", t.release());
  };
  std::vector<String> nestedWhole = {"left", "right", "side", "words", "d2a", "d2b", "d2c", "d2d", "d3b"};
  AddWords(deep, nestedWhole);
  std::vector<String> threeWhole = nestedWhole;
  threeWhole.insert(threeWhole.end(), {"d2e", "d2f"});
  const std::vector<TCase> cases = {
      {"tables two and three deep in a dragged table's narrow column", [&](TPaperDoc& doc) { nested(doc, false); },
       nestedWhole, {}, false},
      {"the same with three columns two deep, one dragged", [&](TPaperDoc& doc) { nested(doc, true); }, threeWhole,
       {}, false},
      {"a word wider than its column in a table without padding", [&](TPaperDoc& doc) {
         auto t = table(doc, {80, 80, 1700});
         t->CellPadding = t->CellBorderWidth = t->CellHSpacing = t->BorderWidth = t->BorderHSpacing = 0;
         text(t->GetCell(0, 0), "Antidisestablishmentarianism");
         text(t->GetCell(0, 1), "picture");
         text(t->GetCell(0, 2), "third");
         doc.View->AddItem("", t.release());
       },
       {"Antidisestablishmentarianism", "picture", "third"}, {}, false,
       {{"Antidisestablishmentarianism", "picture"}, {"picture", "third"}}},
      {"a word wider than the column", beside(240, [&](TVLTableCellData* cell, TPaperDoc&) {
         text(cell, "ab cd ef gh ij kl Pneumonoultramicroscopicsilicovolcanoconiosis mn op qr");
       }),
       {"ab", "qr", "Pneumonoultramicroscopicsilicovolcanoconiosis"}, {}},
      {"letters and list numbers wider than the column", beside(12, [&](TVLTableCellData* cell, TPaperDoc& doc) {
         text(cell, "W");
         text(cell, "m");
         numbered(cell, doc, "x", 12);
       }),
       {"W", "m", "9.", "12."}, {}},
      {"a right-aligned letter wider than the column", beside(12, [&](TVLTableCellData* cell, TPaperDoc& doc) {
         doc.Style.ParaStyles->Add()->Alignment = vlaRight;
         text(cell, "W", doc.Style.ParaStyles->Count() - 1);
       }),
       {"W"}, {}},
      {"a table in the column", beside(12, [&](TVLTableCellData* cell, TPaperDoc&) {
         auto inner = TVLTableItemInfo::CreateEx(2, 1, cell);
         for (Integer r = 0; r < 2; ++r) {
           inner->GetCell(r, 0)->Clear();
           text(inner->GetCell(r, 0), r ? "M" : "W");
         }
         cell->AddItem("", inner.release());
       }),
       {"W", "M"}, {}},
      {"numbered words in a column narrower than they", [&](TPaperDoc& doc) { numbers(doc, false); },
       numbersWhole, {}, false},
      {"two such tables", [&](TPaperDoc& doc) {
         numbers(doc, false);
         numbers(doc, true);
       },
       twiceWhole, {}, false},
      {"a word in cells merged over two narrow columns", [&](TPaperDoc& doc) {
         auto t = table(doc, {80, 80, 1700}, 2);
         ASSERT_TRUE(t->MergeCells(0, 0, 2, 1));
         text(t->GetCell(0, 0), "Antidisestablishmentarianism");
         text(t->GetCell(0, 2), "right of the merged cell");
         text(t->GetCell(1, 0), "a1");
         text(t->GetCell(1, 1), "b1");
         text(t->GetCell(1, 2), "c1 c2");
         doc.View->AddItem("", t.release());
       },
       {"Antidisestablishmentarianism", "right", "merged", "a1", "b1", "c1", "c2"}, {}, false},
      {"words too wide for the line together", [&](TPaperDoc& doc) {
         auto t = table(doc, {1000, 300, 1000});
         text(t->GetCell(0, 0), "Incomprehensibilities");
         text(t->GetCell(0, 1), "Supercalifragilisticexpialidocious");
         text(t->GetCell(0, 2), "PneumonoultramicroscopicsilicovolcanoconiosisFloccinaucinihilipilification");
         doc.View->AddItem("", t.release());
       },
       {"Incomprehensibilities", "Supercalifragilisticexpialidocious"},
       {"PneumonoultramicroscopicsilicovolcanoconiosisFloccinaucinihilipilification"}, false},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Name);
    TPaperDoc doc;
    doc.Add("Before");
    k.Build(doc);
    ASSERT_GE(doc.Paginate(), 1);
    std::vector<TVLTablePrintInfo*> tables;
    for (Integer i = 0; i < doc.PD().DrawItems.Count(); ++i)
      if (auto* info = dynamic_cast<TVLTablePrintInfo*>(doc.PD().DrawItems[i])) tables.push_back(info);
    ASSERT_FALSE(tables.empty());
    for (TVLTablePrintInfo* info : tables)
      ASSERT_LT(info->PaperSad.ppixDevice * info->Sad.ppixScreen, info->Sad.ppixDevice * info->PaperSad.ppixScreen)
          << "the table is not fitted to the line";
    // No line past its cell, in the cells of nested tables too.
    std::vector<std::string> past;
    const std::function<void(TCellPtblVLData&, const std::string&)> within = [&](TCellPtblVLData& cell,
                                                                                 const std::string& name) {
      for (Integer i = 0; i < cell.DrawItems.Count(); ++i) {
        const TVLDrawLineInfo& d = *cell.DrawItems[i];
        if (d.Left < -1 || d.Left + d.Width > cell.Width + 1)
          past.push_back(name + " " + std::to_string(d.ItemNo) + ":" + std::to_string(d.TextOffset) + "+" +
                         std::to_string(d.Length) + " from " + std::to_string(d.Left) + " to " +
                         std::to_string(d.Left + d.Width) + " of " + std::to_string(cell.Width));
        if (const auto* nested = dynamic_cast<const TVLTablePrintInfo*>(&d))
          for (Integer r = 0; r < nested->RowCount(); ++r)
            for (Integer c = 0; c < nested->Cols; ++c)
              if (TCellPtblVLData* inner = nested->CellAt(r, c).Data.get())
                within(*inner, name + "/" + std::to_string(r) + std::to_string(c));
      }
    };
    for (TVLTablePrintInfo* info : tables)
      for (Integer r = 0; r < info->RowCount(); ++r)
        for (Integer c = 0; c < info->Cols; ++c)
          if (TCellPtblVLData* data = info->CellAt(r, c).Data.get())
            within(*data, "cell " + std::to_string(r) + std::to_string(c));
    EXPECT_EQ(past, std::vector<std::string>());
    // On paper no border runs through a printed word, and the table keeps
    // to the printable area.
    const TPdfLayout pdf = doc.Printed();
    EXPECT_EQ(qytest::WordInkFaults(pdf, [&](int page) { return qytest::PdfPageImage(doc.Pdf.OutputFileName, page, 144); }, 144),
              std::vector<std::string>());
    const double pageWidth = pdf.PageSizes.at(0).first;
    const double left = doc.PD().LeftMarginMM * 72 / 25.4, right = pageWidth - doc.PD().RightMarginMM * 72 / 25.4;
    for (const TPdfWord& w : pdf.Words) {
      EXPECT_GE(w.XMin, left - 1) << w.Text;
      EXPECT_LE(w.XMax, right + 1) << w.Text;
    }
    for (const String& word : std::set<String>(k.Words.begin(), k.Words.end()))
      EXPECT_GE(std::count_if(pdf.Words.begin(), pdf.Words.end(), [&](const TPdfWord& w) { return w.Text == word; }),
                std::count(k.Words.begin(), k.Words.end(), word))
          << word << " whole";
    for (const String& word : k.Broken) EXPECT_EQ(pdf.Find(word), nullptr) << word << " whole";
    if (k.Beside) ExpectInOrderWithin(pdf, "Lw", 3, left, right);
    // A point at least between the columns' text, which else reads as one
    // word.
    for (const auto& [a, b] : k.Apart) {
      const TPdfWord *first = pdf.Find(a), *second = pdf.Find(b);
      ASSERT_TRUE(first && second) << a << " " << b;
      EXPECT_GE(second->XMin - first->XMax, 1.0) << a << " ends at " << first->XMax << ", " << b << " starts at "
                                                 << second->XMin;
    }
  }
}

// Laying a table out on paper lays each cell out a few times (at the
// screen's share, at its letters, at its floor): a cell holding a table
// must not lay that table out anew each time, or tables nested one level
// deeper cost a multiple more, and a deep entry never prints. Tables nested
// d deep in the narrow dragged column of the one above, each printed with
// its words whole: the cell layouts grow no faster than the square of the
// depth.
TEST(TablePrintLayout, TablesNestedDeeperCostCellLayoutsInProportion) {
  const auto layouts = [](Integer depth) {
    TPaperDoc doc;
    const Integer large = doc.StyleAt(18);
    const auto words = [&](TVLTableCellData* cell, const char* s) {
      doc.SetWords(cell, s, large);
      cell->Measurer = &doc.Narrow;
    };
    doc.Add("Before");
    std::vector<TVLTableItemInfo*> tables;
    TVLTableCellData* holder = nullptr;
    for (Integer level = 0; level < depth; ++level) {
      auto t = TVLTableItemInfo::CreateEx(1, 2, holder ? static_cast<TCustomVLData*>(holder) : doc.View->VLData());
      t->CellPadding = 4;
      t->GetCell(0, 0)->BestWidth = 1300;
      t->GetCell(0, 1)->BestWidth = 560;
      words(t->GetCell(0, 0), level + 1 == depth ? "deep one two lorem ipsum dolor sit amet consectetur" : "left words");
      words(t->GetCell(0, 1), "right words");
      tables.push_back(t.get());
      TVLTableCellData* next = t->GetCell(0, 1);
      if (holder) {
        t->ParaNo = 0;
        holder->AddItem("", t.release());
      } else {
        doc.View->AddItem("", t.release());
      }
      holder = next;
    }
    EXPECT_GE(doc.Paginate(), 1);
    Integer count = 0;
    for (TVLTableItemInfo* t : tables) count += t->PaperCellFormatCount;
    return count;
  };
  std::vector<Integer> counts;
  for (Integer depth = 1; depth <= 8; ++depth) counts.push_back(layouts(depth));
  std::string seen;
  for (Integer c : counts) seen += " " + std::to_string(c);
  for (size_t d = 1; d < counts.size(); ++d) {
    const Integer depth = static_cast<Integer>(d) + 1;
    EXPECT_LE(counts[d], 8 * depth * depth * counts[0]) << "cell layouts by depth:" << seen;
  }
}
