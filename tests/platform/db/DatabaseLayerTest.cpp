#include "platform/base/Streams.h"
#include "platform/db/DBTables.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr const char* kSession = "LayerSession";

// A session with alias "A" on a temporary folder holding "Data.db" (tables
// Entries and Notes) in plain form.
struct TFixture {
  qytest::TempDir Dir;
  TSession Session;

  explicit TFixture(const String& password = String()) {
    Session.SessionName = kSession;
    Session.AddStandardAlias("A", Dir.str(), "PARADOX");
    Session.AddTableFile("Data.db", {"Entries", "Notes"});
    Session.CreateDatabaseFile(File(), password);
    if (!password.empty()) Session.AddPassword(password);
    Exec("CREATE TABLE Entries (ID INTEGER PRIMARY KEY, Day DATE, Stamp TIMESTAMP, "
         "Name CHAR(20), Flag BOOLEAN, Amount FLOAT, Body BLOB)");
    Exec("CREATE TABLE Notes (ID INTEGER, Text CHAR(40))");
  }

  String File() const { return (Dir / "Data.db").string(); }

  void Exec(const String& sql) {
    TQuery q;
    q.SessionName = kSession;
    q.DatabaseName = "A";
    q.SQL.Add(sql);
    q.ExecSQL();
  }

  std::unique_ptr<TQuery> Query(const String& sql) {
    auto q = std::make_unique<TQuery>();
    q->SessionName = kSession;
    q->DatabaseName = "A";
    q->SQL.Add(sql);
    return q;
  }

  void Insert(int id, const String& name, const String& body) {
    auto q = Query("INSERT INTO Entries (ID, Name, Body) VALUES (:bID, :bName, :bBody)");
    q->ParamByName("bID").SetAsInteger(id);
    q->ParamByName("bName").SetAsString(name);
    q->ParamByName("bBody").SetAsBlob(body, ftFmtMemo);
    q->ExecSQL();
  }

  int Count() {
    auto q = Query("SELECT count(*) AS N FROM Entries");
    q->Open();
    return q->FieldByName("N").AsInteger();
  }
};

TEST(DatabaseLayerTest, EngineIsSQLCipher) {
  EXPECT_NO_THROW(CheckDatabaseEngine());
  EXPECT_FALSE(DatabaseEngineCipherVersion().empty());
}

TEST(DatabaseLayerTest, AliasesBelongToTheSession) {
  TSession s;
  s.SessionName = "AliasSession";
  s.AddStandardAlias("QuilloryAlias", "/tmp/x/", "PARADOX");
  EXPECT_TRUE(s.IsAlias("quilloryalias"));
  EXPECT_FALSE(s.IsAlias("Other"));
  EXPECT_EQ(s.GetAliasPath("QUILLORYALIAS"), "/tmp/x");
  EXPECT_THROW(s.AddStandardAlias("QuilloryALIAS", "/tmp/y", "PARADOX"), EDatabaseError);
  s.AddStandardAlias("QuilloryAliasz", "/tmp/y", "PARADOX");
  EXPECT_EQ(s.GetAliasNames(), (std::vector<String>{"QuilloryAlias", "QuilloryAliasz"}));
  EXPECT_THROW(s.GetAliasPath("Missing"), EDatabaseError);
  EXPECT_EQ(TSession::FindSession("aliassession"), &s);
}

TEST(DatabaseLayerTest, QueryWalksTypedRowsAndBlobs) {
  TFixture f;
  String blob("\0\x01\xFFVLF body\r\n", 13);
  auto ins = f.Query(
      "INSERT INTO entries (ID, Day, Stamp, Name, Flag, Amount, Body) "
      "VALUES (:bID, :bDay, :bStamp, :bName, :bFlag, :bAmount, :bBody);");
  ins->Prepare();  // once, run many times
  for (int i = 1; i <= 5; ++i) {
    ins->ParamByName("bID").SetAsInteger(i);
    ins->ParamByName("bDay").SetAsDate(45000 + i);
    ins->ParamByName("bStamp").SetAsDateTime(45000.25 + i);
    ins->ParamByName("bName").SetAsString("naïve " + IntToStr(i));
    ins->ParamByName("bFlag").SetAsBoolean(i % 2 == 1);
    ins->ParamByName("bAmount").SetAsFloat(i * 1.5);
    TMemoryStream ms;
    ms.WriteBytes(blob + IntToStr(i));
    ins->ParamByName("bBody").LoadFromStream(ms, ftFmtMemo);
    ins->ExecSQL();
    EXPECT_EQ(ins->RowsAffected(), 1);
  }
  ins->ParamByName("bID").SetAsInteger(6);
  ins->ParamByName("bName").Clear();
  ins->ExecSQL();

  auto q = f.Query("SELECT * FROM ENTRIES WHERE ID <= :bMax ORDER BY ID");
  q->ParamByName("bMax").SetAsInteger(6);
  q->Open();
  ASSERT_EQ(q->RecordCount(), 6);  // known before the walk
  EXPECT_TRUE(q->Bof());
  EXPECT_EQ(q->RecNo(), 1);
  int n = 0;
  while (!q->Eof()) {
    ++n;
    EXPECT_EQ(q->RecNo(), n);
    if (n <= 5) {
      EXPECT_EQ(q->FieldByName("ID").AsInteger(), n);
      EXPECT_DOUBLE_EQ(q->FieldByName("Day").AsDateTime(), 45000 + n);
      EXPECT_DOUBLE_EQ(q->FieldByName("Stamp").AsDateTime(), 45000.25 + n);
      EXPECT_EQ(q->FieldByName("name").AsString(), "naïve " + IntToStr(n));
      EXPECT_EQ(q->FieldByName("Flag").AsBoolean(), n % 2 == 1);
      EXPECT_DOUBLE_EQ(q->FieldByName("Amount").AsFloat(), n * 1.5);
      auto bs = q->CreateBlobStream(q->FieldByName("Body"), bmRead);
      EXPECT_EQ(bs->ReadBytes(bs->GetSize()), blob + IntToStr(n));
    } else {
      EXPECT_TRUE(q->FieldByName("Name").IsNull());
    }
    q->Next();
  }
  EXPECT_EQ(n, 6);
  EXPECT_EQ(q->RecNo(), 6);
  // Backwards from the end.
  q->Last();
  std::vector<int> back;
  while (!q->Bof()) {
    back.push_back(q->FieldByName("ID").AsInteger());
    q->Prior();
  }
  EXPECT_EQ(back, (std::vector<int>{6, 5, 4, 3, 2, 1}));
  EXPECT_THROW(q->FieldByName("Missing"), EDatabaseError);
  EXPECT_THROW(q->ParamByName("bNone"), EDatabaseError);

  auto empty = f.Query("SELECT ID FROM Entries WHERE ID < 0");
  empty->Open();
  EXPECT_TRUE(empty->Eof());
  EXPECT_TRUE(empty->Bof());
  EXPECT_EQ(empty->RecordCount(), 0);
  EXPECT_EQ(empty->RecNo(), 0);
}

TEST(DatabaseLayerTest, ErrorsNameTheStatementNeverTheValues) {
  TFixture f;
  f.Insert(1, "first", "x");
  try {
    f.Insert(1, "SecretValue42", "y");
    FAIL() << "a duplicate key was accepted";
  } catch (EDBEngineError& e) {
    EXPECT_STREQ(e.ClassName(), "EDBEngineError");
    EXPECT_NE(e.Message.find("INSERT"), String::npos) << e.Message;
    EXPECT_NE(e.Message.find("UNIQUE"), String::npos) << e.Message;
    EXPECT_EQ(e.Message.find("SecretValue42"), String::npos) << e.Message;
  }
  EXPECT_THROW(f.Exec("SELEC nonsense FROM Entries"), EDBEngineError);
  EXPECT_THROW(f.Exec("SELECT * FROM Entries, Other"), EDBEngineError);  // two files
  // A value with quotes is data, not SQL.
  f.Insert(2, "x'); DROP TABLE Entries; --", "z");
  EXPECT_EQ(f.Count(), 2);
}

TEST(DatabaseLayerTest, SplitStatementRunsAsOneUnit) {
  TFixture f;
  f.Exec("ALTER TABLE Notes ADD A INTEGER, ADD B BOOLEAN");
  TTable t;
  t.SessionName = kSession;
  t.DatabaseName = "A";
  t.TableName = "NOTES";
  t.Open();
  EXPECT_EQ(t.FieldNames(), (std::vector<String>{"ID", "Text", "A", "B"}));
  t.Close();
  // The second column exists already: the first must not stay added.
  EXPECT_THROW(f.Exec("ALTER TABLE Notes ADD C INTEGER, ADD A INTEGER"), EDBEngineError);
  t.Open();
  EXPECT_EQ(t.FieldNames().size(), 4u);
}

TEST(DatabaseLayerTest, TransactionRollsBackEveryStatement) {
  TFixture f;
  TDatabase db;
  db.SessionName = kSession;
  db.AliasName = "A";
  db.DatabaseName = "DB1";
  db.Open();
  db.StartTransaction();
  f.Insert(1, "a", "b");
  f.Exec("UPDATE Entries SET Flag = TRUE");
  db.Rollback();
  EXPECT_EQ(f.Count(), 0);
  db.StartTransaction();
  f.Insert(2, "a", "b");
  db.Commit();
  EXPECT_EQ(f.Count(), 1);
  // Queries may name the database instead of the alias.
  TQuery q;
  q.SessionName = kSession;
  q.DatabaseName = "DB1";
  q.SQL.Add("SELECT ID FROM Entries");
  q.Open();
  EXPECT_EQ(q.RecordCount(), 1);
}

TEST(DatabaseLayerTest, EncryptedFileHidesTextAndNeedsItsPassword) {
  TFixture f("Pa55;word");
  f.Insert(1, "PlainNeedleText", "BlobNeedleText");
  f.Session.CloseIdleConnections();
  String bytes = qytest::ReadFileBytes(f.File()) + qytest::ReadFileBytes(f.File() + "-wal");
  EXPECT_EQ(bytes.find("PlainNeedleText"), String::npos);
  EXPECT_EQ(bytes.find("BlobNeedleText"), String::npos);
  EXPECT_EQ(bytes.find("CREATE TABLE"), String::npos);

  // Without the password: OnPassword is asked and the open fails.
  f.Session.RemoveAllPasswords();
  int asked = 0;
  f.Session.OnPassword = [&](TSession*, bool& cont) {
    ++asked;
    cont = false;
  };
  EXPECT_THROW(f.Count(), EDBEngineError);
  EXPECT_EQ(asked, 1);
  f.Session.AddPassword("pa55;word");  // case matters
  EXPECT_THROW(f.Count(), EDBEngineError);
  // The handler may supply it and go on.
  f.Session.OnPassword = [&](TSession* s, bool& cont) {
    ++asked;
    s->AddPassword("Pa55;word");
    cont = true;
  };
  EXPECT_EQ(f.Count(), 1);
  // A password removed later closes the file to further statements.
  f.Session.OnPassword = nullptr;
  f.Session.RemovePassword("Pa55;word");
  EXPECT_THROW(f.Count(), EDBEngineError);
  f.Session.AddPassword("Pa55;word");
  EXPECT_EQ(f.Count(), 1);

  // Another program with the wrong key, or no key, reads nothing.
  TSession other;
  other.SessionName = "Other";
  other.AddStandardAlias("B", f.Dir.str(), "PARADOX");
  other.AddTableFile("Data.db", {"Entries"});
  other.AddPassword("wrong");
  TTable t;
  t.SessionName = "Other";
  t.DatabaseName = "B";
  t.TableName = "Entries";
  EXPECT_THROW(t.Open(), EDBEngineError);
}

TEST(DatabaseLayerTest, PasswordChangesKeepEveryRow) {
  TFixture f;
  for (int i = 1; i <= 20; ++i) f.Insert(i, "Row" + IntToStr(i), String(3000, char('a' + i % 26)));
  f.Exec("INSERT INTO Notes (ID, Text) VALUES (7, 'note NeedleNote')");
  const String passwords[] = {"Old.Pass", "New!Pass-15char", ""};
  TTable t;
  t.SessionName = kSession;
  t.DatabaseName = "A";
  t.TableName = "Entries";
  // Restructure needs the exclusive open.
  t.Open();
  EXPECT_THROW(t.RestructurePassword("x"), EDBEngineError);
  t.Close();
  for (const String& pw : passwords) {
    t.Exclusive = true;
    {
      auto busy = f.Query("SELECT ID FROM Entries");
      busy->Prepare();  // in use: no exclusive open
      EXPECT_THROW(t.Open(), EDBEngineError);
    }
    t.Open();
    EXPECT_THROW(f.Count(), EDBEngineError);  // kept out while exclusive
    t.RestructurePassword(pw);
    EXPECT_FALSE(t.Active());
    f.Session.RemoveAllPasswords();
    if (!pw.empty()) {
      EXPECT_THROW(f.Count(), EDBEngineError) << pw;
      f.Session.AddPassword(pw);
    }
    EXPECT_EQ(f.Count(), 20) << pw;
    auto q = f.Query("SELECT Text FROM Notes WHERE ID = 7");
    q->Open();
    EXPECT_EQ(q->FieldByName("Text").AsString(), "note NeedleNote");
    f.Session.CloseIdleConnections();
    bool plainVisible = qytest::ReadFileBytes(f.File()).find("NeedleNote") != String::npos;
    EXPECT_EQ(plainVisible, pw.empty()) << pw;
  }
  EXPECT_FALSE(FileExists(f.File() + ".new"));
  // Pack and index regeneration on the final (plain) file.
  f.Exec("DELETE FROM Entries WHERE ID > 2");
  f.Session.CloseIdleConnections();
  t.Open();
  t.Pack();
  t.RegenerateIndexes();
  t.Close();
  EXPECT_EQ(f.Count(), 2);
}

TEST(DatabaseLayerTest, ReaderAndWriterThreadsShareTheFile) {
  TFixture f("thread-key");
  std::atomic<int> errors{0};
  std::atomic<bool> done{false};
  std::thread writer([&] {
    try {
      auto ins = f.Query("INSERT INTO Entries (ID, Name, Body) VALUES (:bID, :bName, :bBody)");
      auto upd = f.Query("UPDATE Entries SET Name = :bName WHERE ID = :bID");
      auto del = f.Query("DELETE FROM Entries WHERE ID = :bID");
      ins->Prepare();
      upd->Prepare();
      for (int i = 1; i <= 500; ++i) {
        ins->ParamByName("bID").SetAsInteger(i);
        ins->ParamByName("bName").SetAsString("n");
        ins->ParamByName("bBody").SetAsBlob(String(500, 'b'));
        ins->ExecSQL();
        upd->ParamByName("bID").SetAsInteger(i);
        upd->ParamByName("bName").SetAsString("m" + IntToStr(i));
        upd->ExecSQL();
        if (i % 10 == 0) {
          del->ParamByName("bID").SetAsInteger(i - 5);
          del->ExecSQL();
        }
      }
    } catch (std::exception& e) {
      ADD_FAILURE() << e.what();
      ++errors;
    }
    done = true;
  });
  int reads = 0;
  std::thread reader([&] {
    try {
      auto q = f.Query("SELECT ID, Name FROM Entries WHERE ID >= :bFrom ORDER BY ID");
      q->Prepare();
      while (!done || reads < 1000) {
        q->ParamByName("bFrom").SetAsInteger(reads % 400);
        q->Open();
        int last = -1;
        for (; !q->Eof(); q->Next()) {
          int id = q->FieldByName("ID").AsInteger();
          if (id <= last) ++errors;
          last = id;
        }
        q->Close();
        if (++reads >= 1000 && done) break;
      }
    } catch (std::exception& e) {
      ADD_FAILURE() << e.what();
      ++errors;
    }
  });
  writer.join();
  reader.join();
  EXPECT_EQ(errors.load(), 0);
  EXPECT_GE(reads, 1000);
  EXPECT_EQ(f.Count(), 450);
}

// The child half of the crash test: writes until it is killed.
TEST(DatabaseLayerTest, CrashChildWriteLoop) {
  const char* folder = std::getenv("QY_DB_CRASH_FOLDER");
  if (!folder) GTEST_SKIP() << "runs only as the crash test's child";
  TSession s;
  s.SessionName = "Crash";
  s.AddStandardAlias("C", folder, "PARADOX");
  s.AddTableFile("Data.db", {"Entries"});
  s.AddPassword("crash-key");
  TQuery q;
  q.SessionName = "Crash";
  q.DatabaseName = "C";
  q.SQL.Add("INSERT INTO Entries (ID, Name, Body) VALUES (:bID, 'w', :bBody)");
  q.Prepare();
  for (int i = 1000;; ++i) {
    q.ParamByName("bID").SetAsInteger(i);
    q.ParamByName("bBody").SetAsBlob(String(static_cast<size_t>(1000 + i % 7000), 'x'));
    q.ExecSQL();
    // Rows are in: the parent may kill it from now on.
    if (i == 1050) qytest::WriteFileBytes(String(folder) + "/started", "1");
  }
}

TEST(DatabaseLayerTest, KilledWriterLeavesAnIntactDatabase) {
  TFixture f("crash-key");
  f.Insert(1, "before", "kept");
  f.Session.CloseIdleConnections();
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::setenv("QY_DB_CRASH_FOLDER", f.Dir.str().c_str(), 1);
    int devNull = ::open("/dev/null", O_WRONLY);
    if (devNull >= 0) {
      ::dup2(devNull, 1);
      ::dup2(devNull, 2);
    }
    const char* args[] = {"/proc/self/exe", "--gtest_filter=DatabaseLayerTest.CrashChildWriteLoop",
                          nullptr};
    ::execv(args[0], const_cast<char* const*>(args));
    ::_exit(127);
  }
  // Once it has written rows (a minute at most, for a loaded machine), kill
  // it in the middle of a write: it writes without a pause.
  for (int i = 0; i < 1200 && !FileExists(f.Dir.str() + "/started"); ++i) ::usleep(50000);
  const bool started = FileExists(f.Dir.str() + "/started");
  ::kill(pid, SIGKILL);
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(started) << "the writer did not write its first rows";
  ASSERT_TRUE(WIFSIGNALED(status));
  TTable t;
  t.SessionName = kSession;
  t.DatabaseName = "A";
  t.TableName = "Entries";
  t.Exclusive = true;
  t.Open();
  EXPECT_NO_THROW(t.RegenerateIndexes());  // includes the integrity check
  t.Close();
  EXPECT_GT(f.Count(), 1);  // the child got rows in
  auto q = f.Query("SELECT Body FROM Entries WHERE ID = 1");
  q->Open();
  EXPECT_EQ(q->FieldByName("Body").AsString(), "kept");
}

}  // namespace
