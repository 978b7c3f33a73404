#pragma once

#include <atomic>
#include <cstdint>

#include "devicelink/catalogue/SensorCatalogue.h"
#include "devicelink/sensor/ChannelState.h"
#include "devicelink/sensor/CNI2CSensor.h"
#include "platform/Event.h"

// The sensor object as the measurement screen uses it. The program's one CNI2CSensor stands
// behind it (SensorObjectAdapter); tests put a scripted sensor there.
namespace measure {

// Where a running acquisition delivers one channel's raw entries: the driver writes the
// entries, then publishes the count with release order.
struct AcquisitionArrays {
    uint32_t* values = nullptr;
    int32_t* times = nullptr;
    std::atomic<int32_t>* count = nullptr;
    int32_t capacity = 0;

    bool Bound() const { return values && times && count && capacity > 0; }
};

// The newest sample of a channel, read on demand: one value per output, and the raw entries it
// was converted from.
struct NewestSample {
    float values[devicelink::kMaxOutputs] = {};
    uint32_t raw[devicelink::kRegisterEntries] = {};
    int32_t rawCount = 0;
};

class RunSensor {
public:
    virtual ~RunSensor() = default;

    // False when there is no sensor object to measure with.
    virtual bool Available() const = 0;
    virtual bool IsConnected(int channel) const = 0;
    virtual devicelink::ChannelState LiveState(int channel) const = 0;
    // The gate set-up word and the high-speed flag of a live state.
    virtual void SetPhotogateSetup(int channel, int32_t word) = 0;
    virtual void SetHighSpeedFlag(int channel, int32_t flag) = 0;
    // Repeats the register set-up of the sensor on a channel.
    virtual void Reconfigure(int channel) = 0;
    // The catalogue record that describes a state's sensor; null when none does.
    virtual const devicelink::SensorAccessRecord* FindRecord(const devicelink::ChannelState& state) = 0;

    virtual bool IsRunning() const = 0;
    // Starts a recorded run. The completion event, or null when the logger did not take it.
    virtual platform::Event* StartAcquisition(const devicelink::AcquisitionPlan& plan) = 0;
    virtual void StopAcquisition() = 0;
    virtual AcquisitionArrays Arrays(int channel) = 0;

    // Converts `count` samples of a channel with the given state (not the live one) and writes
    // the number of outputs to *produced.
    virtual void Convert(int channel, const devicelink::ChannelState& state, int32_t count, const int32_t* raw,
                         const int32_t* times, float* values, float* outTimes, int32_t timeOffset,
                         int32_t* produced) = 0;
    // Puts the event counters and change filters of a channel's conversion back to their start.
    virtual void ResetConversion(int channel) = 0;
    // One fresh sample of a channel; false when none came.
    virtual bool ReadNewest(int channel, NewestSample& sample) = 0;
};

}  // namespace measure
