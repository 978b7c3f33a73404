// Entering the analysis screen with four graphs of four sets each over full-length series (every
// set recomputed, the charts drawn), through the screen's core and charts and through the screen
// widget itself, and painting one page of a million-row data grid.
#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QObject>
#include <QPainter>

#include "logger/analysis/CAnalyzeDlg.h"
#include "logger/analysis/ChartSeriesTable.h"
#include "logger/analysis/core/AnalysisScreenModel.h"
#include "logger/analysis/GraphChartBinding.h"
#include "platform/RegistryStore.h"
#include "platform/Text.h"
#include "uikit/common/ExperimentSource.h"
#include "uikit/table/CMyTableCtrl.h"

namespace {

constexpr int kPoints = 1048576;

class Texts : public analysis::TextSource {
public:
    std::u16string String(int, int) const override { return u"label"; }
};
class Messages : public analysis::MessageSink {
public:
    void ShowMessage(int, std::u16string_view, std::u16string_view) override {}
};
class Units : public analysis::ChannelUnitSource {
public:
    analysis::ChannelUnit Unit(const project::DataSetRecord&, int, int) const override { return {}; }
};

// The analysis types of graph g, set s: fits, statistics, integral and derivative.
constexpr int kTypes[4][4] = {
    {2, 3, 1, 10},
    {11, 5, 8, 9},
    {4, 2, 1, 10},
    {3, 6, 2, 1},
};

// Four sets in each of the four graphs, each on its own channel and type, over nearly all points.
void ConfigureFourSetsEach(analysis::AnalysisScreenModel& model, project::DataSetRecord& record)
{
    for (int g = 0; g < 4; ++g) {
        model.SelectGraph(g);
        while (model.AddSet() == analysis::AddSetResult::Added) {
        }
        for (int s = 0; s < 4; ++s) {
            project::AnalysisSettings& set = *project::SettingsAt(record, g, s);
            set.ySlot = (g + s) % 4;
            set.analysisType = kTypes[g][s];
            set.polynomialOrder = 5;
            set.integralMethod = 0;
            set.derivativeMethod = 1;
            set.rangeStart = 1000;
            set.rangeEnd = kPoints - 1000;
            set.showEquation = 1;
            model.SelectSet(s);
        }
    }
    model.SelectGraph(0);
}

// Entering the screen: every graph handed to its chart, every set recomputed, every chart drawn.
// `freshResults`: the result series have no buffers yet, as on the first entry after a recording
// (the measurement screen's chart set-up frees every series).
void EnterFourGraphsOfFourSets(benchmark::State& state, bool freshResults)
{
    QObject owner;
    uikit::CNIXYChart charts[4];
    for (auto& chart : charts) {
        uikit::GetChartSeriesTable(chart.SeriesTable());
        chart.Create(&owner, 800, 246, 0xF0F0F0, QStringLiteral("tahoma"));
        chart.SetColors(0xF0F0F0, 0, 0xC8C8C8, 0xC8C8C8);
    }
    std::vector<float> x(kPoints), y(kPoints);
    for (int c = 0; c < 4; ++c) {
        for (int k = 0; k < kPoints; ++k) {
            x[k] = 0.001f * float(k + 1);
            y[k] = 3.0f + float(c) + std::sin(0.0005f * float(k)) + 0.01f * float(k % 17);
        }
        charts[0].AllocSeries(c, kPoints, 0x000000);
        charts[0].SetSeriesData(c, kPoints, y.data(), x.data(), 0, -1, c, -1);
    }

    auto record = std::make_unique<project::DataSetRecord>();
    std::memset(record.get(), 0, sizeof *record);
    record->dataSetSerial = 0x12300001;
    record->length = 1048;
    for (int c = 0; c < 4; ++c) {
        record->channelRecorded[c] = 1;
        record->targetCount[c] = kPoints;
    }
    analysis::ChartSeriesTable table(charts[0]);
    Texts texts;
    Messages messages;
    Units units;
    analysis::AnalysisEngine engine(table, texts, messages);
    analysis::AnalysisScreenModel model(engine, table, texts, units);
    model.Bind(record.get());
    model.Activate();
    record->graphCount = 4;
    model.AfterSetup(1, false);
    ConfigureFourSetsEach(model, *record);

    double computeSeconds = 0.0;
    double drawSeconds = 0.0;
    auto enter = [&](bool timed) {
        const auto begin = std::chrono::steady_clock::now();
        model.Activate();
        for (int g = 0; g < 4; ++g)
            analysis::ApplyGraphPresentation(model.Presentation(g), charts[g], record->graphs[g].notes, nullptr);
        const int lines = model.RecomputeShownSets();
        const auto computed = std::chrono::steady_clock::now();
        for (int g = 0; g < 4; ++g) {
            analysis::ApplyGraphPresentation(model.Presentation(g), charts[g], record->graphs[g].notes, nullptr);
            charts[g].Redraw();
        }
        if (timed) {
            computeSeconds += std::chrono::duration<double>(computed - begin).count();
            drawSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - computed).count();
        }
        benchmark::DoNotOptimize(lines);
    };
    enter(false);
    for (auto _ : state) {
        if (freshResults) {
            state.PauseTiming();
            for (int s = 16; s < 32; ++s)
                uikit::FreeSeriesBuffers(*charts[0].Series(s));
            state.ResumeTiming();
        }
        enter(true);
    }
    state.counters["compute_ms"] = benchmark::Counter(computeSeconds * 1e3, benchmark::Counter::kAvgIterations);
    state.counters["draw_ms"] = benchmark::Counter(drawSeconds * 1e3, benchmark::Counter::kAvgIterations);
    int shown = 0;
    for (int g = 0; g < 4; ++g)
        for (int s = 0; s < 4; ++s)
            shown += project::SettingsAt(*record, g, s)->resultShown;
    state.counters["results"] = shown;
    charts[0].FreeAllSeries();
}
void BM_EnterFourGraphsOfFourSets(benchmark::State& state) { EnterFourGraphsOfFourSets(state, false); }
void BM_FirstEntryAfterARecording(benchmark::State& state) { EnterFourGraphsOfFourSets(state, true); }
BENCHMARK(BM_EnterFourGraphsOfFourSets)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FirstEntryAfterARecording)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The measurement screen as the analysis screen reaches it: the block in screen slot 3.
class Recording : public QWidget, public uikit::ExperimentSource {
public:
    explicit Recording(QWidget* parent) : QWidget(parent)
    {
        std::memset(block.get(), 0, sizeof *block);
        uikit::CVRDCommonBase::SetScreen(uikit::kSlotMeasurement, this);
    }
    project::ExperimentBlock* ExperimentData() override { return block.get(); }
    project::SampleArrays* SampleData() override { return nullptr; }
    std::unique_ptr<project::ExperimentBlock> block = std::make_unique<project::ExperimentBlock>();
};

// The same entry through the screen itself, as the root window enters it: ActivateAnalysis and
// the paint that shows it (two of the four graphs are in view).
void BM_EnterTheAnalysisScreen(benchmark::State& state)
{
    platform::MemoryRegistryStore registry;
    platform::SetProcessRegistry(&registry);
    uikit::CVRDCommonBase::InitGlobals();
    {
        QWidget root;
        root.resize(800, 600);
        auto* recording = new Recording(&root);
        auto* screen = new analysis::CAnalyzeDlg(&root, shell::ScreenServices{});
        root.show();

        uikit::CNIXYChart loader;
        uikit::GetChartSeriesTable(loader.SeriesTable());
        std::vector<float> x(kPoints), y(kPoints);
        project::DataSetRecord& record = recording->block->records[0];
        record.inUse = 1;
        record.dataSetSerial = 0x12300001;
        record.length = 1048;
        for (int c = 0; c < 4; ++c) {
            for (int k = 0; k < kPoints; ++k) {
                x[k] = 0.001f * float(k + 1);
                y[k] = 3.0f + float(c) + std::sin(0.0005f * float(k)) + 0.01f * float(k % 17);
            }
            loader.AllocSeries(c, kPoints, 0x000000);
            loader.SetSeriesData(c, kPoints, y.data(), x.data(), 0, -1, c, -1);
            record.channelRecorded[c] = 1;
            record.targetCount[c] = kPoints;
        }
        screen->ActivateAnalysis();
        analysis::AnalysisScreenModel& model = screen->Model();
        record.graphCount = 4;
        model.AfterSetup(1, false);
        ConfigureFourSetsEach(model, record);
        screen->ActivateAnalysis();
        for (auto _ : state) {
            screen->ActivateAnalysis();
            screen->repaint();
        }
        int shown = 0;
        for (int g = 0; g < 4; ++g)
            for (int s = 0; s < 4; ++s)
                shown += project::SettingsAt(record, g, s)->resultShown;
        state.counters["results"] = shown;
    }
    uikit::CVRDCommonBase::Shutdown();
    platform::SetProcessRegistry(nullptr);
}
BENCHMARK(BM_EnterTheAnalysisScreen)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_PaintTablePage(benchmark::State& state)
{
    std::vector<float> columns[4];
    uikit::TableInfo info;
    info.columnCount = 5;
    platform::CopyToField(info.columnHeaders[0], u"Sample");
    info.rowNumberColumn[0] = true;
    info.columnRowCounts[0] = kPoints;
    for (int c = 0; c < 4; ++c) {
        columns[c].resize(kPoints);
        for (int k = 0; k < kPoints; ++k)
            columns[c][k] = std::sin(0.001f * float(k * (c + 1))) * 100.0f;
        platform::CopyToField(info.columnHeaders[c + 1], u"Channel (unit)");
        info.columnData[c + 1] = columns[c].data();
        info.columnRowCounts[c + 1] = kPoints;
        info.columnFormats[c + 1] = 3;
    }
    QFont font;
    font.setPixelSize(15);
    uikit::CMyTableCtrl table;
    table.SetTableFont(&font);
    table.resize(400, 492);
    table.SetTableInfo(info);
    table.SelectRow(700000);
    QImage picture(table.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&picture);
        table.Paint(painter, picture.size());
    }
    state.counters["rows"] = table.VisibleDataRows();
}
BENCHMARK(BM_PaintTablePage)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The programs' data folder, where the screen finds its language and bitmap modules.
    QDir::setCurrent(QStringLiteral(CORVIK_DATA_DIR));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
