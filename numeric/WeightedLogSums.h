#pragma once

// The weighted log-linear step of the exponential fits; not part of the library's interface.

#include <cmath>
#include <cstdint>

namespace numeric::detail {

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

} // namespace numeric::detail
