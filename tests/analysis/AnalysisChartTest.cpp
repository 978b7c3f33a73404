// The analysis core on the real chart: the engine writes the shared series records, and a
// graph handed to its chart draws its results where they belong.
#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QObject>

#include "logger/analysis/ChartSeriesTable.h"
#include "logger/analysis/GraphChartBinding.h"
#include "tests/support/AnalysisTestSupport.h"

using namespace analysis;

namespace {

void EnsureGuiApp()
{
    if (QGuiApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "analysis_tests";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}

class AnalysisChartTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGuiApp();
        uikit::GetChartSeriesTable(chart.SeriesTable());
        chart.FreeAllSeries();
        ASSERT_EQ(chart.Create(&owner, 800, 492, 0xF0F0F0, QStringLiteral("tahoma")), 1);
        chart.SetColors(0xF0F0F0, 0, 0xC8C8C8, 0xC8C8C8);
        std::memset(record.get(), 0, sizeof *record);
        record->dataSetSerial = 0x12300005;
        record->length = 10;
        record->channelRecorded[0] = 1;
        record->targetCount[0] = kPoints;
        // Channel 0 recorded: 0 .. 10 over 10 s.
        chart.AllocSeries(0, kPoints, 0x000000);
        std::vector<float> x(kPoints), y(kPoints);
        for (int k = 0; k < kPoints; ++k) {
            x[k] = 0.01f * float(k);
            y[k] = x[k];
        }
        chart.SetSeriesData(0, kPoints, y.data(), x.data(), 0, -1, 0, -1);
        model.Bind(record.get());
    }
    void TearDown() override { chart.FreeAllSeries(); }

    // Rows of the picture where `colour` appears in the plot's middle column.
    std::vector<int> RowsOf(QColor colour, int column)
    {
        const QImage* picture = chart.GetMemoryDC();
        std::vector<int> rows;
        for (int y = 0; y < picture->height(); ++y) {
            if (picture->pixelColor(column, y) == colour)
                rows.push_back(y);
        }
        return rows;
    }

    static constexpr int kPoints = 1001;
    QObject owner;
    uikit::CNIXYChart chart;
    ChartSeriesTable table{chart};
    analysistest::FakeTexts texts;
    analysistest::FakeMessages messages;
    analysistest::FakeUnits units;
    AnalysisEngine engine{table, texts, messages};
    AnalysisScreenModel model{engine, table, texts, units};
    std::unique_ptr<project::DataSetRecord> record = std::make_unique<project::DataSetRecord>();
};

TEST_F(AnalysisChartTest, AMeanLineIsDrawnAtTheDataMeanNotMidPlot)
{
    model.Activate();
    project::AnalysisSettings& set = *model.CurrentSettings();
    set.analysisType = kTypeStatistics;
    set.rangeStart = 0;
    set.rangeEnd = 201;   // mean 1.0 of data running 0 .. 10
    ApplyGraphPresentation(model.Presentation(0), chart, record->graphs[0].notes, nullptr);
    ASSERT_GT(model.Run(ErrorReport::Show), 0);
    ApplyGraphPresentation(model.Presentation(0), chart, record->graphs[0].notes, nullptr);
    chart.Redraw();

    const QRect plot = chart.PlotRect();
    const int column = plot.left() + plot.width() / 2;
    const std::vector<int> rows = RowsOf(QColor(0xFF, 0, 0), column);   // set 0 is 0x0000FF
    ASSERT_FALSE(rows.empty());
    // The data's axis runs about -0.5 .. 10.5: the mean 1.0 stands near the bottom.
    const double fraction = double(rows.front() - plot.top()) / plot.height();
    EXPECT_GT(fraction, 0.8) << rows.front();
}

TEST_F(AnalysisChartTest, TheStoredViewGoesToEveryShownSeries)
{
    model.Activate();
    model.CurrentSettings()->analysisType = kTypeLinear;
    model.CurrentSettings()->rangeEnd = 500;
    model.Run(ErrorReport::Quiet);
    record->graphs[0].viewXOffset = 0.25f;
    record->graphs[0].viewYScale = 0.5f;
    ApplyGraphPresentation(model.Presentation(0), chart, record->graphs[0].notes, nullptr);
    for (int s : {0, 16}) {
        float xo = 0, yo = 0, xs = 0, ys = 0;
        ASSERT_EQ(chart.GetSeriesTransform(s, xo, yo, xs, ys), 1);
        EXPECT_EQ(xo, 0.25f) << s;
        EXPECT_EQ(ys, 0.5f) << s;
        EXPECT_EQ(chart.IsShown(s), 1) << s;
    }
}

TEST_F(AnalysisChartTest, GraphTwoSetThreeDrawsSeries27InMagenta)
{
    model.Activate();
    record->graphCount = 3;
    model.AfterSetup(1, false);
    ASSERT_TRUE(model.SelectGraph(2));
    for (int i = 0; i < 3; ++i)
        model.AddSet();
    project::AnalysisSettings& set = *model.CurrentSettings();
    ASSERT_EQ(set.resultSeries, 27);
    set.analysisType = kTypeLinear;
    set.rangeEnd = 1000;
    ApplyGraphPresentation(model.Presentation(2), chart, record->graphs[2].notes, nullptr);
    ASSERT_GT(model.Run(ErrorReport::Show), 0);
    ApplyGraphPresentation(model.Presentation(2), chart, record->graphs[2].notes, nullptr);
    chart.Redraw();
    EXPECT_EQ(chart.Series(27)->colour, 0xFF00FFu);
    EXPECT_EQ(chart.IsShown(27), 1);
    const QRect plot = chart.PlotRect();
    bool found = false;
    for (int x = plot.left(); x < plot.right() && !found; x += 7)
        found = !RowsOf(QColor(0xFF, 0, 0xFF), x).empty();
    EXPECT_TRUE(found);
}

TEST_F(AnalysisChartTest, TickLabelsFollowTheXFactor)
{
    chart.Series(0)->xAxis.factor = 1000.0f;
    EXPECT_EQ(chart.FormatTickLabel(0.0125, 0), "12.500");
    EXPECT_EQ(table.FormatTickLabel(0, 0.0125), "12.500");
    EXPECT_EQ(table.FormatTickLabel(40, 1.0), chart.FormatTickLabel(1.0, -1));
}

}  // namespace
