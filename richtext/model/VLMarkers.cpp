#include "richtext/model/VLMarkers.h"

#include "platform/base/Streams.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/SymbolEncoding.h"
#include "platform/gui/ImgList.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLUni.h"

#include <algorithm>
#include <array>
#include <limits>

namespace {

constexpr Integer MarkerRecordSize = 17;

void PutInt(AnsiString& s, Integer v) {
  auto u = static_cast<uint32_t>(v);
  for (int k = 0; k < 4; ++k) s += static_cast<char>((u >> (8 * k)) & 0xFF);
}

Integer GetInt(const AnsiString& s, size_t pos) {
  uint32_t u = 0;
  for (int k = 0; k < 4; ++k) u |= static_cast<uint32_t>(static_cast<unsigned char>(s[pos + k])) << (8 * k);
  return static_cast<Integer>(u);
}

// Level numbers come from files; the text table has 256 places.
Integer ClampLevel(Integer level) { return std::clamp(level, 0, 255); }

}  // namespace

TVLListLevel* VLGetListLevel(TVLStyle* style, Integer listNo, Integer level) {
  if (!style || listNo < 0 || listNo >= style->ListStyles->Count()) return nullptr;
  TVLListLevelCollection* levels = style->ListStyles->Items(listNo)->Levels.get();
  if (levels->Count() == 0) return nullptr;
  level = std::clamp(level, 0, levels->Count() - 1);
  return levels->Items(level);
}

TVLMarkerList::~TVLMarkerList() = default;

namespace {

// Counters come from files: the next number after the largest stays there.
Integer NextCounter(Integer value) { return value == std::numeric_limits<Integer>::max() ? value : value + 1; }

}  // namespace

// The markers seen so far by a recount in document order: per list, the
// position of the nearest earlier marker on each level; the same for the
// whole of each outer list, made when first asked for.
struct TVLMarkerList::TSweep {
  using TLevels = std::array<Integer, 256>;
  std::unordered_map<Integer, TLevels> Own;
  std::unordered_map<const TVLMarkerList*, std::unordered_map<Integer, TLevels>> Outer;

  static TLevels& Of(std::unordered_map<Integer, TLevels>& map, Integer listNo) {
    auto [it, added] = map.try_emplace(listNo);
    if (added) it->second.fill(-1);
    return it->second;
  }
  const TLevels* OuterOf(const TVLMarkerList* list, Integer listNo) {
    auto [it, added] = Outer.try_emplace(list);
    if (added)
      for (Integer i = 0; i < list->Count(); ++i) {
        const TVLMarkerItemInfo* m = list->Get(i);
        Of(it->second, m->ListNo)[static_cast<size_t>(ClampLevel(m->Level))] = i;
      }
    auto found = it->second.find(listNo);
    return found == it->second.end() ? nullptr : &found->second;
  }
  // The nearest of the positions on the levels below level, -1 for none.
  static Integer Below(const TLevels& levels, Integer level) {
    Integer best = -1;
    for (Integer l = 0; l < level; ++l) best = std::max(best, levels[static_cast<size_t>(l)]);
    return best;
  }
};

Integer TVLMarkerList::IndexOf(const TCustomVLItemInfo* marker) const {
  auto it = FPositions.find(marker);
  return it == FPositions.end() ? -1 : it->second;
}

void TVLMarkerList::Reindex(size_t from) {
  for (size_t i = from; i < FEntries.size(); ++i) FPositions[FEntries[i].Marker] = static_cast<Integer>(i);
}

void TVLMarkerList::Insert(Integer index, TVLMarkerItemInfo* marker) { InsertBlock(index, {marker}); }

void TVLMarkerList::InsertBlock(Integer index, const std::vector<TVLMarkerItemInfo*>& markers) {
  index = std::clamp(index, 0, Count());
  std::vector<TEntry> block(markers.size());
  for (size_t i = 0; i < markers.size(); ++i) block[i].Marker = markers[i];
  FEntries.insert(FEntries.begin() + index, block.begin(), block.end());
  Reindex(static_cast<size_t>(index));
}

void TVLMarkerList::Delete(Integer index) {
  if (index < 0 || index >= Count()) return;
  FPositions.erase(FEntries[static_cast<size_t>(index)].Marker);
  FEntries.erase(FEntries.begin() + index);
  Reindex(static_cast<size_t>(index));
}

Integer TVLMarkerList::DeleteMany(const std::unordered_set<const TCustomVLItemInfo*>& markers) {
  if (markers.empty()) return -1;
  size_t first = FEntries.size();
  for (const TCustomVLItemInfo* m : markers) {
    Integer i = IndexOf(m);
    if (i >= 0) first = std::min(first, static_cast<size_t>(i));
  }
  if (first == FEntries.size()) return -1;
  for (size_t i = first; i < FEntries.size(); ++i) FPositions.erase(FEntries[i].Marker);
  FEntries.erase(std::remove_if(FEntries.begin() + static_cast<std::ptrdiff_t>(first), FEntries.end(),
                                [&markers](const TEntry& e) { return markers.count(e.Marker) > 0; }),
                 FEntries.end());
  Reindex(first);
  return static_cast<Integer>(first);
}

void TVLMarkerList::Clear() {
  FEntries.clear();
  FPositions.clear();
  FOwned.clear();
}

Integer TVLMarkerList::CounterOf(const TCustomVLItemInfo* marker) const {
  Integer i = IndexOf(marker);
  return i < 0 ? 1 : FEntries[static_cast<size_t>(i)].Counter;
}

AnsiString TVLMarkerList::DisplayStringOf(const TCustomVLItemInfo* marker) const {
  Integer i = IndexOf(marker);
  return i < 0 ? AnsiString() : FEntries[static_cast<size_t>(i)].DisplayString;
}

void TVLMarkerList::RecalcCounters(Integer index, TVLStyle* style) {
  if (index < 0 || index >= Count()) return;
  const Integer listNo = Get(index)->ListNo;
  if (listNo < 0) return;
  for (Integer i = index; i < Count(); ++i)
    if (Get(i)->ListNo == listNo) {
      CountMarker(i, style);
      MakeDisplayString(i, style, nullptr);
    }
}

void TVLMarkerList::RecalcList(Integer listNo, Integer from, TVLStyle* style) {
  for (Integer i = std::max(from, 0); i < Count(); ++i)
    if (Get(i)->ListNo == listNo) {
      RecalcCounters(i, style);
      return;
    }
}

void TVLMarkerList::RecalcFrom(Integer index, TVLStyle* style) {
  if (index < 0) index = 0;
  if (index >= Count()) return;
  TSweep sweep;
  for (Integer i = 0; i < index; ++i) {
    const TVLMarkerItemInfo* m = Get(i);
    TSweep::Of(sweep.Own, m->ListNo)[static_cast<size_t>(ClampLevel(m->Level))] = i;
  }
  for (Integer i = index; i < Count(); ++i) {
    TVLMarkerItemInfo* m = Get(i);
    TSweep::TLevels& seen = TSweep::Of(sweep.Own, m->ListNo);
    const Integer level = ClampLevel(m->Level);
    if (m->ListNo >= 0) {
      // The count that the search back of CountMarker finds: the nearer of
      // the same level and, with level reset, an outer level ends it; an
      // inner level passed over on the way counts one past the start.
      TEntry& e = FEntries[static_cast<size_t>(i)];
      if (m->Reset) {
        e.Counter = m->StartFrom;
      } else {
        TVLListLevel* l = VLGetListLevel(style, m->ListNo, level);
        const Integer startFrom = l ? l->StartFrom : 1;
        const bool levelReset = l ? l->Options.Contains(vlloLevelReset) : true;
        const Integer same = seen[static_cast<size_t>(level)];
        const Integer outer = levelReset ? TSweep::Below(seen, level) : -1;
        if (same >= 0 && same > outer) {
          e.Counter = NextCounter(FEntries[static_cast<size_t>(same)].Counter);
        } else if (outer >= 0) {
          e.Counter = startFrom;
        } else {
          bool inner = false;
          for (size_t k = static_cast<size_t>(level) + 1; k < seen.size() && !inner; ++k) inner = seen[k] >= 0;
          e.Counter = inner ? NextCounter(startFrom) : startFrom;
        }
      }
      MakeDisplayString(i, style, &sweep);
    }
    seen[static_cast<size_t>(level)] = i;
  }
}

void TVLMarkerList::CountMarker(Integer index, TVLStyle* style) {
  TVLMarkerItemInfo* m = Get(index);
  TEntry& e = FEntries[static_cast<size_t>(index)];
  if (m->Reset) {
    e.Counter = m->StartFrom;
    return;
  }
  const Integer level = ClampLevel(m->Level);
  TVLListLevel* l = VLGetListLevel(style, m->ListNo, level);
  const Integer startFrom = l ? l->StartFrom : 1;
  const bool levelReset = l ? l->Options.Contains(vlloLevelReset) : true;
  e.Counter = startFrom;
  for (Integer j = index - 1; j >= 0; --j) {
    TVLMarkerItemInfo* p = Get(j);
    if (p->ListNo != m->ListNo) continue;
    const Integer pLevel = ClampLevel(p->Level);
    if (pLevel == level) {
      e.Counter = NextCounter(FEntries[static_cast<size_t>(j)].Counter);
      return;
    }
    if (pLevel < level) {
      if (levelReset) {
        e.Counter = startFrom;
        return;
      }
    } else {
      e.Counter = NextCounter(startFrom);
    }
  }
}

void TVLMarkerList::MakeDisplayString(Integer index, TVLStyle* style, TSweep* sweep) {
  TVLMarkerItemInfo* m = Get(index);
  TEntry& e = FEntries[static_cast<size_t>(index)];
  TVLListLevel* own = VLGetListLevel(style, m->ListNo, m->Level);
  if (!own) {
    e.DisplayString.clear();
    return;
  }
  switch (own->ListType) {
    case vllstBullet: e.DisplayString = own->FormatString; return;
    case vllstDecimal:
    case vllstLowerAlpha:
    case vllstUpperAlpha:
    case vllstLowerRoman:
    case vllstUpperRoman: break;
    default: e.DisplayString.clear(); return;
  }
  const bool legal = own->Options.Contains(vlloLegalStyleNumbering);
  TVLLevelTexts texts;
  const TVLMarkerList* list = this;
  Integer pos = index;
  Integer level = ClampLevel(m->Level);
  Integer counter = e.Counter;
  const Integer listNo = m->ListNo;
  bool first = true;
  // The parent: the nearest earlier marker of the list on an outer level,
  // looked for in this list and then outwards. A sweep knows the nearest
  // marker per level; the parent's own parent is then the nearest below
  // its level too, as nothing between them is on a lower level.
  auto findParent = [&](const TVLMarkerList*& parentList, Integer& parentPos) {
    const TVLMarkerList* search = list;
    Integer from = pos - 1;
    while (search) {
      if (sweep) {
        const TSweep::TLevels* levels =
            search == this ? &TSweep::Of(sweep->Own, listNo) : sweep->OuterOf(search, listNo);
        const Integer j = levels ? TSweep::Below(*levels, level) : -1;
        if (j >= 0) {
          parentList = search;
          parentPos = j;
          return;
        }
      } else {
        for (Integer j = from; j >= 0; --j) {
          TVLMarkerItemInfo* p = search->Get(j);
          if (p->ListNo == listNo && ClampLevel(p->Level) < level) {
            parentList = search;
            parentPos = j;
            return;
          }
        }
      }
      search = search->OuterList;
      if (search) from = search->Count() - 1;
    }
  };
  for (;;) {
    TVLListLevel* l = VLGetListLevel(style, listNo, level);
    TVLListType type = l ? l->ListType : vllstDecimal;
    if (!first && legal && type >= vllstLowerAlpha && type <= vllstUpperRoman) type = vllstDecimal;
    texts[static_cast<size_t>(level)] = VLCounterText(counter, type);
    first = false;
    if (level == 0) break;
    const TVLMarkerList* parentList = nullptr;
    Integer parentPos = -1;
    findParent(parentList, parentPos);
    const Integer parentLevel = parentList ? ClampLevel(parentList->Get(parentPos)->Level) : -1;
    for (Integer k = parentLevel + 1; k < level; ++k) {
      TVLListLevel* lk = VLGetListLevel(style, listNo, k);
      TVLListType t = lk ? lk->ListType : vllstDecimal;
      if (legal && t >= vllstLowerAlpha && t <= vllstUpperRoman) t = vllstDecimal;
      texts[static_cast<size_t>(k)] = VLCounterText(lk ? lk->StartFrom : 1, t);
    }
    if (!parentList) break;
    list = parentList;
    pos = parentPos;
    level = parentLevel;
    counter = parentList->GetCounter(parentPos);
  }
  e.DisplayString = VLFormatMarkerText(own->FormatString, texts);
}

void TVLMarkerList::SaveToStream(TStream& stream, Integer count, bool withSize) const {
  AnsiString s = SaveToBinaryString(count);
  if (withSize) stream.WriteInt32LE(static_cast<Integer>(s.size()));
  stream.WriteBuffer(s.data(), static_cast<Int64>(s.size()));
}

AnsiString TVLMarkerList::SaveToBinaryString(Integer count) const {
  count = std::clamp(count, 0, Count());
  AnsiString s;
  s.reserve(8 + static_cast<size_t>(count) * MarkerRecordSize);
  PutInt(s, 0);
  PutInt(s, count);
  for (Integer i = 0; i < count; ++i) {
    const TVLMarkerItemInfo* m = Get(i);
    PutInt(s, m->ListNo);
    PutInt(s, m->Level);
    s += static_cast<char>(m->Reset ? 1 : 0);
    PutInt(s, m->StartFrom);
    PutInt(s, GetCounter(i));
  }
  return s;
}

bool TVLMarkerList::LoadFromBinaryString(const AnsiString& data, bool withSize) {
  Clear();
  size_t pos = withSize ? 4 : 0;
  if (data.size() < pos + 8) return false;
  const Integer count = GetInt(data, pos + 4);
  pos += 8;
  if (count < 0 || static_cast<uint64_t>(count) * MarkerRecordSize > data.size() - pos) return false;
  for (Integer i = 0; i < count; ++i, pos += MarkerRecordSize) {
    auto m = std::make_unique<TVLMarkerItemInfo>(nullptr);
    m->StyleNo = vlsListMarker;
    m->ListNo = GetInt(data, pos);
    m->Level = ClampLevel(GetInt(data, pos + 4));
    m->Reset = data[pos + 8] != 0;
    m->StartFrom = GetInt(data, pos + 9);
    Insert(Count(), m.get());
    SetCounter(Count() - 1, GetInt(data, pos + 13));
    FOwned.push_back(std::move(m));
  }
  return true;
}

// ---------------------------------------------------------------------------
// The markers of a document

TVLMarkerList* TCustomVLData::GetMarkers(bool allowCreate) {
  TCustomVLData* root = GetAbsoluteRootData();
  return root && root != this ? root->GetMarkers(allowCreate) : nullptr;
}

void TCustomVLData::DestroyMarkers() {
  TCustomVLData* root = GetAbsoluteRootData();
  if (root && root != this) root->DestroyMarkers();
}

Integer TCustomVLData::GetParaStartItem(Integer itemNo) const {
  return VLGetParaStartItem(*Items, itemNo);
}

void TCustomVLData::SetListMarker(Integer itemNo, Integer listNo, Integer level, Integer startFrom,
                                  Integer paraNo, bool reset) {
  level = ClampLevel(level);
  if (itemNo >= 0 && itemNo < GetItemCount()) {
    itemNo = GetParaStartItem(itemNo);
    TCustomVLItemInfo* item = GetItem(itemNo);
    if (item->GetBoolValue(0)) return;
    if (auto* marker = dynamic_cast<TVLMarkerItemInfo*>(item)) {
      const Integer oldListNo = marker->ListNo;
      marker->ListNo = listNo;
      marker->Level = level;
      marker->StartFrom = startFrom;
      marker->Reset = reset;
      if (TVLMarkerList* list = GetMarkers(reset)) {
        const Integer index = list->IndexOf(marker);
        list->RecalcCounters(index, GetStyle());
        // The markers after it of the list it left count one fewer.
        if (oldListNo != listNo && index >= 0) list->RecalcList(oldListNo, index + 1, GetStyle());
      }
      return;
    }
  } else {
    itemNo = GetItemCount();
  }
  auto marker = std::make_unique<TVLMarkerItemInfo>(this);
  marker->StyleNo = vlsListMarker;
  marker->ListNo = listNo;
  marker->Level = level;
  marker->StartFrom = startFrom;
  marker->Reset = reset;
  AnsiString text;
  marker->Inserting(this, text, false);
  if (itemNo < GetItemCount()) {
    TCustomVLItemInfo* next = GetItem(itemNo);
    marker->ParaNo = next->ParaNo;
    marker->ItemOptions = static_cast<Byte>(next->ItemOptions & vlioPageBreakBefore);
    next->SetSameAsPrev(true);
  } else {
    marker->ParaNo = paraNo >= 0 ? paraNo : (GetItemCount() > 0 ? GetItem(GetItemCount() - 1)->ParaNo : 0);
  }
  TVLMarkerItemInfo* m = marker.release();
  Items->InsertObject(itemNo, text, m);
  m->Inserted(this, itemNo);
  AddMarkerToList(itemNo);
}

Integer TCustomVLData::GetListMarkerInfo(Integer itemNo, Integer& listNo, Integer& level,
                                         Integer& startFrom, bool& reset) {
  if (itemNo < 0 || itemNo >= GetItemCount()) return -1;
  itemNo = GetParaStartItem(itemNo);
  auto* marker = dynamic_cast<TVLMarkerItemInfo*>(GetItem(itemNo));
  if (!marker) return -1;
  listNo = marker->ListNo;
  level = marker->Level;
  startFrom = marker->StartFrom;
  reset = marker->Reset;
  return itemNo;
}

void TCustomVLData::RecalcMarkersFrom(Integer itemNo, bool allowCreate) {
  if (itemNo < 0 || itemNo >= GetItemCount()) return;
  auto* marker = dynamic_cast<TVLMarkerItemInfo*>(GetItem(itemNo));
  if (!marker) return;
  if (TVLMarkerList* list = GetMarkers(allowCreate)) list->RecalcCounters(list->IndexOf(marker), GetStyle());
}

void TCustomVLData::AddMarkerToList(Integer itemNo) {
  if (itemNo < 0 || itemNo >= GetItemCount()) return;
  auto* marker = dynamic_cast<TVLMarkerItemInfo*>(GetItem(itemNo));
  if (!marker) return;
  TVLMarkerList* list = GetMarkers(true);
  if (!list || list->IndexOf(marker) >= 0) return;
  TCustomVLItemInfo* prev = FindPrevMarker(itemNo - 1);
  Integer index = prev ? list->IndexOf(prev) + 1 : 0;
  list->Insert(index, marker);
  list->RecalcCounters(index, GetStyle());
}

void TCustomVLData::AddMarkersToList(Integer firstItemNo, const std::vector<TVLMarkerItemInfo*>& markers) {
  if (markers.empty()) return;
  TVLMarkerList* list = GetMarkers(true);
  if (!list) return;
  std::vector<TVLMarkerItemInfo*> fresh;
  fresh.reserve(markers.size());
  for (TVLMarkerItemInfo* m : markers)
    if (list->IndexOf(m) < 0) fresh.push_back(m);
  if (fresh.empty()) return;
  TCustomVLItemInfo* prev = FindPrevMarker(firstItemNo - 1);
  const Integer index = prev ? list->IndexOf(prev) + 1 : 0;
  list->InsertBlock(index, fresh);
  list->RecalcFrom(index, GetStyle());
}

void TCustomVLData::RemoveMarkerFromList(TCustomVLItemInfo* item, bool clearing) {
  if (!item || item->StyleNo != vlsListMarker) return;
  TVLMarkerList* list = GetMarkers(false);
  if (!list) return;
  Integer index = list->IndexOf(item);
  if (index < 0) return;
  const Integer listNo = list->Get(index)->ListNo;
  list->Delete(index);
  if (list->Count() == 0) {
    DestroyMarkers();
    return;
  }
  // The markers after it of its own list count one fewer; the marker now at
  // its place may be of another list.
  if (!clearing) list->RecalcList(listNo, index, GetStyle());
}

TCustomVLItemInfo* TCustomVLData::FindPrevMarker(Integer itemNo) {
  std::function<TCustomVLItemInfo*(TCustomVLData*, Integer)> searchBack =
      [&](TCustomVLData* data, Integer from) -> TCustomVLItemInfo* {
    for (Integer i = std::min(from, data->GetItemCount() - 1); i >= 0; --i) {
      TCustomVLItemInfo* item = data->GetItem(i);
      if (item->StyleNo == vlsListMarker) return item;
      // Inner documents (table cells) from the last to the first.
      std::unique_ptr<TVLStoreSubVLData> state;
      for (TCustomVLData* sub = item->GetSubVLData(state, 1); sub && state; sub = item->GetSubVLData(state, 5))
        if (TCustomVLItemInfo* found = searchBack(sub, sub->GetItemCount() - 1)) return found;
    }
    return nullptr;
  };
  if (TCustomVLItemInfo* found = searchBack(this, itemNo)) return found;
  TCustomVLData* data = this;
  for (int depth = 0; depth < 64; ++depth) {
    Integer parentItemNo;
    std::unique_ptr<TVLStoreSubVLData> location;
    data->GetParentInfo(parentItemNo, location);
    TCustomVLData* parent = data->GetAbsoluteParentData();
    if (parentItemNo < 0 || !parent) {
      // An editor's document standing for a cell whose list it counts in
      // goes on outwards from the cell.
      TCustomVLData* source = data->GetSourceVLData();
      if (source == data || source->GetMarkers(false) != data->GetMarkers(false)) return nullptr;
      data = source;
      continue;
    }
    // The inner documents of the same item before this one come first.
    if (location && parentItemNo < parent->GetItemCount()) {
      TCustomVLItemInfo* holder = parent->GetItem(parentItemNo);
      for (TCustomVLData* sub = holder->GetSubVLData(location, 5); sub && location;
           sub = holder->GetSubVLData(location, 5))
        if (TCustomVLItemInfo* found = searchBack(sub, sub->GetItemCount() - 1)) return found;
    }
    if (TCustomVLItemInfo* found = searchBack(parent, parentItemNo - 1)) return found;
    data = parent;
  }
  return nullptr;
}

Integer TCustomVLData::FindItemNoFrom(Integer startNo, const TCustomVLItemInfo* item) {
  for (Integer i = std::max(0, startNo); i < GetItemCount(); ++i) {
    TCustomVLItemInfo* it = GetItem(i);
    if (it == item) return i;
    std::unique_ptr<TVLStoreSubVLData> state;
    if (TCustomVLData* sub = it->GetSubVLData(state, -1))
      if (sub->FindItemNoFrom(0, item) >= 0) return i;
  }
  return -1;
}

Integer TCustomVLData::FindLastMarkerOfLists(Integer startIndex, const TVLIntegerList& listNos) {
  TVLMarkerList* list = GetMarkers(false);
  if (!list) return -1;
  for (Integer i = list->Count() - 1; i > startIndex; --i)
    if (listNos.IndexOf(list->Get(i)->ListNo) >= 0) return i;
  return -1;
}

AnsiString VLMarkerAsText(const TVLMarkerItemInfo& marker, TCustomVLData& data, bool unicode) {
  TVLStyle* style = data.GetStyle();
  TVLListLevel* level = VLGetListLevel(style, marker.ListNo, marker.Level);
  if (!level) return {};
  const Cardinal codePage = data.GetDefaultCodePage();
  switch (level->ListType) {
    case vllstPicture:
    case vllstImageList:
    case vllstImageListCounter:
      return unicode ? AnsiToRawUnicode("* ", codePage) : AnsiString("* ");
    case vllstUnicodeBullet: {
      const AnsiString raw = WideStringToRawUnicode(level->FormatStringW + u" ");
      if (unicode) return raw;
      AnsiString ansi = RawUnicodeToAnsi(raw, codePage);
      // What the code page cannot show becomes a plain bullet.
      const WideString& w = level->FormatStringW;
      for (size_t i = 0; i < ansi.size() && i < w.size(); ++i)
        if (ansi[i] == '?' && w[i] != u'?') ansi[i] = '*';
      return ansi;
    }
    default: break;
  }
  TVLMarkerList* list = data.GetMarkers(false);
  AnsiString text = list ? list->DisplayStringOf(&marker) : AnsiString();
  if (const TVLMarkerFont* font = level->FontOrNil()) {
    const String& name = font->GetName();
    if (unicode && SymbolCodeFontOf(name.c_str()) != TSymbolCodeFont::None) {
      // A code without a readable form is the character the font shows.
      WideString shown;
      for (char ch : text) {
        const AnsiString one(1, ch), readable = VLMarkerReadableText(one, name);
        shown += readable != one ? RawUnicodeToWideString(AnsiToRawUnicode(readable, codePage))
                                 : VLMarkerDisplayText(one, name, codePage);
      }
      return WideStringToRawUnicode(shown + u" ");
    }
    text = VLMarkerReadableText(text, name);
  }
  text += ' ';
  return unicode ? AnsiToRawUnicode(text, codePage) : text;
}

namespace {

// The level's font on the canvas, sized by the sheet's resolution when it
// has one. The letter spacing of the text drawn or measured before it is no
// part of a marker.
void ApplyMarkerFont(TCanvas& canvas, TVLListLevel& level, TVLStyle* style) {
  TVLMarkerFont* font = level.GetFont();
  canvas.Font.Assign(*font);
  canvas.SetTextCharacterExtra(0);
  const Integer ppi = style ? style->TextStyles->PixelsPerInch : 0;
  if (ppi > 0 && font->GetSize() > 0) canvas.Font.SetHeight(-(font->GetSize() * ppi / 72));
}

WideString MarkerWideText(const TVLMarkerItemInfo& marker, TCustomVLData& data, const TVLListLevel& level) {
  if (level.ListType == vllstUnicodeBullet) return level.FormatStringW;
  TVLMarkerList* list = data.GetMarkers(false);
  const AnsiString text = list ? list->DisplayStringOf(&marker) : AnsiString();
  const TVLMarkerFont* font = level.FontOrNil();
  return VLMarkerDisplayText(text, font ? font->GetName() : String(), data.GetDefaultCodePage());
}

}  // namespace

WideString VLMarkerShownText(const TVLMarkerItemInfo& marker, TCustomVLData& data) {
  if (marker.ListNo < 0 || marker.Level < 0) return WideString();
  const TVLListLevel* level = VLGetListLevel(data.GetStyle(), marker.ListNo, marker.Level);
  if (!level) return WideString();
  switch (level->ListType) {
    case vllstPicture:
    case vllstImageList:
    case vllstImageListCounter: return WideString();
    default: return MarkerWideText(marker, data, *level);
  }
}

TVLMarkerMetrics VLMeasureMarker(const TVLMarkerItemInfo& marker, TCustomVLData& data, TCanvas& canvas,
                                 const TVLScreenAndDevice* sad, bool rightToLeft) {
  TVLMarkerMetrics m;
  if (marker.ListNo < 0 || marker.Level < 0) return m;
  TVLStyle* style = data.GetStyle();
  TVLListLevel* level = VLGetListLevel(style, marker.ListNo, marker.Level);
  if (!level) return m;
  Integer w = 0, h = 0, space = 0;
  auto scaleX = [sad](Integer v) { return sad ? MulDiv(v, sad->ppixDevice, sad->ppixScreen) : v; };
  auto scaleY = [sad](Integer v) { return sad ? MulDiv(v, sad->ppiyDevice, sad->ppiyScreen) : v; };
  switch (level->ListType) {
    case vllstPicture:
      if (const TPicture* pic = level->PictureOrNil()) {
        w = scaleX(pic->GetWidth());
        h = scaleY(pic->GetHeight());
      }
      break;
    case vllstImageList:
    case vllstImageListCounter:
      if (auto* il = dynamic_cast<TCustomImageList*>(level->ImageList)) {
        w = scaleX(il->GetWidth());
        h = scaleY(il->GetHeight());
      }
      break;
    default: {
      ApplyMarkerFont(canvas, *level, style);
      const TSize size = canvas.TextExtentW(MarkerWideText(marker, data, *level));
      w = size.cx;
      h = size.cy;
      // On paper lengths may shrink (a table fitted to the line) while text
      // keeps its size: a marker then keeps a space before its text.
      if (sad) space = canvas.TextExtentW(u" ").cx;
      TTextMetric tm;
      if (canvas.GetTextMetrics(tm)) m.Descent = tm.tmDescent;
      break;
    }
  }
  Integer before = 0, after = w;
  if (level->MarkerAlignment == vlmaRight) {
    before = w;
    after = 0;
  } else if (level->MarkerAlignment == vlmaCenter) {
    after = w / 2;
    before = w - after;
  }
  const Integer gap = std::max(scaleX(level->LeftIndent + level->FirstIndent - level->MarkerIndent),
                               after > 0 ? after + space : 0);
  m.MinWidth = std::max(after, gap);
  const Integer afterBox = std::max(after, gap);
  m.Width = before + afterBox;
  m.Height = h;
  if (rightToLeft) {
    m.Offset = before;
    m.ExtraShift = before + afterBox - w;
  } else {
    m.Offset = -before;
  }
  return m;
}

void VLPaintMarker(const TVLMarkerItemInfo& marker, TCustomVLData& data, Integer x, Integer y,
                   TCanvas& canvas, const TVLScreenAndDevice* sad) {
  if (marker.ListNo < 0 || marker.Level < 0) return;
  TVLStyle* style = data.GetStyle();
  TVLListLevel* level = VLGetListLevel(style, marker.ListNo, marker.Level);
  if (!level) return;
  switch (level->ListType) {
    case vllstPicture:
      if (const TPicture* pic = level->PictureOrNil())
        if (TGraphic* g = pic->GetGraphic()) {
          const Integer w = sad ? MulDiv(g->GetWidth(), sad->ppixDevice, sad->ppixScreen) : g->GetWidth();
          const Integer h = sad ? MulDiv(g->GetHeight(), sad->ppiyDevice, sad->ppiyScreen) : g->GetHeight();
          g->Draw(canvas, TRect(x, y, x + w, y + h));
        }
      return;
    case vllstImageList:
    case vllstImageListCounter: {
      auto* il = dynamic_cast<TCustomImageList*>(level->ImageList);
      TVLMarkerList* list = data.GetMarkers(false);
      Integer index = level->ImageIndex;
      if (level->ListType == vllstImageListCounter) index += (list ? list->CounterOf(&marker) : 1) - 1;
      if (il && index >= 0 && index < il->Count()) il->Draw(&canvas, x, y, index);
      return;
    }
    default:
      ApplyMarkerFont(canvas, *level, style);
      canvas.Brush.Style = bsClear;
      canvas.TextOutW(x, y, MarkerWideText(marker, data, *level));
      return;
  }
}
