// The find window between searches and the commands around it: once closed
// it holds nothing that keeps the database files in use (backup, restore,
// pack and a password change close them), and the journals it and the
// reports select from follow new, renamed and deleted journals.
#include "FindReportSupport.h"

#include "app/QYBackup.h"
#include "app/QYJournalReport.h"
#include "app/QYPassword.h"
#include "platform/base/DateTime.h"
#include "platform/db/DBPassword.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace qytest;

namespace {

namespace fs = std::filesystem;

// Every box answered as the user who goes ahead would; the texts seen.
struct TGoAhead {
  TGoAhead() {
    for (int i = 0; i < 30; ++i)
      Script.Do([this](TInteraction& r) {
        Seen.push_back(r.Caption + ": " + r.Text);
        if (auto* d = dynamic_cast<TChangePasswordDlg*>(r.Form)) {
          d->eExistingPassword->SetText("");
          d->eNewPassword->SetText("n0rth-W1nd");
          d->eRepeatNewPassword->SetText("n0rth-W1nd");
          return static_cast<int>(mrOk);
        }
        if (r.Kind == TInteractionKind::MessageBox && (r.Buttons & MB_TYPEMASK) == MB_YESNO) return IDYES;
        return static_cast<int>(mrOk);
      });
  }
  bool SawInUse() const {
    for (const String& s : Seen)
      if (s.find("in use") != String::npos) return true;
    return false;
  }
  TInteractionScript Script;
  std::vector<String> Seen;
};

String Joined(const std::vector<String>& lines) {
  String all;
  for (const String& l : lines) all += l + "\n";
  return all;
}

struct TMaintenanceCase {
  const char* Name;
  bool Search;  // a search ran to its end before the window closed
  std::function<bool(TFindReportWorld&)> Run;
};

TEST(FindAndJournalChanges, MaintenanceWorksAfterTheFindWindowWasOpenedAndClosed) {
  const std::vector<TMaintenanceCase> cases = {
      {"backup", false,
       [](TFindReportWorld& w) {
         ActionBackupExecute(w.Main);
         return !fs::is_empty(ProfileSettings.BackupRestoreLocation);
       }},
      {"restore", true,
       [](TFindReportWorld&) {
         ActionRestoreExecute(formQuilloryMain);
         return true;
       }},
      {"pack", false,
       [](TFindReportWorld&) {
         PackAndReindexTables(formQuilloryMain);
         return true;
       }},
      {"password change", true,
       [](TFindReportWorld&) {
         std::unique_ptr<TChangePasswordDlg> dialog(new TChangePasswordDlg(nullptr));
         WipeString(JournalPassword);
         return ChangePassword();
       }},
  };
  for (const TMaintenanceCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TFindReportWorld w;
    const Integer id = w.Journal("Diary");
    w.Store({{id, EncodeDate(2020, 2, 2), TFindReportWorld::EntryVLF({"north wind"})}});
    ProfileSettings.BackupRestoreLocation = (w.Root / "backups").string();
    fs::create_directories(ProfileSettings.BackupRestoreLocation);
    JournalsLoaded = true;
    if (String(c.Name) == "restore") {
      // A backup to restore from, made before the find window is used.
      TGoAhead first;
      ASSERT_TRUE(CopyDatabaseFiles(cdfBackup));
    }
    ActionGlobalFindExecute();
    ASSERT_TRUE(w.Find->GetVisible());
    if (c.Search) {
      w.Find->leTextToFind->SetText("absent");
      w.Find->pbFind->Click();
      ASSERT_TRUE(TFindReportWorld::PumpUntil([&] { return !w.Find->FindRunning; }));
    }
    w.Find->pbDone->Click();
    ASSERT_FALSE(w.Find->GetVisible());
    TGoAhead answers;
    const bool done = c.Run(w);
    EXPECT_FALSE(answers.SawInUse()) << Joined(answers.Seen);
    EXPECT_TRUE(done) << Joined(answers.Seen);
  }
}

TEST(FindAndJournalChanges, ACommandThatClosesTheJournalsEndsASearchWaitingAtAHit) {
  TFindReportWorld w;
  const Integer id = w.Journal("Diary");
  w.Store({{id, EncodeDate(2020, 2, 2), TFindReportWorld::EntryVLF({"north one"})},
           {id, EncodeDate(2020, 2, 3), TFindReportWorld::EntryVLF({"north two"})}});
  ProfileSettings.BackupRestoreLocation = (w.Root / "backups").string();
  fs::create_directories(ProfileSettings.BackupRestoreLocation);
  w.StartFind("north");
  int seen = 0;
  ASSERT_TRUE(w.NextHit(seen));
  ASSERT_TRUE(w.Find->FindRunning);
  TGoAhead answers;
  PackAndReindexTables(w.Main);
  EXPECT_FALSE(answers.SawInUse()) << Joined(answers.Seen);
  EXPECT_FALSE(w.Find->FindRunning);
  EXPECT_FALSE(w.Find->GetVisible());
}

// The lines of the selection dialog's journal list.
std::vector<String> ListedJournals(TDlgRecordSelection* d) {
  std::vector<String> out;
  for (int i = 0; i < d->lbJournals->Items().Count(); ++i) out.push_back(d->lbJournals->Items()[i]);
  return out;
}

TEST(FindAndJournalChanges, TheSelectionFollowsNewRenamedAndDeletedJournals) {
  TFindReportWorld w;
  w.Main->SetScreenMode(smOpen);
  w.OpenWindow("Alpha", 0);
  const Integer gone = w.Journal("Gone");
  // The find window made its selection once already.
  ActionGlobalFindExecute();
  w.Find->Close();
  EXPECT_EQ(ListedJournals(w.Selection.get()), (std::vector<String>{"Alpha", "Gone"}));

  // A journal made in this run, with text saved in it, is found.
  NewJournal("Northern", 0, true);
  ASSERT_TRUE(CurrentJournal && CurrentJournal->JournalName == "Northern");
  TMainJournalWorld::TypeAtEnd(CurrentJournal, "north by northwest");
  ASSERT_TRUE(SaveEntry(CurrentJournal, smAuto));
  w.StartFind("north");
  int seen = 0;
  EXPECT_TRUE(w.NextHit(seen)) << w.FindStatus();
  w.Find->Close();
  EXPECT_EQ(ListedJournals(w.Selection.get()), (std::vector<String>{"Alpha", "Gone", "Northern"}));

  // Renamed and deleted in the table, then loaded again as Manage Journals
  // does when it closes.
  {
    TQuery q;
    BindToDatabase(q);
    q.SQL.Add("UPDATE Journals SET JournalName = 'Beta' WHERE JournalName = 'Alpha'");
    q.ExecSQL();
    TQuery d;
    BindToDatabase(d);
    d.SQL.Add("DELETE FROM Journals WHERE JournalID = :bID");
    d.ParamByName("bID").SetAsInteger(gone);
    d.ExecSQL();
  }
  UnloadJournals();
  LoadJournals();
  // The report's dialog shows the journals as they are now.
  std::vector<String> listed;
  {
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      listed = ListedJournals(static_cast<TDlgRecordSelection*>(r.Form));
      return static_cast<int>(mrCancel);
    });
    for (int i = 0; i < 3; ++i) script.Answer(IDOK);
    TQuery q;
    BindToDatabase(q);
    w.Selection->TargetQuery = &q;
    w.Selection->ShowModal();
    w.Selection->TargetQuery = nullptr;
  }
  EXPECT_EQ(listed, (std::vector<String>{"Beta", "Northern"}));
}

}  // namespace
