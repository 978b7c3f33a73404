#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace devicelink {
class CNI2CSensor;
}

// What a message box is given besides its type and texts: how the device-change boxes run
// detection and how long it may run before the user may cancel it. A box takes its own copy at
// construction; the defaults are the program's, tests give their own.
namespace uikit {

// How long detection runs before Cancel appears (a logger that does not answer).
inline constexpr int kLateCancelMs = 30000;

// The program's detection: the sensor object's own.
int32_t DetectSensorsOn(devicelink::CNI2CSensor& sensor, std::u16string& text);

struct MessageBoxServices {
    // Runs on the box's worker; the text is what the box shows beside the result.
    using Detection = std::function<int32_t(devicelink::CNI2CSensor& sensor, std::u16string& text)>;

    Detection detect = DetectSensorsOn;
    int lateCancelMs = kLateCancelMs;
};

}  // namespace uikit
