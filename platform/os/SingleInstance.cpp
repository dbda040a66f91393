#include "platform/os/SingleInstance.h"

#include "platform/os/SysPaths.h"

#include <QMetaObject>
#include <QObject>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

using TClock = std::chrono::steady_clock;

// A message is one short line.
constexpr size_t kMaxMessage = 4096;
// How long the running instance waits for the line of a start that has
// connected: a start that connects and says nothing is not waited for long.
constexpr auto kReadLimit = std::chrono::milliseconds(1000);

int MsLeft(TClock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
  return static_cast<int>(std::clamp<long long>(left, 0, 60000));
}


bool SocketAddress(const String& path, sockaddr_un& addr) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path, path.data(), path.size());
  return true;
}

// Waits for fd to become readable; false at the deadline or when wake
// (-1: none) becomes readable first.
bool WaitReadable(int fd, int wake, TClock::time_point deadline) {
  for (;;) {
    const int left = MsLeft(deadline);
    if (left <= 0) return false;
    pollfd p[2] = {{fd, POLLIN, 0}, {wake, POLLIN, 0}};
    int r = ::poll(p, wake >= 0 ? 2 : 1, left);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    if (wake >= 0 && p[1].revents) return false;
    return true;
  }
}

// One line (without its line feed) before the deadline.
bool ReadLine(int fd, String& line, TClock::time_point deadline, int wake = -1) {
  line.clear();
  for (;;) {
    if (!WaitReadable(fd, wake, deadline)) return false;
    char buf[256];
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return false;  // closed before the end of the line
    for (ssize_t i = 0; i < n; ++i) {
      if (buf[i] == '\n') return true;
      if (line.size() >= kMaxMessage) return false;
      line += buf[i];
    }
  }
}

bool WriteAll(int fd, const String& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

void SetTimeout(int fd, int option, int ms) {
  timeval tv{ms / 1000, (ms % 1000) * 1000};
  ::setsockopt(fd, SOL_SOCKET, option, &tv, sizeof tv);
}

}  // namespace

struct TSingleInstance::TImpl {
  String Name;
  String LockPath;
  String SocketPath;
  String Failure;
  String FolderFailure;  // why no private folder for the lock was found
  int LockFd = -1;
  int ListenFd = -1;
  int Wake[2] = {-1, -1};
  std::thread Listener;
  // Lives on the GUI thread; deliveries still queued when it goes are dropped.
  std::unique_ptr<QObject> Context;

  void StopListening() {
    if (Listener.joinable()) {
      char c = 1;
      while (::write(Wake[1], &c, 1) < 0 && errno == EINTR) {
      }
      Listener.join();
    }
    for (int* fd : {&ListenFd, &Wake[0], &Wake[1]}) {
      if (*fd >= 0) ::close(*fd);
      *fd = -1;
    }
  }
};

TSingleInstance::TSingleInstance(const String& name) : FImpl(std::make_unique<TImpl>()) {
  FImpl->Name = name;
  const String folder = GetRuntimeFolder(&FImpl->FolderFailure);
  if (folder.empty()) return;
  FImpl->LockPath = folder + "/" + name + ".lock";
  FImpl->SocketPath = folder + "/" + name + ".socket";
}

TSingleInstance::~TSingleInstance() {
  const bool listened = FImpl->ListenFd >= 0;
  FImpl->StopListening();
  FImpl->Context.reset();
  if (FImpl->LockFd >= 0) {
    if (listened) ::unlink(FImpl->SocketPath.c_str());
    ::close(FImpl->LockFd);  // drops the lock
  }
}

String TSingleInstance::LockPath() const { return FImpl->LockPath; }
String TSingleInstance::SocketPath() const { return FImpl->SocketPath; }
String TSingleInstance::FailureText() const { return FImpl->Failure; }
bool TSingleInstance::IsPrimary() const { return FImpl->LockFd >= 0; }
bool TSingleInstance::IsListening() const { return FImpl->ListenFd >= 0; }

int TSingleInstance::TryLock() {
  if (FImpl->LockPath.empty()) {
    FImpl->Failure = FImpl->FolderFailure;
    return -1;
  }
  int fd = ::open(FImpl->LockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    FImpl->Failure = "Cannot create the lock file " + FImpl->LockPath + ": " + std::strerror(errno);
    return -1;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return 0;
  }
  FImpl->LockFd = fd;
  String pid = std::to_string(::getpid()) + "\n";
  if (::ftruncate(fd, 0) == 0 && ::write(fd, pid.data(), pid.size()) < 0) {
    // The pid is only informative.
  }
  return 1;
}

bool TSingleInstance::Listen() {
  sockaddr_un addr;
  if (!SocketAddress(FImpl->SocketPath, addr)) {
    FImpl->Failure = "The socket path is too long: " + FImpl->SocketPath;
    return false;
  }
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  // We hold the lock, so a socket file left there belongs to a dead instance.
  ::unlink(FImpl->SocketPath.c_str());
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 16) != 0 ||
      ::pipe2(FImpl->Wake, O_CLOEXEC) != 0) {
    FImpl->Failure = "Cannot listen on " + FImpl->SocketPath + ": " + std::strerror(errno);
    ::close(fd);
    return false;
  }
  ::chmod(FImpl->SocketPath.c_str(), 0600);
  FImpl->ListenFd = fd;
  FImpl->Context = std::make_unique<QObject>();
  QObject* context = FImpl->Context.get();
  const int wake = FImpl->Wake[0];
  // The acknowledgement goes out from this thread at once; the message is
  // queued to the GUI thread, which may be inside a modal box or busy.
  FImpl->Listener = std::thread([this, fd, wake, context] {
    for (;;) {
      pollfd p[2] = {{fd, POLLIN, 0}, {wake, POLLIN, 0}};
      int r = ::poll(p, 2, -1);
      if (r < 0 && errno == EINTR) continue;
      if (r < 0 || p[1].revents) return;
      if (!(p[0].revents & POLLIN)) continue;
      int client = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) continue;
      String line;
      if (ReadLine(client, line, TClock::now() + kReadLimit, wake)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        WriteAll(client, "ok\n");
        QMetaObject::invokeMethod(
            context, [this, line] {
              if (OnMessage) OnMessage(line);
            },
            Qt::QueuedConnection);
      }
      ::close(client);
    }
  });
  return true;
}

bool TSingleInstance::Send(const String& message, int timeoutMs) {
  return SendTo(FImpl->SocketPath, message, timeoutMs);
}

bool TSingleInstance::SendTo(const String& socketPath, const String& message, int timeoutMs) {
  sockaddr_un addr;
  if (!SocketAddress(socketPath, addr)) return false;
  const auto deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  SetTimeout(fd, SO_SNDTIMEO, std::max(1, timeoutMs));
  bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
            WriteAll(fd, message + "\n");
  // The acknowledgement says the message has arrived.
  String reply;
  ok = ok && ReadLine(fd, reply, deadline) && reply == "ok";
  ::close(fd);
  return ok;
}

TSingleInstance::TRole TSingleInstance::Start(const String& message, int timeoutMs) {
  FImpl->Failure.clear();
  const auto deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const int locked = TryLock();
    if (locked < 0) return siFailed;
    if (locked > 0) {
      // Without the socket later starts cannot hand over, but the lock
      // alone keeps them from running beside this one.
      Listen();
      return siPrimary;
    }
    if (Send(message, std::clamp(MsLeft(deadline), 200, 2000))) return siSecondary;
    // The running instance may be starting up (not listening yet) or dying.
    if (MsLeft(deadline) <= 0) {
      FImpl->Failure = "The running instance does not answer (" + FImpl->SocketPath + ")";
      return siFailed;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}
