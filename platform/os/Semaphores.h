#pragma once
// Process-wide named semaphores with a count and a maximum. A release that
// would pass the maximum is refused and changes nothing. A semaphore made
// with crossProcess also holds a lock file (flock) while it is taken, which
// the kernel releases when the holder dies; that needs a maximum of 1.
#include "platform/base/Types.h"

#include <condition_variable>
#include <memory>
#include <mutex>

constexpr int INFINITE = -1;

class TNamedSemaphore {
public:
  // Creates the semaphore of that name, or opens the existing one (whose
  // counts stay as they are; AlreadyExisted tells).
  static std::shared_ptr<TNamedSemaphore> Create(const String& name, int initialCount, int maximumCount,
                                                 bool crossProcess = false);
  // The existing semaphore of that name, or null.
  static std::shared_ptr<TNamedSemaphore> Open(const String& name);

  ~TNamedSemaphore();
  TNamedSemaphore(const TNamedSemaphore&) = delete;
  TNamedSemaphore& operator=(const TNamedSemaphore&) = delete;

  // Takes one count; false when timeoutMs (INFINITE = no limit) passed first.
  bool Wait(int timeoutMs = INFINITE);
  // Gives back count; false (nothing changed) when that would pass the maximum.
  bool Release(int count = 1);
  int Count() const;
  const String& Name() const { return FName; }
  int Maximum() const { return FMaximum; }
  bool AlreadyExisted = false;

private:
  TNamedSemaphore(String name, int initial, int maximum, bool crossProcess);
  bool LockFile(int timeoutMs);
  void UnlockFile();

  String FName;
  int FCount;
  int FMaximum;
  int FLockFd = -1;
  bool FFileHeld = false;
  mutable std::mutex FMutex;
  std::condition_variable FChanged;
};
