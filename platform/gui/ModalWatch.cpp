#include "platform/gui/ModalWatch.h"

#include "platform/gui/Messages.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include <memory>

namespace {

class TModalFilter : public QObject {
public:
  std::function<void()> OnChange;
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() != QEvent::Show && e->type() != QEvent::Hide) return false;
    // The modal window itself: it may block no other window (none shown).
    auto* w = qobject_cast<QWidget*>(watched);
    if (w && w->isWindow() && w->isModal() && OnChange) GuardedCall([this] { OnChange(); });
    return false;
  }
};

std::unique_ptr<TModalFilter>& Filter() {
  static std::unique_ptr<TModalFilter> filter;
  return filter;
}

}  // namespace

void WatchModalChanges(std::function<void()> onChange) {
  auto& filter = Filter();
  if (!onChange) {
    filter.reset();
    return;
  }
  if (!filter) {
    filter = std::make_unique<TModalFilter>();
    if (qApp) qApp->installEventFilter(filter.get());
  }
  filter->OnChange = std::move(onChange);
}
