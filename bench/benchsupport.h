#pragma once

// What the benchmarks share: the median of timed runs and the verdict line that
// ends each one's output and decides its exit status, which ctest reports.

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <QElapsedTimer>
#include <vector>

namespace tallaby::bench {

// The middle sample; sorts them.
inline double median(std::vector<double> &samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// The median time of `runs` calls of `step`, each given its run number, in
// nanoseconds.
template<typename Step>
double medianNanoseconds(int runs, Step &&step) {
    std::vector<double> samples;
    samples.reserve(runs);
    QElapsedTimer timer;
    for (int i = 0; i < runs; ++i) {
        timer.start();
        step(i);
        samples.push_back(double(timer.nsecsElapsed()));
    }
    return median(samples);
}

// Prints the target, described printf-style, and whether it was met; returns
// the benchmark's exit status.
#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
inline int
verdict(bool met, const char *target, ...) {
    std::printf("target: ");
    va_list args;
    va_start(args, target);
    std::vprintf(target, args);
    va_end(args);
    std::printf(": %s\n", met ? "met" : "MISSED");
    return met ? 0 : 1;
}

} // namespace tallaby::bench
