// Kinds of particular sensors: three-axis, barometric, temperature, colour, humidity, weather
// station, angle and tagged words.
#include "ConversionTestSupport.h"

#include <bit>
#include <cmath>
#include <numbers>

namespace {

constexpr int32_t kDatasheetWords[11] = {408, -72, -14383, 32741, 32757, 23153, 6190, 4, -32768, -8711, 2868};

void UseDatasheetCalibration(devicelink::ConversionParams& p)
{
    for (int k = 0; k < 11; ++k)
        p.calWords[k] = kDatasheetWords[k];
}

// Raw pressure 23843 at oversampling 0 arrives as its upper 16 bits in entry 1.
const std::vector<int32_t> kDatasheetSample = {27898, 23843, 0x5A};

TEST_F(ConversionTest, ThreeAxisModes)
{
    Conversion c(11, 3, 3);
    c.p.scaleA = 0.5f;
    c.p.allOutputs = 1;
    ASSERT_EQ(c.Run({BigEndian16(1), BigEndian16(2), BigEndian16(3)}), 3);
    EXPECT_FLOAT_EQ(c.values[0], 0.5f);
    EXPECT_FLOAT_EQ(c.values[2], 1.5f);

    c.p.mode = 1;
    ASSERT_EQ(c.Run({BigEndian16(3), BigEndian16(4), BigEndian16(-2), BigEndian16(0), BigEndian16(2), 0}), 6);
    EXPECT_FLOAT_EQ(c.values[0], 2.5f);
    EXPECT_FLOAT_EQ(c.values[1], float(std::numbers::pi / 4)) << "atan of the integer quotient 4 / 3 = 1";
    EXPECT_NEAR(c.values[4], std::numbers::pi / 2, 1e-6) << "x = 0";

    c.p.mode = 0;
    c.p.outputsPerSample = 1000;
    ASSERT_EQ(c.Run({BigEndian16(1), BigEndian16(2), BigEndian16(3)}, 0, 0, 4), 4) << "at most four slots";

    c.p.allOutputs = 0;
    c.p.outputSelector = 2;
    ASSERT_EQ(c.Run({BigEndian16(1), BigEndian16(2), BigEndian16(3)}), 1);
    EXPECT_FLOAT_EQ(c.values[0], 1.5f);

    c.p.entriesPerSample = 2;
    EXPECT_EQ(c.Run({1, 2, 3, 4}), 0) << "a sample needs three entries";
}

TEST_F(ConversionTest, PressureWithTheDatasheetCalibration)
{
    Conversion c(12, 3, 3);
    UseDatasheetCalibration(c.p);
    c.p.pointValues[0] = 699.65f;
    c.p.allOutputs = 1;
    ASSERT_EQ(c.Run(kDatasheetSample), 3);
    EXPECT_NEAR(c.values[0], 699.65f, 1e-3f) << "69965 Pa";
    EXPECT_NEAR(c.values[1], 0.0f, 0.01f) << "pressure equal to the reference";
    EXPECT_NEAR(c.values[2], 15.0f, 1e-5f);

    c.p.allOutputs = 0;
    c.p.outputSelector = 2;
    c.p.unitOptions[1] = 1;
    ASSERT_EQ(c.Run(kDatasheetSample), 1);
    EXPECT_NEAR(c.values[0], 59.0f, 1e-4f);

    c.p.outputSelector = 1;
    c.p.pointValues[0] = 1013.25f;
    ASSERT_EQ(c.Run(kDatasheetSample), 1);
    EXPECT_NEAR(c.values[0], 3016.55f, 0.05f) << "altitude below the standard reference";
}

TEST_F(ConversionTest, PressureNeverTrapsOnABadCalibration)
{
    Conversion c(12, 3, 3);
    c.p.allOutputs = 1;
    ASSERT_EQ(c.Run(kDatasheetSample), 3) << "zeroed calibration words";
    EXPECT_EQ(c.values[0], 0.0f);
    EXPECT_EQ(c.values[2], 0.0f);

    // B4 = 0: AC4 = 0 leaves the temperature but no pressure.
    UseDatasheetCalibration(c.p);
    c.p.calWords[3] = 0;
    ASSERT_EQ(c.Run(kDatasheetSample), 3);
    EXPECT_EQ(c.values[0], 0.0f);
    EXPECT_NEAR(c.values[2], 15.0f, 1e-5f);
    // X1 + MD = 0 exactly: UT = AC6 gives X1 = 0, with MD = 0.
    UseDatasheetCalibration(c.p);
    c.p.calWords[10] = 0;
    ASSERT_EQ(c.Run({23153, 23843, 0}), 3);
    EXPECT_EQ(c.values[2], 0.0f);

    // Extreme but register-sized words and out-of-range oversampling modes stay defined.
    for (int32_t k = 0; k < 11; ++k)
        c.p.calWords[k] = (k >= 3 && k <= 5) ? 65535 : -32768;
    for (int32_t mode : {-5, 0, 3, 9}) {
        c.p.mode = mode;
        ASSERT_EQ(c.Run({65535, 65535, 255, 0, 0, 0}), 6) << mode;
    }
    c.p.entriesPerSample = 2;
    EXPECT_EQ(c.Run({1, 2}), 0) << "a sample needs three entries";
}

TEST_F(ConversionTest, TemperatureSensors)
{
    Conversion signedHalf(13);
    signedHalf.p.scaleA = 0.5f;
    signedHalf.p.offsetZ = 1.0f;
    ASSERT_EQ(signedHalf.Run({int32_t(0x7777FFF6)}), 1);  // low half -10
    EXPECT_FLOAT_EQ(signedHalf.values[0], -4.0f);
    signedHalf.p.unitOptions[0] = 1;
    ASSERT_EQ(signedHalf.Run({20}), 1);
    EXPECT_FLOAT_EQ(signedHalf.values[0], 1.0f + 10.0f * 1.8f + 32.0f);

    Conversion twelveBit(14);
    ASSERT_EQ(twelveBit.Run({0x1FF0, 0x0190}), 2);
    EXPECT_FLOAT_EQ(twelveBit.values[0], -1.0f);
    EXPECT_FLOAT_EQ(twelveBit.values[1], 25.0f);
}

TEST_F(ConversionTest, NormalisedColourReadings)
{
    Conversion c(15, 4, 4);
    const float factors[4] = {1.0f, 2.0f, 1.0f, 1.0f};
    for (int k = 0; k < 4; ++k)
        c.p.calWords[k] = std::bit_cast<int32_t>(factors[k]);
    c.p.unitOptions[0] = 1;
    const std::vector<int32_t> sample = {BigEndian16(100), BigEndian16(200), BigEndian16(300), BigEndian16(50)};
    ASSERT_EQ(c.Run(sample), 1);
    EXPECT_FLOAT_EQ(c.values[0], 100.0f / 600.0f) << "normalised by the sum without the fourth";
    c.p.outputSelector = 1;
    ASSERT_EQ(c.Run(sample), 1);
    EXPECT_FLOAT_EQ(c.values[0], 400.0f);
    EXPECT_FLOAT_EQ(c.times[0], 10.0f) << "time of the selected entry";
    c.p.calWords[1] = -1;  // a blank memory chip: no gain, not NaN
    ASSERT_EQ(c.Run(sample), 1);
    EXPECT_FLOAT_EQ(c.values[0], 200.0f);

    c.p.entriesPerSample = 5;
    EXPECT_EQ(c.Run({1, 2, 3, 4, 5}), 0) << "at most four readings a sample";
}

TEST_F(ConversionTest, HumidityAndDewPoint)
{
    Conversion c(17, 1, 3);
    c.p.allOutputs = 1;
    auto word = [](int32_t humidityTenths, int32_t celsiusTenths) {
        return int32_t(uint32_t(humidityTenths) << 16 | (uint32_t(celsiusTenths) & 0xFFFFu));
    };
    ASSERT_EQ(c.Run({word(500, 250), word(800, -50)}), 6);
    EXPECT_FLOAT_EQ(c.values[0], 50.0f);
    EXPECT_FLOAT_EQ(c.values[1], 25.0f);
    EXPECT_NEAR(c.values[2], 13.85f, 0.01f);
    EXPECT_NEAR(c.values[5], -7.585f, 0.01f) << "the below-zero constants";

    // No humidity: the dew point is still a number; humidity and temperature are unchanged.
    ASSERT_EQ(c.Run({word(0, 250), word(-30, 250)}), 6);
    EXPECT_FLOAT_EQ(c.values[0], 0.0f);
    EXPECT_TRUE(std::isfinite(c.values[2]));
    EXPECT_FLOAT_EQ(c.values[3], -3.0f);
    EXPECT_TRUE(std::isfinite(c.values[5]));

    c.p.allOutputs = 0;
    c.p.outputSelector = 2;
    c.p.unitOptions[2] = 1;
    ASSERT_EQ(c.Run({word(500, 250)}), 1);
    EXPECT_NEAR(c.values[0], 13.85f * 1.8f + 32.0f, 0.02f);
}

TEST_F(ConversionTest, WeatherStationTaggedReadings)
{
    Conversion c(23, 5, 4);
    UseDatasheetCalibration(c.p);
    c.p.allOutputs = 1;
    auto tagged = [](uint32_t tag, int32_t low) { return int32_t(tag << 16 | (uint32_t(low) & 0xFFFFu)); };
    const int32_t cold = tagged(0x100, -20);
    ASSERT_EQ(c.Run({tagged(0x100, 150), tagged(0x200, 23843), tagged(0x300, 1234), tagged(0x300, 1234),
                     tagged(0, 455), cold, cold, cold, cold, cold}), 8);
    const float expected[7] = {45.5f, 15.0f, 12.34f, 0.0f, 45.5f, -2.0f, 12.34f};
    for (int k : {0, 1, 2, 4, 5, 6})  // the second sample keeps the values it has no word for
        EXPECT_FLOAT_EQ(c.values[k], expected[k]) << k;
    EXPECT_NEAR(c.values[3], 699.6f, 0.3f);
    EXPECT_GT(c.values[7], 600.0f) << "pressure kept from the earlier raw word";

    c.p.allOutputs = 0;
    c.p.outputSelector = 3;
    for (int k = 0; k < 11; ++k)
        c.p.calWords[k] = 0;
    ASSERT_EQ(c.Run({tagged(0x200, 23843), 0, 0, 0, 0}), 1);
    EXPECT_EQ(c.values[0], 0.0f) << "zeroed calibration";

    c.p.entriesPerSample = 4;
    EXPECT_EQ(c.Run({1, 2, 3, 4}), 0) << "a sample needs five entries";
}

TEST_F(ConversionTest, AngleAndTaggedWords)
{
    Conversion angle(30);
    ASSERT_EQ(angle.Run({int32_t(0xFFFF0000u | (16383u << 2) | 3u), 1 << 2}), 2);
    EXPECT_NEAR(angle.values[0], 359.978f, 1e-3f);
    EXPECT_NEAR(angle.values[1], 0.02197265625f, 1e-7f);

    Conversion tagged(34, 2);
    const int32_t tag = 0x200 << 16;
    ASSERT_EQ(tagged.Run({0, 0, tag | 1234, 0, tag | 1, tag | 500, 0, 0}), 4);
    EXPECT_FLOAT_EQ(tagged.values[0], 0.0f);
    EXPECT_FLOAT_EQ(tagged.values[1], 12.34f);
    EXPECT_FLOAT_EQ(tagged.values[2], 5.0f) << "entry 1 before entry 0";
    EXPECT_FLOAT_EQ(tagged.values[3], 5.0f) << "no tag: previous value";
    tagged.p.entriesPerSample = 1;
    EXPECT_EQ(tagged.Run({tag | 1}), 0) << "a sample needs two entries";
}

}  // namespace
