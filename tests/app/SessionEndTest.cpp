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

// The end comes while a copy of the entry is being converted by a program
// that would run for ten minutes: the conversion is cancelled, as its
// Cancel button would (nothing said of a time limit, nothing of the entry
// left in the conversion's folder, no copy or part of one beside it), and
// the program saves and ends as above.
TEST(SessionEnd, ASignalDuringAConversionCancelsItAndTheProgramEndsNormally) {
  namespace fs = std::filesystem;
  const auto helper = fs::read_symlink("/proc/self/exe").parent_path() / "session_end_child";
  const struct {
    int Signal;
    const char* Text;
  } cases[] = {
      {SIGTERM, "typed before logout, copy on its way"},
      {SIGHUP, "typed before the terminal went, copy on its way"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(strsignal(c.Signal));
    qytest::TempDir root;
    const std::string ready = (root / "ready").string();
    const int ended = qytest::RunChildSignalledWhenReady(
        {helper.string(), "convert", root.str(), QY_BIN_DIR, ready, c.Text}, ready, c.Signal, 60000);
    EXPECT_TRUE(fs::exists(ready)) << "the conversion never showed its progress window";
    EXPECT_TRUE(WIFEXITED(ended) && WEXITSTATUS(ended) == 0) << Describe(ended);
    const std::string boxes = fs::exists(root / "boxes") ? qytest::ReadFileBytes(root / "boxes") : std::string();
    EXPECT_EQ(boxes.find("did not finish"), std::string::npos) << "the conversion ran to its time limit:\n" << boxes;
    // Nothing of the conversion stays: no run folder, no copy, no part
    // (hidden) beside where the copy was to go.
    std::vector<std::string> left;
    if (fs::exists(root / "run" / "conversions"))
      for (const auto& e : fs::directory_iterator(root / "run" / "conversions")) left.push_back(e.path().string());
    for (const auto& e : fs::directory_iterator(root / "docs"))
      if (e.path().filename().string()[0] == '.' || e.path().filename() == "copy.hang")
        left.push_back(e.path().string());
    EXPECT_TRUE(left.empty()) << testing::PrintToString(left);
    const int checked = qytest::RunChild({helper.string(), "check", root.str(), QY_BIN_DIR, c.Text}, std::nullopt);
    EXPECT_TRUE(WIFEXITED(checked) && WEXITSTATUS(checked) == 0) << "after the restart " << Describe(checked);
  }
}

}  // namespace
