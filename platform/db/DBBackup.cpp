#include "platform/db/DBBackup.h"

#include "platform/db/DBFiles.h"

#include "platform/base/Streams.h"

#include <openssl/evp.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace {

struct TFd {
  int Fd = -1;
  explicit TFd(int fd) : Fd(fd) {}
  ~TFd() {
    if (Fd >= 0) ::close(Fd);
  }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
};

String Cause(const char* what, const String& path) {
  return String(what) + " " + path + ": " + std::strerror(errno);
}

// Opens a regular file for reading, never through a link and never waiting
// (a FIFO or device would block the program); -1 otherwise, with errno set.
int OpenRegularForReading(const String& path, Int64* size = nullptr) {
  const int fd = OpenRegularFile(path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) {
    // A folder too is no file of a backup.
    if (errno == EISDIR) errno = EINVAL;
    return -1;
  }
  struct stat st {};
  if (size) *size = ::fstat(fd, &st) == 0 ? static_cast<Int64>(st.st_size) : 0;
  return fd;
}

}  // namespace

bool InspectRegularFile(const String& path, Int64& size, String& error) {
  const int fd = OpenRegularForReading(path, &size);
  if (fd < 0) {
    struct stat st {};
    error = ::lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)
                ? path + " is not a regular file"
                : Cause("Cannot read", path);
    return false;
  }
  ::close(fd);
  return true;
}

bool InspectDatabaseSource(const String& path, String& error) {
  TFd fd(OpenRegularForReading(path));
  struct stat st {};
  if (fd.Fd < 0 || ::fstat(fd.Fd, &st) != 0) {
    error = Cause("Cannot read", path);
    return false;
  }
  String reason;
  const TDBFileKind kind = ClassifyDatabaseFile(path, &reason);
  if (kind != dfPlain && kind != dfEncrypted) {
    error = path + " is no database file" + (reason.empty() ? String() : " (" + reason + ")");
    return false;
  }
  // A database the engine wrote holds its pages on disk. Compressing file
  // systems may hold less than the length, never a small part of it.
  const Int64 length = static_cast<Int64>(st.st_size);
  const Int64 allocated = static_cast<Int64>(st.st_blocks) * 512;
  constexpr Int64 slack = 1 << 20;
  if (allocated + slack < length / 8) {
    error = path + " is " + std::to_string(length) + " bytes long but only " + std::to_string(allocated) +
            " of them are on the disk: the rest are holes, which no database has";
    return false;
  }
  return true;
}

Int64 FreeSpaceOf(const String& folder) {
  struct statvfs vfs {};
  if (::statvfs(folder.c_str(), &vfs) != 0) return -1;
  return static_cast<Int64>(vfs.f_bavail) * static_cast<Int64>(vfs.f_frsize);
}

bool CopyFileDurably(const String& source, const String& dest, String& error) {
  TFd in(OpenRegularForReading(source));
  if (in.Fd < 0) {
    error = errno == EINVAL ? source + " is not a regular file" : Cause("Cannot read", source);
    return false;
  }
  TFd out(::open(dest.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
  if (out.Fd < 0) {
    error = Cause("Cannot write", dest);
    return false;
  }
  bool ok = true;
  // The kernel copies without the bytes passing through this process where
  // it can; a plain read/write loop otherwise.
  bool kernelCopy = true;
  std::vector<char> buffer;
  for (;;) {
    ssize_t n = -1;
    if (kernelCopy) {
      n = ::copy_file_range(in.Fd, nullptr, out.Fd, nullptr, 1 << 24, 0);
      if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
        kernelCopy = false;
        buffer.resize(1 << 20);
        continue;
      }
    } else {
      n = ::read(in.Fd, buffer.data(), buffer.size());
      if (n > 0) {
        for (ssize_t done = 0; done < n;) {
          const ssize_t w = ::write(out.Fd, buffer.data() + done, static_cast<size_t>(n - done));
          if (w < 0) {
            if (errno == EINTR) continue;
            error = Cause("Cannot write", dest);
            ok = false;
            break;
          }
          done += w;
        }
        if (!ok) break;
      }
    }
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      error = Cause("Cannot copy", source + " to " + dest);
      ok = false;
      break;
    }
  }
  if (ok && ::fsync(out.Fd) != 0) {
    error = Cause("Cannot flush", dest);
    ok = false;
  }
  if (!ok) std::remove(dest.c_str());
  return ok;
}

String FileDigest(const String& path) {
  TFd in(OpenRegularForReading(path));
  if (in.Fd < 0) return String();
  EVP_MD_CTX* ctx = EVP_MD_CTX_new();
  if (!ctx) return String();
  bool ok = EVP_DigestInit_ex(ctx, EVP_sha256(), nullptr) == 1;
  std::vector<unsigned char> buffer(1 << 20);
  while (ok) {
    const ssize_t n = ::read(in.Fd, buffer.data(), buffer.size());
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    ok = EVP_DigestUpdate(ctx, buffer.data(), static_cast<size_t>(n)) == 1;
  }
  unsigned char md[EVP_MAX_MD_SIZE];
  unsigned int len = 0;
  ok = ok && EVP_DigestFinal_ex(ctx, md, &len) == 1;
  EVP_MD_CTX_free(ctx);
  if (!ok) return String();
  static const char* const hex = "0123456789abcdef";
  String text;
  for (unsigned int i = 0; i < len; ++i) {
    text += hex[md[i] >> 4];
    text += hex[md[i] & 15];
  }
  return text;
}

bool SyncFolder(const String& folder) {
  TFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return fd.Fd >= 0 && ::fsync(fd.Fd) == 0;
}

bool ExchangePaths(const String& a, const String& b, String& error) {
  if (::syscall(SYS_renameat2, AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) != 0) {
    error = Cause("Cannot exchange", a + " and " + b);
    return false;
  }
  return true;
}
