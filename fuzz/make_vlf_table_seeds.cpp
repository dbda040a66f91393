// Writes the seed corpus of the table fuzz target: documents with tables
// made by the writer (merged cells, a nested table, row alignments, cell
// colours and borders, text around), in both VLF forms.
//   make_vlf_table_seeds <folder>
#include "platform/base/Streams.h"
#include "richtext/model/VLData.h"
#include "richtext/table/VLTable.h"

#include <QGuiApplication>

#include <cstdlib>
#include <fstream>
#include <iostream>

namespace {

void Write(const std::string& folder, const std::string& name, const AnsiString& bytes) {
  std::ofstream f(folder + "/" + name, std::ios::binary);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

AnsiString Save(TVLDocumentData& doc, bool binary) {
  if (binary)
    doc.VLFOptions.Include(vlfoSaveBinary);
  else
    doc.VLFOptions.Exclude(vlfoSaveBinary);
  TMemoryStream out;
  doc.SaveVLFToStream(out, false, clNone, nullptr, bsNoBitmap, nullptr);
  return out.Bytes();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_vlf_table_seeds <folder>\n";
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  VLRegisterTableItem();
  const std::string folder = argv[1];
  TVLStyle style(nullptr);
  {
    // A 3 x 3 table with a 2 x 2 merge, a nested table and a bottom row.
    TVLDocumentData doc(&style);
    doc.AddTextItem("before", 0, 0);
    auto t = TVLTableItemInfo::CreateEx(3, 3, &doc);
    t->MergeCells(0, 0, 2, 2);
    t->GetCell(0, 0)->SetItemTextA(0, "merged");
    t->GetCell(2, 2)->SetItemTextA(0, "cell");
    t->GetCell(0, 2)->Color = 0xC0FFC0;
    t->GetCell(1, 2)->VisibleBorders.SetValues(false, true, false, true);
    t->Rows.GetRow(1)->VAlign = vlcBottom;
    t->BestWidth = -80;
    t->BorderWidth = 1;
    t->CellBorderWidth = 1;
    t->HeadingRowCount = 1;
    auto inner = TVLTableItemInfo::CreateEx(1, 2, t->GetCell(2, 1));
    inner->GetCell(0, 1)->SetItemTextA(0, "inner");
    t->GetCell(2, 1)->AddItem("", inner.release());
    doc.AddItem("", t.release());
    doc.AddTextItem("after", 0, 0);
    Write(folder, "table_merged_nested_hex.vlf", Save(doc, false));
    Write(folder, "table_merged_nested_binary.vlf", Save(doc, true));
  }
  {
    // Two small tables, one with cells of pixel widths, one empty grid.
    TVLDocumentData doc(&style);
    auto a = TVLTableItemInfo::CreateEx(2, 2, &doc);
    for (Integer c = 0; c < 2; ++c) a->GetCell(0, c)->BestWidth = 50 + 20 * c;
    a->GetCell(1, 1)->SetItemTextA(0, "x");
    doc.AddItem("", a.release());
    auto b = TVLTableItemInfo::CreateEx(1, 4, &doc);
    b->MergeCells(0, 1, 3, 1);
    doc.AddItem("", b.release());
    doc.AddTextItem("end", 0, 0);
    Write(folder, "two_tables_hex.vlf", Save(doc, false));
    Write(folder, "two_tables_binary.vlf", Save(doc, true));
  }
  return 0;
}
