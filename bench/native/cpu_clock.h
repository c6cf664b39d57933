// Native benchmarks time the process's CPU (user and system, so page faults
// count) rather than the wall clock: the build machine is shared, and the
// load of other processes would otherwise decide the ratios.
#pragma once

#include <malloc.h>
#include <time.h>

#include <algorithm>

namespace korvel::bench {

inline double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Keeps freed memory in the process. glibc otherwise maps blocks of 128 KiB
// and more afresh and hands the top of its heap back after every run, so a
// large size pays the kernel's page faults on every run while a small one
// reuses warm pages, and the ratio measures the allocator's thresholds
// rather than the code. Call once, before measuring.
inline void holdHeap() {
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
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
