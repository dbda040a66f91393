#pragma once
// The Paragraph dialog: alignment, left, right and first-line indents
// (indented or hanging), space before and after, and line spacing, with a
// half-scale sample. A value the selection mixes is shown empty (or with no
// choice) and read back as not set.
#include "actions/BaseVLFrm.h"
#include "actions/VLOfficeRadioBtn.h"
#include "actions/VLSpinEdit.h"
#include "richtext/view/Vellum.h"

class TfrmVLPara : public TfrmVLBase {
public:
  explicit TfrmVLPara(TComponent* AOwner);
  void Localize() override;

  TVLOfficeRadioGroup* gbAlignment;
  TGroupBox *gbIndents, *gbSpacing, *gbSample;
  TLabel *lblLeft, *lblRight, *lblFirstLine, *lblBefore, *lblAfter, *lblLineSpacing, *lblBy;
  TVLSpinEdit *seLeftIndent, *seRightIndent, *seFirstLineIndent, *seSpaceBefore, *seSpaceAfter,
      *seLineSpacingValue;
  TVLOfficeRadioButton *rbPositive, *rbNegative;
  TComboBox* cmbLineSpacing;
  TVellum* vl;
  TVLStyle* vls;
  TCustomImageList* ImageList1;
  TButton *btnOk, *btnCancel;
  TControl* _cmbLineSpacing = nullptr;

  void UpdateSample();
  void seLeftIndentChange(TObject* Sender);
  void seFirstLineIndentChange(TObject* Sender);
  void rbFLClick(TObject* Sender);
  void cmbLineSpacingClick(TObject* Sender);
  void seLineSpacingValueChange(TObject* Sender);

protected:
  void Activate() override;

private:
  Integer LineSpacingPercent();
  bool FUpdating = false;
};
