// The Restore command from the main window: its question comes before the
// journals close, so that Cancel leaves everything as it was.
#include "MainWindowJournalSupport.h"

#include "app/QYBackup.h"
#include "app/QYPassword.h"
#include "platform/db/DBPassword.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using qytest::TMainJournalWorld;

TEST(RestoreCommand, CancelAtTheQuestionLeavesTheJournalsOpen) {
  TMainJournalWorld w;
  TOpenJournal* journal = w.OpenWindow("Łódź notes", 0);
  TMainJournalWorld::TypeAtEnd(journal, "café, not saved yet");
  const String backup = w.Root.str() + "/backup";
  fs::create_directories(backup);
  ProfileSettings.BackupRestoreLocation = backup;
  QuillorySession().AddPassword("held-Łódź");
  JournalPassword = "held-Łódź";
  TInteractionScript script;
  script.Answer(IDCANCEL);
  ActionRestoreExecute(w.Main);
  ASSERT_EQ(script.Shown.size(), 1u);
  EXPECT_EQ(script.Shown[0].Text, RestoreQuestion);
  EXPECT_EQ(script.Unexpected, 0);
  EXPECT_TRUE(JournalsLoaded);
  EXPECT_EQ(ScreenMode, smOpen);
  ASSERT_EQ(FirstJournal, journal);
  EXPECT_EQ(CurrentJournal, journal);
  EXPECT_NE(journal->Document->Text().find("café, not saved yet"), String::npos);
  EXPECT_TRUE(journal->Document->Modified);
  EXPECT_TRUE(QuillorySession().HasPassword("held-Łódź"));
  EXPECT_EQ(JournalPassword, "held-Łódź");
  EXPECT_FALSE(fs::exists(RestoreStagingOf(w.DataDir())));
  journal->Document->Modified = false;
  QuillorySession().RemoveAllPasswords();
  WipeString(JournalPassword);
}

}  // namespace
