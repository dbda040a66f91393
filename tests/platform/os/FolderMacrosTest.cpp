#include "platform/os/FolderMacros.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(FolderMacros, EnvironmentExpansion) {
  ::setenv("QY_FM_A", "alpha", 1);
  ::unsetenv("QY_FM_NONE");
  struct Case {
    String in, out;
  } cases[] = {
      {"%QY_FM_A%/x", "alpha/x"},
      {"%QY_FM_A%%QY_FM_A%", "alphaalpha"},
      {"%QY_FM_NONE%/x", "%QY_FM_NONE%/x"},
      {"50% off %QY_FM_A%", "50% off alpha"},
      {"%%", "%%"},
      {"100%", "100%"},
  };
  for (const auto& c : cases) {
    String r;
    EXPECT_TRUE(ExpandEnvironmentStrings(c.in, r)) << c.in;
    EXPECT_EQ(r, c.out) << c.in;
  }
  String r;
  EXPECT_FALSE(ExpandEnvironmentStrings("%QY_FM_A%", r, 3));
  EXPECT_EQ(r, "%QY_FM_A%");
}

TEST(FolderMacros, XdgFolders) {
  ::setenv("XDG_DATA_HOME", "/tmp/qyd/", 1);
  ::setenv("XDG_CONFIG_HOME", "relative", 1);  // ignored, as XDG says
  ::setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(GetDataFolder(), "/tmp/qyd");
  EXPECT_EQ(GetUserConfigFolder(), "/home/someone/.config");
  ::unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(GetDataFolder(), "/home/someone/.local/share");
  EXPECT_FALSE(GetProgramName().empty());
  EXPECT_EQ(GetProgramName().find('/'), String::npos);
}
