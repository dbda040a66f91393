// The entry table at journal scale: 10,000 entries of 20 KB, encrypted; and
// the key derivation every open of a new file pays.
#include "app/QYSchema.h"
#include "platform/db/DBPassword.h"
#include "platform/db/DBTables.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int kEntries = 10000;
constexpr size_t kBlobSize = 20 * 1024;

String EntryBlob(int i) {
  std::mt19937 rng(static_cast<unsigned>(i));
  String s(kBlobSize, ' ');
  for (char& c : s) c = static_cast<char>('a' + rng() % 26);
  return s;
}

// A journal folder with the current tables, keyed with a user password.
struct TBenchJournal {
  fs::path Dir;
  TSession Session;

  TBenchJournal() {
    Dir = fs::temp_directory_path() / ("qybench-db-" + std::to_string(::getpid()));
    fs::remove_all(Dir);
    fs::create_directories(Dir);
    Session.SessionName = "BenchSession";
    RegisterTableFiles(Session);
    Session.AddStandardAlias("Bench", Dir.string(), "STANDARD");
    CreateEmptyDatabase(Session, "Bench", Dir.string());
    TTable t;
    t.SessionName = "BenchSession";
    t.DatabaseName = "Bench";
    t.TableName = "QUILLORY";
    t.Exclusive = true;
    t.Open();
    t.RestructurePassword("bench-pass");
    Session.AddPassword("bench-pass");
  }
  ~TBenchJournal() {
    Session.CloseIdleConnections();
    std::error_code ec;
    fs::remove_all(Dir, ec);
  }

  void Bind(TQuery& q, const String& sql) {
    q.SessionName = "BenchSession";
    q.DatabaseName = "Bench";
    q.SQL.Add(sql);
  }

  void Insert(int count) {
    TDatabase db;
    db.SessionName = "BenchSession";
    db.AliasName = "Bench";
    db.StartTransaction();
    TQuery q;
    Bind(q, "INSERT INTO Quillory ( JournalID, JournalDate, JournalText, ItemNumber, ItemOffset, "
            "CreatedDate, ModifiedDate, Editor ) VALUES ( :bJournalID, :bJournalDate, :bJournalText, "
            ":bItemNumber, :bItemOffset, :bCreatedDate, :bModifiedDate, :bEditor );");
    q.Prepare();
    for (int i = 0; i < count; ++i) {
      q.ParamByName("bJournalID").SetAsInteger(1);
      q.ParamByName("bJournalDate").SetAsDate(40000 + i);
      q.ParamByName("bJournalText").SetAsBlob(EntryBlob(i), ftFmtMemo);
      q.ParamByName("bItemNumber").SetAsInteger(0);
      q.ParamByName("bItemOffset").SetAsInteger(1);
      q.ParamByName("bCreatedDate").SetAsDateTime(40000.5 + i);
      q.ParamByName("bModifiedDate").SetAsDateTime(40000.5 + i);
      q.ParamByName("bEditor").SetAsString("VLF");
      q.ExecSQL();
    }
    q.UnPrepare();
    db.Commit();
  }

  void Clear() {
    TQuery q;
    Bind(q, "DELETE FROM Quillory");
    q.ExecSQL();
  }
};

TBenchJournal& Journal() {
  static TBenchJournal j;
  return j;
}

void BM_InsertEntries(benchmark::State& state) {
  TBenchJournal& j = Journal();
  for (auto _ : state) {
    state.PauseTiming();
    j.Clear();
    state.ResumeTiming();
    j.Insert(kEntries);
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
  state.SetBytesProcessed(state.iterations() * kEntries * static_cast<int64_t>(kBlobSize));
}
BENCHMARK(BM_InsertEntries)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_ReadAllEntries(benchmark::State& state) {
  TBenchJournal& j = Journal();
  j.Clear();
  j.Insert(kEntries);
  TQuery q;
  j.Bind(q, "SELECT JournalID, JournalDate, JournalText, Editor FROM Quillory ORDER BY JournalDate");
  q.Prepare();
  for (auto _ : state) {
    q.Open();
    int64_t bytes = 0;
    for (; !q.Eof(); q.Next()) bytes += q.CreateBlobStream(q.FieldByName("JournalText"), bmRead)->GetSize();
    if (q.RecordCount() != kEntries || bytes != kEntries * static_cast<int64_t>(kBlobSize))
      state.SkipWithError("wrong rows read back");
    q.Close();
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
  state.SetBytesProcessed(state.iterations() * kEntries * static_cast<int64_t>(kBlobSize));
}
BENCHMARK(BM_ReadAllEntries)->Unit(benchmark::kMillisecond)->Iterations(3);

// Opening one day's entry, as a date change does.
void BM_ReadOneEntry(benchmark::State& state) {
  TBenchJournal& j = Journal();
  TQuery q;
  j.Bind(q, "SELECT JournalText, ItemNumber, ItemOffset, Editor FROM QUILLORY WHERE JournalID = "
            ":bJournalID AND JournalDate = :bJournalDate");
  q.Prepare();
  int i = 0;
  for (auto _ : state) {
    q.ParamByName("bJournalID").SetAsInteger(1);
    q.ParamByName("bJournalDate").SetAsDate(40000 + (i++ * 7919) % kEntries);
    q.Open();
    benchmark::DoNotOptimize(q.CreateBlobStream(q.FieldByName("JournalText"), bmRead)->GetSize());
    q.Close();
  }
}
BENCHMARK(BM_ReadOneEntry)->Unit(benchmark::kMicrosecond);

// One derivation of a new file's key (Argon2id at the program's settings):
// it should stay well within the second an open may take.
void BM_DeriveNewFileKey(benchmark::State& state) {
  const String salt("\x00\x01salt\xff\x80-sixteen", CipherSaltBytes);
  for (auto _ : state) benchmark::DoNotOptimize(CipherRawKey("pass;word", salt, DBNewFileCipherSettings));
}
BENCHMARK(BM_DeriveNewFileKey)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
