#pragma once

#include <cstdint>
#include <string>

// The measurement chart's series of the current data set, as the measurement screen filled them
// when that set was loaded: series s = channel + 4 x value number (0..15). CSV export and the
// report read them; the program hands in the chart's shared series records, tests plain arrays.
namespace project {

struct RunSeries {
    bool hasData = false;
    int32_t count = 0;                // points that may be read from both arrays
    const float* values = nullptr;
    const float* times = nullptr;     // seconds, or sample numbers in untimed runs
    std::u16string name;              // the series name the chart shows
    std::u16string xTitle;            // the title of its X axis
};

class RunSeriesSource {
public:
    virtual ~RunSeriesSource() = default;
    // An empty series outside 0..15.
    virtual RunSeries Series(int series) const = 0;
};

}  // namespace project
