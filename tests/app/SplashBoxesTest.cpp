// The splash stays on top of every window: while it guards the start-up it
// steps aside for each box and comes back after it.
#include "app/QYSplash.h"

#include "platform/gui/Dialogs.h"

#include <gtest/gtest.h>

namespace {

TEST(SplashBoxes, BoxesOfTheStartupAreNeverHiddenBehindTheSplash) {
  TInteractionScript script;
  TSplash splash(nullptr);
  splash.Show();
  std::vector<bool> splashDuring;
  auto record = [&](int answer) {
    return [&, answer](TInteraction&) {
      splashDuring.push_back(splash.GetVisible());
      return answer;
    };
  };
  script.Do(record(IDOK)).Do([&](TInteraction&) -> int {
    splashDuring.push_back(splash.GetVisible());
    throw Exception("no display");
  });
  {
    TSplashInteractionGuard guard(&splash);
    EXPECT_EQ(MessageBox("IMPORTANT!", "CREATING NEW QUILLORY DATABASE", MB_OKCANCEL), IDOK);
    EXPECT_TRUE(splash.GetVisible());
    EXPECT_THROW(MessageBox("Database Setup Copy Failure", "Setup", MB_OK), Exception);
    EXPECT_TRUE(splash.GetVisible());
    // A hidden splash stays hidden after a box.
    splash.Hide();
    script.Do(record(IDOK));
    MessageBox("x", "Error Display", MB_OK);
    EXPECT_FALSE(splash.GetVisible());
    splash.Show();
  }
  // Without the guard the boxes reach the script as before, splash or not.
  script.Do(record(IDOK));
  MessageBox("y", "Error Display", MB_OK);
  EXPECT_EQ(splashDuring, (std::vector<bool>{false, false, false, true}));
  EXPECT_EQ(script.Shown.size(), 3u);  // the one that failed is not among them
  EXPECT_EQ(script.Unexpected, 0);
}

}  // namespace
