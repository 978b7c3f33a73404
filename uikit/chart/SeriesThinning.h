#pragma once

#include <algorithm>
#include <cstdint>
#include <cmath>
#include <cstdlib>

#include <QPoint>

// Mapping series points to device pixels and thinning them to a few thousand points, so that a
// full buffer of a million samples draws as fast as a short one. No allocation: the caller lends
// the point buffer of the series.
namespace uikit {

// Points a series is thinned to before its last point is added.
constexpr int kThinnedPointLimit = 3990;
// Device coordinates are clamped to this before they become integers (the painter clips).
constexpr double kDeviceCoordinateLimit = 4.0e6;

// device = value x scale + offset
struct AxisMapping {
    double scale = 1.0;
    double offset = 0.0;
    double Map(double value) const { return value * scale + offset; }
    double Unmap(double device) const { return (device - offset) / scale; }
};

inline int ToDevice(double device)
{
    if (!(device > -kDeviceCoordinateLimit))
        return int(-kDeviceCoordinateLimit);
    if (!(device < kDeviceCoordinateLimit))
        return int(kDeviceCoordinateLimit);
    const int truncated = int(device);  // floor without a library call
    return device < truncated ? truncated - 1 : truncated;
}

// Inclusive index range; empty when last < first.
struct IndexRange {
    int first = 0;
    int last = -1;
    bool Empty() const { return last < first; }
};

// Smallest and largest finite value of data[0..count); false when there is none.
bool FiniteExtremes(const float* data, int count, float& lo, float& hi);

// Smallest and largest value of data[0..count) (count >= 1), and whether the smallest occurs
// first; false when a value is not finite (the caller then takes the points one by one).
bool ColumnExtremes(const float* data, int count, float& lo, float& hi, bool& loFirst);

// Length of the leading stretch of x that never decreases (and holds no NaN), given that
// x[0..known) was found so before; windows of such a stretch are found by binary search.
int OrderedPrefix(const float* x, int known, int count);

// The points of a non-decreasing x array to draw for the visible range lo..hi: those inside
// plus one neighbour on each side, so that lines still run to the plot's edges.
IndexRange VisibleIndexes(const float* x, int count, double lo, double hi);

// First and last index whose x lies within lo..hi (sorted: by binary search; else by a scan).
IndexRange IndexesWithin(const float* x, int count, double lo, double hi, bool sorted);

// Index of the finite point whose x is nearest to `value`; -1 when there is none.
int NearestIndex(const float* x, int count, double value, bool sorted);

struct ThinOptions {
    int limit = kThinnedPointLimit;
    bool mergeColumns = false;  // one point per pixel column, at its largest y
};

// Smallest and largest value of a stretch and where each first occurred.
template <typename T>
struct Extremes {
    T lo, hi;
    int loAt, hiAt;
    Extremes(T value, int at) : lo(value), hi(value), loAt(at), hiAt(at) {}
    void Take(T value, int at)
    {
        if (value < lo) {
            lo = value;
            loAt = at;
        }
        if (value > hi) {
            hi = value;
            hiAt = at;
        }
    }
};

// The column state machine behind ThinSeries.
template <typename DrawRun>
class ColumnThinner {
public:
    // Stops early enough that the points never outgrow `room`: a column adds two, the end one.
    ColumnThinner(QPoint* buffer, int room, const ThinOptions& options, DrawRun& drawRun)
        : buffer_(buffer), room_(room), limit_(std::min(options.limit, room - 3)), options_(options),
          drawRun_(drawRun) {}

    bool Stopped() const { return stopped_; }
    int Produced() const { return produced_; }
    int Pending() const { return count_; }

    // Points of one pixel column (one point: minY == maxY).
    void AddColumn(int column, int minY, int minAt, int maxY, int maxAt, int points)
    {
        if (haveColumn_ && column == column_) {
            y_.Take(minY, minAt);
            y_.Take(maxY, maxAt);
            inColumn_ += points;
            return;
        }
        EmitColumn();
        if (produced_ >= limit_) {
            stopped_ = true;
            return;
        }
        haveColumn_ = true;
        column_ = column;
        y_ = Extremes<int>(minY, minAt);
        y_.Take(maxY, maxAt);
        inColumn_ = points;
    }

    void AddPoint(int x, int y, int at) { AddColumn(x, y, at, y, at, 1); }

    // Ends the current line (a gap in the data).
    void Break()
    {
        EmitColumn();
        if (count_ >= 2)
            drawRun_(buffer_, count_, room_);
        count_ = 0;
    }

    void Finish(const QPoint* lastPoint)
    {
        EmitColumn();
        if (lastPoint && count_ > 0 && count_ < room_)
            buffer_[count_++] = *lastPoint;
        Break();
    }

private:
    void EmitColumn()
    {
        if (!haveColumn_)
            return;
        haveColumn_ = false;
        if (inColumn_ == 1 || options_.mergeColumns) {
            buffer_[count_++] = QPoint(column_, y_.hi);
            produced_ += 1;
        } else {
            // Start at the end nearer to where the line stands, so that a noisy stretch becomes
            // a staircase rather than a saw of sharp reversals (which draw as long miter spikes
            // and cost the rasterizer dearly); at the start of a line, in the order they came.
            const bool maxFirst = count_ > 0
                ? std::abs(buffer_[count_ - 1].y() - y_.hi) <= std::abs(buffer_[count_ - 1].y() - y_.lo)
                : y_.hiAt <= y_.loAt;
            buffer_[count_++] = QPoint(column_, maxFirst ? y_.hi : y_.lo);
            buffer_[count_++] = QPoint(column_, maxFirst ? y_.lo : y_.hi);
            produced_ += 2;
        }
    }

    QPoint* buffer_;
    int room_;
    int limit_;
    const ThinOptions& options_;
    DrawRun& drawRun_;
    int count_ = 0;
    int produced_ = 0;
    bool stopped_ = false;
    bool haveColumn_ = false;
    int column_ = 0;
    Extremes<int> y_{0, 0};
    int inColumn_ = 0;
};

// One pixel column of a series with non-decreasing x, in value space: the points first..end-1
// fall in device column `column`. Summaries are made before the Y range is known, so one pass
// over the values serves both auto-scaling and drawing.
struct ColumnSummary {
    int32_t column;
    int32_t first;
    int32_t end;
    float lo;
    float hi;
    uint8_t loFirst;  // the smallest value comes before the largest
    uint8_t finite;   // 0: the column holds NaN or infinity; its points are taken one by one
};

// Splits points first..last (x non-decreasing, mapX.scale > 0) into pixel columns. Returns the
// number of summaries written, or -1 when `room` is too small.
int SummariseColumns(const float* xs, const float* ys, int first, int last, const AxisMapping& mapX,
                     ColumnSummary* out, int room);

// Smallest and largest finite value of the summarised points; false when there is none.
bool SummaryExtremes(const ColumnSummary* columns, int count, const float* ys, float& lo, float& hi);

namespace detail {

template <typename Thinner>
void AddPointsOneByOne(Thinner& thinner, const float* xs, const float* ys, int from, int to,
                       const AxisMapping& mapX, const AxisMapping& mapY)
{
    for (int i = from; i < to && !thinner.Stopped(); ++i) {
        if (!std::isfinite(xs[i]) || !std::isfinite(ys[i])) {
            thinner.Break();
            continue;
        }
        thinner.AddPoint(ToDevice(mapX.Map(xs[i])), ToDevice(mapY.Map(ys[i])), i);
    }
}

// The line always ends at the last drawable point.
template <typename Thinner>
void FinishWithLastPoint(Thinner& thinner, const float* xs, const float* ys, int first, int last,
                         const AxisMapping& mapX, const AxisMapping& mapY)
{
    for (int j = last; j >= first && (thinner.Stopped() || j == last); --j) {
        if (std::isfinite(xs[j]) && std::isfinite(ys[j])) {
            const QPoint point(ToDevice(mapX.Map(xs[j])), ToDevice(mapY.Map(ys[j])));
            thinner.Finish(&point);
            return;
        }
    }
    thinner.Finish(nullptr);
}

}  // namespace detail

// Maps points first..last and thins them: consecutive points in one pixel column become the
// column's largest and smallest y, the one nearer the line's last point first (one point stays
// one point). A non-finite sample ends a line; each finished line of two or more points is
// handed to `drawRun(points, count, room)`, which may pad the points within `room`. Stops after
// `options.limit` points, always ending with the last point. Returns the points produced.
template <typename DrawRun>
int ThinSeries(const float* xs, const float* ys, int first, int last, const AxisMapping& mapX,
               const AxisMapping& mapY, const ThinOptions& options, QPoint* buffer, int room,
               DrawRun&& drawRun)
{
    ColumnThinner<DrawRun> thinner(buffer, room, options, drawRun);
    detail::AddPointsOneByOne(thinner, xs, ys, first, last + 1, mapX, mapY);
    detail::FinishWithLastPoint(thinner, xs, ys, first, last, mapX, mapY);
    return thinner.Produced();
}

// The same drawing from column summaries (SummariseColumns) of points first..last.
template <typename DrawRun>
int ThinColumns(const ColumnSummary* columns, int count, const float* xs, const float* ys,
                const AxisMapping& mapX, const AxisMapping& mapY, const ThinOptions& options,
                QPoint* buffer, int room, DrawRun&& drawRun)
{
    if (count <= 0)
        return 0;
    ColumnThinner<DrawRun> thinner(buffer, room, options, drawRun);
    for (int c = 0; c < count && !thinner.Stopped(); ++c) {
        const ColumnSummary& col = columns[c];
        if (!col.finite) {
            detail::AddPointsOneByOne(thinner, xs, ys, col.first, col.end, mapX, mapY);
            continue;
        }
        // Only the order of the two extremes matters to the thinner.
        const int loAt = col.loFirst ? col.first : col.first + 1;
        const int hiAt = col.loFirst ? col.first + 1 : col.first;
        const int dLo = ToDevice(mapY.Map(col.lo));
        const int dHi = ToDevice(mapY.Map(col.hi));
        const int points = col.end - col.first;
        if (dLo >= dHi)
            thinner.AddColumn(col.column, dHi, hiAt, dLo, loAt, points);
        else
            thinner.AddColumn(col.column, dLo, loAt, dHi, hiAt, points);
    }
    detail::FinishWithLastPoint(thinner, xs, ys, columns[0].first, columns[count - 1].end - 1, mapX, mapY);
    return thinner.Produced();
}

}  // namespace uikit
