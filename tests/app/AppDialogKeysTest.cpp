// The program's own dialogs by keyboard alone: each key a caption shows
// does with Alt what a click does (support/AccessKeyWalk.h), on every page.
#include "app/QYAbout.h"
#include "app/QYAddJournal.h"
#include "app/QYGlobalFind.h"
#include "app/QYPassword.h"
#include "app/QYPreferences.h"
#include "support/AccessKeyWalk.h"

#include <gtest/gtest.h>

namespace {

using namespace qytest::keywalk;

TEST(AppDialogKeys, EveryKeyShownDoesWhatAClickDoes) {
  Application->Initialize();
  const struct {
    const char* Name;
    TMakeDialog Make;
  } dialogs[] = {
      {"add journal", [] { return new TdlgAddJournal(nullptr); }},
      {"password", [] { return new TPasswordDlg(nullptr); }},
      {"change password", [] { return new TChangePasswordDlg(nullptr); }},
      {"preferences", [] { return new TdlgPreferences(nullptr); }},
      {"find in journals", [] { return new TfGlobalFind(nullptr); }},
      {"about",
       [] {
         auto* about = new TdlgAboutBox(nullptr);
         about->DoCreate();
         return about;
       }},
  };
  for (const auto& d : dialogs) {
    SCOPED_TRACE(d.Name);
    EXPECT_EQ(WalkDialog(d.Make), std::vector<std::string>{});
  }
}

}  // namespace
