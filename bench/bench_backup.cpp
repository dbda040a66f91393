// Backup and restore of a journal of twenty years (7,300 daily entries of
// 3 KB) in the encrypted journal file: each copy closed, checked with the
// journal's key and an integrity check, listed with digests and put in place.
#include "BenchJournal.h"
#include "app/QYBackup.h"
#include "platform/gui/Dialogs.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <random>

namespace {

constexpr int Years = 20;
constexpr int EntryBytes = 3 * 1024;

// Every box of the copies answered as the user would: OK.
class TAnswerOk : public TInteractionHook {
public:
  int Run(TInteraction& r) override {
    if ((r.Icon & MB_ICONMASK) == MB_ICONERROR) Failures++;
    return IDOK;
  }
  int Failures = 0;
};

struct TBenchBackup {
  TBenchJournalFile File{"backup"};
  std::filesystem::path Folder;
  TAnswerOk Hook;
  TInteractionHook* Previous = nullptr;
  Int64 Bytes = 0;

  TBenchBackup() {
    Folder = std::filesystem::temp_directory_path() / ("qybench-backup-copies-" + std::to_string(::getpid()));
    std::filesystem::remove_all(Folder);
    std::filesystem::create_directories(Folder);
    ProfileSettings.BackupRestoreLocation = Folder.string();
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
    for (Integer day = today - Years * 365; day < today; ++day) {
      String blob(EntryBytes, ' ');
      for (char& c : blob) c = static_cast<char>('a' + rng() % 26);
      q.ParamByName("bJournalID").SetAsInteger(File.JournalID);
      q.ParamByName("bJournalDate").SetAsDate(day);
      q.ParamByName("bJournalText").SetAsBlob(blob, ftFmtMemo);
      q.ExecSQL();
    }
    db.Commit();
    q.UnPrepare();
    CloseDatabaseFiles();
    Bytes = static_cast<Int64>(std::filesystem::file_size(File.Dir / JournalFileName));
    Previous = SetInteractionHook(&Hook);
  }
  ~TBenchBackup() {
    SetInteractionHook(Previous);
    std::error_code ec;
    std::filesystem::remove_all(Folder, ec);
  }
};

std::unique_ptr<TBenchBackup> GBench;

TBenchBackup& Bench() {
  if (!GBench) GBench = std::make_unique<TBenchBackup>();
  return *GBench;
}

void Copy(benchmark::State& state, int mode) {
  TBenchBackup& b = Bench();
  if (mode == cdfRestore && !std::filesystem::exists(b.Folder / BackupListName)) CopyDatabaseFiles(cdfBackup);
  for (auto _ : state) {
    if (!CopyDatabaseFiles(mode)) state.SkipWithError("the copy failed");
  }
  if (b.Hook.Failures) state.SkipWithError("an error was shown");
  state.counters["MB"] = static_cast<double>(b.Bytes) / (1024.0 * 1024.0);
}

// Journals closed already (the command closes them first).
void BM_Backup20Years(benchmark::State& state) { Copy(state, cdfBackup); }
BENCHMARK(BM_Backup20Years)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Restore20Years(benchmark::State& state) { Copy(state, cdfRestore); }
BENCHMARK(BM_Restore20Years)->Unit(benchmark::kMillisecond)->Iterations(5);

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
