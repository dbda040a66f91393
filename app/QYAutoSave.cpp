#include "app/QYAutoSave.h"
#include "app/QYSpelling.h"

#include "app/QYDatabase.h"
#include "app/QYGlobalFind.h"
#include "app/QYJournals.h"
#include "app/QYMain.h"
#include "app/QYPassword.h"
#include "app/QYProfile.h"
#include "platform/db/DBPassword.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Messages.h"
#include "platform/gui/ModalWatch.h"
#include "platform/gui/Mouse.h"

#include <algorithm>

#include <cmath>

bool TimerPaused = false;

TAutoTimerWindows& AutoTimerWindows() {
  static TAutoTimerWindows w;
  return w;
}

void PauseTimer() { TimerPaused = true; }

void ResumeTimer() {
  TimerPaused = false;
  LastActivityTime = Now();
}

namespace {
TPoint LastPointer(-1, -1);
}  // namespace

void PointerActivity() {
  // A window appearing under a resting pointer (the cover) sends a move
  // too: only a pointer that moved is the user's.
  TPoint& last = LastPointer;
  const TPoint at = GetCursorPos();
  if (at.X == last.X && at.Y == last.Y) return;
  const bool first = last.X == -1 && last.Y == -1;
  last = at;
  if (!first) LastActivityTime = Now();
}

int WholeMinutes(TDateTime from, TDateTime to) {
  return static_cast<int>(std::trunc((to - from) * 60.0 * 24.0));
}

namespace {

bool OpenScreen() {
  const auto& w = AutoTimerWindows();
  return w.OpenScreen ? w.OpenScreen() : JournalsLoaded;
}

void Panel(int panel, const String& text) {
  if (AutoTimerWindows().StatusPanel) AutoTimerWindows().StatusPanel(panel, text);
}

void ToCover(bool automatic, bool minimize) {
  auto& w = AutoTimerWindows();
  // Where the pointer rests now is where the cover appears under it: the
  // moves that appearing sends are not the user's, or the lock would come
  // its minutes after the hide instead of after the last activity.
  if (LastPointer.X != -1 || LastPointer.Y != -1) LastPointer = GetCursorPos();
  if (automatic && w.CloseFind) w.CloseFind();
  if (w.SwitchToCover) w.SwitchToCover();
  if (minimize && w.Minimize) w.Minimize();
}

// An overdue step shows 0: it runs on this tick or, failing, on the next.
String Countdown(const char* what, int left) { return String(what) + IntToStr(std::max(0, left)) + " m  "; }

// The automatic save waits while a dialog is up (the entry may be in the
// middle of a change it makes) and while the find window reads the entries.
bool SaveHeldBack() {
  return (Application && Application->ModalShowing()) || (fGlobalFind && fGlobalFind->GetVisible());
}

}  // namespace

String WidestCountdownText() {
  return Countdown("save:", 999) + Countdown("hide:", 999) + Countdown("lock:", 999);
}

void HideJournal(bool automatic) {
  SaveEntry(CurrentJournal, smAuto);
  if (automatic) Panel(2, "autohide");
  ToCover(automatic, ProfileSettings.AutoHideMinimize);
}

bool ReadyToLock(bool automatic) {
  if (SaveJournalsBeforeClosing()) return true;
  // The timer tries again on its next tick.
  if (!automatic)
    MessageBox("An entry could not be saved, so Quillory was not locked.\r\nClosing it now would lose what "
               "was typed.",
               "Lock", MB_OK | MB_ICONEXCLAMATION);
  return false;
}

void LockJournal(bool automatic) {
  if (!ReadyToLock(automatic)) return;
  CancelSpellCheck();
  KeepCaretPlaces();
  UnloadJournals();
  // The password goes from memory: the next open asks for it again.
  QuillorySession().RemoveAllPasswords();
  WipeString(JournalPassword);
  if (automatic) Panel(2, "autolock");
  ToCover(automatic, ProfileSettings.AutoLockMinimize);
}

String CountdownText(TDateTime now) {
  const TProfileSettings& s = ProfileSettings;
  String text;
  // Shown only while there is something to save (a save that failed).
  if (s.AutoSaveOn && OpenScreen() && CurrentJournal && CurrentJournal->Document->Modified && !SaveHeldBack())
    text += Countdown("save:", s.AutoSaveInterval - WholeMinutes(LastSaveTime, now));
  const int idle = WholeMinutes(LastActivityTime, now);
  if (s.AutoHideOn && OpenScreen() && CurrentJournal) text += Countdown("hide:", s.AutoHideInterval - idle);
  if (s.AutoLockOn && JournalsLoaded && CurrentJournal) text += Countdown("lock:", s.AutoLockInterval - idle);
  return text;
}

String AutomaticSaveTimerTimer(TDateTime now) {
  // A modal dialog pauses the whole timer, as the commands' own pauses do.
  if (TimerPaused || (Application && Application->ModalShowing())) return String();
  const TProfileSettings& s = ProfileSettings;
  if (s.AutoSaveOn && OpenScreen() && CurrentJournal && CurrentJournal->Document->Modified && !SaveHeldBack() &&
      WholeMinutes(LastSaveTime, now) >= s.AutoSaveInterval)
    SaveEntry(CurrentJournal, smAuto);
  // The countdowns as they stand before a hide or lock of this tick.
  const String text = CountdownText(now);
  const int idle = WholeMinutes(LastActivityTime, now);
  if (s.AutoHideOn && OpenScreen() && CurrentJournal && idle >= s.AutoHideInterval) HideJournal(true);
  if (s.AutoLockOn && JournalsLoaded && CurrentJournal && idle >= s.AutoLockInterval) LockJournal(true);
  Panel(3, text);
  return text;
}

TTimer* AutomaticSaveTimer = nullptr;

namespace {

// Unties the window's hooks when the window (its owner) goes.
class TAutomaticSaveTimer : public TTimer {
public:
  using TTimer::TTimer;
  ~TAutomaticSaveTimer() override {
    AutoTimerWindows() = TAutoTimerWindows();
    OnEntryStateWord = nullptr;
    WatchModalChanges(nullptr);
    if (AutomaticSaveTimer == this) AutomaticSaveTimer = nullptr;
  }
};

}  // namespace

TTimer* StartAutomaticSaveTimer(TformQuilloryMain* main) {
  auto& w = AutoTimerWindows();
  w.OpenScreen = [] { return ScreenMode == smOpen; };
  w.SwitchToCover = [main] { main->SetScreenMode(smCover); };
  w.Minimize = [] { Application->Minimize(); };
  w.CloseFind = nullptr;
  w.StatusPanel = [main](int panel, const String& text) { main->SetStatusText(panel, text); };
  OnEntryStateWord = [main](const String& word) { main->SetStatusText(spState, word); };
  // A dialog the user works in is activity for as long as it is up: its
  // opening and its closing restart the idle time (the tick does nothing
  // while it is up, and would otherwise hide and lock at once after it).
  WatchModalChanges([] { LastActivityTime = Now(); });
  auto* timer = new TAutomaticSaveTimer(main);
  timer->SetInterval(8000);
  timer->OnTimer = [](TObject*) { AutomaticSaveTimerTimer(Now()); };
  AutomaticSaveTimer = timer;
  return timer;
}
