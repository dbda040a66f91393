#pragma once
// An editor's document data hosted in a fixed area without a window; the
// tests measure with fixed metrics (every character of size 10 is 7 pixels
// wide), the benchmark with the platform's fonts.
#include "richtext/editor/VLEditData.h"
#include "richtext/model/VLMarkers.h"

#include <functional>
#include <memory>

namespace qytest {

class TFixedEditMeasurer : public TVLTextMeasurer {
public:
  void ApplyStyle(TCanvas* canvas, TVLStyle* style, Integer styleNo, TVLBiDiMode bidi) override {
    Size = style->TextStyles->Items(styleNo)->Size;
  }
  void GetTextMetrics(TCanvas* canvas, TTextMetric& tm) override {
    tm = TTextMetric();
    tm.tmAscent = Size;
    tm.tmDescent = Size * 3 / 10;
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    tm.tmExternalLeading = 2;
  }
  void GetExtents(TCanvas* canvas, const WideString& text, std::vector<Integer>& extents) override {
    extents.resize(text.size());
    Integer x = 0;
    for (size_t i = 0; i < text.size(); ++i) {
      const char16_t c = text[i];
      const bool zero = (c >= 0xDC00 && c <= 0xDFFF) || (c >= 0x0300 && c <= 0x036F);
      extents[i] = x += zero ? 0 : Size * 7 / 10;
    }
  }
  Integer Size = 10;
};

class TTestEditData : public TVLEditVLData {
public:
  explicit TTestEditData(TVLStyle* style) : Style(style) {}
  ~TTestEditData() override {
    ClearDrawLines();
    Clear();
  }
  TVLStyle* GetStyle() override { return Style; }
  TVLOptions GetOptions() override { return TVLOptions(); }
  TVLRTFReadHook* GetRTFReadProperties() override { return VLGetRTFReadHook(); }
  TVLMarkerList* GetMarkers(bool allowCreate) override {
    if (!FMarkers && allowCreate) FMarkers = std::make_unique<TVLMarkerList>();
    return FMarkers.get();
  }
  void DestroyMarkers() override { FMarkers.reset(); }
  Integer GetDocumentWidth() override { return DocumentWidth; }
  Integer GetLeftMargin() override { return 5; }
  Integer GetTopMargin() override { return 5; }
  Integer GetRightMargin() override { return 5; }
  Integer GetBottomMargin() override { return 5; }
  Integer GetMinTextWidth() override { return 0; }
  Integer GetMaxTextWidth() override { return 0; }
  Integer GetWidth() override { return Width; }
  Integer GetHeight() override { return Height; }
  void SetDocumentSize(Integer, Integer, bool) override {}
  void AdjustVScrollStep() override {}
  Integer GetVOffset() override { return VOffset; }
  void VScrollTo(Integer y) override { VOffset = y; }
  void HScrollTo(Integer) override {}
  Integer GetVSmallStep() override { return 10; }
  TVLBackground* GetBackground() override { return nullptr; }
  TColor GetColor() override { return clWhite; }
  void LogRepair(const String& message) override { ++Repairs; }
  void DoCaretMove() override { ++CaretMoves; }
  void AfterFormat(Integer first, Integer last, bool partial) override { ++(partial ? PartialFormats : FullFormats); }
  void DoStyleConversion(Integer styleNo, Integer userData, bool appliedToText, Integer& newStyleNo) override {
    if (TextConversion) TextConversion(styleNo, userData, appliedToText, newStyleNo);
  }
  void DoParaStyleConversion(Integer paraNo, Integer userData, Integer& newParaNo) override {
    if (ParaConversion) ParaConversion(paraNo, userData, newParaNo);
  }
  bool ClearTagOnStyleApp() override { return ClearTags; }

  std::function<void(Integer, Integer, bool, Integer&)> TextConversion;
  std::function<void(Integer, Integer, Integer&)> ParaConversion;
  bool ClearTags = true;

  TVLStyle* Style;
  Integer Width = 200, Height = 100, VOffset = 0;
  int Repairs = 0, CaretMoves = 0, FullFormats = 0, PartialFormats = 0;

private:
  std::unique_ptr<TVLMarkerList> FMarkers;
};

}  // namespace qytest
