#pragma once

#include <cstdint>
#include <vector>

#include "devicelink/sensor/ChannelState.h"
#include "logger/measure/core/ChannelInfo.h"
#include "logger/measure/core/RunChart.h"
#include "logger/measure/core/RunSensor.h"
#include "logger/project/ExperimentRecords.h"

// Taking a run's samples as they arrive: on every wake-up each recorded channel's new whole
// samples are copied from the sensor object's acquisition arrays into the data set's sample
// arrays, converted once for all of the sensor's outputs and appended to the chart's series.
namespace measure {

struct IntakeChannel {
    bool recorded = false;
    devicelink::ChannelState state{};   // the data set's copy
    int32_t valuesPerSample = 1;
    int32_t subValues = 1;
    bool eventKind = false;
    int32_t goal = 0;             // raw samples (or events) that complete the channel; 0: none
    int32_t lastDriverCount = 0;  // the driver's count when last read
    int32_t entries = 0;          // raw entries taken into the sample arrays
    int32_t points = 0;           // points of each of its series
    bool finished = false;
    bool storeFull = false;
    bool haveNewest = false;
    float newestValues[kMaxSubValues] = {};
    float newestTime = 0.0f;

    int32_t Samples() const { return entries / valuesPerSample; }
};

class SampleIntake {
public:
    // Samples converted in one call of the conversion (bounds the work buffers).
    static constexpr int32_t kChunk = 4096;

    SampleIntake(RunSensor& sensor, RunChart& chart, project::SampleArrays& samples);

    // Sets up the channels the record's run takes part with (its copies, goals, counts zero).
    void Begin(const project::DataSetRecord& record);
    // No channel recorded.
    void Clear();
    // Takes what arrived on every recorded channel that is still connected. `mode` is the run's
    // mode; *elapsedMs follows the newest converted time. True when points were added.
    bool TakeNew(int32_t mode, int32_t* elapsedMs);

    // Every recorded channel still connected has completed (true when none is connected).
    bool AllFinished() const;
    bool AnyStoreFull() const;
    bool AnyEntries() const;
    const IntakeChannel& Channel(int c) const { return channels_[c]; }

    // Converts `samples` raw samples of a channel (n entries each) and writes them into its
    // series from `position` on; the newest values and time go to `newest`. Returns the points
    // written to each series.
    int32_t ConvertIntoSeries(int channel, const devicelink::ChannelState& state, int32_t subValues,
                              int32_t valuesPerSample, const uint32_t* raw, const int32_t* times, int32_t samples,
                              int32_t timeOffset, int32_t position, IntakeChannel* newest);

private:
    void TakeChannel(int c, IntakeChannel& ch, int32_t mode, int32_t* elapsedMs, bool* added);

    RunSensor& sensor_;
    RunChart& chart_;
    project::SampleArrays& samples_;
    IntakeChannel channels_[project::kChannelCount];
    std::vector<float> values_;
    std::vector<float> times_;
    std::vector<float> subValues_;
    std::vector<float> subTimes_;
};

}  // namespace measure
