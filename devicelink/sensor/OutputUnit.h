#pragma once

#include "devicelink/catalogue/SensorCatalogue.h"
#include "devicelink/sensor/ChannelState.h"

namespace devicelink {

// The unit entry (0 .. kMaxUnits - 1 of the access record's `units`) that output `output` of the
// sensor is shown in: the output's unit choice in the channel state picks one of the record's unit
// numbers for that output. Output and choice may come from a project file and are clamped; a unit
// number the record does not have gives entry 0.
int OutputUnitIndex(const SensorAccessRecord& record, const ChannelState& state, int output);

}  // namespace devicelink
