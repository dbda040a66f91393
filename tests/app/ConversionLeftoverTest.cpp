// A program killed during a document conversion leaves the entry in RTF in
// the conversion's folder; the next start removes it (and what earlier
// versions left in the temporary folder), but not a running program's.
#include "MainWindowJournalSupport.h"

#include "richtext/rtf/VLOfficeCnv.h"
#include "support/FifoWatch.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <thread>
#include <fcntl.h>
#include <sys/stat.h>
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
// also when the killed program is a zombie nobody reaped, and nothing the
// record does not name whole. A forged record deletes none of the user's
// files: not one named before a NUL, not one named with a longer name, not
// one behind a link.
TEST(ConversionLeftovers, TheNextStartRemovesTheHiddenCopyAKilledRunRecorded) {
  qytest::TempDir dir;
  const fs::path other = dir / ".qy-export-Zz9yXx";
  qytest::WriteFileBytes(other, "");
  // A child that has ended and that nobody waits for: a zombie.
  const pid_t zombie = fork();
  if (zombie == 0) _exit(0);
  const auto state = [](pid_t pid) {
    const std::string stat = qytest::ReadFileBytes("/proc/" + std::to_string(pid) + "/stat");
    const size_t close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() ? stat[close + 2] : '?';
  };
  for (int i = 0; i < 500 && state(zombie) != 'Z'; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(state(zombie), 'Z');
  struct Case {
    const char* Name;
    pid_t Pid;
    std::string Record;  // written in the run's record
    fs::path File;       // a file of the user's the record names
    bool Removed;
  };
  const fs::path victim = dir / "victim.txt", link = dir / ".qy-export-Ln4kAa";
  const Case cases[] = {
      {"the recorded hidden copy", EndedProcess(), (dir / ".qy-export-Ab3dEf").string(), dir / ".qy-export-Ab3dEf",
       true},
      {"a zombie's hidden copy", zombie, (dir / ".qy-export-Zo3mBi").string(), dir / ".qy-export-Zo3mBi", true},
      {"a NUL before the name", EndedProcess(), std::string("victim.txt") + '\0' + "/.qy-export-x", victim, false},
      {"a NUL before the name, in full", EndedProcess(),
       victim.string() + '\0' + "/.qy-export-AAAAAA", victim, false},
      {"a longer name", EndedProcess(), (dir / ".qy-export-Ab3dEf.kept").string(), dir / ".qy-export-Ab3dEf.kept",
       false},
      {"a link with the copy's name", EndedProcess(), link.string(), victim, false},
  };
  std::vector<fs::path> runs;
  int n = 0;
  for (const Case& c : cases) {
    qytest::WriteFileBytes(c.File, "the user's");
    const fs::path run = fs::path(ConversionFolder()) / ("run-" + std::to_string(c.Pid) + "-Hd55R" + std::to_string(n++));
    fs::create_directories(run);
    qytest::WriteFileBytes(run / "beside", c.Record);
    runs.push_back(run);
  }
  fs::create_symlink(victim, link);
  {
    // Where the start runs: a relative name there is the user's file.
    const fs::path kept = fs::current_path();
    fs::current_path(dir.path());
    qytest::TMainJournalWorld world;
    EXPECT_NE(world.Main, nullptr);
    fs::current_path(kept);
  }
  for (size_t i = 0; i < runs.size(); ++i) {
    SCOPED_TRACE(cases[i].Name);
    EXPECT_FALSE(fs::exists(runs[i]));
    EXPECT_NE(fs::exists(cases[i].File), cases[i].Removed);
  }
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_TRUE(fs::exists(other));
  int status = 0;
  waitpid(zombie, &status, 0);
}

// A record that is no regular file is no record: a FIFO (that no program
// ever writes), a folder or a link to a FIFO in the record's place holds
// nothing the start could remove, and the start neither waits on it nor
// stops there; the run's folder goes as any other. Whoever opens a FIFO to
// read it is let go at once: a writer's open that succeeds tells it.
TEST(ConversionLeftovers, ARecordThatIsNoRegularFileIsSkippedAtTheStart) {
  qytest::TempDir dir;
  const fs::path elsewhere = dir / "pipe";
  ASSERT_EQ(::mkfifo(elsewhere.c_str(), 0600), 0);
  const std::vector<std::pair<std::string, std::function<void(const fs::path&)>>> records = {
      {"a FIFO", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }},
      {"a folder", [](const fs::path& p) { fs::create_directory(p); }},
      {"a link to a FIFO", [&](const fs::path& p) { fs::create_symlink(elsewhere, p); }},
  };
  std::vector<fs::path> runs, pipes;
  for (size_t i = 0; i < records.size(); ++i) {
    const fs::path run = fs::path(ConversionFolder()) / ("run-" + std::to_string(EndedProcess()) + "-Fi5Fo" +
                                                         std::to_string(i));
    fs::create_directories(run);
    records[i].second(run / "beside");
    runs.push_back(run);
  }
  for (const fs::path& run : runs)
    if (fs::is_fifo(fs::symlink_status(run / "beside"))) pipes.push_back(run / "beside");
  pipes.push_back(elsewhere);
  qytest::TFifoWatch watch(pipes);
  {
    qytest::TMainJournalWorld world;
    EXPECT_NE(world.Main, nullptr);
  }
  EXPECT_EQ(watch.Waited(), 0) << "the start waited to read a FIFO";
  for (size_t i = 0; i < runs.size(); ++i) {
    SCOPED_TRACE(records[i].first);
    EXPECT_FALSE(fs::exists(runs[i]));
  }
  EXPECT_TRUE(fs::is_fifo(elsewhere));
}

}  // namespace
