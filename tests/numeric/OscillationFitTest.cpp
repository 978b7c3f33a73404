#include "SeriesFixture.h"

#include "numeric/CurveFits.h"

#include <gtest/gtest.h>

#include <cmath>

namespace numeric::testing {
namespace {

constexpr double kPi = 3.14159265358979323846;

int Fit(SampledSeries& s, int end) { return FitDampedOscillation(0, end, s.n(), s.x.data(), s.y.data(), s.curve.data(), s.result); }

TEST(DampedOscillationFit, RecoversFrequencyAndDamping)
{
    SampledSeries s(20002, 0.0, 0.001, [](double t) { return std::exp(-0.3 * t) * std::cos(3 * kPi * t); });
    ASSERT_EQ(Fit(s, 20000), 13);
    EXPECT_GE(s.result[0], 25.0f);         // peaks
    EXPECT_NEAR(s.result[2], 1.5, 1.5e-3); // f within 0.1 %
    EXPECT_NEAR(s.result[3], 0.3, 0.03);   // gamma
    EXPECT_NEAR(s.result[7], 0.0, 0.02);   // centre line
    EXPECT_GT(s.result[8], 0.95);          // r^2
    const double w = 6.283184 * s.result[2];
    const double gamma = s.result[3];
    EXPECT_NEAR(s.result[1], std::sqrt(gamma * gamma + w * w) / 6.283184, 1e-5);
    EXPECT_NEAR(s.result[4], w / (2 * gamma), 1e-3);
    EXPECT_EQ(s.curve[20001], s.result[7]); // outside the range only the centre line
}

TEST(DampedOscillationFit, PeakCounts)
{
    SampledSeries nine(902, 0.0, 0.01, [](double t) { return std::sin(2 * kPi * t); });
    EXPECT_EQ(Fit(nine, 900), 0x6409);
    EXPECT_TRUE(nine.Untouched());
    EXPECT_EQ(Fit(nine, 902), 0); // the peak search reads y[end]

    // Starting just after a crest closes one trough before the first peak.
    SampledSeries many(12200, 0.1, 0.01, [](double t) { return std::exp(-0.02 * t) * std::cos(2 * kPi * t); });
    ASSERT_EQ(Fit(many, 12100), 13);
    EXPECT_EQ(many.result[0], 100.0f);
    EXPECT_NEAR(many.result[2], 1.0, 1e-3);

    // Equal peaks leave nothing above the envelope's offset to fit.
    SampledSeries undamped(3000, 0.0, 0.01, [](double t) { return std::sin(2 * kPi * t); });
    EXPECT_EQ(Fit(undamped, 2990), 0xFF00);
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
    ASSERT_EQ(Fit(s, 3990), 13);
    EXPECT_NEAR(s.result[2], 1.0 / 1.5, 0.05);
}

} // namespace
} // namespace numeric::testing
