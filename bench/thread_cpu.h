#pragma once

// The CPU time of the calling thread split into user and kernel time, so that a benchmark can
// report which side its time goes to: the library's own work runs in user space, the file
// system's in the kernel.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace velmora::bench {

class ThreadCpu {
 public:
  ThreadCpu() { getrusage(RUSAGE_THREAD, &start_); }

  // Adds "user_ms" and "kernel_ms" per iteration to `state`.
  void Report(benchmark::State& state) const {
    rusage end{};
    getrusage(RUSAGE_THREAD, &end);
    const double iterations = static_cast<double>(state.iterations());
    if (iterations == 0) {
      return;
    }
    state.counters["user_ms"] = Milliseconds(start_.ru_utime, end.ru_utime) / iterations;
    state.counters["kernel_ms"] = Milliseconds(start_.ru_stime, end.ru_stime) / iterations;
  }

 private:
  static double Milliseconds(const timeval& from, const timeval& to) {
    return static_cast<double>(to.tv_sec - from.tv_sec) * 1e3 +
           static_cast<double>(to.tv_usec - from.tv_usec) / 1e3;
  }

  rusage start_{};
};

}  // namespace velmora::bench
