// Damaged table records (cut or with changed bytes, in both VLF forms) load
// or fail without reading outside the data, and a table that loads is a
// valid grid.
#include "platform/base/Streams.h"
#include "richtext/model/VLData.h"
#include "richtext/table/VLTable.h"

#include <gtest/gtest.h>
#include <random>

#include "support/TestSupport.h"

namespace {

AnsiString SampleWithTables(bool binary) {
  VLRegisterTableItem();
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  if (!binary) doc.VLFOptions.Exclude(vlfoSaveBinary);
  doc.AddTextItem("before", 0, 0);
  auto t = TVLTableItemInfo::CreateEx(3, 3, &doc);
  t->MergeCells(0, 0, 2, 2);
  t->GetCell(2, 2)->SetItemTextA(0, "cell");
  t->Rows.GetRow(1)->VAlign = vlcBottom;
  auto inner = TVLTableItemInfo::CreateEx(1, 2, t->GetCell(2, 1));
  inner->GetCell(0, 1)->SetItemTextA(0, "inner");
  t->GetCell(2, 1)->AddItem("", inner.release());
  doc.AddItem("", t.release());
  doc.AddTextItem("after", 0, 0);
  TMemoryStream out;
  doc.SaveVLFToStream(out, false, clNone, nullptr, bsNoBitmap, nullptr);
  return out.Bytes();
}

// Every table of a loaded document has rows of one length and spans inside
// the grid.
void CheckGrids(TCustomVLData& doc) {
  for (Integer i = 0; i < doc.GetItemCount(); ++i) {
    auto* t = dynamic_cast<TVLTableItemInfo*>(doc.GetItem(i));
    if (!t) continue;
    for (Integer r = 0; r < t->RowCount(); ++r) {
      ASSERT_EQ(t->Rows.GetRow(r)->Count(), t->ColCount());
      for (Integer c = 0; c < t->ColCount(); ++c)
        if (TVLTableCellData* cell = t->GetCell(r, c)) {
          EXPECT_LE(r + cell->RowSpan, t->RowCount());
          EXPECT_LE(c + cell->ColSpan, t->ColCount());
          CheckGrids(*cell);
        }
    }
  }
}

}  // namespace

TEST(TableVLFCorruptInput, CutAndFlippedTableRecordsAreSafe) {
  // The item registry is the whole program's: tests of the model run here
  // too and expect no class for the table's number.
  struct TUnregister {
    ~TUnregister() { UnregisterItemClass(vlsTable); }
  } unregister;
  for (bool binary : {true, false}) {
    SCOPED_TRACE(binary ? "binary" : "text");
    const AnsiString good = SampleWithTables(binary);
    const size_t start = good.find("-60 ");
    ASSERT_NE(start, AnsiString::npos);
    std::mt19937 r(11);
    for (size_t cut = start; cut <= good.size(); cut += binary ? 1 : 7) {
      TVLStyle style(nullptr);
      TVLDocumentData doc(&style);
      TStringStream in(good.substr(0, cut));
      TColor color = clNone;
      if (doc.LoadVLFFromStream(in, color, nullptr, nullptr, nullptr)) CheckGrids(doc);
    }
    for (int round = 0; round < 1500; ++round) {
      AnsiString bad = good;
      for (int k = 1 + static_cast<int>(r() % 3); k > 0; --k)
        bad[start + r() % (bad.size() - start)] = static_cast<char>(r());
      TVLStyle style(nullptr);
      TVLDocumentData doc(&style);
      TStringStream in(bad);
      TColor color = clNone;
      if (doc.LoadVLFFromStream(in, color, nullptr, nullptr, nullptr)) CheckGrids(doc);
    }
  }
}

// Records of the older form (the grid in the header, a line per position)
// cut anywhere or with changed bytes, and records whose headers claim far
// more than they hold: each loads a valid grid or fails, reading nothing
// outside the data.
TEST(TableVLFCorruptInput, CutAndFlippedOlderTableRecordsAreSafe) {
  struct TUnregister {
    ~TUnregister() { UnregisterItemClass(vlsTable); }
  } unregister;
  VLRegisterTableItem();
  const std::string dir = (qytest::SourceDir() / "tests/richtext/table/data/").string();
  auto read = [](const std::string& path) { return AnsiString(qytest::ReadFileBytes(path)); };
  auto load = [](const AnsiString& bytes) {
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    TStringStream in(bytes);
    TColor color = clNone;
    if (doc.LoadVLFFromStream(in, color, nullptr, nullptr, nullptr)) CheckGrids(doc);
  };
  std::mt19937 r(5);
  for (const char* name :
       {"legacy-2x2.vlf", "vlf-table-bomb-204b.vlf", "vlf-table-grid-512x512.vlf", "vlf-table-grid-1024x1024.vlf"}) {
    SCOPED_TRACE(name);
    const AnsiString good = read(dir + name);
    ASSERT_FALSE(good.empty());
    const size_t start = good.find("-60 ");
    ASSERT_NE(start, AnsiString::npos);
    for (size_t cut = start; cut <= good.size(); ++cut) load(good.substr(0, cut));
    for (int round = 0; round < 400; ++round) {
      AnsiString bad = good;
      for (int k = 1 + static_cast<int>(r() % 3); k > 0; --k)
        bad[start + r() % (bad.size() - start)] = static_cast<char>("0123456789 -\r\n"[r() % 14]);
      load(bad);
    }
  }
}
