// Once an entry grows a vertical scroll bar, its lines wrap at the width
// left beside the bar: no text lies under it.
#include "ViewerFixture.h"

#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "support/Screenshots.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QImage>
#include <QPixmap>
#include <QScrollBar>
#include <QThread>
#include <QWidget>

using namespace qytest;

namespace {

// Short words fill their lines to within a few pixels.
const char* const LongLine =
    "We saw it, so we went on to a lot of it, as we do if it is so; it was a day by the weir "
    "and we sat in the sun by it as it ran on, and so on to the end of it all as we do.";

// Columns with text ink of the document painted across the whole control
// width (the bar is not drawn by the document).
Integer RightmostInk(TViewer& v) {
  TBitmap image(v.View->GetWidth(), v.View->ClientHeight());
  image.Canvas()->Brush.Color = clWhite;
  image.Canvas()->FillRect(TRect(0, 0, image.GetWidth(), image.GetHeight()));
  VLPaintTo(v.Data(), image.Canvas(), TRect(0, 0, image.GetWidth(), image.GetHeight()), TVLPaintInfo());
  Integer right = -1;
  for (Integer y = 0; y < image.GetHeight(); ++y)
    for (Integer x = image.GetWidth() - 1; x > right; --x)
      if ((ColorToRGB(image.Canvas()->GetPixel(x, y)) & 0xFF) < 0x80) {
        right = x;
        break;
      }
  return right;
}

}  // namespace

TEST(ScrollBarWrap, LinesWrapBesideTheBarOnceItAppears) {
  enum TGrowth { glLoaded, glFormattedAgain, glEdited };
  const struct {
    const char* Name;
    TGrowth How;
  } cases[] = {{"loaded at once", glLoaded},
               {"laid out again after more text", glFormattedAgain},
               {"edited past the bottom", glEdited}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TViewer v;
    const Integer fullClient = v.View->ClientWidth();
    if (c.How != glLoaded) {
      v.Add(LongLine);
      v.Format();
      ASSERT_EQ(v.View->ClientWidth(), fullClient) << "no bar for one paragraph";
    }
    const Integer lastDrawItem = v.Data().DrawItems.Count() - 1;
    for (int i = 0; i < 30; ++i) v.Add(LongLine);
    if (c.How == glEdited) {
      // As the editor reformats the paragraphs an edit touched.
      v.Data().FormatParas(lastDrawItem, lastDrawItem, 30);
    } else {
      v.Format();
    }
    const Integer client = v.View->ClientWidth();
    ASSERT_LT(client, fullClient) << "the document is taller than the window";
    // The layout took the narrower width...
    EXPECT_EQ(v.Data().TextWidth, client - v.View->LeftMargin - v.View->RightMargin);
    EXPECT_EQ(v.Data().DocumentWidth, client - v.View->LeftMargin - v.View->RightMargin);
    // ...so every piece ends before the right margin beside the bar,
    for (Integer n = 0; n < v.Data().DrawItems.Count(); ++n)
      EXPECT_LE(v.DI(n).Left + v.DI(n).Width, client - v.View->RightMargin) << "draw item " << n;
    // ...and no ink is painted where the bar stands.
    const Integer ink = RightmostInk(v);
    EXPECT_GE(ink, client / 2);
    EXPECT_LT(ink, client - v.View->RightMargin);
  }
}

// A real window: an entry grows its bar while it is edited; the right margin
// beside the bar stays free of text. Kept as long-entry.png in the build's
// screenshots/ (scripts/update-screenshots.sh copies it to the
// documentation). Runs only on a real display.
TEST(ScrollBarWrap, LongEntryScreenshot) {
  QY_SCREENSHOT_NEEDS_DISPLAY();
  TForm form(nullptr);
  form.SetText("Long entry");
  form.SetBounds(40, 40, 560, 420);
  TVLStyle style(nullptr);
  for (Integer i = 0; i < style.TextStyles->Count(); ++i) {
    style.TextStyles->Items(i)->FontName = "Arial";
    style.TextStyles->Items(i)->Unicode = true;
  }
  style.ParaStyles->Items(0)->SpaceAfter = 6;
  TVellum view(&form);
  view.SetParent(&form);
  view.SetAlign(alClient);
  view.SetStyle(&style);
  view.AddTextItem(LongLine, 0, 0);
  view.Format();
  form.Show();
  auto settle = [] {
    for (int i = 0; i < 10; ++i) {
      QCoreApplication::processEvents();
      QThread::msleep(20);
    }
  };
  settle();
  const Integer wide = view.ClientWidth();
  const Integer lastDrawItem = view.VLData()->DrawItems.Count() - 1;
  for (int i = 0; i < 14; ++i) view.AddTextItem(LongLine, 0, 0);
  view.VLData()->FormatParas(lastDrawItem, lastDrawItem, 14);
  settle();
  ASSERT_LT(view.ClientWidth(), wide) << "the entry grew a bar";
  const QImage shot = WidgetOf(&view)->grab().toImage();
  // Between the text's right margin and the bar: background only.
  QScrollBar* bar = nullptr;
  for (QScrollBar* b : WidgetOf(&view)->findChildren<QScrollBar*>())
    if (b->orientation() == Qt::Vertical && b->isVisible()) bar = b;
  ASSERT_NE(bar, nullptr);
  const int marginLeft = bar->x() - view.RightMargin;
  int inked = 0;
  for (int y = bar->y(); y < bar->y() + bar->height(); ++y)  // inside the frame
    for (int x = marginLeft; x < bar->x(); ++x)
      if (qGray(shot.pixel(x, y)) < 128) ++inked;
  EXPECT_EQ(inked, 0) << "text runs into the margin beside the bar";
  EXPECT_EQ(KeepScreenshot(WindowWidgetOf(&form)->grab().toImage(), "long-entry.png", {400, 300, {}}), "");
  form.Hide();
}
