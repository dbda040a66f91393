// Scroll bars and the window frame of a control that paints itself.
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Forms.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TScrollInfo Range(int max, int page, int pos) {
  TScrollInfo info;
  info.Max = max;
  info.Page = page;
  info.Pos = pos;
  return info;
}

QScrollBar* BarOf(TCustomControl& c, Qt::Orientation o) {
  for (QScrollBar* b : WidgetOf(&c)->findChildren<QScrollBar*>())
    if (b->orientation() == o) return b;
  return nullptr;
}

TEST(CustomControlScroll, APositionTheScrollHandlerSetsWinsOverTheBarsOwnStep) {
  struct Case {
    QAbstractSlider::SliderAction Action;
    int Start;
    int HandlerSets;  // -1: the handler leaves the position alone
    int Expected;
  };
  // Range 0..99, page 10: positions 0..90; the bar's own line step is 1.
  const Case cases[] = {
      {QAbstractSlider::SliderSingleStepAdd, 0, 7, 7},
      {QAbstractSlider::SliderSingleStepSub, 50, 43, 43},
      {QAbstractSlider::SliderPageStepAdd, 0, 25, 25},
      // The handler keeps the position where it was: the bar must not step.
      {QAbstractSlider::SliderSingleStepAdd, 20, 20, 20},
      {QAbstractSlider::SliderToMaximum, 20, 0, 0},
      // Beyond the range the bar clamps what the handler set.
      {QAbstractSlider::SliderSingleStepAdd, 90, 200, 90},
      // No handler decision: the bar's own step stands.
      {QAbstractSlider::SliderSingleStepAdd, 0, -1, 1},
      {QAbstractSlider::SliderPageStepAdd, 0, -1, 10},
  };
  for (const Case& c : cases) {
    TForm form(nullptr);
    TCustomControl view(&form);
    view.SetParent(&form);
    view.SetBounds(0, 0, 200, 100);
    view.SetScrollInfo(sbVertical, Range(99, 10, c.Start));
    std::vector<int> codes;
    view.SetMessageHandler(WM_VSCROLL, [&](TMessage& m) {
      codes.push_back(static_cast<int>(m.WParam));
      if (c.HandlerSets >= 0) view.SetScrollPos(sbVertical, c.HandlerSets);
    });
    QScrollBar* bar = BarOf(view, Qt::Vertical);
    ASSERT_NE(bar, nullptr);
    bar->triggerAction(c.Action);
    EXPECT_EQ(codes.size(), 1u) << c.Action;
    EXPECT_EQ(view.GetScrollPos(sbVertical), c.Expected) << c.Action << " from " << c.Start;
    EXPECT_EQ(bar->value(), c.Expected) << c.Action << " from " << c.Start;
  }
}

TEST(CustomControlScroll, LineStepsAreKeptForBarsMadeLaterAndWithoutAWidget) {
  TForm form(nullptr);
  TCustomControl view(&form);
  view.SetParent(&form);
  view.SetBounds(0, 0, 200, 100);
  view.SetScrollSteps(sbHorizontal, 16);
  view.SetScrollInfo(sbHorizontal, Range(999, 200, 0));
  QScrollBar* bar = BarOf(view, Qt::Horizontal);
  ASSERT_NE(bar, nullptr);
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(view.GetScrollPos(sbHorizontal), 16);

  // Qt may destroy the widget with its parent: the control stays usable.
  TCustomControl orphan(nullptr);
  delete WidgetOf(&orphan);
  ASSERT_EQ(WidgetOf(&orphan), nullptr);
  orphan.SetScrollSteps(sbVertical, 3);
  orphan.SetScrollInfo(sbVertical, Range(99, 10, 5));
  orphan.ScrollWindow(0, 10);
  orphan.InvalidateRect(Rect(0, 0, 5, 5));
  orphan.Update();
  EXPECT_FALSE(orphan.ScrollBarVisible(sbVertical));
}

// A control with the window styles of a case.
class TFramedView : public TCustomControl {
public:
  TFramedView(TComponent* owner, Cardinal style, Cardinal exStyle)
      : TCustomControl(owner), FStyle(style), FExStyle(exStyle) {}
  std::vector<TPoint> Downs;
  // Every mouse event the control heard: 'd'own, 'm'ove, 'u'p.
  std::string Heard;

protected:
  void CreateParams(TCreateParams& Params) override {
    Params.Style |= FStyle;
    Params.ExStyle |= FExStyle;
  }
  void MouseDown(TMouseButton, TShiftState, int X, int Y) override {
    Downs.push_back({X, Y});
    Heard += 'd';
  }
  void MouseMove(TShiftState, int, int) override { Heard += 'm'; }
  void MouseUp(TMouseButton, TShiftState, int, int) override { Heard += 'u'; }

private:
  Cardinal FStyle, FExStyle;
};

// A framed view 200 by 100 on a form of its own, its vertical bar shown.
struct TFramedSetup {
  TForm Form{nullptr};
  TFramedView View;
  TFramedSetup(Cardinal style, Cardinal exStyle) : View(&Form, style, exStyle) {
    View.SetParent(&Form);
    View.SetBounds(0, 0, 200, 100);
    View.RecreateWnd();
    View.SetScrollInfo(sbVertical, Range(999, 50, 0));
  }
};

TEST(CustomControlScroll, FrameAndLeftScrollBarShrinkAndMoveTheClientArea) {
  const int bar = GetSystemMetrics(SM_CXVSCROLL);
  ASSERT_GT(bar, 0);
  struct Case {
    Cardinal Style, ExStyle;
    TPoint Origin;  // of the client area inside the control
    int FrameWidth;
  };
  const Case cases[] = {
      {0, 0, {0, 0}, 0},
      {WS_BORDER, 0, {1, 1}, 1},
      {0, WS_EX_CLIENTEDGE, {2, 2}, 2},
      {WS_BORDER, WS_EX_CLIENTEDGE, {2, 2}, 2},
      {0, WS_EX_LEFTSCROLLBAR, {bar, 0}, 0},
      {WS_BORDER, WS_EX_LEFTSCROLLBAR, {1 + bar, 1}, 1},
  };
  for (const Case& c : cases) {
    TFramedSetup setup(c.Style, c.ExStyle);
    TFramedView& view = setup.View;
    const bool left = (c.ExStyle & WS_EX_LEFTSCROLLBAR) != 0;
    EXPECT_EQ(view.GetClientRect(), Rect(0, 0, 200 - 2 * c.FrameWidth - bar, 100 - 2 * c.FrameWidth))
        << c.Style << "/" << c.ExStyle;
    QScrollBar* v = BarOf(view, Qt::Vertical);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->x(), left ? c.FrameWidth : 200 - c.FrameWidth - bar) << c.Style << "/" << c.ExStyle;
    EXPECT_EQ(v->y(), c.FrameWidth);

    // Client coordinates start at the origin: mouse, screen mapping, children.
    QWidget* w = WidgetOf(&view);
    QPointF local(c.Origin.X + 5, c.Origin.Y + 6);
    QMouseEvent press(QEvent::MouseButtonPress, local, w->mapToGlobal(local), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
    EXPECT_EQ(view.Downs, (std::vector<TPoint>{{5, 6}})) << c.Style << "/" << c.ExStyle;
    const QPoint g = w->mapToGlobal(QPoint(c.Origin.X, c.Origin.Y));
    EXPECT_EQ(view.ClientToScreen(TPoint(0, 0)), TPoint(g.x(), g.y()));
    EXPECT_EQ(view.ScreenToClient(TPoint(g.x(), g.y())), TPoint(0, 0));
    TCustomControl child(&setup.Form);
    child.SetParent(&view);
    child.SetBounds(3, 4, 10, 10);
    EXPECT_EQ(WidgetOf(&child)->pos(), QPoint(c.Origin.X + 3, c.Origin.Y + 4));
    EXPECT_EQ(child.GetLeft(), 3);
    EXPECT_EQ(child.GetTop(), 4);
    child.SetParent(nullptr);
  }
}

// The frame and the square between the two bars show nothing of the client
// area: a press there, its moves and its release are not the control's
// (clamped into the client area, the release would land elsewhere than the
// press). A press inside keeps the mouse wherever it goes.
TEST(CustomControlScroll, PressesOnTheFrameOrBetweenTheBarsAreNotTheClients) {
  const int bar = GetSystemMetrics(SM_CXVSCROLL);
  ASSERT_GT(bar, 0);
  struct Case {
    Cardinal Style, ExStyle;
    QPoint Press, Then;  // widget coordinates: the press, then a move and the release
    const char* Heard;
  };
  const int right = 200 - 2 - bar, bottom = 100 - 2 - bar;  // of the client area framed by 2
  const Case cases[] = {
      // Between the bars.
      {0, WS_EX_CLIENTEDGE, {right + 3, bottom + 3}, {right + 4, bottom + 4}, ""},
      {0, 0, {200 - 2, 100 - 2}, {200 - 3, 100 - 3}, ""},
      {0, WS_EX_LEFTSCROLLBAR, {2, 100 - 2}, {3, 100 - 3}, ""},
      // The frame, then into the client area.
      {0, WS_EX_CLIENTEDGE, {1, 40}, {20, 40}, ""},
      {WS_BORDER, 0, {100, 0}, {100, 20}, ""},
      // From the client area onto the square and the frame: the press's own.
      {0, WS_EX_CLIENTEDGE, {20, 20}, {right + 3, bottom + 3}, "dmu"},
      {WS_BORDER, 0, {20, 20}, {0, 0}, "dmu"},
      {0, 0, {20, 20}, {30, 30}, "dmu"},
  };
  for (const Case& c : cases) {
    TFramedSetup setup(c.Style, c.ExStyle);
    TFramedView& view = setup.View;
    view.SetScrollInfo(sbHorizontal, Range(999, 50, 0));
    QWidget* w = WidgetOf(&view);
    ASSERT_FALSE(qobject_cast<QScrollBar*>(w->childAt(c.Press))) << c.Press.x() << "," << c.Press.y();
    auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
      QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                    buttons, Qt::NoModifier);
      QCoreApplication::sendEvent(w, &e);
    };
    send(QEvent::MouseButtonPress, c.Press, Qt::LeftButton);
    send(QEvent::MouseMove, c.Then, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, c.Then, Qt::NoButton);
    EXPECT_EQ(view.Heard, c.Heard) << c.Style << "/" << c.ExStyle << " pressed at " << c.Press.x() << ","
                                   << c.Press.y();
    // The next press inside is heard as ever.
    view.Heard.clear();
    send(QEvent::MouseButtonPress, QPoint(bar + 10, 20), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, QPoint(bar + 10, 20), Qt::NoButton);
    EXPECT_EQ(view.Heard, "du") << c.Style << "/" << c.ExStyle;
  }
}

// A child control (a cell editor scrolled half out of the view) shows and
// takes the mouse inside the client area only: the bars, the square between
// them and the frame stay the control's, wherever the child is placed and
// whenever a bar comes or goes.
TEST(CustomControlScroll, ChildrenShowInsideTheClientAreaOnly) {
  const int bar = GetSystemMetrics(SM_CXVSCROLL);
  ASSERT_GT(bar, 0);
  struct Case {
    Cardinal Style, ExStyle;
    TRect Child;  // client coordinates
    bool BarsFirst;
  };
  const Case cases[] = {
      // Over the horizontal bar and the square, placed before or after the bars came.
      {0, WS_EX_CLIENTEDGE, Rect(100, 60, 400, 200), true},
      {0, WS_EX_CLIENTEDGE, Rect(100, 60, 400, 200), false},
      {WS_BORDER, 0, Rect(-30, 40, 100, 150), true},
      {0, WS_EX_LEFTSCROLLBAR, Rect(-40, -40, 60, 60), false},
      // Above the client area, over the frame.
      {0, WS_EX_CLIENTEDGE, Rect(10, -20, 90, 30), true},
      // Wholly outside: under the bar.
      {0, 0, Rect(20, 150, 60, 180), true},
      // Wholly inside.
      {WS_BORDER, WS_EX_CLIENTEDGE, Rect(5, 5, 40, 40), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.Style) + "/" + std::to_string(c.ExStyle) + " child at " + std::to_string(c.Child.Left) +
                 "," + std::to_string(c.Child.Top) + (c.BarsFirst ? ", the bars first" : ", the child first"));
    TFramedSetup setup(c.Style, c.ExStyle);
    TFramedView& view = setup.View;
    setup.Form.Show();
    if (!c.BarsFirst) view.ShowScrollBar(sbVertical, false);
    TCustomControl child(&setup.Form);
    child.SetParent(&view);
    child.SetBounds(c.Child.Left, c.Child.Top, c.Child.Width(), c.Child.Height());
    child.Show();
    if (!c.BarsFirst) view.ShowScrollBar(sbVertical, true);
    view.SetScrollInfo(sbHorizontal, Range(999, 50, 0));
    QCoreApplication::processEvents();
    QWidget* w = WidgetOf(&view);
    QWidget* cw = WidgetOf(&child);
    const TRect r = view.GetClientRect();
    const TPoint g = view.ClientToScreen(TPoint(0, 0));
    const QPoint origin = w->mapFromGlobal(QPoint(g.X, g.Y));
    const QRect client(origin, QSize(r.Width(), r.Height()));
    const QRect placed = cw->geometry();
    // Every other pixel of the control: the child's where it is placed
    // inside the client area, else the bars' or the control's own.
    for (int y = 0; y < w->height(); y += 2)
      for (int x = 0; x < w->width(); x += 2) {
        const QPoint p(x, y);
        QWidget* under = w->childAt(p);
        const bool inChild = placed.contains(p) && client.contains(p);
        if (inChild) {
          ASSERT_EQ(under, cw) << "at " << x << "," << y;
        } else {
          ASSERT_NE(under, cw) << "at " << x << "," << y;
          if (!client.contains(p) && under) {
            ASSERT_TRUE(qobject_cast<QScrollBar*>(under)) << "at " << x << "," << y;
          }
        }
      }
    // Moved wholly inside, the child is whole again.
    child.SetBounds(2, 2, 20, 20);
    QCoreApplication::processEvents();
    EXPECT_EQ(w->childAt(origin + QPoint(3, 3)), cw);
    EXPECT_EQ(w->childAt(origin + QPoint(21, 21)), cw);
    EXPECT_TRUE(cw->mask().isEmpty());
    child.SetParent(nullptr);
  }
}

}  // namespace
