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

// Cancel at the question, or a refusal before the files are touched: the
// journals stay open (or open again) with their text and password.
TEST(RestoreCommand, CancelOrARefusalLeavesTheJournalsOpen) {
  const struct {
    const char* Name;
    bool FolderExists;
    int Answer;            // to the question
    const char* Message;   // the second message, "" for none
  } cases[] = {
      {"cancel at the question", true, IDCANCEL, ""},
      {"no folder to restore from", false, IDOK, "does not exist"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TMainJournalWorld w;
    TOpenJournal* journal = w.OpenWindow("Łódź notes", 0);
    TMainJournalWorld::TypeAtEnd(journal, "café, not saved yet");
    const String backup = w.Root.str() + "/backup";
    if (c.FolderExists) fs::create_directories(backup);
    ProfileSettings.BackupRestoreLocation = backup;
    QuillorySession().AddPassword("held-Łódź");
    JournalPassword = "held-Łódź";
    TInteractionScript script;
    script.Answer(c.Answer);
    if (*c.Message) script.Answer(IDOK);
    ActionRestoreExecute(w.Main);
    ASSERT_EQ(script.Shown.size(), *c.Message ? 2u : 1u);
    EXPECT_EQ(script.Shown[0].Text, RestoreQuestion);
    if (*c.Message) {
      EXPECT_NE(script.Shown[1].Text.find(c.Message), String::npos) << script.Shown[1].Text;
    }
    EXPECT_EQ(script.Unexpected, 0);
    EXPECT_TRUE(JournalsLoaded);
    EXPECT_EQ(ScreenMode, smOpen);
    ASSERT_NE(CurrentJournal, nullptr);
    TOpenJournal* now = CurrentJournal;
    EXPECT_EQ(now->JournalName, "Łódź notes");
    EXPECT_NE(now->Document->Text().find("café, not saved yet"), String::npos);
    EXPECT_TRUE(QuillorySession().HasPassword("held-Łódź"));
    EXPECT_EQ(JournalPassword, "held-Łódź");
    EXPECT_FALSE(fs::exists(RestoreStagingOf(w.DataDir())));
    now->Document->Modified = false;
    QuillorySession().RemoveAllPasswords();
    WipeString(JournalPassword);
  }
}

}  // namespace
