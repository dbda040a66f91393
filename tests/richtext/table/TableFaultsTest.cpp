// Tables read from damaged files, index checks and style renumbering
// inside cells.
#include "TableTestSupport.h"

#include "platform/base/Streams.h"
#include "richtext/model/VLFMisc.h"
#include "richtext/rtf/VLRTFImport.h"

#include <gtest/gtest.h>

#include <regex>

#include "support/TestSupport.h"

using tabletest::AllText;
using tabletest::assertGridInvariant;
using tabletest::CellText;

namespace {

TVLTableItemInfo* FirstTable(TCustomVLData& doc) {
  for (Integer i = 0; i < doc.GetItemCount(); ++i)
    if (auto* t = dynamic_cast<TVLTableItemInfo*>(doc.GetItem(i))) return t;
  return nullptr;
}

std::string SaveText(TVLDocumentData& doc) {
  doc.VLFOptions.Exclude(vlfoSaveBinary);
  TMemoryStream out;
  EXPECT_TRUE(doc.SaveVLFToStream(out, false, clNone, nullptr, bsNoBitmap, nullptr));
  return std::string(static_cast<const char*>(out.Memory()), static_cast<size_t>(out.GetSize()));
}

bool LoadText(TVLDocumentData& doc, const std::string& vlf) {
  TMemoryStream in;
  in.Write(vlf.data(), static_cast<Integer>(vlf.size()));
  in.SetPosition(0);
  TColor color = clNone;
  return doc.LoadVLFFromStream(in, color, nullptr, nullptr, nullptr);
}

// A 2 x 2 table with texts a b / c d between two paragraphs, as VLF text
// in the table record that documents were first saved with (the grid in
// the header, one line per grid position).
std::string TwoByTwo(TVLStyle&) {
  VLRegisterTableItem();
  return qytest::ReadFileBytes(qytest::SourceDir() / "tests/richtext/table/data/legacy-2x2.vlf");
}

// The cell lines of the table record start with "rowspan colspan ".
std::vector<size_t> CellLineStarts(const std::string& vlf) {
  std::vector<size_t> starts;
  const std::regex cellLine("\n1 1 ");
  for (auto it = std::sregex_iterator(vlf.begin(), vlf.end(), cellLine); it != std::sregex_iterator(); ++it)
    starts.push_back(static_cast<size_t>(it->position()) + 1);
  return starts;
}

TEST(TableFaults, DamagedVLFGridsLoadRepairedWithEveryText) {
  TVLStyle style(nullptr);
  const std::string good = TwoByTwo(style);
  ASSERT_EQ(CellLineStarts(good).size(), 4u) << good;
  struct Case {
    const char* name;
    std::function<std::string(std::string)> damage;
    bool repaired;
  };
  auto setSpan = [](size_t line, const char* span) {
    return [line, span](std::string v) {
      v.replace(CellLineStarts(v)[line], 4, span);
      return v;
    };
  };
  const Case cases[] = {
      {"intact", [](std::string v) { return v; }, false},
      {"span past the right edge", setSpan(0, "1 5 "), true},
      {"span past the bottom", setSpan(1, "9 1 "), true},
      {"span over a cell of its own", setSpan(0, "2 2 "), true},
      {"zero span", setSpan(3, "0 0 "), true},
      {"covered position nobody covers", [](std::string v) {
         const size_t at = CellLineStarts(v)[1];
         v.replace(at, v.find('\n', at) - at, "-");
         return v;
       }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TVLDocumentData doc(&style);
    ASSERT_TRUE(LoadText(doc, c.damage(good)));
    ASSERT_EQ(doc.GetItemCount(), 3);
    TVLTableItemInfo* t = FirstTable(doc);
    ASSERT_TRUE(t);
    EXPECT_TRUE(assertGridInvariant(*t));
    EXPECT_EQ(doc.GetVLFWarnings().Contains(vlfwTableGridRepaired), c.repaired);
    EXPECT_EQ(doc.GetItemTextA(2), "after");
    if (std::string(c.name) != "covered position nobody covers") {
      EXPECT_EQ(AllText(*t), "abcd");
    }
  }
}

TEST(TableFaults, RaggedGridsAreRepairedWithoutLosingText) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  auto t = TVLTableItemInfo::CreateEx(2, 2, &doc);
  // Row 1 one position too long, row 0 missing nothing, (0,0) spanning
  // past everything.
  t->Rows.GetRow(1)->Cells.push_back(std::make_unique<TVLTableCellData>(t.get()));
  t->Rows.GetRow(1)->Cells.back()->SetItemTextA(0, "extra");
  t->GetCell(1, 1)->SetItemTextA(0, "d");
  t->GetCell(0, 0)->ColSpan = 7;
  t->GetCell(0, 0)->SetItemTextA(0, "a");
  EXPECT_TRUE(t->NormalizeGrid());
  EXPECT_TRUE(assertGridInvariant(*t));
  EXPECT_EQ(t->GetCell(0, 0)->ColSpan, 1);  // (0,1) holds a cell of its own
  EXPECT_EQ(CellText(t->GetCell(1, 1)), "dextra");
  EXPECT_FALSE(t->NormalizeGrid());
}

TEST(TableFaults, IndicesOutsideTheGridAreRefused) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  auto t = TVLTableItemInfo::CreateEx(2, 3, &doc);
  struct Case {
    Integer row, col;
  };
  for (Case c : {Case{-1, 0}, Case{2, 0}, Case{0, -1}, Case{0, 3}, Case{5, 5}})
    EXPECT_THROW(t->GetCell(c.row, c.col), EVellumError) << c.row << "," << c.col;
  EXPECT_NO_THROW(t->GetCell(1, 2));
  try {
    t->GetCell(0, 3);
  } catch (const EVellumError& e) {
    EXPECT_EQ(e.Message, "Invalid row or column index");
  }
  EXPECT_THROW(t->InsertRows(3, 1, -1, false), EVellumError);
  EXPECT_THROW(t->InsertCols(-1, 1, -1, false), EVellumError);
  EXPECT_THROW(t->DeleteCols(3, 1, false), EVellumError);
  t->InsertCols(1, 0, -1, false);
  t->InsertRows(1, -2, -1, false);
  EXPECT_EQ(t->ColCount(), 3);
  EXPECT_EQ(t->RowCount(), 2);
  EXPECT_TRUE(assertGridInvariant(*t));
}

std::string RTFRow(const std::string& edges, const std::vector<std::string>& cells) {
  std::string s = "\\trowd" + edges + "\\pard\\intbl ";
  for (const auto& c : cells) s += c + "\\cell ";
  return s + "\\row ";
}

TEST(TableFaults, RaggedRTFTablesKeepEveryCellText) {
  struct Case {
    const char* name;
    std::string body;
    std::string text;
  };
  const Case cases[] = {
      {"more cells than edges", RTFRow("\\cellx1000\\cellx2000", {"a", "b", "c", "d"}), "abcd"},
      {"fewer cells than edges", RTFRow("\\cellx1000\\cellx2000\\cellx3000", {"a"}), "a"},
      {"rows of different widths",
       RTFRow("\\cellx1000", {"a"}) + RTFRow("\\cellx500\\cellx1500\\cellx2500", {"b", "c", "d"}), "abcd"},
      {"edges out of order", RTFRow("\\cellx3000\\cellx1000\\cellx2000", {"a", "b", "c"}), "abc"},
      {"vertical merge without a start", RTFRow("\\clvmrg\\cellx1000\\cellx2000", {"a", "b"}), "ab"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    TVLRTFReaderProperties props;
    TStringStream s("{\\rtf1 " + c.body + "}");
    props.ReadFromStream(s, &doc);
    TVLTableItemInfo* t = FirstTable(doc);
    ASSERT_TRUE(t);
    EXPECT_TRUE(assertGridInvariant(*t));
    std::string all = AllText(*t);
    for (Integer i = 0; i < doc.GetItemCount(); ++i)
      if (doc.GetItem(i) != t) all += doc.GetItemTextA(i);
    all.erase(std::remove(all.begin(), all.end(), ' '), all.end());
    EXPECT_EQ(all, c.text);
  }
}

// Text styles T0..T12; the cells use 3, 7 and 12 (the last in a nested
// table), the rest of the document 0 only.
TEST(TableFaults, RenumberingStylesReachesEveryCell) {
  VLRegisterTableItem();
  TVLStyle style(nullptr);
  while (style.TextStyles->Count() < 13) style.TextStyles->Add();
  for (Integer i = 0; i < 13; ++i) {
    style.TextStyles->Items(i)->StyleName = "T" + std::to_string(i);
    style.TextStyles->Items(i)->Standard = false;
    style.TextStyles->Items(i)->NextStyleNo = -1;
  }
  TVLDocumentData doc(&style);
  doc.AddTextItem("outside", 0, 0);
  auto t = TVLTableItemInfo::CreateEx(1, 3, &doc);
  t->GetCell(0, 0)->Clear();
  t->GetCell(0, 0)->AddTextItem("three", 3, 0);
  t->GetCell(0, 1)->Clear();
  t->GetCell(0, 1)->AddTextItem("seven", 7, 0);
  TVLTableCellData* host = t->GetCell(0, 2);
  auto inner = TVLTableItemInfo::CreateEx(1, 1, host);
  inner->GetCell(0, 0)->Clear();
  inner->GetCell(0, 0)->AddTextItem("twelve", 12, 0);
  host->Clear();
  host->AddItem("", inner.release());
  doc.AddItem("", t.release());

  auto styleNames = [&](TVLDocumentData& d) {
    TVLTableItemInfo* table = FirstTable(d);
    auto name = [&](TCustomVLData* cell) { return style.TextStyles->Items(cell->GetItemStyle(0))->StyleName; };
    auto* nested = FirstTable(*table->GetCell(0, 2));
    return std::vector<String>{name(table->GetCell(0, 0)), name(table->GetCell(0, 1)),
                               nested ? name(nested->GetCell(0, 0)) : String("none")};
  };
  const std::vector<String> expected{"T3", "T7", "T12"};
  ASSERT_TRUE(doc.DeleteUnusedStyles(true, true, true));
  EXPECT_EQ(style.TextStyles->Count(), 4);
  EXPECT_EQ(styleNames(doc), expected);
  const std::string saved = SaveText(doc);
  TVLDocumentData back(&style);
  ASSERT_TRUE(LoadText(back, saved));
  EXPECT_EQ(styleNames(back), expected);
}

}  // namespace

// The older record of the file with its grid's size replaced ("rows cols").
static std::string LegacyGrid(const std::string& file, const std::string& size) {
  std::string vlf = qytest::ReadFileBytes(file);
  const size_t at = vlf.find(" 512 512 ");
  if (at != std::string::npos) vlf.replace(at + 1, 7, size);
  return vlf;
}

// A record whose grid is larger than a table may be, or than its record
// can hold (a line or a cell record for each position), is left out with a load warning: the paragraphs around it are
// read, nothing near the claimed size is allocated or laid out.
TEST(TableFaults, OversizedGridsAreLeftOutWithAWarning) {
  TVLStyle style(nullptr);
  VLRegisterTableItem();
  // The grid in the stream form: rows and columns as 16-bit integers.
  auto stream = [](int rows, int cols) {
    std::string s = std::string("QPS1\x0ATVLTableSW\x00", 16);
    s += std::string("\x01" "C" "\x03", 3) + char(rows & 0xFF) + char(rows >> 8) + "\x03" + char(cols & 0xFF) +
         char(cols >> 8) + "\x01";
    s += std::string("\x02\x01\x02\x01QPS1\x02TD\x00\x00", 13);
    return s + std::string("\x00\x00", 2);
  };
  auto streamRecord = [&](int rows, int cols) {
    return "-8 1 3\r\n0 1 0 0 0 0\r\nbefore\r\n-60 3 0 0 0 0 \r\n\r\n1\r\n" + VLFStringToHex(stream(rows, cols)) +
           "\r\n0 1 0 0 0 0\r\nafter\r\n";
  };
  const std::string dir = (qytest::SourceDir() / "tests/richtext/table/data/").string();
  struct Case {
    const char* name;
    std::string vlf;
    bool refused;
    TVLFWarning why;  // when refused: too large, or a claim its record does not hold
  };
  const Case cases[] = {
      {"older record claiming 1024 x 1024", qytest::ReadFileBytes(dir + "vlf-table-grid-1024x1024.vlf"), true,
       vlfwTableTooLarge},
      {"older record claiming 512 x 512", qytest::ReadFileBytes(dir + "vlf-table-grid-512x512.vlf"), true,
       vlfwTableTooLarge},
      {"older record claiming 400 x 500 in four lines", LegacyGrid(dir + "vlf-table-grid-512x512.vlf", "400 500"),
       true, vlfwTableDamaged},
      {"older record claiming 401 x 500", LegacyGrid(dir + "vlf-table-grid-512x512.vlf", "401 500"), true,
       vlfwTableTooLarge},
      {"stream claiming 1024 x 1024", streamRecord(1024, 1024), true, vlfwTableTooLarge},
      {"stream claiming 30000 rows", streamRecord(30000, 30000), true, vlfwTableTooLarge},
      {"stream claiming 200 x 200 in a few bytes", streamRecord(200, 200), true, vlfwTableDamaged},
      {"stream claiming 400 x 500 in a few bytes", streamRecord(400, 500), true, vlfwTableDamaged},
      {"stream claiming 30 x 30 with one record", streamRecord(30, 30), false, vlfwTableTooLarge},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TVLDocumentData doc(&style);
    ASSERT_TRUE(LoadText(doc, c.vlf));
    const TVLFWarnings warnings = doc.GetVLFWarnings();
    EXPECT_EQ(warnings.Contains(vlfwTableTooLarge), c.refused && c.why == vlfwTableTooLarge);
    EXPECT_EQ(warnings.Contains(vlfwTableDamaged), c.refused && c.why == vlfwTableDamaged);
    EXPECT_EQ(doc.GetItemTextA(0), "before");
    EXPECT_EQ(doc.GetItemTextA(doc.GetItemCount() - 1), "after");
    EXPECT_EQ(doc.GetItemCount(), c.refused ? 2 : 3);
    EXPECT_EQ(FirstTable(doc) == nullptr, c.refused);
  }
  // A large grid merged into few cells is held by its few records.
  {
    TVLDocumentData doc(&style);
    doc.AddTextItem("before", 0, 0);
    auto t = TVLTableItemInfo::CreateEx(60, 40, &doc);
    ASSERT_TRUE(t->Rows.MergeCells(0, 0, 40, 59, true));
    t->GetCell(0, 0)->SetItemTextA(0, "all");
    doc.AddItem("", t.release());
    const std::string vlf = SaveText(doc);
    TVLDocumentData back(&style);
    ASSERT_TRUE(LoadText(back, vlf));
    EXPECT_FALSE(back.GetVLFWarnings().Contains(vlfwTableTooLarge));
    ASSERT_TRUE(FirstTable(back));
    EXPECT_EQ(FirstTable(back)->RowCount(), 60);
    EXPECT_EQ(AllText(*FirstTable(back)), "all");
  }
  // The intact older record beside them still loads.
  TVLDocumentData doc(&style);
  ASSERT_TRUE(LoadText(doc, TwoByTwo(style)));
  EXPECT_FALSE(doc.GetVLFWarnings().Contains(vlfwTableTooLarge));
  ASSERT_TRUE(FirstTable(doc));
  EXPECT_EQ(AllText(*FirstTable(doc)), "abcd");
}
