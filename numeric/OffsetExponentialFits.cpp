#include "numeric/CurveFits.h"

#include "numeric/FitSupport.h"
#include "numeric/WeightedLogSums.h"

#include <cmath>

namespace numeric {

namespace {

// y = a*exp(b*(x - x0)) + c, with the curve through the first point of the range.
struct OffsetExponential {
    double a = 0;
    double b = 0;
    double c = 0;
    double x0 = 0;

    double operator()(double xi) const { return a * std::exp(b * (xi - x0)) + c; }
};

// One-shot estimate without iteration: the rate from ratios of secant slopes four samples
// apart, the amplitude from successive differences, the offset from the first point, then a
// weighted log fit of the data less that offset. A rising curve is mirrored about y[end] first,
// so the same steps serve growth towards and decay from an asymptote.
// On success the curve is written and its quality measured; returns 1 or a status.
int FitOffsetCurve(int start, int end, int n, const float* x, const float* y, float* curve, OffsetExponential& fit,
                   detail::FitQuality& quality)
{
    const int count = RangeCount(start, end);
    if (count < 10)
        return TooFewPoints(10, count);
    // The estimate reads y[end] as the far end of a rising curve.
    if (start < 0 || end >= n)
        return kStatusNoResult;

    const double x0 = x[start];
    const bool mirrored = y[start] < y[end];
    const double top = y[end];
    const auto w = [&](int i) { return mirrored ? top - y[i] : static_cast<double>(y[i]); };

    detail::Mean rate;
    for (int j = start + 1; j < end - 4; ++j) {
        const double d2 = static_cast<double>(x[j + 4]) - x[j + 2];
        const double d1 = static_cast<double>(x[j + 2]) - x[j];
        const double span = static_cast<double>(x[j + 4]) - x[j];
        if (d1 == 0 || d2 == 0 || span == 0)
            return kStatusZeroDenominator;
        const double s2 = (w(j + 4) - w(j + 2)) / d2;
        const double s1 = (w(j + 2) - w(j)) / d1;
        if (s1 == 0)
            continue;
        const double ratio = s2 / s1;
        if (ratio > 0)
            rate.Add(2.0 * std::log(ratio) / span);
    }
    const double b0 = rate.Value();

    detail::Mean amplitude;
    double growth = std::exp(b0 * (x[start + 1] - x0));
    for (int l = start + 1; l < end - 2; ++l) {
        const double next = std::exp(b0 * (x[l + 1] - x0));
        const double e = next - growth;
        growth = next;
        if (e != 0)
            amplitude.Add((w(l + 1) - w(l)) / e);
    }
    const double c0 = w(start) - amplitude.Value();

    detail::WeightedLogSums sums;
    for (int i = start + 1; i < end - 2; ++i)
        sums.Add(x[i] - x0, w(i) - c0);
    if (sums.Count() == 0)
        return kStatusNoResult;
    if (!sums.Solve())
        return kStatusZeroDenominator;

    fit.x0 = x0;
    fit.b = sums.Rate();
    fit.a = std::exp(sums.LogAmplitude());
    if (mirrored)
        fit.a = -fit.a;
    fit.c = y[start] - fit.a;
    if (!detail::AllFinite({fit.a, fit.b, fit.c}))
        return kStatusZeroDenominator;
    quality = detail::WriteAndMeasure(start, end, n, x, y, curve, fit);
    return 1;
}

} // namespace

int FitExponentialOffset(int start, int end, int n, const float* x, const float* y, float* fit, float* result)
{
    OffsetExponential model;
    detail::FitQuality q;
    if (const int status = FitOffsetCurve(start, end, n, x, y, fit, model, q); status != 1)
        return status;

    result[ExponentialOffsetResult::kCount] = static_cast<float>(end - start);
    result[ExponentialOffsetResult::kA] = static_cast<float>(model.a);
    result[ExponentialOffsetResult::kB] = static_cast<float>(model.b);
    result[ExponentialOffsetResult::kC] = static_cast<float>(model.c);
    result[ExponentialOffsetResult::kR2] = static_cast<float>(q.r2);
    result[ExponentialOffsetResult::kRms] = static_cast<float>(q.Rms());
    return 6;
}

int FitExponentialShift(int start, int end, int n, const float* x, const float* y, float* fit, float* result)
{
    // A*exp(B*x - C) + D with C = B*x0: the same curve, evaluated about x0 for its digits.
    OffsetExponential model;
    detail::FitQuality q;
    if (const int status = FitOffsetCurve(start, end, n, x, y, fit, model, q); status != 1)
        return status;

    result[ExponentialShiftResult::kCount] = static_cast<float>(end - start);
    result[ExponentialShiftResult::kA] = static_cast<float>(model.a);
    result[ExponentialShiftResult::kB] = static_cast<float>(model.b);
    result[ExponentialShiftResult::kC] = static_cast<float>(model.x0 * model.b);
    result[ExponentialShiftResult::kD] = static_cast<float>(model.c);
    result[ExponentialShiftResult::kR2] = static_cast<float>(q.r2);
    result[ExponentialShiftResult::kRms] = static_cast<float>(q.Rms());
    return 7;
}

} // namespace numeric
