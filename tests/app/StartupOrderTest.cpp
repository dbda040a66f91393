// The windows of the program are created in their fixed order, the main
// window first and as the application's main form.
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
#include <typeinfo>

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

TEST_F(StartupOrderTest, WindowsAreCreatedInTheirOrder) {
  TInteractionScript script;
  script.Answer(IDOK);
  ASSERT_TRUE(CreateStartupWindows());
  EXPECT_EQ(Application->GetTitle(), "Quillory");
  EXPECT_EQ(Application->MainForm, formQuilloryMain);

  const std::vector<TComponent*> expected = {
      formQuilloryMain, dlgAddJournal,     JournalDataModule, dlgChangePassword,
      dlgPassword,      dlgPreferences,    dlgAboutBox,       fGlobalFind,
      FormPrintPreview, FormPrintJournalLoadProgress, DlgRecordSelection, ActivityDisplayWindow};
  ASSERT_EQ(Application->ComponentCount() - Before, static_cast<int>(expected.size()));
  for (size_t i = 0; i < expected.size(); ++i) {
    ASSERT_NE(expected[i], nullptr) << i;
    EXPECT_EQ(Application->Components(Before + static_cast<int>(i)), expected[i]) << typeid(*expected[i]).name();
  }
  // Each window carries its caption.
  const std::pair<TCustomForm*, const char*> captions[] = {
      {formQuilloryMain, "QUILLORY"},
      {dlgAddJournal, "Add Journal"},
      {dlgChangePassword, "Change Password"},
      {dlgPassword, "Password"},
      {dlgPreferences, "Quillory Preferences"},
      {dlgAboutBox, "About Brixane Quillory"},
      {fGlobalFind, "Advanced Find"},
      {FormPrintPreview, "Quillory Print Preview"},
      {FormPrintJournalLoadProgress, "Journal Report Generation Progress"},
      {DlgRecordSelection, "Journal Entry Selection"},
      {ActivityDisplayWindow, "Activity Window"},
  };
  for (const auto& [form, caption] : captions) EXPECT_EQ(form->GetCaption(), caption);
  // Each is built wide enough for its title bar to show the caption whole.
  for (const auto& [form, caption] : captions) {
    if (form != FormPrintPreview) {
      EXPECT_GE(form->GetWidth(), CaptionFitWidth(caption)) << caption;
    }
  }
  // Only the main window shows itself; the others wait for their commands.
  for (const auto& [form, caption] : captions) {
    if (form != formQuilloryMain) {
      EXPECT_FALSE(form->GetVisible()) << caption;
    }
  }
}

TEST_F(StartupOrderTest, DecliningTheNewDatabaseCreatesNothingElse) {
  TInteractionScript script;
  script.Answer(IDCANCEL);
  EXPECT_FALSE(CreateStartupWindows());
  EXPECT_EQ(Application->ComponentCount() - Before, 1);  // the main window alone
}

}  // namespace
