// The drawing side of the chart: layout, frame, auto-scaling, thinned series, cursor and notes.

#include "uikit/chart/CNIXYChart.h"

#include "platform/CLocale.h"
#include "platform/Text.h"
#include "uikit/chart/ChartFonts.h"
#include "uikit/chart/ChartPaint.h"
#include "uikit/chart/SeriesThinning.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace uikit {
namespace {

constexpr uint32_t kHighlightColour = 0x78A8FF;
constexpr uint32_t kCurrentColumnColour = 0x94D0FF;
constexpr uint32_t kZoomFillColour = 0x82E6E6;
constexpr uint32_t kZoomOutlineColour = 0x188282;
constexpr uint32_t kSelectedLabelColour = 0x0000FF;
constexpr uint32_t kStretchColour = 0x0000FF;
constexpr int kColumnWidth = 15;
// Kept free on either side of a label in the right margin.
constexpr int kLabelPadding = 3;

// Y title columns go channel by channel, then sub-value, then the analysis results.
constexpr int kColumnOrder[kChartSeriesCount] = {0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15,
                                                 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31};

QString FromUtf16(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

QString FromLatin(const std::string& text) { return QString::fromLatin1(text.data(), qsizetype(text.size())); }

uint32_t Lighter(uint32_t colour, int by)
{
    const uint32_t r = std::min<uint32_t>(255, (colour & 0xFF) + uint32_t(by));
    const uint32_t g = std::min<uint32_t>(255, ((colour >> 8) & 0xFF) + uint32_t(by));
    const uint32_t b = std::min<uint32_t>(255, ((colour >> 16) & 0xFF) + uint32_t(by));
    return r | g << 8 | b << 16;
}

// A range that can be divided by: non-finite ends become 0..1 and a zero span is widened.
void MakeUsable(double& lo, double& hi)
{
    if (!std::isfinite(lo) || !std::isfinite(hi)) {
        lo = 0.0;
        hi = 1.0;
        return;
    }
    // An empty run or an all-zero axis: a unit range starting at 0, rather than a sliver around 0
    // whose ends print as "-0.000" and "0.000".
    if (hi == 0.0 && lo == 0.0) {
        hi = 1.0;
        return;
    }
    if (hi == lo) {
        const double widen = std::max(std::fabs(lo) * 0.05, 1e-6);
        lo -= widen;
        hi += widen;
    }
}

bool ScanFinite(const float* data, int count, double& lo, double& hi)
{
    float fl = 0.0f, fh = 0.0f;
    if (!FiniteExtremes(data, count, fl, fh))
        return false;
    lo = fl;
    hi = fh;
    return true;
}

// "%g" of the value with as many of its six significant digits as the margin has room for, so
// that a label is never cut at the drawing's edge.
QString FittingGeneral(double value, const QFontMetrics& metrics, int width)
{
    QString text;
    for (int precision = 6; precision >= 1; --precision) {
        text = FromLatin(FormatShortGeneral(value, precision));
        if (metrics.horizontalAdvance(text) <= width)
            break;
    }
    return text;
}

float UsableScale(float scale) { return std::isfinite(scale) && scale != 0.0f ? scale : 1.0f; }
float UsableOffset(float offset) { return std::isfinite(offset) ? offset : 0.0f; }

}  // namespace

const float* CNIXYChart::XSource(int index) const
{
    const ChartSeries& s = *series_[index];
    if (linkedXMode_ && s.link >= 0 && s.link < kChartSeriesCount && series_[s.link] &&
        series_[s.link]->values)
        return series_[s.link]->values.get();
    return s.times.get();
}

// Points that can be drawn: the used ones, and for a series drawn against another one's values
// no more than that series holds.
int CNIXYChart::DrawableCount(int index) const
{
    const ChartSeries& s = *series_[index];
    if (!s.HasBuffers())
        return 0;
    int n = std::clamp(s.used, 0, s.capacity);
    if (XSource(index) != s.times.get()) {
        const ChartSeries& linked = *series_[s.link];
        n = std::min(n, std::clamp(linked.used, 0, linked.capacity));
    }
    return n;
}

bool CNIXYChart::XIsOrdered(int index, int count)
{
    ChartSeries& s = *series_[index];
    const float* xs = XSource(index);
    if (xs != s.times.get())
        return OrderedPrefix(xs, 0, count) >= count;
    s.timesOrdered = OrderedPrefix(xs, std::clamp(s.timesOrdered, 0, count), count);
    return s.timesOrdered >= count;
}

void CNIXYChart::PrepareRanges()
{
    for (int i = 0; i < kChartSeriesCount; ++i) {
        xRange_[i] = Range();
        yRange_[i] = Range();
        xSorted_[i] = false;
        columnCount_[i] = -1;
        if (!series_[i])
            continue;
        ChartSeries& s = *series_[i];
        const int n = DrawableCount(i);
        const float* xs = XSource(i);

        double xlo = s.xAxis.minimum, xhi = s.xAxis.maximum;
        if (shown_[i] && n > 0) {
            xSorted_[i] = XIsOrdered(i, n);
            if (s.xAxis.autoScale) {
                double lo = xs[0], hi = xs[n - 1];
                const bool ends = xSorted_[i] && std::isfinite(lo) && std::isfinite(hi);
                if (ends || ScanFinite(xs, n, lo, hi)) {
                    MakeUsable(lo, hi);
                    xlo = lo;
                    xhi = hi;
                    s.xAxis.dataMinimum = float(lo);
                    s.xAxis.dataMaximum = float(hi);
                }
            }
        }
        MakeUsable(xlo, xhi);
        xRange_[i] = {xlo, xhi};

        double ylo = s.yAxis.minimum, yhi = s.yAxis.maximum;
        if (shown_[i] && n > 0) {
            const AxisMapping mapX = MapX(i);
            IndexRange window{0, n - 1};
            if (xSorted_[i] && mapX.scale > 0.0 && std::isfinite(mapX.scale) && std::isfinite(mapX.offset)) {
                window = VisibleIndexes(xs, n, mapX.Unmap(plotX_), mapX.Unmap(plotX_ + plotWidth_));
                columnCount_[i] = window.Empty()
                    ? 0 : SummariseColumns(xs, s.values.get(), window.first, window.last, mapX, Columns(i), columnRoom_);
            }
            double lo = 0.0, hi = 0.0;
            if (s.yAxis.autoScale && ScanValues(i, n, window, lo, hi)) {
                const double range = hi - lo;
                const double pad = autoScalePad_;
                if (s.margin > (pad + 1.0) * range) {
                    hi += (s.margin - range) / 2.0;
                    lo -= (s.margin - range) / 2.0;
                } else {
                    lo = lo == 0.0 ? -(double(s.yAxis.factor) * pad) : lo - std::fabs(lo) * pad;
                    hi = hi == 0.0 ? std::fabs(double(s.yAxis.factor)) * pad : hi + std::fabs(hi) * pad;
                }
                MakeUsable(lo, hi);
                ylo = lo;
                yhi = hi;
                s.yAxis.dataMinimum = float(lo);
                s.yAxis.dataMaximum = float(hi);
            }
        }
        MakeUsable(ylo, yhi);
        yRange_[i] = {ylo, yhi};
    }
    // A curve computed from another series is drawn on that series' scale, so that a fit lies on
    // its data and a mean line at the data's mean.
    for (int i = 0; i < kChartSeriesCount; ++i) {
        const int source = yRangeSource_[i];
        if (source >= 0 && series_[i] && series_[source])
            yRange_[i] = yRange_[source];
    }
}

// Smallest and largest finite value of all used points, reusing the column summaries of the
// visible window when there are some.
bool CNIXYChart::ScanValues(int index, int count, IndexRange window, double& lo, double& hi)
{
    const float* ys = series_[index]->values.get();
    if (columnCount_[index] < 0 || window.Empty())
        return ScanFinite(ys, count, lo, hi);
    float flo = 0.0f, fhi = 0.0f;
    bool any = false;
    auto take = [&](bool found, float a, float b) {
        if (!found)
            return;
        flo = any ? std::min(flo, a) : a;
        fhi = any ? std::max(fhi, b) : b;
        any = true;
    };
    float a = 0.0f, b = 0.0f;
    bool found = SummaryExtremes(Columns(index), columnCount_[index], ys, a, b);
    take(found, a, b);
    found = FiniteExtremes(ys, window.first, a, b);
    take(found, a, b);
    found = FiniteExtremes(ys + window.last + 1, count - window.last - 1, a, b);
    take(found, a, b);
    lo = flo;
    hi = fhi;
    return any;
}

int CNIXYChart::ShownCount() const
{
    int count = 0;
    for (int i = 0; i < kChartSeriesCount; ++i)
        count += (series_[i] && shown_[i]) ? 1 : 0;
    return count;
}

void CNIXYChart::LayOut()
{
    const int oldX = plotX_, oldY = plotY_, oldWidth = plotWidth_, oldHeight = plotHeight_;
    rightMargin_ = selectedOn_ ? 48 : 8;
    leftMargin_ = kColumnWidth * ShownCount() + 43;
    plotX_ = leftMargin_;
    plotY_ = 5;
    plotWidth_ = width_ - leftMargin_ - rightMargin_ - 2;
    plotHeight_ = height_ - 42;
    // A series shown or hidden moves the plot's edges: the selection stays on the data it covers,
    // the same fractions of the plot, not on its old pixels.
    if (zoomOn_ && oldWidth > 0 && oldHeight > 0 &&
        (oldX != plotX_ || oldY != plotY_ || oldWidth != plotWidth_ || oldHeight != plotHeight_)) {
        const auto mapX = [&](int x) { return int(std::lround(double(x) * plotWidth_ / oldWidth)); };
        const auto mapY = [&](int y) { return int(std::lround(double(y) * plotHeight_ / oldHeight)); };
        zoomX1_ = mapX(zoomX1_);
        zoomX2_ = mapX(zoomX2_);
        zoomY1_ = mapY(zoomY1_);
        zoomY2_ = mapY(zoomY2_);
        zoomAbsolute_ = QRect(QPoint(plotX_ + zoomX1_, plotY_ + zoomY1_), QPoint(plotX_ + zoomX2_, plotY_ + zoomY2_));
    }
}

// x: fraction of the range from its minimum; y: fraction from its maximum down; then the
// transform picks the visible part of those fractions.
AxisMapping CNIXYChart::MapX(int index) const
{
    const double w = std::max(plotWidth_, 1);
    const double xs = UsableScale(xScale_[index]);
    const double xo = UsableOffset(xOffset_[index]);
    const Range& r = xRange_[index];
    AxisMapping map;
    map.scale = w / ((r.hi - r.lo) * xs);
    map.offset = plotX_ - r.lo * map.scale - xo / xs * w;
    return map;
}

AxisMapping CNIXYChart::MapY(int index) const
{
    const double h = std::max(plotHeight_, 1);
    const double ys = UsableScale(yScale_[index]);
    const double yo = UsableOffset(yOffset_[index]);
    const Range& r = yRange_[index];
    AxisMapping map;
    map.scale = -h / ((r.hi - r.lo) * ys);
    map.offset = plotY_ + r.hi * h / ((r.hi - r.lo) * ys) - yo / ys * h;
    return map;
}

bool CNIXYChart::SeriesMapping(int index, AxisMapping& mapX, AxisMapping& mapY) const
{
    mapX = MapX(index);
    mapY = MapY(index);
    return std::isfinite(mapX.scale) && std::isfinite(mapX.offset) && std::isfinite(mapY.scale) &&
           std::isfinite(mapY.offset) && mapX.scale != 0.0 && mapY.scale != 0.0;
}

QString CNIXYChart::ValueLabel(int index, double value) const
{
    const ChartSeries& s = *series_[index];
    return FromLatin(FormatValueLabel(value, s.yAxis.factor, s.decimals));
}

void CNIXYChart::Redraw()
{
    if (frame_.isNull() || picture_.isNull() || frame_.size() != picture_.size())
        return;
    LayOut();
    PrepareRanges();
    {
        QPainter painter(&frame_);
        DrawFrame(painter);
    }
    std::memcpy(picture_.bits(), frame_.constBits(), size_t(frame_.sizeInBytes()));
    for (CursorMark& mark : cursorMarks_)
        mark = CursorMark();
    if (plotWidth_ <= 0 || plotHeight_ <= 0)
        return;  // no room for a plot: the frame alone

    QPainter painter(&picture_);
    painter.setClipRect(QRect(plotX_, plotY_, width_ - rightMargin_ - plotX_, height_ - 35 - plotY_));
    for (int i = 0; i < kChartSeriesCount; ++i) {
        if (series_[i] && shown_[i] && series_[i]->hasData)
            DrawSeries(painter, i);
    }
    painter.setClipping(false);
    DrawNotes(painter);
    if (cursorOn_)
        DrawCursor(painter);
}

void CNIXYChart::DrawFrame(QPainter& painter)
{
    const int w = width_;
    const int h = height_;
    const int left = leftMargin_;
    const int right = w - rightMargin_;
    const int bottom = h - 35;
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(0, 0, w, h, ColorFromRef(background_));
    if (right > left && bottom > 5)
        painter.fillRect(QRect(QPoint(left, 5), QPoint(right - 1, bottom - 1)), ColorFromRef(Lighter(background_, 10)));

    if (zoomOn_ && !zoomAbsolute_.isNull()) {
        painter.fillRect(zoomAbsolute_, ColorFromRef(kZoomFillColour));
        DrawDottedRect(painter, zoomAbsolute_.left(), zoomAbsolute_.top(), zoomAbsolute_.right(),
                       zoomAbsolute_.bottom(), kZoomOutlineColour);
    }

    DrawYTitles(painter);

    if (selectedOn_ && selectedIndex_ >= 0 && series_[selectedIndex_]) {
        const ChartSeries& s = *series_[selectedIndex_];
        painter.save();
        painter.setFont(titleFont_);
        painter.setPen(ColorFromRef(kSelectedLabelColour));
        painter.translate(right + 12, bottom);
        painter.rotate(-90);
        painter.drawText(QRect(0, 0, std::max(bottom, 1), kColumnWidth), Qt::AlignCenter, FromUtf16(selectedLabel_));
        painter.restore();
        painter.setFont(smallFont_);
        painter.setPen(ColorFromRef(s.colour));
        const Range& r = yRange_[selectedIndex_];
        const QFontMetrics metrics(smallFont_);
        const int room = rightMargin_ - 2 * kLabelPadding;
        painter.drawText(QRect(right, 0, rightMargin_, 15), Qt::AlignCenter, FittingGeneral(r.hi, metrics, room));
        painter.drawText(QRect(right, h - 49, rightMargin_, 28), Qt::AlignCenter,
                         FittingGeneral(r.lo, metrics, room));
    }

    painter.setFont(titleFont_);
    painter.setPen(ColorFromRef(axesColour_));
    painter.drawText(QRect(QPoint(left, bottom), QPoint(w - 1, h - 1)), Qt::AlignCenter, FromUtf16(xTitle_));

    DrawEndLabels(painter);
    DrawZeroLines(painter);
    DrawGrid(painter);

    const QColor axes = ColorFromRef(axesColour_);
    if (right > left && bottom > 5) {
        painter.fillRect(left, 5, right - left, 1, axes);        // top
        painter.fillRect(right, 5, 1, bottom - 5 + 1, axes);      // right edge
        painter.fillRect(left - 1, 5, 2, bottom - 5 + 2, axes);   // left axis
        painter.fillRect(left - 1, bottom, right - left + 2, 2, axes);  // bottom axis
    }
    painter.setPen(ColorFromRef(highlight_ == 1 ? kHighlightColour : 0xFFFFFF));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, w - 1, h - 1);
}

void CNIXYChart::DrawYTitles(QPainter& painter)
{
    const int bottom = height_ - 35;
    int column = 0;
    for (int index : kColumnOrder) {
        if (!series_[index] || !shown_[index])
            continue;
        const int x = 5 + kColumnWidth * column;
        ++column;
        if (index == Resolve(currentSeries_)) {
            painter.fillRect(x, 0, kColumnWidth, std::max(bottom, 1), ColorFromRef(kCurrentColumnColour));
            DrawDottedRect(painter, x, 0, x + kColumnWidth, bottom, kHighlightColour);
        }
        painter.save();
        painter.setFont(rotatedFont_);
        painter.setPen(ColorFromRef(series_[index]->colour));
        painter.translate(x, bottom);
        painter.rotate(-90);
        painter.drawText(QRect(0, 0, std::max(bottom, 1), kColumnWidth), Qt::AlignCenter,
                         FromUtf16(platform::FieldView(series_[index]->name)));
        painter.restore();
    }
}

void CNIXYChart::DrawEndLabels(QPainter& painter)
{
    const int left = leftMargin_;
    const int h = height_;
    painter.setFont(smallFont_);

    const int current = Resolve(currentSeries_);
    if (current >= 0) {
        const Range& r = xRange_[current];
        const double xs = UsableScale(xScale_[current]);
        const double xo = UsableOffset(xOffset_[current]);
        const double lo = r.lo + (r.hi - r.lo) * xo;
        const double hi = r.lo + (r.hi - r.lo) * (xo + xs);
        painter.setPen(ColorFromRef(axesColour_));
        painter.drawText(QRect(QPoint(left - 50, h - 37), QPoint(left + 50 - 1, h - 3)), Qt::AlignCenter,
                         FromLatin(FormatTickLabel(lo, current)));
        painter.drawText(QRect(QPoint(width_ - 50, h - 37), QPoint(width_ - 1, h - 3)), Qt::AlignCenter,
                         FromLatin(FormatTickLabel(hi, current)));
    }

    int row = 0;
    for (int i = 0; i < kChartSeriesCount; ++i) {
        if (!series_[i] || !shown_[i])
            continue;
        const Range& r = yRange_[i];
        const double ys = UsableScale(yScale_[i]);
        const double yo = UsableOffset(yOffset_[i]);
        const double top = r.hi - (r.hi - r.lo) * yo;
        const double bottom = r.hi - (r.hi - r.lo) * (yo + ys);
        painter.setPen(ColorFromRef(series_[i]->colour));
        painter.drawText(QRect(0, 10 * row, std::max(left - 5, 1), 14), Qt::AlignRight | Qt::AlignVCenter,
                         ValueLabel(i, top));
        painter.drawText(QRect(0, h - 49 - 10 * row, std::max(left - 5, 1), 14), Qt::AlignRight | Qt::AlignVCenter,
                         ValueLabel(i, bottom));
        ++row;
    }
}

void CNIXYChart::DrawZeroLines(QPainter& painter)
{
    const int current = Resolve(currentSeries_);
    if (current < 0 || plotWidth_ <= 0 || plotHeight_ <= 0)
        return;
    const int left = leftMargin_;
    const int right = width_ - rightMargin_;
    const int bottom = height_ - 35;
    painter.setFont(smallFont_);
    painter.setPen(ColorFromRef(axesColour_));

    const Range& yr = yRange_[current];
    const double ys = UsableScale(yScale_[current]);
    const double yo = UsableOffset(yOffset_[current]);
    const double ymax = yr.hi - (yr.hi - yr.lo) * yo;
    const double ymin = yr.hi - (yr.hi - yr.lo) * (yo + ys);
    if (ymax > 0.0 && ymin < 0.0) {
        const int y0 = ToDevice(bottom + ymin * plotHeight_ / (ymax - ymin));
        painter.drawText(QRect(QPoint(left - 50, y0 - 14), QPoint(left - 5, y0 + 14)),
                         Qt::AlignRight | Qt::AlignVCenter, QStringLiteral(" 0.0"));
        DrawDottedLine(painter, left, y0 - 1, right, y0 - 1, axesColour_);
    }

    const Range& xr = xRange_[current];
    const double xs = UsableScale(xScale_[current]);
    const double xo = UsableOffset(xOffset_[current]);
    const double xmin = xr.lo + (xr.hi - xr.lo) * xo;
    const double xmax = xr.lo + (xr.hi - xr.lo) * (xo + xs);
    if (xmax > 0.0 && xmin < 0.0) {
        const int x0 = ToDevice(left - xmin * plotWidth_ / (xmax - xmin));
        // The X title stands centred under the plot: a zero label there would print over it.
        const QRect label(x0 - 25, bottom + 2, 50, 14);
        const QRect title = QFontMetrics(titleFont_).boundingRect(
            QRect(QPoint(left, bottom), QPoint(width_ - 1, height_ - 1)), Qt::AlignCenter, FromUtf16(xTitle_));
        if (xTitle_.empty() || !label.intersects(title))
            painter.drawText(label, Qt::AlignCenter, QStringLiteral(" 0.0"));
        DrawDottedLine(painter, x0, 5, x0, bottom, axesColour_);
    }
}

void CNIXYChart::DrawGrid(QPainter& painter)
{
    const int left = leftMargin_;
    const int right = width_ - rightMargin_;
    const int bottom = height_ - 35;
    const QColor axes = ColorFromRef(axesColour_);

    int rows = gridX_ > 0 ? gridX_ : 2;
    rows = std::max(1, std::min(rows, height_ / 4));
    for (int j = 0; j <= rows; ++j) {
        const int y = bottom - j * (height_ - 40) / rows;
        if (y <= 5)
            break;
        if (right > left)
            painter.fillRect(left, y, right - left, 1, ColorFromRef(gridXColour_));
        painter.fillRect(left - 3, y, 3, 1, axes);
        if (selectedOn_)
            painter.fillRect(right, y, 3, 1, axes);
    }

    int columns = gridY_ > 0 ? gridY_ : 2;
    columns = std::max(1, std::min(columns, width_ / 4));
    for (int j = 0; j <= columns; ++j) {
        const int x = left + j * std::max(plotWidth_, 0) / columns;
        if (x >= right)
            break;
        if (bottom > 5)
            painter.fillRect(x, 5, 1, bottom - 5, ColorFromRef(gridYColour_));
        painter.fillRect(x, bottom, 1, 3, axes);
    }
}

void CNIXYChart::DrawSeries(QPainter& painter, int index)
{
    ChartSeries& s = *series_[index];
    const float* xs = XSource(index);
    const int n = DrawableCount(index);
    s.cursorIndex = -1;
    AxisMapping mapX, mapY;
    if (n < 1 || !s.points || !SeriesMapping(index, mapX, mapY))
        return;
    const bool sorted = xSorted_[index];

    if (cursorOn_) {
        const int at = NearestIndex(xs, n, mapX.Unmap(cursorX_), sorted);
        s.cursorIndex = at;
        if (at >= 0 && std::isfinite(s.values[at])) {
            CursorMark& mark = cursorMarks_[index];
            mark.valid = true;
            mark.at = QPoint(ToDevice(mapX.Map(xs[at])), ToDevice(mapY.Map(s.values[at])));
            mark.value = s.values[at];
            mark.series = index;
        }
    }

    const int width = (s.penWidth > 0 ? s.penWidth : (index < 16 ? 3 : 2)) + (s.state == 3 ? 2 : 0);
    if (columnCount_[index] >= 0)
        DrawColumns(painter, index, Columns(index), columnCount_[index], s.colour, width);
    else
        DrawStretch(painter, index, 0, n - 1, s.colour, width);

    if (zoomOn_ && index == Resolve(currentSeries_)) {
        double lo = mapX.Unmap(zoomAbsolute_.left());
        double hi = mapX.Unmap(zoomAbsolute_.right());
        if (hi < lo)
            std::swap(lo, hi);
        const IndexRange selection = IndexesWithin(xs, n, lo, hi, sorted);
        s.selectionFirst = selection.Empty() ? 0 : selection.first;
        s.selectionLast = selection.Empty() ? 0 : selection.last;
        if (!selection.Empty() && selection.last > selection.first) {
            const int count = sorted && mapX.scale > 0.0
                ? SummariseColumns(xs, s.values.get(), selection.first, selection.last, mapX,
                                   Columns(kChartSeriesCount), columnRoom_)
                : -1;
            if (count >= 0)
                DrawColumns(painter, index, Columns(kChartSeriesCount), count, kStretchColour, width);
            else
                DrawStretch(painter, index, selection.first, selection.last, kStretchColour, width);
        }
    }
}

// The pen and the per-line drawing shared by both ways of thinning.
template <typename Thin>
void CNIXYChart::DrawLines(QPainter& painter, int index, uint32_t colour, int width, Thin&& thin)
{
    QPen pen(ColorFromRef(colour), width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    const QPen markerPen(ColorFromRef(colour), 1);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(pen);

    ThinOptions options;
    options.mergeColumns = linkedXMode_ != 0;
    const bool bezier = lineMode_ == 2;
    const bool markers = markersOn_ && markerSpacing_ > 0;
    auto drawRun = [&](QPoint* points, int count, int room) {
        if (bezier) {
            count = PadForBezier(points, count, room);
            DrawBeziersInPieces(painter, points, count);
        } else {
            DrawPolylineInPieces(painter, points, count);
        }
        if (markers) {
            painter.setPen(markerPen);
            int travelled = 0;
            for (int k = 1; k < count; ++k) {
                travelled += std::abs(points[k].x() - points[k - 1].x());
                if (travelled >= markerSpacing_) {
                    DrawMarker(painter, index, points[k]);
                    travelled = 0;
                }
            }
            painter.setPen(pen);
        }
    };
    thin(options, drawRun);
}

void CNIXYChart::DrawStretch(QPainter& painter, int index, int first, int last, uint32_t colour, int width)
{
    ChartSeries& s = *series_[index];
    AxisMapping mapX, mapY;
    if (!SeriesMapping(index, mapX, mapY))
        return;
    DrawLines(painter, index, colour, width, [&](const ThinOptions& options, auto& drawRun) {
        ThinSeries(XSource(index), s.values.get(), first, last, mapX, mapY, options, s.points.get(),
                   kSeriesPointCapacity, drawRun);
    });
}

void CNIXYChart::DrawColumns(QPainter& painter, int index, const ColumnSummary* columns, int count,
                             uint32_t colour, int width)
{
    ChartSeries& s = *series_[index];
    AxisMapping mapX, mapY;
    if (!SeriesMapping(index, mapX, mapY))
        return;
    DrawLines(painter, index, colour, width, [&](const ThinOptions& options, auto& drawRun) {
        ThinColumns(columns, count, XSource(index), s.values.get(), mapX, mapY, options, s.points.get(),
                    kSeriesPointCapacity, drawRun);
    });
}

void CNIXYChart::DrawCursor(QPainter& painter)
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(smallFont_);
    int placedTops[kChartSeriesCount];
    int placed = 0;
    for (const CursorMark& mark : cursorMarks_) {
        if (!mark.valid)
            continue;
        // Labels of series that meet at the cursor are stacked rather than drawn over each other,
        // and a label is widened to hold its whole value.
        const int top = StackedLabelTop(mark.at.y() - 35, placedTops, placed);
        placedTops[placed++] = top;
        const QColor colour = ColorFromRef(series_[mark.series]->colour);
        const QString text = FromLatin(" " + FormatShortGeneral(mark.value));
        const int width = std::max(kCursorLabelMinWidth, QFontMetrics(smallFont_).horizontalAdvance(text) + 6);
        const QRect label(mark.at.x() - width / 2, top, width, kCursorLabelHeight);
        painter.fillRect(label, Qt::white);
        painter.setPen(colour);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(label.adjusted(0, 0, -1, -1));
        painter.drawText(label, Qt::AlignCenter, text);
        painter.fillRect(mark.at.x() - 3, mark.at.y() - 1, 6, 2, colour);
        painter.fillRect(mark.at.x() - 1, mark.at.y() - 3, 2, 6, colour);
    }
}

void CNIXYChart::DrawNotes(QPainter& painter)
{
    for (QRect& r : noteRects_)
        r = QRect();
    if (!notes_)
        return;
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i < noteCount_; ++i) {
        const ChartNote& note = notes_[i];
        const int index = note.series;
        if (note.textLength <= 0 || index < 0 || index >= kChartSeriesCount || !series_[index] || !shown_[index])
            continue;
        const ChartSeries& s = *series_[index];
        AxisMapping mapX, mapY;
        if (!SeriesMapping(index, mapX, mapY))
            continue;
        // Stored notes were placed with this anchor (without the X minimum); keep it so they stay put.
        const double ax = (double(s.xAxis.maximum) - s.xAxis.minimum) * note.x;
        // Down from the top of the range the series is drawn on, as PixelToValue and MoveNote
        // measure it: for an auto-scaled series the axis settings are not where it is drawn.
        const Range& yr = yRange_[index];
        const double ay = yr.hi - (yr.hi - yr.lo) * note.y;
        const QPoint anchor(ToDevice(mapX.Map(ax)), ToDevice(mapY.Map(ay)));

        const int length = int(platform::FieldLength(note.text, size_t(std::min(note.textLength, kChartNoteTextLength))));
        const QStringList lines = QString::fromUtf16(note.text, length).split(QStringLiteral("\r\n"));
        const int height = std::clamp(note.fontSize, 6, 72);
        const int key = height * 2 + (note.bold ? 1 : 0);
        if (noteFontKeys_[i] != key) {
            noteFonts_[i] = ChartFont(QStringLiteral("Malgun Gothic"), height, note.bold != 0);
            noteFontKeys_[i] = key;
        }
        const QFontMetrics metrics(noteFonts_[i]);
        int widest = 0;
        for (const QString& line : lines)
            widest = std::max(widest, metrics.horizontalAdvance(line));
        const QRect box(anchor.x(), anchor.y(), widest + 2 * metrics.averageCharWidth(),
                        std::max(1, int(lines.size())) * metrics.height());
        noteRects_[i] = box;

        painter.setFont(noteFonts_[i]);
        painter.setPen(ColorFromRef(note.colour));
        for (int k = 0; k < lines.size(); ++k)
            painter.drawText(QRect(box.left(), box.top() + k * metrics.height(), box.width(), metrics.height()),
                             Qt::AlignLeft | Qt::AlignVCenter, lines[k]);
        if (i == selectedNote_) {
            DrawDottedRect(painter, box.left(), box.top(), box.right(), box.bottom(), kHighlightColour);
            if (closeBox_ && !closeBox_->isNull())
                painter.drawImage(QRect(box.left(), box.top() - 20, 24, 20), *closeBox_);
        }
    }
}

}  // namespace uikit
