// Kinds that keep state between calls: gate events, change events and GPS sentences.
#include "ConversionTestSupport.h"

#include "devicelink/conversion/GpsNmea.h"

#include <clocale>
#include <string>

namespace {

using devicelink::ProcessConversionState;

TEST_F(ConversionTest, GateEventsAcrossCallsAreEachReportedOnce)
{
    Conversion c(21);
    c.p.mode = 1;
    ASSERT_EQ(c.Run({100, 2000, 5000, 2000, 100}), 2);
    EXPECT_FLOAT_EQ(c.values[0], 20.0f) << "high at the third sample";
    EXPECT_FLOAT_EQ(c.values[1], 40.0f);
    EXPECT_FLOAT_EQ(c.times[1], 1.0f);

    // The next call's events start at index 0 of its output and continue the numbering.
    ASSERT_EQ(c.Run({5000}), 1);
    EXPECT_FLOAT_EQ(c.times[0], 2.0f);
    ASSERT_EQ(c.Run({5000, 100}), 1);
    EXPECT_FLOAT_EQ(c.values[0], 10.0f);
    EXPECT_FLOAT_EQ(c.times[0], 3.0f);
    EXPECT_EQ(ProcessConversionState().gate[0].eventCount, 4);
    EXPECT_EQ(ProcessConversionState().gate[1].eventCount, 0) << "channels count apart";

    EXPECT_EQ(devicelink::ResetChannelConvState(0), 1);
    ASSERT_EQ(c.Run({5000}), 1);
    EXPECT_FLOAT_EQ(c.times[0], 0.0f);
    EXPECT_EQ(devicelink::ResetChannelConvState(4), 0);
    EXPECT_EQ(devicelink::ResetChannelConvState(-1), 0);
}

TEST_F(ConversionTest, ChangeEventsPerChannelAndShared)
{
    Conversion perChannel(32);
    ASSERT_EQ(perChannel.Run({5, 5, int32_t(0x80000007u)}, 1), 2);
    EXPECT_FLOAT_EQ(perChannel.values[0], 5e-6f);
    EXPECT_FLOAT_EQ(perChannel.values[1], 7e-6f) << "top bit masked";
    EXPECT_FLOAT_EQ(perChannel.times[1], 1.0f);
    EXPECT_EQ(perChannel.Run({int32_t(0x80000007u)}, 1), 0);

    EXPECT_EQ(devicelink::ResetChannelFilterState(1), 1);
    EXPECT_EQ(perChannel.Run({-10}, 1), 0) << "the reset word itself is no change";
    ASSERT_EQ(perChannel.Run({3}, 1), 1);
    EXPECT_FLOAT_EQ(perChannel.times[0], 0.0f);
    EXPECT_EQ(devicelink::ResetChannelFilterState(7), 0);

    Conversion shared(31);
    ASSERT_EQ(shared.Run({3}, 0), 1);
    EXPECT_EQ(shared.Run({3}, 2), 0) << "one state for all channels";
    devicelink::ResetSharedChangeState();
    ASSERT_EQ(shared.Run({3}, 2), 1);
    EXPECT_FLOAT_EQ(shared.times[0], 0.0f);
}

const char kFix[] =
    "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n"
    "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";

TEST_F(ConversionTest, GpsSentencesGiveLatitudeLongitudeAltitude)
{
    Conversion c(18);
    ASSERT_EQ(c.RunBytes(kFix), 3);
    EXPECT_NEAR(c.values[0], 48.1173f, 1e-4f);
    EXPECT_NEAR(c.values[1], 11.516667f, 1e-4f);
    EXPECT_FLOAT_EQ(c.values[2], 545.0f) << "whole metres";
    EXPECT_FLOAT_EQ(c.times[2], 500.0f);

    // Jumps beyond 0.001 degree or 100 m keep the previous values.
    ASSERT_EQ(c.RunBytes("$GPRMC,1,A,4907.038,N,01131.001,E\n$GPGGA,1,,,,,1,8,1,800.0,M\n"), 3);
    EXPECT_NEAR(c.values[0], 48.1173f, 1e-4f);
    EXPECT_NEAR(c.values[1], 11.516683f, 1e-5f);
    EXPECT_FLOAT_EQ(c.values[2], 545.0f);

    devicelink::ResetConversionState();
    ASSERT_EQ(c.RunBytes("$GPRMC,,V,,,,\n"), 3);
    EXPECT_EQ(c.values[0], 0.0f) << "no fix yet";
    ASSERT_EQ(c.RunBytes("$GPRMC,1,A,3345.5,S,07030.0,W"), 3) << "sentence ending at the last byte";
    EXPECT_NEAR(c.values[0], -33.758333f, 1e-4f);
    EXPECT_NEAR(c.values[1], -70.5f, 1e-4f);
}

TEST_F(ConversionTest, GpsNoiseNeverBecomesTheFix)
{
    // Impossible first readings must not be taken: the step filters would then reject every
    // real position and altitude that follows.
    Conversion c(18);
    ASSERT_EQ(c.RunBytes("$GPRMC,1,A,9e99,N,18100.0,E\n$GPGGA,1,,,,,1,8,1,1e300,M\n"), 3);
    EXPECT_EQ(c.values[0], 0.0f);
    EXPECT_EQ(c.values[1], 0.0f);
    EXPECT_EQ(c.values[2], 0.0f);
    ASSERT_EQ(c.RunBytes(kFix), 3);
    EXPECT_NEAR(c.values[0], 48.1173f, 1e-4f);
    EXPECT_NEAR(c.values[1], 11.516667f, 1e-4f);
    EXPECT_FLOAT_EQ(c.values[2], 545.0f);

    double latitude = 1.0, longitude = 1.0;
    EXPECT_EQ(devicelink::GpsStepDistance(0.0, 0.0, 0.0, "9100.0", "01131.0", &latitude, &longitude, 'N', 'E'), 0);
    EXPECT_EQ(latitude, 0.0);
    EXPECT_NEAR(longitude, 11.516667, 1e-6);
}

TEST_F(ConversionTest, GpsFieldsAreBoundedAndParsedInTheCLocale)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        std::setlocale(LC_NUMERIC, "de_DE");

    Conversion c(18);
    const std::string longFields = "$GPRMC,1,A,4807.038000000000000077,N,01131.0000000000001,E" +
                                   std::string(200, ',') + "\n";
    ASSERT_EQ(c.RunBytes(longFields), 3);
    EXPECT_NEAR(c.values[0], 48.1173f, 1e-4f);
    EXPECT_NEAR(c.values[1], 11.516667f, 1e-4f);
    std::setlocale(LC_NUMERIC, saved.c_str());

    devicelink::NmeaSentence sentence;
    size_t next = 0;
    ASSERT_TRUE(devicelink::NextNmeaSentence(longFields, 0, sentence, next));
    EXPECT_EQ(sentence.fieldCount, devicelink::kNmeaMaxFields);
    EXPECT_EQ(sentence.Field(3), "4807.0380");
    EXPECT_EQ(sentence.Field(99), "");

    ASSERT_EQ(c.RunBytes("$G"), 0) << "too short for a sentence head";
    ASSERT_EQ(c.RunBytes("$GP"), 3);
}

}  // namespace
