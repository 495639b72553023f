#pragma once
// Timings of the benchmarks: quantiles and one report line.
#include "tests/support/Benchmark.h"

#include <algorithm>
#include <vector>

// The q-quantile of the samples (nearest rank).
inline double Quantile(std::vector<double> samples, double q)
{
    std::sort(samples.begin(), samples.end());
    const size_t rank = static_cast<size_t>(q * static_cast<double>(samples.size()) + 0.999999);
    return samples[std::min(samples.size(), std::max<size_t>(rank, 1)) - 1];
}

inline void Report(const char* what, const std::vector<double>& samples)
{
    if (samples.empty())
        return;
    PrintFigures(what,
                 Format("n=%zu  median %.2f  p99 %.2f  max %.2f ms", samples.size(), Quantile(samples, 0.5),
                        Quantile(samples, 0.99), *std::max_element(samples.begin(), samples.end())),
                 30);
}
