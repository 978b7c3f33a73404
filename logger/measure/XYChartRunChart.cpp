#include "logger/measure/XYChartRunChart.h"

#include <string>

#include "uikit/chart/CNIXYChart.h"

namespace measure {

namespace {

constexpr int kNoLink = -1;
constexpr int kNoGroup = 0;
constexpr int kWholeSeries = -1;

// The chart keeps axis units as zero-terminated text.
std::u16string Terminated(std::u16string_view text)
{
    return std::u16string(text);
}

}  // namespace

void XYChartRunChart::FreeAllSeries()
{
    chart_.FreeAllSeries();
}

bool XYChartRunChart::AllocSeries(int series, int capacity, uint32_t colour)
{
    return chart_.AllocSeries(series, capacity, colour) == 1;
}

void XYChartRunChart::SetSeriesState(int series, int state)
{
    chart_.SetSeriesState(series, state);
}

void XYChartRunChart::ShowSeries(int series, bool shown)
{
    chart_.ShowSeries(series, shown ? 1 : 0);
}

void XYChartRunChart::SetSeriesName(int series, std::u16string_view xTitle, std::u16string_view name)
{
    chart_.SetSeriesName(series, xTitle, name);
}

void XYChartRunChart::SetSeriesDecimals(int series, int decimals)
{
    chart_.SetSeriesDecimals(series, decimals);
}

void XYChartRunChart::SetXAxis(int series, float minimum, float maximum, std::u16string_view unit)
{
    chart_.SetXAxis(series, minimum, maximum, 1.0f, Terminated(unit).c_str());
}

void XYChartRunChart::SetYAxis(int series, float minimum, float maximum, std::u16string_view unit)
{
    chart_.SetYAxis(series, minimum, maximum, 1.0f, Terminated(unit).c_str());
}

void XYChartRunChart::SetAutoScale(int series, bool autoY)
{
    chart_.SetAutoScale(series, autoY ? 1 : 0, 0);
}

void XYChartRunChart::SetSeriesMargin(int series, float a, float b, float percent)
{
    chart_.SetSeriesMargin(series, a, b, percent);
}

void XYChartRunChart::SetSeriesData(int series, int count, const float* values, const float* times)
{
    chart_.SetSeriesData(series, count, values, times, 0, kWholeSeries, kNoGroup, kNoLink);
}

void XYChartRunChart::AppendSeriesData(int series, int count, const float* values, const float* times, int position)
{
    chart_.AppendSeriesData(series, count, values, times, position, kWholeSeries, kNoGroup, kNoLink);
}

int XYChartRunChart::SeriesUsed(int series) const
{
    const uikit::ChartSeries* s = chart_.Series(series);
    return s ? s->used : 0;
}

void XYChartRunChart::SetCurrentSeries(int series)
{
    chart_.SetCurrentSeries(series);
}

void XYChartRunChart::SetAutoScalePad(float pad)
{
    chart_.SetAutoScalePad(pad);
}

void XYChartRunChart::SetMarkerSpacing(int spacing, bool enabled)
{
    chart_.SetMarkerSpacing(spacing, enabled ? 1 : 0);
}

void XYChartRunChart::ResetView()
{
    chart_.SetLinkedXMode(0);
    chart_.ResetTransforms();
    chart_.SetCursor(0, 0);
    chart_.SetZoomRect(0, 0, 0, 0, 0);
}

void XYChartRunChart::SetCursor(bool on, int x)
{
    chart_.SetCursor(on ? 1 : 0, x);
}

int XYChartRunChart::CursorIndex(int series) const
{
    return chart_.GetCursorIndex(series);
}

void XYChartRunChart::Redraw()
{
    chart_.Redraw();
}

}  // namespace measure
