#pragma once

#include <cstdint>

// What a measurement of the add-in's measurement window may be: a rate in samples per second,
// a duration in seconds and the channels chosen.
namespace addin::dialogs {

inline constexpr int32_t kDefaultRate = 5;
inline constexpr int32_t kDefaultDuration = 30;
// The period is whole milliseconds: above 1000 a second it would be 0.
inline constexpr int32_t kMinRate = 1;
inline constexpr int32_t kMaxRate = 1000;

enum class StartCheck {
    Ok,
    Incomplete,      // a rate or duration of 0, or no channel: nothing happens
    RateOutOfRange,  // the user is told the rates there are
};

StartCheck CheckStart(int32_t rate, int32_t duration, uint32_t mask);

// Milliseconds between samples (whole, cut): a rate of 3 gives 333.
int32_t PeriodMs(int32_t rate);
// Samples per channel that complete the measurement.
int64_t TargetSamples(int32_t rate, int32_t duration);

}  // namespace addin::dialogs
