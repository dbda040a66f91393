// A program killed during a document conversion leaves the entry in RTF in
// the conversion's folder; the next start removes it (and what earlier
// versions left in the temporary folder), but not a running program's.
#include "MainWindowJournalSupport.h"

#include "richtext/rtf/VLOfficeCnv.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>
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

// Save a Copy through a converter that takes a while, the program killed
// while it runs: nothing is left in the folder of the copy (the converter
// writes in the run's folder), and the next start removes the run's folder.
TEST(ConversionLeftovers, AKilledCopyLeavesNothingInTheUsersFolder) {
  qytest::TempDir dir;
  const fs::path pidFile = dir / "converter.pid";
  qytest::WriteFileBytes(dir / "slow.sh",
                         "echo $$ > '" + pidFile.string() + ".part' && mv '" + pidFile.string() + ".part' '" +
                             pidFile.string() + "'\nsleep 600\ncp \"$1\" \"$2\"\n");
  qytest::WriteFileBytes(dir / "converters.ini",
                         "[Into a folder]\nExtensions=docx\nExport=/bin/sh " + (dir / "slow.sh").string() +
                             " %2 %3/entry.docx\n"
                             "[Into the file]\nExtensions=odt\nExport=/bin/sh " + (dir / "slow.sh").string() +
                             " %2 %1\n");
  for (int index : {0, 1}) {
    SCOPED_TRACE(index == 0 ? "result in %3" : "result as %1");
    const fs::path folder = dir / ("copies" + std::to_string(index));
    fs::create_directory(folder);
    fs::remove(pidFile);
    const pid_t child = fork();
    if (child == 0) {
      TVLOfficeConverter converter(nullptr);
      converter.DescriptionFile = (dir / "converters.ini").string();
      converter.UseInstalledConverters = false;
      const auto writer = [](TStream& s) {
        s.WriteBytes("{\\rtf1 Dear diary\\par}");
        return true;
      };
      converter.ExportVL((folder / (index == 0 ? "copy.docx" : "copy.odt")).string(), writer, index);
      _exit(0);
    }
    // Killed once the converter runs (a minute at most, for a loaded machine).
    for (int i = 0; i < 600 && !fs::exists(pidFile); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ::kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(fs::exists(pidFile)) << "the converter did not start";
    // The converter runs on in its own process group: ended here, by its id.
    const pid_t converter = std::atoi(qytest::ReadFileBytes(pidFile).c_str());
    ASSERT_GT(converter, 0);
    ::kill(-converter, SIGKILL);
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(folder)) left.push_back(e.path().filename().string());
    EXPECT_TRUE(left.empty()) << left.front();
    // The next start clears the killed run's folder.
    RemoveConversionLeftovers();
    for (const auto& e : fs::directory_iterator(ConversionFolder()))
      EXPECT_EQ(e.path().filename().string().find("run-" + std::to_string(child) + "-"), std::string::npos)
          << e.path();
  }
}

// A program killed while its whole copy was being put beside the target
// left the hidden file named in its run's record: the next start removes it,
// and nothing the record does not name.
TEST(ConversionLeftovers, TheNextStartRemovesTheHiddenCopyAKilledRunRecorded) {
  qytest::TempDir dir;
  const fs::path hidden = dir / ".qy-export-Ab3dEf";
  const fs::path other = dir / ".qy-export-Zz9yXx";
  qytest::WriteFileBytes(hidden, "");
  qytest::WriteFileBytes(other, "");
  const fs::path run = fs::path(ConversionFolder()) / ("run-" + std::to_string(EndedProcess()) + "-Hd55Rc");
  fs::create_directories(run);
  qytest::WriteFileBytes(run / "beside", hidden.string());
  {
    qytest::TMainJournalWorld world;
    EXPECT_NE(world.Main, nullptr);
  }
  EXPECT_FALSE(fs::exists(run));
  EXPECT_FALSE(fs::exists(hidden));
  EXPECT_TRUE(fs::exists(other));
}

}  // namespace
