#include "app/QYEntryTree.h"

#include "app/QYDatabase.h"
#include "app/QYErrorDisplay.h"
#include "app/QYJournals.h"
#include "app/QYMain.h"
#include "app/QYTreeThreads.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/ExtCtrls.h"

#include <cmath>

const char* const EntryTreeRootTexts[3] = {"Journal Entries By Date", "Journal Entries By Journal",
                                           "Topic Journals"};
std::atomic<bool> EntryTreeBusy{false};
std::atomic<bool> EntryTreeLoaded{false};
TEntryTree* EntryTree = nullptr;
std::function<void(Integer, TDateTime)> OnEntryTreeOpenEntry = OpenEntryFromTree;

namespace {

const char* const PassErrorTexts[2] = {"Load Entry Tree By Date", "Load Entry Tree By Journal"};
const char* const PassProgressTexts[2] = {"By Date ", "By Journal "};

Integer NumberOf(TTreeNode* node) {
  const TEntryNodeData* d = EntryNodeData(node);
  return d ? d->Number : 0;
}

TEntryNodeDataRecord* RecordOf(TTreeNode* node) {
  const TEntryNodeData* d = EntryNodeData(node);
  return d ? d->Record.get() : nullptr;
}

bool SameEntry(const TEntryNodeDataRecord* r, Integer journalID, TDateTime date) {
  return r && r->JournalID == journalID && std::floor(r->JournalDate) == std::floor(date);
}

// A new child placed before the first sibling whose key is above it (cmp
// answers the sign of sibling's key minus the new key), so siblings with
// equal keys stay in the order they came.
template <typename Cmp>
TTreeNode* PlaceChild(TTreeNodes& items, TTreeNode* parent, const String& text, TEntryNodeData data, Cmp cmp) {
  const int n = parent->Count();
  for (int i = 0; i < n; ++i) {
    TTreeNode* sibling = parent->Item(i);
    if (cmp(sibling) > 0) return items.InsertObject(sibling, text, std::move(data));
  }
  return items.AddChildObject(parent, text, std::move(data));
}

int CompareNumber(Integer a, Integer b) { return a < b ? -1 : a > b ? 1 : 0; }

// The child of that number, made in its place when there is none. Once a
// level is new, the levels below are new too and need no search.
TTreeNode* DateLevel(TTreeNodes& items, TTreeNode* parent, TEntryNodeKind kind, Integer number,
                     const String& text, bool& made) {
  if (!made) {
    const int n = parent->Count();
    for (int i = 0; i < n; ++i) {
      TTreeNode* c = parent->Item(i);
      if (NumberOf(c) == number) return c;
      if (NumberOf(c) > number) break;
    }
  }
  TEntryNodeData data{kind, number, nullptr};
  TTreeNode* node = made ? items.AddChildObject(parent, text, std::move(data))
                         : PlaceChild(items, parent, text, std::move(data),
                                      [&](TTreeNode* c) { return CompareNumber(NumberOf(c), number); });
  made = true;
  return node;
}

bool HasLeafOf(TTreeNode* parent, const TEntryNodeDataRecord& r) {
  for (int i = 0; i < parent->Count(); ++i)
    if (SameEntry(RecordOf(parent->Item(i)), r.JournalID, r.JournalDate)) return true;
  return false;
}

void DeleteIfEmpty(TTreeNode* node) {
  if (node && !node->HasChildren()) node->Delete();
}

}  // namespace

// ---------------------------------------------------------------------------

TEntryTreeRow MakeEntryTreeRow(const String& journalName, Integer journalID, const String& journalType,
                               TDateTime journalDate, Integer cursorPosition, const TFormatSettings& settings) {
  TEntryTreeRow row;
  row.Record = std::make_shared<TEntryNodeDataRecord>(
      TEntryNodeDataRecord{journalName, journalID, journalDate, cursorPosition});
  row.Topic = journalType == "T";
  if (!row.Topic) {
    Word month = 0, day = 0;
    DecodeDate(journalDate, row.Year, month, day);
    row.Month = month;
    row.Day = day;
    row.YearText = FormatDateTime("yyyy", journalDate, settings);
    row.MonthText = FormatDateTime("mmm", journalDate, settings);
    row.DayText = FormatDateTime("ddd, dd", journalDate, settings);
  }
  return row;
}

String EntryTreeProgressText(const String& pass, int row, int rowCount) {
  const double percent = rowCount > 0 ? static_cast<double>(row) / rowCount * 100.0 : 0.0;
  return pass + FloatToStrF(percent, ffNumber, 5, 1) + "% c=" + IntToStr(row);
}

const TEntryNodeData* EntryNodeData(TTreeNode* node) { return node ? node->DataAs<TEntryNodeData>() : nullptr; }

bool IsEntryLeaf(TTreeNode* node) { return node && !node->HasChildren() && RecordOf(node); }

// ---------------------------------------------------------------------------

TEntryTree::TEntryTree(TComponent* owner, TTreeView* tree, TPanel* panel)
    : TComponent(owner), FTree(tree), FPanel(panel) {
  FProgressBar = new TProgressBar(this);
  FProgressBar->SetName("ProgressBarForEntryTreeLoad");
  FProgressBar->SetParent(panel);
  FProgressBar->SetOrientation(pbVertical);
  FProgressBar->SetVisible(false);
  IsClosing = [] { return false; };
}

TEntryTree::~TEntryTree() {
  if (FToken) *FToken = false;
  FQueue.clear();
  // Their own destructors end them; what they hand over now is dropped.
  FWorker.reset();
  FRetired.clear();
  if (FRunning) EntryTreeBusy = false;
  if (EntryTree == this) EntryTree = nullptr;
}

TTreeNode* TEntryTree::Root(int which) const { return FRoots[which]; }

void TEntryTree::RequestLoad() {
  if (!EntryTreeLoaded && !FLoadQueued) {
    FLoadQueued = true;
    FQueue.push_back({rkLoad, {}});
  }
  // Also what waited while the tree was stopped.
  RunPending();
}

void TEntryTree::RequestAdd(const TTreeRefreshEntry& entry) { Enqueue({rkAdd, entry}); }

void TEntryTree::RequestRemove(const TTreeRefreshEntry& entry) { Enqueue({rkRemove, entry}); }

void TEntryTree::Enqueue(TRequest request) {
  FQueue.push_back(std::move(request));
  RunPending();
}

void TEntryTree::RunPending() {
  RetireWorkers();
  // Nothing new starts once exit has begun.
  while (!FRunning && !EntryTreeBusy && !FQueue.empty() && !IsClosing()) {
    TRequest r = std::move(FQueue.front());
    FQueue.pop_front();
    if (r.Kind != rkRemove) FCurrent = r;
    switch (r.Kind) {
      case rkLoad:
        FLoadQueued = false;
        if (EntryTreeLoaded) break;
        FRunning = true;
        EntryTreeBusy = true;
        HideEntryTree();
        // Whatever an earlier update put there is read again.
        FTree->Items().Clear();
        for (int i = 0; i < 3; ++i)
          FRoots[i] = FTree->Items().AddObject(nullptr, EntryTreeRootTexts[i], TEntryNodeData{});
        FToken = std::make_shared<bool>(true);
        FWorker = std::make_unique<ThreadLoadEntryTree>(this, FToken);
        break;
      case rkAdd:
        FRunning = true;
        EntryTreeBusy = true;
        ShowProgressText("Adding Entry...");
        HideEntryTree();
        EnsureRoots();
        FToken = std::make_shared<bool>(true);
        FWorker = std::make_unique<ThreadRefreshEntryTreeAdd>(this, FToken, r.Entry);
        break;
      case rkRemove:
        EntryTreeBusy = true;
        ShowProgressText("Deleting Entry From List...");
        HideEntryTree();
        RemoveEntry(r.Entry);
        ShowProgressText("");
        EntryTreeBusy = false;
        ShowEntryTree();
        break;
    }
  }
}

void TEntryTree::RetireWorkers() {
  std::erase_if(FRetired, [](const std::unique_ptr<TThread>& t) { return t->Finished(); });
}

void TEntryTree::Finish() {
  // The worker handed over its last step; it is deleted once it has ended.
  if (FWorker) FRetired.push_back(std::move(FWorker));
  FToken.reset();
  ShowProgressText("");
  EntryTreeBusy = false;
  ShowEntryTree();
  FRunning = false;
  RunPending();
}

void TEntryTree::Stop() {
  if (FToken) *FToken = false;
  std::unique_ptr<TThread> worker = std::move(FWorker);
  worker.reset();
  FRetired.clear();
  FToken.reset();
  if (!FRunning) return;
  FRunning = false;
  // Asked again when the tree runs next: a load from the start, an add
  // once more (an entry already there is not added twice).
  if (FCurrent.Kind == rkLoad) FLoadQueued = true;
  FQueue.push_front(FCurrent);
  FProgressBar->SetVisible(false);
  ShowProgressText("");
  ShowEntryTree();
  EntryTreeBusy = false;
}

void TEntryTree::HideEntryTree() {
  FTree->SetEnabled(false);
  FTree->SetVisible(false);
}

void TEntryTree::ShowEntryTree() {
  FTree->SetEnabled(true);
  FTree->SetVisible(true);
}

void TEntryTree::ShowProgressText(const String& text) {
  FPanel->SetCaption(text);
  FPanel->Repaint();
}

void TEntryTree::EnsureRoots() {
  TTreeNodes& items = FTree->Items();
  if (!items.GetFirstNode()) {
    for (int i = 0; i < 3; ++i) FRoots[i] = items.AddObject(nullptr, EntryTreeRootTexts[i], TEntryNodeData{});
    return;
  }
  for (int i = 0; i < 3; ++i) {
    FRoots[i] = nullptr;
    for (TTreeNode* n = items.GetFirstNode(); n && !FRoots[i]; n = n->GetNextSibling())
      if (n->GetText() == EntryTreeRootTexts[i]) FRoots[i] = n;
  }
}

// ---------------------------------------------------------------------------
// The full load.

void TEntryTree::BeginPass(int, int rowCount) {
  FPass = TPassState();
  LastActivityTime = Now();
  const int third = FPanel->GetHeight() / 3;
  FProgressBar->SetBounds(3, third, 16, third);
  FProgressBar->SetMax(rowCount);
  FProgressBar->SetPosition(0);
  FProgressBar->SetVisible(true);
}

void TEntryTree::AddRows(int pass, const std::vector<TEntryTreeRow>& rows, int lastRowNo, int rowCount) {
  for (const TEntryTreeRow& row : rows) {
    // Exit was chosen: the tree is shown with what it has.
    if (IsClosing()) {
      if (FWorker) FWorker->Terminate();
      return;
    }
    if (pass == 0)
      AddDateRow(row);
    else
      AddJournalRow(row);
  }
  LastActivityTime = Now();
  ShowProgressText(EntryTreeProgressText(PassProgressTexts[pass], lastRowNo, rowCount));
  FProgressBar->SetPosition(lastRowNo);
}

void TEntryTree::AddDateRow(const TEntryTreeRow& row) {
  TTreeNodes& items = FTree->Items();
  const String& name = row.Record->JournalName;
  if (row.Topic) {
    items.AddChildObject(FRoots[rtTopics], name, TEntryNodeData{enkEntry, 0, row.Record});
    return;
  }
  TPassState& p = FPass;
  const bool newYear = !p.Year || row.YearText != p.LastYear;
  if (newYear) p.Year = items.AddChildObject(FRoots[rtByDate], row.YearText, TEntryNodeData{enkYear, row.Year, nullptr});
  const bool newMonth = newYear || row.MonthText != p.LastMonth;
  if (newMonth) p.Month = items.AddChildObject(p.Year, row.MonthText, TEntryNodeData{enkMonth, row.Month, nullptr});
  if (newMonth || row.DayText != p.LastDay)
    p.Day = items.AddChildObject(p.Month, row.DayText, TEntryNodeData{enkDay, row.Day, nullptr});
  items.AddChildObject(p.Day, name, TEntryNodeData{enkEntry, row.Day, row.Record});
  if (std::floor(row.Record->JournalDate) == std::floor(Date())) {
    FRoots[rtByDate]->Expand(false);
    p.Year->Expand(false);
    p.Month->Expand(false);
    p.Day->Expand(false);
  }
  p.LastYear = row.YearText;
  p.LastMonth = row.MonthText;
  p.LastDay = row.DayText;
}

void TEntryTree::AddJournalRow(const TEntryTreeRow& row) {
  TTreeNodes& items = FTree->Items();
  TPassState& p = FPass;
  const String& name = row.Record->JournalName;
  if (!p.Journal || name != p.LastJournal) {
    TEntryNodeData data = row.Topic ? TEntryNodeData{enkJournal, 0, row.Record}
                                    : TEntryNodeData{enkJournal, row.Year, nullptr};
    p.Journal = items.AddChildObject(FRoots[rtByJournal], name, std::move(data));
    p.LastJournal = name;
    p.LastYear.clear();
    p.LastMonth.clear();
    p.LastDay.clear();
    p.Year = p.Month = nullptr;
  }
  if (row.Topic) return;
  const bool newYear = !p.Year || row.YearText != p.LastYear;
  if (newYear) p.Year = items.AddChildObject(p.Journal, row.YearText, TEntryNodeData{enkYear, row.Year, nullptr});
  const bool newMonth = newYear || row.MonthText != p.LastMonth;
  if (newMonth) p.Month = items.AddChildObject(p.Year, row.MonthText, TEntryNodeData{enkMonth, row.Month, nullptr});
  if (newMonth || row.DayText != p.LastDay)
    items.AddChildObject(p.Month, row.DayText, TEntryNodeData{enkEntry, row.Day, row.Record});
  p.LastYear = row.YearText;
  p.LastMonth = row.MonthText;
  p.LastDay = row.DayText;
}

void TEntryTree::ShowPassError(int pass, const String& message, const String& className) {
  ShowErrorDisplay(PassErrorTexts[pass], message, className);
}

void TEntryTree::FinishLoad() {
  EntryTreeLoaded = true;
  FProgressBar->SetVisible(false);
  Finish();
}

// ---------------------------------------------------------------------------
// An entry added or removed.

void TEntryTree::FinishAdd(const std::vector<TEntryTreeRow>& rows) {
  for (const TEntryTreeRow& row : rows) PlaceEntry(row);
  Finish();
}

void TEntryTree::PlaceEntry(const TEntryTreeRow& row) {
  TTreeNodes& items = FTree->Items();
  const TEntryNodeDataRecord& r = *row.Record;
  auto byName = [&](TTreeNode* c) { return c->GetText().compare(r.JournalName); };

  // Date side.
  if (row.Topic) {
    if (TTreeNode* topics = FRoots[rtTopics]; topics && !HasLeafOf(topics, r))
      PlaceChild(items, topics, r.JournalName, TEntryNodeData{enkEntry, 0, row.Record}, byName);
  } else if (TTreeNode* byDate = FRoots[rtByDate]) {
    bool made = false;
    TTreeNode* year = DateLevel(items, byDate, enkYear, row.Year, row.YearText, made);
    TTreeNode* month = DateLevel(items, year, enkMonth, row.Month, row.MonthText, made);
    TTreeNode* day = DateLevel(items, month, enkDay, row.Day, row.DayText, made);
    if (!HasLeafOf(day, r))
      PlaceChild(items, day, r.JournalName, TEntryNodeData{enkEntry, row.Day, row.Record}, byName);
  }

  // Journal side.
  TTreeNode* byJournal = FRoots[rtByJournal];
  if (!byJournal) return;
  TTreeNode* journal = nullptr;
  for (int i = 0; i < byJournal->Count(); ++i) {
    TTreeNode* c = byJournal->Item(i);
    if (c->GetText().compare(r.JournalName) >= 0) {
      if (c->GetText() == r.JournalName) journal = c;
      break;
    }
  }
  if (row.Topic) {
    if (journal && SameEntry(RecordOf(journal), r.JournalID, r.JournalDate)) return;
    PlaceChild(items, byJournal, r.JournalName, TEntryNodeData{enkJournal, 0, row.Record}, byName);
    return;
  }
  bool made = false;
  if (!journal) {
    journal = PlaceChild(items, byJournal, r.JournalName, TEntryNodeData{enkJournal, 0, nullptr}, byName);
    made = true;
  }
  TTreeNode* year = DateLevel(items, journal, enkYear, row.Year, row.YearText, made);
  TTreeNode* month = DateLevel(items, year, enkMonth, row.Month, row.MonthText, made);
  if (HasLeafOf(month, r)) return;
  TEntryNodeData leaf{enkEntry, row.Day, row.Record};
  if (made)
    items.AddChildObject(month, row.DayText, std::move(leaf));
  else
    PlaceChild(items, month, row.DayText, std::move(leaf),
               [&](TTreeNode* c) { return CompareNumber(NumberOf(c), row.Day); });
}

void TEntryTree::RemoveEntry(const TTreeRefreshEntry& e) {
  if (!FTree->Items().GetFirstNode()) return;
  EnsureRoots();
  const bool topic = e.JournalKind == 1;
  const TDateTime date = topic ? TopicEntryDate : e.EntryDate;

  // Date side: the walks go backwards so deleting keeps the indexes valid.
  if (!topic && FRoots[rtByDate]) {
    TTreeNode* byDate = FRoots[rtByDate];
    for (int y = byDate->Count() - 1; y >= 0 && !IsClosing(); --y) {
      TTreeNode* year = byDate->Item(y);
      for (int m = year->Count() - 1; m >= 0 && !IsClosing(); --m) {
        TTreeNode* month = year->Item(m);
        for (int d = month->Count() - 1; d >= 0 && !IsClosing(); --d) {
          TTreeNode* day = month->Item(d);
          for (int l = day->Count() - 1; l >= 0; --l)
            if (SameEntry(RecordOf(day->Item(l)), e.JournalID, date)) day->Item(l)->Delete();
          DeleteIfEmpty(day);
        }
        DeleteIfEmpty(month);
      }
      DeleteIfEmpty(year);
    }
  }
  if (topic && FRoots[rtTopics]) {
    TTreeNode* topics = FRoots[rtTopics];
    for (int l = topics->Count() - 1; l >= 0 && !IsClosing(); --l)
      if (SameEntry(RecordOf(topics->Item(l)), e.JournalID, date)) topics->Item(l)->Delete();
  }

  // Journal side: journals that share a name share a node, so a leaf goes
  // only when its record is this journal's.
  TTreeNode* byJournal = FRoots[rtByJournal];
  if (!byJournal || IsClosing()) return;
  TTreeNode* journal = nullptr;
  for (int i = 0; i < byJournal->Count() && !journal; ++i)
    if (byJournal->Item(i)->GetText() == e.JournalName) journal = byJournal->Item(i);
  if (!journal) return;
  if (topic) {
    if (!journal->HasChildren() && SameEntry(RecordOf(journal), e.JournalID, date)) journal->Delete();
    return;
  }
  Integer year = 0;
  Word month = 0, day = 0;
  DecodeDate(date, year, month, day);
  for (int y = journal->Count() - 1; y >= 0; --y) {
    TTreeNode* yn = journal->Item(y);
    if (NumberOf(yn) != year) continue;
    for (int m = yn->Count() - 1; m >= 0; --m) {
      TTreeNode* mn = yn->Item(m);
      if (NumberOf(mn) != month) continue;
      for (int l = mn->Count() - 1; l >= 0; --l)
        if (SameEntry(RecordOf(mn->Item(l)), e.JournalID, date)) mn->Item(l)->Delete();
      DeleteIfEmpty(mn);
    }
    DeleteIfEmpty(yn);
  }
  if (!journal->HasChildren() && !RecordOf(journal)) journal->Delete();
}

// ---------------------------------------------------------------------------

void AttachEntryTree(TformQuilloryMain* main) {
  auto* tree = new TEntryTree(main, main->tEntryTree, main->pEntryTree);
  tree->IsClosing = [main] { return main->Closing; };
  main->tEntryTree->OnChange = [](TObject*, TTreeNode* node) { tEntryTreeChange(node); };
  UseEntryTree(tree);
}

void UseEntryTree(TEntryTree* tree) {
  EntryTree = tree;
  OnDatabaseExclusiveUse = StopEntryTreeThreads;
  OnEntryInserted = [](const TTreeRefreshEntry& e) {
    if (EntryTree) EntryTree->RequestAdd(e);
  };
  OnEntryDeleted = [](const TTreeRefreshEntry& e) {
    if (EntryTree) EntryTree->RequestRemove(e);
  };
}

void StartEntryTreeLoad() {
  if (EntryTree) EntryTree->RequestLoad();
}

void ReloadEntryTree() {
  EntryTreeLoaded = false;
  if (!EntryTree) return;
  EntryTree->Stop();
  // Until the load runs nothing stale can be clicked.
  EntryTree->Tree()->Items().Clear();
}

void StopEntryTreeThreads() {
  if (EntryTree) EntryTree->Stop();
}

void OpenEntryFromTree(Integer journalID, TDateTime date) {
  TOpenJournal* j = FindOrOpenJournal(journalID);
  if (!j) return;
  CurrentJournal = j;
  LoadEntry(j, date);
}

void tEntryTreeChange(TTreeNode* node) {
  LastActivityTime = Now();
  if (EntryTreeBusy) return;
  EntryTreeBusy = true;
  try {
    SaveEntry(CurrentJournal, smAuto);
    // The node may go while the entry opens: take what it says first.
    if (IsEntryLeaf(node)) {
      const TEntryNodeDataRecord r = *RecordOf(node);
      if (OnEntryTreeOpenEntry) OnEntryTreeOpenEntry(r.JournalID, r.JournalDate);
    }
  } catch (const std::exception&) {
    if (formQuilloryMain) formQuilloryMain->SetStatusText(spState, "tree pointer dead end");
  }
  if (EntryTree && EntryTree->Tree()->CanFocus()) EntryTree->Tree()->SetFocus();
  EntryTreeBusy = false;
  // A first save just made waited for the handler.
  if (EntryTree) EntryTree->RunPending();
}
