#include "app/QYPrintPreview.h"

#include "app/QYFormBuild.h"

#include <algorithm>

TFormPrintPreview* FormPrintPreview = nullptr;
TFormPrintJournalLoadProgress* FormPrintJournalLoadProgress = nullptr;

TFormPrintPreview::TFormPrintPreview(TComponent* AOwner) : TForm(AOwner) {
  FormPrintPreview = this;
  SetName("FormPrintPreview");
  SetCaption("Quillory Print Preview");
  SetWindowState(wsMaximized);
  SetVisible(false);

  ActionList = new TActionList(this);
  ActionPreviewClose = new TAction(this);
  ActionPreviewClose->SetName("ActionPreviewClose");
  ActionPreviewClose->SetActionList(ActionList);
  ActionPreviewClose->SetCaption("Close");
  ActionPreviewClose->SetHint("close");
  ActionPreviewClose->OnExecute = [this](TObject* s) { ActionPreviewCloseExecute(s); };

  sbPrintPreview = new TStatusBar(this);
  sbPrintPreview->SetName("sbPrintPreview");
  sbPrintPreview->SetParent(this);
  sbPrintPreview->SetAlign(alBottom);
  sbPrintPreview->Panels().Add()->SetWidth(200);

  pBottom = new TPanel(this);
  pBottom->SetName("pBottom");
  pBottom->SetParent(this);
  pBottom->SetAlign(alBottom);
  pBottom->SetHeight(40);
  pBottom->SetCaption("");
  pbClose = MakeControl<TButton>(this, pBottom, "pbClose", 8, 6, 90, 28);
  pbClose->SetCaption(ActionPreviewClose->GetCaption());
  pbClose->OnClick = [this](TObject*) { ActionPreviewClose->Execute(); };

  pPreview = new TPanel(this);
  pPreview->SetName("pPreview");
  pPreview->SetParent(this);
  pPreview->SetAlign(alClient);
  pPreview->SetCaption("");
}

TFormPrintPreview::~TFormPrintPreview() {
  if (FormPrintPreview == this) FormPrintPreview = nullptr;
}

void TFormPrintPreview::ActionPreviewCloseExecute(TObject*) { Close(); }

// ---------------------------------------------------------------------------

TFormPrintJournalLoadProgress::TFormPrintJournalLoadProgress(TComponent* AOwner) : TForm(AOwner) {
  FormPrintJournalLoadProgress = this;
  SetName("FormPrintJournalLoadProgress");
  SetCaption("Journal Report Generation Progress");
  SetBorderStyle(bsDialog);
  SetFormStyle(fsStayOnTop);
  Position = poScreenCenter;
  // Its controls follow the width; the caption is long.
  SetWidth(std::max(360, CaptionFitWidth(GetCaption())));
  SetHeight(110);
  SetVisible(false);

  sbProgress = new TStatusBar(this);
  sbProgress->SetName("sbProgress");
  sbProgress->SetParent(this);
  sbProgress->SetAlign(alBottom);
  sbProgress->Panels().Add()->SetWidth(300);

  pTop = new TPanel(this);
  pTop->SetName("pTop");
  pTop->SetParent(this);
  pTop->SetAlign(alTop);
  pTop->SetHeight(40);
  pTop->SetCaption("");
  ProgressBar1 = new TProgressBar(this);
  ProgressBar1->SetName("ProgressBar1");
  ProgressBar1->SetParent(pTop);
  ProgressBar1->SetAlign(alClient);

  pbCancel = MakeControl<TButton>(this, this, "pbCancel", 140, 48, 80, 28);
  pbCancel->SetCaption("Cancel");
  pbCancel->OnClick = [this](TObject* s) { pbCancelClick(s); };
}

TFormPrintJournalLoadProgress::~TFormPrintJournalLoadProgress() {
  if (FormPrintJournalLoadProgress == this) FormPrintJournalLoadProgress = nullptr;
}

void TFormPrintJournalLoadProgress::pbCancelClick(TObject*) {
  ReportRunning = MessageBox("Cancel Journal Report Generation ?", "Confirm Cancel",
                             MB_YESNO | MB_ICONEXCLAMATION) != IDYES;
}
