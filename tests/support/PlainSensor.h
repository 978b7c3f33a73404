#pragma once

#include "devicelink/sensor/CNI2CSensor.h"
#include "platform/Text.h"

#include <algorithm>
#include <string>

namespace corviktest {

// Describes a plain one-register sensor (register 2 at 0x48, raw value x 1 + 0) on channel c by
// hand, in place of a loaded catalogue: record c of the access table and the channel's state.
inline devicelink::SensorAccessRecord& DescribePlainSensor(devicelink::CNI2CSensor& sensor, int c,
                                                           const std::string& model,
                                                           int32_t family = devicelink::kRType)
{
    auto& records = sensor.catalogue().accessRecords();
    records.resize(std::max<size_t>(records.size(), devicelink::kChannelCount));
    devicelink::SensorAccessRecord& r = records[size_t(c)];
    r = devicelink::SensorAccessRecord{};
    const std::u16string id = platform::AsciiToUtf16(model + "_SENSOR");
    platform::CopyToField(r.id, id);
    r.clockCode = 3;
    r.family = family;
    r.address = 0x48;
    r.readType = 128;
    r.byteCount = 2;
    r.registerCount = 1;
    r.readAddress[0] = 2;
    r.readMask[0] = 0xFFFF;
    std::fill(std::begin(r.writeType), std::end(r.writeType), -1);
    r.outputCount = 1;
    r.outputUnits[0][0] = 1;
    std::fill(std::begin(r.scale), std::end(r.scale), 1.0f);
    r.sampling[0].maxRate = 100;

    devicelink::ChannelState& s = sensor.channel(c);
    s = devicelink::ChannelState{};
    platform::CopyToField(s.sensorId, id);
    platform::CopyToField(s.modelCode, platform::AsciiToUtf16(model));
    s.accessIndex = c;
    s.sensorFamily = family;
    s.gain = 1.0f;
    s.timeUnit = 0.001f;
    s.timeFactor = 1.0f;
    sensor.connected(c) = 1;
    return r;
}

}  // namespace corviktest
