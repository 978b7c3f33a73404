#include "devicelink/catalogue/SensorValueFormat.h"
#include "devicelink/sensor/CNI2CSensor.h"

#include "platform/Text.h"
#include "tests/support/RecordingDeviceApi.h"
#include "tests/support/TestCatalogue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

namespace {

using devicelink::CNI2CSensor;
using corviktest::CatalogueXml;
using corviktest::RecordingDeviceApi;
using corviktest::TempFile;

const char* const kTwoSensors = R"(
<VRD_SENSORS>
  <SENSOR_LIST type="SCC"><UNIQUE_ID>N46_MOTION</UNIQUE_ID></SENSOR_LIST>
  <SENSOR_LIST type="SCC"><UNIQUE_ID>W83_FORCE</UNIQUE_ID></SENSOR_LIST>
</VRD_SENSORS>
<VRD_SENSORS_SCC_ACCESS>
  <SENSOR_LIST_ACCESS uid="N46_MOTION">
    <SCC_ADDRESS>0x5A</SCC_ADDRESS><SCC_CLK_SPEED>IIC_CLK_95KHZ</SCC_CLK_SPEED>
    <SCC_READ_TYPE>SCC_READ_ADDRESS_DATA</SCC_READ_TYPE><SCC_REG_READ_BYTENUM>IIC_DATA16</SCC_REG_READ_BYTENUM>
    <SENSOR_UNIT1>KPA</SENSOR_UNIT1><VALUE_SIGDIGITS1>2</VALUE_SIGDIGITS1>
    <SCC_REG_READ_ADDRESS1>0x02</SCC_REG_READ_ADDRESS1><SCC_REG_READ_BITMASK1>0xFFFF</SCC_REG_READ_BITMASK1>
    <SCC_REG_READ_ADDRESS2>0x04</SCC_REG_READ_ADDRESS2><SCC_REG_READ_BITMASK2>0xFF</SCC_REG_READ_BITMASK2>
    <SCC_REG_SETUP_WRITE_TYPE1>SCC_WRITE_ADDRESS_PLUS_DATA</SCC_REG_SETUP_WRITE_TYPE1>
    <SCC_REG_SETUP_WRITE_BYTENUM1>IIC_DATA8</SCC_REG_SETUP_WRITE_BYTENUM1>
    <SCC_REG_SETUP_WRITE_DATA1>1</SCC_REG_SETUP_WRITE_DATA1>
  </SENSOR_LIST_ACCESS>
  <SENSOR_LIST_ACCESS uid="W83_FORCE">
    <SCC_ADDRESS>0x48</SCC_ADDRESS><SCC_READ_TYPE>SCC_READ_ADDRESS_DATA</SCC_READ_TYPE>
    <SCC_REG_READ_ADDRESS1>0x00</SCC_REG_READ_ADDRESS1>
  </SENSOR_LIST_ACCESS>
</VRD_SENSORS_SCC_ACCESS>
<VRD_SENSORS_SEARCH>
  <SENSOR_LIST_SEARCH uid="W83_FORCE"><SCC_REG_READ_UNIQUE_ID1>W83_FORCE</SCC_REG_READ_UNIQUE_ID1></SENSOR_LIST_SEARCH>
</VRD_SENSORS_SEARCH>
)";

class SensorTest : public ::testing::Test {
protected:
    int32_t Load(const std::string& xml)
    {
        file_ = std::make_unique<TempFile>(xml);
        if (sensor_.LoadSensorXml(file_->path()) != 1)
            return 0;
        return sensor_.LoadCatalogue();
    }
    void Identify(int c, const char* id, const char* model, int index)
    {
        devicelink::ChannelState& state = sensor_.channel(c);
        platform::CopyToField(state.sensorId, platform::AsciiToUtf16(id));
        platform::CopyToField(state.modelCode, platform::AsciiToUtf16(model));
        state.accessIndex = index;
        sensor_.connected(c) = 1;
    }

    RecordingDeviceApi api_;
    CNI2CSensor sensor_{api_};
    std::unique_ptr<TempFile> file_;
};

TEST_F(SensorTest, CatalogueLoadResultCodes)
{
    // The version is checked before the device is opened.
    for (const char* version : {"20110409", "", "2011041"})
        EXPECT_EQ(Load(CatalogueXml(version, kTwoSensors)), 1795) << version;
    EXPECT_EQ(api_.opens, 0);

    api_.openResult = 0;
    EXPECT_EQ(Load(CatalogueXml("20110410", kTwoSensors)), 8);
    api_.openResult = 1;
    api_.firmware = 20110331;
    EXPECT_EQ(Load(CatalogueXml("20110410", kTwoSensors)), 1793);
    api_.firmware = 20110401;
    EXPECT_EQ(Load(CatalogueXml("3", kTwoSensors)), 1);  // sorts after the oldest version
    EXPECT_EQ(Load(CatalogueXml("20110410", kTwoSensors)), 1);
    EXPECT_EQ(sensor_.xmlVersion(), 20110410);

    std::string noSearch = kTwoSensors;
    noSearch.erase(noSearch.find("<VRD_SENSORS_SEARCH>"));
    for (const std::string& body : {std::string(), noSearch})
        EXPECT_EQ(Load(CatalogueXml("20110410", body)), 513);
    EXPECT_EQ(sensor_.LoadSensorXml("/nonexistent.xml"), 0);
}

TEST_F(SensorTest, PollReportsPlugRemovalNotReadyAndLinkLoss)
{
    const std::pair<int, int32_t> steps[] = {{0x00000000, 0}, {0x00010001, 1}, {0x00000001, 3},
                                             {0x00030003, 1}, {-1, 128},       {0x000F000F, 1}};
    for (const auto& [word, expected] : steps) {
        api_.statusWords.push_back(word);
        EXPECT_EQ(sensor_.PollSensorState(), expected) << std::hex << word;
        EXPECT_EQ(sensor_.statusWord(), word);
    }
    // Detection has since recorded channels 0 and 1 as present.
    sensor_.lastPresence(0) = 1;
    sensor_.lastPresence(1) = 1;
    api_.statusWords = {0x00030003, 0x00010001, 0x00050005, 0x00020006};
    EXPECT_EQ(sensor_.PollSensorState(), 0);
    EXPECT_EQ(sensor_.PollSensorState(), 2);
    EXPECT_EQ(sensor_.PollSensorState(), 3);  // plugged on 2 and pulled from 1 at once
    EXPECT_EQ(sensor_.PollSensorState(), 3);  // channel 2 present but not ready

    // Without the logger the last word stands.
    api_.statusWords = {-1, 0x00010001};
    EXPECT_EQ(sensor_.PollSensorState(), 128);
    api_.openResult = 0;
    EXPECT_EQ(sensor_.PollSensorState(), 128);
    EXPECT_EQ(api_.statusWords.size(), 1u);
}

TEST_F(SensorTest, FindSensorRecordChecksTheCachedIndex)
{
    ASSERT_EQ(Load(CatalogueXml("20110410", kTwoSensors)), 1);
    devicelink::ChannelState& state = sensor_.channel(0);
    const auto& records = sensor_.catalogue().accessRecords();
    Identify(0, "W83_FORCE", "W83", 1);
    for (int32_t index : {1, 0, -1, 6, 9999, std::numeric_limits<int32_t>::min()}) {
        state.accessIndex = index;
        EXPECT_EQ(sensor_.FindSensorRecord(&state), &records[1]) << index;
    }
    // Prefix match, and the empty id matches the first record.
    platform::CopyToField(state.sensorId, u"W83");
    EXPECT_EQ(sensor_.FindSensorRecord(&state), &records[1]);
    platform::CopyToField(state.sensorId, u"");
    EXPECT_EQ(sensor_.FindSensorRecord(&state), &records[0]);
    // An id filling all 64 units without a terminator is compared within the field.
    platform::CopyToFullField(state.sensorId, std::u16string(64, u'W'));
    EXPECT_EQ(sensor_.FindSensorRecord(&state), nullptr);
    EXPECT_EQ(sensor_.FindSensorRecord(nullptr), nullptr);
}

TEST(FormatSensorValue, DigitsFromTheUnitEntryOrTheArgument)
{
    devicelink::SensorAccessRecord record{};
    record.units[0].significantDigits = 0;
    record.units[1].significantDigits = 2;
    record.units[2].significantDigits = 9;
    record.units[7].significantDigits = -1;
    struct Case {
        float value;
        const devicelink::SensorAccessRecord* record;
        int unitOrDigits;
        const char* expected;
    };
    const Case cases[] = {
        {3.14159f, &record, 0, "3"},        {-3.9f, &record, 0, "-3"},          {3.14159f, &record, 1, "3.14"},
        {3.14159f, &record, 2, "3.141590"}, {3.14159f, &record, 7, "3.14159"},  {3.14159f, nullptr, -1, "3.14159"},
        {3.14159f, nullptr, -2, "3.141590"}, {2.5f, nullptr, 0, "2.500000"},
        // Unit entries past the record's eight use the six-decimal form.
        {3.14159f, &record, 8, "3.141590"},
        // The integer form saturates and prints NaN as 0.
        {std::nanf(""), &record, 0, "0"},   {1e20f, &record, 0, "2147483647"}, {-1e20f, &record, 0, "-2147483648"},
    };
    for (const Case& c : cases) {
        std::string text = "old";
        EXPECT_EQ(devicelink::FormatSensorValue(c.value, text, c.record, c.unitOrDigits), 1);
        EXPECT_EQ(text, c.expected) << c.value << " with " << c.unitOrDigits;
    }
}

class ReadValueTest : public SensorTest {
protected:
    void SetUp() override
    {
        ASSERT_EQ(Load(CatalogueXml("20110410", kTwoSensors)), 1);
        sensor_.SetChannelConverter([this](CNI2CSensor& s, int c, const int32_t* raw, const int32_t*, float* out) {
            allOutputsDuringConversion = s.channel(c).allOutputs;
            out[0] = float(raw[0]);
            out[1] = float(raw[1]);
            return 2;
        });
    }
    int allOutputsDuringConversion = -1;
};

TEST_F(ReadValueTest, ReadsTheNewestSampleThroughTheOneShotEvent)
{
    Identify(2, "N46_MOTION", "N46", 0);
    api_.replies.push_back({1234, 56});
    sensor_.completionEvent().Set();  // a monitor signal must not matter
    sensor_.oneShotEvent().Set();     // nor a late one from an earlier read
    float values[4] = {};
    ASSERT_EQ(sensor_.ReadCurrentValue(2, values), 1);
    EXPECT_FLOAT_EQ(values[0], 1234.0f);
    EXPECT_FLOAT_EQ(values[1], 56.0f);
    EXPECT_EQ(allOutputsDuringConversion, 1);
    EXPECT_EQ(sensor_.channel(2).allOutputs, 0);
    EXPECT_EQ(api_.lastEvent, &sensor_.oneShotEvent());
    EXPECT_FALSE(api_.eventWasSetAtSubmit);

    // One reading of channel 2 with the record's access; "N46" takes the long set-up write.
    const devicelink::MeasureSetupBlock& b = api_.LastBlock();
    EXPECT_EQ(b.enabled[0] + b.enabled[1] + 2 * b.enabled[2] + b.enabled[3], 2);
    EXPECT_EQ(b.address[2], 0x5A);
    EXPECT_EQ(b.readMask[17], 0xFF);  // channel 2, entry 1
    EXPECT_EQ(b.writeLength[16], 11);
    EXPECT_EQ(static_cast<uint32_t>(b.writeData[16]), 0xFFFFAA01u);
    EXPECT_EQ(b.capacity[2], 8);
}

TEST_F(ReadValueTest, NoSampleOrAFailedSubmitLeavesTheValues)
{
    Identify(1, "N46_MOTION", "N46", 0);
    float values[2] = {7.0f, 8.0f};
    const std::pair<int32_t, int> answers[] = {
        {0, 1},  // signalled, but the counter stayed 0
        {9, 1},  // a counter beyond the one-shot arrays
        {1, 0},  // refused
    };
    for (const auto& [count, result] : answers) {
        api_.onRead = [count, result](devicelink::MeasureRequest& r) {
            r.host.counts[1]->store(count);
            r.host.event->Set();
            return result;
        };
        EXPECT_EQ(sensor_.ReadCurrentValue(1, values), 0) << count;
    }
    EXPECT_FLOAT_EQ(values[0], 7.0f);
    EXPECT_FLOAT_EQ(values[1], 8.0f);
    EXPECT_EQ(allOutputsDuringConversion, -1);
    EXPECT_EQ(sensor_.ReadCurrentValue(4, values), 0);
}

TEST_F(ReadValueTest, ARecordWithoutRegisterEntriesStillReadsInsideTheArrays)
{
    // A sample is at least one word: with a full one-shot array the newest one is its last.
    Identify(1, "N46_MOTION", "N46", 0);
    sensor_.FindSensorRecord(&sensor_.channel(1))->registerCount = 0;
    api_.onRead = [](devicelink::MeasureRequest& r) {
        for (int k = 0; k < devicelink::kOneShotCapacity; ++k)
            r.host.values[1][k] = uint32_t(100 + k);
        r.host.counts[1]->store(devicelink::kOneShotCapacity);
        r.host.event->Set();
        return 1;
    };
    sensor_.SetChannelConverter([](CNI2CSensor&, int, const int32_t* raw, const int32_t*, float* out) {
        out[0] = float(raw[0]);
        return 1;
    });
    float values[4] = {};
    ASSERT_EQ(sensor_.ReadCurrentValue(1, values), 1);
    EXPECT_FLOAT_EQ(values[0], 107.0f);
}

TEST_F(ReadValueTest, FastWSensorsReadThroughTheAdcPath)
{
    Identify(0, "W83_FORCE", "W83", 1);
    float values[4] = {};
    api_.replies = {{5}, {5}};
    ASSERT_EQ(sensor_.ReadCurrentValue(0, values), 1);
    EXPECT_EQ(api_.LastBlock().readType[0], 128);
    sensor_.channel(0).adcFlag = 1;
    sensor_.channel(0).adcMode = 1;
    ASSERT_EQ(sensor_.ReadCurrentValue(0, values), 1);
    EXPECT_EQ(api_.LastBlock().readType[0], 160);
}

TEST_F(SensorTest, StopClearsTheRateFlagOfAcquiringChannelsOnly)
{
    for (int c = 0; c < 4; ++c)
        sensor_.channel(c).rateWritten = 1;
    sensor_.connected(0) = 1;
    sensor_.connected(1) = 1;
    sensor_.acquisitionRequest().block.enabled[0] = 1;
    sensor_.acquisitionRequest().block.enabled[2] = 1;
    sensor_.setRunning(1);
    EXPECT_EQ(sensor_.StopAcquisition(), 1);
    EXPECT_EQ(sensor_.IsRunning(), 0);
    EXPECT_EQ(sensor_.channel(0).rateWritten, 0);
    EXPECT_EQ(sensor_.channel(1).rateWritten, 1);
    EXPECT_EQ(sensor_.channel(2).rateWritten, 1);
}

TEST(SensorObject, ClosesTheDeviceWhenDestroyed)
{
    RecordingDeviceApi api;
    { CNI2CSensor sensor(api); }
    EXPECT_EQ(api.closes, 1);
}

TEST(FlatDeviceApi, ForwardsToTheDeviceFunctionsWithoutADriver)
{
    devicelink::SensorDeviceApi& api = devicelink::FlatDeviceApi();
    EXPECT_EQ(api.PollStatusWord(), 0);
    platform::Event event(platform::Event::Kind::AutoReset);
    devicelink::MeasureRequest request;
    request.host.event = &event;
    EXPECT_EQ(api.SubmitRead(request), 0);
    EXPECT_TRUE(event.IsSet());  // a waiter is not left hanging
}

}  // namespace
