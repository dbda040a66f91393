#pragma once
// An editor's document data hosted in a fixed area, measured with fixed
// metrics (every character of size 10 is 7 pixels wide, lines 13 pixels
// high plus external leading), so caret stops can be worked out by hand.
#include "richtext/editor/VLEditData.h"
#include "richtext/model/VLMarkers.h"
#include "richtext/model/VLUni.h"
#include "platform/base/CodePages.h"
#include "platform/base/Streams.h"

#include <gtest/gtest.h>

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

  TVLStyle* Style;
  Integer Width = 200, Height = 100, VOffset = 0;
  int Repairs = 0, CaretMoves = 0;

private:
  std::unique_ptr<TVLMarkerList> FMarkers;
};

// A style sheet of size-10 text styles: 0 plain, 1 bold, UStyle Unicode;
// paragraph styles 0 and 1.
struct TEditDoc {
  TEditDoc() : Style(nullptr), Data(&Style) {
    while (Style.TextStyles->Count() < 2) Style.TextStyles->Add();
    for (Integer i = 0; i < Style.TextStyles->Count(); ++i) Style.TextStyles->Items(i)->Size = 10;
    Style.TextStyles->Items(1)->Style = TFontStyles{fsBold};
    TFontInfo* u = Style.TextStyles->Add();
    u->Size = 10;
    u->Unicode = true;
    UStyle = Style.TextStyles->Count() - 1;
    while (Style.ParaStyles->Count() < 2) Style.ParaStyles->Add();
    Style.UseSound = false;
    Data.Measurer = &M;
  }
  Integer Text(const AnsiString& text, Integer styleNo = 0, Integer paraNo = 0) {
    Data.AddTextItem(text, styleNo, paraNo);
    return Data.GetItemCount() - 1;
  }
  Integer Picture(Integer w, Integer h) {
    auto* p = new TVLGraphicItemInfo(&Data);
    p->StyleNo = vlsPicture;
    p->ParaNo = -1;
    p->ImageWidth = w;
    p->ImageHeight = h;
    Data.AddItem("", p);
    return Data.GetItemCount() - 1;
  }
  void Format() { Data.Format(false, true, false, 0, nullptr, false, false); }
  void Caret(Integer itemNo, Integer offs) { Data.SetCaretToItemPos(itemNo, offs); }
  AnsiString Vlf() {
    TMemoryStream s;
    Data.SaveVLFToStream(s, false, clWhite, nullptr, bsNoBitmap, nullptr);
    return AnsiString(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.GetSize()));
  }
  // Texts of the items, paragraphs separated by "|", lines by "/".
  std::string Dump() {
    std::string r;
    for (Integer i = 0; i < Data.GetItemCount(); ++i) {
      if (i > 0) r += Data.GetItem(i)->IsParaStart() ? "|" : Data.GetItem(i)->GetBR() ? "/" : "+";
      if (Data.GetItemStyle(i) < 0)
        r += "#";
      else if (Data.GetItem(i)->IsUnicode())
        r += "u:" + WideToUtf8(RawUnicodeToWideString(Data.GetItemTextA(i)));
      else
        r += Data.GetItemTextA(i);
    }
    return r;
  }

  TVLStyle Style;
  Integer UStyle = 2;
  TFixedEditMeasurer M;
  TTestEditData Data;
};

}  // namespace qytest
