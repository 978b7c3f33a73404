#pragma once

#include "addin/device/SensorTable.h"

#include <cstdint>
#include <string>
#include <string_view>

// What the measurement and snapshot windows show of each channel: its title and one line per
// quantity, and the elapsed time of a run.
namespace addin::dialogs {

// A bare cable measures nothing; its channel shows this in place of values.
inline constexpr char16_t kNotAvailable[] = u"N/A     ";

struct ChannelTexts {
    bool shown = false;
    std::u16string title;
    int lineCount = 0;
    std::u16string lines[device::kMaxQuantities];

    bool operator==(const ChannelTexts&) const = default;
};

bool IsCable(const device::SensorTableEntry& entry);
// A channel the user may choose for a measurement: a sensor is there, and it is not a cable.
bool IsSelectable(const device::SensorTableEntry& entry);

// A value with the digits of its quantity (0 to 5 decimals, any other count 3) and its unit:
// "21.50 °C".
std::u16string ReadingText(float value, int decimals, std::u16string_view unit);

// The texts of a channel for its current values (one per quantity of the entry).
ChannelTexts ChannelDisplay(const device::SensorTableEntry& entry, const float* values);

// Hours, minutes and seconds as "hh:mm:ss"; hours past 99 take more digits.
std::u16string ElapsedText(int64_t seconds);

}  // namespace addin::dialogs
