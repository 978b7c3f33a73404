#include "tools/devsim/VirtualSensor.h"

#include <algorithm>
#include <cmath>

namespace devsim {

VirtualSensor::VirtualSensor(std::string model, const SignalSpec& signal)
    : model_(std::move(model)), signal_(std::make_unique<Signal>(signal))
{
}

I2cChip& VirtualSensor::AddChip(std::unique_ptr<I2cChip> chip)
{
    chips_.push_back(std::move(chip));
    return *chips_.back();
}

I2cChip* VirtualSensor::ChipAt(uint8_t address)
{
    for (auto& chip : chips_)
        if (chip->Answers(address))
            return chip.get();
    return nullptr;
}

uint16_t VirtualSensor::StreamValue(double t) const
{
    const double span = streamHigh_ - streamLow_;
    if (span == 0.0)
        return 0;
    const double x = std::round((signal_->Value(t) - streamLow_) / span * 4095.0);
    return uint16_t(std::clamp(x, 0.0, 4095.0));
}

}  // namespace devsim
