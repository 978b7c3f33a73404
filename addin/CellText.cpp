#include "addin/CellText.h"

#include "platform/Text.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace addin {

namespace {

std::u16string Ascii(const char* text)
{
    return platform::AsciiToUtf16(text);
}

}  // namespace

std::u16string ThousandthsText(float value)
{
    const float scaled = value * 1000.0f;
    // Clamped where an int64 ends; a NaN shows as zero.
    constexpr float kLimit = 9.2e18f;
    int64_t m = 0;
    if (scaled >= kLimit)
        m = int64_t(kLimit);
    else if (scaled <= -kLimit)
        m = -int64_t(kLimit);
    else if (!std::isnan(scaled))
        m = int64_t(scaled);
    const uint64_t magnitude = m < 0 ? uint64_t(-m) : uint64_t(m);
    char text[48];
    std::snprintf(text, sizeof text, "%s%llu.%03llu", value < 0.0f ? "-" : "",
                  static_cast<unsigned long long>(magnitude / 1000), static_cast<unsigned long long>(magnitude % 1000));
    return Ascii(text);
}

std::u16string SnapshotText(int32_t& lineCounter, int channel, const float* values, int quantities,
                            const SensorTableEntry& entry)
{
    std::u16string text;
    for (int k = 0; k < quantities && k < kMaxQuantities; ++k) {
        char head[40];
        std::snprintf(head, sizeof head, "s=%d,%d  ", lineCounter, channel);
        std::u16string line = (k == 0 ? u"" : u"s") + Ascii(head) + ThousandthsText(values[k]) + u" " +
                              std::u16string(platform::FieldView(entry.unitTexts[k][kShownUnit])) + u"\n";
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
    const float scale = std::pow(10.0f, float(places));
    return double(std::trunc(value * scale)) / double(scale);
}

std::u16string HeaderText(const SensorTableEntry& entry, int quantity)
{
    const std::u16string name(platform::FieldView(entry.sensorName));
    const std::u16string unit(platform::FieldView(entry.unitTexts[quantity][kShownUnit]));
    if (entry.quantityCount < 2)
        return name + u"(" + unit + u")";
    return name + u"-" + std::u16string(platform::FieldView(entry.quantityNames[quantity])) + u"(" + unit + u")";
}

}  // namespace addin
