#pragma once
// A document of a few styles in a hosted editor data, with helpers to
// build, dump and save it.
#include "EditHost.h"
#include "richtext/model/VLUni.h"
#include "platform/base/CodePages.h"
#include "platform/base/Streams.h"

#include <gtest/gtest.h>

#include <memory>

namespace qytest {

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
