#include "platform/os/SingleInstance.h"

#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>
#include <signal.h>

namespace {

QString HelperPath() { return QCoreApplication::applicationDirPath() + "/os_single_instance_helper"; }

bool WaitForLog(const std::filesystem::path& log, const std::string& text, int ms = 10000) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) {
    if (qytest::ReadFileBytes(log).find(text) != std::string::npos) return true;
    QThread::msleep(20);
  }
  return false;
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

}  // namespace
