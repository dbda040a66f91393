#include "platform/db/DBFiles.h"

#include "platform/base/Streams.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr char kPlainHeader[16] = {'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f',
                                   'o', 'r', 'm', 'a', 't', ' ', '3', '\0'};
// Database pages are powers of two of at least this many bytes.
constexpr off_t kSmallestPage = 512;

bool EndsWith(const String& s, const String& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Overwrites the file's bytes with zeros, then truncates it.
void ZeroAndTruncate(const String& path) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    std::array<char, 65536> zeros{};
    off_t left = st.st_size;
    while (left > 0) {
      const size_t n = static_cast<size_t>(std::min<off_t>(left, zeros.size()));
      ssize_t w = ::write(fd, zeros.data(), n);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) break;
      left -= w;
    }
    ::fsync(fd);
    if (::ftruncate(fd, 0) == 0) ::fsync(fd);
  }
  ::close(fd);
}

}  // namespace

TDBFileKind ClassifyDatabaseFile(const String& path, String* reason) {
  auto fail = [&](const char* why) {
    if (reason) *reason = why;
    return dfNotDatabase;
  };
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return errno == ENOENT ? dfMissing : fail(std::strerror(errno));
  if (!S_ISREG(st.st_mode)) return fail("not a regular file");
  if (st.st_size == 0) return dfEmpty;
  // Opened without waiting: a named pipe may have taken its place since.
  int fd = OpenRegularFile(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return fail(errno == EINVAL || errno == EISDIR ? "not a regular file" : std::strerror(errno));
  std::array<unsigned char, kSmallestPage> page{};
  ssize_t got = ::read(fd, page.data(), page.size());
  ::close(fd);
  if (got < static_cast<ssize_t>(sizeof kPlainHeader)) return fail("too short for a database");
  if (std::memcmp(page.data(), kPlainHeader, sizeof kPlainHeader) == 0) return dfPlain;
  // An encrypted file is whole pages of bytes that look random; the text,
  // zeros or half pages of anything else do not.
  if (st.st_size < kSmallestPage || st.st_size % kSmallestPage != 0)
    return fail("its size is not a whole number of pages: truncated or not a database");
  std::array<bool, 256> seen{};
  int distinct = 0;
  for (unsigned char b : page)
    if (!seen[b]) {
      seen[b] = true;
      ++distinct;
    }
  // 512 random bytes show about 222 distinct values.
  if (distinct < 160) return fail("its first page is neither a database header nor encrypted");
  return dfEncrypted;
}

String CipherSaltOf(const String& path, size_t count) {
  int fd = OpenRegularFile(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return String();
  String salt(count, '\0');
  const ssize_t got = ::pread(fd, salt.data(), count, 0);
  ::close(fd);
  return got == static_cast<ssize_t>(count) ? salt : String();
}

String RestructureTargetName(const String& path) { return path + ".new"; }

int RemoveStaleTableFiles(const String& folder) {
  int removed = 0;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) {
    const String name = e.path().filename().string();
    const bool stale = EndsWith(name, ".db.new") || EndsWith(name, ".db.new-journal") ||
                       EndsWith(name, ".db.new-wal") || EndsWith(name, ".db.new-shm");
    if (!stale || e.is_symlink(ec) || !e.is_regular_file(ec)) continue;
    const String path = e.path().string();
    ZeroAndTruncate(path);
    if (::unlink(path.c_str()) == 0) ++removed;
  }
  return removed;
}

bool CreatePrivateFile(const String& path) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  ::fchmod(fd, 0600);  // whatever the umask says
  ::close(fd);
  return true;
}
