// The fuzz target's seed corpus, run as the fuzz target runs each input:
// every document loads, saves and inserts into itself without a sanitizer
// finding and in well under the fuzzer's time limit.
#include "fuzz/VLFReaderExercise.h"
#include "richtext/table/VLTable.h"
#include "support/TestSupport.h"
#include "support/WorkCost.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {
// Runs every seed of the folder as the fuzz target does; answers how many.
int RunSeeds(const char* corpus) {
  int seeds = 0;
  for (const auto& entry : std::filesystem::directory_iterator(qytest::SourceDir() / corpus)) {
    const AnsiString bytes = qytest::ReadFileBytes(entry.path());
    // CPU time, not the clock's: a loaded machine does not change it.
    const double seconds = qytest::MeasureWork([&] { VLFExerciseReader(bytes); }).CpuSeconds;
    EXPECT_LT(seconds, 5.0) << entry.path().filename();
    ++seeds;
  }
  return seeds;
}
}  // namespace

TEST(VLFCorpus, EverySeedRunsCleanAndQuickly) { EXPECT_GE(RunSeeds("fuzz/corpus/vlf"), 7); }

// The table target's seeds (tables made by the writer, the older record,
// grids that claim more cells than a table may have) the same way, with
// the table item registered.
TEST(VLFCorpus, EveryTableSeedRunsCleanAndQuickly) {
  // The item registry is the whole program's: tests of the model run here
  // too and expect no class for the table's number.
  struct TUnregister {
    ~TUnregister() { UnregisterItemClass(vlsTable); }
  } unregister;
  VLRegisterTableItem();
  EXPECT_GE(RunSeeds("fuzz/corpus/vlf-table"), 6);
}
