#include "app/QYAutoSave.h"
#include "app/QYSpelling.h"

#include "app/QYDatabase.h"
#include "app/QYJournals.h"
#include "app/QYMain.h"
#include "app/QYPassword.h"
#include "app/QYProfile.h"
#include "platform/db/DBPassword.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Messages.h"

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
  if (automatic && w.CloseFind) w.CloseFind();
  if (w.SwitchToCover) w.SwitchToCover();
  if (minimize && w.Minimize) w.Minimize();
}

String Countdown(const char* what, int left) { return String(what) + IntToStr(left) + " m  "; }

}  // namespace

String WidestCountdownText() {
  return Countdown("save:", -999) + Countdown("hide:", 999) + Countdown("lock:", 999);
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
  UnloadJournals();
  // The password goes from memory: the next open asks for it again.
  QuillorySession().RemoveAllPasswords();
  WipeString(JournalPassword);
  if (automatic) Panel(2, "autolock");
  ToCover(automatic, ProfileSettings.AutoLockMinimize);
}

String AutomaticSaveTimerTimer(TDateTime now) {
  if (TimerPaused) return String();
  const TProfileSettings& s = ProfileSettings;
  String saveText, hideText, lockText;
  const int idle = WholeMinutes(LastActivityTime, now);
  const int sinceSave = WholeMinutes(LastSaveTime, now);
  if (s.AutoSaveOn && OpenScreen() && CurrentJournal && CurrentJournal->Document->Modified) {
    saveText = Countdown("save:", s.AutoSaveInterval - sinceSave);
    if (sinceSave >= s.AutoSaveInterval) SaveEntry(CurrentJournal, smAuto);
  }
  if (s.AutoHideOn && OpenScreen() && CurrentJournal) {
    hideText = Countdown("hide:", s.AutoHideInterval - idle);
    if (idle >= s.AutoHideInterval) HideJournal(true);
  }
  if (s.AutoLockOn && JournalsLoaded && CurrentJournal) {
    lockText = Countdown("lock:", s.AutoLockInterval - idle);
    if (idle >= s.AutoLockInterval) LockJournal(true);
  }
  const String text = saveText + hideText + lockText;
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
  auto* timer = new TAutomaticSaveTimer(main);
  timer->SetInterval(8000);
  timer->OnTimer = [](TObject*) { AutomaticSaveTimerTimer(Now()); };
  AutomaticSaveTimer = timer;
  return timer;
}
