#include "platform/gui/WindowFocus.h"

#include "platform/gui/ControlsPrivate.h"

void SetWindowFocus(TWinControl* control) {
  if (QWidget* w = WidgetOf(control)) w->setFocus(Qt::OtherFocusReason);
}

bool HoldsWindowFocus(const TWinControl* control) {
  QWidget* w = WidgetOf(control);
  if (!w) return false;
  QWidget* f = w->window()->focusWidget();
  return f && (f == w || f == w->focusProxy() || f->focusProxy() == w);
}
