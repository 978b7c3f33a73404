#pragma once

#include "tools/devsim/I2cChip.h"
#include "tools/devsim/Signal.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace devsim {

// What a scenario or a control command says about one plugged sensor.
struct SensorSpec {
    std::string model;
    SignalSpec signal;
    bool signalGiven = false;
    std::map<std::string, std::string> options;  // model-specific: code, memory, id, ...
};

// A sensor plugged into a channel: its signal and the chips it puts on the channel's bus.
class VirtualSensor {
public:
    VirtualSensor(std::string model, const SignalSpec& signal);

    const std::string& Model() const { return model_; }
    const Signal& SignalSource() const { return *signal_; }
    const Signal* SignalPointer() const { return signal_.get(); }
    // What the sensor measures from now on (its chips keep reading the same signal object).
    void SetSignal(const SignalSpec& spec) { *signal_ = Signal(spec); }

    I2cChip& AddChip(std::unique_ptr<I2cChip> chip);
    // The chip that answers an address, or null (the bus then reads 0xFF).
    I2cChip* ChipAt(uint8_t address);
    template <class T> T* Find()
    {
        for (auto& chip : chips_)
            if (auto* p = dynamic_cast<T*>(chip.get()))
                return p;
        return nullptr;
    }
    const std::vector<std::unique_ptr<I2cChip>>& Chips() const { return chips_; }

    // 12-bit reading for the isochronous-style stream (0..4095 over the stream range).
    void SetStreamRange(double low, double high) { streamLow_ = low, streamHigh_ = high; }
    uint16_t StreamValue(double t) const;

private:
    std::string model_;
    std::unique_ptr<Signal> signal_;  // chips keep a pointer to it: it never moves
    std::vector<std::unique_ptr<I2cChip>> chips_;
    double streamLow_ = 0.0;
    double streamHigh_ = 1.0;
};

}  // namespace devsim
