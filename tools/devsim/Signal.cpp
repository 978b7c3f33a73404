#include "tools/devsim/Signal.h"

#include "tools/devsim/TextWords.h"

#include "platform/CLocale.h"

#include <cmath>
#include <cstdio>
#include <numbers>

namespace devsim {

namespace {

struct KindName {
    SignalKind kind;
    const char* name;
};

constexpr KindName kKindNames[] = {
    {SignalKind::Constant, "constant"}, {SignalKind::Ramp, "ramp"},     {SignalKind::Sine, "sine"},
    {SignalKind::Damped, "damped"},     {SignalKind::Noise, "noise"},   {SignalKind::Steps, "steps"},
    {SignalKind::Pulses, "pulses"},     {SignalKind::Nmea, "nmea"},
};

// A reproducible uniform number in [-1, 1] for a time step: noise must not depend on how often
// or how fast the device is asked.
double HashUnit(uint32_t seed, int64_t tick)
{
    uint64_t x = uint64_t(tick) * 0x9E3779B97F4A7C15ull ^ (uint64_t(seed) << 32 | seed);
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBull;
    x ^= x >> 31;
    return double(x >> 11) / double(1ull << 52) * 2.0 - 1.0;
}

std::string NmeaChecksummed(const std::string& body)
{
    uint8_t sum = 0;
    for (char ch : body)
        sum ^= uint8_t(ch);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + body + tail;
}

// ddmm.mmmm (latitude) or dddmm.mmmm (longitude) and the hemisphere letter.
std::string NmeaAngle(double degrees, bool latitude)
{
    const char hemisphere = latitude ? (degrees < 0 ? 'S' : 'N') : (degrees < 0 ? 'W' : 'E');
    degrees = std::fabs(degrees);
    const int whole = int(degrees);
    const double minutes = (degrees - whole) * 60.0;
    const std::string mins = platform::FormatFixed(minutes, 4);
    char head[8];
    std::snprintf(head, sizeof head, latitude ? "%02d" : "%03d", whole);
    return std::string(head) + (minutes < 10.0 ? "0" : "") + mins + "," + hemisphere;
}

}  // namespace

const char* SignalKindName(SignalKind kind)
{
    for (const KindName& k : kKindNames)
        if (k.kind == kind)
            return k.name;
    return "?";
}

bool SetSignalParameter(SignalSpec& spec, std::string_view key, std::string_view value)
{
    double v = 0.0;
    if (!platform::ParseDouble(value, v))
        return false;
    if (key == "offset" || key == "value" || key == "start")
        spec.offset = v;
    else if (key == "amplitude" || key == "high")
        spec.amplitude = v;
    else if (key == "period")
        spec.period = v;
    else if (key == "slope")
        spec.slope = v;
    else if (key == "decay")
        spec.decay = v;
    else if (key == "width")
        spec.width = v;
    else if (key == "step")
        spec.step = v;
    else if (key == "levels")
        spec.levels = int(v);
    else if (key == "seed")
        spec.seed = uint32_t(v);
    else if (key == "lat")
        spec.latitude = v;
    else if (key == "lon")
        spec.longitude = v;
    else if (key == "speed")
        spec.speed = v;
    else
        return false;
    return true;
}

bool ParseSignal(std::string_view text, SignalSpec& out, std::string& error)
{
    const std::vector<std::string> words = SplitWords(text);
    if (words.empty()) {
        error = "empty signal";
        return false;
    }
    SignalSpec spec;
    bool known = false;
    for (const KindName& k : kKindNames)
        if (words[0] == k.name) {
            spec.kind = k.kind;
            known = true;
        }
    if (!known) {
        error = "unknown signal kind '" + words[0] + "'";
        return false;
    }
    for (size_t i = 1; i < words.size(); ++i) {
        std::string key, value;
        if (!SplitKeyValue(words[i], key, value) || !SetSignalParameter(spec, key, value)) {
            error = "bad signal parameter '" + words[i] + "'";
            return false;
        }
    }
    if (spec.period <= 0.0 || spec.levels <= 0) {
        error = "signal period and levels must be positive";
        return false;
    }
    out = spec;
    return true;
}

double Signal::Value(double t) const
{
    const SignalSpec& s = spec_;
    const double w = 2.0 * std::numbers::pi / s.period;
    switch (s.kind) {
    case SignalKind::Constant:
    case SignalKind::Nmea:
        return s.offset;
    case SignalKind::Ramp:
        return s.offset + s.slope * t;
    case SignalKind::Sine:
        return s.offset + s.amplitude * std::sin(w * t);
    case SignalKind::Damped:
        return s.offset + s.amplitude * std::exp(-s.decay * t) * std::cos(w * t);
    case SignalKind::Noise:
        return s.offset + s.amplitude * HashUnit(s.seed, int64_t(std::llround(t * 1e6)));
    case SignalKind::Steps: {
        const int64_t n = int64_t(std::floor(t / s.period));
        return s.offset + s.step * double(((n % s.levels) + s.levels) % s.levels);
    }
    case SignalKind::Pulses: {
        const double phase = t - std::floor(t / s.period) * s.period;
        return phase < s.width ? s.amplitude : s.offset;
    }
    }
    return s.offset;
}

std::string Signal::NmeaSentences(int64_t second) const
{
    const double metresPerDegree = 111320.0;
    const double lat = spec_.latitude + spec_.speed * double(second) / metresPerDegree;
    const int64_t day = ((second % 86400) + 86400) % 86400;
    char clock[16];
    std::snprintf(clock, sizeof clock, "%02d%02d%02d.00", int(day / 3600), int(day / 60 % 60), int(day % 60));
    const std::string where = NmeaAngle(lat, true) + "," + NmeaAngle(spec_.longitude, false);
    const std::string knots = platform::FormatFixed(spec_.speed * 1.943844, 2);
    return NmeaChecksummed("GPGGA," + std::string(clock) + "," + where + ",1,08,0.9,38.0,M,0.0,M,,")
           + NmeaChecksummed("GPRMC," + std::string(clock) + ",A," + where + "," + knots + ",0.0,091226,,,A");
}

}  // namespace devsim
