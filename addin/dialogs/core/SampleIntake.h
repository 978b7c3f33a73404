#pragma once

#include "addin/device/SensorTable.h"

#include <cstdint>
#include <memory>

// The measurement window's sample stores: per chosen channel its values and their times as the
// device layer delivers them (one float per quantity of each sample), up to a fixed capacity.
// Samples past the capacity or past the measurement's length are not taken.
namespace addin::dialogs {

inline constexpr int32_t kStoreFloats = 1048576;

class SampleIntake {
public:
    explicit SampleIntake(int32_t capacityFloats = kStoreFloats);

    // Stores for the channels of the mask, `quantities` floats a sample; at most `sampleLimit`
    // samples a channel. False (and nothing kept) when the memory cannot be had.
    bool Begin(uint32_t mask, const int32_t* quantities, int64_t sampleLimit);
    void Release();

    // Takes up to `floats` values and times; returns the floats taken.
    int32_t Append(int channel, const float* values, const float* times, int32_t floats);

    bool Chosen(int channel) const { return stores_[channel].values != nullptr; }
    int32_t Quantities(int channel) const { return stores_[channel].quantities; }
    // Whole samples taken.
    int64_t Samples(int channel) const;
    // The channel takes no more: its length or its stores' capacity is reached.
    bool Full(int channel) const;
    // Sample k's values (Quantities() floats) and time.
    const float* SampleValues(int channel, int64_t k) const;
    float SampleTime(int channel, int64_t k) const;

private:
    struct Store {
        std::unique_ptr<float[]> values;
        std::unique_ptr<float[]> times;
        int32_t quantities = 1;
        int32_t floats = 0;
        int32_t limitFloats = 0;
    };

    const int32_t capacityFloats_;
    Store stores_[device::kTableChannels];
};

}  // namespace addin::dialogs
