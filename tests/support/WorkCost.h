#pragma once
// What a piece of work costs the process, measured so that a loaded machine
// does not change the answer: the CPU time of the calling thread and of the
// whole process (work handed to other threads; not the time on the clock) and how far the peak resident memory rises above what
// was resident before (the kernel's high-water mark, reset first).
#include <time.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>

namespace qytest {

struct TWorkCost {
  double CpuSeconds = 0;
  double ProcessCpuSeconds = 0;
  std::int64_t PeakGrowthBytes = 0;
  // False when the high-water mark could not be reset (the growth is then
  // measured from an earlier peak and may be too small).
  bool PeakKnown = false;
};

namespace detail {
// A "Vm...:  1234 kB" line of /proc/self/status, in bytes (-1: none).
inline std::int64_t StatusBytes(const std::string& key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key + ":", 0) == 0) return std::stoll(line.substr(key.size() + 1)) * 1024;
  return -1;
}
inline double CpuSeconds(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}
inline double ThreadCpuSeconds() { return CpuSeconds(CLOCK_THREAD_CPUTIME_ID); }
}  // namespace detail

inline TWorkCost MeasureWork(const std::function<void()>& work) {
  TWorkCost cost;
  {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    cost.PeakKnown = static_cast<bool>(clear);
  }
  const std::int64_t before = detail::StatusBytes("VmRSS");
  const double cpu = detail::ThreadCpuSeconds(), processCpu = detail::CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
  work();
  cost.CpuSeconds = detail::ThreadCpuSeconds() - cpu;
  cost.ProcessCpuSeconds = detail::CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processCpu;
  const std::int64_t peak = detail::StatusBytes("VmHWM");
  cost.PeakGrowthBytes = peak > before ? peak - before : 0;
  cost.PeakKnown = cost.PeakKnown && before >= 0 && peak >= 0;
  return cost;
}

}  // namespace qytest
