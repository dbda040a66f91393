#pragma once
// One running instance per user. The running instance holds a lock file
// (flock, released by the kernel when the process dies, however it dies) and
// listens on a per-user local socket. A second start finds the lock taken,
// sends its message ("restore") over the socket and ends.
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

  // Becomes the running instance (lock taken, listening), or hands message to
  // the running one. A running instance that has just died is replaced: the
  // lock is tried again while the hand-over fails, up to timeoutMs.
  TRole Start(const String& message = "restore", int timeoutMs = 5000);

  // Called on the GUI thread with each message another start sent.
  std::function<void(const String& message)> OnMessage;

  bool IsPrimary() const;
  String LockPath() const;
  String SocketPath() const;

private:
  bool TryLock();
  bool Listen();
  bool Send(const String& message, int timeoutMs);

  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};
