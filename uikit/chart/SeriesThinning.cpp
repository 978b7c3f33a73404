#include "uikit/chart/SeriesThinning.h"

namespace uikit {

bool IsNonDecreasing(const float* x, int count)
{
    if (count > 0 && std::isnan(x[0]))
        return false;
    for (int i = 1; i < count; ++i) {
        if (!(x[i] >= x[i - 1]))
            return false;
    }
    return true;
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
