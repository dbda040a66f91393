#include "support/ChildProcess.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

namespace qytest {

namespace {

// Starts the program of args[0] with args; -1 when it cannot fork.
pid_t StartChild(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    execv(argv[0], argv.data());
    _exit(127);
  }
  return child;
}

}  // namespace

int RunChild(const std::vector<std::string>& args, std::optional<unsigned> killAfterUs) {
  const pid_t child = StartChild(args);
  if (child < 0) return -1;
  if (killAfterUs) {
    usleep(*killAfterUs);
    kill(child, SIGKILL);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return status;
}

int RunChildSignalledWhenReady(const std::vector<std::string>& args, const std::string& ready, int signo,
                               int timeoutMs) {
  const pid_t child = StartChild(args);
  if (child < 0) return -1;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  int status = 0;
  for (;;) {
    if (waitpid(child, &status, WNOHANG) == child) return status;  // ended before it was ready
    if (std::filesystem::exists(ready)) {
      kill(child, signo);
      break;
    }
    if (std::chrono::steady_clock::now() > end) {
      kill(child, SIGKILL);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  waitpid(child, &status, 0);
  return status;
}

}  // namespace qytest
