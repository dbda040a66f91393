#pragma once
// The add-journal dialog: a new journal's name and kind.
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TdlgAddJournal : public TForm {
public:
  explicit TdlgAddJournal(TComponent* AOwner);
  ~TdlgAddJournal() override;

  TLabeledEdit* eJournalName = nullptr;
  TLabel* lJournalType = nullptr;
  TComboBox* cbJournalType = nullptr;
  TButton* OKBtn = nullptr;
  TButton* CancelBtn = nullptr;
  TButton* HelpBtn = nullptr;

  void FormShow(TObject* Sender);
  void OKBtnClick(TObject* Sender);
  void CancelBtnClick(TObject* Sender);
  void HelpBtnClick(TObject* Sender);
};

extern TdlgAddJournal* dlgAddJournal;
