#include "SeriesFixture.h"

#include "logger/analysis/numeric/CurveFits.h"

#include <gtest/gtest.h>

#include <cmath>

namespace numeric::testing {
namespace {

constexpr double kPi = 3.14159265358979323846;

TEST(DampedOscillationFit, RecoversFrequencyAndDamping)
{
    SampledSeries s(20002, 0.0, 0.001, [](double t) { return std::exp(-0.3 * t) * std::cos(2 * kPi * 1.5 * t); });
    ASSERT_EQ(FitDampedOscillation(0, 20000, s.n(), s.x.data(), s.y.data(), s.curve.data(), s.result), 13);
    EXPECT_GE(s.result[0], 25.0f); // peaks
    EXPECT_NEAR(s.result[2], 1.5, 1.5e-3); // f within 0.1 %
    EXPECT_NEAR(s.result[3], 0.3, 0.03);   // gamma
    EXPECT_NEAR(s.result[7], 0.0, 0.02);   // centre line
    EXPECT_GT(s.result[8], 0.95);          // r^2
    // Derived values hang together: w0^2 = gamma^2 + w^2, f0 = w0 / 2 pi.
    const double w = 6.283184 * s.result[2];
    const double gamma = s.result[3];
    EXPECT_NEAR(s.result[1], std::sqrt(gamma * gamma + w * w) / 6.283184, 1e-5);
    EXPECT_NEAR(s.result[4], w / (2 * gamma), 1e-3);
    EXPECT_NEAR(s.result[5], w * w, 1e-3);
    // Outside the range only the centre line is drawn.
    EXPECT_EQ(s.curve[20001], s.result[7]);
}

TEST(DampedOscillationFit, NinePeaksAreTooFew)
{
    SampledSeries s(902, 0.0, 0.01, [](double t) { return std::sin(2 * kPi * t); });
    EXPECT_EQ(FitDampedOscillation(0, 900, s.n(), s.x.data(), s.y.data(), s.curve.data(), s.result), 0x6409);
    EXPECT_TRUE(s.Untouched());
}

TEST(DampedOscillationFit, UsesOnlyTheFirstHundredPeaksEvenFromAFallingStart)
{
    // Starting just after a crest, the first trough closes before the first peak; the list of
    // troughs then holds one more entry than the list of peaks.
    SampledSeries s(12200, 0.1, 0.01, [](double t) { return std::exp(-0.02 * t) * std::cos(2 * kPi * t); });
    ASSERT_EQ(FitDampedOscillation(0, 12100, s.n(), s.x.data(), s.y.data(), s.curve.data(), s.result), 13);
    EXPECT_EQ(s.result[0], 100.0f);
    EXPECT_NEAR(s.result[2], 1.0, 1e-3);
}

TEST(DampedOscillationFit, IrregularSpacingFallsBackToTheMeanPeriod)
{
    // Peak spacings alternate between 1 and 2, so none lies within 0.1 of their mean.
    const auto phase = [](double t) {
        const double cycle = std::floor(t / 3.0);
        const double within = t - 3.0 * cycle;
        return 2 * cycle + (within < 1.0 ? within : 1.0 + (within - 1.0) / 2.0);
    };
    SampledSeries s(4000, 0.0, 0.01, [&](double t) { return std::exp(-0.1 * t) * std::cos(2 * kPi * phase(t)); });
    ASSERT_EQ(FitDampedOscillation(0, 3990, s.n(), s.x.data(), s.y.data(), s.curve.data(), s.result), 13);
    EXPECT_TRUE(std::isfinite(s.result[2]));
    EXPECT_NEAR(s.result[2], 1.0 / 1.5, 0.05);
}

TEST(DampedOscillationFit, UndampedPeaksLeaveNoEnvelopeToFit)
{
    // Every peak equals the first, so no peak stands above the envelope's offset.
    SampledSeries s(3000, 0.0, 0.01, [](double t) { return std::sin(2 * kPi * t); });
    EXPECT_EQ(FitDampedOscillation(0, 2990, s.n(), s.x.data(), s.y.data(), s.curve.data(), s.result), 0xFF00);
}

TEST(DampedOscillationFit, RangeReachingTheLastSampleIsRefused)
{
    SampledSeries s(3000, 0.0, 0.01, [](double t) { return std::sin(2 * kPi * t); });
    EXPECT_EQ(FitDampedOscillation(0, 3000, s.n(), s.x.data(), s.y.data(), s.curve.data(), s.result), 0);
    EXPECT_TRUE(s.Untouched());
}

} // namespace
} // namespace numeric::testing
