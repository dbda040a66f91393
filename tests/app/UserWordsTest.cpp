// The words the user reads: commands that open a dialog say so with "...",
// buttons say "OK", window titles do not end in " Dialog", and the texts of
// the program carry none of the misspellings that once crept in, nor a
// question mark that a line break can part from its question.
#include "FindReportSupport.h"

#include "app/QYAddJournal.h"
#include "app/QYPassword.h"
#include "app/QYPreferences.h"
#include "platform/gui/StdCtrls.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace qytest;

namespace {

TEST(UserWords, CommandsThatOpenADialogEndInAnEllipsis) {
  TFindReportWorld w;
  for (TAction* a : {w.Main->ActionThesaurus, w.Main->ActionSpellSetup, w.Main->ActionJournalManager,
                     w.Main->ActionBackup, w.Main->ActionRestore, w.Main->ActionPreferences,
                     w.Main->ActionPrinterSetupDialog, w.Main->ActionGlobalFind, w.Main->ActionPreviewPagePerDay,
                     w.Main->ActionPrintPagePerDay, w.Main->ActionPreviewPageFilled, w.Main->ActionPrintPageFilled}) {
    const String caption = a->GetCaption();
    EXPECT_TRUE(caption.size() > 3 && caption.compare(caption.size() - 3, 3, "...") == 0) << caption;
  }
}

TEST(UserWords, WindowTitlesAndButtons) {
  TFindReportWorld w;
  std::unique_ptr<TForm> add(new TdlgAddJournal(nullptr));
  std::unique_ptr<TForm> password(new TPasswordDlg(nullptr));
  std::unique_ptr<TForm> change(new TChangePasswordDlg(nullptr));
  std::unique_ptr<TForm> preferences(new TdlgPreferences(nullptr));
  for (TForm* f : {add.get(), password.get(), change.get(), preferences.get(), static_cast<TForm*>(w.Find.get()),
                   static_cast<TForm*>(w.Selection.get()), static_cast<TForm*>(w.Preview.get())}) {
    const String title = f->GetCaption();
    EXPECT_FALSE(title.size() >= 7 && title.compare(title.size() - 7, 7, " Dialog") == 0) << title;
    for (int i = 0; i < f->ComponentCount(); ++i)
      if (auto* b = dynamic_cast<TButton*>(f->Components(i))) {
        EXPECT_NE(b->GetCaption(), "Ok") << title;
        EXPECT_NE(b->GetCaption(), "&Ok") << title;
      }
  }
}

TEST(UserWords, NoMisspellingOrLoneQuestionMarkInTheProgramsTexts) {
  const char* root = std::getenv("QY_SOURCE_DIR");
  if (!root) GTEST_SKIP() << "QY_SOURCE_DIR is not set";
  const std::vector<std::string> wrong = {"DATEBASE", "Statup", "Exisitng", "Verticle", "Successful To ", " ?\"", "Dabase"};
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(root) / "app")) {
    if (entry.path().extension() != ".cpp") continue;
    ++files;
    std::ifstream in(entry.path());
    std::stringstream s;
    s << in.rdbuf();
    const std::string text = s.str();
    for (const std::string& w : wrong)
      EXPECT_EQ(text.find(w), std::string::npos) << entry.path().filename() << ": " << w;
  }
  EXPECT_GT(files, 30);
}

}  // namespace
