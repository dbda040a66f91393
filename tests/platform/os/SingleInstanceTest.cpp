#include "platform/os/SingleInstance.h"

#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

QString HelperPath() { return QCoreApplication::applicationDirPath() + "/os_single_instance_helper"; }

// Whether the log holds the text within ms (generous: a helper program
// starting on a loaded machine).
bool WaitForLog(const std::filesystem::path& log, const std::string& text, int ms = 60000) {
  QElapsedTimer t;
  t.start();
  for (;;) {
    if (qytest::ReadFileBytes(log).find(text) != std::string::npos) return true;
    if (t.elapsed() >= ms) return false;
    QThread::msleep(20);
  }
}

TEST(SingleInstanceTest, SecondStartHandsOverAndAKilledPrimaryIsReplaced) {
  qytest::TempDir dir;
  const QString name = "qytest-single";
  auto firstLog = dir / "first.log";

  QProcess first;
  first.start(HelperPath(), {name, QString::fromStdString(firstLog.string())});
  ASSERT_TRUE(first.waitForStarted());
  ASSERT_TRUE(WaitForLog(firstLog, "primary")) << "the first start to become the primary";

  // The second start delivers "restore" and ends with exit code 0.
  QProcess second;
  second.start(HelperPath(), {name, QString::fromStdString((dir / "second.log").string())});
  ASSERT_TRUE(second.waitForFinished(60000)) << "the second start to end";
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_EQ(second.readAllStandardOutput().trimmed(), "secondary");
  EXPECT_TRUE(WaitForLog(firstLog, "message restore"));

  // SIGKILL leaves the socket file behind but the kernel drops the lock: the
  // next start becomes the running instance.
  ::kill(static_cast<pid_t>(first.processId()), SIGKILL);
  ASSERT_TRUE(first.waitForFinished(60000)) << "the killed primary to end";

  auto thirdLog = dir / "third.log";
  QProcess third;
  third.start(HelperPath(), {name, QString::fromStdString(thirdLog.string())});
  ASSERT_TRUE(third.waitForStarted());
  EXPECT_TRUE(WaitForLog(thirdLog, "primary"));

  // And it answers a further start in turn.
  QProcess fourth;
  fourth.start(HelperPath(), {name, QString::fromStdString((dir / "fourth.log").string())});
  ASSERT_TRUE(fourth.waitForFinished(60000)) << "the fourth start to end";
  EXPECT_EQ(fourth.exitCode(), 0);
  EXPECT_TRUE(WaitForLog(thirdLog, "message restore"));

  third.kill();
  third.waitForFinished(5000);
}

TEST(SingleInstanceTest, HandOverIsAnsweredWhileThePrimaryIsBusy) {
  qytest::TempDir dir;
  const QString name = "qytest-busy";
  auto firstLog = dir / "first.log";
  // The primary's GUI thread handles no event until it is released.
  const auto release = dir / "release";
  QProcess first;
  first.start(HelperPath(), {name, QString::fromStdString(firstLog.string()),
                             QString::fromStdString(release.string())});
  ASSERT_TRUE(first.waitForStarted());
  ASSERT_TRUE(WaitForLog(firstLog, "primary")) << "the first start to become the primary";

  for (const char* log : {"second.log", "third.log"}) {
    QProcess next;
    next.start(HelperPath(), {name, QString::fromStdString((dir / log).string())});
    ASSERT_TRUE(next.waitForFinished(60000)) << "the start of " << log << " to end";
    // Answered while the primary is busy (a start that gets no answer gives
    // up after five seconds, with exit code 3).
    EXPECT_EQ(next.exitCode(), 0) << log;
    EXPECT_EQ(next.readAllStandardOutput().trimmed(), "secondary") << log;
    EXPECT_FALSE(WaitForLog(firstLog, "idle", 0));
  }
  // The messages arrive once the primary's event loop runs again.
  qytest::WriteFileBytes(release, "");
  ASSERT_TRUE(WaitForLog(firstLog, "idle")) << "the released primary to log idle";
  EXPECT_TRUE(WaitForLog(firstLog, "message restore\nmessage restore"));
  first.kill();
  first.waitForFinished(5000);
}

TEST(SingleInstanceTest, AHolderThatDoesNotAnswerIsNeverJoinedByASecondPrimary) {
  qytest::TempDir dir;
  const QString name = "qytest-mute";
  // This process holds the lock and listens nowhere.
  TSingleInstance probe(name.toStdString());
  int fd = ::open(probe.LockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);

  auto log = dir / "second.log";
  QProcess second;
  second.start(HelperPath(), {name, QString::fromStdString(log.string())});
  ASSERT_TRUE(second.waitForFinished(30000));
  EXPECT_EQ(second.exitCode(), 3);
  EXPECT_EQ(second.readAllStandardOutput().trimmed(), "failed");
  EXPECT_FALSE(WaitForLog(log, "primary", 0));
  ::close(fd);

  // With the lock free again the next start runs.
  QProcess third;
  third.start(HelperPath(), {name, QString::fromStdString((dir / "third.log").string())});
  ASSERT_TRUE(third.waitForStarted());
  EXPECT_TRUE(WaitForLog(dir / "third.log", "primary"));
  third.kill();
  third.waitForFinished(5000);
}

}  // namespace

namespace {

// Sets variables for the life of the object and puts the old values back.
class TEnvGuard {
public:
  TEnvGuard(std::initializer_list<std::pair<const char*, const char*>> values) {
    for (auto [name, value] : values) {
      const char* old = std::getenv(name);
      FSaved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
      if (value)
        ::setenv(name, value, 1);
      else
        ::unsetenv(name);
    }
  }
  ~TEnvGuard() {
    for (auto& [name, old] : FSaved) {
      if (old)
        ::setenv(name.c_str(), old->c_str(), 1);
      else
        ::unsetenv(name.c_str());
    }
  }

private:
  std::vector<std::pair<std::string, std::optional<std::string>>> FSaved;
};

}  // namespace

// Without a runtime folder of the user's own the lock lives in a folder of
// our own inside the shared temporary folder; when that one is not ours
// (open to others, a link, another owner: another user may have made it
// first, and this user cannot remove it from a sticky folder) the program
// falls back to a private folder under the user's state folder, and is
// refused only when that cannot be had either.
TEST(SingleInstanceTest, TheLockFolderIsPrivateWithAFallbackOfTheUsersOwn) {
  namespace fs = std::filesystem;
  enum TPrepare { pNothing, pOpenToOthers, pLink, pOtherOwner, pPublicRuntimeDir, pNoStateFolder };
  enum TWhere { wOwn, wState, wRefused };
  struct TCase {
    const char* What;
    TPrepare Prepare;
    TWhere Where;
  } cases[] = {
      {"no folder yet: made private", pNothing, wOwn},
      {"a folder others may write in", pOpenToOthers, wState},
      {"a link to a private folder", pLink, wState},
      {"a folder of another user", pOtherOwner, wState},
      {"XDG_RUNTIME_DIR open to others: our own folder instead", pPublicRuntimeDir, wOwn},
      {"taken, and the state folder open to others", pNoStateFolder, wRefused},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    if (c.Prepare == pOtherOwner && ::geteuid() != 0) continue;  // needs chown
    qytest::TempDir tmp;
    const fs::path own = tmp / ("quillory-" + std::to_string(::geteuid()));
    const fs::path publicRun = tmp / "run";
    const fs::path state = tmp / "state";
    const fs::path fallback = state / ("quillory-run-" + std::to_string(::geteuid()));
    switch (c.Prepare) {
      case pNothing: break;
      case pOpenToOthers:
      case pNoStateFolder:
        fs::create_directory(own);
        ::chmod(own.c_str(), 0777);
        break;
      case pLink:
        fs::create_directory(tmp / "elsewhere");
        ::chmod((tmp / "elsewhere").c_str(), 0700);
        fs::create_directory_symlink(tmp / "elsewhere", own);
        break;
      case pOtherOwner:
        fs::create_directory(own);
        ::chmod(own.c_str(), 0700);
        ASSERT_EQ(::chown(own.c_str(), 65534, 65534), 0);
        break;
      case pPublicRuntimeDir:
        fs::create_directory(publicRun);
        ::chmod(publicRun.c_str(), 0777);
        break;
    }
    if (c.Prepare == pNoStateFolder) {
      fs::create_directories(fallback);
      ::chmod(fallback.c_str(), 0777);
    }
    TEnvGuard env({{"TMPDIR", tmp.str().c_str()},
                   {"XDG_STATE_HOME", state.c_str()},
                   {"XDG_RUNTIME_DIR", c.Prepare == pPublicRuntimeDir ? publicRun.c_str() : nullptr}});
    TSingleInstance instance("qytest-private");
    const TSingleInstance::TRole role = instance.Start("restore", 500);
    if (c.Where != wRefused) {
      const fs::path folder = c.Where == wOwn ? own : fallback;
      EXPECT_EQ(role, TSingleInstance::siPrimary) << instance.FailureText();
      EXPECT_EQ(fs::path(instance.LockPath()).parent_path(), folder);
      struct stat st {};
      ASSERT_EQ(::lstat(folder.c_str(), &st), 0);
      EXPECT_TRUE(S_ISDIR(st.st_mode));
      EXPECT_EQ(st.st_mode & 0777, 0700u);
      EXPECT_FALSE(fs::exists(publicRun / "qytest-private.lock"));
    } else {
      EXPECT_EQ(role, TSingleInstance::siFailed);
      EXPECT_NE(instance.FailureText().find("private folder"), String::npos) << instance.FailureText();
      EXPECT_FALSE(fs::exists(fallback / "qytest-private.lock"));
    }
    // Nothing is ever put into a folder someone else may have made.
    if (c.Prepare != pNothing && c.Prepare != pPublicRuntimeDir) {
      EXPECT_FALSE(fs::exists(own / "qytest-private.lock"));
    }
  }
}
