#pragma once

#include "tests/support/DevsimFixture.h"
#include "tests/support/LinkHelpers.h"

#include "devicelink/sensor/CNI2CSensor.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace corviktest {

// The sensor object on the real device layer, against the simulated logger run in-process.
class SensorDevsimFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(sim_.Start(error)) << error;
        sim_.PointDriverHere();
        sensor_ = std::make_unique<devicelink::CNI2CSensor>();
    }
    void TearDown() override
    {
        sensor_.reset();  // closes the device
        sim_.Stop();
    }
    // Polls for up to two seconds until `expected` comes; returns the last result.
    int32_t PollUntil(int32_t expected)
    {
        int32_t result = -1;
        WaitUntil([&] { return (result = sensor_->PollSensorState()) == expected; }, 2000);
        return result;
    }

    devsim::testing::InProcessDevsim sim_;
    std::unique_ptr<devicelink::CNI2CSensor> sensor_;
};

}  // namespace corviktest
