#include "logger/analysis/CatalogueUnits.h"

#include <algorithm>

#include "devicelink/catalogue/SensorCatalogue.h"
#include "devicelink/sensor/ChannelState.h"
#include "devicelink/sensor/CNI2CSensor.h"
#include "devicelink/sensor/OutputUnit.h"
#include "platform/Text.h"

namespace analysis {

ChannelUnit CatalogueUnits::Unit(const project::DataSetRecord& record, int channel, int output) const
{
    ChannelUnit unit;
    if (!project::IsChannelIndex(channel))
        return unit;
    const devicelink::ChannelState state = project::ToDeviceState(record.channels[channel]);
    output = std::clamp(output, 0, devicelink::kMaxOutputs - 1);
    unit.sensorName = std::u16string(platform::FieldView(state.name));
    unit.valueCount = std::clamp(state.outputCount, 1, devicelink::kMaxOutputs);

    devicelink::CNI2CSensor* sensor = lookup_ ? lookup_() : nullptr;
    const devicelink::SensorAccessRecord* access = sensor ? sensor->FindSensorRecord(&state) : nullptr;
    if (!access)
        return unit;
    unit.valueCount = std::clamp(access->outputCount, 1, devicelink::kMaxOutputs);
    const devicelink::SensorUnitEntry& u = access->units[devicelink::OutputUnitIndex(*access, state, output)];
    unit.decimals = u.significantDigits;
    if (u.rangeMax > u.rangeMin) {
        unit.minimum = u.rangeMin;
        unit.maximum = u.rangeMax;
    }
    unit.unit = std::u16string(platform::FieldView(u.unit.display));
    unit.valueName = std::u16string(platform::FieldView(access->outputNames[output]));
    return unit;
}

}  // namespace analysis
