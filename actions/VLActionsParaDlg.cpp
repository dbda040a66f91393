#include "actions/VLActionsParaDlg.h"

#include "actions/ParaBrdrVLFrm.h"
#include "actions/ParaVLFrm.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

void FitIndentsToBorder(TParaInfo& P) {
  if (P.Border.Style == vlbNone) return;
  const Integer w = P.Border.GetTotalWidth() - 1;
  const TVLRect& o = P.Border.BorderOffsets;
  P.LeftIndent = std::max(P.LeftIndent, o.Left + w);
  P.RightIndent = std::max(P.RightIndent, o.Right + w);
  P.SpaceBefore = std::max(P.SpaceBefore, o.Top + w);
  P.SpaceAfter = std::max(P.SpaceAfter, o.Bottom + w);
}

namespace {
// The line spacing in percent, or -1 when it is no percentage.
Integer PercentSpacing(const TParaInfo& S) {
  if (S.LineSpacingType == vllsPercent) return S.LineSpacing;
  return S.LineSpacing == 0 ? 100 : -1;
}
Integer Limited(const TVLSpinEdit& se) { return static_cast<Integer>(se.CheckValue(se.AsInteger())); }

template <typename Action>
void Gather(Action& action, TVLActionEditor* Editor) {
  TVLActionEditor* inner = Editor->GetInnermostEditor();
  Integer first = 0, last = 0;
  GetSelectedItemRange(inner, first, last);
  Integer previous = -1;
  action.WalkItems(inner->GetVLData(), inner, first, last, &previous);
}
}  // namespace

TvlActionParagraph::TvlActionParagraph(TComponent* AOwner) : TvlActionParaStyles(AOwner) {
  MessageID = 77;
  Localize();
}

void TvlActionParagraph::ProcessItem(TCustomVLData* VLData, Integer ItemNo, TVLActionEditor* Data, void* Param) {
  Integer& previous = *static_cast<Integer*>(Param);
  const Integer no = VLData->GetItemPara(ItemNo);
  if (no == previous || no < 0) return;
  const TParaInfo& S = *Data->GetStyle()->ParaStyles->Items(no);
  if (previous == -1) {
    Alignment = S.Alignment;
    FirstIndent = S.FirstIndent;
    LeftIndent = S.LeftIndent;
    RightIndent = S.RightIndent;
    SpaceBefore = S.SpaceBefore;
    SpaceAfter = S.SpaceAfter;
    LineSpacing = PercentSpacing(S);
    if (LineSpacing < 0) ValidProperties.Exclude(vlppLineSpacing);
  } else {
    TVLParaProperties& v = ValidProperties;
    if (S.Alignment != Alignment) v.Exclude(vlppAlignment);
    if (S.FirstIndent != FirstIndent) v.Exclude(vlppFirstIndent);
    if (S.LeftIndent != LeftIndent) v.Exclude(vlppLeftIndent);
    if (S.RightIndent != RightIndent) v.Exclude(vlppRightIndent);
    if (S.SpaceBefore != SpaceBefore) v.Exclude(vlppSpaceBefore);
    if (S.SpaceAfter != SpaceAfter) v.Exclude(vlppSpaceAfter);
    const Integer ls = PercentSpacing(S);
    if (ls < 0 || ls != LineSpacing) v.Exclude(vlppLineSpacing);
  }
  previous = no;
}

void TvlActionParagraph::GatherProperties(TVLActionEditor* Editor) {
  ValidProperties = AllParaProperties;
  Gather(*this, Editor);
}

void TvlActionParagraph::FillDialog(TfrmVLPara& d, TVLActionEditor* E) {
  // The ranges first, so that an indent reaching into the margin shows as it is.
  d.seLeftIndent->MinValue = -E->GetLeftMargin();
  d.seRightIndent->MinValue = -E->GetRightMargin();
  d.vl->LeftMargin = E->GetLeftMargin() / 2;
  d.vl->RightMargin = E->GetRightMargin() / 2;
  const TVLParaProperties& v = ValidProperties;
  if (v.Contains(vlppAlignment)) d.gbAlignment->SetItemIndex(static_cast<Integer>(Alignment));
  if (v.Contains(vlppFirstIndent)) {
    d.rbPositive->SetChecked(FirstIndent > 0);
    d.rbNegative->SetChecked(FirstIndent < 0);
    d.seFirstLineIndent->SetValue(std::abs(FirstIndent));
  }
  if (v.Contains(vlppLeftIndent)) d.seLeftIndent->SetValue(LeftIndent);
  if (v.Contains(vlppRightIndent)) d.seRightIndent->SetValue(RightIndent);
  if (v.Contains(vlppSpaceBefore)) d.seSpaceBefore->SetValue(SpaceBefore);
  if (v.Contains(vlppSpaceAfter)) d.seSpaceAfter->SetValue(SpaceAfter);
  int item = 3;
  if (v.Contains(vlppLineSpacing)) {
    if (LineSpacing == 100) item = 0;
    else if (LineSpacing == 150) item = 1;
    else if (LineSpacing == 200) item = 2;
    else d.seLineSpacingValue->SetValue(LineSpacing / 100.0);
  }
  d.SetComboBoxItemIndex(d._cmbLineSpacing, item);
}

void TvlActionParagraph::ReadDialog(TfrmVLPara& d) {
  ValidProperties = TVLParaProperties();
  const int a = d.gbAlignment->GetItemIndex();
  if (a >= 0) {
    ValidProperties.Include(vlppAlignment);
    Alignment = static_cast<TVLAlignment>(a);
  }
  struct Field {
    TVLSpinEdit* se;
    TVLParaProperty property;
    Integer* value;
  };
  for (const Field& f : {Field{d.seSpaceBefore, vlppSpaceBefore, &SpaceBefore},
                         Field{d.seSpaceAfter, vlppSpaceAfter, &SpaceAfter},
                         Field{d.seLeftIndent, vlppLeftIndent, &LeftIndent},
                         Field{d.seRightIndent, vlppRightIndent, &RightIndent}}) {
    if (f.se->GetIndeterminate()) continue;
    ValidProperties.Include(f.property);
    *f.value = Limited(*f.se);
  }
  if (!d.seFirstLineIndent->GetIndeterminate()) {
    ValidProperties.Include(vlppFirstIndent);
    const Integer n = Limited(*d.seFirstLineIndent);
    FirstIndent = d.rbNegative->GetChecked() ? -n : n;
  }
  switch (d.GetComboBoxItemIndex(d._cmbLineSpacing)) {
    case 0: LineSpacing = 100; ValidProperties.Include(vlppLineSpacing); break;
    case 1: LineSpacing = 150; ValidProperties.Include(vlppLineSpacing); break;
    case 2: LineSpacing = 200; ValidProperties.Include(vlppLineSpacing); break;
    case 3:
      if (!d.seLineSpacingValue->GetIndeterminate()) {
        // Limited as the field allows: "by" 0.1 must not become 10 percent.
        const double by = d.seLineSpacingValue->CheckValue(d.seLineSpacingValue->GetValue());
        LineSpacing = static_cast<Integer>(std::nearbyint(by * 100));
        ValidProperties.Include(vlppLineSpacing);
      }
      break;
    default: break;
  }
}

void TvlActionParagraph::ConvertParaStyle(TVLActionEditor* Editor, TParaInfo& P, Integer, Integer) {
  const TVLParaProperties& v = ValidProperties;
  const bool newFirstLine = v.Contains(vlppFirstIndent) && P.FirstIndent != FirstIndent;
  if (v.Contains(vlppFirstIndent)) P.FirstIndent = FirstIndent;
  if (v.Contains(vlppLeftIndent)) {
    P.LeftIndent = LeftIndent;
  } else if (newFirstLine && Editor) {
    // Each paragraph keeps its own left indent, raised only where a new
    // hanging first line would start left of the lowest indent the dialog
    // allows.
    P.LeftIndent = std::max(P.LeftIndent, -Editor->GetLeftMargin() - P.FirstIndent);
  }
  if (v.Contains(vlppRightIndent)) P.RightIndent = RightIndent;
  if (v.Contains(vlppSpaceBefore)) P.SpaceBefore = SpaceBefore;
  if (v.Contains(vlppSpaceAfter)) P.SpaceAfter = SpaceAfter;
  if (v.Contains(vlppAlignment)) P.Alignment = Alignment;
  if (v.Contains(vlppLineSpacing)) {
    P.LineSpacing = LineSpacing;
    P.LineSpacingType = vllsPercent;
  }
  FitIndentsToBorder(P);
}

void TvlActionParagraph::ExecuteTarget(TObject* Target) {
  TVLActionEditor* editor = GetControl(Target);
  if (!editor) return;
  if (!UserInterface) {
    ApplyParaConversion(editor, 0);
    return;
  }
  GatherProperties(editor);
  std::unique_ptr<TfrmVLPara> d(CreateVLForm<TfrmVLPara>(Application));
  FillDialog(*d, editor->GetInnermostEditor());
  if (d->ShowModal() == mrOk) {
    ReadDialog(*d);
    ApplyParaConversion(editor, 0);
  }
}

// ---------------------------------------------------------------------------

TvlActionParaBorder::TvlActionParaBorder(TComponent* AOwner) : TvlActionParaStyles(AOwner) {
  MessageID = 101;
  Localize();
}

void TvlActionParaBorder::ProcessItem(TCustomVLData* VLData, Integer ItemNo, TVLActionEditor* Data, void* Param) {
  Integer& previous = *static_cast<Integer*>(Param);
  const Integer no = VLData->GetItemPara(ItemNo);
  if (no == previous || no < 0) return;
  const TParaInfo& S = *Data->GetStyle()->ParaStyles->Items(no);
  if (previous == -1) {
    Border.Assign(&S.Border);
    Background.Assign(&S.Background);
  } else {
    const TVLBorder& b = S.Border;
    const TVLRect& pad = S.Background.BorderOffsets;
    const struct {
      Cardinal bit;
      bool same;
    } checks[] = {
        {vlpbBackColor, S.Background.Color == Background.Color},
        {vlpbPaddingLeft, pad.Left == Background.BorderOffsets.Left},
        {vlpbPaddingTop, pad.Top == Background.BorderOffsets.Top},
        {vlpbPaddingRight, pad.Right == Background.BorderOffsets.Right},
        {vlpbPaddingBottom, pad.Bottom == Background.BorderOffsets.Bottom},
        {vlpbColor, b.Color == Border.Color},
        {vlpbStyle, b.Style == Border.Style},
        {vlpbWidth, b.Width == Border.Width},
        {vlpbInternalWidth, b.InternalWidth == Border.InternalWidth},
        {vlpbOffsetLeft, b.BorderOffsets.Left == Border.BorderOffsets.Left},
        {vlpbOffsetTop, b.BorderOffsets.Top == Border.BorderOffsets.Top},
        {vlpbOffsetRight, b.BorderOffsets.Right == Border.BorderOffsets.Right},
        {vlpbOffsetBottom, b.BorderOffsets.Bottom == Border.BorderOffsets.Bottom},
        {vlpbVisibleLeft, b.VisibleBorders.Left == Border.VisibleBorders.Left},
        {vlpbVisibleTop, b.VisibleBorders.Top == Border.VisibleBorders.Top},
        {vlpbVisibleRight, b.VisibleBorders.Right == Border.VisibleBorders.Right},
        {vlpbVisibleBottom, b.VisibleBorders.Bottom == Border.VisibleBorders.Bottom},
    };
    for (const auto& c : checks)
      if (!c.same) ValidProperties &= ~c.bit;
  }
  previous = no;
}

void TvlActionParaBorder::GatherProperties(TVLActionEditor* Editor) {
  ValidProperties = vlpbAll;
  Gather(*this, Editor);
}

void TvlActionParaBorder::FillDialog(TfrmVLParaBrdr& d) {
  const Cardinal v = ValidProperties;
  d.ColorDialog = GetSharedColorDialog();
  if (v & vlpbWidth) {
    const int count = d.GetComboBoxItems(d._cmbWidth).Count();
    const int index = Border.Width - 1;
    d.SetComboBoxItemIndex(d._cmbWidth, index >= 0 && index < count ? index : -1);
  }
  if (v & vlpbColor) d.cmbColor->SetChosenColor(Border.Color);
  if (v & vlpbBackColor) {
    d.ColorIndeterminate = false;
    d.SetFillColor(Background.Color);
  }
  if (v & vlpbStyle) d.rgBorderType->SetItemIndex(static_cast<Integer>(Border.Style));
  if (v & vlpbInternalWidth) d.seIW->SetValue(Border.InternalWidth);
  TVLBooleanRect known(false);
  known.SetValues(v & vlpbOffsetLeft, v & vlpbOffsetTop, v & vlpbOffsetRight, v & vlpbOffsetBottom);
  d.SetBorderOffsets(Border.BorderOffsets, known);
  known.SetValues(v & vlpbPaddingLeft, v & vlpbPaddingTop, v & vlpbPaddingRight, v & vlpbPaddingBottom);
  d.SetPadding(Background.BorderOffsets, known);
  const struct {
    Cardinal bit;
    TSpeedButton* button;
    bool visible;
  } sides[] = {{vlpbVisibleLeft, d.btnLeft, Border.VisibleBorders.Left},
               {vlpbVisibleTop, d.btnTop, Border.VisibleBorders.Top},
               {vlpbVisibleRight, d.btnRight, Border.VisibleBorders.Right},
               {vlpbVisibleBottom, d.btnBottom, Border.VisibleBorders.Bottom}};
  for (const auto& s : sides) {
    if (!(v & s.bit)) continue;
    s.button->SetFlat(false);
    s.button->SetDown(s.visible);
  }
}

void TvlActionParaBorder::ReadDialog(TfrmVLParaBrdr& d) {
  Cardinal v = 0;
  const int width = d.GetComboBoxItemIndex(d._cmbWidth);
  if (width >= 0) {
    v |= vlpbWidth;
    Border.Width = width + 1;
  }
  if (!d.cmbColor->GetIndeterminate()) {
    v |= vlpbColor;
    Border.Color = d.cmbColor->GetChosenColor();
  }
  if (!d.ColorIndeterminate) {
    v |= vlpbBackColor;
    Background.Color = d.FillColor;
  }
  if (d.rgBorderType->GetItemIndex() >= 0) {
    v |= vlpbStyle;
    Border.Style = static_cast<TVLBorderStyle>(d.rgBorderType->GetItemIndex());
  }
  if (!d.seIW->GetIndeterminate()) {
    v |= vlpbInternalWidth;
    Border.InternalWidth = Limited(*d.seIW);
  }
  TVLBooleanRect known(false);
  d.GetBorderOffsets(Border.BorderOffsets, known);
  if (known.Left) v |= vlpbOffsetLeft;
  if (known.Top) v |= vlpbOffsetTop;
  if (known.Right) v |= vlpbOffsetRight;
  if (known.Bottom) v |= vlpbOffsetBottom;
  d.GetPadding(Background.BorderOffsets, known);
  if (known.Left) v |= vlpbPaddingLeft;
  if (known.Top) v |= vlpbPaddingTop;
  if (known.Right) v |= vlpbPaddingRight;
  if (known.Bottom) v |= vlpbPaddingBottom;
  const struct {
    Cardinal bit;
    TSpeedButton* button;
    bool* visible;
  } sides[] = {{vlpbVisibleLeft, d.btnLeft, &Border.VisibleBorders.Left},
               {vlpbVisibleTop, d.btnTop, &Border.VisibleBorders.Top},
               {vlpbVisibleRight, d.btnRight, &Border.VisibleBorders.Right},
               {vlpbVisibleBottom, d.btnBottom, &Border.VisibleBorders.Bottom}};
  for (const auto& s : sides) {
    if (s.button->GetFlat()) continue;
    v |= s.bit;
    *s.visible = s.button->GetDown();
  }
  ValidProperties = v;
}

void TvlActionParaBorder::ConvertParaStyle(TVLActionEditor*, TParaInfo& P, Integer, Integer) {
  const Cardinal v = ValidProperties;
  TVLBorder& b = P.Border;
  TVLRect& pad = P.Background.BorderOffsets;
  if (v & vlpbBackColor) P.Background.Color = Background.Color;
  if (v & vlpbPaddingLeft) pad.Left = Background.BorderOffsets.Left;
  if (v & vlpbPaddingTop) pad.Top = Background.BorderOffsets.Top;
  if (v & vlpbPaddingRight) pad.Right = Background.BorderOffsets.Right;
  if (v & vlpbPaddingBottom) pad.Bottom = Background.BorderOffsets.Bottom;
  if (v & vlpbColor) b.Color = Border.Color;
  if (v & vlpbStyle) b.Style = Border.Style;
  if (v & vlpbWidth) b.Width = Border.Width;
  if (v & vlpbInternalWidth) b.InternalWidth = Border.InternalWidth;
  if (v & vlpbOffsetLeft) b.BorderOffsets.Left = Border.BorderOffsets.Left;
  if (v & vlpbOffsetTop) b.BorderOffsets.Top = Border.BorderOffsets.Top;
  if (v & vlpbOffsetRight) b.BorderOffsets.Right = Border.BorderOffsets.Right;
  if (v & vlpbOffsetBottom) b.BorderOffsets.Bottom = Border.BorderOffsets.Bottom;
  if (v & vlpbVisibleLeft) b.VisibleBorders.Left = Border.VisibleBorders.Left;
  if (v & vlpbVisibleTop) b.VisibleBorders.Top = Border.VisibleBorders.Top;
  if (v & vlpbVisibleRight) b.VisibleBorders.Right = Border.VisibleBorders.Right;
  if (v & vlpbVisibleBottom) b.VisibleBorders.Bottom = Border.VisibleBorders.Bottom;
  FitIndentsToBorder(P);
}

void TvlActionParaBorder::ExecuteTarget(TObject* Target) {
  TVLActionEditor* editor = GetControl(Target);
  if (!editor) return;
  if (!UserInterface) {
    ApplyParaConversion(editor, 0);
    return;
  }
  GatherProperties(editor);
  std::unique_ptr<TfrmVLParaBrdr> d(CreateVLForm<TfrmVLParaBrdr>(Application));
  FillDialog(*d);
  if (d->ShowModal() == mrOk) {
    ReadDialog(*d);
    ApplyParaConversion(editor, 0);
  }
}
