#pragma once

#include <vector>

#include "logger/project/ExperimentRecords.h"

// The events of a photogate channel for the data grid: each time the gate was blocked, and the
// time since the previous blocking. They are kept in storage of their own, never in another
// series' records, and there are at most kMaxGateEvents of them.
namespace analysis {

constexpr int kMaxGateEvents = 1000;
// A gate reads above this while open and below it while blocked; the value itself is neither.
constexpr float kGateLevel = 1000.0f;

struct GateEvents {
    std::vector<float> times;   // when the gate was blocked
    std::vector<float> gaps;    // time since the previous event, 0 for the first
    int Count() const { return int(gaps.size()); }
};

// The leading blocked samples are skipped (the gate may start blocked); an event needs the gate
// seen open before it.
GateEvents FindGateEvents(const float* values, const float* times, int count);

// Whether the data set recorded a photogate on `channel`, by the sensor code of its own copy of
// the channel state (the live sensor may have changed since). False for a channel outside 0..3.
bool IsGateChannel(const project::DataSetRecord& record, int channel);

}  // namespace analysis
