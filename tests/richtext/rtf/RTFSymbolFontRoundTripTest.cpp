// Text in the Symbol and Wingdings fonts keeps its characters through RTF:
// what the writer writes (the clipboard, Save a Copy) the reader reads back
// (paste, Insert > File), for every code those fonts map, held as the code,
// as the character the font shows or as a byte.
#include "RTFTestSupport.h"

#include <gtest/gtest.h>

#include "platform/gui/SymbolEncoding.h"
#include "richtext/model/VLMarkerText.h"

#include <cstdio>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

using rtftest::Import;

namespace {

// Each character of the document as its font shows it (the codes of the
// symbol fonts as the characters they show), with the font; "|" between
// paragraphs.
struct TChar {
  std::string Font;
  char16_t Ch;
  bool operator==(const TChar&) const = default;
};

void PrintTo(const TChar& c, std::ostream* os) {
  char b[24];
  std::snprintf(b, sizeof b, "%s:%04X", c.Font.c_str(), static_cast<unsigned>(c.Ch));
  *os << b;
}

std::vector<TChar> Chars(TCustomVLData& doc) {
  std::vector<TChar> r;
  for (Integer i = 0; i < doc.GetItemCount(); ++i) {
    if (i > 0 && !doc.GetItem(i)->GetSameAsPrev()) r.push_back({"", u'|'});
    const Integer styleNo = doc.GetItemStyle(i);
    if (styleNo < 0) continue;
    const std::string font = doc.GetStyle()->TextStyles->Items(styleNo)->FontName;
    const AnsiString raw = doc.GetItemTextA(i);
    for (char16_t c : VLSymbolFontText(raw, doc.GetItemOptions(i) & vlioUnicode, font, 1252)) r.push_back({font, c});
  }
  return r;
}

// The whole sequence (gtest shows only the first elements).
std::string Show(const std::vector<TChar>& chars) {
  std::ostringstream r;
  for (const TChar& c : chars) {
    PrintTo(c, &r);
    r << ' ';
  }
  return r.str();
}

AnsiString Rtf(TCustomVLData& doc) {
  TMemoryStream s;
  doc.SaveRTFToStream(s, false, 0, clWindow, nullptr, nullptr);
  return s.Bytes();
}

// Reads rtf into an empty document of the style sheet sheet: a new one (a
// paste into a new entry) or the writer's own (Insert > File, which finds
// the styles it needs there).
std::vector<TChar> ReadBack(const AnsiString& rtf, TVLStyle& sheet) {
  TVLDocumentData doc(&sheet);
  TVLRTFReaderProperties props;
  props.UnicodeMode = vlruMixed;
  props.ParaStyleMode = props.TextStyleMode = vlrsAddIfNeeded;
  EXPECT_EQ(Import(props, doc, rtf), 0);
  return Chars(doc);
}

Integer AddStyle(TVLStyle& sheet, const char* font, bool unicode) {
  TFontInfo* f = sheet.TextStyles->Add();
  f->FontName = font;
  f->Charset = SYMBOL_CHARSET;
  f->Unicode = unicode;
  return sheet.TextStyles->Count() - 1;
}

TEST(RTFSymbolFontRoundTrip, EveryCodeTheFontsMapComesBackAsItWas) {
  for (const char* font : {"Symbol", "Wingdings"}) {
    SCOPED_TRACE(font);
    TVLStyle sheet(nullptr);
    sheet.TextStyles->Items(0)->FontName = "Liberation Serif";
    sheet.TextStyles->Items(0)->Unicode = true;
    const Integer units = AddStyle(sheet, font, true), bytes = AddStyle(sheet, font, false);
    TVLDocumentData doc(&sheet);
    int codes = 0;
    for (unsigned code = 0x20; code <= 0xFF; ++code) {
      const std::u16string shown = SymbolFontTextShown(font, std::u16string(1, static_cast<char16_t>(code)));
      if (shown[0] == code) continue;
      ++codes;
      // The code as a unit, the character the font shows there, the code
      // as a byte; each between letters of another font.
      doc.AddTextItem(WideToRawUnicode(u"x"), 0, 0);
      doc.AddTextItem(WideToRawUnicode(WideString(1, static_cast<char16_t>(code))), units, -1);
      doc.AddTextItem(WideToRawUnicode(u"y"), 0, -1);
      doc.AddTextItem(WideToRawUnicode(shown), units, -1);
      doc.AddTextItem(WideToRawUnicode(u"z"), 0, -1);
      doc.AddTextItem(AnsiString(1, static_cast<char>(code)), bytes, -1);
    }
    EXPECT_GT(codes, 100);
    const std::vector<TChar> written = Chars(doc);
    const AnsiString rtf = Rtf(doc);
    for (bool ownSheet : {false, true}) {
      SCOPED_TRACE(ownSheet ? "into the writer's style sheet" : "into a new style sheet");
      TVLStyle fresh(nullptr);
      const std::vector<TChar> read = ReadBack(rtf, ownSheet ? sheet : fresh);
      EXPECT_EQ(read, written) << "\nwritten: " << Show(written) << "\nread:    " << Show(read);
    }
  }
}

// Files of other programs: bytes and private-use units are the fonts'
// codes; a plain \u is the character it names. A second trip through the
// writer and the reader changes none of what the first read, nor its copy
// as plain text.
TEST(RTFSymbolFontRoundTrip, TextReadFromOtherProgramsComesBackAsItWasRead) {
  const std::string head = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Liberation Serif;}"
                           "{\\f1\\fnil\\fcharset2 Symbol;}{\\f2\\fnil\\fcharset2 Wingdings;}}";
  for (const char* body : {"{\\f1 \\'d2\\'b4\\'b8\\'d8\\'a3\\'61}", "{\\f1\\u-3886?\\u-3916?\\u-3912?\\u-3880?\\u-3933?}",
                           "{\\f1\\u174?\\u169?\\u215?\\u247?\\u172?}", "{\\f2 \\'4a\\'d8\\'fc A}",
                           "{\\f2\\u-4022?\\u-3880?}"}) {
    SCOPED_TRACE(body);
    rtftest::TImported first, second;
    first.Props.UnicodeMode = second.Props.UnicodeMode = vlruMixed;
    ASSERT_EQ(first.Read(head + body + "}"), 0);
    ASSERT_EQ(second.Read(Rtf(first.Doc)), 0);
    EXPECT_EQ(Chars(second.Doc), Chars(first.Doc))
        << "\nfirst:  " << Show(Chars(first.Doc)) << "\nsecond: " << Show(Chars(second.Doc));
    EXPECT_EQ(rtftest::CopiedText(second.Doc), rtftest::CopiedText(first.Doc));
  }
}

}  // namespace
