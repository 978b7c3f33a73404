#include "SeriesFixture.h"

#include "logger/analysis/numeric/SampleAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace numeric::testing {
namespace {

double Integrate(SampledSeries& s, int start, int end, int method)
{
    EXPECT_EQ(IntegrateSamples(start, end, s.n(), method, s.x.data(), s.y.data(), s.curve.data(), s.result), 2);
    EXPECT_EQ(s.result[0], static_cast<float>(end - start));
    return s.result[1];
}

TEST(Integral, RefusesRangesWithoutTheirNeighbours)
{
    SampledSeries s(40, 0.0, 1.0, [](double) { return 1.0; });
    EXPECT_EQ(IntegrateSamples(0, 30, 40, 1, s.x.data(), s.y.data(), s.curve.data(), s.result), 0);
    EXPECT_EQ(IntegrateSamples(5, 39, 40, 1, s.x.data(), s.y.data(), s.curve.data(), s.result), 0);
    EXPECT_EQ(IntegrateSamples(5, 8, 40, 1, s.x.data(), s.y.data(), s.curve.data(), s.result), 0x403);
    EXPECT_EQ(IntegrateSamples(8, 5, 40, 1, s.x.data(), s.y.data(), s.curve.data(), s.result), 0x400);
    EXPECT_TRUE(s.Untouched());
    s.x[1] = s.x[0];
    EXPECT_EQ(IntegrateSamples(5, 30, 40, 1, s.x.data(), s.y.data(), s.curve.data(), s.result), 0xFF00);
}

TEST(Integral, TrapezoidSpansFromTheSampleBeforeTheRange)
{
    SampledSeries s(20, 0.0, 0.5, [](double) { return 1.0; });
    EXPECT_DOUBLE_EQ(Integrate(s, 3, 13, 1), 5.0);
    for (float v : s.curve)
        EXPECT_EQ(v, 0.0f);
}

TEST(Integral, SimpsonIsExactForCubicsPerPanel)
{
    // Ten points give four panels of two intervals: x = 0.5 .. 4.5.
    SampledSeries square(20, 0.0, 0.5, [](double x) { return x * x; });
    EXPECT_FLOAT_EQ(Integrate(square, 1, 11, 2), (std::pow(4.5, 3) - std::pow(0.5, 3)) / 3);
    EXPECT_EQ(square.curve, square.y);
    SampledSeries cube(20, 0.0, 0.5, [](double x) { return x * x * x; });
    EXPECT_FLOAT_EQ(Integrate(cube, 1, 11, 2), (std::pow(4.5, 4) - std::pow(0.5, 4)) / 4);
}

TEST(Integral, ThreeEighthsIsExactForCubicsPerPanel)
{
    // Ten points give three panels of three intervals: x = 0.5 .. 5.
    SampledSeries cube(20, 0.0, 0.5, [](double x) { return x * x * x; });
    EXPECT_FLOAT_EQ(Integrate(cube, 1, 11, 3), (std::pow(5.0, 4) - std::pow(0.5, 4)) / 4);
}

TEST(Integral, BooleIsExactForQuarticsPerPanel)
{
    // Ten points give two panels of four intervals: x = 0.5 .. 4.5.
    SampledSeries quartic(20, 0.0, 0.5, [](double x) { return x * x * x * x; });
    EXPECT_FLOAT_EQ(Integrate(quartic, 1, 11, 4), (std::pow(4.5, 5) - std::pow(0.5, 5)) / 5);
    for (float v : quartic.curve)
        EXPECT_EQ(v, 0.0f);
}

TEST(Integral, RunningIntegralFillsTheCurveOutsideTheRange)
{
    SampledSeries s(30, 0.0, 0.25, [](double) { return 2.0; });
    const double total = Integrate(s, 5, 25, 0);
    EXPECT_DOUBLE_EQ(total, 20 * 0.25 * 2.0);
    EXPECT_FLOAT_EQ(s.curve[5], 0.5f);
    EXPECT_FLOAT_EQ(s.curve[0], 0.5f);
    EXPECT_FLOAT_EQ(s.curve[14], 5.0f);
    EXPECT_FLOAT_EQ(s.curve[29], 10.0f);
    EXPECT_EQ(Integrate(s, 5, 25, 9), 0.0);
}

TEST(Derivative, StraightLineHasItsSlopeEverywhere)
{
    SampledSeries s(12, 0.0, 1.0, [](double x) { return 3.0 * x; });
    ASSERT_EQ(DifferentiateSamples(2, 9, 12, 0, s.x.data(), s.y.data(), s.curve.data(), s.result), 3);
    for (float v : s.curve)
        EXPECT_FLOAT_EQ(v, 3.0f);
    EXPECT_FLOAT_EQ(s.result[1], 3.0f);
    EXPECT_FLOAT_EQ(s.result[2], 3.0f);
}

TEST(Derivative, ExtremesBeyondTheOldSentinels)
{
    SampledSeries rising(10, 0.0, 1.0, [](double x) { return 1e10 * x; });
    ASSERT_EQ(DifferentiateSamples(1, 9, 10, 0, rising.x.data(), rising.y.data(), rising.curve.data(), rising.result), 3);
    EXPECT_FLOAT_EQ(rising.result[1], 1e10f);
    EXPECT_FLOAT_EQ(rising.result[2], 1e10f);
    SampledSeries falling(10, 0.0, 1.0, [](double x) { return -5e9 * x * x; });
    ASSERT_EQ(DifferentiateSamples(1, 9, 10, 0, falling.x.data(), falling.y.data(), falling.curve.data(), falling.result), 3);
    EXPECT_FLOAT_EQ(falling.result[1], -1e10f);
    EXPECT_FLOAT_EQ(falling.result[2], -8e10f);
}

TEST(Derivative, LineThroughTheDerivative)
{
    SampledSeries s(20, 0.0, 0.5, [](double x) { return x * x + 1.0; });
    ASSERT_EQ(DifferentiateSamples(2, 18, 20, 1, s.x.data(), s.y.data(), s.curve.data(), s.result), 7);
    EXPECT_NEAR(s.result[3], 2.0, 1e-6);
    EXPECT_NEAR(s.result[4], 0.0, 1e-5);
    EXPECT_NEAR(s.result[5], 1.0, 1e-7);
    EXPECT_LT(s.result[6], 1e-5);
    EXPECT_NEAR(s.curve[0], 0.0, 1e-5); // the line, not the one-sided difference, at the ends
    EXPECT_NEAR(s.curve[19], 2.0 * 9.5, 1e-4);
}

TEST(Derivative, ConstantSecondDerivative)
{
    SampledSeries s(20, 0.0, 0.5, [](double x) { return 1.5 * x * x; });
    ASSERT_EQ(DifferentiateSamples(2, 18, 20, 2, s.x.data(), s.y.data(), s.curve.data(), s.result), 4);
    EXPECT_EQ(s.result[0], 16.0f);
    EXPECT_NEAR(s.result[3], 3.0, 1e-6);
    for (float v : s.curve)
        EXPECT_NEAR(v, 3.0, 1e-6);
}

TEST(Derivative, LineFitFailuresArePassedOn)
{
    // The step comes from the first two samples, but the range itself has a single x value.
    SampledSeries s(12, 0.0, 1.0, [](double x) { return x; });
    for (int i = 2; i < 12; ++i)
        s.x[i] = 5.0f;
    EXPECT_EQ(DifferentiateSamples(2, 9, 12, 2, s.x.data(), s.y.data(), s.curve.data(), s.result), 0xFF00);
    EXPECT_EQ(DifferentiateSamples(2, 9, 12, 1, s.x.data(), s.y.data(), s.curve.data(), s.result), 0xFF00);
}

TEST(Derivative, StatusCodes)
{
    SampledSeries s(12, 0.0, 1.0, [](double x) { return x; });
    EXPECT_EQ(DifferentiateSamples(2, 4, 12, 0, s.x.data(), s.y.data(), s.curve.data(), s.result), 0x302);
    EXPECT_EQ(DifferentiateSamples(4, 2, 12, 0, s.x.data(), s.y.data(), s.curve.data(), s.result), 0x300);
    EXPECT_EQ(DifferentiateSamples(2, 14, 12, 0, s.x.data(), s.y.data(), s.curve.data(), s.result), 0);
    EXPECT_TRUE(s.Untouched());
    s.x[1] = s.x[0];
    EXPECT_EQ(DifferentiateSamples(2, 9, 12, 0, s.x.data(), s.y.data(), s.curve.data(), s.result), 0xFF00);
}

TEST(Statistics, StudentTLookup)
{
    EXPECT_EQ(OneSidedT95(4), 0.0);
    EXPECT_EQ(OneSidedT95(5), 2.015);
    EXPECT_EQ(OneSidedT95(35), 1.697);
    EXPECT_EQ(OneSidedT95(44), 1.684);
    EXPECT_EQ(OneSidedT95(1000), 1.645);
    EXPECT_EQ(OneSidedT95(499), 1.658);

    for (const auto& [count, t] : std::vector<std::pair<int, double>>{{5, 0.0}, {6, 2.015}, {36, 1.697}, {45, 1.684}, {1001, 1.645}}) {
        SampledSeries s(count, 0.0, 1.0, [](double x) { return std::fmod(x, 3.0); });
        ASSERT_EQ(ConfidenceStats(0, count, count, s.x.data(), s.y.data(), s.curve.data(), s.result), 9);
        EXPECT_NEAR(s.result[5], t * s.result[6] / std::sqrt(count), 1e-6) << count;
    }
}

TEST(Statistics, ResultLayout)
{
    SampledSeries s(8, 1.0, 1.0, [](double x) { return x; });
    ASSERT_EQ(ConfidenceStats(1, 7, 8, s.x.data(), s.y.data(), s.curve.data(), s.result), 9);
    const double sd = std::sqrt(17.5 / 5);
    EXPECT_EQ(s.result[0], 6.0f);
    EXPECT_EQ(s.result[1], 2.0f);
    EXPECT_EQ(s.result[2], 7.0f);
    EXPECT_EQ(s.result[3], 5.0f);
    EXPECT_FLOAT_EQ(s.result[4], 4.5f);
    EXPECT_FLOAT_EQ(s.result[5], static_cast<float>(2.015 * sd / std::sqrt(6.0)));
    EXPECT_FLOAT_EQ(s.result[6], static_cast<float>(sd));
    EXPECT_FLOAT_EQ(s.result[7], static_cast<float>(sd / std::sqrt(6.0)));
    EXPECT_FLOAT_EQ(s.result[8], static_cast<float>(std::sqrt(139.0 / 6)));
    for (float v : s.curve)
        EXPECT_FLOAT_EQ(v, 4.5f);
}

TEST(Statistics, ConstantSeries)
{
    SampledSeries s(10, 0.0, 1.0, [](double) { return 0.1; });
    ASSERT_EQ(ConfidenceStats(0, 10, 10, s.x.data(), s.y.data(), s.curve.data(), s.result), 9);
    EXPECT_EQ(s.result[3], 0.0f);
    EXPECT_EQ(s.result[4], 0.1f);
    EXPECT_EQ(s.result[6], 0.0f);
}

TEST(Statistics, ExtremesBeyondTheOldSentinels)
{
    SampledSeries high(3, 0.0, 1.0, [](double x) { return 3e9 + 1e9 * x; });
    ASSERT_EQ(ConfidenceStats(0, 3, 3, high.x.data(), high.y.data(), high.curve.data(), high.result), 9);
    EXPECT_EQ(high.result[1], 3e9f);
    EXPECT_EQ(high.result[2], 5e9f);
    SampledSeries low(3, 0.0, 1.0, [](double x) { return -3e9 - 1e9 * x; });
    ASSERT_EQ(ConfidenceStats(0, 3, 3, low.x.data(), low.y.data(), low.curve.data(), low.result), 9);
    EXPECT_EQ(low.result[1], -5e9f);
    EXPECT_EQ(low.result[2], -3e9f);
}

TEST(Statistics, SpreadOfReadingsFarFromZero)
{
    // 1e5 readings around 299.85: the one-pass variance in float came out 30 times too large.
    const int n = 100000;
    SampledSeries s(n, 0.0, 1.0, [](double i) { return 299.85 + 0.01 * (static_cast<int>(i) % 17 - 8); });
    double mean = 0;
    for (float v : s.y)
        mean += v;
    mean /= n;
    double squares = 0;
    for (float v : s.y)
        squares += (v - mean) * (v - mean);
    const double sd = std::sqrt(squares / (n - 1));
    ASSERT_EQ(ConfidenceStats(0, n, n, s.x.data(), s.y.data(), s.curve.data(), s.result), 9);
    EXPECT_NEAR(s.result[4], mean, 1e-4);
    EXPECT_NEAR(s.result[6], sd, sd * 1e-6);
}

TEST(Statistics, StatusCodes)
{
    SampledSeries s(10, 0.0, 1.0, [](double x) { return x; });
    EXPECT_EQ(ConfidenceStats(0, 2, 10, s.x.data(), s.y.data(), s.curve.data(), s.result), 0x302);
    EXPECT_EQ(ConfidenceStats(6, 2, 10, s.x.data(), s.y.data(), s.curve.data(), s.result), 0x300);
    EXPECT_EQ(ConfidenceStats(0, 11, 10, s.x.data(), s.y.data(), s.curve.data(), s.result), 0);
    EXPECT_TRUE(s.Untouched());
}

struct TwoSeries {
    SampledSeries first;
    SampledSeries second;
    TwoSeries(double mean1, double mean2)
        : first(10, 0.0, 1.0, [mean1](double x) { return mean1 + (static_cast<int>(x) % 2 ? 1.0 : -1.0); }),
          second(10, 0.0, 1.0, [mean2](double) { return mean2; })
    {
    }
    int Compare(int start = 0, int end = 10)
    {
        return CompareTwoSeries(start, end, 10, first.x.data(), first.y.data(), second.x.data(), second.y.data(),
                                first.curve.data(), first.result);
    }
};

TEST(Comparison, DifferenceInPercentOfTheLargerMean)
{
    for (const auto& [mean1, mean2] : std::vector<std::pair<double, double>>{{10, 8}, {8, 10}}) {
        TwoSeries t(mean1, mean2);
        ASSERT_EQ(t.Compare(), 5);
        EXPECT_EQ(t.first.result[0], 10.0f);
        EXPECT_FLOAT_EQ(t.first.result[1], static_cast<float>(mean1));
        EXPECT_FLOAT_EQ(t.first.result[2], static_cast<float>(mean2));
        EXPECT_FLOAT_EQ(t.first.result[3], 2.0f);
        EXPECT_FLOAT_EQ(t.first.result[4], 20.0f);
        for (float v : t.first.curve)
            EXPECT_FLOAT_EQ(v, 2.0f);
    }
}

TEST(Comparison, LargerMeanOfZeroGivesZeroPercent)
{
    TwoSeries t(0, -5);
    ASSERT_EQ(t.Compare(), 5);
    EXPECT_FLOAT_EQ(t.first.result[3], 5.0f);
    EXPECT_EQ(t.first.result[4], 0.0f);
    TwoSeries both(0, 0);
    ASSERT_EQ(both.Compare(), 5);
    EXPECT_EQ(both.first.result[4], 0.0f);
}

TEST(Comparison, StatusCodes)
{
    TwoSeries t(1, 2);
    EXPECT_EQ(t.Compare(0, 2), 0x302);
    EXPECT_EQ(t.Compare(5, 1), 0x300);
    EXPECT_EQ(t.Compare(0, 12), 0);
}

TEST(WindowSum, SumsWindowsAndCopiesTheRest)
{
    SampledSeries s(10, 1.0, 1.0, [](double x) { return x; });
    float length = 0;
    ASSERT_EQ(WindowSum(2, 8, 10, 3, nullptr, s.y.data(), s.curve.data(), &length), 1);
    EXPECT_EQ(length, 6.0f);
    const std::vector<float> expected = {1, 2, 12, 15, 18, 6, 7, 8, 9, 10};
    EXPECT_EQ(s.curve, expected);
    // In place gives the same.
    ASSERT_EQ(WindowSum(2, 8, 10, 3, nullptr, s.y.data(), s.y.data(), &length), 1);
    EXPECT_EQ(s.y, expected);
}

TEST(WindowSum, StatusCodes)
{
    SampledSeries s(10, 1.0, 1.0, [](double x) { return x; });
    float length = kSentinel;
    EXPECT_EQ(WindowSum(0, 10, 10, 0, nullptr, s.y.data(), s.curve.data(), &length), 0xFF00);
    EXPECT_EQ(WindowSum(0, 10, 10, -3, nullptr, s.y.data(), s.curve.data(), &length), 0xFF00);
    EXPECT_EQ(WindowSum(0, 4, 10, 6, nullptr, s.y.data(), s.curve.data(), &length), 0x604);
    EXPECT_EQ(WindowSum(4, 0, 10, 2, nullptr, s.y.data(), s.curve.data(), &length), 0x200);
    EXPECT_EQ(WindowSum(0, 12, 10, 2, nullptr, s.y.data(), s.curve.data(), &length), 0);
    EXPECT_TRUE(s.Untouched());
    EXPECT_EQ(length, kSentinel);
}

} // namespace
} // namespace numeric::testing
