#pragma once

#include <cstdint>
#include <functional>

#include "logger/measure/core/RunSensor.h"

namespace devicelink {
class CNI2CSensor;
}

// The sensor object as the sensor monitor uses it: the live run of every connected channel, and
// what one pass reads of each channel. The program's one CNI2CSensor stands behind it
// (MonitorSensorAdapter); tests put a scripted sensor there.
namespace monitor {

class MonitorSensor {
public:
    virtual ~MonitorSensor() = default;

    virtual bool AnyConnected() const = 0;
    virtual bool IsConnected(int channel) const = 0;
    // The live state of a channel 0..3.
    virtual devicelink::ChannelState& State(int channel) = 0;
    // The catalogue record of the sensor on a channel; null when none describes it.
    virtual const devicelink::SensorAccessRecord* FindRecord(int channel) = 0;
    virtual measure::AcquisitionArrays Arrays(int channel) = 0;
    // Converts `count` samples of a channel with its live state, every output at once, into
    // arrays of count x kMaxOutputs floats; the number of values produced.
    virtual int32_t Convert(int channel, int32_t count, const int32_t* raw, const int32_t* times, float* values,
                            float* outTimes) = 0;
    // Starts the live run of every connected channel: its completion event, or null when the
    // logger did not take it (nothing will arrive then).
    virtual platform::Event* StartMonitor() = 0;
    // Stops the run; once it returns the driver writes nothing more into the arrays.
    virtual void StopAcquisition() = 0;
    virtual bool IsRunning() const = 0;
    // Repeats the register set-up of the sensor on a channel.
    virtual void Reconfigure(int channel) = 0;
};

// The program's sensor object behind the monitor. It is fetched again at every use, so the
// monitor follows the common services' object (none until it can be made: then nothing is
// connected).
class MonitorSensorAdapter : public MonitorSensor {
public:
    using Source = std::function<devicelink::CNI2CSensor*()>;
    explicit MonitorSensorAdapter(Source source) : source_(std::move(source)) {}

    bool AnyConnected() const override;
    bool IsConnected(int channel) const override;
    devicelink::ChannelState& State(int channel) override;
    const devicelink::SensorAccessRecord* FindRecord(int channel) override;
    measure::AcquisitionArrays Arrays(int channel) override;
    int32_t Convert(int channel, int32_t count, const int32_t* raw, const int32_t* times, float* values,
                    float* outTimes) override;
    platform::Event* StartMonitor() override;
    void StopAcquisition() override;
    bool IsRunning() const override;
    void Reconfigure(int channel) override;

private:
    devicelink::CNI2CSensor* Sensor() const { return source_ ? source_() : nullptr; }

    Source source_;
    // What State() hands out while there is no sensor object.
    devicelink::ChannelState idle_{};
};

}  // namespace monitor
