#pragma once
// What a piece of work costs the process, measured so that a loaded machine
// does not change the answer: the CPU time of the calling thread and of the
// whole process (work handed to other threads; not the time on the clock) and how far the peak resident memory rises above what
// was resident before (the kernel's high-water mark, reset first).
#include <time.h>

#include <cstdint>
#include <algorithm>
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

// How the CPU cost of the same work grows from one size to another, both
// measured in one run and taken alternately, the least of a few tries each:
// a loaded machine makes each CPU second do less (shared caches,
// hyperthreads), but alike for both sizes, so the ratio holds where an
// absolute bound does not. Work linear in its size costs about the sizes'
// ratio more; quadratic work its square.
struct TGrowth {
  double SmallSeconds = 0, LargeSeconds = 0;
  double Ratio() const { return LargeSeconds / std::max(SmallSeconds, 1e-6); }
};

// prepare(n) makes the work of size n (outside the measure) and returns what
// is measured; its results are for the caller to check.
inline TGrowth MeasureGrowth(int small, int large, const std::function<std::function<void()>(int)>& prepare,
                             int tries = 3) {
  TGrowth g{1e300, 1e300};
  for (int i = 0; i < tries; ++i)
    for (const int n : {small, large}) {
      const std::function<void()> work = prepare(n);
      const double s = MeasureWork(work).CpuSeconds;
      double& least = n == small ? g.SmallSeconds : g.LargeSeconds;
      least = std::min(least, s);
    }
  return g;
}

// The bound a growth ratio is checked against: half of quadratic growth's
// square of the sizes' ratio. At sizes twenty times apart that is ten times
// linear growth, room for the larger size's cache misses (on a busy machine
// they made linear work grow up to five times its sizes' ratio), and half of
// what quadratic work grows.
inline double LinearGrowthBound(int small, int large) {
  const double ratio = static_cast<double>(large) / small;
  return ratio * ratio / 2;
}

}  // namespace qytest
