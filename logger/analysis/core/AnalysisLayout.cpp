#include "logger/analysis/core/AnalysisLayout.h"

#include <algorithm>
#include <cmath>

namespace analysis {

namespace {

// A fraction from a file may be anything; a graph is never given less than nothing or more than
// the whole height.
float UsableFraction(float fraction)
{
    return std::isfinite(fraction) && fraction > 0.0f ? std::min(fraction, 1.0f) : 1.0f;
}

}  // namespace

GraphStack LayoutGraphs(project::DataSetRecord& record, ClientSize client, bool keepFraction)
{
    const int graphs = project::GraphCountOf(record);
    record.graphsResizable = 0;
    record.widthFraction = 1.0f;
    if (!keepFraction)
        record.heightFraction = 1.0f / float(graphs);
    record.heightFraction = UsableFraction(record.heightFraction);
    record.graphsResizable = graphs > 1 ? 1 : 0;

    const int available = client.height > 600 ? client.height - kButtonBandHeight : kChartHeight;
    const int each = std::max(kMinimumGraphHeight, int(float(available) * record.heightFraction));
    const int total = each * graphs;
    const int visible = client.height - kButtonBandHeight;
    GraphStack stack;
    if (total > visible) {
        stack.scrollBarShown = true;
        stack.scrollRange = total - visible;
        stack.scrollBar = {client.width - kScrollBarWidth, kButtonBandHeight, client.width, client.height};
    }
    return stack;
}

Rect ChartRect(const project::DataSetRecord& record, ClientSize client, int gridWidth, bool scrollBarShown)
{
    const float width = UsableFraction(record.widthFraction);
    const float height = UsableFraction(record.heightFraction);
    const bool resizable = record.graphsResizable == 1;
    Rect chart;
    chart.left = gridWidth;
    chart.top = kButtonBandHeight;
    if (client.width <= kChartWidth) {
        chart.right = int(float(kChartWidth) * width);
        chart.bottom = resizable ? int(height * float(kChartHeight)) + kButtonBandHeight : int(height * 600.0f);
    } else {
        chart.right = int(float(client.width) * width);
        chart.bottom = resizable ? int(float(client.height - kButtonBandHeight) * height) + kButtonBandHeight
                                 : int(float(client.height) * height);
    }
    if (scrollBarShown)
        chart.right -= kScrollBarWidth;
    if (chart.bottom - kButtonBandHeight < kMinimumGraphHeight)
        chart.bottom = kButtonBandHeight + kMinimumGraphHeight;
    return chart;
}

Rect PlotRect(const Rect& chart, bool secondAxis)
{
    return {chart.left + 48, 113, chart.right - (secondAxis ? 48 : 8), chart.bottom - 35};
}

float ResizedHeightFraction(int y, int clientHeight)
{
    constexpr float kSmallestFraction = 0.05f;
    const int available = clientHeight - kButtonBandHeight;
    if (available <= 0)
        return 1.0f;
    const float fraction = float(y - kButtonBandHeight) / float(available);
    return std::clamp(fraction, kSmallestFraction, 1.0f);
}

int GraphUnderPointer(int y, int scroll, int graphHeight)
{
    if (graphHeight <= 0)
        return 0;
    return std::max(0, (scroll + y - (kButtonBandHeight + 1)) / graphHeight);
}

}  // namespace analysis
