#include "platform/os/HelpViewer.h"
#include "platform/os/Registry.h"
#include "platform/os/Removable.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

TEST(RegistryTest, ReadsKeysAndValuesAndNeverInventsThem) {
  qytest::TempDir dir;
  qytest::WriteFileBytes(dir / "registry.ini",
                         "; settings\n"
                         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Shared Tools\\Text Converters\\Import\\RTF]\n"
                         "Name=Rich Text\n"
                         "Path=/usr/lib/conv/rtf\n"
                         "Extensions=\"rtf doc\"\n"
                         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Shared Tools\\Text Converters\\Import\\HTML]\n"
                         "Name=Web page\n"
                         "[HKEY_CURRENT_USER\\Software\\Vendor\\Proofing Tools\\Custom Dictionaries]\n"
                         "1=custom.dic\n"
                         "2=\n");
  TRegistry reg((dir / "registry.ini").string());
  reg.RootKey = HKEY_LOCAL_MACHINE;
  EXPECT_FALSE(reg.OpenKeyReadOnly("SOFTWARE\\Nobody"));
  ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\Vendor\\Shared Tools\\Text Converters\\Import"));
  EXPECT_EQ(reg.GetKeyNames(), (std::vector<String>{"RTF", "HTML"}));
  EXPECT_TRUE(reg.GetValueNames().empty());
  ASSERT_TRUE(reg.OpenKeyReadOnly("RTF"));  // relative to the open key
  EXPECT_EQ(reg.ReadString("Name"), "Rich Text");
  EXPECT_EQ(reg.ReadString("extensions"), "rtf doc");
  EXPECT_TRUE(reg.ValueExists("Path"));
  EXPECT_FALSE(reg.ValueExists("Missing"));
  EXPECT_EQ(reg.ReadString("Missing"), "");
  EXPECT_EQ(reg.GetValueNames(), (std::vector<String>{"Name", "Path", "Extensions"}));

  reg.CloseKey();
  reg.RootKey = HKEY_CURRENT_USER;
  EXPECT_FALSE(reg.OpenKeyReadOnly("Software\\Vendor\\Shared Tools"));  // that key is the machine's
  ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\Vendor\\Proofing Tools\\Custom Dictionaries"));
  EXPECT_EQ(reg.ReadString("1"), "custom.dic");
  EXPECT_TRUE(reg.ValueExists("2"));
  EXPECT_EQ(reg.ReadString("2"), "");

  TRegistry none((dir / "absent.ini").string());
  EXPECT_FALSE(none.OpenKeyReadOnly("Software"));
  EXPECT_FALSE(none.ValueExists("x"));
}

// A mount table and block devices of our own.
TEST(RemovableTest, MountOfThePathDecidesFromTheDiskFlag) {
  qytest::TempDir dir;
  fs::path proc = dir / "proc", sys = dir / "sys";
  fs::create_directories(proc / "self");
  qytest::WriteFileBytes(proc / "self/mountinfo",
                         "22 1 8:1 / / rw,relatime - ext4 /dev/sda1 rw\n"
                         "40 22 8:17 / /media/user/USB\\040STICK rw,nosuid - vfat /dev/sdb1 rw\n"
                         "41 22 0:45 / /run/user/1000 rw - tmpfs tmpfs rw\n"
                         "42 22 179:0 / /media/card rw - vfat /dev/mmcblk0 rw\n");
  auto disk = [&](const std::string& dev, const std::string& part, const std::string& majmin, const char* flag) {
    fs::path d = sys / "devices/pci0/block" / dev;
    fs::create_directories(part.empty() ? d : d / part);
    qytest::WriteFileBytes(d / "removable", flag);
    fs::create_directories(sys / "dev/block");
    fs::create_directory_symlink(part.empty() ? d : d / part, sys / "dev/block" / majmin);
  };
  disk("sda", "sda1", "8:1", "0\n");
  disk("sdb", "sdb1", "8:17", "1\n");
  disk("mmcblk0", "", "179:0", "1\n");
  struct Case {
    std::string path;
    std::string mount;
    bool removable;
  };
  const Case cases[] = {
      {"/media/user/USB STICK/backup", "/media/user/USB STICK", true},
      {"/media/user/USB STICK", "/media/user/USB STICK", true},
      {"/media/user/USB STICKER/x", "/", false},
      {"/media/card/journal", "/media/card", true},
      {"/home/user/Documents", "/", false},
      {"/run/user/1000/x", "/run/user/1000", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MountPointOf(c.path, proc.string()), c.mount) << c.path;
    EXPECT_EQ(IsOnRemovableMedia(c.path, proc.string(), sys.string()), c.removable) << c.path;
  }
  EXPECT_FALSE(IsOnRemovableMedia("/x", (dir / "noproc").string(), sys.string()));
}

TEST(HelpViewerTest, EveryContextAndKeywordOfTheProgramHasAPage) {
  THelpViewer viewer;
  viewer.SetHelpFolder((qytest::SourceDir() / "resources/help").string());
  for (int context : {13, 1001, 86, 22, 57, 35, 18, 23}) {
    String page = viewer.PageForContext(context);
    ASSERT_FALSE(page.empty()) << context;
    EXPECT_TRUE(fs::is_regular_file(qytest::SourceDir() / "resources/help" / page)) << page;
  }
  for (const char* keyword : {"Welcome", "Password", "Change Password", "Create New Journal", "Manage Journals"})
    EXPECT_FALSE(viewer.PageForKeyword(keyword).empty()) << keyword;
  EXPECT_EQ(viewer.PageForKeyword("manage journals"), viewer.PageForKeyword("Manage Journals"));
  EXPECT_EQ(viewer.PageForContext(0), "");
  EXPECT_EQ(viewer.PageForContext(4242), "");

  EXPECT_TRUE(viewer.ShowContext(1001));
  EXPECT_EQ(viewer.CurrentPage(), "password.html");
  ASSERT_NE(viewer.Window(), nullptr);
  EXPECT_FALSE(viewer.ShowKeyword("No Such Topic"));
  EXPECT_EQ(viewer.CurrentPage(), "password.html");
  viewer.Close();
}

TEST(HelpViewerTest, IndexEntriesCannotLeaveTheHelpFolder) {
  qytest::TempDir dir;
  qytest::WriteFileBytes(dir / "index.txt", "1||../secret.html\n2||/etc/passwd\n3|Ok|ok.html\n");
  qytest::WriteFileBytes(dir / "ok.html", "<html><head><title>Ok</title></head></html>");
  THelpViewer viewer;
  viewer.SetHelpFolder(dir.str());
  EXPECT_EQ(viewer.PageForContext(1), "");
  EXPECT_EQ(viewer.PageForContext(2), "");
  EXPECT_EQ(viewer.PageForContext(3), "ok.html");
  EXPECT_EQ(viewer.PageForKeyword("ok"), "ok.html");
}

}  // namespace
