// The cover keeps the journal shut: closed at the start, hidden and locked,
// only what the cover offers (Open, Lock, Exit, Help, About) works, by menu,
// tool bar and key; the other commands come back when the journal opens.
#include "FindReportSupport.h"

#include "platform/gui/ActnList.h"
#include "platform/gui/ControlsPrivate.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <set>

using namespace qytest;

namespace {

const std::set<String> CoverCommands = {"ActionExit", "ActionLock", "HelpContents", "ActionAbout",
                                        "ActionGotoBrixaneWebSite"};

struct TCoverState {
  const char* Name;
  std::function<void(TFindReportWorld&)> Enter;
};

std::vector<TCustomAction*> Commands(TformQuilloryMain* main) {
  std::vector<TCustomAction*> out;
  for (int i = 0; i < main->ActionList->ActionCount(); ++i)
    if (auto* a = dynamic_cast<TCustomAction*>(main->ActionList->Actions(i))) out.push_back(a);
  return out;
}

TEST(CoverCommands, OnlyTheCoversCommandsWorkOnTheClosedHiddenAndLockedCover) {
  const std::vector<TCoverState> states = {
      {"closed", [](TFindReportWorld& w) { w.Main->SetScreenMode(smCover); }},
      {"hidden",
       [](TFindReportWorld& w) {
         w.OpenWindow("Diary", 0);
         w.Main->ActionHideExecute(w.Main);
       }},
      {"locked",
       [](TFindReportWorld& w) {
         w.OpenWindow("Diary", 0);
         TInteractionScript script;
         for (int i = 0; i < 5; ++i) script.Answer(IDOK);
         w.Main->ActionLockExecute(w.Main);
       }},
  };
  for (const TCoverState& state : states) {
    SCOPED_TRACE(state.Name);
    TFindReportWorld w;
    ProfileSettings.AutoHideMinimize = ProfileSettings.AutoLockMinimize = false;
    state.Enter(w);
    ASSERT_EQ(ScreenMode, smCover);
    const std::vector<TCustomAction*> commands = Commands(w.Main);
    ASSERT_GT(commands.size(), 80u);
    // Before and after the idle update, which asks each command again.
    for (int pass = 0; pass < 2; ++pass) {
      for (TCustomAction* a : commands) {
        const bool expected = CoverCommands.count(a->GetName()) > 0;
        EXPECT_EQ(a->GetEnabled(), expected) << a->GetName() << " pass " << pass;
        // Menus, tool bars and the keys follow the toolkit's action.
        EXPECT_EQ(a->Handle()->isEnabled(), expected) << a->GetName() << " pass " << pass;
      }
      Application->ProcessMessages();
      w.Main->ActionList->UpdateActions();
    }
    // Run from code or a key as it stands, the shown things stay shut.
    TInteractionScript script;
    for (const char* name : {"ActionPrintPassword", "ActionPreview", "ActionGlobalFind", "ActionSave",
                             "ActionNewJournal", "ActionToggleReadOnly", "ActionDelete"}) {
      auto* a = dynamic_cast<TCustomAction*>(w.Main->FindComponent(name));
      ASSERT_NE(a, nullptr) << name;
      EXPECT_FALSE(a->Execute()) << name;
    }
    EXPECT_TRUE(script.Shown.empty()) << script.Shown.front().Caption;
    EXPECT_FALSE(w.Find->GetVisible());
  }
}

TEST(CoverCommands, TheFindKeyOnTheHiddenCoverFindsNothingAndOpeningBringsTheCommandsBack) {
  TFindReportWorld w;
  ProfileSettings.AutoHideMinimize = false;
  w.OpenWindow("Diary", 0);
  QWidget* window = WidgetOf(w.Main)->window();
  w.Main->Show();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window, 60000));
  const std::vector<TCustomAction*> commands = Commands(w.Main);
  std::map<String, bool> open;
  for (TCustomAction* a : commands) open[a->GetName()] = a->GetEnabled();
  ASSERT_TRUE(open["ActionGlobalFind"]);

  QTest::keyClick(window, Qt::Key_H, Qt::ControlModifier);
  Application->ProcessMessages();
  ASSERT_EQ(ScreenMode, smCover);
  QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
  QTest::keyClick(target, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
  Application->ProcessMessages();
  EXPECT_FALSE(w.Find->GetVisible());

  // Back from the cover, each command is as it was before.
  w.Main->SetScreenMode(smOpen);
  for (TCustomAction* a : commands) EXPECT_EQ(a->GetEnabled(), open[a->GetName()]) << a->GetName();
}

}  // namespace
