#include "addin/device/SensorRevision.h"

#include "devicelink/sensor/CNI2CSensor.h"
#include "platform/Text.h"

#include <algorithm>

namespace addin::device {

namespace {

constexpr char16_t kErasedByte = 0x00FF;

template <size_t N>
void DropErasedBytes(char16_t (&field)[N])
{
    std::u16string text(platform::FieldView(field));
    text.erase(std::remove(text.begin(), text.end(), kErasedByte), text.end());
    platform::CopyToField(field, text);
}

}  // namespace

void ReviseDetectedChannels(devicelink::CNI2CSensor& sensor)
{
    auto& records = sensor.catalogue().accessRecords();
    const int firstSpare = sensor.catalogue().sensorCount();
    for (int c = 0; c < devicelink::kChannelStateCount; ++c) {
        devicelink::ChannelState& state = sensor.channel(c);
        const int index = state.accessIndex;
        if (sensor.connected(c) != 1 || index < firstSpare || index >= int(records.size()))
            continue;
        DropErasedBytes(state.modelCode);
        DropErasedBytes(state.name);
        DropErasedBytes(state.fullName);
        DropErasedBytes(state.infoFile);
        platform::CopyToField(records[index].outputNames[0], platform::FieldView(state.name));
    }
}

}  // namespace addin::device
