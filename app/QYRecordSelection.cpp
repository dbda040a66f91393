#include "app/QYRecordSelection.h"

#include "app/QYFormBuild.h"

#include "platform/base/DateTime.h"

TDlgRecordSelection* DlgRecordSelection = nullptr;

TDlgRecordSelection::TDlgRecordSelection(TComponent* AOwner)
    : TForm(AOwner), SelectionDescription(std::make_unique<TStringList>()) {
  DlgRecordSelection = this;
  SetName("DlgRecordSelection");
  SetCaption("Journal Entry Selection");
  SetBorderStyle(bsDialog);
  Position = poMainFormCenter;
  HelpContext = 23;
  SetWidth(560);
  SetHeight(330);
  SetVisible(false);

  gbJournals = MakeControl<TGroupBox>(this, this, "gbJournals", 8, 8, 220, 270);
  gbJournals->SetCaption("Journals");
  rbActive = MakeControl<TRadioButton>(this, gbJournals, "rbActive", 8, 20, 66, 22);
  rbActive->SetCaption("Active");
  rbActive->SetChecked(true);
  rbInactive = MakeControl<TRadioButton>(this, gbJournals, "rbInactive", 76, 20, 76, 22);
  rbInactive->SetCaption("Inactive");
  rbAllJournals = MakeControl<TRadioButton>(this, gbJournals, "rbAllJournals", 156, 20, 56, 22);
  rbAllJournals->SetCaption("All");
  lbJournals = MakeControl<TListBox>(this, gbJournals, "lbJournals", 8, 48, 204, 212);
  lbJournals->SetMultiSelect(true);

  gbSelectRecords = MakeControl<TGroupBox>(this, this, "gbSelectRecords", 236, 8, 316, 210);
  gbSelectRecords->SetCaption("Select Records");
  auto radio = [this](const char* name, const char* caption, int top) {
    auto* r = MakeControl<TRadioButton>(this, gbSelectRecords, name, 8, top, 150, 22);
    r->SetCaption(caption);
    return r;
  };
  auto picker = [this](const char* name, int left, int top) {
    auto* p = MakeControl<TDateTimePicker>(this, gbSelectRecords, name, left, top, 180, 24);
    p->SetDateFormat(dfLong);
    p->SetDate(Date());
    return p;
  };
  rbAll = radio("rbAll", "All Dates", 20);
  rbAll->SetChecked(true);
  rbRange = radio("rbRange", "Selected Date Range", 46);
  lFromDate = MakeControl<TLabel>(this, gbSelectRecords, "lFromDate", 24, 74, 70, 18);
  lFromDate->SetCaption("From Date:");
  dpFromDate = picker("dpFromDate", 100, 70);
  lToDate = MakeControl<TLabel>(this, gbSelectRecords, "lToDate", 24, 102, 70, 18);
  lToDate->SetCaption("To Date:");
  dpToDate = picker("dpToDate", 100, 98);
  rbYear = radio("rbYear", "Selected Year", 128);
  cbYear = MakeControl<TComboBox>(this, gbSelectRecords, "cbYear", 160, 126, 120, 24);
  rbMonth = radio("rbMonth", "Selected Month", 154);
  cbMonth = MakeControl<TComboBox>(this, gbSelectRecords, "cbMonth", 160, 152, 120, 24);
  rbDay = radio("rbDay", "Selected Day", 180);
  dpDate = picker("dpDate", 120, 178);

  gbSortOrder = MakeControl<TGroupBox>(this, this, "gbSortOrder", 236, 224, 316, 54);
  gbSortOrder->SetCaption("Sort Order");
  rbForwardTraverse = MakeControl<TRadioButton>(this, gbSortOrder, "rbForwardTraverse", 8, 22, 100, 22);
  rbForwardTraverse->SetCaption("Forward");
  rbForwardTraverse->SetChecked(true);
  rbBackwardTravers = MakeControl<TRadioButton>(this, gbSortOrder, "rbBackwardTravers", 120, 22, 100, 22);
  rbBackwardTravers->SetCaption("Backward");

  pbOk = MakeControl<TButton>(this, this, "pbOk", 296, 292, 80, 28);
  pbOk->SetCaption("&Ok");
  pbOk->SetDefault(true);
  pbCancel = MakeControl<TButton>(this, this, "pbCancel", 384, 292, 80, 28);
  pbCancel->SetCaption("&Cancel");
  pbCancel->Cancel = true;
  pbHelp = MakeControl<TButton>(this, this, "pbHelp", 472, 292, 80, 28);
  pbHelp->SetCaption("&Help");
  pbHelp->OnClick = [this](TObject* s) { pbHelpClick(s); };
}

TDlgRecordSelection::~TDlgRecordSelection() {
  if (DlgRecordSelection == this) DlgRecordSelection = nullptr;
}

void TDlgRecordSelection::pbHelpClick(TObject*) { Application->HelpContext(23); }
