#pragma once
// The main window's one timer: automatic save after the save minutes, hide
// and lock after idle minutes, and their countdowns for the status bar.
#include "platform/base/DateTime.h"
#include "platform/base/SysUtils.h"

#include <functional>

extern bool TimerPaused;
extern TDateTime LastActivityTime;
// Moment of the last load, save or delete of an entry.
extern TDateTime LastSaveTime;

void PauseTimer();
// Ends every pause and counts as activity.
void ResumeTimer();
// The pointer over a window: activity when it moved since the last call.
void PointerActivity();

// What hiding and locking do to the windows; the main window fills them.
struct TAutoTimerWindows {
  std::function<bool()> OpenScreen;            // the open screen is shown
  std::function<void()> SwitchToCover;         // screen mode 0
  std::function<void()> Minimize;              // the application
  std::function<void()> CloseFind;             // the global-find window, when visible
  std::function<void(int panel, const String& text)> StatusPanel;
};
TAutoTimerWindows& AutoTimerWindows();

// One tick at the given moment. Returns the countdown text (panel 3); a
// paused timer changes nothing and answers an empty text.
String AutomaticSaveTimerTimer(TDateTime now);
// The countdown text at the given moment; nothing is saved, hidden or
// locked (changed settings are shown without waiting for a tick).
String CountdownText(TDateTime now);
// The countdown text at its widest (all three parts, three-digit minutes,
// the save part overdue), for sizing the panel that shows it.
String WidestCountdownText();
// The hide and lock commands (automatic ones also set the state word and
// close the find window).
void HideJournal(bool automatic);
void LockJournal(bool automatic);
// Saves every entry for a lock; when one cannot be saved the journal stays
// open (the lock would drop it) and, for the command, the user is told.
bool ReadyToLock(bool automatic);

// Whole minutes between two moments, truncated toward zero.
int WholeMinutes(TDateTime from, TDateTime to);

class TformQuilloryMain;
class TTimer;
// The main window's timer (every 8 seconds), with hide, lock and the status
// bar tied to the window; owned by the window. nullptr while there is none.
TTimer* StartAutomaticSaveTimer(TformQuilloryMain* main);
extern TTimer* AutomaticSaveTimer;
