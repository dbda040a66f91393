// Measuring through the canvas.
#include "richtext/view/VLTextMeasurer.h"

#include "platform/base/SysUtils.h"

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

