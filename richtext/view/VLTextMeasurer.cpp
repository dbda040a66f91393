// Measuring through the canvas.
#include "richtext/view/VLTextMeasurer.h"

#include "platform/base/SysUtils.h"

#include <algorithm>
#include <charconv>
#include <climits>

void TVLTextMeasurer::ApplyStyle(TCanvas* canvas, TVLStyle* style, Integer styleNo,
                                 TVLBiDiMode bidi) {
  style->ApplyStyle(canvas, styleNo, bidi);
}

void TVLTextMeasurer::GetTextMetrics(TCanvas* canvas, TTextMetric& tm) { canvas->GetTextMetrics(tm); }

void TVLTextMeasurer::GetExtents(TCanvas* canvas, const WideString& text,
                                 std::vector<Integer>& extents) {
  Integer fit = 0;
  canvas->GetTextExtentExPoint(text, INT_MAX, &fit, &extents);
}

TVLItemSize TVLTextMeasurer::MeasureRectItem(TCanvas* canvas, TVLRectItemInfo& item,
                                             TCustomVLData& data, const TVLScreenAndDevice* sad,
                                             Integer docWidth, bool rightToLeft) {
  return VLGetRectItemSize(item, data, canvas, sad, docWidth, rightToLeft);
}

String TVLTextMeasurer::StyleKey(TCanvas* canvas, TVLStyle* style, Integer styleNo, TVLBiDiMode bidi) {
  // Asked for by every cell of a table at each layout: built in place.
  const TFontInfo* f = style->TextStyles->Items(styleNo);
  String key;
  key.reserve(f->FontName.size() + 64);
  key += f->FontName;
  char buf[24];
  for (const Int64 v : {Int64{f->Size}, Int64{static_cast<Integer>(f->Style.ToMask())}, Int64{static_cast<Integer>(f->StyleEx.ToMask())}, Int64{f->Charset},
                        Int64{f->CharScale}, Int64{f->CharSpacing}, Int64{f->Unicode}, Int64{f->BiDiMode},
                        Int64{bidi}, Int64{canvas->GetPixelsPerInch()}, Int64{style->TextStyles->PixelsPerInch}}) {
    key += '|';
    key.append(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
  }
  return key;
}

TVLTextMeasurer* TVLTextMeasurer::Default() {
  static TVLTextMeasurer measurer;
  return &measurer;
}


// ---------------------------------------------------------------------------
// The extents cache's storage.

namespace {

// Blocks grow from a size that suits a table cell of a few words to one
// that a long entry fills a few hundred times.
constexpr size_t MinBlock = 64;
constexpr size_t MaxBlock = 1u << 20;

size_t BytesOf(std::string_view raw, std::u16string_view text, std::span<const Integer> extents) {
  return extents.size_bytes() + text.size() * sizeof(char16_t) + raw.size();
}

size_t Aligned(size_t n) { return (n + alignof(Integer) - 1) & ~(alignof(Integer) - 1); }

}  // namespace

TVLExtentsCache::TScratch& TVLExtentsCache::Scratch() {
  thread_local TScratch scratch;
  return scratch;
}

TVLExtentsCache::TEntry& TVLExtentsCache::NewEntry() {
  if (FEntryChunks.empty() || FChunkUsed == ChunkSize(FEntryChunks.size() - 1)) {
    FEntryChunks.push_back(std::make_unique<TEntry[]>(ChunkSize(FEntryChunks.size())));
    FChunkUsed = 0;
  }
  ++FEntryCount;
  return FEntryChunks.back()[FChunkUsed++];
}

TVLExtentsCache::TEntry* TVLExtentsCache::Find(const void* item, size_t index) {
  if (FByIndex.size() <= index) FByIndex.resize(index + 1);
  auto& slot = FByIndex[index];
  if (slot.first && !FByItemMade) {
    // Later entries of an item are its newer measures.
    ForEachEntry([this](TEntry& e) { FByItem[e.Item] = &e; });
    FByItemMade = true;
  }
  TEntry* e = nullptr;
  if (FByItemMade) {
    auto [it, fresh] = FByItem.try_emplace(item, nullptr);
    if (fresh) it->second = &NewEntry();
    e = it->second;
  } else {
    e = &NewEntry();
  }
  e->Item = item;
  slot = {item, e};
  return e;
}

char* TVLExtentsCache::Allocate(size_t bytes) {
  if (bytes == 0) return nullptr;
  if (FBlocks.empty() || FBlocks.back().Size - FBlocks.back().Used < bytes) {
    const size_t last = FBlocks.empty() ? 0 : FBlocks.back().Size;
    const size_t size = std::max(bytes, std::clamp(last * 2, MinBlock, MaxBlock));
    FBlocks.push_back({std::make_unique_for_overwrite<char[]>(size), size, 0});
  }
  TBlock& b = FBlocks.back();
  char* p = b.Data.get() + b.Used;
  b.Used += bytes;
  return p;
}

void TVLExtentsCache::Place(TEntry& e, std::string_view raw, std::u16string_view text,
                            std::span<const Integer> extents, size_t spare) {
  // Extents first: every room starts aligned for them.
  const size_t need = Aligned(BytesOf(raw, text, extents));
  if (need > e.Room) {
    FStale += e.Room;
    FLive -= e.Room;
    e.Room = need + (spare ? Aligned(need / 4 + spare) : 0);
    e.Slot = Allocate(e.Room);
    FLive += e.Room;
  }
  char* p = e.Slot;
  auto* ext = reinterpret_cast<Integer*>(p);
  std::copy(extents.begin(), extents.end(), ext);
  auto* units = reinterpret_cast<char16_t*>(p + extents.size_bytes());
  std::copy(text.begin(), text.end(), units);
  char* bytes = reinterpret_cast<char*>(units + text.size());
  std::copy(raw.begin(), raw.end(), bytes);
  e.Extents = std::span<const Integer>(ext, extents.size());
  e.Text = std::u16string_view(units, text.size());
  e.Raw = std::string_view(bytes, raw.size());
  FUnits += raw.size();
}

void TVLExtentsCache::WipeEntry(const TVLMeasuredText& e) {
  WipeBytes(const_cast<char16_t*>(e.Text.data()), e.Text.size() * sizeof(char16_t));
  WipeBytes(const_cast<char*>(e.Raw.data()), e.Raw.size());
}

void TVLExtentsCache::Store(TEntry& e, Integer keyId, std::string_view raw) {
  FUnits -= e.Raw.size();
  if (Wipe) WipeEntry(e);
  // A first measure takes no more room than it needs: a document measured
  // once lies packed.
  TScratch& scratch = Scratch();
  Place(e, raw, scratch.Text, scratch.Extents, e.KeyId < 0 ? 0 : 32);
  e.KeyId = keyId;
  if (Wipe) WipeText(scratch.Text);
}

void TVLExtentsCache::Tidy() {
  if (FUnits > MaxUnits) {
    Clear();
    return;
  }
  // Entries that outgrew their room lie apart from their neighbours: once
  // the rooms left behind add up to a quarter of those in use, all are
  // moved together in the order of the items.
  std::vector<TBlock> old = std::move(FBlocks);
  std::vector<std::unique_ptr<TEntry[]>> entries = std::move(FEntryChunks);
  FBlocks.clear();
  FEntryChunks.clear();
  FEntryCount = FChunkUsed = 0;
  FByItem.clear();
  FByItemMade = false;
  FLive = FStale = FUnits = 0;
  // The entries the items' places find; one an item has at two places (the
  // items moved) is moved once.
  std::unordered_map<const TEntry*, TEntry*> moves;
  for (auto& [item, e] : FByIndex) {
    if (!e) continue;
    auto [it, fresh] = moves.try_emplace(e, nullptr);
    if (fresh) {
      TEntry& moved = NewEntry();
      moved.Item = e->Item;
      moved.KeyId = e->KeyId;
      Place(moved, e->Raw, e->Text, e->Extents, 0);
      it->second = &moved;
    }
    e = it->second;
  }
  if (Wipe)
    for (TBlock& b : old) WipeBytes(b.Data.get(), b.Used);
}

void TVLExtentsCache::Clear() {
  if (Wipe) {
    for (TBlock& b : FBlocks) WipeBytes(b.Data.get(), b.Used);
    WipeText(Scratch().Text);
    Wipe = false;
  }
  FBlocks.clear();
  FEntryChunks.clear();
  FEntryCount = FChunkUsed = 0;
  FByItem.clear();
  FByItemMade = false;
  FByIndex.clear();
  FLive = FStale = FUnits = 0;
}
