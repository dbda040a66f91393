#pragma once
// One running instance per user. The running instance holds a lock file
// (flock, released by the kernel when the process dies, however it dies) and
// listens on a per-user local socket. A second start finds the lock taken,
// sends its message ("restore") over the socket and ends.
//
// The running instance answers on a thread of its own, so a hand-over is
// acknowledged at once whatever the program is doing (a modal box, a long
// save); the message itself reaches OnMessage later, through the GUI
// thread's event loop.
#include "platform/base/Types.h"

#include <functional>
#include <memory>

class TSingleInstance {
public:
  enum TRole { siPrimary, siSecondary, siFailed };

  // name: a file-name-safe program name ("quillory").
  explicit TSingleInstance(const String& name);
  ~TSingleInstance();
  TSingleInstance(const TSingleInstance&) = delete;
  TSingleInstance& operator=(const TSingleInstance&) = delete;

  // Becomes the running instance (lock taken), or hands message to the
  // running one. While the lock is held and the hand-over fails (the holder
  // is starting or dying), both are tried again until timeoutMs has passed;
  // then the answer is siFailed, never siPrimary: two instances never run
  // on one lock. siFailed also when the lock file cannot be made
  // (FailureText says why).
  TRole Start(const String& message = "restore", int timeoutMs = 5000);

  // Called on the GUI thread with each message another start sent.
  std::function<void(const String& message)> OnMessage;

  // True while this process holds the lock.
  bool IsPrimary() const;
  // True while it also answers hand-overs.
  bool IsListening() const;
  String FailureText() const;
  String LockPath() const;
  String SocketPath() const;

  // Hands message to the instance listening at socketPath; true once it
  // acknowledged it.
  static bool SendTo(const String& socketPath, const String& message, int timeoutMs);

private:
  int TryLock();
  bool Listen();
  bool Send(const String& message, int timeoutMs);

  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};
