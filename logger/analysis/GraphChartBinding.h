#pragma once

#include "logger/analysis/core/AnalysisScreenModel.h"
#include "uikit/chart/CNIXYChart.h"

class QImage;

// Hands one graph of the analysis screen to its chart: what the screen model decided (which
// series, axes, scales, view, notes) becomes chart calls. The owner attaches the chart at the
// graph's chart rectangle first and redraws it afterwards.
namespace analysis {

void ApplyGraphPresentation(const GraphPresentation& graph, uikit::CNIXYChart& chart, project::GraphNote* notes,
                            const QImage* closeBox);

}  // namespace analysis
