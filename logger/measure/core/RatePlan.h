#pragma once

#include <cstdint>

#include "logger/project/ExperimentRecords.h"

// The rate plan of a data set: the sample period of every channel taking part, the run's length
// and how many samples each channel must deliver. Every rate it plans lies within 1 Hz and the
// sensor's maximum (and 10 kHz), and no channel's store of 1,048,576 entries can wrap within the
// planned run, repeats included.
namespace measure {

inline constexpr int32_t kMinRate = 1;
inline constexpr int32_t kMaxRate = 10000;
inline constexpr int32_t kPeriodStep = 100;          // microseconds; the logger's period grid
inline constexpr int32_t kMicroseconds = 1000000;
inline constexpr int32_t kMaxRepeat = 100;

// What the plan needs to know of one channel.
struct PlanChannel {
    bool takesPart = false;       // connected, switched on and not a GPS receiver
    bool hasRecord = false;       // the catalogue describes its sensor
    int32_t maxRate = 0;          // of the sampling entry its state selects; 0 when none is given
    int32_t valuesPerSample = 1;  // raw entries a sample (the record's register count, at least 1)
    int32_t conversionKind = 0;
    int32_t firstConversion = 0;
    int32_t sensorFamily = 0;
    int32_t highSpeedCapable = 0;
};

// What the plan asks of a live channel state; the data set's copies it writes itself.
enum class LiveHighSpeed { Keep, Set, Clear };

struct PlanOutcome {
    LiveHighSpeed liveHighSpeed[project::kChannelCount] = {};
};

// The largest rate a channel may be planned at: its sensor's maximum within 1..10,000 Hz, or
// 10,000 Hz when there is no record or it names no maximum.
int32_t ChannelMaximum(const PlanChannel& channel);
// A rate within 1..maximum.
int32_t ClampRate(int64_t rate, int32_t maximum);
// The period on the logger's 100-microsecond grid for a rate already within 1..maximum: rounded
// down, unless that would sample faster than the maximum, then up.
int32_t PeriodFor(int32_t rate, int32_t maximum);
// The largest length in seconds for which `repeats` runs of a channel sampling `rate` Hz with
// `valuesPerSample` entries a sample fit its store; 0 when not even one second fits.
int32_t LengthThatFits(int32_t rate, int32_t valuesPerSample, int32_t repeats);
// The mode of a record as the program understands it: anything outside 0..4 is timed.
int32_t ModeOf(const project::DataSetRecord& record);
// How many lengths a run records: the repeat count of the record within 1..100; 1 for a run
// that goes on until stopped, which the plan caps like a single length.
int32_t RepeatsOf(const project::DataSetRecord& record);

// Plans the record's rates, length and counts for the channels that take part, and the
// high-speed flags of their copies. With no channel taking part only the special-sensor flags
// change.
PlanOutcome PlanRates(project::DataSetRecord& record, const PlanChannel (&channels)[project::kChannelCount]);

}  // namespace measure
