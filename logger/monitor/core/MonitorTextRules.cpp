#include "logger/monitor/core/MonitorTextRules.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "devicelink/catalogue/SensorValueFormat.h"
#include "platform/Text.h"

namespace monitor {

namespace {

using U = TitleUnit;
using V = ValueRule;

constexpr KindRule kRules[] = {
    {devicelink::kConvertThreeAxis, V::Magnitude, u"%1 (%2)", {}, {U::Selected}, 1},
    {devicelink::kConvertPressure, V::BlankFourth, u"%1 (%2/%3/%4)", {}, {U::Output0, U::Output1, U::Output2}, 3},
    {devicelink::kConvertColour, V::SwapFirstTwo, u"%1 (%2)", {}, {U::Selected}, 1},
    {devicelink::kConvertForceLine, V::Unchanged, u"%1 (%2)", u"OPT.W %1 (%2)", {U::Selected}, 1},
    {devicelink::kConvertHumidity, V::BlankFourth, u"%1 (%2/%3/%4)", {}, {U::Output0, U::Output1, U::Output2}, 3},
    {devicelink::kConvertGps, V::Position, u"%1 (°/ °/ m)", {}, {}, 0},
    {devicelink::kConvertWeather, V::Unchanged, u"%1 (%2/%3/%4/hpa)", {}, {U::Output0, U::Output1, U::Output2}, 3},
    {devicelink::kConvertPolynomial, V::Unchanged, u"%1 (%2)", u"OPT.W %1 (%2)", {U::Selected}, 1},
    {devicelink::kConvertSevenPoints, V::BlankFourth, u"%1 (%2)", {}, {U::Output0}, 1},
    {devicelink::kConvertBareCable, V::NotAvailable, u"%1", {}, {}, 0},
};
constexpr KindRule kOtherKinds = {-1, V::Unchanged, u"%1 (%2)", {}, {U::Selected}, 1};

// The position's digits, whatever the catalogue gives its units.
constexpr int kDegreeDigits = 3;
constexpr int kMetreDigits = 0;
// Digits of a value whose output names no unit: the general form.
constexpr int kGeneralForm = -1;

std::u16string Formatted(float value, const devicelink::SensorAccessRecord& record, int32_t unitEntry)
{
    std::string text;
    devicelink::FormatSensorValue(value, text, &record, unitEntry >= 0 ? unitEntry : kGeneralForm);
    return platform::AsciiToUtf16(text);
}

// The record is the catalogue's, shared with the measurement screen and the export, which format
// with its digits: forced digits go on a copy only.
std::u16string FormattedWithDigits(float value, const devicelink::SensorAccessRecord& record, int32_t unitEntry,
                                   int digits)
{
    devicelink::SensorAccessRecord copy = record;
    const int32_t entry = std::max(unitEntry, 0);
    copy.units[entry].significantDigits = digits;
    return Formatted(value, copy, entry);
}

std::u16string_view UnitDisplay(const devicelink::SensorAccessRecord& record, int32_t unitEntry)
{
    return unitEntry >= 0 ? platform::FieldView(record.units[unitEntry].unit.display) : std::u16string_view{};
}

std::u16string Title(const KindRule& rule, std::u16string_view name, const devicelink::SensorAccessRecord& record,
                     const int32_t (&entries)[kPanelValues], int32_t selectedEntry)
{
    std::u16string_view args[4] = {name};
    bool anyUnit = false;
    for (int k = 0; k < rule.unitCount; ++k) {
        const int32_t entry = rule.units[k] == U::Selected ? selectedEntry : entries[int(rule.units[k]) - 1];
        args[k + 1] = UnitDisplay(record, entry);
        anyUnit = anyUnit || !args[k + 1].empty();
    }
    // "Name ()" would say nothing: without any unit text the title is the name alone.
    if (rule.unitCount > 0 && !anyUnit)
        return std::u16string(name);
    const std::u16string_view pattern =
        !rule.titleOtherUnit.empty() && selectedEntry >= 1 ? rule.titleOtherUnit : rule.title;
    return FillPattern(pattern, std::span(args, size_t(rule.unitCount) + 1));
}

}  // namespace

const KindRule& RuleForKind(int32_t conversionKind)
{
    for (const KindRule& rule : kRules) {
        if (rule.kind == conversionKind)
            return rule;
    }
    return kOtherKinds;
}

std::u16string FillPattern(std::u16string_view pattern, std::span<const std::u16string_view> args)
{
    std::u16string out;
    out.reserve(pattern.size() + 32);
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char16_t c = pattern[i];
        if (c == u'%' && i + 1 < pattern.size() && pattern[i + 1] >= u'1' && pattern[i + 1] <= u'9') {
            const size_t index = size_t(pattern[i + 1] - u'1');
            if (index < args.size()) {
                out.append(args[index]);
                ++i;
                continue;
            }
        }
        out.push_back(c);
    }
    return out;
}

int32_t OutputUnitEntry(const devicelink::SensorAccessRecord& record, const devicelink::ChannelState& state,
                        int output)
{
    output = std::clamp(output, 0, devicelink::kMaxOutputs - 1);
    const int32_t choice = std::clamp(state.unitChoice[output], 0, devicelink::kMaxUnitChoices - 1);
    const int32_t number = record.outputUnits[output][choice];
    return number >= 1 && number <= devicelink::kMaxUnits ? number - 1 : -1;
}

PanelTexts ComposePanelTexts(const devicelink::ChannelState& state, const devicelink::SensorAccessRecord& record,
                             const float* outputs, std::u16string_view noFixText)
{
    PanelTexts texts;
    const int n = std::clamp(record.outputCount, 1, kPanelValues);
    int32_t entries[kPanelValues];
    for (int i = 0; i < kPanelValues; ++i)
        entries[i] = OutputUnitEntry(record, state, i);
    const int32_t selected = entries[std::clamp(state.selectedOutput, 0, kPanelValues - 1)];

    for (int i = 0; i < n; ++i)
        texts.values[i] = Formatted(outputs[i], record, entries[i]);
    texts.single = texts.values[0];
    texts.lines = n;

    const KindRule& rule = RuleForKind(state.conversionKind);
    switch (rule.values) {
    case V::Unchanged:
        break;
    case V::BlankFourth:
        texts.values[3].clear();
        break;
    case V::Magnitude:
        // Display form 0 shows the three components and, below them, the vector's length.
        if (state.sensorTypeCode == 0) {
            const double x = outputs[0], y = outputs[1], z = outputs[2];
            texts.values[3] = Formatted(float(std::sqrt(x * x + y * y + z * z)), record, selected);
            texts.lines = kPanelValues;
        } else {
            texts.values[3].clear();
        }
        break;
    case V::SwapFirstTwo:
        std::swap(texts.values[0], texts.values[1]);
        break;
    case V::Position:
        if (outputs[0] == 0.0f) {
            texts.single = std::u16string(noFixText);
            texts.lines = 1;
        } else {
            texts.values[0] = FormattedWithDigits(outputs[0], record, selected, kDegreeDigits) + u" °";
            texts.values[1] = FormattedWithDigits(outputs[1], record, selected, kDegreeDigits) + u" °";
            texts.values[2] = FormattedWithDigits(outputs[2], record, selected, kMetreDigits) + u" m";
            texts.lines = std::max(n, 3);
        }
        break;
    case V::NotAvailable:
        texts.single = u"N/A";
        texts.lines = 1;
        break;
    }
    texts.title = Title(rule, platform::FieldView(state.name), record, entries, selected);
    return texts;
}

}  // namespace monitor
