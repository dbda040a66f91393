// The reader's events, positions and result codes for hand-written input.
#include "platform/base/CodePages.h"
#include "platform/base/Streams.h"
#include "richtext/rtf/VLRTFReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TextRun {
  std::string Text;  // UTF-8
  TVLRTFPosition Position;
  bool operator==(const TextRun&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TextRun& r) {
  return os << "{\"" << r.Text << "\"," << static_cast<int>(r.Position) << "}";
}

struct Recorder {
  explicit Recorder(bool unicode = false) {
    Reader.OnNewText = [this](TVLRTFReader*, const AnsiString& t, TVLRTFPosition p) {
      Runs.push_back({AnsiToUtf8(t, 1252), p});
      Log += "T";
    };
    if (unicode)
      Reader.OnNewUnicodeText = [this](TVLRTFReader*, const WideString& t, TVLRTFPosition p) {
        Runs.push_back({WideToUtf8(t), p});
        Log += "U";
      };
    Reader.OnTable = [this](TVLRTFReader* r, TVLRTFTableEventKind k) {
      Log += "stRC"[k];
      if (k == vlf_tbl_RowEnd) RowCells.push_back(r->RTFState.RowOrNil()->CellCount());
    };
  }
  Byte Read(const std::string& rtf) {
    TStringStream s(rtf);
    return Reader.ReadFromStream(s);
  }
  TVLRTFReader Reader;
  std::vector<TextRun> Runs;
  std::vector<Integer> RowCells;
  std::string Log;
};

constexpr auto P = rtf_ts_NewPara;
constexpr auto L = rtf_ts_NewLine;
constexpr auto C = rtf_ts_ContinuePara;

TEST(RTFReaderEvents, RunsAndPositions) {
  struct Case {
    const char* Rtf;
    std::vector<TextRun> Runs;
    bool Unicode;
  } cases[] = {
      {"{\\rtf1 abc}", {{"abc", P}}, false},
      {"{\\rtf1 a\\par\\par b}", {{"a", P}, {"", P}, {"b", P}}, false},
      {"{\\rtf1 a\\line b}", {{"a", P}, {"b", L}}, false},
      {"{\\rtf1 a{\\b b}c}", {{"a", P}, {"b", C}, {"c", C}}, false},
      {"{\\rtf1 a}{b}", {{"a", P}}, false},
      {"{\\rtf1 \\b  two}", {{" two", P}}, false},
      {"{\\rtf1 x\\u1060?y}", {{"x", P}, {"\xD0\xA4", C}, {"y", C}}, true},
      {"{\\rtf1 \\u1060?}", {{"?", P}}, false},
      {"{\\rtf1 \\uc2\\u1060??z}", {{"\xD0\xA4", P}, {"z", C}}, true},
      {"{\\rtf1 \\u-4064?}", {{"\xEF\x80\xA0", P}}, true},
      {"{\\rtf1 \\ldblquote q\\rdblquote}", {{"\xE2\x80\x9C", P}, {"q", C}, {"\xE2\x80\x9D", C}}, true},
      {"{\\rtf1 \\ldblquote q}", {{"\"q", P}}, false},
      {"{\\rtf1 a{\\*\\unknownword hidden}b}", {{"ab", P}}, false},
      {"{\\rtf1 a{\\unknownword shown}b}", {{"ashown", P}, {"b", C}}, false},
      {"{\\rtf1 \\'e9t\\'e9}", {{"\xC3\xA9t\xC3\xA9", P}}, false},
      {"{\\rtf1 well\\_known}", {{"well-known", P}}, false},
      {"{\\rtf1 a\\emspace b}", {{"a b", P}}, false},
      {"{\\rtf1 a{\\v hid}b}", {{"a", P}, {"", C}, {"hid", C}, {"b", C}}, false},
      {"{\\rtf1 {\\info{\\title T}}body}", {{"body", P}}, false},
  };
  for (const auto& c : cases) {
    Recorder r(c.Unicode);
    EXPECT_EQ(r.Read(c.Rtf), 0) << c.Rtf;
    EXPECT_EQ(r.Runs, c.Runs) << c.Rtf;
  }
}

TEST(RTFReaderEvents, ResultCodes) {
  struct Case {
    std::string Rtf;
    Byte Code;
  } cases[] = {
      {"{\\rtf1 a}", 0},       {"}", 1},
      {"{\\rtf1 a", 3},        {"{\\rtf1 a\\", 7},
      {"{\\rtf1 \\'4g}", 4},   {"{\\rtf1 \\fs99999999999}", 0},
      {"{\\rtf1 {\\pict{\\pict}}}", 0},
      {std::string(20000, '{'), 2},
  };
  for (const auto& c : cases) {
    Recorder r;
    EXPECT_EQ(r.Read(c.Rtf), c.Code) << c.Rtf.substr(0, 40);
  }
  // A picture inside an open picture only matters when pictures are taken.
  Recorder r;
  r.Reader.OnNewPicture = [](TVLRTFReader*, TVLRTFPicture*, std::unique_ptr<TGraphic>&, TVLRTFPosition,
                             bool&) {};
  EXPECT_EQ(r.Read("{\\rtf1 {\\pict{\\pict}}}"), 10);
}

// A parameter beyond 32 bits is the nearest number within them: the size
// the text gets is the largest one, never what the digits come to when cut
// to 32 bits (2^32 + 2 would be a size of 1).
TEST(RTFReaderEvents, ParametersBeyond32BitsAreTheNearestInRange) {
  struct Case {
    const char* Words;
    Integer Size;
  } cases[] = {
      {"\\fs24", 12},
      {"\\fs2147483647", 1073741824},
      {"\\fs99999999999", 1073741824},
      {"\\fs4294967298", 1073741824},
      {"\\fs18446744073709551618", 1073741824},
      {"\\fs-4294967298", -1073741824},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Words);
    Recorder r;
    std::vector<Integer> sizes;
    r.Reader.OnNewText = [&sizes](TVLRTFReader* reader, const AnsiString&, TVLRTFPosition) {
      sizes.push_back(reader->RTFState.CharProps.Size);
    };
    EXPECT_EQ(r.Read(std::string("{\\rtf1 ") + c.Words + " caf\\'e9}"), 0);
    EXPECT_EQ(sizes, std::vector<Integer>{c.Size});
  }
}

TEST(RTFReaderEvents, HandlerExceptions) {
  Recorder text;
  text.Reader.OnNewText = [](TVLRTFReader*, const AnsiString&, TVLRTFPosition) { throw std::runtime_error("x"); };
  EXPECT_EQ(text.Read("{\\rtf1 a\\par b}"), 11);
  Recorder table;
  table.Reader.OnTable = [](TVLRTFReader*, TVLRTFTableEventKind) { throw std::runtime_error("x"); };
  EXPECT_EQ(table.Read("{\\rtf1 \\intbl a\\cell\\row}"), 9);
}

TEST(RTFReaderEvents, BinaryDataStaysInItsDestination) {
  Recorder r;
  std::string data;
  r.Reader.OnNewPicture = [&data](TVLRTFReader*, TVLRTFPicture* p, std::unique_ptr<TGraphic>&,
                                  TVLRTFPosition, bool&) { data = p->Data.Bytes(); };
  EXPECT_EQ(r.Read("{\\rtf1 a{\\pict\\pngblip\\bin3 }{\\}b}"), 0);
  EXPECT_EQ(data, "}{\\");
  EXPECT_EQ(r.Runs, (std::vector<TextRun>{{"a", P}, {"b", C}}));
}

TEST(RTFReaderEvents, StreamPositionedAfterStart) {
  Recorder r;
  TStringStream s("garbage{\\rtf1 rest}");
  s.SetPosition(7);
  EXPECT_EQ(r.Reader.ReadFromStream(s), 0);
  EXPECT_EQ(r.Runs, (std::vector<TextRun>{{"rest", P}}));
}

TEST(RTFReaderEvents, TableEventsAndRows) {
  Recorder r;
  EXPECT_EQ(r.Read("{\\rtf1 \\trowd\\cellx1000\\cellx2000\\pard\\intbl A\\cell B\\cell\\row\\pard after\\par}"), 0);
  EXPECT_EQ(r.Log, "sTCTCRtT");
  EXPECT_EQ(r.RowCells, std::vector<Integer>{2});
  // Nested: the inner table opens and closes inside the outer cell.
  Recorder n;
  EXPECT_EQ(n.Read("{\\rtf1 \\pard\\intbl a\\itap2 b\\nestcell{\\*\\nesttableprops\\trowd\\cellx500\\nestrow}"
                   "\\itap1 \\cell\\row}"),
            0);
  EXPECT_EQ(n.Log.substr(0, 3), "ssT");
  // Cell words after a row that took every cell address a fresh one.
  Recorder e;
  EXPECT_EQ(e.Read("{\\rtf1 \\trowd\\row\\clvmgf\\clbrdrl\\brdrs\\cellx10 x}"), 0);
  EXPECT_NE(n.Log.find('t'), std::string::npos);
}

}  // namespace
