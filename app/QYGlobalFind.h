#pragma once
// The global-find window: the text, its options and the selection of entries
// to search, with the search's status and progress.
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TfGlobalFind : public TForm {
public:
  explicit TfGlobalFind(TComponent* AOwner);
  ~TfGlobalFind() override;

  TLabeledEdit* leTextToFind = nullptr;
  TButton* pbFind = nullptr;
  TRadioGroup* rbgDirection = nullptr;
  TCheckBox* cbCaseSensitive = nullptr;
  TCheckBox* cbWholeWordMatch = nullptr;
  TGroupBox* gbSelection = nullptr;
  TButton* pbSelection = nullptr;
  TMemo* mSelection = nullptr;
  TButton* pbDone = nullptr;
  TButton* pbHelp = nullptr;
  TStatusBar* sbGlobalFind = nullptr;
  TProgressBar* ProgBarFind = nullptr;

  void pbDoneClick(TObject* Sender);
  void pbHelpClick(TObject* Sender);
};

extern TfGlobalFind* fGlobalFind;
