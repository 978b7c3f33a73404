#pragma once

#include <cstring>
#include <type_traits>

#include "devicelink/sensor/ChannelState.h"
#include "logger/project/ExperimentRecords.h"

// A data set stores the sensor object's channel states as opaque 1536-byte images; both sides
// are the same record. These two are the only crossings between them.
namespace measure {

static_assert(sizeof(logger::ChannelStateImage) == sizeof(devicelink::ChannelState));
static_assert(std::is_trivially_copyable_v<devicelink::ChannelState>);
static_assert(std::is_trivially_copyable_v<logger::ChannelStateImage>);

inline devicelink::ChannelState ToDeviceState(const logger::ChannelStateImage& image)
{
    devicelink::ChannelState state;
    std::memcpy(&state, image.bytes, sizeof state);
    return state;
}

inline logger::ChannelStateImage ToStateImage(const devicelink::ChannelState& state)
{
    logger::ChannelStateImage image;
    std::memcpy(image.bytes, &state, sizeof image.bytes);
    return image;
}

}  // namespace measure
