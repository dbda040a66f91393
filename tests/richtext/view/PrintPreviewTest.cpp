// The print preview control: the page shown, zoom modes and clicks, the
// page cache, and pages that no longer exist.
#include "PrintFixture.h"

#include "richtext/view/VLPreview.h"

#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Cursors.h"

#include <QCursor>
#include <QImage>
#include <QWidget>

using qytest::TPrintDoc;

namespace {

struct TPreviewDoc : TPrintDoc {
  TPreviewDoc() {
    Preview = std::make_unique<TVLPrintPreview>(nullptr);
    Preview->SetBounds(0, 0, 500, 600);
  }
  ~TPreviewDoc() { Preview.reset(); }
  // Paints the preview and answers the first paragraph number drawn.
  int PaintFirstParagraph() {
    int first = -1;
    Style.OnDrawStyleText = [&](TVLStyle*, const AnsiString& s, TCanvas*, Integer, Integer, Integer, Integer,
                                Integer, Integer, TVLTextDrawStates, bool&) {
      String ascii;
      for (char ch : s)
        if (ch) ascii += ch;
      if (first < 0 && ascii.rfind("Paragraph ", 0) == 0) first = std::stoi(ascii.substr(10));
    };
    Paint();
    Style.OnDrawStyleText = nullptr;
    return first;
  }
  void Paint() {
    Canvas = std::make_unique<TBitmap>(Preview->ClientWidth(), Preview->ClientHeight());
    Preview->PaintTo(Canvas->Canvas());
    Canvas->Canvas()->ReleaseHandle();
  }
  TColor Pixel(Integer x, Integer y) {
    const QRgb c = Canvas->Canvas()->ImageDevice()->pixel(x, y);
    return static_cast<TColor>(qRed(c) | (qGreen(c) << 8) | (qBlue(c) << 16));
  }
  std::unique_ptr<TVLPrintPreview> Preview;
  std::unique_ptr<TBitmap> Canvas;
};

}  // namespace

TEST(PrintPreview, ShowsTheChosenPage) {
  TPreviewDoc doc;
  doc.Paragraphs(300);
  const Integer pages = doc.Paginate();
  doc.Preview->SetVLPrint(&doc.Print);
  ASSERT_TRUE(doc.Preview->CanDraw());
  EXPECT_EQ(doc.PaintFirstParagraph(), 1);
  doc.Preview->Next();
  EXPECT_EQ(doc.Preview->GetPageNo(), 2);
  EXPECT_EQ(doc.PaintFirstParagraph(), doc.ItemsOnPage(2).front() + 1);
  doc.Preview->Last();
  EXPECT_EQ(doc.Preview->GetPageNo(), pages);
  doc.Preview->Next();
  EXPECT_EQ(doc.Preview->GetPageNo(), pages);
  EXPECT_EQ(doc.PaintFirstParagraph(), doc.ItemsOnPage(pages).front() + 1);
  doc.Preview->First();
  doc.Preview->Prev();
  EXPECT_EQ(doc.Preview->GetPageNo(), 1);
}

TEST(PrintPreview, NeverPaintsAPageThatDoesNotExist) {
  TPreviewDoc doc;
  doc.Paragraphs(300);
  const Integer pages = doc.Paginate();
  doc.Preview->SetVLPrint(&doc.Print);
  for (Integer asked : {0, -5, pages + 1, 1000}) {
    doc.Preview->SetPageNo(asked);
    EXPECT_GE(doc.Preview->GetPageNo(), 1) << asked;
    EXPECT_LE(doc.Preview->GetPageNo(), pages) << asked;
    EXPECT_NO_THROW(doc.Paint());
  }
  // The document shrinks to one page while the preview shows the last.
  doc.Preview->Last();
  doc.View->Clear();
  doc.Paragraphs(3);
  doc.Format();
  // Painted before the pages are made again: the old pages name items
  // that are gone.
  doc.Preview->CachePageImage = false;
  EXPECT_NO_THROW(doc.Paint());
  doc.Preview->CachePageImage = true;
  doc.Print.FormatPages();
  ASSERT_EQ(doc.Print.GetPagesCount(), 1);
  int first = -1;
  EXPECT_NO_THROW(first = doc.PaintFirstParagraph());
  EXPECT_EQ(first, 1);
  EXPECT_EQ(doc.Preview->GetPageNo(), 1);
}

TEST(PrintPreview, ClickSwitchesZoom) {
  // A new control goes from 100 % to 50 %, then back.
  {
    TVLPrintPreview fresh(nullptr);
    fresh.SetZoomMode(vlzmPercent);
    for (Integer want : {100, 50, 100}) {
      EXPECT_EQ(fresh.GetZoomPercent(), want);
      fresh.Click();
    }
  }
  TPreviewDoc doc;
  doc.Paragraphs(10);
  doc.Paginate();
  doc.Preview->SetVLPrint(&doc.Print);
  doc.Preview->SetZoomMode(vlzmPercent);
  int changes = 0;
  doc.Preview->OnZoomChanged = [&](TObject*) { ++changes; };
  doc.Preview->SetZoomPercent(75);
  doc.Preview->SetZoomPercent(100);
  EXPECT_EQ(doc.Preview->GetCursor(), crVLZoomOut);
  doc.Preview->Click();
  EXPECT_EQ(doc.Preview->GetZoomPercent(), 75);
  EXPECT_EQ(doc.Preview->GetCursor(), crVLZoomIn);
  doc.Preview->SetZoomPercent(75);
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(doc.Preview->PageWidthZoomed, MulDiv(doc.Print.GetPreview100PercentWidth(), 75, 100));
  doc.Preview->ClickMode = vlcmNone;
  doc.Preview->Click();
  EXPECT_EQ(doc.Preview->GetZoomPercent(), 75);
}

// The picture the preview's window shows as its mouse pointer.
QImage ShownCursor(TControl* control) {
  const QCursor c = WidgetOf(control)->cursor();
  return c.shape() == Qt::BitmapCursor ? c.pixmap().toImage() : QImage();
}

TEST(PrintPreview, PointerShowsWhatAClickWouldDo) {
  TPreviewDoc doc;
  doc.Paragraphs(10);
  doc.Paginate();
  doc.Preview->SetVLPrint(&doc.Print);
  doc.Preview->SetZoomMode(vlzmPercent);
  const QImage in = LoadCursorResource("VL_ZOOMIN_CURSOR")->pixmap().toImage();
  const QImage out = LoadCursorResource("VL_ZOOMOUT_CURSOR")->pixmap().toImage();
  ASSERT_FALSE(in.isNull());
  ASSERT_NE(in, out);
  struct {
    Integer Percent;
    bool ZoomsIn;
  } cases[] = {{100, false}, {40, true}, {250, false}, {100, true}};
  doc.Preview->SetZoomPercent(60);
  for (const auto& c : cases) {
    doc.Preview->SetZoomPercent(c.Percent);
    EXPECT_EQ(doc.Preview->GetCursor(), c.ZoomsIn ? crVLZoomIn : crVLZoomOut) << c.Percent;
    EXPECT_EQ(ShownCursor(doc.Preview.get()), c.ZoomsIn ? in : out) << c.Percent;
  }
  // At 100 % a click goes back to the zoom before it.
  doc.Preview->SetZoomPercent(30);
  doc.Preview->SetZoomPercent(100);
  EXPECT_EQ(ShownCursor(doc.Preview.get()), out);
  doc.Preview->Click();
  EXPECT_EQ(doc.Preview->GetZoomPercent(), 30);
  EXPECT_EQ(ShownCursor(doc.Preview.get()), in);
  doc.Preview->ClickMode = vlcmNone;
  doc.Preview->SetZoomPercent(80);
  EXPECT_NE(WidgetOf(doc.Preview.get())->cursor().shape(), Qt::BitmapCursor);
}

TEST(PrintPreview, ZoomModes) {
  TPreviewDoc doc;
  doc.Paragraphs(10);
  doc.Paginate();
  doc.Preview->SetVLPrint(&doc.Print);
  const Integer pw = doc.Print.GetPreview100PercentWidth(), ph = doc.Print.GetPreview100PercentHeight();
  // Full page: the whole page fits, with the background margin around it.
  doc.Preview->SetZoomMode(vlzmFullPage);
  EXPECT_LE(doc.Preview->PageHeightZoomed + 40, doc.Preview->GetHeight());
  EXPECT_LE(doc.Preview->PageWidthZoomed + 40, doc.Preview->GetWidth());
  EXPECT_GT(doc.Preview->PageHeightZoomed + 40 + 2 * ph / 100, doc.Preview->GetHeight() - 20);
  // Page width: the width fills the window; no horizontal scrolling.
  doc.Preview->SetZoomMode(vlzmPageWidth);
  // (the client width changes by the vertical bar the new zoom shows)
  EXPECT_NEAR(doc.Preview->GetZoomPercent(), MulDiv(doc.Preview->GetWidth() - 40, 100, pw), 3);
  EXPECT_EQ(doc.Preview->XSize, 10);
  EXPECT_EQ(doc.Preview->YSize, doc.Preview->PageHeightZoomed + 40);
  // 100 %: the page at its size on the screen.
  doc.Preview->SetZoomMode(vlzmPercent);
  doc.Preview->SetZoomPercent(100);
  EXPECT_EQ(doc.Preview->PageWidthZoomed, pw);
  EXPECT_EQ(doc.Preview->PageHeightZoomed, ph);
  EXPECT_EQ(doc.Preview->XSize, pw + 40);
  // Percent: both scroll ranges take the page.
  doc.Preview->SetZoomPercent(200);
  EXPECT_EQ(doc.Preview->XSize, MulDiv(pw, 200, 100) + 40);
}

TEST(PrintPreview, PageCacheAndMargins) {
  TPreviewDoc doc;
  doc.Paragraphs(10);
  doc.Paginate();
  doc.Preview->SetVLPrint(&doc.Print);
  doc.Preview->SetZoomMode(vlzmFullPage);
  doc.Paint();
  doc.Paint();
  EXPECT_EQ(doc.Preview->PagesDrawn, 1);
  doc.Print.FormatPages();
  doc.Paint();
  EXPECT_EQ(doc.Preview->PagesDrawn, 2);
  doc.Preview->CachePageImage = false;
  doc.Paint();
  doc.Paint();
  EXPECT_EQ(doc.Preview->PagesDrawn, 4);

  // The margin frame only with a visible pen.
  const TRect page = doc.Preview->PageRect();
  const TRect paper = doc.PD().PaperRect();
  const Integer x = page.Left + MulDiv(doc.PD().LeftOffset - paper.Left, page.Width(), paper.Width());
  const Integer y = (page.Top + page.Bottom) / 2;
  auto redNear = [&]() {
    for (Integer dx = -2; dx <= 2; ++dx)
      if (const TColor c = doc.Pixel(x + dx, y); (c & 0xFF) > 0xB0 && ((c >> 8) & 0xFF) < 0x80) return true;
    return false;
  };
  doc.Paint();
  EXPECT_FALSE(redNear());
  doc.Preview->MarginsPen.Style = psSolid;
  doc.Preview->MarginsPen.Color = 0x0000FF;
  doc.Paint();
  EXPECT_TRUE(redNear());
  // The shadow.
  EXPECT_NE(doc.Pixel(page.Right + 2, page.Bottom + 2), doc.Pixel(2, 2));
}

TEST(PrintPreview, NothingToDrawWithoutPages) {
  TPreviewDoc doc;
  doc.Paragraphs(3);
  doc.Format();
  doc.Print.AssignSource(doc.View.get());
  doc.Preview->SetVLPrint(&doc.Print);
  EXPECT_FALSE(doc.Preview->CanDraw());
  doc.Preview->SetZoomPercent(80);
  EXPECT_EQ(doc.Preview->PageWidthZoomed, 0);
  doc.Paint();
  EXPECT_EQ(doc.Preview->PagesDrawn, 0);
  EXPECT_EQ(doc.Pixel(250, 300), doc.Pixel(5, 5));
}
