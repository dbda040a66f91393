// The end of a session the program is told of (logout and shutdown send
// SIGTERM, a closed terminal SIGHUP, Ctrl+C SIGINT): the real program, with
// typing it has not saved yet, gets the signal; it saves as Exit does and
// ends normally, and the next start shows what was typed.
#include "support/ChildProcess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace {

std::string Describe(int status) {
  if (WIFEXITED(status)) return "exit " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return std::string("killed by ") + strsignal(WTERMSIG(status));
  return "status " + std::to_string(status);
}

TEST(SessionEnd, ASignalSavesTheUnsavedTypingAndTheProgramEndsNormally) {
  const auto helper = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "session_end_child";
  const struct {
    int Signal;
    const char* Text;
  } cases[] = {
      {SIGTERM, "typed before logout: café, Łódź"},
      {SIGHUP, "typed before the terminal went: naïve"},
      {SIGINT, "typed before Ctrl+C: don’t lose it"},
  };
  for (const auto& c : cases) {
    qytest::TempDir root;
    const std::string ready = (root / "ready").string();
    const int typed = qytest::RunChildSignalledWhenReady(
        {helper.string(), "type", root.str(), QY_BIN_DIR, ready, c.Text}, ready, c.Signal, 60000);
    EXPECT_TRUE(std::filesystem::exists(ready)) << strsignal(c.Signal) << ": the child never typed";
    EXPECT_TRUE(WIFEXITED(typed) && WEXITSTATUS(typed) == 0) << strsignal(c.Signal) << ": " << Describe(typed);
    const int checked = qytest::RunChild({helper.string(), "check", root.str(), QY_BIN_DIR, c.Text}, std::nullopt);
    EXPECT_TRUE(WIFEXITED(checked) && WEXITSTATUS(checked) == 0)
        << strsignal(c.Signal) << ": after the restart " << Describe(checked);
  }
}

}  // namespace
