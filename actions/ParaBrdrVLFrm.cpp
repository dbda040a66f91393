#include "actions/ParaBrdrVLFrm.h"

#include "actions/FourSidesVLFrm.h"
#include "actions/VLALocalize.h"
#include "platform/gui/GfxColors.h"

#include <algorithm>
#include <memory>
#include <string>

String RGBColorName(TColor Color) {
  const TColor rgb = ColorToRGB(Color);
  return "RGB(" + std::to_string(rgb & 0xFF) + "," + std::to_string((rgb >> 8) & 0xFF) + "," +
         std::to_string((rgb >> 16) & 0xFF) + ")";
}

namespace {
// The six border types as pictures.
void DrawBorderType(TCanvas& c, int type) {
  c.Brush.Color = clWindow;
  c.FillRect(TRect(0, 0, 24, 24));
  c.Brush.Style = bsClear;
  c.Pen.Color = clWindowText;
  c.Pen.Style = psSolid;
  c.Pen.Width = 1;
  auto box = [&](Integer inset, Integer width) {
    c.Pen.Width = width;
    c.Pen.Style = psInsideFrame;
    c.Rectangle(inset, inset, 24 - inset, 24 - inset);
  };
  switch (type) {
    case 0:
      c.Pen.Color = clGray;
      c.Pen.Style = psDot;
      c.Rectangle(3, 3, 21, 21);
      break;
    case 1: box(3, 1); break;
    case 2: box(3, 1); box(6, 1); break;
    case 3: box(2, 1); box(5, 1); box(8, 1); break;
    case 4: box(3, 1); box(6, 3); break;
    default: box(3, 3); box(8, 1); break;
  }
  c.Brush.Style = bsSolid;
}
}  // namespace

TfrmVLParaBrdr::TfrmVLParaBrdr(TComponent* AOwner) : TfrmVLBorderSides(AOwner) {
  SetText("frmVLParaBrdr");
  Position = poScreenCenter;
  HelpContext = 91500;
  ImageList1 = new TCustomImageList(this, 24, 24);
  ImageList1->SetName("ImageList1");
  for (int k = 0; k < 6; ++k) {
    TBitmap bmp;
    bmp.SetSize(24, 24);
    DrawBorderType(*bmp.Canvas(), k);
    ImageList1->Add(&bmp, nullptr);
  }
  ColorDialog1 = new TColorDialog(this);
  ColorDialog1->SetName("ColorDialog1");

  rgBorderType = PutControl<TVLOfficeRadioGroup>(this, ts1, "rgBorderType", 8, 6, 404, 98);
  rgBorderType->SetColumns(6);
  rgBorderType->SetMargin(5);
  rgBorderType->SetSquare(true);
  rgBorderType->SetTextAreaHeight(30);
  rgBorderType->SetImages(ImageList1);
  for (int i = 0; i < 6; ++i) rgBorderType->AddItem("Item", i);
  rgBorderType->OnClick = [this](TObject* s) { rgBorderTypeClick(s); };

  // Above its field, as colour and width are: the label runs long in some
  // languages.
  lblIW = PutControl<TLabel>(this, gbSettings, "lblIW", 10, 118, 150, 16);
  seIW = PutControl<TVLSpinEdit>(this, gbSettings, "seIW", 10, 134, 56, 24);
  seIW->MinValue = 1;
  seIW->MaxValue = 10;
  seIW->SetValue(1);
  seIW->SetIndeterminate(true);
  seIW->OnChange = [this](TObject*) { UpdateSample(); };
  lblIW->SetFocusControl(seIW);
  btnOffsets = PutControl<TButton>(this, gbSettings, "btnOffsets", 10, 164, 120, 25);
  btnOffsets->OnClick = [this](TObject* s) { btnOffsetsClick(s); };
  cmbWidth->OnClick = cmbWidth->OnSelect = [this](TObject* s) { cmbWidthClick(s); };

  gbFillColor = PutControl<TGroupBox>(this, ts2, "gbFillColor", 8, 6, 196, 300);
  vlcg = PutControl<TVLColorGrid>(this, gbFillColor, "vlcg", 26, 22, 144, 114);
  vlcg->SetFirstCaption("Transparent");
  vlcg->SetIndeterminate(true);
  vlcg->OnColorChange = [this](TObject* s) { vlcgColorChange(s); };
  lblBackColor = PutControl<TLabel>(this, gbFillColor, "lblBackColor", 26, 144, 150, 16);
  lblBackColor->SetText("");
  btnColor = PutControl<TButton>(this, gbFillColor, "btnColor", 26, 170, 144, 25);
  btnColor->OnClick = [this](TObject* s) { btnColorClick(s); };
  btnPadding = PutControl<TButton>(this, gbFillColor, "btnPadding", 26, 202, 144, 25);
  btnPadding->OnClick = [this](TObject* s) { btnPaddingClick(s); };

  PageControl1->OnChange = [this](TObject* s) { PageControl1Change(s); };
  vl->SetEnabled(false);
  vl->TabStop = false;

  vls->TextStyles->Clear();
  TFontInfo* text = vls->TextStyles->Add();
  text->StyleName = "Main Text";
  text->FontName = "Small Fonts";
  text->Size = 5;
  text->Color = clInfoText;
  vls->ParaStyles->Clear();
  TParaInfo* in = vls->ParaStyles->Add();
  in->StyleName = "In Table";
  in->FirstIndent = in->LeftIndent = in->RightIndent = in->SpaceBefore = in->SpaceAfter = 10;
  vls->ParaStyles->Add()->StyleName = "Outside";
}

void TfrmVLParaBrdr::Localize() {
  TfrmVLBorderSides::Localize();
  SetText(LanguageText(466));
  ts1->SetText(LanguageTextPadded(467));
  ts2->SetText(LanguageTextPadded(468));
  gbSettings->SetText(LanguageTextPadded(469));
  lblColor->SetText(LanguageText(470));
  lblWidth->SetText(LanguageText(471));
  lblIW->SetText(LanguageText(472));
  btnOffsets->SetText(LanguageText(473));
  rgBorderType->SetText(LanguageTextPadded(467));
  for (int i = 0; i < 6; ++i) {
    rgBorderType->Item(i).Caption = LanguageText(static_cast<Word>(476 + i));
    rgBorderType->ItemChanged(i);
  }
  btnTop->SetHint(LanguageText(206) + " (Ctrl+T)|");
  btnLeft->SetHint(LanguageText(205) + " (Ctrl+L)|");
  btnBottom->SetHint(LanguageText(208) + " (Ctrl+B)|");
  btnRight->SetHint(LanguageText(207) + " (Ctrl+R)|");
  gbFillColor->SetText(LanguageTextPadded(482));
  btnColor->SetText(LanguageText(483));
  btnPadding->SetText(LanguageText(484));
  vlcg->SetFirstCaption(LanguageText(230));
  vls->TextStyles->Items(0)->Charset = GetLanguageCharset();
  gbSample->SetText(LanguageTextPadded(474));
  const String sample = LanguageText(485);
  vl->Clear();
  vl->AddTextItem(sample, 0, 0);
  vl->AddTextItem(" " + sample, 0, -1);
  vl->AddTextItem(" " + sample, 0, -1);
  vl->Format();
}

void TfrmVLParaBrdr::SetBorderOffsets(const TVLRect& Offsets, const TVLBooleanRect& Defined) {
  FOffsets.Assign(&Offsets);
  FOffsetsDefined.Assign(&Defined);
}
void TfrmVLParaBrdr::GetBorderOffsets(TVLRect& Offsets, TVLBooleanRect& Defined) const {
  Offsets.Assign(&FOffsets);
  Defined.Assign(&FOffsetsDefined);
}
void TfrmVLParaBrdr::SetPadding(const TVLRect& Offsets, const TVLBooleanRect& Defined) {
  FPadding.Assign(&Offsets);
  FPaddingDefined.Assign(&Defined);
}
void TfrmVLParaBrdr::GetPadding(TVLRect& Offsets, TVLBooleanRect& Defined) const {
  Offsets.Assign(&FPadding);
  Defined.Assign(&FPaddingDefined);
}

void TfrmVLParaBrdr::Activate() {
  TfrmVLBorderSides::Activate();
  cmbColor->SetColorDialog(ColorDialog ? ColorDialog : ColorDialog1);
  UpdateSample();
}

void TfrmVLParaBrdr::UpdateSample() {
  if (!Showing()) return;
  TParaInfo& p = *vls->ParaStyles->Items(0);
  TVLBorder& b = p.Border;
  const int type = rgBorderType->GetItemIndex();
  b.Style = type >= 0 ? static_cast<TVLBorderStyle>(type) : vlbNone;
  b.Color = cmbColor->GetChosenColor();
  const int w = GetComboBoxItemIndex(_cmbWidth);
  b.Width = w >= 0 ? w + 1 : 1;
  b.InternalWidth = seIW->AsInteger();
  b.VisibleBorders.SetValues(btnLeft->GetDown(), btnTop->GetDown(), btnRight->GetDown(), btnBottom->GetDown());
  b.BorderOffsets.Left = FOffsetsDefined.Left ? FOffsets.Left : 0;
  b.BorderOffsets.Top = FOffsetsDefined.Top ? FOffsets.Top : 0;
  b.BorderOffsets.Right = FOffsetsDefined.Right ? FOffsets.Right : 0;
  b.BorderOffsets.Bottom = FOffsetsDefined.Bottom ? FOffsets.Bottom : 0;
  TVLRect& pad = p.Background.BorderOffsets;
  pad.Left = FPaddingDefined.Left ? FPadding.Left : 0;
  pad.Top = FPaddingDefined.Top ? FPadding.Top : 0;
  pad.Right = FPaddingDefined.Right ? FPadding.Right : 0;
  pad.Bottom = FPaddingDefined.Bottom ? FPadding.Bottom : 0;
  const Integer total = b.GetTotalWidth();
  p.LeftIndent = std::max(b.BorderOffsets.Left + total, pad.Left);
  p.RightIndent = std::max(b.BorderOffsets.Right + total, pad.Right);
  p.SpaceBefore = std::max(b.BorderOffsets.Top + total, pad.Top);
  p.SpaceAfter = std::max(b.BorderOffsets.Bottom + total, pad.Bottom);
  p.Background.Color = FillColor;
  vl->Format();
  vl->Invalidate();
  seIW->SetEnabled(type > 1);
}

void TfrmVLParaBrdr::SetFillColor(TColor Color) {
  if (Color != clNone) Color = ColorToRGB(Color);
  if (ColorIndeterminate) {
    lblBackColor->SetText("");
    vlcg->SetIndeterminate(true);
  } else {
    FillColor = Color;
    FUpdating = true;
    vlcg->SetChosenColor(Color);
    FUpdating = false;
    lblBackColor->SetText(vlcg->GetIndeterminate() ? RGBColorName(Color) : vlcg->GetChosenColorName());
  }
  UpdateSample();
}

void TfrmVLParaBrdr::rgBorderTypeClick(TObject*) {
  if (!Showing()) return;
  if (rgBorderType->GetItemIndex() > 0) {
    for (TSpeedButton* b : {btnLeft, btnTop, btnRight, btnBottom}) {
      b->SetDown(true);
      b->SetFlat(false);
    }
  }
  UpdateSample();
}

void TfrmVLParaBrdr::SwitchNoneToSingle() {
  // Choosing a part of a border means having one.
  if (rgBorderType->GetItemIndex() == 0) rgBorderType->SetItemIndex(1);
}

void TfrmVLParaBrdr::cmbColorColorChange(TObject* Sender) {
  TfrmVLBorderSides::cmbColorColorChange(Sender);
  if (!Showing()) return;
  if (!cmbColor->GetIndeterminate()) SwitchNoneToSingle();
  UpdateSample();
}

void TfrmVLParaBrdr::btnClick(TObject* Sender) {
  TfrmVLBorderSides::btnClick(Sender);
  if (auto* b = dynamic_cast<TSpeedButton*>(Sender); b && b->GetDown()) SwitchNoneToSingle();
  UpdateSample();
}

void TfrmVLParaBrdr::cmbWidthClick(TObject*) {
  if (!Showing()) return;
  if (GetComboBoxItemIndex(_cmbWidth) >= 0) SwitchNoneToSingle();
  UpdateSample();
}

void TfrmVLParaBrdr::btnOffsetsClick(TObject*) {
  std::unique_ptr<TfrmVLFourSides> d(CreateVLForm<TfrmVLFourSides>(Application));
  d->SetFormCaption(LanguageText(486));
  d->SetControlText(d->_gb, LanguageTextPadded(487));
  d->SetValues(FOffsets.Left, FOffsets.Top, FOffsets.Right, FOffsets.Bottom, FOffsetsDefined.Left,
               FOffsetsDefined.Top, FOffsetsDefined.Right, FOffsetsDefined.Bottom);
  d->HelpContext = 90301;
  if (d->ShowModal() == mrOk) {
    d->GetValues(FOffsets.Left, FOffsets.Top, FOffsets.Right, FOffsets.Bottom, FOffsetsDefined.Left,
                 FOffsetsDefined.Top, FOffsetsDefined.Right, FOffsetsDefined.Bottom);
    SwitchNoneToSingle();
    UpdateSample();
  }
}

void TfrmVLParaBrdr::btnPaddingClick(TObject*) {
  std::unique_ptr<TfrmVLFourSides> d(CreateVLForm<TfrmVLFourSides>(Application));
  d->SetValues(FPadding.Left, FPadding.Top, FPadding.Right, FPadding.Bottom, FPaddingDefined.Left,
               FPaddingDefined.Top, FPaddingDefined.Right, FPaddingDefined.Bottom);
  if (d->ShowModal() == mrOk) {
    d->GetValues(FPadding.Left, FPadding.Top, FPadding.Right, FPadding.Bottom, FPaddingDefined.Left,
                 FPaddingDefined.Top, FPaddingDefined.Right, FPaddingDefined.Bottom);
    UpdateSample();
  }
}

void TfrmVLParaBrdr::vlcgColorChange(TObject*) {
  if (FUpdating) return;
  ColorIndeterminate = vlcg->GetIndeterminate();
  SetFillColor(vlcg->GetChosenColor());
}

void TfrmVLParaBrdr::btnColorClick(TObject*) {
  TColorDialog* d = ColorDialog ? ColorDialog : ColorDialog1;
  d->Color = FillColor == clNone ? TColor(0x0000FFFF) : ColorToRGB(FillColor);
  if (d->Execute()) {
    ColorIndeterminate = false;
    SetFillColor(d->Color);
  }
}

void TfrmVLParaBrdr::PageControl1Change(TObject*) {
  TTabSheet* page = PageControl1->GetActivePage();
  if (page) {
    // Same place on every page, mirrored or not.
    const Integer left = gbSample->GetLeft(), top = gbSample->GetTop();
    gbSample->SetParent(page);
    gbSample->SetBounds(left, top, 200, 196);
  }
  const bool sides = PageControl1->GetActivePageIndex() == 0;
  for (TSpeedButton* b : {btnLeft, btnTop, btnRight, btnBottom}) b->SetVisible(sides);
}
