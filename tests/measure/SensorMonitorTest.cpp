// The sensor monitor's run and passes on a scripted sensor: the test thread is the screen's.
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include <gtest/gtest.h>

#include "devicelink/sensor/SensorMemoryLayout.h"
#include "logger/monitor/core/SensorMonitor.h"
#include "MonitorTestSupport.h"
#include "platform/LittleEndian.h"

using namespace measure;
using namespace monitor;
using monitortest::FakeMonitorHost;
using monitortest::FakeMonitorSensor;

namespace {

constexpr int32_t kSharedChange = 31;
constexpr int32_t kPlain = 5;

class SensorMonitorTest : public ::testing::Test {
protected:
    // Hands the next posted wake-up to the monitor; false when none came in time.
    bool Wake(int ms = 1000)
    {
        uint32_t generation = 0;
        if (!host.NextWakeUp(generation, ms))
            return false;
        monitor.OnWakeUp(generation);
        return true;
    }
    // One pass as the screen gets it: the logger delivered, the thread posted.
    void Pass()
    {
        sensor.event.Set();
        ASSERT_TRUE(Wake());
    }
    const MonitorPanel& Panel(int c) const { return monitor.Pass().Panel(c); }

    FakeMonitorSensor sensor;
    FakeMonitorHost host{sensor};
    SensorMonitor monitor{sensor, host};
};

TEST_F(SensorMonitorTest, AChannelWithoutAValueNeitherEndsThePassNorLosesItsPanel)
{
    // A drop counter on A that saw no drop, a plain sensor on C.
    FakeMonitorSensor::Channel& a = sensor.Plug(0, kSharedChange, u"Drops", u"s", -1);
    a.convert = [](int32_t, const int32_t*, float*) { return 0; };
    sensor.Plug(2, kPlain, u"Voltage", u"V", 2);
    monitor.Show();
    ASSERT_EQ(monitor.State(), MonitorState::Running);

    for (uint32_t value : {7u, 8u, 9u}) {
        sensor.Deliver(0, {5});
        sensor.Deliver(2, {value});
        Pass();
        EXPECT_EQ(Panel(2).texts.single, platform::AsciiToUtf16(std::to_string(value) + ".00"));
    }
    EXPECT_EQ(monitor.Pass().Slots().count, 2);
    EXPECT_EQ(monitor.Pass().Slots().channel[0], 0);
    EXPECT_EQ(monitor.Pass().Slots().channel[1], 2);
    // An event sensor reads zero until its first event, under its own title.
    EXPECT_EQ(Panel(0).texts.single, u"0");
    EXPECT_EQ(Panel(0).texts.title, u"Drops (s)");
    EXPECT_EQ(Panel(2).trend, kRising);
}

TEST_F(SensorMonitorTest, AChannelNoRecordDescribesIsLeftOutAndTheOthersGoOn)
{
    sensor.Plug(0, kPlain, u"Unknown").hasRecord = false;
    sensor.Plug(1, kPlain, u"Voltage");
    monitor.Show();
    sensor.Deliver(0, {3});
    sensor.Deliver(1, {4});
    Pass();
    EXPECT_EQ(monitor.Pass().Slots().count, 1);
    EXPECT_EQ(monitor.Pass().Slots().channel[0], 1);
    EXPECT_EQ(Panel(1).texts.single, u"4.00");
    EXPECT_EQ(sensor.channels[0].converts, 0);
}

TEST_F(SensorMonitorTest, NothingOfAnEarlierRunIsTakenForANewSample)
{
    FakeMonitorSensor::Channel& c = sensor.Plug(0, kPlain, u"Voltage");
    c.record.registerCount = 2;
    monitor.Show();
    // The arrays still hold the last run's words; this start has delivered nothing yet.
    c.values[0] = 99;
    Pass();
    EXPECT_EQ(c.converts, 0);
    EXPECT_EQ(Panel(0).texts.single, u"");
    EXPECT_EQ(Panel(0).texts.title, u"Voltage (V)");
    EXPECT_EQ(monitor.Pass().Slots().count, 1);
    // Half a sample is not one either.
    sensor.Deliver(0, {1});
    Pass();
    EXPECT_EQ(c.converts, 0);
    sensor.Deliver(0, {2, 3});
    Pass();
    EXPECT_EQ(c.convertedFrom, 1);
    EXPECT_EQ(Panel(0).newestRaw, 2u);
}

TEST_F(SensorMonitorTest, ThePositionIsReadFromTheSamplesUpToTheNewestOnly)
{
    FakeMonitorSensor::Channel& gps = sensor.Plug(1, devicelink::kConvertGps, u"GPS");
    gps.record.outputCount = 3;
    gps.convert = [](int32_t, const int32_t*, float*) { return 0; };
    monitor.Show();
    struct Step {
        int32_t delivered;
        int32_t from;
        int32_t count;
    };
    for (const Step step : {Step{40, 0, 40}, Step{560, 60, 500}}) {
        while (gps.count.load() < step.delivered)
            sensor.Deliver(1, {'$'});
        Pass();
        EXPECT_EQ(gps.convertedFrom, step.from) << step.delivered;
        EXPECT_EQ(gps.convertedCount, step.count) << step.delivered;
    }
    // No sentence among them: the conversion leaves the zero fix, and the panel says so.
    EXPECT_EQ(Panel(1).texts.lines, 1);
    EXPECT_EQ(Panel(1).texts.single, u"");
    monitor.SetNoFixText(u"No fix");
    Pass();
    EXPECT_EQ(Panel(1).texts.single, u"No fix");
}

TEST_F(SensorMonitorTest, TrendFollowsTheFirstOutput)
{
    sensor.Plug(3, kPlain, u"Voltage");
    monitor.Show();
    const int expected[] = {kSteady, kRising, kRising, kSteady, kFalling};
    const uint32_t words[] = {10, 12, 15, 15, 3};
    for (int i = 0; i < 5; ++i) {
        sensor.Deliver(3, {words[i]});
        Pass();
        EXPECT_EQ(Panel(3).trend, expected[i]) << i;
    }
}

TEST_F(SensorMonitorTest, ARefusedStartLeavesNoThreadBehind)
{
    sensor.Plug(0, kPlain, u"Voltage");
    sensor.acceptStart = false;
    for (int i = 0; i < 3; ++i) {
        monitor.Show();
        EXPECT_EQ(monitor.State(), MonitorState::NotStarted);
        EXPECT_FALSE(monitor.WaiterRunning());
        EXPECT_FALSE(host.buttonsEnabled);
    }
    sensor.acceptStart = true;
    monitor.Show();
    EXPECT_EQ(monitor.State(), MonitorState::Running);
    EXPECT_TRUE(monitor.WaiterRunning());
    EXPECT_TRUE(host.buttonsEnabled);
}

TEST_F(SensorMonitorTest, StoppingEndsTimerRunAndThreadInOrderAndOutdatesQueuedWakeUps)
{
    sensor.Plug(0, kPlain, u"Voltage");
    monitor.Show();
    sensor.Deliver(0, {1});
    sensor.event.Set();
    uint32_t queued = 0;
    ASSERT_TRUE(host.NextWakeUp(queued, 1000));
    const uint32_t generationBefore = monitor.Generation();
    sensor.calls.clear();

    monitor.Stop();
    ASSERT_EQ(sensor.calls.size(), 2u);
    EXPECT_EQ(sensor.calls[0], "kill 110");
    EXPECT_EQ(sensor.calls[1], "stop");
    EXPECT_FALSE(monitor.WaiterRunning());
    EXPECT_NE(monitor.Generation(), generationBefore);

    // The wake-up posted before the stop arrives afterwards: no pass, no repaint.
    const int panels = host.panelChanges, pages = host.pageChanges;
    monitor.OnWakeUp(queued);
    EXPECT_EQ(monitor.PassCount(), 0u);
    EXPECT_EQ(host.panelChanges, panels);
    EXPECT_EQ(host.pageChanges, pages);
    // Nor after the next start, which has a generation of its own.
    monitor.Start();
    monitor.OnWakeUp(queued);
    EXPECT_EQ(monitor.PassCount(), 0u);
}

TEST_F(SensorMonitorTest, WithoutASensorTheButtonsAreOffAndTheStripBlinks)
{
    monitor.Show();
    EXPECT_EQ(monitor.State(), MonitorState::WaitingForSensor);
    EXPECT_FALSE(host.buttonsEnabled);
    EXPECT_EQ(host.timers.at(SensorMonitor::kBlinkTimer), SensorMonitor::kBlinkMs);
    EXPECT_EQ(sensor.starts, 0);
    const bool first = monitor.BlinkOn();
    monitor.OnTimer(SensorMonitor::kBlinkTimer);
    EXPECT_NE(monitor.BlinkOn(), first);
    monitor.OnTimer(SensorMonitor::kBlinkTimer);
    EXPECT_EQ(monitor.BlinkOn(), first);

    // A sensor arrives: the blinking ends with the wait.
    sensor.Plug(0, kPlain, u"Voltage");
    monitor.Show();
    EXPECT_EQ(host.timers.count(SensorMonitor::kBlinkTimer), 0u);
    EXPECT_TRUE(host.buttonsEnabled);
}

TEST_F(SensorMonitorTest, EscapePausesAfterTheFirstPassAndShowingClearsThePause)
{
    sensor.Plug(0, kPlain, u"Voltage");
    monitor.Show();
    monitor.OnEscape();  // nothing received yet
    EXPECT_EQ(monitor.State(), MonitorState::Running);

    sensor.Deliver(0, {1});
    Pass();
    monitor.OnEscape();
    EXPECT_TRUE(monitor.Paused());
    EXPECT_FALSE(monitor.WaiterRunning());
    EXPECT_FALSE(sensor.running);
    EXPECT_FALSE(host.buttonsEnabled);
    monitor.OnEscape();
    EXPECT_EQ(monitor.State(), MonitorState::Running);
    EXPECT_TRUE(host.buttonsEnabled);

    // Paused, then the user goes elsewhere and comes back: the monitor runs again.
    sensor.Deliver(0, {2});
    Pass();
    monitor.OnEscape();
    ASSERT_TRUE(monitor.Paused());
    monitor.Stop();
    monitor.Show();
    EXPECT_FALSE(monitor.Paused());
    EXPECT_EQ(monitor.State(), MonitorState::Running);
}

TEST_F(SensorMonitorTest, TheMonitorReadsTheNormalPathOfEveryChannel)
{
    FakeMonitorSensor::Channel& w = sensor.Plug(1, kPlain, u"Current");
    w.state.sensorFamily = devicelink::kWEepromType;
    w.state.adcMode = 1;
    w.state.adcFlag = 1;
    FakeMonitorSensor::Channel& r = sensor.Plug(2, kPlain, u"Voltage");
    r.state.adcFlag = 1;
    monitor.Show();
    EXPECT_EQ(w.state.adcFlag, 0);
    EXPECT_EQ(r.state.adcFlag, 1);
    for (const auto& ch : sensor.channels)
        EXPECT_EQ(ch.state.allOutputs, 1);
}

// ---- Set-up dialogs.

class SetupFromTheMonitor : public SensorMonitorTest {
protected:
    void SetUp() override
    {
        sensor.Plug(0, kPlain, u"Voltage");
        sensor.Plug(2, kPlain, u"Force");
        monitor.SetSetupDialogRunner([this](const SetupRequest& request) {
            requests.push_back(request);
            // While a dialog is open nothing of the monitor runs.
            runningDuringDialog = sensor.running || monitor.WaiterRunning();
            return answer;
        });
        monitor.Show();
        sensor.Deliver(0, {1});
        sensor.Deliver(2, {1});
        Pass();
        ASSERT_TRUE(monitor.FourPanels());
    }

    std::vector<SetupRequest> requests;
    bool runningDuringDialog = true;
    int answer = kDialogOk;
};

TEST_F(SetupFromTheMonitor, TheMonitorStopsBeforeEveryDialogAndStartsAfterWhateverTheResult)
{
    for (int result : {kDialogOk, kDialogCancel}) {
        answer = result;
        sensor.reconfigured.clear();
        const int starts = sensor.starts;
        monitor.OpenSetup();
        ASSERT_FALSE(requests.empty());
        EXPECT_EQ(requests.back().dialog, SetupDialog::ChannelSetup);
        EXPECT_FALSE(runningDuringDialog) << result;
        EXPECT_EQ(sensor.starts, starts + 1) << result;
        EXPECT_EQ(monitor.State(), MonitorState::Running) << result;
        EXPECT_EQ(sensor.reconfigured, (result == kDialogOk ? std::vector<int>{0, 2} : std::vector<int>{}));

        sensor.reconfigured.clear();
        monitor.OpenCalibration();
        EXPECT_EQ(requests.back().dialog, SetupDialog::Calibration);
        EXPECT_FALSE(runningDuringDialog) << result;
        EXPECT_EQ(sensor.starts, starts + 2) << result;
        EXPECT_EQ(sensor.reconfigured, (result == kDialogOk ? std::vector<int>{0, 2} : std::vector<int>{}));
    }
}

TEST_F(SetupFromTheMonitor, TheFunctionGeneratorOpensItsOwnDialog)
{
    platform::CopyToField(sensor.channels[2].state.modelCode, u"N19");
    monitor.OpenSetup();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].dialog, SetupDialog::FunctionGenerator);
    EXPECT_EQ(requests[0].channel, 2);
    EXPECT_TRUE(sensor.reconfigured.empty());
    EXPECT_EQ(monitor.State(), MonitorState::Running);
}

TEST_F(SetupFromTheMonitor, NothingOpensBeforeTheFirstPass)
{
    monitor.Show();
    monitor.OpenSetup();
    monitor.OpenCalibration();
    EXPECT_TRUE(requests.empty());
}

// ---- Calibration points.

TEST(CalibrationPointsTest, CountsFitTheDialogsThreeRows)
{
    namespace memory = devicelink::memory;
    struct Row {
        const char* what;
        int32_t kind;
        int32_t mode;        // 1: the sensor keeps its calibration in its own memory
        bool ownLayout;      // the image holds the two point sets (else the plain arrays)
        int32_t storedKind;  // own layout: the calibration kind and the user's kind
        int32_t secondKind;
        int32_t count;
        float firstReference;
        int32_t firstRaw;
    };
    // Plain arrays: references 10, 11, ... and raws 100, 101, ...; shipped set 20.. / 200..;
    // the user's set 30.. / 300..
    const Row rows[] = {
        {"two-point line without own memory", 20, 0, false, 0, 0, 2, 10.0f, 100},
        {"one point", 1, 0, false, 0, 0, 1, 10.0f, 100},
        {"three points", 3, 0, false, 0, 0, 3, 10.0f, 100},
        {"own memory, shipped points", 2, 1, true, 3, 0, 3, 20.0f, 200},
        {"own memory, the user's points", 20, 1, true, 2, 2, 2, 30.0f, 300},
        {"own memory without a point calibration", 3, 1, false, 0, 0, 3, 10.0f, 100},
        {"memory line with its points", 24, 1, true, 1, 1, 1, 30.0f, 300},
        {"memory line without", 24, 0, true, 1, 0, 0, 0.0f, 0},
        {"another kind", 12, 1, true, 3, 0, 0, 0.0f, 0},
    };
    for (const Row& row : rows) {
        devicelink::ChannelState state{};
        state.conversionKind = row.kind;
        state.calibrationMode = row.mode;
        const std::span<uint8_t> image(state.sensorMemory);
        if (row.ownLayout) {
            platform::WriteLE32(image, memory::kKind, uint32_t(row.storedKind));
            platform::WriteLE32(image, memory::kSecondKind, uint32_t(row.secondKind));
            for (size_t k = 0; k < 7; ++k) {
                platform::WriteLEFloat(image, memory::kFirstValues + 4 * k, 20.0f + float(k));
                platform::WriteLEFloat(image, memory::kSecondValues + 4 * k, 30.0f + float(k));
                platform::WriteLE16(image, memory::kFirstRaws + 2 * k, uint16_t(200 + k));
                platform::WriteLE16(image, memory::kSecondRaws + 2 * k, uint16_t(300 + k));
            }
        } else {
            for (size_t k = 0; k < 8; ++k) {
                platform::WriteLEFloat(image, memory::kPlainValues + 4 * k, 10.0f + float(k));
                platform::WriteLE32(image, memory::kPlainRaws + 4 * k, uint32_t(100 + k));
            }
        }

        int32_t count = -1;
        float reference[3], measured[3];
        int32_t raw[3];
        GatherChannelPoints(state, count, reference, measured, raw);
        EXPECT_EQ(count, row.count) << row.what;
        for (int32_t i = 0; i < row.count; ++i) {
            EXPECT_EQ(reference[i], row.firstReference + float(i)) << row.what;
            EXPECT_EQ(measured[i], reference[i]) << row.what;
            EXPECT_EQ(raw[i], row.firstRaw + i) << row.what;
        }
    }
}

TEST(CalibrationPointsTest, StoredRawsAreSigned16BitValues)
{
    devicelink::ChannelState state{};
    state.conversionKind = 1;
    state.calibrationMode = 1;
    const std::span<uint8_t> image(state.sensorMemory);
    platform::WriteLE32(image, devicelink::memory::kKind, 1);
    platform::WriteLE16(image, devicelink::memory::kFirstRaws, 0xFFFE);
    int32_t count = 0;
    float reference[3], measured[3];
    int32_t raw[3];
    GatherChannelPoints(state, count, reference, measured, raw);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(raw[0], -2);
}

// ---- Information pages and name strips.

TEST(InfoPageTest, OnlyAPageInTheSensorsFolderOpens)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("corvik-monitor-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "Sensors");
    std::ofstream(folder / "Sensors" / "N11.html") << "<html></html>";
    std::ofstream(folder / "secret.html") << "<html></html>";
    const std::string dir = folder.string();

    const auto page = InfoPagePath(dir, u"N11.html");
    ASSERT_TRUE(page.has_value());
    EXPECT_EQ(std::filesystem::path(*page), folder / "Sensors" / "N11.html");
    for (const std::u16string_view refused :
         {u"", u"../secret.html", u"..\\secret.html", u"sub/N11.html", u"/etc/passwd", u"N11.html\n", u"..",
          u"missing.html", u"."})
        EXPECT_FALSE(InfoPagePath(dir, refused).has_value()) << platform::Utf16ToUtf8(refused);
    std::filesystem::remove_all(folder);
}

TEST(NameStripTest, PressAndReleaseMustBothLieInsideOneStrip)
{
    SlotMap map;
    map.Add(1);
    map.Add(3);
    // Slot 0 (channel B) spans 4..396, its strip 58..108; slot 1 (channel D) 404..796.
    EXPECT_EQ(ChannelAtNameStrip(map, 0, 100, 70, 120, 80), 1);
    EXPECT_EQ(ChannelAtNameStrip(map, 0, 500, 70, 510, 100), 3);
    EXPECT_EQ(ChannelAtNameStrip(map, 0, 100, 70, 500, 70), -1);  // from one panel to the other
    EXPECT_EQ(ChannelAtNameStrip(map, 0, 4, 70, 100, 70), -1);    // on the edge
    EXPECT_EQ(ChannelAtNameStrip(map, 0, 100, 120, 100, 120), -1);  // below the strip
    EXPECT_EQ(ChannelAtNameStrip(map, 0, 100, 400, 100, 400), -1);  // slot 2 is empty
    EXPECT_EQ(ChannelAtNameStrip(map, 100, 50, 70, 50, 70), -1);    // the page is centred
    EXPECT_EQ(ChannelAtNameStrip(map, 100, 150, 70, 150, 70), 1);
}

}  // namespace
