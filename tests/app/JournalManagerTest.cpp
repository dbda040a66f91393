// The manage-journals window over real files: renames and hidden journals
// show at the next open, a deleted journal takes its entries with it (or,
// when the delete fails, keeps them), and the backup date feeds the reminder.
#include "MainWindowJournalSupport.h"

#include "app/QYBackup.h"
#include "app/QYJournalManager.h"
#include "platform/gui/ControlsPrivate.h"
#include "richtext/model/VLStyle.h"
#include "richtext/model/VLStyleIni.h"

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

using qytest::TMainJournalWorld;

struct TManagerWorld : TMainJournalWorld {
  // The window of the command, the journals closed.
  TformJournalManager* Manage() {
    TInteractionScript script;
    TformJournalManager* window = ActionJournalManagerExecute(Main);
    EXPECT_TRUE(script.Shown.empty());
    return window;
  }

  int RowOf(TformJournalManager* m, Integer id) {
    for (int r = 0; r < m->JournalManagerGrid->RowCount(); ++r)
      if (m->JournalManagerGrid->Cell(jmcID, r) == IntToStr(id)) return r;
    return -1;
  }

  std::vector<String> OpenNames() {
    std::vector<String> names;
    for (TOpenJournal* j = FirstJournal; j; j = j->Next) names.push_back(j->JournalName);
    std::sort(names.begin(), names.end());
    return names;
  }

  void AddEntries(Integer id, int count) {
    for (int d = 0; d < count; ++d)
      Exec("INSERT INTO Quillory (JournalID, JournalDate, JournalText, Editor) VALUES (" + IntToStr(id) + ", " +
           IntToStr(45000 + d) + ", 'text', 'VLF')");
  }
};

TEST(JournalManager, RenamedAndHiddenJournalsShowAtTheNextOpen) {
  TManagerWorld w;
  const Integer diary = w.OpenWindow("Diary", 0)->JournalID;
  const Integer ideas = w.OpenWindow("Ideas", 1)->JournalID;
  const Integer work = w.OpenWindow("Work", 0)->JournalID;
  TformJournalManager* m = w.Manage();
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(FirstJournal, nullptr);  // every journal closed meanwhile
  EXPECT_EQ(w.Main->StatusText(spState), "managing journals");
  ASSERT_EQ(m->JournalManagerGrid->RowCount(), 3);
  EXPECT_EQ(m->JournalManagerGrid->Cell(jmcType, w.RowOf(m, ideas)), "Topic");
  EXPECT_TRUE(m->JournalManagerGrid->Checked(jmcShow, w.RowOf(m, work)));

  m->JournalManagerGrid->EditCell(jmcName, w.RowOf(m, diary), "Daybook");
  m->JournalManagerGrid->ToggleCell(jmcShow, w.RowOf(m, work));
  {
    // A journal cannot lose its name.
    TInteractionScript script;
    script.Answer(IDOK);
    m->JournalManagerGrid->EditCell(jmcName, w.RowOf(m, ideas), "  ");
    ASSERT_EQ(script.Shown.size(), 1u);
    EXPECT_EQ(script.Shown[0].Text, "A journal needs a name.");
    EXPECT_EQ(m->JournalManagerGrid->Cell(jmcName, w.RowOf(m, ideas)), "Ideas");
  }
  m->pbOkClick(m);
  Application->ProcessMessages();
  EXPECT_EQ(w.OpenNames(), (std::vector<String>{"Daybook", "Ideas"}));
  EXPECT_EQ(w.Main->StatusText(spState).find("managing"), String::npos);
  // And again after the journal is closed and opened anew.
  UnloadJournals();
  LoadJournals();
  EXPECT_EQ(w.OpenNames(), (std::vector<String>{"Daybook", "Ideas"}));
  EXPECT_EQ(w.Count("SELECT count(*) FROM Journals WHERE JournalActive = FALSE"), 1);
}

// OK, the window's close and Escape alike; meanwhile nothing of the main
// window offers a change to an entry, the style boxes neither.
TEST(JournalManager, ClosingTheWindowAnyWayOpensTheJournalsAgain) {
  TManagerWorld w;
  w.OpenWindow("Diary", 0);
  w.Main->Show();
  Application->ProcessMessages();
  const struct {
    const char* Name;
    std::function<void(TformJournalManager*)> Close;
  } ways[] = {
      {"OK", [](TformJournalManager* m) { m->pbOkClick(m); }},
      {"close", [](TformJournalManager* m) { m->Close(); }},
      // Where the keyboard is as the window opens.
      {"Escape", [](TformJournalManager* m) {
         Application->ProcessMessages();
         QWidget* keys = QApplication::focusWidget();
         ASSERT_NE(keys, nullptr);
         ASSERT_EQ(keys->window(), WidgetOf(m)->window()) << "the keyboard is not in the window";
         ASSERT_TRUE(WidgetOf(m)->isAncestorOf(keys)) << "the keyboard is not in the window";
         QTest::keyClick(keys, Qt::Key_Escape);
       }},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.Name);
    TformJournalManager* m = w.Manage();
    ASSERT_NE(m, nullptr);
    EXPECT_FALSE(w.Main->ActionSave->GetEnabled());
    for (TControl* box : {static_cast<TControl*>(w.Main->cbTextStyles), static_cast<TControl*>(w.Main->cbParagraphStyles),
                          static_cast<TControl*>(w.Main->tbFontName), static_cast<TControl*>(w.Main->tbFontSize)})
      EXPECT_FALSE(box->GetEnabled()) << box->GetName();
    way.Close(m);
    Application->ProcessMessages();
    EXPECT_EQ(w.OpenNames(), std::vector<String>{"Diary"});
    EXPECT_TRUE(w.Main->ActionSave->GetEnabled());
    EXPECT_TRUE(w.Main->cbTextStyles->GetEnabled());
    EXPECT_TRUE(w.Main->cbParagraphStyles->GetEnabled());
  }
}

TEST(JournalManager, AddedJournalsAreShownDailyJournalsWithTheNextNumbers) {
  TManagerWorld w;
  w.OpenWindow("Diary", 0);
  // Entries of a journal id 7 whose row is gone still hold their number.
  w.AddEntries(7, 1);
  TformJournalManager* m = w.Manage();
  ASSERT_TRUE(m->InsertJournalRow());
  ASSERT_TRUE(m->InsertJournalRow());
  // Each with a name of its own, as two journals of one name could not be told apart.
  EXPECT_EQ(w.Count("SELECT count(*) FROM Journals WHERE JournalID IN (9, 10) AND JournalActive = TRUE "
                    "AND JournalType = 'D' AND JournalName IN ('New Journal', 'New Journal 2')"),
            2);
  m->JournalManagerGrid->EditCell(jmcName, w.RowOf(m, 10), "Garden");
  m->pbOkClick(m);
  Application->ProcessMessages();
  EXPECT_EQ(w.OpenNames(), (std::vector<String>{"Diary", "Garden", "New Journal"}));
}

TEST(JournalManager, DeletingAJournalRemovesItsEntriesInOneStep) {
  const struct {
    const char* What;
    int Answer;
    bool FailJournalRow;  // the journal row's delete fails after the entries'
    bool Gone;
  } cases[] = {
      {"confirmed", IDYES, false, true},
      {"declined", IDNO, false, false},
      {"failed half-way", IDYES, true, false},
  };
  for (const auto& c : cases) {
    TManagerWorld w;
    const Integer diary = w.OpenWindow("Diary", 0)->JournalID;
    const Integer other = w.OpenWindow("Other", 0)->JournalID;
    UnloadJournals();
    w.AddEntries(diary, 5);
    w.AddEntries(other, 3);
    if (c.FailJournalRow)
      w.Exec("CREATE TRIGGER KeepJournals BEFORE DELETE ON Journals BEGIN SELECT RAISE(ABORT, 'kept'); END");
    LoadJournals();
    TformJournalManager* m = w.Manage();
    TInteractionScript script;
    script.Answer(c.Answer).Answer(IDOK);
    EXPECT_EQ(m->DeleteJournalRow(w.RowOf(m, diary)), c.Gone) << c.What;
    EXPECT_NE(script.Shown[0].Text.find("Delete the journal \"Diary\" and every entry"), String::npos);
    if (c.FailJournalRow) {
      ASSERT_EQ(script.Shown.size(), 2u);
      EXPECT_EQ(script.Shown[1].Caption, "Error Display");
      EXPECT_EQ(script.Shown[1].Text.rfind("Delete Journals", 0), 0u);
    }
    const String id = IntToStr(diary);
    EXPECT_EQ(w.Count("SELECT count(*) FROM Quillory WHERE JournalID = " + id), c.Gone ? 0 : 5) << c.What;
    EXPECT_EQ(w.Count("SELECT count(*) FROM Journals WHERE JournalID = " + id), c.Gone ? 0 : 1) << c.What;
    EXPECT_EQ(w.Count("SELECT count(*) FROM Quillory WHERE JournalID = " + IntToStr(other)), 3) << c.What;
    EXPECT_EQ(w.RowOf(m, diary) < 0, c.Gone) << c.What;
    m->pbOkClick(m);
    Application->ProcessMessages();
  }
}

TEST(JournalManager, ABackupWritesTheDateTheOpenRemindsFrom) {
  TManagerWorld w;
  w.OpenWindow("Diary", 0);
  const String backup = w.Root.str() + "/backup";
  std::filesystem::create_directories(backup);
  ProfileSettings.BackupRestoreLocation = backup;
  ProfileSettings.BackupReminder = true;
  ProfileSettings.BackupReminderInterval = 30;
  ProfileSettings.PasswordChangeReminder = false;
  const struct {
    const char* What;
    double Age;    // days since the recorded backup; < 0: a backup now
    bool Reminded;
  } cases[] = {
      {"older than the setting", 31, true},
      {"within the setting", 29, false},
      {"just backed up", -1, false},
  };
  for (const auto& c : cases) {
    if (c.Age >= 0) {
      SetProfileValue("LastBackupDate", pvDateTime, Now() - c.Age);
    } else {
      TInteractionScript script;
      script.Answer(IDOK);
      ActionBackupExecute(w.Main);
      ASSERT_EQ(script.Shown.size(), 1u);
      EXPECT_EQ(script.Shown[0].Text, "Backed up successfully to " + backup);
    }
    UnloadJournals();
    w.Main->SetScreenMode(smCover);
    TInteractionScript script;
    script.Answer(IDOK);
    w.Main->pbOpenQuilloryClick(nullptr);
    EXPECT_EQ(script.Shown.size() == 1 && script.Shown[0].Caption == "Backup Reminder", c.Reminded) << c.What;
  }
}

// The restore command ends locked, on the cover, with the settings and the
// default styles of the restored database.
TEST(JournalManager, RestoreCommandLocksAndBringsBackSettingsAndStyles) {
  TManagerWorld w;
  w.OpenWindow("Diary", 0);
  const String backup = w.Root.str() + "/backup";
  std::filesystem::create_directories(backup);
  ProfileSettings.BackupRestoreLocation = backup;
  ProfileSettings.UserName = "Before";
  SaveProfile();
  TVLStyle& sheet = *w.Main->QuilloryDefaultStyle;
  sheet.TextStyles->Add()->StyleName = "Backed Up Style";
  VLStyleSaveINI(sheet, StyleFilePath, VLStyleSectionName);
  {
    TInteractionScript script;
    script.Answer(IDOK);
    ActionBackupExecute(w.Main);
  }
  ASSERT_TRUE(JournalsLoaded);
  sheet.TextStyles->Delete(sheet.TextStyles->Count() - 1);
  VLStyleSaveINI(sheet, StyleFilePath, VLStyleSectionName);
  ProfileSettings.UserName = "After";
  SaveProfile();
  QuillorySession().AddPassword("held");
  TInteractionScript script;
  script.Answer(IDOK).Answer(IDOK);  // the question, the report
  ActionRestoreExecute(w.Main);
  ASSERT_EQ(script.Shown.size(), 2u);
  EXPECT_EQ(script.Shown[1].Text, "Restored successfully to " + w.DataDir());
  EXPECT_EQ(ProfileSettings.UserName, "Before");
  EXPECT_EQ(ScreenMode, smCover);
  EXPECT_FALSE(JournalsLoaded);
  EXPECT_FALSE(QuillorySession().HasPassword("held"));
  EXPECT_EQ(sheet.TextStyles->Items(sheet.TextStyles->Count() - 1)->StyleName, "Backed Up Style");
}

}  // namespace
