#include "uikit/chart/CNIXYChart.h"

#include "platform/CLocale.h"
#include "platform/Text.h"
#include "uikit/chart/BitmapFile.h"
#include "uikit/chart/ChartFonts.h"
#include "uikit/chart/ChartPaint.h"
#include "uikit/chart/SeriesThinning.h"

#include <QObject>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace uikit {
namespace {

constexpr int kMinZoomSize = 2;
constexpr int kLargestSelectionIndex = 0xFFFFF;

int PenWidthFor(int index) { return index < 16 ? 3 : 2; }

void SetAxis(ChartAxis& axis, float minimum, float maximum, float factor, const char16_t* unit)
{
    axis.minimum = minimum;
    axis.maximum = maximum;
    axis.factor = factor;
    if (unit)
        platform::CopyToField(axis.unit, std::u16string_view(unit, platform::FieldLength(unit, kAxisUnitLength)));
}

}  // namespace

CNIXYChart::CNIXYChart()
{
    std::fill(std::begin(xScale_), std::end(xScale_), 1.0f);
    std::fill(std::begin(yScale_), std::end(yScale_), 1.0f);
    std::fill(std::begin(yRangeSource_), std::end(yRangeSource_), -1);
}

// The series records and their buffers are shared by every chart of the program, so a chart
// going away leaves them alone.
CNIXYChart::~CNIXYChart() = default;

ChartSeries* CNIXYChart::Series(int series) const
{
    const int index = Resolve(series);
    return index < 0 ? nullptr : series_[index];
}

int CNIXYChart::Resolve(int series) const
{
    if (series == -1)
        series = currentSeries_;
    if (series < 0 || series >= kChartSeriesCount || !series_[series])
        return -1;
    return series;
}

int CNIXYChart::Create(QObject* owner, int width, int height, uint32_t background, const QString& faceName)
{
    if (!owner)
        return 0;
    background_ = background;
    if (!owner_) {
        owner_ = owner;
        MakeBuffers(width, height);
    }
    if (!haveFonts_) {
        faceName_ = faceName;
        rotatedFont_ = ChartFont(faceName, 15, false);
        titleFont_ = ChartFont(faceName, 15, false);
        smallFont_ = ChartFont(faceName, 13, false);
        haveFonts_ = true;
    }
    return 1;
}

int CNIXYChart::Attach(QObject* owner, int width, int height)
{
    if (!owner)
        return 1;
    owner_ = owner;
    MakeBuffers(width, height);
    return 1;
}

void CNIXYChart::MakeBuffers(int width, int height)
{
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    frame_ = QImage(width_, height_, QImage::Format_ARGB32_Premultiplied);
    picture_ = QImage(width_, height_, QImage::Format_ARGB32_Premultiplied);
    frame_.fill(ColorFromRef(background_));
    picture_.fill(ColorFromRef(background_));
    // Room for the pixel columns of every series plus one scratch set (a selected stretch); a
    // plot never has more columns than the drawing is wide, plus a neighbour on each side.
    columnRoom_ = width_ + 8;
    columns_.assign(size_t(kChartSeriesCount + 1) * size_t(columnRoom_), ColumnSummary{});
}

int CNIXYChart::AllocSeries(int series, int capacity, uint32_t colour)
{
    const int index = Resolve(series);
    if (index < 0 || capacity < 0 || capacity > kMaxSeriesCapacity)
        return 0;
    ChartSeries& s = *series_[index];
    if (!AllocateSeriesBuffers(s, capacity))
        return 0;
    s.used = 0;
    s.xAxis.autoScale = 0;
    s.yAxis.autoScale = 0;
    s.colour = colour;
    return 1;
}

void CNIXYChart::FreeAllSeries()
{
    for (int i = 0; i < kChartSeriesCount; ++i) {
        shown_[i] = 0;
        if (!series_[i])
            continue;
        ChartSeries& s = *series_[i];
        FreeSeriesBuffers(s);
        s.hasData = 0;
        s.used = 0;
        s.selectionFirst = 0;
        s.selectionLast = 0;
    }
}

int CNIXYChart::SetSeriesData(int series, int count, const float* values, const float* times, int start,
                              int window, int group, int link)
{
    const int index = Resolve(series);
    if (index < 0)
        return -1;
    ChartSeries& s = *series_[index];
    s.hasData = 1;
    s.penWidth = PenWidthFor(index);
    s.start = start;
    s.window = window;
    int copied = 0;
    if (s.HasBuffers() && values && times && count > 0 && start >= 0) {
        copied = std::min(count, s.capacity);
        // memmove: a caller may hand in a series' own buffers.
        std::memmove(s.values.get(), values + start, size_t(copied) * sizeof(float));
        std::memmove(s.times.get(), times + start, size_t(copied) * sizeof(float));
    }
    s.used = copied;
    s.timesOrdered = OrderedPrefix(s.times.get(), 0, copied);
    s.start = 0;
    s.window = -1;
    s.group = group;
    s.link = link;
    return index;
}

int CNIXYChart::AppendSeriesData(int series, int count, const float* values, const float* times,
                                 int position, int window, int group, int link)
{
    const int index = Resolve(series);
    if (index < 0)
        return -1;
    ChartSeries& s = *series_[index];
    if (!s.HasBuffers() || !values || count <= 0 || position < 0)
        return index;
    s.hasData = 1;
    s.penWidth = PenWidthFor(index);
    s.start = 0;
    s.window = window;
    const int capacity = s.capacity;
    if (position >= capacity) {
        // A full strip: the oldest values leave on the left, the new ones enter on the right; the
        // X buffer keeps its coordinates so the curve runs through a fixed window.
        if (count >= capacity) {
            std::memcpy(s.values.get(), values + (count - capacity), size_t(capacity) * sizeof(float));
        } else {
            std::memmove(s.values.get(), s.values.get() + count, size_t(capacity - count) * sizeof(float));
            std::memcpy(s.values.get() + (capacity - count), values, size_t(count) * sizeof(float));
        }
        s.used = capacity;
    } else {
        const int written = std::min(count, capacity - position);
        std::memcpy(s.values.get() + position, values, size_t(written) * sizeof(float));
        if (times) {
            std::memcpy(s.times.get() + position, times, size_t(written) * sizeof(float));
            s.timesOrdered = OrderedPrefix(s.times.get(), std::min(s.timesOrdered, position), position + written);
        }
        s.used = std::min(capacity, std::max(s.used, position + written));
    }
    s.start = 0;
    s.window = -1;
    s.group = group;
    s.link = link;
    return index;
}

int CNIXYChart::ShowSeries(int series, int flag)
{
    if (series < 0 || series >= kChartSeriesCount)
        return series;
    shown_[series] = flag;
    return series;
}

int CNIXYChart::IsShown(int series) const
{
    const int index = Resolve(series);
    return index < 0 ? 0 : shown_[index];
}

void CNIXYChart::SetSeriesState(int series, int state)
{
    if (ChartSeries* s = Series(series))
        s->state = state;
}

void CNIXYChart::SetSelectedSeries(int series, int selected, std::u16string_view label)
{
    const int index = Resolve(series);
    if (index < 0)
        return;
    if (selected == 1) {
        series_[index]->state = 3;
        selectedOn_ = 1;
        selectedIndex_ = index;
        selectedLabel_ = std::u16string(label);
    } else {
        series_[index]->state = 2;
        if (selectedIndex_ == index)
            selectedOn_ = 0;
    }
}

void CNIXYChart::SetSeriesName(int series, std::u16string_view xTitle, std::u16string_view name)
{
    ChartSeries* s = Series(series);
    if (!s)
        return;
    platform::CopyToField(s->xTitle, xTitle);
    platform::CopyToField(s->name, name);
    xTitle_ = std::u16string(platform::FieldView(s->xTitle));
}

void CNIXYChart::SetSeriesDecimals(int series, int decimals)
{
    if (ChartSeries* s = Series(series))
        s->decimals = decimals;
}

void CNIXYChart::SetXAxis(int series, float minimum, float maximum, float factor, const char16_t* unit)
{
    if (ChartSeries* s = Series(series))
        SetAxis(s->xAxis, minimum, maximum, factor, unit);
}

void CNIXYChart::SetYAxis(int series, float minimum, float maximum, float factor, const char16_t* unit)
{
    if (ChartSeries* s = Series(series))
        SetAxis(s->yAxis, minimum, maximum, factor, unit);
}

void CNIXYChart::SetAutoScale(int series, int autoY, int autoX)
{
    ChartSeries* s = Series(series);
    if (!s)
        return;
    if (autoY) {
        s->yAxis.dataMinimum = std::bit_cast<float>(kScanStartMinimumBits);
        s->yAxis.dataMaximum = std::bit_cast<float>(kScanStartMaximumBits);
    }
    if (autoX) {
        s->xAxis.dataMinimum = std::bit_cast<float>(kScanStartMinimumBits);
        s->xAxis.dataMaximum = std::bit_cast<float>(kScanStartMaximumBits);
    }
    s->yAxis.autoScale = autoY;
    s->xAxis.autoScale = autoX;
}

void CNIXYChart::SetSeriesMargin(int series, float a, float b, float percent)
{
    const int index = Resolve(series);
    if (index < 0)
        return;
    series_[index]->margin = index <= 3 ? std::fabs(b - a) * percent / 100.0f : 0.0f;
}

void CNIXYChart::SetYRangeSource(int series, int source)
{
    const int index = Resolve(series);
    if (index < 0)
        return;
    yRangeSource_[index] = source >= 0 && source < kChartSeriesCount && source != index ? source : -1;
}

std::string CNIXYChart::FormatTickLabel(double value, int series) const
{
    const ChartSeries* s = Series(series);
    return platform::FormatFixed(value * (s ? double(s->xAxis.factor) : 1.0), 3);
}

void CNIXYChart::SetGridCount(int horizontal, int vertical)
{
    gridX_ = horizontal;
    gridY_ = vertical;
}

void CNIXYChart::SetColors(uint32_t background, uint32_t axes, uint32_t gridX, uint32_t gridY)
{
    background_ = background;
    axesColour_ = axes;
    gridXColour_ = gridX;
    gridYColour_ = gridY;
}

void CNIXYChart::SetMarkerSpacing(int spacing, int enable)
{
    if (enable == 1) {
        markerSpacing_ = spacing;
        markersOn_ = 1;
    } else {
        markersOn_ = 0;
    }
}

void CNIXYChart::SetCursor(int on, int x)
{
    cursorOn_ = on;
    if (on)
        cursorX_ = x;
}

int CNIXYChart::GetCursorIndex(int series) const
{
    const int index = Resolve(series);
    if (index < 0 || !cursorOn_ || !shown_[index])
        return -1;
    const ChartSeries& s = *series_[index];
    if (s.used < 1 || s.cursorIndex < 0)
        return -1;
    return std::min(s.cursorIndex, s.used - 1);
}

void CNIXYChart::SetSeriesTransform(int series, float xOffset, float yOffset, float xScale, float yScale)
{
    const int index = Resolve(series);
    if (index < 0)
        return;
    xOffset_[index] = xOffset;
    yOffset_[index] = yOffset;
    xScale_[index] = xScale;
    yScale_[index] = yScale;
}

int CNIXYChart::GetSeriesTransform(int series, float& xOffset, float& yOffset, float& xScale, float& yScale) const
{
    const int index = Resolve(series);
    if (index < 0)
        return 0;
    xOffset = xOffset_[index];
    yOffset = yOffset_[index];
    xScale = xScale_[index];
    yScale = yScale_[index];
    return 1;
}

void CNIXYChart::ResetTransforms()
{
    std::fill(std::begin(xOffset_), std::end(xOffset_), 0.0f);
    std::fill(std::begin(yOffset_), std::end(yOffset_), 0.0f);
    std::fill(std::begin(xScale_), std::end(xScale_), 1.0f);
    std::fill(std::begin(yScale_), std::end(yScale_), 1.0f);
    zoomX1_ = zoomY1_ = zoomX2_ = zoomY2_ = 0;
    zoomAbsolute_ = QRect();
    zoomOn_ = 0;
}

void CNIXYChart::SetZoomRect(int on, int x1, int y1, int x2, int y2)
{
    if (x2 < x1)
        std::swap(x1, x2);
    if (y2 < y1)
        std::swap(y1, y2);
    // A rectangle this small is a click, not a zoom; zooming into it would make the scales ~0.
    if (!on || x2 - x1 < kMinZoomSize || y2 - y1 < kMinZoomSize) {
        zoomOn_ = 0;
        zoomX1_ = zoomY1_ = zoomX2_ = zoomY2_ = 0;
        zoomAbsolute_ = QRect();
        return;
    }
    zoomOn_ = 1;
    zoomAbsolute_ = QRect(QPoint(x1, y1), QPoint(x2, y2));
    zoomX1_ = x1 - plotX_;
    zoomY1_ = y1 - plotY_;
    zoomX2_ = x2 - plotX_;
    zoomY2_ = y2 - plotY_;
}

// Zoom and pan work on the range that was drawn: an auto-scaled range is frozen into the axis so
// that the transform continues from what the user saw.
void CNIXYChart::ClearAutoScale(int index)
{
    ChartSeries& s = *series_[index];
    if (s.xAxis.autoScale) {
        s.xAxis.minimum = float(xRange_[index].lo);
        s.xAxis.maximum = float(xRange_[index].hi);
    }
    if (s.yAxis.autoScale) {
        s.yAxis.minimum = float(yRange_[index].lo);
        s.yAxis.maximum = float(yRange_[index].hi);
    }
    s.xAxis.autoScale = 0;
    s.yAxis.autoScale = 0;
}

void CNIXYChart::ApplyZoom()
{
    if (!zoomOn_)
        return;
    const double w = std::max(plotWidth_, 1);
    const double h = std::max(plotHeight_, 1);
    for (int i = 0; i < kChartSeriesCount; ++i) {
        if (!series_[i] || !(shown_[i] || series_[i]->hasData))
            continue;
        xOffset_[i] += float(zoomX1_ / w * xScale_[i]);
        yOffset_[i] += float(zoomY1_ / h * yScale_[i]);
        xScale_[i] *= float((zoomX2_ - zoomX1_) / w);
        yScale_[i] *= float((zoomY2_ - zoomY1_) / h);
        ClearAutoScale(i);
    }
}

void CNIXYChart::PanAll(int dx, int dy)
{
    const double w = std::max(plotWidth_, 1);
    const double h = std::max(plotHeight_, 1);
    for (int i = 0; i < kChartSeriesCount; ++i) {
        if (!series_[i] || !shown_[i] || !series_[i]->hasData)
            continue;
        xOffset_[i] += float(dx / w * xScale_[i]);
        yOffset_[i] += float(dy / h * yScale_[i]);
        ClearAutoScale(i);
    }
}

int CNIXYChart::PixelToValue(int series, int px, int py, float& x, float& y) const
{
    const int index = Resolve(series);
    if (index < 0)
        return 0;
    const double w = std::max(plotWidth_, 1);
    const double h = std::max(plotHeight_, 1);
    x = float((px - plotX_) / w * xScale_[index] + xOffset_[index]);
    y = float((py - plotY_) / h * yScale_[index] + yOffset_[index]);
    return 1;
}

int CNIXYChart::PixelToValueCurrent(int px, int py, int& series, float& x, float& y) const
{
    series = Resolve(currentSeries_);
    if (series < 0)
        return -1;
    PixelToValue(series, px, py, x, y);
    return series;
}

int CNIXYChart::GetSelectionRange(int series, int& first, int& last)
{
    const int index = Resolve(series);
    if (index < 0)
        return 0;
    currentSeries_ = index;
    ChartSeries& s = *series_[index];
    if (s.selectionFirst < 0 || s.selectionFirst > kLargestSelectionIndex)
        s.selectionFirst = 0;
    if (s.selectionLast < 0 || s.selectionLast > kLargestSelectionIndex)
        s.selectionLast = 0;
    first = std::min(s.selectionFirst, s.selectionLast);
    last = std::max(s.selectionFirst, s.selectionLast);
    if (first == last)
        return 0;
    return zoomOn_ ? 1 : 0;
}

void CNIXYChart::SetNotes(int count, ChartNote* notes, const QImage* closeBox)
{
    noteCount_ = notes ? std::clamp(count, 0, kMaxChartNotes) : 0;
    notes_ = notes;
    closeBox_ = closeBox;
    selectedNote_ = -1;
    for (QRect& r : noteRects_)
        r = QRect();
}

int CNIXYChart::HitTestNote(int x, int y)
{
    for (int i = 0; i < noteCount_; ++i) {
        const QRect& r = noteRects_[i];
        if (r.isNull())
            continue;
        if (x > r.left() && x < r.left() + r.width() && y > r.top() && y < r.top() + r.height()) {
            selectedNote_ = i;
            return 1;
        }
    }
    return 0;
}

int CNIXYChart::HitTestNoteCloseBox(int x, int y) const
{
    if (selectedNote_ < 0 || selectedNote_ >= noteCount_)
        return -1;
    const QRect& r = noteRects_[selectedNote_];
    if (r.isNull())
        return -1;
    if (x > r.left() && x < r.left() + 24 && y > r.top() - 20 && y < r.top())
        return selectedNote_;
    return -1;
}

int CNIXYChart::MoveNote(int dx, int dy)
{
    if (!notes_ || selectedNote_ < 0 || selectedNote_ >= noteCount_)
        return 0;
    ChartNote& note = notes_[selectedNote_];
    const int index = note.series;
    const float xScale = index >= 0 && index < kChartSeriesCount ? xScale_[index] : 1.0f;
    const float yScale = index >= 0 && index < kChartSeriesCount ? yScale_[index] : 1.0f;
    note.x -= float(double(dx) / std::max(plotWidth_, 1) * xScale);
    note.y -= float(double(dy) / std::max(plotHeight_, 1) * yScale);
    return 1;
}

const QImage* CNIXYChart::GetMemoryDC() const
{
    if (!owner_ || picture_.isNull())
        return nullptr;
    return &picture_;
}

int CNIXYChart::SaveBitmapFile(const QString& path, const QImage* picture, int width, int height,
                               const QRect* source) const
{
    if (!picture)
        return 0;
    QRect area(0, 0, width, height);
    if (source)
        area = QRect(source->left(), source->top(), source->width(), source->height());
    return WriteBitmapFile(path, *picture, area);
}

}  // namespace uikit
