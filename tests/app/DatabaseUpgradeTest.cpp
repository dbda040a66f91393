// Older journal databases (made here as they were laid out) reach the
// current layout; a step that fails leaves the older version whole.
#include "DatabaseTestSupport.h"

#include "app/QYDatabaseVersion.h"

#include <gtest/gtest.h>

namespace {

// A data folder at version 1.0 or 2.0 with two entries and two journals,
// the journal file keyed with the user's password.
void MakeOldDatabase(qytest::TDatabaseWorld& w, int version, const String& password) {
  const String dir = w.DataDir();
  std::filesystem::create_directories(dir);
  TSession& s = QuillorySession();
  s.CreateDatabaseFile(dir + "/Quillory.db", password);
  s.CreateDatabaseFile(dir + "/Profile.db", ProfilePassword);
  s.AddPassword(password);
  RegisterAlias(dir);
  DatabaseFolders = w.Folders;
  CompleteDatabaseFolders(DatabaseFolders);
  w.Exec("CREATE TABLE QUILLORY (JournalID INTEGER, JournalDate DATE, JournalText BLOB, "
         "CreatedDate TIMESTAMP, ModifiedDate TIMESTAMP, CursorPosition INTEGER)");
  String journals = "CREATE TABLE Journals (JournalID INTEGER, JournalName CHAR(100), JournalActive BOOLEAN";
  if (version >= 2)
    journals += ", WindowTop INTEGER, WindowLeft INTEGER, WindowHeight INTEGER, WindowWidth INTEGER, "
                "WindowState INTEGER, WindowOrder INTEGER";
  w.Exec(journals + ")");
  w.Exec("CREATE TABLE Profile (ProfileKey CHAR(255), ProfileValue CHAR(255))");
  w.Exec("INSERT INTO QUILLORY (JournalID, JournalDate, JournalText) VALUES (1, 45000, '{\\rtf1 one}')");
  w.Exec("INSERT INTO QUILLORY (JournalID, JournalDate, JournalText) VALUES (2, 9999999, '{\\rtf1 two}')");
  w.Exec("INSERT INTO Journals (JournalID, JournalName, JournalActive) VALUES (1, 'Daily', TRUE)");
  w.Exec("INSERT INTO Journals (JournalID, JournalName, JournalActive) VALUES (2, 'Topics', FALSE)");
  w.Exec("INSERT INTO Profile (ProfileKey, ProfileValue) VALUES ('DatabaseVersion', 'Database Version " +
         IntToStr(version) + ".0')");
}

std::vector<String> Columns(const String& table) {
  TTable t;
  BindToDatabase(t);
  t.TableName = table;
  t.Open();
  return t.FieldNames();
}

void ExpectVersion3Rows(qytest::TDatabaseWorld& w) {
  EXPECT_EQ(Columns("Journals"),
            (std::vector<String>{"JournalID", "JournalName", "JournalActive", "WindowTop", "WindowLeft",
                                 "WindowHeight", "WindowWidth", "WindowState", "WindowOrder",
                                 "ActiveWindow", "JournalType"}));
  EXPECT_EQ(w.Count("SELECT count(*) FROM Quillory WHERE Editor = 'RTF' AND ItemNumber = -1 AND ItemOffset = -1"), 2);
  EXPECT_EQ(w.Count("SELECT count(*) FROM Journals WHERE ActiveWindow = FALSE AND JournalType = 'D'"), 2);
  EXPECT_EQ(w.Count("SELECT count(*) FROM Quillory WHERE JournalText LIKE '{\\rtf1%'"), 2);
  EXPECT_EQ(GetProfileString("DatabaseVersion", ""), "Database Version 3.0");
  EXPECT_EQ(ProfileSettings.DatabaseVersion, "Database Version 3.0");
}

TEST(DatabaseUpgrade, OlderVersionsReachVersion3) {
  for (int version : {1, 2}) {
    qytest::TDatabaseWorld w;
    MakeOldDatabase(w, version, version == 1 ? "journal pw" : "");
    LoadProfile();
    ASSERT_EQ(ProfileSettings.DatabaseVersion, "Database Version " + IntToStr(version) + ".0");
    TInteractionScript script;
    script.Answer(IDOK).Answer(IDOK);
    UpgradeDatabase();
    std::vector<String> texts;
    for (const auto& r : script.Shown) {
      EXPECT_EQ(r.Caption, "Database Upgraded");
      EXPECT_EQ(r.Icon, MB_ICONINFORMATION);
      texts.push_back(r.Text);
    }
    if (version == 1)
      EXPECT_EQ(texts, (std::vector<String>{"Database Upgraded to Database Version 2.0",
                                            "Database Upgraded to Database Version 3.0"}));
    else
      EXPECT_EQ(texts, (std::vector<String>{"Database Upgraded to Database Version 3.0"}));
    ExpectVersion3Rows(w);
    // A second loading finds nothing to do.
    TInteractionScript quiet;
    UpgradeDatabase();
    EXPECT_TRUE(quiet.Shown.empty());
  }
}

TEST(DatabaseUpgrade, FailedStepLeavesTheOldVersionAndRetries) {
  qytest::TDatabaseWorld w;
  MakeOldDatabase(w, 2, "pw");
  // The entry update fails after both ALTERs of the step have run, while
  // the Refusal table has a row.
  QuillorySession().AddTableFile("Quillory.db", {"Refusal"});
  w.Exec("CREATE TABLE Refusal (Reason CHAR(10))");
  w.Exec("INSERT INTO Refusal (Reason) VALUES ('injected')");
  w.Exec("CREATE TRIGGER Refuse BEFORE UPDATE ON QUILLORY WHEN EXISTS (SELECT 1 FROM Refusal) "
         "BEGIN SELECT RAISE(ABORT, 'injected'); END");
  LoadProfile();
  {
    TInteractionScript script;
    script.Answer(IDOK);
    UpgradeDatabase();
    ASSERT_EQ(script.Shown.size(), 1u);
    EXPECT_EQ(script.Shown[0].Caption, "Database Upgrade to 3 Error ");
    EXPECT_EQ(script.Shown[0].Icon, MB_ICONERROR);
    EXPECT_EQ(script.Shown[0].Text.rfind("EDBEngineError\r\n", 0), 0u) << script.Shown[0].Text;
  }
  EXPECT_EQ(ProfileSettings.DatabaseVersion, "Database Version 2.0");
  EXPECT_EQ(GetProfileString("DatabaseVersion", ""), "Database Version 2.0");
  EXPECT_EQ(Columns("Quillory"), (std::vector<String>{"JournalID", "JournalDate", "JournalText",
                                                      "CreatedDate", "ModifiedDate", "CursorPosition"}));
  EXPECT_EQ(Columns("Journals").size(), 9u);
  EXPECT_EQ(w.Count("SELECT count(*) FROM Quillory"), 2);
  // Once the cause is gone the next loading completes the step.
  w.Exec("DELETE FROM Refusal");
  TInteractionScript script;
  script.Answer(IDOK);
  UpgradeDatabase();
  ExpectVersion3Rows(w);
}

TEST(DatabaseUpgrade, MissingVersionKeyCountsAsCurrent) {
  qytest::TDatabaseWorld w;
  w.SetUp();
  LoadProfile();
  EXPECT_EQ(ProfileSettings.DatabaseVersion, "Database Version 3.0");
  TInteractionScript script;
  UpgradeDatabase();
  EXPECT_TRUE(script.Shown.empty());
  EXPECT_EQ(w.Count("SELECT count(*) FROM Profile"), 0);
}

}  // namespace
