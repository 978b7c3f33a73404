#include "tests/support/SensorDevsimFixture.h"
#include "tests/support/TestCatalogue.h"

#include "devicelink/sensor/CNI2CSensor.h"
#include "platform/Text.h"
#include "tools/devsim/KitSensors.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {


// What detection must make of each kit sensor: its conversion kind, and whether its reading can
// be checked (event and position sensors deliver no plain value).
struct Expected {
    const char* code;
    int32_t kind;
    bool reading;
};

const Expected kExpected[] = {
    {"N11", 12, true},  {"N45", 28, true},  {"N50", 15, true},  {"N56", 11, true},  {"N2H", 13, true},
    {"N76", 14, true},  {"N82", 25, true},  {"N46", 30, true},  {"N23", 33, true},  {"N24", 18, false},
    {"N13E", 31, false}, {"N19", 0, true},  {"SC_LIGHT_EEPROM", 0, true},
    {"R7JE", 21, true}, {"R7JF", 32, false}, {"R7LF", 10, true}, {"R21E", 2, true}, {"RE3E", 10, true},
    {"R55V", 20, true}, {"R53E", 19, true}, {"R97E", 17, true}, {"R99", 23, true}, {"R93", 17, true},
    {"R97", 17, true},  {"R98", 10, true},  {"R5E", 10, true},  {"R5F", 10, true},  {"R83", 10, true},
    {"R87", 10, true},  {"R84", 10, true},  {"R7H", 10, true},  {"R58", 10, true},  {"R54", 10, true},
    {"R75", 10, true},  {"R72", 10, true},  {"R55", 10, true},  {"CABL", 35, true},
    {"W7H", 26, true},  {"W75", 26, true},  {"W72", 26, true},  {"W83", 26, true},  {"W87", 26, true},
    {"W84", 26, true},  {"W82", 24, true},
};

class DetectionAgainstDevsim : public corviktest::SensorDevsimFixture {
protected:
    void SetUp() override
    {
        SensorDevsimFixture::SetUp();
        ASSERT_EQ(sensor_->LoadSensorXml(corviktest::ProjectCataloguePath()), 1);
        ASSERT_EQ(sensor_->LoadCatalogue(), 1);
    }
    // The sensor's value for its default signal, through the whole chain.
    double DefaultValue(const devsim::KitModel& model)
    {
        std::string text = model.defaultSignal;
        const size_t at = text.find("value=");
        return at == std::string::npos ? NAN : std::stod(text.substr(at + 6));
    }
};

TEST_F(DetectionAgainstDevsim, EveryKitSensorOnEveryChannelIsIdentifiedReadAndPulled)
{
    int written = 0;
    for (const Expected& e : kExpected) {
        const devsim::KitModel* model = devsim::FindKitModel(e.code);
        ASSERT_TRUE(model) << e.code;
        for (int c = 0; c < 4; ++c) {
            SCOPED_TRACE(std::string(e.code) + " on channel " + std::to_string(c));
            sim_.Command("plug " + std::to_string(c) + " " + e.code);
            ASSERT_EQ(PollUntil(devicelink::kPollPlugged), devicelink::kPollPlugged);
            std::u16string text;
            ASSERT_EQ(sensor_->DetectSensors(text), 1);
            const devicelink::ChannelState& state = sensor_->channel(c);
            EXPECT_EQ(platform::FieldToUtf8(state.modelCode), e.code);
            EXPECT_EQ(state.conversionKind, e.kind);
            EXPECT_EQ(sensor_->connected(c), 1);
            EXPECT_EQ(text, std::u16string(platform::FieldView(state.fullName)) + u",");
            EXPECT_EQ(sensor_->searchTable().channelKind[c], std::string(e.code) == "CABL" ? 1 : 2);
            ++written;

            if (e.reading) {
                float values[devicelink::kMaxOutputs] = {};
                ASSERT_EQ(sensor_->ReadCurrentValue(c, values), 1);
                const devicelink::SensorAccessRecord* record = sensor_->FindSensorRecord(&state);
                ASSERT_TRUE(record);
                EXPECT_GE(values[0], record->units[0].rangeMin);
                EXPECT_LE(values[0], record->units[0].rangeMax);
                const double expected = DefaultValue(*model);
                // Sensors whose conversion carries the signal itself come back to it.
                if (e.kind != 21 && e.kind != 25 && e.kind != 0) {
                    EXPECT_NEAR(values[0], expected, std::max(0.01, std::fabs(expected) * 0.01)) << values[0];
                }
            }

            sim_.Command("pull " + std::to_string(c));
            ASSERT_EQ(PollUntil(devicelink::kPollRemoved), devicelink::kPollRemoved);
            ASSERT_EQ(sensor_->DetectSensors(text), 0);
            EXPECT_EQ(sensor_->connected(c), 0);
            EXPECT_EQ(text, std::u16string(platform::FieldView(state.fullName)));
            EXPECT_EQ(sensor_->searchTable().channelKind[c], 0);
        }
    }
    EXPECT_EQ(written, 44 * 4);
    EXPECT_EQ(sensor_->searchTable().recipes, 44);
}

}  // namespace
