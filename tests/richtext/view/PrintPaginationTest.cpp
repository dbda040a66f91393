// Cutting a document into printed pages: breaks between lines, explicit
// page breaks, long paragraphs, margins, header and footer.
#include "PrintFixture.h"
#include "support/PdfPages.h"

#include "richtext/model/VLItem.h"

#include <algorithm>

using qytest::TPrintDoc;

namespace {

// Every page begins at a line start and holds no more than a page, and the
// pages follow each other without gaps.
void ExpectSoundPages(TPrintDoc& doc) {
  TVLMainPrintableData& pd = doc.PD();
  const Integer p = doc.PageHeight();
  Integer expectedFirst = 0;
  for (Integer page = 1; page <= pd.PageCount(); ++page) {
    Integer first, part, last;
    pd.GetDrawItemsRange(page, first, part, last);
    EXPECT_EQ(first, expectedFirst) << "page " << page;
    EXPECT_EQ(part, -1);
    EXPECT_TRUE(first == 0 || pd.DrawItems[first]->StartsNewLine) << "page " << page;
    const Integer startY = pd.Pages[static_cast<size_t>(page - 1)].StartY;
    for (Integer i = first; i <= last; ++i) {
      const TVLDrawLineInfo* d = pd.DrawItems[i];
      EXPECT_GE(d->Top, startY) << "page " << page << " item " << i;
      if (i != first) {
        EXPECT_LE(d->Top + d->Height - startY, p) << "page " << page << " item " << i;
      }
    }
    expectedFirst = last + 1;
  }
  EXPECT_EQ(expectedFirst, pd.DrawItems.Count());
}

}  // namespace

TEST(PrintPagination, KnownDocumentPageCount) {
  TPrintDoc doc;
  doc.Paragraphs(300);
  const Integer pages = doc.Paginate();
  TVLMainPrintableData& pd = doc.PD();
  ASSERT_EQ(pd.DrawItems.Count(), 300);
  // Equal single-line paragraphs: as many whole lines as fit on a page.
  const Integer step = pd.DrawItems[1]->Top - pd.DrawItems[0]->Top;
  const Integer height = pd.DrawItems[0]->Height;
  ASSERT_GT(step, 0);
  const Integer perPage = (doc.PageHeight() - height) / step + 1;
  EXPECT_EQ(pages, (300 + perPage - 1) / perPage);
  EXPECT_GT(pages, 3);
  ExpectSoundPages(doc);
  // Printed at the printer's resolution: a 10-point line is far taller
  // than on the screen.
  EXPECT_GT(height, doc.DI(0).Height * 5);
}

TEST(PrintPagination, ExplicitPageBreaks) {
  TPrintDoc doc;
  doc.Paragraphs(10);
  doc.View->GetItem(4)->ItemOptions |= vlioPageBreakBefore;
  // A break before the first item already starts a page: no empty page.
  doc.View->GetItem(0)->ItemOptions |= vlioPageBreakBefore;
  ASSERT_EQ(doc.Paginate(), 2);
  EXPECT_EQ(doc.ItemsOnPage(1), (std::vector<Integer>{0, 1, 2, 3}));
  EXPECT_EQ(doc.ItemsOnPage(2), (std::vector<Integer>{4, 5, 6, 7, 8, 9}));
  ExpectSoundPages(doc);
}

TEST(PrintPagination, PageBreakWhereAPageBeginsAnyway) {
  TPrintDoc doc;
  doc.Paragraphs(300);
  const Integer pages = doc.Paginate();
  ASSERT_GE(pages, 3);
  const std::vector<Integer> page2 = doc.ItemsOnPage(2), page3 = doc.ItemsOnPage(3);
  // The first paragraph of pages 2 and 3 asks for a break it already has.
  doc.View->GetItem(page2.front())->ItemOptions |= vlioPageBreakBefore;
  doc.View->GetItem(page3.front())->ItemOptions |= vlioPageBreakBefore;
  EXPECT_EQ(doc.Paginate(), pages);
  EXPECT_EQ(doc.ItemsOnPage(2), page2);
  EXPECT_EQ(doc.ItemsOnPage(3), page3);
  ExpectSoundPages(doc);
}

TEST(PrintPagination, ParagraphTallerThanAPageSplitsBetweenLines) {
  TPrintDoc doc;
  String text;
  for (int i = 0; i < 1500; ++i) text += "word" + std::to_string(i) + " ";
  doc.Add("Before");
  doc.Add(text);
  doc.Add("After");
  const Integer pages = doc.Paginate();
  ASSERT_GE(pages, 2);
  TVLMainPrintableData& pd = doc.PD();
  // Every page after the first begins inside the long paragraph or with
  // the paragraph after it, at a line start.
  for (Integer p = 2; p <= pages; ++p) {
    const Integer first = pd.Pages[static_cast<size_t>(p - 1)].StartDrawItemNo;
    EXPECT_TRUE(pd.DrawItems[first]->StartsNewLine);
    EXPECT_GE(pd.DrawItems[first]->ItemNo, 1);
  }
  EXPECT_EQ(doc.ItemsOnPage(2).front(), 1);
  ExpectSoundPages(doc);
}

TEST(PrintPagination, EmptyDocumentHasNoPages) {
  TPrintDoc doc;
  std::vector<TVLPrintingStep> steps;
  doc.Print.OnFormatting = [&](TVLPrint*, Integer, TVLPrintingStep step) { steps.push_back(step); };
  EXPECT_EQ(doc.Paginate(), 0);
  EXPECT_TRUE(doc.Print.PagesFormatted());
  EXPECT_TRUE(doc.Print.IsPrinterReady());
  EXPECT_EQ(std::count(steps.begin(), steps.end(), vlpsFinished), 0);
  EXPECT_THROW(doc.PD().CheckPageNo(1), EVellumError);
}

TEST(PrintPagination, FormattingStepsAndCounter) {
  TPrintDoc doc;
  doc.Paragraphs(200);
  std::vector<std::pair<Integer, TVLPrintingStep>> steps;
  doc.Print.OnFormatting = [&](TVLPrint*, Integer page, TVLPrintingStep step) { steps.push_back({page, step}); };
  const Integer pages = doc.Paginate();
  ASSERT_GE(steps.size(), 3u);
  EXPECT_EQ(steps.front(), std::make_pair(0, vlpsStarting));
  EXPECT_EQ(steps.back(), std::make_pair(pages, vlpsFinished));
  EXPECT_EQ(doc.Print.FormatCounter(), 1);
  for (int i = 0; i < 9998; ++i) doc.Print.FormatPages();
  EXPECT_EQ(doc.Print.FormatCounter(), 9999);
  doc.Print.FormatPages();
  EXPECT_EQ(doc.Print.FormatCounter(), 0);
}

TEST(PrintPagination, MarginsInMillimetres) {
  struct Case {
    Integer mm, ppi, unprintable, pixels;
  };
  for (const Case& c : {Case{10, 600, 120, 116}, Case{3, 600, 120, 0}, Case{20, 600, 0, 472}, Case{25, 300, 0, 295}})
    EXPECT_EQ(VLMMToDevice(c.mm, c.ppi, c.unprintable), c.pixels) << c.mm << " mm at " << c.ppi;

  TPrintDoc doc;
  doc.Paragraphs(400);
  doc.PD().LeftMarginMM = 30;
  doc.PD().RightMarginMM = 10;
  doc.PD().MirrorMargins = true;
  ASSERT_GE(doc.Paginate(), 2);
  const Integer offX = doc.Pdf.PhysicalOffsetX();
  EXPECT_EQ(doc.PD().GetPrintableAreaLeft(1), VLMMToDevice(30, 600, offX));
  EXPECT_EQ(doc.PD().GetPrintableAreaLeft(2), VLMMToDevice(10, 600, offX));
  EXPECT_EQ(doc.PD().GetPrintableAreaLeft(3), VLMMToDevice(30, 600, offX));
  EXPECT_EQ(doc.PD().PrintableWidth,
            doc.Pdf.PageWidth() - VLMMToDevice(30, 600, offX) - doc.PD().RightOffset);
}

TEST(PrintPagination, WiderMarginsGiveMorePages) {
  TPrintDoc narrow, wide;
  narrow.Paragraphs(300);
  wide.Paragraphs(300);
  wide.PD().TopMarginMM = 80;
  wide.PD().BottomMarginMM = 80;
  const Integer a = narrow.Paginate(), b = wide.Paginate();
  EXPECT_GT(b, a);
  EXPECT_EQ(wide.PD().TopOffset, VLMMToDevice(80, 600, wide.Pdf.PhysicalOffsetY()));
  ExpectSoundPages(wide);
}

TEST(PrintPagination, HeaderAndFooterPushTheDocumentInward) {
  TPrintDoc doc;
  doc.Paragraphs(300);
  const Integer plain = doc.Paginate();
  const Integer plainTop = doc.PD().TopOffset, plainBottom = doc.PD().BottomOffset;

  // A header of many lines reaches below the 20 mm top margin.
  TVLStyle& style = doc.Style;
  TVellum header(nullptr);
  header.SetStyle(&style);
  TVellum footer(nullptr);
  footer.SetStyle(&style);
  for (int i = 0; i < 12; ++i) header.AddTextItem("Header line " + std::to_string(i), 0, 0);
  for (int i = 0; i < 12; ++i) footer.AddTextItem("Footer line " + std::to_string(i), 0, 0);
  doc.Print.SetHeader(header.VLData());
  doc.Print.SetFooter(footer.VLData());
  const Integer withBoth = doc.Paginate();
  TVLRectPrintableData* h = doc.PD().Header();
  TVLRectPrintableData* f = doc.PD().Footer();
  ASSERT_TRUE(h && f);
  EXPECT_EQ(h->DrawItems.Count(), 12);
  EXPECT_EQ(doc.PD().TopOffset, h->Top + h->DocumentHeight);
  EXPECT_GT(doc.PD().TopOffset, plainTop);
  EXPECT_GT(doc.PD().BottomOffset, plainBottom);
  const Integer bottomUnprintable =
      doc.Pdf.PhysicalHeight() - doc.Pdf.PageHeight() - doc.Pdf.PhysicalOffsetY();
  EXPECT_EQ(f->Top + f->DocumentHeight + MulDiv(10, 3000, 127) - bottomUnprintable, doc.Pdf.PageHeight());
  EXPECT_GT(withBoth, plain);
  ExpectSoundPages(doc);
  doc.Print.SetHeader(nullptr);
  doc.Print.SetFooter(nullptr);
}

TEST(PrintPagination, FirstPageOffsetTakesRoomOnPageOneOnly) {
  TPrintDoc doc;
  doc.Paragraphs(300);
  doc.Paginate();
  const std::vector<Integer> page1 = doc.ItemsOnPage(1), page2 = doc.ItemsOnPage(2);
  doc.Print.FirstPageOffset = 3000;
  doc.Print.FormatPages();
  EXPECT_LT(doc.ItemsOnPage(1).size(), page1.size());
  EXPECT_EQ(doc.ItemsOnPage(2).size(), page2.size());
  EXPECT_EQ(doc.PD().GetPageTopCoord(1), -doc.PD().TopOffset - doc.PD().DeviceTopMargin - 3000);

  TPrintDoc one;
  one.Paragraphs(2);
  one.Paginate();
  const Integer end = one.Print.LastPageEnd;
  one.Print.FirstPageOffset = 300;
  one.Print.FormatPages();
  EXPECT_EQ(one.Print.LastPageEnd, end + 300);
}

TEST(PrintPagination, APageKeepsItsFirstParagraphsSpaceBefore) {
  // A paragraph style that asks for 40 screen pixels (30 points) before it.
  struct TCase {
    const char* Name;
    bool Break;  // the page starts at a page break (else because page 1 is full)
  };
  for (const TCase& k : {TCase{"page break", true}, TCase{"page full", false}}) {
    SCOPED_TRACE(k.Name);
    TPrintDoc doc;
    TParaInfo* spaced = doc.Style.ParaStyles->Add();
    spaced->SpaceBefore = 40;
    const Integer spacedNo = doc.Style.ParaStyles->Count() - 1;
    for (Integer i = 1; i <= 3; ++i) doc.Add("Plain" + std::to_string(i));
    const Integer first = doc.Add("Spaced1", 0, spacedNo);
    for (Integer i = 2; i <= (k.Break ? 3 : 300); ++i) doc.Add("Spaced" + std::to_string(i), 0, spacedNo);
    if (k.Break) doc.View->GetItem(first)->ItemOptions |= vlioPageBreakBefore;
    ASSERT_GE(doc.Paginate(), 2);
    doc.Print.Print("space before", 1, true);
    const qytest::TPdfLayout pdf = qytest::PdfLayout(doc.Pdf.OutputFileName);
    // The top line of pages 1 (a paragraph without space) and 2.
    auto top = [&pdf](int page) {
      double y = 1e9;
      for (const qytest::TPdfWord& w : pdf.Words)
        if (w.Page == page) y = std::min(y, w.YMin);
      return y;
    };
    ASSERT_LT(top(2), 1e9);
    EXPECT_NEAR(top(2) - top(1), 30.0, 1.5);
    ExpectSoundPages(doc);
  }
}
