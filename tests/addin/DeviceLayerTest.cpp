// The add-in's flat device layer against the simulated logger.
#include "CoreFixture.h"

#include "addin/device/SensorRevision.h"

#include "devicelink/sensor/CNI2CSensor.h"

#include <thread>

namespace {

using namespace addin;
using namespace addintest;
using corviktest::WaitUntil;

class DeviceLayer : public CoreDeviceTest {
protected:
    void OpenAndDetect()
    {
        ASSERT_EQ(device::CorvikApiOpen(Catalogue().c_str()), 1);
        ASSERT_EQ(device::CorvikApiDetectSensors(table_), 1);
    }
    devicelink::MeasureSetupBlock& Block() { return device::CorvikApiSensor()->acquisitionRequest().block; }

    device::SensorTableEntry table_[device::kTableChannels] = {};
};

TEST_F(DeviceLayer, WithoutAnObjectEveryCallSaysNotOpened)
{
    float values[4];
    EXPECT_EQ(device::CorvikApiClose(), 0);
    EXPECT_EQ(device::CorvikApiGetLastError(), device::kApiNotOpened);
    EXPECT_EQ(device::CorvikApiIsLinked(), 0);
    EXPECT_EQ(device::CorvikApiReadSnapshot(0, values, 1), 0);
    EXPECT_EQ(device::CorvikApiDetectSensors(table_), 0);
    EXPECT_EQ(device::CorvikApiReadBlock(0, values, values, 4), -1);
    EXPECT_EQ(device::CorvikApiStartSampling(1, 100000, 1000, 0, nullptr, 0), 0);
    EXPECT_EQ(device::CorvikApiGetLastError(), device::kApiNotOpened);
    EXPECT_EQ(device::CorvikApiStopSampling(), 1);
    EXPECT_EQ(device::CorvikApiGetLastError(), device::kApiStopped);
}

TEST_F(DeviceLayer, DetectionDescribesEachChannel)
{
    OpenAndDetect();
    EXPECT_EQ(device::CorvikApiOpen(), 1);  // already open
    const device::SensorTableEntry& e = table_[0];
    EXPECT_EQ(e.state, device::kEntryPresent);
    EXPECT_EQ(Utf8(std::u16string(platform::FieldView(e.sensorCode))), "N2H");
    EXPECT_EQ(Utf8(std::u16string(platform::FieldView(e.sensorName))), "Temperature");
    EXPECT_EQ(Utf8(std::u16string(platform::FieldView(e.infoPageName))), "N2H");
    EXPECT_EQ(Utf8(std::u16string(platform::FieldView(e.infoPageFile))), "N2H.html");
    EXPECT_EQ(e.quantityCount, 1);
    EXPECT_GE(e.unitCounts[0], 1);
    EXPECT_EQ(Utf8(std::u16string(platform::FieldView(e.unitTexts[0][0]))), "°C");
    EXPECT_GT(e.maximumRate, 0);
    for (int c = 1; c < device::kTableChannels; ++c)
        EXPECT_EQ(table_[c].state, device::kEntryAbsent) << c;
    EXPECT_EQ(device::CorvikApiIsLinked(), 0);  // nothing changed since
    sim_.Command("plug 2 R75");
    EXPECT_TRUE(WaitUntil([] { return device::CorvikApiIsLinked() == 1; }, 2000));
}

TEST_F(DeviceLayer, PeriodsThatCannotRunAreRefused)
{
    ASSERT_TRUE(sim_.Plug(1, "N2H"));
    OpenAndDetect();
    const int32_t odd[4] = {150000, 150, 0, 0};
    EXPECT_EQ(device::CorvikApiStartSampling(3, 100000, 1000, 1, odd, 0), 0);
    EXPECT_EQ(device::CorvikApiGetLastError(), device::kApiBadPeriod);
    EXPECT_EQ(device::CorvikApiStartSampling(1, 0, 1000, 0, nullptr, 0), 0);
    EXPECT_EQ(device::CorvikApiGetLastError(), device::kApiBadPeriod);
    EXPECT_EQ(device::CorvikApiStartSampling(1, -1000, 1000, 0, nullptr, 0), 0);
    EXPECT_EQ(device::CorvikApiStartSampling(1, 1000, -1, 0, nullptr, 0), 0);
    EXPECT_EQ(device::CorvikApiStartSampling(1, int64_t(1) << 32, 1000, 0, nullptr, 0), 0);
    EXPECT_EQ(device::CorvikApiSampling(), 0);
}

TEST_F(DeviceLayer, PerChannelPeriodsShareTheirLargestCommonStep)
{
    ASSERT_TRUE(sim_.Plug(1, "N2H"));
    OpenAndDetect();
    const int32_t periods[4] = {200000, 300000, 0, 0};
    ASSERT_EQ(device::CorvikApiStartSampling(3, 100000, 2000, 1, periods, 0), 1);
    EXPECT_EQ(Block().kind, devicelink::kind::kTimedPerChannel);
    EXPECT_EQ(Block().interval, 100000);
    EXPECT_EQ(Block().channelInterval[0], 200000);
    EXPECT_EQ(Block().channelInterval[1], 300000);
    EXPECT_EQ(Block().count, 11);  // 2 s by the shortest period, 200 ms
    device::CorvikApiStopSampling();
}

TEST_F(DeviceLayer, ExpectedSamplesInMicroseconds)
{
    OpenAndDetect();
    // Below a millisecond the count still comes out, and long runs do not overflow.
    ASSERT_EQ(device::CorvikApiStartSampling(1, 500, 10, 0, nullptr, 0), 1);
    EXPECT_EQ(Block().count, 21);
    ASSERT_EQ(device::CorvikApiStartSampling(1, 1000000, int64_t(1) << 50, 0, nullptr, 0), 1);
    EXPECT_EQ(Block().count, 2147483647);
    ASSERT_EQ(device::CorvikApiStartSampling(1, 100000, 3000000000LL, 0, nullptr, 0), 1);
    EXPECT_EQ(Block().count, 30000001);
    device::CorvikApiStopSampling();
}

TEST_F(DeviceLayer, ARunStopsOnceItsSamplesHaveComeAndReadsThenGiveNothing)
{
    OpenAndDetect();
    ASSERT_EQ(device::CorvikApiStartSampling(1, 100000, 1000, 0, nullptr, 0), 1);
    EXPECT_EQ(device::CorvikApiSampling(), 1);
    std::vector<float> values(64), times(64);
    int total = 0;
    ASSERT_TRUE(WaitUntil(
        [&] {
            const int n = device::CorvikApiReadBlock(0, values.data() + total, times.data() + total, 64 - total);
            total += std::max(n, 0);
            return total >= 11;
        },
        6000));
    EXPECT_EQ(total, 11);
    EXPECT_NEAR(times[10], 1.0f, 1e-4f);
    EXPECT_EQ(device::CorvikApiSampling(), 0);
    EXPECT_EQ(device::CorvikApiGetLastError(), device::kApiStopped);
    EXPECT_EQ(device::CorvikApiReadBlock(0, values.data(), times.data(), 64), 0);
    EXPECT_EQ(device::CorvikApiReadBlock(1, values.data(), times.data(), 64), 0);  // not in the run
    EXPECT_EQ(device::CorvikApiReadBlock(0, values.data(), times.data(), 0), -1);
}

TEST_F(DeviceLayer, SnapshotIsRefusedWhileARunGoes)
{
    OpenAndDetect();
    float value = -1.0f;
    EXPECT_EQ(device::CorvikApiReadSnapshot(0, &value, 1), 1);
    EXPECT_NEAR(value, 21.5f, 0.05f);
    ASSERT_EQ(device::CorvikApiStartSampling(1, 100000, 5000, 0, nullptr, 0), 1);
    value = -1.0f;
    EXPECT_EQ(device::CorvikApiReadSnapshot(0, &value, 1), 0);
    EXPECT_EQ(value, -1.0f);
    EXPECT_TRUE(sim_.Device().Measuring());
    device::CorvikApiStopSampling();
    EXPECT_EQ(device::CorvikApiReadSnapshot(0, &value, 1), 1);
}

TEST(SensorRevision, AdapterTextsLoseErasedBytesAndNameTheirQuantity)
{
    devicelink::CNI2CSensor sensor;
    sensor.catalogue().accessRecords().resize(devicelink::kSpareAccessRecords);
    devicelink::ChannelState& state = sensor.channel(2);
    sensor.connected(2) = 1;
    state.accessIndex = 2;  // the channel's spare record: no catalogue entries before it
    platform::CopyToField(state.name, u"Volt\u00FF\u00FFmeter");
    platform::CopyToField(state.modelCode, u"R\u00FF75");
    platform::CopyToField(state.infoFile, u"R75\u00FF.html");
    // A channel described by the catalogue keeps its texts as they are.
    sensor.connected(1) = 1;
    sensor.channel(1).accessIndex = -1;
    platform::CopyToField(sensor.channel(1).name, u"Kept\u00FF");
    device::ReviseDetectedChannels(sensor);
    EXPECT_EQ(std::u16string(platform::FieldView(state.name)), u"Voltmeter");
    EXPECT_EQ(std::u16string(platform::FieldView(state.modelCode)), u"R75");
    EXPECT_EQ(std::u16string(platform::FieldView(state.infoFile)), u"R75.html");
    EXPECT_EQ(std::u16string(platform::FieldView(sensor.catalogue().accessRecords()[2].outputNames[0])), u"Voltmeter");
    EXPECT_EQ(std::u16string(platform::FieldView(sensor.channel(1).name)), u"Kept\u00FF");
}

TEST(BusyGuard, ATimerSkipsWhileAnotherThreadIsInTheLayer)
{
    std::unique_lock held(device::CorvikApiMutex());
    {
        device::CorvikApiBusyGuard sameThread;  // the holder itself may go on
        EXPECT_TRUE(sameThread.Acquired());
    }
    bool acquired = true;
    std::thread([&] { acquired = device::CorvikApiBusyGuard().Acquired(); }).join();
    EXPECT_FALSE(acquired);
    held.unlock();
    std::thread([&] { acquired = device::CorvikApiBusyGuard().Acquired(); }).join();
    EXPECT_TRUE(acquired);
}

}  // namespace
