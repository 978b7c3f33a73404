#include "SeriesFixture.h"

#include "numeric/CurveFits.h"
#include "numeric/WeightedLogSums.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <new>

// The array forms of operator new and delete are replaced in this program so that the
// polynomial fit's scratch allocation can be made to fail.
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

using Fit = int (*)(int, int, int, const float*, const float*, float*, float*);

int FitCubic(int start, int end, int n, const float* x, const float* y, float* fit, float* result)
{
    return FitPolynomial(start, end, n, 3, x, y, fit, result);
}

double Decay(double x) { return 5.0 * std::exp(-0.7 * x) + 2.0; }

int Apply(Fit fit, SampledSeries& s, int start, int end)
{
    return fit(start, end, s.n(), s.x.data(), s.y.data(), s.curve.data(), s.result);
}

TEST(CurveFitStatus, RefusalsLeaveBothOutputsAlone)
{
    const Fit minimumThree[] = {FitLinear, FitExponential, FitPower, FitLogarithmic, FitCubic, FitQuadratic,
                                FitDampedOscillation};
    int index = 0;
    for (Fit fit : minimumThree) {
        SampledSeries s(20, 1.0, 0.5, [](double x) { return 2.0 * x + 1.0; });
        EXPECT_EQ(Apply(fit, s, 4, 6), 0x302) << index;
        EXPECT_EQ(Apply(fit, s, 6, 4), 0x300) << index; // a reversed range counts as empty
        EXPECT_EQ(Apply(fit, s, 0, 22), 0) << index;    // outside the arrays
        EXPECT_EQ(Apply(fit, s, -2, 8), 0) << index;
        EXPECT_TRUE(s.Untouched()) << index++;
    }
    for (Fit fit : {FitExponentialOffset, FitExponentialShift}) {
        SampledSeries s(30, 0.0, 0.2, Decay);
        EXPECT_EQ(Apply(fit, s, 2, 11), 0xA09);
        EXPECT_EQ(Apply(fit, s, 11, 2), 0xA00);
        EXPECT_EQ(Apply(fit, s, 0, 30), 0); // would read y[end] past the last sample
        EXPECT_TRUE(s.Untouched());
        EXPECT_GT(Apply(fit, s, 0, 29), 5);
    }
    SampledSeries flat(10, 1.0, 0.0, [](double) { return 3.0; });
    for (int i = 0; i < flat.n(); ++i)
        flat.y[i] = 1.0f + static_cast<float>(i);
    for (Fit fit : {FitLinear, FitPower, FitExponential})
        EXPECT_EQ(Apply(fit, flat, 0, 10), 0xFF00); // all x equal
}

TEST(CurveFitStatus, NonFiniteResultsAreNotASuccess)
{
    // A slope of 1e40 is finite in double but not as the float the result holds.
    const float x[3] = {0.0f, 1e-30f, 2e-30f};
    const float y[3] = {0.0f, 1e10f, 2e10f};
    float fit[3] = {};
    float result[kFitResultLength] = {};
    EXPECT_EQ(FitLinear(0, 3, 3, x, y, fit, result), 0xFF00);

    // The weighted log step skips points without a finite logarithm and refuses D == 0.
    detail::WeightedLogSums sums;
    sums.Add(0.0, std::nan(""));
    sums.Add(1.0, INFINITY);
    sums.Add(2.0, -1.0);
    sums.Add(1.0, 2.0);
    EXPECT_EQ(sums.Count(), 1);
    EXPECT_FALSE(sums.Solve());
    sums.Add(2.0, 4.0);
    ASSERT_TRUE(sums.Solve());
    EXPECT_NEAR(sums.Rate(), std::log(2.0), 1e-12);
}

TEST(LinearFit, MillionPointsFarFromZero)
{
    // x in [20, 25]: single-precision sums gave this line a slope of 2.2.
    const int n = 1 << 20;
    SampledSeries s(n, 20.0, 5.0 / n, [](double x) { return 3.0 * x - 4.0; });
    ASSERT_EQ(Apply(FitLinear, s, 0, n), 6);
    EXPECT_EQ(s.result[0], static_cast<float>(n));
    EXPECT_NEAR(s.result[1], 3.0, 1e-6);
    EXPECT_NEAR(s.result[2], -4.0, 2e-5);
    EXPECT_LT(s.result[3], 1e-6);
    EXPECT_NEAR(s.result[5], 1.0, 1e-7);
}

TEST(LinearFit, CurveCoversTheSeriesAndFlatDataHasNoRSquared)
{
    SampledSeries s(12, -3.0, 1.0, [](double x) { return 0.5 * x + 2.0 + (static_cast<int>(x) % 2 ? 0.1 : -0.1); });
    ASSERT_EQ(Apply(FitLinear, s, 3, 9), 6);
    for (int i = 0; i < s.n(); ++i)
        EXPECT_NEAR(s.curve[i], s.result[1] * s.x[i] + s.result[2], 1e-5) << i;

    SampledSeries flat(8, 0.0, 1.0, [](double) { return 7.5; });
    ASSERT_EQ(Apply(FitLinear, flat, 0, 8), 6);
    EXPECT_EQ(flat.result[1], 0.0f);
    EXPECT_EQ(flat.result[5], 0.0f);
}

TEST(LogarithmFits, PointsWithoutALogarithmAreLeftOut)
{
    SampledSeries e(30, 0.0, 0.2, [](double x) { return 2.0 * std::exp(0.5 * x); });
    e.y[0] = 0.0f;
    e.y[3] = -1.0f;
    ASSERT_EQ(Apply(FitExponential, e, 0, 30), 6);
    EXPECT_EQ(e.result[0], 30.0f); // the whole range, not the 28 points kept
    EXPECT_NEAR(e.result[1], 2.0, 1e-5);
    EXPECT_NEAR(e.result[2], 0.5, 1e-6);
    EXPECT_GT(e.result[5], 0.999);
    for (int i = 2; i < 30; ++i)
        e.y[i] = -std::fabs(e.y[i]);
    e.y[0] = 1.0f;
    EXPECT_EQ(Apply(FitExponential, e, 0, 30), 0x302); // two points kept

    SampledSeries p(40, 0.0, 0.25, [](double x) { return 3.0 * std::pow(x, 1.5); });
    ASSERT_EQ(Apply(FitPower, p, 0, 40), 6);
    EXPECT_NEAR(p.result[1], 3.0, 1e-5);
    EXPECT_NEAR(p.result[2], 1.5, 1e-6);
    EXPECT_TRUE(std::isfinite(p.result[3]) && std::isfinite(p.result[4]) && std::isfinite(p.result[5]));
    EXPECT_EQ(p.curve[0], 0.0f);
    SampledSeries fewPositive(5, -2.0, 1.0, [](double x) { return x * x; });
    EXPECT_EQ(Apply(FitPower, fewPositive, 0, 5), 0x302);

    SampledSeries l(25, 0.0, 0.5, [](double x) { return 2.0 + 0.5 * std::log(x); });
    ASSERT_EQ(Apply(FitLogarithmic, l, 0, 25), 5);
    EXPECT_NEAR(l.result[1], 2.0, 1e-5);
    EXPECT_NEAR(l.result[2], 0.5, 1e-6);
    EXPECT_NEAR(l.result[3], 1.0, 1e-6);
    EXPECT_NEAR(l.curve[0], l.result[1] + l.result[2] * std::log(1e-10), 1e-4);
}

// Sa and Sb of the common terms, worked out from the data and the curve the routine drew.
struct StandardErrors {
    double sa;
    double sb;
};

StandardErrors ErrorsOfTheCurve(const SampledSeries& s)
{
    const int n = s.n();
    double sse = 0, sumX = 0;
    for (int i = 0; i < n; ++i) {
        sse += (double(s.y[i]) - s.curve[i]) * (double(s.y[i]) - s.curve[i]);
        sumX += s.x[i];
    }
    const double xbar = sumX / n;
    double sxx = 0;
    for (int i = 0; i < n; ++i)
        sxx += (s.x[i] - xbar) * (s.x[i] - xbar);
    const double sd = std::sqrt(sse / (n - 2));
    return {sd * std::sqrt(1.0 / n + xbar * xbar / sxx), sd / std::sqrt(sxx)};
}

TEST(LogarithmFits, StandardErrorsComeInEachFitsOwnOrder)
{
    // Noisy data far from x = 0, so that Sa is many times Sb and an exchange cannot pass.
    const auto wobble = [](double x) { return (static_cast<int>(std::lround(x * 4.0)) % 3 - 1) * 0.02; };
    SampledSeries e(60, 5.0, 0.1, [&](double x) { return 2.0 * std::exp(0.3 * x) * (1.0 + wobble(x)); });
    ASSERT_EQ(Apply(FitExponential, e, 0, 60), 6);
    const StandardErrors ee = ErrorsOfTheCurve(e);
    ASSERT_GT(ee.sa, 5.0 * ee.sb);
    EXPECT_NEAR(e.result[3], ee.sb, 1e-4 * ee.sb) << "element 3 is Sb";
    EXPECT_NEAR(e.result[4], ee.sa, 1e-4 * ee.sa) << "element 4 is Sa";

    SampledSeries p(60, 5.0, 0.1, [&](double x) { return 3.0 * std::pow(x, 1.5) * (1.0 + wobble(x)); });
    ASSERT_EQ(Apply(FitPower, p, 0, 60), 6);
    const StandardErrors pe = ErrorsOfTheCurve(p);
    ASSERT_GT(pe.sa, 5.0 * pe.sb);
    EXPECT_NEAR(p.result[3], pe.sa, 1e-4 * pe.sa) << "element 3 is Sa";
    EXPECT_NEAR(p.result[4], pe.sb, 1e-4 * pe.sb) << "element 4 is Sb";
}

TEST(PolynomialFit, OrderAndPointLimits)
{
    SampledSeries s(40, 0.0, 1.0, [](double x) { return x; });
    for (int order : {-1, 14, 1000})
        EXPECT_EQ(FitPolynomial(0, 40, 40, order, s.x.data(), s.y.data(), s.curve.data(), s.result), 0xFF00);
    EXPECT_EQ(FitPolynomial(0, 5, 40, 5, s.x.data(), s.y.data(), s.curve.data(), s.result), 0x605);
    EXPECT_EQ(FitPolynomial(0, 3, 40, 3, s.x.data(), s.y.data(), s.curve.data(), s.result), 0x403);
    g_failArrayAllocations = true;
    EXPECT_EQ(FitPolynomial(0, 40, 40, 4, s.x.data(), s.y.data(), s.curve.data(), s.result), 0);
    g_failArrayAllocations = false;
    EXPECT_TRUE(s.Untouched());
    EXPECT_EQ(FitPolynomial(0, 14, 40, 13, s.x.data(), s.y.data(), s.curve.data(), s.result), 18);
    ASSERT_EQ(FitPolynomial(0, 6, 40, 0, s.x.data(), s.y.data(), s.curve.data(), s.result), 5);
    EXPECT_FLOAT_EQ(s.result[4], 2.5f); // order 0 is the mean
}

TEST(PolynomialFit, EleventhOrderOverALongRun)
{
    // A 300 s run: x^11 reaches 1.8e27, which single-precision sums overflowed.
    SampledSeries s(3001, 0.0, 0.1, [](double x) { return 20.0 + 0.05 * x + 3.0 * std::sin(x / 40.0); });
    ASSERT_EQ(FitPolynomial(0, 3001, 3001, 11, s.x.data(), s.y.data(), s.curve.data(), s.result), 16);
    EXPECT_GT(s.result[2], 0.999999);
    for (int i = 0; i < s.n(); i += 100)
        EXPECT_NEAR(s.curve[i], s.y[i], 1e-3) << i;
}

TEST(PolynomialFit, CurveFollowsDataFarFromZero)
{
    // x around 1e5 (pressure in Pa on the x axis): the powers of x cancel each other's digits,
    // so the curve must not be drawn from the power coefficients.
    SampledSeries s(2401, 100000.0, 0.125, [](double x) {
        const double t = (x - 100150.0) / 150.0;
        return 1.0 + t - 2.0 * t * t * t + t * t * t * t * t;
    });
    ASSERT_EQ(FitPolynomial(0, s.n(), s.n(), 5, s.x.data(), s.y.data(), s.curve.data(), s.result), 10);
    EXPECT_GT(s.result[2], 0.99999);
    EXPECT_LT(s.result[3], 1e-4);
    for (int i = 0; i < s.n(); i += 100)
        EXPECT_NEAR(s.curve[i], s.y[i], 1e-4) << i;
}

TEST(QuadraticFit, CoefficientsHighestFirstAndFailuresLeaveTheResult)
{
    SampledSeries s(15, -3.0, 0.5, [](double x) { return 2.0 * x * x - 3.0 * x + 1.0; });
    ASSERT_EQ(Apply(FitQuadratic, s, 0, 15), 7);
    const float expected[7] = {15, 2, -3, 1, 1, 0, 2};
    for (int i = 0; i < 7; ++i)
        EXPECT_NEAR(s.result[i], expected[i], 1e-5) << i;

    SampledSeries failing(15, 0.0, 1.0, [](double x) { return x * x; });
    EXPECT_EQ(Apply(FitQuadratic, failing, 9, 7), 0x300);
    EXPECT_EQ(Apply(FitQuadratic, failing, 0, 20), 0);
    EXPECT_TRUE(failing.Untouched());
}

// The one-shot estimates work on differences of neighbouring samples, so the single-precision
// rounding of the data, not the arithmetic, sets these tolerances.
TEST(OffsetExponentialFit, FallingAndRisingCurves)
{
    SampledSeries s(120, 0.0, 0.05, Decay);
    ASSERT_EQ(Apply(FitExponentialOffset, s, 0, 100), 6);
    const float expected[6] = {100, 5, -0.7f, 2, 1, 0};
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(s.result[i], expected[i], 1e-5) << i;
    EXPECT_NEAR(s.curve[119], Decay(s.x[119]), 1e-5);

    // A rising curve is fitted mirrored: negative A, C above the data.
    SampledSeries rising(120, 0.0, 0.05, [](double x) { return 10.0 - 4.0 * std::exp(-0.5 * x); });
    ASSERT_EQ(Apply(FitExponentialOffset, rising, 0, 100), 6);
    EXPECT_NEAR(rising.result[1], -4.0, 1e-4);
    EXPECT_NEAR(rising.result[2], -0.5, 1e-5);
    EXPECT_NEAR(rising.result[3], 10.0, 1e-4);
}

TEST(OffsetExponentialFit, DegenerateData)
{
    SampledSeries flat(30, 0.0, 0.1, [](double) { return 4.0; });
    EXPECT_EQ(Apply(FitExponentialOffset, flat, 0, 20), 0); // nothing above the offset
    SampledSeries repeated(30, 0.0, 0.1, Decay);
    repeated.x[5] = repeated.x[3];
    EXPECT_EQ(Apply(FitExponentialOffset, repeated, 0, 20), 0xFF00);
}

TEST(ExponentialShiftFit, FoldsTheStartIntoC)
{
    SampledSeries s(120, 3.0, 0.05, Decay);
    ASSERT_EQ(Apply(FitExponentialShift, s, 0, 100), 7);
    EXPECT_NEAR(s.result[1], 5.0 * std::exp(-2.1), 1e-4);
    EXPECT_NEAR(s.result[2], -0.7, 1e-4);
    EXPECT_NEAR(s.result[3], -2.1, 3e-4);
    EXPECT_NEAR(s.result[4], 2.0, 1e-4);
    EXPECT_NEAR(s.result[1] * std::exp(s.result[2] * 7.0 - s.result[3]) + s.result[4], Decay(7.0), 1e-4);
}

TEST(IntegerPower, SquaringAndReciprocals)
{
    EXPECT_EQ(IPow(3.0f, 2), 9.0f);
    EXPECT_EQ(IPow(2.0f, 10), 1024.0f);
    EXPECT_EQ(IPow(-2.0, 3), -8.0);
    EXPECT_EQ(IPow(2.0, -3), 0.125);
    EXPECT_EQ(IPow(1.0, INT32_MIN), 1.0);
}

} // namespace
} // namespace numeric::testing
