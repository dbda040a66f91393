// The fuzz target's seed corpus, run as the fuzz target runs each input:
// every document loads, saves and inserts into itself without a sanitizer
// finding and in well under the fuzzer's time limit.
#include "fuzz/VLFReaderExercise.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

TEST(VLFCorpus, EverySeedRunsCleanAndQuickly) {
  const std::filesystem::path folder = qytest::SourceDir() / "fuzz/corpus/vlf";
  int seeds = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const AnsiString bytes = qytest::ReadFileBytes(entry.path());
    const auto t0 = std::chrono::steady_clock::now();
    VLFExerciseReader(bytes);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_LT(seconds, 5.0) << entry.path().filename();
    ++seeds;
  }
  EXPECT_GE(seeds, 7);
}
