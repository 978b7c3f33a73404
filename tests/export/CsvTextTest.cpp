#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "devicelink/catalogue/SensorCatalogue.h"
#include "devicelink/catalogue/SensorValueFormat.h"
#include "logger/export/core/CsvText.h"


using namespace exporting;

namespace {

std::string Cell(std::u16string_view text)
{
    std::string out;
    csv::AppendCell(out, text);
    return out;
}

std::string Time(float seconds, int decimals)
{
    char buffer[csv::kMaxNumberLength];
    return std::string(buffer, csv::AppendTime(buffer, seconds, decimals));
}

std::string Value(float value, int digits)
{
    char buffer[csv::kMaxNumberLength];
    return std::string(buffer, csv::AppendValue(buffer, value, digits));
}

TEST(CsvText, TextCellsAreQuotedOnlyWhenTheyMustBe)
{
    const struct {
        std::u16string text;
        std::string cell;
    } cases[] = {
        {u"Temperature(°C)", "Temperature(\xC2\xB0" "C)"},
        {u" ", " "},
        {u"온도", "\xEC\x98\xA8\xEB\x8F\x84"},
        {u"a,b", "\"a,b\""},
        {u"say \"hi\"", "\"say \"\"hi\"\"\""},
        {u"two\nlines", "\"two\nlines\""},
        {u"cr\r", "\"cr\r\""},
        {u"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Cell(c.text), c.cell);
}

TEST(CsvText, TimeDecimalsFollowTheSamplingInterval)
{
    const struct {
        int32_t period;
        int decimals;
    } cases[] = {{1000, 3}, {100, 4}, {1500, 4}, {200000, 1}, {1000000, 0}, {2000000, 0}, {1, 6}, {0, 0}, {-5, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(csv::TimeDecimals(c.period), c.decimals) << c.period;
}

TEST(CsvText, TimesTellEverySampleApartWithoutFloatNoise)
{
    // At 1 kHz past 1000 s "%g" writes 1000.001 and 1000.002 alike; these stay apart.
    EXPECT_EQ(Time(1000.001f, 3), "1000.001");
    EXPECT_EQ(Time(1000.002f, 3), "1000.002");
    EXPECT_NE(Time(100.0001f, 4), Time(100.0002f, 4));
    // A time made of a float scale keeps no noise: 1400 x 0.001f is 1.4000001.
    EXPECT_EQ(Time(1400 * 0.001f, 1), "1.4");
    EXPECT_EQ(Time(1400 * 0.001f, 3), "1.400");
    // Never fewer decimals than "%g" shows, never an exponent.
    EXPECT_EQ(Time(1.5f, 0), "1.5");
    EXPECT_EQ(Time(0.0012345f, 3), "0.0012345");
    EXPECT_EQ(Time(1048576.0f, 0), "1048576");
    EXPECT_EQ(Time(0.0f, 3), "0.000");
    EXPECT_EQ(Time(-0.25f, 1), "-0.25");
    EXPECT_EQ(Time(std::numeric_limits<float>::quiet_NaN(), 3), "nan");
    EXPECT_EQ(Time(-std::numeric_limits<float>::infinity(), 3), "-inf");
}

TEST(CsvText, ValuesAreWrittenAsTheSensorFormatWritesThem)
{
    devicelink::SensorAccessRecord record{};
    const float values[] = {0.0f, 12.345678f, -3.5f, 1e-7f, 123456.78f, 2.5e9f, -2.5e9f, 1e30f,
                            std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity(), 0.5f, -0.5f, 99.995f};
    for (int digits : {0, 1, 2, 3, 4, 5, 6, -1, 7, 9}) {
        record.units[0].significantDigits = digits;
        for (float value : values) {
            std::string expected;
            devicelink::FormatSensorValue(value, expected, &record, 0);
            EXPECT_EQ(Value(value, digits), expected) << value << " digits " << digits;
        }
    }
    // Floats of every size, ties of the last digit included (0.125 to two decimals rounds to even).
    uint32_t seed = 12345;
    int mismatches = 0;
    for (int i = 0; i < 200000 && mismatches < 5; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const float magnitude = std::ldexp(1.0f, int(seed >> 27) - 12);
        const float value = (i % 3 == 0) ? float(int(seed % 20000) - 10000) / 8.0f
                                         : magnitude * float(seed % 100000) / 100000.0f * ((seed & 1) ? -1.0f : 1.0f);
        const int digits = int(seed % 7);
        record.units[0].significantDigits = digits;
        std::string expected;
        devicelink::FormatSensorValue(value, expected, &record, 0);
        if (Value(value, digits) != expected) {
            ++mismatches;
            ADD_FAILURE() << value << " digits " << digits << ": " << Value(value, digits) << " != " << expected;
        }
    }
}

}  // namespace
