#pragma once

// The calling shape shared by every routine of the numerical library.
//
// Each routine takes a half-open index range [start, end) of series of n floats, fills a
// caller-supplied curve array of n floats and a FitResult array, and returns an int status:
// 1..255 is the number of floats written into the FitResult; anything else is one of the codes
// below. Callers decode the high byte into their message, so the coding never changes.

#include <algorithm>
#include <cstdint>

namespace numeric {

// Every FitResult is at least this many floats (the order-13 polynomial is the longest layout).
inline constexpr int kFitResultLength = 18;

// A denominator of the solution is exactly zero, or a result came out non-finite.
inline constexpr int kStatusZeroDenominator = 0xFF00;
// No usable point for the weighted exponential step, or a range that does not lie inside the
// arrays (with its neighbours, for the integral).
inline constexpr int kStatusNoResult = 0;
// High byte of the oscillation fit's "too few peaks" status.
inline constexpr int kStatusFewPeaks = 0x6400;

// Number of points in [start, end); a reversed range counts as empty.
inline int RangeCount(int start, int end)
{
    const std::int64_t count = static_cast<std::int64_t>(end) - start;
    return static_cast<int>(std::clamp<std::int64_t>(count, 0, INT32_MAX));
}

// (minimum << 8) | count: the routine needs `minimum` points and got `count`.
inline int TooFewPoints(int minimum, int count)
{
    return static_cast<int>((static_cast<std::uint32_t>(minimum) << 8) | static_cast<std::uint32_t>(count));
}

// base raised to an integer power by repeated squaring; a negative exponent gives the reciprocal.
float IPow(float base, int exponent);
double IPow(double base, int exponent);

} // namespace numeric
