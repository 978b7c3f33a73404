#pragma once

#include <cstdint>
#include <string>

#include <QColor>
#include <QPoint>

#include "uikit/paint/SkinPaint.h"

class QPainter;

// Small drawing pieces the chart is built from, kept apart so they can be checked on their own.
namespace uikit {

// printf("%g") in the C locale: six significant digits (or `precision`, 1..17), trailing zeros
// dropped.
std::string FormatShortGeneral(double value, int precision = 6);

// A value label: value x factor with `decimals` (0 an integer, 1..6 that many decimals, anything
// else 6). The integer form converts the value (clamped to the int range); it never reinterprets
// the float's bits.
std::string FormatValueLabel(double value, double factor, int decimals);

// Longest dotted line that is drawn; longer ones (a layout gone wrong) are skipped.
constexpr int kMaxDottedSpan = 2000;

// Dashes of 3 pixels every 6 pixels along a horizontal or vertical line, from the smaller to the
// larger coordinate; drawn only when the span is 1..kMaxDottedSpan pixels. False when skipped.
bool DrawDottedLine(QPainter& painter, int x1, int y1, int x2, int y2, uint32_t colour);
void DrawDottedRect(QPainter& painter, int left, int top, int right, int bottom, uint32_t colour);

// Pads a run of points with copies of its last point so that it can be drawn as cubic Bezier
// segments (3n + 1 points): always 4 - count % 3 copies. `room` is the buffer's size.
// Returns the new count, or `count` when there is no room.
int PadForBezier(QPoint* points, int count, int room);

// Wide anti-aliased lines are drawn in short overlapping pieces: the rasterizer's cost grows much
// faster than linearly with the edges of one outline, and a thinned noisy series has thousands.
// Each piece repeats the last segment (or curve) of the one before, so every join is drawn.
void DrawPolylineInPieces(QPainter& painter, const QPoint* points, int count);
// `count` is 3n + 1 (see PadForBezier): a start point, then three points per cubic segment.
void DrawBeziersInPieces(QPainter& painter, const QPoint* points, int count);

// Value labels at the cursor are 20 pixels high and at least 40 wide.
constexpr int kCursorLabelHeight = 20;
constexpr int kCursorLabelMinWidth = 40;

// The top of a value label that would stand at `top`, moved up until it overlaps none of the
// `placed` labels already drawn (tops in `placedTops`, each kCursorLabelHeight high).
int StackedLabelTop(int top, const int* placedTops, int placed);

// Point marker by series index: 0 a diamond, 1 a triangle, 2 a circle, others a square, all
// within 5 pixels of the point.
void DrawMarker(QPainter& painter, int seriesIndex, QPoint at);

}  // namespace uikit
