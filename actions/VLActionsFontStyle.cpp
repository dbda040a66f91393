#include "actions/VLActionsFontStyle.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace {
TFontInfo* CurrentStyle(TVLActionEditor* editor) {
  TVLStyle* sheet = editor ? editor->GetStyle() : nullptr;
  return sheet ? sheet->TextStyles->Items(editor->GetCurTextStyleNo()) : nullptr;
}

Integer RoundedPercent(Integer size, Integer factor) {
  const double t = std::nearbyint(static_cast<double>(static_cast<int64_t>(size) * factor) / 100.0);
  if (t > std::numeric_limits<Integer>::max() || t < std::numeric_limits<Integer>::min())
    throw EIntOverflow("Integer overflow");
  return static_cast<Integer>(t);
}
}  // namespace

TvlActionFontStyle::TvlActionFontStyle(TComponent* AOwner, TFontStyle Toggled, Word Id)
    : TvlActionTextStyles(AOwner), FFontStyle(Toggled) {
  MessageID = Id;
  Localize();
}

void TvlActionFontStyle::UpdateTarget(TObject* Target) {
  try {
    TVLActionEditor* editor = GetControl(Target);
    bool enabled = StandardEnabled() && editor && editor->GetStyle();
    SetEnabled(enabled);
    SetChecked(enabled && CurrentStyle(editor)->Style.Contains(FFontStyle));
  } catch (...) {
    SetEnabled(false);
  }
}

void TvlActionFontStyle::ConvertTextStyle(TVLActionEditor* Editor, TFontInfo& Style, Integer StyleNo, Integer) {
  if (GetChecked())
    Style.Style.Exclude(FFontStyle);
  else
    Style.Style.Include(FFontStyle);
  // A style of the words' own name that looks so is theirs; else the style
  // made records the one it was made from, so that it follows later
  // changes of that style, and is not taken for a look-alike of another name.
  TVLStyle* sheet = Editor ? Editor->GetStyle() : nullptr;
  if (!sheet || StyleNo < 0 || StyleNo >= sheet->TextStyles->Count()) return;
  TFontInfos& styles = *sheet->TextStyles;
  const TFontInfo* current = styles.Items(StyleNo);
  for (Integer i = 0; i < styles.Count(); ++i) {
    const TFontInfo* s = styles.Items(i);
    if (s->StyleName == current->StyleName && Style.IsEqualMasked(*s, vlfiAll & ~vlfiBaseStyleNo)) {
      Style.BaseStyleNo = s->BaseStyleNo;
      return;
    }
  }
  Style.BaseStyleNo = current->Standard || current->BaseStyleNo < 0 || current->BaseStyleNo >= styles.Count()
                          ? StyleNo
                          : current->BaseStyleNo;
}

TvlActionFontStyleEx::TvlActionFontStyleEx(TComponent* AOwner, TVLFontStyle Toggled, Word Id)
    : TvlActionTextStyles(AOwner), FStyleEx(Toggled) {
  MessageID = Id;
  Localize();
}

void TvlActionFontStyleEx::UpdateTarget(TObject* Target) {
  try {
    TVLActionEditor* editor = GetControl(Target);
    bool enabled = StandardEnabled() && editor && editor->GetStyle();
    SetEnabled(enabled);
    SetChecked(enabled && CurrentStyle(editor)->StyleEx.Contains(FStyleEx));
  } catch (...) {
    SetEnabled(false);
  }
}

void TvlActionFontStyleEx::ConvertTextStyle(TVLActionEditor*, TFontInfo& Style, Integer, Integer) {
  if (GetChecked())
    Style.StyleEx.Exclude(FStyleEx);
  else
    Style.StyleEx.Include(FStyleEx);
}

// ---------------------------------------------------------------------------

Integer GrowSizeByPercent(Integer Size, Integer Percent, Integer MaxSize) {
  Integer t = RoundedPercent(Size, 100 + Percent);
  if (t == Size) t += t > 0 ? 1 : -1;
  if (t > MaxSize) t = MaxSize;
  // A negative size is a size too: its magnitude is bounded the same way.
  if (t < 0 && t < -std::abs(MaxSize)) t = -std::abs(MaxSize);
  return t;
}

Integer ShrinkSizeByPercent(Integer Size, Integer Percent, Integer MinSize) {
  Integer t = RoundedPercent(Size, 100 - Percent);
  if (t == Size) t += t > 0 ? -1 : 1;
  if (t > 0 && t < MinSize) t = MinSize;
  if (t == 0) t = 1;
  return t;
}

Integer GrowSizeByOnePoint(Integer Size, Integer MaxSize) {
  const Integer l = std::abs(MaxSize);
  if (Size > 0) return Size + 1 > l ? l : Size + 1;
  const Integer t = Size - 1;
  return std::abs(t) > l ? -l : t;
}

Integer ShrinkSizeByOnePoint(Integer Size, Integer MinSize) {
  const Integer l = std::abs(MinSize);
  if (Size > 0) return Size - 1 < l ? l : Size - 1;
  const Integer t = Size + 1;
  return l > std::abs(t) ? -l : t;
}

TvlActionFontGrow::TvlActionFontGrow(TComponent* AOwner) : TvlActionFontShrinkGrow(AOwner) {
  MessageID = 165;
  Localize();
}

TvlActionFontShrink::TvlActionFontShrink(TComponent* AOwner) : TvlActionFontShrinkGrow(AOwner) {
  MessageID = 167;
  Localize();
}

TvlActionFontGrowOnePoint::TvlActionFontGrowOnePoint(TComponent* AOwner) : TvlActionTextStyles(AOwner) {
  MessageID = 169;
  Localize();
}

TvlActionFontShrinkOnePoint::TvlActionFontShrinkOnePoint(TComponent* AOwner) : TvlActionTextStyles(AOwner) {
  MessageID = 171;
  Localize();
}
