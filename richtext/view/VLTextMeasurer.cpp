// Measuring through the canvas.
#include "richtext/view/VLTextMeasurer.h"

#include "platform/base/SysUtils.h"

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

String TVLTextMeasurer::FontKey(TCanvas* canvas) {
  const TFont& f = canvas->Font;
  return f.GetName() + "|" + IntToStr(f.GetHeight()) + "|" + IntToStr(f.GetWidth()) + "|" +
         IntToStr(static_cast<Integer>(f.GetStyle().ToMask())) + "|" + IntToStr(f.GetCharset()) + "|" +
         IntToStr(canvas->GetPixelsPerInch()) + "|" + IntToStr(canvas->GetTextCharacterExtra());
}

TVLTextMeasurer* TVLTextMeasurer::Default() {
  static TVLTextMeasurer measurer;
  return &measurer;
}

void TVLExtentsCache::Trim(const void* keep) {
  for (auto it = FEntries.begin(); it != FEntries.end();) {
    if (it->first == keep) {
      ++it;
    } else {
      FUnits -= it->second.Text.size();
      it = FEntries.erase(it);
    }
  }
}
