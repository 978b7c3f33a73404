#include "logger/monitor/core/MonitorSensor.h"

#include "devicelink/sensor/CNI2CSensor.h"
#include "logger/measure/core/SensorObjectAdapter.h"

namespace monitor {

namespace {

bool ValidChannel(int channel) { return channel >= 0 && channel < devicelink::kChannelStateCount; }

}  // namespace

bool MonitorSensorAdapter::AnyConnected() const
{
    const devicelink::CNI2CSensor* sensor = Sensor();
    return sensor && sensor->AnyChannelConnected() == 1;
}

bool MonitorSensorAdapter::IsConnected(int channel) const
{
    return measure::SensorObjectAdapter(Sensor()).IsConnected(channel);
}

devicelink::ChannelState& MonitorSensorAdapter::State(int channel)
{
    devicelink::CNI2CSensor* sensor = Sensor();
    if (!sensor || !ValidChannel(channel)) {
        idle_ = devicelink::ChannelState{};
        return idle_;
    }
    return sensor->channel(channel);
}

const devicelink::SensorAccessRecord* MonitorSensorAdapter::FindRecord(int channel)
{
    devicelink::CNI2CSensor* sensor = Sensor();
    return sensor && ValidChannel(channel) ? sensor->FindSensorRecord(&sensor->channel(channel)) : nullptr;
}

measure::AcquisitionArrays MonitorSensorAdapter::Arrays(int channel)
{
    return measure::SensorObjectAdapter(Sensor()).Arrays(channel);
}

int32_t MonitorSensorAdapter::Convert(int channel, int32_t count, const int32_t* raw, const int32_t* times,
                                      float* values, float* outTimes)
{
    int32_t produced = 0;
    devicelink::CNI2CSensor* sensor = Sensor();
    if (sensor && ValidChannel(channel))
        measure::SensorObjectAdapter(sensor).Convert(channel, sensor->channel(channel), count, raw, times, values, outTimes,
                                            0, &produced);
    return produced;
}

platform::Event* MonitorSensorAdapter::StartMonitor()
{
    devicelink::CNI2CSensor* sensor = Sensor();
    if (!sensor)
        return nullptr;
    platform::Event& event = sensor->StartMonitor();
    return sensor->IsRunning() == 1 ? &event : nullptr;
}

void MonitorSensorAdapter::StopAcquisition()
{
    measure::SensorObjectAdapter(Sensor()).StopAcquisition();
}

bool MonitorSensorAdapter::IsRunning() const
{
    return measure::SensorObjectAdapter(Sensor()).IsRunning();
}

void MonitorSensorAdapter::Reconfigure(int channel)
{
    measure::SensorObjectAdapter(Sensor()).Reconfigure(channel);
}

}  // namespace monitor
