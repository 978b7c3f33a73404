#include "logger/analysis/ChartSeriesTable.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/Text.h"

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

// Only the X values are copied: the analysis writes the values itself, and the source's known
// ordering of its times carries over, so that drawing need not check them again.
void ChartSeriesTable::BindResult(int result, int source, int count, int group, int link)
{
    uikit::ChartSeries* r = Record(result);
    const uikit::ChartSeries* s = Record(source);
    if (!r || !s || r == s || !r->HasBuffers() || !s->HasBuffers())
        return;
    const int copied = std::clamp(std::min(count, s->capacity), 0, r->capacity);
    std::memcpy(r->times.get(), s->times.get(), size_t(copied) * sizeof(float));
    r->used = copied;
    r->timesOrdered = std::clamp(s->timesOrdered, 0, copied);
    r->hasData = 1;
    r->penWidth = 2;
    r->start = 0;
    r->window = -1;
    r->group = group;
    r->link = link;
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

namespace {

// A factor never set (0) or damaged is taken as 1, so that a range is never scaled away.
AxisRange Proposed(const uikit::ChartAxis& axis)
{
    const float factor = std::isfinite(axis.factor) && axis.factor != 0.0f ? axis.factor : 1.0f;
    return {factor, factor * axis.minimum, factor * axis.maximum};
}

}  // namespace

AxisRange ChartSeriesTable::ValueAxis(int series) const
{
    const uikit::ChartSeries* s = Record(series);
    return s ? Proposed(s->yAxis) : AxisRange{};
}

AxisRange ChartSeriesTable::TimeAxis(int series) const
{
    const uikit::ChartSeries* s = Record(series);
    return s ? Proposed(s->xAxis) : AxisRange{};
}

std::u16string ChartSeriesTable::SeriesName(int series) const
{
    const uikit::ChartSeries* s = Record(series);
    return s ? std::u16string(platform::FieldView(s->name)) : std::u16string();
}

}  // namespace analysis
