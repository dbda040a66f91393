// The style sheet as CSS: the rules of a fresh sheet line by line, the
// options, and the declarations and list tags the HTML writers embed.
#include "platform/base/Streams.h"
#include "richtext/model/VLStyle.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::vector<std::string> Lines(const AnsiString& s) {
  std::vector<std::string> r;
  size_t start = 0, p;
  while ((p = s.find("\r\n", start)) != AnsiString::npos) {
    r.push_back(s.substr(start, p - start));
    start = p + 2;
  }
  if (start < s.size()) r.push_back(s.substr(start));
  return r;
}

AnsiString CSS(TVLStyle& style, Integer options) {
  TMemoryStream s;
  style.SaveCSS(s, options);
  return s.Bytes();
}

}  // namespace

TEST(StyleCSS, FreshSheet) {
  TVLStyle style(nullptr);
  const std::vector<std::string> expected = {
      "/*----------Text Styles----------*/",
      "HR { color: #000000}",
      "BODY, TABLE /* Normal text */",
      "{",
      " font-size: 10pt;",
      " font-family: 'Arial';",
      " font-style: normal;",
      " font-weight: normal;",
      " color: #000000;",
      " text-decoration: none;",
      "}",
      "SPAN.VLTS1 /* Heading */",
      "{",
      " font-weight: bold;",
      " color: #0000FF;",
      "}",
  };
  const auto lines = Lines(CSS(style, 0));
  ASSERT_GE(lines.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << i;
  const AnsiString css = CSS(style, 0);
  EXPECT_NE(css.find("A.VLTS4, SPAN.VLTS4 /* Jump 1 */\r\n{"), AnsiString::npos);
  EXPECT_EQ(css.find(":hover"), AnsiString::npos);
  EXPECT_NE(css.find("/*----------Para Styles----------*/\r\nP,UL,OL /* "), AnsiString::npos);
  EXPECT_NE(css.find(".VLPS1 /* Centered */\r\n{\r\n text-align: center;\r\n}"), AnsiString::npos) << css;
}

TEST(StyleCSS, Options) {
  struct TCase {
    const char* Name;
    std::function<void(TVLStyle&)> Change;
    Integer Options;
    std::vector<AnsiString> Present, Absent;
  };
  const TCase cases[] = {
      {"style 0 as a class", [](TVLStyle&) {}, 4,
       {"SPAN.VLTS0 /* Normal text */", ".VLPS0 /* ", "SPAN.VLTS1 /* Heading */\r\n{\r\n font-size: 10pt;"},
       {"BODY, TABLE", "P,UL,OL"}},
      {"a style not standard has no comment",
       [](TVLStyle& s) { s.TextStyles->Items(2)->Standard = false; }, 0, {"SPAN.VLTS2\r\n{"}, {"Subheading"}},
      {"line height in percent", [](TVLStyle& s) {
         s.ParaStyles->Items(1)->LineSpacing = 200;
       }, 0, {" line-height: 2.00;"}, {}},
      {"hover colours", [](TVLStyle& s) { s.TextStyles->Items(4)->HoverColor = 0x0000FF; }, 0,
       {"A.VLTS4:hover { color: #FF0000; }"}, {}},
      {"a font name cannot close the style element",
       [](TVLStyle& s) { s.TextStyles->Items(1)->FontName = "X'</style>"; }, 0,
       {" font-family: 'X\\'\\3C /style>';"}, {"</style>"}},
      {"hypertext with strike-out keeps valid CSS",
       [](TVLStyle& s) { s.TextStyles->Items(4)->Style = TFontStyles{fsStrikeOut}; }, 0,
       {" text-decoration: line-through;"}, {"none line-through"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TVLStyle style(nullptr);
    c.Change(style);
    const AnsiString css = CSS(style, c.Options);
    for (const AnsiString& p : c.Present) EXPECT_NE(css.find(p), AnsiString::npos) << p << "\n" << css;
    for (const AnsiString& a : c.Absent) EXPECT_EQ(css.find(a), AnsiString::npos) << a;
  }
}

TEST(StyleCSS, ListLevelTags) {
  TVLStyle style(nullptr);
  TVLListLevel* l = style.ListStyles->Add()->Levels->Add();
  struct TCase {
    TVLListType Type;
    bool UseCSS;
    Integer Left, Marker;
    AnsiString Open, Close;
  };
  const TCase cases[] = {
      {vllstUpperRoman, false, 0, 0, "<OL type=I>", "</OL>"},
      {vllstBullet, false, 0, 0, "<UL>", "</UL>"},
      {vllstDecimal, true, 30, 10, "<OL style=\"text-indent: 10px; margin-left: 30px; list-style-position: outside;\">",
       "</OL>"},
      // The position alone: a "list-style" shorthand would make "a." a bullet.
      {vllstLowerAlpha, true, 10, 20,
       "<OL type=a style=\"text-indent: 10px; margin-left: 10px; list-style-position: inside; list-style-type: "
       "lower-alpha;\">",
       "</OL>"},
      {vllstLowerAlpha, true, 30, 10,
       "<OL type=a style=\"text-indent: 10px; margin-left: 30px; list-style-position: outside; list-style-type: "
       "lower-alpha;\">",
       "</OL>"},
      {vllstUpperRoman, true, 30, 10,
       "<OL type=I style=\"text-indent: 10px; margin-left: 30px; list-style-position: outside; list-style-type: "
       "upper-roman;\">",
       "</OL>"},
      {vllstBullet, true, 30, 10, "<UL style=\"text-indent: 10px; margin-left: 30px; list-style-position: outside;\">",
       "</UL>"},
  };
  for (const TCase& c : cases) {
    l->ListType = c.Type;
    l->LeftIndent = c.Left;
    l->MarkerIndent = c.Marker;
    l->FirstIndent = 10;
    TMemoryStream o, e;
    l->SaveHTMLOpenTag(o, c.UseCSS);
    l->SaveHTMLCloseTag(e);
    EXPECT_EQ(o.Bytes(), c.Open);
    EXPECT_EQ(e.Bytes(), c.Close);
  }
}
