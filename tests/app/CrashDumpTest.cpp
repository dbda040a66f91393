// A crash while a journal with a password is open writes no core dump: the
// dump would hold the password, its key and the decrypted entries. A child
// process, with core dumps allowed by its limits as on a developer's
// machine, opens the journal and aborts.
#include "DatabaseTestSupport.h"

#include "app/QYDatabase.h"
#include "platform/base/CoreDumps.h"
#include "platform/db/DBPassword.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// What the kernel makes of a crash: a plain file name (written into the
// crashing process's folder) lets the test look for the core itself.
bool CoresGoIntoTheFolder() {
  std::ifstream in("/proc/sys/kernel/core_pattern");
  std::string pattern;
  std::getline(in, pattern);
  return !pattern.empty() && pattern.find('/') == std::string::npos && pattern[0] != '|';
}

size_t CoreFilesIn(const fs::path& folder) {
  size_t n = 0;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.path().filename().string().rfind("core", 0) == 0) ++n;
  return n;
}

struct TCrash {
  int Status = 0;
  std::string Told;  // what the child said of itself before it aborted
};

// A child that opens the protected journal and aborts in folder.
TCrash CrashWithTheJournalOpen(const fs::path& folder, const String& password, bool allowDumps) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) throw std::runtime_error("no pipe");
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(pipeFds[0]);
    // Dumps as a developer's machine allows them: dumpable, a core limit.
    ::prctl(PR_SET_DUMPABLE, 1, 0, 0, 0);
    rlimit core{8 << 20, RLIM_INFINITY};
    ::setrlimit(RLIMIT_CORE, &core);
    if (allowDumps)
      ::setenv(CoreDumpsAllowedVariable, "1", 1);
    else
      ::unsetenv(CoreDumpsAllowedVariable);
    if (::chdir(folder.c_str()) != 0) ::_exit(3);
    try {
      QuillorySession().AddPassword(password);
      TTable table;
      BindToDatabase(table);
      table.TableName = "QUILLORY";
      table.Open();
      if (!table.Active()) ::_exit(4);
    } catch (...) {
      ::_exit(5);
    }
    rlimit now{};
    ::getrlimit(RLIMIT_CORE, &now);
    const std::string told = "dumpable=" + std::to_string(::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0)) +
                             " core=" + std::to_string(static_cast<unsigned long long>(now.rlim_cur));
    if (::write(pipeFds[1], told.data(), told.size()) < 0) ::_exit(6);
    ::close(pipeFds[1]);
    std::abort();
  }
  ::close(pipeFds[1]);
  TCrash crash;
  char buf[128];
  for (ssize_t got; (got = ::read(pipeFds[0], buf, sizeof buf)) > 0;) crash.Told.append(buf, static_cast<size_t>(got));
  ::close(pipeFds[0]);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (::waitpid(pid, &crash.Status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &crash.Status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return crash;
}

TEST(CrashDump, ACrashWithAProtectedJournalOpenWritesNoCore) {
  qytest::TDatabaseWorld world;
  world.SetUp();
  const String password = "Crash;Key-7ü";
  RestructureTablePassword("", password, "QUILLORY");
  QuillorySession().RemoveAllPasswords();
  QuillorySession().CloseIdleConnections();
  const bool lookForCores = CoresGoIntoTheFolder();
  const struct {
    const char* Name;
    bool Allowed;  // dumps allowed for debugging
    const char* Told;
    size_t Cores;
  } cases[] = {
      {"as the user runs it", false, "dumpable=0 core=0", 0},
      {"dumps allowed for debugging", true, "dumpable=1 core=8388608", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const fs::path folder = world.Root / (c.Allowed ? "allowed" : "plain");
    fs::create_directories(folder);
    const TCrash crash = CrashWithTheJournalOpen(folder, password, c.Allowed);
    ASSERT_TRUE(WIFSIGNALED(crash.Status)) << "the child ended with " << crash.Status;
    EXPECT_EQ(WTERMSIG(crash.Status), SIGABRT);
    EXPECT_EQ(crash.Told, c.Told);
    if (lookForCores) {
      EXPECT_EQ(CoreFilesIn(folder), c.Cores);
      if (c.Cores == 0) {
        EXPECT_FALSE(WCOREDUMP(crash.Status));
      }
    }
  }
  QuillorySession().RemoveAllPasswords();
}

// A start the toolkit aborts (here: no such display platform) writes no core
// either: the program keeps out of core dumps before the toolkit starts.
TEST(CrashDump, AStartTheToolkitAbortsWritesNoCore) {
  qytest::TempDir folder;
  const pid_t pid = ::fork();
  if (pid == 0) {
    rlimit core{8 << 20, RLIM_INFINITY};
    ::setrlimit(RLIMIT_CORE, &core);
    ::unsetenv(CoreDumpsAllowedVariable);
    ::setenv("QT_QPA_PLATFORM", "no-such-platform", 1);
    if (::chdir(folder.str().c_str()) != 0) ::_exit(3);
    const std::string program = std::string(QY_BIN_DIR) + "/quillory";
    ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    ::_exit(4);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the start ended with " << status;
  EXPECT_EQ(WTERMSIG(status), SIGABRT);
  EXPECT_FALSE(WCOREDUMP(status));
  if (CoresGoIntoTheFolder()) {
    EXPECT_EQ(CoreFilesIn(folder.path()), 0u);
  }
}

}  // namespace
