#include "numeric/FitResult.h"

namespace numeric {

namespace {

template <typename Real>
Real RaiseToInteger(Real base, int exponent)
{
    // The magnitude is taken unsigned so that INT_MIN does not overflow.
    std::uint32_t bits = exponent < 0 ? 0u - static_cast<std::uint32_t>(exponent) : static_cast<std::uint32_t>(exponent);
    Real result = 1;
    Real square = base;
    while (bits != 0) {
        if ((bits & 1u) != 0)
            result *= square;
        bits >>= 1;
        if (bits != 0)
            square *= square;
    }
    return exponent < 0 ? Real(1) / result : result;
}

} // namespace

float IPow(float base, int exponent) { return RaiseToInteger(base, exponent); }
double IPow(double base, int exponent) { return RaiseToInteger(base, exponent); }

} // namespace numeric
