#include "numeric/CurveFits.h"

#include "numeric/FitSupport.h"
#include "numeric/LineFits.h"
#include "numeric/WeightedLogSums.h"

#include <cmath>

namespace numeric {

using detail::AllFinite;
using detail::FitQuality;
using detail::LineSums;
using detail::RangeInside;
using detail::WeightedLogSums;
using detail::WriteAndMeasure;

namespace {

// Least-squares line through (u(x), v(y)) over the points of the range that `keep` accepts.
// Returns 1, too few points (of those kept) or a zero denominator.
template <typename Keep, typename U, typename V>
int SolveLine(int start, int end, const float* x, const float* y, const Keep& keep, const U& u, const V& v,
              LineSums& line)
{
    int first = start;
    while (first < end && !keep(x[first], y[first]))
        ++first;
    if (first == end)
        return TooFewPoints(3, 0);
    line = LineSums(u(x[first]), v(y[first]));
    for (int i = first; i < end; ++i) {
        if (keep(x[i], y[i]))
            line.Add(u(x[i]), v(y[i]));
    }
    if (line.Count() < 3)
        return TooFewPoints(3, static_cast<int>(line.Count()));
    return line.Solve() ? 1 : kStatusZeroDenominator;
}

const auto kSame = [](double v) { return v; };
const auto kLog = [](double v) { return std::log(v); };

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

    const detail::CentredLine line = detail::FitCentredLine(start, end, x, y);
    if (line.sxx == 0 || !AllFinite({line.slope, line.Intercept()}))
        return kStatusZeroDenominator;

    FitQuality q;
    q.sse = detail::WriteModelAndResiduals(start, end, n, x, y, fit, [&line](double xi) { return line.At(xi); });
    q.count = count;
    q.xbar = line.xbar;
    q.sxx = line.sxx;
    q.r2 = line.R2();

    result[LinearResult::kCount] = static_cast<float>(count);
    result[LinearResult::kA] = static_cast<float>(line.slope);
    result[LinearResult::kB] = static_cast<float>(line.Intercept());
    result[LinearResult::kErrorA] = static_cast<float>(q.SlopeError());
    result[LinearResult::kErrorB] = static_cast<float>(q.InterceptError());
    result[LinearResult::kR2] = static_cast<float>(q.r2);
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
    int first = start;
    while (first < end && !(y[first] > 0))
        ++first;
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
    const FitQuality q = WriteAndMeasure(start, end, n, x, y, fit, model, kPositiveY);
    if (q.sxx == 0)
        return kStatusZeroDenominator;

    result[ExponentialResult::kCount] = static_cast<float>(count);
    result[ExponentialResult::kA] = static_cast<float>(a);
    result[ExponentialResult::kB] = static_cast<float>(b);
    result[ExponentialResult::kErrorB] = static_cast<float>(q.SlopeError());
    result[ExponentialResult::kErrorA] = static_cast<float>(q.InterceptError());
    result[ExponentialResult::kR2] = static_cast<float>(q.r2);
    return 6;
}

int FitPower(int start, int end, int n, const float* x, const float* y, float* fit, float* result)
{
    const int count = RangeCount(start, end);
    if (count < 3)
        return TooFewPoints(3, count);
    if (!RangeInside(start, end, n))
        return kStatusNoResult;

    LineSums line;
    if (const int status = SolveLine(start, end, x, y, kPositiveXY, kLog, kLog, line); status != 1)
        return status;

    const double b = line.Slope();
    const double a = std::exp(line.Intercept());
    if (!AllFinite({a, b}))
        return kStatusZeroDenominator;

    const auto model = [a, b](double xi) { return a * std::pow(xi, b); };
    const FitQuality q = WriteAndMeasure(start, end, n, x, y, fit, model, kPositiveXY);
    if (q.sxx == 0)
        return kStatusZeroDenominator;

    result[PowerResult::kCount] = static_cast<float>(count);
    result[PowerResult::kA] = static_cast<float>(a);
    result[PowerResult::kB] = static_cast<float>(b);
    result[PowerResult::kErrorA] = static_cast<float>(q.InterceptError());
    result[PowerResult::kErrorB] = static_cast<float>(q.SlopeError());
    result[PowerResult::kR2] = static_cast<float>(q.r2);
    return 6;
}

int FitLogarithmic(int start, int end, int n, const float* x, const float* y, float* fit, float* result)
{
    const int count = RangeCount(start, end);
    if (count < 3)
        return TooFewPoints(3, count);
    if (!RangeInside(start, end, n))
        return kStatusNoResult;

    LineSums line;
    if (const int status = SolveLine(start, end, x, y, kPositiveX, kLog, kSame, line); status != 1)
        return status;

    const double a = line.Intercept();
    const double b = line.Slope();
    // At x = 0 the curve is drawn at x = 1e-10 instead of at minus infinity.
    const auto model = [a, b](double xi) { return a + b * std::log(xi == 0 ? 1e-10 : xi); };
    const FitQuality q = WriteAndMeasure(start, end, n, x, y, fit, model, kPositiveX);

    result[LogarithmicResult::kCount] = static_cast<float>(count);
    result[LogarithmicResult::kA] = static_cast<float>(a);
    result[LogarithmicResult::kB] = static_cast<float>(b);
    result[LogarithmicResult::kR2] = static_cast<float>(q.r2);
    result[LogarithmicResult::kRms] = static_cast<float>(q.Rms());
    return 5;
}

} // namespace numeric
