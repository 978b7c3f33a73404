#pragma once

#include <cstdint>

#include "devicelink/catalogue/SensorCatalogue.h"
#include "devicelink/sensor/ChannelState.h"

namespace devicelink {
class CNI2CSensor;
}

// The sensor object as the set-up, calibration and function generator dialogs use it. While one
// of them is open its worker thread is the only caller (SetupSensorWorker); the dialog reads the
// channels only before the worker starts and through what the worker's jobs hand back.
namespace sensorsetup {

inline constexpr int kLiveOutputs = 4;

// One reading of a channel with both paths, raw words as the logger delivered them.
struct SingleReading {
    float values[kLiveOutputs] = {};
    float secondValues[kLiveOutputs] = {};
    int32_t raws[kLiveOutputs] = {};
    int32_t secondRaws[kLiveOutputs] = {};
};

class SetupSensor {
public:
    virtual ~SetupSensor() = default;

    virtual bool IsConnected(int channel) = 0;
    virtual devicelink::ChannelState& State(int channel) = 0;
    // The catalogue record of the sensor on a channel; null when none describes it.
    virtual const devicelink::SensorAccessRecord* FindRecord(int channel) = 0;
    virtual bool CanSetZero(int channel) = 0;

    // One sample through the normal and the fast path; false when none came.
    virtual bool ReadSingle(int channel, SingleReading& reading) = 0;
    // Zeroes the channel against its present reading; false when it could not be read.
    virtual bool SetZero(int channel) = 0;
    // False when there was nothing to clear or the sensor did not take the cleared points.
    virtual bool ClearCalibration(int channel) = 0;
    // Stores the points in the sensor (its memory chip or its adapter); true when every write was
    // acknowledged.
    virtual bool SetCalibration(int channel, int32_t count, const float* values, const int32_t* raws) = 0;

    // The function generator on a channel: started with a frequency and an amplitude code, or
    // stopped; false when the logger could not be reached.
    virtual bool StartGenerator(int channel, float frequency, int32_t amplitudeCode) = 0;
    virtual bool StopGenerator(int channel) = 0;
    // What the generator's dialog shows when it opens, and what its OK leaves for the next time.
    virtual float StoredFrequency() = 0;
    virtual int32_t StoredAmplitude() = 0;
    virtual void StoreGeneratorSettings(float frequency, int32_t amplitude) = 0;
};

// The program's sensor object behind the dialogs.
class SetupSensorAdapter : public SetupSensor {
public:
    explicit SetupSensorAdapter(devicelink::CNI2CSensor& sensor) : sensor_(sensor) {}

    bool IsConnected(int channel) override;
    devicelink::ChannelState& State(int channel) override;
    const devicelink::SensorAccessRecord* FindRecord(int channel) override;
    bool CanSetZero(int channel) override;
    bool ReadSingle(int channel, SingleReading& reading) override;
    bool SetZero(int channel) override;
    bool ClearCalibration(int channel) override;
    bool SetCalibration(int channel, int32_t count, const float* values, const int32_t* raws) override;
    bool StartGenerator(int channel, float frequency, int32_t amplitudeCode) override;
    bool StopGenerator(int channel) override;
    float StoredFrequency() override;
    int32_t StoredAmplitude() override;
    void StoreGeneratorSettings(float frequency, int32_t amplitude) override;

private:
    devicelink::CNI2CSensor& sensor_;
    devicelink::ChannelState idle_{};
};

}  // namespace sensorsetup
