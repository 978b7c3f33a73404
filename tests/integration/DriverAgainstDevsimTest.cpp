#include "tests/support/DevsimFixture.h"
#include "tests/support/LinkHelpers.h"

#include "tools/devsim/Chips.h"

#include "devicelink/link/CorvikUSBDrv.h"
#include "devicelink/link/DeviceApi.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <numeric>

namespace {

using namespace devsim;
using namespace devsim::testing;
using namespace corviktest;
namespace code = devicelink::code;

class DriverAgainstDevsim : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(sim_.Start(error)) << error;
        sim_.PointDriverHere();
        ASSERT_TRUE(sim_.Plug(0, "temperature ramp start=10 slope=1"));
        ASSERT_EQ(DevOpen(0), 1);
    }
    void TearDown() override
    {
        DevClose();
        sim_.Stop();
    }

    InProcessDevsim sim_;
};

TEST_F(DriverAgainstDevsim, HelloOnceAndStatusFollowsPlugAndPull)
{
    ASSERT_EQ(DevOpen(0), 1);  // the driver exists: no second hello
    EXPECT_EQ(sim_.Device().CommandCount(code::kHello), 1u);
    EXPECT_EQ(DevDeviceReady(), 1);
    EXPECT_EQ(DevGetDriverState(), 1);

    EXPECT_EQ(DevPollStatusWord(), 0x00010001);
    sim_.Command("plug 2 photogate");
    EXPECT_TRUE(WaitUntil([] { return DevPollStatusWord() == 0x00050005; }, 2000));
    sim_.Command("pull 0");
    EXPECT_TRUE(WaitUntil([] { return DevPollStatusWord() == 0x00040004; }, 2000));
    EXPECT_EQ(DevGetFirmwareVersion(), 20130913);
}

TEST_F(DriverAgainstDevsim, OneShotReadReturnsTheRegisterValue)
{
    BoundRequest r;
    r.Channel(0, 0x48, 128, 2, 2, 0x0E, 0xFF);  // registers 0x0E and 0x10: id byte at 0x0F, masked
    r.request.block.readRegister[0] = 0x00;
    r.request.block.readRegister[1] = 0x0F;
    r.request.block.readMask[0] = 0xFFFF;
    ASSERT_EQ(DevSubmitRead(&r.request), 1);
    EXPECT_TRUE(r.event.IsSet());
    EXPECT_EQ(r.Count(0), 2);
    // The ramp has run since the simulator started: at least 10 degC, 1/16 degC per count.
    EXPECT_GE(r.values[0][0], 160u);
    EXPECT_LT(r.values[0][0], 160u + 16u * 60);
    EXPECT_EQ(r.values[0][1], 0x54u);

    sim_.Device().SetWideReadReply(true);
    BoundRequest wide;
    wide.Channel(0, 0x48, 128, 1, 1, 0x0F, 0xFF);
    ASSERT_EQ(DevSubmitRead(&wide.request), 1);
    EXPECT_EQ(wide.values[0][0], 0x54u);
}

TEST_F(DriverAgainstDevsim, RegisterWriteIsRecorded)
{
    BoundRequest r;
    r.Channel(0, 0x75, 2, 2, 1, 34);
    ASSERT_TRUE(sim_.Plug(0, "funcgen"));
    r.values[0][0] = 230;  // amplitude code, carried by the value array
    ASSERT_EQ(DevSubmitWrite(&r.request), 1);
    const auto writes = sim_.Device().Writes();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].channel, 0);
    EXPECT_EQ(writes[0].address, 0x75);
    EXPECT_EQ(writes[0].reg, 34);
    EXPECT_EQ(writes[0].data, (std::vector<uint8_t>{230, 0}));
    int code = 0;
    sim_.Device().WithSensor(0, [&](VirtualSensor* s) { code = s->Find<FunctionGeneratorChip>()->AmplitudeCode(0); });
    EXPECT_EQ(code, 230);
}

// Every reply shape of a timed measurement lands the whole run with the signal's values.
class TimedMeasurement : public DriverAgainstDevsim, public ::testing::WithParamInterface<Delivery> {};

TEST_P(TimedMeasurement, LandsTheExpectedSamples)
{
    sim_.Device().SetDelivery(GetParam());
    const int count = 25;
    BoundRequest r(4096);
    StopOnExit stop;
    r.Channel(0, 0x48, 128, 2, 1, 0, 0xFFFF);
    r.request.block.kind = devicelink::kind::kTimed;
    r.request.block.interval = 20000;  // 20 ms: 1/16 degC counts grow by 0.32 a sample
    r.request.block.count = count;
    ASSERT_EQ(DevSubmitRead(&r.request), 1);
    ASSERT_TRUE(WaitUntil([&] { return r.Count(0) >= count; }, 5000)) << "got " << r.Count(0);
    EXPECT_EQ(r.Count(0), count);
    EXPECT_TRUE(r.event.Wait(1000));
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(r.values[0][size_t(i)], uint32_t(std::lround((10.0 + 0.02 * i) * 16))) << "sample " << i;
    // Times in milliseconds (the interval is above 9999 us), as every shape carries or implies them.
    EXPECT_EQ(r.times[0][size_t(count - 1)], (count - 1) * 20);
    EXPECT_EQ(DevStop(), 1);
}

INSTANTIATE_TEST_SUITE_P(Shapes, TimedMeasurement,
                         ::testing::Values(Delivery::Block, Delivery::Sets, Delivery::Bulk, Delivery::Channel),
                         [](const auto& info) { return std::string(DeliveryName(info.param)); });

TEST_F(DriverAgainstDevsim, StreamPacketsReachTheConsumer)
{
    // A gate opening and closing every 10 ms: the jumps are what a gap-mode stream records.
    ASSERT_TRUE(sim_.Plug(1, "photogate pulses period=0.02 width=0.01 high=1 offset=0"));
    BoundRequest r(0x10000);
    StopOnExit stop;
    r.request.block.kind = devicelink::kind::kStreamGap;
    r.request.block.enabled[1] = 1;
    DevSubmitRead(&r.request);  // streams report through their event, not the result
    EXPECT_TRUE(WaitUntil([&] { return sim_.Device().Streaming(); }, 2000));
    // The newest point still takes samples: twenty whole points lie below it.
    ASSERT_TRUE(WaitUntil([&] { return r.Count(1) > 20; }, 5000)) << "got " << r.Count(1);
    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(r.values[1][size_t(i)] == 0 || r.values[1][size_t(i)] == 4095) << r.values[1][size_t(i)];
    EXPECT_GT(r.times[1][19], r.times[1][1]);
    EXPECT_EQ(DevStop(), 1);
    EXPECT_FALSE(sim_.Device().Streaming());
    EXPECT_GT(sim_.Device().CommandCount(code::kStopStream), 0u);
}

TEST_F(DriverAgainstDevsim, DeviceHelloAndStopAreAnswered)
{
    sim_.Command("hello");
    EXPECT_TRUE(WaitUntil([&] { return sim_.Device().HelloAnswers() == 1; }, 2000));
    BoundRequest r(1024);
    StopOnExit stop;
    r.Channel(0, 0x48, 128, 2, 1, 0, 0xFFFF);
    r.request.block.kind = devicelink::kind::kTimed;
    r.request.block.interval = 100000;
    ASSERT_EQ(DevSubmitRead(&r.request), 1);
    EXPECT_TRUE(sim_.Device().Measuring());
    sim_.Command("stop");
    EXPECT_TRUE(WaitUntil([&] { return sim_.Device().StopAnswers() == 1; }, 2000));
    EXPECT_FALSE(sim_.Device().Measuring());
}

TEST_F(DriverAgainstDevsim, SearchTableIsStored)
{
    std::vector<uint8_t> table(devicelink::kDeviceBlockBytes);
    std::iota(table.begin(), table.end(), uint8_t(3));
    ASSERT_EQ(DevWriteBlock(table.data()), 1);
    EXPECT_EQ(sim_.Device().SearchTable(), table);
}

// The upgrade commands as the firmware tool sends them, over a driver of its own.
TEST(FirmwareAgainstDevsim, SmallImageIsRebuiltByteForByte)
{
    const std::string out = ::testing::TempDir() + "devsim_firmware.bin";
    std::remove(out.c_str());
    DeviceOptions options;
    options.sequence = 41;
    options.firmwareOut = out;
    InProcessDevsim sim(options);
    std::string error;
    ASSERT_TRUE(sim.Start(error)) << error;
    sim.PointDriverHere();

    std::vector<uint8_t> image(5000);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = uint8_t((i * 131) ^ (i >> 3));
    // Head and tail values inside a block must not confuse the device's parser.
    const uint8_t tail[] = {0x55, 0xF0, 0x55, 0xAA, 0xA5, 0xF1, 0xAA, 0x55};
    std::copy(std::begin(tail), std::end(tail), image.begin() + 100);
    const uint8_t markerA[] = {0xAA, 0xAA, 0x5A, 0x5A, 0x14, 0x27, 0x33, 0x01};
    std::copy(std::begin(markerA), std::end(markerA), image.begin() + 3000);

    devicelink::CorvikUSBDrv driver;
    ASSERT_EQ(driver.Connect(0), 1);
    using Gate = devicelink::CorvikUSBDrv::Gate;
    ASSERT_EQ(driver.Transact(code::kFirmwareBegin, nullptr, 0, nullptr, 0, Gate::Ack, {code::kFirmwareBank}, 1000), 1);
    EXPECT_EQ(driver.FirmwareBank(), 0);
    EXPECT_EQ(driver.FirmwareSequence(), 41);
    uint32_t index = 0;
    for (size_t at = 0; at < image.size(); at += 2048, ++index) {
        const uint32_t n = uint32_t(std::min<size_t>(2048, image.size() - at));
        std::vector<uint8_t> data(image.begin() + std::ptrdiff_t(at), image.begin() + std::ptrdiff_t(at + n));
        data.resize((data.size() + 3) / 4 * 4, 0);
        const uint32_t header[2] = {index, n};
        ASSERT_EQ(driver.Transact(code::kFirmwareBlock, header, 8, data.data(), int32_t(data.size()), Gate::Ack,
                                  {code::kFirmwareBlockAck}, 1000),
                  1)
            << "block " << index;
    }
    const uint32_t check[3] = {42, std::accumulate(image.begin(), image.end(), 0u), uint32_t(image.size())};
    ASSERT_EQ(driver.Transact(code::kFirmwareCheck, check, 12, nullptr, 0, Gate::Ack, {code::kFirmwareCheckAck}, 1000), 1);
    driver.Close();

    const FirmwareVerdict verdict = sim.Device().Verdict();
    EXPECT_TRUE(verdict.accepted) << verdict.reason;
    EXPECT_EQ(verdict.image, image);
    std::ifstream file(out, std::ios::binary);
    const std::vector<uint8_t> written{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    EXPECT_EQ(written, image);
    EXPECT_EQ(sim.Device().FirmwareSequence(), 42);
    EXPECT_EQ(sim.Device().FirmwareBank(), 1);
    sim.Stop();
}

// The program itself: started on an ephemeral port, driven, and told to quit on its input.
TEST(DevsimProgram, ServesTheDriverAndQuitsOnRequest)
{
    DevsimProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start(CORVIK_DEVSIM_PROGRAM, {"--firmware-version", "20240102"}, error)) << error;
    sim.PointDriverHere();
    ASSERT_EQ(DevOpen(0), 1);
    EXPECT_EQ(DevGetFirmwareVersion(), 20240102);
    EXPECT_EQ(DevPollStatusWord(), 0);
    ASSERT_TRUE(sim.Send("plug 3 barometer"));
    EXPECT_TRUE(WaitUntil([] { return DevPollStatusWord() == 0x00080008; }, 2000));
    DevClose();
    EXPECT_EQ(sim.Stop(), 0);
}

}  // namespace
