#include "richtext/rtf/VLRTFListImport.h"

#include "platform/base/CodePages.h"
#include "platform/gui/SymbolEncoding.h"
#include "richtext/rtf/VLRTFImport.h"

#include <algorithm>

namespace {
AnsiString EscapePercent(const AnsiString& s) {
  AnsiString r;
  for (char c : s) {
    if (c == '%') r += '%';
    r += c;
  }
  return r;
}

bool SameName(const String& a, const String& b) { return WideLowerCase(Utf8ToWide(a)) == WideLowerCase(Utf8ToWide(b)); }

TColor MarkerColor(TColor c) { return c == rtf_clAuto ? clWindowText : c; }
}  // namespace

TVLListType RTFNumberTypeToListType(Integer type) {
  switch (type) {
    case 2: return vllstLowerAlpha;
    case 3: return vllstUpperAlpha;
    case 4: return vllstLowerRoman;
    case 5: return vllstUpperRoman;
    case 6:
    case 7: return vllstBullet;
    default: return vllstDecimal;
  }
}

TVLRTFLevelFormat RTFLevelFormat(const TVLRTFListLevel97& level, const AnsiString& fontName) {
  TVLRTFLevelFormat f;
  f.ListType = RTFNumberTypeToListType(level.Type);
  const AnsiString text = level.LevelText.empty() ? AnsiString() : level.LevelText.substr(1);
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 10) {
      // A level without a number shows only its text around the numbers.
      if (level.Type == 7) continue;
      // Placeholders beyond the nine levels a list can have stay out.
      f.FormatString += b == 0 ? AnsiString("%s") : "%" + std::to_string(b) + ":s";
      f.Alternative += "%" + std::to_string(b) + ":s";
    } else {
      f.FormatString += EscapePercent(AnsiString(1, c));
      f.Alternative += EscapePercent(AnsiString(1, c));
    }
  }
  if (f.ListType == vllstBullet && level.LevelTextW.size() > 1) {
    f.ListType = vllstUnicodeBullet;
    f.BulletW = level.LevelTextW.substr(1);
    AnsiString lower = fontName;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (f.BulletW.size() == 1) {
      const char16_t u = f.BulletW[0];
      // A symbol font's private-use bullet that has a Unicode equivalent is
      // that character: the fonts here may not draw the private one.
      if (SymbolFontCharToUnicode(lower.c_str(), u)) {
        f.BulletW = SymbolFontTextShown(lower.c_str(), f.BulletW);
        return f;
      }
      if ((lower == "symbol" && u >= 0xF0A1 && u <= 0xF0FE) || (lower == "wingdings" && u >= 0xF021 && u <= 0xF0FF)) {
        f.FormatString = AnsiString(1, static_cast<char>(u - 0xF000));
        f.Alternative = f.FormatString;
        f.ListType = vllstBullet;
      }
    }
  }
  return f;
}

void TVLRTFListImport::FillLevelCache() {
  if (FLevelCache.Count() == 0) FLevelCache.Fill(-1, 11);
}

void TVLRTFListImport::MarkerAdded(Integer index) {
  FLastMarker = index;
  FLastMarkerData = P.CurrentData;
}

bool TVLRTFListImport::BeforeNewParagraph(Integer paraNo) {
  if (P.ParaStyleMode != vlrsAddIfNeeded || !P.Reader) return false;
  const TVLRTFParaProperties& para = P.Reader->RTFState.ParaProps;
  if (!para.HasMarker()) FLevelCache.Clear();
  if (para.HasMarker() && para.Marker->Level > 0) {
    FillLevelCache();
    const Integer level = std::clamp(para.Marker->Level, 1, 11);
    auto marker = std::make_unique<TVLMarkerItemInfo>(P.CurrentData);
    marker->StyleNo = vlsListMarker;
    marker->ListNo = -1;
    marker->Level = -1;
    marker->StartFrom = para.Marker->Start;
    marker->Reset = FLevelCache.Get(level - 1) < 0;
    marker->ParaNo = paraNo;
    marker->BeforeLoading(2);
    FOldStyle = true;
    AnsiString text;
    P.AddItem(text, std::move(marker), rtf_ts_NewPara);
    return true;
  }
  const Integer ovr = para.ListOverrideIndex;
  if (ovr < 0 || ovr >= static_cast<Integer>(P.Reader->ListOverrideTable.size())) return false;
  const TVLRTFListOverride97& o = *P.Reader->ListOverrideTable[static_cast<size_t>(ovr)];
  // An override naming no list leaves the paragraph unnumbered.
  if (o.ListIndex < 0 || o.ListIndex >= static_cast<Integer>(P.Reader->ListTable.size())) return false;
  // A list table read again later in the document is mapped again.
  if (!FListMap || FMappedTable != P.Reader->ListTableReads()) ImportListTable();
  const Integer listNo = FListMap->Get(o.ListIndex);
  const TVLListInfo* list = P.Style->ListStyles->Items(listNo);
  const Integer levels = list && list->Levels ? list->Levels->Count() : 0;
  if (levels == 0) return false;
  const Integer level = std::clamp(para.ListLevel, 0, levels - 1);
  Integer start = 1;
  bool reset = false;
  if (level < static_cast<Integer>(o.Levels.size())) {
    start = o.Levels[static_cast<size_t>(level)]->Start;
    reset = o.Levels[static_cast<size_t>(level)]->StartAtGiven;
  }
  auto marker = std::make_unique<TVLMarkerItemInfo>(P.CurrentData);
  marker->StyleNo = vlsListMarker;
  marker->ListNo = listNo;
  marker->Level = level;
  marker->StartFrom = start;
  marker->Reset = reset;
  marker->ParaNo = paraNo;
  marker->BeforeLoading(2);
  FOldStyle = false;
  AnsiString text;
  P.AddItem(text, std::move(marker), rtf_ts_NewPara);
  return true;
}

void TVLRTFListImport::UpdateMarker() {
  if (P.ParaStyleMode != vlrsAddIfNeeded || FLastMarker < 0 || !FLastMarkerData || !P.Reader) return;
  TCustomVLData* doc = FLastMarkerData;
  const Integer index = FLastMarker;
  FLastMarker = -1;
  if (index >= doc->GetItemCount()) return;
  auto* marker = dynamic_cast<TVLMarkerItemInfo*>(doc->GetItem(index));
  if (!marker) return;
  TVLRTFReader& reader = *P.Reader;
  if (!FOldStyle) {
    const TVLRTFParaProperties& para = reader.RTFState.ParaProps;
    if (para.ListOverrideIndex < 0 || para.ListOverrideIndex >= static_cast<Integer>(reader.ListOverrideTable.size()))
      return;
    const Integer listIndex = reader.ListOverrideTable[static_cast<size_t>(para.ListOverrideIndex)]->ListIndex;
    if (listIndex < 0 || listIndex >= static_cast<Integer>(reader.ListTable.size())) return;
    TVLRTFList97& list = *reader.ListTable[static_cast<size_t>(listIndex)];
    if (para.ListLevel < 0 || para.ListLevel >= static_cast<Integer>(list.Levels.size())) return;
    TVLRTFListLevel97& level = *list.Levels[static_cast<size_t>(para.ListLevel)];
    if (level.SizeGiven) return;
    const Integer size = reader.RTFState.CharProps.Size;
    if (marker->ListNo >= FFirstImportedList && marker->ListNo < P.Style->ListStyles->Count()) {
      TVLListInfo* style = P.Style->ListStyles->Items(marker->ListNo);
      if (marker->Level >= 0 && marker->Level < style->Levels->Count())
        style->Levels->Items(marker->Level)->GetFont()->SetSize(size);
    }
    level.Size = size;
    level.SizeGiven = true;
    return;
  }
  const TVLRTFParaProperties& para = reader.RTFState.ParaProps;
  if (!para.Marker) return;
  const Integer listNo = FindOrAddPNList(*para.Marker);
  marker->ListNo = listNo;
  if (listNo >= 0) {
    marker->Level = 0;
    doc->RecalcMarkersFrom(index, true);
  }
}

Integer TVLRTFListImport::FindOrAddPNList(const TVLRTFMarkerProperties& m) {
  TVLRTFReader& reader = *P.Reader;
  if (P.ParaStyleMode != vlrsAddIfNeeded || m.Level <= 0) return -1;
  const TVLRTFFont* font = reader.GetFont(m.FontIndex);
  if (!font) return -1;
  FillLevelCache();
  const Integer level = std::clamp(m.Level, 1, 11);
  if (level < 11 && FLevelCache.Get(level - 1) >= 0) return FLevelCache.Get(level - 1);
  const TVLRTFParaProperties& para = reader.RTFState.ParaProps;
  const Integer li = P.Twips(para.LeftIndent), fi = P.Twips(para.FirstIndent);
  const Integer ind = P.Twips(m.Indent), sp = P.Twips(m.Space);
  const TVLMarkerAlignment align = level == 11 ? vlmaLeft : static_cast<TVLMarkerAlignment>(std::clamp<Integer>(m.Alignment, 0, 2));
  const Integer firstIndent = m.Hanging ? std::max(sp, fi + ind) : std::max(0, std::max(ind, sp) + fi);
  const bool bullet = level == 11 || (level == 10 && m.Type == 0);
  const TVLListType type = bullet ? vllstBullet : RTFNumberTypeToListType(m.Type);
  const AnsiString before = EscapePercent(m.TextBefore), after = EscapePercent(m.TextAfter);
  const AnsiString format = bullet ? m.TextBefore : before + "%s" + after;
  const AnsiString alternative = bullet ? m.TextBefore : before + "%0:s" + after;
  const String fontName = m.FontIndex < 0 ? String("Symbol") : AnsiToUtf8(font->Name, reader.FontCodePage(*font));
  const TFontStyles styles = RTFFontStyles(m.Style);
  const TColor color = MarkerColor(m.Color);
  auto markerIndent = [&](Integer left, Integer first) {
    switch (align) {
      case vlmaRight: return first + left;
      case vlmaCenter: return (li + fi + first + left) / 2;
      default: return li + fi;
    }
  };
  TVLListInfos& lists = *P.Style->ListStyles;
  for (Integer i = 0; i < lists.Count(); ++i) {
    const TVLListInfo& l = *lists.Items(i);
    if (!l.Levels || l.Levels->Count() == 0) continue;
    TVLListLevel& lv = *l.Levels->Items(0);
    if (lv.ListType == type && lv.MarkerAlignment == align && lv.LeftIndent == li && lv.FirstIndent == firstIndent &&
        lv.MarkerIndent == markerIndent(lv.LeftIndent, lv.FirstIndent) && lv.GetFont()->GetSize() == m.Size &&
        lv.GetFont()->GetStyle() == styles && lv.GetFont()->GetColor() == color &&
        SameName(lv.GetFont()->GetName(), fontName) && (lv.FormatString == format || lv.FormatString == alternative)) {
      FLevelCache.Put(level - 1, i);
      return i;
    }
  }
  TVLListInfo& l = *lists.Add();
  l.Standard = false;
  TVLListLevel& lv = *l.Levels->Add();
  lv.ListType = type;
  lv.LeftIndent = li;
  lv.FirstIndent = firstIndent;
  lv.MarkerAlignment = align;
  lv.MarkerIndent = markerIndent(li, firstIndent);
  lv.GetFont()->SetSize(m.Size);
  lv.GetFont()->SetStyle(styles);
  lv.GetFont()->SetColor(color);
  lv.GetFont()->SetName(fontName);
  lv.FormatString = format;
  FLevelCache.Put(level - 1, lists.Count() - 1);
  return lists.Count() - 1;
}

namespace {
struct TLevelValues {
  TVLRTFLevelFormat Format;
  Integer Left, Marker, First;
  String FontName;
  Byte Charset;
};

TLevelValues LevelValues(TVLRTFReaderProperties& p, const TVLRTFListLevel97& level) {
  TLevelValues v;
  // An office suite may name a font missing from its table for a level and
  // give the real one (a symbol font) as the associated font.
  const Integer fontIndex =
      level.FontUndeclared && level.AssociatedFontIndex >= 0 ? level.AssociatedFontIndex : level.FontIndex;
  const TVLRTFFont* font = fontIndex < 0 ? nullptr : p.Reader->GetFont(fontIndex);
  // A level without a font of its own: a bullet's code is the Symbol
  // font's; numbers and letters are text of the document's font (an office
  // suite's copy of a converted document lists the Symbol font for its
  // bullets, not for these).
  const bool counted = RTFNumberTypeToListType(level.Type) != vllstBullet;
  if (!font && counted) {
    const TVLRTFFont* def = p.Reader->GetFont(p.Reader->RTFState.DefFontIndex);
    if (def && SymbolCodeFontOf(def->Name.c_str()) == TSymbolCodeFont::None) font = def;
  }
  const AnsiString name8 = font ? font->Name : counted ? AnsiString("Arial") : AnsiString("Symbol");
  v.Format = RTFLevelFormat(level, name8);
  v.FontName = AnsiToUtf8(name8, font ? p.Reader->FontCodePage(*font) : p.Reader->CodePage());
  v.Charset = font ? font->Charset : counted ? 0 : 2;
  v.Left = p.Twips(level.LeftIndent);
  v.Marker = v.Left + p.Twips(level.FirstIndent);
  // The text starts at the level's tab; without one, a tab after the number
  // (\levelfollow0, the default) reaches the hanging indent, as word
  // processors do, instead of leaving the text against the number.
  if (level.Tab == 0 && level.Follow == 0 && v.Left > v.Marker) v.First = 0;
  else v.First = p.Twips(level.Tab) - v.Left;
  return v;
}
}  // namespace

bool TVLRTFListImport::ListMatches(const TVLListInfo& list, const TVLRTFList97& source) {
  if (!list.Levels || list.Levels->Count() < static_cast<Integer>(source.Levels.size())) return false;
  for (size_t l = 0; l < source.Levels.size(); ++l) {
    const TVLRTFListLevel97& s = *source.Levels[l];
    TVLListLevel& d = *list.Levels->Items(static_cast<Integer>(l));
    const TLevelValues v = LevelValues(P, s);
    if (d.ListType != v.Format.ListType || d.StartFrom != s.Start ||
        d.MarkerAlignment != static_cast<TVLMarkerAlignment>(std::clamp<Integer>(s.Alignment, 0, 2)) ||
        d.LeftIndent != v.Left || d.MarkerIndent != v.Marker || d.FirstIndent != v.First ||
        d.Options.Contains(vlloLevelReset) == s.NoRestart || d.Options.Contains(vlloLegalStyleNumbering) != s.Legal ||
        d.GetFont()->GetStyle() != RTFFontStyles(s.Style) || d.GetFont()->GetColor() != MarkerColor(s.Color) ||
        d.GetFont()->GetSize() != s.Size || !SameName(d.GetFont()->GetName(), v.FontName))
      return false;
    if (d.ListType == vllstUnicodeBullet) {
      if (d.FormatStringW != v.Format.BulletW) return false;
    } else if (d.FormatString != v.Format.FormatString && d.FormatString != v.Format.Alternative) {
      return false;
    }
  }
  return true;
}

void TVLRTFListImport::ImportListTable() {
  TVLListInfos& lists = *P.Style->ListStyles;
  const Integer existing = lists.Count();
  if (!FListMap) FFirstImportedList = existing;
  FListMap = std::make_unique<TVLIntegerList>();
  FMappedTable = P.Reader->ListTableReads();
  std::vector<bool> used(static_cast<size_t>(existing), false);
  for (const auto& source : P.Reader->ListTable) {
    Integer found = -1;
    for (Integer k = 0; k < existing && found < 0; ++k)
      if (!used[static_cast<size_t>(k)] && ListMatches(*lists.Items(k), *source)) found = k;
    if (found < 0) {
      TVLListInfo& l = *lists.Add();
      l.Standard = false;
      for (const auto& level : source->Levels) {
        const TLevelValues v = LevelValues(P, *level);
        TVLListLevel& d = *l.Levels->Add();
        d.ListType = v.Format.ListType;
        d.FormatString = v.Format.FormatString;
        d.FormatStringW = v.Format.ListType == vllstUnicodeBullet ? v.Format.BulletW : WideString();
        d.MarkerAlignment = static_cast<TVLMarkerAlignment>(std::clamp<Integer>(level->Alignment, 0, 2));
        d.GetFont()->SetName(v.FontName);
        d.GetFont()->SetCharset(v.Charset);
        d.GetFont()->SetStyle(RTFFontStyles(level->Style));
        d.GetFont()->SetColor(MarkerColor(level->Color));
        d.GetFont()->SetSize(level->Size);
        d.LeftIndent = v.Left;
        d.MarkerIndent = v.Marker;
        d.FirstIndent = v.First;
        d.StartFrom = level->Start;
        if (level->NoRestart) d.Options.Exclude(vlloLevelReset);
        if (level->Legal) d.Options.Include(vlloLegalStyleNumbering);
      }
      // A list without levels still numbers its paragraphs.
      if (source->Levels.empty()) l.Levels->Add()->ListType = vllstBullet;
      found = lists.Count() - 1;
      used.push_back(true);
    } else {
      used[static_cast<size_t>(found)] = true;
    }
    FListMap->Add(found);
  }
}
