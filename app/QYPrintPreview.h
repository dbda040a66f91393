#pragma once
// The journal report's preview window and its progress window, created once
// at start-up and used by the report builder.
#include "platform/gui/ActnList.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TFormPrintPreview : public TForm {
public:
  explicit TFormPrintPreview(TComponent* AOwner);
  ~TFormPrintPreview() override;

  TPanel* pPreview = nullptr;   // where the pages are shown
  TPanel* pBottom = nullptr;    // holds the report's documents, hidden
  TButton* pbClose = nullptr;
  TStatusBar* sbPrintPreview = nullptr;
  TActionList* ActionList = nullptr;
  TAction* ActionPreviewClose = nullptr;

  void ActionPreviewCloseExecute(TObject* Sender);
};

class TFormPrintJournalLoadProgress : public TForm {
public:
  explicit TFormPrintJournalLoadProgress(TComponent* AOwner);
  ~TFormPrintJournalLoadProgress() override;

  TPanel* pTop = nullptr;
  TProgressBar* ProgressBar1 = nullptr;
  TStatusBar* sbProgress = nullptr;
  TButton* pbCancel = nullptr;

  // Asks whether to stop the report; answers true to stop.
  void pbCancelClick(TObject* Sender);
  // False once the user chose to stop the report being built.
  bool ReportRunning = false;
};

extern TFormPrintPreview* FormPrintPreview;
extern TFormPrintJournalLoadProgress* FormPrintJournalLoadProgress;
