#pragma once

#include <array>
#include <string_view>

#include "logger/analysis/core/AnalysisScreenModel.h"
#include "logger/analysis/core/GateEvents.h"
#include "uikit/table/TableInfo.h"

namespace uikit {
class CNIXYChart;
}

// The data grid beside the analysis graphs: the sample number, the time of the data set's
// selected channel (or, when channels sample at their own rates, each channel's own time before
// its first series) and every recorded series the current graph's chart shows. The columns point
// into the chart's series records, which stay put while the screen shows them.
namespace analysis {

constexpr int kGridCountFormat = 0;

// The decimals a channel's times are listed with: as many as its sampling period needs, so that
// a column reads 0.90, 0.92, ... (none for sample numbers, the shortest form when the period is
// not known).
int TimeColumnFormat(const project::DataSetRecord& record, int channel);

// `graph` says which series the chart shows; `chart` holds the series records. Time columns are
// headed by the graph's time label.
uikit::TableInfo BuildDataGrid(const project::DataSetRecord& record, const GraphPresentation& graph,
                               const uikit::CNIXYChart& chart, const TextSource& texts,
                               const ChannelUnitSource& units);

// The grid of a graph whose analysed channel is a photogate: the event number, then for every
// channel the graph shows the time between its gate's events. The events are found into
// `events` (the caller's storage, which the columns point into; the series records are left as
// they are).
constexpr int kEventDecimals = 5;
uikit::TableInfo BuildEventGrid(const project::DataSetRecord& record, const GraphPresentation& graph,
                                const uikit::CNIXYChart& chart, const TextSource& texts,
                                const ChannelUnitSource& units, std::array<GateEvents, project::kChannelCount>& events);

}  // namespace analysis
