#pragma once
// The Insert Table dialog: the size of a new table and how wide it is. The
// width travels as one number: 0 sizes the table to its contents, a
// positive number is pixels, a negative one percent of the available width
// (-100 fits the window).
#include "actions/BaseVLFrm.h"
#include "actions/VLSpinEdit.h"

class TfrmInsTable : public TfrmVLBase {
public:
  explicit TfrmInsTable(TComponent* AOwner);
  void Localize() override;

  // Both clamp to the field's range.
  void SetColumns(Integer Value);
  void SetRows(Integer Value);
  Integer GetColumns() const;
  Integer GetRows() const;
  void SetTableWidth(Integer Value);
  // Never below -100 (a percentage above 100 is the whole width).
  Integer GetTableWidth() const;
  // The width fields are enabled only for a width entered by hand.
  void UpdateWidthControls();

  TGroupBox* gbSize;
  TLabel* lblnCols;
  TLabel* lblnRows;
  TVLSpinEdit* seColumns;
  TVLSpinEdit* seRows;
  TCheckBox* cbRemember;
  TButton* btnOk;
  TButton* btnCancel;
  TGroupBox* gbLayout;
  TRadioButton* rbFitContents;
  TRadioButton* rbFitWindow;
  TRadioButton* rbFitManual;
  TVLSpinEdit* seWidth;
  TComboBox* cmbWidthType;
  TControl* _rbFitContents = nullptr;
  TControl* _rbFitWindow = nullptr;
  TControl* _rbFitManual = nullptr;
  TControl* _cmbWidthType = nullptr;
  TControl* _cbRemember = nullptr;
};
