#pragma once
// The frame of the border dialogs: OK and Cancel, a page control, a sample
// with four side toggles (flat = the side is undecided), a border colour and
// an owner-drawn line-width list; Ctrl+L/R/T/B toggle the sides.
#include "actions/BaseVLFrm.h"
#include "actions/VLColorCombo.h"
#include "platform/gui/Buttons.h"
#include "richtext/view/Vellum.h"

class TfrmVLBorderSides : public TfrmVLBase {
public:
  explicit TfrmVLBorderSides(TComponent* AOwner);
  void Localize() override;

  TButton *btnOk, *btnCancel;
  TPageControl* PageControl1;
  TTabSheet *ts1, *ts2;
  TGroupBox *gbSample, *gbSettings;
  TSpeedButton *btnLeft, *btnRight, *btnTop, *btnBottom;
  TVellum* vl;
  TVLStyle* vls;
  TLabel *lblColor, *lblWidth;
  TVLColorCombo* cmbColor;
  TComboBox* cmbWidth;
  TControl* _cmbWidth = nullptr;

  void cmbWidthDrawItem(TWinControl* Control, int Index, const TRect& Rect, TOwnerDrawState State);
  virtual void cmbColorColorChange(TObject* Sender);
  virtual void btnClick(TObject* Sender);
  void ToggleSide(TSpeedButton* Button);

protected:
  bool DoKeyDown(Word& Key, TShiftState Shift) override;
};
