#pragma once

#include "logger/project/RunSeriesSource.h"
#include "uikit/chart/CNIXYChart.h"

namespace logger {

// The measurement chart's series records as CSV export and the report read them.
class ChartRunSeries : public RunSeriesSource {
public:
    explicit ChartRunSeries(const uikit::CNIXYChart& chart) : chart_(chart) {}
    RunSeries Series(int series) const override;

private:
    const uikit::CNIXYChart& chart_;
};

}  // namespace logger
