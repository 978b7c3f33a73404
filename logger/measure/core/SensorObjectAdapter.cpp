#include "logger/measure/core/SensorObjectAdapter.h"

#include <algorithm>

#include "devicelink/conversion/ConversionState.h"
#include "devicelink/sensor/CNI2CSensor.h"

namespace measure {

namespace {

constexpr int32_t kSharedChangeKind = 31;
constexpr int32_t kRepeatSetup = 1;

bool ValidChannel(int channel) { return channel >= 0 && channel < devicelink::kChannelStateCount; }

}  // namespace

bool SensorObjectAdapter::IsConnected(int channel) const
{
    return sensor_ && ValidChannel(channel) && sensor_->connected(channel) == 1;
}

devicelink::ChannelState SensorObjectAdapter::LiveState(int channel) const
{
    if (!sensor_ || !ValidChannel(channel))
        return devicelink::ChannelState{};
    return sensor_->channel(channel);
}

void SensorObjectAdapter::SetPhotogateSetup(int channel, int32_t word)
{
    if (sensor_ && ValidChannel(channel))
        sensor_->channel(channel).photogateSetup = word;
}

void SensorObjectAdapter::SetHighSpeedFlag(int channel, int32_t flag)
{
    if (sensor_ && ValidChannel(channel))
        sensor_->channel(channel).adcFlag = flag;
}

void SensorObjectAdapter::Reconfigure(int channel)
{
    if (sensor_ && ValidChannel(channel))
        sensor_->UpdateChannel(channel, kRepeatSetup);
}

const devicelink::SensorAccessRecord* SensorObjectAdapter::FindRecord(const devicelink::ChannelState& state)
{
    return sensor_ ? sensor_->FindSensorRecord(&state) : nullptr;
}

bool SensorObjectAdapter::IsRunning() const
{
    return sensor_ && sensor_->IsRunning() == 1;
}

platform::Event* SensorObjectAdapter::StartAcquisition(const devicelink::AcquisitionPlan& plan)
{
    if (!sensor_)
        return nullptr;
    platform::Event& event = sensor_->StartAcquisition(plan);
    return sensor_->IsRunning() == 1 ? &event : nullptr;
}

void SensorObjectAdapter::StopAcquisition()
{
    if (sensor_)
        sensor_->StopAcquisition();
}

AcquisitionArrays SensorObjectAdapter::Arrays(int channel)
{
    AcquisitionArrays arrays;
    if (!sensor_ || !ValidChannel(channel))
        return arrays;
    const devicelink::MeasureSetupHost& host = sensor_->acquisitionRequest().host;
    arrays.values = host.values[channel];
    arrays.times = host.times[channel];
    arrays.count = host.counts[channel];
    arrays.capacity = devicelink::kAcquisitionCapacity;
    return arrays;
}

void SensorObjectAdapter::Convert(int channel, const devicelink::ChannelState& state, int32_t count,
                                  const int32_t* raw, const int32_t* times, float* values, float* outTimes,
                                  int32_t timeOffset, int32_t* produced)
{
    *produced = 0;
    if (!sensor_ || !ValidChannel(channel))
        return;
    // Every output of a batch comes out of one conversion: the event kinds count as they go.
    devicelink::ChannelState copy = state;
    copy.allOutputs = 1;
    const devicelink::SensorAccessRecord* record = sensor_->FindSensorRecord(&copy);
    sensor_->ConvertChannelData(channel, 0, count, raw, times, values, outTimes, timeOffset, record, &copy,
                                produced);
}

void SensorObjectAdapter::ResetConversion(int channel)
{
    if (!sensor_ || !ValidChannel(channel))
        return;
    devicelink::ResetChannelConvState(channel);
    sensor_->ResetChannelFilter(channel);
    if (sensor_->channel(channel).conversionKind == kSharedChangeKind)
        devicelink::ResetSharedChangeState();
}

bool SensorObjectAdapter::ReadNewest(int channel, NewestSample& sample)
{
    sample = NewestSample{};
    if (!sensor_ || !ValidChannel(channel) || sensor_->ReadCurrentValue(channel, sample.values) != 1)
        return false;
    // The reading's raw entries are still in the one-shot arrays, the newest sample ending at the
    // count.
    const devicelink::SensorAccessRecord* record = sensor_->FindSensorRecord(&sensor_->channel(channel));
    const int32_t entries = std::clamp(record ? record->registerCount : 1, 1, devicelink::kRegisterEntries);
    const int32_t count = std::clamp(sensor_->oneShotCount(channel), 0, devicelink::kOneShotCapacity);
    const int32_t first = std::max(0, count - entries);
    sample.rawCount = std::min(entries, devicelink::kOneShotCapacity - first);
    std::copy_n(sensor_->oneShotValues(channel) + first, sample.rawCount, sample.raw);
    return true;
}

}  // namespace measure
