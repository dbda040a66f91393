// Character and paragraph formatting to styles: border conversion, the
// closest-style choice, style filters and the options of the import.
#include "RTFTestSupport.h"

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

}  // namespace
