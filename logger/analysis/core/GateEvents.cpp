#include "logger/analysis/core/GateEvents.h"

#include "devicelink/sensor/ChannelState.h"
#include "platform/Text.h"

namespace analysis {

GateEvents FindGateEvents(const float* values, const float* times, int count)
{
    GateEvents events;
    if (!values || !times || count <= 0)
        return events;
    int k = 0;
    while (k < count && values[k] < kGateLevel)
        ++k;
    bool armed = false;
    for (; k < count && events.Count() < kMaxGateEvents; ++k) {
        if (values[k] > kGateLevel) {
            armed = true;
        } else if (values[k] < kGateLevel && armed) {
            const float gap = events.times.empty() ? 0.0f : times[k] - events.times.back();
            events.times.push_back(times[k]);
            events.gaps.push_back(gap);
            armed = false;
        }
    }
    return events;
}

bool IsGateChannel(const project::DataSetRecord& record, int channel)
{
    if (!project::IsChannelIndex(channel))
        return false;
    const devicelink::ChannelState state = project::ToDeviceState(record.channels[channel]);
    return platform::Contains(platform::FieldView(state.modelCode), u"R7JE");
}

}  // namespace analysis
