#pragma once
// The Fill Color dialog: one background colour and what it goes to (text,
// paragraph, cell or table, as the caller lists them), with the paragraph
// background's padding. OK needs a chosen colour.
#include "actions/BaseVLFrm.h"
#include "actions/VLColorGrid.h"
#include "platform/gui/CommonDialogs.h"

// The codes the "Apply to" entries carry.
enum TVLAFillColorApplyToElement { vlafcaTable = 1, vlafcaCell = 2, vlafcaParagraph = 3, vlafcaText = 4 };

class TfrmVLFillColor : public TfrmVLBase {
public:
  explicit TfrmVLFillColor(TComponent* AOwner);
  void Localize() override;
  TButton* GetOkButton() override { return btnOk; }

  TGroupBox* gb;
  TLabel *lblColor, *lbl;
  TVLColorGrid* vlcg;
  TButton *btnColor, *btnPadding, *btnOk, *btnCancel;
  TComboBox* cmb;
  TColorDialog* ColorDialog1;
  TControl *_btnPadding = nullptr, *_cmb = nullptr, *_lblColor = nullptr;

  TColorDialog* ColorDialog = nullptr;
  TColor FillColor = clNone;
  bool ColorIndeterminate = true;

  // Adds an "Apply to" entry carrying its element's code.
  void AddElement(TVLAFillColorApplyToElement Element);
  // The code of the selected entry, 0 when none is selected.
  int SelectedElement();
  void SetFillColor(TColor Color);
  void SetPadding(const TVLRect& Offsets, const TVLBooleanRect& Defined);
  void GetPadding(TVLRect& Offsets, TVLBooleanRect& Defined) const;

  void cmbClick(TObject* Sender);
  void vlcgColorChange(TObject* Sender);
  void btnColorClick(TObject* Sender);
  void btnPaddingClick(TObject* Sender);
  void btnOkClick(TObject* Sender);

protected:
  void Activate() override;

private:
  bool FUpdating = false;
  TVLRect FPadding;
  TVLBooleanRect FPaddingDefined{false};
};
