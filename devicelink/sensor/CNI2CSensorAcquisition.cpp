// Register transactions, single readings, the live monitor and measurements: how the sensor
// object fills the two requests it hands to the device layer.
#include "devicelink/sensor/CNI2CSensor.h"
#include "devicelink/sensor/CNI2CSensorHelpers.h"

#include "devicelink/conversion/ConversionState.h"
#include "devicelink/conversion/SampleConversion.h"
#include "devicelink/sensor/OutputUnit.h"
#include "devicelink/sensor/SensorMemoryLayout.h"
#include "platform/Clock.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace devicelink {

using sensor_detail::ValidChannel;
using sensor_detail::MaskForWidth;
using sensor_detail::kTransactionClock;
namespace {

constexpr int32_t kBlockClock = 6;
constexpr uint32_t kRegisterWaitMs = 1000;
constexpr int32_t kValueArrayBytes = kOneShotCapacity * 4;

constexpr int32_t kSingleReadingInterval = 100000;
constexpr int32_t kMonitorInterval = 300000;
constexpr int32_t kMonitorPerEvent = 2;
constexpr int32_t kAdapterSettleMs = 30;
// One report every 0.2 s of samples.
constexpr int32_t kReportSpanUs = 200000;
constexpr int32_t kNoChannelInterval = 1000000;
constexpr int32_t kFastPathBelowUs = 1000;

bool TriggeredByLevel(int32_t triggerWord)
{
    return triggerWord >= 0x30000000 && triggerWord <= 0x3F000000;
}

// The kept intervals are floats made from int32 intervals; the largest rounds up past int32.
int32_t KeptInterval(float interval)
{
    return interval >= 2147483647.0f ? INT32_MAX : static_cast<int32_t>(interval);
}

int32_t PerEventFor(int32_t interval)
{
    return interval > 0 ? kReportSpanUs / interval : 1;
}

}  // namespace

// ---- One-shot transactions.

MeasureSetupBlock& CNI2CSensor::BeginOneShot(int c)
{
    MeasureSetupBlock& block = oneShot_.request.block;
    block = MeasureSetupBlock{};
    block.kind = kind::kSingle;
    block.count = 1;
    block.perEvent = 1;
    for (int ch = 0; ch < kChannelCount; ++ch) {
        block.capacity[ch] = kOneShotCapacity;
        oneShot_.counts[ch].store(0);
    }
    std::fill(std::begin(block.writeType), std::end(block.writeType), -1);
    if (ValidChannel(c)) {
        block.enabled[c] = 1;
        block.entries[c] = 1;
    }
    return block;
}

int32_t CNI2CSensor::SubmitOneShot(bool write, uint32_t waitMs)
{
    // A signal left over from an earlier request must not answer this one.
    oneShotEvent_.Reset();
    const int submitted = write ? api_.SubmitWrite(oneShot_.request) : api_.SubmitRead(oneShot_.request);
    // A refused request is never answered: waiting "until signalled" would wait for ever.
    if (submitted != 1)
        return 0;
    return oneShotEvent_.Wait(waitMs) ? 1 : 0;
}

void CNI2CSensor::PrepareTransaction(int c, int32_t address, int32_t clock, int32_t readType, int32_t byteCount)
{
    MeasureSetupBlock& block = BeginOneShot(c);
    block.clock[c] = static_cast<uint8_t>(clock);
    block.readType[c] = static_cast<uint8_t>(readType);
    block.byteCount[c] = byteCount;
    block.address[c] = address;
}

int32_t CNI2CSensor::ReadRegister(int c, int32_t address, uint32_t* value, int32_t width)
{
    if (!ValidChannel(c) || !value || width < 1 || width > 4 || api_.Open() != 1)
        return 0;
    api_.Stop();
    running_ = 0;
    PrepareTransaction(c, address, kTransactionClock, access::kReadNoAddressData, width);
    MeasureSetupBlock& block = oneShot_.request.block;
    block.readRegister[kRegisterEntries * c] = 0;
    block.readMask[kRegisterEntries * c] = MaskForWidth(width);
    // The value array still holds the last transaction's data (a write's, often): a read that
    // is never answered must not hand that back as the register's value.
    std::memset(oneShot_.values[c].get(), 0, kValueArrayBytes);
    running_ = 1;
    const int32_t answered = SubmitOneShot(false, kRegisterWaitMs);
    *value = answered == 1 ? oneShot_.values[c][0] : 0;
    api_.Stop();
    running_ = 0;
    return answered;
}

int32_t CNI2CSensor::WriteRegister(int c, int32_t address, uint32_t value, int32_t width)
{
    uint8_t bytes[4];
    std::memcpy(bytes, &value, sizeof bytes);  // little-endian: lowest byte first
    return WriteRegisterBytes(c, address, bytes, std::clamp(width, 0, 4));
}

int32_t CNI2CSensor::WriteRegisterBytes(int c, int32_t address, const void* data, int32_t width)
{
    // A sent write counts as done here; the calibration, which must know, asks SendRegisterBytes.
    return SendRegisterBytes(c, address, data, width) >= 0 ? 1 : 0;
}

int32_t CNI2CSensor::SendRegisterBytes(int c, int32_t address, const void* data, int32_t width)
{
    // The data travels in the channel's 8-word value array.
    if (!ValidChannel(c) || !data || width < 1 || width > kValueArrayBytes || api_.Open() != 1)
        return -1;
    api_.Stop();
    running_ = 0;
    PrepareTransaction(c, address, kTransactionClock, access::kWriteNoAddressData, width);
    oneShot_.request.block.readMask[kRegisterEntries * c] = MaskForWidth(width);
    std::memset(oneShot_.values[c].get(), 0, kValueArrayBytes);
    std::memcpy(oneShot_.values[c].get(), data, static_cast<size_t>(width));
    running_ = 1;
    const int32_t answered = SubmitOneShot(true, kRegisterWaitMs);
    api_.Stop();
    running_ = 0;
    return answered;
}

int32_t CNI2CSensor::WriteRegisterAt(int c, int32_t address, int32_t reg, uint32_t value, int32_t width)
{
    if (!ValidChannel(c) || width < 1 || width > 4 || api_.Open() != 1)
        return 0;
    api_.Stop();
    PrepareTransaction(c, address, kTransactionClock, access::kWriteAddressAndData, width);
    MeasureSetupBlock& block = oneShot_.request.block;
    block.readRegister[kRegisterEntries * c] = static_cast<uint8_t>(reg);
    block.readMask[kRegisterEntries * c] = MaskForWidth(width);
    std::memset(oneShot_.values[c].get(), 0, kValueArrayBytes);
    oneShot_.values[c][0] = value & static_cast<uint32_t>(MaskForWidth(width));
    // Bounded like every device wait: a silent device must not hang the caller.
    SubmitOneShot(true, kRegisterWaitMs);
    return 1;
}

int32_t CNI2CSensor::ReadBlock(int c, int32_t address, int32_t reg, void* destination, int32_t length)
{
    // The reply lands in the 8-word value array: no more than 32 bytes can come back.
    if (!ValidChannel(c) || !destination || length < 0 || length > kValueArrayBytes || api_.Open() != 1)
        return 0;
    api_.Stop();
    PrepareTransaction(c, address, kBlockClock, access::kSccReadAddressData, length > 4 ? length : 8);
    MeasureSetupBlock& block = oneShot_.request.block;
    block.readRegister[kRegisterEntries * c] = static_cast<uint8_t>(reg);
    std::fill_n(&block.readMask[kRegisterEntries * c], kRegisterEntries, -1);
    std::memset(oneShot_.values[c].get(), 0, kValueArrayBytes);
    // Bounded, so that a silent device cannot hang a memory read (detection runs it).
    const int32_t answered = SubmitOneShot(false, kSingleReadTimeoutMs);
    std::memcpy(destination, oneShot_.values[c].get(), static_cast<size_t>(length));
    return answered;
}

int32_t CNI2CSensor::WriteBlock(int c, int32_t address, int32_t reg, const void* data, int32_t width)
{
    // Wide writes put the register byte in front of the data: 31 data bytes fill the array.
    if (!ValidChannel(c) || !data || width < 1 || width > kValueArrayBytes - 1 || api_.Open() != 1)
        return 0;
    api_.Stop();
    const bool wide = width > 4;
    PrepareTransaction(c, address, kBlockClock, access::kSccWriteNoAddressData, wide ? width + 1 : width);
    MeasureSetupBlock& block = oneShot_.request.block;
    block.readRegister[kRegisterEntries * c] = static_cast<uint8_t>(reg);
    uint8_t* bytes = reinterpret_cast<uint8_t*>(oneShot_.values[c].get());
    std::memset(bytes, 0, kValueArrayBytes);
    if (wide) {
        std::fill_n(&block.readMask[kRegisterEntries * c], kRegisterEntries, -1);
        bytes[0] = static_cast<uint8_t>(reg);
        std::memcpy(bytes + 1, data, static_cast<size_t>(width));
    } else {
        block.readMask[kRegisterEntries * c] = MaskForWidth(width);
        std::memcpy(bytes, data, static_cast<size_t>(width));
    }
    // Bounded; the answer tells a memory write-back whether to go on.
    return SubmitOneShot(true, kRegisterWaitMs);
}

int32_t CNI2CSensor::ReadSensorMemory(int c)
{
    if (!ValidChannel(c))
        return 0;
    uint8_t image[kSensorMemorySize];
    for (int32_t offset = 0; offset < kSensorMemorySize; offset += memory_chip::kBlock) {
        const int32_t reg = memory_chip::kFirstRegister + offset;
        if (ReadBlock(c, memory_chip::kAddress, reg, image + offset, memory_chip::kBlock) != 1)
            return 0;
    }
    std::memcpy(channels_[c].sensorMemory, image, sizeof image);
    return 1;
}

// ---- Readings.

int32_t CNI2CSensor::ReadOneSample(int c, const SensorAccessRecord& record, bool adcPath, int32_t* index)
{
    MeasureSetupBlock& block = BeginOneShot(-1);
    block.interval = kSingleReadingInterval;
    FillChannelFromRecord(block, c, record);
    if (adcPath) {
        block.readType[c] = access::kReadAdcData;
        block.byteCount[c] = 2;
        block.entries[c] = 1;
    }
    if (CollectOneShotReading(c, block.entries[c], index) != 1)
        return 0;
    // The conversion takes the record's whole sample from the index, also on the fast path,
    // which delivers one word a sample: keep that sample inside the value array.
    *index = std::min(*index, kOneShotCapacity - std::clamp(record.registerCount, 1, kOneShotCapacity));
    return 1;
}

int32_t CNI2CSensor::CollectOneShotReading(int c, int32_t entries, int32_t* index)
{
    // A signal left over from an earlier request must not answer this one.
    oneShotEvent_.Reset();
    running_ = 1;
    if (api_.SubmitRead(oneShot_.request) != 1) {
        api_.Stop();
        running_ = 0;
        return 0;
    }
    const bool answered = oneShotEvent_.Wait(kSingleReadTimeoutMs);
    if (api_.Open() == 1) {
        api_.Stop();
        running_ = 0;
    }
    if (!answered)
        return 0;
    // The newest sample starts `entries` words before the counter; a counter of 0 or past the
    // arrays means that no sample arrived.
    const int32_t counter = oneShot_.counts[c].load(std::memory_order_acquire);
    if (counter <= 0 || counter > kOneShotCapacity)
        return 0;
    *index = std::max(0, counter - entries);
    return 1;
}

int32_t CNI2CSensor::ConvertOneSample(int c, const SensorAccessRecord& record, int32_t index, int32_t adcFlag,
                                      float* values)
{
    ChannelState& state = channels_[c];
    const int32_t savedAllOutputs = state.allOutputs;
    const int32_t savedAdcFlag = state.adcFlag;
    state.allOutputs = 1;
    state.adcFlag = adcFlag;
    float times[kMaxOutputs] = {};
    int32_t produced = 0;
    ConvertChannelData(c, 0, 1, reinterpret_cast<const int32_t*>(oneShot_.values[c].get()) + index,
                       oneShot_.times[c].get() + index, values, times, 0, &record, &state, &produced);
    state.allOutputs = savedAllOutputs;
    state.adcFlag = savedAdcFlag;
    return produced;
}

void CNI2CSensor::BeginSingleReading()
{
    // A reading between runs: whatever runs is stopped and the adapter takes single readings.
    if (api_.Open() == 1) {
        api_.Stop();
        running_ = 0;
        SetAdapterMode(1);
        platform::SleepMs(kAdapterSettleMs);
    }
}

bool CNI2CSensor::TakePathSample(int c, const SensorAccessRecord& record, bool adcPath, int32_t n, int32_t* raw,
                                 float* values, int32_t* time)
{
    int32_t index = 0;
    if (ReadOneSample(c, record, adcPath, &index) != 1)
        return false;
    const int32_t* words = reinterpret_cast<const int32_t*>(oneShot_.values[c].get()) + index;
    std::copy_n(words, std::min(n, kOneShotCapacity - index), raw);
    float converted[kMaxOutputs] = {};
    ConvertOneSample(c, record, index, adcPath ? 1 : 0, converted);
    std::copy_n(converted, n, values);
    if (time)
        *time = oneShot_.times[c][index];
    return true;
}

bool CNI2CSensor::ReadPathValue(int c, bool adcPath, float* value, int32_t* time)
{
    const SensorAccessRecord* record = ValidChannel(c) ? FindSensorRecord(&channels_[c]) : nullptr;
    if (!record)
        return false;
    BeginSingleReading();
    int32_t raw = 0;
    const bool taken = TakePathSample(c, *record, adcPath, 1, &raw, value, time);
    SetAdapterMode(0);
    return taken;
}

int32_t CNI2CSensor::ReadSingleValue(int c, float* values, float* adcValues, int32_t* raw, int32_t* adcRaw,
                                     int32_t n)
{
    if (!ValidChannel(c) || !values || !raw)
        return 0;
    const SensorAccessRecord* record = FindSensorRecord(&channels_[c]);
    if (!record)
        return 0;
    n = std::clamp(n, 1, kMaxOutputs);
    BeginSingleReading();
    if (!TakePathSample(c, *record, false, n, raw, values)) {
        SetAdapterMode(0);
        return 0;
    }
    SetAdapterMode(0);
    SetAdapterMode(1);
    platform::SleepMs(kAdapterSettleMs);
    if (adcValues && adcRaw && !TakePathSample(c, *record, true, n, adcRaw, adcValues)) {
        SetAdapterMode(0);
        return 0;
    }
    SetAdapterMode(0);
    return 1;
}

// ---- Monitor and measurements.

platform::Event& CNI2CSensor::StartMonitor()
{
    if (api_.Open() != 1)
        return completionEvent_;
    MeasureSetupBlock& block = acquisition_.request.block;
    block = MeasureSetupBlock{};
    block.mark = 0;
    block.kind = kind::kTimed;
    block.interval = kMonitorInterval;
    block.count = 0;
    block.perEvent = kMonitorPerEvent;
    SetAdapterMode(1);
    ApplySamplingSetup(block);
    for (int c = 0; c < kChannelCount; ++c) {
        block.enabled[c] = 0;
        acquisition_.counts[c].store(0);
        const SensorAccessRecord* record = connected_[c] == 1 ? FindSensorRecord(&channels_[c]) : nullptr;
        if (!record)
            continue;
        FillChannelFromRecord(block, c, *record);
        block.capacity[c] = kAcquisitionCapacity;
    }
    // A refused start is no run: nothing will arrive, and the screens must not wait as if it would.
    running_ = api_.SubmitRead(acquisition_.request) == 1 ? 1 : 0;
    return completionEvent_;
}

platform::Event& CNI2CSensor::StartAcquisition(const AcquisitionPlan& plan)
{
    if (api_.Open() != 1)
        return completionEvent_;
    const int32_t triggerWord = plan.triggerWord;
    const int32_t* selection = plan.selection;
    const int32_t* channelFlags = plan.channelFlags;
    const int32_t interval = plan.interval;
    const int32_t count = plan.count;
    const int32_t perChannel = plan.perChannel;
    const int32_t* channelIntervals = plan.channelIntervals;
    const int32_t markFlag = plan.markFlag;
    SetAdapterMode(1);
    MeasureSetupBlock& block = acquisition_.request.block;
    block = MeasureSetupBlock{};
    block.triggerWord = triggerWord;
    block.mark = markFlag == 1 ? kSetupMark : 0;

    const auto takesPart = [&](int c) { return connected_[c] == 1 && channelFlags[c] == 1; };
    if (perChannel == 1) {
        block.kind = kind::kTimedPerChannel;
    } else if (!TriggeredByLevel(triggerWord)) {
        block.kind = kind::kTimed;
        for (int c = 0; c < kChannelCount; ++c) {
            if (connected_[c] == 1 && selection[c] == 1 && channelFlags[c] == 1)
                ResetChannelConvState(c);
        }
    } else {
        block.kind = kind::kTriggered;
        uint32_t mask = 0;
        for (int c = 0; c < kChannelCount; ++c)
            mask |= selection[c] == 1 ? (1u << c) : 0u;
        block.triggerWord = static_cast<int32_t>((static_cast<uint32_t>(triggerWord) & ~0xFFu) | mask);
    }

    block.count = count;
    block.interval = interval;
    block.perEvent = PerEventFor(interval);
    const bool ownIntervals = perChannel == 1;
    if (!ownIntervals) {
        std::fill(std::begin(channelIntervals_), std::end(channelIntervals_), static_cast<float>(interval));
    } else {
        int32_t smallest = kNoChannelInterval;
        for (int c = 0; c < kChannelCount; ++c) {
            if (!takesPart(c))
                continue;
            channelIntervals_[c] = static_cast<float>(channelIntervals[c]);
            smallest = std::min(smallest, channelIntervals[c]);
        }
        block.perEvent = PerEventFor(smallest);
    }

    // The rate registers need the intervals this start keeps, which are set by now.
    ApplySamplingSetup(block);
    block.perEvent = std::max(block.perEvent, 1);

    for (int c = 0; c < kChannelCount; ++c) {
        block.enabled[c] = 0;
        block.channelInterval[c] = KeptInterval(channelIntervals_[c]);
        acquisition_.counts[c].store(0);
        const SensorAccessRecord* record = takesPart(c) ? FindSensorRecord(&channels_[c]) : nullptr;
        if (!record)
            continue;
        const ChannelState& state = channels_[c];
        FillChannelFromRecord(block, c, *record);
        const int32_t channelInterval = ownIntervals ? channelIntervals[c] : interval;
        block.channelInterval[c] = channelInterval;
        const bool fastPath = state.sensorFamily == kWEepromType ? state.adcFlag == 1
                                                                  : channelInterval < kFastPathBelowUs;
        if (fastPath)
            block.readType[c] = access::kReadAdcData;
        block.capacity[c] = kAcquisitionCapacity;
    }
    // A refused start is no run: nothing will arrive, and the screens must not wait as if it would.
    running_ = api_.SubmitRead(acquisition_.request) == 1 ? 1 : 0;
    return completionEvent_;
}

// ---- Conversion record.

int32_t CNI2CSensor::ConvertChannelData(int c, int32_t /*mode*/, int32_t count, const int32_t* rawValues,
                                        const int32_t* rawTimes, float* outValues, float* outTimes,
                                        int32_t timeOffset, const SensorAccessRecord* record, ChannelState* state,
                                        int32_t* outCount)
{
    if (outCount)
        *outCount = 0;
    if (!state || !record)
        return 0;
    ConversionParams& p = conversionParams_;
    // The selected output and its unit choice may come from a project file.
    const int32_t u = OutputUnitIndex(*record, *state, state->selectedOutput);

    p.byteCount = record->byteCount;
    p.entriesPerSample = record->registerCount;
    p.outputsPerSample = record->outputCount;
    p.isSigned = record->isSigned;
    p.rangeMax = record->rawMax;
    p.rangeMin = record->rawMin;
    p.rangeOffset = record->rawOffset;
    p.scaleA = record->scale[u];
    p.offsetB = record->offset[u];
    p.unitRangeMin = record->units[u].rangeMin;
    p.unitRangeMax = record->units[u].rangeMax;
    p.conversionKind = state->conversionKind;
    p.channelValue = state->conversionArgument;
    std::copy(std::begin(state->unitChoice), std::end(state->unitChoice), p.unitOptions);
    p.outputSelector = state->selectedOutput;
    p.allOutputs = state->allOutputs;
    p.mode = state->sensorTypeCode;
    p.multiplierM = state->gain;
    p.timeOrigin = state->timeOrigin;
    p.pointShift = state->adcFlag;
    p.timeScale = state->timeUnit * state->timeFactor;
    p.offsetZ = state->adcFlag ? state->adcOffset + state->secondZeroOffset : state->zeroOffset;
    memory::FillCalibrationArea(p, *state);

    int32_t produced = 0;
    const int32_t result = ConvertSamples(c, count, rawValues, rawTimes, outValues, outTimes, timeOffset, &p,
                                          &produced);
    if (outCount)
        *outCount = produced;
    return result;
}

}  // namespace devicelink
