#pragma once

// Integrals, derivatives, statistics and comparisons of float series, with the calling shape,
// curve array, FitResult and status codes of the curve fits (FitResult.h). Each routine's result
// slots are named in the struct after it.
//
// The integral and the derivative take the samples as equally spaced with step h = x[1] - x[0].

#include "numeric/FitResult.h"

namespace numeric {

// Definite integral over [start, end) by method 0 (running integral, weights 1 2 2 1 over 6,
// left in `curve`), 1 (trapezoid), 2 (Simpson 1/3; `curve` gets a copy of y), 3 (Simpson 3/8)
// or 4 (Boole). Needs one sample before the range and two after it (status 0 otherwise).
// Result: N, integral; returns 2.
int IntegrateSamples(int start, int end, int n, int method, const float* x, const float* y, float* curve,
                     float* result);
struct IntegralResult {
    enum : int { kCount, kIntegral };
};

// Central-difference derivative at all n indexes into `d`, with its largest and smallest value
// over the range. Method 1 then fits a line to the derivative and leaves the line in `d`
// (result N, max, min, slope, intercept, r^2, rms; returns 7); method 2 takes the second
// derivative as constant and leaves that slope in `d` (result N, max, min, slope; returns 4);
// any other method returns N, max, min and 3.
int DifferentiateSamples(int start, int end, int n, int method, const float* x, const float* y, float* d,
                         float* result);
// Method 2 leaves the second derivative where method 1 leaves the slope.
struct DerivativeResult {
    enum : int { kCount, kMax, kMin, kSlope, kIntercept, kR2, kRms, kSecondDerivative = kSlope };
};

// Descriptive statistics of y over the range; `curve` holds the mean at all n indexes.
// Result: N, min, max, range, mean, t*sd/sqrt(N), sd, sd/sqrt(N), rms; returns 9.
int ConfidenceStats(int start, int end, int n, const float* x, const float* y, float* curve, float* result);
struct StatisticsResult {
    enum : int { kCount, kMin, kMax, kRange, kMean, kHalfWidth95, kStdDeviation, kStdError, kRms };
};

// Means of y1 and y2 over the same range and their difference; `curve` holds the difference.
// Result: N, mean1, mean2, |mean1 - mean2|, difference in percent of the larger mean; returns 5.
int CompareTwoSeries(int start, int end, int n, const float* x1, const float* y1, const float* x2,
                     const float* y2, float* curve, float* result);
struct ComparisonResult {
    enum : int { kCount, kMean1, kMean2, kDifference, kDifferencePercent };
};

// Sums of w consecutive samples: out is a copy of y in which out[start + k] becomes
// y[start + k] + ... + y[start + k + w - 1] for k = 0 .. L - w - 1, L = end - start. `length`
// receives L. Returns 1, or L | (w << 8) when L < w, or 0xFF00 when w < 1.
int WindowSum(int start, int end, int n, int w, const float* unused, const float* y, float* out, float* length);

// One-sided 95% Student t for df degrees of freedom: the t of the largest tabulated df not
// above df (5..30, 40, 50, 60, 80, 100, 120, 500), 0 below 5.
double OneSidedT95(int df);

} // namespace numeric
