// A report of runs recorded from the simulated logger, as a user makes one: the sensors detected,
// two data sets recorded through the device API, an analysis of the first, the report written
// with real chart pictures. Its CSV files are read back by Python's csv module; the page is left
// in the build tree (test-output/report-from-devsim) to be looked at in a browser.
#include <QApplication>
#include <QImage>
#include <QObject>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include "devicelink/sensor/CNI2CSensor.h"
#include "logger/analysis/ChartSeriesTable.h"
#include "logger/analysis/core/AnalysisEngine.h"
#include "logger/analysis/LanguageTexts.h"
#include "logger/export/ChartReportPictures.h"
#include "logger/export/ChartRunSeries.h"
#include "logger/export/core/HtmlReport.h"
#include "logger/export/core/SensorChannelUnits.h"
#include "logger/project/ProjectFile.h"
#include "logger/project/RunModel.h"
#include "MeasurementChartStandIn.h"
#include "tests/support/DevsimFixture.h"
#include "tests/support/ExportTestSupport.h"
#include "tests/support/LinkHelpers.h"
#include "uikit/resources/ResourceModule.h"

namespace {

namespace fs = std::filesystem;
using namespace project;
using namespace exporting;

void EnsureApp()
{
    if (QApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "report_tests";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
}

// The sensor object as the run model sees it.
class SensorSetup : public ChannelSetupSource {
public:
    explicit SensorSetup(devicelink::CNI2CSensor& sensor) : sensor_(sensor) {}
    const ChannelStateImage* ChannelState(int channel) const override
    {
        image_[channel] = ToStateImage(sensor_.channel(channel));
        return &image_[channel];
    }
    bool IsChannelConnected(int channel) const override { return sensor_.connected(channel) == 1; }
    int32_t DefaultChannelRate(int) const override { return 10; }

private:
    devicelink::CNI2CSensor& sensor_;
    mutable ChannelStateImage image_[kChannelCount];
};

class NoMessages : public analysis::MessageSink {
public:
    void ShowMessage(int, std::u16string_view, std::u16string_view) override {}
};

class ReportFromDevsim : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApp();
        std::string error;
        ASSERT_TRUE(sim.Start(error)) << error;
        sim.PointDriverHere();
        sensor = std::make_unique<devicelink::CNI2CSensor>();
        ASSERT_EQ(sensor->LoadSensorXml(std::string(CORVIK_SOURCE_DIR) + "/resources/sensor_korean.xml"), 1);
        ASSERT_EQ(sensor->LoadCatalogue(), 1);
        ASSERT_TRUE(language.Load());
        out = fs::path(CORVIK_BINARY_DIR) / "test-output" / "report-from-devsim";
        fs::remove_all(out);
        fs::create_directories(out);
    }
    void TearDown() override
    {
        sensor.reset();
        sim.Stop();
    }

    int32_t Count(int c) { return sensor->acquisitionRequest().host.counts[c]->load(std::memory_order_acquire); }

    // A timed run of `channels` at `rate` Hz for `seconds`, stopped into a new data set.
    void RecordRun(RunModel& runs, ProjectFile& project, const std::vector<int>& channels, int32_t rate,
                   int32_t seconds)
    {
        ASSERT_EQ(runs.NewRun(), kRunDone);
        DataSetRecord& record = *runs.GetCurrentRun();
        record.rate = rate;
        record.period = 1000000 / rate;
        record.length = seconds;
        const int32_t samples = rate * seconds;
        devicelink::AcquisitionPlan plan;
        plan.interval = record.period;
        plan.lengthSeconds = seconds;
        plan.count = samples;
        for (int c : channels) {
            record.channelRecorded[c] = 1;
            record.channelRate[c] = rate;
            record.targetCount[c] = samples;
            plan.selection[c] = plan.channelFlags[c] = 1;
        }
        record.totalTarget = samples;
        runs.CopyChannelSetup();
        sensor->StartAcquisition(plan);
        ASSERT_EQ(sensor->IsRunning(), 1);
        for (int c : channels) {
            const int32_t entries = samples * sensor->FindSensorRecord(&sensor->channel(c))->registerCount;
            ASSERT_TRUE(corviktest::WaitUntil([&] { return Count(c) >= entries; }, 15000)) << Count(c);
        }
        sensor->StopAcquisition();
        const auto& host = sensor->acquisitionRequest().host;
        for (int c : channels) {
            const int32_t entries = std::min(Count(c), kMaxSampleEntries);
            std::memcpy(samples_->rawValues[c], host.values[c], size_t(entries) * 4);
            std::memcpy(samples_->rawTimes[c], host.times[c], size_t(entries) * 4);
            record.sampleCount[c] = entries;
        }
        record.inUse = 1;
        record.dataSetSerial += 1;
        record.selectedChannel = channels.front();
        record.elapsedMs = seconds * 1000;
        ASSERT_EQ(project.SaveProject(), ProjectResult::Ok);
    }

    devsim::testing::InProcessDevsim sim;
    std::unique_ptr<devicelink::CNI2CSensor> sensor;
    uikit::ResourceModule language{QString::fromStdString(std::string(CORVIK_BINARY_DIR) + "/share/" +
                                                          uikit::kLanguageModuleName)};
    std::unique_ptr<ExperimentBlock> block = std::make_unique<ExperimentBlock>();
    std::unique_ptr<SampleArrays> samples_ = std::make_unique<SampleArrays>();
    fs::path out;
};

TEST_F(ReportFromDevsim, ARecordedProjectBecomesAReportWithPicturesAndReadableCsv)
{
    ASSERT_TRUE(sim.Plug(0, "N2H sine offset=24 amplitude=3 period=6"));
    ASSERT_TRUE(sim.Plug(1, "R75 sine offset=0 amplitude=4.5 period=2"));
    ASSERT_NE(sensor->PollSensorState(), devicelink::kPollLinkLost);
    std::u16string detected;
    sensor->DetectSensors(detected);
    ASSERT_EQ(sensor->connected(0), 1);
    ASSERT_EQ(sensor->connected(1), 1);

    analysis::LanguageTexts texts(language);
    QObject owner;
    uikit::CNIXYChart measurementChart;
    uikit::GetChartSeriesTable(measurementChart.SeriesTable());
    measurementChart.Create(&owner, 800, 415, 0xF0F0F0, QStringLiteral("tahoma"));
    measurementChart.SetColors(0xF0F0F0, 0, 0xC8C8C8, 0xC8C8C8);
    measurementChart.SetLineMode(1);
    uikit::CNIXYChart analysisChart;
    uikit::GetChartSeriesTable(analysisChart.SeriesTable());
    analysisChart.Create(&owner, 800, 492, 0xF0F0F0, QStringLiteral("tahoma"));
    analysisChart.SetColors(0xF0F0F0, 0, 0xC8C8C8, 0xC8C8C8);

    ProjectFile project(*block, *samples_, out.string());
    const std::u16string timeTitle = texts.String(2104, 32);
    project.SetLoadedHandler([&] {
        if (const DataSetRecord* record = RecordAt(*block, block->currentIndex))
            reporttest::ShowRunOnChart(*sensor, *record, *samples_, measurementChart, timeTitle);
    });
    ASSERT_EQ(project.NewProject(u"물의 온도와 전압", {2026, 5, 14, 10, 30, 0}), ProjectResult::Ok);
    platform::CopyToField(project.Record().note.text, u"Group 3: the beaker warmed slowly.\nThe probe was stirred.");
    project.Record().note.textLength = 60;
    SensorSetup setup(*sensor);
    RunModel runs(*block, project, setup, {}, texts.String(2041, 32));

    RecordRun(runs, project, {0, 1}, 100, 3);
    reporttest::ShowRunOnChart(*sensor, block->records[0], *samples_, measurementChart, timeTitle);
    DataSetRecord& first = block->records[0];
    platform::CopyToField(first.note.text, u"Temperature & voltage, <stirred>.");
    first.note.textLength = 33;

    // An analysis on the first set: statistics of the temperature, then a quadratic fit of it.
    analysis::ChartSeriesTable table(analysisChart);
    NoMessages messages;
    analysis::AnalysisEngine engine(table, texts, messages);
    SensorChannelUnits units(*sensor);
    analysis::AnalysisScreenModel model(engine, table, texts, units);
    model.Bind(&first);
    ASSERT_NE(model.Activate(), analysis::EntryResult::NoData);
    AnalysisSettings& stats = *SettingsAt(first, 0, 0);
    stats.analysisType = 1;
    stats.rangeStart = 0;
    stats.rangeEnd = 300;
    platform::CopyToField(stats.memo.text, u"Mean of the whole run.");
    stats.memo.textLength = 22;
    ASSERT_EQ(model.AddSet(), analysis::AddSetResult::Added);
    AnalysisSettings& fit = *SettingsAt(first, 0, 1);
    fit.analysisType = 3;
    fit.rangeStart = 0;
    fit.rangeEnd = 300;
    fit.showEquation = 1;
    ASSERT_EQ(project.SaveProject(), ProjectResult::Ok);

    RecordRun(runs, project, {1}, 50, 2);
    reporttest::ShowRunOnChart(*sensor, block->records[1], *samples_, measurementChart, timeTitle);

    ChartRunSeries series(measurementChart);
    ChartReportPictures pictures(measurementChart, analysisChart, model, &owner);
    const ReportSources sources{*block, project, project.Record(), series, units, texts, model, pictures};
    const std::string chosen = (out / "온도실험.html").string();
    const ReportResult result = WriteHtmlReport(
        sources, {std::string(CORVIK_SOURCE_DIR) + "/resources/report.html", chosen, u"김하나", u"한빛 중학교"});
    ASSERT_EQ(result.code, ReportResultCode::Written) << result.failedPath;
    EXPECT_EQ(result.restore, ProjectResult::Ok);
    EXPECT_EQ(block->currentIndex, 1);

    const fs::path folder = out / "온도실험";
    EXPECT_EQ(exporttest::FilesIn(folder),
              (std::vector<std::string>{"온도실험.html", "온도실험_1.bmp", "온도실험_1.csv", "온도실험_11.bmp",
                                        "온도실험_12.bmp", "온도실험_2.bmp", "온도실험_2.csv"}));
    const QImage picture((folder / "온도실험_11.bmp").string().c_str());
    EXPECT_EQ(picture.size(), QSize(800, 492));
    EXPECT_EQ(QImage((folder / "온도실험_1.bmp").string().c_str()).size(), QSize(800, 415));

    const std::string page = exporttest::ReadText((folder / "온도실험.html").string());
    EXPECT_NE(page.find("<img src=\"%EC%98%A8%EB%8F%84%EC%8B%A4%ED%97%98_11.bmp\""), std::string::npos);
    EXPECT_NE(page.find("Temperature &amp; voltage, &lt;stirred&gt;."), std::string::npos);
    EXPECT_NE(page.find("<td>3 Sec</td>"), std::string::npos);

    // The CSV of the first set as a spreadsheet would read it.
    const auto rows = exporttest::ParseWithPython((folder / "온도실험_1.csv").string());
    ASSERT_TRUE(rows.has_value());
    ASSERT_EQ(rows->size(), 3u + 300u);
    EXPECT_EQ((*rows)[0][2], "CH [A]");
    EXPECT_EQ((*rows)[0][3], "CH [B]");
    EXPECT_EQ((*rows)[2][1], platform::Utf16ToUtf8(timeTitle));
    for (size_t r = 3; r < rows->size(); ++r) {
        const auto& row = (*rows)[r];
        ASSERT_EQ(row.size(), 5u);
        EXPECT_EQ(row[0], std::to_string(r - 2));
        EXPECT_NEAR(std::stod(row[1]), 0.01 * double(r - 3), 1e-6) << r;
        EXPECT_GT(std::stod(row[2]), 20.0);
        EXPECT_LT(std::stod(row[2]), 28.0);
        EXPECT_LE(std::abs(std::stod(row[3])), 4.6);
    }
}

}  // namespace
