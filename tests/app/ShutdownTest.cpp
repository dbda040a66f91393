// The shut-down runs every step even when one fails; each failure is shown
// in the error display with the step's name, the message and the class name.
#include "app/QYErrorDisplay.h"
#include "app/QYStartup.h"

#include "platform/gui/Dialogs.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

TEST(Shutdown, ErrorDisplayNamesStepMessageAndClass) {
  struct Case {
    std::function<void()> raise;
    String text;
  };
  const Case cases[] = {
      {[] { throw EConvertError("'abc' is not a valid integer value"); },
       "Problem Saving Profile\r\r'abc' is not a valid integer value\rEConvertError"},
      {[] { throw EInOutError("disk full"); }, "Problem Saving Profile\r\rdisk full\rEInOutError"},
      {[] { throw std::runtime_error("boom"); }, "Problem Saving Profile\r\rboom\rstd::runtime_error"},
  };
  for (const Case& c : cases) {
    TInteractionScript script;
    script.Answer(IDOK);
    try {
      c.raise();
    } catch (const std::exception& e) {
      ShowErrorDisplay("Problem Saving Profile", e);
    }
    ASSERT_EQ(script.Shown.size(), 1u);
    EXPECT_EQ(script.Shown[0].Kind, TInteractionKind::MessageBox);
    EXPECT_EQ(script.Shown[0].Caption, "Error Display");
    EXPECT_EQ(script.Shown[0].Text, c.text);
    EXPECT_EQ(script.Shown[0].Buttons & MB_TYPEMASK, MB_OK);
  }
}

TEST(Shutdown, EveryStepRunsWhateverFails) {
  // Each row fails a different set of steps; every step still runs, in order,
  // and exactly the failed ones are reported.
  const std::vector<std::vector<int>> failing = {{}, {0}, {1}, {0, 1, 2}, {3}, {0, 1, 2, 3}};
  const char* names[] = {"Problem Saving Tool Bar", "Problem Saving Profile",
                         "Problem Saving Window Positions", "Problem Unloading Journals"};
  for (const auto& fail : failing) {
    std::vector<int> ran;
    std::vector<String> statuses;
    std::vector<TShutdownStep> steps;
    for (int i = 0; i < 4; ++i) {
      const bool fails = std::find(fail.begin(), fail.end(), i) != fail.end();
      steps.push_back({"status " + std::to_string(i), names[i], [&ran, i, fails] {
                         ran.push_back(i);
                         if (fails) throw EWriteError("step " + std::to_string(i) + " failed");
                       }});
    }
    TInteractionScript script;
    for (size_t k = 0; k < fail.size(); ++k) script.Answer(IDOK);
    const int failures = RunShutdownSteps(steps, [&](const String& s) { statuses.push_back(s); });

    EXPECT_EQ(ran, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(statuses.size(), 4u);
    EXPECT_EQ(failures, static_cast<int>(fail.size()));
    ASSERT_EQ(script.Shown.size(), fail.size());
    for (size_t k = 0; k < fail.size(); ++k) {
      const int i = fail[k];
      EXPECT_EQ(script.Shown[k].Text, String(names[i]) + "\r\rstep " + std::to_string(i) +
                                          " failed\rEWriteError");
    }
    EXPECT_EQ(script.Unexpected, 0);
  }
}

TEST(Shutdown, AppHooksDoNothingUntilAUnitRegisters) {
  TAppHooks saved = AppHooks();
  AppHooks() = {};
  EXPECT_NO_THROW(UnloadJournalsHook());
  EXPECT_NO_THROW(SaveCurrentEntryHook(1));
  int unloaded = 0, savedMode = -1;
  AppHooks().UnloadJournals = [&] { ++unloaded; };
  AppHooks().SaveCurrentEntry = [&](int mode) { savedMode = mode; };
  UnloadJournalsHook();
  SaveCurrentEntryHook(1);
  EXPECT_EQ(unloaded, 1);
  EXPECT_EQ(savedMode, 1);
  AppHooks() = saved;
}

}  // namespace
