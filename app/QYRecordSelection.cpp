#include "app/QYRecordSelection.h"

#include "app/QYDatabase.h"
#include "app/QYEntryStore.h"
#include "app/QYErrorDisplay.h"
#include "app/QYFormBuild.h"
#include "app/QYJournals.h"

#include "platform/base/DateTime.h"
#include "platform/db/DBTables.h"
#include "platform/gui/Dialogs.h"

#include <algorithm>
#include <cmath>

TDlgRecordSelection* DlgRecordSelection = nullptr;

TDlgRecordSelection::TDlgRecordSelection(TComponent* AOwner)
    : TForm(AOwner), SelectionDescription(std::make_unique<TStringList>()) {
  DlgRecordSelection = this;
  SetName("DlgRecordSelection");
  SetCaption("Journal Entry Selection");
  SetBorderStyle(bsDialog);
  Position = poMainFormCenter;
  HelpContext = 23;
  SetWidth(620);
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

  gbSelectRecords = MakeControl<TGroupBox>(this, this, "gbSelectRecords", 236, 8, 376, 210);
  gbSelectRecords->SetCaption("Select Records");
  auto radio = [this](const char* name, const char* caption, int top) {
    auto* r = MakeControl<TRadioButton>(this, gbSelectRecords, name, 8, top, 150, 22);
    r->SetCaption(caption);
    return r;
  };
  auto picker = [this](const char* name, int left, int top) {
    auto* p = MakeControl<TDateTimePicker>(this, gbSelectRecords, name, left, top, 240, 24);
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
  cbYear = MakeControl<TComboBox>(this, gbSelectRecords, "cbYear", 160, 126, 180, 24);
  rbMonth = radio("rbMonth", "Selected Month", 154);
  cbMonth = MakeControl<TComboBox>(this, gbSelectRecords, "cbMonth", 160, 152, 180, 24);
  rbDay = radio("rbDay", "Selected Day", 180);
  dpDate = picker("dpDate", 120, 178);

  gbSortOrder = MakeControl<TGroupBox>(this, this, "gbSortOrder", 236, 224, 376, 54);
  gbSortOrder->SetCaption("Sort Order");
  rbForwardTraverse = MakeControl<TRadioButton>(this, gbSortOrder, "rbForwardTraverse", 8, 22, 100, 22);
  rbForwardTraverse->SetCaption("Forward");
  rbForwardTraverse->SetChecked(true);
  rbBackwardTravers = MakeControl<TRadioButton>(this, gbSortOrder, "rbBackwardTravers", 120, 22, 100, 22);
  rbBackwardTravers->SetCaption("Backward");

  pbOk = MakeControl<TButton>(this, this, "pbOk", 356, 292, 80, 28);
  pbOk->SetCaption("&OK");
  pbOk->SetDefault(true);
  pbCancel = MakeControl<TButton>(this, this, "pbCancel", 444, 292, 80, 28);
  pbCancel->SetCaption("&Cancel");
  pbCancel->Cancel = true;
  pbHelp = MakeControl<TButton>(this, this, "pbHelp", 532, 292, 80, 28);
  pbHelp->SetCaption("&Help");
  pbHelp->OnClick = [this](TObject* s) { pbHelpClick(s); };
  pbOk->OnClick = [this](TObject* s) { pbOkClick(s); };
  pbCancel->OnClick = [this](TObject* s) { pbCancelClick(s); };
  OnShow = [this](TObject* s) { FormShow(s); };

  auto journals = [this](TRadioButton* r, const char* sql) {
    r->OnClick = [this, r, sql](TObject*) {
      if (!r->GetChecked()) return;
      JournalListSQL = sql;
      FillJournalList();
    };
  };
  journals(rbActive, ActiveJournalsSQL);
  journals(rbInactive, InactiveJournalsSQL);
  journals(rbAllJournals, AllJournalsSQL);
  for (TRadioButton* r : {rbAll, rbRange, rbYear, rbMonth, rbDay}) r->OnClick = [this](TObject*) { UpdateDateControls(); };
  rbForwardTraverse->OnClick = [this](TObject*) { if (rbForwardTraverse->GetChecked()) SortDirection = " ASC"; };
  rbBackwardTravers->OnClick = [this](TObject*) { if (rbBackwardTravers->GetChecked()) SortDirection = " DESC"; };
  UpdateDateControls();
}

TDlgRecordSelection::~TDlgRecordSelection() {
  if (DlgRecordSelection == this) DlgRecordSelection = nullptr;
}

void TDlgRecordSelection::pbHelpClick(TObject*) { Application->HelpContext(23); }

void TDlgRecordSelection::pbCancelClick(TObject*) {
  SelectionResult = 2;
  ModalResult = mrCancel;
  Close();
}

void TDlgRecordSelection::pbOkClick(TObject*) {
  const String problem = SelectionProblem(true);
  if (!problem.empty()) {
    // Refused here, where the user can still change the choice.
    ModalResult = mrNone;
    MessageBox(problem, "Journal Entry Selection", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  BuildSelectionQuery(true);
  ModalResult = mrOk;
}

void TDlgRecordSelection::FormShow(TObject*) {
  // Closed by its frame, the dialog counts as cancelled: the caller's query
  // stays as it was.
  SelectionResult = 2;
  InitSelection();
}

void TDlgRecordSelection::UpdateDateControls() {
  dpFromDate->SetEnabled(rbRange->GetChecked());
  dpToDate->SetEnabled(rbRange->GetChecked());
  cbYear->SetEnabled(rbYear->GetChecked());
  cbMonth->SetEnabled(rbMonth->GetChecked());
  dpDate->SetEnabled(rbDay->GetChecked());
}

void TDlgRecordSelection::FillJournalList() {
  lbJournals->Items().Clear();
  JournalIDs.clear();
  try {
    TQuery q;
    BindToDatabase(q);
    q.SQL.Add(JournalListSQL);
    q.Open();
    for (; !q.Eof(); q.Next()) {
      lbJournals->Items().Add(q.FieldByName("JournalName").AsString());
      JournalIDs.push_back(q.FieldByName("JournalID").AsInteger());
    }
  } catch (const std::exception& e) {
    ShowErrorDisplay("Selection Journals", e);
  }
  for (int i = 0; i < lbJournals->Items().Count(); ++i) lbJournals->SetSelected(i, true);
}

namespace {

String MonthText(Integer year, int month) {
  return FormatSettings.LongMonthNames[static_cast<size_t>(month - 1)] + ", " + IntToStr(year);
}

// The month text split at its comma: the name and the year text (with its
// leading blank).
bool SplitMonthText(const String& text, String& name, String& year) {
  const size_t comma = text.find(',');
  if (comma == String::npos) return false;
  name = text.substr(0, comma);
  year = text.substr(comma + 1);
  return true;
}

bool YearNumber(const String& text, Integer& year) {
  const String t = Trim(text);
  if (t.empty() || t.size() > 4) return false;
  for (char c : t)
    if (c < '0' || c > '9') return false;
  year = StrToInt(t);
  return year >= 1;
}

}  // namespace

int MonthOfName(const String& name) {
  for (int m = 0; m < 12; ++m)
    if (FormatSettings.LongMonthNames[static_cast<size_t>(m)] == name) return m + 1;
  return 0;
}

void TDlgRecordSelection::InitSelection() {
  if (SelectionInitialised) {
    if (FJournalListMade != JournalListChanges) RefreshJournals();
    return;
  }
  SelectionInitialised = true;
  JournalListSQL = ActiveJournalsSQL;
  FJournalListMade = JournalListChanges;
  FillJournalList();
  const TDateTime today = Date();
  dpFromDate->SetDate(today);
  dpToDate->SetDate(today);
  dpDate->SetDate(today);
  Integer year = 0;
  Word month = 0, day = 0;
  DecodeDate(today, year, month, day);
  FillDateLists();
  cbYear->SetText(IntToStr(year));
  cbMonth->SetText(MonthText(year, month));
  UpdateDateControls();
}

void TDlgRecordSelection::RefreshJournals() {
  FJournalListMade = JournalListChanges;
  // The journals the user left out stay out; new ones come in selected.
  std::vector<Integer> leftOut;
  for (int i = 0; i < lbJournals->Items().Count(); ++i)
    if (!lbJournals->GetSelected(i)) leftOut.push_back(JournalIDs.at(static_cast<size_t>(i)));
  FillJournalList();
  for (size_t i = 0; i < JournalIDs.size(); ++i)
    if (std::find(leftOut.begin(), leftOut.end(), JournalIDs[i]) != leftOut.end())
      lbJournals->SetSelected(static_cast<int>(i), false);
  const String year = cbYear->GetText(), month = cbMonth->GetText();
  FillDateLists();
  cbYear->SetText(year);
  cbMonth->SetText(month);
}

void TDlgRecordSelection::FillDateLists() {
  cbYear->Items().Clear();
  cbMonth->Items().Clear();
  try {
    TQuery q;
    BindToDatabase(q);
    q.SQL.Add("SELECT DISTINCT EXTRACT(YEAR FROM JournalDate) AS JournalYear FROM Quillory WHERE ( JournalDate "
              "<> :bTopicJournalDate ) ORDER BY JournalYear");
    q.ParamByName("bTopicJournalDate").SetAsDate(TopicEntryDate);
    q.Open();
    for (; !q.Eof(); q.Next()) cbYear->Items().Add(q.FieldByName("JournalYear").AsString());
    q.Close();
    q.SQL.Clear();
    q.SQL.Add("SELECT DISTINCT EXTRACT(YEAR FROM JournalDate) AS JournalYear, EXTRACT(MONTH FROM JournalDate) AS "
              "JournalMonth FROM Quillory WHERE ( JournalDate <> :bTopicJournalDate ) ORDER BY JournalYear, "
              "JournalMonth");
    q.ParamByName("bTopicJournalDate").SetAsDate(TopicEntryDate);
    q.Open();
    for (; !q.Eof(); q.Next()) {
      const int m = q.FieldByName("JournalMonth").AsInteger();
      if (m >= 1 && m <= 12) cbMonth->Items().Add(MonthText(q.FieldByName("JournalYear").AsInteger(), m));
    }
  } catch (const std::exception& e) {
    ShowErrorDisplay("Selection Dates", e);
  }
}

String TDlgRecordSelection::SelectionProblem(bool OnlySelected) const {
  bool any = false;
  for (int i = 0; i < lbJournals->Items().Count() && !any; ++i) any = !OnlySelected || lbJournals->GetSelected(i);
  if (!any) return "No journal selected.\r\nChoose at least one journal in the list.";
  Integer year = 0;
  if (rbYear->GetChecked() && !YearNumber(cbYear->GetText(), year))
    return "\"" + cbYear->GetText() + "\" is not a year.\r\nType a year such as " + IntToStr(YearOf(Date())) + ".";
  if (rbMonth->GetChecked()) {
    String name, yearText;
    if (!SplitMonthText(cbMonth->GetText(), name, yearText) || MonthOfName(name) == 0 || !YearNumber(yearText, year))
      return "Unknown month \"" + cbMonth->GetText() + "\".\r\nChoose a month from the list, such as " +
             MonthText(YearOf(Date()), 1) + ".";
  }
  return "";
}

bool TDlgRecordSelection::BuildSelectionQuery(bool OnlySelected) {
  if (!SelectionProblem(OnlySelected).empty() || !TargetQuery) return false;
  TQuery& q = *TargetQuery;
  q.Close();
  q.SQL.Clear();
  q.SQL.Add(SelectionBaseSQL);
  TStringList& d = *SelectionDescription;
  d.Clear();
  d.Add("  JOURNALS SELECTED");
  // The ids are bound, one parameter each, never spliced into the text.
  std::vector<Integer> ids;
  String list;
  for (int i = 0; i < lbJournals->Items().Count(); ++i) {
    if (OnlySelected && !lbJournals->GetSelected(i)) continue;
    ids.push_back(JournalIDs.at(static_cast<size_t>(i)));
    if (!list.empty()) list += ", ";
    list += ":bJournalID" + IntToStr(static_cast<Integer>(ids.size()));
    d.Add(lbJournals->Items()[i]);
  }
  q.SQL.Add(" AND JournalID IN (" + list + ") ");
  d.Add(" ");
  d.Add("  DATES SELECTED");
  const String order = " ORDER BY JournalDate " + SortDirection;
  const auto shortDate = [](TDateTime v) { return FormatDateTime(FormatSettings.ShortDateFormat, v); };
  if (rbRange->GetChecked()) {
    q.SQL.Add(" AND JournalDate BETWEEN :bDateBegin AND :bDateEnd" + order);
    d.Add("From:" + shortDate(dpFromDate->GetDate()) + " To:" + shortDate(dpToDate->GetDate()));
  } else if (rbYear->GetChecked()) {
    q.SQL.Add(" AND EXTRACT(YEAR FROM JournalDate) = :bYear" + order);
    d.Add("For Year:" + cbYear->GetText());
  } else if (rbMonth->GetChecked()) {
    q.SQL.Add(" AND EXTRACT(YEAR FROM JournalDate) = :bYear AND EXTRACT(MONTH FROM JournalDate) = :bMonth" + order);
    String name, yearText;
    SplitMonthText(cbMonth->GetText(), name, yearText);
    d.Add("For Month:" + name + "/" + yearText);
  } else if (rbDay->GetChecked()) {
    q.SQL.Add(" AND JournalDate = :bDate" + order);
    d.Add("For Day:" + shortDate(dpDate->GetDate()));
  } else {
    q.SQL.Add(order);
    d.Add("All Dates");
  }
  for (size_t i = 0; i < ids.size(); ++i)
    q.ParamByName("bJournalID" + IntToStr(static_cast<Integer>(i + 1))).SetAsInteger(ids[i]);
  Integer year = 0;
  if (rbRange->GetChecked()) {
    q.ParamByName("bDateBegin").SetAsDate(std::floor(dpFromDate->GetDate()));
    q.ParamByName("bDateEnd").SetAsDate(std::floor(dpToDate->GetDate()));
  } else if (rbYear->GetChecked()) {
    YearNumber(cbYear->GetText(), year);
    q.ParamByName("bYear").SetAsInteger(year);
  } else if (rbMonth->GetChecked()) {
    String name, yearText;
    SplitMonthText(cbMonth->GetText(), name, yearText);
    YearNumber(yearText, year);
    q.ParamByName("bYear").SetAsInteger(year);
    q.ParamByName("bMonth").SetAsInteger(MonthOfName(name));
  } else if (rbDay->GetChecked()) {
    q.ParamByName("bDate").SetAsDate(std::floor(dpDate->GetDate()));
  }
  SelectionResult = 1;
  return true;
}

// ---------------------------------------------------------------------------

void CopySelectionKeys(TQuery& source, TQuery& target) {
  target.Close();
  target.SQL.Clear();
  static const String withText = "JournalDate, JournalText, Editor";
  for (int i = 0; i < source.SQL.Count(); ++i) {
    String line = source.SQL[i];
    if (i == 0) {
      const size_t at = line.find(withText);
      // Editor is stored after the text: reading it would read the text.
      if (at != String::npos) line.replace(at, withText.size(), "JournalDate");
    }
    target.SQL.Add(line);
  }
  for (int i = 0; i < source.Params().Count(); ++i) {
    TParam& p = source.Params()[i];
    if (TParam* t = target.Params().FindParam(p.Name)) *t = p;
  }
}

bool ReadEntryText(TQuery& textQuery, Integer journalID, double journalDate, String& blob, String& editor) {
  if (textQuery.SQL.Count() == 0)
    textQuery.SQL.Add("SELECT JournalText, Editor FROM Quillory WHERE JournalID = :bJournalID AND JournalDate = "
                      ":bJournalDate");
  textQuery.Close();
  // Compiled once for all the rows it reads.
  if (!textQuery.Prepared()) textQuery.Prepare();
  textQuery.ParamByName("bJournalID").SetAsInteger(journalID);
  textQuery.ParamByName("bJournalDate").SetAsDate(journalDate);
  textQuery.Open();
  if (textQuery.Eof()) return false;
  blob = textQuery.FieldByName("JournalText").AsString();
  editor = textQuery.FieldByName("Editor").AsString();
  textQuery.Close();
  return true;
}
