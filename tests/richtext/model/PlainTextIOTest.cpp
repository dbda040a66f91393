// Plain text in and out: line and page breaks of 8-bit and UTF-16 files,
// byte-order marks, and round trips that keep every character the code
// page can hold.
#include "platform/base/CodePages.h"
#include "platform/base/Streams.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLUni.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace {

AnsiString Utf16(const std::u16string& w) {
  AnsiString r;
  for (char16_t c : w) {
    r += static_cast<char>(c & 0xFF);
    r += static_cast<char>(c >> 8);
  }
  return r;
}

// Items as "text|P" (paragraph start), "text|L" (line break), with "+" for
// a page break before; Unicode items shown in UTF-8.
std::string Shape(TCustomVLData& d) {
  std::string r;
  for (Integer i = 0; i < d.GetItemCount(); ++i) {
    TCustomVLItemInfo* it = d.GetItem(i);
    AnsiString t = d.GetItemTextA(i);
    if (it->IsUnicode()) t = WideToUtf8(RawUnicodeToWideString(t));
    r += t + "|" + (it->IsParaStart() ? "P" : "L") + (it->GetPageBreakBefore() ? "+" : "") + " ";
  }
  return r;
}

AnsiString Save(TCustomVLData& d, bool unicode, bool signature) {
  TMemoryStream s;
  EXPECT_TRUE(d.SaveTextToStream("", s, 80, false, false, unicode, signature));
  return s.Bytes();
}

}  // namespace

TEST(PlainText, Loading) {
  struct TCase {
    const char* Name;
    AnsiString File;
    bool Unicode, Single;
    std::string Expected;
  };
  const TCase cases[] = {
      {"empty line between paragraphs", "a\r\n\r\nb", false, false, "a|P |P b|P "},
      {"LF files read like CR LF files", "a\n\nb\n", false, false, "a|P |P b|P "},
      {"one paragraph of lines", "a\r\n\r\nb", false, true, "a|P |L b|L "},
      {"form feed is a page break", "x\x0Cy", false, false, "x|P y|P+ "},
      {"NUL bytes become ?", AnsiString("a\0b", 3), false, false, "a?b|P "},
      {"UTF-16 little-endian mark", Utf16(u"\uFEFFa\r\nb\u2028c"), true, false, "a|P b|P c|L "},
      {"UTF-16 big-endian mark", AnsiString("\xFE\xFF\x00h\x00i", 6), true, false, "hi|P "},
      {"no mark keeps the first two bytes", Utf16(u"ok"), true, false, "ok|P "},
      {"LF CR counts as one break", Utf16(u"a\n\rb"), true, false, "a|P b|P "},
      {"paragraph separator and form feed", Utf16(u"a\u2029b\fc"), true, false, "a|P b|P c|P+ "},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    qytest::TempDir dir;
    qytest::WriteFileBytes(dir / "t.txt", c.File);
    TVLStyle style(nullptr);
    style.TextStyles->Items(1)->Unicode = true;
    TVLDocumentData d(&style);
    const bool ok = c.Unicode ? d.LoadTextUnicode((dir / "t.txt").string(), 1, 0, c.Single)
                              : d.LoadText((dir / "t.txt").string(), 0, 0, c.Single);
    EXPECT_TRUE(ok);
    EXPECT_EQ(Shape(d), c.Expected);
    EXPECT_TRUE(d.AddParagraphMode);
  }
}

TEST(PlainText, FailuresAnswerFalse) {
  qytest::TempDir dir;
  qytest::WriteFileBytes(dir / "odd.txt", "abc");
  TVLStyle style(nullptr);
  TVLDocumentData d(&style);
  EXPECT_FALSE(d.LoadTextUnicode((dir / "odd.txt").string(), 0, 0, false));
  EXPECT_FALSE(d.LoadText((dir / "missing.txt").string(), 0, 0, false));
  EXPECT_EQ(d.GetItemCount(), 0);
}

TEST(PlainText, Saving) {
  TVLStyle style(nullptr);
  TVLDocumentData d(&style);
  d.AddTextItem("ab", 0, 0);
  d.SetAddParagraphMode(false);
  d.AddTextItem("c", 0, 0);
  d.SetAddParagraphMode(true);
  auto rule = std::make_unique<TVLBreakItemInfo>(&d);
  rule->StyleNo = vlsBreak;
  d.AddItem("", rule.release());
  d.AddTextItem("d", 0, 0);
  EXPECT_EQ(Save(d, false, false), "ab\r\nc\r\n" + AnsiString(80, '-') + "\r\nd");
  const AnsiString u = Save(d, true, true);
  EXPECT_EQ(u.substr(0, 2), AnsiString("\xFF\xFE", 2));
  EXPECT_EQ(u.substr(2, 14), Utf16(u"ab\r\nc\r\n"));
  EXPECT_EQ(u.substr(u.size() - 6), Utf16(u"\r\nd"));
}

TEST(PlainText, RoundTripsKeepWhatTheCodePageHolds) {
  std::mt19937 rng(5);
  // Every character of code page 1252 that maps to Unicode, and a spread of
  // Unicode including characters beyond the basic plane.
  std::u16string ansi, uni;
  for (int b = 0x20; b < 0x100; ++b) {
    const WideString w = AnsiToWide(AnsiString(1, static_cast<char>(b)), 1252);
    if (w.size() == 1 && w[0] != 0xFFFD && w[0] != 0x7F) ansi += w[0];
  }
  for (int k = 0; k < 2000; ++k) {
    char16_t c = static_cast<char16_t>(0x20 + rng() % 0xD7D0);
    if (c == 0x2028 || c == 0x2029 || c == 0x7F) continue;
    uni += c;
  }
  uni += u"\U0001F600\U00010348";
  struct TCase {
    bool Unicode;
    std::u16string Text;
  };
  for (const TCase& c : {TCase{false, ansi}, TCase{true, uni}}) {
    SCOPED_TRACE(c.Unicode);
    qytest::TempDir dir;
    const String file = (dir / "rt.txt").string();
    TVLStyle style(nullptr);
    style.TextStyles->Items(0)->Unicode = c.Unicode;
    TVLDocumentData src(&style);
    // Three paragraphs of the text.
    const std::u16string para = c.Text.substr(0, c.Text.size() / 3);
    for (int p = 0; p < 3; ++p) {
      if (c.Unicode)
        src.AddTextItem(Utf16(c.Text.substr(p * para.size(), para.size())), 0, 0);
      else
        src.AddTextItem(WideToAnsi(c.Text.substr(p * para.size(), para.size()), 1252), 0, 0);
    }
    ASSERT_TRUE(src.SaveText(file, 80, c.Unicode));
    TVLDocumentData back(&style);
    ASSERT_TRUE(c.Unicode ? back.LoadTextUnicode(file, 0, 0, false) : back.LoadText(file, 0, 0, false));
    ASSERT_EQ(back.GetItemCount(), 3);
    for (Integer i = 0; i < 3; ++i) EXPECT_EQ(back.GetItemTextA(i), src.GetItemTextA(i)) << i;
  }
}

TEST(PlainText, EightBitFilesAreUtf8WithLineFeeds) {
  qytest::TempDir dir;
  const String file = (dir / "u.txt").string();
  TVLStyle style(nullptr);
  style.TextStyles->Items(1)->Unicode = true;
  TVLDocumentData src(&style);
  src.AddTextItem(Utf16(u"\u0141\u00F3d\u017A \u20AC5"), 1, 0);
  src.AddTextItem(Utf16(u"\u65E5\u672C \U0001F600"), 1, 0);
  src.AddTextItem("caf\xE9", 0, 0);  // an 8-bit item of code page 1252
  ASSERT_TRUE(src.SaveText(file, 80, false));
  EXPECT_EQ(qytest::ReadFileBytes(file),
            "\xC5\x81\xC3\xB3\x64\xC5\xBA \xE2\x82\xAC\x35\n\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80\ncaf\xC3\xA9");
  struct TCase {
    const char* Name;
    AnsiString File;
    std::string Expected;
  };
  const TCase cases[] = {
      {"our own file", qytest::ReadFileBytes(file),
       "\xC5\x81\xC3\xB3\x64\xC5\xBA \xE2\x82\xAC\x35|P \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80|P caf\xC3\xA9|P "},
      {"UTF-8 with a byte order mark", "\xEF\xBB\xBF\xC3\xA9t\xC3\xA9\r\nx", "\xC3\xA9t\xC3\xA9|P x|P "},
      {"not UTF-8: Windows-1252", "caf\xE9 \x80\r\n", "caf\xC3\xA9 \xE2\x82\xAC|P "},
      {"plain ASCII", "a\nb", "a|P b|P "},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    qytest::WriteFileBytes(dir / "in.txt", c.File);
    TVLDocumentData d(&style);
    ASSERT_TRUE(d.LoadText((dir / "in.txt").string(), 1, 0, false));
    EXPECT_EQ(Shape(d), c.Expected);
  }
}
