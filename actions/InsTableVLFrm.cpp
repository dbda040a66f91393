#include "actions/InsTableVLFrm.h"

#include "actions/VLALocalize.h"

#include <algorithm>
#include <cstdlib>

TfrmInsTable::TfrmInsTable(TComponent* AOwner) : TfrmVLBase(AOwner) {
  SetName("frmInsTable");
  SetBorderStyle(bsDialog);
  Position = poScreenCenter;
  HelpContext = 90600;
  SetBounds(0, 0, 330, 300);
  SetClientWidth(330);
  SetClientHeight(300);
  gbSize = PutControl<TGroupBox>(this, this, "gbSize", 8, 6, 314, 84);
  lblnCols = PutControl<TLabel>(this, gbSize, "lblnCols", 12, 24, 200, 16);
  seColumns = PutControl<TVLSpinEdit>(this, gbSize, "seColumns", 224, 20, 78, 24);
  seColumns->MinValue = 1;
  seColumns->MaxValue = 100;
  seColumns->SetValue(2);
  lblnRows = PutControl<TLabel>(this, gbSize, "lblnRows", 12, 54, 200, 16);
  seRows = PutControl<TVLSpinEdit>(this, gbSize, "seRows", 224, 50, 78, 24);
  seRows->MinValue = 1;
  seRows->MaxValue = 500;
  seRows->SetValue(2);
  lblnCols->SetFocusControl(seColumns);
  lblnRows->SetFocusControl(seRows);
  gbLayout = PutControl<TGroupBox>(this, this, "gbLayout", 8, 96, 314, 128);
  rbFitContents = PutControl<TRadioButton>(this, gbLayout, "rbFitContents", 12, 22, 290, 22);
  rbFitWindow = PutControl<TRadioButton>(this, gbLayout, "rbFitWindow", 12, 46, 290, 22);
  rbFitManual = PutControl<TRadioButton>(this, gbLayout, "rbFitManual", 12, 70, 290, 22);
  seWidth = PutControl<TVLSpinEdit>(this, gbLayout, "seWidth", 32, 96, 78, 24);
  seWidth->MinValue = 1;
  seWidth->MaxValue = 1000;
  seWidth->SetValue(100);
  cmbWidthType = PutControl<TComboBox>(this, gbLayout, "cmbWidthType", 116, 96, 120, 24);
  cmbWidthType->SetStyle(csDropDownList);
  for (TRadioButton* rb : {rbFitContents, rbFitWindow, rbFitManual})
    rb->OnClick = [this](TObject*) { UpdateWidthControls(); };
  rbFitContents->SetChecked(true);
  cbRemember = PutControl<TCheckBox>(this, this, "cbRemember", 12, 232, 310, 22);
  btnOk = PutControl<TButton>(this, this, "btnOk", 160, 264, 78, 28);
  btnOk->ModalResult = mrOk;
  btnOk->SetDefault(true);
  btnCancel = PutControl<TButton>(this, this, "btnCancel", 244, 264, 78, 28);
  btnCancel->ModalResult = mrCancel;
  btnCancel->Cancel = true;
  _rbFitContents = rbFitContents;
  _rbFitWindow = rbFitWindow;
  _rbFitManual = rbFitManual;
  _cmbWidthType = cmbWidthType;
  _cbRemember = cbRemember;
}

void TfrmInsTable::Localize() {
  TfrmVLBase::Localize();
  SetFormCaption(LanguageText(352));
  gbSize->SetText(LanguageTextPadded(353));
  lblnCols->SetText(LanguageText(354));
  lblnRows->SetText(LanguageText(355));
  gbLayout->SetText(LanguageTextPadded(356));
  rbFitContents->SetText(LanguageText(357));
  rbFitWindow->SetText(LanguageText(358));
  rbFitManual->SetText(LanguageText(359));
  cbRemember->SetText(LanguageText(360));
  btnOk->SetText(LanguageText(195));
  btnCancel->SetText(LanguageText(196));
  const int index = cmbWidthType->GetItemIndex();
  cmbWidthType->Items().Clear();
  cmbWidthType->Items().Add(LanguageText(203));
  cmbWidthType->Items().Add(LanguageText(204));
  cmbWidthType->SetItemIndex(index < 0 ? 0 : index);
  UpdateWidthControls();
}

void TfrmInsTable::SetColumns(Integer Value) { seColumns->SetValue(Value); }
void TfrmInsTable::SetRows(Integer Value) { seRows->SetValue(Value); }
// Clamped on reading too: Enter confirms without leaving the field, so a
// typed 0 or 100000 would otherwise make a table of that size.
Integer TfrmInsTable::GetColumns() const { return static_cast<Integer>(seColumns->CheckValue(seColumns->AsInteger())); }
Integer TfrmInsTable::GetRows() const { return static_cast<Integer>(seRows->CheckValue(seRows->AsInteger())); }

void TfrmInsTable::SetTableWidth(Integer Value) {
  if (Value == 0) {
    rbFitContents->SetChecked(true);
  } else if (Value == -100) {
    rbFitWindow->SetChecked(true);
  } else {
    rbFitManual->SetChecked(true);
    seWidth->SetValue(std::clamp(std::abs(Value), 1, 1000));
    cmbWidthType->SetItemIndex(Value > 0 ? 1 : 0);
  }
  UpdateWidthControls();
}

Integer TfrmInsTable::GetTableWidth() const {
  if (rbFitContents->GetChecked()) return 0;
  if (rbFitWindow->GetChecked()) return -100;
  Integer v = static_cast<Integer>(seWidth->CheckValue(seWidth->AsInteger()));
  if (cmbWidthType->GetItemIndex() == 0) v = -v;
  return std::max(v, -100);
}

void TfrmInsTable::UpdateWidthControls() {
  const bool manual = rbFitManual->GetChecked();
  seWidth->SetEnabled(manual);
  cmbWidthType->SetEnabled(manual);
}
