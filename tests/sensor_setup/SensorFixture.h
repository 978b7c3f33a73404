#pragma once

#include "devicelink/CNI2CSensor.h"
#include "platform/Clock.h"
#include "platform/Text.h"

#include "RecordingDeviceApi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace sensortest {

// A sensor object on the recording logger, with hand-made access records in place of a loaded
// catalogue (record c describes the sensor on channel c) and sleeps that take no time.
class SensorFixture : public ::testing::Test {
protected:
    SensorFixture() { sensor_.catalogue().accessRecords().resize(devicelink::kChannelStateCount); }
    void SetUp() override { platform::SetSleeper(&clock_); }
    void TearDown() override { platform::SetSleeper(nullptr); }

    // A plain one-register sensor: raw value x 1 + 0.
    devicelink::SensorAccessRecord& Plug(int c, const std::string& model, int32_t family = devicelink::kRType)
    {
        devicelink::SensorAccessRecord& r = sensor_.catalogue().accessRecords()[c];
        r = devicelink::SensorAccessRecord{};
        const std::string id = model + "_SENSOR";
        platform::CopyToField(r.id, platform::AsciiToUtf16(id));
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

        devicelink::ChannelState& s = sensor_.channel(c);
        s = devicelink::ChannelState{};
        platform::CopyToField(s.sensorId, platform::AsciiToUtf16(id));
        platform::CopyToField(s.modelCode, platform::AsciiToUtf16(model));
        s.accessIndex = c;
        s.sensorFamily = family;
        s.gain = 1.0f;
        s.timeUnit = 0.001f;
        s.timeFactor = 1.0f;
        s.conversionKind = 0;
        sensor_.connected(c) = 1;
        return r;
    }

    platform::ManualClock clock_;
    RecordingDeviceApi api_;
    devicelink::CNI2CSensor sensor_{api_};
};

}  // namespace sensortest
