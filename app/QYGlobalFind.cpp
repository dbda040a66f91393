#include "app/QYGlobalFind.h"

#include "app/QYFormBuild.h"

TfGlobalFind* fGlobalFind = nullptr;

TfGlobalFind::TfGlobalFind(TComponent* AOwner) : TForm(AOwner) {
  fGlobalFind = this;
  SetName("fGlobalFind");
  SetCaption("Advanced Find");
  SetBorderStyle(bsDialog);
  SetFormStyle(fsStayOnTop);
  Position = poMainFormCenter;
  HelpContext = 35;
  SetWidth(420);
  SetHeight(330);
  SetVisible(false);

  leTextToFind = MakeControl<TLabeledEdit>(this, this, "leTextToFind", 12, 28, 300, 24);
  leTextToFind->EditLabel()->SetCaption("Text To Find");
  pbFind = MakeControl<TButton>(this, this, "pbFind", 324, 26, 84, 28);
  pbFind->SetCaption("&Find");
  pbFind->SetDefault(true);

  rbgDirection = MakeControl<TRadioGroup>(this, this, "rbgDirection", 12, 62, 150, 70);
  rbgDirection->SetCaption("Find Direction");
  rbgDirection->Items().Add("Forward");
  rbgDirection->Items().Add("Backward");
  rbgDirection->SetItemIndex(0);
  cbCaseSensitive = MakeControl<TCheckBox>(this, this, "cbCaseSensitive", 176, 72, 150, 22);
  cbCaseSensitive->SetCaption("Case Sensitive");
  cbWholeWordMatch = MakeControl<TCheckBox>(this, this, "cbWholeWordMatch", 176, 100, 150, 22);
  cbWholeWordMatch->SetCaption("Whole Word Match");

  gbSelection = MakeControl<TGroupBox>(this, this, "gbSelection", 12, 140, 300, 130);
  gbSelection->SetCaption("Selection");
  mSelection = MakeControl<TMemo>(this, gbSelection, "mSelection", 8, 20, 284, 100);
  mSelection->SetReadOnly(true);
  pbSelection = MakeControl<TButton>(this, this, "pbSelection", 324, 146, 84, 28);
  pbSelection->SetCaption("&Selection");
  pbDone = MakeControl<TButton>(this, this, "pbDone", 324, 200, 84, 28);
  pbDone->SetCaption("&Done");
  pbDone->OnClick = [this](TObject* s) { pbDoneClick(s); };
  pbHelp = MakeControl<TButton>(this, this, "pbHelp", 324, 234, 84, 28);
  pbHelp->SetCaption("&Help");
  pbHelp->OnClick = [this](TObject* s) { pbHelpClick(s); };

  sbGlobalFind = new TStatusBar(this);
  sbGlobalFind->SetName("sbGlobalFind");
  sbGlobalFind->SetParent(this);
  sbGlobalFind->SetAlign(alBottom);
  sbGlobalFind->Panels().Add()->SetWidth(400);
  ProgBarFind = MakeControl<TProgressBar>(this, this, "ProgBarFind", 12, 278, 396, 16);
}

TfGlobalFind::~TfGlobalFind() {
  if (fGlobalFind == this) fGlobalFind = nullptr;
}

void TfGlobalFind::pbDoneClick(TObject*) { Close(); }
void TfGlobalFind::pbHelpClick(TObject*) { Application->HelpContext(35); }
