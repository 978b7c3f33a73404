// The analysis screen's data grid over the real chart records: which columns, their headers,
// counts and number formats.
#include <cstring>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QObject>

#include "logger/analysis/DataGrid.h"
#include "platform/Text.h"
#include "tests/support/AnalysisTestSupport.h"
#include "uikit/chart/CNIXYChart.h"

using namespace analysis;

namespace {

QString Header(const uikit::TableInfo& info, int column)
{
    return QString::fromStdU16String(std::u16string(platform::FieldView(info.columnHeaders[column])));
}

class DataGridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QGuiApplication::instance()) {
            static int argc = 1;
            static char name[] = "analysis_tests";
            static char* argv[] = {name, nullptr};
            new QGuiApplication(argc, argv);
        }
        uikit::GetChartSeriesTable(chart.SeriesTable());
        chart.FreeAllSeries();
        std::memset(record.get(), 0, sizeof *record);
        record->period = 20000;
        platform::CopyToField(record->graphs[0].xLabel, u"Time (s)");
        // Channel A with two outputs (series 0 and 4), channel C with one (series 2).
        for (const int s : {0, 4, 2})
            Load(s, s == 2 ? 30 : 50);
        graph.graph = 0;
    }
    void TearDown() override { chart.FreeAllSeries(); }
    void Load(int series, int count)
    {
        std::vector<float> x(static_cast<size_t>(count)), y(static_cast<size_t>(count));
        for (int k = 0; k < count; ++k) {
            x[size_t(k)] = 0.02f * float(k);
            y[size_t(k)] = float(series) + 0.5f * float(k);
        }
        chart.AllocSeries(series, count, 0);
        chart.SetSeriesData(series, count, y.data(), x.data(), 0, -1, series, -1);
        chart.SetSeriesName(series, u"", series == 4 ? u"Dew point(degC)" : u"");
    }
    void Show(std::initializer_list<int> series)
    {
        graph.shown.clear();
        for (const int s : series)
            graph.shown.push_back({s, 1, 0, -1});
    }

    QObject owner;
    uikit::CNIXYChart chart;
    analysistest::FakeTexts texts;
    analysistest::FakeUnits units;
    GraphPresentation graph;
    std::unique_ptr<project::DataSetRecord> record = std::make_unique<project::DataSetRecord>();
};

TEST_F(DataGridTest, SampleTimeAndEveryShownRecordedSeries)
{
    record->selectedChannel = 2;
    Show({0, 16, 2, 4});
    const uikit::TableInfo info = BuildDataGrid(*record, graph, chart, texts, units);
    ASSERT_EQ(info.columnCount, 5);
    EXPECT_TRUE(info.rowNumberColumn[0]);
    EXPECT_EQ(info.columnRowCounts[0], 30);   // the selected channel's points
    EXPECT_EQ(Header(info, 1), QStringLiteral("Time (s)"));
    EXPECT_EQ(info.columnData[1], chart.Series(2)->times.get());
    EXPECT_EQ(info.columnFormats[1], 2);
    // Channel by channel, output by output; a result series is no column.
    EXPECT_EQ(info.columnData[2], chart.Series(0)->values.get());
    EXPECT_EQ(info.columnData[3], chart.Series(4)->values.get());
    EXPECT_EQ(Header(info, 3), QStringLiteral("Dew point(degC)"));
    EXPECT_EQ(info.columnData[4], chart.Series(2)->values.get());
    EXPECT_EQ(info.columnRowCounts[4], 30);
    EXPECT_EQ(info.columnFormats[2], units.Unit(*record, 0, 0).decimals);
    // A series without a name is headed by its sensor and unit.
    EXPECT_FALSE(Header(info, 2).isEmpty());
}

TEST_F(DataGridTest, OwnRatesGiveEachChannelItsTimeColumn)
{
    record->perChannelRates = 1;
    record->channelPeriod[0] = 1000;
    record->channelPeriod[2] = 2000000;
    record->selectedChannel = -1;   // none: the first shown series counts
    Show({0, 4, 2});
    const uikit::TableInfo info = BuildDataGrid(*record, graph, chart, texts, units);
    ASSERT_EQ(info.columnCount, 6);
    EXPECT_EQ(info.columnRowCounts[0], 50);
    EXPECT_EQ(info.columnData[1], chart.Series(0)->times.get());
    EXPECT_EQ(info.columnFormats[1], 3);
    EXPECT_EQ(info.columnData[2], chart.Series(0)->values.get());
    EXPECT_EQ(info.columnData[3], chart.Series(4)->values.get());
    EXPECT_EQ(info.columnData[4], chart.Series(2)->times.get());
    EXPECT_EQ(info.columnFormats[4], 0);
    EXPECT_EQ(info.columnData[5], chart.Series(2)->values.get());
}

TEST(TimeColumnFormatTest, DecimalsFollowTheSamplingPeriod)
{
    auto record = std::make_unique<project::DataSetRecord>();
    std::memset(record.get(), 0, sizeof *record);
    const struct {
        int mode, perChannel, period, channelPeriod, format;
    } cases[] = {
        {0, 0, 20000, 0, 2}, {0, 0, 100000, 0, 1}, {0, 0, 1000000, 0, 0}, {0, 0, 100, 0, 4},
        {0, 0, 3, 0, 6}, {0, 0, 0, 0, -1}, {0, 0, -5, 0, -1}, {0, 1, 20000, 1000, 3},
        {0, 1, 20000, 0, -1}, {1, 0, 20000, 0, 0}, {2, 0, 20000, 0, -1},
    };
    for (const auto& c : cases) {
        record->mode = c.mode;
        record->perChannelRates = c.perChannel;
        record->period = c.period;
        record->channelPeriod[1] = c.channelPeriod;
        EXPECT_EQ(TimeColumnFormat(*record, 1), c.format) << c.mode << " " << c.period << " " << c.channelPeriod;
    }
    record->perChannelRates = 1;
    EXPECT_EQ(TimeColumnFormat(*record, -1), -1);
    EXPECT_EQ(TimeColumnFormat(*record, 4), -1);
}

}  // namespace
