#pragma once

// Least-squares straight lines for the numerical library; not part of its interface.

#include "numeric/FitSupport.h"

#include <cstdint>

namespace numeric::detail {

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

} // namespace numeric::detail
