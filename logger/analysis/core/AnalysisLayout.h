#pragma once

#include "logger/project/ExperimentRecords.h"

// Where the analysis screen puts its stacked graphs: below the 108-pixel button band, each graph
// at least 246 pixels high, with a vertical scroll bar when they do not fit.
namespace analysis {

constexpr int kButtonBandHeight = 108;
constexpr int kMinimumGraphHeight = 246;
constexpr int kScrollBarWidth = 16;
constexpr int kChartWidth = 800;
constexpr int kChartHeight = 492;

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

struct ClientSize {
    int width = 800;
    int height = 600;
};

struct GraphStack {
    bool scrollBarShown = false;
    int scrollRange = 0;   // 0 .. total height - visible height
    Rect scrollBar;        // where the bar stands while shown
};

// Lays the graphs of the record out for a client area: the record's resize flag and fractions
// (a fresh 1 / graph count unless keepFraction) and the scroll bar.
GraphStack LayoutGraphs(project::DataSetRecord& record, ClientSize client, bool keepFraction);

// The chart rectangle of every graph (graph g is drawn at top + g x height - scroll) and the plot
// rectangle inside it, for a grid of `gridWidth` pixels on the left.
Rect ChartRect(const project::DataSetRecord& record, ClientSize client, int gridWidth, bool scrollBarShown);
Rect PlotRect(const Rect& chart, bool secondAxis);

// The height fraction a drag of the resize grip to graph-relative row y gives in a client of
// `clientHeight` pixels: (y - 108) / (clientHeight - 108), kept finite inside (0, 1] so that a far
// drag, or a client no taller than the button band, never gives a graph of no or huge height.
float ResizedHeightFraction(int y, int clientHeight);

// The graph under a pointer at window row y.
int GraphUnderPointer(int y, int scroll, int graphHeight);

}  // namespace analysis
