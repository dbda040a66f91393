#include "platform/os/Registry.h"

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

TEST(RegistryTest, OddLinesAndSpellingsOfKeys) {
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

}  // namespace
