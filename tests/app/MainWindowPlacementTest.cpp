// A saved window position is fitted onto a screen that exists now.
#include "app/QYMainPlacement.h"

#include <gtest/gtest.h>

namespace {

TEST(MainWindowPlacement, SavedBoundsArePulledOntoAVisibleScreen) {
  const TRect primary = Rect(0, 0, 1280, 1024);
  const TRect second = Rect(1280, 0, 3200, 1080);
  struct Case {
    const char* what;
    std::vector<TRect> screens;
    TWindowBounds saved, expected;
  };
  const Case cases[] = {
      {"fits as saved", {primary}, {100, 50, 800, 600}, {100, 50, 800, 600}},
      {"wider than the screen", {primary}, {300, 10, 1600, 600}, {0, 10, 1280, 600}},
      {"taller than the screen", {primary}, {20, 300, 800, 1400}, {20, 0, 800, 1024}},
      {"larger both ways", {primary}, {-50, -50, 2000, 2000}, {0, 0, 1280, 1024}},
      {"on a monitor that is gone", {primary}, {2000, 200, 800, 600}, {480, 200, 800, 600}},
      {"above and left of the screen", {primary}, {-900, -700, 800, 600}, {0, 0, 800, 600}},
      {"hanging over the right edge", {primary}, {1000, 100, 800, 600}, {480, 100, 800, 600}},
      {"on the second monitor", {primary, second}, {2000, 200, 800, 600}, {2000, 200, 800, 600}},
      {"mostly on the second monitor", {primary, second}, {1200, 500, 800, 700}, {1280, 380, 800, 700}},
      {"no screen known", {}, {5000, 5000, 10, 10}, {5000, 5000, 10, 10}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(FitWindowOnScreen(c.saved, c.screens), c.expected);
  }
}

TEST(MainWindowPlacement, TheFrameIsPulledOntoTheScreenWithTheWindow) {
  const TRect screen = Rect(0, 0, 1280, 1024);
  const TRect frame = Rect(4, 30, 4, 4);  // borders and a title bar
  struct Case {
    const char* what;
    TWindowBounds saved, expected;
  };
  const Case cases[] = {
      {"frame inside as saved", {100, 80, 800, 600}, {100, 80, 800, 600}},
      {"title bar above the screen", {100, 10, 800, 600}, {100, 30, 800, 600}},
      {"left border off the screen", {0, 100, 800, 600}, {4, 100, 800, 600}},
      {"bottom border below", {100, 400, 800, 622}, {100, 398, 800, 622}},
      // A window as large as a smaller screen shrinks by its frame.
      {"saved on a larger screen", {0, 0, 1920, 1200}, {4, 30, 1272, 990}},
      {"beside another window", {1100, 50, 420, 480}, {856, 50, 420, 480}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(FitWindowOnScreen(c.saved, {screen}, frame), c.expected);
  }
}

}  // namespace
