#pragma once

#include "logger/analysis/core/AnalysisPorts.h"
#include "uikit/chart/CNIXYChart.h"

// The analysis core's view of the chart series: the process-wide records behind a chart, so
// that one table serves every graph of the screen.
namespace analysis {

class ChartSeriesTable : public SeriesTable {
public:
    explicit ChartSeriesTable(uikit::CNIXYChart& chart) : chart_(chart) {}

    SeriesView View(int series) const override;
    void BindResult(int result, int source, int count, int group, int link) override;
    void SetGroupLink(int series, int group, int link) override;
    bool EnsureBuffers(int series, int capacity, uint32_t colour) override;
    void SetSelection(int series, int first, int last) override;
    std::string FormatTickLabel(int series, double value) const override;

private:
    uikit::ChartSeries* Record(int series) const;

    uikit::CNIXYChart& chart_;
};

}  // namespace analysis
