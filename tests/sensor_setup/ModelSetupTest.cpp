#include "devicelink/conversion/ConversionState.h"
#include "devicelink/sensor/PowerTimeouts.h"
#include "platform/LittleEndian.h"
#include "platform/NamedEvent.h"
#include "platform/RegistryStore.h"

#include "SensorFixture.h"

#include <bit>
#include <span>
#include <tuple>

namespace {

using corviktest::SensorFixture;
using corviktest::Submitted;

class ModelSetup : public SensorFixture {
protected:
    std::vector<Submitted> WritesTo(int32_t address) const
    {
        std::vector<Submitted> out;
        for (const Submitted& s : api_.Writes()) {
            const int c = s.Channel();
            if (c >= 0 && s.block.address[c] == address)
                out.push_back(s);
        }
        return out;
    }
    void StartTimed(int32_t interval, int32_t perChannel = 0, int32_t ownInterval = 0)
    {
        devicelink::AcquisitionPlan plan;
        plan.selection[0] = plan.channelFlags[0] = 1;
        plan.interval = interval;
        plan.lengthSeconds = 10;
        plan.count = 100;
        plan.perChannel = perChannel;
        plan.channelIntervals[0] = ownInterval;
        sensor_.StartAcquisition(plan);
    }
};

TEST_F(ModelSetup, RateRegisterGetsTheRatePlus128)
{
    Plug(0, "R7LF").address = 0x29;
    StartTimed(10000);
    ASSERT_EQ(WritesTo(0x29).size(), 1u);
    EXPECT_FALSE(api_.submitted.back().write);  // the rate goes out before the run
    // Per-channel runs use the channel's own interval; 200 per second does not fit the byte and
    // interval 0 must not divide by zero.
    const std::tuple<int32_t, int32_t, int32_t, uint32_t> cases[] = {
        {10000, 0, 0, 228}, {400000, 0, 0, 131}, {400000, 1, 20000, 178}, {5000, 0, 0, 255}, {0, 0, 0, 255}};
    for (auto [interval, perChannel, own, byte] : cases) {
        StartTimed(interval, perChannel, own);
        EXPECT_EQ(WritesTo(0x29).back().data[0][0], byte) << interval << " " << own;
    }

    // Single readings write the slow rate once, until a run stops.
    Plug(0, "R7LF").address = 0x29;
    api_.submitted.clear();
    api_.replies = {{10}, {10}};
    float values[4];
    sensor_.ReadCurrentValue(0, values);
    sensor_.ReadCurrentValue(0, values);
    ASSERT_EQ(WritesTo(0x29).size(), 1u);
    EXPECT_EQ(WritesTo(0x29)[0].data[0][0], 133u);
    StartTimed(10000);
    sensor_.StopAcquisition();
    EXPECT_EQ(sensor_.channel(0).rateWritten, 0);
}

TEST_F(ModelSetup, TypeRegisterTable)
{
    auto& record = Plug(0, "R7JF");
    const uint32_t bytes[17] = {128, 129, 130, 178, 160, 128, 145, 146, 147, 148, 149, 150, 151, 152, 153, 154, 128};
    for (int32_t code = 0; code < 17; ++code) {
        api_.submitted.clear();
        devicelink::ProcessConversionState().gate[0].eventCount = 3;
        ASSERT_EQ(sensor_.SetSensorType(0, record, code), 1);
        const auto writes = api_.Writes();
        ASSERT_EQ(writes.size(), 2u);
        EXPECT_EQ(writes[0].data[0][0], bytes[code]) << code;
        EXPECT_EQ(writes[1].data[0][0], 17u);
        EXPECT_EQ(record.readType, code == 5 ? 160 : 129);
        EXPECT_EQ(devicelink::ProcessConversionState().gate[0].eventCount, 0);
    }
    // The sampling set-up programs an "R7JF" with the channel's type code.
    sensor_.channel(0).sensorTypeCode = 3;
    api_.submitted.clear();
    sensor_.ApplySamplingSetup(devicelink::MeasureSetupBlock{});
    EXPECT_EQ(api_.Writes().at(0).data[0][0], 178u);
}

TEST_F(ModelSetup, AdapterModeReadsThreeLocationsAndWritesThemBack)
{
    Plug(1, "R7JE").address = 113;
    api_.replies = {{0x11}, {0x22}, {0x33}};
    ASSERT_EQ(sensor_.SetAdapterMode(0), 1);
    const auto writes = api_.Writes();
    ASSERT_EQ(writes.size(), 4u);
    const uint32_t expected[4] = {0x521201u, 0x527001u, 0x527101u, 0x53112233u};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(writes[i].data[1][0], expected[i]) << i;

    api_.submitted.clear();
    ASSERT_EQ(sensor_.SetAdapterMode(1), 1);
    ASSERT_EQ(api_.submitted.size(), 1u);
    EXPECT_EQ(api_.submitted[0].data[1][0], 0x73u);
}

TEST_F(ModelSetup, AdapterModeIsLeftAloneWhenItsBytesDoNotComeBack)
{
    Plug(1, "R83").address = 113;
    api_.onRead = [](devicelink::MeasureRequest&) { return 1; };  // taken, never answered
    ASSERT_EQ(sensor_.SetAdapterMode(0), 1);
    const auto writes = api_.Writes();
    ASSERT_EQ(writes.size(), 1u);  // the first location's select, and no mode word
    EXPECT_EQ(writes[0].data[1][0], 0x521201u);
}

class Zero : public SensorFixture {
protected:
    float ZeroAfterReading(const char* model, uint32_t raw, int32_t output = 0)
    {
        Plug(0, model);
        api_.replies.push_back({raw});
        EXPECT_EQ(sensor_.SetZero(0, output, 1), 1) << model;
        return sensor_.channel(0).zeroOffset;
    }
};

TEST_F(Zero, ReferenceSensorsReadTheirReference)
{
    EXPECT_FLOAT_EQ(ZeroAfterReading("R5E", 380), 20.0f);  // reads 400 from now on
    EXPECT_NEAR(ZeroAfterReading("R5F", 20), 0.7f, 1e-5);  // reads 20.7
    EXPECT_FLOAT_EQ(ZeroAfterReading("xR83", 12), -12.0f);
    // Single-output sensors are asked for output 1 by the set-up screen.
    EXPECT_FLOAT_EQ(ZeroAfterReading("R83", 5, 1), -5.0f);
    EXPECT_EQ(sensor_.SetZero(0, 0, 0), 1);
    EXPECT_FLOAT_EQ(sensor_.channel(0).zeroOffset, 0.0f);

    // An unlisted sensor, or a failed reading, changes nothing.
    Plug(0, "R99");
    sensor_.channel(0).zeroOffset = 1.5f;
    EXPECT_EQ(sensor_.CanSetZero(0), 0);
    EXPECT_EQ(sensor_.SetZero(0, 0, 1), 0);
    Plug(1, "R5E");
    sensor_.channel(1).zeroOffset = 1.5f;
    api_.replies.push_back({});
    EXPECT_EQ(sensor_.SetZero(1, 0, 1), 0);
    EXPECT_FLOAT_EQ(sensor_.channel(1).zeroOffset, 1.5f);
}

TEST_F(Zero, FastSensorsZeroBothPathsAndMeasureTheAdcOffset)
{
    auto& r = Plug(0, "W75", devicelink::kWEepromType);
    sensor_.channel(0).adcMode = 1;
    api_.replies = {{30}, {32}, {30}};  // the second zero's fast path gives nothing
    ASSERT_EQ(sensor_.SetZero(0, 0, 1), 1);
    EXPECT_FLOAT_EQ(sensor_.channel(0).zeroOffset, -30.0f);
    EXPECT_FLOAT_EQ(sensor_.channel(0).secondZeroOffset, -32.0f);
    EXPECT_EQ(sensor_.SetZero(0, 0, 1), 0);
    EXPECT_FLOAT_EQ(sensor_.channel(0).zeroOffset, -30.0f);
    EXPECT_EQ(sensor_.SetZero(0, 0, 0), 1);
    EXPECT_FLOAT_EQ(sensor_.channel(0).secondZeroOffset, 0.0f);

    EXPECT_EQ(sensor_.GetAdcMode(0), 0);
    r.sampling[0].maxRate = 2000;
    EXPECT_EQ(sensor_.GetAdcMode(0), 2);
    // Normal, fast, normal, ... normal: each fast reading against the mean of its neighbours.
    api_.replies = {{100}, {90}, {100}, {95}, {100}, {100}, {100}};
    ASSERT_EQ(sensor_.MeasureAdcOffset(0), 1);
    EXPECT_FLOAT_EQ(sensor_.channel(0).adcOffset, 5.0f);  // the mean difference of three readings
    api_.replies = {{100}, {}};
    EXPECT_EQ(sensor_.MeasureAdcOffset(0), 0);
    EXPECT_FLOAT_EQ(sensor_.channel(0).adcOffset, 0.0f);
}

// A signal that rises steadily while the paths are read in turn is no offset: only the paths'
// own difference remains.
TEST_F(Zero, TheAdcOffsetOfASteadilyChangingSignalIsThePathsDifferenceAlone)
{
    auto& r = Plug(0, "W75", devicelink::kWEepromType);
    r.sampling[0].maxRate = 2000;
    sensor_.channel(0).adcMode = 1;
    for (const int slope : {0, 40, -25}) {
        SCOPED_TRACE(slope);
        api_.replies.clear();
        for (int read = 0; read < 7; ++read) {
            const bool fastPath = read % 2 == 1;
            api_.replies.push_back({uint32_t(1000 + slope * read - (fastPath ? 6 : 0))});
        }
        ASSERT_EQ(sensor_.MeasureAdcOffset(0), 1);
        EXPECT_FLOAT_EQ(sensor_.channel(0).adcOffset, 6.0f);
        EXPECT_TRUE(api_.replies.empty());
    }
}

class Calibration : public SensorFixture {
protected:
    std::span<uint8_t> Image(int c = 0) { return std::span<uint8_t>(sensor_.channel(c).sensorMemory); }
};

TEST_F(Calibration, AdapterTablesAreWrittenAsFramesFiftyMillisecondsApart)
{
    Plug(0, "R83").address = 113;
    const float values[2] = {1.5f, -2.0f};
    const int32_t raws[2] = {0x1234, 0x0102};
    sensor_.SetCalibration(0, 2, values, raws, 1);
    auto writes = api_.Writes();
    ASSERT_EQ(writes.size(), 4u);
    const uint32_t bits = std::bit_cast<uint32_t>(1.5f);
    const uint8_t first[9] = {0x57, 0x5A, 0xA5, 20, 4, uint8_t(bits), uint8_t(bits >> 8), uint8_t(bits >> 16),
                              uint8_t(bits >> 24)};
    const uint8_t raw[7] = {0x57, 0x5A, 0xA5, 48, 2, 0x34, 0x12};
    EXPECT_EQ(writes[0].block.byteCount[0], 9);
    EXPECT_EQ(writes[2].block.byteCount[0], 7);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(writes[0].Byte(0, i), first[i]) << i;
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(writes[2].Byte(0, i), raw[i]) << i;
    EXPECT_EQ(writes[3].Byte(0, 3), 50);
    EXPECT_EQ(clock_.TotalSlept(), 200u);

    // Four points fit; a fifth would overwrite the second table's raws.
    api_.submitted.clear();
    const float five[5] = {1, 2, 3, 4, 5};
    const int32_t fiveRaws[5] = {1, 2, 3, 4, 5};
    sensor_.SetCalibration(0, 4, five, fiveRaws, 0);
    writes = api_.Writes();
    ASSERT_EQ(writes.size(), 8u);
    EXPECT_EQ(writes[4].Byte(0, 3), 84);
    api_.submitted.clear();
    sensor_.SetCalibration(0, 5, five, fiveRaws, 0);
    EXPECT_TRUE(api_.submitted.empty());
}

TEST_F(Calibration, SensorMemoryTableIsStoredAndWrittenBack)
{
    Plug(0, "W83", devicelink::kWEepromType);
    sensor_.channel(0).calibrationMode = 1;
    const float values[4] = {1.0f, 2.0f, 3.0f, 4.0f};
    const int32_t raws[4] = {10, 20, 30, -1};
    sensor_.SetCalibration(0, 2, values, raws, 0);
    EXPECT_FLOAT_EQ(platform::ReadLEFloat(Image(), 68 + 12), 4.0f);
    EXPECT_EQ(platform::ReadLE16(Image(), 96 + 6), 0xFFFF);
    const auto writes = api_.Writes();
    ASSERT_EQ(writes.size(), 16u);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(writes[i].block.readRegister[0], 128 + 8 * i);
    EXPECT_EQ(writes[12].Byte(0, 5), 30);  // raw 2 at image offset 100
    EXPECT_EQ(clock_.TotalSlept(), 800u);

    // Four points and four more do not fit the seven-entry table.
    api_.submitted.clear();
    const float eight[8] = {};
    const int32_t eightRaws[8] = {};
    sensor_.SetCalibration(0, 4, eight, eightRaws, 0);
    EXPECT_TRUE(api_.submitted.empty());
}

TEST_F(Calibration, NothingIsWrittenToASensorThatIsNotIdentified)
{
    Plug(0, "W83", devicelink::kWEepromType);
    sensor_.channel(0).calibrationMode = 1;
    sensor_.connected(0) = 0;  // its memory read failed: the image is not this sensor's
    const float values[4] = {1.0f, 2.0f, 3.0f, 4.0f};
    const int32_t raws[4] = {10, 20, 30, 40};
    sensor_.SetCalibration(0, 2, values, raws, 0);
    sensor_.SetCalibration(0, 5, values, raws, 0);
    EXPECT_TRUE(api_.submitted.empty());
}

TEST_F(Calibration, AKindTheTableCannotHoldIsNotCleared)
{
    Plug(0, "W83", devicelink::kWEepromType);
    sensor_.channel(0).calibrationMode = 1;
    sensor_.channel(0).conversionKind = 2;
    platform::WriteLE32(Image(), 0, 4);
    platform::WriteLEFloat(Image(), 68, 1.5f);  // a user calibration is present
    EXPECT_EQ(sensor_.ClearCalibration(0), 0);
    EXPECT_FLOAT_EQ(platform::ReadLEFloat(Image(), 68), 1.5f);
    EXPECT_EQ(sensor_.channel(0).conversionKind, 2);
    EXPECT_TRUE(api_.submitted.empty());
}

TEST_F(Calibration, TwoSlopesAreFittedAndAFlatOneKeepsTheStoredPair)
{
    Plug(0, "W83", devicelink::kWEepromType);
    sensor_.channel(0).calibrationMode = 1;
    platform::WriteLEFloat(Image(), 16, 0.5f);  // stored second pair
    platform::WriteLEFloat(Image(), 20, 7.0f);
    const float values[4] = {10.0f, 0.0f, 20.0f, 20.0f};
    const int32_t raws[4] = {1000, 0, 3000, 3000};
    sensor_.SetCalibration(0, 5, values, raws, 0);
    EXPECT_EQ(platform::ReadLE16(Image(), 4), 8192);
    for (size_t copy : {size_t(8), size_t(24)}) {
        EXPECT_FLOAT_EQ(platform::ReadLEFloat(Image(), copy), 0.01f);
        EXPECT_FLOAT_EQ(platform::ReadLEFloat(Image(), copy + 12), 7.0f);
    }
    EXPECT_EQ(api_.Writes().size(), 16u);
}

TEST_F(Calibration, ClearingMovesAdapterPointsToTheBackupTables)
{
    Plug(0, "R83");
    sensor_.channel(0).conversionKind = 4;
    int32_t flag = -1;
    EXPECT_EQ(sensor_.HasUserCalibration(0, &flag), 0);
    EXPECT_EQ(sensor_.ClearCalibration(0), 0);

    sensor_.channel(0).conversionKind = 2;
    sensor_.catalogue().accessRecords()[0].address = 113;
    platform::WriteLEFloat(Image(), 0, 3.5f);
    platform::WriteLE32(Image(), 36, 900);
    ASSERT_EQ(sensor_.HasUserCalibration(0, &flag), 1);
    EXPECT_EQ(flag, 1);
    ASSERT_EQ(sensor_.ClearCalibration(0), 1);
    EXPECT_FLOAT_EQ(sensor_.channel(0).originReference[0], 3.5f);
    EXPECT_EQ(sensor_.channel(0).originRaw[1], 900);
    EXPECT_EQ(api_.Writes().size(), 4u);
    EXPECT_EQ(sensor_.HasUserCalibration(0, &flag), 1);
    EXPECT_EQ(flag, 0);
}

TEST_F(ModelSetup, FunctionGeneratorStartsLast)
{
    EXPECT_EQ(devicelink::CNI2CSensor::GeneratorAmplitudeCode(100), 229);
    ASSERT_EQ(sensor_.WriteAdapterTable(1, 0, 2.0f, 0.0f, 0.0f, 229), 1);
    auto writes = api_.Writes();
    ASSERT_EQ(writes.size(), 8u);
    const uint32_t bits = std::bit_cast<uint32_t>(2.0f);
    const std::pair<int, uint32_t> expected[8] = {{34, 229}, {36, bits & 0xFFFF}, {38, bits >> 16}, {40, 0},
                                                  {42, 0},   {44, 0},            {46, 0},          {32, 1}};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(writes[i].block.address[1], 0x75);
        EXPECT_EQ(writes[i].block.readRegister[8], expected[i].first) << i;
        EXPECT_EQ(writes[i].data[1][0], expected[i].second) << i;
    }
    api_.submitted.clear();
    sensor_.WriteAdapterTable(1, 1, 2.0f, 0.0f, 0.0f, 229);
    EXPECT_EQ(api_.Writes().front().block.readRegister[8], 50);
    EXPECT_EQ(api_.Writes().back().block.readRegister[8], 48);
    ASSERT_EQ(sensor_.ClearAdapterTable(1, 1), 1);
    EXPECT_EQ(api_.Writes().back().data[1][0], 0u);
}

class PowerTimeouts : public ::testing::Test {
protected:
    void SetUp() override { platform::SetProcessRegistry(&store_); }
    void TearDown() override { platform::SetProcessRegistry(nullptr); }
    uint32_t Read(const char* name)
    {
        uint32_t v = 0xDEAD;
        store_.ReadDword(platform::RegistryRoot::LocalMachine, devicelink::kPowerTimeoutsKey, name, v);
        return v;
    }
    void Write(const char* name, uint32_t v)
    {
        store_.WriteDword(platform::RegistryRoot::LocalMachine, devicelink::kPowerTimeoutsKey, name, v);
    }
    platform::MemoryRegistryStore store_;
    corviktest::RecordingDeviceApi api_;
    devicelink::CNI2CSensor sensor_{api_};
};

TEST_F(PowerTimeouts, SavedAtStartAndPutBackAtExit)
{
    // Restoring without a save writes nothing.
    Write("BattSuspend", 120);
    sensor_.SetPowerTimeouts(0, 0, 0);
    EXPECT_EQ(Read("BattSuspend"), 120u);
    EXPECT_EQ(Read("ACSuspend"), 0xDEADu);

    platform::NamedEvent::Unlink(devicelink::kReloadTimeoutsEvent);
    platform::NamedEvent waiter(devicelink::kReloadTimeoutsEvent);
    ASSERT_TRUE(waiter.IsOpen());
    Write("BattSuspend", 9000);
    Write("ACSuspend", 30);
    sensor_.SetPowerTimeouts(0, 0, 1);
    EXPECT_TRUE(waiter.Wait(0));  // the power manager is told to reload
    platform::NamedEvent::Unlink(devicelink::kReloadTimeoutsEvent);
    EXPECT_EQ(Read("BattSuspend"), 0u);
    EXPECT_EQ(Read("ACSuspend"), 0u);
    sensor_.SetPowerTimeouts(0, 0, 0);
    EXPECT_EQ(Read("BattSuspend"), 60u);  // 9000 s is taken as a minute
    EXPECT_EQ(Read("ACSuspend"), 30u);
}

TEST_F(PowerTimeouts, ASecondSaveKeepsTheMachinesOwnValues)
{
    Write("BattSuspend", 300);
    Write("ACSuspend", 600);
    sensor_.SetPowerTimeouts(0, 0, 1);
    sensor_.SetPowerTimeouts(0, 0, 1);  // would otherwise keep our zeros
    sensor_.SetPowerTimeouts(0, 0, 0);
    EXPECT_EQ(Read("BattSuspend"), 300u);
    EXPECT_EQ(Read("ACSuspend"), 600u);
    // Put back once: a second restore has nothing of its own to write.
    Write("BattSuspend", 5);
    sensor_.SetPowerTimeouts(0, 0, 0);
    EXPECT_EQ(Read("BattSuspend"), 5u);
}

TEST_F(PowerTimeouts, UnreadableValuesAreTakenAsAMinute)
{
    sensor_.SetPowerTimeouts(5, 6, 1);
    EXPECT_EQ(sensor_.batterySuspendSeconds(), 60);
    EXPECT_EQ(sensor_.mainsSuspendSeconds(), 60);
    sensor_.SetPowerTimeouts(0, 0, 0);
    EXPECT_EQ(Read("ACSuspend"), 60u);
}

}  // namespace
