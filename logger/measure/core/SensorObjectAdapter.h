#pragma once

#include "logger/measure/core/RunSensor.h"

namespace devicelink {
class CNI2CSensor;
}

namespace measure {

// The program's sensor object behind the measurement screen's sensor interface.
class SensorObjectAdapter : public RunSensor {
public:
    // `sensor` may be null: then nothing is available.
    explicit SensorObjectAdapter(devicelink::CNI2CSensor* sensor) : sensor_(sensor) {}

    bool Available() const override { return sensor_ != nullptr; }
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
    devicelink::CNI2CSensor* sensor_;
};

}  // namespace measure
