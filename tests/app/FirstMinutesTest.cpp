// A new user's first minutes: an open that finds no journal offers to make
// one, earlier days say why they are read-only and show no caret, a topic
// journal shows no date, and the home-page command says when it cannot open.
#include "MainWindowJournalSupport.h"

#include "app/QYAddJournal.h"
#include "app/QYPassword.h"
#include "platform/base/DateTime.h"
#include "platform/os/ShellOpen.h"

#include <gtest/gtest.h>

namespace {

using qytest::TMainJournalWorld;

TEST(FirstMinutes, AnOpenWithoutAnyJournalOffersTheNewJournalDialog) {
  enum TAnswer { aYes, aNo, aHasJournal };
  for (TAnswer answer : {aYes, aNo, aHasJournal}) {
    SCOPED_TRACE(answer);
    TMainJournalWorld world;
    auto dialog = std::make_unique<TdlgAddJournal>(nullptr);
    // A journal set inactive is still a journal: nothing is offered.
    if (answer == aHasJournal) world.AddJournal("Kept aside", 0, false);
    world.Main->SetScreenMode(smCover);
    TInteractionScript script;
    if (answer == aYes) {
      script.Answer(IDYES).Do([](TInteraction& r) {
        auto* dlg = static_cast<TdlgAddJournal*>(r.Form);
        dlg->eJournalName->SetText("My Diary");
        dlg->OKBtn->Click();
        return static_cast<int>(dlg->ModalResult);
      });
    } else if (answer == aNo) {
      script.Answer(IDNO);
    }
    world.Main->pbOpenQuilloryClick(nullptr);
    EXPECT_EQ(script.Unexpected, 0);
    EXPECT_EQ(ScreenMode, smOpen);
    if (answer == aHasJournal) {
      EXPECT_TRUE(script.Shown.empty());
      continue;
    }
    ASSERT_FALSE(script.Shown.empty());
    EXPECT_EQ(script.Shown[0].Caption, "Welcome to Quillory");
    EXPECT_EQ(script.Shown[0].Text, "You have no journal yet.\r\n\r\nCreate your first journal now?");
    if (answer == aYes) {
      ASSERT_EQ(script.Shown.size(), 2u);
      EXPECT_EQ(script.Shown[1].Kind, TInteractionKind::ShowModal);
      ASSERT_NE(FirstJournal, nullptr);
      EXPECT_EQ(FirstJournal->JournalName, "My Diary");
      EXPECT_EQ(world.Main->StatusText(spHint), "");
    } else {
      EXPECT_EQ(script.Shown.size(), 1u);
      EXPECT_EQ(FirstJournal, nullptr);
      // The empty window says what to do.
      EXPECT_EQ(world.Main->StatusText(spHint), "No journal yet: New Journal");
    }
  }
}

TEST(FirstMinutes, AReadOnlyDaySaysWhyAndShowsNoCaret) {
  TMainJournalWorld world;
  ProfileSettings.ProtectPriorEntries = true;
  TOpenJournal* j = world.OpenWindow("Diary", 0);
  TformQuilloryMain* m = world.Main;
  m->Show();
  j->EditorWindow->FocusEditor();
  Application->ProcessMessages();
  TVellumEdit* e = TMainJournalWorld::Editor(j);
  const struct {
    const char* Name;
    double Date;
    bool ReadOnly;
    const char* Hint;
  } cases[] = {
      {"today", std::floor(Date()), false, ""},
      {"an earlier day", std::floor(Date()) - 2,
       true, "Earlier day: read only"},
      {"back to today", std::floor(Date()), false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    LoadEntry(j, c.Date);
    Application->ProcessMessages();
    ASSERT_TRUE(e->Focused());
    EXPECT_EQ(e->GetReadOnly(), c.ReadOnly);
    EXPECT_EQ(m->StatusText(spHint), c.Hint);
    EXPECT_EQ(m->StatusText(spState), c.ReadOnly ? "locked read only" : m->StatusText(spState));
    // A caret invites typing that the page refuses.
    EXPECT_EQ(e->CaretVisible(), !c.ReadOnly);
  }
  // Toggled for writing, the caret is back and the hint goes.
  LoadEntry(j, std::floor(Date()) - 2);
  m->ActionToggleReadOnly->Execute();
  Application->ProcessMessages();
  EXPECT_FALSE(e->GetReadOnly());
  EXPECT_TRUE(e->CaretVisible());
  EXPECT_EQ(m->StatusText(spHint), "");
  ProfileSettings.ProtectPriorEntries = false;
}

TEST(FirstMinutes, ATopicJournalShowsNoDateAndLeavesTheCalendarAlone) {
  TMainJournalWorld world;
  TformQuilloryMain* m = world.Main;
  TOpenJournal* diary = world.OpenWindow("Diary", 0);
  const double day = EncodeDate(2024, 5, 17);
  LoadEntry(diary, day);
  ASSERT_EQ(std::floor(m->MonthCalendar->GetDate()), day);
  TOpenJournal* garden = world.OpenWindow("Garden", 1);
  garden->EditorWindow->BringToFront();
  CurrentJournal = garden;
  m->ShowEntryDate(garden);
  LoadEntry(garden, garden->EntryDate);
  EXPECT_TRUE(m->QuilloryDate->Blank());
  EXPECT_FALSE(m->QuilloryDate->GetEnabled());
  EXPECT_EQ(std::floor(m->MonthCalendar->GetDate()), day);
  // Back in the daily journal the picker shows its date again.
  CurrentJournal = diary;
  m->ShowEntryDate(diary);
  EXPECT_FALSE(m->QuilloryDate->Blank());
  EXPECT_TRUE(m->QuilloryDate->GetEnabled());
  EXPECT_EQ(std::floor(m->QuilloryDate->GetDate()), day);
  EXPECT_EQ(diary->EntryDate, day);
}

TEST(FirstMinutes, TheHomePageCommandSaysWhenNothingCanOpenIt) {
  TMainJournalWorld world;
  for (bool opened : {true, false}) {
    SCOPED_TRACE(opened);
    String asked;
    TUrlOpener old = SetUrlOpener([&](const String& url) {
      asked = url;
      return opened;
    });
    TInteractionScript script;
    if (!opened) script.Answer(IDOK);
    world.Main->ActionGotoBrixaneWebSite->Execute();
    SetUrlOpener(old);
    EXPECT_EQ(asked.rfind("https://", 0), 0u);
    EXPECT_EQ(script.Unexpected, 0);
    ASSERT_EQ(script.Shown.size(), opened ? 0u : 1u);
    if (!opened) {
      EXPECT_EQ(script.Shown[0].Caption, "Home Page");
      EXPECT_NE(script.Shown[0].Text.find("no web browser"), String::npos);
      EXPECT_NE(script.Shown[0].Text.find(asked.substr(0, 20)), String::npos);
    }
  }
}

}  // namespace
