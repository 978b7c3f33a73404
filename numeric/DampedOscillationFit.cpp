#include "numeric/CurveFits.h"

#include "numeric/FitSupport.h"
#include "numeric/WeightedLogSums.h"

#include <array>
#include <cmath>

namespace numeric {

namespace {

constexpr int kMaxPeaks = 100;
// The angular frequency has always been 6.283184 times f; stored projects were scaled with it.
constexpr double kTwoPi = 6.283184;

struct Extremum {
    double value = 0;
    double x = 0;
};

// Upper and lower extrema of the range, as the last point of each rising or falling run.
struct Extrema {
    std::array<Extremum, kMaxPeaks> upper{};
    // A range that starts on a falling run closes one lower extremum before its first peak.
    std::array<Extremum, kMaxPeaks + 1> lower{};
    int peaks = 0;
};

Extrema FindExtrema(int start, int end, const float* x, const float* y)
{
    enum class Run { None, Rising, Falling };
    Extrema found;
    int troughs = 0;
    Run run = Run::None;
    for (int i = start + 1; i <= end - 1 && found.peaks < kMaxPeaks; ++i) {
        const float before = y[i - 1];
        const float here = y[i];
        const float after = y[i + 1];
        if (before < here && here < after) {
            found.upper[found.peaks] = {after, x[i + 1]};
            if (run == Run::Falling)
                ++troughs;
            run = Run::Rising;
        } else if (before > here && here > after) {
            if (troughs <= kMaxPeaks)
                found.lower[troughs] = {after, x[i + 1]};
            if (run == Run::Rising)
                ++found.peaks;
            run = Run::Falling;
        }
    }
    return found;
}

} // namespace

int FitDampedOscillation(int start, int end, int n, const float* x, const float* y, float* fit, float* result)
{
    const int count = RangeCount(start, end);
    if (count < 3)
        return TooFewPoints(3, count);
    // The peak search reads y[end].
    if (start < 0 || end >= n)
        return kStatusNoResult;

    Extrema ex = FindExtrema(start, end, x, y);
    const int k = ex.peaks;
    if (k < 10)
        return kStatusFewPeaks | k;
    auto& up = ex.upper;
    const auto& low = ex.lower;

    // Period from the mean peak spacing; frequency from the spacings near that period, so that a
    // missed or doubled peak does not pull it.
    detail::Mean spacing;
    for (int j = 1; j <= k - 2; ++j)
        spacing.Add(std::fabs(up[j + 1].x - up[j].x));
    const double period = spacing.Value();
    if (period == 0)
        return kStatusZeroDenominator;
    detail::Mean frequency;
    for (int j = 1; j <= k - 2; ++j) {
        const double d = std::fabs(up[j + 1].x - up[j].x);
        if (d != 0 && std::fabs(d - period) < 0.1)
            frequency.Add(1.0 / d);
    }
    const double f = frequency.Empty() ? 1.0 / period : frequency.Value();

    detail::Mean centre;
    for (int j = 1; j <= k - 3; ++j)
        centre.Add(low[j].value + (up[j].value - low[j].value) / 2);
    const double m = centre.Value();
    const double x0 = up[0].x;
    for (int j = 0; j < k; ++j) {
        up[j].value -= m;
        up[j].x -= x0;
    }

    // The envelope through the peaks: the same one-shot steps as the offset exponential fit.
    detail::Mean rate;
    for (int j = 1; j <= k - 5; ++j) {
        const double d2 = up[j + 4].x - up[j + 2].x;
        const double d1 = up[j + 2].x - up[j].x;
        const double span = up[j + 4].x - up[j].x;
        if (d1 == 0 || d2 == 0 || span == 0)
            continue;
        const double g2 = (up[j + 4].value - up[j + 2].value) / d2;
        const double g1 = (up[j + 2].value - up[j].value) / d1;
        if (g1 != 0 && g2 / g1 > 0)
            rate.Add(2.0 * std::log(g2 / g1) / span);
    }
    const double b0 = rate.Value();
    detail::Mean amplitude;
    for (int j = 1; j <= k - 3; ++j) {
        const double e = std::exp(b0 * up[j + 1].x) - std::exp(b0 * up[j].x);
        if (e != 0)
            amplitude.Add((up[j + 1].value - up[j].value) / e);
    }
    const double c0 = up[0].value - amplitude.Value();
    detail::WeightedLogSums sums;
    for (int j = 1; j <= k - 3; ++j)
        sums.Add(up[j].x, up[j].value - c0);
    if (!sums.Solve())
        return kStatusZeroDenominator;
    const double a = std::exp(sums.LogAmplitude());
    const double b = sums.Rate();
    const double c = up[0].value - a;
    if (!detail::AllFinite({a, b, c, f, m}))
        return kStatusZeroDenominator;

    const double gamma = -b;
    const double w = kTwoPi * f;
    const double w0Squared = gamma * gamma + w * w;
    const double w0 = std::sqrt(w0Squared);
    const double f0 = w0 / kTwoPi;
    const double q = gamma == 0 ? 0.0 : w / (2 * gamma);
    const double kFactor = w0Squared == 0 ? 0.0 : 2 * gamma / w0Squared;
    const double wSquared = w0Squared - gamma * gamma;

    const auto model = [=](double xi) {
        const double t = xi - x0;
        return std::cos(w * t) * (a * std::exp(b * t) + c) + m;
    };
    // Outside the range only the centre line is drawn.
    detail::Fill(n, fit, m);
    const detail::FitQuality quality = detail::WriteAndMeasure(0, count, count, x + start, y + start, fit + start, model);

    const double values[13] = {static_cast<double>(k), f0, f, gamma, q, wSquared, kFactor, m,
                               quality.r2, quality.Rms(), a, b, c};
    for (int i = 0; i < 13; ++i)
        result[i] = static_cast<float>(values[i]);
    return 13;
}

} // namespace numeric
