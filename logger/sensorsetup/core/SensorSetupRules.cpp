#include "logger/sensorsetup/core/SensorSetupRules.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "platform/CLocale.h"
#include "platform/Text.h"

namespace sensorsetup {

namespace {

// The three-axis sensor keeps its names in blocks, one per display form.
constexpr int32_t kThreeAxisForms = 3;

constexpr int kThreeAxisTexts[] = {2150, 2151, 2152};
constexpr int kPressureTexts[] = {2155, 2153, 2154};
constexpr int kGateEventTexts[] = {2232, 2233, 2234, 2235, 2236, 2237};
constexpr std::u16string_view kPhotogateModes[] = {
    u"T1(LOW)", u"T2(HIGH)", u"T3(T1+T2)", u"PENDULUM", u"COUNTER", u"ANALOG", u"FENCE1", u"FENCE2",
    u"FENCE3",  u"FENCE4",   u"FENCE5",    u"FENCE6",   u"FENCE7",  u"FENCE8", u"FENCE9", u"FENCE10"};

template <size_t N>
std::vector<ListEntry> TextEntries(const int (&ids)[N])
{
    std::vector<ListEntry> entries;
    for (size_t i = 0; i < N; ++i)
        entries.push_back({int32_t(i), ids[i], {}});
    return entries;
}

std::u16string Ascii(std::string_view text)
{
    return platform::AsciiToUtf16(text);
}

// A range end as the unit's digits show it: whole (truncated, within int) for 0 digits.
std::u16string RangeNumber(float value, int32_t digits)
{
    if (digits == 0) {
        const double whole = std::isfinite(value) ? std::trunc(double(value)) : 0.0;
        const double bounded = std::clamp(whole, double(std::numeric_limits<int32_t>::min()),
                                          double(std::numeric_limits<int32_t>::max()));
        return Ascii(platform::FormatInt(int64_t(bounded)));
    }
    return Ascii(platform::FormatFixed(double(value), digits >= 1 && digits <= 6 ? digits : 6));
}

uint32_t Swap32(uint32_t word)
{
    return (word >> 24) | ((word >> 8) & 0xFF00u) | ((word << 8) & 0xFF0000u) | (word << 24);
}

}  // namespace

std::vector<ListEntry> TriggerEntries()
{
    return TextEntries(kTriggerKindTexts);
}

bool LevelApplies(int32_t triggerKind)
{
    return devicelink::IsLevelTrigger(triggerKind);
}

std::vector<ListEntry> SensorModeEntries(int32_t conversionKind)
{
    switch (conversionKind) {
    case devicelink::kConvertThreeAxis:
        return TextEntries(kThreeAxisTexts);
    case devicelink::kConvertPressure:
        return TextEntries(kPressureTexts);
    case devicelink::kConvertGateEvents:
        return TextEntries(kGateEventTexts);
    case devicelink::kConvertChannelChangeEvents: {
        std::vector<ListEntry> entries;
        for (size_t i = 0; i < std::size(kPhotogateModes); ++i)
            entries.push_back({int32_t(i), 0, std::u16string(kPhotogateModes[i])});
        return entries;
    }
    default:
        return {};
    }
}

std::vector<ListEntry> OutputEntries(const devicelink::ChannelState& state)
{
    const int32_t names = devicelink::kChannelOutputNames;
    std::vector<ListEntry> entries;
    int32_t count = std::clamp(state.outputCount, 0, names);
    int32_t first = 0;
    if (state.conversionKind == devicelink::kConvertThreeAxis && count > 0) {
        count = std::min(count, names / kThreeAxisForms);
        first = count * std::clamp(state.sensorTypeCode, 0, kThreeAxisForms - 1);
    }
    for (int32_t i = 0; i < count; ++i)
        entries.push_back({i, 0, std::u16string(platform::FieldView(state.outputNames[first + i]))});
    return entries;
}

std::vector<ListEntry> RangeEntries(const devicelink::SensorAccessRecord& record, int32_t output)
{
    std::vector<ListEntry> entries;
    if (output < 0 || output >= devicelink::kMaxOutputs)
        return entries;
    for (int32_t k = 0; k < devicelink::kMaxUnitChoices; ++k) {
        const int32_t unit = record.outputUnits[output][k];
        if (unit >= 1 && unit <= devicelink::kMaxUnits)
            entries.push_back({k, 0, RangeText(record.units[unit - 1])});
    }
    return entries;
}

std::u16string RangeText(const devicelink::SensorUnitEntry& unit)
{
    const std::u16string display(platform::FieldView(unit.unit.display));
    const int32_t digits = unit.significantDigits;
    return RangeNumber(unit.rangeMin, digits) + display + u" to " + RangeNumber(unit.rangeMax, digits) + display;
}

int32_t PhotogateRangeForMode(int32_t mode)
{
    if (mode == kPhotogateCounterMode)
        return 1;
    if (mode == kPhotogateAnalogMode)
        return 2;
    return 0;
}

int32_t PhotogateModeForRange(int32_t range)
{
    if (range == 1)
        return kPhotogateCounterMode;
    if (range == 2)
        return kPhotogateAnalogMode;
    return 0;
}

int32_t GateModeForRange(int32_t range, int32_t mode)
{
    if (range == 0)
        return 0;
    return mode == 0 ? 1 : mode;
}

std::string FormatEditNumber(float value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, double(value), std::chars_format::general, 6);
    return std::string(buffer, result.ptr);
}

bool ParseEditNumber(std::string_view text, float& value)
{
    double parsed = 0.0;
    if (!platform::ParseDouble(text, parsed) || !std::isfinite(parsed) ||
        std::fabs(parsed) > double(std::numeric_limits<float>::max()))
        return false;
    value = float(parsed);
    return true;
}

int32_t HostOrderRaw(int32_t word, const devicelink::SensorAccessRecord& record, int32_t family)
{
    const bool asSent = family == devicelink::kWEepromType;
    if (record.byteCount == 4)
        return int32_t(asSent ? uint32_t(word) : Swap32(uint32_t(word)));
    const uint32_t low = uint32_t(word) & 0xFFFFu;
    const uint16_t half = uint16_t(asSent ? low : ((low & 0xFFu) << 8) | (low >> 8));
    return record.isSigned == 1 ? int32_t(int16_t(half)) : int32_t(half);
}

GeneratorInput ParseGeneratorInput(std::string_view frequencyText, std::string_view amplitudeText, float& frequency,
                                   int32_t& amplitude)
{
    float f = 0.0f;
    if (!ParseEditNumber(frequencyText, f) || f < kMinFrequency || f > kMaxFrequency)
        return GeneratorInput::BadFrequency;
    int64_t a = 0;
    if (!platform::ParseInt(amplitudeText, a) || a < kMinAmplitude || a > kMaxAmplitude)
        return GeneratorInput::BadAmplitude;
    frequency = f;
    amplitude = int32_t(a);
    return GeneratorInput::Valid;
}

}  // namespace sensorsetup
