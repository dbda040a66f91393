// Lock and hide of an open, protected journal through the main window: a lock
// takes the entry and the password from memory and only the password brings
// them back; a hide keeps both.
#include "DatabaseTestSupport.h"
#include "JournalTestSupport.h"

#include "app/QYJournals.h"
#include "app/QYMain.h"
#include "app/QYPassword.h"
#include "app/QYStartup.h"
#include "platform/db/DBPassword.h"
#include "platform/gui/Forms.h"

#include <gtest/gtest.h>

namespace {

const String kPassword = "Lock;Key-9";
const String kEntry = "Under lock and key";

class LockTest : public testing::Test {
protected:
  void SetUp() override {
    SetMainWindowDatabaseFolders(World.Folders);
    {
      TInteractionScript script;
      script.Answer(IDOK);
      Main = Application->CreateForm<TformQuilloryMain>();
    }
    Password = std::make_unique<TPasswordDlg>(nullptr);
    ProfileSettings.DatabaseVersion = CurrentDatabaseVersion;
    ProfileSettings.ProtectPriorEntries = false;
    ProfileSettings.AutoLockMinimize = false;
    ProfileSettings.AutoHideMinimize = false;
    RegisterDocumentFormats();
    RegisterJournalHooks();
    // A journal with today's entry, then protected.
    Integer id = 0;
    ASSERT_TRUE(InsertJournal("Diary", 0, id));
    TOpenJournal* j = FindOrOpenJournal(id);
    qytest::TJournalWorld::Type(j, kEntry);
    ASSERT_TRUE(SaveEntry(j, smExplicit));
    JournalsLoaded = true;
    UnloadJournals();
    RestructureTablePassword("", kPassword, "QUILLORY");
    QuillorySession().RemoveAllPasswords();
  }
  void TearDown() override {
    JournalsLoaded = true;
    UnloadJournals();
    Password.reset();
    delete Main;
    Application->MainForm = nullptr;
    Application->OnException = nullptr;
    SetMainWindowDatabaseFolders(std::nullopt);
    AppHooks() = {};
    QuillorySession().RemoveAllPasswords();
  }
  // Presses Open and answers the password dialog with each text in turn
  // (a mismatch box follows every wrong one); cancels after the last.
  void Open(const std::vector<String>& typed, bool cancelAtEnd) {
    TInteractionScript script;
    for (size_t i = 0; i < typed.size(); ++i) {
      script.Do([text = typed[i]](TInteraction& r) {
        auto* dlg = static_cast<TPasswordDlg*>(r.Form);
        dlg->FormShow(dlg);
        dlg->ePassword->SetText(text);
        dlg->OKBtn->Click();
        return static_cast<int>(dlg->ModalResult);
      });
      if (i + 1 < typed.size() || cancelAtEnd) script.Answer(IDOK);
    }
    if (cancelAtEnd) script.Answer(mrCancel);
    Main->pbOpenQuilloryClick(nullptr);
  }
  static String ShownEntry() { return CurrentJournal ? CurrentJournal->Document->Text() : String(); }

  qytest::TDatabaseWorld World;
  TformQuilloryMain* Main = nullptr;
  std::unique_ptr<TPasswordDlg> Password;
};

TEST_F(LockTest, LockForgetsEntryAndPasswordAndOnlyThePasswordBringsThemBack) {
  Open({kPassword}, false);
  ASSERT_EQ(ScreenMode, smOpen);
  EXPECT_EQ(ShownEntry(), kEntry);

  struct Step {
    const char* what;
    std::function<void()> act;
    bool open;
  };
  const Step steps[] = {
      {"lock", [this] { Main->ActionLock->Execute(); }, false},
      // A second start of the program restores the window, not the journal.
      {"restore", [] { RestoreRunningInstance(); }, false},
      {"cancelled dialog", [this] { Open({}, true); }, false},
      {"wrong password", [this] { Open({"lock;key-9"}, true); }, false},
      {"right password", [this] { Open({kPassword}, false); }, true},
      // A hide keeps the journal loaded and the password known.
      {"hide", [this] { Main->ActionHide->Execute(); }, false},
      {"open after hide", [this] { Open({}, false); }, true},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    s.act();
    EXPECT_EQ(ScreenMode, s.open ? smOpen : smCover);
    EXPECT_TRUE(Main->pCoverBitmap->GetVisible() != s.open);
    const bool hidden = String(s.what) == "hide";
    const bool known = s.open || hidden;
    EXPECT_EQ(JournalsLoaded, known);
    EXPECT_EQ(ShownEntry(), known ? kEntry : String());
    EXPECT_EQ(QuillorySession().HasPassword(kPassword), known);
    EXPECT_EQ(JournalPassword, known ? kPassword : String());
    EXPECT_EQ(Password->ePassword->GetText(), "");
    if (!known) {
      // Nothing keyed stays open: the file cannot be read without the password.
      TQuery q;
      BindToDatabase(q);
      q.SQL.Add("SELECT count(*) FROM Quillory");
      EXPECT_THROW(q.Open(), EDBPasswordError);
    }
  }
}

// Exiting with an entry that cannot be saved asks first; "No" keeps the
// program open with what was typed.
TEST_F(LockTest, ExitWithAnEntryThatCannotBeSavedAsksFirst) {
  Open({kPassword}, false);
  ASSERT_EQ(ScreenMode, smOpen);
  qytest::TJournalWorld::Type(CurrentJournal, " and more");
  World.Exec("CREATE TRIGGER Injected BEFORE UPDATE ON QUILLORY"
             " WHEN (SELECT count(*) FROM Journals WHERE JournalName = 'Fail') > 0"
             " BEGIN SELECT RAISE(ABORT, 'injected'); END");
  World.Exec("INSERT INTO Journals (JournalID, JournalName) VALUES (999, 'Fail')");
  {
    TInteractionScript script;
    script.Answer(IDOK).Answer(IDNO);  // the database error, then "exit anyway?"
    Main->ActionExit->Execute();
    ASSERT_EQ(script.Shown.size(), 2u);
    EXPECT_EQ(script.Shown[1].Caption, "Entry Not Saved");
  }
  EXPECT_FALSE(Main->Closing);
  EXPECT_TRUE(JournalsLoaded);
  ASSERT_NE(CurrentJournal, nullptr);
  EXPECT_TRUE(CurrentJournal->Document->Modified);
  EXPECT_NE(ShownEntry().find("and more"), String::npos);
  World.Exec("DELETE FROM Journals WHERE JournalID = 999");
}

}  // namespace
