// The Backup command from the main window: the backup folder is checked
// before the journals close, so that a refused backup leaves the open
// entries as they are, their undo history with them.
#include "MainWindowJournalSupport.h"

#include "app/QYBackup.h"
#include "app/QYDatabase.h"
#include "richtext/editor/VLEditData.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using qytest::TMainJournalWorld;

TEST(BackupCommand, ARefusedBackupLeavesTheOpenEntriesAndTheirUndo) {
  const struct {
    const char* Name;
    const char* Folder;  // under the test's root; "" for the database folder
    const char* Shown;   // part of the one message
  } cases[] = {
      {"no such folder", "/missing", "does not exist"},
      {"a file, not a folder", "/plain-file", "it is a file, not a folder"},
      {"inside the database folder", "", "lies inside the database folder"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TMainJournalWorld w;
    qytest::WriteFileBytes((w.Root.str() + "/plain-file").c_str(), "x");
    ProfileSettings.BackupRestoreLocation = *c.Folder ? w.Root.str() + c.Folder : w.DataDir();
    TOpenJournal* journal = w.OpenWindow("Łódź notes", 0);
    TMainJournalWorld::TypeAtEnd(journal, "café, not saved yet");
    TVellumEdit* editor = TMainJournalWorld::Editor(journal);
    ASSERT_GT(editor->EditData()->UndoList->Count(), 0);

    TInteractionScript script;
    script.Answer(IDOK);
    w.Main->SetStatusText(spState, "modified");
    ActionBackupExecute(w.Main);
    // Nothing was backed up: the status says what it said before.
    EXPECT_EQ(w.Main->StatusText(spState), "modified");
    ASSERT_EQ(script.Shown.size(), 1u);
    EXPECT_NE(script.Shown[0].Text.find(c.Shown), String::npos) << script.Shown[0].Text;
    EXPECT_EQ(script.Unexpected, 0);
    // The same journal, entry and editor: never closed and opened again.
    EXPECT_TRUE(JournalsLoaded);
    ASSERT_EQ(CurrentJournal, journal);
    EXPECT_EQ(TMainJournalWorld::Editor(CurrentJournal), editor);
    EXPECT_NE(journal->Document->Text().find("café, not saved yet"), String::npos);
    EXPECT_TRUE(journal->Document->Modified);
    EXPECT_GT(editor->EditData()->UndoList->Count(), 0);
    editor->Undo();
    EXPECT_EQ(journal->Document->Text().find("café, not saved yet"), String::npos);
    journal->Document->Modified = false;
  }
}

}  // namespace
