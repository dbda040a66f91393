// The editing commands work on the current journal's entry wherever the
// focus is: after a click in the entry tree or the calendar, Save a Copy,
// Undo and the Format menu act on the entry; they follow the journal made
// current, and on the cover or without a journal they act on nothing.
#include "FindReportSupport.h"

#include "actions/VLActions.h"
#include "app/QYEntryTree.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/ControlsPrivate.h"
#include "richtext/model/VLStyle.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

using namespace qytest;

namespace {

TCustomAction* Command(TformQuilloryMain* main, const char* name) {
  auto* a = dynamic_cast<TCustomAction*>(main->FindComponent(name));
  if (!a) throw Exception(String("no command ") + name);
  return a;
}

// The state the menus show once the idle update has asked every command.
void IdleUpdate(TformQuilloryMain* main) {
  Application->ProcessMessages();
  main->ActionList->UpdateActions();
}

const char* const EntryCommands[] = {"vlActionExport", "vlActionUndo", "vlActionFontBold", "vlActionFontEx",
                                     "vlActionParagraph", "vlActionSelectAll", "vlActionAlignCenter",
                                     "vlActionInsertPicture"};

class EditingCommandTarget : public testing::Test {
protected:
  void SetUp() override {
    ProfileSettings.AutoHideMinimize = ProfileSettings.AutoLockMinimize = false;
    W.Main->Show();
    QApplication::setActiveWindow(WidgetOf(W.Main)->window());
  }
  // Typed into the entry, then the focus taken away by a click on Where.
  void TypeThenClick(TOpenJournal* j, TWinControl* where) {
    j->EditorWindow->FocusEditor();
    TMainJournalWorld::TypeAtEnd(j, "north wind");
    QApplication::setActiveWindow(WidgetOf(W.Main)->window());
    QTest::mouseClick(WidgetOf(where), Qt::LeftButton, {}, QPoint(5, 5));
    // A focus change the window's opening left queued can still arrive on a
    // loaded machine: the click's focus is taken again until it holds.
    for (int i = 0; i < 100; ++i) {
      where->SetFocus();
      Application->ProcessMessages();
      QTest::qWait(5);
      if (!j->EditorWindow->EditorFocused()) break;
    }
    ASSERT_FALSE(j->EditorWindow->EditorFocused());
  }
  TFindReportWorld W;
};

TEST_F(EditingCommandTarget, AfterAClickInTheTreeOrCalendarTheCommandsActOnTheEntry) {
  for (TWinControl* where : {static_cast<TWinControl*>(W.Main->tEntryTree),
                             static_cast<TWinControl*>(W.Main->MonthCalendar)}) {
    SCOPED_TRACE(where->GetName());
    TOpenJournal* j = W.OpenWindow("Diary " + where->GetName(), 0);
    TypeThenClick(j, where);
    IdleUpdate(W.Main);
    for (const char* name : EntryCommands) EXPECT_TRUE(Command(W.Main, name)->GetEnabled()) << name;

    // Bold on the whole entry, and Undo takes it back, with the focus still away.
    TVellumEdit* e = TMainJournalWorld::Editor(j);
    ASSERT_TRUE(Command(W.Main, "vlActionSelectAll")->Execute());
    ASSERT_TRUE(Command(W.Main, "vlActionFontBold")->Execute());
    TVLStyle& sheet = *j->EditorWindow->QuilloryStyle;
    const Integer last = e->ItemCount() - 1;
    EXPECT_TRUE(sheet.TextStyles->Items(e->VLData()->GetItemStyle(last))->Style.Contains(fsBold));
    ASSERT_TRUE(Command(W.Main, "vlActionUndo")->Execute());
    EXPECT_FALSE(sheet.TextStyles->Items(e->VLData()->GetItemStyle(last))->Style.Contains(fsBold));
    EXPECT_NE(j->Document->Text().find("north wind"), String::npos);

    // Save a Copy asks where to write this entry.
    TInteractionScript script;
    script.Answer(mrCancel);
    EXPECT_TRUE(Command(W.Main, "vlActionExport")->Execute());
    ASSERT_EQ(script.Shown.size(), 1u);
    EXPECT_EQ(script.Shown[0].Kind, TInteractionKind::SaveDialog);
    EXPECT_EQ(script.Shown[0].FileName.rfind("Diary " + where->GetName(), 0), 0u) << script.Shown[0].FileName;
  }
}

TEST_F(EditingCommandTarget, TheCommandsFollowTheJournalMadeCurrent) {
  TOpenJournal* first = W.OpenWindow("First", 0);
  TOpenJournal* second = W.OpenWindow("Second", 0);
  ASSERT_EQ(GetDefaultActionControl(), TMainJournalWorld::Editor(second));
  // Chosen in the tree: the first journal's entry is what the commands work on.
  ASSERT_TRUE(OnEntryTreeOpenEntry);
  OnEntryTreeOpenEntry(first->JournalID, first->EntryDate);
  ASSERT_EQ(CurrentJournal, first);
  EXPECT_EQ(GetDefaultActionControl(), TMainJournalWorld::Editor(first));
  second->EditorWindow->FormActivate(second->EditorWindow);
  EXPECT_EQ(GetDefaultActionControl(), TMainJournalWorld::Editor(second));

  // A closed window is nobody's target; the one left takes over.
  second->EditorWindow->Close();
  Application->ProcessMessages();
  EXPECT_EQ(GetDefaultActionControl(), TMainJournalWorld::Editor(CurrentJournal));
}

TEST_F(EditingCommandTarget, OnTheCoverAndWithoutAJournalTheCommandsActOnNothing) {
  struct TCase {
    const char* Name;
    std::function<void(TFindReportWorld&)> Leave;
    bool Cover;
  };
  const std::vector<TCase> cases = {
      {"hidden", [](TFindReportWorld& w) { w.Main->ActionHideExecute(w.Main); }, true},
      {"locked",
       [](TFindReportWorld& w) {
         TInteractionScript script;
         for (int i = 0; i < 5; ++i) script.Answer(IDOK);
         w.Main->ActionLockExecute(w.Main);
       },
       true},
      {"closed", [](TFindReportWorld&) { CurrentJournal->EditorWindow->Close(); }, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TOpenJournal* j = W.OpenWindow(String("Diary ") + c.Name, 0);
    TypeThenClick(j, W.Main->tEntryTree);
    c.Leave(W);
    Application->ProcessMessages();
    EXPECT_EQ(GetDefaultActionControl(), nullptr);
    IdleUpdate(W.Main);
    for (const char* name : EntryCommands) EXPECT_FALSE(Command(W.Main, name)->GetEnabled()) << name;
    if (!c.Cover) continue;
    // Opened again from the cover, the current journal's entry is the target
    // once more, also when the journals load anew.
    {
      TInteractionScript script;
      for (int i = 0; i < 5; ++i) script.Answer(IDOK);
      W.Main->pbOpenQuilloryClick(nullptr);
    }
    ASSERT_EQ(ScreenMode, smOpen);
    ASSERT_NE(CurrentJournal, nullptr);
    EXPECT_EQ(GetDefaultActionControl(), TMainJournalWorld::Editor(CurrentJournal));
    IdleUpdate(W.Main);
    EXPECT_TRUE(Command(W.Main, "vlActionExport")->GetEnabled());
    while (CurrentJournal && CurrentJournal->EditorWindow) {
      CurrentJournal->EditorWindow->Close();
      Application->ProcessMessages();
    }
    JournalsLoaded = true;
  }
}

}  // namespace
