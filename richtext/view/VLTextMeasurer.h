#pragma once
// How layout measures: text styles selected into a canvas, their metrics,
// the cumulative extents of a text, and the boxes of rectangle items. The
// product measures through the canvas and the style sheet; a measurer of
// fixed metrics lets tests compute layouts by hand.
#include "platform/base/Types.h"
#include "platform/base/Wipe.h"
#include "platform/gui/Graphics.h"
#include "richtext/model/VLItemSize.h"
#include "richtext/model/VLStyle.h"

#include <algorithm>
#include <memory>
#include <span>
#include <string_view>
#include <unordered_map>
#include <vector>

class TCustomVLData;

class TVLTextMeasurer {
public:
  virtual ~TVLTextMeasurer() = default;
  // Selects text style styleNo (its font and direction) into the canvas.
  virtual void ApplyStyle(TCanvas* canvas, TVLStyle* style, Integer styleNo, TVLBiDiMode bidi);
  virtual void GetTextMetrics(TCanvas* canvas, TTextMetric& tm);
  // The cumulative extent of every UTF-16 unit of text in the selected
  // style, character extra included (a cluster's width on its first unit).
  virtual void GetExtents(TCanvas* canvas, const WideString& text, std::vector<Integer>& extents);
  virtual TVLItemSize MeasureRectItem(TCanvas* canvas, TVLRectItemInfo& item, TCustomVLData& data,
                                      const TVLScreenAndDevice* sad, Integer docWidth,
                                      bool rightToLeft);
  // Identifies what measuring text in a style on the canvas depends on (font,
  // resolution, spacing, direction), so cached extents are reused only for it.
  virtual String StyleKey(TCanvas* canvas, TVLStyle* style, Integer styleNo, TVLBiDiMode bidi);

  // The measurer of the canvas, shared by every document.
  static TVLTextMeasurer* Default();
};

// A text item as layout measures it: its display text (one unit per
// character of the item) and the cumulative extent of every unit. The
// views point into the storage of the cache that holds the entry.
struct TVLMeasuredText {
  Integer KeyId = -1;
  std::string_view Raw;
  std::u16string_view Text;
  std::span<const Integer> Extents;
};

// Measured item texts, per (item, style, device, font), so that fitting a
// long paragraph line after line measures it once, and a partial reformat
// measures only what changed. An entry is used only while the item's text
// is the one it was measured from.
//
// The texts and extents lie one after another in blocks of the cache's own,
// in the order they were measured, and are moved together again in the
// order of the items once replaced ones take much of the room: a layout
// reads them in the order it lays items out, wherever the program's heap
// put its other data (a cache refilled from a heap full of holes, entry by
// entry, made the next layouts twice as slow).
class TVLExtentsCache {
public:
  TVLExtentsCache() = default;
  ~TVLExtentsCache() { Clear(); }
  TVLExtentsCache(const TVLExtentsCache&) = delete;
  TVLExtentsCache& operator=(const TVLExtentsCache&) = delete;

  // The entry of item for the style key and raw text; fill(text, extents)
  // measures it when the cache has none. References stay valid until Clear
  // or Trim. index is the item's place in its document: entries are found
  // by it first (documents are laid out in order), by the item itself after
  // the items moved.
  template <class Fill>
  const TVLMeasuredText& Get(const void* item, size_t index, Integer keyId, const AnsiString& raw, Fill&& fill) {
    TEntry* e = index < FByIndex.size() && FByIndex[index].first == item ? FByIndex[index].second : nullptr;
    if (!e) e = Find(item, index);
    if (e->KeyId == keyId && e->Raw == raw) return *e;
    TScratch& scratch = Scratch();
    scratch.Text.clear();
    scratch.Extents.clear();
    fill(scratch.Text, scratch.Extents);
    Store(*e, keyId, raw);
    return *e;
  }
  // The number of a style key, the same for equal keys.
  Integer KeyId(const String& key) {
    if (auto it = FKeyIds.find(key); it != FKeyIds.end()) return it->second;
    return FKeyIds.emplace(key, static_cast<Integer>(FKeyIds.size())).first->second;
  }
  // Starts afresh when the entries hold more text than MaxUnits bytes, and
  // moves the entries together when replaced ones fill much of the room.
  // Asked at the start of every layout run of every cell: the common case
  // is a test of three numbers.
  void Trim() {
    if (FUnits > MaxUnits || FStale > std::max(FLive / 4, MinRoomLeft)) Tidy();
  }
  void Clear();
  size_t Size() const { return FEntryCount; }
  // Bytes of item text held before the cache starts afresh.
  size_t MaxUnits = 16u << 20;
  // Some text held is secret: texts are wiped when replaced or cleared.
  bool Wipe = false;

private:
  // Rooms left behind below this many bytes are never worth moving for.
  static constexpr size_t MinRoomLeft = 512;
  // Item text bytes of the entries.
  size_t FUnits = 0;
  // Bytes of the entries' rooms, and of rooms left behind.
  size_t FLive = 0;
  size_t FStale = 0;

  struct TBlock {
    std::unique_ptr<char[]> Data;
    size_t Size = 0;
    size_t Used = 0;
  };
  // An entry and the room of its own in a block, which a text measured
  // again fills in place when it fits.
  struct TEntry : TVLMeasuredText {
    const void* Item = nullptr;
    char* Slot = nullptr;
    size_t Room = 0;
  };
  // What fill measures into, reused (one for the thread: caches are many,
  // one for every table cell).
  struct TScratch {
    WideString Text;
    std::vector<Integer> Extents;
  };
  static TScratch& Scratch();
  void Tidy();
  // A new entry, at an address that stays.
  TEntry& NewEntry();
  template <class F>
  void ForEachEntry(F&& f) {
    size_t left = FEntryCount;
    for (size_t k = 0; k < FEntryChunks.size() && left > 0; ++k) {
      const size_t n = std::min(left, ChunkSize(k));
      for (size_t i = 0; i < n; ++i) f(FEntryChunks[k][i]);
      left -= n;
    }
  }
  static size_t ChunkSize(size_t k) { return size_t{2} << std::min<size_t>(k, 9); }
  // The entry of item, which index no longer finds: by the item, once the
  // items moved (another holds its place), else a new one.
  TEntry* Find(const void* item, size_t index);
  // Copies the measured text (and the raw one) into e's room, or into new
  // room with some to spare (an edited text is likely measured again).
  void Store(TEntry& e, Integer keyId, std::string_view raw);
  void Place(TEntry& e, std::string_view raw, std::u16string_view text, std::span<const Integer> extents,
             size_t spare);
  char* Allocate(size_t bytes);
  static void WipeEntry(const TVLMeasuredText& e);

  std::vector<std::pair<const void*, TEntry*>> FByIndex;
  std::vector<std::unique_ptr<TEntry[]>> FEntryChunks;
  size_t FEntryCount = 0;
  // Entries taken in the last chunk.
  size_t FChunkUsed = 0;
  std::vector<TBlock> FBlocks;
  // Every entry by its item, made once items moved and kept from then on
  // (a document laid out in order never needs it).
  std::unordered_map<const void*, TEntry*> FByItem;
  bool FByItemMade = false;
  std::unordered_map<String, Integer> FKeyIds;
};
