#pragma once
// How layout measures: text styles selected into a canvas, their metrics,
// the cumulative extents of a text, and the boxes of rectangle items. The
// product measures through the canvas and the style sheet; a measurer of
// fixed metrics lets tests compute layouts by hand.
#include "platform/base/Types.h"
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
  // Identifies the selected font, so cached extents are reused only for it.
  virtual String FontKey(TCanvas* canvas);

  // The measurer of the canvas, shared by every document.
  static TVLTextMeasurer* Default();
};

// Extents of item texts, per (item, style, device, font), so that fitting
// a long paragraph line after line measures it once. Entries hold the
// text they were measured for and are used only while it is unchanged.
class TVLExtentsCache {
public:
  // The extents of text for item under key; measured through get when not
  // cached (or the text changed).
  template <class Measure>
  const std::vector<Integer>& Get(const void* item, const String& key, const WideString& text,
                                  Measure&& measure) {
    TEntry& e = FEntries[item];
    if (e.Key != key || e.Text != text) {
      FUnits -= e.Text.size();
      e.Key = key;
      e.Text = text;
      e.Extents.clear();
      measure(e.Extents);
      FUnits += e.Text.size();
      if (FUnits > MaxUnits) Trim(item);
    }
    return e.Extents;
  }
  void Clear() {
    FEntries.clear();
    FUnits = 0;
  }
  size_t Size() const { return FEntries.size(); }
  // Held text beyond this drops every other entry.
  size_t MaxUnits = 4u << 20;

private:
  struct TEntry {
    String Key;
    WideString Text;
    std::vector<Integer> Extents;
  };
  void Trim(const void* keep);
  std::unordered_map<const void*, TEntry> FEntries;
  size_t FUnits = 0;
};
