// Native benchmarks time the process's CPU (user and system, so page faults
// count) rather than the wall clock: the build machine is shared, and the
// load of other processes would otherwise decide the ratios.
#pragma once

#include <time.h>

#include <algorithm>

namespace korvel::bench {

inline double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The best of a few runs of f, in CPU seconds.
template <typename F>
double bestCpuSeconds(F&& f, int runs = 9) {
    double best = 1e9;
    for (int r = 0; r < runs; ++r) {
        const double start = cpuSeconds();
        f();
        best = std::min(best, cpuSeconds() - start);
    }
    return best;
}

}  // namespace korvel::bench
