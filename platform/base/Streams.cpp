#include "platform/base/Streams.h"
#include "platform/base/SaveTarget.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>

// ---------------------------------------------------------------------------
// TStream

Int64 TStream::GetSize() {
  const Int64 pos = Seek(0, soCurrent);
  const Int64 size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::SetSize(Int64) { throw EStreamError("Stream cannot change its size"); }

void TStream::ReadBuffer(void* buffer, Int64 count) {
  if (count < 0 || (count != 0 && Read(buffer, count) != count)) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, Int64 count) {
  if (count < 0 || (count != 0 && Write(buffer, count) != count))
    throw EWriteError("Stream write error");
}

Int64 TStream::CopyFrom(TStream& source, Int64 count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.GetSize();
  }
  const Int64 total = count;
  char buf[65536];
  while (count > 0) {
    const Int64 n = std::min<Int64>(count, sizeof buf);
    source.ReadBuffer(buf, n);
    WriteBuffer(buf, n);
    count -= n;
  }
  return total;
}

Byte TStream::ReadByte() {
  Byte b;
  ReadBuffer(&b, 1);
  return b;
}

void TStream::WriteByte(Byte v) { WriteBuffer(&v, 1); }

namespace {

template <typename T>
T ReadLE(TStream& s) {
  unsigned char b[sizeof(T)];
  s.ReadBuffer(b, sizeof(T));
  uint64_t v = 0;
  for (size_t i = 0; i < sizeof(T); ++i) v |= static_cast<uint64_t>(b[i]) << (8 * i);
  T r;
  if constexpr (sizeof(T) == 8) {
    std::memcpy(&r, &v, 8);
  } else {
    using U = std::make_unsigned_t<T>;
    const U u = static_cast<U>(v);
    std::memcpy(&r, &u, sizeof(T));
  }
  return r;
}

template <typename T>
void WriteLE(TStream& s, T value) {
  uint64_t v = 0;
  if constexpr (sizeof(T) == 8) {
    std::memcpy(&v, &value, 8);
  } else {
    using U = std::make_unsigned_t<T>;
    U u;
    std::memcpy(&u, &value, sizeof(T));
    v = u;
  }
  unsigned char b[sizeof(T)];
  for (size_t i = 0; i < sizeof(T); ++i) b[i] = static_cast<unsigned char>(v >> (8 * i));
  s.WriteBuffer(b, sizeof(T));
}


// Whole reads and writes on a descriptor, retried on EINTR; a short count
// means end of file or an error.
Int64 ReadFully(int fd, void* buffer, Int64 count) {
  Int64 done = 0;
  char* p = static_cast<char*>(buffer);
  while (done < count) {
    const ssize_t n = ::read(fd, p + done, static_cast<size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

Int64 WriteFully(int fd, const void* buffer, Int64 count) {
  Int64 done = 0;
  errno = 0;  // a short count then carries the failing call's error, or none
  const char* p = static_cast<const char*>(buffer);
  while (done < count) {
    const ssize_t n = ::write(fd, p + done, static_cast<size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

Int64 SeekDescriptor(int fd, Int64 offset, TSeekOrigin origin) {
  const int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
  const off_t r = ::lseek(fd, static_cast<off_t>(offset), whence);
  if (r < 0) throw EStreamError("Invalid stream position");
  return r;
}

}  // namespace

Word TStream::ReadWordLE() { return ReadLE<Word>(*this); }
void TStream::WriteWordLE(Word v) { WriteLE(*this, v); }
int16_t TStream::ReadInt16LE() { return ReadLE<int16_t>(*this); }
void TStream::WriteInt16LE(int16_t v) { WriteLE(*this, v); }
Integer TStream::ReadInt32LE() { return ReadLE<Integer>(*this); }
void TStream::WriteInt32LE(Integer v) { WriteLE(*this, v); }
Cardinal TStream::ReadUInt32LE() { return ReadLE<Cardinal>(*this); }
void TStream::WriteUInt32LE(Cardinal v) { WriteLE(*this, v); }
Int64 TStream::ReadInt64LE() { return ReadLE<Int64>(*this); }
void TStream::WriteInt64LE(Int64 v) { WriteLE(*this, v); }
double TStream::ReadDoubleLE() {
  const Int64 bits = ReadLE<Int64>(*this);
  double d;
  std::memcpy(&d, &bits, 8);
  return d;
}
void TStream::WriteDoubleLE(double v) {
  Int64 bits;
  std::memcpy(&bits, &v, 8);
  WriteLE(*this, bits);
}

AnsiString TStream::ReadBytes(Int64 count) {
  if (count < 0 || count > Remaining()) throw EReadError("Stream read error");
  AnsiString r(static_cast<size_t>(count), '\0');
  ReadBuffer(r.data(), count);
  return r;
}

void TStream::WriteBytes(const AnsiString& bytes) {
  WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
}

// ---------------------------------------------------------------------------
// TMemoryStream

Int64 TMemoryStream::Read(void* buffer, Int64 count) {
  if (count <= 0) return 0;
  const Int64 size = static_cast<Int64>(FData.size());
  if (FPosition >= size) return 0;
  const Int64 n = std::min(count, size - FPosition);
  std::memcpy(buffer, FData.data() + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return n;
}

Int64 TMemoryStream::Write(const void* buffer, Int64 count) {
  if (count <= 0) return 0;
  const Int64 end = FPosition + count;
  if (end > static_cast<Int64>(FData.size())) FData.resize(static_cast<size_t>(end), '\0');
  std::memcpy(FData.data() + FPosition, buffer, static_cast<size_t>(count));
  FPosition = end;
  return count;
}

Int64 TMemoryStream::Seek(Int64 offset, TSeekOrigin origin) {
  Int64 base = origin == soBeginning ? 0 : origin == soCurrent ? FPosition
                                                               : static_cast<Int64>(FData.size());
  const Int64 p = base + offset;
  if (p < 0) throw EStreamError("Invalid stream position");
  FPosition = p;
  return p;
}

void TMemoryStream::SetSize(Int64 newSize) {
  if (newSize < 0) throw EStreamError("Invalid stream size");
  FData.resize(static_cast<size_t>(newSize), '\0');
  if (FPosition > newSize) FPosition = newSize;
}

void TMemoryStream::Clear() {
  FData.clear();
  FData.shrink_to_fit();
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream) {
  stream.SetPosition(0);
  const Int64 size = stream.GetSize();
  AnsiString data(static_cast<size_t>(std::max<Int64>(size, 0)), '\0');
  stream.ReadBuffer(data.data(), size);
  FData = std::move(data);
  FPosition = 0;
}

void TMemoryStream::SaveToStream(TStream& stream) { stream.WriteBytes(FData); }

void TMemoryStream::LoadFromFile(const String& fileName) {
  FData = LoadBytesFromFile(fileName);
  FPosition = 0;
}

void TMemoryStream::SaveToFile(const String& fileName) { SaveBytesAtomically(fileName, FData); }

AnsiString TStringStream::ReadString(Int64 count) {
  const Int64 n = std::clamp<Int64>(count, 0, std::max<Int64>(Remaining(), 0));
  return ReadBytes(n);
}

// ---------------------------------------------------------------------------
// TFileStream

namespace {

String NotRegularReason(mode_t mode) {
  if (S_ISDIR(mode)) return "it is a folder, not a file";
  if (S_ISFIFO(mode)) return "it is a named pipe, not a file";
  return "it is a device or socket, not a file";
}

String OpenFailureReason(const String& fileName, int flags, int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR: return "it does not exist";
    case ELOOP:
      return (flags & O_NOFOLLOW) ? "it is a symbolic link, not a file"
                                  : "it is a symbolic link that leads round in a loop";
    case EACCES:
    case EPERM:
      return (flags & O_ACCMODE) == O_RDONLY ? "it may not be read (permission denied)"
                                             : "it may not be written (permission denied)";
    case EISDIR: return NotRegularReason(S_IFDIR);
    case ENXIO:
    case ENODEV: {
      // A socket, or a FIFO that nobody reads opened for writing.
      struct stat st {};
      if (::stat(fileName.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return NotRegularReason(st.st_mode);
      break;
    }
    default: break;
  }
  return String("it cannot be opened (") + std::strerror(error) + ")";
}

}  // namespace

int OpenRegularFile(const String& fileName, int flags, mode_t mode, String& why) {
  why.clear();
  // Without waiting: a FIFO's open blocks until a writer comes, a device's
  // may never return. A terminal does not become ours either.
  const int fd = ::open(fileName.c_str(), flags | O_NONBLOCK | O_NOCTTY, mode);
  if (fd < 0) {
    const int e = errno;
    why = OpenFailureReason(fileName, flags, e);
    errno = e;
    return -1;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int e = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    why = NotRegularReason(st.st_mode);
    ::close(fd);
    errno = e;
    return -1;
  }
  // Reads and writes of a regular file never wait; the flag only kept the
  // open from it.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

int OpenRegularFile(const String& fileName, int flags, mode_t mode) {
  String why;
  return OpenRegularFile(fileName, flags, mode, why);
}

String RegularFileProblem(const String& fileName) {
  String why;
  const int fd = OpenRegularFile(fileName, O_RDONLY | O_CLOEXEC, 0, why);
  if (fd >= 0) ::close(fd);
  return why;
}

size_t ReadUpTo(int fd, char* buf, size_t size) {
  size_t got = 0;
  while (got < size) {
    const ssize_t n = ::read(fd, buf + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  return got;
}

namespace {

String OpenCause() { return errno == EINVAL ? String("It is not a regular file.") : String(std::strerror(errno)); }

}  // namespace

TFileStream::TFileStream(const String& fileName, Word mode) : FFileName(fileName) {
  if (mode == fmCreate || (mode & 0xFF00) == fmCreate) {
    // O_TRUNC waits for nothing on a regular file; the type is checked
    // before anything is cut.
    FHandle = OpenRegularFile(fileName, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (FHandle < 0 || ::ftruncate(FHandle, 0) != 0) {
      TFileWriteWatch::Note(fileName, errno);
      const String cause = OpenCause();
      if (FHandle >= 0) ::close(FHandle);
      FHandle = -1;
      throw EFCreateError("Cannot create file \"" + fileName + "\". " + cause);
    }
    return;
  }
  int flags = O_CLOEXEC;
  switch (mode & 3) {
    case fmOpenWrite:
      flags |= O_WRONLY;
      break;
    case fmOpenReadWrite:
      flags |= O_RDWR;
      break;
    default:
      flags |= O_RDONLY;
      break;
  }
  FHandle = OpenRegularFile(fileName, flags);
  if (FHandle < 0) throw EFOpenError("Cannot open file \"" + fileName + "\". " + OpenCause());
}

TFileStream::~TFileStream() {
  if (FHandle >= 0) ::close(FHandle);
}

Int64 TFileStream::Read(void* buffer, Int64 count) { return ReadFully(FHandle, buffer, count); }

Int64 TFileStream::Write(const void* buffer, Int64 count) {
  const Int64 done = WriteFully(FHandle, buffer, count);
  if (done < count) TFileWriteWatch::Note(FFileName, errno);
  return done;
}

Int64 TFileStream::Seek(Int64 offset, TSeekOrigin origin) {
  return SeekDescriptor(FHandle, offset, origin);
}

void TFileStream::SetSize(Int64 newSize) {
  const Int64 pos = GetPosition();
  if (newSize < 0 || ::ftruncate(FHandle, static_cast<off_t>(newSize)) != 0)
    throw EStreamError("Stream size error");
  if (pos > newSize) Seek(newSize, soBeginning);
}

void TFileStream::Flush() { ::fsync(FHandle); }

// ---------------------------------------------------------------------------
// TAtomicFileStream

TAtomicFileStream::TAtomicFileStream(const String& fileName, bool ownerOnly) : FFileName(SaveTargetOf(fileName)) {
  // Through a symbolic link the file it points at is replaced, not the link.
  const String dir = ExtractFilePath(FFileName);
  const String name = ExtractFileName(FFileName);
  static thread_local std::mt19937_64 rng{std::random_device{}()};
  for (int attempt = 0; attempt < 100 && FHandle < 0; ++attempt) {
    FTempName = dir + "." + name + "." + IntToHex(static_cast<Int64>(rng() & 0xFFFFFFFFFFull), 10) + ".tmp";
    // The owner's alone until it has the mode it keeps, given before its
    // first byte: a private file being replaced is never readable by others.
    FHandle = ::open(FTempName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (FHandle < 0 && errno != EEXIST) break;
  }
  if (FHandle < 0) {
    TFileWriteWatch::Note(FTempName, errno);
    throw EFCreateError("Cannot create file \"" + fileName + "\". " + std::strerror(errno));
  }
  // A replaced file keeps its permissions (an owner-only one loses the
  // others' bits it had); a new one has any new file's.
  struct stat st;
  const unsigned mode = ownerOnly ? (::stat(FFileName.c_str(), &st) == 0 ? (st.st_mode & 0700) | 0600 : 0600)
                                  : ReplacementMode(FFileName);
  if (::fchmod(FHandle, mode) != 0) {
    const int e = errno;
    Discard();
    throw EFCreateError("Cannot create file \"" + fileName + "\". " + std::strerror(e));
  }
}

TAtomicFileStream::~TAtomicFileStream() { Discard(); }

void TAtomicFileStream::Discard() {
  if (FHandle >= 0) {
    ::close(FHandle);
    FHandle = -1;
    ::unlink(FTempName.c_str());
  }
}

Int64 TAtomicFileStream::Read(void* buffer, Int64 count) {
  return FHandle < 0 ? 0 : ReadFully(FHandle, buffer, count);
}

Int64 TAtomicFileStream::Write(const void* buffer, Int64 count) {
  if (FHandle < 0) return 0;
  const Int64 done = WriteFully(FHandle, buffer, count);
  // A short write fails the commit, so no partial file replaces the old one.
  if (done < count) {
    FFailed = true;
    TFileWriteWatch::Note(FTempName, errno);
  }
  return done;
}

Int64 TAtomicFileStream::Seek(Int64 offset, TSeekOrigin origin) {
  if (FHandle < 0) throw EStreamError("Invalid stream position");
  return SeekDescriptor(FHandle, offset, origin);
}

void TAtomicFileStream::SetSize(Int64 newSize) {
  const Int64 pos = GetPosition();
  if (newSize < 0 || ::ftruncate(FHandle, static_cast<off_t>(newSize)) != 0)
    throw EStreamError("Stream size error");
  if (pos > newSize) Seek(newSize, soBeginning);
}

void TAtomicFileStream::Commit() {
  if (FHandle < 0) throw EWriteError("Stream write error");
  const String reason = "Cannot write file \"" + FFileName + "\". ";
  if (FFailed) {
    Discard();
    throw EWriteError(reason + "Stream write error");
  }
  if (::fsync(FHandle) != 0) {
    const int e = errno;
    TFileWriteWatch::Note(FTempName, e);
    Discard();
    throw EWriteError(reason + std::strerror(e));
  }
  if (::close(FHandle) != 0) {
    const int e = errno;
    TFileWriteWatch::Note(FTempName, e);
    FHandle = -1;
    ::unlink(FTempName.c_str());
    throw EWriteError(reason + std::strerror(e));
  }
  FHandle = -1;
  if (::rename(FTempName.c_str(), FFileName.c_str()) != 0) {
    const int e = errno;
    TFileWriteWatch::Note(FFileName, e);
    ::unlink(FTempName.c_str());
    throw EWriteError(reason + std::strerror(e));
  }
  // Make the rename itself durable.
  String dir = ExtractFileDir(FFileName);
  if (dir.empty()) dir = ".";
  const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
}

void SaveBytesAtomically(const String& fileName, const AnsiString& bytes, bool ownerOnly) {
  TAtomicFileStream f(fileName, ownerOnly);
  f.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
  f.Commit();
}

AnsiString LoadBytesFromFile(const String& fileName) {
  TFileStream f(fileName, fmOpenRead);
  AnsiString r;
  char buf[65536];
  while (true) {
    const Int64 n = f.Read(buf, sizeof buf);
    if (n <= 0) break;
    r.append(buf, static_cast<size_t>(n));
  }
  return r;
}
