#pragma once

#include "devicelink/sensor/ChannelState.h"

#include <cstdint>

// Small checks shared by the sensor object's member files; not part of its interface.
namespace devicelink::sensor_detail {

// The I2C clock code of single register transactions (50 kHz).
inline constexpr int32_t kTransactionClock = 1;

inline bool ValidChannel(int c)
{
    return c >= 0 && c < kChannelCount;
}

// The read mask of a register `width` bytes wide; 4 bytes or any other width keep every bit.
inline int32_t MaskForWidth(int32_t width)
{
    switch (width) {
    case 1: return 0xFF;
    case 2: return 0xFFFF;
    case 3: return 0xFFFFFF;
    default: return -1;
    }
}

}  // namespace devicelink::sensor_detail
