#pragma once
// The program's life: the main block (single instance, splash, the windows in
// their order, the message loop) and the steps of the shut-down.
#include "platform/base/SysUtils.h"
#include "platform/os/SingleInstance.h"

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
// Told before (true) and after (false) each shut-down step, with the
// step's name (its failure text without "Problem "): the exit benchmark
// times the steps with it.
extern std::function<void(const String& step, bool begins)> ShutdownStepTimed;
int RunShutdownSteps(const std::vector<TShutdownStep>& steps,
                     const std::function<void(const String&)>& showStatus = {});

// ---------------------------------------------------------------------------
// Operations that the start-up, the cover and the shut-down need from units
// that own them (entry storage, journals, tool bars), supplied when those
// units register. Until then a hook is empty and calling it does nothing.
struct TAppHooks {
  // Saves the current journal's entry (save mode 0 explicit, 1 every other).
  std::function<void(int saveMode)> SaveCurrentEntry;
  // Saves every open journal's entry and closes its editor window.
  std::function<void()> UnloadJournals;
  // Loads the active journals and starts the entry tree (opening the journal).
  std::function<void()> LoadJournals;
  // True while journals are loaded.
  std::function<bool()> JournalsLoaded;
  // Writes / reads the tool bar and menu layout file.
  std::function<void(const String& fileName)> SaveToolBarLayout;
  std::function<void(const String& fileName)> LoadToolBarLayout;
};
TAppHooks& AppHooks();

void SaveCurrentEntryHook(int saveMode);
void UnloadJournalsHook();
void LoadJournalsHook();
bool JournalsLoadedHook();
void SaveToolBarLayoutHook(const String& fileName);
void LoadToolBarLayoutHook(const String& fileName);

// ---------------------------------------------------------------------------
// The main block, in this order: the single-instance lock (a second start
// hands "restore" to the running one and ends with 0), the splash, the
// application titled "Quillory", the windows in their order, the message
// loop. Returns the process exit code.
int QuilloryMain(int argc, char** argv);

// Titles the application and creates its windows in their order, the main
// window first; false when the user declined to create the database folder
// (the program then ends). Raises what the main window's creation raises.
bool CreateStartupWindows();

// The running instance's lock and hand-over name.
extern const char* const SingleInstanceName;

// Becomes the running instance, whose main window a later start restores,
// or hands "restore" to the running one (answer siSecondary).
TSingleInstance::TRole StartSingleInstance(TSingleInstance& instance);

// A message from a later start of the program. "restore" brings the main
// window back once the start-up windows exist; one that arrives before (while
// the first start's question is shown, say) is kept until then.
void HandleInstanceMessage(const String& message);
// Said when the start-up windows exist (true) or are going (false); a kept
// restore is applied when they come.
void SetStartupWindowsReady(bool ready);
bool InstanceRestorePending();
