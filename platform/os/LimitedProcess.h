#pragma once
// Runs an outside program (a document converter) within bounds: a time
// limit, an address-space limit and a size limit on every file it writes,
// its standard output going to a file. The program runs in a process group
// of its own, so that the helpers it starts stop with it, and the group
// ends when this program does, even killed part-way; without a shell,
// with no descriptor of ours open, and with a umask that keeps what it
// writes to its owner.
#include "platform/base/Types.h"

#include <cstdint>
#include <functional>
#include <vector>

struct TProcessLimits {
  int64_t TimeMs = 60000;
  // 0: none.
  uint64_t MemoryBytes = 0;
  uint64_t FileBytes = 0;
};

enum class TProcessEnd {
  Finished,     // ExitCode holds its status
  NotStarted,   // no such program, or it could not be run
  TimedOut,
  FileLimit,    // it wrote a file past FileBytes
  MemoryLimit,  // it failed with its resident memory near MemoryBytes
  Cancelled,    // KeepWaiting answered false
  Killed        // ended by a signal of its own (Signal)
};

struct TProcessResult {
  TProcessEnd End = TProcessEnd::NotStarted;
  int ExitCode = 0;
  int Signal = 0;
};

// Args[0] is a path or a name looked up in PATH. Environment replaces the
// program's whole environment. StdoutFile (made 0600) gets its standard
// output; empty: /dev/null. KeepWaiting, when given, is called about every
// 20 ms while the program runs (a progress window pumps its events there);
// false stops the program.
TProcessResult RunLimitedProgram(const std::vector<String>& Args, const std::vector<String>& Environment,
                                 const String& WorkFolder, const String& StdoutFile, const TProcessLimits& Limits,
                                 const std::function<bool()>& KeepWaiting = {});
