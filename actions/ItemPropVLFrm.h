#pragma once
// The Properties dialog of the object at the caret: a picture (its image,
// transparency, alignment and displayed size) or a horizontal line (its
// colour and width). On OK every value goes back through the editor as one
// undo step.
#include "actions/BaseVLFrm.h"
#include "actions/VLColorCombo.h"
#include "actions/VLSpinEdit.h"
#include "platform/gui/ExtCtrls.h"

class TfrmVLItemProp : public TfrmVLBase {
public:
  explicit TfrmVLItemProp(TComponent* AOwner);
  void Localize() override;

  // Loads the pages for the item at the caret; false (and nothing shown)
  // for an item that is neither a picture nor a line.
  bool LoadItem(TVLActionEditor* Editor);
  // Writes the values back to the same item.
  void ApplyItem(TVLActionEditor* Editor);

  void cmbColorColorChange(TObject* Sender);
  // Converts a spin edit's value when its unit changes (percent of the
  // picture's own size, or pixels).
  void SwitchUnit(TVLSpinEdit* Edit, TComboBox* Unit, Integer OwnSize, int& LastUnit);
  // Loads another picture file into the preview.
  void btnChangeImageClick(TObject* Sender);

  TColorDialog* ColorDialog = nullptr;
  // The filter of the picture-open dialog (empty: every format).
  String GraphicFilter;

  TButton* btnOk;
  TButton* btnCancel;
  TPageControl* pc;
  TTabSheet* tsImage;
  TTabSheet* tsImgLayout;
  TTabSheet* tsBreak;
  // Picture page.
  TLabel* lblPreview;
  TPanel* Panel1;
  TImage* img;
  TButton* btnChangeImage;
  TGroupBox* gbTransp;
  TLabel* lblTrColor;
  TVLColorCombo* cmbColor;
  TCheckBox* cbTransp;
  // Layout page.
  TGroupBox* gbVAlign;
  TLabel* lblAlignTo;
  TComboBox* cmbAlignTo;
  TLabel* lblVShift;
  TVLSpinEdit* seVShift;
  TComboBox* cmbVShiftType;
  TGroupBox* gbSize;
  TLabel* lblWidth;
  TVLSpinEdit* seWidth;
  TComboBox* cmbWType;
  TLabel* lblHeight;
  TVLSpinEdit* seHeight;
  TComboBox* cmbHType;
  TLabel* lblDefSize;
  // Line page.
  TGroupBox* gbBreak;
  TLabel* lblBreakColor;
  TVLColorCombo* cmbBreakColor;
  TLabel* lblBreakWidth;
  TComboBox* cmbWidth;

protected:
  void DoShow() override;

private:
  void ShowPicture();
  int FVShiftUnit = 0, FWUnit = 1, FHUnit = 1;
};
