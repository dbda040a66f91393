// The import run into a document: items, paragraphs, options, insertion,
// headers, style mapping, pictures, hyperlinks and lists.
#include "RTFTestSupport.h"

#include "richtext/model/VLFuncs.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using rtftest::Import;
using rtftest::PlainText;

namespace {

struct ImportFixture : ::testing::Test {
  ImportFixture() : Doc(&Style) {}
  TVLStyle Style{nullptr};
  TVLDocumentData Doc;
  TVLRTFReaderProperties Props;
};

TEST_F(ImportFixture, ParagraphsAndOptions) {
  struct Case {
    const char* Rtf;
    const char* Text;
    std::function<void(TVLRTFReaderProperties&)> Set;
  } cases[] = {
      {"{\\rtf1 Hello}", "Hello", nullptr},
      {"{\\rtf1 a\\par b\\line c}", "a\nb\nc", nullptr},
      {"{\\rtf1 a{\\v hidden}b}", "ab", nullptr},
      {"{\\rtf1 a{\\v shown}b}", "ashownb", [](auto& p) { p.SkipHiddenText = false; }},
      {"{\\rtf1 x\\tab y}", "x        y", nullptr},
      {"{\\rtf1 {\\header Head\\par}Body}", "Body", [](auto&) {}},
  };
  for (const auto& c : cases) {
    TVLDocumentData doc(&Style);
    TVLRTFReaderProperties props;
    if (c.Set) c.Set(props);
    ASSERT_EQ(Import(props, doc, c.Rtf), 0) << c.Rtf;
    EXPECT_EQ(PlainText(doc), c.Text) << c.Rtf;
  }
}

TEST_F(ImportFixture, LineBreaksAsParagraphs) {
  for (bool asParagraphs : {false, true}) {
    TVLDocumentData doc(&Style);
    TVLRTFReaderProperties props;
    props.LineBreaksAsParagraphs = asParagraphs;
    ASSERT_EQ(Import(props, doc, "{\\rtf1 a\\line b}"), 0);
    ASSERT_EQ(doc.GetItemCount(), 2);
    EXPECT_EQ(doc.IsParaStart(1), asParagraphs);
    EXPECT_TRUE(doc.IsFromNewLine(1));
  }
}

TEST_F(ImportFixture, EditorInsertionIndexes) {
  Integer index = 0;
  TStringStream empty("{}");
  EXPECT_EQ(Props.InsertFromStream(empty, &Doc, index), 0);
  EXPECT_EQ(index, -1);
  EXPECT_EQ(Doc.GetItemCount(), 0);
  index = 0;
  TStringStream three("{\\rtf1 one\\par two\\par three}");
  EXPECT_EQ(Props.InsertFromStream(three, &Doc, index), 0);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(Props.InsertedCount, 2);
  EXPECT_EQ(PlainText(Doc), "one\ntwo\nthree");
}

TEST_F(ImportFixture, DocumentLoadersUseTheRegisteredReader) {
  VLRegisterRTFReader();
  TStringStream s("{\\rtf1 loaded \\u1060?}");
  EXPECT_EQ(Doc.LoadRTFFromStream(s), 0);
  EXPECT_EQ(PlainText(Doc), "loaded \xD0\xA4");
}

TEST_F(ImportFixture, AfterATableTheFirstItemStartsAParagraph) {
  ASSERT_EQ(Import(Props, Doc, "{\\rtf1 \\trowd\\cellx1000\\intbl a\\cell\\row}"), 0);
  ASSERT_EQ(Doc.GetItemCount(), 1);
  ASSERT_EQ(Import(Props, Doc, "{\\rtf1 {\\b x}y}"), 0);
  ASSERT_EQ(Doc.GetItemCount(), 3);
  EXPECT_TRUE(Doc.IsParaStart(1));
  EXPECT_EQ(PlainText(Doc), "a|\n\nxy");
}

TEST_F(ImportFixture, HeaderGoesToItsDocument) {
  TVLDocumentData header(&Style);
  header.AddTextItem("old", 0, 0);
  Props.HeaderVLData = &header;
  ASSERT_EQ(Import(Props, Doc, "{\\rtf1 {\\header Head\\par}{\\footer Foot\\par}Body}"), 0);
  EXPECT_EQ(PlainText(header), "Head");
  EXPECT_EQ(PlainText(Doc), "Body");
  EXPECT_EQ(Props.HeaderYMM, 13);
}

TEST_F(ImportFixture, PageBreakLandsOnTheNextItem) {
  ASSERT_EQ(Import(Props, Doc, "{\\rtf1 a\\page b}"), 0);
  ASSERT_EQ(Doc.GetItemCount(), 2);
  EXPECT_TRUE(Doc.GetPageBreakBefore(1));
}

TEST_F(ImportFixture, UnicodeThatTheStyleCannotHoldStaysUnicode) {
  Props.UnicodeMode = vlruMixed;
  ASSERT_EQ(Import(Props, Doc, "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}}\\f0 caf\\u233? \\u1060? \\u12354?}"), 0);
  EXPECT_EQ(PlainText(Doc), "caf\xC3\xA9 \xD0\xA4 \xE3\x81\x82");
  EXPECT_EQ(PlainText(Doc).find('?'), std::string::npos);
}

TEST_F(ImportFixture, CyrillicRunIntoUnicodeStyle) {
  Props.UnicodeMode = vlruOnlyUnicode;
  Props.TextStyleMode = vlrsAddIfNeeded;
  ASSERT_EQ(Import(Props, Doc, "{\\rtf1{\\fonttbl{\\f0\\fcharset204 Arial Cyr;}}\\f0 \\'cf\\'f0\\'e8}"), 0);
  EXPECT_EQ(PlainText(Doc), "\xD0\x9F\xD1\x80\xD0\xB8");
  // Into a western 8-bit style the characters survive as Unicode.
  TVLDocumentData doc(&Style);
  TVLRTFReaderProperties plain;
  ASSERT_EQ(Import(plain, doc, "{\\rtf1{\\fonttbl{\\f0\\fcharset204 Arial Cyr;}}\\f0 \\'cf\\'f0\\'e8}"), 0);
  EXPECT_EQ(PlainText(doc), "\xD0\x9F\xD1\x80\xD0\xB8");
}

TEST_F(ImportFixture, StyleModes) {
  // Closest: an empty style sheet still gives style 0.
  {
    TVLStyle empty(nullptr);
    empty.TextStyles->Clear();
    empty.ParaStyles->Clear();
    TVLDocumentData doc(&empty);
    TVLRTFReaderProperties props;
    ASSERT_EQ(Import(props, doc, "{\\rtf1 {\\b x}}"), 0);
    EXPECT_EQ(doc.GetItem(0)->StyleNo, 0);
    EXPECT_EQ(doc.GetItem(0)->ParaNo, 0);
  }
  // Append: subscript 10 pt becomes size 5 with a negative shift.
  {
    TVLDocumentData doc(&Style);
    TVLRTFReaderProperties props;
    props.TextStyleMode = vlrsAddIfNeeded;
    ASSERT_EQ(Import(props, doc, "{\\rtf1{\\fonttbl{\\f0 Times;}}\\f0\\fs20\\sub x}"), 0);
    const TFontInfo& s = *Style.TextStyles->Items(doc.GetItem(0)->StyleNo);
    EXPECT_EQ(s.Size, 5);
    EXPECT_EQ(s.VShift, -25);
    EXPECT_EQ(s.FontName, "Times");
    const Integer count = Style.TextStyles->Count();
    // All-capital runs reuse the style they appended.
    ASSERT_EQ(Import(props, doc, "{\\rtf1{\\fonttbl{\\f0 Times;}}\\f0\\caps A\\par B\\par C}"), 0);
    EXPECT_EQ(Style.TextStyles->Count(), count + 1);
  }
  // A paragraph with a one-point border carries the border in its indents.
  {
    TVLDocumentData doc(&Style);
    TVLRTFReaderProperties props;
    props.ParaStyleMode = vlrsAddIfNeeded;
    ASSERT_EQ(Import(props, doc, "{\\rtf1 \\li1440\\sb240\\brdrt\\brdrs\\brdrw20\\brdrl\\brdrs\\brdrw20"
                                 "\\brdrb\\brdrs\\brdrw20\\brdrr\\brdrs\\brdrw20 x}"),
              0);
    const TParaInfo& p = *Style.ParaStyles->Items(doc.GetItem(0)->ParaNo);
    EXPECT_EQ(p.Border.Style, vlbSingle);
    EXPECT_EQ(p.LeftIndent, 96 + p.Border.GetTotalWidth());
    EXPECT_EQ(p.SpaceBefore, 16 + p.Border.GetTotalWidth());
  }
}

TEST_F(ImportFixture, HyperlinkField) {
  String target;
  Doc.OnControlAction = nullptr;
  struct HyperDoc : TVLDocumentData {
    using TVLDocumentData::TVLDocumentData;
    void DoReadHyperlink(const String& t, const String&, Integer, Integer&, TCustomVLItemInfo*) override {
      Targets.push_back(t);
    }
    std::vector<String> Targets;
  } doc(&Style);
  Props.BasePath = "/base/";
  ASSERT_EQ(Import(Props, doc,
                   "{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"C:\\\\\\\\dir\\\\\\\\a b.txt\" \\\\o \"the tip\"}"
                   "{\\fldrslt link}} {\\field{\\*\\fldinst HYPERLINK \"rel.html\"}{\\fldrslt r}}}"),
            0);
  ASSERT_EQ(doc.Targets.size(), 2u);
  EXPECT_EQ(doc.Targets[0], "C:\\dir\\a b.txt");
  EXPECT_EQ(doc.Targets[1], "/base/rel.html");
  EXPECT_EQ(doc.GetItem(0)->Hint, "the tip");
}

TEST_F(ImportFixture, PicturesSizedAsTheRtfSays) {
  // A 2 x 1 PNG, shown at its goal size of 30 x 15 points, then at half width.
  const std::string png =
      "89504e470d0a1a0a0000000d4948445200000002000000010806000000f4227f8a0000000e49444154789c63f8cf"
      "c00042ff010ff903fd851199760000000049454e44ae426082";
  ASSERT_EQ(Import(Props, Doc, "{\\rtf1 {\\pict\\pngblip\\picwgoal600\\pichgoal300 " + png +
                                   "}{\\pict\\pngblip\\picscalex50 " + png + "}{\\pict\\jpegblip ffd8ffd9}z}"),
            0);
  ASSERT_EQ(Doc.GetItemCount(), 4);
  auto* a = dynamic_cast<TVLGraphicItemInfo*>(Doc.GetItem(0));
  auto* b = dynamic_cast<TVLGraphicItemInfo*>(Doc.GetItem(1));
  auto* bad = dynamic_cast<TVLGraphicItemInfo*>(Doc.GetItem(2));
  ASSERT_TRUE(a && b && bad);
  EXPECT_EQ(a->Image->GetWidth(), 2);
  EXPECT_EQ(a->ImageWidth, 40);
  EXPECT_EQ(a->ImageHeight, 20);
  EXPECT_EQ(b->ImageWidth, 1);
  EXPECT_EQ(PlainText(Doc), "[picture][picture][picture]z");
}

TEST_F(ImportFixture, TheApplicationSeesEveryImportedPicture) {
  const std::string png =
      "89504e470d0a1a0a0000000d4948445200000002000000010806000000f4227f8a0000000e49444154789c63f8cf"
      "c00042ff010ff903fd851199760000000049454e44ae426082";
  std::vector<Integer> widths;
  AfterImportGraphic = [&](TGraphic* g) { widths.push_back(g ? g->GetWidth() : -1); };
  const Byte result = Import(Props, Doc, "{\\rtf1 a{\\pict\\pngblip " + png + "}b{\\pict\\pngblip " + png + "}}");
  AfterImportGraphic = [](TGraphic*) {};
  ASSERT_EQ(result, 0);
  EXPECT_EQ(widths, std::vector<Integer>({2, 2}));
}

TEST_F(ImportFixture, LinkedPicturesStayInsideTheBaseFolder) {
  const qytest::TempDir base;
  for (const char* name : {"/etc/passwd", "../secret.bmp", "sub/../../x.bmp"}) {
    TVLDocumentData doc(&Style);
    TVLRTFReaderProperties props;
    props.BasePath = base.str() + "/";
    const std::string rtf = std::string("{\\rtf1 {\\field{\\*\\fldinst INCLUDEPICTURE \"") + name +
                            "\"}{\\fldrslt r}}}";
    ASSERT_EQ(Import(props, doc, rtf), 0) << name;
    EXPECT_EQ(PlainText(doc), "r") << name;
  }
  // A web address as base names no local folder, not even one below the
  // working directory that happens to be spelt like it.
  namespace fs = std::filesystem;
  const qytest::TempDir temp;
  const fs::path& work = temp.path();
  fs::create_directories(work / "http:" / "example.org" / "dir");
  TBitmap(3, 3).SaveToFile((work / "http:" / "example.org" / "dir" / "pic.bmp").string());
  // The working directory comes back however the test ends.
  struct TRestoreCwd {
    fs::path Saved = fs::current_path();
    ~TRestoreCwd() {
      std::error_code ec;
      fs::current_path(Saved, ec);
    }
  } restore;
  fs::current_path(work);
  const std::string rtf = "{\\rtf1 {\\field{\\*\\fldinst INCLUDEPICTURE \"pic.bmp\"}{\\fldrslt r}}}";
  for (const char* base : {"http://example.org/dir/", "/"}) {
    TVLDocumentData doc(&Style);
    TVLRTFReaderProperties props;
    props.BasePath = base == std::string("/") ? (work / "http:" / "example.org" / "dir").string() + "/" : base;
    ASSERT_EQ(Import(props, doc, rtf), 0);
    EXPECT_EQ(PlainText(doc) == "r", base != std::string("/")) << base << ": " << PlainText(doc);
  }
}

TEST_F(ImportFixture, ListsImportedOnlyWhenStylesMayBeAppended) {
  const std::string rtf =
      "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}}"
      "{\\*\\listtable{\\list{\\listlevel\\levelnfc23{\\leveltext\\'01\\u-3913 ?;}\\f1\\fi-360\\li720}\\listid5}"
      "{\\list{\\listlevel\\levelnfc0{\\leveltext\\'04\\'00.\\'01.;}}{\\listlevel\\levelnfc4"
      "{\\leveltext\\'02\\'01);}}\\listid6}}"
      "{\\*\\listoverridetable{\\listoverride\\listid5\\ls1}{\\listoverride\\listid6\\ls2}"
      "{\\listoverride\\listid404\\ls3}}"
      "\\pard\\ls1 one\\par\\pard\\ls2\\ilvl1 two\\par\\pard\\ls3 three\\par}";
  {
    TVLRTFReaderProperties props;
    ASSERT_EQ(Import(props, Doc, rtf), 0);
    for (Integer i = 0; i < Doc.GetItemCount(); ++i) EXPECT_NE(Doc.GetItem(i)->StyleNo, vlsListMarker);
  }
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  TVLRTFReaderProperties props;
  props.UnicodeMode = vlruMixed;
  props.ParaStyleMode = vlrsAddIfNeeded;
  const Integer before = style.ListStyles->Count();
  ASSERT_EQ(Import(props, doc, rtf), 0);
  ASSERT_EQ(style.ListStyles->Count(), before + 2);
  std::vector<Integer> markers;
  for (Integer i = 0; i < doc.GetItemCount(); ++i)
    if (doc.GetItem(i)->StyleNo == vlsListMarker) markers.push_back(i);
  // The paragraph whose override names a missing list has no marker.
  ASSERT_EQ(markers.size(), 2u);
  const TVLListLevel& bullet = *style.ListStyles->Items(before)->Levels->Items(0);
  // The Symbol font's private-use bullet (U+F0B7) is the bullet it shows.
  EXPECT_EQ(bullet.ListType, vllstUnicodeBullet);
  EXPECT_EQ(bullet.FormatStringW, WideString(1, u'\u2022'));
  const TVLListLevel& numbered = *style.ListStyles->Items(before + 1)->Levels->Items(0);
  EXPECT_EQ(numbered.FormatString, "%s.%1:s.");
  EXPECT_EQ(dynamic_cast<TVLMarkerItemInfo*>(doc.GetItem(markers[1]))->Level, 1);
  // A second import reuses the lists it appended.
  ASSERT_EQ(Import(props, doc, rtf), 0);
  EXPECT_EQ(style.ListStyles->Count(), before + 2);
}

TEST_F(ImportFixture, OldStyleNumbering) {
  TVLRTFReaderProperties props;
  props.ParaStyleMode = vlrsAddIfNeeded;
  const Integer before = Style.ListStyles->Count();
  ASSERT_EQ(Import(props, Doc,
                   "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Symbol;}}"
                   "{\\pn\\pnlvlblt\\pnf1{\\pntxtb\\'b7}}a\\par b\\par\\pard c\\par"
                   "{\\pn\\pnlvl3\\pndec\\pnstart4{\\pntxta .}}d\\par}"),
            0);
  ASSERT_GE(Style.ListStyles->Count(), before + 2);
  const TVLListLevel& bullet = *Style.ListStyles->Items(before)->Levels->Items(0);
  EXPECT_EQ(bullet.ListType, vllstBullet);
  EXPECT_EQ(bullet.FormatString, AnsiString("\xB7"));
  const TVLListLevel& dec = *Style.ListStyles->Items(before + 1)->Levels->Items(0);
  EXPECT_EQ(dec.FormatString, "%s.");
}

}  // namespace
