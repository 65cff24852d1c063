#include "BenchStats.h"

#include <algorithm>

BenchStats BenchStats::of(std::vector<double> samples) {
    BenchStats s;
    if (samples.empty())
        return s;
    std::sort(samples.begin(), samples.end());
    const size_t n = samples.size();
    s.best = samples.front();
    s.median = samples[n / 2];
    s.p99 = samples[std::min(n - 1, size_t(double(n) * 0.99))];
    s.worst = samples.back();
    return s;
}
