// A second start hands "restore" to the running instance and ends with 0;
// the running instance comes back from minimised. A start while the first
// still asks its first-start question is answered at once, and the restore
// waits for the main window.
#include "DatabaseTestSupport.h"

#include "app/QYMain.h"
#include "app/QYStartup.h"

#include "platform/gui/Forms.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <fstream>
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
  SetStartupWindowsReady(true);

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
  SetStartupWindowsReady(false);
}

std::string ReadText(const std::filesystem::path& p) {
  std::ifstream in(p);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool WaitForText(const std::filesystem::path& p, const std::string& text, int ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    if (ReadText(p).find(text) != std::string::npos) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

TEST(StartupSecondInstance, StartsDuringTheFirstStartQuestionAreAnsweredAndTheRestoreWaits) {
  qytest::TempDir root;
  const auto prog = root / "prog", docs = root / "docs", run = root / "run", log = root / "first.log";
  qytest::TDatabaseWorld::MakeTemplate((prog / "DataTemplate").string());
  std::filesystem::create_directories(docs);
  std::filesystem::create_directories(run);
  std::filesystem::permissions(run, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::replace);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_RUNTIME_DIR", QString::fromStdString(run.string()));
  env.insert("QT_QPA_PLATFORM", "offscreen");
  const QString helper = QString::fromStdString(HelperPath().string());

  QProcess first;
  first.setProcessEnvironment(env);
  first.start(helper, {"first", QString::fromStdString(prog.string()),
                       QString::fromStdString(docs.string()), QString::fromStdString(log.string())});
  ASSERT_TRUE(first.waitForStarted());
  ASSERT_TRUE(WaitForText(log, "question", 60000)) << ReadText(log);
  // The splash has stepped aside for the question.
  EXPECT_TRUE(WaitForText(log, "question splash=0", 0)) << ReadText(log);

  // Two more starts while the question is up: each hands over and ends.
  for (int i = 0; i < 2; ++i) {
    QProcess next;
    next.setProcessEnvironment(env);
    next.start(helper, {});
    ASSERT_TRUE(next.waitForFinished(60000)) << i;
    EXPECT_EQ(next.exitStatus(), QProcess::NormalExit) << i;
    EXPECT_EQ(next.exitCode(), 0) << i;
    EXPECT_EQ(next.readAllStandardOutput().trimmed(), "") << i;  // no box of its own
  }
  // Nothing but the question was shown meanwhile.
  EXPECT_FALSE(WaitForText(log, "box ", 500)) << ReadText(log);

  qytest::WriteFileBytes(log.string() + ".go", "");
  ASSERT_TRUE(first.waitForFinished(60000)) << ReadText(log);
  EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(first.exitCode(), 0);
  const std::string text = ReadText(log);
  EXPECT_NE(text.find("answered pending=1"), std::string::npos) << text;
  EXPECT_NE(text.find("running pending=0 shown=1"), std::string::npos) << text;
  EXPECT_EQ(text.find("box "), std::string::npos) << text;
}

}  // namespace
