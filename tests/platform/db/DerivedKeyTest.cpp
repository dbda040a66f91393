// The derived keys of encrypted files: the raw key computed here is the one
// the engine derives from the password; a session derives a file's key once
// for all its connections, never serves a key that no longer fits the file,
// and keeps none once the password is gone.
#include "platform/db/DBFiles.h"
#include "platform/db/DBPassword.h"
#include "platform/db/DBTables.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <openssl/evp.h>
#include <sqlcipher/sqlite3.h>

#include <filesystem>
#include <thread>

namespace {

namespace fs = std::filesystem;

// A file made and read by the engine alone, as another program would.
struct TEngineFile {
  sqlite3* Db = nullptr;
  explicit TEngineFile(const String& path) { sqlite3_open_v2(path.c_str(), &Db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr); }
  ~TEngineFile() { sqlite3_close(Db); }
  // The result code of the statements run with that key and settings.
  int Run(const String& key, const TCipherSettings& cs, const String& sql, String* error = nullptr) {
    sqlite3_key(Db, key.data(), static_cast<int>(key.size()));
    const String pragmas = "PRAGMA kdf_iter = " + IntToStr(cs.KdfIter) +
                           "; PRAGMA cipher_page_size = " + IntToStr(cs.PageSize) + "; ";
    char* err = nullptr;
    const int rc = sqlite3_exec(Db, (pragmas + sql).c_str(), nullptr, nullptr, &err);
    if (error) *error = err ? err : "";
    sqlite3_free(err);
    return rc;
  }
};

TEST(DerivedKeyTest, RawKeyIsTheKeyTheEngineDerives) {
  qytest::TempDir dir;
  const TCipherSettings cases[] = {TCipherSettings(), {1000, 1024}};
  int n = 0;
  for (const TCipherSettings& cs : cases) {
    const String path = (dir / ("f" + std::to_string(n++) + ".db")).string();
    {
      TEngineFile made(path);
      ASSERT_EQ(made.Run("pass;word", cs, "CREATE TABLE t (x); INSERT INTO t VALUES (42);"), SQLITE_OK);
    }
    const String salt = CipherSaltOf(path, CipherSaltBytes);
    ASSERT_EQ(salt.size(), CipherSaltBytes);
    struct KeyCase {
      String key;
      bool opens;
    };
    const KeyCase keys[] = {
        {CipherRawKey("pass;word", salt, cs.KdfIter), true},
        // The salt appended is the file's own: it opens as well.
        {CipherRawKey("pass;word", salt, cs.KdfIter, true), true},
        {CipherRawKey("Pass;word", salt, cs.KdfIter), false},
        {CipherRawKey("pass;word", salt, cs.KdfIter + 1), false},
        {CipherRawKey("pass;word", String(CipherSaltBytes, 'x'), cs.KdfIter), false},
    };
    for (const KeyCase& k : keys) {
      ASSERT_TRUE(IsCipherRawKey(k.key)) << k.key;
      TEngineFile open(path);
      String error;
      const int rc = open.Run(k.key, cs, "SELECT x FROM t;", &error);
      EXPECT_EQ(rc == SQLITE_OK, k.opens) << cs.Text() << " " << k.key;
      if (!k.opens) {
        EXPECT_EQ(rc, SQLITE_NOTADB);
        EXPECT_EQ(error, "file is encrypted or is not a database");
      }
    }
  }
  EXPECT_THROW(CipherRawKey("p", "short", 1000), EDatabaseError);
  EXPECT_THROW(CipherRawKey("p", String(CipherSaltBytes, 's'), 0), EDatabaseError);
  EXPECT_NE(NewCipherSalt(), NewCipherSalt());

  const String hex64(64, 'a');
  const struct {
    String key;
    bool raw;
  } forms[] = {{"x'" + hex64 + "'", true},          {"X'" + hex64 + String(32, 'F') + "'", true},
               {"x'" + hex64.substr(1) + "'", false}, {"x'" + String(63, 'a') + "g'", false},
               {"x\"" + hex64 + "'", false},          {"password", false},
               {"", false}};
  for (const auto& f : forms) EXPECT_EQ(IsCipherRawKey(f.key), f.raw) << f.key;
}

TEST(DerivedKeyTest, DerivationIsPbkdf2HmacSha1) {
  const String salt("\x00\x01salt\xff\x80-sixteen", CipherSaltBytes);
  // Passwords around the hash's block size (a longer one is hashed first)
  // and iteration counts around the first block.
  const String passwords[] = {"p", "pass;word ä", String(63, 'k'), String(64, 'k'), String(65, 'k'),
                              String(200, 'z')};
  for (const String& password : passwords)
    for (int iterations : {1, 2, 3, 1000}) {
      unsigned char expected[32];
      ASSERT_EQ(PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()),
                                  reinterpret_cast<const unsigned char*>(salt.data()),
                                  static_cast<int>(salt.size()), iterations, EVP_sha1(), sizeof expected,
                                  expected),
                1);
      String hex = "x'";
      for (unsigned char b : expected) {
        hex += "0123456789abcdef"[b >> 4];
        hex += "0123456789abcdef"[b & 15];
      }
      EXPECT_EQ(CipherRawKey(password, salt, iterations), hex + "'") << password.size() << " " << iterations;
      EXPECT_EQ(CipherRawKey(password, salt, iterations, true).substr(0, 66), hex);
    }
}

// New files' keys come from Argon2id with at least OWASP's parameters (19 MiB,
// 2 passes, 1 lane); each parameter and the salt change the key. (What one
// derivation costs is measured by bench_db.)
TEST(DerivedKeyTest, NewFilesTakeArgon2idAboveTheGuidance) {
  const TCipherSettings& cs = DBNewFileCipherSettings;
  ASSERT_TRUE(cs.UsesArgon2());
  EXPECT_GE(cs.Argon2MemoryKiB, 19 * 1024);
  EXPECT_GE(cs.Argon2Passes, 2);
  EXPECT_GE(cs.Argon2Lanes, 1);
  const String salt("\x00\x01salt\xff\x80-sixteen", CipherSaltBytes);
  const String key = CipherRawKey("pass;word", salt, cs);
  EXPECT_TRUE(IsCipherRawKey(key));
  EXPECT_EQ(CipherRawKey("pass;word", salt, cs), key);
  TCipherSettings lessMemory = cs, fewerPasses = cs, fewerLanes = cs;
  lessMemory.Argon2MemoryKiB /= 2;
  fewerPasses.Argon2Passes -= 1;
  fewerLanes.Argon2Lanes = 1;
  for (const String& other :
       {CipherRawKey("pass;word", salt, DBKdfIterations), CipherRawKey("Pass;word", salt, cs),
        CipherRawKey("pass;word", String(CipherSaltBytes, 'x'), cs), CipherRawKey("pass;word", salt, lessMemory),
        CipherRawKey("pass;word", salt, fewerPasses), CipherRawKey("pass;word", salt, fewerLanes)})
    EXPECT_NE(other, key);
  const String withSalt = CipherRawKey("pass;word", salt, cs, true);
  EXPECT_EQ(withSalt.substr(0, 66), key.substr(0, 66));
  EXPECT_EQ(withSalt.size(), 3u + 96u);
}

// Known answers of Argon2id (computed apart from this code): they change
// with the variant (Argon2i or Argon2d give other keys), with the order in
// which memory, passes and lanes are handed over, and with the salt's bytes.
// The password record derives the same bytes as the file's key.
TEST(DerivedKeyTest, Argon2idKeysMatchKnownAnswers) {
  const String salt = "sixteen-byte-slt";
  ASSERT_EQ(salt.size(), CipherSaltBytes);
  const struct {
    TCipherSettings Settings;
    const char* Key;
  } cases[] = {
      {DBNewFileCipherSettings, "82828c3c05aaf513b8de913b11d6ae82136643c77d74b38ce8cb8036e8fc1d26"},
      {{DBKdfIterations, 4096, 19456, 2, 1}, "8af5622ec62da2a42f5f0ef3afd0a94b0777a24b39d6f937e2331724bf22e410"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Settings.Text());
    EXPECT_EQ(CipherRawKey("pass;word Łódź", salt, c.Settings), "x'" + String(c.Key) + "'");
    EXPECT_EQ(PasswordHashArgon2id("pass;word Łódź", "7369787465656e2d627974652d736c74", c.Settings), c.Key);
  }
}

// A session on a folder with "Data.db", table Entries of 40 rows, keyed.
struct TKeyedFolder {
  qytest::TempDir Dir;
  TSession Session;
  int Asked = 0;

  explicit TKeyedFolder(const String& password) {
    Session.SessionName = "DerivedKeySession";
    Session.AddStandardAlias("A", Dir.str(), "STANDARD");
    Session.AddTableFile("Data.db", {"Entries"});
    Session.OnPassword = [this](TSession*, bool& cont) {
      ++Asked;
      cont = false;
    };
    Session.CreateDatabaseFile(File(), password);
    Session.AddPassword(password);
    Exec("CREATE TABLE Entries (ID INTEGER PRIMARY KEY, Body BLOB)");
    for (int i = 1; i <= 40; ++i) Exec("INSERT INTO Entries (ID, Body) VALUES (" + IntToStr(i) + ", 'row')");
    Session.RemoveAllPasswords();
    Session.CloseIdleConnections();
  }
  String File() const { return (Dir / "Data.db").string(); }
  std::unique_ptr<TQuery> Query(const String& sql) {
    auto q = std::make_unique<TQuery>();
    q->SessionName = Session.SessionName;
    q->DatabaseName = "A";
    q->SQL.Add(sql);
    return q;
  }
  void Exec(const String& sql) { Query(sql)->ExecSQL(); }
  int Count() {
    auto q = Query("SELECT count(*) FROM Entries");
    q->Open();
    return q->Fields(0).AsInteger();
  }
  // Counted on a thread of its own, so on a connection of its own while
  // this thread holds one.
  int CountOnWorker() {
    int n = -1;
    std::thread([&] {
      try {
        n = Count();
      } catch (const EDBPasswordError&) {
        n = -2;
      }
    }).join();
    return n;
  }
};

TEST(DerivedKeyTest, EachFileKeyIsDerivedOnceForEveryConnection) {
  TKeyedFolder f("one-key");
  f.Session.AddPassword("one-key");
  const int before = f.Session.KeyDerivations();
  EXPECT_EQ(f.Count(), 40);
  EXPECT_EQ(f.Session.KeyDerivations(), before + 1);
  {
    auto held = f.Query("SELECT ID FROM Entries");
    held->Prepare();  // this thread's connection is in use
    EXPECT_EQ(f.CountOnWorker(), 40);
  }
  f.Session.CloseIdleConnections();
  EXPECT_EQ(f.Count(), 40);  // reopened
  EXPECT_EQ(f.CountOnWorker(), 40);
  EXPECT_EQ(f.Session.KeyDerivations(), before + 1);

  // Lock: nothing is kept, the password is asked again and derived again.
  f.Session.RemoveAllPasswords();
  EXPECT_THROW(f.Count(), EDBPasswordError);
  EXPECT_EQ(f.Asked, 1);
  f.Session.AddPassword("one-key");
  EXPECT_EQ(f.Count(), 40);
  EXPECT_EQ(f.Session.KeyDerivations(), before + 2);
  // A password removed and given again is derived again too, even while a
  // connection stays idle.
  f.Session.RemovePassword("one-key");
  EXPECT_EQ(f.CountOnWorker(), -2);
  f.Session.AddPassword("one-key");
  {
    auto held = f.Query("SELECT ID FROM Entries");
    held->Prepare();
    EXPECT_EQ(f.CountOnWorker(), 40);
  }
  EXPECT_EQ(f.Session.KeyDerivations(), before + 3);
}

TEST(DerivedKeyTest, PasswordChangeIsNeverServedTheOldKey) {
  TKeyedFolder f("old-key");
  f.Session.AddPassword("old-key");
  EXPECT_EQ(f.Count(), 40);
  f.Session.CloseIdleConnections();
  const String backup = f.File() + ".backup";
  fs::copy_file(f.File(), backup);

  // As the application changes it: the new password is held during the
  // rewrite, the old one removed after.
  f.Session.AddPassword("new-key");
  TTable t;
  t.SessionName = f.Session.SessionName;
  t.DatabaseName = "A";
  t.TableName = "Entries";
  t.Exclusive = true;
  t.Open();
  const int before = f.Session.KeyDerivations();
  t.RestructurePassword("new-key");
  f.Session.RemovePassword("old-key");
  // The rewrite derived the new file's key once, and the worker's new
  // connection opens the new file with it.
  EXPECT_EQ(f.CountOnWorker(), 40);
  EXPECT_EQ(f.Count(), 40);
  EXPECT_EQ(f.Session.KeyDerivations(), before);
  // The rewritten file takes Argon2id: the engine opens it with the key
  // derived over its salt, never with the password alone (which the engine
  // would stretch with the old, cheaper derivation).
  EXPECT_EQ(f.Session.CipherSettingsOf(f.File()), DBNewFileCipherSettings);
  {
    const String salt = CipherSaltOf(f.File(), CipherSaltBytes);
    TEngineFile alone(f.File());
    EXPECT_NE(alone.Run("new-key", TCipherSettings(), "SELECT count(*) FROM Entries;"), SQLITE_OK);
    TEngineFile pbkdf2(f.File());
    EXPECT_NE(pbkdf2.Run(CipherRawKey("new-key", salt, DBKdfIterations), TCipherSettings(),
                         "SELECT count(*) FROM Entries;"),
              SQLITE_OK);
    TEngineFile argon2(f.File());
    EXPECT_EQ(argon2.Run(CipherRawKey("new-key", salt, DBNewFileCipherSettings), DBNewFileCipherSettings,
                         "SELECT count(*) FROM Entries;"),
              SQLITE_OK);
  }

  // Written anew with the same password (the file gets a new salt): the
  // key kept is the new file's.
  f.Session.CloseIdleConnections();
  const String sameBackup = f.File() + ".same";
  fs::copy_file(f.File(), sameBackup);
  t.Open();
  t.RestructurePassword("new-key");
  EXPECT_EQ(f.CountOnWorker(), 40);
  EXPECT_EQ(f.Session.KeyDerivations(), before);
  // A file put in place under the same password is known by its salt.
  f.Session.CloseIdleConnections();
  fs::rename(sameBackup, f.File());
  EXPECT_EQ(f.CountOnWorker(), 40);
  EXPECT_EQ(f.Session.KeyDerivations(), before + 1);

  // The old file back in place: only its own password opens it.
  f.Session.CloseIdleConnections();
  fs::rename(backup, f.File());
  EXPECT_EQ(f.CountOnWorker(), -2);
  EXPECT_THROW(f.Count(), EDBPasswordError);
  f.Session.AddPassword("old-key");
  EXPECT_EQ(f.Count(), 40);
  EXPECT_EQ(f.CountOnWorker(), 40);
}

}  // namespace
