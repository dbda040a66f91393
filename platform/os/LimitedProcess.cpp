#include "platform/os/LimitedProcess.h"

#include "platform/os/SysPaths.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// This process's own peak resident size (VmHWM), in bytes; 0 when unknown.
uint64_t OwnPeakResident() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::strtoull(line.c_str() + 6, nullptr, 10) * 1024;
  return 0;
}

off_t SizeOf(int fd) {
  struct stat st {};
  return fd >= 0 && fstat(fd, &st) == 0 ? st.st_size : 0;
}

}  // namespace

TProcessResult RunLimitedProgram(const std::vector<String>& Args, const std::vector<String>& Environment,
                                 const String& WorkFolder, const String& StdoutFile, const TProcessLimits& Limits,
                                 const std::function<bool()>& KeepWaiting) {
  TProcessResult result;
  if (Args.empty()) return result;
  // Everything the child needs is made before the fork: after it only calls
  // that are safe in a copy of a threaded process may run.
  const String program = Args[0].find('/') != String::npos ? Args[0] : FindProgramInPath(Args[0]);
  if (program.empty()) return result;
  std::vector<char*> argv;
  for (const String& a : Args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (const String& e : Environment) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  const int out = StdoutFile.empty() ? open("/dev/null", O_WRONLY | O_CLOEXEC)
                                     : open(StdoutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (out < 0 || in < 0) {
    if (out >= 0) close(out);
    if (in >= 0) close(in);
    return result;
  }
  // The write end stays with us alone: when this program ends, killed or
  // not, the guard sees the pipe close and ends the group.
  int alive[2];
  if (pipe2(alive, O_CLOEXEC) != 0) {
    close(out);
    close(in);
    return result;
  }
  const pid_t pid = fork();
  if (pid == 0) {
    // The guard: leads the group, runs the program as its child and hands
    // its end on as its own; the group goes when our end of the pipe
    // closes. (A parent-death signal would reach the program alone, not
    // the helpers it starts, and only at the death of the forking thread.)
    setpgid(0, 0);
    close(alive[1]);
    umask(077);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    const pid_t child = fork();
    if (child == 0) {
      // A file past the bound stops the program instead of filling the disk.
      signal(SIGXFSZ, SIG_DFL);
      signal(SIGPIPE, SIG_DFL);
      if (Limits.MemoryBytes) {
        const rlimit as{Limits.MemoryBytes, Limits.MemoryBytes};
        setrlimit(RLIMIT_AS, &as);
      }
      if (Limits.FileBytes) {
        const rlimit fsize{Limits.FileBytes, Limits.FileBytes};
        setrlimit(RLIMIT_FSIZE, &fsize);
      }
      if (dup2(in, STDIN_FILENO) < 0 || dup2(out, STDOUT_FILENO) < 0) _exit(127);
      close_range(3, ~0U, 0);
      if (!WorkFolder.empty() && chdir(WorkFolder.c_str()) != 0) _exit(127);
      execve(program.c_str(), argv.data(), envp.data());
      _exit(127);
    }
    if (child < 0) _exit(127);
    close(in);
    close(out);
    pollfd owner{alive[0], POLLIN, 0};
    for (;;) {
      int status = 0;
      if (waitpid(child, &status, WNOHANG) == child) {
        if (WIFEXITED(status)) _exit(WEXITSTATUS(status));
        // Ended by a signal: so is the guard, for the waiting side to see.
        const int sig = WTERMSIG(status);
        signal(sig, SIG_DFL);
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        kill(getpid(), sig);
        _exit(128 + sig);
      }
      if (poll(&owner, 1, 50) > 0) kill(0, SIGKILL);
    }
  }
  close(alive[0]);
  close(in);
  if (pid < 0) {
    close(out);
    close(alive[1]);
    return result;
  }
  // Also set here: a kill of the group must not miss a child that has not
  // run its first line yet.
  setpgid(pid, pid);
  const int watch = StdoutFile.empty() ? -1 : open(StdoutFile.c_str(), O_RDONLY | O_CLOEXEC);
  close(out);
  const auto start = std::chrono::steady_clock::now();
  const auto deadline = start + std::chrono::milliseconds(Limits.TimeMs);
  int status = 0;
  rusage usage{};
  for (;;) {
    const pid_t w = wait4(pid, &status, WNOHANG, &usage);
    if (w == pid) break;
    if (w < 0 && errno != EINTR) break;
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) {
      result.End = TProcessEnd::TimedOut;
    } else if (KeepWaiting && !KeepWaiting()) {
      result.End = TProcessEnd::Cancelled;
    } else if (Limits.FileBytes && static_cast<uint64_t>(SizeOf(watch)) >= Limits.FileBytes) {
      result.End = TProcessEnd::FileLimit;
    }
    if (result.End != TProcessEnd::NotStarted) {
      kill(-pid, SIGKILL);
      waitpid(pid, &status, 0);
      if (watch >= 0) close(watch);
      close(alive[1]);
      return result;
    }
    usleep(KeepWaiting ? 20000 : 5000);
  }
  // What the group's other processes still do goes with it.
  kill(-pid, SIGKILL);
  close(alive[1]);
  const bool fileFull = Limits.FileBytes && static_cast<uint64_t>(SizeOf(watch)) >= Limits.FileBytes;
  if (watch >= 0) close(watch);
  if (WIFSIGNALED(status)) {
    result.Signal = WTERMSIG(status);
    result.End = TProcessEnd::Killed;
  } else if (WIFEXITED(status)) {
    result.ExitCode = WEXITSTATUS(status);
    result.End = result.ExitCode == 127 ? TProcessEnd::NotStarted : TProcessEnd::Finished;
  }
  if (result.Signal == SIGXFSZ || (result.ExitCode != 0 && fileFull)) result.End = TProcessEnd::FileLimit;
  // A program refused memory aborts, crashes or fails in its own way: one
  // whose resident memory had come near the limit failed on it. Address
  // space says nothing (a runtime may reserve most of the limit at start
  // and use little of it), and neither does a failure's timing. The peak
  // is the guard's and its children's; the guard began as a copy of this
  // process and counts its pages, so a peak no higher than our own may be
  // ours, not the program's.
  const bool failed = result.End == TProcessEnd::Killed || (result.End == TProcessEnd::Finished && result.ExitCode);
  const uint64_t peak = static_cast<uint64_t>(usage.ru_maxrss) * 1024;
  if (failed && Limits.MemoryBytes && peak >= Limits.MemoryBytes / 4 * 3 && peak > OwnPeakResident())
    result.End = TProcessEnd::MemoryLimit;
  return result;
}
