#include "platform/base/CodePages.h"

#include <gtest/gtest.h>

TEST(CodePages, CharsetTable) {
  struct Case { Byte charset; Cardinal cp; };
  const Case cases[] = {
      {0, 1252},   {1, 0},      {2, 0},      {77, 2},     {128, 932},  {129, 949},
      {130, 1361}, {134, 936},  {136, 950},  {161, 1253}, {162, 1254}, {163, 1258},
      {177, 1255}, {178, 1256}, {186, 1257}, {204, 1251}, {222, 874},  {238, 1250},
      {255, 1},    {3, 0},      {100, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(CharsetToCodePage(c.charset), c.cp) << int(c.charset);
  EXPECT_EQ(GetACP(), 1252u);
  EXPECT_EQ(ResolveCodePage(CP_ACP), 1252u);
  EXPECT_EQ(ResolveCodePage(CP_MACCP), 10000u);
}

TEST(CodePages, RoundTripsThroughUtf16) {
  struct Case { Cardinal cp; AnsiString bytes; WideString text; };
  const Case cases[] = {
      {1252, "caf\xE9 \x80 \x9F", u"caf\u00E9 \u20AC \u0178"},
      {1250, "\x8A\x9A \xC8\xE8 \xA3", u"\u0160\u0161 \u010C\u010D \u0141"},
      {1251, "\xCF\xF0\xE8\xE2\xE5\xF2", u"\u041F\u0440\u0438\u0432\u0435\u0442"},
      {932, "\x93\xFA\x96\x7B abc \xB1", u"\u65E5\u672C abc \uFF71"},
      {0, "\xE9", u"\u00E9"},  // the system code page is 1252
      {1253, "\xE1\xE2", u"\u03B1\u03B2"},
      {936, "\xD6\xD0", u"\u4E2D"},
      {65001, "\xE2\x82\xAC", u"\u20AC"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AnsiToWide(c.bytes, c.cp), c.text) << c.cp;
    bool lossless = false;
    EXPECT_EQ(WideToAnsi(c.text, c.cp, lossless), c.bytes) << c.cp;
    EXPECT_TRUE(lossless) << c.cp;
  }
  // Every byte of the single-byte pages survives a round trip, including
  // those glibc leaves undefined (CP1252 0x81 0x8D 0x8F 0x90 0x9D, CP1251 0x98).
  for (Cardinal cp : {1250u, 1251u, 1252u}) {
    AnsiString all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    const WideString w = AnsiToWide(all, cp);
    ASSERT_EQ(w.size(), all.size());
    EXPECT_EQ(WideToAnsi(w, cp), all) << cp;
  }
  EXPECT_EQ(AnsiToWide("\x81\x8D", 1252), u"\u0081\u008D");
  EXPECT_EQ(AnsiToWide("\x98", 1251), u"\u0098");
}

TEST(CodePages, QuestionMarkFallbacks) {
  struct Case { Cardinal cp; WideString text; AnsiString bytes; };
  const Case cases[] = {
      {1252, u"a\u0416b", "a?b"},            // Cyrillic in Western
      {1251, u"\u00E9\u0416", "?\xC6"},      // é in Cyrillic
      {1250, u"\u65E5", "?"},
      {1252, u"\U0001F600x", "?x"},          // a surrogate pair is one character
      {932, u"a\u0416\u00E9\u65E5", "a\x84\x47?\x93\xFA"},
      {932, u"\U0001F600", "?"},
      {1252, u"\xD800", "?"},                // a lone surrogate
      {12345, u"\u00E9\u0416", "\xE9?"},      // unknown code page: the system one
  };
  for (const auto& c : cases) {
    bool lossless = true;
    EXPECT_EQ(WideToAnsi(c.text, c.cp, lossless), c.bytes) << c.cp;
    EXPECT_FALSE(lossless) << c.cp;
  }
  // Bytes without a character.
  EXPECT_EQ(AnsiToWide("a\x81 b", 932), u"a? b");     // lead byte before an invalid trail
  EXPECT_EQ(AnsiToWide("ab\x93", 932), u"ab?");       // cut short at the end
  EXPECT_EQ(AnsiToWide("\xAA", 1253), u"?");          // undefined above 0x9F
  EXPECT_EQ(AnsiToWide("\xE9", 99999), u"\u00E9");    // unknown code page
  EXPECT_TRUE(AnsiToWide("", 932).empty());
  EXPECT_TRUE(WideToAnsi(u"", 932).empty());
  EXPECT_TRUE(IsDBCSLeadByte(0x93, 932));
  EXPECT_FALSE(IsDBCSLeadByte(0xB1, 932));
  EXPECT_FALSE(IsDBCSLeadByte(0x93, 1252));
}

TEST(CodePages, Utf8) {
  struct Case { String utf8; WideString wide; };
  const Case cases[] = {
      {"", u""},
      {"abc", u"abc"},
      {"\xC3\xA9\xE2\x82\xAC", u"\u00E9\u20AC"},
      {"\xF0\x9F\x98\x80", u"\U0001F600"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToWide(c.utf8), c.wide);
    EXPECT_EQ(WideToUtf8(c.wide), c.utf8);
  }
  // Malformed input: one replacement character per bad byte.
  EXPECT_EQ(Utf8ToWide("a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(Utf8ToWide("\xC3"), u"\uFFFD");
  EXPECT_EQ(Utf8ToWide("\xC0\x80"), u"\uFFFD\uFFFD");          // overlong
  EXPECT_EQ(Utf8ToWide("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  EXPECT_EQ(WideToUtf8(u"\xDC00"), "\xEF\xBF\xBD");
  EXPECT_EQ(AnsiToUtf8("\xE9", 1252), "\xC3\xA9");
  EXPECT_EQ(Utf8ToAnsi("\xC3\xA9", 1252), "\xE9");
  EXPECT_EQ(WideToRawUnicode(u"A\u263A"), std::string("A\0\x3A\x26", 4));
  EXPECT_EQ(RawUnicodeToWide(std::string("A\0\x3A\x26", 4)), u"A\u263A");
}

TEST(CodePages, CaseMappingKeepsLength) {
  EXPECT_EQ(WideUpperCase(u"stra\u00DFe \u00E9t\u00E9 \u0444"), u"STRA\u00DFE \u00C9T\u00C9 \u0424");
  EXPECT_EQ(WideLowerCase(u"\u00C9\u0424A"), u"\u00E9\u0444a");
  EXPECT_EQ(WideUpperCase(u"\U00010428"), u"\U00010400");  // Deseret, a surrogate pair
  struct Case { Cardinal cp; AnsiString in, out; };
  const Case cases[] = {
      {1252, "caf\xE9 \xFF \xDF \xB5", "CAF\xC9 \x9F \xDF \xB5"},  // ÿ→Ÿ; ß and µ stay
      {1251, "\xEF\xF0\xE8", "\xCF\xD0\xC8"},
      {1250, "\x9A\xE8", "\x8A\xC8"},
      {932, "a\x82\x61z", "A\x82\x61Z"},  // the trail byte 0x61 is not an "a"
  };
  for (const auto& c : cases) {
    const AnsiString up = AnsiUpperCase(c.in, c.cp);
    EXPECT_EQ(up, c.out) << c.cp;
    EXPECT_EQ(up.size(), c.in.size());
  }
  EXPECT_EQ(AnsiLowerCase("ABC\xC9", 1252), "abc\xE9");
  EXPECT_EQ(AnsiUpperCase("abc"), "ABC");
}
