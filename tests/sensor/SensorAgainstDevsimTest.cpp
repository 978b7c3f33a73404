#include "DevsimFixture.h"
#include "RequestHelpers.h"
#include "TestCatalogue.h"

#include "devicelink/CNI2CSensor.h"
#include "devicelink/DeviceApi.h"

#include <gtest/gtest.h>

namespace {

using devicelink::CNI2CSensor;
using devsim::testing::InProcessDevsim;
using devsim::testing::WaitUntil;

class SensorAgainstDevsim : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(sim_.Start(error)) << error;
        sim_.PointDriverHere();
        ASSERT_TRUE(sim_.Plug(0, "temperature ramp start=10 slope=1"));
        sensor_ = std::make_unique<CNI2CSensor>();
    }
    void TearDown() override
    {
        sensor_.reset();  // closes the device
        sim_.Stop();
    }
    int32_t PollUntil(int32_t expected)
    {
        int32_t result = -1;
        WaitUntil([&] { return (result = sensor_->PollSensorState()) == expected; }, 2000);
        return result;
    }

    InProcessDevsim sim_;
    std::unique_ptr<CNI2CSensor> sensor_;
};

TEST_F(SensorAgainstDevsim, LoadsTheKitCatalogue)
{
    ASSERT_EQ(sensor_->LoadSensorXml(sensortest::ProjectCataloguePath()), 1);
    EXPECT_EQ(sensor_->LoadCatalogue(), 1);
    EXPECT_GE(sensor_->firmwareVersion(), devicelink::kMinimumFirmwareVersion);
    EXPECT_EQ(sensor_->catalogue().sensorCount(), 44);
}

TEST_F(SensorAgainstDevsim, PollFollowsPlugAndPull)
{
    EXPECT_EQ(sensor_->PollSensorState(), devicelink::kPollPlugged);
    sensor_->lastPresence(0) = 1;  // as detection records it
    EXPECT_EQ(sensor_->PollSensorState(), devicelink::kPollNoChange);

    sim_.Command("plug 2 photogate");
    EXPECT_EQ(PollUntil(devicelink::kPollPlugged), devicelink::kPollPlugged);
    EXPECT_EQ(sensor_->statusWord(), 0x00050005);
    sensor_->lastPresence(2) = 1;

    sim_.Command("pull 0");
    EXPECT_EQ(PollUntil(devicelink::kPollRemoved), devicelink::kPollRemoved);
    EXPECT_EQ(sensor_->statusWord(), 0x00040004);
}

TEST_F(SensorAgainstDevsim, ALostLinkReads128)
{
    ASSERT_EQ(sensor_->PollSensorState(), devicelink::kPollPlugged);
    ASSERT_TRUE(sim_.AddFault("0x10000011 disconnect"));
    EXPECT_EQ(PollUntil(devicelink::kPollLinkLost), devicelink::kPollLinkLost);
    // Without the logger the last word stands.
    EXPECT_EQ(sensor_->PollSensorState(), devicelink::kPollLinkLost);
}

}  // namespace
