// Character and paragraph formatting to styles: border conversion, the
// closest-style choice, style filters and the options of the import.
#include "RTFTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using rtftest::Import;
using rtftest::PlainText;

namespace {

TEST(RTFStyleMapping, BorderKinds) {
  struct Case {
    Integer Kind, Twips;
    bool Outer;
    TVLBorderStyle Style;
    Integer Width, Internal;
  } cases[] = {
      {0, 30, false, vlbNone, 0, 0},          {1, 30, false, vlbSingle, 2, 0},
      {2, 30, false, vlbSingle, 4, 0},        {4, 30, false, vlbDouble, 2, 3},
      {7, 300, false, vlbSingle, 1, 0},       {11, 30, false, vlbTriple, 2, 3},
      {12, 60, true, vlbThickInside, 2, 3},   {12, 60, false, vlbThickOutside, 2, 3},
      {13, 60, true, vlbThickOutside, 2, 3},  {14, 45, false, vlbTriple, 1, 1},
      {17, 60, false, vlbTriple, 2, 5},       {18, 30, true, vlbThickInside, 1, 3},
      {20, 30, false, vlbTriple, 1, 2},       {24, 15, false, vlbSingle, 1, 0},
  };
  for (const auto& c : cases) {
    TVLBorderStyle style = vlbSingle;
    Integer width = -1, internal = -1;
    RTFBorderToVL(c.Kind, c.Twips, c.Outer, 96.0 / 1440, style, width, internal);
    EXPECT_EQ(style, c.Style) << c.Kind;
    EXPECT_EQ(width, c.Width) << c.Kind;
    EXPECT_EQ(internal, c.Internal) << c.Kind;
  }
}

struct MappingFixture : ::testing::Test {
  MappingFixture() : Doc(&Style) {
    Style.TextStyles->Clear();
    for (const char* name : {"Arial", "Times New Roman", "Arial"}) Style.TextStyles->Add()->FontName = name;
    Style.TextStyles->Items(2)->Style.Include(fsBold);
  }
  Integer StyleOf(const std::string& body) {
    TVLDocumentData doc(&Style);
    EXPECT_EQ(Import(Props, doc, "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Times New Roman;}}" + body + "}"), 0);
    return doc.GetItemCount() ? doc.GetItem(doc.GetItemCount() - 1)->StyleNo : -1;
  }
  TVLStyle Style{nullptr};
  TVLDocumentData Doc;
  TVLRTFReaderProperties Props;
};

TEST_F(MappingFixture, ClosestStyleWins) {
  Style.TextStyles->Add()->FontName = "Arial";  // the same as style 0
  EXPECT_EQ(StyleOf("\\f1\\fs20 x"), 1);
  EXPECT_EQ(StyleOf("\\f0\\fs20\\b x"), 2);
  // Styles 0 and 3 score the same: the lower index.
  EXPECT_EQ(StyleOf("\\f0\\fs20 x"), 0);
  // A filter takes styles out of the choice; then plain Times beats bold Arial.
  Props.OnStyleFilter = [](Integer styleNo, bool isText, bool& allow) { allow = !(isText && styleNo == 0); };
  EXPECT_EQ(StyleOf("\\f0\\fs20 x"), 3);
  Props.OnStyleFilter = [](Integer styleNo, bool isText, bool& allow) { allow = !(isText && (styleNo == 0 || styleNo == 3)); };
  EXPECT_EQ(StyleOf("\\f0\\fs20 x"), 1);
}

TEST_F(MappingFixture, HypertextStylesOnlyForLinksUnlessAllowed) {
  Style.TextStyles->Items(0)->Jump = true;
  Props.TextStyleMode = vlrsAddIfNeeded;
  const Integer count = Style.TextStyles->Count();
  EXPECT_NE(StyleOf("\\f0\\fs20 x"), 0);
  EXPECT_EQ(Style.TextStyles->Count(), count + 1);
  const Integer link = StyleOf("{\\field{\\*\\fldinst HYPERLINK \"a\"}{\\fldrslt\\f0\\fs20 go}}");
  EXPECT_TRUE(Style.TextStyles->Items(link)->Jump);
  Props.UseHypertextStyles = true;
  Props.TextStyleMode = vlrsUseClosest;
  EXPECT_EQ(StyleOf("\\f0\\fs20 x"), 0);
}

TEST_F(MappingFixture, SymbolFieldCharacterInWingdingsUsesTheSymbolCharset) {
  Props.TextStyleMode = vlrsAddIfNeeded;
  const Integer s = StyleOf("{\\field{\\*\\fldinst SYMBOL 74 \\\\f \"Wingdings\" \\\\s 11}{\\fldrslt }}");
  TVLDocumentData doc(&Style);
  ASSERT_EQ(Import(Props, doc, "{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\field{\\*\\fldinst SYMBOL 74 \\\\f \"Wingdings\" \\\\s 11}{\\fldrslt }}}"),
            0);
  const TFontInfo& f = *Style.TextStyles->Items(doc.GetItem(0)->StyleNo);
  EXPECT_EQ(f.Charset, 2);
  EXPECT_EQ(f.FontName, "Wingdings");
  EXPECT_EQ(f.Size, 11);
  (void)s;
}

TEST_F(MappingFixture, SpecifiedStylesAndTheirSetters) {
  Props.TextStyleMode = vlrsUseSpecified;
  Props.ParaStyleMode = vlrsUseSpecified;
  Props.SetTextStyleNo(1);
  Props.SetParaStyleNo(1);
  EXPECT_THROW(Props.SetTextStyleNo(-1), Exception);
  EXPECT_EQ(Props.GetTextStyleNo(), 1);
  TVLDocumentData doc(&Style);
  ASSERT_EQ(Import(Props, doc, "{\\rtf1 \\b x\\par y}"), 0);
  EXPECT_EQ(doc.GetItem(0)->StyleNo, 1);
  EXPECT_EQ(doc.GetItem(1)->ParaNo, 1);
  TVLRTFReaderProperties copy;
  copy.Assign(&Props);
  EXPECT_EQ(copy.TextStyleMode, vlrsUseSpecified);
  EXPECT_EQ(copy.GetParaStyleNo(), 1);
}

TEST_F(MappingFixture, ParagraphBreaksKeptOrJoined) {
  Props.KeepParagraphBreaks = false;
  TVLDocumentData doc(&Style);
  ASSERT_EQ(Import(Props, doc, "{\\rtf1 a\\par b\\par c}"), 0);
  ASSERT_EQ(doc.GetItemCount(), 3);
  EXPECT_FALSE(doc.IsParaStart(1));
  EXPECT_TRUE(doc.IsFromNewLine(1));
}

TEST_F(MappingFixture, MissingFileAndHeaderDistances) {
  TVLDocumentData doc(&Style);
  EXPECT_EQ(Props.ReadFromFile("/nonexistent/file.rtf", &doc), 8);
  TVLDocumentData footer(&Style);
  Props.FooterVLData = &footer;
  ASSERT_EQ(Import(Props, doc, "{\\rtf1 \\footery1440{\\footer F\\par}{\\header H\\par}body}"), 0);
  EXPECT_EQ(Props.FooterYMM, 25);
  EXPECT_EQ(Props.HeaderYMM, -1);
  EXPECT_EQ(PlainText(footer), "F");
  EXPECT_EQ(PlainText(doc), "body");
}

TEST_F(MappingFixture, PercentInLevelTextStaysLiteral) {
  Props.ParaStyleMode = vlrsAddIfNeeded;
  const Integer before = Style.ListStyles->Count();
  TVLDocumentData doc(&Style);
  ASSERT_EQ(Import(Props, doc,
                   "{\\rtf1{\\*\\listtable{\\list{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00%;}}\\listid1}}"
                   "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}\\ls1 a\\par}"),
            0);
  ASSERT_EQ(Style.ListStyles->Count(), before + 1);
  EXPECT_EQ(Style.ListStyles->Items(before)->Levels->Items(0)->FormatString, "%s%%");
}

// The exact search answers the first style that matches, skipping links,
// styles of another charset and styles with extras, whatever order the
// styles were met in.
TEST(RTFStyleLookup, ExactSearchAnswersTheFirstMatchingStyle) {
  TVLStyle style(nullptr);
  style.TextStyles->Clear();
  for (const char* name : {"Arial", "Arial", "ARIAL", "Arial", "Arial"}) style.TextStyles->Add()->FontName = name;
  style.TextStyles->Items(0)->Jump = true;
  style.TextStyles->Items(1)->Charset = 204;
  style.TextStyles->Items(3)->Charset = 0;
  style.TextStyles->Items(4)->StyleEx = TVLFontStyles{vlfsOverline};
  style.TextStyles->Items(4)->Charset = 0;
  const struct {
    const char* Body;
    Integer StyleNo;
  } cases[] = {
      {"{\\fonttbl{\\f0\\fcharset0 arial;}}\\fs20 x", 2},
      {"{\\fonttbl{\\f0\\fcharset204 Arial;}}\\fs20 x", 1},
      {"{\\fonttbl{\\f0 Arial;}}{\\field{\\*\\fldinst HYPERLINK \"a\"}{\\fldrslt\\fs20 go}}", 0},
  };
  const Integer count = style.TextStyles->Count();
  for (const auto& c : cases) {
    TVLDocumentData doc(&style);
    TVLRTFReaderProperties props;
    props.TextStyleMode = vlrsAddIfNeeded;
    ASSERT_EQ(Import(props, doc, std::string("{\\rtf1") + c.Body + "}"), 0) << c.Body;
    ASSERT_GT(doc.GetItemCount(), 0) << c.Body;
    EXPECT_EQ(doc.GetItem(doc.GetItemCount() - 1)->StyleNo, c.StyleNo) << c.Body;
  }
  EXPECT_EQ(style.TextStyles->Count(), count);
  // A style added during the run is found again for the same formatting.
  TVLDocumentData doc(&style);
  TVLRTFReaderProperties props;
  props.TextStyleMode = vlrsAddIfNeeded;
  ASSERT_EQ(Import(props, doc, "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\fs30 a\\par\\fs20 b\\par\\fs30 c}"), 0);
  ASSERT_EQ(doc.GetItemCount(), 3);
  EXPECT_EQ(doc.GetItem(0)->StyleNo, count);
  EXPECT_EQ(doc.GetItem(2)->StyleNo, count);
  EXPECT_EQ(style.TextStyles->Count(), count + 1);
}

// A font table read again gives new fonts the old numbers: text after it
// takes the new font's style, in both ways of choosing styles.
TEST(RTFStyleLookup, FontTableReadAgainUnderTheSameNumbers) {
  for (TVLReaderStyleMode mode : {vlrsAddIfNeeded, vlrsUseClosest}) {
    TVLStyle style(nullptr);
    style.TextStyles->Clear();
    for (const char* name : {"Arial", "Courier New"}) style.TextStyles->Add()->FontName = name;
    TVLDocumentData doc(&style);
    TVLRTFReaderProperties props;
    props.TextStyleMode = mode;
    ASSERT_EQ(Import(props, doc,
                     "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\fs20 a\\par{\\fonttbl{\\f0 Courier New;}}\\fs20 b\\par}"),
              0);
    ASSERT_EQ(doc.GetItemCount(), 2) << mode;
    EXPECT_EQ(style.TextStyles->Items(doc.GetItem(0)->StyleNo)->FontName, "Arial") << mode;
    EXPECT_EQ(style.TextStyles->Items(doc.GetItem(1)->StyleNo)->FontName, "Courier New") << mode;
  }
}

// Documents that make a new style or a new font with every run of text.
std::string StyleFlood(int runs) {
  std::string s = "{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;";
  for (int i = 0; i < runs; ++i) s += "\\red" + std::to_string(i % 256) + "\\green" + std::to_string(i / 256) + "\\blue0;";
  s += "}";
  for (int i = 0; i < runs; ++i) s += "{\\cf" + std::to_string(i + 1) + " x}";
  return s + "}";
}

// Symbol-font text in a new colour a run: each run's style gets a twin for
// the characters its 8-bit text stands for.
std::string SymbolFlood(int runs) {
  std::string s = "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Wingdings;}}{\\colortbl;";
  for (int i = 0; i < runs; ++i) s += "\\red" + std::to_string(i % 256) + "\\green" + std::to_string(i / 256) + "\\blue0;";
  s += "}";
  for (int i = 0; i < runs; ++i) s += "{\\f1\\cf" + std::to_string(i + 1) + " \\'4a}";
  return s + "}";
}

// A font table left open, as a damaged file leaves it: every font word of
// the body adds a font while table cells go on handing over text.
std::string FontFlood(int runs) {
  std::string s = "{\\rtf1{\\fonttbl{\\f0 Arial;}";
  for (int i = 0; i < runs; ++i)
    s += "\\trowd\\cellx1000{\\f" + std::to_string(i + 1) + " Font " + std::to_string(i) + ";}\\intbl x\\cell\\row";
  return s + "}}";
}

struct TLookupWork {
  Byte Code = 0;
  Integer Lookups = 0, Lowered = 0, Compared = 0, Styles = 0;
  Integer Work() const { return Lowered + Compared; }
};

TLookupWork LookupWork(const std::string& rtf, TVLReaderStyleMode mode) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  TVLRTFReaderProperties props;
  props.UnicodeMode = vlruMixed;
  props.TextStyleMode = props.ParaStyleMode = mode;
  const Byte code = Import(props, doc, rtf);
  return {code, props.StyleLookups, props.NamesLowered, props.StylesCompared, style.TextStyles->Count()};
}

// The lookup of a run's style costs the same however many styles and fonts
// came before it: twice the runs, twice the work.
TEST(RTFStyleLookup, WorkGrowsWithTheRunsNotWithTheirSquare) {
  const struct {
    const char* Name;
    std::string (*Make)(int);
    TVLReaderStyleMode Mode;
  } cases[] = {
      {"styles added", StyleFlood, vlrsAddIfNeeded},
      {"styles and their Unicode twins added", SymbolFlood, vlrsAddIfNeeded},
      {"fonts added, styles added", FontFlood, vlrsAddIfNeeded},
      {"fonts added, closest style", FontFlood, vlrsUseClosest},
  };
  for (const auto& c : cases) {
    const TLookupWork once = LookupWork(c.Make(300), c.Mode), twice = LookupWork(c.Make(600), c.Mode);
    EXPECT_EQ(once.Code, 0) << c.Name;
    EXPECT_GE(once.Lookups, 300) << c.Name;
    EXPECT_LT(twice.Work(), 3 * once.Work()) << c.Name << ": " << once.Work() << " then " << twice.Work();
  }
  // The floods really add a style a run, and a twin.
  EXPECT_GE(LookupWork(StyleFlood(300), vlrsAddIfNeeded).Styles, 300);
  EXPECT_GE(LookupWork(SymbolFlood(300), vlrsAddIfNeeded).Styles, 600);
}

// The fuzzer's mutation that cost seconds: a lookup lowers at most the name
// of its own font, and every style's name is lowered once.
TEST(RTFStyleLookup, DamagedFontTableReproducer) {
  const std::string rtf =
      qytest::ReadFileBytes(qytest::SourceDir() / "tests/richtext/rtf/data/slow-style-lookup-457k.rtf");
  for (TVLReaderStyleMode mode : {vlrsAddIfNeeded, vlrsUseClosest}) {
    const TLookupWork w = LookupWork(rtf, mode);
    EXPECT_EQ(w.Code, 3) << mode;
    EXPECT_GT(w.Lookups, 1000) << mode;
    EXPECT_LE(w.Lowered, w.Lookups + w.Styles) << mode;
  }
}

}  // namespace
