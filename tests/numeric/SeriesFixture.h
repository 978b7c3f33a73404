#pragma once

// A sampled series with its curve and result arrays, pre-filled with a sentinel so that tests
// can tell what a routine wrote.

#include "numeric/FitResult.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace numeric::testing {

inline constexpr float kSentinel = -12345.0f;

struct SampledSeries {
    std::vector<float> x;
    std::vector<float> y;
    std::vector<float> curve;
    float result[kFitResultLength];

    SampledSeries(int n, double x0, double step, const std::function<double(double)>& f)
    {
        for (int i = 0; i < n; ++i) {
            const double xi = x0 + step * i;
            x.push_back(static_cast<float>(xi));
            y.push_back(static_cast<float>(f(xi)));
        }
        curve.assign(x.size(), kSentinel);
        std::fill(std::begin(result), std::end(result), kSentinel);
    }

    int n() const { return static_cast<int>(x.size()); }

    bool Untouched() const
    {
        return std::all_of(curve.begin(), curve.end(), [](float v) { return v == kSentinel; }) &&
               std::all_of(std::begin(result), std::end(result), [](float v) { return v == kSentinel; });
    }
};

} // namespace numeric::testing
