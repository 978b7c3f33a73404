#include "logger/project/RunModel.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/Text.h"

namespace project {

namespace {

constexpr int32_t kDefaultRate = 5;
constexpr int32_t kDefaultPeriod = 200000;
constexpr int32_t kDefaultLength = 30;
constexpr int32_t kDefaultTarget = kDefaultRate * kDefaultLength;
constexpr int32_t kMaxRate = 10000;
constexpr float kViewZoomStep = 0.05f;
// Timed runs stamp milliseconds at periods from this on, microseconds below it.
constexpr int32_t kMillisecondStampPeriod = 10000;

int FirstRecordWhere(const ExperimentBlock& block, bool (*test)(const DataSetRecord&))
{
    for (int i = 0; i < kRunCount; ++i) {
        if (test(block.records[i]))
            return i;
    }
    return -1;
}

bool IsFree(const DataSetRecord& r) { return r.inUse == 0; }
bool IsRecorded(const DataSetRecord& r) { return r.inUse != 0; }
bool HasSerial(const DataSetRecord& r) { return r.dataSetSerial != 0; }

}  // namespace

RunModel::RunModel(ExperimentBlock& block, RunStore& store, const ChannelSetupSource& sensor,
                   RunModelHooks hooks, std::u16string runTitleText)
    : block_(block), store_(store), sensor_(sensor), hooks_(std::move(hooks)),
      runTitleText_(std::move(runTitleText))
{
}

DataSetRecord* RunModel::GetCurrentRun()
{
    return RecordAt(block_, block_.currentIndex);
}

int RunModel::ClearAllRuns()
{
    project::ClearAllRuns(block_);
    return 1;
}

int RunModel::NewRun()
{
    // The stored count may be stale or come from a file: the records themselves decide.
    const int used = CountCreatedRuns(block_);
    if (used > kRunCount - 1)
        return kRunRefused;
    const DataSetRecord* current = GetCurrentRun();
    if (used != 0 && current != nullptr && current->inUse == 0)
        return kRunRefused;
    // A record made earlier and never recorded into is taken again, not counted again.
    const int index = FirstRecordWhere(block_, IsFree);
    if (index < 0)
        return kRunRefused;

    if (store_.SaveProject() != ProjectResult::Ok)
        return kRunStoreFailed;
    if (hooks_.clearChartSeries)
        hooks_.clearChartSeries();
    block_.currentIndex = index;
    CreateRecord(index);
    CopyChannelSetup();
    InitRunSetup();
    block_.usedCount = CountCreatedRuns(block_);
    return kRunDone;
}

void RunModel::CreateRecord(int index)
{
    DataSetRecord& record = block_.records[index];
    std::memset(&record, 0, sizeof record);
    InitNoteRecord(record.note);
    const std::u16string number = platform::AsciiToUtf16(std::to_string(index + 1));
    platform::CopyToFullField(record.title, runTitleText_ + number);
    std::fill(std::begin(record.channelRecorded), std::end(record.channelRecorded), 0);
    record.selectedChannel = -1;
    record.inUse = 0;
    record.dataSetSerial = kSerialBase + index;
    record.viewGraph = 0;
    record.viewGraphCount = 1;
    record.viewGraphs[0].autoScalePad = kViewZoomStep;
}

int RunModel::DeleteRun(int k)
{
    DataSetRecord* record = RecordAt(block_, k);
    if (record == nullptr || !IsCreated(*record))
        return kRunRefused;

    // The record is emptied before the save, so that the block written with it (and loaded
    // back below) no longer holds the deleted set.
    const auto kept = std::make_unique<DataSetRecord>(*record);
    const int32_t keptCount = block_.usedCount;
    std::memset(record, 0, sizeof *record);
    block_.usedCount = CountCreatedRuns(block_);
    if (store_.SaveProjectKeepRecord() != ProjectResult::Ok) {
        *record = *kept;
        block_.usedCount = keptCount;
        return kRunStoreFailed;
    }
    if (block_.usedCount == 0)
        return kRunRefused;

    int next = FirstRecordWhere(block_, IsRecorded);
    if (next < 0)
        next = FirstRecordWhere(block_, HasSerial);
    block_.currentIndex = next;
    return LoadCurrent();
}

int RunModel::SelectRun(int k)
{
    const DataSetRecord* record = RecordAt(block_, k);
    if (record == nullptr || !IsCreated(*record))
        return kRunRefused;
    if (k == block_.currentIndex)
        return kRunDone;
    if (store_.SaveProject() != ProjectResult::Ok)
        return kRunStoreFailed;
    block_.currentIndex = k;
    return LoadCurrent();
}

int RunModel::LoadCurrent()
{
    if (store_.LoadProject() == ProjectResult::Ok)
        return kRunDone;
    // The sample arrays do not hold the new current set: were it left current, the next save
    // would store them over that set's recording. With no current set no save writes samples,
    // and the store still has every set.
    block_.currentIndex = -1;
    return kRunStoreFailed;
}

void RunModel::InitRunSetup()
{
    DataSetRecord* record = GetCurrentRun();
    if (record == nullptr)
        return;
    record->mode = kRunTimed;
    record->perChannelRates = 0;
    record->reserved0 = 0;
    record->stopCount = 1;
    record->rate = kDefaultRate;
    record->period = kDefaultPeriod;
    record->length = kDefaultLength;
    record->reserved1 = 0;
    record->markerSpacing = 0;
    std::fill(std::begin(record->targetCount), std::end(record->targetCount), kDefaultTarget);
    record->totalTarget = kDefaultTarget;
    for (int c = 0; c < kChannelCount; ++c) {
        int32_t rate = 0;
        if (sensor_.IsChannelConnected(c)) {
            // The rate plan divides by every rate: a missing default takes the common rate.
            rate = sensor_.DefaultChannelRate(c);
            rate = rate > 0 ? std::min(rate, kMaxRate) : kDefaultRate;
        }
        record->channelRate[c] = rate;
    }
    if (hooks_.planRates)
        hooks_.planRates(*record);
    // The plan may have changed the period, and the stamps' unit follows the period.
    ApplyTimeScales(*record);
}

void RunModel::CopyChannelSetup()
{
    DataSetRecord* record = GetCurrentRun();
    if (record == nullptr)
        return;
    for (int c = 0; c < kChannelCount; ++c) {
        const ChannelStateImage* live = sensor_.ChannelState(c);
        devicelink::ChannelState copy = live ? ToDeviceState(*live) : devicelink::ChannelState{};
        copy.allOutputs = 0;
        copy.timeOrigin = 0.0f;
        copy.timeFactor = 1.0f;
        record->channels[c] = ToStateImage(copy);
    }
    ApplyTimeScales(*record);
}

void ApplyTimeScales(DataSetRecord& record)
{
    for (int c = 0; c < kChannelCount; ++c) {
        float timeScale = 1.0f;
        if (record.mode == kRunTimed) {
            const int32_t period = record.perChannelRates == 1 ? record.channelPeriod[c] : record.period;
            timeScale = period >= kMillisecondStampPeriod ? 0.001f : 0.000001f;
        }
        devicelink::ChannelState state = ToDeviceState(record.channels[c]);
        state.timeUnit = timeScale;
        record.channels[c] = ToStateImage(state);
    }
}

}  // namespace project
