#include "devicelink/sensor/OutputUnit.h"

#include <algorithm>

namespace devicelink {

int OutputUnitIndex(const SensorAccessRecord& record, const ChannelState& state, int output)
{
    const int o = std::clamp(output, 0, kMaxOutputs - 1);
    const int32_t choice = std::clamp(state.unitChoice[o], 0, kMaxUnitChoices - 1);
    const int32_t unitNumber = record.outputUnits[o][choice];
    return unitNumber >= 1 && unitNumber <= kMaxUnits ? unitNumber - 1 : 0;
}

}  // namespace devicelink
