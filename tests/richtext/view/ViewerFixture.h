#pragma once
// A viewer control 400 x 300 with a style sheet of real fonts, filled item
// by item, and the points of its text for scripted mouse input.
#include "richtext/model/VLTextItems.h"
#include "richtext/view/VLCopy.h"
#include "richtext/view/Vellum.h"
#include "richtext/view/VLPaint.h"

#include <gtest/gtest.h>

#include <memory>

namespace qytest {

struct TViewer {
  TViewer() : Style(nullptr) {
    for (Integer i = 0; i < Style.TextStyles->Count(); ++i) {
      Style.TextStyles->Items(i)->FontName = "Arial";
      Style.TextStyles->Items(i)->Unicode = true;
    }
    View = std::make_unique<TVellum>(nullptr);
    View->SetBounds(0, 0, 400, 300);
    View->SetStyle(&Style);
  }
  ~TViewer() { View.reset(); }
  Integer Add(const String& text, Integer styleNo = 0, Integer paraNo = 0) {
    View->AddTextItem(text, styleNo, paraNo);
    return View->ItemCount() - 1;
  }
  Integer Picture(Integer w, Integer h, Integer paraNo = -1, const AnsiString& name = "") {
    auto* p = new TVLGraphicItemInfo(View->VLData());
    p->StyleNo = vlsPicture;
    p->ParaNo = paraNo;
    p->ImageWidth = w;
    p->ImageHeight = h;
    p->Image = std::make_unique<TBitmap>(w, h);
    View->AddItem(name, p);
    return View->ItemCount() - 1;
  }
  void Format() { View->Format(); }
  TVellumVLData& Data() { return *View->VLData(); }
  const TVLDrawLineInfo& DI(Integer n) { return *Data().DrawItems[n]; }
  // The client point of character offs (1-based) of draw item n, at its
  // vertical middle.
  TPoint At(Integer n, Integer offs) {
    const TVLDrawLineInfo& d = DI(n);
    const Integer x = d.Left + VLTextPrefixWidth(Data(), Data().GetCanvas(), n, offs);
    return TPoint(x - Data().GetHOffset(), d.Top + d.Height / 2 - Data().GetVOffset());
  }
  void Click(TPoint p, TShiftState shift = TShiftState(), TMouseButton button = mbLeft) {
    TShiftState down = shift;
    down.Include(button == mbLeft ? ssLeft : ssRight);
    View->MouseDown(button, down, p.X, p.Y);
    View->MouseUp(button, shift, p.X, p.Y);
  }

  TVLStyle Style;
  std::unique_ptr<TVellum> View;
};

}  // namespace qytest
