#include "devicelink/protocol/MeasureSetupBlock.h"

namespace devicelink {

MeasureSetupBlock WireImage(const MeasureSetupBlock& block)
{
    MeasureSetupBlock wire = block;
    wire.event = 0;
    for (int c = 0; c < kChannelCount; ++c) {
        wire.values[c] = 0;
        wire.times[c] = 0;
        wire.counter[c] = 0;
    }
    return wire;
}

uint32_t StreamDescriptor::ChannelMask() const
{
    uint32_t mask = 0;
    for (int c = 0; c < kChannelCount; ++c)
        if (enabled[c] == 1)
            mask |= 1u << c;
    return mask;
}

}  // namespace devicelink
