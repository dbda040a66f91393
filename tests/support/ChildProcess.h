#pragma once
// A helper program run in a child process, left to finish or killed
// part-way (crash tests of saves, backups and restores).
#include <optional>
#include <string>
#include <vector>

namespace qytest {

// Runs args[0] with args; killed with SIGKILL after killAfterUs
// microseconds when given, else waited for. Answers the wait status.
int RunChild(const std::vector<std::string>& args, std::optional<unsigned> killAfterUs);

// Runs args[0] with args and, once the file named ready exists, sends it
// the signal. Answers the wait status; a child that never makes the file
// within timeoutMs is killed with SIGKILL (and its status says so).
int RunChildSignalledWhenReady(const std::vector<std::string>& args, const std::string& ready, int signo,
                               int timeoutMs);

}  // namespace qytest
