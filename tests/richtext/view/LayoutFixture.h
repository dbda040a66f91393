#pragma once
// A document with the fixed measurer, built item by item.
#include "LayoutTestSupport.h"

#include <gtest/gtest.h>

namespace qytest {

struct TLayoutDoc {
  TLayoutDoc() : Style(nullptr), Data(&Style) {
    ResetStylesForLayout(Style);
    Style.TextStyles->Items(1)->Size = 20;
    for (Integer size : {10, 20}) {
      TFontInfo* u = Style.TextStyles->Add();
      u->Size = size;
      u->Unicode = true;
    }
    Data.Measurer = &M;
  }
  // The Unicode text styles standing for styles 0 and 1.
  Integer WideStyle(Integer styleNo) const { return Style.TextStyles->Count() - 2 + (styleNo == 1 ? 1 : 0); }
  // A paragraph style with the given settings; its number.
  Integer Para(TVLAlignment align = vlaLeft, Integer lineSpacing = 100,
               TVLLineSpacingType type = vllsPercent, TVLBiDiMode bidi = vlbdUnspecified) {
    TParaInfo* p = Style.ParaStyles->Add();
    p->Alignment = align;
    p->LineSpacing = lineSpacing;
    p->LineSpacingType = type;
    p->BiDiMode = bidi;
    return Style.ParaStyles->Count() - 1;
  }
  // paraNo -1 continues the line of the previous item.
  Integer Text(const AnsiString& text, Integer styleNo = 0, Integer paraNo = 0) {
    Data.AddTextItem(text, styleNo, paraNo);
    return Data.GetItemCount() - 1;
  }
  Integer Wide(const std::u16string& text, Integer styleNo = 0, Integer paraNo = 0) {
    Data.AddTextItemTag(Raw(text), WideStyle(styleNo), paraNo, TVLTag());
    return Data.GetItemCount() - 1;
  }
  Integer Picture(Integer w, Integer h, Integer paraNo = -1) {
    auto* p = new TVLGraphicItemInfo(&Data);
    p->StyleNo = vlsPicture;
    p->ParaNo = paraNo;
    p->ImageWidth = w;
    p->ImageHeight = h;
    Data.AddItem("", p);
    return Data.GetItemCount() - 1;
  }
  Integer Break() {
    auto* b = new TVLBreakItemInfo(&Data);
    b->StyleNo = vlsBreak;
    b->ParaNo = 0;
    Data.AddItem("", b);
    return Data.GetItemCount() - 1;
  }
  // A list of one level; the marker starts a new paragraph.
  Integer Marker(Integer markerIndent = 10, Integer leftIndent = 30, Integer paraNo = 0) {
    if (Style.ListStyles->Count() == 0) {
      TVLListLevel* l = Style.ListStyles->Add()->Levels->Add();
      l->ListType = vllstDecimal;
      l->FormatString = "%0:s.";
      l->MarkerIndent = markerIndent;
      l->LeftIndent = leftIndent;
      l->FirstIndent = 0;
    }
    Data.SetListMarker(Data.GetItemCount(), 0, 0, 1, paraNo, false);
    return Data.GetItemCount() - 1;
  }
  void Format() { Data.Format(false, true, false, 0, nullptr, false, false); }
  const TVLDrawLineInfo& DI(Integer n) const { return *Data.DrawItems[n]; }

  TVLStyle Style;
  TFixedMeasurer M;
  TTestLayoutData Data;
};

// Left, Top, Width, Height, TextOffset, Length, StartsNewLine.
struct TPiece {
  Integer Left, Top, Width, Height, Offs, Length;
  bool NewLine;
};

inline void ExpectPieces(const TLayoutDoc& d, const std::vector<TPiece>& expected, const char* what) {
  ASSERT_EQ(d.Data.DrawItems.Count(), static_cast<Integer>(expected.size())) << what;
  for (size_t i = 0; i < expected.size(); ++i) {
    const TVLDrawLineInfo& a = d.DI(static_cast<Integer>(i));
    const TPiece& e = expected[i];
    EXPECT_EQ(a.Left, e.Left) << what << " piece " << i;
    EXPECT_EQ(a.Top, e.Top) << what << " piece " << i;
    EXPECT_EQ(a.Width, e.Width) << what << " piece " << i;
    EXPECT_EQ(a.Height, e.Height) << what << " piece " << i;
    EXPECT_EQ(a.TextOffset, e.Offs) << what << " piece " << i;
    EXPECT_EQ(a.Length, e.Length) << what << " piece " << i;
    EXPECT_EQ(a.StartsNewLine, e.NewLine) << what << " piece " << i;
  }
}

}  // namespace qytest
