// The calibration store: points in, the channel's image and the logger's writes out.
#include "logger/sensorsetup/core/CalibrationStore.h"
#include "logger/sensorsetup/core/SensorSetupModel.h"

#include "devicelink/sensor/SensorMemoryLayout.h"
#include "platform/LittleEndian.h"

#include "SetupCoreTestSupport.h"

namespace {

using monitor::CalibrationPoints;
using sensorsetup::CalibrationStore;
using sensorsetup::LiveReading;
using sensorsetup::PointsCheck;
using sensorsetup::StoreOutcome;
using platform::ReadLE16;
using platform::ReadLE32;
using platform::ReadLEFloat;

class Store : public setuptest::SetupCoreTest {
protected:
    // A memory-chip sensor with a shipped two-point line: raws 100 and 200 for 1 and 2, and the
    // fast path's raws 300 and 400 beside them.
    void PlugTwoPointMemorySensor(int c)
    {
        Plug(c, "W75", devicelink::kWEepromType);
        devicelink::ChannelState& state = sensor_.channel(c);
        state.calibrationMode = 1;
        state.conversionKind = 2;
        const auto image = Image(c);
        platform::WriteLE32(image, devicelink::memory::kKind, 2);
        const float values[4] = {1.0f, 2.0f, 1.0f, 2.0f};
        const int16_t raws[4] = {100, 200, 300, 400};
        for (size_t k = 0; k < 4; ++k) {
            platform::WriteLEFloat(image, devicelink::memory::kFirstValues + 4 * k, values[k]);
            platform::WriteLE16(image, devicelink::memory::kFirstRaws + 2 * k, uint16_t(raws[k]));
        }
    }
    CalibrationPoints Gathered(int c)
    {
        CalibrationPoints points;
        monitor::GatherChannelPoints(sensor_.channel(c), points.count[c], points.reference[c], points.measured[c],
                                     points.raw[c]);
        return points;
    }
};

TEST_F(Store, TwoPointsGoIntoTheSensorsMemoryWithTheStoredFastPathRawsKept)
{
    PlugTwoPointMemorySensor(0);
    CalibrationStore store;
    store.Load(Gathered(0), setup_);
    ASSERT_EQ(store.Points(0).count, 2);
    store.Capture(0, 0, LiveReading{5.0f, 5.0f, 1000, 1100});
    store.SetReference(0, 0, 10.0f);
    store.SetReference(0, 1, 20.0f);
    ASSERT_EQ(store.Check(0), PointsCheck::Storable);

    EXPECT_EQ(CalibrationStore::Store(setup_, 0, store.Points(0)), StoreOutcome::Stored);
    const auto image = Image(0);
    namespace memory = devicelink::memory;
    EXPECT_EQ(ReadLE32(image, memory::kSecondKind), 2u);
    EXPECT_EQ(sensor_.channel(0).conversionKind, 2);
    // References at i and n + i; the normal path's raws, then the fast path's. The uncaptured
    // second point keeps both its stored raws.
    const float references[4] = {10.0f, 20.0f, 10.0f, 20.0f};
    const int16_t raws[4] = {1000, 200, 1100, 400};
    for (size_t k = 0; k < 4; ++k) {
        EXPECT_FLOAT_EQ(ReadLEFloat(image, memory::kSecondValues + 4 * k), references[k]) << k;
        EXPECT_EQ(int16_t(ReadLE16(image, memory::kSecondRaws + 2 * k)), raws[k]) << k;
    }

    // The whole image, 8 bytes a write to the memory chip, registers 128..248.
    const auto writes = api_.Writes();
    ASSERT_EQ(writes.size(), 16u);
    for (size_t i = 0; i < writes.size(); ++i) {
        EXPECT_EQ(writes[i].block.address[0], devicelink::memory_chip::kAddress) << i;
        EXPECT_EQ(writes[i].block.readRegister[0], 128 + 8 * int(i)) << i;
        EXPECT_EQ(writes[i].block.byteCount[0], 9) << i;  // the register byte, then 8 data bytes
        for (int b = 0; b < 8; ++b)
            EXPECT_EQ(writes[i].Byte(0, 1 + b), image[8 * i + size_t(b)]) << i << ":" << b;
    }
}

TEST_F(Store, NothingIsWrittenWithoutPointsOrAfterTheZero)
{
    PlugTwoPointMemorySensor(0);
    CalibrationStore store;
    store.Load(CalibrationPoints{}, setup_);
    EXPECT_EQ(store.Check(0), PointsCheck::NoPoints);
    EXPECT_EQ(CalibrationStore::Store(setup_, 0, store.Points(0)), StoreOutcome::NothingStored);
    EXPECT_EQ(ReadLE32(Image(0), devicelink::memory::kSecondKind), 0u);
    EXPECT_EQ(sensor_.channel(0).conversionKind, 2);

    // With the zero set on the channel the dialog stores nothing there.
    sensorsetup::SensorSetupModel model(setup_, sensorsetup::SetupMode::Calibration);
    model.SetPoints(Gathered(0), setup_);
    model.MarkZeroed(0);
    EXPECT_TRUE(model.PlanCalibration().channels.empty());
    EXPECT_TRUE(api_.submitted.empty());
}

TEST_F(Store, TwoPointsWithOneReadingAreRefused)
{
    PlugTwoPointMemorySensor(0);
    CalibrationStore store;
    store.Load(Gathered(0), setup_);
    store.Capture(0, 0, LiveReading{2.0f, 2.0f, 200, 400});
    EXPECT_EQ(store.Check(0), PointsCheck::SameReading);
}

TEST_F(Store, AWriteTheSensorDoesNotAcknowledgeIsReported)
{
    int writes = 0;
    api_.onWrite = [&](devicelink::MeasureRequest& request) {
        if (++writes > 3)
            return 0;
        request.host.event->Set();
        return 1;
    };
    // In the sensor's memory: the write-back stops at the first refused block.
    PlugTwoPointMemorySensor(0);
    CalibrationStore store;
    store.Load(Gathered(0), setup_);
    EXPECT_EQ(CalibrationStore::Store(setup_, 0, store.Points(0)), StoreOutcome::NotAcknowledged);
    EXPECT_EQ(api_.Writes().size(), 4u);

    // In an adapter: point by point, the same.
    writes = 0;
    api_.submitted.clear();
    Plug(1, "R75").address = devicelink::adapter::kAddress;
    sensor_.channel(1).conversionKind = 2;
    CalibrationPoints points;
    points.count[1] = 2;
    points.raw[1][0] = 10;
    points.raw[1][1] = 20;
    store.Load(points, setup_);
    EXPECT_EQ(CalibrationStore::Store(setup_, 1, store.Points(1)), StoreOutcome::NotAcknowledged);
    EXPECT_EQ(api_.Writes().size(), 4u);

    // A clear whose points the sensor did not take is no clear either.
    EXPECT_EQ(sensor_.ClearCalibration(0), 0);
}

TEST_F(Store, AnAdapterKeepsItsFirstPointsAsideAndTakesThePlainArrays)
{
    Plug(0, "R75").address = devicelink::adapter::kAddress;
    devicelink::ChannelState& state = sensor_.channel(0);
    state.conversionKind = 2;
    namespace memory = devicelink::memory;
    platform::WriteLEFloat(Image(0), memory::kPlainValues, 1.0f);
    platform::WriteLEFloat(Image(0), memory::kPlainValues + 4, 2.0f);
    platform::WriteLE32(Image(0), memory::kPlainRaws, 10);
    platform::WriteLE32(Image(0), memory::kPlainRaws + 4, 20);
    CalibrationPoints points;
    monitor::GatherChannelPoints(state, points.count[0], points.reference[0], points.measured[0], points.raw[0]);
    CalibrationStore store;
    store.Load(points, setup_);
    store.Capture(0, 0, LiveReading{1.2f, 0.0f, 15, 0});
    store.SetReference(0, 0, 1.5f);

    EXPECT_EQ(CalibrationStore::Store(setup_, 0, store.Points(0)), StoreOutcome::Stored);
    EXPECT_EQ(state.originRaw[0], 10);
    EXPECT_FLOAT_EQ(state.originReference[0], 1.0f);
    EXPECT_EQ(ReadLE32(Image(0), memory::kPlainRaws), 15u);
    EXPECT_FLOAT_EQ(ReadLEFloat(Image(0), memory::kPlainValues), 1.5f);
    // Two values, then two raws, each one write to the adapter.
    const auto writes = api_.Writes();
    ASSERT_EQ(writes.size(), 4u);
    for (const auto& w : writes)
        EXPECT_EQ(w.block.address[0], devicelink::adapter::kAddress);
}

}  // namespace
