#include "platform/os/Removable.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

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

TEST(RemovableTest, EscapedMountPointsAndHiddenMounts) {
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

}  // namespace
