#pragma once

#include <cstdint>
#include <string>

#include "devicelink/sensor/CNI2CSensor.h"
#include "tests/support/LinkHelpers.h"

namespace corviktest {

// Identifies plugged sensors as the root window's poll and detection would: waits (at most
// timeoutMs) until every channel of the mask is present and ready, then runs detection. False
// when they never were or detection failed.
inline bool DetectPluggedSensors(devicelink::CNI2CSensor& sensor, uint32_t channels, int timeoutMs = 3000)
{
    const bool ready = WaitUntil([&] {
        sensor.PollSensorState();
        const uint32_t word = uint32_t(sensor.statusWord());
        return (word & channels) == channels && ((word >> 16) & channels) == channels;
    }, timeoutMs);
    std::u16string text;
    return ready && sensor.DetectSensors(text) == 1;
}

}  // namespace corviktest
