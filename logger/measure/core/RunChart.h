#pragma once

#include <cstdint>
#include <string_view>

// The measurement chart as the run controller drives it: the operations of the program's XY
// chart that the measurement screen uses, on series 0..15 (channel + 4 x sub-value). The screen
// hands in the real chart (XYChartRunChart); tests hand in a recording one.
namespace measure {

class RunChart {
public:
    virtual ~RunChart() = default;

    virtual void FreeAllSeries() = 0;
    // Buffers for `capacity` points; false when they could not be had.
    virtual bool AllocSeries(int series, int capacity, uint32_t colour) = 0;
    virtual void SetSeriesState(int series, int state) = 0;
    virtual void ShowSeries(int series, bool shown) = 0;
    virtual void SetSeriesName(int series, std::u16string_view xTitle, std::u16string_view name) = 0;
    virtual void SetSeriesDecimals(int series, int decimals) = 0;
    virtual void SetXAxis(int series, float minimum, float maximum, std::u16string_view unit) = 0;
    virtual void SetYAxis(int series, float minimum, float maximum, std::u16string_view unit) = 0;
    virtual void SetAutoScale(int series, bool autoY) = 0;
    virtual void SetSeriesMargin(int series, float a, float b, float percent) = 0;
    // Replaces a series' points.
    virtual void SetSeriesData(int series, int count, const float* values, const float* times) = 0;
    // Writes points from `position` on (past the capacity the oldest points scroll out).
    virtual void AppendSeriesData(int series, int count, const float* values, const float* times,
                                  int position) = 0;
    virtual int SeriesUsed(int series) const = 0;

    virtual void SetCurrentSeries(int series) = 0;
    virtual void SetAutoScalePad(float pad) = 0;
    virtual void SetMarkerSpacing(int spacing, bool enabled) = 0;
    virtual void ResetView() = 0;   // linked X off, transforms reset, cursor and zoom off
    virtual void SetCursor(bool on, int x) = 0;
    // The point under the value cursor after the last redraw, or -1.
    virtual int CursorIndex(int series) const = 0;
    virtual void Redraw() = 0;
};

}  // namespace measure
