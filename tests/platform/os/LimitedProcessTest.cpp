// A program killed while an outside program it started runs: what that
// program started goes with it.
#include "support/ChildProcess.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <chrono>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>
#include <sys/wait.h>

namespace {

// Whether the process still runs (a zombie waiting for its reaper has ended).
bool Runs(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return false;
  const size_t close = line.rfind(')');
  return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z';
}

TEST(LimitedProcess, TheProgramsHelpersEndWhenTheProgramIsKilled) {
  qytest::TempDir dir;
  const std::string helper = QCoreApplication::applicationDirPath().toStdString() + "/os_limited_program_helper";
  const std::string ready = (dir / "helper.pid").string();
  const int status = qytest::RunChildSignalledWhenReady({helper, dir.str()}, ready, SIGKILL, 60000);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
  pid_t started = 0;
  std::ifstream(ready) >> started;
  ASSERT_GT(started, 0);
  // Ends at once; the bound only keeps a failing run from hanging.
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (Runs(started) && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const bool outlived = Runs(started);
  if (outlived) ::kill(started, SIGKILL);
  EXPECT_FALSE(outlived) << "the converter's helper outlived the killed program";
}

}  // namespace
