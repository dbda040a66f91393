#include "platform/gui/AccessKey.h"

#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/QtText.h"

#include <QKeySequence>
#include <QObject>
#include <QPointer>
#include <QShortcutEvent>
#include <QWidget>

struct TAccessKey::TImpl : QObject {
  TWinControl* Control = nullptr;
  std::function<void()> OnKey;
  QPointer<QWidget> Widget;
  int Id = 0;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != Widget || event->type() != QEvent::Shortcut) return false;
    auto* se = static_cast<QShortcutEvent*>(event);
    if (Id == 0 || se->shortcutId() != Id) return false;
    if (!Control->CanFocus()) return true;
    if (se->isAmbiguous())
      GuardedCall([this] { Control->SetFocus(); });
    else if (OnKey)
      GuardedCall(OnKey);
    return true;
  }
};

TAccessKey::TAccessKey(TWinControl* Control, std::function<void()> OnKey) : FImpl(std::make_unique<TImpl>()) {
  FImpl->Control = Control;
  FImpl->OnKey = std::move(OnKey);
  FImpl->Widget = WidgetOf(Control);
  if (FImpl->Widget) FImpl->Widget->installEventFilter(FImpl.get());
}

TAccessKey::~TAccessKey() {
  if (!FImpl->Widget) return;
  if (FImpl->Id != 0) FImpl->Widget->releaseShortcut(FImpl->Id);
  FImpl->Widget->removeEventFilter(FImpl.get());
}

void TAccessKey::SetCaption(const String& Caption) {
  QWidget* w = FImpl->Widget;
  if (!w) return;
  if (FImpl->Id != 0) w->releaseShortcut(FImpl->Id);
  FImpl->Id = 0;
  const QKeySequence key = QKeySequence::mnemonic(ToQ(Caption));
  if (!key.isEmpty()) FImpl->Id = w->grabShortcut(key, Qt::WindowShortcut);
}
