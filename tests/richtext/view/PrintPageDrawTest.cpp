// Drawing printed pages: the text of each page, backgrounds by colour
// mode, bad page numbers, header and footer on every page.
#include "PrintFixture.h"

#include "richtext/model/VLFuncs.h"

#include <QImage>

using qytest::TPrintDoc;

namespace {

// The texts a page draws, in order.
std::vector<String> DrawnTexts(TPrintDoc& doc, Integer page, TCanvas* canvas) {
  std::vector<String> texts;
  doc.Style.OnDrawStyleText = [&](TVLStyle*, const AnsiString& s, TCanvas*, Integer, Integer, Integer, Integer,
                                  Integer, Integer, TVLTextDrawStates, bool&) {
    // Unicode styles hand over UTF-16 code units; the texts here are ASCII.
    String ascii;
    for (char ch : s)
      if (ch) ascii += ch;
    texts.push_back(ascii);
  };
  doc.PD().DrawPage(page, canvas, false, false);
  doc.Style.OnDrawStyleText = nullptr;
  return texts;
}

TColor PixelAt(TBitmap& bmp, Integer x, Integer y) {
  const QImage* image = bmp.Canvas()->ImageDevice();
  bmp.Canvas()->ReleaseHandle();
  const QRgb c = image->pixel(x, y);
  return static_cast<TColor>(qRed(c) | (qGreen(c) << 8) | (qBlue(c) << 16));
}

}  // namespace

TEST(PrintPageDraw, EachPageDrawsItsOwnText) {
  TPrintDoc doc;
  doc.Paragraphs(300);
  const Integer pages = doc.Paginate();
  ASSERT_GE(pages, 3);
  TBitmap bmp(50, 50);
  for (Integer p = 1; p <= pages; ++p) {
    const std::vector<Integer> items = doc.ItemsOnPage(p);
    const std::vector<String> texts = DrawnTexts(doc, p, bmp.Canvas());
    ASSERT_EQ(texts.size(), items.size()) << "page " << p;
    for (size_t i = 0; i < items.size(); ++i)
      EXPECT_EQ(texts[i], "Paragraph " + std::to_string(items[i] + 1)) << "page " << p;
  }
  // Page 2 begins where page 1 ended.
  EXPECT_EQ(doc.ItemsOnPage(2).front(), doc.ItemsOnPage(1).back() + 1);
}

TEST(PrintPageDraw, TextLandsInsideThePrintableArea) {
  TPrintDoc doc;
  doc.Paragraphs(300);
  doc.Paginate();
  TVLMainPrintableData& pd = doc.PD();
  std::vector<std::pair<Integer, Integer>> spots;
  doc.Style.OnDrawStyleText = [&](TVLStyle*, const AnsiString&, TCanvas*, Integer, Integer, Integer left,
                                  Integer top, Integer, Integer height, TVLTextDrawStates, bool&) {
    spots.push_back({left, top + height});
  };
  TBitmap bmp(50, 50);
  pd.DrawPage(2, bmp.Canvas(), false, false);
  doc.Style.OnDrawStyleText = nullptr;
  ASSERT_FALSE(spots.empty());
  // The first line of every page stands just below the top offset and
  // the view's own top margin.
  const Integer firstTop = spots.front().second - pd.DrawItems[pd.Pages[1].StartDrawItemNo]->Height;
  EXPECT_EQ(firstTop, pd.TopOffset + pd.DeviceTopMargin);
  for (const auto& s : spots) {
    EXPECT_EQ(s.first, pd.LeftOffset + MulDiv(doc.View->LeftMargin, 600, 96));
    EXPECT_LE(s.second, pd.TopOffset + pd.PrintableHeight);
  }
}

TEST(PrintPageDraw, BadPageNumbersAndMissingStyle) {
  TPrintDoc doc;
  doc.Paragraphs(5);
  ASSERT_EQ(doc.Paginate(), 1);
  TBitmap bmp(10, 10);
  for (Integer p : {0, -1, 2, 100}) {
    try {
      doc.PD().DrawPage(p, bmp.Canvas(), false, false);
      ADD_FAILURE() << p;
    } catch (const EVellumError& e) {
      EXPECT_STREQ(e.what(), "Invalid page number is specified for printing");
    }
  }
  doc.PD().Style = nullptr;
  try {
    doc.PD().DrawPage(1, bmp.Canvas(), false, false);
    ADD_FAILURE();
  } catch (const EVellumError& e) {
    EXPECT_STREQ(e.what(), "Style of printable TVellum component is not assigned");
  }
  EXPECT_EQ(doc.PD().CurrentDrawItemNo, -1);
}

TEST(PrintPageDraw, BackgroundByColourMode) {
  struct Case {
    TVLColorMode mode;
    bool transparent;
    TColor expected;
  };
  const TColor red = 0x0000FF, yellow = 0x00FFFF;
  for (const Case& c : {Case{vlcmColor, false, yellow}, Case{vlcmPrinterColor, false, yellow},
                        Case{vlcmBlackAndWhite, false, clWhite}, Case{vlcmBlackOnWhite, false, clWhite},
                        Case{vlcmGrayScale, false, ColorToGray(yellow)}, Case{vlcmColor, true, red}}) {
    TPrintDoc doc;
    doc.View->SetColor(yellow);
    doc.Paragraphs(3);
    doc.PD().ColorMode = c.mode;
    doc.PD().TransparentBackground = c.transparent;
    doc.Paginate();
    const Integer left = doc.PD().LeftOffset, top = doc.PD().TopOffset;
    TBitmap bmp(left + 20, top + 20);
    bmp.Canvas()->Brush.Color = red;
    bmp.Canvas()->FillRect(TRect(0, 0, left + 20, top + 20));
    doc.PD().DrawPage(1, bmp.Canvas(), false, false);
    // Inside the printable area, above the first line; outside it.
    EXPECT_EQ(PixelAt(bmp, left + 4, top + 4), c.expected) << c.mode << " " << c.transparent;
    EXPECT_EQ(PixelAt(bmp, left - 4, top - 4), red);
  }
}

TEST(PrintPageDraw, HeaderAndFooterOnEveryPage) {
  TPrintDoc doc;
  doc.Paragraphs(200);
  TVellum header(nullptr), footer(nullptr);
  header.SetStyle(&doc.Style);
  footer.SetStyle(&doc.Style);
  header.AddTextItem("Journal header", 0, 0);
  footer.AddTextItem("Journal footer", 0, 0);
  doc.Print.SetHeader(header.VLData());
  doc.Print.SetFooter(footer.VLData());
  const Integer pages = doc.Paginate();
  ASSERT_GE(pages, 2);
  TBitmap bmp(10, 10);
  for (Integer p = 1; p <= pages; ++p) {
    const std::vector<String> texts = DrawnTexts(doc, p, bmp.Canvas());
    ASSERT_GE(texts.size(), 3u);
    EXPECT_EQ(texts[0], "Journal header");
    EXPECT_EQ(texts[1], "Journal footer");
    EXPECT_EQ(texts[2], "Paragraph " + std::to_string(doc.ItemsOnPage(p).front() + 1));
  }
  doc.Print.SetHeader(nullptr);
  doc.Print.SetFooter(nullptr);
}

TEST(PrintPageDraw, PreviewScalesTheSheetIntoTheRectangle) {
  TPrintDoc doc;
  doc.View->SetColor(0x00FFFF);
  doc.Paragraphs(40);
  ASSERT_EQ(doc.Paginate(), 1);
  const Integer w = doc.Print.GetPreview100PercentWidth(), h = doc.Print.GetPreview100PercentHeight();
  // The whole paper at 96 pixels per inch, its unprintable edges too.
  EXPECT_EQ(w, MulDiv(doc.Pdf.PhysicalWidth(), 96, 600));
  EXPECT_EQ(h, MulDiv(doc.Pdf.PhysicalHeight(), 96, 600));
  TBitmap bmp(w / 2 + 20, h / 2 + 20);
  bmp.Canvas()->Brush.Color = clBlack;
  bmp.Canvas()->FillRect(TRect(0, 0, bmp.GetWidth(), bmp.GetHeight()));
  const TRect page(10, 10, 10 + w / 2, 10 + h / 2);
  doc.Print.DrawPreview(1, bmp.Canvas(), page);
  // White sheet, yellow printable area, black around the sheet.
  EXPECT_EQ(PixelAt(bmp, 12, 12), clWhite);
  EXPECT_EQ(PixelAt(bmp, page.Left + w / 4, page.Bottom - 60), 0x00FFFF);
  EXPECT_EQ(PixelAt(bmp, 5, 5), clBlack);
  EXPECT_EQ(PixelAt(bmp, page.Right + 5, page.Bottom + 5), clBlack);
  // Some text was drawn, dark on yellow, near the top of the area.
  const TRect paper = doc.PD().PaperRect();
  const Integer areaTop = page.Top + MulDiv(doc.PD().TopOffset - paper.Top, page.Height(), paper.Height());
  const Integer areaLeft = page.Left + MulDiv(doc.PD().LeftOffset - paper.Left, page.Width(), paper.Width());
  int dark = 0;
  for (Integer y = areaTop; y < areaTop + 40; ++y)
    for (Integer x = areaLeft; x < areaLeft + 60; ++x)
      if ((PixelAt(bmp, x, y) & 0xFF) < 0x80) ++dark;
  EXPECT_GT(dark, 20);
  // The canvas is left as it was found.
  EXPECT_EQ(bmp.Canvas()->GetMapMode(), MM_TEXT);
  EXPECT_EQ(bmp.Canvas()->GetPixelsPerInch(), 96);
}

TEST(PrintPageDraw, PicturesAndLinksPrint) {
  TPrintDoc doc;
  doc.Style.TextStyles->Items(1)->Jump = true;
  doc.Add("Before the picture");
  const Integer pic = doc.Picture(80, 60, 0);
  auto* graphic = static_cast<TVLGraphicItemInfo*>(doc.View->GetItem(pic));
  auto* image = static_cast<TBitmap*>(graphic->Image.get());
  image->Canvas()->Brush.Color = 0x0000FF;
  image->Canvas()->FillRect(TRect(0, 0, 80, 60));
  image->Canvas()->ReleaseHandle();
  const Integer link = doc.Add("A link", 1, 0);
  ASSERT_EQ(doc.Paginate(), 1);
  std::vector<std::pair<Integer, TRect>> links;
  doc.Print.OnDrawHyperlink = [&](TVLPrint*, TCustomVLData* data, Integer itemNo, const TRect& r) {
    EXPECT_EQ(data, doc.View->VLData());
    links.push_back({itemNo, r});
  };
  TVLMainPrintableData& pd = doc.PD();
  Integer n = -1;
  for (Integer i = 0; i < pd.DrawItems.Count(); ++i)
    if (pd.DrawItems[i]->ItemNo == pic) n = i;
  ASSERT_GE(n, 0);
  const TVLDrawLineInfo* d = pd.DrawItems[n];
  // At the printer's resolution the picture keeps its size in inches.
  EXPECT_NEAR(d->Width, MulDiv(80, 600, 96), 30);
  const Integer x = pd.LeftOffset + d->Left + d->Width / 2;
  const Integer y = d->Top - pd.GetPageTopCoord(1) + d->Height / 2;
  TBitmap bmp(x + 10, y + 10);
  doc.PD().DrawPage(1, bmp.Canvas(), false, false);
  EXPECT_EQ(PixelAt(bmp, x, y), 0x0000FF);
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links[0].first, link);
  EXPECT_EQ(links[0].second.Left, pd.LeftOffset + pd.DrawItems[pd.DrawItems.Count() - 1]->Left);
}

namespace {

// Page pageNo drawn as the preview draws it, at 100 %.
std::unique_ptr<TBitmap> PreviewPage(TPrintDoc& doc, Integer pageNo) {
  const Integer w = doc.Print.GetPreview100PercentWidth(), h = doc.Print.GetPreview100PercentHeight();
  auto bmp = std::make_unique<TBitmap>(w, h);
  doc.Print.DrawPreview(pageNo, bmp->Canvas(), TRect(0, 0, w, h));
  bmp->Canvas()->ReleaseHandle();
  return bmp;
}

bool Coloured(TColor c) {
  const int r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
  return std::max({r, g, b}) - std::min({r, g, b}) > 24;
}

}  // namespace

TEST(PrintPageDraw, ColourModesWithoutColourDrawNone) {
  struct Case {
    TVLColorMode mode;
    bool colour;
  };
  for (const Case& c : {Case{vlcmColor, true}, Case{vlcmBlackAndWhite, false}, Case{vlcmBlackOnWhite, false},
                        Case{vlcmGrayScale, false}}) {
    TPrintDoc doc;
    doc.View->SetColor(0x80FFFF);
    doc.Style.TextStyles->Items(0)->Color = 0x0000C0;
    doc.Style.TextStyles->Items(0)->Size = 20;
    doc.Style.ParaStyles->Items(0)->Background.Color = 0xFFC080;
    doc.Paragraphs(12);
    doc.PD().ColorMode = c.mode;
    ASSERT_EQ(doc.Paginate(), 1);
    auto page = PreviewPage(doc, 1);
    int coloured = 0, dark = 0;
    for (Integer y = 0; y < page->GetHeight(); ++y)
      for (Integer x = 0; x < page->GetWidth(); ++x) {
        const TColor p = PixelAt(*page, x, y);
        if (Coloured(p)) ++coloured;
        if (std::max({p & 0xFF, (p >> 8) & 0xFF, (p >> 16) & 0xFF}) < 0x60) ++dark;
      }
    EXPECT_EQ(coloured > 0, c.colour) << c.mode << ": " << coloured << " coloured pixels";
    // The text is there, whatever the mode.
    EXPECT_GT(dark + (c.colour ? coloured : 0), 100) << c.mode;
  }
}

TEST(PrintPageDraw, PictureTallerThanAPageIsNeverCut) {
  // Pictures red with a blue foot: one of three pages' height (a page of
  // its own), one that fits a page.
  struct Case {
    Integer height;
    Integer pages;
    bool shrunk;
  };
  for (const Case& c : {Case{3000, 3, true}, Case{400, 1, false}}) {
    TPrintDoc doc;
    doc.Add("Before");
    const Integer pic = doc.Picture(200, c.height, 0);
    auto* graphic = static_cast<TVLGraphicItemInfo*>(doc.View->GetItem(pic));
    TCanvas* ic = static_cast<TBitmap*>(graphic->Image.get())->Canvas();
    ic->Brush.Color = 0x0000FF;
    ic->FillRect(TRect(0, 0, 200, c.height - 200));
    ic->Brush.Color = 0xFF0000;
    ic->FillRect(TRect(0, c.height - 200, 200, c.height));
    ic->ReleaseHandle();
    doc.Add("After");
    const Integer pages = doc.Paginate();
    ASSERT_EQ(pages, c.pages);
    const Integer contentBottom =
        MulDiv(doc.PD().GetPageContentBottom(1), doc.Print.GetPreview100PercentHeight(), doc.PD().SheetRect().Height());
    Integer widest = 0, blueBelow = 0;
    bool blue = false;
    for (Integer p = 1; p <= pages; ++p) {
      auto page = PreviewPage(doc, p);
      for (Integer y = 0; y < page->GetHeight(); ++y) {
        Integer run = 0;
        for (Integer x = 0; x < page->GetWidth(); ++x) {
          const TColor px = PixelAt(*page, x, y);
          if (px == 0x0000FF) ++run;
          if (px == 0xFF0000) {
            blue = true;
            if (y > contentBottom + 1) ++blueBelow;
          }
        }
        widest = std::max(widest, run);
      }
    }
    // The foot is printed, inside the page's content.
    EXPECT_TRUE(blue) << c.height;
    EXPECT_EQ(blueBelow, 0) << c.height;
    if (c.shrunk) {
      // Shrunk to the page, keeping its shape.
      const Integer room = doc.PD().PrintableHeight * 96 / 600;
      EXPECT_NEAR(widest, MulDiv(200, room, 3000), 4);
    } else {
      EXPECT_NEAR(widest, 200, 2);
    }
  }
}

TEST(PrintPageDraw, SplittablePictureIsPrintedInSlicesWithNothingLostOrRepeated) {
  // Red rows with a blue foot of 200 rows; each page takes a slice, at full
  // size, and the slices add up to the picture.
  TPrintDoc doc;
  doc.Add("Before");
  const Integer pic = doc.Picture(200, 3000, 0);
  auto* graphic = static_cast<TVLGraphicItemInfo*>(doc.View->GetItem(pic));
  graphic->MinHeightOnPage = 50;
  TCanvas* ic = static_cast<TBitmap*>(graphic->Image.get())->Canvas();
  ic->Brush.Color = 0x0000FF;
  ic->FillRect(TRect(0, 0, 200, 2800));
  ic->Brush.Color = 0xFF0000;
  ic->FillRect(TRect(0, 2800, 200, 3000));
  ic->ReleaseHandle();
  doc.Add("After");
  const Integer pages = doc.Paginate();
  ASSERT_GE(pages, 3);
  Integer redRows = 0, blueRows = 0, widest = 0;
  for (Integer p = 1; p <= pages; ++p) {
    auto page = PreviewPage(doc, p);
    const Integer contentBottom =
        MulDiv(doc.PD().GetPageContentBottom(p), doc.Print.GetPreview100PercentHeight(), doc.PD().SheetRect().Height());
    for (Integer y = 0; y < page->GetHeight(); ++y) {
      Integer red = 0, blue = 0;
      for (Integer x = 0; x < page->GetWidth(); ++x) {
        const TColor px = PixelAt(*page, x, y);
        red += px == 0x0000FF;
        blue += px == 0xFF0000;
      }
      if (red + blue > 0) {
        EXPECT_LE(y, contentBottom + 1) << "page " << p;
      }
      widest = std::max({widest, red, blue});
      redRows += red > 100;
      blueRows += blue > 100;
    }
  }
  EXPECT_NEAR(widest, 200, 2) << "a slice was scaled";
  // Page boundaries may round a row either way.
  EXPECT_NEAR(redRows, 2800, pages);
  EXPECT_NEAR(blueRows, 200, pages);
}
