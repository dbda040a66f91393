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
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
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
  // The message arrives through the event loop (a minute at most, for a
  // loaded machine).
  for (int i = 0; i < 6000 && window.GetWindowState() != wsNormal; ++i) {
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

namespace {

// Starts of the program on one documents folder, each with a runtime folder
// of its own (other machines sharing a home, su or sudo sessions): the
// single-instance lock in the runtime folder cannot see the others, the
// database folder's lock does.
struct TSharedJournal {
  qytest::TempDir Root;
  std::filesystem::path Prog = Root / "prog", Docs = Root / "docs";
  int Starts = 0;

  TSharedJournal() {
    qytest::TDatabaseWorld::MakeTemplate((Prog / "DataTemplate").string());
    std::filesystem::create_directories(Docs);
  }
  std::filesystem::path Log(int n) const { return Root / ("start" + std::to_string(n) + ".log"); }
  // A start in hold mode with a runtime folder of its own; its number.
  int Start(QProcess& p) {
    const int n = ++Starts;
    const auto run = Root / ("run" + std::to_string(n));
    std::filesystem::create_directories(run);
    std::filesystem::permissions(run, std::filesystem::perms::owner_all, std::filesystem::perm_options::replace);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(run.string()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(QString::fromStdString(HelperPath().string()),
            {"hold", QString::fromStdString(Prog.string()), QString::fromStdString(Docs.string()),
             QString::fromStdString(Log(n).string())});
    return n;
  }
  void Stop(QProcess& p, int n) {
    qytest::WriteFileBytes(Log(n).string() + ".go", "");
    p.waitForFinished(60000);
  }
};

// A second program on the same journal hands over to the first (which comes
// back) when it can reach it, and is refused with a message naming the
// holder when it cannot; it never runs beside it.
TEST(StartupSecondInstance, ASecondProgramOnTheSameJournalHandsOverOrIsRefused) {
  TSharedJournal j;
  QProcess first;
  const int a = j.Start(first);
  ASSERT_TRUE(WaitForText(j.Log(a), "running", 60000)) << ReadText(j.Log(a));
  const String pid = std::to_string(first.processId());

  QProcess second;
  const int b = j.Start(second);
  ASSERT_TRUE(second.waitForFinished(60000));
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_EQ(ReadText(j.Log(b)), "ended 0\n");  // no box, never ran
  EXPECT_TRUE(WaitForText(j.Log(a), "restored", 60000)) << ReadText(j.Log(a));

  // The first cannot be reached (as from another machine or user): the
  // start is refused, and says by whom the journal is held.
  std::filesystem::remove(j.Root / "run1" / "quillory.socket");
  QProcess third;
  const int c = j.Start(third);
  ASSERT_TRUE(third.waitForFinished(60000));
  EXPECT_EQ(third.exitCode(), 1);
  const std::string refused = ReadText(j.Log(c));
  EXPECT_NE(refused.find("is open in another Quillory (process " + pid), std::string::npos) << refused;
  EXPECT_NE(refused.find("close that one first"), std::string::npos) << refused;
  EXPECT_EQ(refused.find("running"), std::string::npos) << refused;

  j.Stop(first, a);
  EXPECT_EQ(first.exitCode(), 0);
  // Its only boxes were its own first start's two questions.
  const std::string held = ReadText(j.Log(a));
  size_t boxes = 0;
  for (size_t at = held.find("box "); at != std::string::npos; at = held.find("box ", at + 4)) ++boxes;
  EXPECT_EQ(boxes, 2u) << held;
  EXPECT_NE(held.find("box CREATING NEW QUILLORY DATABASE"), std::string::npos) << held;
  EXPECT_NE(held.find("box Quillory Start-Up"), std::string::npos) << held;
}

// Two programs started at the same moment on one journal: one runs, the
// other waits for it and hands over; neither fails on a locked database.
TEST(StartupSecondInstance, TwoProgramsStartedAtOnceOnOneJournalEndWithOneRunning) {
  TSharedJournal j;
  // The journal's folder exists already (its first start's question is
  // another matter).
  {
    QProcess made;
    const int n = j.Start(made);
    ASSERT_TRUE(WaitForText(j.Log(n), "running", 60000)) << ReadText(j.Log(n));
    j.Stop(made, n);
  }
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    QProcess p1, p2;
    const int n1 = j.Start(p1), n2 = j.Start(p2);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::string t1, t2;
    for (;;) {
      t1 = ReadText(j.Log(n1));
      t2 = ReadText(j.Log(n2));
      const bool oneRuns = t1.find("running") != std::string::npos || t2.find("running") != std::string::npos;
      const bool oneEnded = t1.find("ended") != std::string::npos || t2.find("ended") != std::string::npos;
      if ((oneRuns && oneEnded) || std::chrono::steady_clock::now() > deadline) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const bool firstRuns = t1.find("running") != std::string::npos;
    EXPECT_NE(firstRuns, t2.find("running") != std::string::npos) << t1 << "|" << t2;
    const std::string& ended = firstRuns ? t2 : t1;
    EXPECT_EQ(ended, "ended 0\n") << t1 << "|" << t2;
    EXPECT_EQ((t1 + t2).find("box "), std::string::npos) << t1 << "|" << t2;
    j.Stop(p1, n1);
    j.Stop(p2, n2);
  }
}

}  // namespace
