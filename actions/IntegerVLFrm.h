#pragma once
// The integer prompt: one whole number from 1 to 100 under a prompt that the
// caller sets, as when asking how many rows to add.
#include "actions/BaseVLFrm.h"
#include "actions/VLSpinEdit.h"

class TfrmInteger : public TfrmVLBase {
public:
  explicit TfrmInteger(TComponent* AOwner);
  void Localize() override;
  // Both clamped to 1..100.
  void SetValue(Integer Value);
  Integer GetValue() const;

  TGroupBox* GroupBox1;
  TLabel* lbl;
  TVLSpinEdit* se;
  TButton* btnOk;
  TButton* btnCancel;
  // The prompt label, as the callers reach it.
  TControl* _lbl = nullptr;
};
