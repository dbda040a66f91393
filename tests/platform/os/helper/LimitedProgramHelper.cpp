// Usage: os_limited_program_helper <folder>
// Runs a converter-like program within limits: a shell that starts a
// helper of its own in the background, writes that helper's process
// number to <folder>/helper.pid and waits. The helper program itself waits
// until it is killed.
#include "platform/os/LimitedProcess.h"

#include <cstdlib>

extern char** environ;

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const String folder = argv[1];
  std::vector<String> environment;
  for (char** e = environ; *e; ++e) environment.push_back(*e);
  TProcessLimits limits;
  limits.TimeMs = 10 * 60 * 1000;
  const TProcessResult r = RunLimitedProgram(
      {"/bin/sh", "-c", "sleep 600 & echo $! > helper.part && mv helper.part helper.pid; wait"}, environment, folder,
      String(), limits);
  return r.End == TProcessEnd::Finished ? r.ExitCode : 3;
}
