#pragma once

#include "logger/measure/core/RunChart.h"

namespace uikit {
class CNIXYChart;
}

namespace measure {

// The program's XY chart behind the run controller's chart interface.
class XYChartRunChart : public RunChart {
public:
    explicit XYChartRunChart(uikit::CNIXYChart& chart) : chart_(chart) {}

    uikit::CNIXYChart& Chart() { return chart_; }

    void FreeAllSeries() override;
    bool AllocSeries(int series, int capacity, uint32_t colour) override;
    void SetSeriesState(int series, int state) override;
    void ShowSeries(int series, bool shown) override;
    void SetSeriesName(int series, std::u16string_view xTitle, std::u16string_view name) override;
    void SetSeriesDecimals(int series, int decimals) override;
    void SetXAxis(int series, float minimum, float maximum, std::u16string_view unit) override;
    void SetYAxis(int series, float minimum, float maximum, std::u16string_view unit) override;
    void SetAutoScale(int series, bool autoY) override;
    void SetSeriesMargin(int series, float a, float b, float percent) override;
    void SetSeriesData(int series, int count, const float* values, const float* times) override;
    void AppendSeriesData(int series, int count, const float* values, const float* times, int position) override;
    int SeriesUsed(int series) const override;
    void SetCurrentSeries(int series) override;
    void SetAutoScalePad(float pad) override;
    void SetMarkerSpacing(int spacing, bool enabled) override;
    void ResetView() override;
    void SetCursor(bool on, int x) override;
    int CursorIndex(int series) const override;
    void Redraw() override;

private:
    uikit::CNIXYChart& chart_;
};

}  // namespace measure
