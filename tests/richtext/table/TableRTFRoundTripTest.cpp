// Tables through our RTF writer and reader: what the writer emits stays in
// the range readers take, and writing and reading again changes nothing.
#include "TableTestSupport.h"

#include "platform/base/Streams.h"
#include "richtext/rtf/VLRTFImport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

std::string Data(const char* name) {
  return qytest::ReadFileBytes(qytest::SourceDir() / "tests/richtext/table/data" / name);
}

Byte Read(TCustomVLData& doc, const std::string& rtf) {
  VLRegisterTableItem();
  TVLRTFReaderProperties props;
  TStringStream s(rtf);
  return props.ReadFromStream(s, &doc);
}

std::string Write(TCustomVLData& doc) {
  TMemoryStream s;
  EXPECT_TRUE(doc.SaveRTFToStream(s, false, 0, clWindow, nullptr, nullptr));
  return s.Bytes();
}

// The paragraphs of a document, a table's cells nested in braces, each
// merged cell followed by its spans.
std::string Paragraphs(TCustomVLData& doc) {
  std::string out;
  for (Integer i = 0; i < doc.GetItemCount(); ++i) {
    TCustomVLItemInfo* item = doc.GetItem(i);
    if (i > 0 && item->IsParaStart()) out += "\n";
    if (auto* t = dynamic_cast<TVLTableItemInfo*>(item)) {
      out += "[table " + std::to_string(t->RowCount()) + "x" + std::to_string(t->ColCount());
      for (Integer r = 0; r < t->RowCount(); ++r)
        for (Integer c = 0; c < t->ColCount(); ++c)
          if (TVLTableCellData* cell = t->GetCell(r, c)) {
            out += " {" + Paragraphs(*cell) + "}";
            if (cell->RowSpan > 1 || cell->ColSpan > 1)
              out += std::to_string(cell->RowSpan) + "x" + std::to_string(cell->ColSpan);
          }
      out += "]";
    } else if (item->StyleNo >= 0) {
      out += doc.GetItemTextA(i);
    } else {
      out += "#" + std::to_string(item->StyleNo);
    }
  }
  return out;
}

TVLTableItemInfo* FirstTable(TCustomVLData& doc) {
  for (Integer i = 0; i < doc.GetItemCount(); ++i)
    if (auto* t = dynamic_cast<TVLTableItemInfo*>(doc.GetItem(i))) return t;
  return nullptr;
}

// Every number of the RTF within the range of an RTF number.
void ExpectNumbersWithin32Bits(const std::string& rtf) {
  static const std::regex number(R"(\\([a-z]+)(-?[0-9]+))");
  for (auto it = std::sregex_iterator(rtf.begin(), rtf.end(), number); it != std::sregex_iterator(); ++it) {
    const std::string digits = (*it)[2];
    ASSERT_LE(digits.size(), 11u) << (*it)[0];
    const long long v = std::stoll(digits);
    EXPECT_TRUE(v >= -2147483647LL && v <= 2147483647LL) << (*it)[0];
  }
}

}  // namespace

// Widths far beyond any page came out as numbers beyond 32 bits
// (\cellx2147483722, \clwWidth7158278500), and our reader then refused the
// whole file; each number is now written within the range, and a number
// beyond it costs no more than its own word.
TEST(TableRTFRoundTrip, ExtremeWidthsStayInTheRangeOfAnRTFNumber) {
  for (const char* name : {"rtf-table-extreme-gap.rtf", "rtf-table-extreme-widths.rtf"})
    for (bool laidOut : {false, true}) {
      SCOPED_TRACE(std::string(name) + (laidOut ? ", laid out" : ""));
      TVLStyle style(nullptr);
      TVLDocumentData doc(&style);
      ASSERT_EQ(Read(doc, Data(name)), 0);
      if (laidOut)
        for (Integer i = 0; i < doc.GetItemCount(); ++i)
          if (auto* t = dynamic_cast<TVLTableItemInfo*>(doc.GetItem(i))) t->Layout(800, true, nullptr);
      const std::string rtf = Write(doc);
      ExpectNumbersWithin32Bits(rtf);
      TVLDocumentData back(&style);
      ASSERT_EQ(Read(back, rtf), 0);
      EXPECT_EQ(Paragraphs(back), Paragraphs(doc));
    }
  // Widths and spacings the program holds whose twips pass 32 bits are
  // written as the largest number; the width comes back whole through the
  // pixel word written beside it.
  {
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    VLRegisterTableItem();
    auto t = TVLTableItemInfo::CreateEx(1, 2, &doc);
    t->BestWidth = 1 << 30;
    t->CellHSpacing = 1 << 29;
    t->GetCell(0, 0)->BestWidth = 1 << 30;
    t->GetCell(0, 0)->SetItemTextA(0, "a");
    t->GetCell(0, 1)->SetItemTextA(0, "b");
    t->Options.Include(vltoRTFSaveCellPixelBestWidth);
    doc.AddItem("", t.release());
    const std::string rtf = Write(doc);
    ExpectNumbersWithin32Bits(rtf);
    EXPECT_NE(rtf.find("\\clwWidth2147483647"), std::string::npos) << rtf;
    TVLDocumentData back(&style);
    ASSERT_EQ(Read(back, rtf), 0);
    EXPECT_EQ(Paragraphs(back), "[table 1x2 {a} {b}]");
    auto* b = dynamic_cast<TVLTableItemInfo*>(back.GetItem(0));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->GetCell(0, 0)->BestWidth, 1 << 30);
  }
  // A number beyond 32 bits is read as the largest one.
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  ASSERT_EQ(Read(doc, "{\\rtf1\\trowd\\cellx99999999999\\clwWidth-99999999999\\cellx7158278500\\pard\\intbl a\\cell "
                      "b\\cell\\row}"),
            0);
  EXPECT_EQ(Paragraphs(doc), "[table 1x2 {a} {b}]");
  auto* t = dynamic_cast<TVLTableItemInfo*>(doc.GetItem(0));
  ASSERT_TRUE(t);
  // The largest number in twips, in pixels (15 twips each); a negative
  // preferred width is a share of the table in fiftieths of a percent. Digits
  // cut to 32 bits would give other widths (99999999999 is 1215752191 so).
  EXPECT_EQ(t->GetCell(0, 0)->BestWidth, 2147483647 / 15);
  EXPECT_EQ(t->GetCell(0, 1)->BestWidth, -2147483648LL / 50);
}

// Each save and reload added an empty paragraph after every table with text
// after it: the writer's \par before the next paragraph came after the
// table's last \row, which ends a paragraph of its own. Every RTF file with
// tables in the test data reads back to the same paragraphs after three
// rounds through our writer and reader.
TEST(TableRTFRoundTrip, WritingAndReadingAgainKeepsTheParagraphs) {
  std::vector<fs::path> files;
  for (const char* dir : {"tests/richtext/rtf/corpus", "tests/richtext/rtf/data", "tests/richtext/table/data"})
    for (const auto& entry : fs::directory_iterator(qytest::SourceDir() / dir))
      if (entry.path().extension() == ".rtf" &&
          qytest::ReadFileBytes(entry.path()).find("\\trowd") != std::string::npos)
        files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  ASSERT_GE(files.size(), 10u);
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.filename().string());
    TVLStyle style(nullptr);
    TVLDocumentData first(&style);
    if (Read(first, qytest::ReadFileBytes(file)) != 0) continue;  // files made to be refused
    const std::string want = Paragraphs(first);
    std::string rtf = Write(first);
    for (int round = 1; round <= 3; ++round) {
      SCOPED_TRACE("round " + std::to_string(round));
      TVLDocumentData again(&style);
      ASSERT_EQ(Read(again, rtf), 0);
      EXPECT_EQ(Paragraphs(again), want);
      rtf = Write(again);
    }
  }
  // The reproducer: text, a table, text.
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  ASSERT_EQ(Read(doc, Data("rtf-table-html-negative-spacing.rtf")), 0);
  EXPECT_EQ(Paragraphs(doc), "A\n[table 1x2 {x} {y}]\nB");
}

// A merged block's merge words met the row's next cell, which has none, and
// read back one column wider: the next column's cells of the block's rows
// came in as one cell holding both texts. Our own RTF of every merged shape
// reads back cell for cell, in a table of its own and nested in cells.
TEST(TableRTFRoundTrip, MergedCellsReadBackWithTheirSpansAtEveryDepth) {
  {
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    ASSERT_EQ(Read(doc, Data("rtf-merged-block-2x2-reads-wider.rtf")), 0);
    TVLTableItemInfo* t = FirstTable(doc);
    ASSERT_TRUE(t);
    EXPECT_EQ(tabletest::Cells(*t),
              "3x3: d3r0c0d3r0c1d3r1c0d3r1c1[2x2] . d3r0c2 / . . d3r1c2 / d3r2c0 d3r2c1 d3r2c2");
  }
  struct TShape {
    Integer Row, Col, Cols, Rows;  // the merge
  };
  const TShape shapes[] = {{0, 0, 2, 2}, {0, 1, 2, 2}, {1, 0, 2, 2}, {1, 1, 2, 2}, {0, 0, 3, 2},
                           {0, 0, 2, 3}, {0, 1, 1, 3}, {1, 0, 3, 1}, {0, 0, 3, 3}};
  for (const TShape& k : shapes)
    for (Integer depth = 1; depth <= 3; ++depth) {
      SCOPED_TRACE("merge at (" + std::to_string(k.Row) + "," + std::to_string(k.Col) + ") " +
                   std::to_string(k.Rows) + "x" + std::to_string(k.Cols) + ", depth " + std::to_string(depth));
      VLRegisterTableItem();
      TVLStyle style(nullptr);
      TVLDocumentData doc(&style);
      TCustomVLData* host = &doc;
      TVLTableItemInfo* merged = nullptr;
      for (Integer level = 1; level <= depth; ++level) {
        auto t = TVLTableItemInfo::CreateEx(3, 3, host);
        for (Integer r = 0; r < 3; ++r)
          for (Integer c = 0; c < 3; ++c)
            t->GetCell(r, c)->SetItemTextA(0, std::string(1, static_cast<char>('a' + r)) + std::to_string(c));
        merged = t.get();
        host->AddItem("", t.release());
        host = merged->GetCell(2, 2);
      }
      ASSERT_TRUE(merged->MergeCells(k.Row, k.Col, k.Cols, k.Rows, true));
      TVLDocumentData back(&style);
      ASSERT_EQ(Read(back, Write(doc)), 0);
      TVLTableItemInfo* first = FirstTable(doc);
      TVLTableItemInfo* again = FirstTable(back);
      ASSERT_TRUE(first && again);
      EXPECT_EQ(tabletest::Cells(*again), tabletest::Cells(*first));
    }
}
