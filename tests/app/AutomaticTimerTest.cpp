// The main window's timer in the program: opening the journal, typing, and
// the tick after the save minutes writing the entry and its state word.
#include "JournalTestSupport.h"

#include "app/QYAutoSave.h"
#include "app/QYMain.h"
#include "app/QYStartup.h"
#include "platform/gui/Messages.h"

#include <gtest/gtest.h>

namespace {

TEST(AutomaticTimer, MainWindowTickSavesTheOpenJournalsEntryAndShowsTheCountdown) {
  qytest::TJournalWorld world;
  const Integer id = world.AddJournal("Diary", 0);
  SetMainWindowDatabaseFolders(world.Folders);
  AppHooks() = {};
  RegisterJournalHooks();
  TformQuilloryMain* main = nullptr;
  {
    TInteractionScript script;
    script.Answer(IDOK);
    main = Application->CreateForm<TformQuilloryMain>();
  }
  ASSERT_NE(AutomaticSaveTimer, nullptr);
  EXPECT_EQ(AutomaticSaveTimer->GetInterval(), 8000u);
  ProfileSettings.AutoSaveOn = true;
  ProfileSettings.AutoSaveInterval = 1;
  ProfileSettings.AutoLockOn = true;
  ProfileSettings.AutoLockInterval = 10;
  ProfileSettings.BackupReminder = false;
  ProfileSettings.PasswordChangeReminder = false;
  main->pbOpenQuilloryClick(main);
  ASSERT_TRUE(JournalsLoaded);
  ASSERT_NE(CurrentJournal, nullptr);
  EXPECT_EQ(CurrentJournal->JournalID, id);
  EXPECT_EQ(main->StatusText(spState), "blank slate");

  qytest::TJournalWorld::Type(CurrentJournal, "written before the tick");
  LastSaveTime = Now() - 2.5 / (24 * 60);
  AutomaticSaveTimer->Fire();
  EXPECT_EQ(main->StatusText(spState), "auto saved");
  EXPECT_EQ(main->StatusText(spCountdown), "lock:10 m  ");
  EXPECT_EQ(world.Count("SELECT count(*) FROM Quillory"), 1);
  AutomaticSaveTimer->Fire();
  EXPECT_EQ(main->StatusText(spCountdown), "lock:10 m  ");

  delete main;
  Application->MainForm = nullptr;
  Application->OnException = nullptr;
  SetMainWindowDatabaseFolders(std::nullopt);
  AppHooks() = {};
  EXPECT_EQ(AutomaticSaveTimer, nullptr);
}

}  // namespace
