// Hostile RTF must end in a result code and never read outside the data
// (this program runs under the address and undefined-behaviour sanitizers).
// Every file of the fuzz corpus is read, whole, cut short and with flipped
// bytes.
#include "platform/base/Streams.h"
#include "richtext/rtf/VLRTFImport.h"
#include "richtext/rtf/VLRTFReader.h"
#include "richtext/table/VLTable.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <random>

namespace {

// Both import variants' result codes (lists, tables and Unicode off, on).
std::array<Byte, 2> ImportBoth(const AnsiString& bytes) {
  std::array<Byte, 2> codes{};
  for (int variant = 0; variant < 2; ++variant) {
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    TVLDocumentData header(&style);
    TVLRTFReaderProperties props;
    props.LinkPolicy.LinkedPictures = false;
    if (variant) {
      props.UnicodeMode = vlruMixed;
      props.TextStyleMode = vlrsAddIfNeeded;
      props.ParaStyleMode = vlrsAddIfNeeded;
      props.HeaderVLData = &header;
    }
    TStringStream in(bytes);
    codes[static_cast<size_t>(variant)] = props.ReadFromStream(in, &doc);
    EXPECT_LE(codes[static_cast<size_t>(variant)], 11);
  }
  return codes;
}

// What the reader keeps of one flood: its tables and the largest row and
// table nesting it reported.
struct TFloodRead {
  Byte Code = 0;
  size_t Fonts = 0, Colors = 0, Styles = 0, Lists = 0, Overrides = 0;
  size_t MostListLevels = 0, MostOverrideLevels = 0, LongestLevelText = 0;
  Integer MostCells = 0, DeepestTable = 0;
  std::string Text, LastFontName;
};

TFloodRead ReadFlood(const AnsiString& bytes) {
  TFloodRead f;
  TVLRTFReader reader;
  Integer level = 0;
  reader.OnNewText = [&f](TVLRTFReader*, const AnsiString& t, TVLRTFPosition) { f.Text += t; };
  reader.OnTable = [&](TVLRTFReader* r, TVLRTFTableEventKind k) {
    if (k == vlf_tbl_TableStart) f.DeepestTable = std::max(f.DeepestTable, ++level);
    if (k == vlf_tbl_TableEnd) --level;
    if (k == vlf_tbl_RowEnd && r->RTFState.RowOrNil())
      f.MostCells = std::max(f.MostCells, r->RTFState.RowOrNil()->CellCount());
  };
  TStringStream in(bytes);
  f.Code = reader.ReadFromStream(in);
  f.Fonts = reader.FontList.size();
  if (!reader.FontList.empty()) f.LastFontName = reader.FontList.back().Name;
  f.Colors = reader.ColorList.size();
  f.Styles = reader.StyleSheet.size();
  f.Lists = reader.ListTable.size();
  f.Overrides = reader.ListOverrideTable.size();
  for (const auto& l : reader.ListTable) {
    f.MostListLevels = std::max(f.MostListLevels, l->Levels.size());
    for (const auto& v : l->Levels) f.LongestLevelText = std::max(f.LongestLevelText, v->LevelText.size());
  }
  for (const auto& o : reader.ListOverrideTable) f.MostOverrideLevels = std::max(f.MostOverrideLevels, o->Levels.size());
  return f;
}

AnsiString Repeat(const AnsiString& s, int n) {
  AnsiString r;
  r.reserve(s.size() * static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) r += s;
  return r;
}

}  // namespace

TEST(RTFCorruptInput, FuzzCorpusCutAndFlipped) {
  namespace fs = std::filesystem;
  std::vector<AnsiString> files;
  for (const auto& e : fs::directory_iterator(qytest::SourceDir() / "fuzz/corpus/rtf"))
    files.push_back(qytest::ReadFileBytes(e.path()));
  ASSERT_GE(files.size(), 10u);
  std::mt19937 r(19);
  for (const AnsiString& good : files) {
    ImportBoth(good);
    // Cut at a spread of offsets, then a few random byte changes.
    const size_t step = std::max<size_t>(1, good.size() / 60);
    for (size_t cut = 0; cut < good.size(); cut += step) ImportBoth(good.substr(0, cut));
    for (int round = 0; round < 40 && !good.empty(); ++round) {
      AnsiString bad = good;
      for (int k = 1 + static_cast<int>(r() % 4); k > 0; --k) bad[r() % bad.size()] = static_cast<char>(r());
      ImportBoth(bad);
    }
  }
}

// The reproducers the RTF tests keep (fuzzer finds among them), read whole.
TEST(RTFCorruptInput, KeptReproducers) {
  namespace fs = std::filesystem;
  size_t files = 0;
  for (const auto& e : fs::directory_iterator(qytest::SourceDir() / "tests/richtext/rtf/data")) {
    SCOPED_TRACE(e.path().filename().string());
    ImportBoth(qytest::ReadFileBytes(e.path()));
    ++files;
  }
  EXPECT_GE(files, 5u);
}

TEST(RTFCorruptInput, LimitsHoldAgainstFloods) {
  const TVLRTFLimits limits;
  const auto maxEntries = static_cast<size_t>(limits.MaxTableEntries);
  const auto maxLevels = static_cast<size_t>(limits.MaxLevels);
  struct Case {
    const char* What;
    AnsiString Rtf;
    Byte Code;
    std::function<void(const TFloodRead&)> Check;
  } cases[] = {
      {"groups deeper than the limit", AnsiString(200000, '{'), 2, nullptr},
      {"a colour table of 300000 entries", "{\\rtf1 {\\colortbl" + AnsiString(300000, ';') + "}}", 0,
       // The empty entry after the last ";" is dropped.
       [&](const TFloodRead& f) { EXPECT_EQ(f.Colors, maxEntries - 1); }},
      // The names of the fonts dropped are not run into the last one kept.
      {"a font table of 300000 fonts", "{\\rtf1 {\\fonttbl" + Repeat("{\\f1 A;}", 300000) + "}}", 0,
       [&](const TFloodRead& f) {
         EXPECT_EQ(f.Fonts, static_cast<size_t>(limits.MaxFonts));
         EXPECT_EQ(f.LastFontName, "A");
       }},
      {"a style sheet of 100000 styles", "{\\rtf1 {\\stylesheet" + Repeat("{\\s1 S;}", 100000) + "}}", 0,
       [&](const TFloodRead& f) { EXPECT_EQ(f.Styles, maxEntries); }},
      {"a list table of 70000 lists with 10 levels each",
       "{\\rtf1 {\\*\\listtable" + Repeat("{\\list" + Repeat("{\\listlevel}", 10) + "}", 70000) + "}}", 0,
       [&](const TFloodRead& f) {
         EXPECT_EQ(f.Lists, maxEntries);
         EXPECT_EQ(f.MostListLevels, maxLevels);
       }},
      {"an override table of 70000 overrides with 10 levels each",
       "{\\rtf1 {\\*\\listoverridetable" + Repeat("{\\listoverride" + Repeat("{\\lfolevel}", 10) + "}", 70000) +
           "}}",
       0,
       [&](const TFloodRead& f) {
         EXPECT_EQ(f.Overrides, maxEntries);
         EXPECT_EQ(f.MostOverrideLevels, maxLevels);
       }},
      {"list tables opened inside each other",
       "{\\rtf1 {\\*\\listtable{\\list" + Repeat("{\\*\\listtable{\\list{\\listlevel}", 3000) +
           AnsiString(6000, '}') + "{\\listlevel}}}}",
       0,
       [&](const TFloodRead& f) {
         EXPECT_EQ(f.Lists, 1u);
         EXPECT_EQ(f.MostListLevels, 1u);
       }},
      // Read up to the cap, then cut to the length its first byte gives.
      {"a level text of 100000 bytes",
       "{\\rtf1 {\\*\\listtable{\\list{\\listlevel{\\leveltext \\'ff" + AnsiString(100000, 'x') + "}}}}}", 0,
       [&](const TFloodRead& f) {
         EXPECT_LE(f.LongestLevelText, limits.MaxLevelText);
         EXPECT_EQ(f.LongestLevelText, 256u);
       }},
      {"a control word of 100000 letters", "{\\rtf1 \\" + AnsiString(100000, 'a') + " x}", 0,
       [](const TFloodRead& f) { EXPECT_EQ(f.Text, "x"); }},
      {"a row of 10000 cells",
       "{\\rtf1 \\trowd" +
           [] {
             AnsiString s;
             for (int i = 0; i < 10000; ++i) s += "\\cellx" + std::to_string(i * 10);
             return s;
           }() +
           "\\intbl x\\cell\\row}",
       // The cell opened after the last \\cellx is dropped at \\row.
       0, [&](const TFloodRead& f) { EXPECT_EQ(f.MostCells, limits.MaxCells - 1); }},
      {"a table nesting of two thousand million", "{\\rtf1 \\intbl\\itap2000000000 deep}", 0,
       [](const TFloodRead& f) {
         // No deeper than a saved entry can hold.
         EXPECT_EQ(f.DeepestTable, VLTableMaxNesting);
         EXPECT_EQ(f.Text, "deep");
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    const TFloodRead f = ReadFlood(c.Rtf);
    EXPECT_EQ(f.Code, c.Code);
    if (c.Check) c.Check(f);
    const std::array<Byte, 2> codes = ImportBoth(c.Rtf);
    EXPECT_EQ(codes[0], c.Code);
    EXPECT_EQ(codes[1], c.Code);
  }
}

// A header or footer opened inside itself, with a table open across it:
// the document the table's rows were started in must still be there.
TEST(RTFCorruptInput, HeadersAndFootersOpenedInsideThemselves) {
  const char* const cases[] = {
      "{\\rtf1{\\footer\\trowd\\cellx100\\intbl x{\\footer y}\\cell\\row z}}",
      "{\\rtf1{\\header\\trowd\\cellx100\\intbl x{\\header y}\\cell\\row z}}",
      "{\\rtf1{\\footer\\trowd\\cellx100\\intbl x{\\footer\\trowd\\cellx100\\intbl\\itap2 y\\nestcell}\\cell\\row}}",
      "{\\rtf1{\\footer\\pard\\intbl a{\\header\\pard\\intbl b\\cell\\row}\\cell\\row}}",
  };
  for (const char* rtf : cases) {
    SCOPED_TRACE(rtf);
    const std::array<Byte, 2> codes = ImportBoth(rtf);
    EXPECT_EQ(codes[0], 0);
    EXPECT_EQ(codes[1], 0);
  }
}
