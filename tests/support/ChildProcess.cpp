#include "support/ChildProcess.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace qytest {

int RunChild(const std::vector<std::string>& args, std::optional<unsigned> killAfterUs) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    execv(argv[0], argv.data());
    _exit(127);
  }
  if (killAfterUs) {
    usleep(*killAfterUs);
    kill(child, SIGKILL);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return status;
}

}  // namespace qytest
