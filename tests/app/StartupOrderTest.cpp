// The windows of the start-up: the main window is the application's, the
// others are ready for their commands.
#include "DatabaseTestSupport.h"

#include "app/QYAbout.h"
#include "app/QYActivity.h"
#include "app/QYAddJournal.h"
#include "app/QYDataModule.h"
#include "app/QYGlobalFind.h"
#include "app/QYMain.h"
#include "app/QYPassword.h"
#include "app/QYPreferences.h"
#include "app/QYPrintPreview.h"
#include "app/QYRecordSelection.h"
#include "app/QYStartup.h"

#include "platform/gui/Forms.h"

#include <gtest/gtest.h>

namespace {

class StartupOrderTest : public testing::Test {
protected:
  void SetUp() override {
    SetMainWindowDatabaseFolders(World.Folders);
    Before = Application->ComponentCount();
  }
  void TearDown() override {
    while (Application->ComponentCount() > Before) delete Application->Components(Application->ComponentCount() - 1);
    Application->MainForm = nullptr;
    Application->OnException = nullptr;
    SetMainWindowDatabaseFolders(std::nullopt);
  }
  qytest::TDatabaseWorld World;
  int Before = 0;
};

// After the start-up the main window is the application's, and the dialogs
// its commands open are made and wait hidden.
TEST_F(StartupOrderTest, TheStartUpWindowsServeTheirCommands) {
  TInteractionScript script;
  script.Answer(IDOK);
  ASSERT_TRUE(CreateStartupWindows());
  EXPECT_EQ(Application->GetTitle(), "Quillory");
  ASSERT_NE(formQuilloryMain, nullptr);
  EXPECT_EQ(Application->MainForm, formQuilloryMain);
  const TCustomForm* dialogs[] = {dlgAddJournal,    dlgChangePassword,   dlgPassword,
                                  dlgPreferences,   dlgAboutBox,         fGlobalFind,
                                  FormPrintPreview, FormPrintJournalLoadProgress, DlgRecordSelection,
                                  ActivityDisplayWindow};
  for (const TCustomForm* f : dialogs) {
    ASSERT_NE(f, nullptr);
    // Only the main window shows itself; the others wait for their commands,
    // and each title bar shows its caption whole.
    EXPECT_FALSE(f->GetVisible()) << f->GetCaption();
    if (f != FormPrintPreview) {
      EXPECT_GE(f->GetWidth(), CaptionFitWidth(f->GetCaption())) << f->GetCaption();
    }
  }
  EXPECT_NE(JournalDataModule, nullptr);
}

TEST_F(StartupOrderTest, DecliningTheNewDatabaseCreatesNothingElse) {
  TInteractionScript script;
  script.Answer(IDCANCEL);
  EXPECT_FALSE(CreateStartupWindows());
  EXPECT_EQ(Application->ComponentCount() - Before, 1);  // the main window alone
}

}  // namespace
