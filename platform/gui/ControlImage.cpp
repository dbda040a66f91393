#include "platform/gui/ControlImage.h"

#include "platform/gui/ControlsPrivate.h"

#include <QPainter>

void PaintControlTo(TControl* control, TCanvas& canvas, Integer x, Integer y, bool withChildren) {
  QWidget* w = WidgetOf(control);
  QPainter* p = canvas.Handle();
  if (!w || !p) return;
  QWidget::RenderFlags flags = QWidget::DrawWindowBackground;
  if (withChildren) flags |= QWidget::DrawChildren;
  // A widget never shown has not been laid out or styled yet.
  w->ensurePolished();
  w->render(p, QPoint(x, y), QRegion(), flags);
}
