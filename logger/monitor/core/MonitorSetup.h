#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "devicelink/sensor/ChannelState.h"

// What the sensor monitor hands to the dialogs it opens: the set-up dialogs (channel set-up,
// calibration, function generator) through one runner, and the sensor's information page
// through the help viewer.
namespace monitor {

class MonitorSensor;

inline constexpr int kCalibrationPointsMax = 3;

// The calibration dialog's starting points, per channel: count 0..3, then for each point its
// reference value, its measured value (both the stored reference at first) and its raw value.
struct CalibrationPoints {
    int32_t count[devicelink::kChannelStateCount] = {};
    float reference[devicelink::kChannelStateCount][kCalibrationPointsMax] = {};
    float measured[devicelink::kChannelStateCount][kCalibrationPointsMax] = {};
    int32_t raw[devicelink::kChannelStateCount][kCalibrationPointsMax] = {};
};

enum class SetupDialog {
    ChannelSetup,       // mode 0 of the set-up dialog, opened from the monitor
    Calibration,        // mode 1, with the points below
    FunctionGenerator,  // the generator sensor's own dialog, for `channel`
};

struct SetupRequest {
    SetupDialog dialog = SetupDialog::ChannelSetup;
    int channel = -1;
    CalibrationPoints points;
};

inline constexpr int kDialogOk = 1;
inline constexpr int kDialogCancel = 2;

// Runs one set-up dialog modally and returns kDialogOk or kDialogCancel. While it runs the
// monitor is stopped: no acquisition, no wait thread, and wake-ups posted before the stop do
// nothing; so the dialog may read and zero the sensor as it likes. After it the monitor
// reconfigures every connected channel (on kDialogOk, except after the function generator) and
// starts again, whatever the result.
using SetupDialogRunner = std::function<int(const SetupRequest& request)>;

// The stored calibration points of one channel's state, at most three (the dialog's rows).
void GatherChannelPoints(const devicelink::ChannelState& state, int32_t& count, float (&reference)[3],
                         float (&measured)[3], int32_t (&raw)[3]);
CalibrationPoints GatherCalibrationPoints(MonitorSensor& sensor);

// The last connected channel with the function generator on it, or -1.
int FunctionGeneratorChannel(MonitorSensor& sensor);

// The information page of a sensor, "<data folder>/Sensors/<name>", when the name is a plain file
// name (no "/", "\" or "..": it may come from an adapter's memory) and the file exists.
std::optional<std::string> InfoPagePath(const std::string& dataDirectory, std::u16string_view infoFile);

}  // namespace monitor
