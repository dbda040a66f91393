// What the reader's records hold after the font, colour, style, list and
// numbering tables, property words and fields of hand-written input.
#include "platform/base/Streams.h"
#include "richtext/rtf/VLRTFReader.h"

#include <gtest/gtest.h>

namespace {

Byte Read(TVLRTFReader& reader, const std::string& rtf) {
  TStringStream s(rtf);
  return reader.ReadFromStream(s);
}

TEST(RTFReaderTables, FontsLoseCharsetSuffixes) {
  TVLRTFReader r;
  ASSERT_EQ(Read(r, "{\\rtf1{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial Cyr;}{\\f1\\fcharset238 Times CE;}"
                    "{\\f2\\fcharset0 Plain Cyr;}}}"),
            0);
  ASSERT_EQ(r.FontList.size(), 3u);
  EXPECT_EQ(r.FontList[0].Name, "Arial");
  EXPECT_EQ(r.FontList[0].Family, 2);
  EXPECT_EQ(r.FontList[0].Charset, 204);
  EXPECT_EQ(r.FontList[1].Name, "Times");
  EXPECT_EQ(r.FontList[2].Name, "Plain Cyr");
}

TEST(RTFReaderTables, ColourTableDropsOnlyItsTrailingPlaceholder) {
  TVLRTFReader r;
  ASSERT_EQ(Read(r, "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}}"), 0);
  EXPECT_EQ(r.ColorList, (std::vector<TColor>{rtf_clAuto, 0x0000FF}));
  TVLRTFReader open;
  ASSERT_EQ(Read(open, "{\\rtf1{\\colortbl;\\red0\\green0\\blue255}}"), 0);
  EXPECT_EQ(open.ColorList, (std::vector<TColor>{rtf_clAuto, 0xFF0000}));
  TVLRTFReader none;
  ASSERT_EQ(Read(none, "{\\rtf1 abc}"), 0);
  EXPECT_TRUE(none.ColorList.empty());
}

TEST(RTFReaderTables, StyleEntriesIgnoreTheirFormatting) {
  TVLRTFReader r;
  ASSERT_EQ(Read(r, "{\\rtf1{\\stylesheet{\\s1\\b Heading;}{\\*\\cs2 Emph;}}}"), 0);
  ASSERT_EQ(r.StyleSheet.size(), 2u);
  EXPECT_EQ(r.StyleSheet[0]->Number, 1);
  EXPECT_EQ(r.StyleSheet[0]->Kind, 1);
  EXPECT_EQ(r.StyleSheet[0]->Name, "Heading");
  EXPECT_EQ(r.StyleSheet[0]->CharProps.Style & rtf_fs_Bold, 0);
  EXPECT_EQ(r.StyleSheet[1]->Kind, 0);
}

// The properties in effect when the text "x" arrives.
struct PropCase {
  const char* Rtf;
  std::function<bool(const TVLRTFReaderState&)> Check;
};

TEST(RTFReaderTables, PropertiesSeenByTextHandlers) {
  const char* colors = "{\\colortbl;\\red0\\green0\\blue0;\\red255\\green0\\blue0;\\red0\\green255\\blue0;}";
  PropCase cases[] = {
      {"\\fs25 x", [](const auto& s) { return s.CharProps.Size == 12; }},
      {"\\fs27 x", [](const auto& s) { return s.CharProps.Size == 14; }},
      {"\\fs x", [](const auto& s) { return s.CharProps.Size == 12; }},
      {"\\cf2\\cf5 x", [](const auto& s) { return s.CharProps.Color == 0x0000FF; }},
      {"\\chcbpat0 x", [](const auto& s) { return s.CharProps.BackColor == rtf_clNone; }},
      {"\\highlight3 x", [](const auto& s) { return s.CharProps.BackColor == 0xFFFF00; }},
      {"{\\b b}x", [](const auto& s) { return (s.CharProps.Style & rtf_fs_Bold) == 0; }},
      {"{\\lang1049 a}x", [](const auto& s) { return s.CharProps.Language == 1049; }},
      {"{\\headery100 a}x", [](const auto& s) { return s.SectProps.HeaderY == 100; }},
      {"\\brdrt\\brdrs\\brdrdb x",
       [](const auto& s) { return s.ParaProps.Border && s.ParaProps.Border->SideOrNil(1)->Style == 1; }},
      {"\\intbl\\itap2\\pard x", [](const auto& s) { return !s.ParaProps.InTable && s.ParaProps.NestingLevel == 1; }},
      {"\\shading5000\\cfpat1 x", [](const auto& s) { return s.ParaProps.BackColor == 0x7F7F7F; }},
      {"\\trowd\\trftsWidth2\\trwWidth2500 x", [](const auto& s) { return s.RowOrNil()->Width == -2500; }},
      {"\\sbkpage5 x", [](const auto& s) { return s.SectProps.SectionBreak == 4; }},
  };
  for (const auto& c : cases) {
    TVLRTFReader r;
    bool ok = false;
    r.OnNewText = [&](TVLRTFReader* reader, const AnsiString& t, TVLRTFPosition) {
      if (t == "x") ok = c.Check(reader->RTFState);
    };
    ASSERT_EQ(Read(r, std::string("{\\rtf1") + colors + c.Rtf + "}"), 0) << c.Rtf;
    EXPECT_TRUE(ok) << c.Rtf;
  }
}

TEST(RTFReaderTables, HighlightModes) {
  for (auto mode : {rtf_hl_FixedColors, rtf_hl_ColorTable, rtf_hl_Ignore}) {
    TVLRTFReader r;
    r.ConvertHighlight = mode;
    TColor seen = 1;
    r.OnNewText = [&](TVLRTFReader* reader, const AnsiString&, TVLRTFPosition) {
      seen = reader->RTFState.CharProps.BackColor;
    };
    ASSERT_EQ(Read(r, "{\\rtf1{\\colortbl;\\red1\\green2\\blue3;\\red4\\green5\\blue6;\\red7\\green8\\blue9;}"
                      "\\highlight3 x}"),
              0);
    const TColor want = mode == rtf_hl_FixedColors ? 0xFFFF00 : mode == rtf_hl_ColorTable ? 0x090807 : rtf_clNone;
    EXPECT_EQ(seen, want);
  }
}

TEST(RTFReaderTables, ListsAndLevelText) {
  TVLRTFReader r;
  Integer override = -2;
  r.OnNewText = [&](TVLRTFReader* reader, const AnsiString&, TVLRTFPosition) {
    override = reader->RTFState.ParaProps.ListOverrideIndex;
  };
  ASSERT_EQ(Read(r, "{\\rtf1{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc0\\levelstartat3"
                    "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}\\listid77}}"
                    "{\\*\\listoverridetable{\\listoverride\\listid77\\listoverridecount0\\ls1}"
                    "{\\listoverride\\listid99\\ls2}}"
                    "\\ls2 x}"),
            0);
  ASSERT_EQ(r.ListTable.size(), 1u);
  const auto& level = *r.ListTable[0]->Levels[0];
  EXPECT_EQ(level.LevelText, AnsiString("\x02\x00.", 3));
  EXPECT_EQ(level.Start, 3);
  EXPECT_EQ(level.Type, 1);
  EXPECT_EQ(r.ListTable[0]->ListId, 77);
  ASSERT_EQ(r.ListOverrideTable.size(), 2u);
  EXPECT_EQ(r.ListOverrideTable[0]->ListIndex, 0);
  EXPECT_EQ(r.ListOverrideTable[1]->ListIndex, -1);
  EXPECT_EQ(override, 1);
}

TEST(RTFReaderTables, SymbolFieldGivesOneByteRun) {
  TVLRTFReader r;
  std::vector<std::pair<AnsiString, AnsiString>> runs;
  Integer size = 0;
  r.OnNewText = [&](TVLRTFReader* reader, const AnsiString& t, TVLRTFPosition) {
    runs.push_back({t, reader->RTFState.CharProps.SymbolFontName});
    if (!reader->RTFState.CharProps.SymbolFontName.empty()) size = reader->RTFState.CharProps.Size;
  };
  ASSERT_EQ(Read(r, "{\\rtf1 {\\field{\\*\\fldinst SYMBOL 183 \\\\f \"Symbol\" \\\\s 10}{\\fldrslt r}}}"), 0);
  ASSERT_GE(runs.size(), 2u);
  EXPECT_EQ(runs[0].first, AnsiString("\xB7"));
  EXPECT_EQ(runs[0].second, "Symbol");
  EXPECT_EQ(size, 10);
  EXPECT_EQ(runs.back().first, "r");
  EXPECT_TRUE(runs.back().second.empty());
}

TEST(RTFReaderTables, ShapePictureAndFallback) {
  for (bool take : {true, false}) {
    TVLRTFReader r;
    std::vector<int> kinds;
    r.OnNewPicture = [&](TVLRTFReader*, TVLRTFPicture* p, std::unique_ptr<TGraphic>&, TVLRTFPosition,
                         bool& inserted) {
      kinds.push_back(p->Kind);
      inserted = take;
    };
    ASSERT_EQ(Read(r, "{\\rtf1 {\\*\\shppict{\\pict\\pngblip 89}}{\\nonshppict{\\pict\\wmetafile8 0100}}}"), 0);
    EXPECT_EQ(kinds, take ? std::vector<int>({1}) : std::vector<int>({1, 5}));
  }
}

TEST(RTFReaderTables, CorruptPictureDataDoesNotEndTheRead) {
  TVLRTFReader r;
  bool corrupt = false;
  std::string text;
  r.OnNewPicture = [&](TVLRTFReader*, TVLRTFPicture* p, std::unique_ptr<TGraphic>& g, TVLRTFPosition, bool&) {
    corrupt = p->Corrupt && !g;
  };
  r.OnNewText = [&](TVLRTFReader*, const AnsiString& t, TVLRTFPosition) { text += t; };
  ASSERT_EQ(Read(r, "{\\rtf1 a{\\pict\\jpegblip ffd8zz00}b}"), 0);
  EXPECT_TRUE(corrupt);
  EXPECT_EQ(text, "ab");
}

TEST(RTFReaderTables, FieldArgument) {
  struct Case {
    const char* Instruction;
    const char* Argument;
  } cases[] = {
      {"HYPERLINK \"http://a b/\" \\o \"tip\"", "http://a b/"},
      {"HYPERLINK http://x.org", "http://x.org"},
      {"HYPERLINK \\l \"anchor\"", "anchor"},
      {"HYPERLINK", ""},
  };
  for (const auto& c : cases) {
    Integer next = 0;
    EXPECT_EQ(TVLRTFReader::ParseFieldArgument(c.Instruction, next), c.Argument) << c.Instruction;
  }
}

}  // namespace
