#include "platform/gui/FormMonitor.h"

#include "platform/gui/Forms.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

TRect MonitorBoundsOf(const TCustomForm* Form) {
  QScreen* screen = nullptr;
  if (Form) {
    QRect r(Form->GetLeft(), Form->GetTop(), Form->GetWidth(), Form->GetHeight());
    int best = -1;
    for (QScreen* s : QGuiApplication::screens()) {
      QRect inter = s->geometry().intersected(r);
      int area = inter.isValid() ? inter.width() * inter.height() : 0;
      if (area > best) {
        best = area;
        screen = s;
      }
    }
    if (best <= 0) screen = QGuiApplication::screenAt(r.center());
  }
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return TRect{0, 0, 0, 0};
  QRect g = screen->geometry();
  return TRect{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

void HandleOneMessage() {
  if (!QCoreApplication::instance()) return;
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
}
