#pragma once
// Byte streams: the abstract TStream, memory, file and string streams, and
// the atomic file writer that every whole-file save goes through.
#include "platform/base/SysUtils.h"
#include "platform/base/Types.h"

#include <string>
#include <sys/types.h>

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
public:
  ~TStream() override = default;

  // Read/Write move at most `count` bytes and answer how many they moved.
  virtual Int64 Read(void* buffer, Int64 count) = 0;
  virtual Int64 Write(const void* buffer, Int64 count) = 0;
  // Answers the new position. Seeking before the start raises EStreamError;
  // seeking past the end is allowed (a later write fills the gap with zeros).
  virtual Int64 Seek(Int64 offset, TSeekOrigin origin) = 0;

  Int64 GetPosition() { return Seek(0, soCurrent); }
  void SetPosition(Int64 pos) { Seek(pos, soBeginning); }
  virtual Int64 GetSize();
  // Truncates or extends (with zeros); the position is kept but clamped.
  virtual void SetSize(Int64 newSize);
  // Bytes between the position and the end.
  Int64 Remaining() { return GetSize() - GetPosition(); }

  // Exactly `count` bytes or EReadError "Stream read error" /
  // EWriteError "Stream write error".
  void ReadBuffer(void* buffer, Int64 count);
  void WriteBuffer(const void* buffer, Int64 count);
  // Copies `count` bytes from source's position; count 0 copies the whole
  // source from its start. Answers the bytes copied.
  Int64 CopyFrom(TStream& source, Int64 count);

  // Little-endian values; reads raise EReadError when the stream ends first.
  Byte ReadByte();
  void WriteByte(Byte v);
  Word ReadWordLE();
  void WriteWordLE(Word v);
  int16_t ReadInt16LE();
  void WriteInt16LE(int16_t v);
  Integer ReadInt32LE();
  void WriteInt32LE(Integer v);
  Cardinal ReadUInt32LE();
  void WriteUInt32LE(Cardinal v);
  Int64 ReadInt64LE();
  void WriteInt64LE(Int64 v);
  double ReadDoubleLE();
  void WriteDoubleLE(double v);
  // `count` raw bytes; never allocates more than the stream still holds, so
  // a lying length in a file gives EReadError rather than a huge buffer.
  AnsiString ReadBytes(Int64 count);
  void WriteBytes(const AnsiString& bytes);
};

// A growable buffer in memory.
class TMemoryStream : public TStream {
public:
  TMemoryStream() = default;

  Int64 Read(void* buffer, Int64 count) override;
  Int64 Write(const void* buffer, Int64 count) override;
  Int64 Seek(Int64 offset, TSeekOrigin origin) override;
  Int64 GetSize() override { return static_cast<Int64>(FData.size()); }
  void SetSize(Int64 newSize) override;

  char* Memory() { return FData.data(); }
  const char* Memory() const { return FData.data(); }
  // The whole content as bytes.
  const AnsiString& Bytes() const { return FData; }
  void Clear();

  // Replaces the content with all of `stream` (from its start); position 0.
  void LoadFromStream(TStream& stream);
  // Writes the whole content at the stream's position.
  void SaveToStream(TStream& stream);
  void LoadFromFile(const String& fileName);
  // Atomic: a crash leaves the old file or the complete new one.
  void SaveToFile(const String& fileName);

protected:
  AnsiString FData;
  Int64 FPosition = 0;
};

// A memory stream over a string, with the content as DataString.
class TStringStream : public TMemoryStream {
public:
  explicit TStringStream(const AnsiString& data = AnsiString()) { FData = data; }
  const AnsiString& DataString() const { return FData; }
  // Reads up to count bytes as a string.
  AnsiString ReadString(Int64 count);
  void WriteString(const AnsiString& s) { WriteBytes(s); }
};

// File open modes. Share modes are accepted and ignored (POSIX has no
// mandatory locking).
constexpr Word fmOpenRead = 0x0000;
constexpr Word fmOpenWrite = 0x0001;
constexpr Word fmOpenReadWrite = 0x0002;
constexpr Word fmShareCompat = 0x0000;
constexpr Word fmShareExclusive = 0x0010;
constexpr Word fmShareDenyWrite = 0x0020;
constexpr Word fmShareDenyRead = 0x0030;
constexpr Word fmShareDenyNone = 0x0040;
constexpr Word fmCreate = 0xFF00;

// A file opened for reading, writing or both. fmCreate creates or truncates.
// Raises EFCreateError 'Cannot create file "x". <reason>' or EFOpenError
// 'Cannot open file "x". <reason>'.
class TFileStream : public TStream {
public:
  TFileStream(const String& fileName, Word mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  Int64 Read(void* buffer, Int64 count) override;
  Int64 Write(const void* buffer, Int64 count) override;
  Int64 Seek(Int64 offset, TSeekOrigin origin) override;
  void SetSize(Int64 newSize) override;

  const String& FileName() const { return FFileName; }
  int Handle() const { return FHandle; }
  // Pushes the written data to the disk.
  void Flush();

private:
  String FFileName;
  int FHandle = -1;
};

// Writes a new file beside the target and renames it into place on Commit,
// (its temporary name is ".<name>.<10 hex digits>.tmp"),
// after flushing it to the disk. A target that is a symbolic link has the
// file it points at replaced. Destroyed without Commit, it removes the
// temporary file and leaves the target untouched.
class TAtomicFileStream : public TStream {
public:
  // ownerOnly: the temporary file and the result are readable and writable
  // by their owner alone (files that hold the user's words).
  explicit TAtomicFileStream(const String& fileName, bool ownerOnly = false);  // EFCreateError
  ~TAtomicFileStream() override;
  TAtomicFileStream(const TAtomicFileStream&) = delete;
  TAtomicFileStream& operator=(const TAtomicFileStream&) = delete;

  Int64 Read(void* buffer, Int64 count) override;
  Int64 Write(const void* buffer, Int64 count) override;
  Int64 Seek(Int64 offset, TSeekOrigin origin) override;
  void SetSize(Int64 newSize) override;

  // fsync, rename over the target, fsync the folder. EWriteError on failure
  // (the target then keeps its old content).
  void Commit();
  const String& FileName() const { return FFileName; }

private:
  void Discard();
  String FFileName;
  String FTempName;
  int FHandle = -1;
  bool FFailed = false;
};

// Opens fileName with the open(2) flags when it is a regular file: a FIFO,
// device or socket in a file's place would block a read or write for ever
// (opened without waiting, it is refused with EINVAL, a folder with EISDIR).
// The descriptor, or -1 with errno set.
int OpenRegularFile(const String& fileName, int flags, mode_t mode = 0);
// The same; when it fails, why says what is there instead or why it cannot
// be opened, as a message puts it after the file's name: "it is a named
// pipe, not a file", "it is a folder, not a file".
int OpenRegularFile(const String& fileName, int flags, mode_t mode, String& why);
// Why fileName cannot be read as a regular file ("" when it can), found by
// opening it as above.
String RegularFileProblem(const String& fileName);
// Reads up to size bytes from fd into buf, across short reads and
// interruptions; answers how many came (fewer at the end of the file or on
// an error).
size_t ReadUpTo(int fd, char* buf, size_t size);

// The whole file in one atomic write (EFCreateError / EWriteError).
void SaveBytesAtomically(const String& fileName, const AnsiString& bytes, bool ownerOnly = false);
// The whole file (EFOpenError when it cannot be read).
AnsiString LoadBytesFromFile(const String& fileName);
