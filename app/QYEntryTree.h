#pragma once
// The main window's entry tree: every stored entry by date, by journal and
// (topic journals) on its own. A worker thread reads the entries; every
// change to the nodes runs on the GUI thread, one request after another, so
// a first save or a delete that comes while the tree is busy waits its turn
// instead of being lost.
#include "app/QYEntryStore.h"
#include "platform/base/Components.h"
#include "platform/base/DateTime.h"
#include "platform/base/SysUtils.h"

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

class TPanel;
class TProgressBar;
class TThread;
class TTreeNode;
class TTreeView;
class TformQuilloryMain;

// What a leaf opens. The two leaves the adder makes for one entry share one
// record; the shared pointer frees it with the last of them.
struct TEntryNodeDataRecord {
  String JournalName;
  Integer JournalID = 0;
  TDateTime JournalDate = 0;
  Integer CursorPosition = 0;
};

enum TEntryNodeKind { enkRoot, enkYear, enkMonth, enkDay, enkJournal, enkEntry };

// A node's data. Year, month and day numbers never pass for a record: only
// a node that holds a record opens an entry.
struct TEntryNodeData {
  TEntryNodeKind Kind = enkRoot;
  Integer Number = 0;  // year, month 1-12 or day of month
  std::shared_ptr<TEntryNodeDataRecord> Record;
};

// The texts of the three roots, in their order.
extern const char* const EntryTreeRootTexts[3];
enum { rtByDate = 0, rtByJournal = 1, rtTopics = 2 };

// One row of the tree queries, with the date's texts made on the worker.
struct TEntryTreeRow {
  std::shared_ptr<TEntryNodeDataRecord> Record;
  bool Topic = false;  // JournalType "T"
  Integer Year = 0, Month = 0, Day = 0;
  String YearText, MonthText, DayText;  // "yyyy", "mmm", "ddd, dd"
};

// The record and texts of a row as the queries return it.
TEntryTreeRow MakeEntryTreeRow(const String& journalName, Integer journalID, const String& journalType,
                               TDateTime journalDate, Integer cursorPosition,
                               const TFormatSettings& settings);

// "By Date 50.0% c=10".
String EntryTreeProgressText(const String& pass, int row, int rowCount);

// Set while a tree request or the selection handler works on the tree; set
// when the first full load has finished (the tree is built once a run).
extern std::atomic<bool> EntryTreeBusy;
extern std::atomic<bool> EntryTreeLoaded;

// True for a node that opens an entry: no children and a record.
bool IsEntryLeaf(TTreeNode* node);
const TEntryNodeData* EntryNodeData(TTreeNode* node);

// The tree of one window with its panel (whose caption shows progress) and
// progress bar. Requests (the full load, an entry added, an entry removed)
// run in the order they came; while one runs the tree is hidden and
// disabled. The workers never touch the tree: they hand rows over, and
// what they hand over after the tree is gone is dropped.
class TEntryTree : public TComponent {
public:
  // Owned by the window; the progress bar is made here, inside the panel.
  TEntryTree(TComponent* owner, TTreeView* tree, TPanel* panel);
  ~TEntryTree() override;
  TEntryTree(const TEntryTree&) = delete;
  TEntryTree& operator=(const TEntryTree&) = delete;

  // The full load; ignored once the tree is loaded (or while one is queued).
  void RequestLoad();
  // After the first save of an entry, and after a delete.
  void RequestAdd(const TTreeRefreshEntry& entry);
  void RequestRemove(const TTreeRefreshEntry& entry);
  // Cancels the running worker and waits for it to end; the tree keeps
  // what it has and is shown again. The cancelled request and those queued
  // wait for the next request (or RunPending) to run.
  void Stop();
  // Nothing queued or running.
  bool Idle() const { return !FRunning && FQueue.empty(); }
  // Starts the next queued request unless one runs or the tree is busy
  // (the selection handler calls it when it is done).
  void RunPending();

  // Read per row while loading: a set flag stops the load (the tree is
  // shown with what it has). The main window's Closing flag by default.
  std::function<bool()> IsClosing;

  TTreeView* Tree() const { return FTree; }
  TPanel* Panel() const { return FPanel; }
  TProgressBar* ProgressBar() const { return FProgressBar; }
  TTreeNode* Root(int which) const;

  // --- the steps the workers hand over (GUI thread)
  void BeginPass(int pass, int rowCount);
  void AddRows(int pass, const std::vector<TEntryTreeRow>& rows, int lastRowNo, int rowCount);
  void ShowPassError(int pass, const String& message, const String& className);
  void FinishLoad();
  void FinishAdd(const std::vector<TEntryTreeRow>& rows);
  // The nodes of one entry, each in its place among its siblings; nothing
  // when the entry is there already (the full load may have found it).
  void PlaceEntry(const TEntryTreeRow& row);
  // The leaves of the journal's entry of that date, with the levels above
  // that are left empty.
  void RemoveEntry(const TTreeRefreshEntry& entry);

  void HideEntryTree();
  void ShowEntryTree();
  void ShowProgressText(const String& text);

private:
  enum TRequestKind { rkLoad, rkAdd, rkRemove };
  struct TRequest {
    TRequestKind Kind = rkLoad;
    TTreeRefreshEntry Entry;
  };
  struct TPassState {
    String LastJournal, LastYear, LastMonth, LastDay;
    TTreeNode *Journal = nullptr, *Year = nullptr, *Month = nullptr, *Day = nullptr;
  };
  void Enqueue(TRequest request);
  void Finish();
  void RetireWorkers();
  void EnsureRoots();
  void AddDateRow(const TEntryTreeRow& row);
  void AddJournalRow(const TEntryTreeRow& row);

  TTreeView* FTree;
  TPanel* FPanel;
  TProgressBar* FProgressBar;
  std::deque<TRequest> FQueue;
  TRequest FCurrent;  // the load or add running
  bool FRunning = false;
  bool FLoadQueued = false;
  std::unique_ptr<TThread> FWorker;
  // Cleared when the worker is stopped or the tree goes: what it still
  // hands over is dropped.
  std::shared_ptr<bool> FToken;
  std::vector<std::unique_ptr<TThread>> FRetired;
  TTreeNode* FRoots[3] = {nullptr, nullptr, nullptr};
  TPassState FPass;
};

// The main window's tree (nullptr without one).
extern TEntryTree* EntryTree;

// Gives the main window its tree: the progress bar, the selection handler
// and the entry store's first-save and delete notices.
void AttachEntryTree(TformQuilloryMain* main);
// Makes the tree the one the entry store's first saves and deletes reach.
void UseEntryTree(TEntryTree* tree);
// The open-journal command's start of the loader.
void StartEntryTreeLoad();
// The journals changed (renamed, hidden, deleted): the tree is read anew at
// the next start of the loader; what it shows meanwhile is dropped.
void ReloadEntryTree();
// Stops the tree's workers (before the database files are closed or
// replaced, and at exit).
void StopEntryTreeThreads();

// The tree's selection: saves the shown entry and, for an entry leaf, opens
// the leaf's journal at its date.
void tEntryTreeChange(TTreeNode* node);
// Opens the journal at the date (makes it current, loads the entry, brings
// its window to the front). Filled by the date navigation; by default the
// journal is found or opened and the entry loaded.
extern std::function<void(Integer journalID, TDateTime date)> OnEntryTreeOpenEntry;
// The default of OnEntryTreeOpenEntry.
void OpenEntryFromTree(Integer journalID, TDateTime date);
