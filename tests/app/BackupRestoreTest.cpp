// Backup and restore of the database folder with real files: refused
// folders, a restore that brings back the entries exactly, copies of an open
// database, backups that are damaged, mixed or older, and copies and packs
// killed at random moments.
#include "support/ChildProcess.h"
#include "support/WorkCost.h"
#include "JournalTestSupport.h"
#include "helper/SettingsOfCycle.h"

#include "app/QYBackup.h"
#include "app/QYPassword.h"
#include "platform/db/DBBackup.h"
#include "platform/db/DBFiles.h"
#include "platform/db/DBPassword.h"
#include "platform/os/FolderLock.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <sys/stat.h>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using qytest::TJournalWorld;

struct TBackupWorld : TJournalWorld {
  TBackupWorld() {
    Backup = (Root / "backups").string();
    fs::create_directories(Backup);
    ProfileSettings.BackupRestoreLocation = Backup;
    Journal = AddJournal("Diary", 0);
    for (int d = 0; d < 4; ++d) Store(45000 + d, "day " + IntToStr(d) + " text");
    CloseDatabaseFiles();
  }

  void Store(int day, const String& text) {
    TQuery q;
    BindToDatabase(q);
    q.SQL.Add("INSERT INTO Quillory (JournalID, JournalDate, JournalText, Editor) VALUES (:bID, :bDate, :bText, 'VLF')");
    q.ParamByName("bID").SetAsInteger(Journal);
    q.ParamByName("bDate").SetAsInteger(day);
    q.ParamByName("bText").SetAsBlob(text);
    q.ExecSQL();
  }

  // Every entry and journal row, in a fixed order.
  String Snapshot() {
    String all;
    TQuery q;
    BindToDatabase(q);
    q.SQL.Add("SELECT JournalID, JournalDate, JournalText FROM Quillory ORDER BY JournalID, JournalDate");
    q.Open();
    for (; !q.Eof(); q.Next())
      all += q.Fields(0).AsString() + "/" + q.Fields(1).AsString() + "/" + q.Fields(2).AsString() + "\n";
    TQuery j;
    BindToDatabase(j);
    j.SQL.Add("SELECT JournalID, JournalName, JournalActive FROM Journals ORDER BY JournalID");
    j.Open();
    for (; !j.Eof(); j.Next())
      all += j.Fields(0).AsString() + ":" + j.Fields(1).AsString() + ":" + j.Fields(2).AsString() + "\n";
    return all;
  }

  // The copy in either direction, every box answered; the boxes shown.
  bool Copy(int mode, std::vector<TInteraction>* shown = nullptr) {
    TInteractionScript script;
    for (int i = 0; i < 6; ++i) script.Answer(IDOK);
    const bool ok = CopyDatabaseFiles(mode);
    if (shown) *shown = script.Shown;
    return ok;
  }

  String DataFile(const char* name) { return DataDir() + "/" + name; }

  String Backup;
  Integer Journal = 0;
};

TEST(BackupRestore, FoldersThatCannotHoldABackupAreRefusedWithTheirReason) {
  TBackupWorld w;
  const String file = w.Root.str() + "/plain-file";
  qytest::WriteFileBytes(file.c_str(), "x");
  fs::create_directories(w.DataDir() + "/Backup");
  const struct {
    String Folder;
    int Mode;
    const char* Expected;  // part of the message; "" for none
  } cases[] = {
      {"", cdfBackup, "No backup folder is set"},
      {"   ", cdfRestore, "No folder to restore from is set"},
      {w.Root.str() + "/missing", cdfBackup, "does not exist"},
      {w.Root.str() + "/missing", cdfRestore, "does not exist"},
      {file, cdfBackup, "it is a file, not a folder"},
      {"/proc/self", cdfBackup, "cannot be written"},
      {w.DataDir(), cdfBackup, "lies inside the database folder"},
      {w.DataDir() + "/", cdfRestore, "lies inside the database folder"},
      {w.DataDir() + "/Backup", cdfBackup, "lies inside the database folder"},
      {w.DataDir() + "/../Quillory for alice/Backup", cdfBackup, "lies inside the database folder"},
      {w.Backup, cdfBackup, ""},
      {w.Backup, cdfRestore, ""},
      {w.Root.str(), cdfBackup, ""},  // holds the database folder: files go beside it
  };
  for (const auto& c : cases) {
    const String problem = BackupFolderProblem(c.Folder, w.DataDir(), c.Mode);
    if (*c.Expected == 0)
      EXPECT_EQ(problem, "") << c.Folder;
    else
      EXPECT_NE(problem.find(c.Expected), String::npos) << c.Folder << ": " << problem;
  }
  // A refused backup says why and copies nothing.
  ProfileSettings.BackupRestoreLocation = w.Root.str() + "/missing";
  std::vector<TInteraction> shown;
  EXPECT_FALSE(w.Copy(cdfBackup, &shown));
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(shown[0].Text.find("does not exist"), String::npos);
  EXPECT_FALSE(fs::exists(w.Root / "missing"));
}

// The database folder reached by another path, a bind mount of it: the same
// folder all the same. Mounted in a child's own mount namespace; where none
// may be made the case is skipped, saying so.
TEST(BackupRestore, TheDatabaseFolderThroughABindMountIsRefused) {
  TBackupWorld w;
  const String mounted = w.Root.str() + "/mounted";
  fs::create_directories(mounted);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::unshare(CLONE_NEWNS) != 0 && ::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) ::_exit(77);
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount(w.DataDir().c_str(), mounted.c_str(), nullptr, MS_BIND, nullptr) != 0)
      ::_exit(78);
    int failed = 0;
    for (const String& folder : {mounted, mounted + "/Backup", mounted + "/not made yet"})
      if (BackupFolderInsideProblem(folder, w.DataDir(), cdfBackup).find("lies inside the database folder") ==
          String::npos) {
        std::fprintf(stderr, "%s is not refused\n", folder.c_str());
        ++failed;
      }
    ::_exit(failed);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "no mount namespace may be made here: the bind mount is not tried";
  if (WEXITSTATUS(status) == 78) GTEST_SKIP() << "no bind mount may be made here: the bind mount is not tried";
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(BackupRestore, TheDefaultFolderWorksOnTheFirstBackup) {
  TBackupWorld w;
  ProfileSettings.BackupRestoreLocation = DefaultBackupLocation();
  EXPECT_EQ(BackupFolderProblem(w.DataDir() + " Backup", w.DataDir(), cdfRestore).find("inside"), String::npos);
  ASSERT_FALSE(fs::exists(DefaultBackupLocation()));
  // The usual umask would leave it open to every user.
  const mode_t oldMask = ::umask(022);
  EXPECT_TRUE(w.Copy(cdfBackup));
  ::umask(oldMask);
  EXPECT_FALSE(fs::is_empty(DefaultBackupLocation()));
  struct stat st {};
  ASSERT_EQ(::stat(DefaultBackupLocation().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(BackupRestore, RestoreAfterEditingBringsBackTheBackedUpEntriesExactly) {
  TBackupWorld w;
  const String before = w.Snapshot();
  std::vector<TInteraction> shown;
  ASSERT_TRUE(w.Copy(cdfBackup, &shown));
  EXPECT_EQ(shown.back().Text, "Backed up successfully to " + w.Backup);
  for (const char* f : {"Quillory.db", "Profile.db", "QYBackup.lst"})
    EXPECT_TRUE(fs::exists(w.Backup + "/" + f)) << f;
  EXPECT_FALSE(fs::exists(w.Backup + "/.quillory-backup"));
  // The keys of a backup that went through.
  EXPECT_NEAR(GetProfileDateTime("LastBackupDate", 0), Now(), 1.0 / 24 / 60);
  EXPECT_EQ(GetProfileString("LastBackupFromPath", ""), w.DataDir());
  EXPECT_EQ(GetProfileString("LastBackupToPath", ""), w.Backup);

  w.Exec("UPDATE Quillory SET JournalText = 'rewritten' WHERE JournalDate = 45001");
  w.Exec("DELETE FROM Quillory WHERE JournalDate = 45002");
  w.Store(45010, "written after the backup");
  w.Exec("UPDATE Journals SET JournalName = 'Renamed'");
  ASSERT_NE(w.Snapshot(), before);

  ASSERT_TRUE(w.Copy(cdfRestore, &shown));
  EXPECT_EQ(shown.front().Text, "Are you sure you want to overwrite the database with the backup copy?");
  EXPECT_EQ(shown.back().Text, "Restored successfully to " + w.DataDir());
  EXPECT_EQ(w.Snapshot(), before);
  EXPECT_NEAR(GetProfileDateTime("LastRestoreDate", 0), Now(), 1.0 / 24 / 60);
  // Nothing of the restore's own work stays beside the database folder.
  for (const auto& e : fs::directory_iterator(w.Root / "docs"))
    EXPECT_EQ(e.path().filename().string(), "Quillory for alice");
  // The folder that took the old one's place is locked as the old one was:
  // another program still finds the journal held.
  EXPECT_TRUE(HoldsDatabaseFolder(w.DataDir()));
  TFolderLock other(w.DataDir());
  EXPECT_EQ(other.TryTake(), TFolderLock::flBusy);
}

TEST(BackupRestore, BackupOfAnOpenDatabaseHoldsWhatItsLogHolds) {
  TBackupWorld w;
  // Rows written through a connection that stays open sit in the
  // write-ahead log, not yet in the database file.
  TQuery open;
  BindToDatabase(open);
  open.SQL.Add("SELECT count(*) FROM Quillory");
  w.Store(45020, "only in the log");
  open.Open();
  ASSERT_TRUE(fs::exists(w.DataFile("Quillory.db-wal")));
  ASSERT_GT(fs::file_size(w.DataFile("Quillory.db-wal")), 0u);
  open.Close();
  const String expected = w.Snapshot();
  ASSERT_TRUE(w.Copy(cdfBackup));
  // The backup alone, opened where it lies, has every row.
  TSession other;
  other.SessionName = "BackupCheck";
  RegisterTableFiles(other);
  other.AddStandardAlias("B", w.Backup, "STANDARD");
  TQuery q;
  q.SessionName = "BackupCheck";
  q.DatabaseName = "B";
  q.SQL.Add("SELECT JournalText FROM Quillory WHERE JournalDate = 45020");
  q.Open();
  ASSERT_FALSE(q.Eof());
  EXPECT_EQ(q.Fields(0).AsString(), "only in the log");
  EXPECT_EQ(w.Snapshot(), expected);
}

TEST(BackupRestore, RestoreRefusesBackupsItCannotTrustAndChangesNothing) {
  const struct {
    const char* Name;
    std::function<void(TBackupWorld&, const String& folder)> Spoil;
    const char* Expected;
  } cases[] = {
      {"empty folder", [](TBackupWorld&, const String& f) { fs::remove_all(f); fs::create_directories(f); },
       "No backup of the database was found"},
      {"no settings file", [](TBackupWorld&, const String& f) {
         fs::remove(f + "/Profile.db");
         fs::remove(f + "/QYBackup.lst");
       },
       "No backup of the database was found"},
      {"truncated journal", [](TBackupWorld&, const String& f) {
         fs::resize_file(f + "/Quillory.db", 3000);
         fs::remove(f + "/QYBackup.lst");
       },
       "is damaged"},
      {"overwritten pages", [](TBackupWorld&, const String& f) {
         const auto size = fs::file_size(f + "/Quillory.db");
         std::fstream io(f + "/Quillory.db", std::ios::in | std::ios::out | std::ios::binary);
         io.seekp(4096);
         const String junk(size - 4096, '\x5a');
         io.write(junk.data(), static_cast<std::streamsize>(junk.size()));
         io.close();
         fs::remove(f + "/QYBackup.lst");
       },
       "is damaged"},
      {"file not the one listed", [](TBackupWorld&, const String& f) {
         std::ofstream(f + "/Profile.db", std::ios::app | std::ios::binary) << String(4096, '\0');
       },
       "incomplete or mixed"},
      {"unreadable list", [](TBackupWorld&, const String& f) { std::ofstream(f + "/QYBackup.lst") << "junk"; },
       "cannot be read"},
      {"journal of another backup", [](TBackupWorld& w, const String& f) {
         w.Store(45030, "a later day");
         const String other = w.Root.str() + "/other";
         fs::create_directories(other);
         ProfileSettings.BackupRestoreLocation = other;
         ASSERT_TRUE(w.Copy(cdfBackup));
         ProfileSettings.BackupRestoreLocation = f;
         fs::copy_file(other + "/Quillory.db", f + "/Quillory.db", fs::copy_options::overwrite_existing);
       },
       "incomplete or mixed"},
  };
  for (const auto& c : cases) {
    TBackupWorld w;
    ASSERT_TRUE(w.Copy(cdfBackup)) << c.Name;
    c.Spoil(w, w.Backup);
    w.Exec("UPDATE Quillory SET JournalText = 'current' WHERE JournalDate = 45000");
    CloseDatabaseFiles();
    const String before = w.Snapshot();
    CloseDatabaseFiles();
    const String digest = FileDigest(w.DataFile("Quillory.db"));
    std::vector<TInteraction> shown;
    EXPECT_FALSE(w.Copy(cdfRestore, &shown)) << c.Name;
    ASSERT_FALSE(shown.empty()) << c.Name;
    EXPECT_NE(shown.back().Text.find(c.Expected), String::npos) << c.Name << ": " << shown.back().Text;
    EXPECT_EQ(FileDigest(w.DataFile("Quillory.db")), digest) << c.Name;
    EXPECT_EQ(w.Snapshot(), before) << c.Name;
    EXPECT_EQ(GetProfileDateTime("LastRestoreDate", -1), -1) << c.Name;
  }
}

TEST(BackupRestore, OlderBackupIsRestoredAndSaysItWillBeUpgraded) {
  TBackupWorld w;
  w.Exec("INSERT INTO Profile (ProfileKey, ProfileValue) VALUES ('DatabaseVersion', 'Database Version 2.0')");
  ASSERT_TRUE(w.Copy(cdfBackup));
  w.Exec("UPDATE Profile SET ProfileValue = 'Database Version 3.0' WHERE ProfileKey = 'DatabaseVersion'");
  std::vector<TInteraction> shown;
  ASSERT_TRUE(w.Copy(cdfRestore, &shown));
  bool told = false;
  for (const TInteraction& i : shown) told = told || i.Text.find("older version (Database Version 2.0)") != String::npos;
  EXPECT_TRUE(told);
  LoadProfile();
  EXPECT_EQ(ProfileSettings.DatabaseVersion, "Database Version 2.0");
}

TEST(BackupRestore, BackupKilledWhileMovingIntoPlaceIsFinishedByTheNextCopy) {
  TBackupWorld w;
  ASSERT_TRUE(w.Copy(cdfBackup));
  const String first = w.Snapshot();
  const String firstSet = w.Root.str() + "/first-set";
  fs::copy(w.Backup, firstSet);
  w.Store(45040, "second backup");
  const String second = w.Snapshot();
  ASSERT_TRUE(w.Copy(cdfBackup));
  // As if the second backup had been killed while its checked files were
  // moved into place (in name order): its settings file is in the folder,
  // its journal file and list are still in the hidden staging folder, and
  // the folder's list is the first backup's.
  const String staging = w.Backup + "/.quillory-backup";
  fs::create_directories(staging);
  for (const char* f : {"Quillory.db", "QYBackup.lst"}) {
    fs::rename(w.Backup + "/" + f, staging + "/" + f);
    fs::copy_file(firstSet + "/" + f, w.Backup + "/" + f);
  }
  w.Exec("DELETE FROM Quillory WHERE JournalDate < 45002");
  ASSERT_TRUE(w.Copy(cdfRestore));
  EXPECT_EQ(w.Snapshot(), second);
  EXPECT_FALSE(fs::exists(staging));

  // A staging folder without its list was never complete: it goes, and the
  // folder's own backup is restored.
  fs::remove_all(w.Backup);
  fs::copy(firstSet, w.Backup);
  fs::create_directories(staging);
  fs::copy_file(w.DataFile("Quillory.db"), staging + "/Quillory.db");
  ASSERT_TRUE(w.Copy(cdfRestore));
  EXPECT_EQ(w.Snapshot(), first);
  EXPECT_FALSE(fs::exists(staging));
}


// Every file below the folder, with its digest ("" for a link, "dir" for a
// folder), links not followed.
std::map<String, String> TreeOf(const String& folder) {
  std::map<String, String> tree;
  for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it) {
    const String rel = fs::relative(it->path(), folder).string();
    if (it->is_symlink()) tree[rel] = "link:" + fs::read_symlink(it->path()).string();
    else if (it->is_directory()) tree[rel] = "dir";
    else tree[rel] = FileDigest(it->path().string());
  }
  return tree;
}

// A restore only reads the folder it restores from. A hidden staging folder
// planted there as a link to the user's real backup (the default one's path
// is easy to guess) is neither followed nor emptied, and nothing in either
// folder moves or goes; only the program's own backup folder has an
// interrupted backup finished.
TEST(BackupRestore, RestoreNeverFollowsALinkNorChangesTheFolderItReads) {
  TBackupWorld w;
  ASSERT_TRUE(w.Copy(cdfBackup));
  const String real = w.Backup;
  const auto realBefore = TreeOf(real);
  // Another folder with a backup of its own and the planted link.
  const String chosen = w.Root.str() + "/chosen";
  fs::copy(real, chosen);
  fs::create_directory_symlink(real, chosen + "/.quillory-backup");
  // Its list names what the real folder holds, so a move through the link
  // would take the real backup's files.
  const auto chosenBefore = TreeOf(chosen);
  w.Exec("UPDATE Quillory SET JournalText = 'changed' WHERE JournalDate = 45000");
  ProfileSettings.BackupRestoreLocation = chosen;
  EXPECT_TRUE(w.Copy(cdfRestore));
  EXPECT_EQ(TreeOf(real), realBefore);
  EXPECT_EQ(TreeOf(chosen), chosenBefore);
  EXPECT_EQ(w.Snapshot().find("changed"), String::npos);
}

// A restore copies regular files of their listed sizes only, checked where
// they lie before a byte is copied: a FIFO (which would block the restore
// for ever), a link, a file far larger than listed (a sparse 2 GiB one) are
// refused at once with a message, and nothing changes.
TEST(BackupRestore, RestoreRefusesFilesThatAreNotTheRegularFilesListed) {
  const struct {
    const char* What;
    std::function<void(const String& file)> Spoil;
    const char* Expected;
  } cases[] = {
      {"FIFO", [](const String& f) { fs::remove(f); ASSERT_EQ(::mkfifo(f.c_str(), 0600), 0); },
       "is not a regular file"},
      {"link to a regular file", [](const String& f) {
         fs::rename(f, f + ".real");
         fs::create_symlink(f + ".real", f);
       },
       "is not a regular file"},
      {"sparse 2 GiB", [](const String& f) { fs::resize_file(f, Int64(2) << 30); }, "its list says"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    TBackupWorld w;
    ASSERT_TRUE(w.Copy(cdfBackup));
    c.Spoil(w.Backup + "/Profile.db");
    w.Exec("UPDATE Quillory SET JournalText = 'current' WHERE JournalDate = 45000");
    CloseDatabaseFiles();
    const String before = w.Snapshot();
    CloseDatabaseFiles();
    std::vector<TInteraction> shown;
    // At once: little CPU time (not the clock's, which a loaded machine
    // changes), nothing read of the 2 GiB.
    bool restored = true;
    EXPECT_LT(qytest::MeasureWork([&] { restored = w.Copy(cdfRestore, &shown); }).ProcessCpuSeconds, 5.0);
    EXPECT_FALSE(restored);
    ASSERT_FALSE(shown.empty());
    EXPECT_NE(shown.back().Text.find(c.Expected), String::npos) << shown.back().Text;
    EXPECT_EQ(w.Snapshot(), before);
    EXPECT_FALSE(fs::exists(RestoreStagingOf(w.DataDir())));
  }
}

// A backup made under an older password restores with that password typed
// into the password dialog; the journal's own password stays the one the
// program holds, and the backup's leaves the session after the check.
TEST(BackupRestore, BackupUnderAnOlderPasswordRestoresThroughThePasswordDialog) {
  TBackupWorld w;
  TPasswordDlg dialog(nullptr);
  RestructureTablePassword("", "Older-Pass-1", "QUILLORY");
  QuillorySession().AddPassword("Older-Pass-1");
  RecordJournalCipherSettings();
  const String backedUp = w.Snapshot();
  ASSERT_TRUE(w.Copy(cdfBackup));
  RestructureTablePassword("Older-Pass-1", "Newer-Pass-2", "QUILLORY");
  QuillorySession().RemovePassword("Older-Pass-1");
  QuillorySession().AddPassword("Newer-Pass-2");
  RecordJournalCipherSettings();
  JournalPassword = "Newer-Pass-2";
  w.Exec("UPDATE Quillory SET JournalText = 'after' WHERE JournalDate = 45000");
  CloseDatabaseFiles();

  TInteractionScript script;
  std::vector<String> prompts;
  auto type = [&prompts](const char* typed) {
    return [&prompts, typed](TInteraction& r) {
      auto* dlg = static_cast<TPasswordDlg*>(r.Form);
      dlg->FormShow(dlg);
      prompts.push_back(dlg->lEnterPassword->GetCaption());
      dlg->ePassword->SetText(typed);
      dlg->OKBtn->Click();
      return static_cast<int>(dlg->ModalResult);
    };
  };
  script.Do(type("wrong-one"));
  script.Answer(IDOK);  // that one did not open it
  script.Do(type("Older-Pass-1"));
  script.Answer(IDOK);  // overwrite? (asked once the backup opened)
  for (int i = 0; i < 4; ++i) script.Answer(IDOK);
  EXPECT_TRUE(CopyDatabaseFiles(cdfRestore)) << (script.Shown.empty() ? "" : script.Shown.back().Text);
  // The dialog says whose password it wants, a wrong one is not re-asked
  // silently, and the report says which password the journal has now.
  ASSERT_EQ(prompts.size(), 2u);
  for (const String& p : prompts) EXPECT_EQ(p, "Enter the backup's own password:");
  ASSERT_GE(script.Shown.size(), 5u);
  EXPECT_EQ(script.Shown[1].Kind, TInteractionKind::MessageBox);
  EXPECT_NE(script.Shown[1].Text.find("does not open the backup"), String::npos) << script.Shown[1].Text;
  EXPECT_EQ(script.Shown[3].Text, RestoreQuestion);
  EXPECT_NE(script.Shown.back().Text.find(BackupPasswordNowTheJournalsText), String::npos)
      << script.Shown.back().Text;
  EXPECT_TRUE(dialog.Prompt.empty());
  EXPECT_EQ(JournalPassword, "Newer-Pass-2");
  EXPECT_FALSE(QuillorySession().HasPassword("wrong-one"));
  EXPECT_FALSE(QuillorySession().HasPassword("Older-Pass-1"));
  QuillorySession().AddPassword("Older-Pass-1");
  EXPECT_EQ(w.Snapshot(), backedUp);
  QuillorySession().RemoveAllPasswords();
  WipeString(JournalPassword);
}

// A backup without a password would take the journal's password away: the
// user is told and asked; Cancel leaves the journal as it was.
TEST(BackupRestore, AnUnprotectedBackupIntoAProtectedJournalAsksFirst) {
  for (const int answer : {IDCANCEL, IDOK}) {
    SCOPED_TRACE(answer);
    TBackupWorld w;
    ASSERT_TRUE(w.Copy(cdfBackup));  // no password yet
    const String plain = w.Snapshot();
    RestructureTablePassword("", "Protected-3", "QUILLORY");
    QuillorySession().AddPassword("Protected-3");
    RecordJournalCipherSettings();
    w.Exec("UPDATE Quillory SET JournalText = 'protected' WHERE JournalDate = 45000");
    CloseDatabaseFiles();
    const String digest = FileDigest(w.DataFile("Quillory.db"));
    TInteractionScript script;
    script.Answer(answer);  // remove the password?
    for (int i = 0; i < 4; ++i) script.Answer(IDOK);
    EXPECT_EQ(CopyDatabaseFiles(cdfRestore), answer == IDOK);
    ASSERT_GE(script.Shown.size(), 1u);
    EXPECT_NE(script.Shown[0].Text.find("removes the password"), String::npos) << script.Shown[0].Text;
    // Cancel there is the end: the overwrite question comes only after it.
    EXPECT_EQ(script.Shown.size() > 1 && script.Shown[1].Text == RestoreQuestion, answer == IDOK);
    if (answer == IDOK) {
      EXPECT_EQ(ClassifyDatabaseFile(w.DataFile("Quillory.db")), dfPlain);
      EXPECT_EQ(w.Snapshot(), plain);
    } else {
      EXPECT_EQ(FileDigest(w.DataFile("Quillory.db")), digest);
      EXPECT_EQ(ClassifyDatabaseFile(w.DataFile("Quillory.db")), dfEncrypted);
    }
    EXPECT_FALSE(fs::exists(RestoreStagingOf(w.DataDir())));
    QuillorySession().RemoveAllPasswords();
  }
}

// The swap of the two folders is one step: when it fails (as a crash there
// would stop it) the old database folder is whole and the restore says it
// failed. That the step swaps both folders is checked below.
TEST(BackupRestore, AFailedSwapLeavesTheOldDatabaseWhole) {
  TBackupWorld w;
  ASSERT_TRUE(w.Copy(cdfBackup));
  w.Exec("UPDATE Quillory SET JournalText = 'kept' WHERE JournalDate = 45000");
  CloseDatabaseFiles();
  const String before = w.Snapshot();
  CloseDatabaseFiles();
  const auto tree = TreeOf(w.DataDir());
  const auto saved = RestoreFileOps();
  int calls = 0;
  // The one step of the swap fails; nothing after it may run.
  RestoreFileOps().Exchange = [&](const String& a, const String& b, String& error) {
    ++calls;
    error = "injected failure";
    (void)a;
    (void)b;
    return false;
  };
  std::vector<TInteraction> shown;
  EXPECT_FALSE(w.Copy(cdfRestore, &shown));
  RestoreFileOps() = saved;
  EXPECT_EQ(calls, 1);
  ASSERT_TRUE(fs::is_directory(w.DataDir()));
  EXPECT_EQ(TreeOf(w.DataDir()), tree);
  EXPECT_EQ(w.Snapshot(), before);
  EXPECT_FALSE(fs::exists(RestoreStagingOf(w.DataDir())));
  EXPECT_NE(shown.back().Text.find("Restoring Failure"), String::npos) << shown.back().Text;
}

// The restore's one step exchanges the two folders: afterwards the database
// folder holds the backup and the staging name the old folder, each whole.
// A swap done as delete-then-rename loses the old folder and is caught here.
TEST(BackupRestore, TheSwapExchangesBothFolders) {
  TBackupWorld w;
  ASSERT_TRUE(w.Copy(cdfBackup));
  w.Exec("UPDATE Quillory SET JournalText = 'edited since' WHERE JournalDate = 45000");
  CloseDatabaseFiles();
  const auto oldTree = TreeOf(w.DataDir());
  const auto saved = RestoreFileOps();
  std::map<String, String> stagedBefore, dataAfter, stagingAfter;
  RestoreFileOps().Exchange = [&](const String& a, const String& b, String& error) {
    stagedBefore = TreeOf(a);
    const bool ok = saved.Exchange(a, b, error);
    dataAfter = TreeOf(b);
    stagingAfter = fs::is_directory(a) ? TreeOf(a) : std::map<String, String>{};
    return ok;
  };
  EXPECT_TRUE(w.Copy(cdfRestore));
  RestoreFileOps() = saved;
  ASSERT_FALSE(stagedBefore.empty());
  EXPECT_EQ(dataAfter, stagedBefore);
  // The lock file moves with the folders; every database file is compared.
  for (const auto& [name, digest] : oldTree) {
    if (name.find(".db") == String::npos) continue;
    ASSERT_TRUE(stagingAfter.count(name)) << name;
    EXPECT_EQ(stagingAfter.at(name), digest) << name;
  }
  EXPECT_FALSE(fs::exists(RestoreStagingOf(w.DataDir())));
}

// A backup whose settings ask for a key derivation far costlier than the
// program's own is refused at once, before any key is derived or any
// password asked: such settings held a restore up for minutes.
TEST(BackupRestore, CostlyKeyDerivationSettingsInABackupAreRefusedAtOnce) {
  TBackupWorld w;
  TPasswordDlg dialog(nullptr);
  RestructureTablePassword("", "Café-Pass", "QUILLORY");
  QuillorySession().AddPassword("Café-Pass");
  RecordJournalCipherSettings();
  JournalPassword = "Café-Pass";
  CloseDatabaseFiles();
  ASSERT_TRUE(w.Copy(cdfBackup));
  // The backup's settings file altered; without its list the files are
  // taken as they are found.
  fs::remove(fs::path(w.Backup) / BackupListName);
  const String live = w.DataFile("Profile.db");
  const String kept = w.Root.str() + "/Profile.kept";
  for (const char* costly : {"kdf=argon2id;m=65536;t=13;p=4;cipher_page_size=4096",
                             "kdf=argon2id;m=1048576;t=64;p=4;cipher_page_size=4096",
                             "kdf_iter=100000000;cipher_page_size=4096"}) {
    SCOPED_TRACE(costly);
    fs::copy_file(live, kept, fs::copy_options::overwrite_existing);
    SetProfileValue("JournalCipherSettings", pvString, costly);
    CloseDatabaseFiles();
    fs::copy_file(live, fs::path(w.Backup) / "Profile.db", fs::copy_options::overwrite_existing);
    fs::copy_file(kept, live, fs::copy_options::overwrite_existing);
    const String digest = FileDigest(w.DataFile("Quillory.db"));
    std::vector<TInteraction> shown;
    // Refused before any derivation: CPU time (not the clock's) far below
    // what one would take.
    bool restored = true;
    EXPECT_LT(qytest::MeasureWork([&] { restored = w.Copy(cdfRestore, &shown); }).ProcessCpuSeconds, 60.0);
    EXPECT_FALSE(restored);
    ASSERT_FALSE(shown.empty());
    for (const TInteraction& s : shown) EXPECT_NE(s.Form, &dialog) << "a password was asked";
    EXPECT_NE(shown.back().Text.find("key derivation"), String::npos) << shown.back().Text;
    EXPECT_EQ(FileDigest(w.DataFile("Quillory.db")), digest);
    EXPECT_FALSE(fs::exists(RestoreStagingOf(w.DataDir())));
  }
  QuillorySession().RemoveAllPasswords();
  WipeString(JournalPassword);
}

// A backup's database file is looked at where it lies before a byte is
// copied: a sparse file (its length mostly holes) would fill the disk, a
// foreign one would be copied whole only to be refused afterwards.
TEST(BackupRestore, ABackupsDatabaseFileIsCheckedBeforeItIsCopied) {
  const struct {
    const char* What;
    std::function<void(const fs::path&)> Spoil;
    const char* Expected;
  } cases[] = {
      {"sparse", [](const fs::path& p) { fs::resize_file(p, Int64(600) << 20); }, "holes"},
      {"foreign", [](const fs::path& p) { qytest::WriteFileBytes(p, String(8192, 'z')); }, "is no database file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    TBackupWorld w;
    ASSERT_TRUE(w.Copy(cdfBackup));
    // Without its list the files are taken as they are found.
    fs::remove(fs::path(w.Backup) / BackupListName);
    c.Spoil(fs::path(w.Backup) / "Quillory.db");
    const String digest = FileDigest(w.DataFile("Quillory.db"));
    std::vector<TInteraction> shown;
    EXPECT_FALSE(w.Copy(cdfRestore, &shown));
    ASSERT_FALSE(shown.empty());
    EXPECT_NE(shown.back().Text.find(c.Expected), String::npos) << shown.back().Text;
    EXPECT_NE(shown.back().Text.find("Quillory.db"), String::npos) << shown.back().Text;
    EXPECT_EQ(FileDigest(w.DataFile("Quillory.db")), digest);
    EXPECT_FALSE(fs::exists(RestoreStagingOf(w.DataDir())));
  }
}

// Bytes a folder's files hold on the disk (holes take none).
Int64 AllocatedIn(const String& folder) {
  Int64 bytes = 0;
  for (const auto& e : fs::recursive_directory_iterator(folder)) {
    struct stat st {};
    if (::lstat(e.path().c_str(), &st) == 0) bytes += static_cast<Int64>(st.st_blocks) * 512;
  }
  return bytes;
}

// A backup's list that names more than a backup of the program writes: a
// file of another name is never brought in, and none of the program's
// settings files as large as a sparse gigabyte (truncate -s) is written
// out whole. Nor does a backup take a stranger's file from the database
// folder.
TEST(BackupRestore, OnlyTheProgramsOwnFilesAreBackedUpAndRestored) {
  const Int64 gigabyte = Int64(1) << 30;
  const struct {
    const char* What;
    const char* Name;  // listed beside the backup's own files
    const char* Refusal;  // part of the message; "" when the restore goes through
  } cases[] = {
      {"a file of another name", "Extra café.bin", ""},
      {"the styles file as a sparse gigabyte", "QYStyle.ini", "settings files are never larger"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    TBackupWorld w;
    qytest::WriteFileBytes(w.DataFile("stranger's notes.txt"), "Łódź");
    ASSERT_TRUE(w.Copy(cdfBackup));
    EXPECT_FALSE(fs::exists(fs::path(w.Backup) / "stranger's notes.txt"));
    fs::remove(w.DataFile("stranger's notes.txt"));
    const String extra = w.Backup + "/" + c.Name;
    {
      std::ofstream(extra.c_str()).put('x');
    }
    fs::resize_file(extra, gigabyte);
    std::vector<String> lines;
    {
      std::ifstream in(w.Backup + "/" + BackupListName);
      for (String line; std::getline(in, line);)
        if (line.rfind(String(c.Name) + "\t", 0) != 0) lines.push_back(line);
    }
    lines.push_back(String(c.Name) + "\t" + IntToStr(gigabyte) + "\t" + FileDigest(extra));
    {
      std::ofstream out(w.Backup + "/" + BackupListName, std::ios::trunc);
      for (const String& line : lines) out << line << "\n";
    }
    w.Exec("UPDATE Quillory SET JournalText = 'changed' WHERE JournalDate = 45000");
    CloseDatabaseFiles();
    const String changed = w.Snapshot();
    CloseDatabaseFiles();
    std::vector<TInteraction> shown;
    const bool restored = w.Copy(cdfRestore, &shown);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(restored, *c.Refusal == 0) << shown.back().Text;
    if (*c.Refusal) {
      EXPECT_NE(shown.back().Text.find(c.Refusal), String::npos) << shown.back().Text;
      EXPECT_EQ(w.Snapshot(), changed);
    } else {
      EXPECT_FALSE(fs::exists(w.DataFile(c.Name)));
      EXPECT_NE(w.Snapshot(), changed);
    }
    EXPECT_LT(AllocatedIn(w.DataDir()), Int64(64) << 20);
    EXPECT_FALSE(fs::exists(RestoreStagingOf(w.DataDir())));
  }
}

// The helper's reported cycles.
std::vector<int> Reported(const fs::path& report) {
  std::ifstream in(report);
  std::vector<int> cycles;
  int n = 0;
  while (in >> n) cycles.push_back(n);
  return cycles;
}

// The program is killed at random moments while it backs up, restores or
// packs; afterwards the database opens, passes its check and holds every
// entry it reported committed. QY_KILL_RUNS sets the kills (default 20).
TEST(BackupRestore, KilledCopiesAndPacksLoseNothing) {
  const auto helper = fs::read_symlink("/proc/self/exe").parent_path() / "maintenance_cycles";
  const char* runsEnv = std::getenv("QY_KILL_RUNS");
  const int kills = runsEnv ? std::atoi(runsEnv) : 20;
  for (const char* mode : {"backup", "restore", "pack"}) {
    TBackupWorld w;
    const String password = "Kill;Pass_123";
    RestructureTablePassword("", password, "QUILLORY");
    QuillorySession().AddPassword(password);
    RecordJournalCipherSettings();
    ASSERT_TRUE(w.Copy(cdfBackup)) << mode;
    const String backedUp = w.Snapshot();
    CloseDatabaseFiles();
    QuillorySession().CloseIdleConnections();
    const auto report = w.Root / (String(mode) + ".txt");
    const int cycles = String(mode) == "restore" ? 60 : 40;
    std::mt19937 random(20261208);
    int leftovers = 0;
    for (int run = 0; run <= kills; ++run) {
      const bool finish = run == kills;
      const int status = qytest::RunChild(
          {helper.string(), mode, w.DataDir(), w.Backup, password, report.string(), std::to_string(cycles)},
          finish ? std::nullopt : std::optional<unsigned>(std::uniform_int_distribution<int>(20000, 250000)(random)));
      if (finish) {
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << mode << " " << status;
      }
      // The database opens with the password, checks whole, and holds
      // every committed entry.
      QuillorySession().CloseIdleConnections();
      ASSERT_NO_THROW(RegenerateTableIndexes("QUILLORY")) << mode << " run " << run;
      if (String(mode) == "restore") {
        ASSERT_EQ(w.Snapshot(), backedUp) << "run " << run;
        // What the killed restore left (a whole journal beside the folder)
        // goes at the next start.
        if (fs::exists(RestoreStagingOf(w.DataDir()))) ++leftovers;
        CloseDatabaseFiles();
        w.SetUp();
        EXPECT_FALSE(fs::exists(RestoreStagingOf(w.DataDir()))) << "run " << run;
      } else {
        const String all = w.Snapshot();
        for (int cycle : Reported(report))
          ASSERT_NE(all.find("/" + IntToStr(45000 + cycle) + "/entry " + IntToStr(cycle)), String::npos)
              << mode << " run " << run << " lost cycle " << cycle;
      }
      CloseDatabaseFiles();
    }
    EXPECT_EQ(Reported(report).size(), static_cast<size_t>(cycles)) << mode;
    if (leftovers > 0) std::printf("%s: %d of %d kills left a restore's folder, each removed\n", mode, leftovers, kills);
    // A backup folder left by killed backups restores a sound database.
    if (String(mode) == "backup") {
      ASSERT_TRUE(w.Copy(cdfRestore));
      ASSERT_NO_THROW(RegenerateTableIndexes("QUILLORY"));
      EXPECT_NE(w.Snapshot().find("/" + IntToStr(45000 + cycles) + "/entry "), String::npos);
    }
    QuillorySession().RemoveAllPasswords();
    CloseDatabaseFiles();
  }
}

// The program is killed at random moments while it saves the preferences
// (settings and styles file): the settings are always all of one save, the
// last reported or the one after it, never a mixture; the temporary files
// the kills leave go at the next start. QY_KILL_RUNS sets the kills.
TEST(BackupRestore, KilledPreferenceSavesLeaveOneWholeSetOfSettings) {
  const auto helper = fs::read_symlink("/proc/self/exe").parent_path() / "maintenance_cycles";
  const char* runsEnv = std::getenv("QY_KILL_RUNS");
  const int kills = runsEnv ? std::atoi(runsEnv) : 8;
  TBackupWorld w;
  CloseDatabaseFiles();
  QuillorySession().CloseIdleConnections();
  const auto report = w.Root / "preferences.txt";
  const int cycles = 400;
  std::mt19937 random(20261209);
  int leftovers = 0, mixed = 0;
  for (int run = 0; run <= kills; ++run) {
    const bool finish = run == kills;
    const int status = qytest::RunChild(
        {helper.string(), "preferences", w.DataDir(), w.Backup, "", report.string(), std::to_string(cycles)},
        finish ? std::nullopt : std::optional<unsigned>(std::uniform_int_distribution<int>(60000, 400000)(random)));
    if (finish) {
      ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    QuillorySession().CloseIdleConnections();
    for (const auto& e : fs::directory_iterator(w.DataDir()))
      if (e.path().filename().string().ends_with(".tmp")) ++leftovers;
    LoadProfile();
    const std::vector<int> done = Reported(report);
    const int last = done.empty() ? 0 : done.back();
    const String name = ProfileSettings.UserName;
    int cycle = -1;
    if (name.rfind("user ", 0) == 0) cycle = std::atoi(name.c_str() + 5);
    EXPECT_TRUE(cycle == last || cycle == last + 1 || (last == 0 && name == "alice")) << name << " after " << last;
    if (cycle > 0) {
      TProfileSettings expected = ProfileSettings;
      SettingsOfCycle(cycle, expected);
      const bool same = expected.UserAddress == ProfileSettings.UserAddress &&
                        expected.DisplayAddress == ProfileSettings.DisplayAddress &&
                        expected.AutoSaveInterval == ProfileSettings.AutoSaveInterval &&
                        expected.AutoHideInterval == ProfileSettings.AutoHideInterval &&
                        expected.AutoLockInterval == ProfileSettings.AutoLockInterval &&
                        expected.BackupReminderInterval == ProfileSettings.BackupReminderInterval &&
                        expected.PasswordChangeInterval == ProfileSettings.PasswordChangeInterval &&
                        expected.LastUsedPrinter == ProfileSettings.LastUsedPrinter &&
                        expected.ConfirmPrint == ProfileSettings.ConfirmPrint;
      if (!same) ++mixed;
      EXPECT_TRUE(same) << "run " << run << ": settings of cycle " << cycle << " mixed with another save";
    }
    // The next start clears what the kill left.
    CloseDatabaseFiles();
    w.SetUp();
    for (const auto& e : fs::directory_iterator(w.DataDir()))
      EXPECT_FALSE(e.path().filename().string().ends_with(".tmp")) << e.path();
  }
  EXPECT_EQ(Reported(report).size(), static_cast<size_t>(cycles));
  std::printf("preferences: %d kills, %d mixed, %d temporary files left and removed\n", kills, mixed, leftovers);
}

// What killed programs leave beside and in the database folder goes at the
// next start: a restore's staging folder (a whole journal copy) and the
// temporary files of interrupted saves; other hidden files stay.
TEST(BackupRestore, TheNextStartRemovesWhatKilledProgramsLeft) {
  TBackupWorld w;
  const String staging = RestoreStagingOf(w.DataDir());
  fs::create_directories(staging);
  fs::copy_file(w.DataFile("Quillory.db"), staging + "/Quillory.db");
  const String temp = w.DataDir() + "/.QYStyle.ini.0123456789.tmp";
  const String spu = w.DataDir() + "/.alice.spu.ABCDEF0123.tmp";
  const String kept = w.DataDir() + "/.other-hidden";
  for (const String& f : {temp, spu, kept}) qytest::WriteFileBytes(f, "words");
  CloseDatabaseFiles();
  w.SetUp();
  EXPECT_FALSE(fs::exists(staging));
  EXPECT_FALSE(fs::exists(temp));
  EXPECT_FALSE(fs::exists(spu));
  EXPECT_TRUE(fs::exists(kept));
  EXPECT_EQ(RemoveInterruptedSaves(w.Root.str() + "/missing"), 0);
}

}  // namespace
