#pragma once

#include <functional>

#include "logger/measure/core/RunSensor.h"

namespace devicelink {
class CNI2CSensor;
}

namespace measure {

// The program's sensor object behind the measurement screen's sensor interface.
class SensorObjectAdapter : public RunSensor {
public:
    using Source = std::function<devicelink::CNI2CSensor*()>;
    // `sensor` may be null: then nothing is available.
    explicit SensorObjectAdapter(devicelink::CNI2CSensor* sensor) : source_([sensor] { return sensor; }) {}
    // The object is fetched again at every use, so the screen follows the common services' one.
    explicit SensorObjectAdapter(Source source) : source_(std::move(source)) {}

    bool Available() const override { return Sensor() != nullptr; }
    bool IsConnected(int channel) const override;
    devicelink::ChannelState LiveState(int channel) const override;
    void SetPhotogateSetup(int channel, int32_t word) override;
    void SetHighSpeedFlag(int channel, int32_t flag) override;
    void Reconfigure(int channel) override;
    const devicelink::SensorAccessRecord* FindRecord(const devicelink::ChannelState& state) override;
    bool IsRunning() const override;
    platform::Event* StartAcquisition(const devicelink::AcquisitionPlan& plan) override;
    void StopAcquisition() override;
    AcquisitionArrays Arrays(int channel) override;
    void Convert(int channel, const devicelink::ChannelState& state, int32_t count, const int32_t* raw,
                 const int32_t* times, float* values, float* outTimes, int32_t timeOffset,
                 int32_t* produced) override;
    void ResetConversion(int channel) override;
    bool ReadNewest(int channel, NewestSample& sample) override;

private:
    devicelink::CNI2CSensor* Sensor() const { return source_ ? source_() : nullptr; }

    Source source_;
};

}  // namespace measure
