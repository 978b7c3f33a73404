#include "logger/export/core/SensorChannelUnits.h"

#include <algorithm>

#include "devicelink/sensor/OutputUnit.h"
#include "platform/Text.h"

namespace exporting {

analysis::ChannelUnit SensorChannelUnits::Unit(const project::DataSetRecord& record, int channel, int output) const
{
    analysis::ChannelUnit unit;
    if (!project::IsChannelIndex(channel))
        return unit;
    const devicelink::ChannelState state = project::ToDeviceState(record.channels[channel]);
    const int o = std::clamp(output, 0, devicelink::kMaxOutputs - 1);
    unit.sensorName = std::u16string(platform::FieldView(state.name));
    unit.valueName = std::u16string(platform::FieldView(state.outputNames[o]));
    // An empty id would match any record: the channel had no sensor the catalogue knew.
    const devicelink::SensorAccessRecord* access =
        platform::FieldView(state.sensorId).empty() ? nullptr : sensor_.FindSensorRecord(&state);
    if (!access)
        return unit;
    const devicelink::SensorUnitEntry& entry = access->units[devicelink::OutputUnitIndex(*access, state, o)];
    unit.decimals = entry.significantDigits;
    unit.minimum = entry.rangeMin;
    unit.maximum = entry.rangeMax;
    unit.unit = std::u16string(platform::FieldView(entry.unit.display));
    if (unit.valueName.empty())
        unit.valueName = std::u16string(platform::FieldView(access->outputNames[o]));
    unit.valueCount = std::clamp(access->outputCount, 1, devicelink::kMaxOutputs);
    return unit;
}

}  // namespace exporting
