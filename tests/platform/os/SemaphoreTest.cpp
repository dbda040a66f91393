#include "platform/os/Semaphores.h"

#include "platform/os/SysPaths.h"

#include <atomic>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

TEST(NamedSemaphoreTest, CountsStayWithinTheMaximum) {
  // The find hand-off: initial 0, maximum 1.
  auto find = TNamedSemaphore::Create("qytest.find", 0, 1);
  EXPECT_FALSE(find->AlreadyExisted);
  EXPECT_FALSE(find->Wait(0));
  EXPECT_TRUE(find->Release());
  EXPECT_FALSE(find->Release());  // above the maximum: refused, count unchanged
  EXPECT_EQ(find->Count(), 1);
  EXPECT_TRUE(find->Wait(0));
  EXPECT_FALSE(find->Wait(10));

  // The database guard: initial 1, maximum 1; an unpaired release stays harmless.
  auto db = TNamedSemaphore::Create("qytest.db", 1, 1);
  EXPECT_FALSE(db->Release());
  EXPECT_TRUE(db->Wait(INFINITE));
  EXPECT_FALSE(db->Wait(0));
  EXPECT_TRUE(db->Release());
  EXPECT_EQ(db->Count(), 1);
}

TEST(NamedSemaphoreTest, SameNameOpensTheSameObject) {
  auto a = TNamedSemaphore::Create("qytest.shared", 1, 1);
  auto b = TNamedSemaphore::Create("qytest.shared", 0, 5);
  EXPECT_EQ(a, b);
  EXPECT_TRUE(b->AlreadyExisted);
  EXPECT_EQ(b->Maximum(), 1);
  EXPECT_EQ(TNamedSemaphore::Open("qytest.shared"), a);
  EXPECT_EQ(TNamedSemaphore::Open("qytest.none"), nullptr);
}

TEST(NamedSemaphoreTest, WorkerWaitingForeverIsReleasedByAnotherThread) {
  auto sem = TNamedSemaphore::Create("qytest.handoff", 0, 1);
  std::atomic<int> hits{0};
  std::thread worker([&] {
    for (int i = 0; i < 3; ++i) {
      ASSERT_TRUE(sem->Wait(INFINITE));
      ++hits;
    }
  });
  for (int i = 0; i < 3; ++i) {
    while (!sem->Release()) std::this_thread::yield();
  }
  worker.join();
  EXPECT_EQ(hits, 3);
}

TEST(NamedSemaphoreTest, CrossProcessGuardHoldsAFileLockWhileTaken) {
  auto sem = TNamedSemaphore::Create("qytest.cross", 1, 1, true);
  String lockPath = GetRuntimeFolder() + "/qytest.cross.semaphore.lock";
  auto otherProcessCanLock = [&] {
    pid_t pid = ::fork();
    if (pid == 0) {
      int fd = ::open(lockPath.c_str(), O_RDWR);
      _exit(fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  };
  ASSERT_TRUE(sem->Wait(1000));
  EXPECT_FALSE(otherProcessCanLock());
  EXPECT_TRUE(sem->Release());
  EXPECT_TRUE(otherProcessCanLock());
}

TEST(NamedSemaphoreTest, CountsAreClampedAndOverReleasesChangeNothing) {
  struct Case {
    int initial, maximum, count, max;
  };
  const Case made[] = {{5, 3, 3, 3}, {-2, 3, 0, 3}, {0, 0, 0, 1}, {2, -1, 1, 1}};
  int n = 0;
  for (const Case& c : made) {
    auto s = TNamedSemaphore::Create("qytest.gaps.clamp" + std::to_string(n++), c.initial, c.maximum);
    EXPECT_EQ(s->Count(), c.count) << n;
    EXPECT_EQ(s->Maximum(), c.max) << n;
  }

  auto s = TNamedSemaphore::Create("qytest.gaps.multi", 1, 3);
  const std::pair<int, bool> releases[] = {{0, false}, {-1, false}, {3, false}, {2, true}, {1, false}};
  for (const auto& [count, ok] : releases) EXPECT_EQ(s->Release(count), ok) << count;
  EXPECT_EQ(s->Count(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(s->Wait(0)) << i;
  EXPECT_FALSE(s->Wait(0));
  EXPECT_EQ(s->Count(), 0);

  // Unnamed semaphores are never shared; a dropped name is made anew.
  auto u1 = TNamedSemaphore::Create("", 1, 1), u2 = TNamedSemaphore::Create("", 0, 1);
  EXPECT_NE(u1, u2);
  EXPECT_FALSE(u2->AlreadyExisted);
  EXPECT_EQ(TNamedSemaphore::Open(""), nullptr);
  s.reset();
  EXPECT_EQ(TNamedSemaphore::Open("qytest.gaps.multi"), nullptr);
  auto again = TNamedSemaphore::Create("qytest.gaps.multi", 0, 2);
  EXPECT_FALSE(again->AlreadyExisted);
  EXPECT_EQ(again->Count(), 0);
  EXPECT_EQ(again->Maximum(), 2);
}

}  // namespace
