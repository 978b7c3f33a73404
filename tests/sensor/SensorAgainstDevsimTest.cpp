#include "tests/support/PlainSensor.h"
#include "tests/support/SensorDevsimFixture.h"
#include "tests/support/TestCatalogue.h"

#include "devicelink/conversion/ConversionState.h"
#include "devicelink/link/DeviceApi.h"

#include <vector>

namespace {

using corviktest::WaitUntil;

// The simulator's temperature probe on channel 0 (register 0 at 0x48, 1/16 degC a count).
class SensorAgainstDevsim : public corviktest::SensorDevsimFixture {
protected:
    void SetUp() override
    {
        SensorDevsimFixture::SetUp();
        ASSERT_TRUE(sim_.Plug(0, "temperature ramp start=10 slope=1"));
    }
    // The probe described by hand in place of detection.
    void DescribeProbe()
    {
        devicelink::SensorAccessRecord& r = corviktest::DescribePlainSensor(*sensor_, 0, "T");
        r.clockCode = 14;
        r.readAddress[0] = 0;
        r.scale[0] = 1.0f / 16.0f;
    }
    int32_t Count(int c) { return sensor_->acquisitionRequest().host.counts[c]->load(std::memory_order_acquire); }
    // A timed run of channel A alone.
    static devicelink::AcquisitionPlan TimedPlan(int32_t interval, int32_t count)
    {
        devicelink::AcquisitionPlan plan;
        plan.selection[0] = plan.channelFlags[0] = 1;
        plan.interval = interval;
        plan.lengthSeconds = 1;
        plan.count = count;
        return plan;
    }
};

TEST_F(SensorAgainstDevsim, LoadsTheKitCatalogue)
{
    ASSERT_EQ(sensor_->LoadSensorXml(corviktest::ProjectCataloguePath()), 1);
    EXPECT_EQ(sensor_->LoadCatalogue(), 1);
    EXPECT_EQ(sensor_->catalogue().sensorCount(), 44);
}

TEST_F(SensorAgainstDevsim, PollFollowsPlugPullAndLinkLoss)
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

    ASSERT_TRUE(sim_.AddFault("0x10000011 disconnect"));
    EXPECT_EQ(PollUntil(devicelink::kPollLinkLost), devicelink::kPollLinkLost);
    EXPECT_EQ(sensor_->PollSensorState(), devicelink::kPollLinkLost);
}

TEST_F(SensorAgainstDevsim, MonitorKeepsDeliveringReadings)
{
    DescribeProbe();
    platform::Event& event = sensor_->StartMonitor();
    ASSERT_TRUE(event.Wait(3000));
    const int32_t first = Count(0);
    EXPECT_GT(first, 0);
    ASSERT_TRUE(WaitUntil([&] { return Count(0) >= first + 3; }, 5000)) << Count(0);
    // The readings are the probe's, converted through the channel's record.
    float value = 0.0f, time = 0.0f;
    int32_t produced = 0;
    const auto& host = sensor_->acquisitionRequest().host;
    const int32_t raw = static_cast<int32_t>(host.values[0][first - 1]);
    sensor_->ConvertChannelData(0, 0, 1, &raw, &host.times[0][first - 1], &value, &time, 0,
                                sensor_->FindSensorRecord(&sensor_->channel(0)), &sensor_->channel(0), &produced);
    EXPECT_EQ(produced, 1);
    EXPECT_GT(value, 5.0f);
    EXPECT_LT(value, 100.0f);
    sensor_->StopAcquisition();
}

TEST_F(SensorAgainstDevsim, TimedRunLandsItsCountAndStopEndsARun)
{
    DescribeProbe();
    sensor_->StartAcquisition(TimedPlan(10000, 50));
    ASSERT_TRUE(WaitUntil([&] { return Count(0) >= 50; }, 5000)) << Count(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(Count(0), 50);
    sensor_->StopAcquisition();
    EXPECT_EQ(sensor_->IsRunning(), 0);

    // An endless run stops growing once stopped.
    sensor_->StartAcquisition(TimedPlan(10000, 0));
    ASSERT_TRUE(WaitUntil([&] { return Count(0) >= 5; }, 5000)) << Count(0);
    sensor_->StopAcquisition();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const int32_t stopped = Count(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(Count(0), stopped);
}

// The GPS receiver streams its sentences a character a reading; the live words must come out
// as the receiver's position.
TEST_F(SensorAgainstDevsim, GpsReadingsGiveTheReceiversPosition)
{
    ASSERT_EQ(sensor_->LoadSensorXml(corviktest::ProjectCataloguePath()), 1);
    ASSERT_EQ(sensor_->LoadCatalogue(), 1);
    sim_.Command("plug 0 N24");
    ASSERT_EQ(PollUntil(devicelink::kPollPlugged), devicelink::kPollPlugged);
    std::u16string text;
    ASSERT_EQ(sensor_->DetectSensors(text), 1);
    devicelink::ResetConversionState();

    sensor_->StartAcquisition(TimedPlan(2000, 600));
    ASSERT_TRUE(WaitUntil([&] { return Count(0) >= 600; }, 8000)) << Count(0);
    sensor_->StopAcquisition();
    const int32_t n = Count(0);
    const auto& host = sensor_->acquisitionRequest().host;
    std::vector<float> values(static_cast<size_t>(n)), times(static_cast<size_t>(n));
    int32_t produced = 0;
    sensor_->ConvertChannelData(0, 0, n, reinterpret_cast<const int32_t*>(host.values[0]), host.times[0],
                                values.data(), times.data(), 0, sensor_->FindSensorRecord(&sensor_->channel(0)),
                                &sensor_->channel(0), &produced);
    ASSERT_EQ(produced, 3);
    EXPECT_NEAR(values[0], 37.5665f, 1e-3f);
    EXPECT_NEAR(values[1], 126.9780f, 1e-3f);
    EXPECT_FLOAT_EQ(values[2], 38.0f);
}

}  // namespace

namespace {

// A photogate run opened in a program where no photogate has been detected yet is shown as it
// was recorded: the detection of an adapter model changes nothing of its catalogue entry.
TEST_F(SensorAgainstDevsim, APhotogateRunConvertsTheSameWhetherOrNotAPhotogateWasDetected)
{
    const auto start = [this] {
        sensor_ = std::make_unique<devicelink::CNI2CSensor>();
        ASSERT_EQ(sensor_->LoadSensorXml(corviktest::ProjectCataloguePath()), 1);
        ASSERT_EQ(sensor_->LoadCatalogue(), 1);
    };
    constexpr int kSamples = 5;
    const int32_t raws[kSamples] = {0, 700, 2400, 4095, 0x12345678};
    const int32_t times[kSamples] = {0, 20, 40, 60, 80};
    const auto convert = [&](devicelink::ChannelState copy, int c) {
        std::vector<float> values(4 * kSamples), outTimes(4 * kSamples);
        sensor_->ConvertChannelData(c, 0, kSamples, raws, times, values.data(), outTimes.data(), 0,
                                    sensor_->FindSensorRecord(&copy), &copy, nullptr);
        return values;
    };
    start();
    sim_.Command("pull 0");
    ASSERT_TRUE(sim_.Plug(1, "R7JE"));
    ASSERT_EQ(PollUntil(devicelink::kPollPlugged), devicelink::kPollPlugged);
    std::u16string text;
    ASSERT_EQ(sensor_->DetectSensors(text), 1);
    const devicelink::ChannelState gate = sensor_->channel(1);
    const std::vector<float> recorded = convert(gate, 1);

    start();   // the program started again, its sensors not detected yet
    EXPECT_EQ(convert(gate, 1), recorded);
}

}  // namespace
