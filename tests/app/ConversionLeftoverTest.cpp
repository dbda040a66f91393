// A program killed during a document conversion leaves the entry in RTF in
// the conversion's folder; the next start removes it (and what earlier
// versions left in the temporary folder), but not a running program's.
#include "MainWindowJournalSupport.h"

#include "richtext/rtf/VLOfficeCnv.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A process number that no program has any more.
pid_t EndedProcess() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  int status = 0;
  waitpid(child, &status, 0);
  return child;
}

TEST(ConversionLeftovers, TheNextStartRemovesWhatAKilledConversionLeft) {
  qytest::TempDir tmp;
  const char* kept = std::getenv("TMPDIR");
  const std::string keptTmp = kept ? kept : "";
  ::setenv("TMPDIR", tmp.str().c_str(), 1);
  const fs::path conversions = ConversionFolder();
  ASSERT_FALSE(conversions.empty());
  const fs::path killed = conversions / ("run-" + std::to_string(EndedProcess()) + "-Kx91Qz");
  const fs::path running = conversions / ("run-" + std::to_string(getppid()) + "-Rn02Aa");
  const fs::path earlier = tmp / "qy-convert-Ab12Cd";
  // One an earlier version still converts in is younger than its time limit.
  const fs::path converting = tmp / "qy-convert-Yo34Ef";
  for (const fs::path& folder : {killed, running, earlier, converting}) {
    fs::create_directories(folder / "result");
    qytest::WriteFileBytes(folder / "entry.rtf", "{\\rtf1 Dear diary, caf\\'e9 \\u321?\\'f3d\\'9f}");
  }
  fs::last_write_time(earlier, fs::file_time_type::clock::now() - std::chrono::hours(2));
  {
    qytest::TMainJournalWorld world;
    EXPECT_NE(world.Main, nullptr);
  }
  EXPECT_FALSE(fs::exists(killed));
  EXPECT_FALSE(fs::exists(earlier));
  EXPECT_TRUE(fs::exists(running / "entry.rtf"));
  EXPECT_TRUE(fs::exists(converting / "entry.rtf"));
  fs::remove_all(running);
  if (kept) ::setenv("TMPDIR", keptTmp.c_str(), 1);
  else ::unsetenv("TMPDIR");
}

}  // namespace
