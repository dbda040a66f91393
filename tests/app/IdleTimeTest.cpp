// The idle time of the main window's timer around dialogs: a modal dialog
// the user works in is activity while it is up, and closing it starts the
// idle time anew, so the journal is not hidden and locked the moment it goes.
#include "MainWindowJournalSupport.h"

#include "app/QYAbout.h"
#include "app/QYAutoSave.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/ExtCtrls.h"

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

}  // namespace
