#include "platform/os/Autostart.h"
#include "platform/os/ShellOpen.h"
#include "platform/os/SysPaths.h"

#include "support/TestSupport.h"

#include <QCoreApplication>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

TEST(SysPathsTest, FoldersComeFromTheEnvironment) {
  qytest::TempDir dir;
  String old = std::getenv("XDG_DOCUMENTS_DIR") ? std::getenv("XDG_DOCUMENTS_DIR") : "";
  ::setenv("XDG_DOCUMENTS_DIR", (dir.str() + "/Docs/").c_str(), 1);
  EXPECT_EQ(GetDocumentsFolder(), dir.str() + "/Docs");
  ::setenv("XDG_DOCUMENTS_DIR", old.c_str(), 1);

  EXPECT_EQ(GetConfigFolder(), std::getenv("XDG_CONFIG_HOME"));
  EXPECT_EQ(GetProgramFolder(), QCoreApplication::applicationDirPath().toStdString());
  EXPECT_FALSE(GetLogonUserName().empty());
  EXPECT_FALSE(GetTempFolder().empty());
  EXPECT_NE(GetTempFolder().back(), '/');
}

TEST(SysPathsTest, CopyReplacesTheTargetAndAFailedCopyLeavesItAlone) {
  qytest::TempDir dir;
  qytest::WriteFileBytes(dir / "a", std::string("new\0bytes", 9));
  qytest::WriteFileBytes(dir / "b", "old");
  EXPECT_TRUE(CopyFileOverwrite((dir / "a").string(), (dir / "b").string()));
  EXPECT_EQ(qytest::ReadFileBytes(dir / "b"), std::string("new\0bytes", 9));
  EXPECT_FALSE(CopyFileOverwrite((dir / "missing").string(), (dir / "b").string()));
  EXPECT_EQ(qytest::ReadFileBytes(dir / "b"), std::string("new\0bytes", 9));
  EXPECT_FALSE(CopyFileOverwrite((dir / "a").string(), (dir / "no/such/folder/b").string()));
  size_t files = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) files += e.is_regular_file();
  EXPECT_EQ(files, 2u);  // no temporary file left behind
}

TEST(ShellOpenTest, OnlyWebMailAndExistingLocalFilesAreOpened) {
  qytest::TempDir dir;
  qytest::WriteFileBytes(dir / "entry notes.txt", "x");
  String local = (dir / "entry notes.txt").string();
  struct Case {
    String target;
    bool opened;
  };
  const Case cases[] = {
      {"https://example.org/a?b=c", true},
      {"http://example.org", true},
      {"mailto:someone@example.org", true},
      {local, true},
      {"file://" + local, false},  // the blank is not encoded: not a valid URL
      {"file://" + dir.str() + "/entry%20notes.txt", true},
      {dir.str() + "/missing.txt", false},
      {"file:///no/such/file", false},
      {"javascript:alert(1)", false},
      {"ftp://example.org/x", false},
      {"smb://server/share", false},
      {"$(rm -rf ~)", false},
      {"; ls", false},
      {"relative/path.txt", false},
      {"http://", false},
      {"", false},
  };
  std::vector<String> seen;
  TUrlOpener old = SetUrlOpener([&](const String& url) {
    seen.push_back(url);
    return true;
  });
  for (const Case& c : cases) {
    seen.clear();
    EXPECT_EQ(ShellOpen(c.target), c.opened) << c.target;
    EXPECT_EQ(seen.size(), c.opened ? 1u : 0u) << c.target;
  }
  SetUrlOpener(old);
  EXPECT_EQ(ShellOpenTarget(local), "file://" + dir.str() + "/entry%20notes.txt");
}

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
  EXPECT_TRUE(RemoveAutostartEntry(name));
  EXPECT_FALSE(AutostartEntryExists(name));
  EXPECT_TRUE(RemoveAutostartEntry(name));  // already gone

  // An entry the desktop treats as deleted counts as absent.
  qytest::WriteFileBytes(AutostartEntryPath(name), "[Desktop Entry]\nType=Application\nHidden=true\n");
  EXPECT_FALSE(AutostartEntryExists(name));
  RemoveAutostartEntry(name);
}

}  // namespace
