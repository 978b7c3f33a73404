#include "logger/analysis/numeric/CurveFits.h"

#include "logger/analysis/numeric/FitSupport.h"

#include <cmath>

namespace numeric {

using detail::AllFinite;
using detail::FitQuality;
using detail::LineSums;
using detail::MeasureFit;
using detail::RangeInside;
using detail::WeightedLogSums;
using detail::WriteModel;

namespace {

// Index of the first point of the range that `keep` accepts, or end when there is none.
template <typename Keep>
int FirstKept(int start, int end, const float* x, const float* y, const Keep& keep)
{
    for (int i = start; i < end; ++i) {
        if (keep(static_cast<double>(x[i]), static_cast<double>(y[i])))
            return i;
    }
    return end;
}

// Points whose logarithm a fit takes must be positive; the others are left out of its sums
// rather than turning every sum into "not a number".
const auto kPositiveY = [](double, double yi) { return yi > 0; };
const auto kPositiveX = [](double xi, double) { return xi > 0; };
const auto kPositiveXY = [](double xi, double yi) { return xi > 0 && yi > 0; };

} // namespace

int FitLinear(int start, int end, int n, const float* x, const float* y, float* fit, float* result)
{
    const int count = RangeCount(start, end);
    if (count < 3)
        return TooFewPoints(3, count);
    if (!RangeInside(start, end, n))
        return kStatusNoResult;

    LineSums line(x[start], y[start]);
    for (int i = start; i < end; ++i)
        line.Add(x[i], y[i]);
    if (!line.Solve())
        return kStatusZeroDenominator;

    const auto model = [&line](double xi) { return line.At(xi); };
    WriteModel(n, x, fit, model);
    const FitQuality q = MeasureFit(start, end, x, y, model);
    if (q.sxx == 0)
        return kStatusZeroDenominator;

    result[0] = static_cast<float>(count);
    result[1] = static_cast<float>(line.Slope());
    result[2] = static_cast<float>(line.Intercept());
    result[3] = static_cast<float>(q.SlopeError());
    result[4] = static_cast<float>(q.InterceptError());
    result[5] = static_cast<float>(q.r2);
    return 6;
}

int FitExponential(int start, int end, int n, const float* x, const float* y, float* fit, float* result)
{
    const int count = RangeCount(start, end);
    if (count < 3)
        return TooFewPoints(3, count);
    if (!RangeInside(start, end, n))
        return kStatusNoResult;

    // x is taken about the first kept point; the amplitude is moved back to x = 0 at the end.
    const int first = FirstKept(start, end, x, y, kPositiveY);
    const double x0 = first < end ? static_cast<double>(x[first]) : 0.0;
    WeightedLogSums sums;
    for (int i = first; i < end; ++i) {
        if (y[i] > 0)
            sums.Add(x[i] - x0, y[i]);
    }
    if (sums.Count() < 3)
        return TooFewPoints(3, static_cast<int>(sums.Count()));
    if (!sums.Solve())
        return kStatusZeroDenominator;

    const double logA = sums.LogAmplitude();
    const double b = sums.Rate();
    const double a = std::exp(logA - b * x0);
    if (!AllFinite({a, b}))
        return kStatusZeroDenominator;

    const auto model = [logA, b, x0](double xi) { return std::exp(logA + b * (xi - x0)); };
    WriteModel(n, x, fit, model);
    const FitQuality q = MeasureFit(start, end, x, y, model, kPositiveY);
    if (q.sxx == 0)
        return kStatusZeroDenominator;

    result[0] = static_cast<float>(count);
    result[1] = static_cast<float>(a);
    result[2] = static_cast<float>(b);
    result[3] = static_cast<float>(q.SlopeError());
    result[4] = static_cast<float>(q.InterceptError());
    result[5] = static_cast<float>(q.r2);
    return 6;
}

int FitPower(int start, int end, int n, const float* x, const float* y, float* fit, float* result)
{
    const int count = RangeCount(start, end);
    if (count < 3)
        return TooFewPoints(3, count);
    if (!RangeInside(start, end, n))
        return kStatusNoResult;

    const int first = FirstKept(start, end, x, y, kPositiveXY);
    if (first == end)
        return TooFewPoints(3, 0);
    LineSums line(std::log(static_cast<double>(x[first])), std::log(static_cast<double>(y[first])));
    for (int i = first; i < end; ++i) {
        if (kPositiveXY(x[i], y[i]))
            line.Add(std::log(static_cast<double>(x[i])), std::log(static_cast<double>(y[i])));
    }
    if (line.Count() < 3)
        return TooFewPoints(3, static_cast<int>(line.Count()));
    if (!line.Solve())
        return kStatusZeroDenominator;

    const double b = line.Slope();
    const double a = std::exp(line.Intercept());
    if (!AllFinite({a, b}))
        return kStatusZeroDenominator;

    const auto model = [a, b](double xi) { return a * std::pow(xi, b); };
    WriteModel(n, x, fit, model);
    const FitQuality q = MeasureFit(start, end, x, y, model, kPositiveXY);
    if (q.sxx == 0)
        return kStatusZeroDenominator;

    result[0] = static_cast<float>(count);
    result[1] = static_cast<float>(a);
    result[2] = static_cast<float>(b);
    result[3] = static_cast<float>(q.InterceptError());
    result[4] = static_cast<float>(q.SlopeError());
    result[5] = static_cast<float>(q.r2);
    return 6;
}

int FitLogarithmic(int start, int end, int n, const float* x, const float* y, float* fit, float* result)
{
    const int count = RangeCount(start, end);
    if (count < 3)
        return TooFewPoints(3, count);
    if (!RangeInside(start, end, n))
        return kStatusNoResult;

    const int first = FirstKept(start, end, x, y, kPositiveX);
    if (first == end)
        return TooFewPoints(3, 0);
    LineSums line(std::log(static_cast<double>(x[first])), y[first]);
    for (int i = first; i < end; ++i) {
        if (x[i] > 0)
            line.Add(std::log(static_cast<double>(x[i])), y[i]);
    }
    if (line.Count() < 3)
        return TooFewPoints(3, static_cast<int>(line.Count()));
    if (!line.Solve())
        return kStatusZeroDenominator;

    const double a = line.Intercept();
    const double b = line.Slope();
    // At x = 0 the curve is drawn at x = 1e-10 instead of at minus infinity.
    const auto model = [a, b](double xi) { return a + b * std::log(xi == 0 ? 1e-10 : xi); };
    WriteModel(n, x, fit, model);
    const FitQuality q = MeasureFit(start, end, x, y, model, kPositiveX);

    result[0] = static_cast<float>(count);
    result[1] = static_cast<float>(a);
    result[2] = static_cast<float>(b);
    result[3] = static_cast<float>(q.r2);
    result[4] = static_cast<float>(q.Rms());
    return 5;
}

} // namespace numeric
