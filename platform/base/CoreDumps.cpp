#include "platform/base/CoreDumps.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

void KeepOutOfCoreDumps() {
  if (const char* allowed = std::getenv(CoreDumpsAllowedVariable); allowed && std::strcmp(allowed, "1") == 0) return;
  // Not dumpable: no core file nor a core handed to a crash collector, and
  // no other process of the user reads this one's memory. The core size
  // limit covers a system that dumps all the same.
  ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
  rlimit core{};
  if (::getrlimit(RLIMIT_CORE, &core) == 0 && core.rlim_cur != 0) {
    core.rlim_cur = 0;
    ::setrlimit(RLIMIT_CORE, &core);
  }
}

void LeaveOutOfCoreDumps(const void* data, std::size_t size) {
  if (!data || size == 0) return;
  static const std::uintptr_t page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto from = reinterpret_cast<std::uintptr_t>(data) & ~(page - 1);
  const auto to = (reinterpret_cast<std::uintptr_t>(data) + size + page - 1) & ~(page - 1);
  ::madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTDUMP);
}
