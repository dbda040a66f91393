// Opening a journal of twenty years (7,300 daily entries of 3 KB) in the
// encrypted journal file: today's entry loaded and the entry tree built by
// its worker, until the tree has painted.
#include "BenchJournal.h"
#include "app/QYEntryTree.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Threads.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <random>

namespace {

constexpr int Years = 20;
constexpr int EntryBytes = 3 * 1024;

struct TBenchTree {
  TBenchJournalFile File{"tree"};
  TOpenJournal* Journal = nullptr;
  TForm Form{nullptr};
  TEntryTree* Tree = nullptr;
  TTreeView* View = nullptr;
  int Entries = 0;

  TBenchTree() {
    const Integer id = File.JournalID;

    // One entry a day up to yesterday; today's is written by the store.
    std::mt19937 rng(11);
    const Integer today = static_cast<Integer>(Date());
    TDatabase db;
    db.SessionName = SessionName;
    db.AliasName = AliasName;
    db.StartTransaction();
    TQuery q;
    BindToDatabase(q);
    q.SQL.Add("INSERT INTO Quillory ( JournalID, JournalDate, JournalText, ItemNumber, ItemOffset, Editor ) "
              "VALUES ( :bJournalID, :bJournalDate, :bJournalText, 0, 0, 'VLF' )");
    q.Prepare();
    for (Integer day = today - Years * 365 + 1; day < today; ++day) {
      String blob(EntryBytes, ' ');
      for (char& c : blob) c = static_cast<char>('a' + rng() % 26);
      q.ParamByName("bJournalID").SetAsInteger(id);
      q.ParamByName("bJournalDate").SetAsDate(day);
      q.ParamByName("bJournalText").SetAsBlob(blob, ftFmtMemo);
      q.ExecSQL();
      ++Entries;
    }
    db.Commit();

    Journal = AddOpenJournal("Bench", id, 0, 0, 0, 0, 0, 0);
    JournalsLoaded = true;
    for (int p = 0; p < 12; ++p) Journal->Document->Data.AddTextItem(String(250, 'x'), 0, 0);
    Journal->Document->Modified = true;
    SaveEntry(Journal, smAuto);
    ++Entries;

    Form.SetBounds(0, 0, 400, 700);
    View = new TTreeView(&Form);
    View->SetParent(&Form);
    View->SetAlign(alClient);
    auto* panel = new TPanel(&Form);
    panel->SetParent(&Form);
    panel->SetAlign(alLeft);
    Tree = new TEntryTree(&Form, View, panel);
    Form.Show();
  }
  ~TBenchTree() { delete Tree; }
};

// Made on first use and gone before the application object is.
std::unique_ptr<TBenchTree> GBench;

TBenchTree& Bench() {
  if (!GBench) GBench = std::make_unique<TBenchTree>();
  return *GBench;
}

// Today's entry and the whole tree, painted; false when either is missing.
bool OpenOnce(TBenchTree& b) {
  LoadEntry(b.Journal, Date());
  b.Tree->RequestLoad();
  while (!b.Tree->Idle()) {
    Application->ProcessMessages();
    TThread::CheckSynchronize();
  }
  b.View->Repaint();
  return EntryStateWord == "retrieved" && b.Tree->Root(rtByDate)->Count() >= Years;
}

void Reset(TBenchTree& b, bool coldConnections) {
  EntryTreeLoaded = false;
  b.View->Items().Clear();
  if (coldConnections) QuillorySession().CloseIdleConnections();
}

void OpenJournal(benchmark::State& state, bool coldConnections) {
  TBenchTree& b = Bench();
  if (!coldConnections) {
    Reset(b, false);
    OpenOnce(b);
  }
  for (auto _ : state) {
    state.PauseTiming();
    Reset(b, coldConnections);
    state.ResumeTiming();
    if (!OpenOnce(b)) state.SkipWithError("today's entry or the tree missing");
  }
  state.counters["entries"] = b.Entries;
}

// The worker finds an idle connection to the journal file.
void BM_OpenJournalTree20Years(benchmark::State& state) { OpenJournal(state, false); }
BENCHMARK(BM_OpenJournalTree20Years)->Unit(benchmark::kMillisecond)->Iterations(10);

// The first opening of a run: the worker's connection is opened afresh,
// key derivation included (the entry store keeps the GUI thread's own).
void BM_OpenJournalTree20YearsFirstOpen(benchmark::State& state) { OpenJournal(state, true); }
BENCHMARK(BM_OpenJournalTree20YearsFirstOpen)->Unit(benchmark::kMillisecond)->Iterations(5);

// One pass's query alone.
void BM_TreeQueryOnly(benchmark::State& state) {
  Bench();
  for (auto _ : state) {
    TQuery q;
    BindToDatabase(q);
    q.SQL.Add("SELECT DISTINCT JournalName, JournalID, JournalType, JournalDate, CursorPosition FROM Quillory, Journals WHERE Quillory.JournalID = Journals.JournalID ORDER BY JournalDate, JournalName;");
    q.Open();
    benchmark::DoNotOptimize(q.RecordCount());
  }
}
BENCHMARK(BM_TreeQueryOnly)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  GBench.reset();
  return 0;
}
