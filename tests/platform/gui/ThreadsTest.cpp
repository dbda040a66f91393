#include "platform/base/SysUtils.h"
#include "platform/gui/Threads.h"
#include "support/KeySeam.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>

namespace {

class TFnThread : public TThread {
public:
  explicit TFnThread(std::function<void(TFnThread&)> body) : TThread(true), FBody(std::move(body)) {}
  // The body is ours: the thread ends before it goes.
  ~TFnThread() override {
    Terminate();
    WaitFor();
  }
  using TThread::Synchronize;
  using TThread::Queue;

protected:
  void Execute() override { FBody(*this); }

private:
  std::function<void(TFnThread&)> FBody;
};

TEST(ThreadTest, SynchronizedCallRunsOnTheGuiThreadAndTheWorkerWaits) {
  QThread* gui = QThread::currentThread();
  std::vector<String> log;
  bool onGui = false;
  TFnThread worker([&](TFnThread& t) {
    t.Synchronize([&] {
      onGui = QThread::currentThread() == gui;
      log.push_back("sync");
    });
    log.push_back("after sync");  // only once the GUI ran the call
    t.ReturnValue = 7;
  });
  int terminated = 0;
  worker.OnTerminate = [&](TObject*) {
    EXPECT_EQ(QThread::currentThread(), gui);
    ++terminated;
  };
  worker.Start();
  EXPECT_EQ(worker.WaitFor(), 7);
  QCoreApplication::processEvents();
  EXPECT_TRUE(onGui);
  EXPECT_EQ(log, (std::vector<String>{"sync", "after sync"}));
  EXPECT_EQ(terminated, 1);
}

TEST(ThreadTest, TerminatingAWorkerBlockedInSynchronizeDoesNotDeadlock) {
  std::atomic<int> calls{0};
  auto worker = std::make_unique<TFnThread>([&](TFnThread& t) {
    while (!t.Terminated()) t.Synchronize([&] { ++calls; });
  });
  worker->Start();
  // The GUI thread is busy elsewhere (not pumping events) while the worker
  // waits in Synchronize; then it ends the worker and waits for it.
  while (calls == 0) TThread::CheckSynchronize();
  QThread::msleep(20);
  {
    qytest::TCallWatchdog watchdog("ending a worker blocked in Synchronize");
    worker->Terminate();
    worker->WaitFor();
  }
  EXPECT_TRUE(worker->Finished());
  // Destroying a worker blocked in Synchronize ends it the same way.
  std::atomic<int> waits{0};
  auto second = std::make_unique<TFnThread>([&](TFnThread& th) {
    while (!th.Terminated()) {
      ++waits;
      th.Synchronize([] {});
    }
  });
  second->Start();
  while (waits == 0) QThread::msleep(1);
  QThread::msleep(20);
  {
    qytest::TCallWatchdog watchdog("destroying a worker blocked in Synchronize");
    second.reset();
  }
  EXPECT_EQ(waits, 1);  // nothing pumped its call: it was still waiting
}

TEST(ThreadTest, ExceptionsOfTheSynchronizedCallReachTheWorker) {
  String caught;
  TFnThread worker([&](TFnThread& t) {
    try {
      t.Synchronize([] { throw EConvertError("bad"); });
    } catch (const EConvertError& e) {
      caught = e.Message;
    }
    throw EAbort("ended");
  });
  worker.Start();
  worker.WaitFor();
  EXPECT_EQ(caught, "bad");
  ASSERT_TRUE(worker.FatalException);
  EXPECT_THROW(std::rethrow_exception(worker.FatalException), EAbort);
}

TEST(ThreadTest, QueuedCallsRunInOrderWithoutBlockingAndFreeOnTerminate) {
  std::vector<int> order;
  std::atomic<bool> queuedAll{false};
  bool freed = false;
  struct TFlagThread : TFnThread {
    using TFnThread::TFnThread;
    bool* Freed = nullptr;
    ~TFlagThread() override { *Freed = true; }
  };
  auto* worker = new TFlagThread([&](TFnThread& t) {
    for (int i = 0; i < 5; ++i) t.Queue([&order, i] { order.push_back(i); });
    queuedAll = true;
  });
  worker->Freed = &freed;
  worker->FreeOnTerminate = true;
  worker->Start();
  QElapsedTimer t;
  t.start();
  // (A minute at most: far more than a loaded machine needs.)
  while (!freed && t.elapsed() < 60000) {
    QCoreApplication::processEvents();
    QThread::msleep(1);
  }
  EXPECT_TRUE(queuedAll);
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_TRUE(freed) << "the worker was not freed on terminating";
}

}  // namespace
