#include "logger/analysis/GraphChartBinding.h"

#include "logger/analysis/ChartSeriesTable.h"

namespace analysis {

namespace {

// The series' result margin keeps a flat result from filling the plot.
constexpr float kMarginPercent = 8.0f;

const char16_t* UnitOrKeep(const std::u16string& unit) { return unit.empty() ? nullptr : unit.c_str(); }

}  // namespace

void ApplyGraphPresentation(const GraphPresentation& p, uikit::CNIXYChart& chart, project::GraphNote* notes,
                            const QImage* closeBox)
{
    ChartSeriesTable table(chart);
    table.EnsureBuffers(p.resultSeries, p.resultCapacity, p.colour);
    chart.SetCurrentSeries(p.ySeries);
    chart.SetLineMode(p.lineMode);
    chart.SetLinkedXMode(p.linkedXMode);
    chart.SetGridCount(p.gridX, p.gridY);
    chart.SetMarkerSpacing(p.markerSpacing, p.markerSpacing != 0 ? 1 : 0);
    chart.SetAutoScalePad(p.autoScalePad);
    chart.SetSeriesDecimals(p.resultSeries, p.decimals);
    chart.SetYAxis(p.resultSeries, p.yMin, p.yMax, p.yFactor, p.yUnit.c_str());
    for (const int s : {p.resultSeries, p.ySeries})
        chart.SetXAxis(s, p.xMin, p.xMax, p.xFactor, UnitOrKeep(p.xUnit));
    chart.SetSeriesName(p.resultSeries, p.xLabel, p.resultName);
    chart.SetSeriesMargin(p.resultSeries, p.yMin, p.yMax, kMarginPercent);
    chart.SetSeriesMargin(p.ySeries, p.yMin, p.yMax, kMarginPercent);

    for (int s = 0; s < uikit::kChartSeriesCount; ++s) {
        chart.ShowSeries(s, 0);
        chart.SetYRangeSource(s, -1);
    }
    // One view for every series shown, so that results stay on their data after a pan or zoom.
    for (const SeriesPresentation& shown : p.shown) {
        chart.ShowSeries(shown.series, 1);
        chart.SetAutoScale(shown.series, shown.autoY, shown.autoX);
        chart.SetXAxis(shown.series, p.xMin, p.xMax, p.xFactor, UnitOrKeep(p.xUnit));
        chart.SetYRangeSource(shown.series, shown.yRangeSource);
        chart.SetSeriesTransform(shown.series, p.viewXOffset, p.viewYOffset, p.viewXScale, p.viewYScale);
    }
    chart.SetSelectedSeries(p.resultSeries, p.secondAxis ? 1 : 0, p.selectedLabel);
    chart.SetNotes(notes ? p.noteCount : 0, notes, closeBox);
}

}  // namespace analysis
