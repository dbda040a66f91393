// The RTF writer: the frame (header with font, colour, style-sheet and list
// tables) and the body (paragraphs, runs, breaks, bookmarks, hyperlink
// fields and the items that write themselves).
#include "platform/base/CodePages.h"
#include "platform/base/Streams.h"
#include "platform/base/SysUtils.h"
#include "platform/gui/SymbolEncoding.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLExport.h"
#include "richtext/model/VLFuncs.h"
#include "richtext/model/VLMarkerText.h"
#include "richtext/model/VLMarkers.h"
#include "richtext/model/VLUni.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <unordered_map>

namespace {

// The font charset that makes a reader decode \' bytes in this code page.
Byte CharsetOfCodePage(Cardinal codePage) {
  switch (ResolveCodePage(codePage)) {
    case 1252: return ANSI_CHARSET;
    case 10000: return MAC_CHARSET;
    case 932: return SHIFTJIS_CHARSET;
    case 949: return HANGEUL_CHARSET;
    case 1361: return JOHAB_CHARSET;
    case 936: return GB2312_CHARSET;
    case 950: return CHINESEBIG5_CHARSET;
    case 1253: return GREEK_CHARSET;
    case 1254: return TURKISH_CHARSET;
    case 1258: return VIETNAMESE_CHARSET;
    case 1255: return HEBREW_CHARSET;
    case 1256: return ARABIC_CHARSET;
    case 1257: return BALTIC_CHARSET;
    case 1251: return RUSSIAN_CHARSET;
    case 874: return THAI_CHARSET;
    case 1250: return EASTEUROPE_CHARSET;
    case 437: return OEM_CHARSET;
    default: return DEFAULT_CHARSET;
  }
}

void W(TStream& s, const AnsiString& t) { s.WriteBytes(t); }
AnsiString I(Integer v) { return std::to_string(v); }
AnsiString Hex2(Integer v) {
  char b[8];
  std::snprintf(b, sizeof b, "%.2x", v & 0xFF);
  return b;
}

std::mt19937& Rng() {
  static std::mt19937 rng{std::random_device{}()};
  return rng;
}

Integer RandomId(const TVLIntegerList& avoid) {
  std::uniform_int_distribution<Integer> dist(0, 2147483646);
  Integer id;
  do id = dist(Rng());
  while (avoid.IndexOf(id) >= 0);
  return id;
}

const TColor FixedColors[] = {clWindowText, 0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0xFF00FF,
                              0x0000FF, 0x00FFFF, 0xFFFFFF, 0x800000, 0x808000, 0x008000,
                              0x800080, 0x000080, 0x008080, 0x808080, 0xC0C0C0};

Integer ListNfc(TVLListType t) {
  switch (t) {
    case vllstDecimal:
    case vllstImageListCounter: return 0;
    case vllstLowerAlpha: return 4;
    case vllstUpperAlpha: return 3;
    case vllstLowerRoman: return 2;
    case vllstUpperRoman: return 1;
    default: return 23;
  }
}

Integer ListJc(TVLMarkerAlignment a) {
  switch (a) {
    case vlmaCenter: return 1;
    case vlmaRight: return 2;
    default: return 0;
  }
}

// The one-character fallback of a UTF-16 unit in codePage ("\'hh" or a
// plain ASCII character), empty when the code page cannot hold it.
AnsiString Fallback(char16_t c, Cardinal codePage) {
  if (c >= 0xD800 && c <= 0xDFFF) return {};
  // The code-page converter is slow per character; entries repeat the same
  // few hundred characters.
  thread_local Cardinal cachedCodePage = 0;
  thread_local std::unordered_map<char16_t, AnsiString> cache;
  if (cachedCodePage != codePage) {
    cache.clear();
    cachedCodePage = codePage;
  }
  if (auto it = cache.find(c); it != cache.end()) return it->second;
  bool lossless = false;
  const AnsiString a = WideToAnsi(WideString(1, c), codePage, lossless);
  AnsiString r = !lossless || a.size() != 1 ? AnsiString() : MakeRTFStr(a, false);
  cache.emplace(c, r);
  return r;
}

AnsiString UnitsToRTF(const WideString& w, Cardinal codePage, bool rtfCode, bool asName) {
  AnsiString r;
  r.reserve(w.size() + 8);
  for (char16_t c : w) {
    if (c >= 1 && c <= 127) {
      char ch = static_cast<char>(c);
      if (asName && (ch == '\\' || ch == '{' || ch == '}')) ch = '_';
      if (!rtfCode && !asName && (ch == '\\' || ch == '{' || ch == '}')) r += '\\';
      if (static_cast<unsigned char>(ch) < 26) {
        r += "\\'" + Hex2(ch);
        continue;
      }
      r += ch;
      continue;
    }
    const AnsiString fb = Fallback(c, codePage);
    const AnsiString u = "\\u" + I(static_cast<int16_t>(c));
    if (fb.empty())
      r += "\\uc0" + u + " \\uc1 ";
    else
      r += u + fb;
  }
  return r;
}

// A run in the Symbol or Wingdings font: readers take its bytes for
// Latin-1 letters ("\'d2" an "Ò" where the font shows "®"), so each code
// the font shows as a character goes out as \u of that character, the code
// as the fallback of readers without \u (a character beyond 16 bits as its
// surrogate pair). The reader takes such a \u in the Symbol font back as
// its code. Part is raw UTF-16 or the item's bytes.
AnsiString SymbolRunToRTF(const AnsiString& part, bool unicode, const String& fontName, Cardinal textCodePage,
                          Cardinal docCodePage) {
  const WideString units = unicode ? RawUnicodeToWideString(part) : WideString(part.begin(), part.end());
  AnsiString r;
  size_t from = 0;
  const auto flush = [&](size_t to) {
    if (to <= from) return;
    r += unicode ? UnitsToRTF(units.substr(from, to - from), docCodePage, false, false)
                 : VLAnsiToRTF(part.substr(from, to - from), textCodePage, docCodePage, false);
  };
  for (size_t i = 0; i < units.size(); ++i) {
    const char16_t c = unicode ? units[i] : static_cast<unsigned char>(part[i]);
    // Digits and most punctuation show as themselves.
    const char32_t shown = SymbolFontCharToUnicode(fontName.c_str(), c);
    if (!shown || shown == c) continue;
    flush(i);
    from = i + 1;
    const unsigned code = c >= 0xF000 ? c - 0xF000u : c;
    // As hex: a digit would run on into the number before it.
    const AnsiString fallback = "\\'" + Hex2(static_cast<Byte>(code));
    if (shown < 0x10000) {
      r += "\\u" + I(static_cast<int16_t>(shown)) + fallback;
    } else {
      const auto high = static_cast<char16_t>(0xD800 + ((shown - 0x10000) >> 10));
      const auto low = static_cast<char16_t>(0xDC00 + ((shown - 0x10000) & 0x3FF));
      r += "\\uc0\\u" + I(static_cast<int16_t>(high)) + "\\uc1\\u" + I(static_cast<int16_t>(low)) + fallback;
    }
  }
  flush(units.size());
  return r;
}

}  // namespace

void VLSetRTFRandomSeed(uint32_t seed) { Rng().seed(seed); }

AnsiString VLUtf8ToRTF(const String& s, Cardinal codePage, bool asName) {
  return UnitsToRTF(Utf8ToWide(s), codePage, false, asName);
}

AnsiString VLRawUnicodeToRTF(const AnsiString& raw, Cardinal codePage, bool rtfCode) {
  return UnitsToRTF(RawUnicodeToWideString(raw), codePage, rtfCode, false);
}

AnsiString VLAnsiToRTF(const AnsiString& s, Cardinal textCodePage, Cardinal docCodePage,
                       bool rtfCode) {
  if (ResolveCodePage(textCodePage) == ResolveCodePage(docCodePage)) return MakeRTFStr(s, rtfCode);
  return UnitsToRTF(AnsiToWide(s, textCodePage), docCodePage, rtfCode, false);
}

Integer VLRTFColorIndex(const TVLColorList& colors, TColor color) {
  if (color == clNone) return 0;
  const Integer i = colors.IndexOf(color);
  return i < 0 ? 0 : i;
}

namespace {
constexpr Int64 RTFNumberMax = 2147483647;
}  // namespace

Integer VLRTFTwips(Integer pixels, double twipsPerPixel) {
  const double twips = std::round(static_cast<double>(pixels) * twipsPerPixel);
  return static_cast<Integer>(std::clamp(twips, -static_cast<double>(RTFNumberMax), static_cast<double>(RTFNumberMax)));
}

Byte VLRTFMarkerFontCharset(const TFont& font, const TVLRTFSaveTables& t) {
  return font.GetCharset() == DEFAULT_CHARSET ? CharsetOfCodePage(t.DocCodePage) : font.GetCharset();
}

AnsiString VLRTFInt(Int64 v) { return std::to_string(std::clamp(v, -RTFNumberMax, RTFNumberMax)); }

Integer TVLRTFFontTable::IndexOf(const String& fontName, Byte charset) const {
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->Charset == charset && AnsiSameText(Items(i)->FontName, fontName)) return i;
  return -1;
}

Integer TVLRTFFontTable::AddUnique(const String& fontName, Byte charset) {
  const Integer i = IndexOf(fontName, charset);
  if (i >= 0) return i;
  auto item = std::make_unique<TVLRTFFontTableItem>();
  item->FontName = fontName;
  item->Charset = charset;
  return Add(std::move(item));
}

// ---------------------------------------------------------------------------
// The copy of the view.

namespace {
TVLRTFCopyWriter& CopyWriterSlot() {
  static TVLRTFCopyWriter writer = [](TCustomVLData& data, TStream& stream) {
    return data.SaveRTFToStream(stream, true, 0, clWindow, nullptr, nullptr);
  };
  return writer;
}
}  // namespace

void VLRegisterRTFCopyWriter(TVLRTFCopyWriter writer) { CopyWriterSlot() = std::move(writer); }
const TVLRTFCopyWriter& VLGetRTFCopyWriter() { return CopyWriterSlot(); }

// ---------------------------------------------------------------------------
// Hooks, answered through the absolute root's events.

bool TCustomVLData::SaveItemToFile(const String& path, Integer itemNo, Integer saveFormat,
                                   bool unicode, AnsiString& text) {
  TVLExportEvents* ev = GetAbsoluteRootData()->GetExportEvents();
  return ev && ev->OnSaveItemToFile && ev->OnSaveItemToFile(path, this, itemNo, saveFormat, unicode, text);
}

AnsiString TCustomVLData::SaveComponentToFile(const String& path, TControl* control,
                                              Integer saveFormat) {
  AnsiString text;
  TVLExportEvents* ev = GetAbsoluteRootData()->GetExportEvents();
  if (ev && ev->OnSaveComponentToFile) ev->OnSaveComponentToFile(path, control, saveFormat, text);
  return text;
}

void TCustomVLData::DoWriteHyperlink(Integer id, Integer itemNo, Integer saveFormat,
                                     String& target, String& extras) {
  target.clear();
  extras.clear();
  TVLExportEvents* ev = GetAbsoluteRootData()->GetExportEvents();
  if (ev && ev->OnWriteHyperlink) ev->OnWriteHyperlink(this, id, itemNo, saveFormat, target, extras);
}

AnsiString TCustomVLData::DoSaveRTFExtra(Integer area, TObject* obj, bool inStyleSheet,
                                         Integer itemNo, Integer index) {
  AnsiString text;
  TVLExportEvents* ev = GetAbsoluteRootData()->GetExportEvents();
  if (ev && ev->OnSaveRTFExtra) ev->OnSaveRTFExtra(area, obj, text, inStyleSheet, itemNo, index);
  return text;
}

AnsiString TCustomVLData::DoSaveHTMLExtra(Integer area, bool css) {
  AnsiString text;
  TVLExportEvents* ev = GetAbsoluteRootData()->GetExportEvents();
  if (ev && ev->OnSaveHTMLExtra) ev->OnSaveHTMLExtra(area, css, text);
  return text;
}

AnsiString TCustomVLData::DoSaveParaHTMLExtra(Integer itemNo, bool isStart, bool css) {
  AnsiString text;
  TVLExportEvents* ev = GetAbsoluteRootData()->GetExportEvents();
  if (ev && ev->OnSaveParaHTMLExtra) ev->OnSaveParaHTMLExtra(this, itemNo, isStart, css, text);
  return text;
}

void TCustomVLData::DoHTMLSaveImage(Integer itemNo, const String& path, TColor backColor,
                                    bool& doDefault, String& location) {
  TVLExportEvents* ev = GetAbsoluteRootData()->GetExportEvents();
  if (ev && ev->OnHTMLSaveImage) ev->OnHTMLSaveImage(this, itemNo, path, backColor, doDefault, location);
}

// ---------------------------------------------------------------------------
// Tables

void TCustomVLData::MakeRTFTables(TVLColorList& colorList, TVLIntegerList& listOverrideCountList,
                                  bool reset) {
  TVLStyle* style = GetStyle();
  if (reset) {
    colorList.Clear();
    listOverrideCountList.Clear();
    for (TColor c : FixedColors) colorList.Add(c);
    if (style) {
      for (Integer i = 0; i < style->TextStyles->Count(); ++i) {
        const TFontInfo& f = *style->TextStyles->Items(i);
        colorList.AddUnique(f.Color);
        colorList.AddUnique(f.BackColor);
        colorList.AddUnique(f.HoverColor);
        colorList.AddUnique(f.HoverBackColor);
      }
      for (Integer i = 0; i < style->ParaStyles->Count(); ++i) {
        const TParaInfo& p = *style->ParaStyles->Items(i);
        if (p.Border.Style != vlbNone) colorList.AddUnique(p.Border.Color);
        colorList.AddUnique(p.Background.Color);
      }
      for (Integer i = 0; i < style->ListStyles->Count(); ++i) {
        listOverrideCountList.Add(1);
        TVLListLevelCollection& levels = *style->ListStyles->Items(i)->Levels;
        for (Integer k = 0; k < levels.Count(); ++k)
          if (levels.Items(k)->UsesFont()) colorList.AddUnique(levels.Items(k)->GetFont()->GetColor());
      }
    }
  }
  for (Integer i = 0; i < GetItemCount(); ++i) {
    TCustomVLItemInfo* item = GetItem(i);
    if (item->StyleNo < 0) item->FillRTFTables(colorList, listOverrideCountList, this);
  }
}

namespace {

// The writer of one call of SaveRTFToStream.
class TRTFBodyWriter {
public:
  TRTFBodyWriter(TCustomVLData& data, TStream& stream, TVLRTFSaveTables& t, Integer level)
      : D(data), S(stream), T(t), Level(level), Style(data.GetStyle()),
        Options(data.GetRTFOptions()) {}

  AnsiString CharFormat(Integer styleNo, bool inStyleSheet) {
    const Integer count = Style->TextStyles->Count();
    if (styleNo < 0 || styleNo >= count) styleNo = 0;
    const TFontInfo& f = *Style->TextStyles->Items(styleNo);
    const TFontInfo& f0 = *Style->TextStyles->Items(0);
    AnsiString r;
    if (styleNo < T.StyleToFont.Count()) r += "\\f" + I(T.StyleToFont[styleNo]);
    if (f.Style.Contains(fsBold)) r += "\\b";
    if (f.Style.Contains(fsItalic)) r += "\\i";
    if (f.Style.Contains(fsUnderline)) r += "\\ul";
    if (f.Style.Contains(fsStrikeOut)) r += "\\strike";
    if (f.VShift < 0) r += "\\sub";
    if (f.VShift > 0) r += "\\super";
    if (f.CharScale != 100) r += "\\charscalex" + I(f.CharScale);
    if (f.CharSpacing != 0) r += "\\expndtw" + I(VLRTFTwips(f.CharSpacing, T.TwipsPerPixel));
    if (f.StyleEx.Contains(vlfsAllCaps)) r += "\\caps";
    if (f.BiDiMode == vlbdLeftToRight) r += "\\ltrch";
    if (f.BiDiMode == vlbdRightToLeft) r += "\\rtlch";
    if (f.Charset != 1 && f.Charset != f0.Charset && CharsetToLanguage(f.Charset) != 0)
      r += "\\lang" + I(CharsetToLanguage(f.Charset));
    r += "\\fs" + I(f.VShift != 0 ? f.Size * 4 : f.Size * 2);
    if (f.BackColor != clNone) r += "\\chcbpat" + I(VLRTFColorIndex(T.ColorList, f.BackColor));
    if (f.Color != clWindowText) r += "\\cf" + I(VLRTFColorIndex(T.ColorList, f.Color));
    r += D.DoSaveRTFExtra(0, const_cast<TFontInfo*>(&f), inStyleSheet, -1, styleNo);
    return r + " ";
  }

  AnsiString ParaFormat(Integer paraNo, bool inStyleSheet, const TCustomVLItemInfo* markerItem) {
    const Integer count = Style->ParaStyles->Count();
    const TParaInfo& p = *Style->ParaStyles->Items(paraNo < 0 || paraNo >= count ? 0 : paraNo);
    const double tpp = T.TwipsPerPixel;
    auto tw = [tpp](Integer v) { return I(VLRTFTwips(v, tpp)); };
    static const char* const aligns[] = {"l", "r", "c", "j"};
    AnsiString r;
    if (p.LineSpacingType == vllsPercent && p.LineSpacing >= 101)
      r += "\\sl" + I(p.LineSpacing * 240 / 100) + "\\slmult1";
    const TVLListLevel* lvl = nullptr;
    if (markerItem && markerItem->StyleNo == vlsListMarker)
      lvl = static_cast<const TVLMarkerItemInfo*>(markerItem)->GetLevelInfo(Style);
    if (lvl)
      r += "\\li" + tw(lvl->LeftIndent) + "\\fi" + tw(lvl->MarkerIndent - lvl->LeftIndent) +
           "\\jclisttab\\tx" + tw(lvl->FirstIndent + lvl->LeftIndent);
    else
      r += "\\fi" + tw(p.FirstIndent) + "\\li" + tw(p.LeftIndent);
    r += AnsiString("\\q") + aligns[p.Alignment] + "\\ri" + tw(p.RightIndent) + "\\sb" +
         tw(p.SpaceBefore) + "\\sa" + tw(p.SpaceAfter);
    if (p.BiDiMode == vlbdLeftToRight) r += "\\ltrpar";
    if (p.BiDiMode == vlbdRightToLeft) r += "\\rtlpar";
    if (p.Background.Color != clNone) r += "\\cbpat" + I(VLRTFColorIndex(T.ColorList, p.Background.Color));
    const TVLBorder& b = p.Border;
    if (b.Style != vlbNone && b.Color != clNone) {
      r += "\\brdrbtw";
      AnsiString kind, kind2;
      switch (b.Style) {
        case vlbSingle: kind = kind2 = "s"; break;
        case vlbDouble: kind = kind2 = "th"; break;
        case vlbTriple: kind = kind2 = "triple"; break;
        case vlbThickInside: kind = "thtnmg"; kind2 = "tnthmg"; break;
        default: kind = "tnthmg"; kind2 = "thtnmg"; break;
      }
      const Integer w = (b.Style == vlbThickInside || b.Style == vlbThickOutside) ? b.Width * 2 : b.Width;
      const AnsiString tail = "\\brdrcf" + I(VLRTFColorIndex(T.ColorList, b.Color)) + "\\brdrw" + tw(w);
      const AnsiString B = "\\brdr" + kind + tail, B2 = "\\brdr" + kind2 + tail;
      const TVLRect& o = b.BorderOffsets;
      if (b.VisibleBorders.Left) r += "\\brdrl\\brsp" + tw(o.Left) + B;
      if (b.VisibleBorders.Top) r += "\\brdrt\\brsp" + tw(o.Top) + B;
      if (b.VisibleBorders.Right) r += "\\brdrr\\brsp" + tw(o.Right) + B2;
      if (b.VisibleBorders.Bottom) r += "\\brdrb\\brsp" + tw(o.Bottom) + B2;
    }
    if (!inStyleSheet) {
      r += "\\itap" + I(Level);
      if (Level == 1) r += "\\intbl";
    }
    r += D.DoSaveRTFExtra(1, const_cast<TParaInfo*>(&p), inStyleSheet, -1, paraNo);
    return r + " ";
  }

  void Bookmark(const TVLCPInfo& cp) {
    AnsiString name = cp.Name.empty() ? "VellumCheckpoint" + I(CPCounter)
                                      : MakeRTFBookmarkName(Utf8ToAnsi(cp.Name, 1252));
    ++CPCounter;
    W(S, "{\\*\\bkmkstart " + name + "}{\\*\\bkmkend " + name + "}");
  }

  void Body(Integer startNo, Integer startOffs, Integer endNo, Integer endOffs, bool selectionOnly) {
    const bool saveStyleSheet = Options.Contains(vlrtfSaveStyleSheet);
    bool firstPara = true;
    if (selectionOnly) {
      const Integer ps = D.GetParaStartItem(startNo);
      if (ps != startNo && D.GetItem(ps)->StyleNo == vlsListMarker) {
        D.GetItem(ps)->SaveRTF(S, &D, ps, D.GetItemTextA(ps), Level, T);
        firstPara = false;
      }
    }
    for (Integer i = startNo; i <= endNo; ++i) {
      TCustomVLItemInfo* item = D.GetItem(i);
      const AnsiString& text = D.Items->Get(i);
      const bool isText = item->StyleNo >= 0;
      if (!(startNo == endNo && isText)) {
        if (i == startNo && D.GetItemEndOffset(i) <= startOffs && !text.empty()) continue;
        if (i == endNo && D.GetItemStartOffset(i) >= endOffs && !text.empty()) continue;
      }
      const bool fullLine = item->GetBoolValue(0);
      if (!item->GetSameAsPrev()) {
        W(S, "\r\n");
        if (fullLine && item->GetPageBreakBefore()) W(S, "\\page");
        if (!item->GetBR()) {
          // A table's last \row ends its paragraph: a \par after it would
          // be read as an empty paragraph more. Between two tables it keeps
          // them apart.
          const bool afterTable = i > 0 && D.GetItem(i - 1)->StyleNo == vlsTable && item->StyleNo != vlsTable;
          if (!firstPara && !afterTable) {
            if (i > 0 && D.GetItem(D.GetParaStartItem(i - 1))->StyleNo == vlsListMarker) W(S, "\\plain");
            W(S, "\\par");
          }
          firstPara = false;
          if (!fullLine && item->GetPageBreakBefore()) W(S, "\\page");
          W(S, "\\pard");
          if (saveStyleSheet) W(S, "\\s" + I(item->ParaNo));
          W(S, ParaFormat(item->ParaNo, false, item));
        } else {
          W(S, "\\line");
        }
      }
      if (item->Checkpoint) Bookmark(*item->Checkpoint);
      bool field = false;
      if (item->GetBoolValueEx(1, Style)) {
        String target, extras;
        D.DoWriteHyperlink(item->JumpID, i, vlsfRTF, target, extras);
        if (!target.empty() || !extras.empty()) {
          AnsiString t = VLUtf8ToRTF(target, T.DocCodePage, false);
          AnsiString x = VLUtf8ToRTF(extras, T.DocCodePage, false);
          // A quote would end the field's target early.
          t = ReplaceAllOnce(t, "\"", "%22");
          if (!x.empty()) x = " " + x;
          W(S, "{\\field{\\*\\fldinst{HYPERLINK \"" + t + "\"" + x + "}}{\\fldrslt");
          field = true;
        }
      }
      const Integer actual = isText ? D.GetItemActualStyle(item) : item->StyleNo;
      const TFontInfo* fi = isText ? Style->TextStyles->Items(actual) : nullptr;
      if (isText && (fi->Options.Contains(vlteoRTFCode) || !fi->Options.Contains(vlteoHTMLCode))) {
        const Byte opts = item->ItemOptions;
        AnsiString part = text;
        if (i == startNo && i == endNo)
          part = TextCopy(text, startOffs, endOffs - startOffs, opts);
        else if (i == startNo)
          part = TextCopy(text, startOffs, TextLength(text, opts) - startOffs + 1, opts);
        else if (i == endNo)
          part = TextCopy(text, 1, endOffs - 1, opts);
        // Some readers take \plain for the end of the table the text is in.
        W(S, Level > 0 ? "\\plain\\intbl " : "\\plain ");
        if (saveStyleSheet) W(S, "\\cs" + I(Style->ParaStyles->Count() + actual));
        W(S, CharFormat(actual, false));
        AnsiString hooked;
        if (D.SaveItemToFile(String(), i, vlsfRTF, false, hooked)) {
          W(S, hooked);
        } else {
          const bool rtfCode = fi->Options.Contains(vlteoRTFCode);
          if (!rtfCode && SymbolCodeFontOf(fi->FontName.c_str()) != TSymbolCodeFont::None)
            W(S, SymbolRunToRTF(part, item->IsUnicode(), fi->FontName, D.GetStyleCodePage(actual), T.DocCodePage));
          else if (item->IsUnicode())
            W(S, VLRawUnicodeToRTF(part, T.DocCodePage, rtfCode));
          else
            W(S, VLAnsiToRTF(part, D.GetStyleCodePage(actual), T.DocCodePage, rtfCode));
        }
      } else {
        AnsiString hooked;
        if (D.SaveItemToFile(String(), i, vlsfRTF, false, hooked))
          W(S, hooked);
        else
          item->SaveRTF(S, &D, i, text, Level, T);
      }
      if (field) W(S, "}}");
    }
    if (D.NotAddedCP) Bookmark(*D.NotAddedCP);
    if (Level == 0 && endNo > startNo) {
      TCustomVLItemInfo* last = D.GetItem(endNo);
      if (last->IsParaStart() && last->StyleNo >= 0 && D.Items->Get(endNo).empty()) W(S, "\\par");
    }
  }

  void FontTable() {
    T.FontTable.Clear();
    T.StyleToFont.Clear();
    for (Integer i = 0; i < Style->TextStyles->Count(); ++i) {
      const TFontInfo& f = *Style->TextStyles->Items(i);
      // The bytes of an 8-bit style are in its code page: a "default"
      // charset would leave readers to guess it.
      const Byte charset = !f.Unicode && f.Charset == DEFAULT_CHARSET ? CharsetOfCodePage(D.GetStyleCodePage(i))
                                                                      : f.Charset;
      T.StyleToFont.Add(T.FontTable.AddUnique(f.FontName, charset));
    }
    for (Integer i = 0; i < Style->ListStyles->Count(); ++i) {
      TVLListLevelCollection& levels = *Style->ListStyles->Items(i)->Levels;
      for (Integer k = 0; k < levels.Count(); ++k)
        if (levels.Items(k)->UsesFont()) {
          TFont* font = levels.Items(k)->GetFont();
          T.FontTable.AddUnique(font->GetName(), VLRTFMarkerFontCharset(*font, T));
        }
    }
  }

  void LevelTexts(const TVLListLevel& lvl, AnsiString& levelText, AnsiString& levelNumbers) {
    levelNumbers.clear();
    switch (lvl.ListType) {
      case vllstBullet:
        levelText = "\\'" + Hex2(static_cast<Integer>(lvl.FormatString.size())) +
                    MakeRTFStr(lvl.FormatString, false);
        return;
      case vllstPicture:
      case vllstImageList: levelText = "\\'00"; return;
      case vllstUnicodeBullet:
        levelText = "\\'" + Hex2(static_cast<Integer>(lvl.FormatStringW.size())) +
                    VLRawUnicodeToRTF(WideStringToRawUnicode(lvl.FormatStringW), T.DocCodePage, false);
        return;
      default: break;
    }
    TVLLevelTexts places{}, codes{};
    for (Integer k = 0; k < 9; ++k) {
      places[static_cast<size_t>(k)] = "\\'" + Hex2(k);
      codes[static_cast<size_t>(k)] = AnsiString(1, static_cast<char>(k));
    }
    // The literal parts are escaped first; the place holders hold no
    // character that the escaping changes.
    const AnsiString t = VLFormatMarkerText(MakeRTFStr(lvl.FormatString, false), places);
    const AnsiString r = VLFormatMarkerText(lvl.FormatString, codes);
    for (size_t p = 0; p < r.size(); ++p)
      if (static_cast<unsigned char>(r[p]) < 9) levelNumbers += "\\'" + Hex2(static_cast<Integer>(p + 1));
    levelText = "\\'" + Hex2(static_cast<Integer>(r.size())) + t;
  }

  void ListTables(Integer startNo, Integer endNo) {
    const Integer listCount = Style->ListStyles->Count();
    if (listCount == 0) {
      W(S, "\r\n");
      return;
    }
    TVLIntegerList listIds, templateIds;
    const double tpp = T.TwipsPerPixel;
    W(S, "{\\*\\listtable");
    for (Integer i = 0; i < listCount; ++i) {
      TVLListLevelCollection& levels = *Style->ListStyles->Items(i)->Levels;
      const Integer templ = RandomId(listIds);
      templateIds.Add(templ);
      W(S, "{\\list\\listtemplateid" + I(templ));
      if (levels.Count() == 1) W(S, "\\listsimple1");
      W(S, "\r\n");
      const Integer written = levels.Count() == 1 ? 1 : (levels.Count() > 1 ? 9 : 0);
      for (Integer k = 0; k < written; ++k) {
        TVLListLevel& lvl = *levels.Items(std::min(k, levels.Count() - 1));
        const Integer nfc = ListNfc(lvl.ListType);
        W(S, "{\\listlevel\\levelnfc" + I(nfc) + "\\leveljc" + I(ListJc(lvl.MarkerAlignment)) + "\\li" +
                 I(VLRTFTwips(lvl.LeftIndent, tpp)) + "\\fi" +
                 I(VLRTFTwips(lvl.MarkerIndent - lvl.LeftIndent, tpp)) + "\\jclisttab\\tx" +
                 I(VLRTFTwips(lvl.FirstIndent + lvl.LeftIndent, tpp)));
        if (nfc != 23) W(S, "\\levelstartat" + I(lvl.StartFrom));
        if (lvl.Options.Contains(vlloLegalStyleNumbering)) W(S, "\\levellegal1");
        if (!lvl.Options.Contains(vlloLevelReset)) W(S, "\\levelnorestart1");
        AnsiString lt, ln;
        LevelTexts(lvl, lt, ln);
        W(S, "{\\leveltext" + lt + ";}{\\levelnumbers" + ln + ";}");
        if (lvl.UsesFont()) W(S, VLRTFMarkerFontWords(lvl, Style, T));
        W(S, "}\r\n");
      }
      const Integer id = RandomId(templateIds);
      listIds.Add(id);
      W(S, "\\listid" + I(id) + "}\r\n");
    }
    W(S, "}\r\n");
    // List override table.
    W(S, "{\\*\\listoverridetable\r\n");
    Integer n = 1;
    TVLMarkerList* markers = D.GetMarkers(false);
    for (Integer i = 0; i < listCount; ++i) {
      W(S, "{\\listoverride\\listid" + I(listIds[i]) + "\\listoverridecount0\\ls" + I(n) + "}\r\n");
      ++n;
      if (!markers || T.ListOverrideOffsetsList1[i] <= 1) continue;
      for (Integer m = 0; m < markers->Count(); ++m) {
        TVLMarkerItemInfo* mk = markers->Get(m);
        if (mk->ListNo != i || !mk->RTFRestartsList(Style)) continue;
        W(S, "{\\listoverride\\listid" + I(listIds[i]) + "\\listoverridecount" + I(mk->Level + 1));
        for (Integer k = 0; k < mk->Level; ++k) W(S, "{\\lfolevel}");
        W(S, "{\\lfolevel\\listoverridestartat\\levelstartat" + I(mk->StartFrom) + "}\\ls" + I(n) + "}\r\n");
        ++n;
      }
    }
    W(S, "}\r\n");
    (void)startNo;
    (void)endNo;
    TVLIntegerList& l1 = T.ListOverrideOffsetsList1;
    Integer prevCount = 0, prevFirst = 0;
    for (Integer k = 0; k < l1.Count(); ++k) {
      const Integer count = l1[k];
      const Integer first = k == 0 ? 1 : prevFirst + prevCount;
      l1.Put(k, first);
      prevFirst = first;
      prevCount = count;
    }
  }

  void Header(Integer startNo, Integer endNo) {
    const Integer lang = CharsetToLanguage(Style->TextStyles->Items(0)->Charset);
    W(S, "{\\rtf1\\ansi\\ansicpg" + I(static_cast<Integer>(T.DocCodePage)) + "\\uc1\\deff0\\deflang" +
             I(lang) + "\\deflangfe" + I(lang));
    if (D.GetBiDiMode() == vlbdLeftToRight) W(S, "\\ltrdoc");
    if (D.GetBiDiMode() == vlbdRightToLeft) W(S, "\\rtldoc");
    W(S, "{\\fonttbl");
    for (Integer i = 0; i < T.FontTable.Count(); ++i) {
      const TVLRTFFontTableItem& f = *T.FontTable.Items(i);
      W(S, "{\\f" + I(i) + "\\fnil\\fcharset" + I(f.Charset) + " " +
               ReplaceAllOnce(VLUtf8ToRTF(f.FontName, T.DocCodePage, true), ";", "_") + ";}");
    }
    W(S, "}{\\colortbl;");
    for (Integer i = 1; i < T.ColorList.Count(); ++i) {
      const TColor c = ColorToRGB(T.ColorList[i]);
      W(S, "\\red" + I(c & 0xFF) + "\\green" + I((c >> 8) & 0xFF) + "\\blue" + I((c >> 16) & 0xFF) + ";");
    }
    W(S, "}");
    if (Options.Contains(vlrtfSaveStyleSheet)) {
      // A ";" would end the name: it goes escaped.
      auto nameInRTF = [&](const String& name) {
        return StringReplace(VLUtf8ToRTF(name, T.DocCodePage, true), ";", "\\'3b", rfReplaceAll);
      };
      W(S, "{\\stylesheet");
      const Integer paraCount = Style->ParaStyles->Count();
      for (Integer i = 0; i < paraCount; ++i) {
        W(S, "{\\s" + I(i) + ParaFormat(i, true, nullptr) +
                 nameInRTF(Style->ParaStyles->Items(i)->StyleName) + ";}");
      }
      for (Integer j = 0; j < Style->TextStyles->Count(); ++j)
        W(S, "{\\*\\cs" + I(paraCount + j) + CharFormat(j, true) +
                 nameInRTF(Style->TextStyles->Items(j)->StyleName) + ";}");
      W(S, "}");
    }
    ListTables(startNo, endNo);
    T.ListOverrideOffsetsList2 = T.ListOverrideOffsetsList1;
    W(S, D.DoSaveRTFExtra(4, nullptr, false, -1, -1) + "\r\n");
  }

  TCustomVLData& D;
  TStream& S;
  TVLRTFSaveTables& T;
  Integer Level;
  TVLStyle* Style;
  TVLRTFOptions Options;
  Integer CPCounter = 0;
};

}  // namespace

bool TCustomVLData::SaveRTFToStream(TStream& stream, bool selectionOnly, Integer level, TColor color,
                                    const TBitmap* background, TVLRTFSaveTables* tables) {
  if (selectionOnly)
    if (TCustomVLData* sub = GetActiveSubVLData())
      return sub->SaveRTFToStream(stream, selectionOnly, level, color, background, tables);
  if (!GetStyle()) return false;
  Integer startNo, endNo, startOffs, endOffs, startPart, endPart;
  GetSaveRange(selectionOnly, startNo, endNo, startOffs, endOffs, startPart, endPart);
  // Nothing to write: inside another document that is nothing, but a
  // document of its own (an empty entry, a copy of a paragraph's end) is
  // still one a reader can open.
  const bool empty = startNo < 0 || endNo < startNo;
  if (empty && tables) return true;
  std::unique_ptr<TVLRTFSaveTables> own;
  if (!tables) {
    own = std::make_unique<TVLRTFSaveTables>();
    tables = own.get();
  }
  TRTFBodyWriter w(*this, stream, *tables, level);
  if (own) {
    tables->TwipsPerPixel = 1440.0 / VLScreenPixelsPerInch;
    tables->DocCodePage = ResolveCodePage(GetDefaultCodePage());
    w.FontTable();
    MakeRTFTables(tables->ColorList, tables->ListOverrideOffsetsList1, true);
    if (color != clWindow) tables->ColorList.AddUnique(color);
    w.Header(startNo, endNo);
    // Every \u carries its fallback (or says it has none), whatever the
    // duplication option, so readers that skip one character stay in step.
    W(stream, "\\uc1");
  }
  if (!empty) w.Body(startNo, startOffs, endNo, endOffs, selectionOnly);
  if (own) W(stream, "}");
  return true;
}

bool TCustomVLData::SaveRTF(const String& fileName, bool selectionOnly, TColor color,
                            const TBitmap* background) {
  TFileStream stream(fileName, fmCreate);
  return SaveRTFToStream(stream, selectionOnly, 0, color, background, nullptr);
}
