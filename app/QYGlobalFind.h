#pragma once
// The global-find window: the text, its options and the selection of entries
// to search, with the search's status and progress. A worker reads the
// selected entries one by one through its own connection; loading, searching
// and showing each hit run on the GUI thread. After a hit the worker waits
// until the user asks for the next one or stops the search.
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Threads.h"

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class TQuery;
class TVellumEdit;
class TVLStyle;
class TNamedSemaphore;
class TThreadGlobalFind;

// Option bits of a search: match case, forward, whole word.
inline constexpr Byte foMatchCase = 1;
inline constexpr Byte foForward = 2;
inline constexpr Byte foWholeWord = 4;

// The row a search step works on, with its stored text as read.
struct TFindRow {
  Integer JournalID = 0;
  String JournalName;
  double JournalDate = 0;
  int RecNo = 0;
  bool Read = false;
  String Blob;
  String Editor;
};

class TEntryDocument;

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
  // The selected entries, as the record selection dialog writes them.
  std::unique_ptr<TQuery> qFind;
  // Each entry is loaded and searched here, never shown.
  TVLStyle* rteEntryStyle = nullptr;
  TVellumEdit* rteEntryText = nullptr;

  String FindText;
  // Set on the GUI thread before the worker starts (two quick presses start
  // one search), cleared when it has finished.
  std::atomic<bool> FindRunning{false};
  std::atomic<bool> FindCancel{false};
  std::shared_ptr<TNamedSemaphore> FindSemaphore;
  Byte FindOptions = 0;
  Byte FindDirection = 0;  // 0 forward, 1 backward
  // The selection made a query (no journal chosen makes none).
  bool SelectionValid = false;
  // Hits shown since the window was created (tests and the status).
  int HitsShown = 0;
  // Run by the worker after each entry it reads (tests slow it with this).
  std::function<void()> OnRowRead;

  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void leTextToFindChange(TObject* Sender);
  void pbFindClick(TObject* Sender);
  void pbSelectionClick(TObject* Sender);
  void pbDoneClick(TObject* Sender);
  void pbHelpClick(TObject* Sender);

  // Rebuilds qFind from the record selection dialog: from its current
  // choices (Reset), or as the user confirms them in the dialog.
  void SetRecordSelection(bool Reset);
  // Stops a running search and waits until its worker has ended; a hit it
  // was about to show is not shown.
  void StopFind();
  // Frees what the window holds of the database between searches.
  void ReleaseFindStatements();

  // --- the steps the worker runs on the GUI thread
  void ShowFindStatus(const String& text);
  void LogFindActivity(const String& line);
  void SetFindProgressMax(int count);
  void SetFindProgressPosition(int position);
  void RefreshFindWindow();
  // Loads the row's text into the hidden editor; true when the entry may
  // hold the text (then it is laid out and the caret put at its start, or
  // end for a backward search). A text that cannot be read is logged and
  // skipped.
  bool LoadFindRow(const TFindRow& row);
  // Reads rows of the batch from first on, without laying them out, until
  // one may hold the text (its index is answered) or a few milliseconds
  // have passed (-1; next says where to go on). Rows that cannot be read are
  // logged.
  int ScreenFindRows(const std::vector<TFindRow>& batch, int first, int& next);
  bool SearchHiddenEditor(const TFindRow& row);
  // Shows the hidden editor's hit selected in the journal's own window.
  void ShowHitInJournal(const TFindRow& row);
  // The hit selected in the journal's editor: found again there from where
  // it starts, or (for a hit in a cell) opened at its place; false when it
  // is not in a cell.
  void ShowHitInText(TVellumEdit& shown, Integer startItem, Integer startOff, Integer endItem, Integer endOff);
  bool ShowHitInCells(TVellumEdit& shown);
  // The worker has ended.
  void FinishFind();
  // Moves the window off the hit it shows (screen coordinates), below it,
  // above it or beside it, wherever it fits on the screen.
  void KeepClearOf(const TRect& hit);

private:
  std::unique_ptr<TThreadGlobalFind> FThread;
  // Screening decodes each entry here, with no layout.
  std::unique_ptr<TEntryDocument> FScreen;
};

// The worker of one search.
class TThreadGlobalFind : public TThread {
public:
  explicit TThreadGlobalFind(TfGlobalFind* owner);
  ~TThreadGlobalFind() override;

protected:
  void Execute() override;

private:
  bool Stopping() const;
  TfGlobalFind* FOwner;
  // The direction as Find was pressed.
  bool FForward;
  std::unique_ptr<TQuery> FKeys;
};

extern TfGlobalFind* fGlobalFind;

// The main window's global-find command: saves the current entry and shows
// the window (only while the journals are loaded).
void ActionGlobalFindExecute();
// Lock, hide, exit and whatever closes the journals (backup, restore, pack,
// a password change): a running search stops and the window closes.
void StopGlobalFind();
