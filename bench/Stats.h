// Medians with their spread, for the benchmark's samples.
#pragma once

#include <algorithm>
#include <vector>

struct Summary {
    double median = 0;
    double min = 0;
    double max = 0;
};

inline Summary Summarise(std::vector<double> values) {
    Summary s;
    if (values.empty())
        return s;
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    s.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    s.min = values.front();
    s.max = values.back();
    return s;
}
