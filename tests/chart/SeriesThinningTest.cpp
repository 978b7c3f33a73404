#include "uikit/chart/ChartSeries.h"
#include "uikit/chart/SeriesThinning.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace uikit;

namespace {

// Collects the lines a thinning hands out.
struct Lines {
    std::vector<std::vector<QPoint>> runs;
    void operator()(QPoint* points, int count, int /*room*/) { runs.emplace_back(points, points + count); }
};

struct Data {
    std::vector<float> x, y;
    Data(int n, float (*value)(int))
    {
        for (int i = 0; i < n; ++i) {
            x.push_back(float(i));
            y.push_back(value(i));
        }
    }
};

AxisMapping Scale(double scale, double offset = 0.0) { return AxisMapping{scale, offset}; }

}  // namespace

TEST(SeriesThinning, PointsNeverOutgrowTheBufferTheyAreLent)
{
    Data d(1000, [](int i) { return float(i % 7); });
    for (int room : {0, 1, 2, 3, 4, 5, 9, 64}) {
        SCOPED_TRACE(room);
        std::vector<QPoint> buffer(size_t(room) + 8, QPoint(-7, -7));
        int longest = 0;
        auto measure = [&](QPoint*, int count, int) { longest = std::max(longest, count); };
        ThinSeries(d.x.data(), d.y.data(), 0, 999, Scale(1.0), Scale(1.0), ThinOptions{}, buffer.data(), room, measure);
        EXPECT_LE(longest, room);
        for (size_t k = size_t(room); k < buffer.size(); ++k)
            EXPECT_EQ(buffer[k], QPoint(-7, -7)) << "written past the room at " << k;
    }
}

TEST(SeriesThinning, ColumnsBecomeTheirExtremesAndTheLastPointEndsTheLine)
{
    Data d(100, [](int i) { return float(i % 10); });
    Lines lines;
    QPoint buffer[kSeriesPointCapacity];
    // 10 points per pixel column.
    const int produced = ThinSeries(d.x.data(), d.y.data(), 0, 99, Scale(0.1), Scale(1.0), ThinOptions{}, buffer,
                                    kSeriesPointCapacity, lines);
    EXPECT_EQ(produced, 20);
    ASSERT_EQ(lines.runs.size(), 1u);
    const auto& run = lines.runs[0];
    ASSERT_EQ(run.size(), 21u);
    EXPECT_EQ(run[0], QPoint(0, 0));  // the first column in the order its extremes came
    EXPECT_EQ(run[1], QPoint(0, 9));
    EXPECT_EQ(run[2], QPoint(1, 9));  // then each column from the end nearer the line
    EXPECT_EQ(run.back(), QPoint(9, 9));
    for (size_t k = 0; k + 1 < run.size(); k += 2)
        EXPECT_EQ(run[k].x(), int(k / 2));

    // Merged columns (an XY plot): one point per column at its largest y.
    ThinOptions merged;
    merged.mergeColumns = true;
    Lines one;
    EXPECT_EQ(ThinSeries(d.x.data(), d.y.data(), 0, 99, Scale(0.1), Scale(1.0), merged, buffer, kSeriesPointCapacity, one), 10);
    ASSERT_EQ(one.runs.size(), 1u);
    EXPECT_EQ(one.runs[0][3], QPoint(3, 9));
}

TEST(SeriesThinning, NoisyColumnsFormAStaircase)
{
    Data d(40, [](int i) { return float(i % 2 ? 10 : 0); });
    Lines lines;
    QPoint buffer[kSeriesPointCapacity];
    ThinSeries(d.x.data(), d.y.data(), 0, 39, Scale(0.25), Scale(1.0), ThinOptions{}, buffer, kSeriesPointCapacity, lines);
    ASSERT_EQ(lines.runs.size(), 1u);
    const auto& run = lines.runs[0];
    // Each column starts at the end nearer to the previous point: no reversals between columns.
    for (size_t k = 2; k + 1 < run.size(); k += 2)
        EXPECT_EQ(run[k].y(), run[k - 1].y()) << k;
}

TEST(SeriesThinning, NonFiniteSamplesSplitTheLineAndShortLinesAreNotDrawn)
{
    Data d(30, [](int i) { return float(i); });
    d.y[10] = std::numeric_limits<float>::quiet_NaN();
    d.y[20] = std::numeric_limits<float>::infinity();
    d.y[22] = std::numeric_limits<float>::quiet_NaN();  // leaves one point (21) alone
    Lines lines;
    QPoint buffer[kSeriesPointCapacity];
    ThinSeries(d.x.data(), d.y.data(), 0, 29, Scale(1.0), Scale(1.0), ThinOptions{}, buffer, kSeriesPointCapacity, lines);
    ASSERT_EQ(lines.runs.size(), 3u);
    EXPECT_EQ(lines.runs[0].size(), 10u);
    EXPECT_EQ(lines.runs[1].size(), 9u);
    EXPECT_EQ(lines.runs[2].front(), QPoint(23, 23));
    EXPECT_EQ(lines.runs[2].back(), QPoint(29, 29));
}

TEST(SeriesThinning, LimitKeepsTheLastPoint)
{
    Data d(10000, [](int i) { return float(i % 50); });
    Lines lines;
    QPoint buffer[kSeriesPointCapacity];
    const int produced = ThinSeries(d.x.data(), d.y.data(), 0, 9999, Scale(1.0), Scale(1.0), ThinOptions{}, buffer,
                                    kSeriesPointCapacity, lines);
    EXPECT_EQ(produced, kThinnedPointLimit);
    ASSERT_EQ(lines.runs.size(), 1u);
    EXPECT_EQ(lines.runs[0].size(), size_t(kThinnedPointLimit + 1));
    EXPECT_EQ(lines.runs[0].back(), QPoint(9999, 9999 % 50));
}

TEST(SeriesThinning, ColumnSummariesDrawLikePointByPoint)
{
    Data d(5000, [](int i) { return float((i * 7919) % 301) - 150.0f; });
    d.y[1234] = std::numeric_limits<float>::quiet_NaN();
    const AxisMapping mapX = Scale(0.125, 3.0), mapY = Scale(-0.5, 200.0);
    QPoint buffer[kSeriesPointCapacity];
    Lines direct, summarised;
    ThinSeries(d.x.data(), d.y.data(), 100, 4900, mapX, mapY, ThinOptions{}, buffer, kSeriesPointCapacity, direct);
    std::vector<ColumnSummary> columns(1000);
    const int count = SummariseColumns(d.x.data(), d.y.data(), 100, 4900, mapX, columns.data(), 1000);
    EXPECT_EQ(count, 601);
    ThinColumns(columns.data(), count, d.x.data(), d.y.data(), mapX, mapY, ThinOptions{}, buffer, kSeriesPointCapacity,
                summarised);
    EXPECT_EQ(summarised.runs, direct.runs);
    EXPECT_EQ(SummariseColumns(d.x.data(), d.y.data(), 100, 4900, mapX, columns.data(), 10), -1);

    float lo = 0, hi = 0;
    ASSERT_TRUE(SummaryExtremes(columns.data(), count, d.y.data(), lo, hi));
    EXPECT_EQ(lo, -150.0f);
    EXPECT_EQ(hi, 150.0f);
}

TEST(SeriesThinning, WindowsOrderAndExtremes)
{
    Data d(100, [](int i) { return float(i); });
    const IndexRange visible = VisibleIndexes(d.x.data(), 100, 10.5, 20.5);
    EXPECT_EQ(visible.first, 10);  // one neighbour outside on each side
    EXPECT_EQ(visible.last, 21);
    EXPECT_TRUE(VisibleIndexes(d.x.data(), 100, 20.0, 10.0).Empty());
    for (bool ordered : {true, false}) {  // a binary search or a scan: the same answer
        const IndexRange within = IndexesWithin(d.x.data(), 100, 10.5, 20.5, ordered);
        EXPECT_EQ(within.first, 11);
        EXPECT_EQ(within.last, 20);
    }
    EXPECT_EQ(NearestIndex(d.x.data(), 100, 41.4, true), 41);
    EXPECT_EQ(NearestIndex(d.x.data(), 100, 41.6, false), 42);
    EXPECT_EQ(NearestIndex(d.x.data(), 100, 1e9, true), 99);
    EXPECT_EQ(NearestIndex(d.x.data(), 0, 1.0, true), -1);

    EXPECT_EQ(OrderedPrefix(d.x.data(), 0, 100), 100);
    d.x[60] = 5.0f;
    EXPECT_EQ(OrderedPrefix(d.x.data(), 0, 100), 60);
    EXPECT_EQ(OrderedPrefix(d.x.data(), 60, 100), 60);
    d.x[0] = std::nanf("");
    EXPECT_EQ(OrderedPrefix(d.x.data(), 0, 100), 0);

    const float values[6] = {3.0f, std::nanf(""), -std::numeric_limits<float>::infinity(), -2.0f, 7.5f, 1.0f};
    float lo = 0, hi = 0;
    ASSERT_TRUE(FiniteExtremes(values, 6, lo, hi));
    EXPECT_EQ(lo, -2.0f);
    EXPECT_EQ(hi, 7.5f);
    EXPECT_FALSE(FiniteExtremes(values + 1, 2, lo, hi));
    bool loFirst = false;
    EXPECT_FALSE(ColumnExtremes(values, 6, lo, hi, loFirst));
    ASSERT_TRUE(ColumnExtremes(values + 3, 3, lo, hi, loFirst));
    EXPECT_TRUE(loFirst);
    EXPECT_EQ(ToDevice(1e300), int(kDeviceCoordinateLimit));
    EXPECT_EQ(ToDevice(std::nan("")), int(-kDeviceCoordinateLimit));
    EXPECT_EQ(ToDevice(-0.5), -1);
}
