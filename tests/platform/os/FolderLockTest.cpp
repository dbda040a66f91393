// The database folder's lock: one holder across processes whatever their
// runtime folders, a holder that is killed leaves the lock free at once, and
// the lock file names its holder. Lock files that are links or FIFOs are
// never used.
#include "platform/os/FolderLock.h"

#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QProcess>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

QString HelperPath() { return QCoreApplication::applicationDirPath() + "/os_single_instance_helper"; }

// QY_KILL_RUNS sets the number of holders killed (default 3).
TEST(FolderLockTest, OneHolderAtATimeAndAKilledHolderFreesTheFolder) {
  qytest::TempDir dir;
  const char* runsEnv = std::getenv("QY_KILL_RUNS");
  const int kills = runsEnv ? std::max(1, std::atoi(runsEnv)) : 3;
  for (int run = 0; run < kills; ++run) {
    SCOPED_TRACE(run);
    QProcess holder;
    holder.start(HelperPath(), {"--folder", QString::fromStdString(dir.str()), "/run/contact-" + QString::number(run)});
    ASSERT_TRUE(holder.waitForReadyRead(60000));
    ASSERT_EQ(holder.readLine().trimmed(), "taken");
    // Another holder, in this process or another, is turned away and told
    // who has the folder.
    TFolderLock second(dir.str());
    EXPECT_EQ(second.TryTake("mine"), TFolderLock::flBusy);
    EXPECT_FALSE(second.Held());
    const TFolderLock::THolder h = second.Holder();
    EXPECT_EQ(h.Pid, holder.processId());
    EXPECT_EQ(h.Contact, "/run/contact-" + std::to_string(run));
    EXPECT_EQ(h.Host, HostName());
    QProcess third;
    third.start(HelperPath(), {"--folder", QString::fromStdString(dir.str())});
    ASSERT_TRUE(third.waitForFinished(60000));
    EXPECT_EQ(third.readAll().trimmed(), "busy");
    // Killed, however it ends, the holder leaves the folder free.
    ::kill(static_cast<pid_t>(holder.processId()), SIGKILL);
    ASSERT_TRUE(holder.waitForFinished(60000));
    EXPECT_EQ(second.TryTake("mine"), TFolderLock::flTaken);
    EXPECT_EQ(second.Holder().Pid, ::getpid());
    EXPECT_EQ(second.Holder().Contact, "mine");
  }
  struct stat st {};
  ASSERT_EQ(::stat((dir.str() + "/" + TFolderLock::LockFileName).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(FolderLockTest, LockFilesThatAreNoRegularFilesAreRefused) {
  qytest::TempDir dir;
  const String path = dir.str() + "/" + TFolderLock::LockFileName;
  const struct {
    const char* What;
    std::function<void()> Make;
  } cases[] = {
      {"FIFO", [&] { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }},
      {"link", [&] {
         qytest::WriteFileBytes(dir.str() + "/elsewhere", "");
         fs::create_symlink(dir.str() + "/elsewhere", path);
       }},
      {"folder", [&] { fs::create_directory(path); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    fs::remove_all(path);
    c.Make();
    TFolderLock lock(dir.str());
    EXPECT_EQ(lock.TryTake(), TFolderLock::flFailed);
    EXPECT_NE(lock.FailureText().find(TFolderLock::LockFileName), String::npos);
    EXPECT_EQ(lock.Holder().Pid, 0);
  }
}

}  // namespace
