// The database folder is made once from the template after the user agrees,
// never half, and the session's alias points at it.
#include "DatabaseTestSupport.h"

#include "platform/db/DBFiles.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

int Mode(const String& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 0777) : -1;
}

std::vector<String> FolderEntries(const String& folder) {
  std::vector<String> out;
  for (const auto& e : fs::directory_iterator(folder)) out.push_back(e.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

TEST(DatabaseFolder, FirstStartCopiesTheTemplateAfterConfirmation) {
  qytest::TDatabaseWorld w;
  {
    TInteractionScript script;
    script.Answer(IDOK);
    ASSERT_TRUE(SetUpDatabase(w.Folders));
    ASSERT_EQ(script.Shown.size(), 1u);
    EXPECT_EQ(script.Shown[0].Caption, "CREATING NEW QUILLORY DATABASE");
    EXPECT_EQ(script.Shown[0].Buttons & MB_TYPEMASK, MB_OKCANCEL);
    EXPECT_EQ(script.Shown[0].Icon, MB_ICONINFORMATION);
    EXPECT_EQ(script.Shown[0].Text.rfind("IMPORTANT!\r\n\r\nA NEW QUILLORY DATABASE IS BEING CREATED.", 0), 0u);
  }
  const String dataDir = w.Folders.DocumentsDir + "/Quillory for alice";
  EXPECT_EQ(DatabaseFolders.DataDir, dataDir);
  // The lock file says the folder is in use while the program runs.
  EXPECT_EQ(FolderEntries(dataDir), (std::vector<String>{".quillory.lock", "Profile.db", "Quillory.db"}));
  EXPECT_EQ(FolderEntries(w.Folders.DocumentsDir), (std::vector<String>{"Quillory for alice"}));
  EXPECT_EQ(QuillorySession().GetAliasPath(AliasName), dataDir);
  // The copied tables work through the alias.
  EXPECT_EQ(w.Count("SELECT count(*) FROM Quillory"), 0);
  EXPECT_EQ(w.Count("SELECT count(*) FROM Profile"), 0);

  // The next start asks nothing and keeps what is there.
  w.Exec("INSERT INTO Journals (JournalID, JournalName, JournalActive, JournalType) VALUES (1, 'Mine', TRUE, 'D')");
  QuillorySession().CloseIdleConnections();
  {
    TInteractionScript script;
    ASSERT_TRUE(SetUpDatabase(w.Folders));
    EXPECT_TRUE(script.Shown.empty());
  }
  EXPECT_EQ(w.Count("SELECT count(*) FROM Journals"), 1);
}

TEST(DatabaseFolder, CancelOrAFailedCopyCreatesNothing) {
  qytest::TDatabaseWorld w;
  {
    TInteractionScript script;
    script.Answer(IDCANCEL);
    EXPECT_FALSE(SetUpDatabase(w.Folders));
    EXPECT_EQ(script.Shown.size(), 1u);
  }
  EXPECT_TRUE(FolderEntries(w.Folders.DocumentsDir).empty());
  EXPECT_TRUE(QuillorySession().GetAliasNames().empty());

  // A template without the settings file: the copy is refused as a whole.
  fs::remove(fs::path(w.Folders.ProgramDir) / "DataTemplate" / "Profile.db");
  {
    TInteractionScript script;
    script.Answer(IDOK).Answer(IDOK);
    EXPECT_FALSE(SetUpDatabase(w.Folders));
    ASSERT_EQ(script.Shown.size(), 2u);
    EXPECT_EQ(script.Shown[1].Caption, "Setup");
    EXPECT_EQ(script.Shown[1].Text, "Database Setup Copy Failure");
    EXPECT_EQ(script.Shown[1].Icon, MB_ICONERROR);
  }
  EXPECT_TRUE(FolderEntries(w.Folders.DocumentsDir).empty());
}

TEST(DatabaseFolder, FoldersFollowUserAndProgram) {
  struct {
    String User;
    String Folder;
  } cases[] = {{"alice", "Quillory for alice"}, {"", "Quillory for System"},
               {"Zoë O'Neil", "Quillory for Zoë O'Neil"}};
  for (const auto& c : cases) {
    TDatabaseFolders f;
    f.ProgramDir = "/opt/q/";
    f.DocumentsDir = "/home/u/Documents/";
    f.WindowsUserName = c.User;
    CompleteDatabaseFolders(f);
    EXPECT_EQ(f.DataDir, "/home/u/Documents/" + c.Folder);
    EXPECT_EQ(f.TemplateDir, "/opt/q/DataTemplate");
  }
}

TEST(DatabaseFolder, AliasNameClashAppendsZ) {
  qytest::TDatabaseWorld w;
  QuillorySession().AddStandardAlias("QuilloryAlias", "/elsewhere", "Paradox");
  w.SetUp();
  EXPECT_EQ(AliasName, "QuilloryAliasz");
  EXPECT_EQ(QuillorySession().GetAliasPath("QuilloryAliasz"), w.DataDir());
  RegisterAlias(w.DataDir());
  EXPECT_EQ(AliasName, "QuilloryAliaszz");
  EXPECT_EQ(QuillorySession().GetAliasNames().size(), 3u);
}

TEST(DatabaseFolder, TheFolderAndItsFilesAreTheUsersAlone) {
  ::umask(022);
  qytest::TDatabaseWorld w;
  w.SetUp();
  const String dir = w.DataDir();
  EXPECT_EQ(Mode(dir), 0700);
  for (const char* name : {"Profile.db", "Quillory.db"}) EXPECT_EQ(Mode(dir + "/" + name), 0600) << name;
  // A folder an earlier build left open to everyone is closed at the next start.
  QuillorySession().CloseIdleConnections();
  ::chmod(dir.c_str(), 0755);
  ::chmod((dir + "/Quillory.db").c_str(), 0644);
  qytest::WriteFileBytes(dir + "/QYStyle.ini", "[Vellum Styles]\n");
  ::chmod((dir + "/QYStyle.ini").c_str(), 0644);
  w.SetUp();
  EXPECT_EQ(Mode(dir), 0700);
  for (const char* name : {"Quillory.db", "QYStyle.ini"}) EXPECT_EQ(Mode(dir + "/" + name), 0600) << name;
}

TEST(DatabaseFolder, LeftoversOfAKilledPasswordChangeAreRemovedWhenTheFolderOpens) {
  qytest::TDatabaseWorld w;
  w.SetUp();
  QuillorySession().CloseIdleConnections();
  const String dir = w.DataDir();
  qytest::WriteFileBytes(dir + "/Quillory.db.new", "SQLite format 3" + String(2000, 'e'));
  qytest::WriteFileBytes(dir + "/Quillory.db.new-journal", "entry text in clear");
  w.SetUp();
  EXPECT_EQ(FolderEntries(dir), (std::vector<String>{".quillory.lock", "Profile.db", "Quillory.db"}));
}

TEST(DatabaseFolder, AnEmptyOrDamagedSettingsFileIsRefusedAndLeftAsItIs) {
  struct Case {
    const char* what;
    String bytes;
    const char* cause;
  };
  const Case cases[] = {
      {"empty", "", "empty (0 bytes)"},
      {"not a database", String(5000, 's'), "not a database"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    qytest::TDatabaseWorld w;
    w.SetUp();
    QuillorySession().CloseIdleConnections();
    const String file = w.DataDir() + "/Profile.db";
    qytest::WriteFileBytes(file, c.bytes);
    TInteractionScript script;
    try {
      SetUpDatabase(w.Folders);
      ADD_FAILURE() << "accepted";
    } catch (const EDBEngineError& e) {
      EXPECT_NE(e.Message.find("settings"), String::npos) << e.Message;
      EXPECT_NE(e.Message.find(file), String::npos) << e.Message;
      EXPECT_NE(e.Message.find(c.cause), String::npos) << e.Message;
    }
    EXPECT_TRUE(script.Shown.empty());
    EXPECT_EQ(qytest::ReadFileBytes(file), c.bytes);
  }
}

}  // namespace
