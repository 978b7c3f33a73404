// The run controller on the real device layer, sensor object, chart and working copy, against
// the simulated logger run in-process. The test thread is the screen's thread: it hands the
// worker's wake-ups to the controller and runs the status poll the root window would. (The
// paths a user takes are driven through the screen's widgets in tests/measure_screen; here the
// run notices a sensor gone by itself, with no stop from the root window.)
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include <QGuiApplication>
#include <QObject>

#include <gtest/gtest.h>

#include "devicelink/sensor/CNI2CSensor.h"
#include "logger/measure/core/MeasureController.h"
#include "logger/measure/core/SensorObjectAdapter.h"
#include "logger/measure/XYChartRunChart.h"
#include "logger/project/ProjectFile.h"
#include "MeasureTestSupport.h"
#include "tests/support/DevsimFixture.h"
#include "tests/support/LinkHelpers.h"
#include "tests/support/SensorDetection.h"
#include "uikit/chart/CNIXYChart.h"

using namespace measure;

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

class MeasureAgainstDevsim : public ::testing::Test {
protected:
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
        project = std::make_unique<project::ProjectFile>(*block, *samples, folder.string());
        ASSERT_EQ(project->NewProject(u"Test", {}), project::ProjectResult::Ok);
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
        ASSERT_TRUE(corviktest::DetectPluggedSensors(*sensor, wanted));
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
    project::DataSetRecord& Run() { return *controller->CurrentRun(); }
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
    std::unique_ptr<project::ExperimentBlock> block = std::make_unique<project::ExperimentBlock>();
    std::unique_ptr<project::SampleArrays> samples = std::make_unique<project::SampleArrays>();
    std::unique_ptr<project::ProjectFile> project;
    std::unique_ptr<MeasureController> controller;
};

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

}  // namespace
