#include "SeriesFixture.h"

#include "numeric/SampleAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace numeric::testing {
namespace {

int Integrate(SampledSeries& s, int start, int end, int method)
{
    return IntegrateSamples(start, end, s.n(), method, s.x.data(), s.y.data(), s.curve.data(), s.result);
}

int Differentiate(SampledSeries& s, int start, int end, int method)
{
    return DifferentiateSamples(start, end, s.n(), method, s.x.data(), s.y.data(), s.curve.data(), s.result);
}

int Statistics(SampledSeries& s, int start, int end)
{
    return ConfidenceStats(start, end, s.n(), s.x.data(), s.y.data(), s.curve.data(), s.result);
}

int Compare(SampledSeries& a, const SampledSeries& b, int start, int end)
{
    return CompareTwoSeries(start, end, a.n(), a.x.data(), a.y.data(), b.x.data(), b.y.data(), a.curve.data(), a.result);
}

TEST(SampleAnalysisStatus, RefusalsLeaveBothOutputsAlone)
{
    SampledSeries s(40, 0.0, 1.0, [](double x) { return x; });
    EXPECT_EQ(Integrate(s, 0, 30, 1), 0);  // no sample before the range
    EXPECT_EQ(Integrate(s, 5, 39, 1), 0);  // no two samples after it
    EXPECT_EQ(Integrate(s, 5, 8, 1), 0x403);
    EXPECT_EQ(Integrate(s, 8, 5, 1), 0x400);
    EXPECT_EQ(Differentiate(s, 2, 4, 0), 0x302);
    EXPECT_EQ(Differentiate(s, 4, 2, 0), 0x300);
    EXPECT_EQ(Differentiate(s, 2, 44, 0), 0);
    EXPECT_EQ(Statistics(s, 0, 2), 0x302);
    EXPECT_EQ(Statistics(s, 6, 2), 0x300);
    EXPECT_EQ(Statistics(s, 0, 41), 0);
    EXPECT_EQ(Compare(s, s, 0, 2), 0x302);
    EXPECT_EQ(Compare(s, s, 5, 1), 0x300);
    EXPECT_EQ(Compare(s, s, 0, 41), 0);
    float length = kSentinel;
    for (int w : {0, -3})
        EXPECT_EQ(WindowSum(0, 10, 40, w, nullptr, s.y.data(), s.curve.data(), &length), 0xFF00);
    EXPECT_EQ(WindowSum(0, 4, 40, 6, nullptr, s.y.data(), s.curve.data(), &length), 0x604);
    EXPECT_EQ(WindowSum(4, 0, 40, 2, nullptr, s.y.data(), s.curve.data(), &length), 0x200);
    EXPECT_EQ(WindowSum(0, 42, 40, 2, nullptr, s.y.data(), s.curve.data(), &length), 0);
    for (int w : {1 << 24, 0x7FFFFFFF}) // never a status that reads as a success
        EXPECT_EQ(WindowSum(0, 5, 40, w, nullptr, s.y.data(), s.curve.data(), &length), 0x7FFFFF05) << w;
    EXPECT_EQ(length, kSentinel);
    EXPECT_TRUE(s.Untouched());

    s.x[1] = s.x[0]; // a step of 0
    EXPECT_EQ(Integrate(s, 5, 30, 1), 0xFF00);
    EXPECT_EQ(Differentiate(s, 5, 30, 0), 0xFF00);
}

TEST(Integral, RulesAreExactPerPanel)
{
    struct Case {
        int method;
        int power;
        double to; // ten points from x = 0.5 hold 8 intervals for Simpson and Boole, 9 for 3/8
    };
    for (const Case& c : {Case{2, 2, 4.5}, Case{2, 3, 4.5}, Case{3, 3, 5.0}, Case{4, 4, 4.5}}) {
        SampledSeries s(20, 0.0, 0.5, [&c](double x) { return std::pow(x, c.power); });
        ASSERT_EQ(Integrate(s, 1, 11, c.method), 2);
        EXPECT_EQ(s.result[0], 10.0f);
        EXPECT_FLOAT_EQ(s.result[1], (std::pow(c.to, c.power + 1) - std::pow(0.5, c.power + 1)) / (c.power + 1))
            << c.method << " " << c.power;
        if (c.method == 2)
            EXPECT_EQ(s.curve, s.y);
        else
            EXPECT_EQ(s.curve, std::vector<float>(20, 0.0f));
    }
    // The trapezoid spans from the sample before the range: ten intervals of 0.5.
    SampledSeries one(20, 0.0, 0.5, [](double) { return 1.0; });
    ASSERT_EQ(Integrate(one, 3, 13, 1), 2);
    EXPECT_EQ(one.result[1], 5.0f);
    ASSERT_EQ(Integrate(one, 3, 13, 9), 2);
    EXPECT_EQ(one.result[1], 0.0f);
}

TEST(Integral, RunningIntegralFillsTheCurveOutsideTheRange)
{
    SampledSeries s(30, 0.0, 0.25, [](double) { return 2.0; });
    ASSERT_EQ(Integrate(s, 5, 25, 0), 2);
    EXPECT_FLOAT_EQ(s.result[1], 10.0f);
    EXPECT_FLOAT_EQ(s.curve[0], 0.5f);
    EXPECT_FLOAT_EQ(s.curve[5], 0.5f);
    EXPECT_FLOAT_EQ(s.curve[14], 5.0f);
    EXPECT_FLOAT_EQ(s.curve[29], 10.0f);
}

TEST(Derivative, CentralDifferencesAndExtremes)
{
    SampledSeries line(12, 0.0, 1.0, [](double x) { return 3.0 * x; });
    ASSERT_EQ(Differentiate(line, 2, 9, 0), 3);
    EXPECT_EQ(line.curve, std::vector<float>(12, 3.0f));
    EXPECT_EQ(line.result[1], 3.0f);
    EXPECT_EQ(line.result[2], 3.0f);

    // Extremes beyond +-2^31 are found too.
    SampledSeries steep(10, 0.0, 1.0, [](double x) { return -5e9 * x * x; });
    ASSERT_EQ(Differentiate(steep, 1, 9, 0), 3);
    EXPECT_FLOAT_EQ(steep.result[1], -1e10f);
    EXPECT_FLOAT_EQ(steep.result[2], -8e10f);
}

TEST(Derivative, LineThroughTheDerivativeAndConstantSecondDerivative)
{
    SampledSeries s(20, 0.0, 0.5, [](double x) { return 1.5 * x * x + 1.0; });
    ASSERT_EQ(Differentiate(s, 2, 18, 1), 7);
    EXPECT_NEAR(s.result[3], 3.0, 1e-6);
    EXPECT_NEAR(s.result[4], 0.0, 1e-5);
    EXPECT_NEAR(s.result[5], 1.0, 1e-7);
    EXPECT_LT(s.result[6], 1e-5);
    EXPECT_NEAR(s.curve[0], 0.0, 1e-5); // the line replaces the one-sided end differences
    EXPECT_NEAR(s.curve[19], 3.0 * 9.5, 1e-4);

    SampledSeries second(20, 0.0, 0.5, [](double x) { return 1.5 * x * x; });
    ASSERT_EQ(Differentiate(second, 2, 18, 2), 4);
    EXPECT_EQ(second.result[0], 16.0f);
    EXPECT_NEAR(second.result[3], 3.0, 1e-6);
    for (float v : second.curve)
        EXPECT_NEAR(v, 3.0, 1e-6);

    // The step comes from the first two samples, but the range has a single x value: the
    // line fit's refusal is passed on.
    for (int i = 2; i < 20; ++i)
        second.x[i] = 5.0f;
    EXPECT_EQ(Differentiate(second, 2, 9, 2), 0xFF00);
    EXPECT_EQ(Differentiate(second, 2, 9, 1), 0xFF00);
}

TEST(Statistics, StudentTLookup)
{
    for (const auto& [df, t] : std::vector<std::pair<int, double>>{{4, 0.0}, {5, 2.015}, {35, 1.697}, {44, 1.684}, {499, 1.658}, {1000, 1.645}})
        EXPECT_EQ(OneSidedT95(df), t) << df;
    for (const auto& [count, t] : std::vector<std::pair<int, double>>{{5, 0.0}, {6, 2.015}, {36, 1.697}, {45, 1.684}, {1001, 1.645}}) {
        SampledSeries s(count, 0.0, 1.0, [](double x) { return std::fmod(x, 3.0); });
        ASSERT_EQ(Statistics(s, 0, count), 9);
        EXPECT_NEAR(s.result[5], t * s.result[6] / std::sqrt(count), 1e-6) << count;
    }
}

TEST(Statistics, ResultLayoutAndConstantSeries)
{
    SampledSeries s(8, 1.0, 1.0, [](double x) { return x; });
    ASSERT_EQ(Statistics(s, 1, 7), 9);
    const double sd = std::sqrt(17.5 / 5);
    const double expected[9] = {6, 2, 7, 5, 4.5, 2.015 * sd / std::sqrt(6.0), sd, sd / std::sqrt(6.0), std::sqrt(139.0 / 6)};
    for (int i = 0; i < 9; ++i)
        EXPECT_FLOAT_EQ(s.result[i], static_cast<float>(expected[i])) << i;
    EXPECT_EQ(s.curve, std::vector<float>(8, 4.5f));

    SampledSeries constant(10, 0.0, 1.0, [](double) { return 0.1; });
    ASSERT_EQ(Statistics(constant, 0, 10), 9);
    EXPECT_EQ(constant.result[3], 0.0f);
    EXPECT_EQ(constant.result[4], 0.1f);
    EXPECT_EQ(constant.result[6], 0.0f);

    SampledSeries low(3, 0.0, 1.0, [](double x) { return -3e9 - 1e9 * x; }); // beyond +-2^31
    ASSERT_EQ(Statistics(low, 0, 3), 9);
    EXPECT_EQ(low.result[1], -5e9f);
    EXPECT_EQ(low.result[2], -3e9f);
}

TEST(Statistics, SpreadOfReadingsFarFromZero)
{
    // 1e5 readings around 299.85: a one-pass variance in float came out 30 times too large.
    const int n = 100000;
    SampledSeries s(n, 0.0, 1.0, [](double i) { return 299.85 + 0.01 * (static_cast<int>(i) % 17 - 8); });
    double mean = 0, squares = 0;
    for (float v : s.y)
        mean += v / n;
    for (float v : s.y)
        squares += (v - mean) * (v - mean);
    const double sd = std::sqrt(squares / (n - 1));
    ASSERT_EQ(Statistics(s, 0, n), 9);
    EXPECT_NEAR(s.result[4], mean, 1e-4);
    EXPECT_NEAR(s.result[6], sd, sd * 1e-6);
}

TEST(Comparison, DifferenceInPercentOfTheLargerMean)
{
    struct Case {
        double mean1, mean2, difference, percent;
    };
    for (const Case& c : {Case{10, 8, 2, 20}, Case{8, 10, 2, 20}, Case{0, -5, 5, 0}, Case{0, 0, 0, 0}}) {
        SampledSeries a(10, 0.0, 1.0, [&c](double x) { return c.mean1 + (static_cast<int>(x) % 2 ? 1.0 : -1.0); });
        SampledSeries b(10, 0.0, 1.0, [&c](double) { return c.mean2; });
        ASSERT_EQ(Compare(a, b, 0, 10), 5);
        const double expected[5] = {10, c.mean1, c.mean2, c.difference, c.percent};
        for (int i = 0; i < 5; ++i)
            EXPECT_FLOAT_EQ(a.result[i], static_cast<float>(expected[i])) << c.mean1 << " " << c.mean2 << " " << i;
        EXPECT_EQ(a.curve, std::vector<float>(10, static_cast<float>(c.difference)));
    }
}

TEST(WindowSum, SumsWindowsAndCopiesTheRestEvenInPlace)
{
    SampledSeries s(10, 1.0, 1.0, [](double x) { return x; });
    const std::vector<float> expected = {1, 2, 12, 15, 18, 6, 7, 8, 9, 10};
    float length = 0;
    ASSERT_EQ(WindowSum(2, 8, 10, 3, nullptr, s.y.data(), s.curve.data(), &length), 1);
    EXPECT_EQ(length, 6.0f);
    EXPECT_EQ(s.curve, expected);
    ASSERT_EQ(WindowSum(2, 8, 10, 3, nullptr, s.y.data(), s.y.data(), &length), 1);
    EXPECT_EQ(s.y, expected);
}

// Each window is its own sum: what left the window earlier, a sample that is not a number or
// a very large one, does not stay in the windows after it.
TEST(WindowSum, EarlierSamplesDoNotLinger)
{
    const int n = 3000, w = 4;
    std::vector<float> y(n), out(n);
    for (int i = 0; i < n; ++i)
        y[i] = i < 20 ? 3e9f : 0.001f * static_cast<float>(1 + i % 7);
    y[100] = std::numeric_limits<float>::quiet_NaN();
    y[200] = std::numeric_limits<float>::infinity();
    float length = 0;
    ASSERT_EQ(WindowSum(0, n, n, w, nullptr, y.data(), out.data(), &length), 1);
    for (int k = 0; k < n - w; ++k) {
        double direct = 0;
        for (int j = 0; j < w; ++j)
            direct += y[k + j];
        if (std::isfinite(direct))
            EXPECT_NEAR(out[k], direct, 1e-6 * std::fabs(direct)) << k;
        else
            EXPECT_EQ(std::isnan(out[k]), std::isnan(direct)) << k;
    }
}

} // namespace
} // namespace numeric::testing
