// What the writer makes at each bound of the table reader: written with
// the program's own writer and read back, a table within the bounds comes
// back whole and one past them is left out with a load warning, the text
// around it kept. A reader bound that drifts from the writer's fails here.
// (The commands that grow tables stop at the bounds: tests/actions.)
#include "support/VLFRoundTrip.h"
#include "TableTestSupport.h"

#include "platform/base/Streams.h"
#include "platform/base/CodePages.h"
#include "richtext/model/VLFMisc.h"
#include "richtext/model/VLUni.h"
#include "richtext/rtf/VLRTFImport.h"

#include <gtest/gtest.h>


using tabletest::CellText;

namespace {

std::string Save(TVLDocumentData& doc) { return qytest::SaveVLFBytes(doc); }

bool Load(TVLDocumentData& doc, const std::string& vlf) { return qytest::LoadVLFBytes(doc, vlf); }

TVLTableItemInfo* FirstTable(TCustomVLData& doc) {
  for (Integer i = 0; i < doc.GetItemCount(); ++i)
    if (auto* t = dynamic_cast<TVLTableItemInfo*>(doc.GetItem(i))) return t;
  return nullptr;
}

// Tables nested depth deep, the innermost cell holding text.
void AddNested(TVLDocumentData& doc, Integer depth, const AnsiString& text) {
  VLRegisterTableItem();
  doc.AddTextItem("before", 0, 0);
  TCustomVLData* host = &doc;
  for (Integer k = 0; k < depth; ++k) {
    auto t = TVLTableItemInfo::CreateEx(1, 2, host);
    t->GetCell(0, 1)->SetItemTextA(0, "level " + std::to_string(k + 1));
    TVLTableItemInfo* raw = t.get();
    host->AddItem("", t.release());
    host = raw->GetCell(0, 0);
  }
  host->SetItemTextA(0, text);
  doc.AddTextItem("after", 0, 0);
}

// How deep the tables of a document go, and the text of the deepest cell.
Integer Depth(TCustomVLData& doc, std::string* deepest) {
  TVLTableItemInfo* t = FirstTable(doc);
  if (!t) {
    *deepest = CellText(&doc);
    return 0;
  }
  return 1 + Depth(*t->GetCell(0, 0), deepest);
}

// A rows x cols grid held by one merged cell, as the reader takes it from a
// table stream (the writer's form: rows, columns, the cell list).
std::string MergedGridStream(int rows, int cols) {
  auto i32 = [](int v) {
    return std::string("\x04", 1) + char(v & 0xFF) + char((v >> 8) & 0xFF) + char((v >> 16) & 0xFF) +
           char((v >> 24) & 0xFF);
  };
  std::string s = std::string("QPS1\x0ATVLTableSW\x00", 16) + std::string("\x01" "C", 2);
  s += i32(rows) + i32(cols) + "\x01" + i32(cols) + i32(rows) + std::string("QPS1\x02TD\x00\x00", 9);
  return s + std::string("\x00\x00", 2);
}

std::string RecordAround(const std::string& stream) {
  return "-8 1 3\r\n0 1 0 0 0 0\r\nbefore\r\n-60 3 0 0 0 0 \r\n\r\n1\r\n" + VLFStringToHex(stream) +
         "\r\n0 1 0 0 0 0\r\nafter\r\n";
}

// The row counts of the document's tables, each checked to hold no more
// cells than a saved document reads back.
std::vector<Integer> TableRows(TVLDocumentData& doc) {
  std::vector<Integer> rows;
  for (Integer i = 0; i < doc.GetItemCount(); ++i)
    if (auto* t = dynamic_cast<TVLTableItemInfo*>(doc.GetItem(i))) {
      rows.push_back(t->RowCount());
      EXPECT_LE(static_cast<Int64>(t->RowCount()) * t->ColCount(), VLTableMaxCells);
    }
  return rows;
}

std::vector<Integer> ReadTableRows(const std::string& rtf) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  TVLRTFReaderProperties props;
  TStringStream in(rtf);
  EXPECT_EQ(props.ReadFromStream(in, &doc), 0);
  return TableRows(doc);
}

}  // namespace

TEST(TableLimits, NestingWrittenPastTheReadersDepthIsLeftOutWithAWarning) {
  TVLStyle style(nullptr);
  struct Case {
    Integer Depth;
    bool Whole;
  } cases[] = {{1, true}, {VLTableMaxNesting - 1, true}, {VLTableMaxNesting, true},
               {VLTableMaxNesting + 1, false}, {VLTableMaxNesting + 8, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Depth);
    TVLDocumentData doc(&style);
    AddNested(doc, c.Depth, "café deep");
    const std::string vlf = Save(doc);
    TVLDocumentData back(&style);
    ASSERT_TRUE(Load(back, vlf));
    EXPECT_EQ(back.GetVLFWarnings().Contains(vlfwTableTooDeep), !c.Whole);
    EXPECT_EQ(back.GetItemTextA(0), "before");
    EXPECT_EQ(back.GetItemTextA(back.GetItemCount() - 1), "after");
    std::string deepest;
    if (c.Whole) {
      EXPECT_TRUE(back.GetVLFWarnings().Empty());
      EXPECT_EQ(Depth(back, &deepest), c.Depth);
      EXPECT_EQ(deepest, "café deep");
    } else {
      // Every table down to the deepest one allowed stays, with its text.
      EXPECT_EQ(Depth(back, &deepest), VLTableMaxNesting);
      EXPECT_NE(deepest, "café deep");
    }
  }
}

// A table as large as a table may be is read back whole, and saves in one
// pass over its grid (the table commands refuse to grow one further).
TEST(TableLimits, AGridAtTheReadersCellCountIsReadBackWhole) {
  VLRegisterTableItem();
  TVLStyle style(nullptr);
  const int rows = 400, cols = static_cast<int>(VLTableMaxCells / 400);
  ASSERT_EQ(static_cast<Int64>(rows) * cols, VLTableMaxCells);
  TVLDocumentData doc(&style);
  ASSERT_TRUE(Load(doc, RecordAround(MergedGridStream(rows, cols))));
  ASSERT_TRUE(doc.GetVLFWarnings().Empty());
  TVLTableItemInfo* t = FirstTable(doc);
  ASSERT_TRUE(t);
  t->GetCell(0, 0)->SetItemTextA(0, "Łódź");
  TVLDocumentData back(&style);
  ASSERT_TRUE(Load(back, Save(doc)));
  EXPECT_TRUE(back.GetVLFWarnings().Empty());
  EXPECT_EQ(back.GetItemTextA(0), "before");
  EXPECT_EQ(back.GetItemTextA(back.GetItemCount() - 1), "after");
  TVLTableItemInfo* b = FirstTable(back);
  ASSERT_TRUE(b);
  EXPECT_EQ(b->RowCount(), rows);
  EXPECT_EQ(b->ColCount(), cols);
  EXPECT_EQ(CellText(b->GetCell(0, 0)), "Łódź");
}

// RTF nests tables as deep as it likes (our own RTF writer too): the import
// stops at the depth a saved document can hold, keeping the deeper text, so
// that what it made is read back whole.
TEST(TableLimits, RTFImportNestsNoDeeperThanASavedDocumentHolds) {
  for (Integer depth : {VLTableMaxNesting, VLTableMaxNesting + 6}) {
    SCOPED_TRACE(depth);
    TVLStyle style(nullptr);
    TVLDocumentData made(&style);
    AddNested(made, depth, "café deep");
    TMemoryStream rtf;
    ASSERT_TRUE(made.SaveRTFToStream(rtf, false, 0, clWindow, nullptr, nullptr));
    rtf.SetPosition(0);
    TVLDocumentData doc(&style);
    TVLRTFReaderProperties props;
    ASSERT_EQ(props.ReadFromStream(rtf, &doc), 0);
    std::string deepest;
    const Integer imported = Depth(doc, &deepest);
    EXPECT_EQ(imported, std::min(depth, VLTableMaxNesting));
    TVLDocumentData back(&style);
    ASSERT_TRUE(Load(back, Save(doc)));
    EXPECT_TRUE(back.GetVLFWarnings().Empty());
    std::string deepestBack;
    EXPECT_EQ(Depth(back, &deepestBack), imported);
    EXPECT_EQ(deepestBack, deepest);
    EXPECT_NE(deepestBack.find("deep"), std::string::npos);
  }
}

// An RTF table with more cells than a saved document reads back (here
// 10,001 rows of 20 positions, each row's positions merged into one cell)
// comes in as tables within the bound, one after the other, with every
// row's text, and what the import made is read back whole.
TEST(TableLimits, RTFTablesPastTheCellBoundGoOnInTablesOfTheirOwn) {
  VLRegisterTableItem();
  const int cols = 20, rows = 10001;
  ASSERT_GT(static_cast<Int64>(rows) * cols, VLTableMaxCells);
  std::string rowDef = "\\trowd\\clmgf\\cellx100";
  for (int c = 1; c < cols; ++c) rowDef += "\\clmrg\\cellx" + std::to_string(100 * (c + 1));
  std::string rtf = "{\\rtf1\\ansi before\\par ";
  for (int r = 0; r < rows; ++r) {
    rtf += rowDef + "\\pard\\intbl r" + std::to_string(r) + " caf\\'e9\\cell";
    for (int c = 1; c < cols; ++c) rtf += "\\cell";
    rtf += "\\row ";
  }
  rtf += "\\pard after\\par}";
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  TVLRTFReaderProperties props;
  TStringStream s(rtf);
  ASSERT_EQ(props.ReadFromStream(s, &doc), 0);
  // The first cells' texts, row by row; the tables, none past the bound.
  auto rowTexts = [](TCustomVLData& d, int& tables) {
    std::string all;
    tables = 0;
    for (Integer i = 0; i < d.GetItemCount(); ++i)
      if (auto* t = dynamic_cast<TVLTableItemInfo*>(d.GetItem(i))) {
        ++tables;
        EXPECT_LE(static_cast<Int64>(t->RowCount()) * t->ColCount(), VLTableMaxCells);
        for (Integer r = 0; r < t->RowCount(); ++r)
          if (TVLTableCellData* cell = t->GetCell(r, 0))
            for (Integer k = 0; k < cell->GetItemCount(); ++k)
              all += (cell->GetItem(k)->IsUnicode() ? WideToUtf8(RawUnicodeToWideString(cell->GetItemTextA(k)))
                                                    : AnsiToUtf8(cell->GetItemTextA(k), 1252)) + ";";
      }
    return all;
  };
  std::string expected;
  for (int r = 0; r < rows; ++r) expected += "r" + std::to_string(r) + " café;";
  int tables = 0;
  const std::string imported = rowTexts(doc, tables);
  EXPECT_GE(tables, 2);
  EXPECT_TRUE(imported == expected) << imported.substr(0, 200);
  TVLDocumentData back(&style);
  ASSERT_TRUE(Load(back, Save(doc)));
  EXPECT_TRUE(back.GetVLFWarnings().Empty());
  int backTables = 0;
  EXPECT_TRUE(rowTexts(back, backTables) == expected);
  EXPECT_EQ(backTables, tables);
}

// The program's own RTF of a table as large as a saved document holds comes
// back as that one table. (The writer writes two of its rows; the first is
// repeated, as the writer would write the same row again.)
TEST(TableLimits, RTFOfATableAtTheCellBoundComesBackAsThatTable) {
  VLRegisterTableItem();
  const Integer cols = 100, rows = static_cast<Integer>(VLTableMaxCells / cols);
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  auto table = TVLTableItemInfo::CreateEx(2, cols, &doc);
  table->GetCell(1, cols - 1)->SetItemTextA(0, "last");
  doc.AddItem("", table.release());
  TMemoryStream out;
  ASSERT_TRUE(doc.SaveRTFToStream(out, false, 0, clWindow, nullptr, nullptr));
  const std::string written = out.Bytes();
  const size_t first = written.find("{\\trowd"), second = written.find("{\\trowd", first + 1);
  ASSERT_NE(second, std::string::npos);
  std::string rtf = written.substr(0, first);
  for (Integer r = 0; r < rows - 1; ++r) rtf.append(written, first, second - first);
  rtf.append(written, second);
  TVLDocumentData back(&style);
  TVLRTFReaderProperties props;
  TStringStream in(rtf);
  ASSERT_EQ(props.ReadFromStream(in, &back), 0);
  EXPECT_EQ(TableRows(back), (std::vector<Integer>{rows}));
  auto* t = dynamic_cast<TVLTableItemInfo*>(back.GetItem(0));
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(t->RowCount(), rows);
  ASSERT_EQ(t->ColCount(), cols);
  EXPECT_EQ(CellText(t->GetCell(rows - 1, cols - 1)), "last");
}

// A row whose edges fall between the table's splits every column: it goes
// on in a table of its own when the columns it makes would pass the limit.
TEST(TableLimits, RTFRowThatSplitsTheColumnsPastTheCellBoundStartsATable) {
  const Integer cols = 100, rows = static_cast<Integer>(VLTableMaxCells / (2 * cols));
  std::string aligned, between;
  for (Integer c = 1; c <= cols; ++c) {
    aligned += "\\cellx" + std::to_string(100 * c);
    between += "\\cellx" + std::to_string(100 * c + 50);
  }
  auto row = [cols](const std::string& def) {
    std::string s = "\\trowd" + def + "\\pard\\intbl ";
    for (Integer c = 0; c < cols; ++c) s += "x\\cell ";
    return s + "\\row ";
  };
  std::string rtf = "{\\rtf1 ";
  for (Integer r = 0; r < rows - 1; ++r) rtf += row(aligned);
  // At the limit with the split columns: one table still.
  EXPECT_EQ(ReadTableRows(rtf + row(between) + "\\pard end}"), (std::vector<Integer>{rows}));
  rtf += row(aligned);
  EXPECT_EQ(ReadTableRows(rtf + row(between) + "\\pard end}"), (std::vector<Integer>{rows, 1}));
}
