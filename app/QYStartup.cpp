#include "app/QYStartup.h"

#include "app/QYErrorDisplay.h"

#include <exception>

int RunShutdownSteps(const std::vector<TShutdownStep>& steps,
                     const std::function<void(const String&)>& showStatus) {
  int failures = 0;
  for (const TShutdownStep& step : steps) {
    try {
      if (!step.Status.empty() && showStatus) showStatus(step.Status);
      if (step.Run) step.Run();
    } catch (const std::exception& e) {
      ++failures;
      ShowErrorDisplay(step.FailureText, e);
    } catch (...) {
      ++failures;
      ShowErrorDisplay(step.FailureText, "unknown error", "Exception");
    }
  }
  return failures;
}

TJournalHooks& JournalHooks() {
  static TJournalHooks hooks;
  return hooks;
}

void SaveCurrentEntryHook(int saveMode) {
  if (JournalHooks().SaveCurrentEntry) JournalHooks().SaveCurrentEntry(saveMode);
}

void UnloadJournalsHook() {
  if (JournalHooks().UnloadJournals) JournalHooks().UnloadJournals();
}
