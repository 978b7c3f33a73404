#pragma once

#include "logger/analysis/core/AnalysisPorts.h"
#include "logger/analysis/core/GraphSetupModel.h"
#include "uikit/chart/CNIXYChart.h"

// The analysis core's view of the chart series: the process-wide records behind a chart, so
// that one table serves every graph of the screen; also the axes the graph set-up proposes.
namespace analysis {

class ChartSeriesTable : public SeriesTable, public SeriesAxisSource {
public:
    explicit ChartSeriesTable(uikit::CNIXYChart& chart) : chart_(chart) {}

    SeriesView View(int series) const override;
    void BindResult(int result, int source, int count, int group, int link) override;
    void SetGroupLink(int series, int group, int link) override;
    bool EnsureBuffers(int series, int capacity, uint32_t colour) override;
    void SetSelection(int series, int first, int last) override;
    std::string FormatTickLabel(int series, double value) const override;

    AxisRange ValueAxis(int series) const override;
    AxisRange TimeAxis(int series) const override;
    std::u16string SeriesName(int series) const override;

private:
    uikit::ChartSeries* Record(int series) const;

    uikit::CNIXYChart& chart_;
};

}  // namespace analysis
