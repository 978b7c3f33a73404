#include "logger/measure/core/SampleIntake.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "logger/measure/core/RatePlan.h"
#include "logger/project/ExperimentRecords.h"

namespace measure {

namespace {

constexpr int32_t kStoreEntries = project::kMaxSampleEntries;

int32_t Milliseconds(float seconds)
{
    const double ms = double(seconds) * 1000.0;
    if (!std::isfinite(ms))
        return 0;
    return int32_t(std::clamp(ms, double(INT32_MIN), double(INT32_MAX)));
}

}  // namespace

SampleIntake::SampleIntake(RunSensor& sensor, RunChart& chart, project::SampleArrays& samples)
    : sensor_(sensor), chart_(chart), samples_(samples),
      values_(size_t(kChunk) * kMaxSubValues), times_(size_t(kChunk) * kMaxSubValues),
      subValues_(size_t(kChunk)), subTimes_(size_t(kChunk))
{
}

void SampleIntake::Clear()
{
    for (IntakeChannel& ch : channels_)
        ch = IntakeChannel{};
}

void SampleIntake::Begin(const project::DataSetRecord& record)
{
    Clear();
    const int64_t repeats = RepeatsOf(record);
    for (int c = 0; c < project::kChannelCount; ++c) {
        if (record.channelRecorded[c] != 1)
            continue;
        IntakeChannel& ch = channels_[c];
        ch.recorded = true;
        ch.state = ToDeviceState(record.channels[c]);
        const devicelink::SensorAccessRecord* access = sensor_.FindRecord(ch.state);
        ch.valuesPerSample = ValuesPerSample(access);
        ch.subValues = SubValueCount(ch.state, access);
        ch.eventKind = IsEventKind(ch.state.conversionKind);
        if (record.stopCount != 0) {
            const int64_t target = std::clamp(record.targetCount[c], 1, kStoreEntries);
            ch.goal = int32_t(std::min<int64_t>(target * repeats, kStoreEntries));
        }
    }
}

bool SampleIntake::TakeNew(int32_t mode, int32_t* elapsedMs)
{
    bool added = false;
    for (int c = 0; c < project::kChannelCount; ++c) {
        IntakeChannel& ch = channels_[c];
        // A channel unplugged during the run keeps what it recorded and takes no more.
        if (!ch.recorded || ch.finished || !sensor_.IsConnected(c))
            continue;
        TakeChannel(c, ch, mode, elapsedMs, &added);
    }
    return added;
}

void SampleIntake::TakeChannel(int c, IntakeChannel& ch, int32_t mode, int32_t* elapsedMs, bool* added)
{
    const AcquisitionArrays arrays = sensor_.Arrays(c);
    if (!arrays.Bound())
        return;
    // Read once: the driver may be writing the next entries meanwhile.
    const int32_t count = std::clamp(arrays.count->load(std::memory_order_acquire), 0, arrays.capacity);
    if (count == ch.lastDriverCount)
        return;
    int32_t from = std::clamp(ch.lastDriverCount, 0, arrays.capacity);
    // The driver started its count again: what it holds now is new, from its start.
    if (count < from)
        from = 0;
    const int32_t n = ch.valuesPerSample;
    int32_t samples = (count - from) / n;
    samples = std::min(samples, (kStoreEntries - ch.entries) / n);
    if (ch.goal > 0)
        samples = std::min(samples, ch.goal - ch.Samples());
    ch.lastDriverCount = from;
    if (samples <= 0)
        return;

    // Whole samples only: a sample's last entries may still be on their way.
    const int32_t entries = samples * n;
    uint32_t* rawValues = samples_.rawValues[c] + ch.entries;
    int32_t* rawTimes = samples_.rawTimes[c] + ch.entries;
    std::memcpy(rawValues, arrays.values + from, size_t(entries) * sizeof(uint32_t));
    std::memcpy(rawTimes, arrays.times + from, size_t(entries) * sizeof(int32_t));
    const int32_t points = ConvertIntoSeries(c, ch.state, ch.subValues, n, rawValues, rawTimes, samples,
                                             samples_.rawTimes[c][0], ch.points, &ch);
    ch.points += points;
    ch.entries += entries;
    for (int s = 0; s < ch.subValues; ++s)
        chart_.ShowSeries(c + kSeriesPerSubValue * s, true);
    ch.lastDriverCount = from + entries;

    if (kStoreEntries - ch.entries < n) {
        ch.storeFull = true;
        ch.finished = true;
    }
    // Event kinds complete by their events or, when the events are fewer, by their samples.
    if (ch.goal > 0 && (ch.Samples() >= ch.goal || (ch.eventKind && ch.points >= ch.goal)))
        ch.finished = true;
    if (points > 0) {
        *added = true;
        if (ch.haveNewest && (ch.eventKind || mode == project::kRunTimed || mode == project::kRunManual))
            *elapsedMs = Milliseconds(ch.newestTime);
    }
}

int32_t SampleIntake::ConvertIntoSeries(int channel, const devicelink::ChannelState& state, int32_t subValues,
                                        int32_t valuesPerSample, const uint32_t* raw, const int32_t* times,
                                        int32_t samples, int32_t timeOffset, int32_t position,
                                        IntakeChannel* newest)
{
    const int32_t k = std::clamp(subValues, 1, kMaxSubValues);
    const int32_t n = std::max(valuesPerSample, 1);
    const int32_t first = position;
    for (int32_t done = 0; done < samples;) {
        const int32_t batch = std::min(kChunk, samples - done);
        int32_t produced = 0;
        sensor_.Convert(channel, state, batch, reinterpret_cast<const int32_t*>(raw) + int64_t(done) * n,
                        times + int64_t(done) * n, values_.data(), times_.data(), timeOffset, &produced);
        produced = std::clamp(produced, 0, batch * kMaxSubValues);
        done += batch;
        if (produced == 0)
            continue;
        int32_t points = produced;
        if (k > 1 && produced == batch * k) {
            // One conversion gave every output of each sample, side by side.
            points = batch;
            for (int s = 0; s < k; ++s) {
                for (int32_t j = 0; j < batch; ++j) {
                    subValues_[size_t(j)] = values_[size_t(j * k + s)];
                    subTimes_[size_t(j)] = times_[size_t(j * k + s)];
                }
                chart_.AppendSeriesData(channel + kSeriesPerSubValue * s, batch, subValues_.data(), subTimes_.data(),
                                        position);
                if (newest)
                    newest->newestValues[s] = subValues_[size_t(batch - 1)];
            }
            if (newest)
                newest->newestTime = times_[size_t((batch - 1) * k)];
        } else {
            // A single-output conversion: every sub-value shows it.
            for (int s = 0; s < k; ++s) {
                chart_.AppendSeriesData(channel + kSeriesPerSubValue * s, produced, values_.data(), times_.data(),
                                        position);
                if (newest)
                    newest->newestValues[s] = values_[size_t(produced - 1)];
            }
            if (newest)
                newest->newestTime = times_[size_t(produced - 1)];
        }
        if (newest)
            newest->haveNewest = true;
        position += points;
    }
    return position - first;
}

bool SampleIntake::AllFinished() const
{
    for (int c = 0; c < project::kChannelCount; ++c) {
        const IntakeChannel& ch = channels_[c];
        if (ch.recorded && sensor_.IsConnected(c) && !ch.finished)
            return false;
    }
    return true;
}

bool SampleIntake::AnyStoreFull() const
{
    return std::any_of(std::begin(channels_), std::end(channels_),
                       [](const IntakeChannel& ch) { return ch.recorded && ch.storeFull; });
}

bool SampleIntake::AnyEntries() const
{
    return std::any_of(std::begin(channels_), std::end(channels_),
                       [](const IntakeChannel& ch) { return ch.recorded && ch.entries > 0; });
}

}  // namespace measure
