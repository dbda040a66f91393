#include "platform/gui/SessionEnd.h"

#include "platform/gui/ProgressWindow.h"

#include <QGuiApplication>
#include <QObject>
#include <QSessionManager>
#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The write end, read by the handler; -1 while no watch listens.
std::atomic<int> GSignalFd{-1};

constexpr int WatchedSignals[] = {SIGTERM, SIGHUP, SIGINT};

extern "C" void OnTerminationSignal(int signo) {
  const int saved = errno;
  const int fd = GSignalFd.load();
  if (fd >= 0) {
    const unsigned char byte = static_cast<unsigned char>(signo);
    // A full pipe already holds a wake-up; nothing else is safe here.
    [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);
  }
  errno = saved;
}

}  // namespace

struct TSessionEndWatch::TImpl {
  int Fds[2] = {-1, -1};
  std::unique_ptr<QSocketNotifier> Notifier;
  QMetaObject::Connection CommitData;
  struct sigaction Old[3] = {};
  bool Installed = false;
  // Whether the watch is still there, for an end that waits on a task.
  std::shared_ptr<bool> Alive = std::make_shared<bool>(true);
};

TSessionEndWatch::TSessionEndWatch() : FImpl(std::make_unique<TImpl>()) {}

TSessionEndWatch::~TSessionEndWatch() {
  if (FImpl->Installed) {
    for (size_t i = 0; i < std::size(WatchedSignals); ++i) sigaction(WatchedSignals[i], &FImpl->Old[i], nullptr);
    GSignalFd = -1;
  }
  FImpl->Notifier.reset();
  QObject::disconnect(FImpl->CommitData);
  for (int& fd : FImpl->Fds)
    if (fd >= 0) ::close(fd);
}

bool TSessionEndWatch::Start() {
  if (FImpl->Installed) return true;
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, FImpl->Fds) != 0) return false;
  FImpl->Notifier = std::make_unique<QSocketNotifier>(FImpl->Fds[1], QSocketNotifier::Read);
  QObject::connect(FImpl->Notifier.get(), &QSocketNotifier::activated, FImpl->Notifier.get(), [this] {
    unsigned char bytes[16];
    int first = 0;
    for (ssize_t n; (n = ::read(FImpl->Fds[1], bytes, sizeof bytes)) > 0;)
      if (!first) first = bytes[0];
    if (first) Deliver(first);
  });
  GSignalFd = FImpl->Fds[0];
  struct sigaction sa = {};
  sa.sa_handler = OnTerminationSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  for (size_t i = 0; i < std::size(WatchedSignals); ++i) {
    if (sigaction(WatchedSignals[i], &sa, &FImpl->Old[i]) != 0) {
      for (size_t k = 0; k < i; ++k) sigaction(WatchedSignals[k], &FImpl->Old[k], nullptr);
      GSignalFd = -1;
      return false;
    }
  }
  FImpl->Installed = true;
  if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    // The session manager asks before it ends the session: whatever it
    // does next, what was typed is on disk by then.
    FImpl->CommitData = QObject::connect(app, &QGuiApplication::commitDataRequest, app,
                                         [this](QSessionManager&) { Deliver(0); }, Qt::DirectConnection);
  }
  return true;
}

void TSessionEndWatch::Deliver(int signo) {
  if (!FReceived) FReceived = signo;
  if (!OnSessionEnd) return;
  // A task under a progress window (a conversion) waits in the event loop:
  // the end run from there would save and quit while the task goes on to
  // its time limit. It is cancelled, and the end follows once it stopped.
  if (TProgressWindow::AnyRunning()) {
    TProgressWindow::CancelAll();
    TProgressWindow::WhenNoneRunning([alive = std::weak_ptr<bool>(FImpl->Alive), this, signo] {
      if (alive.lock() && OnSessionEnd) OnSessionEnd(signo);
    });
    return;
  }
  OnSessionEnd(signo);
}
