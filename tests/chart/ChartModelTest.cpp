#include "ChartTestSupport.h"

#include <bit>
#include <cmath>
#include <vector>

using charttest::ChartTest;
using uikit::ChartSeries;

namespace {

std::vector<float> Ramp(int count, float from)
{
    std::vector<float> v(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        v[size_t(i)] = from + float(i);
    return v;
}

}  // namespace

using ChartModel = ChartTest;

TEST_F(ChartModel, AllocationLimitsAndSeriesIndexes)
{
    EXPECT_EQ(chart.AllocSeries(0, 0x100000, 0xFF), 1);
    EXPECT_EQ(chart.Series(0)->capacity, 0x100000);
    EXPECT_EQ(chart.AllocSeries(1, 0x100001, 0xFF), 0);
    EXPECT_EQ(chart.AllocSeries(32, 10, 0xFF), 0);
    EXPECT_EQ(chart.AllocSeries(-2, 10, 0xFF), 0);
    EXPECT_EQ(chart.AllocSeries(2, -1, 0xFF), 0);

    // -1 names the current series; other negatives are refused everywhere.
    chart.SetCurrentSeries(5);
    EXPECT_EQ(chart.AllocSeries(-1, 10, 0x123456), 1);
    EXPECT_EQ(chart.Series(5)->colour, 0x123456u);
    const float v[3] = {1, 2, 3};
    EXPECT_EQ(chart.SetSeriesData(32, 3, v, v, 0, -1, 0, -1), -1);
    EXPECT_EQ(chart.SetSeriesData(-2, 3, v, v, 0, -1, 0, -1), -1);
    EXPECT_EQ(chart.AppendSeriesData(32, 3, v, v, 0, -1, 0, -1), -1);
    EXPECT_EQ(chart.AppendSeriesData(-3, 3, v, v, 0, -1, 0, -1), -1);
    EXPECT_EQ(chart.AppendSeriesData(-1, 3, v, v, 0, -1, 0, -1), 5);
    EXPECT_EQ(chart.Series(5)->used, 3);
    chart.ShowSeries(-2, 1);
    chart.ShowSeries(40, 1);
    EXPECT_EQ(chart.IsShown(-2), 0);
    chart.SetCurrentSeries(-1);  // a data set with no selected channel
    EXPECT_EQ(chart.Series(-1), nullptr);
}

TEST_F(ChartModel, SetSeriesDataCopiesUpToCapacity)
{
    ASSERT_EQ(chart.AllocSeries(3, 5, 0), 1);
    const std::vector<float> values = Ramp(10, 100.0f), times = Ramp(10, 0.0f);
    EXPECT_EQ(chart.SetSeriesData(3, 10, values.data(), times.data(), 2, 77, 1, 7), 3);
    const ChartSeries& s = *chart.Series(3);
    EXPECT_EQ(s.used, 5);
    EXPECT_EQ(s.values[0], 102.0f);
    EXPECT_EQ(s.times[4], 6.0f);
    EXPECT_EQ(s.link, 7);
}

TEST_F(ChartModel, AppendNormalAndStripCases)
{
    ASSERT_EQ(chart.AllocSeries(0, 100, 0), 1);
    ChartSeries& s = *chart.Series(0);
    const std::vector<float> first = Ramp(95, 0.0f);
    chart.AppendSeriesData(0, 95, first.data(), first.data(), 0, -1, 0, -1);
    EXPECT_EQ(s.used, 95);

    // 10 points at 95: 5 fit, used stops at the capacity.
    const std::vector<float> more = Ramp(10, 1000.0f);
    chart.AppendSeriesData(0, 10, more.data(), more.data(), 95, -1, 0, -1);
    EXPECT_EQ(s.used, 100);
    EXPECT_EQ(s.values[99], 1004.0f);
    EXPECT_EQ(s.times[95], 1000.0f);

    // Overwriting inside never shrinks `used`.
    chart.AppendSeriesData(0, 5, more.data(), more.data(), 10, -1, 0, -1);
    EXPECT_EQ(s.used, 100);

    // A full strip: values move left by the new count, X stays.
    const float oldValue10 = s.values[10];
    const float oldTime0 = s.times[0];
    const std::vector<float> strip = Ramp(10, 5000.0f);
    chart.AppendSeriesData(0, 10, strip.data(), nullptr, 101, -1, 0, -1);
    EXPECT_EQ(s.used, 100);
    EXPECT_EQ(s.values[0], oldValue10);
    EXPECT_EQ(s.values[90], 5000.0f);
    EXPECT_EQ(s.values[99], 5009.0f);
    EXPECT_EQ(s.times[0], oldTime0);

    // Position == capacity is the strip case too (the batch is not dropped).
    chart.AppendSeriesData(0, 1, strip.data(), nullptr, 100, -1, 0, -1);
    EXPECT_EQ(s.values[99], 5000.0f);

    // More new points than the capacity: only the last 100 stay, nothing is written before the buffer.
    const std::vector<float> flood = Ramp(150, 0.0f);
    chart.AppendSeriesData(0, 150, flood.data(), nullptr, 100, -1, 0, -1);
    EXPECT_EQ(s.used, 100);
    EXPECT_EQ(s.values[0], 50.0f);
    EXPECT_EQ(s.values[99], 149.0f);
}

TEST_F(ChartModel, AppendToUnallocatedOrBadArgumentsDoesNothing)
{
    const float v[2] = {1, 2};
    EXPECT_EQ(chart.AppendSeriesData(4, 2, v, v, 0, -1, 0, -1), 4);
    EXPECT_EQ(chart.Series(4)->used, 0);
    EXPECT_EQ(chart.Series(4)->hasData, 0);
    ASSERT_EQ(chart.AllocSeries(4, 10, 0), 1);
    chart.AppendSeriesData(4, 2, v, v, -5, -1, 0, -1);
    chart.AppendSeriesData(4, -2, v, v, 0, -1, 0, -1);
    chart.AppendSeriesData(4, 2, nullptr, v, 0, -1, 0, -1);
    EXPECT_EQ(chart.Series(4)->used, 0);
}

TEST_F(ChartModel, AutoScaleStartsFromSentinelBitPatterns)
{
    ASSERT_EQ(chart.AllocSeries(2, 10, 0), 1);
    chart.SetAutoScale(2, 1, 1);
    const ChartSeries& s = *chart.Series(2);
    EXPECT_EQ(std::bit_cast<uint32_t>(s.yAxis.dataMinimum), 0x7F7FFFEEu);
    EXPECT_EQ(std::bit_cast<uint32_t>(s.yAxis.dataMaximum), 0xFF7FFFEEu);
    EXPECT_EQ(std::bit_cast<uint32_t>(s.xAxis.dataMinimum), 0x7F7FFFEEu);
}

TEST_F(ChartModel, MarginsOnlyForTheFirstFourSeries)
{
    chart.SetSeriesMargin(2, 10.0f, 0.0f, 8.0f);
    EXPECT_FLOAT_EQ(chart.Series(2)->margin, 0.8f);
    chart.SetSeriesMargin(4, 0.0f, 10.0f, 8.0f);
    EXPECT_EQ(chart.Series(4)->margin, 0.0f);
}

TEST_F(ChartModel, SelectionRangeIsOrderedAndBounded)
{
    ChartSeries& s = *chart.Series(6);
    s.selectionFirst = 7;
    s.selectionLast = 3;
    int first = -1, last = -1;
    EXPECT_EQ(chart.GetSelectionRange(6, first, last), 0);  // zoom is off
    EXPECT_EQ(first, 3);
    EXPECT_EQ(last, 7);
    EXPECT_EQ(chart.CurrentSeries(), 6);

    s.selectionFirst = 0x100000;  // outside 0..0xFFFFF
    s.selectionLast = 0;
    EXPECT_EQ(chart.GetSelectionRange(6, first, last), 0);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 0);
    EXPECT_EQ(s.selectionFirst, 0);
}

TEST_F(ChartModel, ZoomRectangleIsNormalisedAndTinyOnesIgnored)
{
    chart.SetZoomRect(1, 50, 40, 10, 20);
    EXPECT_EQ(chart.IsZoomOn(), 1);
    chart.SetZoomRect(1, 10, 10, 11, 40);
    EXPECT_EQ(chart.IsZoomOn(), 0);
    chart.SetZoomRect(0, 10, 10, 50, 40);
    EXPECT_EQ(chart.IsZoomOn(), 0);
}

TEST_F(ChartModel, ResetClearsTransformsAndZoom)
{
    chart.SetSeriesTransform(3, 0.25f, 0.5f, 2.0f, 4.0f);
    float xo = 0, yo = 0, xs = 0, ys = 0;
    chart.SetZoomRect(1, 10, 10, 50, 50);
    chart.ResetTransforms();
    chart.GetSeriesTransform(3, xo, yo, xs, ys);
    EXPECT_EQ(xo, 0.0f);
    EXPECT_EQ(xs, 1.0f);
    EXPECT_EQ(chart.IsZoomOn(), 0);
    EXPECT_EQ(chart.GetSeriesTransform(33, xo, yo, xs, ys), 0);
}

TEST_F(ChartModel, ChartsShareRecordsAndNeverFreeThemOnDestruction)
{
    Create();
    AddSeries(0, 50, 0xFF, [](int i) { return i % 10; });
    const float* buffer = chart.Series(0)->values.get();
    {
        uikit::CNIXYChart other;
        uikit::GetChartSeriesTable(other.SeriesTable());
        EXPECT_EQ(other.Series(0), chart.Series(0));
        EXPECT_EQ(other.Series(0)->used, 50);
    }
    // The other chart is gone; the shared buffers are intact.
    EXPECT_EQ(chart.Series(0)->values.get(), buffer);
    EXPECT_EQ(chart.Series(0)->values[9], 9.0f);
    chart.Redraw();

    // Freeing from one chart leaves every chart with a consistent, empty record.
    uikit::CNIXYChart other;
    uikit::GetChartSeriesTable(other.SeriesTable());
    other.FreeAllSeries();
    EXPECT_EQ(chart.Series(0)->capacity, 0);
    EXPECT_EQ(chart.Series(0)->used, 0);
    EXPECT_EQ(chart.Series(0)->values.get(), nullptr);
    chart.Redraw();
}

TEST_F(ChartModel, CreateNeedsAnOwnerAndAttachResizesThePicture)
{
    EXPECT_EQ(chart.Create(nullptr, 100, 100, 0, QStringLiteral("tahoma")), 0);
    EXPECT_EQ(chart.GetMemoryDC(), nullptr);
    Create(300, 150);
    ASSERT_NE(chart.GetMemoryDC(), nullptr);
    EXPECT_EQ(chart.Attach(&owner, 320, 160), 1);
    EXPECT_EQ(chart.GetMemoryDC()->size(), QSize(320, 160));
}

TEST_F(ChartModel, OrderedTimesAreTrackedThroughSetAndAppend)
{
    ASSERT_EQ(chart.AllocSeries(1, 100, 0), 1);
    const std::vector<float> ramp = Ramp(50, 0.0f);
    chart.SetSeriesData(1, 50, ramp.data(), ramp.data(), 0, -1, 1, -1);
    EXPECT_EQ(chart.Series(1)->timesOrdered, 50);
    // Times that step back (a restarted clock) end the ordered stretch there.
    const std::vector<float> back = Ramp(10, 20.0f);
    chart.AppendSeriesData(1, 10, back.data(), back.data(), 50, -1, 1, -1);
    EXPECT_EQ(chart.Series(1)->timesOrdered, 50);
    // Rewriting that stretch in order restores it.
    const std::vector<float> onward = Ramp(10, 50.0f);
    chart.AppendSeriesData(1, 10, onward.data(), onward.data(), 50, -1, 1, -1);
    EXPECT_EQ(chart.Series(1)->timesOrdered, 60);
    chart.FreeAllSeries();
    EXPECT_EQ(chart.Series(1)->timesOrdered, 0);
}
