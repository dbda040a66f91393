#include "platform/gui/Mouse.h"

#include <QCursor>

TPoint GetCursorPos() {
  QPoint p = QCursor::pos();
  return TPoint(p.x(), p.y());
}
