#include "ExportSamples.h"

#include "platform/base/CodePages.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/Jpeg.h"
#include "richtext/model/VLMarkers.h"
#include "richtext/model/VLUni.h"

namespace {

const char16_t* const Words[] = {
    u"journal", u"entry", u"today", u"<tag>", u"a&b", u"{brace}", u"back\\slash", u"\"quoted\"",
    u"caf\u00E9", u"na\u00EFve", u"\u0436\u0443\u0440\u043D\u0430\u043B", u"\u03B1\u03B2\u03B3",
    u"\u4E2D\u6587", u"\u65E5\u672C\u8A9E", u"\u05E9\u05DC\u05D5\u05DD", u"\u0645\u0631\u062D\u0628\u0627",
    u"\u20AC5", u"\U0001F600x", u"\u00DFtra\u00DFe", u"rain", u"walk", u"%s%d"};
const char* const AnsiWords[] = {"\xE6\xF3\xF0\xED\xE0\xEB", "\xEC\xE8\xF0", "text", "\xC0\xC1\xC2"};

std::string WideToUtf8s(const WideString& w) { return WideToUtf8(w); }

// What a reader shows of a text: non-BMP characters come back as two
// replacement characters from the RTF reader used to check (it reads the
// two halves of a pair one by one).
WideString Shown(const WideString& w) {
  WideString r;
  for (size_t i = 0; i < w.size(); ++i) {
    if (w[i] >= 0xD800 && w[i] <= 0xDBFF && i + 1 < w.size()) {
      r += u"\uFFFD\uFFFD";
      ++i;
    } else {
      r += w[i];
    }
  }
  return r;
}

// Capitals as a reader shows them: "ß" becomes "SS".
WideString Capitals(const WideString& w) {
  WideString r;
  for (char16_t c : WideUpperCase(w)) {
    if (c == u'\u00DF')
      r += u"SS";
    else
      r += c;
  }
  return r;
}

void SetUpStyles(TVLStyle& s, std::mt19937& rng) {
  TFontInfo* uni = s.TextStyles->Add();  // 6: Unicode
  uni->StyleName = "Unicode";
  uni->Unicode = true;
  uni->FontName = "DejaVu Sans";
  TFontInfo* cyr = s.TextStyles->Add();  // 7: 8-bit Cyrillic
  cyr->StyleName = "Cyrillic";
  cyr->Charset = 204;
  TFontInfo* fancy = s.TextStyles->Add();  // 8: Unicode with every effect
  fancy->StyleName = "Fancy \"one\"";
  fancy->Unicode = true;
  fancy->Style = TFontStyles{fsBold, fsItalic, fsUnderline};
  fancy->StyleEx = TVLFontStyles{vlfsOverline};
  fancy->BackColor = 0x00FFFF;
  fancy->CharSpacing = 1;
  fancy->CharScale = 120;
  TFontInfo* caps = s.TextStyles->Add();  // 9: capitals, superscript
  caps->Unicode = true;
  caps->StyleEx = TVLFontStyles{vlfsAllCaps};
  caps->VShift = 30;
  TFontInfo* sub = s.TextStyles->Add();  // 10: subscript, strike-out
  sub->Unicode = true;
  sub->Style = TFontStyles{fsStrikeOut};
  sub->VShift = -30;
  sub->BiDiMode = vlbdRightToLeft;
  TFontInfo* link = s.TextStyles->Add();  // 11: Unicode hypertext
  link->Unicode = true;
  link->Jump = true;
  link->HoverColor = 0x0000FF;
  link->HoverBackColor = 0xEEEEEE;
  link->Style = TFontStyles{fsStrikeOut};
  link->BaseStyleNo = 4;
  s.TextStyles->Items(4)->Unicode = true;

  TParaInfo* rtl = s.ParaStyles->Add();  // 2
  rtl->StyleName = "Right to left";
  rtl->BiDiMode = vlbdRightToLeft;
  rtl->Alignment = vlaRight;
  TParaInfo* boxed = s.ParaStyles->Add();  // 3
  boxed->Border.Style = static_cast<TVLBorderStyle>(1 + rng() % 5);
  boxed->Border.Color = 0x808080;
  boxed->Border.Width = 2;
  boxed->Border.BorderOffsets.SetAll(3);
  boxed->Border.VisibleBorders.Right = false;
  boxed->Background.Color = 0xF0F0FF;
  boxed->Background.BorderOffsets.SetAll(4);
  boxed->LineSpacing = 150;
  boxed->SpaceBefore = 6;
  boxed->LeftIndent = 20;
  boxed->FirstIndent = -10;
  TParaInfo* just = s.ParaStyles->Add();  // 4
  just->Alignment = vlaJustify;
  just->Options = TVLParaOptions{vlpaoNoWrap};
  just->LineSpacingType = vllsSpaceBetween;
  just->LineSpacing = 4;
  just->BaseStyleNo = 3;

  const TVLListType types[] = {vllstBullet, vllstDecimal, vllstLowerAlpha, vllstUpperRoman,
                               vllstUnicodeBullet, vllstPicture, vllstImageList, vllstImageListCounter,
                               vllstLowerRoman, vllstUpperAlpha};
  for (int l = 0; l < 3; ++l) {
    TVLListInfo* list = s.ListStyles->Add();
    const int levels = l == 0 ? 1 : 3;
    for (int k = 0; k < levels; ++k) {
      TVLListLevel* lvl = list->Levels->Add();
      lvl->ListType = types[rng() % 10];
      lvl->LeftIndent = 24 * (k + 1);
      lvl->MarkerIndent = 12 * k;
      static const char* const formats[] = {"%0:s.", "%0:s.%1:s.", "(%2:s)"};
      lvl->FormatString = lvl->HasNumbering() ? AnsiString(formats[k]) : AnsiString("\xB7");
      lvl->FormatStringW.assign(1, u'\u25B6');
      if (lvl->ListType == vllstPicture) {
        TBitmap b(6, 6);
        lvl->GetPicture()->SetGraphic(&b);
      }
    }
  }
}

}  // namespace

std::unique_ptr<TExportSample> MakeExportSample(unsigned n, int paragraphs, int pictures) {
  auto sample = std::make_unique<TExportSample>();
  std::mt19937 rng(1000 + n);
  sample->Style = std::make_unique<TVLStyle>(nullptr);
  TVLStyle& s = *sample->Style;
  sample->Images = std::make_unique<TCustomImageList>(nullptr, 12, 12);
  for (int k = 0; k < 3; ++k) {
    TBitmap b(12, 12);
    b.Canvas()->Brush.Color = 0x102030 * (k + 1);
    b.Canvas()->FillRect(TRect(0, 0, 12, 12));
    sample->Images->Add(&b, nullptr);
  }
  SetUpStyles(s, rng);
  for (int l = 0; l < s.ListStyles->Count(); ++l)
    for (int k = 0; k < s.ListStyles->Items(l)->Levels->Count(); ++k)
      s.ListStyles->Items(l)->Levels->Items(k)->ImageList = sample->Images.get();
  sample->Doc = std::make_unique<TVLDocumentData>(&s);
  TVLDocumentData& d = *sample->Doc;
  d.BiDiMode = n % 3 == 0 ? vlbdRightToLeft : vlbdUnspecified;
  TExportSample* sp = sample.get();
  d.ExportEvents.OnWriteHyperlink = [sp](TCustomVLData* data, Integer, Integer itemNo, Integer, String& target,
                                         String&) {
    auto it = sp->Targets.find(data->GetItem(itemNo));
    if (it != sp->Targets.end()) target = it->second;
  };
  std::vector<std::string>& paras = sample->Paragraphs;
  WideString current;
  auto endPara = [&] {
    // Blanks as a reader splits them: runs of white space are one blank.
    WideString norm;
    for (char16_t c : current) {
      const bool blank = c == u' ' || c == u'\t';
      if (blank && (norm.empty() || norm.back() == u' ')) continue;
      norm += blank ? u' ' : c;
    }
    while (!norm.empty() && norm.back() == u' ') norm.pop_back();
    if (!norm.empty()) paras.push_back(WideToUtf8s(norm));
    current.clear();
  };
  auto words = [&](int count) {
    WideString w;
    for (int k = 0; k < count; ++k) {
      if (k) w += u' ';
      w += Words[rng() % (sizeof Words / sizeof Words[0])];
    }
    return w;
  };
  auto addText = [&](Integer styleNo, Integer paraNo, bool lineBreak) {
    // A line break reads as a blank.
    if (lineBreak) current += u' ';
    const TFontInfo& f = *s.TextStyles->Items(styleNo);
    if (f.Unicode) {
      const WideString w = words(1 + static_cast<int>(rng() % 6)) + u" ";
      d.AddTextItem(WideStringToRawUnicode(w), styleNo, paraNo);
      current += Shown(f.StyleEx.Contains(vlfsAllCaps) ? Capitals(w) : w);
    } else if (styleNo == 7) {
      const AnsiString a = AnsiString(AnsiWords[rng() % 4]) + " ";
      d.AddTextItem(a, styleNo, paraNo);
      current += AnsiToWide(a, 1251);
    } else {
      const AnsiString a = rng() % 2 ? "plain words " : "caf\xE9 <b> & {x} ";
      d.AddTextItem(a, styleNo, paraNo);
      current += AnsiToWide(a, 1252);
    }
  };
  int picturesLeft = pictures;
  for (int p = 0; p < paragraphs; ++p) {
    const Integer paraNo = static_cast<Integer>(rng() % s.ParaStyles->Count());
    const unsigned kind = rng() % 10;
    endPara();
    if (kind == 0) {
      auto rule = std::make_unique<TVLBreakItemInfo>(&d);
      rule->StyleNo = vlsBreak;
      rule->LineWidth = static_cast<Byte>(1 + rng() % 3);
      rule->Color = rng() % 2 ? clNone : 0x00FF00;
      rule->Hint = "a \"rule\"";
      d.AddItem("", rule.release());
      continue;
    }
    d.SetAddParagraphMode(true);
    if (kind <= 3) {
      const Integer listNo = static_cast<Integer>(rng() % s.ListStyles->Count());
      d.SetListMarker(-1, listNo, static_cast<Integer>(rng() % 3), 1 + static_cast<Integer>(rng() % 3), paraNo,
                      rng() % 5 == 0);
      addText(static_cast<Integer>(rng() % 12), -1, false);
    } else {
      addText(static_cast<Integer>(rng() % 12), paraNo, false);
      if (rng() % 7 == 0) d.SetPageBreakBefore(d.GetItemCount() - 1, true);
    }
    const int runs = 1 + static_cast<int>(rng() % 4);
    for (int r = 0; r < runs; ++r) {
      const unsigned what = rng() % 12;
      d.SetAddParagraphMode(false);
      if (what == 0) {
        // A line break inside the paragraph.
        addText(6, paraNo, true);
        continue;
      }
      if (what == 1 && picturesLeft > 0) {
        --picturesLeft;
        std::unique_ptr<TGraphic> g;
        if (rng() % 2) {
          TBitmap b(16 + static_cast<int>(rng() % 16), 8 + static_cast<int>(rng() % 8));
          auto jpeg = std::make_unique<TJPEGImage>();
          jpeg->Assign(&b);
          g = std::move(jpeg);
        } else {
          g = std::make_unique<TBitmap>(10, 6);
        }
        auto pic = TVLGraphicItemInfo::CreateEx(&d, std::move(g), rng() % 2 ? vlvaMiddle : vlvaBaseline);
        if (rng() % 2) {
          pic->StyleNo = vlsHotPicture;
          sample->Targets[pic.get()] = "http://example.com/pic?id=" + std::to_string(n);
        }
        pic->Alt = "picture \"" + std::to_string(p) + "\" <alt>";
        pic->VShift = 10;
        if (rng() % 2) pic->ImageWidth = 20;
        pic->SetSameAsPrev(true);
        d.AddItem("", pic.release());
        continue;
      }
      if (what == 2) {
        auto b = std::make_unique<TVLBulletItemInfo>(&d);
        b->StyleNo = rng() % 2 ? vlsBullet : vlsHotspot;
        b->ImageList = sample->Images.get();
        b->ImageIndex = static_cast<Integer>(rng() % 4);  // 3 is past the list
        b->Hint = "bullet & hint";
        b->SetSameAsPrev(true);
        TCustomVLItemInfo* raw = b.get();
        d.AddItem("", b.release());
        if (raw->StyleNo == vlsHotspot) sample->Targets[raw] = "mailto:someone@example.com";
        continue;
      }
      if (what == 3) {
        auto c = std::make_unique<TVLControlItemInfo>(&d);
        c->StyleNo = vlsComponent;
        c->SetSameAsPrev(true);
        d.AddItem("", c.release());
        continue;
      }
      d.SetAddParagraphMode(true);
      const Integer styleNo = static_cast<Integer>(rng() % 12);
      const WideString w = words(1 + static_cast<int>(rng() % 3)) + u" ";
      const TFontInfo& f = *s.TextStyles->Items(styleNo);
      if (f.Unicode) {
        d.AddTextItem(WideStringToRawUnicode(w), styleNo, -1);
        current += Shown(f.StyleEx.Contains(vlfsAllCaps) ? Capitals(w) : w);
      } else {
        const AnsiString a = (styleNo == 7 ? AnsiString(AnsiWords[rng() % 4]) : AnsiString("more text")) + " ";
        d.AddTextItem(a, styleNo, -1);
        current += AnsiToWide(a, styleNo == 7 ? 1251 : 1252);
      }
      TCustomVLItemInfo* last = d.GetItem(d.GetItemCount() - 1);
      if (f.Jump) {
        static const char* const targets[] = {"http://example.com/a b?q=\"1\"&r=<2>", "https://example.org/\xC3\xA9t\xC3\xA9",
                                              "javascript:alert(1)", "#VellumCheckpoint0", "mailto:x@example.com", ""};
        sample->Targets[last] = targets[rng() % 6];
      }
      if (rng() % 6 == 0) last->Hint = "hint \"" + std::to_string(r) + "\" <&>";
      if (rng() % 5 == 0) {
        auto* cp = new TVLCPInfo();
        cp->Name = rng() % 2 ? "Mark " + std::to_string(rng() % 3) : String();
        cp->ItemInfo = last;
        last->Checkpoint = cp;
        d.LinkCheckpoint(cp, d.GetItemCount() - 1);
        ++d.CPCount;
      }
    }
  }
  endPara();
  d.SetAddParagraphMode(true);
  return sample;
}
