#pragma once
// The ends of a session the program is told of rather than asked: SIGTERM
// (logout, shutdown, kill), SIGHUP (the terminal went), SIGINT (Ctrl+C) and
// the session manager's request to save. Each reaches the event loop as one
// call of OnSessionEnd; the signal handler itself only writes a byte.
#include "platform/base/SysUtils.h"

#include <functional>
#include <memory>

class TSessionEndWatch {
public:
  TSessionEndWatch();
  ~TSessionEndWatch();
  TSessionEndWatch(const TSessionEndWatch&) = delete;
  TSessionEndWatch& operator=(const TSessionEndWatch&) = delete;

  // Installs the handlers and listens; false when the pipe or a handler
  // could not be made (the program then ends on those signals as before).
  bool Start();
  // Runs in the event loop: the signal's number, or 0 for the session
  // manager's save request.
  std::function<void(int signo)> OnSessionEnd;
  // The signal that arrived first (0: none, or the session manager).
  int Received() const { return FReceived; }

private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
  int FReceived = 0;
  void Deliver(int signo);
};
