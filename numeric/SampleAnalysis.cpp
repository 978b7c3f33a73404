#include "numeric/SampleAnalysis.h"

#include "numeric/FitSupport.h"
#include "numeric/LineFits.h"

#include <cstdint>

namespace numeric {

namespace {

// Sum over panels of `width` intervals starting at start, start + width, ...: each panel adds
// the weighted samples i .. i + width. The caller scales the sum by h / divisor.
template <int Width>
double PanelSum(int start, int count, const float* y, const double (&weights)[Width + 1])
{
    const int panels = (count - 1) / Width;
    double sum = 0;
    for (int p = 0; p < panels; ++p) {
        const int i = start + Width * p;
        double panel = 0;
        for (int k = 0; k <= Width; ++k)
            panel += weights[k] * y[i + k];
        sum += panel;
    }
    return sum;
}

} // namespace

int IntegrateSamples(int start, int end, int n, int method, const float* x, const float* y, float* curve,
                     float* result)
{
    const int count = RangeCount(start, end);
    if (count < 4)
        return TooFewPoints(4, count);
    // The rules read one sample before the range and two after it.
    if (start < 1 || static_cast<std::int64_t>(end) + 2 > n)
        return kStatusNoResult;
    const double h = static_cast<double>(x[1]) - x[0];
    if (h == 0)
        return kStatusZeroDenominator;

    detail::Fill(n, curve, 0.0);
    double integral = 0;
    switch (method) {
    case 0: {
        // Running integral with weights 1, 2, 2, 1 over 6 around each step.
        double running = 0;
        for (int j = start; j < end; ++j) {
            running += static_cast<double>(y[j - 1]) + 2.0 * y[j] + 2.0 * y[j + 1] + y[j + 2];
            curve[j] = static_cast<float>(h * running / 6.0);
        }
        integral = h * running / 6.0;
        for (int i = 0; i < start; ++i)
            curve[i] = curve[start];
        detail::Fill(n - end, curve + end, integral);
        break;
    }
    case 1: {
        // Trapezoid over the intervals from start - 1 to end - 1.
        double sum = 0;
        for (int j = start; j < end; ++j)
            sum += static_cast<double>(y[j - 1]) + y[j];
        integral = h * sum / 2.0;
        break;
    }
    case 2: {
        for (int i = 0; i < n; ++i)
            curve[i] = y[i];
        integral = h * PanelSum<2>(start, count, y, {1, 4, 1}) / 3.0;
        break;
    }
    case 3:
        integral = h * PanelSum<3>(start, count, y, {3, 9, 9, 3}) / 8.0;
        break;
    case 4:
        integral = h * PanelSum<4>(start, count, y, {14, 64, 24, 64, 14}) / 45.0;
        break;
    default:
        break;
    }

    result[IntegralResult::kCount] = static_cast<float>(count);
    result[IntegralResult::kIntegral] = static_cast<float>(integral);
    return 2;
}

int DifferentiateSamples(int start, int end, int n, int method, const float* x, const float* y, float* d,
                         float* result)
{
    const int count = RangeCount(start, end);
    if (count < 3)
        return TooFewPoints(3, count);
    if (!detail::RangeInside(start, end, n))
        return kStatusNoResult;
    const double h = static_cast<double>(x[1]) - x[0];
    if (h == 0)
        return kStatusZeroDenominator;

    // One-sided differences at the two ends of the series, central ones between.
    d[0] = static_cast<float>((static_cast<double>(y[1]) - y[0]) / h);
    for (int i = 1; i < n - 1; ++i)
        d[i] = static_cast<float>((static_cast<double>(y[i + 1]) - y[i - 1]) / (2.0 * h));
    d[n - 1] = static_cast<float>((static_cast<double>(y[n - 1]) - y[n - 2]) / h);

    float largest = d[start];
    float smallest = d[start];
    for (int i = start + 1; i < end; ++i) {
        largest = std::max(largest, d[i]);
        smallest = std::min(smallest, d[i]);
    }
    result[DerivativeResult::kCount] = static_cast<float>(count);
    result[DerivativeResult::kMax] = largest;
    result[DerivativeResult::kMin] = smallest;
    if (method != 1 && method != 2)
        return 3;

    const detail::CentredLine line = detail::FitCentredLine(start, end, x, d);
    if (line.sxx == 0 || !detail::AllFinite({line.slope, line.Intercept()}))
        return kStatusZeroDenominator;

    if (method == 2) {
        // A constant second derivative: the slope of the derivative everywhere.
        detail::Fill(n, d, line.slope);
        result[DerivativeResult::kSecondDerivative] = static_cast<float>(line.slope);
        return 4;
    }

    // The line replaces the derivative at every index.
    const double sse = detail::WriteModelAndResiduals(start, end, n, x, d, d, [&line](double xi) { return line.At(xi); });
    result[DerivativeResult::kSlope] = static_cast<float>(line.slope);
    result[DerivativeResult::kIntercept] = static_cast<float>(line.Intercept());
    result[DerivativeResult::kR2] = static_cast<float>(line.R2());
    result[DerivativeResult::kRms] = static_cast<float>(std::sqrt(sse / count));
    return 7;
}

} // namespace numeric
