#include "platform/gui/Messages.h"

#include "platform/gui/Controls.h"
#include "platform/gui/GuiPrivate.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

namespace {
TDispatchExceptionSink& Sink() {
  static TDispatchExceptionSink sink;
  return sink;
}
}  // namespace

QEvent::Type TPostedMessageEvent::EventType() {
  static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

bool TMessageReceiver::event(QEvent* e) {
  if (e->type() != TPostedMessageEvent::EventType()) return QObject::event(e);
  auto* posted = static_cast<TPostedMessageEvent*>(e);
  TMessage msg = posted->Msg;
  msg.Data = posted->Data.get();
  RunControlHandler(FControl, [&] { FControl->WndProc(msg); });
  return true;
}

intptr_t SendMessage(TControl* target, Cardinal msg, intptr_t wParam, intptr_t lParam, TObject* data) {
  if (!target) return 0;
  TMessage m{msg, wParam, lParam, 0, data};
  target->WndProc(m);
  return m.Result;
}

bool PostMessage(TControl* target, Cardinal msg, intptr_t wParam, intptr_t lParam, std::unique_ptr<TObject> data) {
  if (!target || !target->MessageReceiver()) return false;
  QCoreApplication::postEvent(target->MessageReceiver(),
                              new TPostedMessageEvent(TMessage{msg, wParam, lParam, 0, nullptr}, std::move(data)));
  return true;
}

void SetDispatchExceptionSink(TDispatchExceptionSink sink) { Sink() = std::move(sink); }

void HandleDispatchException() {
  std::exception_ptr e = std::current_exception();
  if (!e) return;
  if (Sink()) {
    try {
      Sink()(e);
      return;
    } catch (...) {
      // The handler itself failed: fall through to the last resort.
    }
  }
  try {
    std::rethrow_exception(e);
  } catch (const std::exception& ex) {
    std::fprintf(stderr, "Unhandled exception: %s\n", ex.what());
  } catch (...) {
    std::fprintf(stderr, "Unhandled exception\n");
  }
}

// ---------------------------------------------------------------------------

struct TTimer::TImpl {
  QTimer Timer;
};

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner), FImpl(std::make_unique<TImpl>()) {
  QObject::connect(&FImpl->Timer, &QTimer::timeout, [this] { GuardedCall([this] { Fire(); }); });
  UpdateTimer();
}

TTimer::~TTimer() { FImpl->Timer.stop(); }

void TTimer::SetInterval(Cardinal value) {
  if (value == FInterval) return;
  FInterval = value;
  UpdateTimer();
}

void TTimer::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  FImpl->Timer.stop();
  if (FEnabled && FInterval > 0) FImpl->Timer.start(static_cast<int>(FInterval));
}

void TTimer::Fire() {
  if (OnTimer) OnTimer(this);
}
