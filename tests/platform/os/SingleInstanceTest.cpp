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
#include <unistd.h>

namespace {

QString HelperPath() { return QCoreApplication::applicationDirPath() + "/os_single_instance_helper"; }

bool WaitForLog(const std::filesystem::path& log, const std::string& text, int ms = 10000) {
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
  ASSERT_TRUE(WaitForLog(firstLog, "primary"));

  // The second start delivers "restore" and ends with exit code 0.
  QProcess second;
  second.start(HelperPath(), {name, QString::fromStdString((dir / "second.log").string())});
  ASSERT_TRUE(second.waitForFinished(10000));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_EQ(second.readAllStandardOutput().trimmed(), "secondary");
  EXPECT_TRUE(WaitForLog(firstLog, "message restore"));

  // SIGKILL leaves the socket file behind but the kernel drops the lock: the
  // next start becomes the running instance.
  ::kill(static_cast<pid_t>(first.processId()), SIGKILL);
  ASSERT_TRUE(first.waitForFinished(5000));

  auto thirdLog = dir / "third.log";
  QProcess third;
  third.start(HelperPath(), {name, QString::fromStdString(thirdLog.string())});
  ASSERT_TRUE(third.waitForStarted());
  EXPECT_TRUE(WaitForLog(thirdLog, "primary"));

  // And it answers a further start in turn.
  QProcess fourth;
  fourth.start(HelperPath(), {name, QString::fromStdString((dir / "fourth.log").string())});
  ASSERT_TRUE(fourth.waitForFinished(10000));
  EXPECT_EQ(fourth.exitCode(), 0);
  EXPECT_TRUE(WaitForLog(thirdLog, "message restore"));

  third.kill();
  third.waitForFinished(5000);
}

TEST(SingleInstanceTest, HandOverIsAnsweredWhileThePrimaryIsBusy) {
  qytest::TempDir dir;
  const QString name = "qytest-busy";
  auto firstLog = dir / "first.log";
  // The primary's GUI thread handles no event for fifteen seconds.
  QProcess first;
  first.start(HelperPath(), {name, QString::fromStdString(firstLog.string()), "15000"});
  ASSERT_TRUE(first.waitForStarted());
  ASSERT_TRUE(WaitForLog(firstLog, "primary"));

  for (const char* log : {"second.log", "third.log"}) {
    QElapsedTimer t;
    t.start();
    QProcess next;
    next.start(HelperPath(), {name, QString::fromStdString((dir / log).string())});
    ASSERT_TRUE(next.waitForFinished(20000));
    EXPECT_EQ(next.exitCode(), 0) << log;
    EXPECT_EQ(next.readAllStandardOutput().trimmed(), "secondary") << log;
    // Answered at once, not after the primary's busy time (a start that
    // gets no answer gives up after five seconds, with exit code 3).
    EXPECT_LT(t.elapsed(), 10000) << log;
    EXPECT_FALSE(WaitForLog(firstLog, "idle", 0));
  }
  // The messages arrive once the primary's event loop runs again.
  ASSERT_TRUE(WaitForLog(firstLog, "idle", 40000));
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
