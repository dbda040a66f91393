#include "actions/HypVLFrm.h"

#include "actions/VLALocalize.h"

#include <memory>

namespace {
template <typename T>
T* MakeControl(TWinControl* parent, TComponent* owner, const char* name, Integer left, Integer top, Integer width,
               Integer height) {
  T* c = new T(owner);
  c->SetName(name);
  c->SetParent(parent);
  c->SetBounds(left, top, width, height);
  return c;
}

void MakeOkCancel(TForm* form, TButton*& ok, TButton*& cancel, Integer top, Integer right) {
  ok = MakeControl<TButton>(form, form, "btnOk", right - 166, top, 80, 28);
  ok->ModalResult = mrOk;
  ok->SetDefault(true);
  cancel = MakeControl<TButton>(form, form, "btnCancel", right - 80, top, 80, 28);
  cancel->ModalResult = mrCancel;
  cancel->Cancel = true;
}

// Leading and trailing characters of code 32 and below removed.
String TrimControls(const String& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return s.substr(b, e - b);
}
}  // namespace

TfrmVLHyp::TfrmVLHyp(TComponent* AOwner) : TfrmVLBase(AOwner) {
  SetName("frmVLHyp");
  SetBorderStyle(bsDialog);
  SetClientWidth(356);
  SetClientHeight(175);
  Position = poScreenCenter;
  HelpContext = 90400;
  gb = MakeControl<TGroupBox>(this, this, "gb", 8, 6, 340, 120);
  lblText = MakeControl<TLabel>(gb, this, "lblText", 12, 24, 70, 16);
  txtText = MakeControl<TEdit>(gb, this, "txtText", 86, 20, 242, 24);
  lblTarget = MakeControl<TLabel>(gb, this, "lblTarget", 12, 56, 70, 16);
  txtTarget = MakeControl<TEdit>(gb, this, "txtTarget", 86, 52, 242, 24);
  btnHypProp = MakeControl<TButton>(gb, this, "btnHypProp", 86, 84, 120, 28);
  lblText->SetFocusControl(txtText);
  lblTarget->SetFocusControl(txtTarget);
  MakeOkCancel(this, btnOk, btnCancel, 138, 348);
  OkButtonControl = btnOk;
  TextControl = txtText;
  TargetControl = txtTarget;
  txtText->OnChange = [this](TObject*) { UpdateOkButton(); };
  txtTarget->OnChange = [this](TObject*) { UpdateOkButton(); };
  btnHypProp->OnClick = [this](TObject* s) { btnHypPropClick(s); };
}

void TfrmVLHyp::Localize() {
  TfrmVLBase::Localize();
  SetFormCaption(LanguageText(330));
  gb->SetText(LanguageTextPadded(331));
  lblText->SetText(LanguageText(332));
  lblTarget->SetText(LanguageText(333));
  btnHypProp->SetText(LanguageText(336));
  btnOk->SetText(LanguageText(195));
  btnCancel->SetText(LanguageText(196));
}

void TfrmVLHyp::DoShow() {
  TfrmVLBase::DoShow();
  UpdateOkButton();
}

void TfrmVLHyp::UpdateOkButton() {
  if (!OkButtonControl) return;
  OkButtonControl->SetEnabled(!TextControl->GetEnabled() ||
                              (!TrimControls(TargetControl->GetText()).empty() && !TextControl->GetText().empty()));
}

void TfrmVLHyp::btnHypPropClick(TObject*) {
  std::unique_ptr<TfrmVLHypProp> dlg(CreateVLForm<TfrmVLHypProp>(Application));
  dlg->cmbText->SetChosenColor(Color);
  dlg->cmbTextBack->SetChosenColor(BackColor);
  dlg->cmbHoverText->SetChosenColor(HoverColor);
  dlg->cmbHoverTextBack->SetChosenColor(HoverBackColor);
  if (dlg->ShowModal() != mrOk) return;
  Color = dlg->cmbText->GetChosenColor();
  BackColor = dlg->cmbTextBack->GetChosenColor();
  HoverColor = dlg->cmbHoverText->GetChosenColor();
  HoverBackColor = dlg->cmbHoverTextBack->GetChosenColor();
}

// ---------------------------------------------------------------------------

TfrmVLHypProp::TfrmVLHypProp(TComponent* AOwner) : TfrmVLBase(AOwner) {
  SetName("frmVLHypProp");
  SetBorderStyle(bsDialog);
  SetClientWidth(362);
  SetClientHeight(306);
  Position = poScreenCenter;
  HelpContext = 90450;
  auto colourRow = [this](TGroupBox* box, const char* label, const char* combo, Integer top, TLabel*& lbl,
                          TVLColorCombo*& cmb) {
    lbl = MakeControl<TLabel>(box, this, label, 12, top + 4, 110, 16);
    cmb = MakeControl<TVLColorCombo>(box, this, combo, 130, top, 200, 24);
    cmb->SetIndeterminate(true);
    lbl->SetFocusControl(cmb);
  };
  gbNormal = MakeControl<TGroupBox>(this, this, "gbNormal", 8, 6, 346, 96);
  colourRow(gbNormal, "lblText", "cmbText", 24, lblText, cmbText);
  colourRow(gbNormal, "lblTextBack", "cmbTextBack", 58, lblTextBack, cmbTextBack);
  gbHover = MakeControl<TGroupBox>(this, this, "gbHover", 8, 110, 346, 140);
  colourRow(gbHover, "lblHoverText", "cmbHoverText", 24, lblHoverText, cmbHoverText);
  colourRow(gbHover, "lblHoverTextBack", "cmbHoverTextBack", 58, lblHoverTextBack, cmbHoverTextBack);
  cmbText->AutoColor = clWindowText;
  cmbHoverText->AutoColor = clWindowText;
  cbAsNormal = MakeControl<TCheckBox>(gbHover, this, "cbAsNormal", 12, 100, 300, 22);
  cbAsNormal->OnClick = [this](TObject* s) { cbAsNormalClick(s); };
  MakeOkCancel(this, btnOk, btnCancel, 266, 354);
  AsNormalControl = cbAsNormal;
  for (TVLColorCombo* c : {cmbText, cmbTextBack, cmbHoverText, cmbHoverTextBack})
    c->SetColorDialog(GetSharedColorDialog());
}

void TfrmVLHypProp::Localize() {
  TfrmVLBase::Localize();
  SetFormCaption(LanguageText(337));
  gbNormal->SetText(LanguageTextPadded(338));
  gbHover->SetText(LanguageTextPadded(339));
  lblText->SetText(LanguageText(340));
  lblTextBack->SetText(LanguageText(341));
  lblHoverText->SetText(LanguageText(342));
  lblHoverTextBack->SetText(LanguageText(343));
  cbAsNormal->SetText(LanguageText(344));
  btnOk->SetText(LanguageText(195));
  btnCancel->SetText(LanguageText(196));
}

void TfrmVLHypProp::cbAsNormalClick(TObject*) {
  const bool same = AsNormalControl->GetChecked();
  if (same) {
    cmbHoverText->SetChosenColor(cmbText->GetChosenColor());
    cmbHoverTextBack->SetChosenColor(cmbTextBack->GetChosenColor());
  }
  cmbHoverText->SetEnabled(!same);
  cmbHoverTextBack->SetEnabled(!same);
}
