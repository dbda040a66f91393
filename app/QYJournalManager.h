#pragma once
// The manage-journals window: the Journals table in a grid, where the user
// renames journals, chooses which are shown (opened with the journal), adds
// journals and deletes a journal together with all its entries.
#include "platform/gui/ComCtrls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Grids.h"
#include "platform/gui/StdCtrls.h"

class TformQuilloryMain;

// Grid columns.
constexpr int jmcName = 0;
constexpr int jmcShow = 1;
constexpr int jmcType = 2;
constexpr int jmcID = 3;

class TformJournalManager : public TForm {
public:
  explicit TformJournalManager(TComponent* AOwner);
  ~TformJournalManager() override;

  TPanel* JournalManagerNavigator = nullptr;
  TButton* nbInsert = nullptr;
  TButton* nbDelete = nullptr;
  TStringGrid* JournalManagerGrid = nullptr;
  TPanel* pButtons = nullptr;
  TButton* pbOk = nullptr;
  TButton* pbHelp = nullptr;

  // The number the next added journal takes after it is increased.
  Integer NextNumber = 0;

  // Reads the table into the grid.
  void OpenTable();
  void pbOkClick(TObject* Sender);
  void pbHelpClick(TObject* Sender);
  // A new daily journal, shown, named "New Journal"; its name is edited in
  // the grid. False when the row could not be written.
  bool InsertJournalRow();
  // Asks, then deletes the selected journal and every entry of it in one
  // transaction; a failure leaves both and is shown.
  bool DeleteJournalRow(int row, bool confirm = true);
  void GridCellChanged(int col, int row);

private:
  void ReopenJournals();
  Integer RowID(int row) const;
  bool FReopened = false;
  // A journal was renamed, shown, hidden, added or deleted.
  bool FChanged = false;
  void FillRow(int row, Integer id, const String& name, bool active, const String& type);
};

// The manage-journals command: the journals close, their commands are
// disabled, and the window shows; its OK opens them again. The window, or
// nullptr when the journals could not be closed.
TformJournalManager* ActionJournalManagerExecute(TformQuilloryMain* main);
