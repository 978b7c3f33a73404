// The sensor monitor's texts by conversion kind, without a sensor.
#include <cstring>

#include <gtest/gtest.h>

#include "logger/monitor/core/MonitorTextRules.h"
#include "MonitorTestSupport.h"

using namespace measure;
using namespace monitor;
using monitortest::U;

namespace {

// A sensor of `outputs` outputs; output i's unit choices are entries `units[i]` (1-based numbers).
struct Sensor {
    devicelink::ChannelState state{};
    devicelink::SensorAccessRecord record{};

    Sensor(int32_t kind, int outputs, const char* name)
    {
        state.conversionKind = kind;
        platform::CopyToField(state.name, U(name));
        record.outputCount = outputs;
        for (int i = 0; i < outputs; ++i)
            record.outputUnits[i][0] = i + 1;
    }
    Sensor& Unit(int entry, const char* display, int32_t digits)
    {
        monitortest::FakeMonitorSensor::SetUnit(record, entry, U(display), digits);
        return *this;
    }
    PanelTexts Texts(std::initializer_list<float> values, const char* noFix = "No fix") const
    {
        float outputs[kPanelValues] = {};
        std::copy(values.begin(), values.end(), outputs);
        return ComposePanelTexts(state, record, outputs, U(noFix));
    }
};

TEST(MonitorTextRules, PatternsAreFilledInOnePass)
{
    const std::u16string_view args[] = {u"Gate %1 %2", u"s"};
    EXPECT_EQ(FillPattern(u"%1 (%2)", args), u"Gate %1 %2 (s)");
    EXPECT_EQ(FillPattern(u"100% %3 %", args), u"100% %3 %");
    EXPECT_EQ(FillPattern(u"%1%2%1", args), u"Gate %1 %2sGate %1 %2");
}

TEST(MonitorTextRules, TheVectorSensorAddsItsLengthInDisplayFormZeroOnly)
{
    Sensor s(11, 3, "Magnet");
    s.Unit(0, "mT", 2).Unit(1, "mT", 2).Unit(2, "mT", 2);
    PanelTexts t = s.Texts({3.0f, 4.0f, 12.0f});
    EXPECT_EQ(t.lines, 4);
    EXPECT_EQ(t.values[0], u"3.00");
    EXPECT_EQ(t.values[2], u"12.00");
    EXPECT_EQ(t.values[3], u"13.00");
    EXPECT_EQ(t.title, u"Magnet (mT)");

    for (int form : {1, 2}) {
        s.state.sensorTypeCode = form;
        t = s.Texts({3.0f, 4.0f, 12.0f});
        EXPECT_EQ(t.lines, 3) << form;
        EXPECT_EQ(t.values[3], u"") << form;
    }
}

TEST(MonitorTextRules, KindsByTheirRows)
{
    struct Row {
        const char* what;
        int32_t kind;
        int outputs;
        int32_t selectedOutput;
        std::initializer_list<float> values;
        std::u16string title;
        std::u16string first;
        std::u16string second;
        int lines;
    };
    const Row rows[] = {
        {"pressure: three units in the title", 12, 3, 0, {1013.25f, 12.0f, 21.5f}, u"Air (hPa/m/°C)", u"1013.25",
         u"12.0", 3},
        {"colour: the second output first", 15, 4, 1, {10.0f, 20.0f, 30.0f, 40.0f}, u"Air (m)", u"20.0", u"10.00",
         4},
        {"force: first unit", 16, 1, 0, {2.5f}, u"Air (hPa)", u"2.50", u"", 1},
        {"humidity: three units", 17, 3, 0, {55.0f, 21.0f, 11.0f}, u"Air (hPa/m/°C)", u"55.00", u"21.0", 3},
        {"weather: four outputs", 23, 4, 0, {1.0f, 2.0f, 3.0f, 4.0f}, u"Air (hPa/m/°C/hpa)", u"1.00", u"2.0", 4},
        {"seven-point table: first unit", 29, 1, 0, {7.0f}, u"Air (hPa)", u"7.00", u"", 1},
        {"bare cable: nothing to show", 35, 1, 0, {0.5f}, u"Air", u"0.50", u"", 1},
        {"any other kind: selected unit", 5, 1, 0, {1.5f}, u"Air (hPa)", u"1.50", u"", 1},
    };
    for (const Row& row : rows) {
        Sensor s(row.kind, row.outputs, "Air");
        s.Unit(0, "hPa", 2).Unit(1, "m", 1).Unit(2, "°C", 1).Unit(3, "%", 0);
        s.state.selectedOutput = row.selectedOutput;
        const PanelTexts t = s.Texts(row.values);
        EXPECT_EQ(t.title, row.title) << row.what;
        EXPECT_EQ(t.lines, row.lines) << row.what;
        if (row.lines == 1) {
            EXPECT_EQ(t.single, row.kind == 35 ? u"N/A" : row.first) << row.what;
        } else {
            EXPECT_EQ(t.values[0], row.first) << row.what;
        }
        if (row.kind == 12 || row.kind == 15 || row.kind == 17) {
            EXPECT_EQ(t.values[1], row.second) << row.what;
        }
        if (row.kind == 12 || row.kind == 17 || row.kind == 29) {
            EXPECT_EQ(t.values[3], u"") << row.what;
        }
    }
}

TEST(MonitorTextRules, ForceSensorNamesItsOptionalUnit)
{
    for (int32_t kind : {16, 28}) {
        Sensor s(kind, 1, "Force");
        s.Unit(0, "N", 2).Unit(1, "kgf", 3);
        s.record.outputUnits[0][1] = 2;
        EXPECT_EQ(s.Texts({1.0f}).title, u"Force (N)") << kind;
        s.state.unitChoice[0] = 1;
        const PanelTexts t = s.Texts({1.0f});
        EXPECT_EQ(t.title, u"OPT.W Force (kgf)") << kind;
        EXPECT_EQ(t.single, u"1.000") << kind;
    }
}

TEST(MonitorTextRules, PositionGetsItsOwnDigitsWithoutTouchingTheCatalogue)
{
    Sensor s(18, 3, "GPS");
    s.Unit(0, "°", 5).Unit(1, "m", 0);
    s.record.outputUnits[1][0] = 1;
    s.record.outputUnits[2][0] = 2;
    const devicelink::SensorAccessRecord before = s.record;

    PanelTexts t = s.Texts({37.56654f, 126.97797f, 38.6f});
    EXPECT_EQ(t.lines, 3);
    EXPECT_EQ(t.values[0], u"37.567 °");
    EXPECT_EQ(t.values[1], u"126.978 °");
    EXPECT_EQ(t.values[2], u"38 m");
    EXPECT_EQ(t.title, u"GPS (°/ °/ m)");
    // The measurement screen and the export format with the catalogue's digits.
    EXPECT_EQ(std::memcmp(&before, &s.record, sizeof before), 0);
    EXPECT_EQ(s.record.units[0].significantDigits, 5);

    t = s.Texts({0.0f, 0.0f, 0.0f}, "No fix yet");
    EXPECT_EQ(t.lines, 1);
    EXPECT_EQ(t.single, u"No fix yet");
}

TEST(MonitorTextRules, UnitNumberZeroMeansNoUnit)
{
    // The catalogue names no unit for the selected output's choice: no unit -1 is read, the
    // value takes the general form and the title no empty brackets.
    Sensor s(5, 1, "Probe");
    s.Unit(0, "V", 2);
    s.record.outputUnits[0][0] = 0;
    PanelTexts t = s.Texts({1.25f});
    EXPECT_EQ(t.single, u"1.25");
    EXPECT_EQ(t.title, u"Probe");

    // Pressure with no units at all, and a unit number past the record's eight.
    Sensor p(12, 3, "Air");
    p.Unit(0, "hPa", 2).Unit(1, "m", 1).Unit(2, "°C", 1);
    p.record.outputUnits[0][0] = 0;
    p.record.outputUnits[1][0] = 0;
    p.record.outputUnits[2][0] = 9;
    t = p.Texts({1.0f, 2.0f, 3.0f});
    EXPECT_EQ(t.title, u"Air");
    EXPECT_EQ(t.values[2], u"3");
}

TEST(MonitorTextRules, CopiesFromProjectFilesAreBounded)
{
    Sensor s(11, 3, "Magnet");
    s.Unit(0, "mT", 1);
    s.record.outputCount = 40;  // more outputs than a panel shows
    s.state.selectedOutput = -7;
    s.state.unitChoice[0] = 1000;
    s.state.unitChoice[1] = -3;
    s.record.outputUnits[0][3] = 1;
    s.record.outputUnits[1][0] = 1;
    const PanelTexts t = s.Texts({1.0f, 2.0f, 2.0f});
    EXPECT_EQ(t.lines, 4);
    EXPECT_EQ(t.values[0], u"1.0");
    EXPECT_EQ(t.values[1], u"2.0");
    EXPECT_EQ(t.values[3], u"3.0");
    EXPECT_EQ(t.title, u"Magnet (mT)");
}

}  // namespace
