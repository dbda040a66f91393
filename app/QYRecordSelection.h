#pragma once
// The record-selection dialog: which journals and dates a global find or a
// journal report works on, and in which order.
#include "platform/base/Strings.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

#include <memory>
#include <vector>

class TQuery;

// The rows a selection names, in the order the caller reads them.
inline constexpr const char* SelectionBaseSQL =
    "SELECT JournalID, JournalName, JournalDate, JournalText, Editor, JournalType FROM Quillory, Journals "
    "WHERE Quillory.JournalID = Journals.JournalID ";

// The journal-list statements of the three journal buttons.
inline constexpr const char* ActiveJournalsSQL =
    "SELECT JournalID, JournalName FROM Journals WHERE ( JournalActive = TRUE ) ORDER BY JournalName";
inline constexpr const char* InactiveJournalsSQL =
    "SELECT JournalID, JournalName FROM Journals WHERE ( JournalActive = FALSE ) ORDER BY JournalName";
inline constexpr const char* AllJournalsSQL = "SELECT JournalID, JournalName FROM Journals ORDER BY JournalName";

// Copies a selection query's statement and parameter values into target,
// leaving the entries' text out of the rows: a long run reads each entry's
// text by itself (ReadEntryText) instead of holding them all at once.
void CopySelectionKeys(TQuery& source, TQuery& target);
// The stored text and its Editor value of one entry; false when the row is gone.
bool ReadEntryText(TQuery& textQuery, Integer journalID, double journalDate, String& blob, String& editor);

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
  void pbOkClick(TObject* Sender);
  void pbCancelClick(TObject* Sender);
  void FormShow(TObject* Sender);

  // The journal list, the dates and the year and month lists from the
  // table, once in the dialog's life; later only the lists, when the
  // journals changed since they were made.
  void InitSelection();
  void RefreshJournals();
  void FillDateLists();
  void FillJournalList();
  void UpdateDateControls();
  // What is wrong with the current choices (no journal, a year or month
  // that names none), empty when they make a query.
  String SelectionProblem(bool OnlySelected) const;
  // Writes TargetQuery's statement and parameters and the description for
  // the current choices. Refused (false, nothing written) while
  // SelectionProblem names a problem.
  bool BuildSelectionQuery(bool OnlySelected);

  // The journal-list statement the journal buttons chose, the ids of the
  // list's lines and " ASC" or " DESC".
  String JournalListSQL = ActiveJournalsSQL;
  std::vector<Integer> JournalIDs;
  String SortDirection = " ASC";

private:
  int FJournalListMade = 0;
};

// The 1-based month of a long month name of the locale, 0 for none.
int MonthOfName(const String& name);

extern TDlgRecordSelection* DlgRecordSelection;
