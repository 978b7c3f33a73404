#include "addin/dialogs/core/DisplayTexts.h"

#include "platform/CLocale.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstdio>

namespace addin::dialogs {

namespace {

constexpr char16_t kCableCode[] = u"CABL";
constexpr int kMaxDecimals = 5;
constexpr int kDefaultDecimals = 3;

}  // namespace

bool IsCable(const device::SensorTableEntry& entry)
{
    return platform::FieldView(entry.sensorCode) == kCableCode;
}

bool IsSelectable(const device::SensorTableEntry& entry)
{
    return entry.state == device::kEntryPresent && !IsCable(entry);
}

std::u16string ReadingText(float value, int decimals, std::u16string_view unit)
{
    if (decimals < 0 || decimals > kMaxDecimals)
        decimals = kDefaultDecimals;
    return platform::AsciiToUtf16(platform::FormatFixed(value, decimals).c_str()) + u" " + std::u16string(unit);
}

ChannelTexts ChannelDisplay(const device::SensorTableEntry& entry, const float* values)
{
    ChannelTexts texts;
    texts.shown = true;
    texts.title = std::u16string(platform::FieldView(entry.sensorName));
    if (IsCable(entry)) {
        texts.lineCount = 1;
        texts.lines[0] = kNotAvailable;
        return texts;
    }
    texts.lineCount = std::clamp(entry.quantityCount, 0, device::kMaxQuantities);
    for (int q = 0; q < texts.lineCount; ++q)
        texts.lines[q] = ReadingText(values[q], entry.decimals[q][device::kShownUnit],
                                     platform::FieldView(entry.unitTexts[q][device::kShownUnit]));
    return texts;
}

std::u16string ElapsedText(int64_t seconds)
{
    seconds = std::max<int64_t>(seconds, 0);
    const int64_t hours = seconds / 3600;
    const int64_t minutes = seconds / 60 % 60;
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(hours),
                  static_cast<long long>(minutes), static_cast<long long>(seconds % 60));
    return platform::AsciiToUtf16(text);
}

}  // namespace addin::dialogs
