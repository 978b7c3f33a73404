#include "devicelink/conversion/SampleConversion.h"

#include "devicelink/conversion/SampleConversionRoutines.h"

#include <array>

namespace devicelink {
namespace {

using namespace conversion;

// No record to go by: the words themselves, with times relative to the offset.
void CopyUnconverted(int32_t count, const int32_t* raw, const int32_t* rawTimes, float* values,
                     float* times, int32_t timeOffset)
{
    for (int32_t i = 0; i < count; ++i) {
        values[i] = float(raw[i]);
        times[i] = float(double(rawTimes[i]) - double(timeOffset));
    }
}

using Routine = int32_t (*)(const Batch&);

// The gate sensors in their untimed mode (mode 0) read as plain levels.
int32_t ConvertGateEventsOrLevel(const Batch& b)
{
    return b.p.mode == 0 ? ConvertDefault(b) : ConvertGateEvents(b);
}

// The routine of each conversion kind; kinds without one take the default formula.
constexpr std::array<Routine, kConversionKindCount> BuildRoutines()
{
    std::array<Routine, kConversionKindCount> r{};
    r[kConvertOnePoint] = ConvertOnePoint;
    r[kConvertTwoPoints] = ConvertTwoPoints;
    r[kConvertThreePoints] = ConvertThreePoints;
    r[kConvertCubicOfLine] = ConvertCubicOfLine;
    r[kConvertTwoRangeTemperature] = ConvertTwoRangeTemperature;
    r[kConvertThreeAxis] = ConvertThreeAxis;
    r[kConvertPressure] = ConvertPressure;
    r[kConvertSignedTemperature] = ConvertSignedTemperature;
    r[kConvertTwelveBitTemperature] = ConvertTwelveBitTemperature;
    r[kConvertColour] = ConvertNormalised;
    r[kConvertHumidity] = ConvertHumidity;
    r[kConvertGps] = ConvertGps;
    r[kConvertSwappedThreePoints] = ConvertSwappedThreePoints;
    r[kConvertClampedTwoPoints] = ConvertClampedTwoPoints;
    r[kConvertOrderedClampedTwoPoints] = ConvertClampedTwoPoints;
    r[kConvertGateEvents] = ConvertGateEventsOrLevel;
    r[kConvertWeather] = ConvertWeather;
    r[kConvertTenBit] = ConvertTenBit;
    r[kConvertTwoSlopes] = ConvertTwoSlopes;
    r[kConvertPolynomial] = ConvertPolynomial;
    r[kConvertSevenPoints] = ConvertSevenPoints;
    r[kConvertAngle] = ConvertAngle;
    r[kConvertSharedChangeEvents] = ConvertSharedChangeEvents;
    r[kConvertChannelChangeEvents] = ConvertChannelChangeEvents;
    r[kConvertSignedOnly] = ConvertSignedOnly;
    r[kConvertTaggedWords] = ConvertTaggedWords;
    return r;
}

constexpr auto kRoutines = BuildRoutines();

Routine RoutineOf(int32_t kind)
{
    return kind >= 0 && kind < kConversionKindCount ? kRoutines[size_t(kind)] : nullptr;
}

int32_t Dispatch(const Batch& b)
{
    const Routine routine = RoutineOf(b.p.conversionKind);
    return routine ? routine(b) : ConvertDefault(b);
}

}  // namespace

bool HasConversionRoutine(int32_t kind)
{
    return RoutineOf(kind) != nullptr;
}

int32_t ConvertSamples(int32_t channel, int32_t count, const int32_t* rawValues,
                       const int32_t* rawTimes, float* outValues, float* outTimes,
                       int32_t timeOffset, const ConversionParams* params, int32_t* outCount)
{
    if (!outCount)
        return 0;
    *outCount = 0;
    if (count < 0)
        return 0;
    if (count == 0)
        return 1;
    if (!rawValues || !rawTimes || !outValues || !outTimes)
        return 0;

    if (!params || channel < 0 || channel > 3) {
        CopyUnconverted(count, rawValues, rawTimes, outValues, outTimes, timeOffset);
        return 1;
    }

    // A sample is at least one word; a record with no entries still strides one word a sample.
    const int32_t entries = params->entriesPerSample > 0 ? params->entriesPerSample : 1;
    const Batch batch{channel, count, rawValues, rawTimes, outValues, outTimes, timeOffset,
                      *params, entries};
    *outCount = Dispatch(batch);
    return 1;
}

namespace conversion {

int32_t ConvertDefault(const Batch& b)
{
    // Kept branch-free and in single precision: this is the path of every plain analogue sensor,
    // run for each live batch and each redraw of a loaded run.
    const float a = b.p.scaleA;
    const float offset = b.p.offsetB;
    const float m = b.p.multiplierM;
    const float z = b.p.offsetZ;
    const int32_t n = b.count;
    const int32_t stride = b.entries;
    const int32_t* raw = b.raw;
    float* values = b.values;
    for (int32_t i = 0; i < n; ++i)
        values[i] = (offset + a * float(raw[int64_t(i) * stride])) * m + z;
    if (!b.ValuesOnly())
        WriteSampleTimes(b);
    return n;
}

void WriteSampleTimes(const Batch& b)
{
    const double origin = b.p.timeOrigin;
    const double scale = b.p.timeScale;
    const double offset = b.timeOffset;
    const int32_t n = b.count;
    const int32_t* rawTimes = b.rawTimes;
    float* times = b.times;
    if (b.entries != 1) {
        for (int32_t i = 0; i < n; ++i)
            times[i] = b.SampleTime(i);
        return;
    }
    // Blocks of a fixed length let the compiler use vector instructions without a cost model.
    constexpr int32_t kBlock = 8;
    int32_t i = 0;
    for (; i + kBlock <= n; i += kBlock) {
        for (int32_t k = 0; k < kBlock; ++k)
            times[i + k] = float(origin + scale * (double(rawTimes[i + k]) - offset));
    }
    for (; i < n; ++i)
        times[i] = float(origin + scale * (double(rawTimes[i]) - offset));
}

}  // namespace conversion
}  // namespace devicelink
