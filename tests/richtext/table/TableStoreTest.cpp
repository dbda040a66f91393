// Tables in VLF: the record and its streamed cell list, both VLF forms,
// damaged cell lists, and documents saved with the older table record.
#include "support/DamageSweep.h"
#include "support/VLFRoundTrip.h"
#include "TableTestSupport.h"

#include "platform/base/PropStream.h"
#include "platform/base/Streams.h"
#include "richtext/model/VLFMisc.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

using tabletest::AllText;
using tabletest::assertGridInvariant;
using tabletest::CellText;

namespace {

TVLTableItemInfo* FirstTable(TCustomVLData& doc) {
  for (Integer i = 0; i < doc.GetItemCount(); ++i)
    if (auto* t = dynamic_cast<TVLTableItemInfo*>(doc.GetItem(i))) return t;
  return nullptr;
}

std::string Save(TVLDocumentData& doc, bool binary) { return qytest::SaveVLFBytes(doc, binary); }

bool Load(TVLDocumentData& doc, const std::string& vlf) { return qytest::LoadVLFBytes(doc, vlf); }

// "before", a rows x cols table whose cells hold "r,c", "after".
TVLTableItemInfo* AddTable(TVLDocumentData& doc, Integer rows, Integer cols) {
  VLRegisterTableItem();
  doc.AddTextItem("before", 0, 0);
  auto t = TVLTableItemInfo::CreateEx(rows, cols, &doc);
  for (Integer r = 0; r < rows; ++r)
    for (Integer c = 0; c < cols; ++c)
      t->GetCell(r, c)->SetItemTextA(0, std::to_string(r) + "," + std::to_string(c));
  TVLTableItemInfo* raw = t.get();
  doc.AddItem("", t.release());
  doc.AddTextItem("after", 0, 0);
  return raw;
}

// The spans written before each cell wrapper ("QPS1", "TD") in a stream
// without nested tables.
std::vector<std::pair<int, int>> CellRecords(const std::string& bytes) {
  std::vector<std::pair<int, int>> spans;
  const std::string td = std::string("QPS1\x02TD", 7);
  for (size_t at = bytes.find(td); at != std::string::npos; at = bytes.find(td, at + 1)) {
    EXPECT_GE(at, 4u);
    EXPECT_EQ(bytes[at - 4], vaInt8);
    EXPECT_EQ(bytes[at - 2], vaInt8);
    spans.emplace_back(bytes[at - 3], bytes[at - 1]);
  }
  return spans;
}

// The value of the "C" property: what follows its name.
std::string AfterC(const std::string& bytes) {
  const size_t at = bytes.find(std::string("\x01" "C", 2));
  return at == std::string::npos ? std::string() : bytes.substr(at + 2);
}

TEST(TableStore, CellListOfASpanAndTheGridReadBack) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  TVLTableItemInfo* t = AddTable(doc, 3, 3);
  ASSERT_TRUE(t->MergeCells(0, 0, 2, 1));
  const std::string bytes = t->SaveToBytes();
  EXPECT_EQ(bytes.substr(0, 15), std::string("QPS1\x0ATVLTableSW", 15));
  // Three rows, three columns, a list of eight cells: the covered one is
  // not written.
  EXPECT_EQ(AfterC(bytes).substr(0, 5), std::string("\x02\x03\x02\x03\x01", 5));
  const std::vector<std::pair<int, int>> expected = {{2, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1},
                                                     {1, 1}, {1, 1}, {1, 1}};
  EXPECT_EQ(CellRecords(bytes), expected);

  for (bool binary : {false, true}) {
    SCOPED_TRACE(binary ? "binary" : "text");
    TVLDocumentData back(&style);
    ASSERT_TRUE(Load(back, Save(doc, binary)));
    EXPECT_FALSE(back.GetVLFWarnings().Contains(vlfwTableGridRepaired));
    ASSERT_EQ(back.GetItemCount(), 3);
    EXPECT_EQ(back.GetItemTextA(2), "after");
    TVLTableItemInfo* b = FirstTable(back);
    ASSERT_TRUE(b);
    EXPECT_TRUE(assertGridInvariant(*b));
    ASSERT_EQ(b->RowCount(), 3);
    ASSERT_EQ(b->ColCount(), 3);
    EXPECT_EQ(b->GetCell(0, 0)->ColSpan, 2);
    EXPECT_EQ(b->GetCell(0, 1), nullptr);
    EXPECT_EQ(CellText(b->GetCell(0, 0)), "0,00,1");
    EXPECT_EQ(AllText(*b), AllText(*t));
  }
}

TEST(TableStore, RecordHeaderAndForms) {
  TVLStyle style(nullptr);
  struct Case {
    const char* name;
    bool binary;
    String fileName;
    const char* header;  // up to the tag
  };
  const Case cases[] = {
      {"text", false, "", "-60 3 0 0 0 0 \r\n\r\n1\r\n515053310A"},
      {"binary: read type 2, then a length", true, "", "-60 3 0 0 2 0 \r\n\r\n1\r\n"},
      {"file name line", false, "tables/t.vlf", "-60 4 0 0 0 0 \r\n\r\nfilename=tables/t.vlf\r\n1\r\n5150"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TVLDocumentData doc(&style);
    TVLTableItemInfo* t = AddTable(doc, 2, 2);
    t->FileName = c.fileName;
    const std::string vlf = Save(doc, c.binary);
    const size_t at = vlf.find("-60 ");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(vlf.substr(at, strlen(c.header)), c.header);
    if (c.binary) {
      // The length of the stream, then the stream.
      const size_t data = at + strlen(c.header);
      const std::string bytes = t->SaveToBytes();
      const auto n = static_cast<uint32_t>(bytes.size());
      EXPECT_EQ(vlf.substr(data, 4), std::string(reinterpret_cast<const char*>(&n), 4));
      EXPECT_EQ(vlf.substr(data + 4, bytes.size()), bytes);
    }
    TVLDocumentData back(&style);
    ASSERT_TRUE(Load(back, vlf));
    TVLTableItemInfo* b = FirstTable(back);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->FileName, c.fileName);
    EXPECT_EQ(AllText(*b), "0,00,11,01,1");
    EXPECT_EQ(back.GetItemTextA(2), "after");
  }
}

TEST(TableStore, TableWithoutRowsWritesASingleZero) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  TVLTableItemInfo* t = AddTable(doc, 0, 0);
  const std::string bytes = t->SaveToBytes();
  // 0, then the end of the wrapper's properties.
  EXPECT_EQ(AfterC(bytes), std::string("\x02\x00\x00", 3));
  TVLDocumentData back(&style);
  ASSERT_TRUE(Load(back, Save(doc, true)));
  TVLTableItemInfo* b = FirstTable(back);
  ASSERT_TRUE(b);
  EXPECT_EQ(b->RowCount(), 0);
  EXPECT_EQ(back.GetItemTextA(2), "after");
}

TEST(TableStore, PropertiesOfTableRowsAndCellsTravel) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  TVLTableItemInfo* t = AddTable(doc, 2, 3);
  t->Options.Include(vltoRTFAllowAutofit);
  t->PrintOptions.Exclude(vltoRowsSplit);
  t->BestWidth = -50;
  t->Color = 0x123456;
  t->HeadingRowCount = 1;
  t->TextColSeparator = "\t";
  t->BorderWidth = 3;
  t->BorderStyle = vltbLoweredColor;
  t->CellPadding = 0;
  t->CellHSpacing = 7;
  t->HOutermostRule = true;
  t->Rows.GetRow(1)->VAlign = vlcBottom;
  TVLTableCellData* cell = t->GetCell(1, 2);
  cell->Color = 0x00FF00;
  cell->BestWidth = 120;
  cell->BestHeight = 40;
  cell->VAlign = vlcMiddle;
  cell->VisibleBorders.SetValues(true, false, true, false);
  cell->BorderColor = 0x0000FF;
  TVLDocumentData back(&style);
  ASSERT_TRUE(Load(back, Save(doc, false)));
  TVLTableItemInfo* b = FirstTable(back);
  ASSERT_TRUE(b);
  struct Value {
    const char* name;
    Int64 got, expected;
  };
  TVLTableCellData* bc = b->GetCell(1, 2);
  const Value values[] = {
      {"Options", static_cast<Int64>(b->Options.ToMask()), static_cast<Int64>(t->Options.ToMask())},
      {"PrintOptions", static_cast<Int64>(b->PrintOptions.ToMask()), 1},
      {"BestWidth", b->BestWidth, -50},
      {"Color", b->Color, 0x123456},
      {"HeadingRowCount", b->HeadingRowCount, 1},
      {"BorderWidth", b->BorderWidth, 3},
      {"BorderStyle", b->BorderStyle, vltbLoweredColor},
      {"CellPadding", b->CellPadding, 0},
      {"CellHSpacing", b->CellHSpacing, 7},
      {"HOutermostRule", b->HOutermostRule, 1},
      {"row 0 VAlign", b->Rows.GetRow(0)->VAlign, vlcTop},
      {"row 1 VAlign", b->Rows.GetRow(1)->VAlign, vlcBottom},
      {"cell Color", bc->Color, 0x00FF00},
      {"cell BestWidth", bc->BestWidth, 120},
      {"cell BestHeight", bc->BestHeight, 40},
      {"cell VAlign", bc->VAlign, vlcMiddle},
      {"cell top border", bc->VisibleBorders.Top, 0},
      {"cell left border", bc->VisibleBorders.Left, 1},
      {"cell BorderColor", bc->BorderColor, 0x0000FF},
      {"other cell Color", b->GetCell(0, 0)->Color, clNone},
  };
  for (const Value& v : values) EXPECT_EQ(v.got, v.expected) << v.name;
  EXPECT_EQ(b->TextColSeparator, "\t");
  // Only rows with an alignment other than top ask for the list.
  EXPECT_NE(t->SaveToBytes().find("RowVAlign"), std::string::npos);
  t->Rows.GetRow(1)->VAlign = vlcTop;
  EXPECT_EQ(t->SaveToBytes().find("RowVAlign"), std::string::npos);
}

TEST(TableStore, NestedTablesAndPristineCells) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  TVLTableItemInfo* t = AddTable(doc, 1, 2);
  TVLTableCellData* host = t->GetCell(0, 1);
  auto inner = TVLTableItemInfo::CreateEx(2, 1, host);
  inner->GetCell(1, 0)->SetItemTextA(0, "deep");
  host->AddItem("", inner.release());
  t->GetCell(0, 0)->SetItemTextA(0, "");
  // An untouched cell carries no content; one with text does.
  const std::string bytes = t->SaveToBytes();
  const std::string data = std::string("\x06" "C.Data", 7);
  size_t n = 0;
  for (size_t at = bytes.find(data); at != std::string::npos; at = bytes.find(data, at + 1)) ++n;
  EXPECT_EQ(n, 2u);  // the outer cell with the table, the inner cell with "deep"
  for (bool binary : {false, true}) {
    TVLDocumentData back(&style);
    ASSERT_TRUE(Load(back, Save(doc, binary)));
    TVLTableItemInfo* b = FirstTable(back);
    ASSERT_TRUE(b);
    TVLTableItemInfo* bi = FirstTable(*b->GetCell(0, 1));
    ASSERT_TRUE(bi);
    EXPECT_EQ(bi->RowCount(), 2);
    EXPECT_EQ(CellText(bi->GetCell(1, 0)), "deep");
  }
}

// The stream of a 2 x 2 table with count cell records, each one an empty
// cell wrapper.
std::string StreamWithCells(int count) {
  std::string s = std::string("QPS1\x0ATVLTableSW\x00", 16);
  s += std::string("\x01" "C" "\x02\x02\x02\x02\x01", 7);
  for (int i = 0; i < count; ++i) s += std::string("\x02\x01\x02\x01QPS1\x02TD\x00\x00", 13);
  s += std::string("\x00\x00", 2);
  return s;
}

TEST(TableStore, WrongCellCountIsALoadWarningNotALostDocument) {
  TVLStyle style(nullptr);
  VLRegisterTableItem();
  struct Case {
    int cells;
    bool repaired;
  };
  for (const Case c : {Case{4, false}, Case{3, true}, Case{5, true}, Case{0, true}}) {
    SCOPED_TRACE(c.cells);
    const std::string bytes = StreamWithCells(c.cells);
    TVLDocumentData doc(&style);
    TVLTableItemInfo t(&doc);
    if (c.repaired) {
      try {
        t.LoadFromBytes(bytes);
        ADD_FAILURE() << "no error";
      } catch (const EReadError& e) {
        EXPECT_EQ(e.Message, "Wrong end of cells list");
      }
    } else {
      EXPECT_NO_THROW(t.LoadFromBytes(bytes));
    }
    const std::string vlf = "-8 1 3\r\n0 1 0 0 0 0\r\nbefore\r\n-60 3 0 0 0 0 \r\n\r\n1\r\n" + VLFStringToHex(bytes) +
                            "\r\n0 1 0 0 0 0\r\nafter\r\n";
    ASSERT_TRUE(Load(doc, vlf));
    EXPECT_EQ(doc.GetVLFWarnings().Contains(vlfwTableGridRepaired), c.repaired);
    ASSERT_EQ(doc.GetItemCount(), 3);
    EXPECT_EQ(doc.GetItemTextA(2), "after");
    TVLTableItemInfo* b = FirstTable(doc);
    ASSERT_TRUE(b);
    EXPECT_TRUE(assertGridInvariant(*b));
    EXPECT_EQ(b->RowCount(), 2);
  }
}

// A table picture that cannot be read is left out; the rest of the record is read.
TEST(TableStore, AnUnreadableTablePictureIsDroppedAndACellsPlacementKept) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  TVLTableItemInfo t(&doc);
  std::string s = std::string("QPS1\x0ATVLTableSW\x00", 16);
  s += std::string("\x0FT.BackgroundImg\x0A\x03\x00\x00\x00xyz", 24);
  s += std::string("\x01" "C" "\x02\x01\x02\x01\x01", 7);
  s += std::string("\x02\x01\x02\x01QPS1\x02TD\x00", 12);
  s += std::string("\x11" "C.BackgroundStyle\x07\x0DvlbsStretched", 33);
  s += std::string("\x00\x00\x00", 3);
  ASSERT_NO_THROW(t.LoadFromBytes(s));
  EXPECT_EQ(t.RowCount(), 1);
  EXPECT_EQ(t.ColCount(), 1);
  EXPECT_EQ(t.GetCell(0, 0)->GetBackgroundStyle(), vlbsStretched);
  EXPECT_EQ(t.GetBackgroundImage(), nullptr);
}

TEST(TableStore, UnreadableDataLinesStopTheLoad) {
  TVLStyle style(nullptr);
  VLRegisterTableItem();
  const char* lines[] = {"5150533", "ZZ", "51505331"};
  for (const char* line : lines) {
    SCOPED_TRACE(line);
    TVLDocumentData doc(&style);
    const std::string vlf = std::string("-8 1 3\r\n-60 3 0 0 0 0 \r\n\r\n1\r\n") + line + "\r\n";
    const bool ok = Load(doc, vlf);
    // Bad hexadecimal fails; a stream that is no table is repaired.
    EXPECT_EQ(ok, std::string(line) == "51505331");
  }
}

TEST(TableStore, OlderRecordsLoadAndAreWrittenInTheDefinedForm) {
  TVLStyle style(nullptr);
  VLRegisterTableItem();
  const std::string legacy =
      qytest::ReadFileBytes(qytest::SourceDir() / "tests/richtext/table/data/legacy-2x2.vlf");
  ASSERT_NE(legacy.find("-60 4 0 0 0 0 2 2 31"), std::string::npos);
  TVLDocumentData doc(&style);
  ASSERT_TRUE(Load(doc, legacy));
  EXPECT_FALSE(doc.GetVLFWarnings().Contains(vlfwTableGridRepaired));
  TVLTableItemInfo* t = FirstTable(doc);
  ASSERT_TRUE(t);
  EXPECT_EQ(AllText(*t), "abcd");
  EXPECT_EQ(t->CellPadding, 1);
  const std::string again = Save(doc, false);
  EXPECT_NE(again.find("-60 3 0 0 0 0 \r\n"), std::string::npos);
  EXPECT_EQ(again.find("-60 4 "), std::string::npos);
  TVLDocumentData back(&style);
  ASSERT_TRUE(Load(back, again));
  TVLTableItemInfo* b = FirstTable(back);
  ASSERT_TRUE(b);
  EXPECT_EQ(AllText(*b), "abcd");
  EXPECT_EQ(back.GetItemTextA(2), "after");
}

}  // namespace

// A damaged byte before a table's cell list (its name) lost the whole
// table, three tables deep, under the warning that says no text was
// dropped. The grid and every cell are found past the damage; damage inside
// the list keeps the cells before it, and says that text was lost. So does
// a span or the grid's column count read as zero, whose repair dropped
// cells under the warning that says none was dropped.
TEST(TableStore, DamageBeforeTheCellsKeepsThemAndDamageInsideThemIsToldAsLostText) {
  TVLStyle style(nullptr);
  VLRegisterTableItem();
  const std::filesystem::path dir = qytest::SourceDir() / "tests/richtext/table/data";
  const std::string intact = qytest::ReadFileBytes(dir / "vlf-nested-tables-intact.vlf");
  const std::string flipped = qytest::ReadFileBytes(dir / "vlf-nested-tables-grid-byte-flipped.vlf");
  const std::string spanZeroed = qytest::ReadFileBytes(dir / "vlf-nested-tables-span-zeroed.vlf");
  const std::string colsZeroed = qytest::ReadFileBytes(dir / "vlf-nested-tables-columns-zeroed.vlf");
  ASSERT_EQ(intact.size(), flipped.size());
  ASSERT_EQ(spanZeroed, (qytest::TDamage{qytest::TDamage::Zeroed, 2408}.Apply(intact)));
  ASSERT_EQ(colsZeroed, (qytest::TDamage{qytest::TDamage::Zeroed, 2348}.Apply(intact)));
  ASSERT_EQ(flipped[2344], '\xFF');
  // The outer table's second cell record, its class name made unreadable.
  std::string cellDamaged = intact;
  const std::string td = std::string("QPS1\x02TD", 7);
  const size_t second = cellDamaged.find(td, cellDamaged.find(td) + 1);
  ASSERT_NE(second, std::string::npos);
  cellDamaged[second + 5] = '\xFF';

  const std::string level = "3x3: dNr0c0 dNr0c1dNr1c1[2x1] dNr0c2 / dNr1c0 . dNr1c2 / dNr2c0 dNr2c1 dNr2c2";
  auto of = [&level](char n) {
    std::string s = level;
    for (size_t at = s.find('N'); at != std::string::npos; at = s.find('N', at)) s[at] = n;
    return s;
  };
  const std::string all = of('1') + "{" + of('2') + "{" + of('3') + "}}";
  std::vector<std::string> words;
  for (char n : {'1', '2', '3'})
    for (char r : {'0', '1', '2'})
      for (char c : {'0', '1', '2'}) words.push_back(std::string("d") + n + "r" + r + "c" + c);
  struct TCase {
    const char* Name;
    const std::string& Bytes;
    std::string Cells;  // empty: any grid that keeps the rule
    bool Repaired, TextLost;
  } cases[] = {
      {"intact", intact, all, false, false},
      {"the cell list's name damaged", flipped, all, true, false},
      // What follows the damaged record is not read: the rest of the grid
      // is empty cells.
      {"the second cell record damaged", cellDamaged, "3x3: d1r0c0 [2x1]  /  .  /   ", false, true},
      {"the second cell's span zeroed", spanZeroed, "", false, true},
      {"the grid's column count zeroed", colsZeroed, "", false, true},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Name);
    TVLDocumentData doc(&style);
    ASSERT_TRUE(Load(doc, k.Bytes));
    TVLTableItemInfo* t = FirstTable(doc);
    ASSERT_TRUE(t);
    EXPECT_TRUE(assertGridInvariant(*t));
    if (!k.Cells.empty()) {
      EXPECT_EQ(tabletest::Cells(*t), k.Cells);
    }
    EXPECT_EQ(doc.GetVLFWarnings().Contains(vlfwTableGridRepaired), k.Repaired);
    EXPECT_EQ(doc.GetVLFWarnings().Contains(vlfwTableTextLost), k.TextLost);
    // Whatever the damage: text not shown is told lost.
    if (!qytest::WordsNotShown(words, intact, {qytest::TDamage::Cut, 0}, qytest::ShownText(doc)).empty()) {
      EXPECT_TRUE(doc.GetVLFWarnings().Contains(vlfwTableTextLost)) << tabletest::Cells(*t);
    }
  }
}
