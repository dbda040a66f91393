#pragma once
// The Insert Hyperlink dialog (text, target and a button for the link's
// colours) and the Hyperlink Attributes dialog it opens (normal and hover
// colours of link text).
#include "actions/BaseVLFrm.h"
#include "actions/VLColorCombo.h"

class TfrmVLHyp : public TfrmVLBase {
public:
  explicit TfrmVLHyp(TComponent* AOwner);
  void Localize() override;
  // OK needs a text and a target with a visible character, unless an
  // existing selection is being linked (the text box is then disabled).
  void UpdateOkButton();
  void btnHypPropClick(TObject* Sender);

  TGroupBox* gb;
  TLabel* lblText;
  TEdit* txtText;
  TLabel* lblTarget;
  TEdit* txtTarget;
  TButton* btnHypProp;
  TButton* btnOk;
  TButton* btnCancel;

  TButton* OkButtonControl = nullptr;
  TEdit* TextControl = nullptr;
  TEdit* TargetControl = nullptr;
  TColor Color = clBlue;
  TColor HoverColor = clBlue;
  TColor BackColor = clNone;
  TColor HoverBackColor = clNone;

protected:
  void DoShow() override;
};

class TfrmVLHypProp : public TfrmVLBase {
public:
  explicit TfrmVLHypProp(TComponent* AOwner);
  void Localize() override;
  void cbAsNormalClick(TObject* Sender);

  TGroupBox* gbNormal;
  TLabel* lblText;
  TVLColorCombo* cmbText;
  TLabel* lblTextBack;
  TVLColorCombo* cmbTextBack;
  TGroupBox* gbHover;
  TLabel* lblHoverText;
  TVLColorCombo* cmbHoverText;
  TLabel* lblHoverTextBack;
  TVLColorCombo* cmbHoverTextBack;
  TCheckBox* cbAsNormal;
  TButton* btnOk;
  TButton* btnCancel;
  TCheckBox* AsNormalControl = nullptr;
};
