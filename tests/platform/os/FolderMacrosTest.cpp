#include "platform/os/FolderMacros.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <vector>

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

namespace {
// Puts the variables back as they were, for the tests that follow.
class SavedEnv {
public:
  explicit SavedEnv(std::vector<const char*> names) {
    for (const char* n : names) {
      const char* v = std::getenv(n);
      FSaved.push_back({n, v ? std::optional<std::string>(v) : std::nullopt});
    }
  }
  ~SavedEnv() {
    for (const auto& [n, v] : FSaved)
      if (v)
        ::setenv(n, v->c_str(), 1);
      else
        ::unsetenv(n);
  }

private:
  std::vector<std::pair<const char*, std::optional<std::string>>> FSaved;
};
}  // namespace

TEST(FolderMacros, XdgFolders) {
  SavedEnv saved({"XDG_DATA_HOME", "XDG_CONFIG_HOME", "HOME"});
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
