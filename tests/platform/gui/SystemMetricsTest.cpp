// Desktop settings and pointer services the views ask for: scroll-bar size,
// wheel lines, double-click time, drag distance, message time, cursor
// position, mouse capture and hints at a point.
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Forms.h"

#include <QCoreApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QStyleHints>
#include <QToolTip>
#include <QWindow>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// The hint window fades out after a moment: wait for it (a minute at most,
// far more than a loaded machine needs).
bool HintHidden() {
  QElapsedTimer t;
  t.start();
  while (QToolTip::isVisible() && t.elapsed() < 60000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return !QToolTip::isVisible();
}

TScrollInfo Range(int max, int page) {
  TScrollInfo info;
  info.Max = max;
  info.Page = page;
  return info;
}

TEST(SystemMetrics, ScrollBarSizesAreWhatAShownBarTakesFromTheClientArea) {
  TForm form(nullptr);
  TCustomControl view(&form);
  view.SetParent(&form);
  view.SetBounds(0, 0, 200, 100);
  view.SetScrollInfo(sbVertical, Range(999, 10));
  EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 200 - view.ClientWidth());
  view.SetScrollInfo(sbHorizontal, Range(999, 10));
  EXPECT_EQ(GetSystemMetrics(SM_CYHSCROLL), 100 - view.ClientHeight());
  EXPECT_GT(GetSystemMetrics(SM_CXHSCROLL), 0);
  EXPECT_GT(GetSystemMetrics(SM_CYVSCROLL), 0);
  EXPECT_EQ(GetSystemMetrics(-1), 0);
}

TEST(SystemMetrics, DesktopSettingsFollowTheToolkit) {
  QStyleHints* hints = QGuiApplication::styleHints();
  const int lines = hints->wheelScrollLines();
  const int interval = hints->mouseDoubleClickInterval();
  const int distance = hints->startDragDistance();
  for (int setting : {1, 3, 7}) {
    hints->setWheelScrollLines(setting);
    unsigned got = 0;
    EXPECT_TRUE(SystemParametersInfo(SPI_GETWHEELSCROLLLINES, 0, &got));
    EXPECT_EQ(got, static_cast<unsigned>(setting));
  }
  unsigned untouched = 99;
  EXPECT_FALSE(SystemParametersInfo(0x1234, 0, &untouched));
  EXPECT_EQ(untouched, 99u);
  hints->setMouseDoubleClickInterval(321);
  EXPECT_EQ(GetDoubleClickTime(), 321u);

  hints->setStartDragDistance(10);
  EXPECT_EQ(GetSystemMetrics(SM_CXDRAG), 10);
  struct Case {
    TPoint To;
    bool Drag;
  };
  for (const Case& c : {Case{{9, 0}, false}, Case{{10, 0}, true}, Case{{0, -10}, true}, Case{{-9, 9}, false},
                        Case{{0, 0}, false}})
    EXPECT_EQ(DragDetect(TPoint(100, 100), TPoint(100 + c.To.X, 100 + c.To.Y)), c.Drag) << c.To.X << "," << c.To.Y;

  hints->setWheelScrollLines(lines);
  hints->setMouseDoubleClickInterval(interval);
  hints->setStartDragDistance(distance);
}

TEST(SystemMetrics, MessageTimeIsTheTimeStampOfTheLastInput) {
  TForm form(nullptr);
  TCustomControl view(&form);
  view.SetParent(&form);
  view.SetBounds(0, 0, 50, 50);
  for (quint64 stamp : {1000u, 1250u, 987654u}) {
    QMouseEvent e(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    e.setTimestamp(stamp);
    QCoreApplication::sendEvent(WidgetOf(&view), &e);
    EXPECT_EQ(GetMessageTime(), static_cast<Cardinal>(stamp));
  }
}

TEST(SystemMetrics, CaptureGoesToOneControlUntilReleasedOrGone) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 200, 100);
  TCustomControl a(&form), b(&form);
  a.SetParent(&form);
  a.SetBounds(0, 0, 50, 50);
  b.SetParent(&form);
  b.SetBounds(60, 0, 50, 50);
  form.Show();
  std::vector<String> moves;
  auto record = [&](const char* name) {
    return [&moves, name](TObject*, TShiftState, int x, int y) {
      moves.push_back(String(name) + " " + std::to_string(x) + "," + std::to_string(y));
    };
  };
  a.OnMouseMove = record("a");
  b.OnMouseMove = record("b");
  // A move over b, as the window system delivers it to the window.
  auto moveOverB = [&] {
    QWindow* window = WindowWidgetOf(&form)->windowHandle();
    const QPointF at = WidgetOf(&b)->mapTo(WindowWidgetOf(&form), QPoint(5, 5));
    QMouseEvent e(QEvent::MouseMove, at, window->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &e);
  };
  EXPECT_EQ(GetCapture(), nullptr);
  moveOverB();
  EXPECT_EQ(moves, (std::vector<String>{"b 5,5"}));
  EXPECT_EQ(SetCapture(&a), nullptr);
  EXPECT_EQ(GetCapture(), &a);
  moves.clear();
  moveOverB();
  EXPECT_EQ(moves, (std::vector<String>{"a 65,5"}));
  EXPECT_EQ(SetCapture(&b), &a);
  EXPECT_EQ(GetCapture(), &b);
  EXPECT_TRUE(ReleaseCapture());
  EXPECT_EQ(GetCapture(), nullptr);

  auto c = std::make_unique<TCustomControl>(&form);
  c->SetParent(&form);
  c->SetBounds(0, 60, 20, 20);
  SetCapture(c.get());
  EXPECT_EQ(GetCapture(), c.get());
  c.reset();
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST(SystemMetrics, CursorPositionAndHintsAtAPoint) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 200, 100);
  TCustomControl view(&form), bare(&form);
  view.SetParent(&form);
  view.SetBounds(0, 0, 100, 100);
  view.SetHint("Short|Long");
  bare.SetParent(&form);
  bare.SetBounds(100, 0, 100, 100);
  form.Show();

  QCursor::setPos(QPoint(37, 21));
  TPoint p;
  EXPECT_TRUE(GetCursorPos(p));
  EXPECT_EQ(p, TPoint(37, 21));

  Application->ActivateHint(view.ClientToScreen(TPoint(10, 10)));
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text(), QString("Short"));
  // A control without a hint hides the hint window.
  Application->ActivateHint(bare.ClientToScreen(TPoint(10, 10)));
  EXPECT_TRUE(HintHidden()) << "the hint window to fade out";
  Application->ActivateHint(view.ClientToScreen(TPoint(10, 10)));
  EXPECT_TRUE(QToolTip::isVisible());
  Application->CancelHint();
  EXPECT_TRUE(HintHidden()) << "the hint window to fade out";
}

}  // namespace
