#include "numeric/SampleAnalysis.h"

#include "numeric/FitSupport.h"

#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>

namespace numeric {

namespace {

struct TRow {
    int df;
    double t;
};

// One-sided 95% points of Student's t distribution.
constexpr TRow kTTable[] = {
    {5, 2.015},  {6, 1.943},  {7, 1.895},  {8, 1.860},  {9, 1.833},   {10, 1.812},  {11, 1.796},
    {12, 1.782}, {13, 1.771}, {14, 1.761}, {15, 1.753}, {16, 1.746},  {17, 1.740},  {18, 1.734},
    {19, 1.729}, {20, 1.725}, {21, 1.721}, {22, 1.717}, {23, 1.714},  {24, 1.711},  {25, 1.708},
    {26, 1.706}, {27, 1.703}, {28, 1.701}, {29, 1.699}, {30, 1.697},  {40, 1.684},  {50, 1.676},
    {60, 1.671}, {80, 1.664}, {100, 1.660}, {120, 1.658}, {500, 1.645},
};

// The total of a window of samples. Samples that are not finite are counted, not added, so that
// one of them spoils only the windows that hold it.
class WindowTotal {
public:
    void Adjust(float v, int sign)
    {
        if (std::isnan(v))
            notNumbers_ += sign;
        else if (v == std::numeric_limits<float>::infinity())
            positiveInfinities_ += sign;
        else if (v == -std::numeric_limits<float>::infinity())
            negativeInfinities_ += sign;
        else
            finite_ += sign * static_cast<double>(v);
    }

    double Value() const
    {
        if (notNumbers_ > 0 || (positiveInfinities_ > 0 && negativeInfinities_ > 0))
            return std::numeric_limits<double>::quiet_NaN();
        if (positiveInfinities_ > 0)
            return std::numeric_limits<double>::infinity();
        if (negativeInfinities_ > 0)
            return -std::numeric_limits<double>::infinity();
        return finite_;
    }

private:
    double finite_ = 0;
    int notNumbers_ = 0;
    int positiveInfinities_ = 0;
    int negativeInfinities_ = 0;
};

// The widest window whose "too few points" status is still a positive int above 255.
constexpr int kWidestReportedWindow = 0x7FFFFF;

} // namespace

double OneSidedT95(int df)
{
    double t = 0;
    for (const TRow& row : kTTable) {
        if (row.df > df)
            break;
        t = row.t;
    }
    return t;
}

int ConfidenceStats(int start, int end, int n, const float* /*x*/, const float* y, float* curve, float* result)
{
    const int count = RangeCount(start, end);
    if (count < 3)
        return TooFewPoints(3, count);
    if (!detail::RangeInside(start, end, n))
        return kStatusNoResult;

    float lowest = y[start];
    float highest = y[start];
    double sum = 0, sumSquares = 0;
    for (int i = start; i < end; ++i) {
        const float v = y[i];
        lowest = std::min(lowest, v);
        highest = std::max(highest, v);
        sum += v;
        sumSquares += static_cast<double>(v) * v;
    }
    const double nPoints = count;
    const double mean = highest == lowest ? static_cast<double>(lowest) : sum / nPoints;

    // Deviations about the mean (with the rounding of the mean corrected), not N*Syy - Sy^2:
    // readings of 299.85 +- 0.08 leave no digits for the one-pass form.
    double deviation = 0, deviationSquares = 0;
    for (int i = start; i < end; ++i) {
        const double dv = y[i] - mean;
        deviation += dv;
        deviationSquares += dv * dv;
    }
    const double variance = (deviationSquares - deviation * deviation / nPoints) / (nPoints - 1);
    const double sd = std::sqrt(std::fabs(variance));
    const double root = std::sqrt(nPoints);
    const double halfWidth = OneSidedT95(count - 1) * sd / root;

    detail::Fill(n, curve, mean);
    const double values[9] = {nPoints, lowest, highest, static_cast<double>(highest) - lowest, mean,
                              halfWidth, sd, sd / root, std::sqrt(sumSquares / nPoints)};
    for (int i = 0; i < 9; ++i)
        result[i] = static_cast<float>(values[i]);
    return 9;
}

int CompareTwoSeries(int start, int end, int n, const float* /*x1*/, const float* y1, const float* /*x2*/,
                     const float* y2, float* curve, float* result)
{
    const int count = RangeCount(start, end);
    if (count < 3)
        return TooFewPoints(3, count);
    if (!detail::RangeInside(start, end, n))
        return kStatusNoResult;

    double sum1 = 0, sum2 = 0;
    for (int i = start; i < end; ++i) {
        sum1 += y1[i];
        sum2 += y2[i];
    }
    const double mean1 = sum1 / count;
    const double mean2 = sum2 / count;
    const double difference = std::fabs(mean1 - mean2);
    // The difference in percent of the larger mean; a larger mean of 0 gives 0 %.
    const double larger = mean1 <= mean2 ? mean2 : mean1;
    const double percent = larger == 0 ? 0.0 : difference / larger * 100.0;

    detail::Fill(n, curve, difference);
    result[ComparisonResult::kCount] = static_cast<float>(count);
    result[ComparisonResult::kMean1] = static_cast<float>(mean1);
    result[ComparisonResult::kMean2] = static_cast<float>(mean2);
    result[ComparisonResult::kDifference] = static_cast<float>(difference);
    result[ComparisonResult::kDifferencePercent] = static_cast<float>(percent);
    return 5;
}

int WindowSum(int start, int end, int n, int w, const float* /*unused*/, const float* y, float* out, float* length)
{
    if (w < 1)
        return kStatusZeroDenominator;
    const int count = RangeCount(start, end);
    // A window too wide to shift into the status is reported as the widest that fits: a
    // wrapped shift could read as a success.
    if (count < w)
        return TooFewPoints(std::min(w, kWidestReportedWindow), count);
    if (!detail::RangeInside(start, end, n))
        return kStatusNoResult;

    if (out != y) {
        for (int i = 0; i < n; ++i)
            out[i] = y[i];
    }
    // A sliding sum, taken afresh every w steps so that the rounding left by large samples that
    // have passed does not stay in it. Each sample leaving the window is read before its slot
    // is overwritten, so out may be y itself.
    WindowTotal window;
    for (int k = 0; k < count - w; ++k) {
        if (k % w == 0) {
            window = {};
            for (int j = 0; j < w; ++j)
                window.Adjust(y[start + k + j], 1);
        }
        const float leaving = y[start + k];
        out[start + k] = static_cast<float>(window.Value());
        window.Adjust(y[start + k + w], 1);
        window.Adjust(leaving, -1);
    }
    *length = static_cast<float>(count);
    return 1;
}

} // namespace numeric
