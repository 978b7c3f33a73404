#include "devicelink/conversion/ConversionState.h"

namespace devicelink {
namespace {

bool IsChannel(int32_t channel)
{
    return channel >= 0 && channel < kConversionChannels;
}

}  // namespace

ConversionState& ProcessConversionState()
{
    static ConversionState state;
    return state;
}

void ResetConversionState()
{
    ProcessConversionState() = ConversionState{};
}

int32_t ResetChannelConvState(int32_t channel)
{
    if (!IsChannel(channel))
        return 0;
    ProcessConversionState().gate[channel] = GateEventState{};
    return 1;
}

int32_t ResetChannelFilterState(int32_t channel)
{
    if (!IsChannel(channel))
        return 0;
    ProcessConversionState().channelFilter[channel] = {0, kChannelFilterResetWord};
    return 1;
}

void ResetSharedChangeState()
{
    ProcessConversionState().sharedChange = {0, kSharedChangeResetWord};
}

}  // namespace devicelink
