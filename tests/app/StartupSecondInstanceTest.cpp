// A second start hands "restore" to the running instance and ends with 0;
// the running instance comes back from minimised.
#include "app/QYStartup.h"

#include "platform/gui/Forms.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

std::filesystem::path HelperPath() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "startup_second_instance";
}

// Runs the helper while this process keeps handling its events; the exit
// code, or -1 when it had to be killed.
int RunSecondStart() {
  const std::string path = HelperPath().string();
  char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) != 0) return -2;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return -1;
    }
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (WIFSIGNALED(status)) ADD_FAILURE() << "second start died of signal " << WTERMSIG(status);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -3;
}

TEST(StartupSecondInstance, SecondStartExitsZeroAndTheFirstIsRestored) {
  ASSERT_TRUE(std::filesystem::exists(HelperPath())) << HelperPath();
  TSingleInstance instance(SingleInstanceName);
  ASSERT_EQ(StartSingleInstance(instance), TSingleInstance::siPrimary);

  TForm window(nullptr);
  window.SetCaption("QUILLORY");
  TCustomForm* savedMain = Application->MainForm;
  Application->MainForm = &window;
  window.Show();
  window.SetWindowState(wsMinimized);
  Application->ProcessMessages();
  ASSERT_EQ(window.GetWindowState(), wsMinimized);

  EXPECT_EQ(RunSecondStart(), 0);
  // The message arrives through the event loop.
  for (int i = 0; i < 200 && window.GetWindowState() != wsNormal; ++i) {
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(window.GetWindowState(), wsNormal);
  EXPECT_TRUE(window.GetVisible());
  // Still the running instance afterwards.
  EXPECT_TRUE(instance.IsPrimary());
  Application->MainForm = savedMain;
}

}  // namespace
