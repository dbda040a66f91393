// Entries of journal size in the encrypted journal file: saving and loading
// a 1 MB entry through the entry store.
#include "app/QYDatabase.h"
#include "app/QYJournals.h"
#include "app/QYProfile.h"
#include "app/QYSchema.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct TBenchJournal {
  fs::path Dir;
  TOpenJournal* Journal = nullptr;

  TBenchJournal() {
    Dir = fs::temp_directory_path() / ("qybench-journal-" + std::to_string(::getpid()));
    fs::remove_all(Dir);
    fs::create_directories(Dir);
    RegisterDocumentFormats();
    RegisterAlias(Dir.string());
    CreateEmptyDatabase(QuillorySession(), AliasName, Dir.string());
    RestructureTablePassword("", "bench-pass", "QUILLORY");
    QuillorySession().AddPassword("bench-pass");
    ProfileSettings.DatabaseVersion = CurrentDatabaseVersion;
    ProfileSettings.ProtectPriorEntries = false;
    Integer id = 0;
    InsertJournal("Bench", 0, id);
    Journal = AddOpenJournal("Bench", id, 0, 0, 0, 0, 0, 0);
    JournalsLoaded = true;
    // About 1 MB of text: 4,000 paragraphs of 256 letters and blanks.
    std::mt19937 rng(7);
    for (int p = 0; p < 4000; ++p) {
      String line(256, ' ');
      for (char& c : line) c = rng() % 6 == 0 ? ' ' : static_cast<char>('a' + rng() % 26);
      Journal->Document->Data.AddTextItem(line, 0, 0);
    }
    Journal->Document->Modified = true;
    SaveEntry(Journal, smAuto);
  }
  ~TBenchJournal() {
    UnloadJournals();
    QuillorySession().CloseIdleConnections();
    std::error_code ec;
    fs::remove_all(Dir, ec);
  }
};

TBenchJournal& Bench() {
  static TBenchJournal b;
  return b;
}

void BM_SaveEntry1MB(benchmark::State& state) {
  TOpenJournal* j = Bench().Journal;
  for (auto _ : state) {
    j->Document->Modified = true;
    if (!SaveEntry(j, smAuto)) state.SkipWithError("not saved");
  }
}
BENCHMARK(BM_SaveEntry1MB)->Unit(benchmark::kMillisecond);

void BM_LoadEntry1MB(benchmark::State& state) {
  TOpenJournal* j = Bench().Journal;
  for (auto _ : state) {
    LoadEntry(j, j->EntryDate);
    if (EntryStateWord != "retrieved") state.SkipWithError("not retrieved");
  }
}
BENCHMARK(BM_LoadEntry1MB)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
