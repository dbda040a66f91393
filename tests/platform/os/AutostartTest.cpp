#include "platform/os/Autostart.h"
#include "platform/os/SysPaths.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

TEST(AutostartTest, ExecArgumentsAreQuotedByTheDesktopEntryRules) {
  const std::pair<String, String> cases[] = {
      {"/usr/bin/quillory", "/usr/bin/quillory"},
      {"/opt/My Apps/quillory", "\"/opt/My Apps/quillory\""},
      {"/opt/a$b/q", "\"/opt/a\\\\$b/q\""},
      {"/opt/100%/q", "/opt/100%%/q"},
      {"/opt/back\\slash/q", "\"/opt/back\\\\\\\\slash/q\""},
      {"/opt/quote\"d/q", "\"/opt/quote\\\\\"d/q\""},
  };
  for (auto& [arg, expected] : cases) EXPECT_EQ(DesktopExecArgument(arg), expected) << arg;
}

TEST(AutostartTest, EntryIsWrittenFoundAndRemoved) {
  String name = "qytest-quillory";
  EXPECT_FALSE(AutostartEntryExists(name));
  ASSERT_TRUE(WriteAutostartEntry(name, "Quillory", "/opt/Quillory Program/quillory"));
  EXPECT_EQ(AutostartEntryPath(name), GetConfigFolder() + "/autostart/qytest-quillory.desktop");
  EXPECT_TRUE(AutostartEntryExists(name));
  String text = qytest::ReadFileBytes(AutostartEntryPath(name));
  EXPECT_NE(text.find("[Desktop Entry]\nType=Application\nName=Quillory\n"), String::npos);
  EXPECT_NE(text.find("\nExec=\"/opt/Quillory Program/quillory\"\n"), String::npos);
  // It names the program's path: the user's alone, also when an older entry
  // readable by all is replaced.
  EXPECT_EQ(fs::status(AutostartEntryPath(name)).permissions() & fs::perms::all, fs::perms(0600));
  fs::permissions(AutostartEntryPath(name), fs::perms(0644), fs::perm_options::replace);
  ASSERT_TRUE(WriteAutostartEntry(name, "Quillory", "/opt/Quillory Program/quillory"));
  EXPECT_EQ(fs::status(AutostartEntryPath(name)).permissions() & fs::perms::all, fs::perms(0600));
  EXPECT_TRUE(RemoveAutostartEntry(name));
  EXPECT_FALSE(AutostartEntryExists(name));
  EXPECT_TRUE(RemoveAutostartEntry(name));  // already gone

  // An entry the desktop treats as deleted counts as absent.
  qytest::WriteFileBytes(AutostartEntryPath(name), "[Desktop Entry]\nType=Application\nHidden=true\n");
  EXPECT_FALSE(AutostartEntryExists(name));
  RemoveAutostartEntry(name);
}

TEST(AutostartTest, ExecArgumentsEscapeEveryReservedCharacter) {
  const std::pair<String, String> cases[] = {
      {"", "\"\""},
      {"/opt/a-b_c.d/q=1", "/opt/a-b_c.d/q=1"},
      {"/opt/it's/q", "\"/opt/it's/q\""},
      {"/opt/a`b/q", "\"/opt/a\\\\`b/q\""},
      {"/opt/a;b|c&d/q", "\"/opt/a;b|c&d/q\""},
      {"/opt/~/q", "\"/opt/~/q\""},
      {"/opt/50% off/q", "\"/opt/50%% off/q\""},
      {"/opt/%f", "/opt/%%f"},
      {"/a $x\\%", "\"/a \\\\$x\\\\\\\\%%\""},
      {"/a\tb", "\"/a\\tb\""},
      {"/a\nb", "\"/a\\nb\""},
      {"/a\\\"b", "\"/a\\\\\\\\\\\\\"b\""},
  };
  for (const auto& [arg, expected] : cases) EXPECT_EQ(DesktopExecArgument(arg), expected) << arg;
}

TEST(AutostartTest, HiddenCountsOnlyAsTheMainGroupsKey) {
  const String name = "qytest-gaps-hidden";
  fs::create_directories(AutostartFolder());
  const std::pair<String, bool> cases[] = {
      {"[Desktop Entry]\nType=Application\n", true},
      {"[Desktop Entry]\nHidden=false\n", true},
      {"[Desktop Entry]\r\nHidden=true\r\n", false},
      {"[Desktop Entry]\nHidden = true\n", false},
      {"[Desktop Entry]\n# Hidden=true\n", true},
      {"[Desktop Entry]\nX-Hidden=true\n", true},
      {"[Desktop Entry]\nName=Hidden=true\n", true},
      {"[Desktop Entry]\nType=Application\n[Desktop Action New]\nHidden=true\n", true},
  };
  for (const auto& [text, exists] : cases) {
    qytest::WriteFileBytes(AutostartEntryPath(name), text);
    EXPECT_EQ(AutostartEntryExists(name), exists) << text;
  }
  RemoveAutostartEntry(name);
  fs::create_directories(AutostartEntryPath(name));
  EXPECT_FALSE(AutostartEntryExists(name));  // a folder of that name is no entry
  fs::remove(AutostartEntryPath(name));
}

TEST(AutostartTest, RewrittenEntryReplacesAHiddenOneAndLeavesNoTemporaryFile) {
  const String name = "qytest-gaps-write";
  qytest::WriteFileBytes(AutostartEntryPath(name), "[Desktop Entry]\nHidden=true\n");
  ASSERT_TRUE(WriteAutostartEntry(name, "Quill\r\nory", "/opt/50% $HOME/q"));
  EXPECT_TRUE(AutostartEntryExists(name));
  String text = qytest::ReadFileBytes(AutostartEntryPath(name));
  EXPECT_NE(text.find("\nName=Quill  ory\n"), String::npos) << text;
  EXPECT_NE(text.find("\nExec=\"/opt/50%% \\\\$HOME/q\"\n"), String::npos) << text;
  EXPECT_EQ(text.find("Hidden"), String::npos);
  size_t files = 0;
  for (auto& e : fs::directory_iterator(AutostartFolder())) files += e.path().filename().string().rfind(name, 0) == 0;
  EXPECT_EQ(files, 1u);
  EXPECT_TRUE(RemoveAutostartEntry(name));
}

}  // namespace
