#include "devicelink/conversion/ConversionState.h"
#include "devicelink/sensor/I2cSensorSetup.h"

#include "tests/support/RecordingDeviceApi.h"

#include <gtest/gtest.h>

namespace {

using devicelink::MeasureRequest;
using corviktest::RecordingDeviceApi;
using corviktest::Submitted;

// A single-channel request with 8-entry arrays, as the sensor object's one-shot request.
struct SetupRequest {
    SetupRequest(int channel, int32_t address)
    {
        request.host.event = &event;
        for (int c = 0; c < devicelink::kChannelCount; ++c) {
            request.host.values[c] = values[c];
            request.host.times[c] = times[c];
            request.host.counts[c] = &counts[c];
        }
        request.block.address[channel] = address;
    }
    platform::Event event{platform::Event::Kind::AutoReset};
    uint32_t values[4][8] = {};
    int32_t times[4][8] = {};
    std::atomic<int32_t> counts[4] = {};
    MeasureRequest request;
};

class I2cSetup : public ::testing::Test {
protected:
    int32_t Config(int32_t address, int32_t modeA = 0, int32_t modeB = 0)
    {
        SetupRequest r(kChannel, address);
        return devicelink::ConfigI2CSensor(api_, r.request, kChannel, modeA, modeB, result_);
    }
    static constexpr int kChannel = 2;
    RecordingDeviceApi api_;
    int32_t result_[devicelink::kI2cResultWords] = {};
};

// A one-shot transaction on channel c alone.
void ExpectSingleChannel(const Submitted& s, int c, int32_t accessType, int32_t byteCount, int entries)
{
    EXPECT_EQ(s.block.kind, 0);
    for (int ch = 0; ch < 4; ++ch)
        EXPECT_EQ(s.block.enabled[ch], ch == c ? 1 : 0);
    EXPECT_EQ(s.block.capacity[c], 8);
    EXPECT_EQ(s.block.readType[c], accessType);
    EXPECT_EQ(s.block.byteCount[c], byteCount);
    EXPECT_EQ(s.block.entries[c], entries);
}

TEST_F(I2cSetup, LightSensorWritesItsFiveBytesByMode)
{
    ASSERT_EQ(Config(0x23, 1), 1);
    ASSERT_EQ(api_.submitted.size(), 1u);
    const Submitted& s = api_.submitted[0];
    EXPECT_TRUE(s.write);
    ExpectSingleChannel(s, kChannel, 132, 1, 5);
    const std::array<uint32_t, 5> expected = {1, 7, 0x56, 0x6B, 16};
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(s.data[kChannel][k], expected[k]) << k;

    // The sensor object's direct call passes the second mode.
    SetupRequest r(kChannel, 0x23);
    ASSERT_EQ(devicelink::ConfigI2CSensor23(api_, r.request, kChannel, 2, 2), 1);
    EXPECT_EQ(api_.submitted.back().data[kChannel][2], 0x45u);
    EXPECT_EQ(api_.submitted.back().data[kChannel][4], 22u);
}

TEST_F(I2cSetup, RangeRegisterKeepsItsTopBitsForMode7)
{
    api_.replies.push_back({0xA5});
    ASSERT_EQ(Config(0x38, 7), 1);
    ASSERT_EQ(api_.submitted.size(), 2u);
    const Submitted& read = api_.submitted[0];
    ExpectSingleChannel(read, kChannel, 128, 1, 1);
    EXPECT_EQ(read.block.readRegister[8 * kChannel], 0x14);
    EXPECT_EQ(read.block.readMask[8 * kChannel], 0xFF);
    const Submitted& write = api_.submitted[1];
    ExpectSingleChannel(write, kChannel, 131, 1, 1);
    EXPECT_EQ(write.block.readRegister[8 * kChannel], 0x14);
    EXPECT_EQ(write.data[kChannel][0], (0xA5u & 0xE0u) | 12u);

    // A read that gives nothing leaves the register alone.
    api_.submitted.clear();
    api_.replies.push_back({});
    EXPECT_EQ(Config(0x38, 7), 1);
    EXPECT_TRUE(api_.Writes().empty());
}

TEST_F(I2cSetup, CounterSensorResetsTheSharedChangeStateAndLatches)
{
    devicelink::ProcessConversionState().sharedChange = {5, 77};
    ASSERT_EQ(Config(0x70, 0, 3), 1);
    EXPECT_EQ(devicelink::ProcessConversionState().sharedChange.counter, 0);
    EXPECT_EQ(devicelink::ProcessConversionState().sharedChange.lastRaw, 0x10000001);
    const auto writes = api_.Writes();
    ASSERT_EQ(writes.size(), 2u);
    ExpectSingleChannel(writes[0], kChannel, 132, 1, 1);
    EXPECT_EQ(writes[0].data[kChannel][0], 144u);
    EXPECT_EQ(writes[1].data[kChannel][0], 17u);
    Config(0x70, 0, 9);
    EXPECT_EQ(api_.Writes()[2].data[kChannel][0], 128u);
}

TEST_F(I2cSetup, PressureCalibrationWordsKeepTheirSigns)
{
    api_.replies.push_back({0x8001, 0x0001, 0xFFFF, 0x8000, 0x9000, 0x7FFF});
    api_.replies.push_back({0x8000, 0x0010});
    api_.replies.push_back({0xFFFE, 0x1234, 0xABCD});
    ASSERT_EQ(Config(0x77), 1);
    const int32_t expected[11] = {-32767, 1, -1, 0x8000, 0x9000, 0x7FFF, -32768, 16, -2, 0x1234, 0xABCD - 0x10000};
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(result_[i], expected[i]) << i;
    ASSERT_EQ(api_.submitted.size(), 3u);
    EXPECT_EQ(api_.submitted[0].block.readRegister[8 * kChannel + 5], 0xAA + 10);
    EXPECT_EQ(api_.submitted[1].block.readRegister[8 * kChannel], 0xB6);
    EXPECT_EQ(api_.submitted[2].block.readRegister[8 * kChannel + 2], 0xBA + 4);

    // Short reads leave their words as the caller zeroed them.
    std::fill(std::begin(result_), std::end(result_), 0);
    api_.replies.push_back({0x1111, 0x2222, 0x3333, 0x4444, 0x5555, 0x6666});
    api_.replies.push_back({0x0102});  // one of two
    api_.replies.push_back({});        // nothing
    ASSERT_EQ(Config(0x77), 1);
    EXPECT_EQ(result_[5], 0x6666);
    for (int i = 6; i < 11; ++i)
        EXPECT_EQ(result_[i], 0) << i;
}

TEST_F(I2cSetup, ModesOfTheAccelerometersComeFromTheZeroedResultWord)
{
    ASSERT_EQ(Config(0x18, 1), 1);
    auto writes = api_.Writes();
    ASSERT_EQ(writes.size(), 1u);
    ExpectSingleChannel(writes[0], kChannel, 131, 1, 2);
    EXPECT_EQ(writes[0].block.readRegister[8 * kChannel + 1], 5);
    EXPECT_EQ(writes[0].data[kChannel][0], 3u);  // mode 0: the "otherwise" code

    ASSERT_EQ(Config(0x4D, 1), 1);
    EXPECT_EQ(api_.Writes().back().data[kChannel][0], 96u);
}

TEST_F(I2cSetup, UnknownAddressOrUnreadyDeviceSendsNothing)
{
    EXPECT_EQ(Config(0x50), 0);
    api_.ready = 0;
    for (int32_t address : {0x18, 0x23, 0x28, 0x38, 0x39, 0x42, 0x4D, 0x70, 0x77})
        EXPECT_EQ(Config(address), 0) << address;
    EXPECT_TRUE(api_.submitted.empty());
}

}  // namespace
