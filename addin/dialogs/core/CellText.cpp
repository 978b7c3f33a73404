#include "addin/dialogs/core/CellText.h"

#include "platform/CLocale.h"
#include "platform/Text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace addin {

namespace {

std::u16string Ascii(const char* text)
{
    return platform::AsciiToUtf16(text);
}

}  // namespace

std::string TruncatedDecimal(float value, int places)
{
    // Clamped where the thousandths of the integer part still fit 64 bits; a NaN shows as zero.
    constexpr float kLimit = 9.2e15f;
    float magnitude = std::isnan(value) ? 0.0f : std::min(std::fabs(value), kLimit);
    char digits[64];
    const auto end = std::to_chars(digits, digits + sizeof digits, magnitude, std::chars_format::fixed).ptr;
    const std::string text(digits, end);
    const size_t point = text.find('.');
    std::string whole = text.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : text.substr(point + 1);
    fraction.resize(size_t(places), '0');
    return (value < 0.0f ? "-" : "") + whole + (places > 0 ? "." + fraction : std::string());
}

std::u16string ThousandthsText(float value)
{
    return Ascii(TruncatedDecimal(value, 3).c_str());
}

std::u16string SnapshotText(int32_t& lineCounter, int channel, const float* values, int quantities,
                            const device::SensorTableEntry& entry)
{
    std::u16string text;
    for (int k = 0; k < quantities && k < device::kMaxQuantities; ++k) {
        char head[40];
        std::snprintf(head, sizeof head, "s=%d,%d  ", lineCounter, channel);
        std::u16string line = (k == 0 ? u"" : u"s") + Ascii(head) + ThousandthsText(values[k]) + u" " +
                              std::u16string(platform::FieldView(entry.unitTexts[k][device::kShownUnit])) + u"\n";
        if (text.size() + line.size() > kMaxCellText)
            break;
        text += line;
        ++lineCounter;
    }
    return text;
}

double RoundToDecimals(float value, int decimals)
{
    int places = 3;
    switch (decimals) {
    case 0:
    case 1:
    case 2:
    case 4:
    case 5:
        places = decimals;
        break;
    default:
        break;
    }
    double result = 0.0;
    platform::ParseDouble(TruncatedDecimal(value, places), result);
    return std::isinf(value) ? double(value) : result;
}

std::u16string HeaderText(const device::SensorTableEntry& entry, int quantity)
{
    const std::u16string name(platform::FieldView(entry.sensorName));
    const std::u16string unit(platform::FieldView(entry.unitTexts[quantity][device::kShownUnit]));
    if (entry.quantityCount < 2)
        return name + u"(" + unit + u")";
    return name + u"-" + std::u16string(platform::FieldView(entry.quantityNames[quantity])) + u"(" + unit + u")";
}

}  // namespace addin
