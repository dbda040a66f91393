#pragma once
// An entry for the copy routes: bold runs inside a paragraph and a list
// item, a nested decimal list, and tables nested three deep with merged
// cells; and what reads the copies back.
#include "richtext/model/VLUni.h"
#include "richtext/table/VLTable.h"
#include "support/TestSupport.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace nestedentry {

inline std::string Output(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  std::array<char, 4096> buf{};
  size_t n = 0;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
  pclose(p);
  return out;
}

// Bold runs inside a paragraph and a list item; a decimal list with a
// decimal second level.
inline const char kRuns[] =
    "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}"
    "{\\*\\listtable"
    "{\\list{\\listlevel\\levelnfc23{\\leveltext\\'01\\u8226 ?;}{\\levelnumbers;}\\li720\\fi-360}\\listid1}"
    "{\\list{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}\\li720\\fi-360}"
    "{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'01.;}{\\levelnumbers\\'01;}\\li1440\\fi-360}"
    "\\listid2}}"
    "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}{\\listoverride\\listid2\\ls2}}"
    "\\pard Start {\\b middle} end of sentence.\\par"
    "\\pard\\ls1\\ilvl0 Item {\\b bold} rest of the item\\par"
    "\\pard\\ls1\\ilvl0 Plain item\\par"
    "\\pard\\ls2\\ilvl0 First\\par\\pard\\ls2\\ilvl1 Nested decimal\\par"
    "\\pard Closing words.\\par}";

// The text of every cell of the tables AddNestedTables makes.
inline const std::vector<std::string> kCells = {"Outer00",  "Outer01",  "Outer10",  "Outer02",  "Middle00",
                                                "Middle01", "Middle10", "Middle11", "Middle20", "Deep00",
                                                "Deep01",   "Deep10",   "Deep11"};

// A table whose cell holds a 2x2 table, a cell of which holds another 2x2
// table; merged cells at the first two levels, and a cell with a bold run.
// Deep gets the innermost table's last cell.
inline void AddNestedTables(TVellumEdit* edit, Integer bold,
                            const std::function<void(TVLTableCellData*)>& deepCell = {}) {
  VLRegisterTableItem();
  auto outer = TVLTableItemInfo::CreateEx(2, 3, edit->VLData());
  for (Integer r = 0; r < 2; ++r)
    for (Integer c = 0; c < 3; ++c) {
      const std::string t = "Outer" + std::to_string(r) + std::to_string(c);
      outer->GetCell(r, c)->SetItemTextA(0, t);
    }
  // The last column's two cells are one.
  ASSERT_TRUE(outer->MergeCells(0, 2, 1, 2, true));
  TVLTableCellData* host = outer->GetCell(0, 0);
  auto middle = TVLTableItemInfo::CreateEx(3, 2, host);
  for (Integer r = 0; r < 3; ++r)
    for (Integer c = 0; c < 2; ++c)
      middle->GetCell(r, c)->SetItemTextA(0, "Middle" + std::to_string(r) + std::to_string(c));
  // The last row's two cells are one.
  ASSERT_TRUE(middle->MergeCells(2, 0, 2, 1, true));
  TVLTableCellData* deepHost = middle->GetCell(1, 0);
  auto deep = TVLTableItemInfo::CreateEx(2, 2, deepHost);
  for (Integer r = 0; r < 2; ++r)
    for (Integer c = 0; c < 2; ++c) {
      const std::string t = "Deep" + std::to_string(r) + std::to_string(c);
      deep->GetCell(r, c)->SetItemTextA(0, t);
    }
  if (deepCell) deepCell(deep->GetCell(1, 1));
  deepHost->AddItem("", deep.release());
  host->AddItem("", middle.release());
  // A cell whose style changes inside it.
  TVLTableCellData* styled = outer->GetCell(1, 1);
  styled->Clear();
  styled->AddTextItem("Cell start ", 0, 0);
  styled->AddTextItem("bold", bold, -1);
  styled->AddTextItem(" cell end", 0, -1);
  edit->AddItem("", outer.release());
  edit->AddTextItem("After the table.", 0, 0);
  edit->Format();
}

// The entry's paragraphs in their order as UTF-8, those of each table's
// cells (row by row, at any depth) where the table stands.
inline void Paragraphs(TCustomVLData& data, std::vector<std::string>& out) {
  bool open = false;
  for (Integer i = 0; i < data.GetItemCount(); ++i) {
    TCustomVLItemInfo* item = data.GetItem(i);
    if (auto* table = dynamic_cast<TVLTableItemInfo*>(item)) {
      for (Integer r = 0; r < table->RowCount(); ++r)
        for (Integer c = 0; c < table->ColCount(); ++c)
          if (TVLTableCellData* cell = table->GetCell(r, c)) Paragraphs(*cell, out);
      open = false;
      continue;
    }
    if (!open || item->IsParaStart()) out.emplace_back();
    open = true;
    if (item->StyleNo < 0) continue;
    const AnsiString raw = data.GetItemTextA(i);
    out.back() += item->IsUnicode()
                      ? WideToUtf8(RawUnicodeToWideString(raw))
                      : WideToUtf8(RawUnicodeToWideString(AnsiToRawUnicode(raw, data.GetStyleCodePage(data.GetItemActualStyle(item)))));
  }
}

}  // namespace nestedentry
