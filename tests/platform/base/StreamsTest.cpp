#include "platform/base/Streams.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

TEST(Streams, MemoryStreamPositionsAndSizes) {
  TMemoryStream m;
  m.WriteBytes("hello");
  EXPECT_EQ(m.GetSize(), 5);
  EXPECT_EQ(m.GetPosition(), 5);
  m.SetPosition(8);  // past the end: a write fills the gap with zeros
  m.WriteByte('!');
  EXPECT_EQ(m.Bytes(), std::string("hello\0\0\0!", 9));
  m.SetSize(3);
  EXPECT_EQ(m.GetPosition(), 3);
  EXPECT_EQ(m.Bytes(), "hel");
  EXPECT_THROW(m.Seek(-4, soCurrent), EStreamError);
  EXPECT_EQ(m.Seek(-1, soEnd), 2);
  char c;
  EXPECT_EQ(m.Read(&c, 10), 1);
  EXPECT_EQ(m.Read(&c, 10), 0);
  m.Clear();
  EXPECT_EQ(m.GetSize(), 0);
  EXPECT_EQ(m.GetPosition(), 0);
}

TEST(Streams, LittleEndianValuesAndReadErrors) {
  TMemoryStream m;
  m.WriteByte(0xAB);
  m.WriteWordLE(0x1234);
  m.WriteInt16LE(-2);
  m.WriteInt32LE(-123456789);
  m.WriteUInt32LE(0xDEADBEEF);
  m.WriteInt64LE(-(int64_t{1} << 40));
  m.WriteDoubleLE(-1.25);
  EXPECT_EQ(m.Bytes().substr(0, 5), std::string("\xAB\x34\x12\xFE\xFF", 5));
  m.SetPosition(0);
  EXPECT_EQ(m.ReadByte(), 0xAB);
  EXPECT_EQ(m.ReadWordLE(), 0x1234);
  EXPECT_EQ(m.ReadInt16LE(), -2);
  EXPECT_EQ(m.ReadInt32LE(), -123456789);
  EXPECT_EQ(m.ReadUInt32LE(), 0xDEADBEEFu);
  EXPECT_EQ(m.ReadInt64LE(), -(int64_t{1} << 40));
  EXPECT_EQ(m.ReadDoubleLE(), -1.25);
  EXPECT_EQ(m.Remaining(), 0);

  // Short reads: every reader raises "Stream read error" and a lying length
  // never allocates beyond the data.
  TStringStream s("abc");
  try {
    s.ReadInt32LE();
    FAIL() << "no error";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message, "Stream read error");
  }
  s.SetPosition(0);
  EXPECT_THROW(s.ReadBytes(int64_t{1} << 40), EReadError);
  EXPECT_THROW(s.ReadBytes(-1), EReadError);
  EXPECT_EQ(s.GetPosition(), 0);
  EXPECT_EQ(s.ReadString(100), "abc");
  char buf[4];
  EXPECT_THROW(s.ReadBuffer(buf, 1), EReadError);
}

TEST(Streams, CopyFromAndLoadSave) {
  TStringStream src("0123456789");
  TMemoryStream dst;
  src.SetPosition(2);
  EXPECT_EQ(dst.CopyFrom(src, 3), 3);
  EXPECT_EQ(dst.Bytes(), "234");
  EXPECT_EQ(dst.CopyFrom(src, 0), 10);  // 0: the whole source
  EXPECT_EQ(dst.Bytes(), "2340123456789");
  EXPECT_THROW(dst.CopyFrom(src, 1), EReadError);

  TMemoryStream m;
  m.LoadFromStream(src);
  EXPECT_EQ(m.Bytes(), "0123456789");
  EXPECT_EQ(m.GetPosition(), 0);
}

TEST(Streams, FileStreams) {
  qytest::TempDir tmp;
  const String path = tmp.str() + "/data.bin";
  {
    TFileStream f(path, fmCreate);
    f.WriteBytes("abcdef");
    f.SetSize(4);
    EXPECT_EQ(f.GetSize(), 4);
  }
  EXPECT_EQ(qytest::ReadFileBytes(path), "abcd");
  {
    TFileStream f(path, fmOpenReadWrite | fmShareDenyWrite);
    f.Seek(0, soEnd);
    f.WriteBytes("XY");
    f.SetPosition(1);
    EXPECT_EQ(f.ReadBytes(2), "bc");
  }
  EXPECT_EQ(qytest::ReadFileBytes(path), "abcdXY");
  {
    TFileStream f(path, fmOpenRead);
    EXPECT_EQ(f.Write("z", 1), 0);  // read-only
    EXPECT_THROW(f.WriteBuffer("z", 1), EWriteError);
  }
  try {
    TFileStream f(tmp.str() + "/missing.bin", fmOpenRead);
    FAIL() << "no error";
  } catch (const EFOpenError& e) {
    EXPECT_NE(e.Message.find("Cannot open file \"" + tmp.str() + "/missing.bin\""), String::npos);
  }
  EXPECT_THROW(TFileStream(tmp.str() + "/no/such/dir/x", fmCreate), EFCreateError);
  EXPECT_THROW(TFileStream(tmp.str(), fmOpenRead), EFOpenError);  // a folder

  TMemoryStream m;
  m.LoadFromFile(path);
  EXPECT_EQ(m.Bytes(), "abcdXY");
  m.WriteBytes("more");
  m.SaveToFile(path);
  EXPECT_EQ(qytest::ReadFileBytes(path), "moreXY");
}

TEST(Streams, AtomicWriterReplacesOnlyOnCommit) {
  qytest::TempDir tmp;
  const String path = tmp.str() + "/settings.ini";
  qytest::WriteFileBytes(path, "old");
  ::chmod(path.c_str(), 0640);
  {
    TAtomicFileStream f(path);
    f.WriteBytes("half-written");
    EXPECT_EQ(qytest::ReadFileBytes(path), "old");  // not yet
  }  // no Commit: abandoned
  EXPECT_EQ(qytest::ReadFileBytes(path), "old");
  {
    TAtomicFileStream f(path);
    f.WriteBytes("new content");
    f.Commit();
  }
  EXPECT_EQ(qytest::ReadFileBytes(path), "new content");
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);  // a replaced file keeps its permissions

  SaveBytesAtomically(tmp.str() + "/fresh.bin", std::string("\0\1", 2));
  EXPECT_EQ(LoadBytesFromFile(tmp.str() + "/fresh.bin"), std::string("\0\1", 2));
  // Nothing but the two files is left in the folder.
  int n = 0;
  for (const auto& e : std::filesystem::directory_iterator(tmp.path())) {
    (void)e;
    ++n;
  }
  EXPECT_EQ(n, 2);
  EXPECT_THROW(SaveBytesAtomically(tmp.str() + "/no/dir/x", "x"), EFCreateError);

  // Saving through a symbolic link keeps the link.
  ASSERT_EQ(::symlink((tmp.str() + "/fresh.bin").c_str(), (tmp.str() + "/link").c_str()), 0);
  SaveBytesAtomically(tmp.str() + "/link", "via link");
  EXPECT_TRUE(std::filesystem::is_symlink(tmp.path() / "link"));
  EXPECT_EQ(qytest::ReadFileBytes(tmp.path() / "fresh.bin"), "via link");
  EXPECT_THROW(LoadBytesFromFile(tmp.str() + "/none"), EFOpenError);
}

// Only regular files are files: a FIFO in a settings file's or document's
// place (opened by no writer) is refused at once in every mode instead of
// blocking the program for ever, and is never cut.
TEST(Streams, FilesThatAreNoRegularFilesAreRefusedWithoutWaiting) {
  qytest::TempDir tmp;
  const String fifo = tmp.str() + "/settings.ini";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    const char* What;
    std::function<void()> Open;
  } cases[] = {
      {"read", [&] { TFileStream f(fifo, fmOpenRead); }},
      {"write", [&] { TFileStream f(fifo, fmOpenWrite); }},
      {"read and write", [&] { TFileStream f(fifo, fmOpenReadWrite); }},
      {"create", [&] { TFileStream f(fifo, fmCreate); }},
      {"whole file", [&] { LoadBytesFromFile(fifo); }},
      {"folder", [&] { TFileStream f(tmp.str(), fmOpenRead); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    EXPECT_THROW(c.Open(), EStreamError);
  }
  struct stat st {};
  ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// Files that hold the user's words are written owner-only from the first
// byte, whatever the umask, and one that was readable by others loses that.
TEST(Streams, OwnerOnlyAtomicWritesAreTheOwnersAlone) {
  qytest::TempDir tmp;
  const mode_t oldMask = ::umask(0);
  const String fresh = tmp.str() + "/words.spu", old = tmp.str() + "/old.spu";
  qytest::WriteFileBytes(old, "x");
  ::chmod(old.c_str(), 0644);
  {
    TAtomicFileStream f(fresh, true);
    // The temporary file beside it is private already.
    int temporaries = 0;
    for (const auto& e : std::filesystem::directory_iterator(tmp.path())) {
      const String name = e.path().filename().string();
      if (name.rfind(".words.spu.", 0) != 0 || !name.ends_with(".tmp")) continue;
      ++temporaries;
      struct stat st {};
      ASSERT_EQ(::stat(e.path().c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 0777, 0600u);
    }
    EXPECT_EQ(temporaries, 1);
    f.WriteBytes("words");
    f.Commit();
  }
  SaveBytesAtomically(old, "words", true);
  SaveBytesAtomically(tmp.str() + "/plain.txt", "text");
  ::umask(oldMask);
  for (const auto& [file, mode] : {std::pair<String, unsigned>{fresh, 0600u}, {old, 0600u},
                                   {tmp.str() + "/plain.txt", 0666u}}) {
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, mode) << file;
  }
}
