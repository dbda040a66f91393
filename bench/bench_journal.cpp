// Entries of journal size in the encrypted journal file: saving and loading
// a 1 MB entry through the entry store.
#include "BenchJournal.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <random>

namespace {

struct TBenchJournal {
  TBenchJournalFile File{"journal"};
  TOpenJournal* Journal = nullptr;

  TBenchJournal() {
    Journal = AddOpenJournal("Bench", File.JournalID, 0, 0, 0, 0, 0, 0);
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
