#include "uikit/chart/ChartPaint.h"

#include "platform/CLocale.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace uikit {

std::string FormatShortGeneral(double value, int precision)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general,
                                       std::clamp(precision, 1, 17));
    if (result.ec != std::errc())
        return "0";
    return std::string(buffer, result.ptr);
}

bool DrawDottedLine(QPainter& painter, int x1, int y1, int x2, int y2, uint32_t colour)
{
    const bool horizontal = y1 == y2;
    if (!horizontal && x1 != x2)
        return false;
    const int from = horizontal ? std::min(x1, x2) : std::min(y1, y2);
    const int to = horizontal ? std::max(x1, x2) : std::max(y1, y2);
    const int span = to - from;
    if (span < 1 || span > kMaxDottedSpan)
        return false;
    const QColor color = ColorFromRef(colour);
    for (int p = from; p < to; p += 6) {
        const int dash = std::min(3, to - p);
        if (horizontal)
            painter.fillRect(p, y1, dash, 1, color);
        else
            painter.fillRect(x1, p, 1, dash, color);
    }
    return true;
}

void DrawDottedRect(QPainter& painter, int left, int top, int right, int bottom, uint32_t colour)
{
    DrawDottedLine(painter, left, top, right, top, colour);
    DrawDottedLine(painter, left, bottom, right, bottom, colour);
    DrawDottedLine(painter, left, top, left, bottom, colour);
    DrawDottedLine(painter, right, top, right, bottom, colour);
}

int PadForBezier(QPoint* points, int count, int room)
{
    if (count < 1)
        return count;
    const int copies = 4 - count % 3;
    if (count + copies > room)
        return count;
    for (int i = 0; i < copies; ++i)
        points[count + i] = points[count - 1];
    return count + copies;
}

std::string FormatValueLabel(double value, double factor, int decimals)
{
    const double scaled = value * factor;
    if (decimals == 0) {
        const double clamped = std::isfinite(scaled) ? std::clamp(scaled, -2147483648.0, 2147483647.0) : 0.0;
        return platform::FormatInt(int64_t(int32_t(clamped)));
    }
    return platform::FormatFixed(scaled, decimals >= 1 && decimals <= 6 ? decimals : 6);
}

int StackedLabelTop(int top, const int* placedTops, int placed)
{
    // Each pass moves the label above one it met; a label meets each other one at most once on
    // the way up, so `placed` passes are enough.
    for (int pass = 0; pass < placed; ++pass) {
        bool moved = false;
        for (int k = 0; k < placed; ++k) {
            if (std::abs(top - placedTops[k]) < kCursorLabelHeight) {
                top = placedTops[k] - kCursorLabelHeight;
                moved = true;
            }
        }
        if (!moved)
            break;
    }
    return top;
}

namespace {

constexpr int kPolylinePiece = 8;  // points per piece
constexpr int kCubicsPerPiece = 3;

}  // namespace

void DrawPolylineInPieces(QPainter& painter, const QPoint* points, int count)
{
    if (count < 2)
        return;
    for (int first = 0;; first += kPolylinePiece - 2) {
        const int length = std::min(kPolylinePiece, count - first);
        painter.drawPolyline(points + first, length);
        if (first + length >= count)
            break;
    }
}

void DrawBeziersInPieces(QPainter& painter, const QPoint* points, int count)
{
    const int cubics = (count - 1) / 3;
    for (int first = 0; first < cubics; first += kCubicsPerPiece - 1) {
        const int last = std::min(cubics, first + kCubicsPerPiece);
        QPainterPath path(points[3 * first]);
        for (int c = first; c < last; ++c)
            path.cubicTo(points[3 * c + 1], points[3 * c + 2], points[3 * c + 3]);
        painter.drawPath(path);
        if (last >= cubics)
            break;
    }
}

void DrawMarker(QPainter& painter, int seriesIndex, QPoint at)
{
    const int x = at.x();
    const int y = at.y();
    switch (seriesIndex) {
    case 0: {
        const QPoint diamond[4] = {{x, y - 5}, {x + 5, y}, {x, y + 5}, {x - 5, y}};
        painter.drawPolygon(diamond, 4);
        break;
    }
    case 1: {
        const QPoint triangle[3] = {{x, y - 5}, {x + 5, y + 4}, {x - 5, y + 4}};
        painter.drawPolygon(triangle, 3);
        break;
    }
    case 2:
        painter.drawEllipse(QPoint(x, y), 4, 4);
        break;
    default:
        painter.drawRect(x - 4, y - 4, 8, 8);
        break;
    }
}

}  // namespace uikit
