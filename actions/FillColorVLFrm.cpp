#include "actions/FillColorVLFrm.h"

#include "actions/FourSidesVLFrm.h"
#include "actions/ParaBrdrVLFrm.h"
#include "actions/VLALocalize.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/GfxColors.h"

#include <memory>

TfrmVLFillColor::TfrmVLFillColor(TComponent* AOwner) : TfrmVLBase(AOwner) {
  SetText("frmVLFillColor");
  // A new window reports a client area of its own until it is first placed.
  SetBounds(0, 0, 220, 304);
  SetClientWidth(220);
  SetClientHeight(304);
  Position = poScreenCenter;
  HelpContext = 90100;
  ColorDialog1 = new TColorDialog(this);
  ColorDialog1->SetName("ColorDialog1");
  gb = PutControl<TGroupBox>(this, this, "gb", 8, 4, 204, 226);
  vlcg = PutControl<TVLColorGrid>(this, gb, "vlcg", 30, 22, 144, 114);
  vlcg->SetFirstCaption("Transparent");
  vlcg->SetIndeterminate(true);
  vlcg->OnColorChange = [this](TObject* s) { vlcgColorChange(s); };
  lblColor = PutControl<TLabel>(this, gb, "lblColor", 30, 142, 150, 16);
  btnColor = PutControl<TButton>(this, gb, "btnColor", 30, 164, 144, 25);
  btnColor->OnClick = [this](TObject* s) { btnColorClick(s); };
  btnPadding = PutControl<TButton>(this, gb, "btnPadding", 30, 194, 144, 25);
  btnPadding->OnClick = [this](TObject* s) { btnPaddingClick(s); };
  lbl = PutControl<TLabel>(this, this, "lbl", 8, 242, 96, 16);
  cmb = PutControl<TComboBox>(this, this, "cmb", 108, 238, 104, 24);
  cmb->SetStyle(csDropDownList);
  cmb->OnClick = cmb->OnSelect = [this](TObject* s) { cmbClick(s); };
  lbl->SetFocusControl(cmb);
  btnOk = PutControl<TButton>(this, this, "btnOk", 56, 272, 75, 25);
  btnOk->SetDefault(true);
  btnOk->OnClick = [this](TObject* s) { btnOkClick(s); };
  btnCancel = PutControl<TButton>(this, this, "btnCancel", 137, 272, 75, 25);
  btnCancel->ModalResult = mrCancel;
  btnCancel->Cancel = true;
  _btnPadding = btnPadding;
  _cmb = cmb;
  _lblColor = lblColor;
}

void TfrmVLFillColor::Localize() {
  TfrmVLBase::Localize();
  SetText(LanguageText(287));
  btnOk->SetText(LanguageText(195));
  btnCancel->SetText(LanguageText(196));
  gb->SetText(LanguageTextPadded(287));
  lbl->SetText(LanguageText(288));
  btnColor->SetText(LanguageText(289));
  btnPadding->SetText(LanguageText(290));
  vlcg->SetFirstCaption(LanguageText(230));
  lblColor->SetText("");
  ColorIndeterminate = true;
}

void TfrmVLFillColor::AddElement(TVLAFillColorApplyToElement Element) {
  static const Word ids[5] = {0, 294, 295, 293, 292};
  GetComboBoxItems(_cmb).AddObject(LanguageText(ids[Element]),
                                   reinterpret_cast<TObject*>(static_cast<intptr_t>(Element)));
}

int TfrmVLFillColor::SelectedElement() {
  const int i = GetComboBoxItemIndex(_cmb);
  if (i < 0) return 0;
  return static_cast<int>(reinterpret_cast<intptr_t>(GetComboBoxItems(_cmb).GetObject(i)));
}

void TfrmVLFillColor::Activate() {
  TfrmVLBase::Activate();
  cmbClick(cmb);
}

void TfrmVLFillColor::cmbClick(TObject*) { _btnPadding->SetEnabled(SelectedElement() == vlafcaParagraph); }

void TfrmVLFillColor::SetFillColor(TColor Color) {
  if (Color != clNone) Color = ColorToRGB(Color);
  if (ColorIndeterminate) {
    lblColor->SetText("");
    vlcg->SetIndeterminate(true);
    return;
  }
  FillColor = Color;
  FUpdating = true;
  vlcg->SetChosenColor(Color);
  FUpdating = false;
  lblColor->SetText(vlcg->GetIndeterminate() ? RGBColorName(Color) : vlcg->GetChosenColorName());
}

void TfrmVLFillColor::vlcgColorChange(TObject*) {
  if (!Showing() || FUpdating) return;
  ColorIndeterminate = vlcg->GetIndeterminate();
  SetFillColor(vlcg->GetChosenColor());
}

void TfrmVLFillColor::btnColorClick(TObject*) {
  TColorDialog* d = ColorDialog ? ColorDialog : ColorDialog1;
  d->Color = FillColor == clNone ? TColor(0x0000FFFF) : ColorToRGB(FillColor);
  if (d->Execute()) {
    ColorIndeterminate = false;
    SetFillColor(d->Color);
  }
}

void TfrmVLFillColor::SetPadding(const TVLRect& Offsets, const TVLBooleanRect& Defined) {
  FPadding.Assign(&Offsets);
  FPaddingDefined.Assign(&Defined);
}

void TfrmVLFillColor::GetPadding(TVLRect& Offsets, TVLBooleanRect& Defined) const {
  Offsets.Assign(&FPadding);
  Defined.Assign(&FPaddingDefined);
}

void TfrmVLFillColor::btnPaddingClick(TObject*) {
  std::unique_ptr<TfrmVLFourSides> d(CreateVLForm<TfrmVLFourSides>(Application));
  d->SetValues(FPadding.Left, FPadding.Top, FPadding.Right, FPadding.Bottom, FPaddingDefined.Left,
               FPaddingDefined.Top, FPaddingDefined.Right, FPaddingDefined.Bottom);
  if (d->ShowModal() == mrOk)
    d->GetValues(FPadding.Left, FPadding.Top, FPadding.Right, FPadding.Bottom, FPaddingDefined.Left,
                 FPaddingDefined.Top, FPaddingDefined.Right, FPaddingDefined.Bottom);
}

void TfrmVLFillColor::btnOkClick(TObject*) {
  if (ColorIndeterminate) {
    MessageBox(LanguageText(291), LanguageText(287), MB_ICONERROR);
    return;
  }
  ModalResult = mrOk;
}
