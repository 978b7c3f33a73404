#include "BlockHelpers.h"

#include "tools/devsim/SensorModels.h"
#include "tools/devsim/SimDevice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numeric>

namespace {

using namespace devsim;
using devsim::testing::CodeOf;
using devsim::testing::OneChannel;
using devsim::testing::PayloadOf;
using devsim::testing::Words;
namespace code = devicelink::code;

class SimDeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        options_.fast = true;
        options_.sequence = 6;
        device_ = std::make_unique<SimDevice>(options_);
    }

    void Plug(int c, const std::string& text)
    {
        SensorSpec spec;
        std::string error;
        ASSERT_TRUE(ParseSensorSpec(text, spec, error)) << error;
        ASSERT_TRUE(device_->Plug(c, spec, error)) << error;
    }

    std::vector<OutFrame> Command(uint32_t c, const std::vector<uint32_t>& payload = {})
    {
        std::vector<OutFrame> out;
        device_->HandleCommand(c, payload, 1.0, out);
        return out;
    }

    // Runs the measurement to its end and returns every data frame.
    std::vector<OutFrame> RunMeasurement(const devicelink::MeasureSetupBlock& block)
    {
        auto started = Command(code::kStartMeasure, Words(block));
        EXPECT_EQ(started.size(), 1u);
        std::vector<OutFrame> frames;
        for (int i = 0; i < 100 && device_->Measuring(); ++i)
            device_->Advance(1.0, frames);
        EXPECT_FALSE(device_->Measuring());
        return frames;
    }

    static devicelink::MeasureSetupBlock Timed(int count, int interval)
    {
        auto b = OneChannel(0, 0x48, 128, 2, 1);
        b.kind = devicelink::kind::kTimed;
        b.count = count;
        b.interval = interval;
        return b;
    }

    DeviceOptions options_;
    std::unique_ptr<SimDevice> device_;
};

TEST_F(SimDeviceTest, StatusWordFollowsPlugAndPull)
{
    Plug(0, "temperature");
    Plug(2, "photogate");
    auto out = Command(code::kQueryStatus);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(CodeOf(out[0].bytes), code::kStatusReply);
    EXPECT_EQ(PayloadOf(out[0].bytes).at(0), 0x00050005u);
    device_->Pull(0);
    EXPECT_EQ(PayloadOf(Command(code::kQueryStatus)[0].bytes).at(0), 0x00040004u);
}

TEST_F(SimDeviceTest, OneShotReadAnswersInBothShapes)
{
    Plug(1, "temperature constant value=25");
    const auto block = OneChannel(1, 0x48, 128, 2, 1);
    auto narrow = Command(code::kReadSamples, Words(block));
    ASSERT_EQ(narrow.size(), 1u);
    EXPECT_EQ(CodeOf(narrow[0].bytes), code::kReadReply);
    const auto p = PayloadOf(narrow[0].bytes);
    ASSERT_EQ(p.size(), devicelink::kReadReplyWords);
    EXPECT_EQ(p[1 + 8], 400u);  // channel 1, entry 0
    EXPECT_EQ(p[1], 0u);        // channel 0 not enabled

    device_->SetWideReadReply(true);
    auto wide = Command(code::kReadSamples, Words(block));
    EXPECT_EQ(CodeOf(wide[0].bytes), code::kWideReadReply);
    EXPECT_EQ(PayloadOf(wide[0].bytes).at(1 + 128), 400u);
}

TEST_F(SimDeviceTest, RegisterWriteIsRecordedAndAcknowledged)
{
    Plug(0, "temperature");
    auto b = OneChannel(0, 0x48, 131, 1, 2, 0x08);
    b.writeData[0] = 3;
    b.writeData[1] = 0;
    b.readRegister[1] = 0x05;
    auto out = Command(code::kWriteSetup, Words(b));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(CodeOf(out[0].bytes), code::kWriteDone);
    const auto writes = device_->Writes();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].reg, 0x08);
    EXPECT_EQ(writes[0].data, std::vector<uint8_t>{3});
    EXPECT_EQ(writes[1].reg, 0x05);
}

TEST_F(SimDeviceTest, MeasurementInEachDeliveryShape)
{
    Plug(0, "temperature ramp start=10 slope=1");
    const int count = 20, interval = 50000;  // 50 ms: 1/16 degC counts grow by 0.8 per sample
    const auto expected = [&](int i) { return uint32_t(std::lround((10.0 + 0.05 * i) * 16)); };

    device_->SetDelivery(Delivery::Block);
    auto frames = RunMeasurement(Timed(count, interval));
    ASSERT_EQ(frames.size(), size_t(count));
    for (int i = 0; i < count; ++i) {
        const auto p = PayloadOf(frames[size_t(i)].bytes);
        EXPECT_EQ(CodeOf(frames[size_t(i)].bytes), code::kMeasureBlock);
        EXPECT_EQ(p[0], uint32_t(i * 50));  // milliseconds, the interval being above 9999 us
        EXPECT_EQ(p[1], expected(i));
    }

    device_->SetDelivery(Delivery::Sets);
    frames = RunMeasurement(Timed(count, interval));
    std::vector<uint32_t> values;
    for (const auto& f : frames) {
        const auto p = PayloadOf(f.bytes);
        ASSERT_LE(p[0], 16u);
        values.insert(values.end(), p.begin() + 4, p.begin() + 4 + p[0]);
    }
    ASSERT_EQ(values.size(), size_t(count));
    EXPECT_EQ(values[7], expected(7));
    EXPECT_EQ(frames.size(), 2u);  // 16 sets fill the first frame

    device_->SetDelivery(Delivery::Bulk);
    frames = RunMeasurement(Timed(count, interval));
    ASSERT_EQ(frames.size(), 1u);
    auto p = PayloadOf(frames[0].bytes);
    ASSERT_EQ(p.size(), 2u + 2 * count);
    EXPECT_EQ(p[0], 0u);
    EXPECT_EQ(p[1], uint32_t(count));
    EXPECT_EQ(p[2 + 19], expected(19));
    EXPECT_EQ(p[2 + count + 19], 19u * 50);

    device_->SetDelivery(Delivery::Channel);
    frames = RunMeasurement(Timed(count, interval));
    ASSERT_EQ(frames.size(), size_t(count));
    p = PayloadOf(frames[3].bytes);
    ASSERT_EQ(p.size(), devicelink::kChannelBlockWords);
    EXPECT_EQ(p[1], 0u);
    EXPECT_EQ(p[2], expected(3));
}

TEST_F(SimDeviceTest, PerChannelIntervalsAndTriggeredSampling)
{
    Plug(0, "temperature");
    Plug(1, "photogate pulses period=0.1 width=0.045 high=1 offset=0");
    device_->SetDelivery(Delivery::Bulk);
    auto b = OneChannel(0, 0x48, 128, 2, 1);
    b.kind = devicelink::kind::kTimedPerChannel;
    b.enabled[1] = 1;
    b.address[1] = 0x20;
    b.readType[1] = 128;
    b.byteCount[1] = 1;
    b.entries[1] = 1;
    b.count = 4;
    b.channelInterval[0] = 1000;
    b.channelInterval[1] = 3000;
    const auto frames = RunMeasurement(b);
    std::vector<uint32_t> times[2];
    for (const auto& f : frames) {
        const auto p = PayloadOf(f.bytes);
        for (uint32_t i = 0; i < p[1]; ++i)
            times[p[0]].push_back(p[2 + p[1] + i]);
    }
    EXPECT_EQ(times[0], (std::vector<uint32_t>{0, 1000, 2000, 3000}));
    EXPECT_EQ(times[1], (std::vector<uint32_t>{0, 3000, 6000, 9000}));

    // Triggered: polled every 10 ms, a sample at each edge of the gate (every 50 ms).
    auto t = OneChannel(1, 0x20, 128, 1, 1);
    t.kind = devicelink::kind::kTriggered;
    t.interval = 10000;
    t.count = 3;
    t.triggerWord = 0x2;
    const auto edges = RunMeasurement(t);
    std::vector<uint32_t> values, stamps;
    for (const auto& f : edges) {
        const auto p = PayloadOf(f.bytes);
        values.insert(values.end(), p.begin() + 2, p.begin() + 2 + p[1]);
        stamps.insert(stamps.end(), p.begin() + 2 + p[1], p.end());
    }
    EXPECT_EQ(values, (std::vector<uint32_t>{0, 1, 0}));
    EXPECT_EQ(stamps, (std::vector<uint32_t>{50, 100, 150}));
}

TEST_F(SimDeviceTest, FastTriggeredRunWithoutATriggerWaitsForRealTime)
{
    Plug(0, "temperature constant value=25");
    auto t = Timed(3, 10000);
    t.kind = devicelink::kind::kTriggered;
    ASSERT_EQ(Command(code::kStartMeasure, Words(t)).size(), 1u);
    EXPECT_LE(device_->NextDue(), 1.0);  // a fast device hurries at first
    std::vector<OutFrame> frames;
    device_->Advance(1.0, frames);
    EXPECT_TRUE(frames.empty());
    EXPECT_TRUE(device_->Measuring());
    // Nothing fired in a whole batch: the next poll waits for its own time, not for none.
    EXPECT_GT(device_->NextDue(), 2.0);
}

TEST_F(SimDeviceTest, StreamDealsSamplesRoundRobin)
{
    Plug(0, "voltage constant value=10");
    Plug(2, "voltage constant value=-10");
    auto started = Command(code::kStartStream, {0x5, 0});
    ASSERT_EQ(CodeOf(started[0].bytes), code::kStreamStarted);
    std::vector<OutFrame> packets;
    device_->Advance(1.0 + 0.0041, packets);  // two packets due
    ASSERT_EQ(packets.size(), 2u);
    const auto p = PayloadOf(packets[1].bytes);
    ASSERT_EQ(p.size(), devicelink::kStreamPacketWords);
    EXPECT_EQ(p[0], 2u);                      // time base in ms
    EXPECT_EQ(p[1], 4095u | (0u << 16));      // channel 0 high, channel 2 low
    EXPECT_EQ(CodeOf(Command(code::kStopStream)[0].bytes), code::kStreamStopped);
    EXPECT_FALSE(device_->Streaming());
}

TEST_F(SimDeviceTest, FirmwareUpgradeIsCheckedAndRebuilt)
{
    std::vector<uint8_t> image(3000);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = uint8_t(i * 7 + 1);
    const auto block = [&](uint32_t index, size_t from, size_t n) {
        std::vector<uint32_t> payload{index, uint32_t(n)};
        std::vector<uint32_t> data((n + 3) / 4, 0);
        std::memcpy(data.data(), image.data() + from, n);
        payload.insert(payload.end(), data.begin(), data.end());
        return Command(code::kFirmwareBlock, payload);
    };
    const uint32_t sum = std::accumulate(image.begin(), image.end(), 0u);

    auto begin = Command(code::kFirmwareBegin);
    EXPECT_EQ(PayloadOf(begin[0].bytes), (std::vector<uint32_t>{0, 6}));
    EXPECT_EQ(block(0, 0, 2048).size(), 1u);
    EXPECT_TRUE(block(2, 2048, 952).empty());  // out of order: not acknowledged
    EXPECT_TRUE(Command(code::kFirmwareCheck, {7, sum, 3000}).empty());
    EXPECT_FALSE(device_->Verdict().accepted);
    EXPECT_NE(device_->Verdict().reason.find("block 2"), std::string::npos);

    Command(code::kFirmwareBegin);
    EXPECT_TRUE(block(0, 0, 2049).empty());   // too large
    Command(code::kFirmwareBegin);
    block(0, 0, 2048);
    block(1, 2048, 952);
    EXPECT_TRUE(Command(code::kFirmwareCheck, {7, sum + 1, 3000}).empty());
    EXPECT_NE(device_->Verdict().reason.find("sum"), std::string::npos);

    Command(code::kFirmwareBegin);
    block(0, 0, 2048);
    block(1, 2048, 952);
    auto ok = Command(code::kFirmwareCheck, {7, sum, 3000});
    ASSERT_EQ(ok.size(), 1u);
    EXPECT_EQ(CodeOf(ok[0].bytes), code::kFirmwareCheckAck);
    EXPECT_TRUE(device_->Verdict().accepted);
    EXPECT_EQ(device_->Verdict().image, image);
    EXPECT_EQ(device_->FirmwareSequence(), 7);
    EXPECT_EQ(device_->FirmwareBank(), 1);
}

TEST_F(SimDeviceTest, SimpleCommandsAndUnknownCodes)
{
    EXPECT_EQ(PayloadOf(Command(code::kGetVersion)[0].bytes).at(0), 20130913u);
    EXPECT_EQ(CodeOf(Command(code::kHello)[0].bytes), code::kHelloAck);
    std::vector<uint32_t> table(131, 0xABCD);
    EXPECT_EQ(CodeOf(Command(code::kWriteDeviceBlock, table)[0].bytes), code::kDeviceBlockWritten);
    EXPECT_EQ(device_->SearchTable().size(), 524u);
    EXPECT_TRUE(Command(0x10000099).empty());
    Command(code::kHelloAck);
    EXPECT_EQ(device_->HelloAnswers(), 1);
}

}  // namespace
