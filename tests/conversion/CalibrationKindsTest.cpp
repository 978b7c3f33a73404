// Kinds driven by calibration points, lines and polynomials, the default formula and the
// unconverted copy.
#include "ConversionTestSupport.h"

#include "devicelink/conversion/CalibrationPolynomial.h"

#include <cmath>
#include <tuple>

namespace {

using devicelink::kValuesOnlyTimeOffset;

struct Case {
    const char* what;
    int32_t raw;
    float expected;
};

void ExpectEach(Conversion& c, std::initializer_list<Case> cases)
{
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        ASSERT_EQ(c.Run({k.raw}), 1);
        EXPECT_NEAR(c.values[0], k.expected, 1e-4f);
    }
}

TEST_F(ConversionTest, OnePointByByteOrderCodeAndPointShift)
{
    Conversion c(1);
    c.Points({{4, 2.0f}});
    ExpectEach(c, {{"swapped register pair", 0x1000, 8.0f}});
    c.p.calWords[0] = 7;
    ExpectEach(c, {{"as received", 0x1000, 2048.0f}});
    c.p.pointShift = 1;
    c.Points({{1, 3.0f}}, 1);
    c.p.multiplierM = 2.0f;
    c.p.offsetZ = 1.0f;
    ExpectEach(c, {{"points from index 1, then x M + Z", 5, 31.0f}});
    c.p.rawPoints[1] = 0;
    ExpectEach(c, {{"zero raw point keeps the previous value", 5, 0.0f}});
}

TEST_F(ConversionTest, TwoAndThreePointLines)
{
    Conversion two(2);
    two.p.calWords[0] = 7;
    two.Points({{200, 30.0f}, {100, 10.0f}});
    ExpectEach(two, {{"on the line", 150, 20.0f}, {"extrapolated", 0, -10.0f}});
    two.p.rawPoints[0] = 100;
    ExpectEach(two, {{"equal raw points", 150, 0.0f}});

    Conversion rising(3);
    rising.p.calWords[0] = 7;
    rising.p.isSigned = 1;
    rising.Points({{0, 0.0f}, {100, 10.0f}, {300, 50.0f}});
    Conversion falling(3);
    falling.p.calWords[0] = 7;
    falling.Points({{300, 50.0f}, {100, 10.0f}, {0, 0.0f}});
    ExpectEach(rising, {{"rising, below F", 50, 5.0f}, {"rising, above F", 200, 30.0f},
                        {"signed reading", 0xFFCE, -5.0f}});
    ExpectEach(falling, {{"falling, below F", 50, 5.0f}, {"falling, above F", 200, 30.0f}});
    falling.p.byteCount = 4;
    ExpectEach(falling, {{"32-bit below R1", 50, 5.0f}, {"32-bit above R1", 200, 30.0f}});
    falling.p.calWords[0] = 0;
    ExpectEach(falling, {{"32-bit byte-swapped", int32_t(0xC8000000u), 30.0f}});
}

TEST_F(ConversionTest, CubicOfAMappedReading)
{
    Conversion c(4);
    c.p.rawPoints[0] = 100;
    c.p.rawPoints[4] = 1000;
    c.p.pointValues[1] = 1e9f;  // c1 = 1
    c.p.pointValues[2] = 1e9f;  // c2 = 1
    ExpectEach(c, {{"v = 10 x, v + v^2", BigEndian16(5), 2550.0f}});
    // Equal raw points give the segment's start value instead of a division by zero.
    c.p.rawPoints[0] = 7;
    c.p.rawPoints[1] = 7;
    c.p.rawPoints[5] = 3;
    ExpectEach(c, {{"degenerate line", BigEndian16(5), 12.0f}});
}

TEST_F(ConversionTest, TwoRangeTemperature)
{
    Conversion c(10);
    c.p.rawPoints[0] = 100;
    c.p.rawPoints[4] = 100;
    c.p.rawPoints[2] = 100;
    c.p.rawPoints[6] = 100;
    c.p.refWords[0] = 1;
    c.p.refWords[4] = 1;
    c.p.coefT0 = 0.5f;
    auto word = [](int32_t reference, int32_t reading) {
        return int32_t(uint32_t(BigEndian16(reference)) << 16 | uint32_t(BigEndian16(reading)));
    };
    ExpectEach(c, {{"upper range", word(10, 1), 2.6307105f}, {"lower range", word(-10, 1), -0.0595808f}});
    c.p.unitOptions[0] = 1;
    ExpectEach(c, {{"Fahrenheit", word(10, 1), 36.735279f}});

    // A reading whose mapped value has no logarithm repeats the previous value.
    ASSERT_EQ(c.Run({word(10, 1), word(10, -3)}), 2);
    EXPECT_FLOAT_EQ(c.values[1], c.values[0]);
    // Degenerate reference lines give finite values, not traps.
    devicelink::ConversionParams degenerate = c.p;
    degenerate.rawPoints[0] = degenerate.rawPoints[1] = 0;
    degenerate.refWords[0] = degenerate.refWords[1] = 5;
    c.p = degenerate;
    ASSERT_EQ(c.Run({word(10, 1)}), 1);
    EXPECT_TRUE(std::isfinite(c.values[0]));
}

TEST_F(ConversionTest, SwappedAndClampedLines)
{
    Conversion three(19);
    three.Points({{200, 30.0f}, {100, 10.0f}, {0, 0.0f}});
    ExpectEach(three, {{"below R1", BigEndian16(50), 5.0f}, {"above R1", BigEndian16(150), 20.0f},
                       {"always signed", BigEndian16(-100), -10.0f}});

    Conversion clamped(20);
    clamped.p.isSigned = 1;
    clamped.Points({{100, 10.0f}});
    ExpectEach(clamped, {{"on the line", BigEndian16(50), 5.0f}, {"negative becomes 0", BigEndian16(-50), 0.0f}});
    clamped.p.conversionKind = 27;
    clamped.p.calWords[0] = 7;
    ExpectEach(clamped, {{"order code: as received", 50, 5.0f}});
    clamped.p.calWords[0] = 0;
    ExpectEach(clamped, {{"order code: swapped", 50, 1280.0f}});
}

TEST_F(ConversionTest, TenBitTwoSlopesAndPolynomial)
{
    Conversion tenBit(25, 2);
    tenBit.p.offsetB = 2.0f;
    tenBit.p.pointValues[0] = 0.5f;
    tenBit.p.pointValues[1] = 1.0f;
    tenBit.p.pointValues[2] = 0.25f;
    tenBit.p.rawPoints[0] = 500;
    ASSERT_EQ(tenBit.Run({0x10, 0x3}), 1);  // g = 0x310 = 784
    EXPECT_FLOAT_EQ(tenBit.values[0], 395.0f);
    tenBit.p.unitOptions[0] = 1;
    tenBit.p.rawPoints[0] = 1000;
    ASSERT_EQ(tenBit.Run({0x10, 0x3}), 1);
    EXPECT_FLOAT_EQ(tenBit.values[0], 19.8f);
    tenBit.p.entriesPerSample = 1;
    EXPECT_EQ(tenBit.Run({0x10, 0x3}), 0) << "a one-word sample has no second entry";

    Conversion slopes(26);
    slopes.p.pointValues[4] = 0.5f;
    slopes.p.pointValues[5] = 1.0f;
    slopes.p.pointValues[6] = 2.0f;
    slopes.p.pointValues[7] = 10.0f;
    ExpectEach(slopes, {{"above R1", 100, 51.0f}, {"at or below R1, signed", 0xFFFF, 8.0f}});
    ASSERT_EQ(slopes.Run({100}, 0, kValuesOnlyTimeOffset), 1);
    EXPECT_EQ(slopes.times[0], Conversion::kUntouched);

    Conversion poly(28);
    poly.p.calWords[0] = devicelink::kPolynomialDegree1 + 1;
    poly.p.pointValues[0] = 1.0f;
    poly.p.pointValues[1] = 2.0f;
    poly.p.pointValues[2] = 3.0f;
    poly.p.offsetB = 0.5f;
    poly.p.scaleA = 2.0f;
    ExpectEach(poly, {{"(Z + B) + M A poly(x)", 2, 34.5f}});
    ASSERT_EQ(poly.Run({2}, 0, kValuesOnlyTimeOffset), 1);
    EXPECT_FLOAT_EQ(poly.values[0], 4.5f) << "values-only skips the polynomial";

    poly.p.calWords[0] = devicelink::kPowerLaw;  // 1 x^0.5
    poly.p.pointValues[1] = 0.5f;
    ASSERT_EQ(poly.Run({4, -4}), 2);
    EXPECT_FLOAT_EQ(poly.values[0], 4.5f);
    EXPECT_FLOAT_EQ(poly.values[1], 4.5f) << "no real root of a negative reading: the previous value";
}

TEST_F(ConversionTest, CalibrationPolynomialTypes)
{
    const float c[8] = {1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f, 8.0f};
    const std::tuple<int32_t, double, double> cases[] = {
        {257, 2.0, 5.0}, {263, 1.0, 36.0}, {512, 3.0, 9.0}, {256, 3.0, -1.0}, {264, 3.0, -1.0}};
    for (auto [type, x, expected] : cases)
        EXPECT_DOUBLE_EQ(devicelink::EvalCalibrationPolynomial(type, c, x), expected) << type;
}

TEST_F(ConversionTest, SevenPointTable)
{
    Conversion c(29);
    for (int k = 0; k < 7; ++k) {
        c.p.rawPoints[k] = 10 * (k + 1);
        c.p.pointValues[k] = float(k + 1);
    }
    auto raw = [](int32_t x) { return int32_t(uint32_t(BigEndian16(x)) << 16 | 0xABCDu); };
    ExpectEach(c, {{"through the origin", raw(5), 0.5f}, {"inner segment", raw(15), 1.5f},
                   {"segment end", raw(20), 2.0f}, {"last point", raw(70), 7.0f},
                   {"beyond the table", raw(80), 8.0f}});

    // A long run goes through a table of all readings; it must agree with the short path.
    std::vector<int32_t> longRun(70000);
    for (size_t k = 0; k < longRun.size(); ++k)
        longRun[k] = raw(int32_t(k % 90));
    ASSERT_EQ(c.Run(longRun), 70000);
    const std::vector<float> viaTable = c.values;
    for (int32_t x = 0; x < 90; ++x) {
        ASSERT_EQ(c.Run({raw(x)}), 1);
        EXPECT_FLOAT_EQ(viaTable[size_t(x)], c.values[0]) << x;
    }

    // A zero-width last segment matches nothing: the sample repeats the previous value.
    c.p.rawPoints[6] = c.p.rawPoints[5];
    ASSERT_EQ(c.Run({raw(5), raw(90)}), 2);
    EXPECT_FLOAT_EQ(c.values[1], 0.5f);

}

TEST_F(ConversionTest, SignedOnlyKindDeliversNothingForUnsignedSensors)
{
    Conversion c(33);
    c.p.scaleA = 2.0f;
    c.p.offsetB = 1.0f;
    EXPECT_EQ(c.Run({5, 6}), 0);
    EXPECT_EQ(c.values[0], Conversion::kUntouched);
    c.p.isSigned = 1;
    ASSERT_EQ(c.Run({-5}), 1);
    EXPECT_FLOAT_EQ(c.values[0], -9.0f);
}

TEST_F(ConversionTest, DefaultFormulaAndTimes)
{
    Conversion c(0);
    c.p.scaleA = 2.0f;
    c.p.offsetB = 1.0f;
    c.p.multiplierM = 3.0f;
    c.p.offsetZ = 0.5f;
    c.p.timeOrigin = 10.0f;
    c.p.timeScale = 0.5f;
    ASSERT_EQ(c.Run({-4, 7}, 0, -100), 2);
    EXPECT_FLOAT_EQ(c.values[0], -20.5f);
    EXPECT_FLOAT_EQ(c.times[1], 65.0f);  // 10 + 0.5 x (10 + 100)
    ASSERT_EQ(c.Run({-4}, 0, kValuesOnlyTimeOffset), 1);
    EXPECT_EQ(c.times[0], Conversion::kUntouched);

    c.p.entriesPerSample = 2;
    ASSERT_EQ(c.Run({1, 99, 2, 99}), 2);
    EXPECT_FLOAT_EQ(c.values[1], 15.5f);
    EXPECT_FLOAT_EQ(c.times[1], 20.0f) << "time of the sample's first entry";
}

TEST_F(ConversionTest, NoRecordOrChannelOutOfRangeCopiesWords)
{
    const int32_t raw[2] = {-3, 40};
    const int32_t rawTimes[2] = {100, 200};
    float values[2] = {};
    float times[2] = {};
    Conversion c(1);
    for (int32_t channel : {-1, 4, 0}) {
        const devicelink::ConversionParams* params = channel == 0 ? nullptr : &c.p;
        int32_t produced = -1;
        EXPECT_EQ(devicelink::ConvertSamples(channel, 2, raw, rawTimes, values, times, 50, params, &produced), 1);
        EXPECT_EQ(produced, 0) << channel;
        EXPECT_FLOAT_EQ(values[0], -3.0f);
        EXPECT_FLOAT_EQ(times[1], 150.0f);
    }
    int32_t produced = -1;
    EXPECT_EQ(devicelink::ConvertSamples(0, -1, raw, rawTimes, values, times, 0, &c.p, &produced), 0);
    EXPECT_EQ(devicelink::ConvertSamples(0, 2, nullptr, rawTimes, values, times, 0, &c.p, &produced), 0);
    EXPECT_EQ(produced, 0);
}

}  // namespace
