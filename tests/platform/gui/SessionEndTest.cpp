// The end-of-session watch: a signal only wakes the event loop, where the
// program's handler runs once however many arrived together; the handlers
// found before come back when the watch goes.
#include "platform/gui/SessionEnd.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <vector>

namespace {

volatile std::sig_atomic_t PreviousCalls = 0;
extern "C" void PreviousHandler(int) { PreviousCalls = PreviousCalls + 1; }

TEST(SessionEnd, EachSignalReachesTheLoopOnceAndThePreviousHandlerComesBack) {
  for (int signo : {SIGTERM, SIGHUP, SIGINT}) {
    struct sigaction previous = {}, saved = {};
    previous.sa_handler = PreviousHandler;
    sigemptyset(&previous.sa_mask);
    ASSERT_EQ(sigaction(signo, &previous, &saved), 0);
    PreviousCalls = 0;
    {
      TSessionEndWatch watch;
      std::vector<int> seen;
      watch.OnSessionEnd = [&](int s) { seen.push_back(s); };
      ASSERT_TRUE(watch.Start()) << strsignal(signo);
      raise(signo);
      raise(signo);
      // Nothing of the program's runs inside the handler.
      EXPECT_TRUE(seen.empty()) << strsignal(signo);
      // The signal reaches the loop (a minute at most, for a loaded machine).
      const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
      while (seen.empty() && std::chrono::steady_clock::now() < end)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
      QCoreApplication::processEvents();
      EXPECT_EQ(seen, std::vector<int>{signo}) << strsignal(signo);
      EXPECT_EQ(watch.Received(), signo);
      EXPECT_EQ(PreviousCalls, 0) << strsignal(signo);
    }
    raise(signo);
    EXPECT_EQ(PreviousCalls, 1) << strsignal(signo);
    sigaction(signo, &saved, nullptr);
  }
}

}  // namespace
