#pragma once

// Building blocks shared by the routines of the numerical library; not part of its interface.
//
// Inputs and outputs are float, but every sum, coefficient and model value is held in double:
// in float the textbook formulas lose most of their digits on ordinary recorded runs (a million
// points, or time offsets of a few hundred seconds).

#include "numeric/FitResult.h"

#include <cmath>
#include <cstdint>
#include <initializer_list>

namespace numeric::detail {

// True when [start, end) lies inside arrays of n entries.
inline bool RangeInside(int start, int end, int n) { return start >= 0 && start <= end && end <= n; }

// True when every value is finite once stored as a float, as the FitResult holds it.
inline bool AllFinite(std::initializer_list<double> values)
{
    for (double v : values) {
        if (!std::isfinite(static_cast<float>(v)))
            return false;
    }
    return true;
}

// Mean of the finite terms handed to Add; 0 when there were none.
class Mean {
public:
    void Add(double term)
    {
        if (std::isfinite(term)) {
            sum_ += term;
            count_ += 1;
        }
    }
    bool Empty() const { return count_ == 0; }
    double Value() const { return count_ > 0 ? sum_ / count_ : 0.0; }

private:
    double sum_ = 0;
    double count_ = 0;
};

// Squared correlation from the cross sum and the two sums of squared deviations; 0 when either
// side has no spread.
inline double SquaredCorrelation(double cross, double squares1, double squares2)
{
    const double root = std::sqrt(squares1) * std::sqrt(squares2);
    if (!(root > 0) || !std::isfinite(root))
        return 0;
    const double r = cross / root;
    return r * r;
}

// How well a model matches the data over the points of a range that a fit used.
struct FitQuality {
    double count = 0;
    double sse = 0;  // sum of (y - model)^2
    double xbar = 0; // mean of x
    double sxx = 0;  // sum of (x - xbar)^2
    double r2 = 0;   // squared correlation of y and the model

    double Rms() const { return count > 0 ? std::sqrt(sse / count) : 0.0; }
    // s^2 = sse / (count - 2) and the standard errors of a straight line's slope and intercept.
    double S() const { return count > 2 ? std::sqrt(sse / (count - 2)) : 0.0; }
    double SlopeError() const { return S() / std::sqrt(sxx); }
    double InterceptError() const { return S() * std::sqrt(1.0 / count + xbar * xbar / sxx); }
};

struct KeepAll {
    bool operator()(double, double) const { return true; }
};

// Writes the model at all n indexes and returns the sum of squared residuals over the range.
// y may be the curve itself: each y is read before its slot is overwritten.
template <typename Model>
double WriteModelAndResiduals(int start, int end, int n, const float* x, const float* y, float* curve, const Model& model)
{
    double sse = 0;
    for (int i = 0; i < n; ++i) {
        const double m = model(static_cast<double>(x[i]));
        if (i >= start && i < end) {
            const double r = y[i] - m;
            sse += r * r;
        }
        curve[i] = static_cast<float>(m);
    }
    return sse;
}

// Writes the model at all n indexes and measures it against the range's kept points: the sums
// of the first pass ride along with the writing, the deviations about the means (which keep r^2
// and Sxx accurate when the data sit far from zero) take a second pass.
template <typename Model, typename Keep = KeepAll>
FitQuality WriteAndMeasure(int start, int end, int n, const float* x, const float* y, float* curve, const Model& model,
                           const Keep& keep = {})
{
    for (int i = 0; i < start; ++i)
        curve[i] = static_cast<float>(model(static_cast<double>(x[i])));
    double count = 0, sy = 0, sm = 0, sx = 0, sse = 0;
    for (int i = start; i < end; ++i) {
        const double xi = x[i];
        const double yi = y[i];
        const double m = model(xi);
        curve[i] = static_cast<float>(m);
        if (!keep(xi, yi))
            continue;
        const double r = yi - m;
        count += 1;
        sy += yi;
        sm += m;
        sx += xi;
        sse += r * r;
    }
    for (int i = end; i < n; ++i)
        curve[i] = static_cast<float>(model(static_cast<double>(x[i])));

    FitQuality q;
    q.count = count;
    q.sse = sse;
    if (count == 0)
        return q;
    const double ybar = sy / count;
    const double mbar = sm / count;
    q.xbar = sx / count;
    double syy = 0, smm = 0, sym = 0, sxx = 0;
    for (int i = start; i < end; ++i) {
        const double xi = x[i];
        const double yi = y[i];
        if (!keep(xi, yi))
            continue;
        const double dy = yi - ybar;
        const double dm = model(xi) - mbar;
        const double dx = xi - q.xbar;
        syy += dy * dy;
        smm += dm * dm;
        sym += dy * dm;
        sxx += dx * dx;
    }
    q.sxx = sxx;
    q.r2 = SquaredCorrelation(sym, syy, smm);
    return q;
}

inline void Fill(int n, float* curve, double value)
{
    const float v = static_cast<float>(value);
    for (int i = 0; i < n; ++i)
        curve[i] = v;
}

} // namespace numeric::detail
