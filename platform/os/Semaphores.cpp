#include "platform/os/Semaphores.h"

#include "platform/os/SysPaths.h"

#include <chrono>
#include <fcntl.h>
#include <map>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace {

std::mutex gRegistryMutex;
std::map<String, std::weak_ptr<TNamedSemaphore>>& Registry() {
  static std::map<String, std::weak_ptr<TNamedSemaphore>> registry;
  return registry;
}

String LockFileName(const String& name) {
  String safe;
  for (char c : name) safe += (c == '/' || c == '\\') ? '_' : c;
  const String folder = GetRuntimeFolder();
  return folder.empty() ? String() : folder + "/" + safe + ".semaphore.lock";
}

}  // namespace

TNamedSemaphore::TNamedSemaphore(String name, int initial, int maximum, bool crossProcess)
    : FName(std::move(name)), FMaximum(maximum < 1 ? 1 : maximum) {
  FCount = initial < 0 ? 0 : (initial > FMaximum ? FMaximum : initial);
  // Without a private folder the semaphore stays within this process.
  if (const String file = crossProcess && FMaximum == 1 ? LockFileName(FName) : String(); !file.empty())
    FLockFd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
}

TNamedSemaphore::~TNamedSemaphore() {
  if (FLockFd >= 0) ::close(FLockFd);  // also drops a held lock
}

std::shared_ptr<TNamedSemaphore> TNamedSemaphore::Create(const String& name, int initialCount, int maximumCount,
                                                         bool crossProcess) {
  std::lock_guard<std::mutex> lock(gRegistryMutex);
  if (!name.empty()) {
    if (auto existing = Registry()[name].lock()) {
      existing->AlreadyExisted = true;
      return existing;
    }
  }
  std::shared_ptr<TNamedSemaphore> s(new TNamedSemaphore(name, initialCount, maximumCount, crossProcess));
  if (!name.empty()) Registry()[name] = s;
  return s;
}

std::shared_ptr<TNamedSemaphore> TNamedSemaphore::Open(const String& name) {
  std::lock_guard<std::mutex> lock(gRegistryMutex);
  auto it = Registry().find(name);
  return it == Registry().end() ? nullptr : it->second.lock();
}

bool TNamedSemaphore::Wait(int timeoutMs) {
  using clock = std::chrono::steady_clock;
  auto deadline = clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
  {
    std::unique_lock<std::mutex> lock(FMutex);
    auto ready = [this] { return FCount > 0; };
    if (timeoutMs < 0)
      FChanged.wait(lock, ready);
    else if (!FChanged.wait_until(lock, deadline, ready))
      return false;
    --FCount;
  }
  if (FLockFd < 0) return true;
  int left = timeoutMs < 0 ? -1
                           : static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock::now()).count());
  if (LockFile(timeoutMs < 0 ? -1 : (left < 0 ? 0 : left))) return true;
  // Another process holds it: give the count back.
  std::lock_guard<std::mutex> lock(FMutex);
  ++FCount;
  FChanged.notify_one();
  return false;
}

bool TNamedSemaphore::LockFile(int timeoutMs) {
  if (timeoutMs < 0) {
    while (::flock(FLockFd, LOCK_EX) != 0)
      if (errno != EINTR) return false;
  } else {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (::flock(FLockFd, LOCK_EX | LOCK_NB) != 0) {
      if (std::chrono::steady_clock::now() >= deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  std::lock_guard<std::mutex> lock(FMutex);
  FFileHeld = true;
  return true;
}

void TNamedSemaphore::UnlockFile() {
  if (FLockFd >= 0 && FFileHeld) {
    ::flock(FLockFd, LOCK_UN);
    FFileHeld = false;
  }
}

bool TNamedSemaphore::Release(int count) {
  std::lock_guard<std::mutex> lock(FMutex);
  if (count < 1 || FCount + count > FMaximum) return false;
  // Only a taken count gives the file lock back; a release without a wait
  // must not unlock what another holder took.
  UnlockFile();
  FCount += count;
  FChanged.notify_all();
  return true;
}

int TNamedSemaphore::Count() const {
  std::lock_guard<std::mutex> lock(FMutex);
  return FCount;
}
