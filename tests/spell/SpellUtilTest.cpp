#include "spell/scUtil.h"

#include "platform/gui/FormMonitor.h"
#include "platform/gui/Forms.h"
#include "platform/os/FolderMacros.h"
#include "platform/os/SysPaths.h"
#include "SpellTestSupport.h"

#include <gtest/gtest.h>

TEST(SpellUtil, PathMacros) {
  String r;
  ReplaceMacro("%UserName%", "u", "%UserName%/%UserName%", r);
  EXPECT_EQ(r, "u/%UserName%");
  EXPECT_EQ(ExpandPathMacros("%UserName%-%UserName%"), SpellUserName() + "-%UserName%");
  EXPECT_EQ(ExpandPathMacros("%AppDir%/x"), GetProgramDataFolder() + "/x");
  EXPECT_EQ(ExpandPathMacros("%AppName%"), GetProgramName());
  EXPECT_EQ(ExpandPathMacros("%AppData%/d"), GetDataFolder() + "/d");
  EXPECT_EQ(ExpandPathMacros("%AppConfig%/c"), GetUserConfigFolder() + "/c");
  ::setenv("QY_SPELL_VAR", "v", 1);
  EXPECT_EQ(ExpandPathMacros("%QY_SPELL_VAR%/%Unknown%"), "v/%Unknown%");
  String v;
  GetLibraryVersion(v);
  EXPECT_EQ(v, "1.0");
}

TEST(SpellUtil, FilesAndFolders) {
  qytest::TempDir tmp;
  const String deep = tmp.str() + "/a/b/c";
  ForceFolders(deep + "/");
  EXPECT_TRUE(std::filesystem::is_directory(deep));
  const String f = deep + "/new.spu";
  EXPECT_TRUE(CanCreateFile(f, true));
  EXPECT_FALSE(std::filesystem::exists(f));
  EXPECT_TRUE(CanCreateFile(f, false));
  EXPECT_TRUE(std::filesystem::exists(f));
  EXPECT_TRUE(CanCreateFile(f, true));  // an existing file stays
  EXPECT_TRUE(std::filesystem::exists(f));
  EXPECT_FALSE(CanCreateFile(tmp.str() + "/missing/x.spu", true));
  EXPECT_FALSE(CanCreateFile("", true));
}

TEST(SpellUtil, DialogPlacementRules) {
  const TRect m(0, 0, 800, 600);
  struct Case {
    int x, y, w, h;
    TPoint expected;
  } cases[] = {
      {10, 10, 100, 100, {10, 10}},
      {-50, -20, 100, 100, {0, 0}},
      {750, 550, 100, 100, {700, 500}},
      {100, 560, 100, 100, {100, 500}},  // moved up, X unchanged
      {0, 0, 900, 100, {-100, 0}},       // wider than the monitor
  };
  for (const auto& c : cases) {
    const TPoint p = PlaceRect(m, c.x, c.y, c.w, c.h);
    EXPECT_EQ(p, c.expected) << c.x << "," << c.y;
  }
  const TRect word(200, 300, 260, 320);
  // Under the word's bottom-left corner, or above it when there is no room.
  EXPECT_EQ(PlaceRectBeside(m, TRect(0, 0, 150, 100), word, true, true), TPoint(200, 320));
  EXPECT_EQ(PlaceRectBeside(m, TRect(0, 0, 150, 300), word, true, true), TPoint(200, 0));
  EXPECT_EQ(PlaceRectBeside(m, TRect(5, 6, 150, 100), word, false, true), TPoint(5, 320));

  TForm form(nullptr);
  form.SetBounds(0, 0, 120, 80);
  const TRect mon = MonitorBoundsOf(&form);
  PlaceDialog(&form, mon.Right - 10, mon.Bottom - 10);
  EXPECT_EQ(form.GetLeft(), mon.Right - 120);
  EXPECT_EQ(form.GetTop(), mon.Bottom - 80);
}

TEST(SpellUtil, EventListFiresInOrderAndRemovesByKey) {
  TEventList list;
  std::string log;
  int a = 0, b = 0;
  list.Add(&a, [&](TObject*) { log += "a"; });
  list.Add(&b, [&](TObject*) { log += "b"; });
  list.Add(&a, [&](TObject*) { log += "A"; });
  list.Fire(nullptr);
  list.Remove(&a);  // the first with that key
  list.Fire(nullptr);
  list.Remove(&log);  // unknown: nothing
  EXPECT_EQ(log, "abAbA");
  EXPECT_EQ(list.Count(), 2);
}

// Whether text shows anything, by the characters' Unicode categories; and
// the engine's bytes for text, a character beyond the basic plane as one.
TEST(SpellUtil, InvisibleTextAndWordBytesFollowUnicode) {
  const struct {
    const char* text;
    bool invisible;
  } texts[] = {
      {"", true},
      {"\xE2\x80\x8B\xC2\xA0", true},                   // zero-width space, no-break space
      {"\xCC\x81", true},                               // a combining acute with nothing under it
      {"e\xCC\x81", false},                             // the same on a letter
      {"\xEF\xBF\xB9\xF0\x9D\x85\xB3", true},           // format characters in both planes
      {"\xE2\x80\xA9\xE1\x9A\x80", true},               // paragraph separator, ogham space
      {"\xE3\x85\xA4", true},                           // Hangul filler
      {"\xF0\x9D\x90\x80", false},                      // a bold capital beyond the basic plane
      {"\xF0\x9F\x98\x80", false},                      // an emoji
      {"-", false},
  };
  for (const auto& t : texts) EXPECT_EQ(IsInvisibleText(t.text), t.invisible) << testing::PrintToString(std::string(t.text));
  for (const char* bad : {"Z\x81Z", "Z\nZ", "Z\x1F", "\xA0", ""}) EXPECT_TRUE(IsUnusableReplacement(bad)) << bad;
  for (const char* good : {"the", "caf\xE9", "don\x92t", "a b"}) EXPECT_FALSE(IsUnusableReplacement(good)) << good;

  const struct {
    std::u16string text;
    AnsiString bytes;
  } words[] = {
      {u"wrods\U0001D400", AnsiString("wrods\x81\x81")},  // a letter: the word goes on
      {u"wrods\U0001F600", "wrods??"},                     // an emoji ends it
      {u"x\xD835y", "x?y"},                                // half a pair is no letter
      {u"\x0416\x0301\x3002", "\x81\x81?"},                // a letter, its mark, a full stop
  };
  for (const auto& w : words) {
    AnsiString out(w.text.size(), '\0');
    SpellBytesOfUnits(w.text.data(), w.text.size(), out.data());
    EXPECT_EQ(out, w.bytes);
  }
}
