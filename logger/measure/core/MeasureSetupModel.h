#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "logger/project/ExperimentRecords.h"

// The measurement set-up dialog without its widgets: the values its controls show, what a change
// of unit or mode does to them, and what OK writes into the data set. Every value is checked
// before anything is written, so a refused OK leaves the record as it was.
namespace measure {

enum RateUnit : int { kRateHertz = 0, kRateMilliseconds = 1, kRateMicroseconds = 2 };
enum LengthUnit : int { kLengthSeconds = 0, kLengthMinutes = 1 };
enum EndOfRun : int { kEndAfterLength = 0, kEndAfterRepeats = 1, kEndWhenStopped = 2 };

class MeasureSetupModel {
public:
    static constexpr int32_t kMaxLengthSeconds = project::kMaxSampleEntries;
    static constexpr int32_t kMaxLengthMinutes = kMaxLengthSeconds / 60;
    static constexpr int32_t kMinRepeat = 2;
    static constexpr int32_t kMaxRepeat = 100;
    static constexpr int32_t kMaxMarkerSpacing = 1000;
    static constexpr int32_t kTitleUnits = 32;

    // What the controls show. The widget keeps them in step with its edits and combos.
    struct Values {
        std::u16string title;
        int32_t mode = project::kRunTimed;
        std::u16string rate;
        int rateUnit = kRateHertz;
        std::u16string length;
        int lengthUnit = kLengthSeconds;
        std::u16string markerSpacing;
        int endOfRun = kEndAfterLength;
        std::u16string repeat;
        int yScale = 0;
        bool perChannel = false;
        std::u16string channelRate[project::kChannelCount];
        int channelUnit[project::kChannelCount] = {};
    };

    // `maxRates` are the channels' maximum rates (0: no sensor on the channel, row disabled).
    void Load(const project::DataSetRecord& record, const int32_t (&maxRates)[project::kChannelCount]);
    Values& values() { return values_; }
    const Values& values() const { return values_; }

    // Controls that follow the others.
    bool RateControlsEnabled() const { return values_.mode == project::kRunTimed; }
    bool RepeatEnabled() const { return values_.endOfRun == kEndAfterRepeats; }
    bool ChannelRowEnabled(int c) const { return maxRates_[c] > 0; }
    // "ch[A] ( 1~500 Hz )"
    std::u16string ChannelCaption(int c) const;

    // Unit and mode changes: the entered numbers follow their unit, keeping the period.
    void SetRateUnit(int unit);
    void SetChannelUnit(int c, int unit);
    void SetLengthUnit(int unit);
    void SetMode(int mode);

    // OK: 0 when the record was written, else the string id of the message that says why not.
    int Apply(project::DataSetRecord& record) const;

    // A rate entered in `unit` as Hz; 0 when it is not a whole number within 1..10,000 Hz
    // (100 microseconds to 1 second).
    static int32_t RateInHertz(std::u16string_view text, int unit);
    // The same rate (period) expressed in another unit, rounded, at least 1; the text as it was
    // when it holds no positive number.
    static std::u16string ConvertRate(std::u16string_view text, int from, int to);

private:
    Values values_;
    std::u16string loadedLength_;
    int loadedLengthUnit_ = kLengthSeconds;
    int32_t loadedMode_ = project::kRunTimed;
    int32_t maxRates_[project::kChannelCount] = {};
};

}  // namespace measure
