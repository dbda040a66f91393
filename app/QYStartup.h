#pragma once
// The program's life: the main block (single instance, splash, the windows in
// their order, the message loop) and the steps of the shut-down.
#include "platform/base/SysUtils.h"

#include <functional>
#include <vector>

// ---------------------------------------------------------------------------
// Shut-down steps.

struct TShutdownStep {
  String Status;       // status text shown before the step runs ("" = none)
  String FailureText;  // the step's name in the error display
  std::function<void()> Run;
};

// Runs every step in order. A step that fails is reported in the error display
// under its failure text, and the following steps run all the same: a failed
// tool-bar or settings save must never keep the journals from being unloaded
// and their entries saved. showStatus (may be empty) receives each status
// text. Returns the number of steps that failed.
int RunShutdownSteps(const std::vector<TShutdownStep>& steps,
                     const std::function<void(const String&)>& showStatus = {});

// ---------------------------------------------------------------------------
// Entry and journal operations that the shut-down and the cover need, supplied
// by the units that own them once they register. Until then the hooks are
// empty and calling them does nothing.
struct TJournalHooks {
  // Saves the current journal's entry (save mode 0 explicit, 1 every other).
  std::function<void(int saveMode)> SaveCurrentEntry;
  // Saves every open journal's entry and closes its editor window.
  std::function<void()> UnloadJournals;
  // Loads the active journals and starts the entry tree (opening the journal).
  std::function<void()> LoadJournals;
  // True while journals are loaded.
  std::function<bool()> JournalsLoaded;
};
TJournalHooks& JournalHooks();

void SaveCurrentEntryHook(int saveMode);
void UnloadJournalsHook();

// ---------------------------------------------------------------------------
// The main block. Returns the process exit code.
int QuilloryMain(int argc, char** argv);
