#include "logger/measure/core/TriggerWatch.h"

#include <algorithm>
#include <cmath>

#include "devicelink/catalogue/SensorCatalogue.h"

namespace measure {

void TriggerWatch::Arm(const Channel (&channels)[project::kChannelCount], bool photogate)
{
    std::copy(std::begin(channels), std::end(channels), std::begin(channels_));
    photogate_ = photogate;
    armed_ = true;
    failedReads_ = 0;
    std::fill(std::begin(havePrevious_), std::end(havePrevious_), false);
}

TriggerWatch::Result TriggerWatch::Check(const Reader& read)
{
    if (!armed_)
        return Result::Waiting;
    for (int c = 0; c < project::kChannelCount; ++c) {
        if (!channels_[c].watched)
            continue;
        float values[devicelink::kMaxOutputs] = {};
        if (!read(c, values)) {
            if (++failedReads_ >= kFailedReadsAllowed) {
                armed_ = false;
                return Result::GaveUp;
            }
            continue;
        }
        failedReads_ = 0;
        const int output = std::clamp(channels_[c].output, 0, devicelink::kMaxOutputs - 1);
        if (Fires(c, values[output])) {
            armed_ = false;
            return Result::Fired;
        }
    }
    return Result::Waiting;
}

bool TriggerWatch::Fires(int c, float value)
{
    const Channel& ch = channels_[c];
    if (!photogate_) {
        return (ch.kind == devicelink::kTriggerRisingLevel && value >= ch.level) ||
               (ch.kind == devicelink::kTriggerFallingLevel && value <= ch.level);
    }
    // A gate fires on a change between two reads, never on the first read.
    const bool first = !havePrevious_[c];
    const float step = previous_[c] - value;
    havePrevious_[c] = true;
    previous_[c] = value;
    if (first)
        return false;
    switch (ch.kind) {
    case devicelink::kTriggerGateBlocked: return step >= kGateStep;
    case devicelink::kTriggerGateUnblocked: return step <= -kGateStep;
    case devicelink::kTriggerGateChanges: return std::fabs(step) >= kGateStep;
    default: return false;
    }
}

}  // namespace measure
