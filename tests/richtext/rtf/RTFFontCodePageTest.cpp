// 8-bit text is read in the code page of its font's charset: Windows-1252
// for an ANSI font whatever the document's \ansicpg, the document's code
// page only for the default charset.
#include "RTFTestSupport.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

#include <algorithm>
#include <string>
#include <vector>

using rtftest::Import;
using rtftest::PlainText;

namespace {

TEST(RTFFontCodePage, TextInTheCodePageOfItsFontsCharset) {
  struct Case {
    const char* Charset;  // the \fcharset word of font 0, or nothing
    const char* CodePage;  // the \ansicpg word, or nothing
    const char* Body;
    const char* Text;  // UTF-8
  } cases[] = {
      {"\\fcharset0", "\\ansicpg1252", "\\'93Hi\\'94\\'a0!", "\xE2\x80\x9CHi\xE2\x80\x9D\xC2\xA0!"},
      {"\\fcharset0", "", "\\'93Hi\\'94\\'a0!", "\xE2\x80\x9CHi\xE2\x80\x9D\xC2\xA0!"},
      // A double-byte document code page: no lead byte takes the next letter.
      {"\\fcharset0", "\\ansicpg932", "\\'93a\\'94b\\'a0c", "\xE2\x80\x9C" "a\xE2\x80\x9D" "b\xC2\xA0" "c"},
      {"\\fcharset0", "\\ansicpg936", "\\'93a\\'94", "\xE2\x80\x9C" "a\xE2\x80\x9D"},
      {"\\fcharset0", "\\ansicpg949", "\\'e9t\\'e9", "\xC3\xA9t\xC3\xA9"},
      {"\\fcharset0", "\\ansicpg1251", "caf\\'e9", "caf\xC3\xA9"},
      {"\\fcharset0", "\\ansicpg1250", "\\'e8a", "\xC3\xA8" "a"},
      // Other charsets keep their own code page ...
      {"\\fcharset204", "\\ansicpg1252", "\\'e9", "\xD0\xB9"},
      {"\\fcharset238", "\\ansicpg932", "\\'e8a", "\xC4\x8D" "a"},
      {"\\fcharset161", "\\ansicpg1251", "\\'e1", "\xCE\xB1"},
      // ... and the default charset (also when none is given) the document's.
      {"\\fcharset1", "\\ansicpg1251", "\\'e9", "\xD0\xB9"},
      {"", "\\ansicpg1250", "\\'e8", "\xC4\x8D"},
      {"", "\\ansicpg932", "\\'82\\'a0", "\xE3\x81\x82"},
      // A charset out of the range of one is unknown: the document's code
      // page, never the charset it comes to when cut to a byte.
      {"\\fcharset256", "\\ansicpg1251", "\\'e9", "\xD0\xB9"},
      {"\\fcharset460", "\\ansicpg1250", "\\'e8", "\xC4\x8D"},
      {"\\fcharset-1", "\\ansicpg1251", "\\'e9", "\xD0\xB9"},
  };
  for (bool addStyles : {false, true}) {
    for (const auto& c : cases) {
      const std::string rtf = std::string("{\\rtf1\\ansi") + c.CodePage + "\\deff0{\\fonttbl{\\f0" + c.Charset +
                              " Arial;}}\\f0 " + c.Body + "}";
      TVLStyle style(nullptr);
      TVLDocumentData doc(&style);
      TVLRTFReaderProperties props;
      if (addStyles) {
        props.UnicodeMode = vlruMixed;
        props.TextStyleMode = vlrsAddIfNeeded;
      }
      ASSERT_EQ(Import(props, doc, rtf), 0) << rtf;
      EXPECT_EQ(PlainText(doc), c.Text) << rtf << (addStyles ? " (styles added)" : "");
    }
  }
}

// A Mac Roman document whose font gives charset 256.
TEST(RTFFontCodePage, CharsetBeyondAByteTakesTheDocumentsCodePage) {
  const std::string rtf =
      qytest::ReadFileBytes(qytest::SourceDir() / "tests/richtext/rtf/data/rtf-fcharset-256-mac.rtf");
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  TVLRTFReaderProperties props;
  ASSERT_EQ(Import(props, doc, rtf), 0);
  EXPECT_EQ(PlainText(doc), "\xC3\x84\xC3\xA9\xE2\x80\xA2");  // Äé•
}

// A Mac Japanese document (code page 10001, a Shift-JIS form): its fonts of
// unknown, Mac and Shift-JIS charsets all read the Japanese text, and the
// Japanese font name too.
TEST(RTFFontCodePage, MacJapaneseDocumentReadsItsJapaneseText) {
  const std::string rtf = qytest::ReadFileBytes(qytest::SourceDir() / "tests/richtext/rtf/data/rtf-mac-japanese.rtf");
  for (bool addStyles : {false, true}) {
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    TVLRTFReaderProperties props;
    if (addStyles) {
      props.UnicodeMode = vlruMixed;
      props.TextStyleMode = vlrsAddIfNeeded;
    }
    ASSERT_EQ(Import(props, doc, rtf), 0);
    EXPECT_EQ(PlainText(doc), "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\n"              // 日本語
                              "\xE3\x82\xB7\xE3\x83\xB3\xE3\x83\x97\xE3\x83\xAB\n"  // シンプル
                              "\xE3\x81\x82\n"                                    // あ
                              "\xC2\xA9 2026\xE2\x80\xA6")                           // the Mac's own single bytes
        << (addStyles ? "styles added" : "");
    if (addStyles) {
      std::vector<std::string> fonts;
      for (Integer i = 0; i < style.TextStyles->Count(); ++i) fonts.push_back(style.TextStyles->Items(i)->FontName);
      EXPECT_NE(std::find(fonts.begin(), fonts.end(), "\xEF\xBC\xAD\xEF\xBC\xB3 \xE6\x98\x8E\xE6\x9C\x9D"),
                fonts.end());  // ＭＳ 明朝
    }
  }
}

// A Mac Japanese document's single bytes are the Mac's: ASCII below 0x80,
// backslash and tilde included, and its own bytes above (backslash,
// copyright, trade mark, ellipsis), in its Mac and its Japanese fonts alike.
TEST(RTFFontCodePage, MacJapaneseSingleBytesAreTheMacs) {
  struct Case {
    const char* Charset;
    const char* Body;
    const char* Text;  // UTF-8
  } cases[] = {
      {"\\fcharset77", "a~b\\'5c\\'7e", "a~b\\~"},
      {"\\fcharset128", "a~b\\'5c\\'7e", "a~b\\~"},
      {"\\fcharset77", "\\'80\\'fd\\'fe\\'ff", "\\\xC2\xA9\xE2\x84\xA2\xE2\x80\xA6"},
      {"\\fcharset128", "\\'80\\'fd\\'fe\\'ff", "\\\xC2\xA9\xE2\x84\xA2\xE2\x80\xA6"},
      {"\\fcharset128", "\\'82\\'a0~", "\xE3\x81\x82~"},  // a double byte, then a tilde
  };
  for (bool addStyles : {false, true}) {
    for (const auto& c : cases) {
      const std::string rtf = std::string("{\\rtf1\\mac\\ansicpg10001\\deff0{\\fonttbl{\\f0\\fnil") + c.Charset +
                              " Osaka;}}\\f0 " + c.Body + "}";
      TVLStyle style(nullptr);
      TVLDocumentData doc(&style);
      TVLRTFReaderProperties props;
      if (addStyles) {
        props.UnicodeMode = vlruMixed;
        props.TextStyleMode = vlrsAddIfNeeded;
      }
      ASSERT_EQ(Import(props, doc, rtf), 0) << rtf;
      EXPECT_EQ(PlainText(doc), c.Text) << rtf << (addStyles ? " (styles added)" : "");
    }
  }
}

// A symbol font's codes in the private-use range are the characters those
// fonts show (where the Symbol font shows a Latin-1 character, the code
// itself, which that font draws so); any other \u is the character it
// names, in such a font too. In other fonts every character stays as it is.
// The plain-text copy gives what the font shows either way.
TEST(RTFFontCodePage, SymbolFontCodesInEitherFormAreTheCharactersTheFontShows) {
  struct Case {
    const char* Body;
    const char* Text;  // the items' characters, UTF-8
    const char* Copied;  // the plain-text copy, UTF-8
  } cases[] = {
      {"{\\f1\\u183?}", "\xC2\xB7", "\xE2\x80\xA2"},        // no code shows it: code 0xB7, a bullet
      {"{\\f1\\u61623?}", "\xC2\xB7", "\xE2\x80\xA2"},
      {"{\\f1\\u97?\\u61538?\\u947?}", "abg", "\xCE\xB1\xCE\xB2\xCE\xB3"},  // alpha, beta, gamma
      // The character a \u names, held as the code that shows it.
      {"{\\f1\\u174?\\u169?\\u215?\\u247?\\u172?}", "\xC3\x92\xC3\x93\xC2\xB4\xC2\xB8\xC3\x98",
       "\xC2\xAE\xC2\xA9\xC3\x97\xC3\xB7\xC2\xAC"},
      {"{\\f1\\u-3886?}", "\xC3\x92", "\xC2\xAE"},           // code 0xD2, the registered sign
      {"{\\f1 \\'d2\\'61}", "\xC3\x92" "a", "\xC2\xAE\xCE\xB1"},
      {"{\\f2\\u252?}", "\xC3\xBC", "\xE2\x9C\x94"},        // code 0xFC, a check mark
      {"{\\f2\\u61692?}", "\xE2\x9C\x94", "\xE2\x9C\x94"},
      // Wingdings bytes too: a smiling face, an arrowhead, a victory hand
      // and a folder (beyond 16 bits).
      {"{\\f2 \\'4a\\'d8}", "\xE2\x98\xBA\xE2\x9E\xA2", "\xE2\x98\xBA\xE2\x9E\xA2"},
      {"{\\f2 A\\'4a0}", "\xE2\x9C\x8C\xE2\x98\xBA\xF0\x9F\x97\x80", "\xE2\x9C\x8C\xE2\x98\xBA\xF0\x9F\x97\x80"},
      {"{\\f0\\u183?}caf\\u233?", "\xC2\xB7" "caf\xC3\xA9", "\xC2\xB7" "caf\xC3\xA9"},
      {"{\\f0\\u61623?}", "\xEF\x82\xB7", "\xEF\x82\xB7"},
  };
  for (const auto& c : cases) {
    const std::string rtf = std::string("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Liberation Serif;}"
                                        "{\\f1\\fnil\\fcharset2 Symbol;}{\\f2\\fnil\\fcharset2 Wingdings;}}") +
                            c.Body + "}";
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    TVLRTFReaderProperties props;
    props.UnicodeMode = vlruMixed;
    props.TextStyleMode = vlrsAddIfNeeded;
    ASSERT_EQ(Import(props, doc, rtf), 0) << rtf;
    EXPECT_EQ(PlainText(doc), c.Text) << rtf;
    EXPECT_EQ(rtftest::CopiedText(doc), c.Copied) << rtf;
  }
}

}  // namespace
