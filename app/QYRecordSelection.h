#pragma once
// The record-selection dialog: which journals and dates a global find or a
// journal report works on, and in which order.
#include "platform/base/Strings.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

#include <memory>

class TQuery;

class TDlgRecordSelection : public TForm {
public:
  explicit TDlgRecordSelection(TComponent* AOwner);
  ~TDlgRecordSelection() override;

  TGroupBox* gbJournals = nullptr;
  TRadioButton* rbActive = nullptr;
  TRadioButton* rbInactive = nullptr;
  TRadioButton* rbAllJournals = nullptr;
  TListBox* lbJournals = nullptr;
  TGroupBox* gbSelectRecords = nullptr;
  TRadioButton* rbAll = nullptr;
  TRadioButton* rbRange = nullptr;
  TLabel* lFromDate = nullptr;
  TDateTimePicker* dpFromDate = nullptr;
  TLabel* lToDate = nullptr;
  TDateTimePicker* dpToDate = nullptr;
  TRadioButton* rbYear = nullptr;
  TComboBox* cbYear = nullptr;
  TRadioButton* rbMonth = nullptr;
  TComboBox* cbMonth = nullptr;
  TRadioButton* rbDay = nullptr;
  TDateTimePicker* dpDate = nullptr;
  TGroupBox* gbSortOrder = nullptr;
  TRadioButton* rbForwardTraverse = nullptr;
  TRadioButton* rbBackwardTravers = nullptr;
  TButton* pbOk = nullptr;
  TButton* pbCancel = nullptr;
  TButton* pbHelp = nullptr;

  // 1 confirmed, 2 cancelled.
  Integer SelectionResult = 0;
  std::unique_ptr<TStringList> SelectionDescription;
  TQuery* TargetQuery = nullptr;
  bool SelectionInitialised = false;

  void pbHelpClick(TObject* Sender);
};

extern TDlgRecordSelection* DlgRecordSelection;
