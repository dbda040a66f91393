// Small traps of a new user's first hour: the New Journal dialog opens empty,
// the start at log-in is asked for once (No unless the user says Yes),
// deleting an entry defaults to No, the password report needs a password,
// Pack says what it did, Manage Journals names the kinds, and Enter in the
// font-size box gives the text its focus back.
#include "FindReportSupport.h"

#include "actions/VLActionsFile.h"
#include "app/QYAddJournal.h"
#include "app/QYBackup.h"
#include "app/QYJournalManager.h"
#include "app/QYProfile.h"
#include "app/QYShortcut.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/os/Autostart.h"
#include "platform/os/SysPaths.h"
#include "platform/base/DateTime.h"
#include "platform/gui/ActnList.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

using namespace qytest;

namespace {

TEST(FirstHourTraps, TheNewJournalDialogOpensEmptyEachTime) {
  TMainJournalWorld w;
  auto dialog = std::make_unique<TdlgAddJournal>(nullptr);
  dialog->eJournalName->SetText("My Diary");
  dialog->cbJournalType->SetItemIndex(1);
  TInteractionScript script;
  String name = "unset";
  int kind = -1;
  script.Do([&](TInteraction&) {
    name = dialog->eJournalName->GetText();
    kind = dialog->cbJournalType->GetItemIndex();
    return static_cast<int>(mrCancel);
  });
  dialog->ShowModal();
  EXPECT_EQ(name, "");
  EXPECT_EQ(kind, 0);
}

TEST(FirstHourTraps, TheStartAtLogInIsAskedOnceAndNoUnlessTheUserSaysYes) {
  TJournalWorld world;
  SetMainWindowDatabaseFolders(world.Folders);
  AppHooks() = {};
  std::vector<TInteraction> asked;
  for (int start = 0; start < 2; ++start) {
    TInteractionScript script;
    for (int i = 0; i < 3; ++i)
      script.Do([&](TInteraction& r) {
        if (r.Text.find("log in") != String::npos) asked.push_back(r);
        // Enter on the question: its default.
        return (r.Buttons & MB_DEFMASK) == MB_DEFBUTTON2 ? IDNO : IDOK;
      });
    TformQuilloryMain* main = Application->CreateForm<TformQuilloryMain>();
    delete main;
    Application->MainForm = nullptr;
  }
  SetMainWindowDatabaseFolders(std::nullopt);
  AppHooks() = {};
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].Buttons & MB_TYPEMASK, MB_YESNO);
  EXPECT_EQ(asked[0].Buttons & MB_DEFMASK, MB_DEFBUTTON2);
  EXPECT_FALSE(AutostartEntryExists(StartUpShortcutName));
  EXPECT_EQ(ProfileSettings.StartUpFolder, sufNotInStartUpFolder);
}

TEST(FirstHourTraps, DeletingAnEntryAsksWithNoAsTheDefault) {
  TMainJournalWorld w;
  TOpenJournal* j = w.OpenWindow("Diary", 0);
  TMainJournalWorld::TypeAtEnd(j, "kept");
  ASSERT_TRUE(SaveEntry(j, smAuto));
  ProfileSettings.ConfirmDelete = true;
  TInteractionScript script;
  script.Answer(IDNO);
  CurrentJournal = j;
  ActionDeleteExecute();
  ASSERT_EQ(script.Shown.size(), 1u);
  EXPECT_EQ(script.Shown[0].Buttons & MB_DEFMASK, MB_DEFBUTTON2);
  EXPECT_EQ(script.Shown[0].Text.find(" ?"), String::npos);
  EXPECT_EQ(w.StoredText(j->JournalID, j->EntryDate), "kept");
}

TEST(FirstHourTraps, PackSaysWhatItDid) {
  TMainJournalWorld w;
  w.OpenWindow("Diary", 0);
  TInteractionScript script;
  for (int i = 0; i < 3; ++i) script.Answer(IDOK);
  PackAndReindexTables(w.Main);
  ASSERT_FALSE(script.Shown.empty());
  EXPECT_NE(script.Shown.back().Text.find("packed"), String::npos) << script.Shown.back().Text;
}

TEST(FirstHourTraps, EnterInTheFontSizeBoxGivesTheTextTheFocus) {
  TMainJournalWorld w;
  TOpenJournal* j = w.OpenWindow("Diary", 0);
  w.Main->Show();
  QApplication::setActiveWindow(WidgetOf(w.Main)->window());
  w.Main->tbFontSize->SetFocus();
  Application->ProcessMessages();
  ASSERT_TRUE(w.Main->tbFontSize->Focused());
  w.Main->tbFontSize->SetText("14");
  QTest::keyClick(WidgetOf(w.Main->tbFontSize), Qt::Key_Return);
  Application->ProcessMessages();
  EXPECT_TRUE(j->EditorWindow->EditorFocused());
}


TEST(FirstHourTraps, SaveACopyOffersTheJournalAndDateInDocuments) {
  TMainJournalWorld w;
  TOpenJournal* j = w.OpenWindow("Diary", 0);
  w.Main->Show();
  QApplication::setActiveWindow(WidgetOf(w.Main)->window());
  j->EditorWindow->FocusEditor();
  Application->ProcessMessages();
  auto* copy = dynamic_cast<TCustomAction*>(w.Main->FindComponent("vlActionExport"));
  ASSERT_NE(copy, nullptr);
  TInteractionScript script;
  script.Answer(mrCancel);
  copy->Execute();
  ASSERT_EQ(script.Shown.size(), 1u);
  EXPECT_EQ(script.Shown[0].Kind, TInteractionKind::SaveDialog);
  EXPECT_EQ(script.Shown[0].FileName, "Diary " + FormatDateTime("yyyy-mm-dd", j->EntryDate));
  EXPECT_EQ(script.Shown[0].InitialDir, GetDocumentsFolder());
  // A web page or book copy is titled by the entry's date, as its window.
  auto* exporter = dynamic_cast<TvlActionExport*>(copy);
  ASSERT_NE(exporter, nullptr);
  EXPECT_EQ(exporter->FileTitle, FormatDateTime(FormatSettings.LongDateFormat, j->EntryDate));
  EXPECT_NE(j->Caption.find(exporter->FileTitle), String::npos) << j->Caption;
}

}  // namespace
