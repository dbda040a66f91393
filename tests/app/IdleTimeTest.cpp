// The idle time of the main window's timer around dialogs: a modal dialog
// the user works in is activity while it is up, and closing it starts the
// idle time anew, so the journal is not hidden and locked the moment it goes.
#include "MainWindowJournalSupport.h"

#include "app/QYAbout.h"
#include "app/QYAutoSave.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Mouse.h"

#include <QCursor>

#include <gtest/gtest.h>

#include <functional>

namespace {

using qytest::TMainJournalWorld;

constexpr double Minute = 1.0 / (24.0 * 60.0);

struct TIdleWorld : TMainJournalWorld {
  TIdleWorld() {
    ProfileSettings.AutoHideOn = ProfileSettings.AutoLockOn = true;
    ProfileSettings.AutoHideInterval = 1;
    ProfileSettings.AutoLockInterval = 2;
    ProfileSettings.AutoHideMinimize = ProfileSettings.AutoLockMinimize = false;
    TimerPaused = false;
  }
  ~TIdleWorld() { ProfileSettings.AutoHideOn = ProfileSettings.AutoLockOn = false; }
};

TEST(IdleTime, ClosingAModalDialogStartsTheIdleTimeAnew) {
  const struct {
    const char* What;
    std::function<void(TIdleWorld&)> Show;
  } dialogs[] = {
      {"the about box", [](TIdleWorld& w) { w.Main->ActionAbout->Execute(); }},
      {"a formatting dialog",
       [](TIdleWorld& w) {
         TForm dialog(w.Main);
         dialog.SetCaption("Paragraph");
         dialog.ShowModal();
       }},
  };
  for (const auto& d : dialogs) {
    TIdleWorld w;
    TOpenJournal* j = w.OpenWindow("Diary", 0);
    TMainJournalWorld::TypeAtEnd(j, "written before the box: café");
    ASSERT_NE(AutomaticSaveTimer, nullptr);
    // Idle for two and a half minutes before the dialog, and then in it.
    LastActivityTime = Now() - 2.5 * Minute;
    TInteractionScript script;
    bool hiddenInside = true;
    script.Do([&](TInteraction&) {
      LastActivityTime = Now() - 2.5 * Minute;
      AutomaticSaveTimer->Fire();
      hiddenInside = ScreenMode != smOpen;
      return static_cast<int>(mrOk);
    });
    d.Show(w);
    EXPECT_FALSE(hiddenInside) << d.What;
    // The tick right after the close: neither hidden nor locked.
    AutomaticSaveTimer->Fire();
    EXPECT_EQ(ScreenMode, smOpen) << d.What;
    EXPECT_TRUE(JournalsLoaded) << d.What;
    EXPECT_EQ(w.Main->StatusText(spCountdown), "hide:1 m  lock:2 m  ") << d.What;
    EXPECT_LT(Now() - LastActivityTime, Minute / 6) << d.What;
  }
}

// Hide at one minute, lock at two: the lock comes two minutes after the
// last activity, not two after the hide. The cover appearing under the
// resting pointer sends a move, which is not the user's.
TEST(IdleTime, TheLockComesAtItsOwnMinuteAfterTheHide) {
  TIdleWorld w;
  TOpenJournal* j = w.OpenWindow("Diary", 0);
  TMainJournalWorld::TypeAtEnd(j, "left alone: Łódź");
  w.Main->Show();
  PointerActivity();
  const TPoint at = GetCursorPos();
  // The pointer went on to a tool bar, whose moves the timer does not see.
  QCursor::setPos(at.X + 40, at.Y + 30);
  if (GetCursorPos().X == -1 || GetCursorPos().X == at.X) GTEST_SKIP() << "no pointer to move here";
  const TDateTime last = Now() - 1.05 * Minute;
  LastActivityTime = last;
  AutomaticSaveTimer->Fire();
  ASSERT_EQ(ScreenMode, smCover);
  ASSERT_TRUE(JournalsLoaded);
  const TPoint rest = GetCursorPos();
  const TPoint local = w.Main->ScreenToClient(rest);
  w.Main->OnMouseMove(w.Main, TShiftState(), local.X, local.Y);
  EXPECT_EQ(LastActivityTime, last);
  // A minute later by the idle time: locked.
  LastActivityTime = last - 1.0 * Minute;
  AutomaticSaveTimer->Fire();
  EXPECT_FALSE(JournalsLoaded);
  EXPECT_EQ(w.Main->StatusText(spState), "autolock");
  // A pointer that really moves over the cover is the user's.
  QCursor::setPos(rest.X + 25, rest.Y + 15);
  w.Main->OnMouseMove(w.Main, TShiftState(), local.X + 25, local.Y + 15);
  EXPECT_GT(LastActivityTime, last);
}

}  // namespace
