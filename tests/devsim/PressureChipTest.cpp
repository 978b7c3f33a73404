// The host's barometric compensation against the pressure chip's published one (the model the
// simulated chip is built on), to the pascal.
#include "tools/devsim/PressureChipModel.h"

#include "devicelink/conversion/BarometricCompensation.h"
#include "devicelink/conversion/SampleConversion.h"
#include "devicelink/sensor/SensorIdentification.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace devsim;

namespace {

// The weather station's fallback calibration; its large B2 is what made the host's old grouping
// of the B2 term visible.
PressureChipWords StationDefaults()
{
    const auto& w = devicelink::kWeatherDefaults;
    return {int16_t(w[0]), int16_t(w[1]), int16_t(w[2]), uint16_t(w[3]), uint16_t(w[4]), uint16_t(w[5]),
            int16_t(w[6]), int16_t(w[7]), int16_t(w[8]),  int16_t(w[9]),  int16_t(w[10])};
}

devicelink::BarometricCalibration HostCalibration(const PressureChipWords& w)
{
    const int32_t words[11] = {w.ac1, w.ac2, w.ac3, w.ac4, w.ac5, w.ac6, w.b1, w.b2, w.mb, w.mc, w.md};
    devicelink::BarometricCalibration cal{};
    EXPECT_TRUE(devicelink::LoadBarometricCalibration(words, cal));
    return cal;
}

// The raw temperature word nearest to `tenths` on the published scale.
int32_t RawTemperature(const PressureChipWords& w, int32_t tenths)
{
    int32_t best = 0;
    int32_t bestError = INT32_MAX;
    for (int32_t ut = 0; ut <= 0xFFFF; ut += 1) {
        PressureReading r{};
        if (CompensatePressure(w, ut, 0, 0, r) && std::abs(r.tenthsCelsius - tenths) < bestError) {
            bestError = std::abs(r.tenthsCelsius - tenths);
            best = ut;
        }
    }
    return best;
}

TEST(PressureChip, PublishedModelWorksTheDataSheetExample)
{
    PressureReading r{};
    ASSERT_TRUE(CompensatePressure(kDataSheetWords, 27898, 23843, 0, r));
    EXPECT_EQ(r.tenthsCelsius, 150);
    // The sheet prints 69964: its worked figures shift right, which floors the last negative
    // quotient (-614 / 16) where the formula's division truncates it.
    EXPECT_EQ(r.pascals, 69965);
}

TEST(PressureChip, HostCompensationAgreesToThePascalFromMinus25To60Degrees)
{
    struct Case {
        const char* name;
        PressureChipWords words;
    };
    for (const Case& c : {Case{"data sheet", kDataSheetWords}, Case{"station defaults", StationDefaults()}}) {
        const devicelink::BarometricCalibration cal = HostCalibration(c.words);
        for (const int32_t tenths : {-250, 250, 600}) {
            const int32_t ut = RawTemperature(c.words, tenths);
            int64_t b5 = 0;
            ASSERT_TRUE(devicelink::BarometricB5(cal, ut, b5));
            for (int oss = 0; oss <= 3; ++oss) {
                for (int32_t up = 0; up <= (0xFFFF << oss); up += 97) {
                    PressureReading published{};
                    ASSERT_TRUE(CompensatePressure(c.words, ut, up, oss, published));
                    int64_t host = 0;
                    ASSERT_TRUE(devicelink::BarometricPressure(cal, b5, up, oss, host));
                    ASSERT_EQ(host, published.pascals)
                        << c.name << ", " << tenths / 10.0 << " C, oss " << oss << ", UP " << up;
                }
                PressureReading published{};
                ASSERT_TRUE(CompensatePressure(c.words, ut, 0, oss, published));
                EXPECT_EQ(published.tenthsCelsius, tenths) << c.name;
                EXPECT_NEAR(devicelink::BarometricTemperature(b5) * 10.0, tenths, 1e-9) << c.name;
            }
        }
    }
}

TEST(PressureChip, PressureKindDeliversThePublishedPressure)
{
    // The whole kind-12 path: register words in, hectopascals out.
    devicelink::ConversionParams p{};
    p.conversionKind = devicelink::kConvertPressure;
    p.entriesPerSample = 3;
    p.outputsPerSample = 3;
    p.multiplierM = 1.0f;
    std::copy(std::begin(devicelink::kWeatherDefaults), std::end(devicelink::kWeatherDefaults), p.calWords);
    const PressureChipWords station = StationDefaults();
    for (const int32_t tenths : {-250, 250, 600}) {
        const int32_t ut = RawTemperature(station, tenths);
        for (const int32_t up : {20000, 40000, 48805, 60000}) {
            PressureReading published{};
            ASSERT_TRUE(CompensatePressure(station, ut, up, 0, published));
            // At oversampling 0 the 16-bit pressure word is entry 1; entry 2 carries no extra bits.
            const int32_t raw[3] = {ut, up, 0};
            const int32_t times[3] = {};
            float value = 0.0f, time = 0.0f;
            int32_t n = 0;
            ASSERT_EQ(devicelink::ConvertSamples(0, 1, raw, times, &value, &time, 0, &p, &n), 1);
            ASSERT_EQ(n, 1);
            EXPECT_EQ(std::lround(double(value) * 100.0), published.pascals) << tenths / 10.0 << " C, UP " << up;
        }
    }
}

}  // namespace
