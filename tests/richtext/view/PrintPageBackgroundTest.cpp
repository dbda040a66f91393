// What lies behind an item printed through a bitmap: the page's picture,
// the paragraph's colour, and, for a rectangle without a colour of its own
// (a header here), the page it lies on.
#include "PrintFixture.h"
#include "tests/richtext/view/LayoutTestSupport.h"

#include <QImage>

using qytest::TPrintDoc;

namespace {

constexpr TColor Green = 0x00FF00, Blue = 0xFF0000, Magenta = 0xFF00FF, Yellow = 0x00FFFF;

TColor PixelAt(TBitmap& bmp, Integer x, Integer y) {
  const QImage* image = bmp.Canvas()->ImageDevice();
  bmp.Canvas()->ReleaseHandle();
  const QRgb c = image->pixel(x, y);
  return static_cast<TColor>(qRed(c) | (qGreen(c) << 8) | (qBlue(c) << 16));
}

// A picture of magenta (its transparent colour) with a blue square in the middle.
void PaintHollow(TVLGraphicItemInfo& item, Integer w, Integer h) {
  auto* image = static_cast<TBitmap*>(item.Image.get());
  image->Canvas()->Brush.Color = Magenta;
  image->Canvas()->FillRect(TRect(0, 0, w, h));
  image->Canvas()->Brush.Color = Blue;
  image->Canvas()->FillRect(TRect(w / 4, h / 4, w * 3 / 4, h * 3 / 4));
  image->Canvas()->ReleaseHandle();
  image->SetTransparentColor(Magenta);
  image->SetTransparent(true);
}

// Where the corner of the picture item n (just inside it) lands on page 1.
TPoint CornerOf(TPrintDoc& doc, TCustomPrintableVLData& pd, Integer itemNo, Integer left, Integer topCoord) {
  for (Integer i = 0; i < pd.DrawItems.Count(); ++i)
    if (pd.DrawItems[i]->ItemNo == itemNo) {
      const TVLDrawLineInfo* d = pd.DrawItems[i];
      return TPoint(left + d->Left + 12, d->Top - topCoord + 12);
    }
  ADD_FAILURE() << "item " << itemNo << " not drawn";
  return TPoint(0, 0);
}

TEST(PrintPageBackground, ThePagePictureShowsAroundATransparentPicture) {
  struct Case {
    bool pagePicture;
    Integer paraNo;  // 1: a paragraph with a yellow background
    TColor expected;
  } cases[] = {{true, 0, Green}, {false, 0, 0xFFFFFF}, {true, 1, Yellow}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.pagePicture) + " " + std::to_string(c.paraNo));
    TPrintDoc doc;
    doc.Style.Color = clWhite;
    doc.Style.ParaStyles->Add();
    doc.Style.ParaStyles->Items(1)->Background.Color = Yellow;
    doc.Add("Before the picture");
    const Integer pic = doc.Picture(80, 60, c.paraNo);
    PaintHollow(*static_cast<TVLGraphicItemInfo*>(doc.View->GetItem(pic)), 80, 60);
    if (c.pagePicture) {
      doc.View->SetBackgroundBitmap(qytest::PlainBitmap(Green).get());
      doc.View->SetBackgroundStyle(bsTiled);
    }
    ASSERT_EQ(doc.Paginate(), 1);
    TVLMainPrintableData& pd = doc.PD();
    const TPoint corner = CornerOf(doc, pd, pic, pd.LeftOffset, pd.GetPageTopCoord(1));
    Integer n = -1;
    for (Integer i = 0; i < pd.DrawItems.Count(); ++i)
      if (pd.DrawItems[i]->ItemNo == pic) n = i;
    ASSERT_GE(n, 0);
    const TVLDrawLineInfo* d = pd.DrawItems[n];
    const TPoint middle(pd.LeftOffset + d->Left + d->Width / 2, d->Top - pd.GetPageTopCoord(1) + d->Height / 2);
    TBitmap bmp(middle.X + d->Width, middle.Y + d->Height);
    pd.DrawPage(1, bmp.Canvas(), false, false);
    EXPECT_EQ(PixelAt(bmp, corner.X, corner.Y), c.expected);
    EXPECT_EQ(PixelAt(bmp, middle.X, middle.Y), Blue);
  }
}

// A rectangle without a colour of its own hands the question to the page it
// lies on, at its place there; with a colour, its paragraph's or its own
// colour answers.
TEST(PrintPageBackground, ARectangleWithoutColourOfItsOwnShowsThePage) {
  struct Case {
    bool transparent;
    TColor color;
    TColor expected;
  } cases[] = {{true, clNone, Green}, {false, clNone, 0xFFFFFF}, {false, Yellow, Yellow}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.transparent) + " " + std::to_string(c.color));
    TPrintDoc doc;
    doc.Style.Color = clWhite;
    doc.Add("Body");
    doc.View->SetBackgroundBitmap(qytest::PlainBitmap(Green).get());
    doc.View->SetBackgroundStyle(bsTiled);
    qytest::TViewer header;
    header.Add("Header");
    header.Format();
    doc.Print.SetHeader(header.View->VLData());
    ASSERT_EQ(doc.Paginate(), 1);
    TVLMainPrintableData& pd = doc.PD();
    TVLRectPrintableData& hd = *pd.Header();
    hd.Transparent = c.transparent;
    hd.Color = c.color;
    const TVLScreenAndDevice sad = pd.PrintResolution();
    // A point of the header's coordinates that lies 10 pixels inside the
    // page's printable area.
    const Integer y = MulDiv(pd.GetPrintableAreaTop() - hd.GetPrintableAreaTop(), sad.ppiyScreen, sad.ppiyDevice) + 10;
    TColor seen = clNone;
    doc.Print.OnPagePostpaint = [&](TVLPrint*, Integer, TCanvas*, bool, const TRect&, const TRect&) {
      TBitmap probe(4, 4);
      hd.DrawPageBackground(10, y, probe, sad, -1, false);
      seen = PixelAt(probe, 1, 1);
    };
    TBitmap bmp(20, 20);
    pd.DrawPage(1, bmp.Canvas(), false, false);
    EXPECT_EQ(seen, c.expected);
  }
}

}  // namespace
