#include "addin/dialogs/core/SampleIntake.h"

#include <algorithm>
#include <new>

namespace addin::dialogs {

SampleIntake::SampleIntake(int32_t capacityFloats) : capacityFloats_(std::max(capacityFloats, 1)) {}

bool SampleIntake::Begin(uint32_t mask, const int32_t* quantities, int64_t sampleLimit)
{
    Release();
    for (int c = 0; c < device::kTableChannels; ++c) {
        if (!(mask >> c & 1u))
            continue;
        Store& s = stores_[c];
        s.quantities = std::clamp(quantities ? quantities[c] : 1, 1, device::kMaxQuantities);
        const int64_t samples = std::clamp<int64_t>(sampleLimit, 0, capacityFloats_ / s.quantities);
        s.limitFloats = int32_t(samples * s.quantities);
        s.values.reset(new (std::nothrow) float[size_t(capacityFloats_)]);
        s.times.reset(new (std::nothrow) float[size_t(capacityFloats_)]);
        if (!s.values || !s.times) {
            Release();
            return false;
        }
    }
    return true;
}

void SampleIntake::Release()
{
    for (Store& s : stores_)
        s = Store{};
}

int32_t SampleIntake::Append(int channel, const float* values, const float* times, int32_t floats)
{
    if (channel < 0 || channel >= device::kTableChannels || !Chosen(channel) || !values || !times || floats <= 0)
        return 0;
    Store& s = stores_[channel];
    const int32_t take = std::min(floats, s.limitFloats - s.floats);
    if (take <= 0)
        return 0;
    std::copy_n(values, take, s.values.get() + s.floats);
    std::copy_n(times, take, s.times.get() + s.floats);
    s.floats += take;
    return take;
}

int64_t SampleIntake::Samples(int channel) const
{
    const Store& s = stores_[channel];
    return s.values ? s.floats / s.quantities : 0;
}

bool SampleIntake::Full(int channel) const
{
    const Store& s = stores_[channel];
    return s.values && s.floats >= s.limitFloats;
}

const float* SampleIntake::SampleValues(int channel, int64_t k) const
{
    const Store& s = stores_[channel];
    return s.values.get() + k * s.quantities;
}

float SampleIntake::SampleTime(int channel, int64_t k) const
{
    const Store& s = stores_[channel];
    return s.times[size_t(k * s.quantities)];
}

}  // namespace addin::dialogs
