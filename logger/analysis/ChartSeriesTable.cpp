#include "logger/analysis/ChartSeriesTable.h"

namespace analysis {

uikit::ChartSeries* ChartSeriesTable::Record(int series) const
{
    // -1 would name the chart's current series; the analysis always names one.
    if (series < 0 || series >= uikit::kChartSeriesCount)
        return nullptr;
    return chart_.Series(series);
}

SeriesView ChartSeriesTable::View(int series) const
{
    const uikit::ChartSeries* s = Record(series);
    if (!s || !s->HasBuffers())
        return {};
    return {s->capacity, s->used, s->values.get(), s->times.get(), s->hasData != 0};
}

void ChartSeriesTable::SetSeriesData(int series, int count, const float* values, const float* times, int group,
                                     int link)
{
    if (Record(series))
        chart_.SetSeriesData(series, count, values, times, 0, -1, group, link);
}

void ChartSeriesTable::SetGroupLink(int series, int group, int link)
{
    if (uikit::ChartSeries* s = Record(series)) {
        s->group = group;
        s->link = link;
    }
}

bool ChartSeriesTable::EnsureBuffers(int series, int capacity, uint32_t colour)
{
    uikit::ChartSeries* s = Record(series);
    if (!s || capacity <= 0)
        return false;
    if (s->HasBuffers() && s->capacity == capacity) {
        s->colour = colour;
        return true;
    }
    return chart_.AllocSeries(series, capacity, colour) == 1;
}

void ChartSeriesTable::SetSelection(int series, int first, int last)
{
    if (uikit::ChartSeries* s = Record(series)) {
        s->selectionFirst = first;
        s->selectionLast = last;
    }
}

std::string ChartSeriesTable::FormatTickLabel(int series, double value) const
{
    return chart_.FormatTickLabel(value, Record(series) ? series : -1);
}

}  // namespace analysis
