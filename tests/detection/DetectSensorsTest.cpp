#include "tests/support/BusDeviceApi.h"
#include "tests/support/TestCatalogue.h"

#include "devicelink/sensor/CNI2CSensor.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace devicelink;
using corviktest::BusDeviceApi;
using Answer = BusDeviceApi::Answer;

namespace {

std::string KitCatalogueText()
{
    std::ifstream in(corviktest::ProjectCataloguePath());
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class DetectSensorsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(sensor_.LoadSensorXml(corviktest::ProjectCataloguePath()), 1);
        ASSERT_EQ(sensor_.LoadCatalogue(), 1);
    }
    int32_t Detect()
    {
        sensor_.PollSensorState();
        return sensor_.DetectSensors(text_);
    }
    std::u16string FullName(int c) { return std::u16string(platform::FieldView(sensor_.channel(c).fullName)); }

    BusDeviceApi api_;
    CNI2CSensor sensor_{api_};
    std::u16string text_;
};

TEST_F(DetectSensorsTest, ResultCodesAndSummaryFollowWhatChanged)
{
    ASSERT_TRUE(api_.Plug(0, "N2H"));
    ASSERT_TRUE(api_.Plug(2, "R75"));
    EXPECT_EQ(Detect(), 1);
    EXPECT_EQ(text_, FullName(0) + u"," + FullName(2) + u",");
    EXPECT_EQ(sensor_.connected(0), 1);

    // Nothing changed: empty channels add no stale names.
    EXPECT_EQ(Detect(), 0);
    EXPECT_EQ(text_, u"");

    api_.Pull(0);
    EXPECT_EQ(Detect(), 0);
    EXPECT_EQ(text_, FullName(0));
    EXPECT_EQ(sensor_.connected(0), 0);
    EXPECT_EQ(api_.lastTable[8], 0);  // the table goes out with the channel kinds
    EXPECT_EQ(std::memcmp(api_.lastTable.data(), &sensor_.searchTable(), api_.lastTable.size()), 0);
    EXPECT_EQ(api_.lastTable[10], 2);

    // A sensor no recipe knows: not connected, nothing in the summary, -1.
    ASSERT_TRUE(api_.Plug(1, "temperature"));
    EXPECT_EQ(Detect(), -1);
    EXPECT_EQ(text_, u"");
    EXPECT_EQ(sensor_.connected(1), 0);
}

TEST_F(DetectSensorsTest, AFailedIdentifyingReadIsNoMatch)
{
    ASSERT_TRUE(api_.Plug(0, "N2H"));
    EXPECT_EQ(Detect(), 1);
    // The device now answers without a sample: the value array still holds the last answer,
    // which must not identify anything.
    api_.rule = [](const MeasureSetupBlock&, int, bool write) { return write ? Answer::Data : Answer::NoSample; };
    EXPECT_EQ(sensor_.UpdateChannel(0, 0xFFFF), 1);
    EXPECT_EQ(sensor_.connected(0), 0);
    EXPECT_EQ(sensor_.channel(0).accessIndex, -1);
}

TEST_F(DetectSensorsTest, ASilentDeviceEndsTheRecipeInsteadOfHangingIt)
{
    ASSERT_TRUE(api_.Plug(0, "N11"));
    api_.silent = true;
    auto& recipes = sensor_.catalogue().recipes();
    const auto barometer = std::find_if(recipes.begin(), recipes.end(), [](const auto& r) { return r.address == 0x77; });
    ASSERT_NE(barometer, recipes.end());
    EXPECT_EQ(sensor_.IdentifyBySearchRecipe(*barometer, 0), 0);
}

TEST_F(DetectSensorsTest, AFailedMemoryReadLeavesTheSensorNotConnected)
{
    ASSERT_TRUE(api_.Plug(3, "W75"));
    api_.rule = [](const MeasureSetupBlock& b, int c, bool write) {
        const bool imageRead = !write && b.address[c] == 0x57 && b.byteCount[c] == 8;
        return imageRead ? Answer::Refused : Answer::Data;
    };
    EXPECT_EQ(Detect(), -1);
    EXPECT_EQ(text_, u"N/A,");
    EXPECT_GE(sensor_.channel(3).accessIndex, 0);  // the file entry was found ...
    EXPECT_EQ(sensor_.connected(3), 0);            // ... but its calibration never came

    api_.rule = nullptr;
    EXPECT_EQ(sensor_.UpdateChannel(3, 0xFFFF), 1);
    EXPECT_EQ(sensor_.connected(3), 1);
    EXPECT_EQ(sensor_.channel(3).conversionKind, 26);
    EXPECT_EQ(sensor_.channel(3).adcMode, 1);
}

TEST_F(DetectSensorsTest, AdapterCalibrationFlows)
{
    ASSERT_TRUE(api_.Plug(0, "R21E"));
    ASSERT_TRUE(api_.Plug(1, "R99"));
    ASSERT_TRUE(api_.Plug(2, "R53E"));
    EXPECT_EQ(Detect(), 1);
    const auto& records = sensor_.catalogue().accessRecords();

    const ChannelState& thermo = sensor_.channel(0);
    EXPECT_EQ(thermo.conversionKind, 2);  // from the kind byte

    const ChannelState& weather = sensor_.channel(1);
    EXPECT_EQ(weather.conversionKind, 23);
    EXPECT_EQ(weather.identificationWord, 529);
    EXPECT_EQ(weather.calibration[3], 32741);  // the station's own AC4, not the default 33685
    EXPECT_EQ(records[size_t(weather.accessIndex)].byteCount, 4);

    const ChannelState& volts = sensor_.channel(2);
    EXPECT_EQ(volts.conversionKind, 19);
    EXPECT_EQ(volts.pictureIndex, 2);
    EXPECT_EQ(platform::FieldView(records[size_t(volts.accessIndex)].units[0].unit.display), u"V");
}

TEST_F(DetectSensorsTest, AnAdapterDescriptionStopsReadingAtTheFirstFailure)
{
    ASSERT_TRUE(api_.Plug(1, "R75"));
    // The adapter opens, then its memory gives nothing back.
    api_.rule = [](const MeasureSetupBlock& b, int c, bool write) {
        return !write && b.address[c] == 113 ? Answer::NoSample : Answer::Data;
    };
    const int before = api_.transactions;
    EXPECT_EQ(sensor_.ReadAdapterDescription(u"R75_VOLTAGE_10V", 1), 0);
    // Open (read, unlock), then one select and one read: no text or table is asked for after.
    EXPECT_EQ(api_.transactions - before, 4);
}

TEST_F(DetectSensorsTest, AnAdapterTheCatalogueDoesNotListDescribesItself)
{
    // The recipe's window names an id with no sensor entry: the adapter's memory describes it.
    std::string text = KitCatalogueText();
    const std::string from = "<SCC_REG_READ_UNIQUE_ID1>R75_VOLTAGE_10V</SCC_REG_READ_UNIQUE_ID1>";
    const size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, from.size(), "<SCC_REG_READ_UNIQUE_ID1>R75_OWN_ADAPTER</SCC_REG_READ_UNIQUE_ID1>");
    corviktest::TempFile file(text);
    BusDeviceApi api;
    CNI2CSensor sensor(api);
    ASSERT_EQ(sensor.LoadSensorXml(file.path()), 1);
    ASSERT_EQ(sensor.LoadCatalogue(), 1);

    ASSERT_TRUE(api.Plug(1, "R75"));
    sensor.PollSensorState();
    std::u16string summary;
    EXPECT_EQ(sensor.DetectSensors(summary), 1);
    const ChannelState& s = sensor.channel(1);
    EXPECT_EQ(s.sensorFamily, kNoType);
    EXPECT_EQ(s.accessIndex, sensor.catalogue().sensorCount() + 1);
    EXPECT_EQ(sensor.connected(1), 1);
    EXPECT_EQ(platform::FieldView(s.sensorId), u"R75_OWN_ADAPTER");
    EXPECT_EQ(platform::FieldView(s.fullName), platform::FieldView(s.name));
    EXPECT_EQ(s.conversionKind, 2);  // the adapter's kind byte
    EXPECT_EQ(s.identificationWord, 529);
    EXPECT_EQ(summary, std::u16string(platform::FieldView(s.fullName)) + u",");
    const SensorAccessRecord* record = sensor.FindSensorRecord(&s);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->address, 113);
    EXPECT_EQ(record->readType, 129);
}

TEST_F(DetectSensorsTest, UpdateChannelModes)
{
    ASSERT_TRUE(api_.Plug(0, "N11"));
    EXPECT_EQ(Detect(), 1);
    EXPECT_EQ(sensor_.channel(0).calibration[0], 408);  // the barometer's AC1

    // Mode 1 repeats the register set-up of a plain register sensor.
    sensor_.channel(0).calibration[0] = 0;
    EXPECT_EQ(sensor_.UpdateChannel(0, 1), 1);
    EXPECT_EQ(sensor_.channel(0).calibration[0], 408);

    // Without a record, or without a recipe at its address, nothing is sent.
    const int before = api_.transactions;
    sensor_.channel(0).accessIndex = -1;
    EXPECT_EQ(sensor_.UpdateChannel(0, 1), 1);
    sensor_.channel(0).accessIndex = sensor_.catalogue().sensorCount();  // a spare record, address 0
    EXPECT_EQ(sensor_.UpdateChannel(0, 1), 1);
    EXPECT_EQ(api_.transactions, before);

    EXPECT_EQ(sensor_.UpdateChannel(0, 7), 0);
    EXPECT_EQ(sensor_.UpdateChannel(4, 0), 0);
    sensor_.channel(0).gain = 3.0f;
    EXPECT_EQ(sensor_.UpdateChannel(0, 0), 1);
    EXPECT_EQ(sensor_.channel(0).gain, 1.0f);
    EXPECT_EQ(sensor_.connected(0), 0);

    EXPECT_EQ(sensor_.UpdateChannel(0, 0xFFFF), 1);  // detects again
    EXPECT_EQ(sensor_.connected(0), 1);
}

}  // namespace

namespace {

// Sensors no recipe knows make detection try every recipe on every channel: the slow case a
// silent or strange logger gives.
class DetectionAbortTest : public DetectSensorsTest {
protected:
    void SetUp() override
    {
        DetectSensorsTest::SetUp();
        ASSERT_TRUE(api_.Plug(0, "temperature"));
        ASSERT_TRUE(api_.Plug(2, "temperature"));
        sensor_.PollSensorState();
    }
};

TEST_F(DetectionAbortTest, AnAbortBetweenRecipesEndsDetectionAtOnce)
{
    int reads = 0;
    api_.rule = [&](const MeasureSetupBlock&, int, bool write) {
        if (!write && ++reads == 3)
            sensor_.RequestDetectionAbort();
        return Answer::Data;
    };
    api_.lastTable.fill(0xEE);
    EXPECT_EQ(sensor_.DetectSensors(text_), -1);
    // The recipe under way finishes; no further one starts.
    EXPECT_LE(reads, 6);
    EXPECT_EQ(api_.lastTable[0], 0xEE);  // no recognition table sent
    // The channel it was on stays present and unidentified; the one after it is untouched.
    EXPECT_EQ(sensor_.lastPresence(0), 1);
    EXPECT_EQ(sensor_.connected(0), 0);
    EXPECT_EQ(sensor_.lastPresence(2), 0);

    // The request holds until cleared; afterwards the rest of the channels are examined.
    reads = -1000000;
    EXPECT_EQ(sensor_.DetectSensors(text_), -1);
    EXPECT_EQ(reads, -1000000);
    sensor_.ClearDetectionAbort();
    EXPECT_EQ(sensor_.DetectSensors(text_), -1);
    EXPECT_GT(reads, -1000000 + 40);
    EXPECT_EQ(sensor_.lastPresence(2), 1);
    EXPECT_NE(api_.lastTable[0], 0xEE);
}

}  // namespace
