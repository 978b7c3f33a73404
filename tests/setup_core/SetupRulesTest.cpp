// The dialogs' rules: numbers shown and read, raw words in the conversion's order, ranges, the
// lists that move each other and the generator's limits.
#include "logger/sensorsetup/core/SensorSetupRules.h"

#include "platform/Text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {


TEST(SetupRules, EditNumbersInSixDigitsAndOnlyFiniteOnesAreRead)
{
    EXPECT_EQ(sensorsetup::FormatEditNumber(0.5f), "0.5");
    EXPECT_EQ(sensorsetup::FormatEditNumber(12.0f), "12");
    EXPECT_EQ(sensorsetup::FormatEditNumber(1234567.0f), "1.23457e+06");

    const struct {
        const char* text;
        bool read;
        float value;
    } cases[] = {{"1.5", true, 1.5f}, {" -20 ", true, -20.0f}, {".5", true, 0.5f}, {"1e3", true, 1000.0f},
                 {"nan", false, 0}, {"inf", false, 0},     {"-inf", false, 0},   {"1e40", false, 0},
                 {"1,5", false, 0}, {"", false, 0},        {"abc", false, 0}};
    for (const auto& c : cases) {
        float value = -99.0f;
        EXPECT_EQ(sensorsetup::ParseEditNumber(c.text, value), c.read) << c.text;
        if (c.read)
            EXPECT_FLOAT_EQ(value, c.value) << c.text;
        else
            EXPECT_FLOAT_EQ(value, -99.0f) << c.text;
    }
}

TEST(SetupRules, RawWordsInTheConversionsOrderSignExtendedOnlyForSignedSensors)
{
    devicelink::SensorAccessRecord record{};
    const struct {
        int32_t byteCount, isSigned, family;
        uint32_t word;
        int32_t raw;
    } cases[] = {
        {2, 0, devicelink::kRType, 0x0000F0FF, 65520},       // swapped, unsigned
        {2, 1, devicelink::kRType, 0x0000F0FF, -16},         // swapped, signed
        {2, 0, devicelink::kWEepromType, 0x0000FFF0, 65520},  // as sent
        {2, 1, devicelink::kWEepromType, 0x1234FFF0, -16},
        {4, 0, devicelink::kRType, 0x01020304, 0x04030201},
        {4, 1, devicelink::kWEepromType, 0x01020304, 0x01020304},
    };
    for (const auto& c : cases) {
        record.byteCount = c.byteCount;
        record.isSigned = c.isSigned;
        EXPECT_EQ(sensorsetup::HostOrderRaw(int32_t(c.word), record, c.family), c.raw) << std::hex << c.word;
    }
}

TEST(SetupRules, RangesOfferOnlyTheUnitsAnOutputHasWithTheirDigits)
{
    devicelink::SensorAccessRecord record{};
    const auto unit = [&](int k, const char16_t* display, float low, float high, int32_t digits) {
        platform::CopyToField(record.units[k].unit.display, display);
        record.units[k].rangeMin = low;
        record.units[k].rangeMax = high;
        record.units[k].significantDigits = digits;
    };
    unit(0, u"V", -30.0f, 30.0f, 3);
    unit(1, u"mV", -30000.5f, 30000.5f, 0);
    unit(2, u"K", 0.0f, 1.0f, 9);
    record.outputUnits[0][0] = 1;
    record.outputUnits[0][1] = 0;  // no unit here: the entry is left out, the next keeps its index
    record.outputUnits[0][2] = 2;
    record.outputUnits[0][3] = 3;
    const auto entries = sensorsetup::RangeEntries(record, 0);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].value, 0);
    EXPECT_EQ(entries[0].text, u"-30.000V to 30.000V");
    EXPECT_EQ(entries[1].value, 2);
    EXPECT_EQ(entries[1].text, u"-30000mV to 30000mV");
    EXPECT_EQ(entries[2].text, u"0.000000K to 1.000000K");
    EXPECT_TRUE(sensorsetup::RangeEntries(record, 4).empty());
}

TEST(SetupRules, ListsThatMoveEachOther)
{
    // The photogate's counter and analogue modes and their ranges.
    const int32_t ranges[16] = {0, 0, 0, 0, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int32_t mode = 0; mode < 16; ++mode)
        EXPECT_EQ(sensorsetup::PhotogateRangeForMode(mode), ranges[mode]) << mode;
    EXPECT_EQ(sensorsetup::PhotogateModeForRange(1), sensorsetup::kPhotogateCounterMode);
    EXPECT_EQ(sensorsetup::PhotogateModeForRange(2), sensorsetup::kPhotogateAnalogMode);
    EXPECT_EQ(sensorsetup::PhotogateModeForRange(0), 0);
    // Gate events: a range past the first needs a mode past the plain value.
    EXPECT_EQ(sensorsetup::GateModeForRange(1, 0), 1);
    EXPECT_EQ(sensorsetup::GateModeForRange(1, 3), 3);
    EXPECT_EQ(sensorsetup::GateModeForRange(0, 3), 0);
    // Only the level triggers have a level.
    for (int32_t kind = 0; kind < sensorsetup::kTriggerKindCount; ++kind)
        EXPECT_EQ(sensorsetup::LevelApplies(kind), kind == 1 || kind == 2) << kind;
    EXPECT_EQ(sensorsetup::SensorModeEntries(32).size(), 16u);
    EXPECT_EQ(sensorsetup::SensorModeEntries(32)[4].text, u"COUNTER");
    EXPECT_TRUE(sensorsetup::SensorModeEntries(2).empty());
}

TEST(SetupRules, TheGeneratorTakesOnlyFrequenciesAndAmplitudesItCanPlay)
{
    const struct {
        const char* frequency;
        const char* amplitude;
        sensorsetup::GeneratorInput input;
    } cases[] = {
        {"440", "100", sensorsetup::GeneratorInput::Valid},      {"1", "1", sensorsetup::GeneratorInput::Valid},
        {"9999", "50", sensorsetup::GeneratorInput::Valid},      {"0", "50", sensorsetup::GeneratorInput::BadFrequency},
        {"-440", "50", sensorsetup::GeneratorInput::BadFrequency}, {"nan", "50", sensorsetup::GeneratorInput::BadFrequency},
        {"10000", "50", sensorsetup::GeneratorInput::BadFrequency}, {"", "50", sensorsetup::GeneratorInput::BadFrequency},
        {"440", "-1", sensorsetup::GeneratorInput::BadAmplitude},  {"440", "0", sensorsetup::GeneratorInput::BadAmplitude},
        {"440", "101", sensorsetup::GeneratorInput::BadAmplitude}, {"440", "50.5", sensorsetup::GeneratorInput::BadAmplitude},
    };
    for (const auto& c : cases) {
        float frequency = 0.0f;
        int32_t amplitude = 0;
        EXPECT_EQ(sensorsetup::ParseGeneratorInput(c.frequency, c.amplitude, frequency, amplitude), c.input)
            << c.frequency << " " << c.amplitude;
    }
}

}  // namespace
