#pragma once
// Worker threads. Workers never touch widgets: Synchronize runs a call on the
// GUI thread and waits for it; Queue hands one over without waiting.
// WaitFor on the GUI thread keeps running those calls while it waits, so
// ending a thread that is inside Synchronize cannot deadlock.
#include "platform/base/Types.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class TThread : public TObject {
public:
  // Starts at once unless createSuspended (then Start does). A thread
  // started here may reach Execute before a subclass's constructor is done,
  // so subclasses pass true and call Start at the end of their own.
  explicit TThread(bool createSuspended);
  // Ends the thread first: Terminate, then WaitFor. C++ takes a subclass
  // apart before this runs, so a subclass whose Execute uses the subclass
  // ends the thread in its own destructor the same way.
  ~TThread() override;
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  void Start();
  // Asks Execute to stop (it checks Terminated).
  void Terminate();
  bool Terminated() const { return FTerminated.load(); }
  // Waits for Execute to end; answers ReturnValue.
  int WaitFor();
  bool Finished() const { return FFinished.load(); }

  // Deleted on the GUI thread after OnTerminate ran.
  bool FreeOnTerminate = false;
  // Runs on the GUI thread once Execute has ended.
  std::function<void(TObject* Sender)> OnTerminate;
  int ReturnValue = 0;
  // The exception that ended Execute, if one did.
  std::exception_ptr FatalException;

  // Runs method on the GUI thread; the calling thread waits for it. An
  // exception of method is raised again in the caller. On the GUI thread it
  // simply runs.
  void Synchronize(const std::function<void()>& method);
  static void Synchronize(TThread* thread, const std::function<void()>& method);
  // Hands method to the GUI thread without waiting.
  void Queue(std::function<void()> method);
  static void Queue(TThread* thread, std::function<void()> method);

  // Runs the calls waiting for the GUI thread; true when there were any.
  // Only on the GUI thread.
  static bool CheckSynchronize();
  static bool IsGuiThread();

protected:
  virtual void Execute() = 0;

private:
  void Run();
  void DeliverTerminate();
  std::thread FThread;
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FFinished{false};
  std::atomic<bool> FStarted{false};
  std::shared_ptr<std::atomic<bool>> FAlive;
};

// Sleeps the calling thread.
void Sleep(Cardinal milliseconds);
