// A control that paints itself: what is invalid is what gets painted, the
// canvas is clipped to it, and scrolling moves pixels instead of repainting.
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Forms.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

// Paints a red band over document rows [40, 50) on white, the document
// shifted up by Offset, and records the clip of every paint.
class TBandView : public TCustomControl {
public:
  using TCustomControl::TCustomControl;
  std::vector<TRect> Clips;
  int Offset = 0;
  bool Opaque = false;

protected:
  void Paint() override {
    Clips.push_back(Canvas()->ClipRect());
    const TRect client = GetClientRect();
    Canvas()->Brush.Color = clWhite;
    Canvas()->FillRect(client);
    Canvas()->Brush.Color = clRed;
    Canvas()->FillRect(Rect(0, 40 - Offset, client.Right, 50 - Offset));
  }
  void WndProc(TMessage& m) override {
    if (m.Msg == WM_ERASEBKGND && Opaque) {
      m.Result = 1;
      return;
    }
    TCustomControl::WndProc(m);
  }
};

// Runs the event loop until done() holds (or a minute passes: far more than
// a loaded machine needs).
bool Await(const std::function<bool()>& done) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < 60000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

struct TShownView {
  TForm Form{nullptr};
  TBandView View{&Form};
  TShownView() {
    Form.SetBounds(0, 0, 300, 200);
    View.SetParent(&Form);
    View.SetBounds(10, 10, 200, 100);
    Form.Show();
    EXPECT_TRUE(Await([&] { return !View.Clips.empty(); })) << "the shown view's first paint";
    // Let any late paint of the showing land before the cases count paints.
    QElapsedTimer quiet;
    quiet.start();
    size_t painted = View.Clips.size();
    while (quiet.elapsed() < 100) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      if (View.Clips.size() != painted) {
        painted = View.Clips.size();
        quiet.restart();
      }
    }
    EXPECT_EQ(View.GetUpdateRect(), TRect());
    View.Clips.clear();
  }
};

TEST(CustomControlPaint, UpdatePaintsOnlyWhatIsInvalidAndTheCanvasSeesThatClip) {
  TShownView s;
  ASSERT_FALSE(::testing::Test::HasFailure());
  struct Case {
    std::vector<TRect> Invalid;
    std::vector<TRect> Painted;
  };
  const Case cases[] = {
      {{Rect(20, 30, 60, 50)}, {Rect(20, 30, 60, 50)}},
      // Two rectangles paint together; the clip box holds both.
      {{Rect(0, 0, 10, 10), Rect(50, 60, 70, 90)}, {Rect(0, 0, 70, 90)}},
      // Outside the client area nothing is invalid.
      {{Rect(300, 300, 310, 310)}, {}},
      // Nothing invalid: Update paints nothing.
      {{}, {}},
  };
  for (const Case& c : cases) {
    s.View.Clips.clear();
    for (const TRect& r : c.Invalid) s.View.InvalidateRect(r);
    s.View.Update();
    EXPECT_EQ(s.View.Clips, c.Painted);
    EXPECT_EQ(s.View.GetUpdateRect(), TRect());
  }
  // Invalidate marks the whole client area.
  s.View.Invalidate();
  EXPECT_EQ(s.View.GetUpdateRect(), s.View.GetClientRect());
  s.View.Update();
  EXPECT_EQ(s.View.Clips, (std::vector<TRect>{s.View.GetClientRect()}));
}

TEST(CustomControlPaint, ScrollWindowMovesThePixelsAndPaintsTheUncoveredStrip) {
  TShownView s;
  ASSERT_FALSE(::testing::Test::HasFailure());
  s.View.Opaque = true;
  s.View.Invalidate();
  s.View.Update();
  s.View.Clips.clear();

  // Scroll the document up by 10: the bottom strip of 10 rows is uncovered.
  s.View.Offset = 10;
  s.View.ScrollWindow(0, -10);
  EXPECT_EQ(s.View.GetUpdateRect(), Rect(0, 90, 200, 100));
  s.View.Update();
  EXPECT_EQ(s.View.Clips, (std::vector<TRect>{Rect(0, 90, 200, 100)}));

  // What the window shows: the band moved with the pixels to rows 30..39.
  QWidget* window = WindowWidgetOf(&s.Form);
  const QImage shown = window->screen()->grabWindow(window->winId()).toImage();
  const QPoint at = WidgetOf(&s.View)->mapTo(window, QPoint(0, 0));
  const qreal ratio = shown.devicePixelRatio();
  auto pixel = [&](int x, int y) { return shown.pixelColor(QPoint(at.x() + x, at.y() + y) * ratio); };
  EXPECT_EQ(pixel(100, 29), QColor(Qt::white));
  EXPECT_EQ(pixel(100, 30), QColor(Qt::red));
  EXPECT_EQ(pixel(100, 39), QColor(Qt::red));
  EXPECT_EQ(pixel(100, 40), QColor(Qt::white));

  // Invalid areas move with the pixels.
  s.View.InvalidateRect(Rect(0, 50, 20, 60));
  s.View.ScrollWindow(0, -10);
  EXPECT_EQ(s.View.GetUpdateRect(), Rect(0, 40, 200, 100));
}

}  // namespace
