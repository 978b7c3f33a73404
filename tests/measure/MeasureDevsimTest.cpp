// The run controller on the real device layer, sensor object, chart and working copy, against
// the simulated logger run in-process. The test thread is the screen's thread: it hands the
// worker's wake-ups to the controller and runs the status poll the root window would.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>

#include <QGuiApplication>
#include <QObject>

#include <gtest/gtest.h>

#include "tests/support/DevsimFixture.h"
#include "MeasureTestSupport.h"
#include "tests/support/LinkHelpers.h"
#include "devicelink/sensor/CNI2CSensor.h"
#include "logger/measure/XYChartRunChart.h"
#include "logger/measure/core/MeasureController.h"
#include "logger/measure/core/MeasureTexts.h"
#include "logger/measure/core/SensorObjectAdapter.h"
#include "logger/project/ProjectFile.h"
#include "uikit/chart/CNIXYChart.h"

using namespace measure;
using corviktest::WaitUntil;
using measuretest::BytesOf;
using Clock = std::chrono::steady_clock;

namespace {

void EnsureGuiApp()
{
    if (QGuiApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "measure_integration_tests";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}

int64_t MsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class MeasureAgainstDevsim : public ::testing::Test {
protected:
    explicit MeasureAgainstDevsim(devsim::DeviceOptions options = {}) : sim(options) {}

    void SetUp() override
    {
        EnsureGuiApp();
        std::string error;
        ASSERT_TRUE(sim.Start(error)) << error;
        sim.PointDriverHere();
        sensor = std::make_unique<devicelink::CNI2CSensor>();
        ASSERT_EQ(sensor->LoadSensorXml(std::string(CORVIK_SOURCE_DIR) + "/resources/sensor_korean.xml"), 1);
        ASSERT_EQ(sensor->LoadCatalogue(), 1);
        adapter = std::make_unique<SensorObjectAdapter>(sensor.get());

        uikit::GetChartSeriesTable(xyChart.SeriesTable());
        ASSERT_EQ(xyChart.Create(&owner, 800, 415, 0xF0F0F0, QStringLiteral("tahoma")), 1);
        folder = std::filesystem::temp_directory_path() /
                 ("corvik-measure-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(folder);
        project = std::make_unique<logger::ProjectFile>(*block, *samples, folder.string());
        ASSERT_EQ(project->NewProject(u"Test", {}), logger::ProjectResult::Ok);
        controller = std::make_unique<MeasureController>(*block, *samples, *project, *adapter, chart, host);
    }
    void TearDown() override
    {
        if (controller)
            controller->Shutdown();
        controller.reset();
        sensor.reset();   // closes the device
        sim.Stop();
        xyChart.FreeAllSeries();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    // Plugs kit sensors and identifies them, as the root window's poll and detection would.
    void Plug(std::initializer_list<std::pair<int, const char*>> sensors)
    {
        uint32_t wanted = 0;
        for (const auto& [c, model] : sensors) {
            sim.Command("plug " + std::to_string(c) + " " + model);
            wanted |= 1u << c;
        }
        ASSERT_TRUE(WaitUntil([&] {
            sensor->PollSensorState();
            const uint32_t word = uint32_t(sensor->statusWord());
            return (word & wanted) == wanted && ((word >> 16) & wanted) == wanted;
        }, 3000));
        std::u16string text;
        ASSERT_EQ(sensor->DetectSensors(text), 1);
        for (const auto& [c, model] : sensors)
            ASSERT_EQ(sensor->connected(c), 1) << model;
    }
    void NewRun(std::initializer_list<int> channels, int32_t rate, int32_t length)
    {
        ASSERT_TRUE(controller->NewRun());
        for (int c = 0; c < 4; ++c)
            ASSERT_TRUE(controller->SetChannel(c, false) || !adapter->IsConnected(c));
        for (int c : channels)
            ASSERT_TRUE(controller->SetChannel(c, true));
        Run().rate = rate;
        Run().length = length;
    }
    logger::DataSetRecord& Run() { return *controller->CurrentRun(); }
    bool PumpUntilIdle(int timeoutMs)
    {
        return host.PumpUntil(*controller, [&] { return controller->IsIdle(); }, timeoutMs);
    }
    void ExpectArraysAsDelivered(int c)
    {
        const devicelink::MeasureSetupHost& h = sensor->acquisitionRequest().host;
        const int32_t n = Run().sampleCount[c];
        for (int32_t i = 0; i < n; ++i) {
            ASSERT_EQ(samples->rawValues[c][i], h.values[c][i]) << c << " " << i;
            ASSERT_EQ(samples->rawTimes[c][i], h.times[c][i]) << c << " " << i;
        }
    }
    int Used(int series) const { return xyChart.Series(series)->used; }

    static inline int counter = 0;
    devsim::testing::InProcessDevsim sim;
    std::unique_ptr<devicelink::CNI2CSensor> sensor;
    std::unique_ptr<SensorObjectAdapter> adapter;
    QObject owner;
    uikit::CNIXYChart xyChart;
    XYChartRunChart chart{xyChart};
    measuretest::QueueHost host;
    std::filesystem::path folder;
    std::unique_ptr<logger::ExperimentBlock> block = std::make_unique<logger::ExperimentBlock>();
    std::unique_ptr<logger::SampleArrays> samples = std::make_unique<logger::SampleArrays>();
    std::unique_ptr<logger::ProjectFile> project;
    std::unique_ptr<MeasureController> controller;
};

// Each delivery shape the logger has, at a rate whose samples are not a whole number of the
// driver's signals (303 Hz: one signal every 60 samples).
class TimedRunInEachShape : public MeasureAgainstDevsim,
                            public ::testing::WithParamInterface<devsim::Delivery> {
protected:
    TimedRunInEachShape() : MeasureAgainstDevsim(Options()) {}
    static devsim::DeviceOptions Options()
    {
        devsim::DeviceOptions options;
        options.delivery = GetParam();
        return options;
    }
};

TEST_P(TimedRunInEachShape, EndsByItselfWithEverySample)
{
    Plug({{0, "R75"}, {1, "R72"}});
    NewRun({0, 1}, 303, 1);
    const int32_t serial = Run().dataSetSerial;
    const auto start = Clock::now();
    controller->Start();
    ASSERT_EQ(controller->State(), RunState::Acquiring);
    ASSERT_TRUE(PumpUntilIdle(4000));
    EXPECT_LE(MsSince(start), 2000);
    EXPECT_EQ(Run().targetCount[0], 303);
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(Run().sampleCount[c], 303) << c;
        ExpectArraysAsDelivered(c);
        EXPECT_EQ(Used(c), 303) << c;
    }
    EXPECT_EQ(Run().dataSetSerial, serial + 1);
    EXPECT_EQ(Run().inUse, 1);
    EXPECT_TRUE(host.messages.empty());
    // The working copy holds the run.
    const int32_t saved = project->Record().dataSize[block->currentIndex];
    EXPECT_EQ(saved, 2 * 303 * 8);
}

INSTANTIATE_TEST_SUITE_P(Shapes, TimedRunInEachShape,
                         ::testing::Values(devsim::Delivery::Block, devsim::Delivery::Sets, devsim::Delivery::Bulk,
                                           devsim::Delivery::Channel),
                         [](const auto& info) { return std::string(devsim::DeliveryName(info.param)); });

TEST_F(MeasureAgainstDevsim, AStopJoinsTheWorkerAtOnceAndTheNextRunCountsAfresh)
{
    Plug({{0, "R75"}, {1, "R72"}});
    NewRun({0, 1}, 303, 10);
    const int32_t serial = Run().dataSetSerial;
    controller->Start();
    ASSERT_TRUE(host.PumpUntil(*controller, [&] { return controller->Intake().Channel(0).points > 50; }, 3000));
    const auto stop = Clock::now();
    controller->Stop();
    EXPECT_LE(MsSince(stop), 200);
    ASSERT_TRUE(controller->IsIdle());
    const int32_t first = Run().sampleCount[0];
    EXPECT_GT(first, 50);
    EXPECT_LT(first, 3030);
    ExpectArraysAsDelivered(0);
    const int posts = host.PostCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    EXPECT_EQ(host.PostCount(), posts);   // the worker is gone

    Run().length = 1;
    controller->Start();
    ASSERT_TRUE(PumpUntilIdle(4000));
    EXPECT_EQ(Run().sampleCount[0], 303);
    EXPECT_EQ(Run().sampleCount[1], 303);
    EXPECT_EQ(Used(0), 303);
    EXPECT_EQ(Run().dataSetSerial, serial + 2);
}

TEST_F(MeasureAgainstDevsim, AbortedStartsLeaveTheRecordByteForByte)
{
    Plug({{0, "R75"}});
    NewRun({}, 303, 1);
    Run().inUse = 1;   // as if recorded before
    std::vector<uint8_t> before = BytesOf(Run());
    controller->Start();   // no channel switched on
    EXPECT_EQ(BytesOf(Run()), before);
    EXPECT_EQ(host.messages.back().text, text::kNoChannelOn);

    ASSERT_TRUE(controller->SetChannel(0, true));
    before = BytesOf(Run());
    ASSERT_TRUE(sim.AddFault("0x1000000A drop"));
    controller->Start();   // the logger never answers the start
    EXPECT_TRUE(controller->IsIdle());
    EXPECT_EQ(BytesOf(Run()), before);
    EXPECT_EQ(host.messages.back().text, text::kStartRefused);

    sensor->channel(0).triggerKind = 1;
    sensor->channel(0).triggerLevel = 1e9f;
    controller->Start();
    ASSERT_EQ(controller->State(), RunState::TriggerWait);
    for (int tick = 0; tick < 3; ++tick)
        controller->OnTimer(MeasureController::kTriggerTimer);
    EXPECT_EQ(controller->State(), RunState::TriggerWait);
    controller->Stop();
    EXPECT_EQ(BytesOf(Run()), before);
    EXPECT_EQ(host.messages.back().text, text::kStoppedBeforeTrigger);
    EXPECT_EQ(host.timers.count(MeasureController::kTriggerTimer), 0u);
}

TEST_F(MeasureAgainstDevsim, AChannelPulledMidRunEndsTheRunWithWhatItRecorded)
{
    Plug({{0, "R75"}});
    NewRun({0}, 303, 5);
    controller->Start();
    ASSERT_TRUE(host.PumpUntil(*controller, [&] { return controller->Intake().Channel(0).points > 30; }, 3000));
    sim.Command("pull 0");
    // The root window's poll and detection notice it.
    ASSERT_TRUE(host.PumpUntil(*controller, [&] {
        if (sensor->PollSensorState() == devicelink::kPollRemoved) {
            std::u16string text;
            sensor->DetectSensors(text);
        }
        return controller->IsIdle();
    }, 3000));
    const int32_t recorded = Run().sampleCount[0];
    EXPECT_GT(recorded, 30);
    EXPECT_LT(recorded, 303 * 5);
    EXPECT_EQ(Run().inUse, 1);
    EXPECT_EQ(Used(0), recorded);
    ExpectArraysAsDelivered(0);
}

TEST_F(MeasureAgainstDevsim, ManualSamplesAreNumberedFromZero)
{
    Plug({{0, "R75"}});
    NewRun({0}, 1, 25);
    Run().mode = 1;
    controller->Start();
    ASSERT_EQ(controller->State(), RunState::Manual);
    for (int press = 0; press < 3; ++press)
        controller->OnManualSampleKey();
    controller->Stop();
    ASSERT_EQ(Run().sampleCount[0], 3);
    ASSERT_EQ(Used(0), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(samples->rawTimes[0][i], i);
        EXPECT_FLOAT_EQ(xyChart.Series(0)->times[size_t(i)], float(i));
        EXPECT_NEAR(xyChart.Series(0)->values[size_t(i)], 4.5f, 0.05f);   // the probe's voltage
    }
}

class FastMeasureAgainstDevsim : public MeasureAgainstDevsim {
protected:
    FastMeasureAgainstDevsim() : MeasureAgainstDevsim(Options()) {}
    static devsim::DeviceOptions Options()
    {
        devsim::DeviceOptions options;
        options.fast = true;
        return options;
    }
};

TEST_F(FastMeasureAgainstDevsim, FourRunsThenAFifthRefused)
{
    Plug({{0, "R75"}});
    for (int k = 0; k < 4; ++k) {
        NewRun({0}, 303, 1);
        controller->Start();
        ASSERT_TRUE(PumpUntilIdle(4000)) << k;
        EXPECT_EQ(Run().sampleCount[0], 303) << k;
    }
    EXPECT_EQ(block->usedCount, 4);
    EXPECT_FALSE(controller->NewRun());
    EXPECT_EQ(host.messages.back().text, text::kFourRunsExist);
    EXPECT_EQ(block->currentIndex, 3);
}

// Each set brings its own samples back from the working copy when it is shown again.
TEST_F(FastMeasureAgainstDevsim, SwitchingSetsShowsEachSetsOwnData)
{
    Plug({{0, "R75"}, {1, "R72"}});
    NewRun({0}, 303, 1);
    controller->Start();
    ASSERT_TRUE(PumpUntilIdle(4000));
    NewRun({1}, 101, 2);
    controller->Start();
    ASSERT_TRUE(PumpUntilIdle(4000));
    ASSERT_EQ(Run().sampleCount[1], 202);
    const uint32_t secondSetWord = samples->rawValues[1][5];

    ASSERT_TRUE(controller->SelectRun(0));
    EXPECT_EQ(Run().sampleCount[0], 303);
    EXPECT_EQ(Used(0), 303);
    EXPECT_TRUE(xyChart.IsShown(0));
    EXPECT_FALSE(xyChart.IsShown(1));
    EXPECT_TRUE(controller->ChannelOn(0));
    EXPECT_FALSE(controller->ChannelOn(1));

    ASSERT_TRUE(controller->SelectRun(1));
    EXPECT_EQ(Used(1), 202);
    EXPECT_TRUE(xyChart.IsShown(1));
    EXPECT_FALSE(xyChart.IsShown(0));
    EXPECT_EQ(samples->rawValues[1][5], secondSetWord);
    EXPECT_TRUE(host.messages.empty());
}

}  // namespace
