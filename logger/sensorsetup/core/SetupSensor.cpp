#include "logger/sensorsetup/core/SetupSensor.h"

#include "devicelink/sensor/CNI2CSensor.h"

namespace sensorsetup {

namespace {

bool ValidChannel(int channel)
{
    return channel >= 0 && channel < devicelink::kChannelStateCount;
}

// The dialogs zero output 1: single-output sensors take their only output.
constexpr int32_t kZeroOutput = 1;
constexpr int32_t kGeneratorBank = 0;

}  // namespace

bool SetupSensorAdapter::IsConnected(int channel)
{
    return ValidChannel(channel) && sensor_.connected(channel) == 1;
}

devicelink::ChannelState& SetupSensorAdapter::State(int channel)
{
    if (!ValidChannel(channel)) {
        idle_ = devicelink::ChannelState{};
        return idle_;
    }
    return sensor_.channel(channel);
}

const devicelink::SensorAccessRecord* SetupSensorAdapter::FindRecord(int channel)
{
    return ValidChannel(channel) ? sensor_.FindSensorRecord(&sensor_.channel(channel)) : nullptr;
}

bool SetupSensorAdapter::CanSetZero(int channel)
{
    return sensor_.CanSetZero(channel) == 1;
}

bool SetupSensorAdapter::ReadSingle(int channel, SingleReading& reading)
{
    return sensor_.ReadSingleValue(channel, reading.values, reading.secondValues, reading.raws, reading.secondRaws,
                                   kLiveOutputs) == 1;
}

bool SetupSensorAdapter::SetZero(int channel)
{
    return sensor_.SetZero(channel, kZeroOutput, 1) == 1;
}

bool SetupSensorAdapter::ClearCalibration(int channel)
{
    return sensor_.ClearCalibration(channel) == 1;
}

bool SetupSensorAdapter::SetCalibration(int channel, int32_t count, const float* values, const int32_t* raws)
{
    return sensor_.SetCalibration(channel, count, values, raws, 0) == 1;
}

bool SetupSensorAdapter::StartGenerator(int channel, float frequency, int32_t amplitudeCode)
{
    return sensor_.WriteAdapterTable(channel, kGeneratorBank, frequency, 0.0f, 0.0f, amplitudeCode) == 1;
}

bool SetupSensorAdapter::StopGenerator(int channel)
{
    return sensor_.ClearAdapterTable(channel, kGeneratorBank) == 1;
}

float SetupSensorAdapter::StoredFrequency()
{
    return sensor_.generatorFrequency();
}

int32_t SetupSensorAdapter::StoredAmplitude()
{
    return sensor_.generatorAmplitude();
}

void SetupSensorAdapter::StoreGeneratorSettings(float frequency, int32_t amplitude)
{
    sensor_.generatorFrequency() = frequency;
    sensor_.generatorAmplitude() = amplitude;
}

}  // namespace sensorsetup
