// The Restore command from the main window: every check that can refuse the
// restore, the backup's password and the question come before the journals
// close, so that a refusal or Cancel leaves everything as it was.
#include "MainWindowJournalSupport.h"

#include "app/QYBackup.h"
#include "app/QYDatabase.h"
#include "app/QYPassword.h"
#include "app/QYProfile.h"
#include "platform/db/DBPassword.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using qytest::TMainJournalWorld;

// The password dialog answered: the text typed, then OK.
TInteractionScript::TAction TypePassword(const char* typed) {
  return [typed](TInteraction& r) {
    auto* dlg = static_cast<TPasswordDlg*>(r.Form);
    dlg->FormShow(dlg);
    dlg->ePassword->SetText(typed);
    dlg->OKBtn->Click();
    return static_cast<int>(dlg->ModalResult);
  };
}

// The status bar's state word at every box the user is shown, passed on to
// the script that answers them.
struct TStatusAtBoxes : TInteractionHook {
  explicit TStatusAtBoxes(TformQuilloryMain* main) : Main(main), Inner(SetInteractionHook(this)) {}
  ~TStatusAtBoxes() override { SetInteractionHook(Inner); }
  int Run(TInteraction& request) override {
    Status.push_back(Main->StatusText(spState));
    return Inner->Run(request);
  }
  TformQuilloryMain* Main;
  TInteractionHook* Inner;
  std::vector<String> Status;
};

// Cancel at the question or at the backup's password, or a refusal of the
// backup: the user is told the real cause once, and the journals stay open
// with their text and password; nothing is left beside the database folder.
// Nothing was under way: the status says at every box, and after them, what
// it said before.
TEST(RestoreCommand, CancelOrARefusalLeavesTheJournalsOpen) {
  enum TBackup { bNoFolder, bEmptyFolder, bBackup, bOlderPassword };
  const struct {
    const char* Name;
    TBackup Backup;
    std::function<void(TInteractionScript&)> Answers;
    // What the user is shown, in order: part of each text ("" for the
    // password dialog).
    std::vector<const char*> Shown;
  } cases[] = {
      {"cancel at the question", bBackup, [](TInteractionScript& s) { s.Answer(IDCANCEL); }, {RestoreQuestion}},
      {"no folder to restore from", bNoFolder, [](TInteractionScript& s) { s.Answer(IDOK); }, {"does not exist"}},
      {"an empty folder", bEmptyFolder, [](TInteractionScript& s) { s.Answer(IDOK); },
       {"No backup of the database was found"}},
      {"cancel at the backup's password", bOlderPassword,
       [](TInteractionScript& s) { s.Answer(mrCancel).Answer(IDOK); }, {"", "its password was not given"}},
      {"nothing typed at the backup's password", bOlderPassword,
       [](TInteractionScript& s) { s.Do(TypePassword("")).Answer(IDOK); }, {"", "its password was not given"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TMainJournalWorld w;
    TPasswordDlg dialog(nullptr);
    const String backup = w.Root.str() + "/backup";
    ProfileSettings.BackupRestoreLocation = backup;
    if (c.Backup != bNoFolder) fs::create_directories(backup);
    if (c.Backup == bOlderPassword) {
      RestructureTablePassword("", "Older-Pass-ü", "QUILLORY");
      QuillorySession().AddPassword("Older-Pass-ü");
      RecordJournalCipherSettings();
    }
    if (c.Backup == bBackup || c.Backup == bOlderPassword) {
      TInteractionScript made;
      for (int i = 0; i < 4; ++i) made.Answer(IDOK);
      ASSERT_TRUE(CopyDatabaseFiles(cdfBackup));
    }
    if (c.Backup == bOlderPassword) {
      RestructureTablePassword("Older-Pass-ü", "held-Łódź", "QUILLORY");
      QuillorySession().RemovePassword("Older-Pass-ü");
      QuillorySession().AddPassword("held-Łódź");
      RecordJournalCipherSettings();
    }
    TOpenJournal* journal = w.OpenWindow("Łódź notes", 0);
    TMainJournalWorld::TypeAtEnd(journal, "café, not saved yet");
    QuillorySession().AddPassword("held-Łódź");
    JournalPassword = "held-Łódź";
    TInteractionScript script;
    c.Answers(script);
    w.Main->SetStatusText(spState, "modified");
    {
      TStatusAtBoxes status(w.Main);
      ActionRestoreExecute(w.Main);
      EXPECT_EQ(status.Status, std::vector<String>(c.Shown.size(), "modified"));
    }
    EXPECT_EQ(w.Main->StatusText(spState), "modified");
    ASSERT_EQ(script.Shown.size(), c.Shown.size());
    for (size_t i = 0; i < c.Shown.size(); ++i)
      if (*c.Shown[i]) {
        EXPECT_NE(script.Shown[i].Text.find(c.Shown[i]), String::npos) << script.Shown[i].Text;
      } else {
        EXPECT_NE(dynamic_cast<TPasswordDlg*>(script.Shown[i].Form), nullptr) << script.Shown[i].Text;
      }
    EXPECT_EQ(script.Unexpected, 0);
    EXPECT_TRUE(JournalsLoaded);
    EXPECT_EQ(ScreenMode, smOpen);
    ASSERT_NE(CurrentJournal, nullptr);
    TOpenJournal* now = CurrentJournal;
    EXPECT_EQ(now->JournalName, "Łódź notes");
    EXPECT_NE(now->Document->Text().find("café, not saved yet"), String::npos);
    EXPECT_TRUE(QuillorySession().HasPassword("held-Łódź"));
    EXPECT_FALSE(QuillorySession().HasPassword("Older-Pass-ü"));
    EXPECT_EQ(JournalPassword, "held-Łódź");
    EXPECT_FALSE(fs::exists(RestoreStagingOf(w.DataDir())));
    now->Document->Modified = false;
    QuillorySession().RemoveAllPasswords();
    WipeString(JournalPassword);
  }
}

}  // namespace
