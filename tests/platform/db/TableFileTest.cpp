// Table files on disk: files that are no database are refused with their
// cause and left alone, leftovers of a killed restructure are wiped, files
// are private, a file's cipher settings are honoured, and passwords do not
// stay in memory once removed.
#include "platform/db/DBFiles.h"
#include "platform/db/DBPassword.h"
#include "platform/db/DBTables.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct TFolder {
  qytest::TempDir Dir;
  TSession Session;
  String Name;
  int Asked = 0;

  explicit TFolder(const String& name = "TableFileSession") : Name(name) {
    Session.SessionName = name;
    Session.AddStandardAlias("A", Dir.str(), "STANDARD");
    Session.AddTableFile("Data.db", {"Entries"});
    Session.OnPassword = [this](TSession*, bool& cont) {
      ++Asked;
      cont = false;
    };
  }
  String File() const { return (Dir / "Data.db").string(); }

  void Make(const String& password, const TCipherSettings& settings = TCipherSettings()) {
    Session.CreateDatabaseFile(File(), password, settings);
    if (!password.empty()) Session.AddPassword(password);
    Exec("CREATE TABLE Entries (ID INTEGER PRIMARY KEY, Body BLOB)");
    for (int i = 1; i <= 40; ++i)
      Exec("INSERT INTO Entries (ID, Body) VALUES (" + IntToStr(i) + ", '" + String(900, 'x') + "')");
    Session.RemoveAllPasswords();
    Session.CloseIdleConnections();
  }
  void Exec(const String& sql) {
    TQuery q;
    q.SessionName = Name;
    q.DatabaseName = "A";
    q.SQL.Add(sql);
    q.ExecSQL();
  }
  int Count() {
    TQuery q;
    q.SessionName = Name;
    q.DatabaseName = "A";
    q.SQL.Add("SELECT count(*) FROM Entries");
    q.Open();
    return q.Fields(0).AsInteger();
  }
};

int Mode(const String& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 0777) : -1;
}

TEST(TableFileTest, FilesThatAreNoDatabaseAreReportedAndLeftAlone) {
  struct Case {
    const char* what;
    std::function<void(TFolder&)> make;
    TDBFileKind kind;
    const char* cause;  // part of the message
  };
  auto truncateTo = [](TFolder& f, std::uintmax_t size) { fs::resize_file(f.File(), size); };
  const Case cases[] = {
      {"missing", [](TFolder&) {}, dfMissing, "not found"},
      {"empty", [](TFolder& f) { qytest::WriteFileBytes(f.File(), ""); }, dfEmpty, "empty (0 bytes)"},
      {"text", [](TFolder& f) { qytest::WriteFileBytes(f.File(), String(4096, 'a')); }, dfNotDatabase,
       "not a database"},
      {"encrypted, cut in a page",
       [&](TFolder& f) {
         f.Make("Secret-1");
         truncateTo(f, fs::file_size(f.File()) - 300);
       },
       dfNotDatabase, "truncated"},
      {"plain, cut in a page",
       [&](TFolder& f) {
         f.Make("");
         truncateTo(f, 1500);
       },
       dfPlain, "malformed"},  // the engine's own message
      {"plain, its last bytes cut off",
       [&](TFolder& f) {
         f.Make("");
         truncateTo(f, fs::file_size(f.File()) - 100);
       },
       dfPlain, "truncated"},
      {"plain, pages overwritten",
       [&](TFolder& f) {
         f.Make("");
         String bytes = qytest::ReadFileBytes(f.File());
         for (size_t i = 100; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
         qytest::WriteFileBytes(f.File(), bytes);
       },
       dfPlain, "malformed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TFolder f;
    c.make(f);
    EXPECT_EQ(ClassifyDatabaseFile(f.File()), c.kind);
    const bool existed = fs::exists(f.File());
    const String before = qytest::ReadFileBytes(f.File());
    f.Session.AddPassword("Secret-1");
    try {
      f.Count();
      ADD_FAILURE() << "opened";
    } catch (EDBPasswordError& e) {
      ADD_FAILURE() << "taken for a password problem: " << e.Message;
    } catch (EDBEngineError& e) {
      EXPECT_NE(e.Message.find(c.kind == dfMissing ? String("Data.db") : f.File()), String::npos)
          << e.Message;
      EXPECT_NE(e.Message.find(c.cause), String::npos) << e.Message;
    }
    EXPECT_EQ(f.Asked, 0);
    EXPECT_EQ(fs::exists(f.File()), existed);
    EXPECT_EQ(qytest::ReadFileBytes(f.File()), before);
  }
}

TEST(TableFileTest, OnlyAnEncryptedFileAsksForItsPassword) {
  TFolder f;
  f.Make("Secret-2");
  EXPECT_EQ(ClassifyDatabaseFile(f.File()), dfEncrypted);
  EXPECT_THROW(f.Count(), EDBPasswordError);
  EXPECT_EQ(f.Asked, 1);
  f.Session.AddPassword("Secret-2");
  EXPECT_EQ(f.Count(), 40);
}

TEST(TableFileTest, LeftoversOfAKilledRestructureAreWipedBeforeTheyGo) {
  qytest::TempDir dir, aside;
  const String text = "entry text in clear " + String(5000, 'q');
  const char* stale[] = {"Quillory.db.new", "Quillory.db.new-journal", "Profile.db.new-wal",
                         "Quillory.db.new-shm"};
  const char* kept[] = {"Quillory.db", "Quillory.db-wal", "notes.new", "Quillory.db.newer"};
  for (const char* n : stale) qytest::WriteFileBytes(dir / n, text);
  for (const char* n : kept) qytest::WriteFileBytes(dir / n, text);
  // A second name for one leftover shows what became of its bytes.
  fs::create_hard_link(dir / "Quillory.db.new", aside / "link");
  EXPECT_EQ(RemoveStaleTableFiles(dir.str()), 4);
  for (const char* n : stale) EXPECT_FALSE(fs::exists(dir / n)) << n;
  for (const char* n : kept) EXPECT_EQ(qytest::ReadFileBytes(dir / n), text) << n;
  EXPECT_EQ(fs::file_size(aside / "link"), 0u);
  EXPECT_EQ(RemoveStaleTableFiles(dir.str()), 0);
}

TEST(TableFileTest, FilesAreReadableByTheirOwnerOnly) {
  ::umask(022);
  TFolder f;
  f.Make("");
  EXPECT_EQ(Mode(f.File()), 0600);
  f.Exec("INSERT INTO Entries (ID) VALUES (100)");
  EXPECT_EQ(Mode(f.File() + "-wal"), 0600);
  f.Session.CloseIdleConnections();
  for (const String& password : {String("Secret-3"), String()}) {
    f.Session.AddPassword("Secret-3");
    TTable t;
    t.SessionName = f.Name;
    t.DatabaseName = "A";
    t.TableName = "Entries";
    t.Exclusive = true;
    t.Open();
    t.RestructurePassword(password);
    EXPECT_EQ(Mode(f.File()), 0600) << password;
  }
  EXPECT_EQ(f.Count(), 41);
}

TEST(TableFileTest, RecordedCipherSettingsOpenAFileMadeWithOthers) {
  TFolder f;
  const TCipherSettings older{64000, 1024};
  f.Make("Secret-4", older);
  // A session that knows only today's defaults cannot open it ...
  TFolder other("OtherTableFileSession");
  fs::copy_file(f.File(), other.File());
  other.Session.AddPassword("Secret-4");
  EXPECT_THROW(other.Count(), EDBPasswordError);
  // ... with the recorded settings it can, and tells what opened it.
  other.Session.SetCipherSettings(other.File(), older);
  EXPECT_EQ(other.Count(), 40);
  EXPECT_EQ(other.Session.CipherSettingsOf(other.File()), older);
  // A rewrite with a new password takes the new files' derivation.
  other.Session.CloseIdleConnections();
  TTable t;
  t.SessionName = other.Name;
  t.DatabaseName = "A";
  t.TableName = "Entries";
  t.Exclusive = true;
  t.Open();
  t.RestructurePassword("Secret-5");
  t.Close();
  EXPECT_EQ(other.Session.CipherSettingsOf(other.File()), DBNewFileCipherSettings);
  // It opens so in another session that has no record of it.
  TFolder fresh("FreshTableFileSession");
  other.Session.CloseIdleConnections();
  fs::copy_file(other.File(), fresh.File());
  fresh.Session.AddPassword("Secret-5");
  EXPECT_EQ(fresh.Count(), 40);
  EXPECT_EQ(fresh.Session.CipherSettingsOf(fresh.File()), DBNewFileCipherSettings);
  fresh.Session.CloseIdleConnections();
  // Files of the earlier derivation open without a record: those of the
  // previous defaults and those of the earlier layout.
  TFolder previous("PreviousTableFileSession");
  previous.Make("Secret-7", TCipherSettings());
  TFolder previousCopy("PreviousCopyTableFileSession");
  fs::copy_file(previous.File(), previousCopy.File());
  previousCopy.Session.AddPassword("Secret-7");
  EXPECT_EQ(previousCopy.Count(), 40);
  EXPECT_EQ(previousCopy.Session.CipherSettingsOf(previousCopy.File()), TCipherSettings());
  previousCopy.Session.CloseIdleConnections();
  // A file of the earlier layout opens without a record.
  TFolder earlier("EarlierTableFileSession");
  earlier.Make("Secret-6", DBEarlierCipherSettings);
  TFolder unrecorded("UnrecordedTableFileSession");
  fs::copy_file(earlier.File(), unrecorded.File());
  unrecorded.Session.AddPassword("Secret-6");
  EXPECT_EQ(unrecorded.Count(), 40);
  EXPECT_EQ(unrecorded.Session.CipherSettingsOf(unrecorded.File()), DBEarlierCipherSettings);
  unrecorded.Session.CloseIdleConnections();

  struct TextCase {
    String text;
    bool ok;
    TCipherSettings settings;
  };
  const TextCase texts[] = {
      {"kdf_iter=256000;cipher_page_size=4096", true, {}},
      {"kdf_iter=256000;cipher_page_size=1024", true, DBEarlierCipherSettings},
      {" kdf_iter = 64000 ; cipher_page_size=4096;", true, {64000, 4096}},
      {"kdf_iter=64000", false, {}},
      {"kdf_iter=0;cipher_page_size=1024", false, {}},
      {"kdf_iter=64000;cipher_page_size=1000", false, {}},
      {"kdf_iter=x;cipher_page_size=1024", false, {}},
      {"cipher=aes;kdf_iter=1;cipher_page_size=1024", false, {}},
      {"kdf=argon2id;m=65536;t=3;p=4;cipher_page_size=4096", true, DBNewFileCipherSettings},
      {"kdf=argon2id; m=19456 ;t=2;p=1;cipher_page_size=1024", true, {DBKdfIterations, 1024, 19456, 2, 1}},
      {"kdf=argon2id;m=65536;t=3;cipher_page_size=4096", false, {}},
      {"kdf=argon2id;m=65536;t=3;p=4;kdf_iter=5;cipher_page_size=4096", false, {}},
      {"kdf=argon2i;m=65536;t=3;p=4;cipher_page_size=4096", false, {}},
      {"kdf=argon2id;m=99999999;t=3;p=4;cipher_page_size=4096", false, {}},  // more memory than allowed
      {"kdf=argon2id;m=16;t=3;p=4;cipher_page_size=4096", false, {}},        // less than the lanes need
      {"kdf_iter=1000;m=65536;cipher_page_size=4096", false, {}},
      // Costlier than a few times what the program writes: an open would
      // stall for minutes.
      {"kdf=argon2id;m=1048576;t=64;p=4;cipher_page_size=4096", false, {}},
      {"kdf=argon2id;m=65536;t=64;p=4;cipher_page_size=4096", false, {}},
      {"kdf=argon2id;m=65536;t=3;p=64;cipher_page_size=4096", false, {}},
      {"kdf_iter=100000000;cipher_page_size=4096", false, {}},
      {"kdf_iter=1024001;cipher_page_size=4096", false, {}},
      {"kdf_iter=1024000;cipher_page_size=4096", true, {1024000, 4096}},
      {"kdf=argon2id;m=262144;t=12;p=16;cipher_page_size=4096", true, {DBKdfIterations, 4096, 262144, 12, 16}},
      {"", false, {}},
  };
  for (const TextCase& c : texts) {
    const TCipherSettings untouched{7, 512};
    TCipherSettings out = untouched;
    EXPECT_EQ(TCipherSettings::Parse(c.text, out), c.ok) << c.text;
    EXPECT_EQ(out, c.ok ? c.settings : untouched) << c.text;
  }
  const TCipherSettings large{64000, 4096};
  EXPECT_EQ(large.Text(), "kdf_iter=64000;cipher_page_size=4096");
  EXPECT_EQ(DBNewFileCipherSettings.Text(), "kdf=argon2id;m=65536;t=3;p=4;cipher_page_size=4096");
}

// Counts the places in this process's heap and anonymous memory that hold
// the text. It reads through a buffer on the stack, so the scan leaves no
// copy of its own behind.
int CountInMemory(const String& needle) {
  std::ifstream maps("/proc/self/maps");
  // A session that holds a password makes the process not dumpable, which
  // gives /proc/self/mem to the superuser; the count reads it as its user.
  if (::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) != 1) ::prctl(PR_SET_DUMPABLE, 1, 0, 0, 0);
  const int mem = ::open("/proc/self/mem", O_RDONLY | O_CLOEXEC);
  if (mem < 0) return -1;
  int found = 0;
  std::string line;
  char buf[65536];
  const size_t overlap = needle.size() - 1;
  while (std::getline(maps, line)) {
    unsigned long from = 0, to = 0;
    char perms[5] = {};
    if (std::sscanf(line.c_str(), "%lx-%lx %4s", &from, &to, perms) != 3) continue;
    if (perms[0] != 'r' || perms[1] != 'w') continue;
    if (line.find('/') != std::string::npos && line.find("[heap]") == std::string::npos) continue;
    if (line.find("[stack]") != std::string::npos) continue;
    for (unsigned long at = from; at < to;) {
      const size_t want = std::min<unsigned long>(sizeof buf, to - at);
      const ssize_t got = ::pread(mem, buf, want, static_cast<off_t>(at));
      if (got <= 0) break;
      const char* end = buf + got;
      for (const char* p = buf; (p = std::search(p, end, needle.begin(), needle.end())) != end; ++p)
        ++found;
      if (static_cast<size_t>(got) < want || at + got >= to) break;
      at += static_cast<unsigned long>(got) - overlap;  // a match across two reads counts once
    }
  }
  ::close(mem);
  return found;
}

// Parts of the file's derived key, as the session keeps it (hex text) and
// as the engine holds it (bytes); the key itself is wiped at once. Short
// enough to stay inside the strings, on the stack.
struct TKeyProbes {
  String Hex, Bytes;
  TKeyProbes(const String& path, const String& password, const TCipherSettings& settings = TCipherSettings()) {
    String raw = CipherRawKey(password, CipherSaltOf(path, CipherSaltBytes), settings);
    char hex[14], bytes[7];
    raw.copy(hex, sizeof hex, 20);
    for (size_t i = 0; i < sizeof bytes; ++i)
      bytes[i] = static_cast<char>(std::stoi(raw.substr(20 + 2 * i, 2), nullptr, 16));
    WipeString(raw);
    Hex.assign(hex, sizeof hex);
    Bytes.assign(bytes, sizeof bytes);
  }
};

String RandomPassword(std::mt19937& random) {
  // A password that appears nowhere in the program's text.
  String password = "Pw";
  for (int i = 0; i < 12; ++i) password += static_cast<char>('a' + random() % 26);
  return password;
}

TEST(TableFileTest, RemovedPasswordsAreWipedFromMemory) {
  std::mt19937 random{std::random_device{}()};
  String password = RandomPassword(random);
  String changed = RandomPassword(random);
  {
    TFolder f;
    f.Make(password);
    f.Session.AddPassword(password);
    EXPECT_EQ(f.Count(), 40);
    // The random part, without the first letters (emptying a string writes
    // over its first byte, which is no wiping); it lives on the stack.
    char tail[16] = {}, full[16] = {};
    password.copy(tail, 10, 3);
    password.copy(full, password.size());
    const String probe(tail, 10);
    TKeyProbes key(f.File(), password);
    // Held while the journal is open.
    EXPECT_GE(CountInMemory(probe), 1);
    EXPECT_GE(CountInMemory(key.Hex), 1);
    EXPECT_GE(CountInMemory(key.Bytes), 1);
    f.Session.RemoveAllPasswords();
    f.Session.CloseIdleConnections();
    WipeString(password);
    EXPECT_EQ(CountInMemory(probe), 0);
    EXPECT_EQ(CountInMemory(key.Hex), 0);
    EXPECT_EQ(CountInMemory(key.Bytes), 0);

    // The key a password change derives goes the same way.
    f.Session.AddPassword(changed);
    TTable t;
    t.SessionName = f.Name;
    t.DatabaseName = "A";
    t.TableName = "Entries";
    f.Session.OnPassword = [&](TSession* s, bool& cont) {
      s->AddPassword(full);
      cont = true;
    };
    t.Exclusive = true;
    t.Open();
    t.RestructurePassword(changed);
    f.Session.RemovePassword(full);
    EXPECT_EQ(f.Count(), 40);
    TKeyProbes newKey(f.File(), changed, DBNewFileCipherSettings);
    EXPECT_GE(CountInMemory(newKey.Hex), 1);
    f.Session.RemoveAllPasswords();
    f.Session.CloseIdleConnections();
    WipeString(changed);
    EXPECT_EQ(CountInMemory(newKey.Hex), 0);
    EXPECT_EQ(CountInMemory(newKey.Bytes), 0);
  }
}

}  // namespace
