#include "uikit/chart/ChartSeries.h"

#include <array>
#include <new>

namespace uikit {

bool AllocateSeriesBuffers(ChartSeries& series, int capacity)
{
    FreeSeriesBuffers(series);
    if (capacity <= 0)
        return true;
    series.values.reset(new (std::nothrow) float[size_t(capacity)]());
    series.times.reset(new (std::nothrow) float[size_t(capacity)]());
    series.points.reset(new (std::nothrow) QPoint[kSeriesPointCapacity]);
    if (!series.values || !series.times || !series.points) {
        FreeSeriesBuffers(series);
        return false;
    }
    series.capacity = capacity;
    return true;
}

void FreeSeriesBuffers(ChartSeries& series)
{
    series.values.reset();
    series.times.reset();
    series.points.reset();
    series.capacity = 0;
    series.used = 0;
    series.timesOrdered = 0;
}

namespace {

std::array<ChartSeries, kChartSeriesCount>& Table()
{
    static std::array<ChartSeries, kChartSeriesCount> table;
    return table;
}

}  // namespace

ChartSeries* SharedChartSeries(int index)
{
    if (index < 0 || index >= kChartSeriesCount)
        return nullptr;
    return &Table()[size_t(index)];
}

int GetChartSeriesTable(ChartSeries* destination[kChartSeriesCount])
{
    for (int i = 0; i < kChartSeriesCount; ++i)
        destination[i] = SharedChartSeries(i);
    return 1;
}

void ResetSharedChartSeries()
{
    for (ChartSeries& series : Table())
        series = ChartSeries{};
}

}  // namespace uikit
