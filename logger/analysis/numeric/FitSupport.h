#pragma once

// Building blocks shared by the routines of the numerical library; not part of its interface.
//
// Inputs and outputs are float, but every sum, coefficient and model value is held in double:
// in float the textbook formulas lose most of their digits on ordinary recorded runs (a million
// points, or time offsets of a few hundred seconds).

#include "logger/analysis/numeric/FitResult.h"

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

// Least-squares line v = slope*u + intercept from sums taken about the first point, so that a
// large common offset in u or v (a run that starts at t = 1000 s) does not cancel the digits of
// N*Suu - Su^2.
class LineSums {
public:
    LineSums() = default;
    LineSums(double u0, double v0) : u0_(u0), v0_(v0) {}

    void Add(double u, double v)
    {
        const double du = u - u0_;
        const double dv = v - v0_;
        su_ += du;
        sv_ += dv;
        suu_ += du * du;
        suv_ += du * dv;
        count_ += 1;
    }

    std::int64_t Count() const { return count_; }

    // False when the denominator is exactly zero (all u equal) or the line is not finite.
    bool Solve()
    {
        const double n = static_cast<double>(count_);
        const double d = n * suu_ - su_ * su_;
        if (d == 0)
            return false;
        slope_ = (n * suv_ - su_ * sv_) / d;
        offset_ = (sv_ * suu_ - su_ * suv_) / d;
        return AllFinite({slope_, Intercept()});
    }

    double Slope() const { return slope_; }
    double Intercept() const { return v0_ + offset_ - slope_ * u0_; }
    double At(double u) const { return v0_ + offset_ + slope_ * (u - u0_); }

private:
    double u0_ = 0;
    double v0_ = 0;
    double su_ = 0;
    double sv_ = 0;
    double suu_ = 0;
    double suv_ = 0;
    std::int64_t count_ = 0;
    double slope_ = 0;
    double offset_ = 0;
};

// Least squares of ln z against X weighted by z, for z = a*exp(b*X): sums of z, X*z, X^2*z,
// z*ln z and X*z*ln z. Points with z <= 0 or a non-finite term are left out.
class WeightedLogSums {
public:
    void Add(double x, double z)
    {
        if (!(z > 0) || !std::isfinite(z) || !std::isfinite(x))
            return;
        const double zlnz = z * std::log(z);
        const double xz = x * z;
        const double x2z = x * xz;
        const double xzlnz = x * zlnz;
        if (!std::isfinite(x2z) || !std::isfinite(xzlnz))
            return;
        sz_ += z;
        sxz_ += xz;
        sx2z_ += x2z;
        szlnz_ += zlnz;
        sxzlnz_ += xzlnz;
        count_ += 1;
    }

    std::int64_t Count() const { return count_; }

    // False when the denominator is exactly zero or the solution is not finite.
    bool Solve()
    {
        const double d = sz_ * sx2z_ - sxz_ * sxz_;
        if (d == 0)
            return false;
        logAmplitude_ = (sx2z_ * szlnz_ - sxz_ * sxzlnz_) / d;
        rate_ = (sz_ * sxzlnz_ - sxz_ * szlnz_) / d;
        return std::isfinite(logAmplitude_) && std::isfinite(rate_);
    }

    double LogAmplitude() const { return logAmplitude_; }
    double Rate() const { return rate_; }

private:
    double sz_ = 0;
    double sxz_ = 0;
    double sx2z_ = 0;
    double szlnz_ = 0;
    double sxzlnz_ = 0;
    std::int64_t count_ = 0;
    double logAmplitude_ = 0;
    double rate_ = 0;
};

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

// Straight line from sums about the means (two passes): the least-squares line of
// (N*Sxy - Sx*Sy) / (N*Sxx - Sx^2), without the cancellation in those differences.
struct CentredLine {
    double count = 0;
    double xbar = 0;
    double ybar = 0;
    double sxx = 0;
    double syy = 0;
    double sxy = 0;
    double slope = 0;

    double Intercept() const { return ybar - slope * xbar; }
    double At(double x) const { return ybar + slope * (x - xbar); }
    // Squared correlation of y and the line: 0 when either has no spread.
    double R2() const { return slope == 0 ? 0.0 : SquaredCorrelation(sxy, sxx, syy); }
};

inline CentredLine FitCentredLine(int start, int end, const float* x, const float* y)
{
    CentredLine line;
    double sx = 0, sy = 0;
    for (int i = start; i < end; ++i) {
        sx += x[i];
        sy += y[i];
    }
    line.count = end - start;
    line.xbar = sx / line.count;
    line.ybar = sy / line.count;
    double sxx = 0, syy = 0, sxy = 0;
    for (int i = start; i < end; ++i) {
        const double dx = x[i] - line.xbar;
        const double dy = y[i] - line.ybar;
        sxx += dx * dx;
        syy += dy * dy;
        sxy += dx * dy;
    }
    line.sxx = sxx;
    line.syy = syy;
    line.sxy = sxy;
    line.slope = sxx == 0 ? 0.0 : sxy / sxx;
    return line;
}

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
