// Opening a journal of twenty years (7,300 daily entries of 3 KB) in the
// encrypted journal file: today's entry loaded and the entry tree built by
// its worker, until the tree has painted.
#include "BenchJournal.h"
#include "app/QYEntryStore.h"
#include "app/QYEntryTree.h"
#include "platform/db/DBFiles.h"
#include "platform/db/DBPassword.h"
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
constexpr const char* Password = "bench-pass";

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

// How an opening finds the database.
enum TOpenKind {
  okWarm,       // every connection idle and ready
  okReopened,   // connections closed, the password still held
  okAfterLock,  // locked (no password, no connection), then the password given
};

// Today's entry and the whole tree, painted; false when either is missing.
// After the lock it goes as the cover's Open button does: the password
// opens the entry table, the settings note the journal's cipher, the
// journals load (the editor window then loads today's entry) and the
// reminders read their dates from the settings.
bool OpenOnce(TBenchTree& b, TOpenKind kind) {
  if (kind == okAfterLock) {
    QuillorySession().AddPassword(Password);
    TTable table;
    BindToDatabase(table);
    table.TableName = "QUILLORY";
    table.Open();
    RecordJournalCipherSettings();
    table.Close();
    LoadJournals();
    b.Journal = FirstJournal;
    if (!b.Journal) return false;
  }
  LoadEntry(b.Journal, Date());
  b.Tree->RequestLoad();
  while (!b.Tree->Idle()) {
    Application->ProcessMessages();
    TThread::CheckSynchronize();
  }
  b.View->Repaint();
  if (kind == okAfterLock)
    for (const char* reminder : {"LastBackupDate", "LPCD"}) benchmark::DoNotOptimize(GetProfileDateTime(reminder, Now()));
  return EntryStateWord == "retrieved" && b.Tree->Root(rtByDate)->Count() >= Years;
}

void Reset(TBenchTree& b, TOpenKind kind) {
  EntryTreeLoaded = false;
  b.View->Items().Clear();
  if (kind == okWarm) return;
  if (kind == okAfterLock) {
    // As the lock leaves it: journals closed, no password, no connection.
    UnloadJournals();
    b.Journal = nullptr;
    QuillorySession().RemoveAllPasswords();
  }
  // The entry store's statements hold the GUI thread's connection.
  FreeEntryStatements();
  QuillorySession().CloseIdleConnections();
}

void OpenJournal(benchmark::State& state, TOpenKind kind) {
  TBenchTree& b = Bench();
  if (kind == okWarm) {
    Reset(b, kind);
    OpenOnce(b, kind);
  }
  TSession& session = QuillorySession();
  const int before = session.KeyDerivations();
  for (auto _ : state) {
    state.PauseTiming();
    Reset(b, kind);
    state.ResumeTiming();
    if (!OpenOnce(b, kind)) state.SkipWithError("today's entry or the tree missing");
  }
  state.counters["entries"] = b.Entries;
  // Keys derived from a password per opening (the journal's and the settings file's).
  state.counters["derivations"] =
      static_cast<double>(session.KeyDerivations() - before) / static_cast<double>(state.iterations());
  // The password stays held for the cases that follow.
  session.AddPassword(Password);
}

// The worker finds an idle connection to the journal file.
void BM_OpenJournalTree20Years(benchmark::State& state) { OpenJournal(state, okWarm); }
BENCHMARK(BM_OpenJournalTree20Years)->Unit(benchmark::kMillisecond)->Iterations(10);

// Every connection opened afresh (GUI thread's, worker's, settings file's)
// with the password held: the keys derived before serve them.
void BM_OpenJournalTree20YearsReopened(benchmark::State& state) { OpenJournal(state, okReopened); }
BENCHMARK(BM_OpenJournalTree20YearsReopened)->Unit(benchmark::kMillisecond)->Iterations(5);

// The whole first opening: nothing open, no password in memory; the user
// gives the password and the journal opens.
void BM_OpenJournalTree20YearsAfterPassword(benchmark::State& state) { OpenJournal(state, okAfterLock); }
BENCHMARK(BM_OpenJournalTree20YearsAfterPassword)->Unit(benchmark::kMillisecond)->Iterations(5);

// What one derivation of a file's key costs (the journal file's settings).
void BM_KeyDerivation(benchmark::State& state) {
  const String salt = NewCipherSalt();
  for (auto _ : state) {
    String key = CipherRawKey(Password, salt, DBKdfIterations);
    benchmark::DoNotOptimize(key.data());
    WipeString(key);
  }
}
BENCHMARK(BM_KeyDerivation)->Unit(benchmark::kMillisecond)->Iterations(10);

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
