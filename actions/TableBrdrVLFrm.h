#pragma once
// The Borders dialog of a table: the type (none, sunken, raised, flat),
// width and colours of the table's outer border or of its cells' default
// border.
#include "actions/BaseVLFrm.h"
#include "actions/VLColorCombo.h"
#include "actions/VLOfficeRadioBtn.h"
#include "richtext/table/VLTable.h"

class TCustomImageList;

class TfrmVLTableBrdr : public TfrmVLBase {
public:
  explicit TfrmVLTableBrdr(TComponent* AOwner);
  void Localize() override;

  void SetBorder(TVLTableBorderStyle Style, TColor LightColor, TColor Color, Integer Width);
  // Values the user did not decide stay as the caller has them.
  void GetBorder(TVLTableBorderStyle& Style, TColor& LightColor, TColor& Color, Integer& Width);

  void rgBorderTypeClick(TObject* Sender);
  void cmbBorderColorColorChange(TObject* Sender);
  void cmbBorderWidthChange(TObject* Sender);

  TColorDialog* ColorDialog = nullptr;

  TGroupBox* gbTableBorder;
  TLabel* lblTableBorderColor;
  TLabel* lblTableBorderWidth;
  TLabel* lblTableBorderLightColor;
  TVLColorCombo* cmbBorderColor;
  TComboBox* cmbBorderWidth;
  TVLColorCombo* cmbBorderLightColor;
  TVLOfficeRadioGroup* rgBorderType;
  TButton* btnOk;
  TButton* btnCancel;
  TCustomImageList* ImageList1;
  TControl* _cmbBorderWidth = nullptr;
  TControl* _lblTableBorderColor = nullptr;
  TControl* _lblTableBorderLightColor = nullptr;

protected:
  void Activate() override;

private:
  // Labels and the light colour follow the type; with pickWidth (a choice
  // of the user) a border loaded without a width shows width 1. A width
  // above the list's last entry stays unselected (kept) until the user
  // picks one.
  void UpdateTypeControls(bool pickWidth);
  bool FUpdating = false;
  bool FActivated = false;
  // The style as loaded and whether the user picked a colour since: a
  // coloured style whose colours happen to be the automatic ones stays
  // coloured unless the user touches them.
  TVLTableBorderStyle FLoadedStyle = vltbColor;
  bool FColorsPicked = false;
  Integer FLoadedWidth = 0;
};
