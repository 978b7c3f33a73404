#pragma once

#include <cstdint>

#include "logger/analysis/core/AnalysisLayout.h"

// The analysis screen's pointer and key rules without widgets: which graph a press lands on,
// when a held press is a drag rather than a click, the plot and grip tests, and the steps of the
// auto-scale pad.
namespace analysis {

// A press released sooner than this is a click: it sets the cursor instead of a range.
constexpr uint32_t kDragMinimumMs = 200;
// The resize grip at the bottom right of a chart.
constexpr int kResizeGripSize = 8;
constexpr float kPadStep = 0.05f;
constexpr float kSmallestPad = 0.05f;
constexpr float kLargestPad = 3.0f;

// The tick wraps after 49.7 days: the difference is taken unsigned, so a press just before the
// wrap still measures right.
inline bool HeldForDrag(uint32_t pressTick, uint32_t releaseTick)
{
    return uint32_t(releaseTick - pressTick) >= kDragMinimumMs;
}

// The graph under window row y of a stack of `graphCount` graphs of `graphHeight` pixels, or -1
// over the button band and below the last graph, where a press lands on no graph.
int GraphAtRow(int y, int scroll, int graphHeight, int graphCount);

// Strictly inside: the edges themselves belong to the frame.
bool StrictlyInside(const Rect& r, int x, int y);
bool InResizeGrip(const Rect& chart, int x, int y);
// Left/right and top/bottom in order.
Rect OrderedRect(int x1, int y1, int x2, int y2);

// Up raises the pad a step while it is below 3.0, Down lowers it while it is above 0.05; a stored
// pad outside that span (a damaged file) is taken as its nearer end first.
float RaisedPad(float pad);
float LoweredPad(float pad);

}  // namespace analysis
