#pragma once

#include <vector>

// The figures a benchmark prints of a series of samples; all 0 for an empty series.
struct BenchStats {
    double best = 0;
    double median = 0;
    double p99 = 0;
    double worst = 0;

    static BenchStats of(std::vector<double> samples);
};
