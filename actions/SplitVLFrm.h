#pragma once
// The Split dialog: the selected table cells become a number of rows and
// columns each, or go back to the cells they were merged from.
#include "actions/BaseVLFrm.h"
#include "actions/VLSpinEdit.h"

class TfrmVLSplit : public TfrmVLBase {
public:
  explicit TfrmVLSplit(TComponent* AOwner);
  void Localize() override;
  // Shows the fields of the chosen way of splitting.
  void rbClick(TObject* Sender);

  TGroupBox* GroupBox1;
  TRadioButton* rbSplit;
  TRadioButton* rbUnmerge;
  TGroupBox* panSplit;
  TLabel* Label1;
  TVLSpinEdit* seColumns;
  TLabel* Label2;
  TVLSpinEdit* seRows;
  TCheckBox* cbMerge;
  TGroupBox* panUnmerge;
  TCheckBox* cbUnmergeRows;
  TCheckBox* cbUnmergeCols;
  TButton* btnOk;
  TButton* btnCancel;
  TControl* _rbSplit = nullptr;
  TControl* _rbUnmerge = nullptr;
  TControl* _panUnmerge = nullptr;
  TControl* _panSplit = nullptr;
  TControl* _cbUnmergeRows = nullptr;
  TControl* _cbUnmergeCols = nullptr;
  TControl* _cbMerge = nullptr;
};
