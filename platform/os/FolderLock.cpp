#include "platform/os/FolderLock.h"

#include "platform/os/SysPaths.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

const char* const TFolderLock::LockFileName = ".quillory.lock";

namespace {

// The holder's lines are short; a larger file is not ours.
constexpr size_t kMaxLockText = 4096;

String ReadSmallFile(int fd) {
  String text;
  char buf[512];
  for (off_t at = 0; text.size() < kMaxLockText;) {
    const ssize_t n = ::pread(fd, buf, sizeof buf, at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buf, static_cast<size_t>(n));
    at += n;
  }
  return text;
}

}  // namespace

String HostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return String();
  return name;
}

TFolderLock::TFolderLock(const String& folder) : FFolder(folder) {
  while (FFolder.size() > 1 && FFolder.back() == '/') FFolder.pop_back();
}

TFolderLock::~TFolderLock() {
  if (FFd >= 0) ::close(FFd);  // drops the lock
}

bool TFolderLock::Held() const { return FFd >= 0; }

TFolderLock::TResult TFolderLock::TryTake(const String& contact) {
  if (FFd >= 0) return flTaken;
  FFailure.clear();
  const String path = FFolder + "/" + LockFileName;
  // Never through a link, never a FIFO or device: only a regular file of
  // our own is locked.
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    FFailure = "The lock file " + path + " cannot be used: " +
               (fd < 0 ? String(std::strerror(errno)) : String("it is not a regular file"));
    if (fd >= 0) ::close(fd);
    return flFailed;
  }
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) break;
    if (errno == EINTR) continue;
    const int e = errno;
    ::close(fd);
    if (e == EWOULDBLOCK) return flBusy;
    FFailure = "The lock file " + path + " cannot be locked: " + std::strerror(e);
    return flFailed;
  }
  FFd = fd;
  const String text = "pid=" + std::to_string(::getpid()) + "\nhost=" + HostName() +
                      "\nuser=" + GetLogonUserName() + "\ncontact=" + contact + "\n";
  // The holder's lines only inform; the lock is what counts.
  if (::ftruncate(fd, 0) == 0 && ::pwrite(fd, text.data(), text.size(), 0) < 0) {
  }
  return flTaken;
}

TFolderLock::THolder TFolderLock::Holder() const {
  THolder h;
  const String path = FFolder + "/" + LockFileName;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return h;
  struct stat st {};
  String text;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) text = ReadSmallFile(fd);
  ::close(fd);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == String::npos) end = text.size();
    const String line = text.substr(start, end - start);
    start = end + 1;
    const size_t eq = line.find('=');
    if (eq == String::npos) continue;
    const String key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "pid") h.Pid = std::strtol(value.c_str(), nullptr, 10);
    else if (key == "host") h.Host = value;
    else if (key == "user") h.User = value;
    else if (key == "contact") h.Contact = value;
  }
  return h;
}
