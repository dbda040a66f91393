#include "actions/IntegerVLFrm.h"

#include "actions/VLALocalize.h"

TfrmInteger::TfrmInteger(TComponent* AOwner) : TfrmVLBase(AOwner) {
  SetText("frmInteger");
  // A new window reports a client area of its own until it is first placed.
  SetBounds(0, 0, 220, 112);
  SetClientWidth(220);
  SetClientHeight(112);
  Position = poScreenCenter;
  HelpContext = 90700;
  GroupBox1 = new TGroupBox(this);
  GroupBox1->SetName("GroupBox1");
  GroupBox1->SetParent(this);
  GroupBox1->SetBounds(8, 4, 204, 64);
  lbl = new TLabel(this);
  lbl->SetName("lbl");
  lbl->SetParent(GroupBox1);
  lbl->SetBounds(12, 22, 122, 16);
  se = new TVLSpinEdit(this);
  se->SetName("se");
  se->SetParent(GroupBox1);
  se->SetBounds(138, 18, 54, 22);
  se->MinValue = 1;
  se->MaxValue = 100;
  se->SetValue(1);
  lbl->SetFocusControl(se);
  btnOk = new TButton(this);
  btnOk->SetName("btnOk");
  btnOk->SetParent(this);
  btnOk->SetBounds(56, 78, 75, 25);
  btnOk->ModalResult = mrOk;
  btnOk->SetDefault(true);
  btnCancel = new TButton(this);
  btnCancel->SetName("btnCancel");
  btnCancel->SetParent(this);
  btnCancel->SetBounds(137, 78, 75, 25);
  btnCancel->ModalResult = mrCancel;
  btnCancel->Cancel = true;
  _lbl = lbl;
}

void TfrmInteger::Localize() {
  TfrmVLBase::Localize();
  btnOk->SetText(LanguageText(195));
  btnCancel->SetText(LanguageText(196));
}

void TfrmInteger::SetValue(Integer Value) { se->SetValue(Value); }

// Clamped here too: Enter confirms without leaving the field, so a typed
// 0 or 5000 would otherwise reach the caller as it stands.
Integer TfrmInteger::GetValue() const { return static_cast<Integer>(se->CheckValue(se->AsInteger())); }
