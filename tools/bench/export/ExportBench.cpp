// CSV export and the HTML report at full size: formatting four channels of 1,048,576 rows, and a
// report of four data sets (four channels each) with their chart pictures, analyses and CSV files.
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QObject>

#include "logger/analysis/ChartSeriesTable.h"
#include "logger/analysis/core/AnalysisEngine.h"
#include "logger/analysis/core/AnalysisScreenModel.h"
#include "logger/export/ChartReportPictures.h"
#include "logger/export/ChartRunSeries.h"
#include "logger/export/core/CsvExport.h"
#include "logger/export/core/HtmlReport.h"
#include "logger/project/ProjectFile.h"
#include "platform/Text.h"

namespace {

namespace fs = std::filesystem;
using namespace project;
using namespace exporting;

constexpr int kRows = 1048576;

class Texts : public analysis::TextSource {
public:
    std::u16string String(int id, int) const override { return u"T" + platform::AsciiToUtf16(std::to_string(id)); }
};
class Messages : public analysis::MessageSink {
public:
    void ShowMessage(int, std::u16string_view, std::u16string_view) override {}
};
class Units : public analysis::ChannelUnitSource {
public:
    analysis::ChannelUnit Unit(const DataSetRecord&, int, int) const override
    {
        analysis::ChannelUnit unit;
        unit.decimals = 3;
        unit.minimum = -10.0f;
        unit.maximum = 40.0f;
        unit.unit = u"V";
        return unit;
    }
};

// A sensor-like signal of channel c at sample k.
float Signal(int c, int k) { return 20.0f + 5.0f * float(c) + 4.0f * std::sin(0.0007f * float(k) * float(c + 1)); }

void BM_FormatCsvFourChannelsOfAMillionRows(benchmark::State& state)
{
    std::vector<float> times(kRows);
    std::vector<float> values[4];
    for (int k = 0; k < kRows; ++k)
        times[size_t(k)] = float(k) * 0.001f;
    CsvDataSet data;
    data.projectTitle = u"Bench";
    data.runTitle = u"Run 1";
    data.sampleHeading = u"Sample";
    data.timeChannel = 0;
    for (int c = 0; c < 4; ++c) {
        values[c].resize(kRows);
        for (int k = 0; k < kRows; ++k)
            values[c][size_t(k)] = Signal(c, k);
        CsvChannel& channel = data.channels[size_t(c)];
        channel.exported = true;
        channel.times = times;
        channel.timeHeading = u"Time (s)";
        channel.timeDecimals = 3;   // 1 kHz
        channel.values.push_back({values[c], u"Channel(V)", 3});
    }
    int64_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        const CsvResult result = FormatCsv(
            data, [&bytes](const char*, size_t size) { bytes += int64_t(size); return true; }, {}, nullptr);
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes);
    state.counters["file_MB"] = double(bytes) / 1e6;
}
BENCHMARK(BM_FormatCsvFourChannelsOfAMillionRows)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The measurement chart shows the loaded set: each channel's raw entries as values / 1000 and
// times in milliseconds as seconds.
void ShowRun(const DataSetRecord& record, const SampleArrays& samples, uikit::CNIXYChart& chart,
             std::vector<float>& values, std::vector<float>& times)
{
    for (int c = 0; c < kChannelCount; ++c) {
        const int count = StoredEntryCount(record, c);
        chart.ShowSeries(c, 0);
        if (count == 0)
            continue;
        for (int k = 0; k < count; ++k) {
            values[size_t(k)] = float(int32_t(samples.rawValues[c][k])) / 1000.0f;
            times[size_t(k)] = float(samples.rawTimes[c][k]) * 0.001f;
        }
        chart.AllocSeries(c, count, 0x3134DE + 0x202020 * uint32_t(c));
        chart.SetSeriesData(c, count, values.data(), times.data(), 0, -1, c, -1);
        chart.SetSeriesName(c, u"Time (s)", u"Channel(V)");
        chart.SetYAxis(c, -10.0f, 40.0f, 1.0f, u"V");
        chart.SetXAxis(c, 0.0f, float(record.length), 1.0f, nullptr);
        chart.SetAutoScale(c, 1, 0);
        chart.ShowSeries(c, 1);
    }
}

void BM_ReportOfFourDataSetsWithPictures(benchmark::State& state)
{
    const int rows = int(state.range(0));
    std::string pattern = (fs::temp_directory_path() / "corvik-report-bench-XXXXXX").string();
    const fs::path folder = ::mkdtemp(pattern.data());
    const std::string templatePath = std::string(CORVIK_SOURCE_DIR) + "/resources/report.html";

    auto block = std::make_unique<ExperimentBlock>();
    auto samples = std::make_unique<SampleArrays>();
    ProjectFile project(*block, *samples, folder.string());
    QObject owner;
    uikit::CNIXYChart measurementChart;
    uikit::GetChartSeriesTable(measurementChart.SeriesTable());
    measurementChart.Create(&owner, 800, 415, 0xF0F0F0, QStringLiteral("tahoma"));
    uikit::CNIXYChart analysisChart;
    uikit::GetChartSeriesTable(analysisChart.SeriesTable());
    analysisChart.Create(&owner, 800, 492, 0xF0F0F0, QStringLiteral("tahoma"));
    std::vector<float> values(kRows), times(kRows);
    project.SetLoadedHandler([&] {
        if (const DataSetRecord* record = RecordAt(*block, block->currentIndex))
            ShowRun(*record, *samples, measurementChart, values, times);
    });
    project.NewProject(u"Bench", {2026, 1, 2, 3, 4, 5});

    analysis::ChartSeriesTable table(analysisChart);
    Texts texts;
    Messages messages;
    Units units;
    analysis::AnalysisEngine engine(table, texts, messages);
    analysis::AnalysisScreenModel model(engine, table, texts, units);
    for (int k = 0; k < kRunCount; ++k) {
        block->currentIndex = k;
        DataSetRecord& record = block->records[k];
        std::memset(&record, 0, sizeof record);
        InitNoteRecord(record.note);
        platform::CopyToField(record.title, u"Run " + platform::AsciiToUtf16(std::to_string(k + 1)));
        record.inUse = 1;
        record.dataSetSerial = kSerialBase + k + 1;
        record.period = 1000;
        record.rate = 1000;
        record.length = rows / 1000;
        record.elapsedMs = rows;
        for (int c = 0; c < kChannelCount; ++c) {
            record.channelRecorded[c] = 1;
            record.sampleCount[c] = rows;
            record.targetCount[c] = rows;
            for (int i = 0; i < rows; ++i) {
                samples->rawValues[c][i] = uint32_t(int32_t(Signal(c, i) * 1000.0f));
                samples->rawTimes[c][i] = i;
            }
        }
        ShowRun(record, *samples, measurementChart, values, times);
        // Two analyses in the first graph: statistics and a linear fit of channel A.
        model.Bind(&record);
        model.Activate();
        SettingsAt(record, 0, 0)->analysisType = 1;
        SettingsAt(record, 0, 0)->rangeEnd = rows;
        model.AddSet();
        SettingsAt(record, 0, 1)->analysisType = 2;
        SettingsAt(record, 0, 1)->rangeEnd = rows;
        project.SaveProject();
    }

    ChartRunSeries series(measurementChart);
    exporting::ChartReportPictures pictures(measurementChart, analysisChart, model, &owner);
    const ReportSources sources{*block, project, project.Record(), series, units, texts, model, pictures};
    const std::string chosen = (folder / "bench.html").string();
    ReportResultCode code = ReportResultCode::Written;
    for (auto _ : state)
        code = WriteHtmlReport(sources, {templatePath, chosen, u"Author", u"School"}).code;
    state.counters["written"] = code == ReportResultCode::Written ? 1 : 0;
    int64_t bytes = 0;
    for (const auto& entry : fs::directory_iterator(folder / "bench"))
        bytes += int64_t(entry.file_size());
    state.counters["report_MB"] = double(bytes) / 1e6;
    measurementChart.FreeAllSeries();
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}
BENCHMARK(BM_ReportOfFourDataSetsWithPictures)->Arg(30000)->Arg(kRows)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
