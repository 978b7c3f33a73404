#pragma once

#include "devicelink/sensor/CNI2CSensor.h"
#include "logger/sensorsetup/core/SetupSensor.h"
#include "platform/Clock.h"

#include "tests/support/PlainSensor.h"
#include "tests/support/RecordingDeviceApi.h"

#include <gtest/gtest.h>

#include <span>
#include <string>

namespace setuptest {

// The dialogs' sensor over a sensor object on the recording logger, with hand-made records and
// sleeps that take no time.
class SetupCoreTest : public ::testing::Test {
protected:
    void SetUp() override { platform::SetSleeper(&clock_); }
    void TearDown() override { platform::SetSleeper(nullptr); }

    devicelink::SensorAccessRecord& Plug(int c, const std::string& model, int32_t family = devicelink::kRType)
    {
        return corviktest::DescribePlainSensor(sensor_, c, model, family);
    }
    std::span<uint8_t> Image(int c) { return std::span<uint8_t>(sensor_.channel(c).sensorMemory); }

    platform::ManualClock clock_;
    corviktest::RecordingDeviceApi api_;
    devicelink::CNI2CSensor sensor_{api_};
    sensorsetup::SetupSensorAdapter setup_{sensor_};
};

}  // namespace setuptest
