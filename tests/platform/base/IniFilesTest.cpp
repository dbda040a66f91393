#include "platform/base/IniFiles.h"

#include "support/TestSupport.h"
#include "support/WorkCost.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

TEST(IniFiles, ProfileSemantics) {
  qytest::TempDir tmp;
  const String path = tmp.str() + "/QYStyle.ini";
  qytest::WriteFileBytes(path,
                         "; comment kept\n"
                         "[Vellum Styles]\n"
                         "  FontSize1 = 12  \n"
                         "Hex=$1F\n"
                         "CHex=0x10\n"
                         "Bad=12a\n"
                         "Quoted=\"  padded  \"\n"
                         "Single='x'\n"
                         "Half=\"open\n"
                         "Empty=\n"
                         "Flag=1\n"
                         "Float=2.5\n"
                         "Dup=first\n"
                         "Dup=second\n"
                         "\n"
                         "[ Other ]\r\n"
                         "Key=v\r\n");
  TIniFile ini(path);
  struct Case { const char* section; const char* key; const char* expected; };
  const Case strings[] = {
      {"vellum styles", "fontsize1", "12"}, {"VELLUM STYLES", "Quoted", "  padded  "},
      {"Vellum Styles", "Single", "x"},     {"Vellum Styles", "Half", "\"open"},
      {"Vellum Styles", "Empty", ""},       {"Vellum Styles", "Dup", "first"},
      {"Other", "key", "v"},                {"Other", "missing", "<default>"},
      {"Missing", "Key", "<default>"},
  };
  for (const auto& c : strings) EXPECT_EQ(ini.ReadString(c.section, c.key, "<default>"), c.expected) << c.key;
  struct IntCase { const char* key; Integer expected; };
  const IntCase ints[] = {{"FontSize1", 12}, {"Hex", 31}, {"CHex", 16}, {"Bad", -5}, {"Empty", -5}, {"None", -5}};
  for (const auto& c : ints) EXPECT_EQ(ini.ReadInteger("Vellum Styles", c.key, -5), c.expected) << c.key;
  EXPECT_TRUE(ini.ReadBool("Vellum Styles", "Flag", false));
  EXPECT_TRUE(ini.ReadBool("Vellum Styles", "None", true));
  EXPECT_DOUBLE_EQ(ini.ReadFloat("Vellum Styles", "Float", 0), 2.5);
  EXPECT_TRUE(ini.SectionExists("other"));
  EXPECT_FALSE(ini.SectionExists("nope"));
  EXPECT_TRUE(ini.ValueExists("Vellum Styles", "EMPTY"));
  EXPECT_FALSE(ini.ValueExists("Vellum Styles", "None"));

  TStringList keys, sections, values;
  ini.ReadSection("Other", keys);
  EXPECT_EQ(keys.GetCommaText(), "Key");
  ini.ReadSections(sections);
  EXPECT_EQ(sections.GetCommaText(), "\"Vellum Styles\",Other");
  ini.ReadSectionValues("Other", values);
  EXPECT_EQ(values.Values("key"), "v");
}

TEST(IniFiles, WritesReadBackAndKeepTheRestOfTheFile) {
  qytest::TempDir tmp;
  const String path = tmp.str() + "/test.ini";
  qytest::WriteFileBytes(path, "; keep me\n[A]\nx=1\n\n[B]\ny=2\n");
  {
    TIniFile ini(path);
    ini.WriteString("a", "X", "10");      // existing key, other case
    ini.WriteInteger("A", "New", 31);     // appended to the section
    ini.WriteBool("C", "Flag", true);     // a new section
    ini.WriteString("B", "Multi", "one\r\ntwo");
    ini.WriteString("B", "Inject", "v\n[Evil]\nk=1");
    ini.WriteFloat("B", "F", 0.5);
    EXPECT_EQ(ini.ReadString("A", "x", ""), "10");  // seen at once
    EXPECT_EQ(ini.ReadInteger("A", "NEW", 0), 31);
  }
  EXPECT_EQ(qytest::ReadFileBytes(path),
            "; keep me\r\n[A]\r\nx=10\r\nNew=31\r\n\r\n[B]\r\ny=2\r\nMulti=one two\r\n"
            "Inject=v [Evil] k=1\r\nF=0.5\r\n[C]\r\nFlag=1\r\n");
  {
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadInteger("a", "new", 0), 31);
    EXPECT_FALSE(ini.SectionExists("Evil"));
    ini.DeleteKey("A", "X");
    ini.EraseSection("b");
    ini.UpdateFile();
    EXPECT_EQ(qytest::ReadFileBytes(path), "; keep me\r\n[A]\r\nNew=31\r\n\r\n[C]\r\nFlag=1\r\n");
  }
}

TEST(IniFiles, InstancesOfOneFileSeeEachOthersWrites) {
  qytest::TempDir tmp;
  const String path = tmp.str() + "/shared.ini";
  TIniFile a(path);
  TIniFile b(path);
  a.WriteString("S", "K", "from a");
  EXPECT_EQ(b.ReadString("S", "K", ""), "from a");
  b.WriteString("S", "K2", "from b");
  EXPECT_EQ(a.ReadString("S", "K2", ""), "from b");
  EXPECT_EQ(a.ReadString("S", "K", ""), "from a");
  // A change made on disk by someone else is picked up.
  a.UpdateFile();
  qytest::WriteFileBytes(path, "[S]\nK=outside\n");
  EXPECT_EQ(a.ReadString("S", "K", ""), "outside");
}

TEST(IniFiles, BinaryValuesAndWriteFailures) {
  qytest::TempDir tmp;
  const String path = tmp.str() + "/bin.ini";
  TIniFile ini(path);
  TStringStream in(std::string("\x00\x7F\xFFok", 5));
  ini.WriteBinaryStream("L", "Picture", in);
  EXPECT_EQ(ini.ReadString("L", "Picture", ""), "007FFF6F6B");
  TMemoryStream out;
  EXPECT_EQ(ini.ReadBinaryStream("L", "Picture", out), 5);
  EXPECT_EQ(out.Bytes(), std::string("\x00\x7F\xFFok", 5));
  ini.WriteString("L", "Broken", "0A0Bzz0C");
  TMemoryStream partial;
  EXPECT_EQ(ini.ReadBinaryStream("L", "Broken", partial), 2);

  // A file that cannot be written is reported by the write itself.
  const String ro = tmp.str() + "/ro";
  ASSERT_TRUE(CreateDir(ro));
  qytest::WriteFileBytes(ro + "/x.ini", "[S]\nK=1\n");
  ::chmod((ro + "/x.ini").c_str(), 0444);
  ::chmod(ro.c_str(), 0555);
  {
    qytest::TPermissionsBindRoot bound;  // root too obeys the permissions
    ASSERT_TRUE(bound.Bound());
    ASSERT_EQ(::open((ro + "/x.ini").c_str(), O_WRONLY), -1);
    TIniFile locked(ro + "/x.ini");
    EXPECT_EQ(locked.ReadInteger("S", "K", 0), 1);
    try {
      locked.WriteString("S", "K", "2");
      FAIL() << "no error";
    } catch (const EIniFileException& e) {
      EXPECT_EQ(e.Message, "Unable to write to " + ro + "/x.ini");
    }
  }
  ::chmod(ro.c_str(), 0755);
}

// A hostile settings file: 200,000 sections are read and written to at a
// cost linear in their number (each look-up finds its section without
// walking the others, also after a write), a file larger than any settings
// file is neither read nor written over, a FIFO in the file's place gives
// the defaults at once, and an owner-only file is written 0600.
TEST(IniFiles, ManySectionsFifosAndOwnerOnlyFiles) {
  qytest::TempDir tmp;
  const String big = tmp.str() + "/big.ini";
  long long sum = 0;
  TStringList sections;
  std::unique_ptr<TIniFile> read;
  // 200,000 sections against 5,000: a look-up that walked the sections
  // costs the square of the ratio.
  const qytest::TGrowth growth = qytest::MeasureGrowth(5000, 200000, [&](int n) -> std::function<void()> {
    read.reset();  // written back before the file is made anew
    String text;
    for (int i = 0; i < n; ++i) text += "[S" + std::to_string(i) + "]\r\nk=" + std::to_string(i) + "\r\n";
    qytest::WriteFileBytes(big, text);
    sections.Clear();
    sum = 0;
    return [&, n] {
      read = std::make_unique<TIniFile>(big);
      for (int i = 0; i < n; i += 7) sum += read->ReadInteger("s" + std::to_string(i), "K", -1);
      read->ReadSections(sections);
      // As a save writes its section: new keys and changed ones. (Each new
      // key moves the lines after it: a cost linear in the file that memory,
      // not the processor, bounds on a busy machine, so a few.)
      const String half = "S" + std::to_string(n / 2);
      for (int i = 0; i < 3; ++i) {
        read->WriteString(half, "n" + std::to_string(i), "new");
        read->WriteString(half, "k", std::to_string(i));
      }
      read->DeleteKey("S" + std::to_string(n / 2 + 1), "k");
      sum += read->ReadInteger("S" + std::to_string(n - 1), "k", -1);
    };
  });
  EXPECT_LT(growth.Ratio(), qytest::LinearGrowthBound(5000, 200000))
      << growth.SmallSeconds << " s, then " << growth.LargeSeconds << " s";
  // The last measured was the larger.
  TIniFile& ini = *read;
  EXPECT_EQ(sections.Count(), 200000);
  long long expected = 199999;
  for (int i = 0; i < 200000; i += 7) expected += i;
  EXPECT_EQ(sum, expected);
  EXPECT_EQ(ini.ReadString("S100000", "n2", ""), "new");
  EXPECT_EQ(ini.ReadString("S100000", "k", ""), "2");
  EXPECT_EQ(ini.ReadString("S100001", "k", "gone"), "gone");
  EXPECT_EQ(ini.ReadString("S100002", "k", ""), "100002");
  // Written sections are found at once afterwards too.
  ini.WriteString("New", "k", "v");
  ini.EraseSection("S5");
  EXPECT_EQ(ini.ReadString("new", "K", ""), "v");
  EXPECT_EQ(ini.ReadString("S5", "k", "gone"), "gone");
  EXPECT_EQ(ini.ReadString("S6", "k", ""), "6");

  // Past the largest settings file by a byte: not read, not written over;
  // at the bound it is still read.
  for (const Int64 size : {LargestSettingsFile + 1, LargestSettingsFile}) {
    SCOPED_TRACE(size);
    const String grown = tmp.str() + "/grown.ini";
    qytest::WriteFileBytes(grown, "[S]\nk=1\n");
    ASSERT_EQ(::truncate(grown.c_str(), size), 0);
    TIniFile huge(grown);
    const bool tooLarge = size > LargestSettingsFile;
    EXPECT_EQ(huge.TooLarge(), tooLarge);
    EXPECT_EQ(huge.ReadString("S", "k", "default"), tooLarge ? "default" : "1");
    if (tooLarge) {
      EXPECT_THROW(huge.WriteString("S", "k", "2"), EIniFileException);
      EXPECT_THROW(huge.EraseSection("S"), EIniFileException);
      huge.UpdateFile();
      EXPECT_EQ(std::filesystem::file_size(grown), static_cast<uintmax_t>(size));
    }
  }

  const String fifo = tmp.str() + "/fifo.ini";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  TIniFile blocked(fifo);
  EXPECT_EQ(blocked.ReadString("A", "b", "default"), "default");

  const mode_t oldMask = ::umask(022);
  TIniFile own(tmp.str() + "/own.cfg");
  own.OwnerOnly = true;
  own.WriteString("Words", "Added", "secret");
  own.UpdateFile();
  ::umask(oldMask);
  struct stat st {};
  ASSERT_EQ(::stat((tmp.str() + "/own.cfg").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}
