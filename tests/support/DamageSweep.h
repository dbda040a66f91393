// Damaged copies of a stored document and what a reader may make of them:
// refused, or every text of the original shown, or what is not shown named
// by a loss warning; never less text without a word. Shared by the damage
// tests of the table store, the stored entry and Insert > File.
#pragma once

#include "platform/gui/Graphics.h"
#include "platform/base/Streams.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLItem.h"
#include "richtext/model/VLStyle.h"
#include "richtext/table/VLTable.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace qytest {

// One damage to a document's bytes: a byte inverted, zeroed or set to 0xFF,
// or the bytes cut at a place.
struct TDamage {
  enum TKind { Inverted, Zeroed, Full, Cut } Kind;
  size_t At;
  std::string Apply(const std::string& bytes) const {
    if (Kind == Cut) return bytes.substr(0, At);
    std::string out = bytes;
    out[At] = Kind == Inverted ? static_cast<char>(~out[At]) : Kind == Zeroed ? '\0' : '\xFF';
    return out;
  }
  std::string Name() const {
    static const char* const names[] = {"inverted", "zeroed", "set to 0xFF", "cut"};
    return std::string(Kind == Cut ? "cut at " : "byte ") + std::to_string(At) +
           (Kind == Cut ? "" : std::string(" ") + names[Kind]);
  }
};

// Every damage that changes the bytes: each byte three ways, each cut.
inline std::vector<TDamage> EveryDamage(const std::string& bytes) {
  std::vector<TDamage> all;
  for (size_t at = 0; at < bytes.size(); ++at) {
    all.push_back({TDamage::Inverted, at});
    if (bytes[at] != '\0') all.push_back({TDamage::Zeroed, at});
    if (bytes[at] != '\xFF') all.push_back({TDamage::Full, at});
    all.push_back({TDamage::Cut, at});
  }
  return all;
}

// The whole sweep when QY_DAMAGE_SWEEP is set (a long run); otherwise a
// fixed sample of it, and the damages named as once found faulty.
inline std::vector<TDamage> DamagesToTry(const std::string& bytes, size_t sample,
                                         const std::vector<TDamage>& always = {}) {
  std::vector<TDamage> all = EveryDamage(bytes);
  if (std::getenv("QY_DAMAGE_SWEEP")) return all;
  std::mt19937 random(9211);
  std::shuffle(all.begin(), all.end(), random);
  all.resize(std::min(all.size(), sample));
  all.insert(all.begin(), always.begin(), always.end());
  return all;
}

// The texts a document shows, in order: its text items and, in tables, the
// cells the grid shows (not those under another cell's merge).
inline void CollectShownText(TCustomVLData& data, std::string& out) {
  for (Integer i = 0; i < data.GetItemCount(); ++i) {
    auto* table = dynamic_cast<TVLTableItemInfo*>(data.GetItem(i));
    if (!table) {
      if (data.GetItem(i)->StyleNo >= 0) out += data.GetItemTextA(i) + "\n";
      continue;
    }
    const Integer rows = table->RowCount(), cols = table->ColCount();
    std::vector<char> covered(static_cast<size_t>(rows) * static_cast<size_t>(std::max<Integer>(cols, 0)), 0);
    for (Integer r = 0; r < rows; ++r)
      for (Integer c = 0; c < cols && c < table->Rows.GetRow(r)->Count(); ++c) {
        TVLTableCellData* cell = table->Rows.GetRow(r)->GetCell(c);
        if (!cell || covered[static_cast<size_t>(r * cols + c)]) continue;
        CollectShownText(*cell, out);
        for (Integer rr = r; rr < std::min(rows, r + std::max<Integer>(1, cell->RowSpan)); ++rr)
          for (Integer cc = c; cc < std::min(cols, c + std::max<Integer>(1, cell->ColSpan)); ++cc)
            covered[static_cast<size_t>(rr * cols + cc)] = 1;
      }
  }
}

inline std::string ShownText(TCustomVLData& data) {
  std::string out;
  CollectShownText(data, out);
  return out;
}

// The words of a document that its damaged copy does not show, leaving out
// those whose own bytes the damage changed (they show, changed: the format
// holds no sum to tell). Each word is written once, as it is, in the bytes.
inline std::vector<std::string> WordsNotShown(const std::vector<std::string>& words, const std::string& bytes,
                                              const TDamage& damage, const std::string& shown) {
  std::vector<std::string> missing;
  for (const std::string& w : words) {
    if (shown.find(w) != std::string::npos) continue;
    const size_t at = bytes.find(w);
    if (damage.Kind != TDamage::Cut && at != std::string::npos && damage.At >= at && damage.At < at + w.size())
      continue;
    missing.push_back(w);
  }
  return missing;
}

// A copy cut to nothing: no version line announces an end, and it reads as
// the empty document, which is written as nothing (and was before the end
// line). The only cut the format cannot tell.
inline bool CutToNothing(const TDamage& damage) { return damage.Kind == TDamage::Cut && damage.At == 0; }

// The cuts once read as the whole of a shorter document: at the start of
// the record of the text after the tables (between two records), and
// inside its line.
inline std::vector<TDamage> CutsAtTheLastText(const std::string& bytes) {
  const std::string header = "0 1 0 0 0 0\r\n";
  const size_t text = bytes.find("wAfter");
  if (text == std::string::npos || text < header.size() ||
      bytes.compare(text - header.size(), header.size(), header) != 0)
    return {};
  return {{TDamage::Cut, text - header.size()}, {TDamage::Cut, text + 3}};
}

// A stored entry for the sweep: a list of two items, tables nested three
// deep with merged cells (each level in the last cell of the one around
// it), a picture, and text after them; every text a word of its own.
struct TSweepEntry {
  std::string Bytes;
  std::vector<std::string> Words;
};

inline void AddSweepLists(TVLStyle& style) {
  if (style.ListStyles->Count() > 0) return;
  TVLListLevel* level = style.ListStyles->Add()->Levels->Add();
  level->ListType = vllstDecimal;
}

inline TSweepEntry MakeSweepEntry(TCustomVLData& doc, const std::function<std::string()>& save) {
  VLRegisterTableItem();
  TSweepEntry e;
  auto word = [&e](const std::string& w) {
    e.Words.push_back(w);
    return w;
  };
  doc.AddTextItem(word("wBefore"), 0, 0);
  for (int k = 0; k < 2; ++k) {
    doc.SetListMarker(doc.GetItemCount(), 0, 0, 1, 0, false);
    doc.AddTextItem(word("wList" + std::to_string(k)), 0, -1);
  }
  TCustomVLData* host = &doc;
  for (int depth = 1; depth <= 3; ++depth) {
    auto t = TVLTableItemInfo::CreateEx(3, 3, host);
    t->MergeCells(0, 1, 1, 2);  // two rows high
    t->MergeCells(2, 0, 2, 1);  // two columns wide
    for (Integer r = 0; r < 3; ++r)
      for (Integer c = 0; c < 3; ++c)
        if (TVLTableCellData* cell = t->GetCell(r, c); cell && !(r == 2 && c == 2))
          cell->SetItemTextA(0, word("wD" + std::to_string(depth) + "R" + std::to_string(r) + "C" + std::to_string(c)));
    TVLTableItemInfo* raw = t.get();
    host->AddItem("", t.release());
    host = raw->GetCell(2, 2);
    host->SetItemTextA(0, word("wD" + std::to_string(depth) + "Last"));
  }
  doc.AddItem("", TVLGraphicItemInfo::CreateEx(&doc, std::make_unique<TBitmap>(6, 4), vlvaMiddle).release());
  doc.AddTextItem(word("wAfter"), 0, 0);
  e.Bytes = save();
  return e;
}

}  // namespace qytest
