#include "platform/gui/ThemeDraw.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace {
QStyle* Style() { return qApp ? QApplication::style() : nullptr; }

// Renders a part into a bitmap and copies it onto the canvas.
template <typename F>
void Render(TCanvas& canvas, const TRect& r, F&& paint) {
  if (r.Width() <= 0 || r.Height() <= 0 || !Style()) return;
  QImage img(r.Width(), r.Height(), QImage::Format_ARGB32_Premultiplied);
  img.fill(QApplication::palette().color(QPalette::Button));
  {
    QPainter p(&img);
    paint(p, QRect(0, 0, r.Width(), r.Height()));
  }
  TBitmap bmp;
  bmp.SetImage(img);
  canvas.Draw(r.Left, r.Top, &bmp);
}
}  // namespace

bool ThemesActive() { return Style() != nullptr; }

void DrawComboButton(TCanvas& canvas, const TRect& r, TThemePartState state) {
  Render(canvas, r, [state](QPainter& p, const QRect& rect) {
    QStyleOptionButton button;
    button.rect = rect;
    button.palette = QApplication::palette();
    button.state = QStyle::State_Raised;
    if (state != tpsDisabled) button.state |= QStyle::State_Enabled;
    if (state == tpsHot) button.state |= QStyle::State_MouseOver;
    if (state == tpsPressed) button.state = (button.state & ~QStyle::State_Raised) | QStyle::State_Sunken;
    Style()->drawControl(QStyle::CE_PushButtonBevel, &button, &p);
    QStyleOption arrow;
    arrow.rect = rect.adjusted(rect.width() / 4, rect.height() / 4, -rect.width() / 4, -rect.height() / 4);
    arrow.palette = button.palette;
    arrow.state = button.state;
    Style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &p);
  });
}

void DrawEditFrame(TCanvas& canvas, const TRect& r, bool enabled) {
  Render(canvas, r, [enabled](QPainter& p, const QRect& rect) {
    QStyleOptionFrame frame;
    frame.rect = rect;
    frame.palette = QApplication::palette();
    frame.state = QStyle::State_Sunken;
    if (enabled) frame.state |= QStyle::State_Enabled;
    frame.lineWidth = 2;
    p.fillRect(rect, frame.palette.color(QPalette::Base));
    Style()->drawPrimitive(QStyle::PE_FrameLineEdit, &frame, &p);
  });
}

void DrawPushButtonFrame(TCanvas& canvas, const TRect& r, bool enabled) {
  Render(canvas, r, [enabled](QPainter& p, const QRect& rect) {
    QStyleOptionButton button;
    button.rect = rect;
    button.palette = QApplication::palette();
    button.state = QStyle::State_Raised;
    if (enabled) button.state |= QStyle::State_Enabled;
    Style()->drawControl(QStyle::CE_PushButtonBevel, &button, &p);
  });
}

Integer VerticalScrollBarWidth() { return Style() ? Style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 16; }
