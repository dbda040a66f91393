#include "platform/gui/ProgressWindow.h"

#include "platform/gui/QtText.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <utility>
#include <vector>
#include <climits>
#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>

namespace {

// The windows of the tasks running now, innermost last, and what waits for
// them all to end.
std::vector<TProgressWindow*> GRunning;
std::vector<std::function<void()>> GWhenNone;

}  // namespace

struct TProgressWindow::TImpl {
  QPointer<QProgressDialog> Dialog;
  QElapsedTimer Started;
  int ShowAfterMs = 0;
};

TProgressWindow::TProgressWindow(const String& Caption, const String& Text, int ShowAfterMs)
    : FImpl(std::make_unique<TImpl>()) {
  QWidget* parent = QApplication::activeModalWidget();
  if (!parent) parent = QApplication::activeWindow();
  auto* dialog = new QProgressDialog(ToQ(Text), QObject::tr("Cancel"), 0, 0, parent);
  dialog->setObjectName("conversionProgress");
  dialog->setWindowTitle(ToQ(Caption));
  // Nothing else may be worked on meanwhile: the task acts on the window
  // it started from when it ends.
  dialog->setWindowModality(Qt::ApplicationModal);
  dialog->setAutoClose(false);
  dialog->setAutoReset(false);
  // Shown by Pump, not by the dialog's own timer.
  dialog->setMinimumDuration(INT_MAX);
  dialog->hide();
  QObject::connect(dialog, &QProgressDialog::canceled, dialog, [this] { FCancelled = true; });
  FImpl->Dialog = dialog;
  FImpl->ShowAfterMs = ShowAfterMs;
  FImpl->Started.start();
  GRunning.push_back(this);
}

TProgressWindow::~TProgressWindow() {
  delete FImpl->Dialog.data();
  GRunning.erase(std::remove(GRunning.begin(), GRunning.end(), this), GRunning.end());
  if (!GRunning.empty() || GWhenNone.empty()) return;
  // From the event loop, once the task that owned the window has returned.
  for (auto& then : std::exchange(GWhenNone, {})) QTimer::singleShot(0, qApp, std::move(then));
}

bool TProgressWindow::AnyRunning() { return !GRunning.empty(); }

void TProgressWindow::CancelAll() {
  for (TProgressWindow* w : GRunning) w->FCancelled = true;
}

void TProgressWindow::WhenNoneRunning(std::function<void()> Then) {
  if (GRunning.empty()) Then();
  else GWhenNone.push_back(std::move(Then));
}

bool TProgressWindow::Shown() const { return FImpl->Dialog && FImpl->Dialog->isVisible(); }

bool TProgressWindow::Pump() {
  QProgressDialog* dialog = FImpl->Dialog;
  if (dialog && !dialog->isVisible() && FImpl->Started.elapsed() >= FImpl->ShowAfterMs) dialog->show();
  // Until the window is up, the user's input waits: it would reach the
  // window the task works on.
  QApplication::processEvents(Shown() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents, 10);
  return !FCancelled;
}
