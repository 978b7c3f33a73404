#include "logger/analysis/core/AnalysisPointer.h"

#include <algorithm>
#include <cmath>

namespace analysis {

namespace {

float UsablePad(float pad)
{
    return std::isfinite(pad) ? std::clamp(pad, kSmallestPad, kLargestPad) : kSmallestPad;
}

}  // namespace

int GraphAtRow(int y, int scroll, int graphHeight, int graphCount)
{
    if (y <= kButtonBandHeight || graphHeight <= 0)
        return -1;
    const int graph = GraphUnderPointer(y, scroll, graphHeight);
    return graph < graphCount ? graph : -1;
}

bool StrictlyInside(const Rect& r, int x, int y)
{
    return r.left < x && x < r.right && r.top < y && y < r.bottom;
}

bool InResizeGrip(const Rect& chart, int x, int y)
{
    return chart.right - kResizeGripSize < x && x < chart.right && chart.bottom - kResizeGripSize < y &&
           y < chart.bottom;
}

Rect OrderedRect(int x1, int y1, int x2, int y2)
{
    return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

float RaisedPad(float pad)
{
    const float usable = UsablePad(pad);
    return usable < kLargestPad ? std::min(usable + kPadStep, kLargestPad) : usable;
}

float LoweredPad(float pad)
{
    const float usable = UsablePad(pad);
    return usable > kSmallestPad ? std::max(usable - kPadStep, kSmallestPad) : usable;
}

}  // namespace analysis
