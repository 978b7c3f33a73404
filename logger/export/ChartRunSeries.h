#pragma once

#include "logger/project/RunSeriesSource.h"
#include "uikit/chart/CNIXYChart.h"

namespace exporting {

// The measurement chart's series records as CSV export and the report read them.
class ChartRunSeries : public project::RunSeriesSource {
public:
    explicit ChartRunSeries(const uikit::CNIXYChart& chart) : chart_(chart) {}
    project::RunSeries Series(int series) const override;

private:
    const uikit::CNIXYChart& chart_;
};

}  // namespace exporting
