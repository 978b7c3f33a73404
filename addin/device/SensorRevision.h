#pragma once

namespace devicelink {
class CNI2CSensor;
}

// Where the add-in's sensor object differs from the measurement program's, applied after each
// detection: a sensor that describes itself from its adapter's memory has its texts read with
// the erased bytes (0xFF) left out as well as the empty ones, and its name also names its one
// quantity in the spare access record that describes it.
namespace addin::device {

void ReviseDetectedChannels(devicelink::CNI2CSensor& sensor);

}  // namespace addin::device
