#include "logger/measure/core/SensorObjectAdapter.h"

#include <algorithm>

#include "devicelink/conversion/ConversionState.h"
#include "devicelink/sensor/CNI2CSensor.h"

namespace measure {

namespace {

constexpr int32_t kRepeatSetup = 1;

bool ValidChannel(int channel) { return channel >= 0 && channel < devicelink::kChannelStateCount; }

}  // namespace

bool SensorObjectAdapter::IsConnected(int channel) const
{
    devicelink::CNI2CSensor* const sensor = Sensor();
    return sensor && ValidChannel(channel) && sensor->connected(channel) == 1;
}

devicelink::ChannelState SensorObjectAdapter::LiveState(int channel) const
{
    devicelink::CNI2CSensor* const sensor = Sensor();
    if (!sensor || !ValidChannel(channel))
        return devicelink::ChannelState{};
    return sensor->channel(channel);
}

void SensorObjectAdapter::SetPhotogateSetup(int channel, int32_t word)
{
    devicelink::CNI2CSensor* const sensor = Sensor();
    if (sensor && ValidChannel(channel))
        sensor->channel(channel).photogateSetup = word;
}

void SensorObjectAdapter::SetHighSpeedFlag(int channel, int32_t flag)
{
    devicelink::CNI2CSensor* const sensor = Sensor();
    if (sensor && ValidChannel(channel))
        sensor->channel(channel).adcFlag = flag;
}

void SensorObjectAdapter::Reconfigure(int channel)
{
    devicelink::CNI2CSensor* const sensor = Sensor();
    if (sensor && ValidChannel(channel))
        sensor->UpdateChannel(channel, kRepeatSetup);
}

const devicelink::SensorAccessRecord* SensorObjectAdapter::FindRecord(const devicelink::ChannelState& state)
{
    devicelink::CNI2CSensor* const sensor = Sensor();
    return sensor ? sensor->FindSensorRecord(&state) : nullptr;
}

bool SensorObjectAdapter::IsRunning() const
{
    devicelink::CNI2CSensor* const sensor = Sensor();
    return sensor && sensor->IsRunning() == 1;
}

platform::Event* SensorObjectAdapter::StartAcquisition(const devicelink::AcquisitionPlan& plan)
{
    devicelink::CNI2CSensor* const sensor = Sensor();
    if (!sensor)
        return nullptr;
    platform::Event& event = sensor->StartAcquisition(plan);
    return sensor->IsRunning() == 1 ? &event : nullptr;
}

void SensorObjectAdapter::StopAcquisition()
{
    devicelink::CNI2CSensor* const sensor = Sensor();
    if (sensor)
        sensor->StopAcquisition();
}

AcquisitionArrays SensorObjectAdapter::Arrays(int channel)
{
    devicelink::CNI2CSensor* const sensor = Sensor();
    AcquisitionArrays arrays;
    if (!sensor || !ValidChannel(channel))
        return arrays;
    const devicelink::MeasureSetupHost& host = sensor->acquisitionRequest().host;
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
    devicelink::CNI2CSensor* const sensor = Sensor();
    *produced = 0;
    if (!sensor || !ValidChannel(channel))
        return;
    // Every output of a batch comes out of one conversion: the event kinds count as they go.
    devicelink::ChannelState copy = state;
    copy.allOutputs = 1;
    const devicelink::SensorAccessRecord* record = sensor->FindSensorRecord(&copy);
    sensor->ConvertChannelData(channel, 0, count, raw, times, values, outTimes, timeOffset, record, &copy,
                                produced);
}

void SensorObjectAdapter::ResetConversion(int channel)
{
    devicelink::CNI2CSensor* const sensor = Sensor();
    if (!sensor || !ValidChannel(channel))
        return;
    devicelink::ResetChannelConvState(channel);
    sensor->ResetChannelFilter(channel);
    if (sensor->channel(channel).conversionKind == devicelink::kConvertSharedChangeEvents)
        devicelink::ResetSharedChangeState();
}

bool SensorObjectAdapter::ReadNewest(int channel, NewestSample& sample)
{
    devicelink::CNI2CSensor* const sensor = Sensor();
    sample = NewestSample{};
    if (!sensor || !ValidChannel(channel) || sensor->ReadCurrentValue(channel, sample.values) != 1)
        return false;
    // The reading's raw entries are still in the one-shot arrays, the newest sample ending at the
    // count.
    const devicelink::SensorAccessRecord* record = sensor->FindSensorRecord(&sensor->channel(channel));
    const int32_t entries = std::clamp(record ? record->registerCount : 1, 1, devicelink::kRegisterEntries);
    const int32_t count = std::clamp(sensor->oneShotCount(channel), 0, devicelink::kOneShotCapacity);
    const int32_t first = std::max(0, count - entries);
    sample.rawCount = std::min(entries, devicelink::kOneShotCapacity - first);
    std::copy_n(sensor->oneShotValues(channel) + first, sample.rawCount, sample.raw);
    return true;
}

}  // namespace measure
