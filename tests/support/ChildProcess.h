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

}  // namespace qytest
