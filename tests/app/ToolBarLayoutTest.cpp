// The tool-bar layout file: written and read back, damaged files replaced by
// the defaults and kept aside, and no bar of the program lost through a file.
// Also the text of the date and time stamps.
#include "app/QYMain.h"
#include "app/QYToolBarLayout.h"

#include "platform/base/DateTime.h"
#include "platform/base/Streams.h"
#include "platform/base/SysUtils.h"
#include "platform/gui/Dialogs.h"

#include <filesystem>
#include <fstream>
#include <sys/resource.h>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

class ToolBarLayoutTest : public testing::Test {
protected:
  void SetUp() override {
    Dir = fs::temp_directory_path() / ("qy_toolbars_" + std::to_string(::getpid()));
    fs::remove_all(Dir);
    fs::create_directories(Dir);
    File = (Dir / "ToolBar.cfg").string();
  }
  void TearDown() override { fs::remove_all(Dir); }

  const TToolBarLayout Defaults{{{"tbStandard", true, {}}, {"tbFormat", true, {}}, {"tbDates", true, {}}}};
  fs::path Dir;
  String File;
};

TEST_F(ToolBarLayoutTest, ALayoutComesBackAsItWasSaved) {
  const TToolBarLayout layouts[] = {
      Defaults,
      {{{"tbDates", true, {"cbSelectJournal"}}, {"tbStandard", false, {}},
        {"tbFormat", true, {"tbFontName", "tbActionDateStamp"}}}},
      {{{"tbFormat", false, {}}, {"tbDates", false, {}}, {"tbStandard", false, {"tbActionSave"}}}},
  };
  for (const TToolBarLayout& layout : layouts) {
    SaveToolBarLayoutFile(File, layout);
    TToolBarLayout back;
    EXPECT_TRUE(LoadToolBarLayoutFile(File, Defaults, back));
    EXPECT_EQ(back, layout);
    // Saved again, the file is the same to the byte.
    const AnsiString first = LoadBytesFromFile(File);
    SaveToolBarLayoutFile(File, back);
    EXPECT_EQ(LoadBytesFromFile(File), first);
  }
}

TEST_F(ToolBarLayoutTest, TheFileIsTheUsersAlone) {
  // A new file and one left readable by an older version both end up 0600.
  for (bool existed : {false, true}) {
    SCOPED_TRACE(existed ? "rewritten" : "new");
    fs::remove(File);
    if (existed) {
      SaveBytesAtomically(File, "old");
      fs::permissions(File, fs::perms(0644), fs::perm_options::replace);
    }
    SaveToolBarLayoutFile(File, Defaults);
    EXPECT_EQ(fs::status(File).permissions() & fs::perms::all, fs::perms(0600));
  }
}

TEST_F(ToolBarLayoutTest, ADamagedFileGivesTheDefaultsIsKeptAsideAndToldOnce) {
  const AnsiString good = ToolBarLayoutText({{{"tbDates", false, {}}}});
  const struct {
    const char* Name;
    AnsiString Bytes;
  } cases[] = {
      {"binary", AnsiString("\x01\x00\xff\xfe garbage", 12)},
      {"empty", ""},
      {"other header", "[Something Else]\nVersion=1\n"},
      {"newer version", "[Quillory Tool Bars]\nVersion=2\n"},
      {"unknown key", good + "Colour=red\n"},
      {"bad flag", "[Quillory Tool Bars]\nVersion=1\n[Bar tbDates]\nVisible=yes\n"},
      {"key before any bar", "[Quillory Tool Bars]\nVersion=1\nVisible=1\n"},
      {"cut section line", "[Quillory Tool Bars]\nVersion=1\n[Bar tbDat"},
      {"same bar twice", "[Quillory Tool Bars]\nVersion=1\n[Bar tbDates]\n[Bar tbDates]\n"},
      {"odd item name", "[Quillory Tool Bars]\nVersion=1\n[Bar tbDates]\nHidden=a b\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    // The user is told once, naming the file and where it waits; the same
    // damage found again says nothing more. A folder of its own for each
    // case: each is a file not yet told of.
    const fs::path folder = Dir / c.Name;
    fs::create_directories(folder);
    const String file = (folder / "ToolBar.cfg").string();
    for (int time = 0; time < 2; ++time) {
      SaveBytesAtomically(file, c.Bytes);
      TInteractionScript script;
      if (time == 0) script.Answer(IDOK);
      TToolBarLayout layout{{{"junk", false, {}}}};
      EXPECT_FALSE(LoadToolBarLayoutFile(file, Defaults, layout));
      EXPECT_EQ(layout, Defaults);
      EXPECT_EQ(script.Unexpected, 0);
      ASSERT_EQ(script.Shown.size(), time == 0 ? 1u : 0u);
      if (time == 0) {
        EXPECT_NE(script.Shown[0].Text.find("tool bar layout \"" + file + "\" cannot be used: it is "), String::npos)
            << script.Shown[0].Text;
        EXPECT_NE(script.Shown[0].Text.find("kept as \"" + file + ".damaged\""), String::npos) << script.Shown[0].Text;
      }
      // Nothing of the user's file is lost: it waits beside, unchanged.
      EXPECT_FALSE(FileExists(file));
      ASSERT_TRUE(FileExists(file + ".damaged"));
      EXPECT_EQ(LoadBytesFromFile(file + ".damaged"), c.Bytes);
    }
  }
}

// A file grown far past any layout (400 MB) is not read into memory: the
// defaults are used, the user is told once, and the file waits beside.
TEST_F(ToolBarLayoutTest, AHugeFileIsNotReadAndTheUserIsTold) {
  {
    std::ofstream grow(File, std::ios::binary);
    grow << ToolBarLayoutText(Defaults);
  }
  fs::resize_file(File, std::uintmax_t(400) << 20);
  rusage before {};
  ::getrusage(RUSAGE_SELF, &before);
  TInteractionScript script;
  script.Answer(IDOK);
  TToolBarLayout layout{{{"junk", false, {}}}};
  EXPECT_FALSE(LoadToolBarLayoutFile(File, Defaults, layout));
  rusage after {};
  ::getrusage(RUSAGE_SELF, &after);
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024) << "KB more at the peak";
  EXPECT_EQ(layout, Defaults);
  ASSERT_EQ(script.Shown.size(), 1u);
  EXPECT_NE(script.Shown[0].Text.find("tool bar layout \"" + File + "\" cannot be used: it is 400 MB long"),
            String::npos)
      << script.Shown[0].Text;
  EXPECT_FALSE(FileExists(File));
  EXPECT_EQ(FileSizeOf(File + ".damaged"), Int64(400) << 20);
}

TEST_F(ToolBarLayoutTest, NoBarOfTheProgramGoesMissingThroughAFile) {
  const struct {
    const char* Name;
    TToolBarLayout Stored;
    TToolBarLayout Expected;
  } cases[] = {
      {"missing file", {}, Defaults},
      {"one bar named", {{{"tbFormat", false, {"x"}}}},
       {{{"tbFormat", false, {"x"}}, {"tbStandard", true, {}}, {"tbDates", true, {}}}}},
      {"a bar the program does not have",
       {{{"tbGone", true, {}}, {"tbDates", false, {}}}},
       {{{"tbDates", false, {}}, {"tbStandard", true, {}}, {"tbFormat", true, {}}}}},
  };
  for (const auto& c : cases) {
    if (c.Stored.Bars.empty()) fs::remove(File);
    else SaveToolBarLayoutFile(File, c.Stored);
    TToolBarLayout layout;
    EXPECT_TRUE(LoadToolBarLayoutFile(File, Defaults, layout)) << c.Name;
    EXPECT_EQ(layout, c.Expected) << c.Name;
    EXPECT_FALSE(FileExists(File + ".damaged")) << c.Name;
  }
}

TEST(DateTimeStamp, TextsFollowTheLocaleFormats) {
  const TFormatSettings saved = FormatSettings;
  FormatSettings = TFormatSettings();
  const TDateTime moment = EncodeDate(2024, 2, 29) + EncodeTime(14, 5, 0, 0);
  const struct {
    int Kind;
    const char* Text;
    const char* Caption;
  } cases[] = {
      {1, "* * *  Thursday, February 29, 2024  * * *", "Date Stamp"},
      {2, "* * *  2:05 PM  * * *", "Time Stamp"},
      {3, "* * *  Thursday, February 29, 2024 2:05 PM  * * *", "Date & Time Stamp"},
      {0, "", ""},
      {4, "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DateTimeStampText(c.Kind, moment), c.Text) << c.Kind;
    EXPECT_EQ(DateTimeStampCaption(c.Kind), c.Caption) << c.Kind;
  }
  FormatSettings = saved;
}

}  // namespace
