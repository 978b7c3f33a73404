#include "logger/measure/core/RatePlan.h"

#include <algorithm>
#include <numeric>

#include "devicelink/catalogue/SensorCatalogue.h"
#include "devicelink/protocol/Vocabulary.h"
#include "logger/project/ExperimentRecords.h"

namespace measure {

namespace {

constexpr int32_t kFastRate = 1000;        // above it a channel samples on the high-speed path
constexpr int32_t kDefaultPerChannelLength = 10;
constexpr int32_t kDefaultCommonLength = 1;
constexpr int64_t kStoreEntries = project::kMaxSampleEntries;

int32_t ClampCount(int64_t count)
{
    return int32_t(std::clamp<int64_t>(count, 0, kStoreEntries));
}

void MarkSpecialChannels(project::DataSetRecord& record, const PlanChannel (&channels)[project::kChannelCount])
{
    record.specialSensor = 0;
    std::fill(std::begin(record.channelSpecial), std::end(record.channelSpecial), 0);
    for (int c = 0; c < project::kChannelCount; ++c) {
        const PlanChannel& ch = channels[c];
        if (!ch.takesPart)
            continue;
        const bool gate = ch.conversionKind == devicelink::kConvertGateEvents && ch.firstConversion == 1;
        if (gate)
            record.channelSpecial[c] = 1;
        if (gate || (ch.conversionKind == devicelink::kConvertChannelChangeEvents && ch.firstConversion == 0))
            record.specialSensor = 1;
    }
}

// The length after its default, capped so that `repeats` lengths fit every channel's store.
// When not even one second of the run fits, the run keeps one second and fewer repeats.
void FitLength(project::DataSetRecord& record, int32_t defaultLength, const int32_t (&rates)[project::kChannelCount],
               const PlanChannel (&channels)[project::kChannelCount])
{
    int32_t repeats = RepeatsOf(record);
    int32_t length = record.length > 0 ? record.length : defaultLength;
    for (int c = 0; c < project::kChannelCount; ++c) {
        if (channels[c].takesPart)
            length = std::min(length, LengthThatFits(rates[c], channels[c].valuesPerSample, repeats));
    }
    if (length < 1) {
        length = 1;
        for (int c = 0; c < project::kChannelCount; ++c) {
            if (channels[c].takesPart)
                repeats = std::min(repeats, std::max(1, LengthThatFits(rates[c], channels[c].valuesPerSample, 1)));
        }
        if (record.stopCount > 1)
            record.stopCount = repeats;
    }
    record.length = length;
}

void PlanPerChannel(project::DataSetRecord& record, const PlanChannel (&channels)[project::kChannelCount])
{
    int32_t rates[project::kChannelCount] = {};
    int32_t grid = 0;   // greatest common divisor of the periods, in steps of 100 us
    int32_t fastest = 0;
    for (int c = 0; c < project::kChannelCount; ++c) {
        if (!channels[c].takesPart)
            continue;
        const int32_t maximum = ChannelMaximum(channels[c]);
        const int32_t period = PeriodFor(ClampRate(record.channelRate[c], maximum), maximum);
        record.channelPeriod[c] = period;
        record.channelRate[c] = kMicroseconds / period;
        rates[c] = record.channelRate[c];
        fastest = std::max(fastest, rates[c]);
        grid = std::gcd(grid, period / kPeriodStep);
    }
    const int32_t base = grid * kPeriodStep;
    record.period = base;
    record.rate = kMicroseconds / base;
    for (int c = 0; c < project::kChannelCount; ++c)
        record.channelDivider[c] = record.channelPeriod[c] / base;
    FitLength(record, kDefaultPerChannelLength, rates, channels);
    record.totalTarget = ClampCount(int64_t(fastest) * record.length);
    for (int c = 0; c < project::kChannelCount; ++c)
        record.targetCount[c] = ClampCount(int64_t(record.channelRate[c]) * record.length);
}

// One rate for every channel: it must suit the slowest sensor taking part, whose maximum is
// `maximum`.
void PlanCommon(project::DataSetRecord& record, const PlanChannel (&channels)[project::kChannelCount],
                int32_t requested, int32_t maximum)
{
    record.reserved0 = 0;
    record.period = PeriodFor(ClampRate(requested, maximum), maximum);
    record.rate = kMicroseconds / record.period;
    int32_t rates[project::kChannelCount];
    std::fill(std::begin(rates), std::end(rates), record.rate);
    FitLength(record, kDefaultCommonLength, rates, channels);
    const int32_t target = ClampCount(int64_t(record.rate) * record.length);
    record.totalTarget = target;
    for (int c = 0; c < project::kChannelCount; ++c) {
        record.channelRate[c] = record.rate;
        record.targetCount[c] = target;
    }
}

void SetHighSpeedFlags(project::DataSetRecord& record, const PlanChannel (&channels)[project::kChannelCount],
                       PlanOutcome& outcome)
{
    for (int c = 0; c < project::kChannelCount; ++c) {
        const PlanChannel& ch = channels[c];
        if (!ch.takesPart)
            continue;
        const int32_t rate = record.perChannelRates == 1 ? record.channelRate[c] : record.rate;
        const bool memoryFamily = ch.sensorFamily == devicelink::kWEepromType;
        devicelink::ChannelState copy = ToDeviceState(record.channels[c]);
        if (rate > kFastRate) {
            if (!memoryFamily) {
                copy.adcFlag = 1;
            } else if (ch.highSpeedCapable == 1) {
                copy.adcFlag = 1;
                outcome.liveHighSpeed[c] = LiveHighSpeed::Set;
            } else {
                copy.adcFlag = 0;
                outcome.liveHighSpeed[c] = LiveHighSpeed::Clear;
            }
        } else if (memoryFamily && ch.highSpeedCapable == 1) {
            copy.adcFlag = 0;
            outcome.liveHighSpeed[c] = LiveHighSpeed::Clear;
        }
        record.channels[c] = project::ToStateImage(copy);
    }
}

}  // namespace

int32_t ChannelMaximum(const PlanChannel& channel)
{
    if (!channel.hasRecord || channel.maxRate <= 0)
        return kMaxRate;
    return std::clamp(channel.maxRate, kMinRate, kMaxRate);
}

int32_t ClampRate(int64_t rate, int32_t maximum)
{
    return int32_t(std::clamp<int64_t>(rate, kMinRate, std::clamp(maximum, kMinRate, kMaxRate)));
}

int32_t PeriodFor(int32_t rate, int32_t maximum)
{
    rate = ClampRate(rate, maximum);
    int32_t period = std::max(kPeriodStep, kMicroseconds / rate / kPeriodStep * kPeriodStep);
    if (kMicroseconds / period > maximum)
        period += kPeriodStep;
    return period;
}

int32_t LengthThatFits(int32_t rate, int32_t valuesPerSample, int32_t repeats)
{
    const int64_t perSecond = int64_t(std::max(rate, 1)) * std::max(valuesPerSample, 1) * std::max(repeats, 1);
    return int32_t(kStoreEntries / perSecond);
}

int32_t ModeOf(const project::DataSetRecord& record)
{
    return record.mode >= 0 && record.mode < project::kRunModeCount ? record.mode : project::kRunTimed;
}

int32_t RepeatsOf(const project::DataSetRecord& record)
{
    return std::clamp(record.stopCount, 1, kMaxRepeat);
}

PlanOutcome PlanRates(project::DataSetRecord& record, const PlanChannel (&channels)[project::kChannelCount])
{
    PlanOutcome outcome;
    MarkSpecialChannels(record, channels);
    const bool anyTakesPart = std::any_of(std::begin(channels), std::end(channels),
                                          [](const PlanChannel& ch) { return ch.takesPart; });
    if (!anyTakesPart)
        return outcome;

    record.mode = ModeOf(record);
    if (record.stopCount < 0)
        record.stopCount = 1;
    record.stopCount = std::min(record.stopCount, kMaxRepeat);
    const int32_t requested = ClampRate(record.rate, kMaxRate);
    int32_t slowestMaximum = kMaxRate;
    for (const PlanChannel& ch : channels) {
        if (ch.takesPart)
            slowestMaximum = std::min(slowestMaximum, ChannelMaximum(ch));
    }
    // A fast common rate that some sensor cannot follow: every channel gets its own rate, each
    // asking for the common one.
    if (requested > 1000 && slowestMaximum <= 1000 && record.perChannelRates != 1) {
        record.perChannelRates = 1;
        for (int c = 0; c < project::kChannelCount; ++c) {
            if (channels[c].takesPart)
                record.channelRate[c] = requested;
        }
    }
    if (record.mode != project::kRunTimed)
        record.perChannelRates = 0;

    if (record.perChannelRates == 1)
        PlanPerChannel(record, channels);
    else
        PlanCommon(record, channels, requested, slowestMaximum);
    SetHighSpeedFlags(record, channels, outcome);
    return outcome;
}

}  // namespace measure
