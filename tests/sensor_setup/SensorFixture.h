#pragma once

#include "devicelink/sensor/CNI2CSensor.h"
#include "platform/Clock.h"

#include "tests/support/PlainSensor.h"
#include "tests/support/RecordingDeviceApi.h"

#include <gtest/gtest.h>

#include <string>

namespace corviktest {

// A sensor object on the recording logger, with hand-made access records in place of a loaded
// catalogue (record c describes the sensor on channel c) and sleeps that take no time.
class SensorFixture : public ::testing::Test {
protected:
    void SetUp() override { platform::SetSleeper(&clock_); }
    void TearDown() override { platform::SetSleeper(nullptr); }

    devicelink::SensorAccessRecord& Plug(int c, const std::string& model, int32_t family = devicelink::kRType)
    {
        return DescribePlainSensor(sensor_, c, model, family);
    }

    platform::ManualClock clock_;
    RecordingDeviceApi api_;
    devicelink::CNI2CSensor sensor_{api_};
};

}  // namespace corviktest
