#pragma once
// A formatted document over a canvas with a host of fixed size and margins,
// and a measurer of fixed metrics so that layouts can be computed by hand:
// every character of a style of size S is S * 7 / 10 pixels wide (spaces
// SpaceWidth when set), ascent S, descent S * 3 / 10, external leading 2;
// the low half of a surrogate pair and combining marks are 0 wide.
#include "richtext/model/VLMarkers.h"
#include "richtext/view/VLFormattedData.h"

#include <memory>

namespace qytest {

class TFixedMeasurer : public TVLTextMeasurer {
public:
  void ApplyStyle(TCanvas* canvas, TVLStyle* style, Integer styleNo, TVLBiDiMode bidi) override {
    Size = style->TextStyles->Items(styleNo)->Size;
    ++Selections;
  }
  void GetTextMetrics(TCanvas* canvas, TTextMetric& tm) override {
    tm = TTextMetric();
    tm.tmAscent = Size;
    tm.tmDescent = Size * 3 / 10;
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    tm.tmExternalLeading = 2;
  }
  Integer CharWidth(char16_t c) const {
    if (c >= 0xDC00 && c <= 0xDFFF) return 0;
    if (c >= 0x0300 && c <= 0x036F) return 0;
    if (c >= 0xD800 && c <= 0xDBFF) return 2 * Size * 7 / 10;
    if (c == u' ' && SpaceWidth > 0) return SpaceWidth;
    return Size * 7 / 10;
  }
  void GetExtents(TCanvas* canvas, const WideString& text, std::vector<Integer>& extents) override {
    extents.resize(text.size());
    Integer x = 0;
    for (size_t i = 0; i < text.size(); ++i) extents[i] = x += CharWidth(text[i]);
  }
  TVLItemSize MeasureRectItem(TCanvas* canvas, TVLRectItemInfo& item, TCustomVLData& data,
                              const TVLScreenAndDevice* sad, Integer docWidth, bool rtl) override {
    if (item.StyleNo == vlsListMarker) {
      TVLItemSize s;
      s.Width = s.MinWidth = MarkerWidth;
      s.Height = 13;
      s.Descent = 3;
      s.RTLShift = MarkerRTLShift;
      return s;
    }
    return TVLTextMeasurer::MeasureRectItem(canvas, item, data, sad, docWidth, rtl);
  }
  String StyleKey(TCanvas* canvas, TVLStyle* style, Integer styleNo, TVLBiDiMode bidi) override {
    return TVLTextMeasurer::StyleKey(canvas, style, styleNo, bidi) + "/" + IntToStr(SpaceWidth);
  }

  Integer Size = 10;
  Integer SpaceWidth = 0;
  Integer MarkerWidth = 20;
  Integer MarkerRTLShift = 4;
  int Selections = 0;
};

// A document hosted in an area of Width x Height pixels.
class TTestLayoutData : public TCustomVLFormattedData {
public:
  explicit TTestLayoutData(TVLStyle* style) : Style(style) {}
  ~TTestLayoutData() override {
    ClearDrawLines();
    Clear();
  }
  TVLStyle* GetStyle() override { return Style; }
  TVLOptions GetOptions() override { return Options; }
  TVLBiDiMode GetBiDiMode() override { return BiDiMode; }
  TVLMarkerList* GetMarkers(bool allowCreate) override {
    if (!FMarkers && allowCreate) FMarkers = std::make_unique<TVLMarkerList>();
    return FMarkers.get();
  }
  void DestroyMarkers() override { FMarkers.reset(); }
  Integer GetDocumentWidth() override { return DocumentWidth; }
  Integer GetLeftMargin() override { return Margins[0]; }
  Integer GetTopMargin() override { return Margins[1]; }
  Integer GetRightMargin() override { return Margins[2]; }
  Integer GetBottomMargin() override { return Margins[3]; }
  Integer GetMinTextWidth() override { return MinTextWidth; }
  Integer GetMaxTextWidth() override { return MaxTextWidth; }
  Integer GetWidth() override { return Width - (ScrollBarShown ? ScrollBarWidth : 0); }
  Integer GetHeight() override { return Height; }
  void SetDocumentSize(Integer width, Integer height, bool reformat) override {
    ++SizeReports;
    ReportedWidth = width;
    ReportedHeight = height;
    if (ScrollBarWidth > 0) ScrollBarShown = height > Height;
    if (FormatOnSize) Format(false, true, false, 0, nullptr, false, false);
  }
  void AdjustVScrollStep() override {}
  Integer GetVOffset() override { return VOffset; }
  void VScrollTo(Integer y) override { VOffset = y; }
  void HScrollTo(Integer x) override {}
  Integer GetVSmallStep() override { return 10; }
  TVLBackground* GetBackground() override { return nullptr; }
  TColor GetColor() override { return clWhite; }
  void InvalidateBand(Integer top, Integer bottom) override {
    BandTop = top;
    BandBottom = bottom;
  }

  TVLStyle* Style;
  TVLOptions Options;
  TVLBiDiMode BiDiMode = vlbdUnspecified;
  Integer Margins[4] = {5, 5, 5, 5};
  Integer MinTextWidth = 0, MaxTextWidth = 0;
  Integer Width = 80, Height = 1000;
  Integer ScrollBarWidth = 0;
  bool ScrollBarShown = false;
  bool FormatOnSize = false;
  Integer VOffset = 0;
  int SizeReports = 0;
  Integer ReportedWidth = 0, ReportedHeight = 0;
  Integer BandTop = -1, BandBottom = -1;

private:
  std::unique_ptr<TVLMarkerList> FMarkers;
};

// A style sheet whose text styles are sized for the fixed measurer.
inline void ResetStylesForLayout(TVLStyle& style) {
  for (Integer i = 0; i < style.TextStyles->Count(); ++i) style.TextStyles->Items(i)->Size = 10;
}

// An 8 x 8 bitmap of one colour (a background picture whose pixels tell
// where it was drawn).
inline std::unique_ptr<TBitmap> PlainBitmap(TColor color) {
  auto b = std::make_unique<TBitmap>(8, 8);
  b->Canvas()->Brush.Color = color;
  b->Canvas()->FillRect(TRect(0, 0, 8, 8));
  b->Canvas()->ReleaseHandle();
  return b;
}

// Raw UTF-16LE item text of a UTF-16 string.
AnsiString Raw(const std::u16string& s);

}  // namespace qytest
