// Style mapping of the RTF import: the reader's character and paragraph
// formatting to text and paragraph styles of the document's style sheet,
// by a given style, the closest style, or an equal style appended when
// missing.
#include "platform/base/CodePages.h"
#include "richtext/rtf/VLRTFImport.h"

#include <cmath>

namespace {
String LowerName(const String& utf8) { return WideToUtf8(WideLowerCase(Utf8ToWide(utf8))); }

Integer VShiftKind(Integer vshift) { return vshift == 0 ? 0 : vshift < 0 ? 1 : 2; }

// The wanted paragraph border: style, width, internal width, colour.
struct TWantedBorder {
  bool Has = false;
  TVLBorderStyle Style = vlbNone;
  Integer Width = 0, InternalWidth = 0;
  TColor Color = clNone;
  bool Visible[4] = {false, false, false, false};  // left, top, right, bottom
};

TWantedBorder GetParaBorder(const TVLRTFParaProperties& p, double ppt) {
  TWantedBorder b;
  if (!p.Border) return b;
  for (Integer i = 0; i < 4; ++i) b.Visible[i] = p.Border->HasLine(i);
  b.Has = b.Visible[0] || b.Visible[1] || b.Visible[2] || b.Visible[3];
  if (!b.Has) return b;
  Integer side = 2;
  for (Integer s : {1, 0, 3})
    if (p.Border->HasLine(s)) {
      side = s;
      break;
    }
  if (side == 2 && !p.Border->HasLine(2)) side = 2;
  const TVLRTFBorderSide& bs = *p.Border->SideOrNil(side);
  b.Color = bs.Color;
  RTFBorderToVL(bs.Style, bs.Width, side >= 2, ppt, b.Style, b.Width, b.InternalWidth);
  return b;
}

bool SideVisible(const TVLBooleanRect& r, Integer side) {
  switch (side) {
    case 0: return r.Left;
    case 1: return r.Top;
    case 2: return r.Right;
    default: return r.Bottom;
  }
}
}  // namespace

TFontStyles RTFFontStyles(Byte bits) {
  TFontStyles s;
  if (bits & rtf_fs_Bold) s.Include(fsBold);
  if (bits & rtf_fs_Italic) s.Include(fsItalic);
  if (bits & rtf_fs_Underline) s.Include(fsUnderline);
  if (bits & rtf_fs_StrikeOut) s.Include(fsStrikeOut);
  return s;
}

void RTFBorderToVL(Integer kind, Integer widthTwips, bool outer, double ppt, TVLBorderStyle& style,
                   Integer& width, Integer& internalWidth) {
  const double p = widthTwips * ppt;
  internalWidth = 0;
  switch (kind) {
    case 0: style = vlbNone; width = 0; break;
    case 1: case 3: case 5: case 6: case 8: case 9: case 10: case 21: case 23: case 24: case 25:
    case 26: case 27:
      style = vlbSingle; width = RTFRound(p); break;
    case 2: style = vlbSingle; width = RTFRound(2 * p); break;
    case 4: case 22: style = vlbDouble; width = RTFRound(p); internalWidth = 2 * width - 1; break;
    case 7: style = vlbSingle; width = 1; break;
    case 11: style = vlbTriple; width = RTFRound(p); internalWidth = 2 * width - 1; break;
    case 12:
      style = outer ? vlbThickInside : vlbThickOutside;
      width = RTFRound(p / 2);
      internalWidth = width + (width + 1) / 2;
      break;
    case 13:
      // The mirror of kind 12.
      style = outer ? vlbThickOutside : vlbThickInside;
      width = RTFRound(p / 2);
      internalWidth = width + (width + 1) / 2;
      break;
    case 14: style = vlbTriple; width = RTFRound(p / 3); internalWidth = 2 * width - 1; break;
    case 15:
      style = outer ? vlbThickInside : vlbThickOutside;
      width = RTFRound(p / 2);
      internalWidth = 2 * width + (width + 1) / 2;
      break;
    case 16:
      style = outer ? vlbThickOutside : vlbThickInside;
      width = RTFRound(p / 2);
      internalWidth = 2 * width + (width + 1) / 2;
      break;
    case 17: style = vlbTriple; width = RTFRound(p / 2); internalWidth = 3 * width - 1; break;
    case 18: style = outer ? vlbThickInside : vlbThickOutside; width = 1; internalWidth = RTFRound(p) + 1; break;
    case 19: style = outer ? vlbThickOutside : vlbThickInside; width = 1; internalWidth = RTFRound(p) + 1; break;
    case 20: style = vlbTriple; width = 1; internalWidth = RTFRound(p); break;
    default: break;
  }
}

String TVLRTFReaderProperties::LowerCounted(const String& utf8) {
  ++NamesLowered;
  return LowerName(utf8);
}

const String& TVLRTFReaderProperties::StyleNameLower(Integer styleNo) {
  TFontInfos& styles = *Style->TextStyles;
  // Styles are only added during a run: the names lowered stay.
  if (FStyleNamesOf != Style || static_cast<Integer>(FStyleNamesLower.size()) > styles.Count()) {
    FStyleNamesOf = Style;
    FStyleNamesLower.clear();
  }
  for (Integer i = static_cast<Integer>(FStyleNamesLower.size()); i < styles.Count(); ++i)
    FStyleNamesLower.push_back(LowerCounted(styles.Items(i)->FontName));
  return FStyleNamesLower[static_cast<size_t>(styleNo)];
}

std::string TVLRTFReaderProperties::StyleKey(const String& nameLower, Integer size, TColor color, TColor backColor,
                                             TFontStyles style, Integer scale, Integer spacing, bool allCaps,
                                             Integer vposition, bool unicode) const {
  const Integer numbers[] = {size,
                             static_cast<Integer>(color),
                             static_cast<Integer>(backColor),
                             style.Contains(fsBold) | style.Contains(fsItalic) << 1 | style.Contains(fsUnderline) << 2 |
                                 style.Contains(fsStrikeOut) << 3 | allCaps << 4 | unicode << 5,
                             scale,
                             spacing,
                             vposition};
  std::string key(reinterpret_cast<const char*>(numbers), sizeof numbers);
  return key + nameLower;
}

void TVLRTFReaderProperties::IndexTextStyles() {
  TFontInfos& styles = *Style->TextStyles;
  if (FStyleIndexOf != Style || FStylesIndexed > styles.Count()) {
    FStyleIndexOf = Style;
    FStyleIndex.clear();
    FStylesIndexed = 0;
  }
  for (; FStylesIndexed < styles.Count(); ++FStylesIndexed) {
    const TFontInfo& s = *styles.Items(FStylesIndexed);
    FStyleIndex[StyleKey(StyleNameLower(FStylesIndexed), s.Size, s.Color, s.BackColor, s.Style, s.CharScale,
                         s.CharSpacing, s.StyleEx.Contains(vlfsAllCaps), VShiftKind(s.VShift), s.Unicode)]
        .push_back(FStylesIndexed);
  }
}

bool TVLRTFReaderProperties::StyleAllowed(Integer styleNo, bool isTextStyle) const {
  bool allow = true;
  if (OnStyleFilter) OnStyleFilter(styleNo, isTextStyle, allow);
  return allow;
}

const TVLRTFReaderProperties::TFontName& TVLRTFReaderProperties::FontNameOf(Integer fontIndex) {
  const TVLRTFFont& f = Reader->FontList[static_cast<size_t>(fontIndex)];
  if (FFontNames.size() < Reader->FontList.size()) FFontNames.resize(Reader->FontList.size());
  TFontName& n = FFontNames[static_cast<size_t>(fontIndex)];
  // A table read again, or an entry still being read, changes names under
  // their numbers.
  const Cardinal codePage = Reader->FontCodePage(f);
  if (!n.Known || n.CodePage != codePage || n.Raw != f.Name) {
    n.Known = true;
    n.Raw = f.Name;
    n.CodePage = codePage;
    n.Name = AnsiToUtf8(f.Name, codePage);
    n.Lower = LowerCounted(n.Name);
  }
  return n;
}

TVLRTFReaderProperties::TTextWanted TVLRTFReaderProperties::WantedText() {
  TTextWanted w;
  const TVLRTFCharProperties& ch = Reader->RTFState.CharProps;
  const TVLRTFFont* font = Reader->GetFont(ch.FontIndex);
  // Without a font table the text has no font name and the default charset.
  if (font) {
    const TFontName& name = FontNameOf(ch.FontIndex);
    w.FontName = name.Name;
    w.FontNameLower = name.Lower;
    w.Charset = font->Charset;
  }
  if (!ch.SymbolFontName.empty()) {
    const Cardinal codePage = Reader->CodePage();
    if (!FSymbolFont.Known || FSymbolFont.CodePage != codePage || FSymbolFont.Raw != ch.SymbolFontName) {
      FSymbolFont.Known = true;
      FSymbolFont.Raw = ch.SymbolFontName;
      FSymbolFont.CodePage = codePage;
      FSymbolFont.Name = AnsiToUtf8(ch.SymbolFontName, codePage);
      FSymbolFont.Lower = LowerCounted(FSymbolFont.Name);
    }
    w.FontName = FSymbolFont.Name;
    w.FontNameLower = FSymbolFont.Lower;
    if (ch.SymbolFontName == "Symbol" || ch.SymbolFontName == "Wingdings") w.Charset = 2;
  }
  w.Size = ch.VPosition != 0 ? RTFRound(ch.Size / 2.0) : ch.Size;
  w.Color = ch.Color;
  w.BackColor = ch.BackColor;
  w.FontStyle = RTFFontStyles(ch.Style);
  w.AllCaps = ch.AllCaps;
  w.Scale = ch.HScale;
  w.Spacing = Twips(ch.CharSpacing);
  w.VPosition = ch.VPosition;
  return w;
}

Integer TVLRTFReaderProperties::MapTextStyle(bool unicodeWanted) {
  if (!Style) return 0;
  ++StyleLookups;
  switch (TextStyleMode) {
    case vlrsUseSpecified:
      return FTextStyleNo;
    case vlrsUseClosest:
      return FindClosestTextStyle(unicodeWanted, IsHypertextField());
    case vlrsAddIfNeeded: {
      const bool hyper = IsHypertextField();
      const Integer found = FindTextStyle(unicodeWanted, hyper);
      return found >= 0 ? found : AddTextStyle(unicodeWanted, hyper);
    }
  }
  return 0;
}

Integer TVLRTFReaderProperties::FindTextStyle(bool unicodeWanted, bool hypertext) {
  if (Reader->FontList.empty()) return 0;
  const TTextWanted w = WantedText();
  IndexTextStyles();
  const auto found = FStyleIndex.find(StyleKey(w.FontNameLower, w.Size, w.Color, w.BackColor, w.FontStyle, w.Scale,
                                               w.Spacing, w.AllCaps, w.VPosition, unicodeWanted));
  if (found == FStyleIndex.end()) return -1;
  TFontInfos& styles = *Style->TextStyles;
  // The candidates in style order, each compared whole: the first that
  // matches, as a search of every style would find.
  for (Integer i : found->second) {
    ++StylesCompared;
    const TFontInfo& s = *styles.Items(i);
    if (hypertext ? !s.Jump : (s.Jump && !UseHypertextStyles)) continue;
    // A style may carry all capitals; it then matches all-capital text only.
    const bool capsOnly = s.StyleEx.Empty() || (s.StyleEx == TVLFontStyles{vlfsAllCaps});
    if (StyleNameLower(i) == w.FontNameLower && s.Size == w.Size && s.Color == w.Color &&
        s.BackColor == w.BackColor && s.Style == w.FontStyle && (s.Charset == w.Charset || s.Charset == 1) &&
        s.CharScale == w.Scale && s.CharSpacing == w.Spacing && s.StyleEx.Contains(vlfsAllCaps) == w.AllCaps &&
        VShiftKind(s.VShift) == w.VPosition && s.Unicode == unicodeWanted && capsOnly)
      return i;
  }
  return -1;
}

Integer TVLRTFReaderProperties::AddTextStyle(bool unicodeWanted, bool hypertext) {
  const TTextWanted w = WantedText();
  TFontInfo& s = *Style->TextStyles->Add();
  s.Standard = false;
  s.Jump = hypertext;
  s.Unicode = unicodeWanted;
  s.Style = w.FontStyle;
  s.Size = w.Size;
  s.Color = w.Color;
  s.BackColor = w.BackColor;
  if (!w.FontName.empty()) s.FontName = w.FontName;
  s.Charset = w.Charset;
  s.CharScale = w.Scale;
  s.CharSpacing = w.Spacing;
  s.VShift = w.VPosition == 1 ? -25 : w.VPosition == 2 ? 45 : 0;
  s.StyleEx = w.AllCaps ? TVLFontStyles{vlfsAllCaps} : TVLFontStyles{};
  return Style->TextStyles->Count() - 1;
}

Integer TVLRTFReaderProperties::FindClosestTextStyle(bool unicodeWanted, bool hypertext) {
  const TTextWanted w = WantedText();
  TFontInfos& styles = *Style->TextStyles;
  if (FCacheStyle != Style || FCacheCount != styles.Count()) {
    FClosestCache.clear();
    FCacheStyle = Style;
    FCacheCount = styles.Count();
  }
  // The answer follows from the formatting asked for alone, unless a filter
  // has its say.
  const bool cacheable = !OnStyleFilter;
  const auto key = std::make_tuple(w.FontNameLower, Integer{w.Charset}, w.Size, w.Color, w.BackColor,
                                   static_cast<Integer>(w.FontStyle.Contains(fsBold) | w.FontStyle.Contains(fsItalic) << 1 |
                                                        w.FontStyle.Contains(fsUnderline) << 2 |
                                                        w.FontStyle.Contains(fsStrikeOut) << 3),
                                   Integer{w.AllCaps}, w.Scale, w.Spacing, w.VPosition,
                                   Integer{unicodeWanted}, Integer{hypertext});
  if (cacheable)
    if (auto it = FClosestCache.find(key); it != FClosestCache.end()) return it->second;
  Integer best = 0;
  Integer bestScore = 0;
  for (Integer i = 0; i < styles.Count(); ++i) {
    const TFontInfo& s = *styles.Items(i);
    ++StylesCompared;
    if (!StyleAllowed(i, true) || s.Unicode != unicodeWanted) continue;
    if (hypertext ? !s.Jump : (s.Jump && !UseHypertextStyles)) continue;
    Integer score = 0;
    if (!w.FontNameLower.empty() && StyleNameLower(i) == w.FontNameLower) score += 10000;
    if (s.Charset == w.Charset)
      score += 50000;
    else if (s.Charset == 1 || w.Charset == 1)
      score += 12500;
    score += IntegerSimilarity(w.Size, s.Size, 10000);
    score += ColorSimilarity(s.Color, w.Color, 3333, 3000);
    score += ColorSimilarity(s.BackColor, w.BackColor, 10000, 50000);
    if (s.StyleEx.Contains(vlfsAllCaps) == w.AllCaps) score += 50000;
    for (TFontStyle fs : {fsBold, fsItalic, fsUnderline, fsStrikeOut})
      if (s.Style.Contains(fs) == w.FontStyle.Contains(fs)) score += 50000;
    if (s.Style.Empty() == w.FontStyle.Empty()) score += 50000;
    score += RTFRound((1.0 - std::abs(s.CharScale - w.Scale) / 100.0) * 300);
    score += IntegerSimilarity(w.Spacing, s.CharSpacing, 10000);
    if (VShiftKind(s.VShift) == w.VPosition) score += 50000;
    if (!s.StyleEx.Empty()) score /= 4;
    if (score > bestScore) {
      best = i;
      bestScore = score;
    }
  }
  if (cacheable) FClosestCache[key] = best;
  return best;
}

Integer TVLRTFReaderProperties::UnicodeTwin(Integer styleNo) {
  TFontInfos& styles = *Style->TextStyles;
  TFontInfo wanted(nullptr);
  wanted.Assign(styles.Items(styleNo));
  wanted.Unicode = true;
  ++StyleLookups;
  IndexTextStyles();
  // Styles equal in every property have the same key: the first of them in
  // style order, as a search of every style would find.
  const auto found = FStyleIndex.find(StyleKey(StyleNameLower(styleNo), wanted.Size, wanted.Color, wanted.BackColor,
                                               wanted.Style, wanted.CharScale, wanted.CharSpacing,
                                               wanted.StyleEx.Contains(vlfsAllCaps), VShiftKind(wanted.VShift), true));
  if (found != FStyleIndex.end())
    for (Integer i : found->second) {
      ++StylesCompared;
      if (styles.Items(i)->Unicode && styles.Items(i)->IsEqualMasked(wanted, vlfiAll & ~vlfiNextStyleNo)) return i;
    }
  TFontInfo& added = *styles.Add();
  added.Assign(&wanted);
  added.Standard = false;
  return styles.Count() - 1;
}

// ---------------------------------------------------------------------------
// Paragraph styles

Integer TVLRTFReaderProperties::MapParaStyle() {
  if (!Style) return 0;
  switch (ParaStyleMode) {
    case vlrsUseSpecified:
      return FParaStyleNo;
    case vlrsUseClosest:
      return FindClosestParaStyle();
    case vlrsAddIfNeeded: {
      const Integer found = FindParaStyle();
      return found >= 0 ? found : AddParaStyle();
    }
  }
  return 0;
}

Integer TVLRTFReaderProperties::FindParaStyle() {
  const TVLRTFParaProperties& p = Reader->RTFState.ParaProps;
  const TWantedBorder b = GetParaBorder(p, PixelsPerTwip);
  const Integer L = Twips(p.LeftIndent), R = Twips(p.RightIndent), F = Twips(p.FirstIndent);
  const Integer SB = Twips(p.SpaceBefore), SA = Twips(p.SpaceAfter);
  const Integer LS = std::abs(p.LineSpacing) * 100 / 240;
  TParaInfos& styles = *Style->ParaStyles;
  for (Integer i = 0; i < styles.Count(); ++i) {
    const TParaInfo& s = *styles.Items(i);
    const Integer bw = s.Border.GetTotalWidth();
    if (s.Alignment != static_cast<TVLAlignment>(std::clamp(p.Alignment, 0, 3)) || s.LeftIndent != L + bw ||
        s.RightIndent != R + bw || s.FirstIndent != F || s.SpaceBefore != SB + bw || s.SpaceAfter != SA + bw ||
        s.Background.Color != p.BackColor)
      continue;
    if (p.LineSpacingMulti) {
      const bool ok = s.LineSpacingType == vllsPercent ? (LS == s.LineSpacing || (LS < 100 && s.LineSpacing < 100))
                                                       : (s.LineSpacing <= 1 && LS < 101);
      if (!ok) continue;
    }
    if (b.Has) {
      if (s.Border.Style != b.Style || s.Border.Width != b.Width || s.Border.InternalWidth != b.InternalWidth ||
          s.Border.Color != b.Color || !s.Border.VisibleBorders.IsEqualEx(b.Visible[0], b.Visible[1], b.Visible[2], b.Visible[3]))
        continue;
    } else if (s.Border.Style != vlbNone) {
      continue;
    }
    return i;
  }
  return -1;
}

Integer TVLRTFReaderProperties::AddParaStyle() {
  const TVLRTFParaProperties& p = Reader->RTFState.ParaProps;
  const TWantedBorder b = GetParaBorder(p, PixelsPerTwip);
  TParaInfo& s = *Style->ParaStyles->Add();
  s.Standard = false;
  s.Alignment = static_cast<TVLAlignment>(std::clamp(p.Alignment, 0, 3));
  s.LeftIndent = Twips(p.LeftIndent);
  s.RightIndent = Twips(p.RightIndent);
  s.FirstIndent = Twips(p.FirstIndent);
  s.SpaceBefore = Twips(p.SpaceBefore);
  s.SpaceAfter = Twips(p.SpaceAfter);
  if (p.LineSpacingMulti) s.LineSpacing = p.LineSpacing * 100 / 240;
  s.Background.Color = p.BackColor;
  if (b.Has) {
    s.Border.Style = b.Style;
    s.Border.Width = b.Width;
    s.Border.InternalWidth = b.InternalWidth;
    s.Border.Color = b.Color;
    s.Border.VisibleBorders.SetValues(b.Visible[0], b.Visible[1], b.Visible[2], b.Visible[3]);
    const Integer bw = s.Border.GetTotalWidth();
    s.SpaceBefore += bw;
    s.SpaceAfter += bw;
    s.LeftIndent += bw;
    s.RightIndent += bw;
  }
  return Style->ParaStyles->Count() - 1;
}

Integer TVLRTFReaderProperties::FindClosestParaStyle() {
  const TVLRTFParaProperties& p = Reader->RTFState.ParaProps;
  const bool hasBorder = p.HasBorder();
  const Integer L = Twips(p.LeftIndent), R = Twips(p.RightIndent), F = Twips(p.FirstIndent);
  const Integer SB = Twips(p.SpaceBefore), SA = Twips(p.SpaceAfter);
  const Integer LSc = std::max(100, std::abs(p.LineSpacing) * 100 / 240);
  TParaInfos& styles = *Style->ParaStyles;
  Integer best = 0, bestScore = 0;
  for (Integer i = 0; i < styles.Count(); ++i) {
    if (!StyleAllowed(i, false)) continue;
    const TParaInfo& s = *styles.Items(i);
    const Integer bw = s.Border.GetTotalWidth();
    Integer score = 0;
    if (s.Alignment == static_cast<TVLAlignment>(std::clamp(p.Alignment, 0, 3))) score += 50000;
    score += IntegerSimilarity(L + bw, s.LeftIndent, 1000) + IntegerSimilarity(R + bw, s.RightIndent, 1000) +
             IntegerSimilarity(F, s.FirstIndent, 1000) + IntegerSimilarity(SB + bw, s.SpaceBefore, 1000) +
             IntegerSimilarity(SA + bw, s.SpaceAfter, 1000);
    score += ColorSimilarity(s.Background.Color, p.BackColor, 10000, 50000);
    if (p.LineSpacingMulti) {
      if (s.LineSpacingType == vllsPercent)
        score += IntegerSimilarity(LSc, std::max(100, s.LineSpacing), 5000);
      else if (s.LineSpacing >= 2)
        score -= 20000;
      else if (LSc < 101)
        score += 5000;
    }
    if (!hasBorder) {
      if (s.Border.Style == vlbNone) score += 20000;
    } else {
      for (Integer side = 0; side < 4; ++side) {
        const TVLRTFBorderSide* bs = p.Border->SideOrNil(side);
        TVLBorderStyle st = vlbNone;
        Integer w = 0, iw = 0;
        if (bs) RTFBorderToVL(bs->Style, bs->Width, side >= 2, PixelsPerTwip, st, w, iw);
        const bool shows = s.Border.Style != vlbNone && SideVisible(s.Border.VisibleBorders, side);
        if (st != vlbNone) {
          if (shows)
            score += 5000 + IntegerSimilarity(w, s.Border.Width, 1000) +
                     IntegerSimilarity(iw, s.Border.InternalWidth, 1000) +
                     ColorSimilarity(s.Border.Color, bs->Color, 3333, 3000) + (st == s.Border.Style ? 1000 : 0);
        } else if (!shows) {
          score += 20000;
        }
      }
    }
    if (score > bestScore) {
      best = i;
      bestScore = score;
    }
  }
  return best;
}

Integer TVLRTFReaderProperties::GetDefaultParaNo(TVLAlignment alignment) {
  if (alignment == vlaLeft && DefaultParaCache >= 0) return DefaultParaCache;
  Integer result = 0;
  switch (ParaStyleMode) {
    case vlrsUseSpecified: result = FParaStyleNo; break;
    case vlrsUseClosest: result = 0; break;
    case vlrsAddIfNeeded: {
      if (!Style || Style->ParaStyles->Count() == 0) break;
      TParaInfos& styles = *Style->ParaStyles;
      const TParaInfo& s0 = *styles.Items(0);
      if (s0.FirstIndent == 0 && s0.LeftIndent == 0 && s0.RightIndent == 0 && s0.Alignment == alignment) break;
      TParaInfo copy(nullptr);
      copy.Assign(&s0);
      copy.FirstIndent = copy.LeftIndent = copy.RightIndent = 0;
      copy.Alignment = alignment;
      result = styles.FindSuchStyle(0, copy, vlpiAll);
      if (result < 0) {
        styles.Add()->Assign(&copy);
        styles.Items(styles.Count() - 1)->Standard = false;
        result = styles.Count() - 1;
      }
      break;
    }
  }
  if (alignment == vlaLeft) DefaultParaCache = result;
  return result;
}
