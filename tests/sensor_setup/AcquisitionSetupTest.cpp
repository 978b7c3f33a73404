#include "devicelink/conversion/ConversionState.h"
#include "devicelink/sensor/SensorMemoryLayout.h"
#include "platform/LittleEndian.h"

#include "SensorFixture.h"

#include <cstring>
#include <span>

namespace {

using devicelink::MeasureSetupBlock;
using corviktest::SensorFixture;
using corviktest::Submitted;

class Acquisition : public SensorFixture {
protected:
    const MeasureSetupBlock& Start(int32_t trigger, std::array<int32_t, 4> selection, std::array<int32_t, 4> flags,
                                   int32_t interval, int32_t perChannel = 0,
                                   std::array<int32_t, 4> intervals = {0, 0, 0, 0}, int32_t mark = 0)
    {
        devicelink::AcquisitionPlan plan;
        plan.triggerWord = trigger;
        std::copy(selection.begin(), selection.end(), plan.selection);
        std::copy(flags.begin(), flags.end(), plan.channelFlags);
        plan.interval = interval;
        plan.lengthSeconds = 10;
        plan.count = 500;
        plan.perChannel = perChannel;
        std::copy(intervals.begin(), intervals.end(), plan.channelIntervals);
        plan.markFlag = mark;
        sensor_.StartAcquisition(plan);
        return sensor_.acquisitionRequest().block;
    }
};

TEST_F(Acquisition, PerEventCountsAndKinds)
{
    Plug(0, "R83");
    Plug(1, "R84");
    Plug(3, "R87");
    devicelink::ProcessConversionState().gate[0].eventCount = 9;
    devicelink::ProcessConversionState().gate[1].eventCount = 9;
    const MeasureSetupBlock& b = Start(0, {1, 1, 0, 0}, {1, 0, 0, 0}, 100000, 0, {}, 1);
    EXPECT_EQ(b.kind, 2);
    EXPECT_EQ(b.perEvent, 2);  // every fifth of a second
    EXPECT_EQ(b.count, 500);
    EXPECT_EQ(b.mark, 0x50000001);
    EXPECT_EQ(b.enabled[1], 0);
    EXPECT_EQ(b.channelInterval[3], 100000);
    // Only the acquiring channels' gate counters start again.
    EXPECT_EQ(devicelink::ProcessConversionState().gate[0].eventCount, 0);
    EXPECT_EQ(devicelink::ProcessConversionState().gate[1].eventCount, 9);
    EXPECT_EQ(sensor_.IsRunning(), 1);

    struct Case {
        int32_t trigger, interval, perChannel;
        std::array<int32_t, 4> selection, flags, intervals;
        int32_t kind, perEvent;
    };
    const Case cases[] = {
        {0, 300000, 0, {1, 0, 0, 0}, {1, 0, 0, 0}, {}, 2, 1},
        // An interval of 0 (the add-in can pass one) must not divide by zero.
        {0, 0, 0, {1, 0, 0, 0}, {1, 0, 0, 0}, {}, 2, 1},
        {0, -5, 0, {1, 0, 0, 0}, {1, 0, 0, 0}, {}, 2, 1},
        // Per channel: the smallest interval of the channels taking part, else a second.
        {0, 100000, 1, {1, 1, 0, 1}, {1, 1, 0, 0}, {500, 2000, 0, 50}, 17, 400},
        {0, 100000, 1, {0, 0, 0, 0}, {0, 0, 0, 0}, {500, 500, 500, 500}, 17, 1},
        {0, 100000, 1, {1, 0, 0, 0}, {1, 0, 0, 0}, {0, 0, 0, 0}, 17, 1},
        // A level trigger; channel triggers without a level stay timed.
        {0x300000FF, 100000, 0, {1, 0, 1, 0}, {1, 0, 1, 0}, {}, 64, 2},
        {0x3F000001, 100000, 0, {1, 0, 0, 0}, {1, 0, 0, 0}, {}, 2, 2},
    };
    for (const Case& k : cases) {
        const MeasureSetupBlock& run = Start(k.trigger, k.selection, k.flags, k.interval, k.perChannel, k.intervals);
        EXPECT_EQ(run.kind, k.kind) << k.interval << " " << k.perChannel;
        EXPECT_EQ(run.perEvent, k.perEvent) << k.interval << " " << k.perChannel;
    }
}

TEST_F(Acquisition, LevelTriggerCarriesTheSelectedChannelsInItsLowByte)
{
    Plug(0, "R83");
    Plug(2, "R84");
    EXPECT_EQ(Start(0x300000FF, {1, 0, 1, 0}, {1, 0, 1, 0}, 100000).triggerWord, 0x30000005);
    EXPECT_EQ(Start(0x3F000000, {0, 1, 0, 0}, {1, 0, 0, 0}, 100000).triggerWord, 0x3F000002);
}

TEST_F(Acquisition, FastPathBelowOneMillisecondOrByTheAdcFlag)
{
    Plug(0, "R83");
    Plug(1, "R84");
    EXPECT_EQ(Start(0, {1, 0, 0, 0}, {1, 0, 0, 0}, 999).readType[0], 160);
    EXPECT_EQ(Start(0, {1, 0, 0, 0}, {1, 0, 0, 0}, 1000).readType[0], 128);
    const MeasureSetupBlock& b = Start(0, {1, 1, 0, 0}, {1, 1, 0, 0}, 100000, 1, {500, 2000, 0, 0});
    EXPECT_EQ(b.readType[0], 160);
    EXPECT_EQ(b.readType[1], 128);
    EXPECT_FLOAT_EQ(sensor_.channelInterval(1), 2000.0f);
    Plug(1, "W83", devicelink::kWEepromType);
    EXPECT_EQ(Start(0, {0, 1, 0, 0}, {0, 1, 0, 0}, 500).readType[1], 128);
    sensor_.channel(1).adcFlag = 1;
    EXPECT_EQ(Start(0, {0, 1, 0, 0}, {0, 1, 0, 0}, 100000).readType[1], 160);
}

TEST_F(Acquisition, MonitorFillsEveryConnectedChannelAndTheN46SetUp)
{
    auto& motion = Plug(0, "N46");
    motion.registerCount = 2;
    motion.writeType[0] = 131;
    motion.writeByteCount[0] = 1;
    motion.writeData[0] = 5;
    Plug(2, "R83");
    sensor_.StartMonitor();
    const MeasureSetupBlock& b = sensor_.acquisitionRequest().block;
    EXPECT_EQ(b.kind, 2);
    EXPECT_EQ(b.interval, 300000);
    EXPECT_EQ(b.count, 0);
    EXPECT_EQ(b.entries[0], 2);
    EXPECT_EQ(b.writeLength[0], 11);
    EXPECT_EQ(b.writeLength[1], 11);
    EXPECT_EQ(b.writeData[0], static_cast<int32_t>(0xFFFFAA01u));
    EXPECT_EQ(b.writeData[1], -1);
    EXPECT_EQ(b.enabled[2], 1);

    // Without a device nothing is submitted, and the event still comes back.
    api_.openResult = 0;
    const size_t before = api_.submitted.size();
    EXPECT_EQ(&sensor_.StartMonitor(), &sensor_.completionEvent());
    EXPECT_EQ(api_.submitted.size(), before);
}

TEST_F(Acquisition, ARefusedStartIsNoRun)
{
    Plug(0, "R83");
    Start(0, {1, 0, 0, 0}, {1, 0, 0, 0}, 100000);
    EXPECT_EQ(sensor_.IsRunning(), 1);
    api_.submitResult = 0;
    Start(0, {1, 0, 0, 0}, {1, 0, 0, 0}, 100000);
    EXPECT_EQ(sensor_.IsRunning(), 0);
    sensor_.StartMonitor();
    EXPECT_EQ(sensor_.IsRunning(), 0);
}

TEST_F(Acquisition, TheLongestIntervalIsKeptWhole)
{
    Plug(0, "R83");
    const MeasureSetupBlock& b = Start(0, {1, 0, 0, 0}, {1, 0, 0, 0}, INT32_MAX);
    EXPECT_EQ(b.channelInterval[0], INT32_MAX);
    EXPECT_EQ(b.channelInterval[2], INT32_MAX);  // a channel not taking part keeps it too
    EXPECT_EQ(b.perEvent, 1);
}

class Transactions : public SensorFixture {
protected:
    const Submitted& Last() const { return api_.submitted.back(); }
};

TEST_F(Transactions, RegisterWritesPlaceTheirDataInTheValueArray)
{
    ASSERT_EQ(sensor_.WriteRegister(1, 0x40, 0xBEEFu, 2), 1);
    EXPECT_TRUE(Last().write);
    EXPECT_EQ(Last().block.readType[1], 4);
    EXPECT_EQ(Last().block.address[1], 0x40);
    EXPECT_EQ(Last().block.byteCount[1], 2);
    EXPECT_EQ(Last().block.readMask[8], 0xFFFF);
    EXPECT_EQ(Last().data[1][0], 0xBEEFu);

    const uint8_t frame[9] = {0x57, 0x5A, 0xA5, 20, 4, 1, 2, 3, 4};
    ASSERT_EQ(sensor_.WriteRegisterBytes(1, 113, frame, 9), 1);
    EXPECT_EQ(Last().block.byteCount[1], 9);
    EXPECT_EQ(Last().block.readMask[8], -1);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(Last().Byte(1, i), frame[i]) << i;

    // Addressed 16-bit writes.
    ASSERT_EQ(sensor_.WriteRegisterAt(3, 0x75, 36, 0x12345678u, 2), 1);
    EXPECT_EQ(Last().block.readType[3], 2);
    EXPECT_EQ(Last().block.readRegister[24], 36);
    EXPECT_EQ(Last().data[3][0], 0x5678u);
}

TEST_F(Transactions, BlockWritesPutTheRegisterInFrontOfWideData)
{
    const uint8_t word[2] = {0x34, 0x12};
    ASSERT_EQ(sensor_.WriteBlock(0, 0x57, 136, word, 2), 1);
    EXPECT_EQ(Last().block.readType[0], 132);
    EXPECT_EQ(Last().block.readRegister[0], 136);
    EXPECT_EQ(Last().block.byteCount[0], 2);
    EXPECT_EQ(Last().block.capacity[0], 8);
    EXPECT_EQ(Last().data[0][0], 0x1234u);

    const uint8_t eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_EQ(sensor_.WriteBlock(0, 0x57, 144, eight, 8), 1);
    EXPECT_EQ(Last().block.byteCount[0], 9);
    EXPECT_EQ(Last().Byte(0, 0), 144);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(Last().Byte(0, i + 1), eight[i]);
}

TEST_F(Transactions, OversizedTransfersAreRefused)
{
    uint8_t big[40] = {};
    EXPECT_EQ(sensor_.WriteBlock(0, 0x57, 128, big, 32), 0);
    EXPECT_EQ(sensor_.WriteBlock(0, 0x57, 128, big, 31), 1);
    EXPECT_EQ(sensor_.WriteRegisterBytes(0, 113, big, 33), 0);
    EXPECT_EQ(sensor_.WriteRegisterBytes(0, 113, big, 32), 1);
    EXPECT_EQ(sensor_.ReadBlock(0, 0x57, 128, big, 33), 0);
    uint32_t value = 0;
    EXPECT_EQ(sensor_.ReadRegister(0, 0x40, &value, 5), 0);
    EXPECT_EQ(sensor_.ReadRegister(4, 0x40, &value, 1), 0);
    EXPECT_EQ(api_.submitted.size(), 2u);
}

// A logger that takes every request and never answers.
class SilentLogger : public corviktest::RecordingDeviceApi {
public:
    int SubmitWrite(devicelink::MeasureRequest&) override
    {
        ++writesTaken;
        return 1;
    }
    int writesTaken = 0;
};

TEST(SilentDevice, TransactionsGiveUpAndNoStaleValuePassesForAReading)
{
    SilentLogger logger;
    logger.onRead = [](devicelink::MeasureRequest&) { return 1; };
    devicelink::CNI2CSensor sensor{logger};
    // Each of these used to wait for ever; now they return after their bounded wait.
    EXPECT_EQ(sensor.WriteRegisterAt(0, 0x75, 32, 1, 2), 1);
    const uint8_t eight[8] = {};
    EXPECT_EQ(sensor.WriteBlock(0, 0x57, 128, eight, 8), 0);
    // The write leaves its data in the value array; the unanswered read must not return it.
    sensor.WriteRegister(0, 113, 0x527001u, 3);
    uint32_t value = 0xFFFF;
    EXPECT_EQ(sensor.ReadRegister(0, 113, &value, 1), 0);
    EXPECT_EQ(value, 0u);
}

TEST_F(Transactions, ReadsTakeTheirReplyFromTheValueArray)
{
    api_.replies.push_back({0x00ABCDEF});
    uint32_t value = 0;
    ASSERT_EQ(sensor_.ReadRegister(2, 0x40, &value, 3), 1);
    EXPECT_EQ(value, 0x00ABCDEFu);
    EXPECT_EQ(Last().block.readMask[16], 0xFFFFFF);

    api_.replies.push_back({0x04030201, 0x08070605});
    uint8_t bytes[6] = {};
    ASSERT_EQ(sensor_.ReadBlock(2, 0x57, 200, bytes, 6), 1);
    EXPECT_EQ(Last().block.capacity[2], 8);
    EXPECT_EQ(bytes[5], 6);
    ASSERT_EQ(sensor_.ReadBlock(2, 0x57, 200, bytes, 2), 1);
    EXPECT_EQ(Last().block.byteCount[2], 8);

    // The sensor memory is sixteen eight-byte reads.
    api_.submitted.clear();
    for (uint32_t i = 0; i < 16; ++i)
        api_.replies.push_back({i, i + 100});
    ASSERT_EQ(sensor_.ReadSensorMemory(1), 1);
    ASSERT_EQ(api_.submitted.size(), 16u);
    EXPECT_EQ(api_.submitted[15].block.readRegister[8], 248);
    const std::span<const uint8_t> image(sensor_.channel(1).sensorMemory);
    EXPECT_EQ(platform::ReadLE32(image, 124), 115u);
}

class Readings : public SensorFixture {};

TEST_F(Readings, SingleValueWithBothPaths)
{
    auto& r = Plug(0, "W83", devicelink::kWEepromType);
    r.scale[0] = 0.5f;
    api_.replies = {{200}, {300}};
    float normal = 0, fast = 0;
    int32_t raw = 0, fastRaw = 0;
    ASSERT_EQ(sensor_.ReadSingleValue(0, &normal, &fast, &raw, &fastRaw, 1), 1);
    EXPECT_EQ(raw, 200);
    EXPECT_EQ(fastRaw, 300);
    EXPECT_FLOAT_EQ(normal, 100.0f);
    EXPECT_FLOAT_EQ(fast, 150.0f);
    ASSERT_EQ(api_.submitted.size(), 2u);
    EXPECT_EQ(api_.submitted[0].block.readType[0], 128);
    EXPECT_EQ(api_.submitted[1].block.readType[0], 160);
    EXPECT_EQ(sensor_.channel(0).adcFlag, 0);
}

TEST_F(Readings, AFastPathReplyOfManyWordsIsReadInsideTheArray)
{
    auto& r = Plug(0, "W83", devicelink::kWEepromType);
    r.registerCount = 3;
    r.outputCount = 3;
    // The fast path asks for one word a sample; a device that sends eight must not make the
    // three-word conversion read past the value array.
    api_.replies = {{200, 201, 202}, {1, 2, 3, 4, 5, 6, 7, 8}};
    float normal[3] = {}, fast[3] = {};
    int32_t raw[3] = {}, fastRaw[3] = {};
    ASSERT_EQ(sensor_.ReadSingleValue(0, normal, fast, raw, fastRaw, 3), 1);
    EXPECT_EQ(raw[0], 200);
    EXPECT_EQ(fastRaw[0], 6);
}

TEST_F(Readings, NoSampleOrARefusedSubmitGivesNoReading)
{
    Plug(0, "R83");
    float value = -1, values[4] = {-1, -1, -1, -1};
    int32_t raw = -1;
    api_.replies.push_back({});  // answered, counter 0
    EXPECT_EQ(sensor_.ReadSingleValue(0, &value, nullptr, &raw, nullptr, 1), 0);
    api_.submitResult = 0;
    EXPECT_EQ(sensor_.ReadSingleValue(0, &value, nullptr, &raw, nullptr, 1), 0);
    EXPECT_EQ(sensor_.ReadCurrentValue(0, values), 0);
    EXPECT_EQ(value, -1);
    EXPECT_EQ(raw, -1);
    EXPECT_EQ(sensor_.IsRunning(), 0);
}

TEST_F(Readings, NewestValueConvertsThroughTheConversionRecord)
{
    auto& r = Plug(0, "R83");
    r.scale[0] = 0.25f;
    r.offset[0] = 1.0f;
    sensor_.channel(0).zeroOffset = 2.0f;
    api_.replies.push_back({400});
    float values[4] = {};
    ASSERT_EQ(sensor_.ReadCurrentValue(0, values), 1);
    EXPECT_FLOAT_EQ(values[0], 103.0f);
}

class ConversionRecord : public SensorFixture {
protected:
    const devicelink::ConversionParams& Fill()
    {
        const int32_t raw[1] = {0}, times[1] = {0};
        float out[4], outTimes[4];
        int32_t produced = -1;
        sensor_.ConvertChannelData(0, 0, 1, raw, times, out, outTimes, 0, &sensor_.catalogue().accessRecords()[0],
                                   &sensor_.channel(0), &produced);
        return sensor_.conversionParams();
    }
    std::span<uint8_t> Image() { return std::span<uint8_t>(sensor_.channel(0).sensorMemory); }
};

TEST_F(ConversionRecord, UnitScaleAndTheZeroOfThePathInUse)
{
    auto& r = Plug(0, "R83");
    r.outputUnits[1][2] = 3;
    r.scale[2] = 4.0f;
    devicelink::ChannelState& s = sensor_.channel(0);
    s.selectedOutput = 1;
    s.unitChoice[1] = 2;
    s.timeUnit = 0.01f;
    s.timeFactor = 2.0f;
    s.zeroOffset = 5.0f;
    EXPECT_FLOAT_EQ(Fill().scaleA, 4.0f);
    EXPECT_FLOAT_EQ(Fill().timeScale, 0.02f);
    EXPECT_FLOAT_EQ(Fill().offsetZ, 5.0f);
    s.adcFlag = 1;
    s.adcOffset = 0.25f;
    s.secondZeroOffset = 1.0f;
    EXPECT_FLOAT_EQ(Fill().offsetZ, 1.25f);
    EXPECT_EQ(Fill().pointShift, 1);
}

TEST_F(ConversionRecord, OutOfRangeOutputAndUnitChoicesFallBackToTheFirstUnit)
{
    auto& r = Plug(0, "R83");
    r.scale[0] = 3.0f;
    r.outputUnits[3][3] = 9;  // no such unit
    sensor_.channel(0).selectedOutput = 7;
    for (int32_t choice : {-4, 3}) {
        sensor_.channel(0).unitChoice[3] = choice;
        EXPECT_FLOAT_EQ(Fill().scaleA, 3.0f) << choice;
    }
    const int32_t raw[1] = {1}, times[1] = {0};
    float out[4] = {}, outTimes[4] = {};
    int32_t produced = -1;
    EXPECT_EQ(sensor_.ConvertChannelData(0, 0, 1, raw, times, out, outTimes, 0, nullptr, &sensor_.channel(0),
                                         &produced),
              0);
    EXPECT_EQ(produced, 0);
}

TEST_F(ConversionRecord, CalibrationCasesByFamilyAndKind)
{
    // Two slopes: the second kind names the copy.
    Plug(0, "W83", devicelink::kWEepromType);
    sensor_.channel(0).calibrationMode = 1;
    for (size_t i = 0; i < 128; i += 2)
        platform::WriteLE16(Image(), i, static_cast<uint16_t>(i + 1));
    platform::WriteLE32(Image(), 0, 5);
    platform::WriteLEFloat(Image(), 8, 1.5f);
    auto p = Fill();
    EXPECT_EQ(p.rawPoints[0], 5);
    EXPECT_EQ(p.rawPoints[1], 7);
    EXPECT_FLOAT_EQ(p.pointValues[0], 1.5f);
    platform::WriteLE32(Image(), 64, 5);
    platform::WriteLE16(Image(), 68, 0xFFFF);
    p = Fill();
    EXPECT_EQ(p.rawPoints[0], -1);

    // Point tables and polynomials of a memory-calibrated sensor.
    Plug(0, "R83", devicelink::kREepromType);
    sensor_.channel(0).calibrationMode = 1;
    platform::WriteLE32(Image(), 0, 2);
    platform::WriteLE32(Image(), 64, 2);
    platform::WriteLEFloat(Image(), 68 + 24, 6.5f);
    platform::WriteLE16(Image(), 96 + 12, 1234);
    p = Fill();
    EXPECT_EQ(p.calWords[0], 7);
    EXPECT_FLOAT_EQ(p.pointValues[6], 6.5f);
    EXPECT_EQ(p.rawPoints[6], 1234);
    platform::WriteLE32(Image(), 64, 0);
    platform::WriteLEFloat(Image(), 4, 0.5f);
    platform::WriteLE16(Image(), 32, 0x8000);
    p = Fill();
    EXPECT_FLOAT_EQ(p.pointValues[0], 0.5f);
    EXPECT_EQ(p.rawPoints[0], -32768);
    // A second kind that names neither set leaves the area empty, whatever came before.
    platform::WriteLE32(Image(), 64, 1);
    p = Fill();
    EXPECT_EQ(p.calWords[0], 0);
    EXPECT_FLOAT_EQ(p.pointValues[0], 0.0f);
    EXPECT_EQ(p.rawPoints[0], 0);
    platform::WriteLE32(Image(), 0, 259);
    platform::WriteLE32(Image(), 88, 259);
    platform::WriteLEFloat(Image(), 92 + 28, 9.0f);
    p = Fill();
    EXPECT_EQ(p.calWords[0], 259);
    EXPECT_FLOAT_EQ(p.pointValues[7], 9.0f);

    // A plain sensor: the arrays as stored, and the channel's calibration block.
    Plug(0, "R83");
    platform::WriteLEFloat(Image(), 0, 1.25f);
    platform::WriteLE32(Image(), 60, 0xFFFFFFFF);
    platform::WriteLEFloat(Image(), 64, 3.0f);
    platform::WriteLE32(Image(), 124, 77);
    sensor_.channel(0).calibration[10] = 1010;
    p = Fill();
    EXPECT_FLOAT_EQ(p.pointValues[0], 1.25f);
    EXPECT_EQ(p.rawPoints[7], -1);
    EXPECT_FLOAT_EQ(p.coefT0, 3.0f);
    EXPECT_EQ(p.refWords[7], 77);
    EXPECT_EQ(p.calWords[10], 1010);
}

}  // namespace
