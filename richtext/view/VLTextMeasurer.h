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

#include <memory>
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
// character of the item) and the cumulative extent of every unit.
struct TVLMeasuredText {
  Integer KeyId = -1;
  AnsiString Raw;
  WideString Text;
  std::vector<Integer> Extents;
};

// Measured item texts, per (item, style, device, font), so that fitting a
// long paragraph line after line measures it once, and a partial reformat
// measures only what changed. An entry is used only while the item's text
// is the one it was measured from.
class TVLExtentsCache {
public:
  // The entry of item for the style key and raw text; fill measures it when
  // the cache has none. References stay valid until Clear or Trim.
  // index is the item's place in its document: entries are found by it
  // first (documents are laid out in order), by the item itself after the
  // items moved.
  template <class Fill>
  const TVLMeasuredText& Get(const void* item, size_t index, Integer keyId, const AnsiString& raw, Fill&& fill) {
    TVLMeasuredText* e = index < FByIndex.size() && FByIndex[index].first == item ? FByIndex[index].second : nullptr;
    if (!e) {
      e = &FEntries[item];
      if (FByIndex.size() <= index) FByIndex.resize(index + 1);
      FByIndex[index] = {item, e};
    }
    if (e->KeyId == keyId && e->Raw == raw) return *e;
    FUnits -= e->Raw.size();
    if (Wipe) {
      WipeText(e->Raw);
      WipeText(e->Text);
    }
    e->KeyId = keyId;
    e->Raw = raw;
    fill(*e);
    FUnits += e->Raw.size();
    return *e;
  }
  // The number of a style key, the same for equal keys.
  Integer KeyId(const String& key) {
    if (auto it = FKeyIds.find(key); it != FKeyIds.end()) return it->second;
    return FKeyIds.emplace(key, static_cast<Integer>(FKeyIds.size())).first->second;
  }
  // Starts afresh when the entries hold more text than MaxUnits bytes.
  void Trim() {
    if (FUnits > MaxUnits) Clear();
  }
  void Clear() {
    if (Wipe) {
      for (auto& [item, e] : FEntries) {
        WipeText(e.Raw);
        WipeText(e.Text);
      }
      Wipe = false;
    }
    FEntries.clear();
    FByIndex.clear();
    FUnits = 0;
  }
  size_t Size() const { return FEntries.size(); }
  // Bytes of item text held before the cache starts afresh.
  size_t MaxUnits = 16u << 20;
  // Some text held is secret: texts are wiped when replaced or cleared.
  bool Wipe = false;

private:
  std::unordered_map<const void*, TVLMeasuredText> FEntries;
  std::vector<std::pair<const void*, TVLMeasuredText*>> FByIndex;
  std::unordered_map<String, Integer> FKeyIds;
  size_t FUnits = 0;
};
