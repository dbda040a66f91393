// Password changes, pack and index regeneration of the journal's tables, and
// files made whole for a backup copy.
#include "DatabaseTestSupport.h"

#include <gtest/gtest.h>

namespace {

void AddRows(qytest::TDatabaseWorld& w) {
  w.Exec("INSERT INTO Journals (JournalID, JournalName, JournalActive, JournalType) VALUES (1, 'Diary', TRUE, 'D')");
  for (int d = 0; d < 5; ++d)
    w.Exec("INSERT INTO Quillory (JournalID, JournalDate, JournalText, Editor) VALUES (1, " +
           IntToStr(45000 + d) + ", 'EntryNeedle" + IntToStr(d) + "', 'VLF')");
}

TEST(DatabaseMaintenance, PasswordChangeMovesBothTablesAndKeepsRows) {
  qytest::TDatabaseWorld w;
  w.SetUp();
  AddRows(w);
  const String file = w.DataDir() + "/Quillory.db";
  const String steps[] = {"Old;Pass", "New-Pass_15chr", ""};
  String current;
  for (const String& next : steps) {
    RestructureTablePassword(current, next, "QUILLORY");
    RestructureTablePassword(current, next, "Journals");
    // The new password enters the session afterwards, as the change does.
    QuillorySession().RemoveAllPasswords();
    if (!next.empty()) {
      EXPECT_THROW(w.Count("SELECT count(*) FROM Journals"), EDBEngineError) << next;
      QuillorySession().AddPassword(next);
    }
    EXPECT_EQ(w.Count("SELECT count(*) FROM Quillory"), 5) << next;
    EXPECT_EQ(w.Count("SELECT count(*) FROM Journals"), 1) << next;
    CloseDatabaseFiles();
    const bool visible = qytest::ReadFileBytes(file).find("EntryNeedle3") != String::npos;
    EXPECT_EQ(visible, next.empty()) << next;
    current = next;
  }
  // Pack and reindex of every table, the settings table with its own key.
  RestructureTablePassword(current, current, "QUILLORY");
  QuillorySession().AddPassword("Kept;Key");
  RestructureTablePassword("", "Kept;Key", "Journals");
  w.Exec("DELETE FROM Quillory WHERE JournalDate = 45004");
  PackTable("QUILLORY");  // keeps the key it has
  QuillorySession().RemoveAllPasswords();
  EXPECT_THROW(w.Count("SELECT count(*) FROM Quillory"), EDBEngineError);
  QuillorySession().AddPassword("Kept;Key");
  EXPECT_EQ(w.Count("SELECT count(*) FROM Quillory"), 4);
  w.Exec("INSERT INTO Quillory (JournalID, JournalDate, JournalText, Editor) VALUES (1, 45004, 'x', 'VLF')");
  RegenerateTableIndexes("QUILLORY");
  RegenerateTableIndexes("Journals");
  QuillorySession().AddPassword(ProfilePassword);
  RestructureTablePassword(ProfilePassword, ProfilePassword, "Profile");
  RegenerateTableIndexes("Profile");
  QuillorySession().RemovePassword(ProfilePassword);
  EXPECT_EQ(w.Count("SELECT count(*) FROM Profile"), 0);
  EXPECT_EQ(w.Count("SELECT count(*) FROM Quillory"), 5);
}

TEST(DatabaseMaintenance, ClosedFilesCopyWhole) {
  qytest::TDatabaseWorld w;
  w.SetUp();
  AddRows(w);
  {
    TQuery busy;
    BindToDatabase(busy);
    busy.SQL.Add("SELECT JournalID FROM Quillory");
    busy.Prepare();
    EXPECT_THROW(CloseDatabaseFiles(), EDBEngineError);
  }
  CloseDatabaseFiles();
  for (const char* f : {"/Quillory.db-wal", "/Profile.db-wal"})
    EXPECT_FALSE(FileExists(w.DataDir() + f)) << f;
  // The .db files alone hold every row.
  const String copy = w.Root.str() + "/copy";
  ForceDirectories(copy);
  for (const char* f : {"Quillory.db", "Profile.db"})
    ASSERT_TRUE(CopyFile(w.DataDir() + "/" + f, copy + "/" + f, false));
  TSession other;
  other.SessionName = "CopyCheck";
  RegisterTableFiles(other);
  other.AddStandardAlias("Copy", copy, "STANDARD");
  TQuery q;
  q.SessionName = "CopyCheck";
  q.DatabaseName = "Copy";
  q.SQL.Add("SELECT count(*) AS N FROM Quillory");
  q.Open();
  EXPECT_EQ(q.FieldByName("N").AsInteger(), 5);
}

}  // namespace
