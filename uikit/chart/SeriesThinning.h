#pragma once

#include <algorithm>
#include <cmath>

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

// True when x never decreases (and holds no NaN), so windows can be found by binary search.
bool IsNonDecreasing(const float* x, int count);

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
    bool sortedX = false;       // x never decreases: columns are found by binary search
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
    ColumnThinner(QPoint* buffer, int room, const ThinOptions& options, DrawRun& drawRun)
        : buffer_(buffer), room_(room), options_(options), drawRun_(drawRun) {}

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
        if (produced_ >= options_.limit) {
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
            // In the order they occurred, so a steady slope stays a straight line.
            const bool maxFirst = y_.hiAt <= y_.loAt;
            buffer_[count_++] = QPoint(column_, maxFirst ? y_.hi : y_.lo);
            buffer_[count_++] = QPoint(column_, maxFirst ? y_.lo : y_.hi);
            produced_ += 2;
        }
    }

    QPoint* buffer_;
    int room_;
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

// Maps points first..last and thins them: consecutive points in one pixel column become the
// column's largest and smallest y, in the order they occurred (one point stays one point). A
// non-finite sample ends a line; each finished line of two or more points is handed to
// `drawRun(points, count, room)`, which may pad the points within `room`. Stops after
// `options.limit` points, always ending with the last point. Returns the points produced.
template <typename DrawRun>
int ThinSeries(const float* xs, const float* ys, int first, int last, const AxisMapping& mapX,
               const AxisMapping& mapY, const ThinOptions& options, QPoint* buffer, int room,
               DrawRun&& drawRun)
{
    ColumnThinner<DrawRun> thinner(buffer, room, options, drawRun);
    auto addPoints = [&](int from, int to) {  // one by one, [from, to)
        for (int i = from; i < to && !thinner.Stopped(); ++i) {
            if (!std::isfinite(xs[i]) || !std::isfinite(ys[i])) {
                thinner.Break();
                continue;
            }
            thinner.AddPoint(ToDevice(mapX.Map(xs[i])), ToDevice(mapY.Map(ys[i])), i);
        }
    };

    if (options.sortedX && mapX.scale > 0.0) {
        // Whole pixel columns at a time: find where the column ends by binary search, then take
        // the smallest and largest value in it.
        int i = first;
        while (i <= last && !thinner.Stopped()) {
            if (!std::isfinite(xs[i])) {
                addPoints(i, i + 1);
                ++i;
                continue;
            }
            const int column = ToDevice(mapX.Map(xs[i]));
            const double boundary = mapX.Unmap(double(column) + 1.0);
            const float* end = std::lower_bound(xs + i + 1, xs + last + 1, boundary,
                                                [](float v, double bound) { return v < bound; });
            const int j = int(end - xs);
            Extremes<float> v(ys[i], i);
            bool finite = true;
            for (int k = i; k < j; ++k) {
                finite = finite && std::isfinite(ys[k]);
                v.Take(ys[k], k);
            }
            if (finite) {
                const int dLo = ToDevice(mapY.Map(v.lo));
                const int dHi = ToDevice(mapY.Map(v.hi));
                if (dLo >= dHi)
                    thinner.AddColumn(column, dHi, v.hiAt, dLo, v.loAt, j - i);
                else
                    thinner.AddColumn(column, dLo, v.loAt, dHi, v.hiAt, j - i);
            } else {
                addPoints(i, j);
            }
            i = j;
        }
    } else {
        addPoints(first, last + 1);
    }

    // The line always ends at the last drawable point.
    QPoint lastPoint;
    bool haveLast = false;
    for (int j = last; j >= first && (thinner.Stopped() || j == last); --j) {
        if (std::isfinite(xs[j]) && std::isfinite(ys[j])) {
            lastPoint = QPoint(ToDevice(mapX.Map(xs[j])), ToDevice(mapY.Map(ys[j])));
            haveLast = true;
            break;
        }
    }
    thinner.Finish(haveLast ? &lastPoint : nullptr);
    return thinner.Produced();
}

}  // namespace uikit
