#include "platform/gui/Threads.h"

#include "platform/gui/Messages.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <chrono>
#include <deque>

namespace {

struct TRequest {
  std::function<void()> Method;
  bool Waiting = false;
  bool Done = false;
  std::exception_ptr Error;
};

struct TSyncQueue {
  std::mutex Mutex;
  std::condition_variable Changed;
  std::deque<std::shared_ptr<TRequest>> Requests;
};

TSyncQueue& SyncQueue() {
  static TSyncQueue queue;
  return queue;
}

void WakeGui() {
  if (QCoreApplication* app = QCoreApplication::instance())
    QMetaObject::invokeMethod(app, [] { TThread::CheckSynchronize(); }, Qt::QueuedConnection);
}

void Push(const std::shared_ptr<TRequest>& r) {
  {
    std::lock_guard<std::mutex> lock(SyncQueue().Mutex);
    SyncQueue().Requests.push_back(r);
  }
  SyncQueue().Changed.notify_all();
  WakeGui();
}

}  // namespace

bool TThread::IsGuiThread() {
  QCoreApplication* app = QCoreApplication::instance();
  return app && QThread::currentThread() == app->thread();
}

bool TThread::CheckSynchronize() {
  if (!IsGuiThread()) return false;
  bool any = false;
  for (;;) {
    std::shared_ptr<TRequest> r;
    {
      std::lock_guard<std::mutex> lock(SyncQueue().Mutex);
      if (SyncQueue().Requests.empty()) break;
      r = SyncQueue().Requests.front();
      SyncQueue().Requests.pop_front();
    }
    any = true;
    if (r->Waiting) {
      try {
        r->Method();
      } catch (...) {
        r->Error = std::current_exception();
      }
    } else {
      GuardedCall([&] { r->Method(); });
    }
    {
      std::lock_guard<std::mutex> lock(SyncQueue().Mutex);
      r->Done = true;
    }
    SyncQueue().Changed.notify_all();
  }
  return any;
}

TThread::TThread(bool createSuspended) : FAlive(std::make_shared<std::atomic<bool>>(true)) {
  if (!createSuspended) Start();
}

TThread::~TThread() {
  *FAlive = false;
  if (FStarted && !FFinished) {
    Terminate();
    WaitFor();
  }
  if (FThread.joinable()) {
    if (FThread.get_id() == std::this_thread::get_id())
      FThread.detach();  // deleted by its own OnTerminate chain on this thread
    else
      FThread.join();
  }
}

void TThread::Start() {
  if (FStarted.exchange(true)) return;
  FThread = std::thread([this] { Run(); });
}

void TThread::Terminate() { FTerminated = true; }

void TThread::Run() {
  try {
    Execute();
  } catch (...) {
    FatalException = std::current_exception();
  }
  // OnTerminate (and a FreeOnTerminate delete) run on the GUI thread.
  auto alive = FAlive;
  auto r = std::make_shared<TRequest>();
  r->Method = [this, alive] {
    if (*alive) DeliverTerminate();
  };
  {
    std::lock_guard<std::mutex> lock(SyncQueue().Mutex);
    FFinished = true;
    SyncQueue().Requests.push_back(r);
  }
  SyncQueue().Changed.notify_all();
  WakeGui();
}

void TThread::DeliverTerminate() {
  if (OnTerminate) OnTerminate(this);
  if (FreeOnTerminate) {
    if (FThread.joinable()) FThread.join();
    delete this;
  }
}

int TThread::WaitFor() {
  if (!FStarted) return ReturnValue;
  if (FThread.get_id() == std::this_thread::get_id()) return ReturnValue;
  if (IsGuiThread()) {
    // Never block while the worker may be waiting for us: keep running its
    // calls until it has ended.
    for (;;) {
      CheckSynchronize();
      std::unique_lock<std::mutex> lock(SyncQueue().Mutex);
      if (FFinished) break;
      SyncQueue().Changed.wait_for(lock, std::chrono::milliseconds(20),
                                   [this] { return FFinished.load() || !SyncQueue().Requests.empty(); });
    }
  } else {
    std::unique_lock<std::mutex> lock(SyncQueue().Mutex);
    SyncQueue().Changed.wait(lock, [this] { return FFinished.load(); });
  }
  if (FThread.joinable()) FThread.join();
  return ReturnValue;
}

void TThread::Synchronize(const std::function<void()>& method) { Synchronize(this, method); }

void TThread::Synchronize(TThread*, const std::function<void()>& method) {
  if (IsGuiThread() || !QCoreApplication::instance()) {
    method();
    return;
  }
  auto r = std::make_shared<TRequest>();
  r->Method = method;
  r->Waiting = true;
  Push(r);
  {
    std::unique_lock<std::mutex> lock(SyncQueue().Mutex);
    SyncQueue().Changed.wait(lock, [&] { return r->Done; });
  }
  if (r->Error) std::rethrow_exception(r->Error);
}

void TThread::Queue(std::function<void()> method) { Queue(this, std::move(method)); }

void TThread::Queue(TThread*, std::function<void()> method) {
  auto r = std::make_shared<TRequest>();
  r->Method = std::move(method);
  Push(r);
}

void Sleep(Cardinal milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
