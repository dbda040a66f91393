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

String TVLTextMeasurer::StyleKey(TCanvas* canvas, TVLStyle* style, Integer styleNo, TVLBiDiMode bidi) {
  const TFontInfo* f = style->TextStyles->Items(styleNo);
  return f->FontName + "|" + IntToStr(f->Size) + "|" + IntToStr(static_cast<Integer>(f->Style.ToMask())) + "|" +
         IntToStr(static_cast<Integer>(f->StyleEx.ToMask())) + "|" + IntToStr(f->Charset) + "|" +
         IntToStr(f->CharScale) + "|" + IntToStr(f->CharSpacing) + "|" + IntToStr(f->Unicode) + "|" +
         IntToStr(f->BiDiMode) + "|" + IntToStr(bidi) + "|" + IntToStr(canvas->GetPixelsPerInch()) + "|" +
         IntToStr(style->TextStyles->PixelsPerInch);
}

TVLTextMeasurer* TVLTextMeasurer::Default() {
  static TVLTextMeasurer measurer;
  return &measurer;
}

