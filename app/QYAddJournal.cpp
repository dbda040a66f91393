#include "app/QYAddJournal.h"

#include "app/QYFormBuild.h"
#include "app/QYJournals.h"

TdlgAddJournal* dlgAddJournal = nullptr;

TdlgAddJournal::TdlgAddJournal(TComponent* AOwner) : TForm(AOwner) {
  dlgAddJournal = this;
  SetName("dlgAddJournal");
  SetCaption("Add Journal");
  SetBorderStyle(bsDialog);
  Position = poOwnerFormCenter;
  HelpKeyword = "Create New Journal";
  SetWidth(320);
  SetHeight(160);

  eJournalName = MakeControl<TLabeledEdit>(this, this, "eJournalName", 12, 30, 296, 24);
  eJournalName->EditLabel()->SetCaption("Enter New Journal Name");
  lJournalType = MakeControl<TLabel>(this, this, "lJournalType", 12, 66, 120, 18);
  lJournalType->SetCaption("Journal Type");
  cbJournalType = MakeControl<TComboBox>(this, this, "cbJournalType", 12, 86, 180, 24);
  cbJournalType->SetStyle(csDropDownList);
  cbJournalType->Items().Add("Daily Journal");
  cbJournalType->Items().Add("Topic Journal");
  cbJournalType->SetItemIndex(0);
  lJournalType->SetFocusControl(cbJournalType);

  OKBtn = MakeButton(this, "OKBtn", "OK", 52, 124);
  OKBtn->SetDefault(true);
  OKBtn->OnClick = [this](TObject* s) { OKBtnClick(s); };
  CancelBtn = MakeButton(this, "CancelBtn", "Cancel", 138, 124);
  CancelBtn->Cancel = true;
  CancelBtn->OnClick = [this](TObject* s) { CancelBtnClick(s); };
  HelpBtn = MakeButton(this, "HelpBtn", "Help", 224, 124);
  HelpBtn->OnClick = [this](TObject* s) { HelpBtnClick(s); };
  OnShow = [this](TObject* s) { FormShow(s); };
}

TdlgAddJournal::~TdlgAddJournal() {
  if (dlgAddJournal == this) dlgAddJournal = nullptr;
}

void TdlgAddJournal::FormShow(TObject*) {
  // Each new journal starts from an empty name and a daily journal.
  eJournalName->SetText("");
  cbJournalType->SetItemIndex(0);
  if (eJournalName->CanFocus()) eJournalName->SetFocus();
}

void TdlgAddJournal::OKBtnClick(TObject*) {
  if (eJournalName->GetText().empty()) {
    ShowMessage("Journal Name Not Filled In");
    return;
  }
  if (const String problem = JournalNameProblem(eJournalName->GetText()); !problem.empty()) {
    ShowMessage(problem);
    return;
  }
  ModalResult = mrOk;
}

void TdlgAddJournal::CancelBtnClick(TObject*) { ModalResult = mrCancel; }
void TdlgAddJournal::HelpBtnClick(TObject*) { Application->HelpContext(18); }
