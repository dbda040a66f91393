#include "support/TestSupport.h"
#include "platform/gui/Graphics.h"
#include "richtext/model/VLStyle.h"
#include "richtext/model/VLUni.h"

#include <gtest/gtest.h>

namespace {

constexpr Byte U = vlioUnicodeBit;

AnsiString Raw(const WideString& w) { return WideStringToRawUnicode(w); }

TEST(VLUniTest, ByCharacterOperationsOnBothForms) {
  struct TCase {
    AnsiString text;
    Byte options;
    Integer length;
    AnsiString copy22;   // TextCopy(text, 2, 2)
    AnsiString deleted;  // TextDelete(text, 2, 1)
    AnsiString inserted; // TextInsert(sub, text, 3)
    AnsiString sub;
  };
  const TCase cases[] = {
      {"abcd", 0, 4, "bc", "acd", "abXcd", "X"},
      {Raw(u"abc"), U, 3, Raw(u"bc"), Raw(u"ac"), Raw(u"abXc"), Raw(u"X")},
      {Raw(u"\u0416\u263A\u00E9"), U, 3, Raw(u"\u263A\u00E9"), Raw(u"\u0416\u00E9"),
       Raw(u"\u0416\u263A\u4E2D\u00E9"), Raw(u"\u4E2D")},
      {"", 0, 0, "", "", "X", "X"},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(c.length, TextLength(c.text, c.options));
    EXPECT_EQ(c.copy22, TextCopy(c.text, 2, 2, c.options));
    AnsiString d = c.text;
    TextDelete(d, 2, 1, c.options);
    EXPECT_EQ(c.deleted, d);
    AnsiString ins = c.text;
    TextInsert(c.sub, ins, 3, c.options);
    EXPECT_EQ(c.inserted, ins);
  }
  // Bytes 3-6 of a 6-byte Unicode text.
  EXPECT_EQ(AnsiString("b\0c\0", 4), TextCopy(AnsiString("a\0b\0c\0", 6), 2, 2, U));
  // Positions past the ends are clamped, never read beyond the text.
  EXPECT_EQ("cd", TextCopy("abcd", 3, 100, 0));
  EXPECT_EQ("", TextCopy("abcd", 9, 1, 0));
  EXPECT_EQ(Raw(u"d"), TextCopy(Raw(u"abcd"), 4, 5, U));
  AnsiString s = "abc";
  TextDelete(s, 5, 2, 0);
  EXPECT_EQ("abc", s);
  TextInsert("!", s, 99, 0);
  EXPECT_EQ("abc!", s);

  struct TSpace {
    AnsiString text;
    Byte options;
    Integer index;
    bool space;
  };
  const TSpace spaces[] = {{"a b", 0, 2, true},     {"a b", 0, 1, false},
                           {"a b", 0, 4, false},    {Raw(u"a b"), U, 2, true},
                           {Raw(u"a\u0120"), U, 2, false}, {Raw(u"a b"), U, 0, false}};
  for (const TSpace& c : spaces) EXPECT_EQ(c.space, IsSpaceAt(c.text, c.index, c.options)) << c.index;
}

TEST(VLUniTest, OddUnicodeLengthsAreRefused) {
  const AnsiString odd("a\0b", 3);
  const std::vector<std::function<void()>> calls = {
      [&] { TextLength(odd, U); },
      [&] { TextCopy(odd, 1, 1, U); },
      [&] { AnsiString s = odd; TextDelete(s, 1, 1, U); },
      [&] { AnsiString s = Raw(u"ab"); TextInsert("x", s, 1, U); },
      [&] { IsSpaceAt(odd, 1, U); },
      [&] { RawUnicodeToAnsi(odd, 1252); },
      [&] { AnsiString r; RawUnicodeToHTML(odd, false, false, r); },
      [&] { CheckUnicodeByteLength(5); },
      [&] { GetNextCharOffset(odd, U, 1); },
  };
  for (size_t i = 0; i < calls.size(); ++i) {
    try {
      calls[i]();
      ADD_FAILURE() << "call " << i << " went on";
    } catch (const EVellumError& e) {
      EXPECT_STREQ("Can't perform Unicode operation", e.what()) << i;
    }
  }
  // The same bytes as 8-bit text are fine.
  EXPECT_EQ(3, TextLength(odd, 0));
  CheckUnicodeByteLength(4);
}

TEST(VLUniTest, CodePageConversions) {
  struct TCase {
    Cardinal codePage;
    AnsiString ansi;
    WideString wide;
  };
  const TCase cases[] = {
      {1252, "caf\xE9 \x80", u"caf\u00E9 \u20AC"},
      {1251, "\xC6\xE8", u"\u0416\u0438"},
      {1253, "\xE1", u"\u03B1"},
      {0, "\xE9", u"\u00E9"},       // the system code page is 1252
      {12345, "\xE9", u"\u00E9"},   // an unknown one converts as the system's
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(Raw(c.wide), AnsiToRawUnicode(c.ansi, c.codePage)) << c.codePage;
    EXPECT_EQ(c.ansi, RawUnicodeToAnsi(Raw(c.wide), c.codePage)) << c.codePage;
  }
  // Characters the code page lacks become one "?" each.
  EXPECT_EQ("a??b", RawUnicodeToAnsi(Raw(u"a\u4E2D\u0416b"), 1252));
  EXPECT_EQ("", AnsiToRawUnicode("", 1252));
  EXPECT_EQ("", RawUnicodeToAnsi("", 1252));
  // The keyboard's code page is the system's, 1252: A5 is the yen sign there
  // (1250 reads it as A with ogonek, 1251 as Ukrainian ghe).
  EXPECT_EQ(1252u, GetKeyboardCodePage());
  EXPECT_EQ(Raw(u"\u00A5"), [] { AnsiString r; KeyboardAnsiToRawUnicode("\xA5", r); return r; }());

  struct TLang {
    Byte charset;
    Word language;
    Cardinal locale;
  };
  const TLang langs[] = {{0, 1033, 1033}, {128, 1041, 1041}, {130, 2066, 3090}, {134, 2052, 3076},
                         {1, 1024, 1024}, {178, 1024, 1024}, {204, 1049, 1049}};
  for (const TLang& l : langs) {
    EXPECT_EQ(l.language, CharsetToLanguage(l.charset)) << int(l.charset);
    EXPECT_EQ(l.locale, CharsetToLanguage(l.charset) | 0x400u) << int(l.charset);
  }
  EXPECT_EQ(0u, CharsetToCodePage(2));
  EXPECT_EQ(1u, CharsetToCodePage(255));
  EXPECT_EQ(0x0409u, LanguageToLocale(9));
}

TEST(VLUniTest, HtmlOfRawUnicode) {
  struct TCase {
    WideString text;
    bool nbspIfEmpty, special;
    AnsiString html;
  };
  const TCase cases[] = {
      {u"a<b   ", false, false, "a&lt;b &nbsp;&nbsp;"},
      {u"\u263A", false, false, "&#9786;"},
      {u" x", false, false, "&nbsp;x"},
      {u"a & b>", false, false, "a &amp; b&gt;"},
      {u"", true, false, "&nbsp;"},
      {u"", false, false, ""},
      {u"<i>", false, true, "<i>"},
      {u"\U0001F600", false, false, "&#55357;&#56832;"},
  };
  for (const TCase& c : cases) {
    AnsiString r = "old";
    RawUnicodeToHTML(Raw(c.text), c.nbspIfEmpty, c.special, r);
    EXPECT_EQ(c.html, r);
  }
}

TEST(VLUniTest, LineBreakOpportunities) {
  struct TCase {
    std::u16string text;
    Integer pos;
    Integer answer;  // index of the character after which the line breaks; -1: none
  };
  const TCase cases[] = {
      {u"abc def", 5, 3},        // the space
      {u"abcdefg", 5, -1},       // one word of letters
      {u"abc def", 3, 3},        // the character that does not fit is a space
      {u"abc   def", 7, 5},      // after the last of the spaces
      {u"well-known", 7, 4},     // after the hyphen
      {u"(abc)", 3, -1},         // nothing after an opening bracket
      {u"a \u4E2D\u6587", 3, 2}, // between ideographs
      {u"12,345", 4, -1},        // inside a number
      {u"x\u200Byz", 3, 1},      // after a zero-width space
  };
  for (const TCase& c : cases) {
    const char16_t* found = FindLineBreak(c.text.c_str(), c.pos);
    Integer at = found ? static_cast<Integer>(found - c.text.c_str()) : -1;
    EXPECT_EQ(c.answer, at) << std::string(c.text.begin(), c.text.end()) << " at " << c.pos;
  }
  EXPECT_EQ(lbNU, GetLineBreakClass(0x0665));
  EXPECT_EQ(lbCM, GetLineBreakClass(0x05A0));
  EXPECT_EQ(lbOP, GetLineBreakClass(0x276A));
  EXPECT_EQ(lbAL, GetLineBreakClass(u'q'));
}

TEST(VLUniTest, CharacterStepsAndDelimiters) {
  // A letter, a combining mark and a letter: one step covers the first two.
  const AnsiString combined = Raw(u"e\u0301x");
  struct TCase {
    AnsiString text;
    Byte options;
    Integer offset, next, prev;
  };
  const TCase cases[] = {
      {combined, U, 1, 3, 0},
      {combined, U, 3, 4, 1},
      {combined, U, 4, 5, 3},
      {Raw(u"a\U0001F600b"), U, 2, 4, 1},
      {Raw(u"a\U0001F600b"), U, 4, 5, 2},
      {"e\xCC\x81x", 0, 1, 2, 0},
      {"abc", 0, 3, 4, 2},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(c.next, GetNextCharOffset(c.text, c.options, c.offset)) << c.offset;
    EXPECT_EQ(c.prev, GetPrevCharOffset(c.text, c.options, c.offset)) << c.offset;
  }

  const AnsiString delimiters = " .,;\xE9";
  struct TDelim {
    AnsiString text;
    Byte options;
    Integer index;
    bool delimiter;
  };
  const TDelim delims[] = {{"a.b", 0, 2, true},      {"a.b", 0, 1, false},
                           {"a.b", 0, 9, false},     {Raw(u"a,b"), U, 2, true},
                           {Raw(u"a\u00E9"), U, 2, true}, {Raw(u"a\u012E"), U, 2, false},
                           {Raw(u"a\u2E2E"), U, 2, false}};
  for (const TDelim& d : delims)
    EXPECT_EQ(d.delimiter, IsDelimiterAt(d.text, d.index, d.options, delimiters)) << d.index;
}

TEST(VLUniTest, AllCapsReplaceAllAndFileEncodings) {
  TVLStyle sheet(nullptr);
  TFontInfo* fi = sheet.TextStyles->Items(0);
  AnsiString r;
  ApplyAllCaps("stra\xDF" "e", *fi, r);
  EXPECT_EQ("stra\xDF" "e", r);
  fi->StyleEx = {vlfsAllCaps};
  fi->Charset = 0;
  ApplyAllCaps("caf\xE9", *fi, r);
  EXPECT_EQ("CAF\xC9", r);
  fi->Unicode = true;
  ApplyAllCaps(Raw(u"\u0436\u00E9"), *fi, r);
  EXPECT_EQ(Raw(u"\u0416\u00C9"), r);

  struct TReplace {
    AnsiString s, from, to, result;
  };
  const TReplace replaces[] = {{"aXbXc", "X", "--", "a--b--c"},
                               {"aaaa", "aa", "a", "a"},  // searched again from the start
                               {"ab", "a", "aa", "aab"},   // would never end otherwise
                               {"abc", "", "x", "abc"}};
  for (const TReplace& c : replaces) {
    AnsiString s = c.s;
    ReplaceAll(s, c.from, c.to);
    EXPECT_EQ(c.result, s) << c.s;
  }

  qytest::TempDir dir;
  struct TFile {
    const char* name;
    AnsiString bytes;
    Integer kind;
  };
  const TFile files[] = {{"empty.txt", "", 3},
                         {"odd.txt", "abc", 0},
                         {"bom.txt", AnsiString("\xFF\xFE" "a\0", 4), 1},
                         {"bigendian.txt", AnsiString("\xFE\xFF\0a", 4), 1},
                         {"nobom16.txt", AnsiString("a\0b\0", 4), 1},
                         {"ansi.txt", "abcd", 2}};
  for (const TFile& f : files) {
    qytest::WriteFileBytes(dir / f.name, f.bytes);
    EXPECT_EQ(f.kind, GuessTextFileEncoding((dir / f.name).string())) << f.name;
  }
  EXPECT_EQ(4, GuessTextFileEncoding((dir / "missing.txt").string()));
}

TEST(VLUniTest, MeasuringAndPlacingAgreeWithTheCanvas) {
  TBitmap bitmap(200, 40);
  TCanvas* canvas = bitmap.Canvas();
  canvas->Font.SetName("Liberation Sans");
  canvas->Font.SetHeight(-13);
  const AnsiString ansi = "Hello world";
  const AnsiString raw = Raw(u"Hello world");
  const Integer width = canvas->TextWidthW(u"Hello world");
  EXPECT_GT(width, 0);
  EXPECT_EQ(width, TextWidth(ansi, canvas, 0));
  EXPECT_EQ(width, TextWidth(raw, canvas, U));
  EXPECT_EQ(0, TextWidth("", canvas, 0));

  std::vector<Integer> dx8, dx16;
  Integer fit8 = -1, fit16 = -1;
  GetTextExtentExPoint(canvas, ansi, width / 2, 0, &dx8, fit8);
  GetTextExtentExPoint(canvas, raw, width / 2, U, &dx16, fit16);
  EXPECT_EQ(fit8, fit16);
  EXPECT_GT(fit8, 0);
  EXPECT_LT(fit8, 11);
  ASSERT_EQ(11u, dx8.size());
  EXPECT_EQ(dx8, dx16);
  EXPECT_LE(dx8[size_t(fit8 - 1)], width / 2);
  EXPECT_GT(dx8[size_t(fit8)], width / 2);
  EXPECT_EQ(width, dx8.back());
  Integer fitEmpty = -1;
  GetTextExtentExPoint(canvas, "", 100, 0, nullptr, fitEmpty);
  EXPECT_EQ(0, fitEmpty);

  std::vector<Integer> positions;
  ASSERT_TRUE(GetCaretPositions(canvas, ansi, positions, 0));
  ASSERT_EQ(12u, positions.size());
  EXPECT_EQ(0, positions[0]);
  for (size_t i = 1; i < positions.size(); ++i) {
    EXPECT_EQ(dx8[i - 1] + 1, positions[i]) << i;
  }

  // Drawing a part of the text paints inside that part only.
  canvas->Brush.Color = clWhite;
  canvas->FillRect(TRect(0, 0, 200, 40));
  canvas->Font.SetColor(clBlack);
  canvas->Brush.Color = clYellow;
  EXPECT_TRUE(TryTextOutPlaced(true, canvas, 10, 5, raw, U, 7, 11, 20));
  EXPECT_FALSE(TryTextOutPlaced(false, canvas, 10, 5, raw, U, 1, 11, 20));
  EXPECT_EQ(clWhite, canvas->GetPixel(10 + dx8[5] - 1, 10));
  EXPECT_NE(clWhite, canvas->GetPixel(10 + dx8[5] + 1, 10));
}

}  // namespace
