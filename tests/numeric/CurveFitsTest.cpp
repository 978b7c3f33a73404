#include "SeriesFixture.h"

#include "logger/analysis/numeric/CurveFits.h"
#include "logger/analysis/numeric/FitSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <new>

// Allocation failure on demand: the array forms of operator new and delete are replaced for
// this test program, so that the polynomial fit's scratch allocation can be made to fail.
namespace {
bool g_failArrayAllocations = false;
} // namespace

void* operator new[](std::size_t size)
{
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return g_failArrayAllocations ? nullptr : std::malloc(size == 0 ? 1 : size);
}
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace numeric::testing {
namespace {

using FitFunction = int (*)(int, int, int, const float*, const float*, float*, float*);

struct NamedFit {
    const char* name;
    FitFunction fit;
};

int FitCubic(int start, int end, int n, const float* x, const float* y, float* fit, float* result)
{
    return FitPolynomial(start, end, n, 3, x, y, fit, result);
}

const NamedFit kMinimumThreeFits[] = {
    {"linear", FitLinear},   {"exponential", FitExponential}, {"power", FitPower},
    {"logarithmic", FitLogarithmic}, {"cubic", FitCubic},     {"quadratic", FitQuadratic},
    {"oscillation", FitDampedOscillation},
};

const NamedFit kOffsetFits[] = {{"offset", FitExponentialOffset}, {"shift", FitExponentialShift}};

double Decay(double x) { return 5.0 * std::exp(-0.7 * x) + 2.0; }

TEST(CurveFitStatus, TooFewPointsLeaveBothOutputsAlone)
{
    for (const NamedFit& f : kMinimumThreeFits) {
        SampledSeries s(20, 1.0, 0.5, [](double x) { return 2.0 * x + 1.0; });
        EXPECT_EQ(f.fit(4, 6, s.n(), s.x.data(), s.y.data(), s.curve.data(), s.result), 0x302) << f.name;
        // A reversed range counts as empty instead of putting a negative count in the status.
        EXPECT_EQ(f.fit(6, 4, s.n(), s.x.data(), s.y.data(), s.curve.data(), s.result), 0x300) << f.name;
        EXPECT_TRUE(s.Untouched()) << f.name;
    }
    for (const NamedFit& f : kOffsetFits) {
        SampledSeries s(20, 0.0, 0.5, Decay);
        EXPECT_EQ(f.fit(2, 11, s.n(), s.x.data(), s.y.data(), s.curve.data(), s.result), 0xA09) << f.name;
        EXPECT_EQ(f.fit(11, 2, s.n(), s.x.data(), s.y.data(), s.curve.data(), s.result), 0xA00) << f.name;
        EXPECT_TRUE(s.Untouched()) << f.name;
    }
}

TEST(CurveFitStatus, RangesOutsideTheArraysAreRefused)
{
    for (const NamedFit& f : kMinimumThreeFits) {
        SampledSeries s(10, 1.0, 1.0, [](double x) { return x * x; });
        EXPECT_EQ(f.fit(0, 12, s.n(), s.x.data(), s.y.data(), s.curve.data(), s.result), 0) << f.name;
        EXPECT_EQ(f.fit(-2, 8, s.n(), s.x.data(), s.y.data(), s.curve.data(), s.result), 0) << f.name;
    }
    // The offset and shift fits read y[end], so a range reaching the last sample is refused.
    for (const NamedFit& f : kOffsetFits) {
        SampledSeries s(30, 0.0, 0.2, Decay);
        EXPECT_EQ(f.fit(0, 30, s.n(), s.x.data(), s.y.data(), s.curve.data(), s.result), 0) << f.name;
        EXPECT_EQ(f.fit(0, 29, s.n(), s.x.data(), s.y.data(), s.curve.data(), s.result), f.name[0] == 'o' ? 6 : 7);
    }
}

TEST(CurveFitStatus, AllXEqualIsAZeroDenominator)
{
    SampledSeries s(10, 1.0, 0.0, [](double) { return 3.0; });
    for (int i = 0; i < s.n(); ++i)
        s.y[i] = 1.0f + static_cast<float>(i);
    EXPECT_EQ(FitLinear(0, 10, 10, s.x.data(), s.y.data(), s.curve.data(), s.result), 0xFF00);
    EXPECT_EQ(FitPower(0, 10, 10, s.x.data(), s.y.data(), s.curve.data(), s.result), 0xFF00);
    EXPECT_EQ(FitExponential(0, 10, 10, s.x.data(), s.y.data(), s.curve.data(), s.result), 0xFF00);
}

TEST(CurveFitStatus, NonFiniteCoefficientsAreNotASuccess)
{
    // A slope of 1e40 is finite in double but not as the float the result holds.
    const float x[3] = {0.0f, 1e-30f, 2e-30f};
    const float y[3] = {0.0f, 1e10f, 2e10f};
    float fit[3] = {};
    float result[kFitResultLength] = {};
    EXPECT_EQ(FitLinear(0, 3, 3, x, y, fit, result), 0xFF00);
}

TEST(CurveFitStatus, WeightedLogSumsRefuseDegenerateAndNonFinitePoints)
{
    detail::WeightedLogSums sums;
    sums.Add(0.0, std::nan(""));
    sums.Add(1.0, INFINITY);
    sums.Add(2.0, -1.0);
    EXPECT_EQ(sums.Count(), 0);
    EXPECT_FALSE(sums.Solve());
    sums.Add(1.0, 2.0); // one point: D is exactly zero
    EXPECT_FALSE(sums.Solve());
    sums.Add(2.0, 4.0);
    ASSERT_TRUE(sums.Solve());
    EXPECT_NEAR(sums.Rate(), std::log(2.0), 1e-12);
    EXPECT_NEAR(sums.LogAmplitude(), 0.0, 1e-12);
}

TEST(LinearFit, KeepsItsDigitsOnAMillionPointsFarFromZero)
{
    // x in [20, 25]: in single-precision sums this line came out with a slope of 2.2.
    const int n = 1 << 20;
    SampledSeries s(n, 20.0, 5.0 / n, [](double x) { return 3.0 * x - 4.0; });
    ASSERT_EQ(FitLinear(0, n, n, s.x.data(), s.y.data(), s.curve.data(), s.result), 6);
    EXPECT_EQ(s.result[0], static_cast<float>(n));
    EXPECT_NEAR(s.result[1], 3.0, 1e-6);
    EXPECT_NEAR(s.result[2], -4.0, 2e-5);
    EXPECT_NEAR(s.result[5], 1.0, 1e-7);
    EXPECT_LT(s.result[3], 1e-6);
}

TEST(LinearFit, DrawsTheLineOverTheWholeSeries)
{
    SampledSeries s(12, -3.0, 1.0, [](double x) { return 0.5 * x + 2.0 + (static_cast<int>(x) % 2 ? 0.1 : -0.1); });
    ASSERT_EQ(FitLinear(3, 9, s.n(), s.x.data(), s.y.data(), s.curve.data(), s.result), 6);
    const double a = s.result[1];
    const double b = s.result[2];
    for (int i = 0; i < s.n(); ++i)
        EXPECT_NEAR(s.curve[i], a * s.x[i] + b, 1e-5) << i;
}

TEST(LinearFit, NoSpreadGivesZeroRSquared)
{
    SampledSeries s(8, 0.0, 1.0, [](double) { return 7.5; });
    ASSERT_EQ(FitLinear(0, 8, 8, s.x.data(), s.y.data(), s.curve.data(), s.result), 6);
    EXPECT_EQ(s.result[1], 0.0f);
    EXPECT_FLOAT_EQ(s.result[2], 7.5f);
    EXPECT_EQ(s.result[5], 0.0f);
}

TEST(ExponentialFit, LeavesOutPointsWithoutALogarithm)
{
    SampledSeries s(30, 0.0, 0.2, [](double x) { return 2.0 * std::exp(0.5 * x); });
    s.y[0] = 0.0f;
    s.y[3] = -1.0f;
    ASSERT_EQ(FitExponential(0, 30, 30, s.x.data(), s.y.data(), s.curve.data(), s.result), 6);
    EXPECT_EQ(s.result[0], 30.0f); // the whole range, not the 28 points kept
    EXPECT_NEAR(s.result[1], 2.0, 1e-5);
    EXPECT_NEAR(s.result[2], 0.5, 1e-6);
    EXPECT_GT(s.result[5], 0.999);
    EXPECT_NEAR(s.curve[0], 2.0, 1e-5);

    // Only two positive points: too few points kept.
    for (int i = 2; i < 30; ++i)
        s.y[i] = -std::fabs(s.y[i]);
    s.y[0] = 1.0f;
    EXPECT_EQ(FitExponential(0, 30, 30, s.x.data(), s.y.data(), s.curve.data(), s.result), 0x302);
}

TEST(PowerFit, RunStartingAtZeroStaysFinite)
{
    SampledSeries s(40, 0.0, 0.25, [](double x) { return 3.0 * std::pow(x, 1.5); });
    ASSERT_EQ(FitPower(0, 40, 40, s.x.data(), s.y.data(), s.curve.data(), s.result), 6);
    EXPECT_EQ(s.result[0], 40.0f);
    EXPECT_NEAR(s.result[1], 3.0, 1e-5);
    EXPECT_NEAR(s.result[2], 1.5, 1e-6);
    for (int i = 3; i <= 5; ++i)
        EXPECT_TRUE(std::isfinite(s.result[i])) << i;
    EXPECT_EQ(s.curve[0], 0.0f);

    SampledSeries few(5, -2.0, 1.0, [](double x) { return x * x; });
    EXPECT_EQ(FitPower(0, 5, 5, few.x.data(), few.y.data(), few.curve.data(), few.result), 0x302);
}

TEST(LogarithmicFit, RunStartingAtZeroUsesATinyXForTheCurve)
{
    SampledSeries s(25, 0.0, 0.5, [](double x) { return 2.0 + 0.5 * std::log(x); });
    ASSERT_EQ(FitLogarithmic(0, 25, 25, s.x.data(), s.y.data(), s.curve.data(), s.result), 5);
    EXPECT_EQ(s.result[0], 25.0f);
    EXPECT_NEAR(s.result[1], 2.0, 1e-5);
    EXPECT_NEAR(s.result[2], 0.5, 1e-6);
    EXPECT_NEAR(s.result[3], 1.0, 1e-6);
    EXPECT_LT(s.result[4], 1e-5);
    EXPECT_NEAR(s.curve[0], s.result[1] + s.result[2] * std::log(1e-10), 1e-4);
}

TEST(PolynomialFit, RefusesOrdersItsTablesCannotHold)
{
    SampledSeries s(40, 0.0, 1.0, [](double x) { return x; });
    for (int order : {-1, 14, 1000}) {
        EXPECT_EQ(FitPolynomial(0, 40, 40, order, s.x.data(), s.y.data(), s.curve.data(), s.result), 0xFF00) << order;
    }
    EXPECT_EQ(FitPolynomial(0, 5, 40, 5, s.x.data(), s.y.data(), s.curve.data(), s.result), 0x605);
    EXPECT_EQ(FitPolynomial(0, 3, 40, 3, s.x.data(), s.y.data(), s.curve.data(), s.result), 0x403);
    EXPECT_TRUE(s.Untouched());
    EXPECT_EQ(FitPolynomial(0, 14, 40, 13, s.x.data(), s.y.data(), s.curve.data(), s.result), 18);
}

TEST(PolynomialFit, OrderZeroIsTheMean)
{
    SampledSeries s(6, 0.0, 1.0, [](double x) { return x; });
    ASSERT_EQ(FitPolynomial(0, 6, 6, 0, s.x.data(), s.y.data(), s.curve.data(), s.result), 5);
    EXPECT_FLOAT_EQ(s.result[4], 2.5f);
    EXPECT_EQ(s.curve[5], 2.5f);
}

TEST(PolynomialFit, EleventhOrderOverALongRunStaysFinite)
{
    // A 300 s run: x^11 reaches 1.8e27, which single-precision sums overflowed.
    SampledSeries s(3001, 0.0, 0.1, [](double x) { return 20.0 + 0.05 * x + 3.0 * std::sin(x / 40.0); });
    ASSERT_EQ(FitPolynomial(0, 3001, 3001, 11, s.x.data(), s.y.data(), s.curve.data(), s.result), 16);
    for (int i = 0; i < 16; ++i)
        EXPECT_TRUE(std::isfinite(s.result[i])) << i;
    EXPECT_GT(s.result[2], 0.999999);
    for (int i = 0; i < s.n(); i += 100)
        EXPECT_NEAR(s.curve[i], s.y[i], 1e-3) << i;
}

TEST(PolynomialFit, FailedScratchAllocationReturnsZero)
{
    SampledSeries s(50, 0.0, 1.0, [](double x) { return x * x; });
    g_failArrayAllocations = true;
    const int status = FitPolynomial(0, 50, 50, 4, s.x.data(), s.y.data(), s.curve.data(), s.result);
    g_failArrayAllocations = false;
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(s.Untouched());
}

TEST(QuadraticFit, ReturnsTheCoefficientsHighestFirst)
{
    SampledSeries s(15, -3.0, 0.5, [](double x) { return 2.0 * x * x - 3.0 * x + 1.0; });
    ASSERT_EQ(FitQuadratic(0, 15, 15, s.x.data(), s.y.data(), s.curve.data(), s.result), 7);
    EXPECT_EQ(s.result[0], 15.0f);
    EXPECT_NEAR(s.result[1], 2.0, 1e-6);
    EXPECT_NEAR(s.result[2], -3.0, 1e-6);
    EXPECT_NEAR(s.result[3], 1.0, 1e-6);
    EXPECT_NEAR(s.result[4], 1.0, 1e-7);
    EXPECT_LT(s.result[5], 1e-5);
    EXPECT_EQ(s.result[6], s.result[1]);
}

TEST(QuadraticFit, FailureLeavesTheResultAlone)
{
    SampledSeries s(15, 0.0, 1.0, [](double x) { return x * x; });
    EXPECT_EQ(FitQuadratic(9, 7, 15, s.x.data(), s.y.data(), s.curve.data(), s.result), 0x300);
    EXPECT_EQ(FitQuadratic(0, 20, 15, s.x.data(), s.y.data(), s.curve.data(), s.result), 0);
    EXPECT_TRUE(s.Untouched());
}

// The one-shot estimates work on differences of neighbouring samples, so single-precision
// rounding of the data, not the arithmetic, sets these tolerances.
TEST(OffsetExponentialFit, RecoversAnExactDecay)
{
    SampledSeries s(120, 0.0, 0.05, Decay);
    ASSERT_EQ(FitExponentialOffset(0, 100, 120, s.x.data(), s.y.data(), s.curve.data(), s.result), 6);
    EXPECT_EQ(s.result[0], 100.0f);
    EXPECT_NEAR(s.result[1], 5.0, 1e-5);
    EXPECT_NEAR(s.result[2], -0.7, 1e-5);
    EXPECT_NEAR(s.result[3], 2.0, 1e-5);
    EXPECT_NEAR(s.result[4], 1.0, 1e-6);
    EXPECT_LT(s.result[5], 1e-5);
    EXPECT_NEAR(s.curve[119], Decay(s.x[119]), 1e-5);
}

TEST(OffsetExponentialFit, RisingCurveHasNegativeAmplitudeAndOffsetAboveTheData)
{
    SampledSeries s(120, 0.0, 0.05, [](double x) { return 10.0 - 4.0 * std::exp(-0.5 * x); });
    ASSERT_EQ(FitExponentialOffset(0, 100, 120, s.x.data(), s.y.data(), s.curve.data(), s.result), 6);
    EXPECT_NEAR(s.result[1], -4.0, 1e-4);
    EXPECT_NEAR(s.result[2], -0.5, 1e-5);
    EXPECT_NEAR(s.result[3], 10.0, 1e-4);
    EXPECT_GT(s.result[3], *std::max_element(s.y.begin(), s.y.end()));
}

TEST(OffsetExponentialFit, FlatDataHasNoUsablePoint)
{
    SampledSeries s(30, 0.0, 0.1, [](double) { return 4.0; });
    EXPECT_EQ(FitExponentialOffset(0, 20, 30, s.x.data(), s.y.data(), s.curve.data(), s.result), 0);
}

TEST(OffsetExponentialFit, RepeatedXIsAZeroDenominator)
{
    SampledSeries s(30, 0.0, 0.1, Decay);
    s.x[5] = s.x[3];
    EXPECT_EQ(FitExponentialOffset(0, 20, 30, s.x.data(), s.y.data(), s.curve.data(), s.result), 0xFF00);
}

TEST(ExponentialShiftFit, FoldsTheStartIntoC)
{
    SampledSeries s(120, 3.0, 0.05, Decay);
    ASSERT_EQ(FitExponentialShift(0, 100, 120, s.x.data(), s.y.data(), s.curve.data(), s.result), 7);
    EXPECT_NEAR(s.result[1], 5.0 * std::exp(-2.1), 1e-4);
    EXPECT_NEAR(s.result[2], -0.7, 1e-4);
    EXPECT_NEAR(s.result[3], -2.1, 3e-4);
    EXPECT_NEAR(s.result[4], 2.0, 1e-4);
    // A*exp(B*x - C) + D is the decay itself.
    const double x = 7.0;
    EXPECT_NEAR(s.result[1] * std::exp(s.result[2] * x - s.result[3]) + s.result[4], Decay(x), 1e-4);
}

TEST(IntegerPower, SquaresAndReciprocals)
{
    EXPECT_EQ(IPow(3.0f, 2), 9.0f);
    EXPECT_EQ(IPow(2.0f, 10), 1024.0f);
    EXPECT_EQ(IPow(2.0, -3), 0.125);
    EXPECT_EQ(IPow(-1.5f, 0), 1.0f);
    EXPECT_EQ(IPow(-2.0, 3), -8.0);
    EXPECT_EQ(IPow(1.0, INT32_MIN), 1.0);
}

} // namespace
} // namespace numeric::testing
