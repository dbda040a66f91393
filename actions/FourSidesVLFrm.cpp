#include "actions/FourSidesVLFrm.h"

#include "actions/VLALocalize.h"
#include "platform/gui/Bevel.h"


TfrmVLFourSides::TfrmVLFourSides(TComponent* AOwner) : TfrmVLBase(AOwner) {
  SetText("frmVLFourSides");
  // A new window reports a client area of its own until it is first placed.
  SetBounds(0, 0, 268, 150);
  SetClientWidth(268);
  SetClientHeight(150);
  Position = poScreenCenter;
  HelpContext = 90300;
  gb = PutControl<TGroupBox>(this, this, "gb", 8, 4, 252, 102);
  lblLeft = PutControl<TLabel>(this, gb, "lblLeft", 12, 26, 56, 16);
  seLeft = PutControl<TVLSpinEdit>(this, gb, "seLeft", 68, 22, 56, 24);
  lblRight = PutControl<TLabel>(this, gb, "lblRight", 134, 26, 56, 16);
  seRight = PutControl<TVLSpinEdit>(this, gb, "seRight", 188, 22, 56, 24);
  lblTop = PutControl<TLabel>(this, gb, "lblTop", 12, 56, 56, 16);
  seTop = PutControl<TVLSpinEdit>(this, gb, "seTop", 68, 52, 56, 24);
  lblBottom = PutControl<TLabel>(this, gb, "lblBottom", 134, 56, 56, 16);
  seBottom = PutControl<TVLSpinEdit>(this, gb, "seBottom", 188, 52, 56, 24);
  cbEqual = PutControl<TCheckBox>(this, gb, "cbEqual", 12, 80, 230, 18);
  lblLeft->SetFocusControl(seLeft);
  lblRight->SetFocusControl(seRight);
  lblTop->SetFocusControl(seTop);
  lblBottom->SetFocusControl(seBottom);
  SetRanges(-50, 100);
  for (TVLSpinEdit* se : {seTop, seBottom, seLeft, seRight}) {
    se->SetIndeterminate(true);
    se->OnChange = [this](TObject* s) { seTopChange(s); };
  }
  cbEqual->OnClick = [this](TObject* s) { cbEqualClick(s); };
  btnOk = PutControl<TButton>(this, this, "btnOk", 104, 116, 75, 25);
  btnOk->ModalResult = mrOk;
  btnOk->SetDefault(true);
  btnCancel = PutControl<TButton>(this, this, "btnCancel", 185, 116, 75, 25);
  btnCancel->ModalResult = mrCancel;
  btnCancel->Cancel = true;
  _gb = gb;
  _cbEqual = cbEqual;
}

void TfrmVLFourSides::SetRanges(double Min, double Max) {
  for (TVLSpinEdit* se : {seTop, seBottom, seLeft, seRight}) {
    se->MinValue = Min;
    se->MaxValue = Max;
    se->Increment = 1;
    se->IntegerValue = true;
  }
}

void TfrmVLFourSides::Localize() {
  TfrmVLBase::Localize();
  btnOk->SetText(LanguageText(195));
  btnCancel->SetText(LanguageText(196));
  SetText(LanguageText(324));
  gb->SetText(LanguageTextPadded(324));
  lblLeft->SetText(LanguageText(326));
  lblRight->SetText(LanguageText(328));
  lblTop->SetText(LanguageText(325));
  lblBottom->SetText(LanguageText(327));
  cbEqual->SetText(LanguageText(329));
}

void TfrmVLFourSides::SetValues(Integer Left, Integer Top, Integer Right, Integer Bottom, bool LeftDefined,
                                bool TopDefined, bool RightDefined, bool BottomDefined) {
  const Integer values[4] = {Left, Top, Right, Bottom};
  const bool defined[4] = {LeftDefined, TopDefined, RightDefined, BottomDefined};
  TVLSpinEdit* fields[4] = {seLeft, seTop, seRight, seBottom};
  FUpdating = true;
  for (int i = 0; i < 4; ++i) {
    FClamped[i] = TClamped();
    if (defined[i]) {
      fields[i]->SetValue(values[i]);
      if (fields[i]->CheckValue(values[i]) != values[i]) FClamped[i] = {true, fields[i]->GetText()};
    } else {
      fields[i]->SetIndeterminate(true);
    }
  }
  FUpdating = false;
  const bool equal = Left == Top && Top == Right && Right == Bottom && LeftDefined == TopDefined &&
                     TopDefined == RightDefined && RightDefined == BottomDefined;
  cbEqual->SetChecked(equal);
}

void TfrmVLFourSides::GetValues(Integer& Left, Integer& Top, Integer& Right, Integer& Bottom, bool& LeftDefined,
                                bool& TopDefined, bool& RightDefined, bool& BottomDefined) {
  Integer* values[4] = {&Left, &Top, &Right, &Bottom};
  bool* defined[4] = {&LeftDefined, &TopDefined, &RightDefined, &BottomDefined};
  TVLSpinEdit* fields[4] = {seLeft, seTop, seRight, seBottom};
  for (int i = 0; i < 4; ++i) {
    // Enter confirms without leaving the field: the read is limited here.
    *values[i] = static_cast<Integer>(fields[i]->CheckValue(fields[i]->AsInteger()));
    *defined[i] = !fields[i]->GetIndeterminate() &&
                  !(FClamped[i].Was && fields[i]->GetText() == FClamped[i].Shown);
  }
}

void TfrmVLFourSides::cbEqualClick(TObject*) {
  if (!Showing() || !cbEqual->GetChecked()) return;
  const Integer sum = seLeft->AsInteger() + seTop->AsInteger() + seRight->AsInteger() + seBottom->AsInteger();
  const Integer avg = sum / 4;
  FUpdating = true;
  for (TVLSpinEdit* se : {seLeft, seTop, seRight, seBottom}) se->SetValue(avg);
  FUpdating = false;
}

void TfrmVLFourSides::seTopChange(TObject* Sender) {
  if (!Showing() || FUpdating || !cbEqual->GetChecked()) return;
  auto* from = dynamic_cast<TVLSpinEdit*>(Sender);
  if (!from) return;
  FUpdating = true;
  for (TVLSpinEdit* se : {seLeft, seTop, seRight, seBottom}) {
    if (se == from) continue;
    se->SetIndeterminate(from->GetIndeterminate());
    if (!from->GetIndeterminate()) se->SetValue(from->GetValue());
  }
  FUpdating = false;
}

// ---------------------------------------------------------------------------

TfrmVLSpacing::TfrmVLSpacing(TComponent* AOwner) : TfrmVLFourSides(AOwner) {
  SetText("frmVLSpacing");
  HelpContext = 91900;
  // Wider than the four sides dialog: two columns of a label and a field.
  SetClientWidth(316);
  SetClientHeight(180);
  gb->SetBounds(8, 4, 300, 132);
  Label5 = PutControl<TLabel>(this, gb, "Label5", 8, 18, 140, 30);
  Label6 = PutControl<TLabel>(this, gb, "Label6", 156, 18, 140, 30);
  for (TLabel* l : {Label5, Label6}) {
    l->AutoSize = false;
    l->SetAlignment(taCenter);
    l->SetWordWrap(true);
  }
  // The line between the columns ends above the check box under both.
  auto* bevel = PutControl<TBevel>(this, gb, "Bevel1", 150, 18, 4, 90);
  bevel->SetShape(bsLeftLine);
  // Between cells: top and bottom; from the border: left and right.
  lblTop->SetBounds(12, 58, 64, 16);
  seTop->SetBounds(80, 54, 56, 24);
  lblBottom->SetBounds(12, 88, 64, 16);
  seBottom->SetBounds(80, 84, 56, 24);
  lblLeft->SetBounds(160, 58, 64, 16);
  seLeft->SetBounds(228, 54, 56, 24);
  lblRight->SetBounds(160, 88, 64, 16);
  seRight->SetBounds(228, 84, 56, 24);
  cbEqual->SetBounds(12, 110, 276, 18);
  btnOk->SetBounds(152, 146, 75, 25);
  btnCancel->SetBounds(233, 146, 75, 25);
  SetRanges(-1, 30);
}

void TfrmVLSpacing::Localize() {
  TfrmVLFourSides::Localize();
  SetText(LanguageText(521));
  gb->SetText(LanguageTextPadded(522));
  Label5->SetText(LanguageText(523));
  Label6->SetText(LanguageText(524));
}
