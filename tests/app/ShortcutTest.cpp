// The start-up shortcut follows the setting: created for 0, removed for 1,
// and only the exact, visible entry name counts.
#include "app/QYShortcut.h"

#include "platform/gui/Dialogs.h"
#include "platform/os/Autostart.h"
#include "support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

class ShortcutTest : public testing::Test {
protected:
  void SetUp() override { fs::remove_all(AutostartFolder()); }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(AutostartFolder(), fs::perms::owner_all, ec);
    fs::remove_all(AutostartFolder(), ec);
  }
  static fs::path Entry(const char* file) { return fs::path(AutostartFolder()) / file; }
};

TEST_F(ShortcutTest, EntryAppearsAndDisappearsWithTheSetting) {
  TInteractionScript script;  // nothing may be shown
  const fs::path entry = AutostartEntryPath(StartUpShortcutName);
  EXPECT_EQ(fs::path(entry).filename(), "QUILLORY.desktop");

  struct Step {
    Byte setting;
    bool present;
  };
  // Repeating a setting changes nothing; switching back and forth follows it.
  const Step steps[] = {{1, false}, {0, true}, {0, true}, {1, false}, {1, false}, {0, true}};
  for (const Step& s : steps) {
    SyncStartUpShortcut(s.setting);
    EXPECT_EQ(fs::exists(entry), s.present) << "setting " << int(s.setting);
  }
  const String text = qytest::ReadFileBytes(entry);
  EXPECT_NE(text.find("Exec="), String::npos);
  EXPECT_EQ(script.Shown.size(), 0u);
}

TEST_F(ShortcutTest, OnlyTheExactVisibleNameCounts) {
  TInteractionScript script;
  fs::create_directories(AutostartFolder());
  // Another letter case is another entry: it is left alone and ours is added.
  qytest::WriteFileBytes(Entry("quillory.desktop"), "[Desktop Entry]\nType=Application\nExec=x\n");
  SyncStartUpShortcut(0);
  EXPECT_TRUE(fs::exists(Entry("QUILLORY.desktop")));
  EXPECT_TRUE(fs::exists(Entry("quillory.desktop")));

  // An entry the desktop treats as removed counts as absent and is rewritten.
  qytest::WriteFileBytes(Entry("QUILLORY.desktop"),
                         "[Desktop Entry]\nType=Application\nExec=x\nHidden=true\n");
  SyncStartUpShortcut(0);
  EXPECT_TRUE(AutostartEntryExists(StartUpShortcutName));

  // Setting 1 removes ours only.
  SyncStartUpShortcut(1);
  EXPECT_FALSE(fs::exists(Entry("QUILLORY.desktop")));
  EXPECT_TRUE(fs::exists(Entry("quillory.desktop")));
  EXPECT_EQ(script.Shown.size(), 0u);
}

TEST_F(ShortcutTest, FailuresAreReportedAndChangeNothingElse) {
  // The autostart folder cannot be made: a file stands in its place.
  fs::create_directories(fs::path(AutostartFolder()).parent_path());
  qytest::WriteFileBytes(AutostartFolder(), "not a folder");
  {
    TInteractionScript script;
    script.Answer(IDOK);
    SyncStartUpShortcut(0);
    ASSERT_EQ(script.Shown.size(), 1u);
    EXPECT_EQ(script.Shown[0].Text, "Problem Creating Startup Short Cut");
    EXPECT_EQ(script.Shown[0].Caption, "Shortcut Problem");
    EXPECT_EQ(script.Shown[0].Icon, MB_ICONERROR);
  }
  fs::remove(AutostartFolder());

  // An entry in a folder that refuses deletion stays, and that is reported.
  // Root passes folder permissions by its capabilities: this thread lays
  // them down meanwhile, so the folder refuses root too.
  SyncStartUpShortcut(0);
  ASSERT_TRUE(AutostartEntryExists(StartUpShortcutName));
  fs::permissions(AutostartFolder(), fs::perms::owner_read | fs::perms::owner_exec);
  TInteractionScript script;
  script.Answer(IDOK);
  {
    qytest::TPermissionsBindRoot bound;
    ASSERT_TRUE(bound.Bound());
    SyncStartUpShortcut(1);
  }
  ASSERT_EQ(script.Shown.size(), 1u);
  EXPECT_EQ(script.Shown[0].Text, "Problem Removing Shortcut");
  EXPECT_EQ(script.Shown[0].Caption, "Shortcut Problem");
  EXPECT_TRUE(AutostartEntryExists(StartUpShortcutName));
}

}  // namespace
