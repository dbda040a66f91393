#pragma once
// A small window that says a long task runs (a document converter), with a
// Cancel button. The task calls Pump while it waits: the program's windows
// keep repainting, and the window shows once the task has taken a moment.
#include "platform/base/Types.h"

#include <functional>
#include <memory>

class TProgressWindow {
public:
  TProgressWindow(const String& Caption, const String& Text, int ShowAfterMs = 300);
  ~TProgressWindow();
  TProgressWindow(const TProgressWindow&) = delete;
  TProgressWindow& operator=(const TProgressWindow&) = delete;
  // Lets pending events through; false once the user has cancelled.
  bool Pump();
  bool Cancelled() const { return FCancelled; }
  // Whether the window has been shown.
  bool Shown() const;

  // Whether a task's window is up now.
  static bool AnyRunning();
  // Cancels every running task as its Cancel button would (the session
  // ends): their next Pump answers false.
  static void CancelAll();
  // Runs Then at once when no task runs; else from the event loop once the
  // last running task has ended.
  static void WhenNoneRunning(std::function<void()> Then);

private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
  bool FCancelled = false;
};
