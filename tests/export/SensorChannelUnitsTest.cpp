#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "devicelink/sensor/OutputUnit.h"
#include "logger/export/core/SensorChannelUnits.h"
#include "tests/support/PlainSensor.h"

using namespace project;
using namespace exporting;

namespace {

// A two-output sensor whose second output is shown in the unit its unit choice picks.
class SensorChannelUnitsTest : public ::testing::Test {
protected:
    SensorChannelUnitsTest()
    {
        devicelink::SensorAccessRecord& r = corviktest::DescribePlainSensor(sensor, 1, "R99");
        r.outputCount = 2;
        r.outputUnits[1][0] = 2;
        r.outputUnits[1][1] = 3;
        r.outputUnits[1][2] = 9;   // no such unit
        for (int u = 0; u < 3; ++u) {
            r.units[u].significantDigits = u + 1;
            r.units[u].rangeMin = -float(u);
            r.units[u].rangeMax = float(10 * (u + 1));
            platform::CopyToField(r.units[u].unit.display, platform::AsciiToUtf16("u" + std::to_string(u)));
        }
        platform::CopyToField(r.outputNames[1], u"Second");
        devicelink::ChannelState& state = sensor.channel(1);
        platform::CopyToField(state.name, u"Probe");
        state.unitChoice[1] = 1;
        std::memset(record.get(), 0, sizeof *record);
        record->channels[1] = ToStateImage(state);
    }

    devicelink::CNI2CSensor sensor;
    std::unique_ptr<DataSetRecord> record = std::make_unique<DataSetRecord>();
};

TEST_F(SensorChannelUnitsTest, AnOutputTakesTheUnitItsChoicePicks)
{
    SensorChannelUnits units(sensor);
    const analysis::ChannelUnit second = units.Unit(*record, 1, 1);
    EXPECT_EQ(second.decimals, 3);
    EXPECT_EQ(second.unit, u"u2");
    EXPECT_FLOAT_EQ(second.maximum, 30.0f);
    EXPECT_EQ(second.sensorName, u"Probe");
    EXPECT_EQ(second.valueName, u"Second");
    EXPECT_EQ(second.valueCount, 2);
    EXPECT_EQ(units.Unit(*record, 1, 0).decimals, 1);

    // Choices and outputs from a damaged file stay inside the record.
    devicelink::ChannelState state = sensor.channel(1);
    const devicelink::SensorAccessRecord& r = sensor.catalogue().accessRecords()[1];
    state.unitChoice[1] = 2;
    EXPECT_EQ(devicelink::OutputUnitIndex(r, state, 1), 0);
    state.unitChoice[1] = 77;
    EXPECT_EQ(devicelink::OutputUnitIndex(r, state, 1), 0);
    EXPECT_EQ(devicelink::OutputUnitIndex(r, state, -3), 0);
    // A channel with no sensor the catalogue knows keeps the defaults.
    EXPECT_EQ(units.Unit(*record, 0, 0).decimals, analysis::ChannelUnit{}.decimals);
    EXPECT_EQ(units.Unit(*record, 7, 0).unit, u"");
}

}  // namespace
