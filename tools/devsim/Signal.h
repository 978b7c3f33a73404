#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Signal generators that drive the virtual sensors: a pure function of the device time, so that a
// measurement taken as fast as possible gives the same samples as one paced in real time.
namespace devsim {

enum class SignalKind { Constant, Ramp, Sine, Damped, Noise, Steps, Pulses, Nmea };

// One set of parameters serves every kind; each kind reads the ones it names (see ParseSignal).
struct SignalSpec {
    SignalKind kind = SignalKind::Constant;
    double offset = 0.0;     // constant value, ramp start, centre line
    double amplitude = 1.0;  // sine, damped, noise; the high level of pulses
    double period = 1.0;     // seconds: sine, damped, steps, pulses
    double slope = 0.0;      // ramp, units per second
    double decay = 0.5;      // damped, 1/s
    double width = 0.1;      // pulses: seconds the gate stays blocked
    double step = 1.0;       // steps: height of one step
    int levels = 4;          // steps: number of levels before it starts over
    uint32_t seed = 1;       // noise
    double latitude = 37.5665;   // nmea, degrees
    double longitude = 126.9780;
    double speed = 0.0;          // nmea, metres per second due north
};

// Text form: "<kind> key=value ...", keys offset (alias value, start), amplitude, period, slope,
// decay, width, step, levels, seed, lat, lon, speed. False with a message on any unknown word.
bool ParseSignal(std::string_view text, SignalSpec& out, std::string& error);
// Applies one key=value to the signal description; false when the key is unknown or the value is no number.
bool SetSignalParameter(SignalSpec& spec, std::string_view key, std::string_view value);
const char* SignalKindName(SignalKind kind);

class Signal {
public:
    Signal() = default;
    explicit Signal(const SignalSpec& spec) : spec_(spec) {}

    double Value(double seconds) const;
    const SignalSpec& Spec() const { return spec_; }
    // The NMEA sentences of the whole second that starts at `second` (GGA then RMC, CR LF ended).
    std::string NmeaSentences(int64_t second) const;

private:
    SignalSpec spec_;
};

}  // namespace devsim
