// Equality, masked comparison, closeness scores and look-ups of styles.
#include "richtext/model/VLStyle.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>

namespace {

// Scores of styles read from files can be as large as their values; they are
// summed wide and kept within 32 bits.
Integer Clamp32(double v) {
  if (v > std::numeric_limits<Integer>::max()) return std::numeric_limits<Integer>::max();
  if (v < std::numeric_limits<Integer>::min()) return std::numeric_limits<Integer>::min();
  return static_cast<Integer>(v);
}

// A reference of an incoming style (this style goes on to that one) against
// the receiving style's, the incoming one taken through the mapping of the
// styles merged before it. A style not merged yet (this one or a later one)
// has no number here yet: only that both refer to one can be told. The
// receiving style is left as it is: a comparison never writes.
bool SameMappedReference(Integer incoming, Integer receiving, const TVLIntegerList& mapping) {
  if (incoming < 0) return receiving < 0;
  if (incoming >= mapping.Count()) return receiving >= 0;
  return mapping[incoming] == receiving;
}

}  // namespace

Integer IntegerSimilarity(Integer a, Integer b, Integer maxWeight) {
  double ratio = a != 0 ? 1.0 - std::fabs(double(a) - double(b)) / std::fabs(double(a))
                        : 1.0 - std::fabs(double(b));
  // Halves go to the even neighbour under the default rounding mode.
  return Clamp32(std::nearbyint(ratio * maxWeight));
}

Integer ColorSimilarity(TColor color1, TColor color2, Integer channelWeight, Integer bonus) {
  if (color1 == clNone || color2 == clNone)
    return color1 == color2 ? 3 * channelWeight + bonus : 0;
  TColor c1 = ColorToRGB(color1), c2 = ColorToRGB(color2);
  Integer result = 0;
  const Integer ch1[3] = {GetRValue(c1), GetGValue(c1), GetBValue(c1)};
  const Integer ch2[3] = {GetRValue(c2), GetGValue(c2), GetBValue(c2)};
  bool light1 = false, light2 = false;
  for (int i = 0; i < 3; ++i) {
    result -= std::abs(ch1[i] - ch2[i]) * channelWeight / 255;
    light1 = light1 || ch1[i] > 64;
    light2 = light2 || ch2[i] > 64;
  }
  if (light1 == light2) result += bonus;
  return result;
}

// ---------------------------------------------------------------------------
// Text styles.
bool TFontInfo::IsEqual(const TCustomVLInfo& value, bool ignoreReferences,
                        bool /*ignoreID*/) const {
  auto v = dynamic_cast<const TFontInfo*>(&value);
  if (!v) return false;
  if (Size != v->Size || Charset != v->Charset || Unicode != v->Unicode || Style != v->Style ||
      StyleEx != v->StyleEx || !SameText(FontName, v->FontName) || VShift != v->VShift ||
      Color != v->Color || BackColor != v->BackColor || Jump != v->Jump)
    return false;
  if (Jump && (HoverColor != v->HoverColor || HoverBackColor != v->HoverBackColor ||
               JumpCursor != v->JumpCursor))
    return false;
  if (!ignoreReferences && NextStyleNo != v->NextStyleNo) return false;
  return Protection == v->Protection && Options == v->Options && CharScale == v->CharScale &&
         CharSpacing == v->CharSpacing && BiDiMode == v->BiDiMode;
}

namespace {

// Mixes one value into a key; every bit of the value reaches every bit of
// the key, so that keys of styles that differ in one field spread over the
// buckets.
template <class T>
void Mix(size_t& key, T value) {
  uint64_t x = key ^ (static_cast<uint64_t>(static_cast<int64_t>(value)) + 0x9E3779B97F4A7C15ull);
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  key = static_cast<size_t>(x ^ (x >> 31));
}

}  // namespace

size_t TFontInfo::MergeKey() const {
  size_t key = 0;
  Mix(key, Size);
  Mix(key, Charset);
  Mix(key, Unicode);
  Mix(key, Style.ToMask());
  Mix(key, VShift);
  Mix(key, Color);
  Mix(key, BackColor);
  Mix(key, Jump);
  // Names compare without case: only a name of plain ASCII, lower-cased,
  // goes into the key, so that no two names that compare equal differ in it.
  bool ascii = true;
  for (char c : FontName) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii)
    for (char c : FontName) Mix(key, std::tolower(static_cast<unsigned char>(c)));
  return key;
}

bool TFontInfo::IsEqualMapped(const TCustomVLInfo& value, const TVLIntegerList& mapping) const {
  return IsEqual(value, true, false) &&
         SameMappedReference(NextStyleNo, static_cast<const TFontInfo&>(value).NextStyleNo, mapping);
}

bool TFontInfo::IsEqualMasked(const TFontInfo& value, Cardinal mask) const {
  auto has = [mask](Cardinal bit) { return (mask & bit) != 0; };
  if (has(vlfiFontName) && !SameText(FontName, value.FontName)) return false;
  if (has(vlfiSize) && Size != value.Size) return false;
  if (has(vlfiCharset) && Charset != value.Charset) return false;
  if (has(vlfiUnicode) && Unicode != value.Unicode) return false;
  if (has(vlfiBold) && Style.Contains(fsBold) != value.Style.Contains(fsBold)) return false;
  if (has(vlfiItalic) && Style.Contains(fsItalic) != value.Style.Contains(fsItalic)) return false;
  if (has(vlfiUnderline) && Style.Contains(fsUnderline) != value.Style.Contains(fsUnderline))
    return false;
  if (has(vlfiStrikeOut) && Style.Contains(fsStrikeOut) != value.Style.Contains(fsStrikeOut))
    return false;
  if (has(vlfiOverline) && StyleEx.Contains(vlfsOverline) != value.StyleEx.Contains(vlfsOverline))
    return false;
  if (has(vlfiAllCaps) && StyleEx.Contains(vlfsAllCaps) != value.StyleEx.Contains(vlfsAllCaps))
    return false;
  if (has(vlfiVShift) && VShift != value.VShift) return false;
  if (has(vlfiColor) && Color != value.Color) return false;
  if (has(vlfiBackColor) && BackColor != value.BackColor) return false;
  if (has(vlfiJump) && Jump != value.Jump) return false;
  if (value.Jump) {
    if (has(vlfiHoverBackColor) && HoverBackColor != value.HoverBackColor) return false;
    if (has(vlfiHoverColor) && HoverColor != value.HoverColor) return false;
    if (has(vlfiJumpCursor) && JumpCursor != value.JumpCursor) return false;
  }
  if (has(vlfiNextStyleNo) && NextStyleNo != value.NextStyleNo) return false;
  if (has(vlfiProtection) && Protection != value.Protection) return false;
  if (has(vlfiCharScale) && CharScale != value.CharScale) return false;
  if (has(vlfiBaseStyleNo) && BaseStyleNo != value.BaseStyleNo) return false;
  if (has(vlfiBiDiMode) && BiDiMode != value.BiDiMode) return false;
  if (has(vlfiCharSpacing) && CharSpacing != value.CharSpacing) return false;
  if (has(vlfiHTMLCode) &&
      Options.Contains(vlteoHTMLCode) != value.Options.Contains(vlteoHTMLCode))
    return false;
  if (has(vlfiRTFCode) && Options.Contains(vlteoRTFCode) != value.Options.Contains(vlteoRTFCode))
    return false;
  return true;
}

Integer TFontInfo::SimilarityValue(const TCustomVLInfo& value) const {
  auto v = dynamic_cast<const TFontInfo*>(&value);
  if (!v) return 0;
  Int64 r = Int64{IntegerSimilarity(v->Size, Size, 10000)} + IntegerSimilarity(v->VShift, VShift, 1000) +
              IntegerSimilarity(v->CharScale, CharScale, 300) +
              IntegerSimilarity(v->CharSpacing, CharSpacing, 1000) +
              ColorSimilarity(v->Color, Color, 3333, 3000) +
              ColorSimilarity(v->BackColor, BackColor, 10000, 50000);
  if (v->BiDiMode == BiDiMode) r += 10000;
  if (SameText(v->FontName, FontName)) r += 10000;
  for (TFontStyle fs : {fsBold, fsItalic, fsUnderline, fsStrikeOut})
    if (v->Style.Contains(fs) == Style.Contains(fs)) r += 50000;
  if (v->StyleEx.Contains(vlfsOverline) == StyleEx.Contains(vlfsOverline)) r += 50000;
  if (v->StyleEx.Contains(vlfsAllCaps) == StyleEx.Contains(vlfsAllCaps)) r += 50000;
  const bool plain1 = v->Style.Empty() && v->StyleEx.Empty();
  const bool plain2 = Style.Empty() && StyleEx.Empty();
  if (plain1 == plain2) r += 50000;
  if (v->Jump && Jump) {
    if (v->JumpCursor == JumpCursor) r += 5000;
    r += ColorSimilarity(v->HoverColor, HoverColor, 3333, 3000) / 2 +
         ColorSimilarity(v->HoverBackColor, HoverBackColor, 10000, 50000) / 2;
  }
  if (v->Protection != Protection) r -= 100000;
  for (TVLTextOption o : {vlteoHTMLCode, vlteoRTFCode})
    if (v->Options.Contains(o) == Options.Contains(o)) r += 50000;
  if (v->Charset == Charset)
    r += 50000;
  else if (v->Charset == 1 || Charset == 1)
    r += 12500;
  return Clamp32(static_cast<double>(r));
}

Integer TFontInfos::FindSuchStyle(Integer baseStyleNo, const TFontInfo& style, Cardinal mask) {
  if (Items(baseStyleNo)->IsEqualMasked(style, mask)) return baseStyleNo;
  for (Integer i = 0; i < Count(); ++i)
    if (i != baseStyleNo && Items(i)->IsEqualMasked(style, mask)) return i;
  return -1;
}

void TFontInfos::ChangeWithDerived(Integer no, const TFontInfo& source) {
  if (no < 0 || no >= Count()) return;
  TFontInfo old(nullptr);
  old.Assign(Items(no));
  Items(no)->Assign(&source);
  const Cardinal switches = vlfiBold | vlfiItalic | vlfiUnderline;
  for (Integer i = 0; i < Count(); ++i) {
    TFontInfo* s = Items(i);
    if (i == no || s->Standard) continue;
    // Made from it, or (in documents from before styles kept that) of its
    // name and like it but for the switches.
    if (s->BaseStyleNo != no &&
        (s->StyleName != old.StyleName || !s->IsEqualMasked(old, vlfiAll & ~switches & ~vlfiBaseStyleNo)))
      continue;
    // What it had of the old style it takes from the new one; what it has
    // of its own stays, and so do its bold, italic and underline.
    auto follow = [&](auto& mine, const auto& was, const auto& now) {
      if (mine == was) mine = now;
    };
    if (SameText(s->FontName, old.FontName)) s->FontName = source.FontName;
    follow(s->Size, old.Size, source.Size);
    follow(s->Charset, old.Charset, source.Charset);
    follow(s->Unicode, old.Unicode, source.Unicode);
    follow(s->Color, old.Color, source.Color);
    follow(s->BackColor, old.BackColor, source.BackColor);
    follow(s->VShift, old.VShift, source.VShift);
    follow(s->CharScale, old.CharScale, source.CharScale);
    follow(s->CharSpacing, old.CharSpacing, source.CharSpacing);
    follow(s->StyleEx, old.StyleEx, source.StyleEx);
    if (s->Style.Contains(fsStrikeOut) == old.Style.Contains(fsStrikeOut)) {
      s->Style.Exclude(fsStrikeOut);
      if (source.Style.Contains(fsStrikeOut)) s->Style.Include(fsStrikeOut);
    }
  }
}

Integer TFontInfos::FindStyleWithCharset(Integer styleNo, Byte charset) {
  const TFontInfo* base = Items(styleNo);
  if (base->Charset == charset && !base->Unicode) return styleNo;
  const Cardinal mask = vlfiAll & ~(vlfiCharset | vlfiUnicode);
  for (Integer i = 0; i < Count(); ++i) {
    if (i == styleNo) continue;
    const TFontInfo* s = Items(i);
    if (s->Charset == charset && !s->Unicode && s->IsEqualMasked(*base, mask)) return i;
  }
  return -1;
}

// ---------------------------------------------------------------------------
// Paragraph styles.
bool TVLBorder::IsEqual(const TVLBorder& value) const {
  return Style == value.Style && Color == value.Color && Width == value.Width &&
         InternalWidth == value.InternalWidth && BorderOffsets.IsEqual(value.BorderOffsets) &&
         VisibleBorders.IsEqual(value.VisibleBorders);
}

bool TVLBorder::IsEqualMasked(const TVLBorder& value, Cardinal mask) const {
  auto has = [mask](Cardinal bit) { return (mask & bit) != 0; };
  return (!has(vlpiBorder_Color) || Color == value.Color) &&
         (!has(vlpiBorder_Style) || Style == value.Style) &&
         (!has(vlpiBorder_Width) || Width == value.Width) &&
         (!has(vlpiBorder_InternalWidth) || InternalWidth == value.InternalWidth) &&
         BorderOffsets.IsEqualEx(value.BorderOffsets, !has(vlpiBorder_BO_Left),
                                 !has(vlpiBorder_BO_Top), !has(vlpiBorder_BO_Right),
                                 !has(vlpiBorder_BO_Bottom)) &&
         VisibleBorders.IsEqualEx(value.VisibleBorders, !has(vlpiBorder_Vis_Left),
                                  !has(vlpiBorder_Vis_Top), !has(vlpiBorder_Vis_Right),
                                  !has(vlpiBorder_Vis_Bottom));
}

Integer TVLBorder::SimilarityValue(const TVLBorder& value) const {
  const bool vis1[4] = {Style != vlbNone && VisibleBorders.Left, Style != vlbNone && VisibleBorders.Top,
                        Style != vlbNone && VisibleBorders.Right,
                        Style != vlbNone && VisibleBorders.Bottom};
  const bool vis2[4] = {value.Style != vlbNone && value.VisibleBorders.Left,
                        value.Style != vlbNone && value.VisibleBorders.Top,
                        value.Style != vlbNone && value.VisibleBorders.Right,
                        value.Style != vlbNone && value.VisibleBorders.Bottom};
  const Integer off1[4] = {BorderOffsets.Left, BorderOffsets.Top, BorderOffsets.Right,
                           BorderOffsets.Bottom};
  const Integer off2[4] = {value.BorderOffsets.Left, value.BorderOffsets.Top,
                           value.BorderOffsets.Right, value.BorderOffsets.Bottom};
  Integer both = 0;
  for (int i = 0; i < 4; ++i)
    if (vis1[i] && vis2[i]) ++both;
  Int64 r = 0;
  if (both > 0) {
    Int64 line = Int64{0} + ColorSimilarity(Color, value.Color, 3333, 3000) +
                   IntegerSimilarity(Width, value.Width, 1000) +
                   IntegerSimilarity(InternalWidth, value.InternalWidth, 1000);
    if (Style == value.Style) line += 1000;
    r = line * both;
  }
  for (int i = 0; i < 4; ++i) {
    if (!vis1[i] && !vis2[i]) r += 20000;
    else if (vis1[i] != vis2[i]) r -= 20000;
    else r += IntegerSimilarity(off1[i], off2[i], 100);
  }
  return Clamp32(static_cast<double>(r));
}

bool TParaInfo::IsEqual(const TCustomVLInfo& value, bool ignoreReferences,
                        bool /*ignoreID*/) const {
  auto v = dynamic_cast<const TParaInfo*>(&value);
  if (!v) return false;
  if (Alignment != v->Alignment || FirstIndent != v->FirstIndent ||
      LeftIndent != v->LeftIndent || RightIndent != v->RightIndent ||
      SpaceBefore != v->SpaceBefore || SpaceAfter != v->SpaceAfter ||
      LineSpacing != v->LineSpacing || LineSpacingType != v->LineSpacingType ||
      Options != v->Options || BiDiMode != v->BiDiMode)
    return false;
  if (!ignoreReferences && (NextParaNo != v->NextParaNo || DefStyleNo != v->DefStyleNo))
    return false;
  return Background.IsEqual(v->Background) && Border.IsEqual(v->Border);
}

size_t TParaInfo::MergeKey() const {
  size_t key = 1;
  Mix(key, Alignment);
  Mix(key, FirstIndent);
  Mix(key, LeftIndent);
  Mix(key, RightIndent);
  Mix(key, SpaceBefore);
  Mix(key, SpaceAfter);
  Mix(key, LineSpacing);
  Mix(key, LineSpacingType);
  Mix(key, BiDiMode);
  return key;
}

bool TParaInfo::IsEqualMapped(const TCustomVLInfo& value, const TVLIntegerList& mapping) const {
  return IsEqual(value, true, false) &&
         SameMappedReference(NextParaNo, static_cast<const TParaInfo&>(value).NextParaNo, mapping);
}

bool TParaInfo::IsEqualMasked(const TParaInfo& value, Cardinal mask) const {
  auto has = [mask](Cardinal bit) { return (mask & bit) != 0; };
  if (has(vlpiFirstIndent) && FirstIndent != value.FirstIndent) return false;
  if (has(vlpiLeftIndent) && LeftIndent != value.LeftIndent) return false;
  if (has(vlpiRightIndent) && RightIndent != value.RightIndent) return false;
  if (has(vlpiSpaceBefore) && SpaceBefore != value.SpaceBefore) return false;
  if (has(vlpiSpaceAfter) && SpaceAfter != value.SpaceAfter) return false;
  if (has(vlpiAlignment) && Alignment != value.Alignment) return false;
  if (has(vlpiNextParaNo) && NextParaNo != value.NextParaNo) return false;
  if (has(vlpiDefStyleNo) && DefStyleNo != value.DefStyleNo) return false;
  if (has(vlpiLineSpacing) && LineSpacing != value.LineSpacing) return false;
  if (has(vlpiLineSpacingType) && LineSpacingType != value.LineSpacingType) return false;
  if (has(vlpiBackground_Color) && Background.Color != value.Background.Color) return false;
  if (!Background.BorderOffsets.IsEqualEx(
          value.Background.BorderOffsets, !has(vlpiBackground_BO_Left),
          !has(vlpiBackground_BO_Top), !has(vlpiBackground_BO_Right),
          !has(vlpiBackground_BO_Bottom)))
    return false;
  if (!Border.IsEqualMasked(value.Border, mask)) return false;
  const std::pair<Cardinal, TVLParaOption> opts[] = {{vlpiNoWrap, vlpaoNoWrap},
                                                     {vlpiReadOnly, vlpaoReadOnly},
                                                     {vlpiStyleProtect, vlpaoStyleProtect},
                                                     {vlpiDoNotWantReturns, vlpaoDoNotWantReturns}};
  for (const auto& [bit, opt] : opts)
    if (has(bit) && Options.Contains(opt) != value.Options.Contains(opt)) return false;
  if (has(vlpiBiDiMode) && BiDiMode != value.BiDiMode) return false;
  return true;
}

Integer TParaInfo::SimilarityValue(const TCustomVLInfo& value) const {
  auto v = dynamic_cast<const TParaInfo*>(&value);
  if (!v) return 0;
  Int64 r = Int64{IntegerSimilarity(FirstIndent, v->FirstIndent, 1000)} +
              IntegerSimilarity(LeftIndent, v->LeftIndent, 1000) +
              IntegerSimilarity(RightIndent, v->RightIndent, 1000) +
              IntegerSimilarity(SpaceBefore, v->SpaceBefore, 1000) +
              IntegerSimilarity(SpaceAfter, v->SpaceAfter, 1000);
  const TVLRect& b1 = Background.BorderOffsets;
  const TVLRect& b2 = v->Background.BorderOffsets;
  r += ColorSimilarity(Background.Color, v->Background.Color, 10000, 50000) +
       IntegerSimilarity(b1.Left, b2.Left, 100) + IntegerSimilarity(b1.Top, b2.Top, 100) +
       IntegerSimilarity(b1.Right, b2.Right, 100) + IntegerSimilarity(b1.Bottom, b2.Bottom, 100);
  r += Border.SimilarityValue(v->Border);
  if (Alignment == v->Alignment) r += 50000;
  if (BiDiMode == v->BiDiMode) r += 10000;
  auto same = [&](TVLParaOption o) { return Options.Contains(o) == v->Options.Contains(o); };
  if (same(vlpaoNoWrap)) r += 1000;
  if (same(vlpaoReadOnly)) r += 100000;
  if (same(vlpaoStyleProtect)) r += 1000;
  if (same(vlpaoDoNotWantReturns)) r += 10000;
  if (LineSpacingType == v->LineSpacingType) {
    r += IntegerSimilarity(LineSpacing, v->LineSpacing, 5000);
  } else {
    auto extra = [](const TParaInfo& p) {
      return p.LineSpacingType == vllsPercent ? p.LineSpacing > 100 : p.LineSpacing > 0;
    };
    if (extra(*this) != extra(*v)) r -= 20000;
  }
  return Clamp32(static_cast<double>(r));
}

Integer TParaInfos::FindSuchStyle(Integer baseParaNo, const TParaInfo& style, Cardinal mask) {
  if (Items(baseParaNo)->IsEqualMasked(style, mask)) return baseParaNo;
  for (Integer i = 0; i < Count(); ++i)
    if (i != baseParaNo && Items(i)->IsEqualMasked(style, mask)) return i;
  return -1;
}

// ---------------------------------------------------------------------------
// List styles.
bool TVLListLevel::IsEqual(const TVLListLevel& value) const {
  if (ListType != value.ListType || StartFrom != value.StartFrom ||
      ImageList != value.ImageList || ImageIndex != value.ImageIndex ||
      FormatString != value.FormatString || FormatStringW != value.FormatStringW ||
      LeftIndent != value.LeftIndent || FirstIndent != value.FirstIndent ||
      MarkerIndent != value.MarkerIndent || MarkerAlignment != value.MarkerAlignment ||
      Options != value.Options)
    return false;
  const bool plain1 = !FFont || FFont->IsDefault();
  const bool plain2 = !value.FFont || value.FFont->IsDefault();
  if (!(plain1 && plain2)) {
    if (!FFont || !value.FFont || !FFont->IsEqual(*value.FFont)) return false;
  }
  return PicturesEqual(FPicture.get(), value.FPicture.get());
}

Integer TVLListLevel::SimilarityValue(const TVLListLevel& value) const {
  Integer r = 0;
  if (ListType == value.ListType) r += 5000;
  if (StartFrom == value.StartFrom) r += 100;
  if (ImageList == value.ImageList) r += 100;
  if (ImageIndex == value.ImageIndex) r += 100;
  if (FormatString == value.FormatString) r += 100;
  if (FormatStringW == value.FormatStringW) r += 100;
  if (LeftIndent == value.LeftIndent) r += 100;
  if (FirstIndent == value.FirstIndent) r += 200;
  if (MarkerIndent == value.MarkerIndent) r += 100;
  if (MarkerAlignment == value.MarkerAlignment) r += 100;
  if (Options == value.Options) r += 100;
  const bool plain1 = !FFont || FFont->IsDefault();
  const bool plain2 = !value.FFont || value.FFont->IsDefault();
  if ((plain1 && plain2) || (FFont && value.FFont && FFont->IsEqual(*value.FFont))) r += 100;
  if (PicturesEqual(FPicture.get(), value.FPicture.get())) r += 100;
  return r;
}

bool TVLListLevelCollection::IsEqual(const TVLListLevelCollection& value) const {
  if (Count() != value.Count()) return false;
  for (Integer i = 0; i < Count(); ++i)
    if (!Items(i)->IsEqual(*value.Items(i))) return false;
  return true;
}

bool TVLListInfo::IsEqual(const TCustomVLInfo& value, bool /*ignoreReferences*/,
                          bool ignoreID) const {
  auto v = dynamic_cast<const TVLListInfo*>(&value);
  if (!v) return false;
  if (OneLevelPreview != v->OneLevelPreview || Levels->Count() != v->Levels->Count()) return false;
  if (!ignoreID && GetListID() != v->GetListID()) return false;
  return Levels->IsEqual(*v->Levels);
}

size_t TVLListInfo::MergeKey() const {
  size_t key = 2;
  Mix(key, OneLevelPreview);
  Mix(key, Levels->Count());
  for (Integer i = 0; i < Levels->Count(); ++i) Mix(key, Levels->Items(i)->ListType);
  return key;
}

bool TVLListInfo::IsEqualMapped(const TCustomVLInfo& value,
                                const TVLIntegerList& /*mapping*/) const {
  return IsEqual(value, true, false);
}

Integer TVLListInfo::SimilarityValue(const TCustomVLInfo& value) const {
  auto v = dynamic_cast<const TVLListInfo*>(&value);
  if (!v) return 0;
  Integer r = 0;
  if (OneLevelPreview == v->OneLevelPreview) r += 100;
  if (GetListID() == v->GetListID()) r += 50;
  const Integer n1 = Levels->Count(), n2 = v->Levels->Count();
  for (Integer i = 0; i < std::min(n1, n2); ++i)
    r += Levels->Items(i)->SimilarityValue(*v->Levels->Items(i));
  r -= 100 * std::abs(n1 - n2);
  return r;
}

Integer TVLListInfos::FindSuchList(const TVLListInfo& list, bool addIfNotFound) {
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->IsEqual(list, false, true)) return i;
  if (!addIfNotFound) return -1;
  TVLListInfo* added = Add();
  added->Assign(&list);
  added->Standard = false;
  return Count() - 1;
}

Integer TVLListInfos::FindListByLevels(const TVLListLevelCollection& levels,
                                       const String& styleName, bool addIfNotFound) {
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->Levels->IsEqual(levels)) return i;
  if (!addIfNotFound) return -1;
  TVLListInfo* added = Add();
  added->Standard = false;
  added->StyleName = styleName;
  added->OneLevelPreview = true;
  added->SetLevels(levels);
  return Count() - 1;
}

bool TVLListInfos::MergeTargetReusable(const TCustomVLInfo& incoming) const {
  return !static_cast<const TVLListInfo&>(incoming).HasNumbering();
}
