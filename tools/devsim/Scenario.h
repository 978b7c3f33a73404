#pragma once

#include "tools/devsim/FaultPlan.h"
#include "tools/devsim/SimDevice.h"
#include "tools/devsim/VirtualSensor.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The scenario file: an INI-like text of our own.
//
//   [device]                 firmware-version, bank, sequence, delivery (block|sets|bulk|channel),
//                            read-reply (narrow|wide)
//   [channel N]              N = 0..3; sensor = <model> [option=value ...],
//                            signal = <kind> [parameter=value ...]
//   [events]                 at <seconds> <control command>   (plug, pull, hello, stop, ...)
//   [faults]                 <code> <action> [argument] [times N|always]
//
// '#' or ';' starts a comment line; blank lines are skipped.
namespace devsim {

struct ScheduledCommand {
    double at = 0.0;  // seconds after the simulator started
    std::string command;
};

struct Scenario {
    DeviceOptions device;
    std::optional<SensorSpec> channels[devicelink::kChannelCount];
    std::vector<ScheduledCommand> events;
    std::vector<Fault> faults;
};

// Parses the text into `out` (whose device options act as defaults). On failure the message
// names the line.
bool ParseScenario(std::string_view text, Scenario& out, std::string& error);
bool LoadScenario(const std::string& path, Scenario& out, std::string& error);

}  // namespace devsim
