#pragma once

#include "devicelink/conversion/ConversionParams.h"

#include <algorithm>
#include <cstdint>

// Building blocks shared by the conversion routines, and the routines ConvertSamples dispatches
// to. Not for use outside the conversion code.
namespace devicelink::conversion {

// One call's arguments. Every routine returns the number of outputs it wrote.
struct Batch {
    int32_t channel;            // 0..3
    int32_t count;              // samples (bytes for the GPS kind)
    const int32_t* raw;
    const int32_t* rawTimes;
    float* values;
    float* times;
    int32_t timeOffset;
    const ConversionParams& p;
    int32_t entries;            // raw words per sample, at least 1

    const int32_t* Sample(int32_t i) const { return raw + int64_t(i) * entries; }
    // Display time of raw entry `index`: origin + scale x (raw time - offset).
    float TimeOfEntry(int64_t index) const
    {
        return float(double(p.timeOrigin) +
                     double(p.timeScale) * (double(rawTimes[index]) - double(timeOffset)));
    }
    float SampleTime(int32_t i) const { return TimeOfEntry(int64_t(i) * entries); }
    bool ValuesOnly() const { return timeOffset == kValuesOnlyTimeOffset; }
    bool WantsFahrenheit(int unitOption) const { return p.unitOptions[unitOption] == 1; }
    // The common final step, value x M + Z. Routines whose formula gives no other order end
    // with it (three-axis, pressure, humidity, weather station, seven-point table, angle,
    // tagged words); event and GPS outputs are times and coordinates and are not scaled.
    double Scaled(double value) const { return value * p.multiplierM + p.offsetZ; }
};

// Output slots a sample takes: outputsPerSample (1..4) when all outputs are delivered, else 1.
inline int32_t OutputStride(const ConversionParams& p)
{
    return p.allOutputs == 1 ? std::clamp(p.outputsPerSample, 1, kMaxOutputsPerSample) : 1;
}

inline uint32_t Swap16(uint32_t word)
{
    return ((word & 0xFFu) << 8) | ((word >> 8) & 0xFFu);
}

inline int32_t AsSigned16(uint32_t value)
{
    return int32_t(int16_t(uint16_t(value)));
}

// The low half of a raw word as a big-endian register pair.
inline int32_t SwappedX16(int32_t word, bool isSigned)
{
    const uint32_t swapped = Swap16(uint32_t(word));
    return isSigned ? AsSigned16(swapped) : int32_t(swapped);
}

inline bool AsReceived(const ConversionParams& p)
{
    return p.calWords[0] == kByteOrderAsReceived;
}

// The low half of a raw word by the byte-order code: as received (code 7) or swapped.
inline int32_t OrderedX16(int32_t word, const ConversionParams& p, bool isSigned)
{
    const uint32_t half = AsReceived(p) ? uint32_t(word) & 0xFFFFu : Swap16(uint32_t(word));
    return isSigned ? AsSigned16(half) : int32_t(half);
}

inline double Fahrenheit(double celsius)
{
    return celsius * 1.8 + 32.0;
}

// The line from (x0, y0) towards (x1, y1), evaluated from its start. Two equal raw points give
// no line; the routines then keep the previous value.
struct Line {
    double x0 = 0.0;
    double y0 = 0.0;
    double slope = 0.0;
    bool valid = false;

    static Line Through(double x0, double y0, double x1, double y1)
    {
        if (x1 == x0)
            return Line{x0, y0, 0.0, false};
        return Line{x0, y0, (y1 - y0) / (x1 - x0), true};
    }
    double At(double x) const { return y0 + slope * (x - x0); }
};

// The reference map of the thermocouple-style kinds: slope from the two points, intercept the
// mean of the two points' intercepts. Equal raw points give the first point's value.
inline double MapByMeanIntercept(double x, double xa, double ya, double xb, double yb)
{
    if (xa == xb)
        return ya;
    const double slope = (ya - yb) / (xa - xb);
    const double intercept = ((yb - slope * xb) + (ya - slope * xa)) / 2.0;
    return slope * x + intercept;
}

// times[i] = the display time of sample i, for every sample of the call.
void WriteSampleTimes(const Batch& b);

// The single-output loop: `compute(sample, value)` gives the value of one sample, or false when
// the sample has none (a degenerate calibration segment, a value outside a formula's domain);
// such a sample repeats the previous sample's value, 0 at the start of a call, so that one bad
// reading neither traps nor shows as a spike. Times follow the sample unless the routine honours
// the values-only offset and it is given.
enum class TimesFor { EverySample, UnlessValuesOnly };

template <typename Compute>
int32_t ConvertEachSample(const Batch& b, TimesFor timesFor, Compute compute)
{
    double previous = 0.0;
    for (int32_t i = 0; i < b.count; ++i) {
        double value = 0.0;
        if (compute(b.Sample(i), value))
            previous = value;
        b.values[i] = float(previous);
    }
    if (timesFor == TimesFor::UnlessValuesOnly && b.ValuesOnly())
        return b.count;
    WriteSampleTimes(b);
    return b.count;
}

// Writes the quantities of the multi-output routines. With all outputs, every sample takes
// outputsPerSample slots, quantity k in slot k (slots beyond the routine's quantities get 0);
// otherwise the selected quantity goes to index i (an out-of-range selector picks the first).
template <int Quantities>
class MultiOutputWriter {
public:
    explicit MultiOutputWriter(const Batch& batch)
        : batch_(batch),
          all_(batch.p.allOutputs == 1),
          stride_(OutputStride(batch.p)),
          selected_(batch.p.outputSelector >= 0 && batch.p.outputSelector < Quantities
                        ? batch.p.outputSelector : 0)
    {
    }

    void Write(int32_t i, const double (&quantities)[Quantities], float time) const
    {
        if (!all_) {
            batch_.values[i] = float(quantities[selected_]);
            batch_.times[i] = time;
            return;
        }
        const int64_t base = int64_t(i) * stride_;
        for (int32_t k = 0; k < stride_; ++k) {
            batch_.values[base + k] = k < Quantities ? float(quantities[k]) : 0.0f;
            batch_.times[base + k] = time;
        }
    }

    int32_t Result(int32_t samples) const { return samples * stride_; }
    // Whether quantity k is delivered at all, so that costly ones can be skipped.
    bool Delivers(int k) const { return all_ || selected_ == k; }

private:
    const Batch& batch_;
    bool all_;
    int32_t stride_;
    int32_t selected_;
};

// Routines by kind.
int32_t ConvertOnePoint(const Batch& b);            // 1
int32_t ConvertTwoPoints(const Batch& b);           // 2
int32_t ConvertThreePoints(const Batch& b);         // 3
int32_t ConvertCubicOfLine(const Batch& b);         // 4
int32_t ConvertTwoRangeTemperature(const Batch& b); // 10
int32_t ConvertThreeAxis(const Batch& b);           // 11
int32_t ConvertPressure(const Batch& b);            // 12
int32_t ConvertSignedTemperature(const Batch& b);   // 13
int32_t ConvertTwelveBitTemperature(const Batch& b); // 14
int32_t ConvertNormalised(const Batch& b);          // 15
int32_t ConvertHumidity(const Batch& b);            // 17
int32_t ConvertGps(const Batch& b);                 // 18
int32_t ConvertSwappedThreePoints(const Batch& b);  // 19
int32_t ConvertClampedTwoPoints(const Batch& b);    // 20, 27
int32_t ConvertGateEvents(const Batch& b);          // 21
int32_t ConvertWeather(const Batch& b);             // 23
int32_t ConvertTenBit(const Batch& b);              // 25
int32_t ConvertTwoSlopes(const Batch& b);           // 26
int32_t ConvertPolynomial(const Batch& b);          // 28
int32_t ConvertSevenPoints(const Batch& b);         // 29
int32_t ConvertAngle(const Batch& b);               // 30
int32_t ConvertSharedChangeEvents(const Batch& b);  // 31
int32_t ConvertChannelChangeEvents(const Batch& b); // 32
int32_t ConvertSignedOnly(const Batch& b);          // 33
int32_t ConvertTaggedWords(const Batch& b);         // 34
int32_t ConvertDefault(const Batch& b);             // everything else

}  // namespace devicelink::conversion
