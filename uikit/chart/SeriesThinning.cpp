#include "uikit/chart/SeriesThinning.h"

#include <limits>

namespace uikit {

// The scans below run over up to a million points per series on every redraw. They keep four
// independent minima and maxima and test finiteness without branches, so that the processor
// is never waiting on one chain of comparisons; `v - v` is 0 for finite v and NaN otherwise.
namespace {

struct FourLanes {
    float lo[4];
    float hi[4];
    bool bad = false;

    FourLanes(float loStart, float hiStart)
    {
        for (int k = 0; k < 4; ++k) {
            lo[k] = loStart;
            hi[k] = hiStart;
        }
    }
    void Run(const float* data, int count)
    {
        int i = 0;
        unsigned notFinite = 0;
        for (; i + 4 <= count; i += 4) {
            for (int k = 0; k < 4; ++k) {
                const float v = data[i + k];
                lo[k] = v < lo[k] ? v : lo[k];
                hi[k] = v > hi[k] ? v : hi[k];
                notFinite |= unsigned((v - v) != 0.0f);
            }
        }
        for (; i < count; ++i) {
            const float v = data[i];
            lo[0] = v < lo[0] ? v : lo[0];
            hi[0] = v > hi[0] ? v : hi[0];
            notFinite |= unsigned((v - v) != 0.0f);
        }
        bad = notFinite != 0;
    }
    float Lo() const { return std::min(std::min(lo[0], lo[1]), std::min(lo[2], lo[3])); }
    float Hi() const { return std::max(std::max(hi[0], hi[1]), std::max(hi[2], hi[3])); }
};

}  // namespace

bool FiniteExtremes(const float* data, int count, float& lo, float& hi)
{
    if (count <= 0)
        return false;
    FourLanes lanes(std::numeric_limits<float>::max(), -std::numeric_limits<float>::max());
    lanes.Run(data, count);
    if (!lanes.bad) {
        lo = lanes.Lo();
        hi = lanes.Hi();
        return true;
    }
    // Some samples are NaN or infinite: the slow way, leaving them out.
    bool any = false;
    for (int i = 0; i < count; ++i) {
        const float v = data[i];
        if (!std::isfinite(v))
            continue;
        lo = any ? std::min(lo, v) : v;
        hi = any ? std::max(hi, v) : v;
        any = true;
    }
    return any;
}

bool ColumnExtremes(const float* data, int count, float& lo, float& hi, bool& loFirst)
{
    FourLanes lanes(data[0], data[0]);
    lanes.Run(data, count);
    if (lanes.bad)
        return false;
    lo = lanes.Lo();
    hi = lanes.Hi();
    int i = 0;
    while (data[i] != lo && data[i] != hi)
        ++i;
    loFirst = data[i] == lo && lo != hi;
    return true;
}

int SummariseColumns(const float* xs, const float* ys, int first, int last, const AxisMapping& mapX,
                     ColumnSummary* out, int room)
{
    int count = 0;
    int i = first;
    while (i <= last) {
        if (count >= room)
            return -1;
        ColumnSummary& col = out[count++];
        col.first = i;
        if (!std::isfinite(xs[i])) {
            // Only the ends of a sorted array can be infinite; such a point stands alone.
            col.column = 0;
            col.end = i + 1;
            col.lo = col.hi = 0.0f;
            col.loFirst = 0;
            col.finite = 0;
            ++i;
            continue;
        }
        col.column = ToDevice(mapX.Map(xs[i]));
        // Where the column ends: binary search for the first x of the next pixel.
        const double boundary = mapX.Unmap(double(col.column) + 1.0);
        const float* end = std::lower_bound(xs + i + 1, xs + last + 1, boundary,
                                            [](float v, double bound) { return v < bound; });
        col.end = int(end - xs);
        float lo = 0.0f, hi = 0.0f;
        bool loFirst = false;
        col.finite = ColumnExtremes(ys + i, col.end - i, lo, hi, loFirst) ? 1 : 0;
        col.lo = lo;
        col.hi = hi;
        col.loFirst = loFirst ? 1 : 0;
        i = col.end;
    }
    return count;
}

bool SummaryExtremes(const ColumnSummary* columns, int count, const float* ys, float& lo, float& hi)
{
    bool any = false;
    for (int c = 0; c < count; ++c) {
        const ColumnSummary& col = columns[c];
        float clo = col.lo, chi = col.hi;
        if (!col.finite && !FiniteExtremes(ys + col.first, col.end - col.first, clo, chi))
            continue;
        lo = any ? std::min(lo, clo) : clo;
        hi = any ? std::max(hi, chi) : chi;
        any = true;
    }
    return any;
}

int OrderedPrefix(const float* x, int known, int count)
{
    if (count <= 0)
        return 0;
    if (known <= 0) {
        if (std::isnan(x[0]))
            return 0;
        known = 1;
    }
    constexpr int kBlock = 1024;
    for (int from = known; from < count; from += kBlock) {
        const int to = std::min(count, from + kBlock);
        unsigned falling = 0;
        for (int i = from; i < to; ++i)
            falling |= unsigned(!(x[i] >= x[i - 1]));
        if (falling) {
            int i = from;
            while (x[i] >= x[i - 1])
                ++i;
            return i;
        }
    }
    return count;
}

IndexRange VisibleIndexes(const float* x, int count, double lo, double hi)
{
    if (count <= 0 || hi < lo)
        return {};
    const float* end = x + count;
    // First point at or right of lo, and first point right of hi; one more on each side.
    const float* from = std::lower_bound(x, end, lo, [](float v, double bound) { return v < bound; });
    const float* to = std::upper_bound(x, end, hi, [](double bound, float v) { return bound < v; });
    int first = int(from - x) - 1;
    int last = int(to - x);
    first = std::max(first, 0);
    last = std::min(last, count - 1);
    return {first, last};
}

IndexRange IndexesWithin(const float* x, int count, double lo, double hi, bool sorted)
{
    if (count <= 0 || hi < lo)
        return {};
    if (sorted) {
        const float* end = x + count;
        const float* from = std::lower_bound(x, end, lo, [](float v, double bound) { return v < bound; });
        const float* to = std::upper_bound(x, end, hi, [](double bound, float v) { return bound < v; });
        return {int(from - x), int(to - x) - 1};
    }
    IndexRange range;
    for (int i = 0; i < count; ++i) {
        if (x[i] >= lo && x[i] <= hi) {
            if (range.Empty())
                range.first = i;
            range.last = i;
        }
    }
    return range;
}

int NearestIndex(const float* x, int count, double value, bool sorted)
{
    if (count <= 0 || std::isnan(value))
        return -1;
    if (sorted) {
        const float* end = x + count;
        const float* at = std::lower_bound(x, end, value, [](float v, double bound) { return v < bound; });
        int i = int(at - x);
        if (i >= count)
            return count - 1;
        if (i > 0 && value - x[i - 1] <= x[i] - value)
            return i - 1;
        return i;
    }
    int best = -1;
    double bestDistance = 0.0;
    for (int i = 0; i < count; ++i) {
        if (!std::isfinite(x[i]))
            continue;
        const double distance = std::fabs(x[i] - value);
        if (best < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

}  // namespace uikit
