// Edge cases of the link policy, autostart entries, the registry reader,
// the mount table and semaphore counts.
#include "platform/os/Autostart.h"
#include "platform/os/Registry.h"
#include "platform/os/Removable.h"
#include "platform/os/Semaphores.h"
#include "platform/os/ShellOpen.h"
#include "platform/os/SysPaths.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

TEST(GapsShellOpenTest, TargetsAreEncodedOnceAndOnlyExistingFilesPass) {
  qytest::TempDir dir;
  fs::create_directories(dir / "sub");
  qytest::WriteFileBytes(dir / "a#b.txt", "x");
  qytest::WriteFileBytes(dir / "100%.txt", "x");
  qytest::WriteFileBytes(dir / "tagebuch \xC3\xA4.txt", "x");
  qytest::WriteFileBytes(dir / "x.txt", "x");
  fs::create_symlink(dir / "x.txt", dir / "link.txt");
  fs::create_symlink(dir / "gone.txt", dir / "dangling.txt");
  const String d = dir.str();
  const std::pair<String, String> cases[] = {
      // Characters that mean something in a URL are encoded, not interpreted.
      {d + "/a#b.txt", "file://" + d + "/a%23b.txt"},
      {d + "/100%.txt", "file://" + d + "/100%25.txt"},
      {d + "/tagebuch \xC3\xA4.txt", "file://" + d + "/tagebuch%20%C3%A4.txt"},
      {d + "/sub/../x.txt", "file://" + d + "/x.txt"},
      {d + "/link.txt", "file://" + d + "/link.txt"},
      {d + "/dangling.txt", ""},
      {d + "/nosuch/../x.txt", ""},
      // Already encoded links keep their encoding.
      {"https://example.org/a%20b?q=1#top", "https://example.org/a%20b?q=1#top"},
      {"  https://example.org/  \n", "https://example.org/"},
      {"HTTPS://example.org/", "https://example.org/"},
      {"file://localhost" + d + "/x.txt", "file://" + d + "/x.txt"},
      {"FILE://" + d + "/a%23b.txt", "file://" + d + "/a%23b.txt"},
      // Refused: other hosts, no host, blanks or line breaks inside, other schemes.
      {"file://server" + d + "/x.txt", ""},
      {"https:///path", ""},
      {"http://exa mple.org/", ""},
      {"https://example.org/\nrm -rf ~", ""},
      {"mailto:", ""},
      {"data:text/html,<b>x</b>", ""},
      {"vbscript:msgbox", ""},
      {"file:" + d, "file://" + d},  // the folder itself exists
  };
  for (const auto& [target, url] : cases) EXPECT_EQ(ShellOpenTarget(target), url) << target;
}

TEST(GapsAutostartTest, ExecArgumentsEscapeEveryReservedCharacter) {
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

TEST(GapsAutostartTest, HiddenCountsOnlyAsTheMainGroupsKey) {
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

TEST(GapsAutostartTest, RewrittenEntryReplacesAHiddenOneAndLeavesNoTemporaryFile) {
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

TEST(GapsRegistryTest, OddLinesAndSpellingsOfKeys) {
  qytest::TempDir dir;
  qytest::WriteFileBytes(dir / "registry.ini",
                         "\xEF\xBB\xBF[HKCU\\Software\\First]\r\n"
                         "A=1\r\n"
                         "orphan line without equals\n"
                         "[hkey_current_user/Software//Vendor\\Tools\\]\n"
                         " Cmd = run=fast \n"
                         "\"Display Name\"=\"Tools\"\n"
                         "Empty=\"\"\n"
                         "Half=\"open\n"
                         "cmd=second\n"
                         "# Cmd=commented\n"
                         "[NotARoot\\Software\\Vendor\\Tools]\n"
                         "Stray=1\n"
                         "[HKEY_CURRENT_USER\\SOFTWARE\\VENDOR\\TOOLS]\n"
                         "Late=yes\n"
                         "[HKLM\\Software\\Vendor\\Machine]\n"
                         "M=1\n");
  TRegistry reg((dir / "registry.ini").string());
  // A byte-order mark before the first section does not lose it.
  ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\First"));
  EXPECT_EQ(reg.ReadString("a"), "1");

  ASSERT_TRUE(reg.OpenKeyReadOnly("\\software\\vendor\\tools"));
  const std::pair<String, String> values[] = {
      {"CMD", "second"},  // the later line of the same name wins
      {"Display Name", "Tools"},
      {"Empty", ""},
      {"Half", "\"open"},
      {"Late", "yes"},  // a section repeated in other case adds to the key
  };
  for (const auto& [name, value] : values) {
    EXPECT_TRUE(reg.ValueExists(name)) << name;
    EXPECT_EQ(reg.ReadString(name), value) << name;
  }
  EXPECT_FALSE(reg.ValueExists("Stray"));
  EXPECT_FALSE(reg.ValueExists("A"));
  EXPECT_EQ(reg.GetValueNames(), (std::vector<String>{"Cmd", "Display Name", "Empty", "Half", "Late"}));

  // Parents exist through their children; a prefix of a name is no key.
  reg.CloseKey();
  EXPECT_TRUE(reg.KeyExists("Software"));
  EXPECT_FALSE(reg.KeyExists("Soft"));
  EXPECT_FALSE(reg.KeyExists("Software\\Vendor\\Machine"));
  ASSERT_TRUE(reg.OpenKeyReadOnly("Software"));
  EXPECT_EQ(reg.GetKeyNames(), (std::vector<String>{"First", "Vendor"}));
  EXPECT_FALSE(reg.OpenKeyReadOnly("Missing"));
  EXPECT_EQ(reg.CurrentPath(), "Software");  // a failed open keeps the open key
  ASSERT_TRUE(reg.OpenKeyReadOnly("Vendor"));
  EXPECT_EQ(reg.CurrentPath(), "Software\\Vendor");
  EXPECT_TRUE(reg.GetValueNames().empty());
  EXPECT_EQ(reg.ReadString("Cmd"), "");

  reg.RootKey = HKEY_LOCAL_MACHINE;
  ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\Vendor\\Machine"));
  EXPECT_EQ(reg.ReadString("M"), "1");
  reg.RootKey = HKEY_USERS;
  EXPECT_FALSE(reg.OpenKeyReadOnly("\\Software"));
}

TEST(GapsRemovableTest, EscapedMountPointsAndHiddenMounts) {
  qytest::TempDir dir;
  fs::path proc = dir / "proc", sys = dir / "sys";
  fs::create_directories(proc / "self");
  qytest::WriteFileBytes(proc / "self/mountinfo",
                         "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                         "bad line\n"
                         "\n"
                         "40 22 8:17 / /media/u/My\\040Disk\\134x\\011y rw - vfat /dev/sdb1 rw\n"
                         "41 22 8:33 / /media/card rw - vfat /dev/sdc1 rw\n"
                         "42 41 0:50 / /media/card rw - tmpfs tmpfs rw\n"
                         "43 22 8:49 / /mnt/end\\040 rw - vfat /dev/sdd1 rw\n");
  auto disk = [&](const std::string& dev, const std::string& majmin) {
    fs::path d = sys / "devices/usb/block" / dev;
    fs::create_directories(d / (dev + "1"));
    qytest::WriteFileBytes(d / "removable", "1\n");
    fs::create_directories(sys / "dev/block");
    fs::create_directory_symlink(d / (dev + "1"), sys / "dev/block" / majmin);
  };
  disk("sdb", "8:17");
  disk("sdc", "8:33");
  disk("sdd", "8:49");
  struct Case {
    String path, mount;
    bool removable;
  };
  const Case cases[] = {
      {"/media/u/My Disk\\x\ty/j", "/media/u/My Disk\\x\ty", true},
      {"/media/u/My\\040Disk\\134x\\011y", "/", false},
      {"/media/card/j", "/media/card", false},  // the later mount hides the card
      {"/media/u/My Disk\\x\ty/../../card/j", "/media/card", false},
      {"/media/cardx", "/", false},
      {"/mnt/end /j", "/mnt/end ", true},
      {"/mnt/end", "/", false},
      {"/media/u/My Disk\\x\ty/", "/media/u/My Disk\\x\ty", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MountPointOf(c.path, proc.string()), c.mount) << c.path;
    EXPECT_EQ(IsOnRemovableMedia(c.path, proc.string(), sys.string()), c.removable) << c.path;
  }
}

TEST(GapsSemaphoreTest, CountsAreClampedAndOverReleasesChangeNothing) {
  struct Case {
    int initial, maximum, count, max;
  };
  const Case made[] = {{5, 3, 3, 3}, {-2, 3, 0, 3}, {0, 0, 0, 1}, {2, -1, 1, 1}};
  int n = 0;
  for (const Case& c : made) {
    auto s = TNamedSemaphore::Create("qytest.gaps.clamp" + std::to_string(n++), c.initial, c.maximum);
    EXPECT_EQ(s->Count(), c.count) << n;
    EXPECT_EQ(s->Maximum(), c.max) << n;
  }

  auto s = TNamedSemaphore::Create("qytest.gaps.multi", 1, 3);
  const std::pair<int, bool> releases[] = {{0, false}, {-1, false}, {3, false}, {2, true}, {1, false}};
  for (const auto& [count, ok] : releases) EXPECT_EQ(s->Release(count), ok) << count;
  EXPECT_EQ(s->Count(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(s->Wait(0)) << i;
  EXPECT_FALSE(s->Wait(0));
  EXPECT_EQ(s->Count(), 0);

  // Unnamed semaphores are never shared; a dropped name is made anew.
  auto u1 = TNamedSemaphore::Create("", 1, 1), u2 = TNamedSemaphore::Create("", 0, 1);
  EXPECT_NE(u1, u2);
  EXPECT_FALSE(u2->AlreadyExisted);
  EXPECT_EQ(TNamedSemaphore::Open(""), nullptr);
  s.reset();
  EXPECT_EQ(TNamedSemaphore::Open("qytest.gaps.multi"), nullptr);
  auto again = TNamedSemaphore::Create("qytest.gaps.multi", 0, 2);
  EXPECT_FALSE(again->AlreadyExisted);
  EXPECT_EQ(again->Count(), 0);
  EXPECT_EQ(again->Maximum(), 2);
}

}  // namespace
