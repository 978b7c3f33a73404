#pragma once

#include <cstdint>
#include <functional>

#include "devicelink/sensor/ChannelState.h"
#include "logger/project/ExperimentRecords.h"

// Waiting for a run's trigger: on every tick the channels that carry a trigger are read once,
// a level trigger against its level, a photogate trigger against the change since the last read.
// Reads that keep failing end the wait instead of blocking the screen tick after tick.
namespace measure {

class TriggerWatch {
public:
    static constexpr int32_t kLevelTickMs = 10;
    static constexpr int32_t kPhotogateTickMs = 5;
    static constexpr int kFailedReadsAllowed = 3;
    static constexpr float kGateStep = 500.0f;

    enum class Result { Waiting, Fired, GaveUp };

    struct Channel {
        bool watched = false;
        int32_t kind = devicelink::kTriggerNone;  // a devicelink::TriggerKind
        float level = 0.0f;
        int32_t output = 0;      // which of the sensor's values is compared
    };
    // The newest values of a channel into `values` (one per output); false when none came.
    using Reader = std::function<bool(int channel, float* values)>;

    void Arm(const Channel (&channels)[project::kChannelCount], bool photogate);
    void Disarm() { armed_ = false; }
    bool Photogate() const { return photogate_; }
    int32_t TickMs() const { return photogate_ ? kPhotogateTickMs : kLevelTickMs; }

    // One tick: Fired at the first channel whose trigger fires, GaveUp after the third read in a
    // row that failed.
    Result Check(const Reader& read);

private:
    bool Fires(int channel, float value);

    Channel channels_[project::kChannelCount];
    bool photogate_ = false;
    bool armed_ = false;
    bool havePrevious_[project::kChannelCount] = {};
    float previous_[project::kChannelCount] = {};
    int failedReads_ = 0;
};

}  // namespace measure
