// Conversion kinds of particular sensors: three-axis, barometric, temperature, colour,
// humidity, weather station, angle and tagged-word sensors.
#include "devicelink/conversion/BarometricCompensation.h"
#include "devicelink/conversion/SampleConversionRoutines.h"

#include <bit>
#include <cmath>

namespace devicelink::conversion {
namespace {

constexpr double kAltitudeExponent = 0.1902949959039688;
constexpr double kAxisSlopeOfZero = 16777215.0;

// Tags in the upper half of the weather station's and the tagged sensors' words.
constexpr uint32_t kTagTemperature = 0x100;
constexpr uint32_t kTagPressure = 0x200;
constexpr uint32_t kTagSecondary = 0x300;

uint32_t TagOf(int32_t word)
{
    return uint32_t(word) >> 16;
}

uint32_t LowHalf(int32_t word)
{
    return uint32_t(word) & 0xFFFFu;
}

double Celsius(const Batch& b, double celsius, int unitOption)
{
    return b.WantsFahrenheit(unitOption) ? Fahrenheit(celsius) : celsius;
}

// Angle of y over x with the quotient truncated to an integer, as the sensor reports it.
double IntegerQuotientAngle(int32_t y, int32_t x)
{
    if (x == 0)
        return std::atan(double(y) * kAxisSlopeOfZero);
    return std::atan(double(y / x));
}

double Altitude(double hectopascals, double referenceHectopascals)
{
    if (!(referenceHectopascals > 0.0) || !(hectopascals > 0.0))
        return 0.0;
    return 44330.0 * (1.0 - std::pow(hectopascals / referenceHectopascals, kAltitudeExponent));
}

}  // namespace

int32_t ConvertThreeAxis(const Batch& b)
{
    if (b.entries < 3)
        return 0;
    const double a = b.p.scaleA;
    const int32_t mode = b.p.mode;
    MultiOutputWriter<3> writer(b);
    for (int32_t i = 0; i < b.count; ++i) {
        const int32_t* sample = b.Sample(i);
        const int32_t x = SwappedX16(sample[0], true);
        const int32_t y = SwappedX16(sample[1], true);
        const int32_t z = SwappedX16(sample[2], true);
        double q[3];
        if (mode == 1) {
            q[0] = a * std::sqrt(double(x) * x + double(y) * y);
            q[1] = IntegerQuotientAngle(y, x);
            q[2] = a * z;
        } else if (mode == 2) {
            const double r = std::sqrt(double(x) * x + double(y) * y + double(z) * z);
            q[0] = a * r;
            q[1] = r != 0.0 ? std::atan(y / r) : std::acos(z * kAxisSlopeOfZero);
            q[2] = IntegerQuotientAngle(y, x);
        } else {
            q[0] = a * x;
            q[1] = a * y;
            q[2] = a * z;
        }
        for (double& v : q)
            v = b.Scaled(v);
        writer.Write(i, q, b.SampleTime(i));
    }
    return writer.Result(b.count);
}

int32_t ConvertPressure(const Batch& b)
{
    if (b.entries < 3)
        return 0;
    BarometricCalibration cal{};
    const bool calibrated = LoadBarometricCalibration(b.p.calWords, cal);
    const int32_t oss = ClampOversampling(b.p.mode);
    const double reference = b.p.pointValues[0];
    MultiOutputWriter<3> writer(b);
    for (int32_t i = 0; i < b.count; ++i) {
        const int32_t* sample = b.Sample(i);
        // A sample the calibration cannot compensate reads 0 in every output.
        double q[3] = {0.0, 0.0, 0.0};
        int64_t b5 = 0;
        if (calibrated && BarometricB5(cal, LowHalf(sample[0]), b5)) {
            const int64_t up = int64_t((LowHalf(sample[1]) << 8) | (uint32_t(sample[2]) & 0xFFu)) >> (8 - oss);
            int64_t pascals = 0;
            if (BarometricPressure(cal, b5, up, oss, pascals)) {
                const double hectopascals = double(pascals) * 0.01;
                q[0] = b.Scaled(hectopascals);
                if (writer.Delivers(1))
                    q[1] = b.Scaled(Altitude(hectopascals, reference));
            }
            q[2] = b.Scaled(Celsius(b, BarometricTemperature(b5), 1));
        }
        writer.Write(i, q, b.SampleTime(i));
    }
    return writer.Result(b.count);
}

int32_t ConvertSignedTemperature(const Batch& b)
{
    const ConversionParams& p = b.p;
    const double factor = double(p.multiplierM) * p.scaleA;
    return ConvertEachSample(b, TimesFor::EverySample, [&](const int32_t* sample, double& value) {
        const double t = factor * AsSigned16(LowHalf(sample[0]));
        value = p.offsetZ + (b.WantsFahrenheit(0) ? Fahrenheit(t) : t);
        return true;
    });
}

int32_t ConvertTwelveBitTemperature(const Batch& b)
{
    const ConversionParams& p = b.p;
    return ConvertEachSample(b, TimesFor::EverySample, [&](const int32_t* sample, double& value) {
        const uint32_t x = uint32_t(sample[0]);
        double t = (x & 0xFFu) * 0.0625 + ((x >> 4) & 0xF0u);
        if (x & 0x1000u)
            t -= 256.0;
        value = p.offsetZ + (b.WantsFahrenheit(0) ? Fahrenheit(t) : t);
        return true;
    });
}

int32_t ConvertNormalised(const Batch& b)
{
    const int32_t entries = b.entries;
    if (entries > 4)
        return 0;
    const ConversionParams& p = b.p;
    const bool all = p.allOutputs == 1;
    const int32_t selected = p.outputSelector;
    if (!all && (selected < 0 || selected >= entries))
        return 0;
    // The gains come from the sensor's memory or a project file; a blank chip (all bits set)
    // or a damaged copy holds no number, and such a gain leaves its reading unscaled rather
    // than turning it into NaN.
    float factor[4];
    for (int k = 0; k < 4; ++k) {
        factor[k] = std::bit_cast<float>(p.calWords[k]);
        if (!std::isfinite(factor[k]))
            factor[k] = 1.0f;
    }
    const int32_t stride = OutputStride(p);

    for (int32_t i = 0; i < b.count; ++i) {
        const int32_t* sample = b.Sample(i);
        double value[4] = {0.0, 0.0, 0.0, 0.0};
        double sum = 0.0;
        for (int32_t k = 0; k < entries; ++k) {
            value[k] = p.offsetZ + double(Swap16(uint32_t(sample[k])));
            sum += value[k];
        }
        sum -= value[3];  // the fourth reading is the unfiltered one, not part of the total
        auto output = [&](int32_t k) {
            const bool normalise = p.unitOptions[k] == 1 && sum > 0.0;
            return float((normalise ? value[k] / sum : value[k]) * factor[k]);
        };
        const int64_t first = int64_t(i) * entries;
        if (!all) {
            b.values[i] = output(selected);
            b.times[i] = b.TimeOfEntry(first + selected);
            continue;
        }
        for (int32_t k = 0; k < stride; ++k) {
            const int64_t at = int64_t(i) * stride + k;
            b.values[at] = k < entries ? output(k) : 0.0f;
            b.times[at] = b.TimeOfEntry(first + (k < entries ? k : 0));
        }
    }
    return b.count * stride;
}

int32_t ConvertHumidity(const Batch& b)
{
    MultiOutputWriter<3> writer(b);
    for (int32_t i = 0; i < b.count; ++i) {
        const uint32_t word = uint32_t(b.Sample(i)[0]);
        const double t = AsSigned16(word) / 10.0;
        const double h = AsSigned16(word >> 16) / 10.0;
        const double a = t >= 0.0 ? 17.62 : 22.46;
        const double c0 = t >= 0.0 ? 243.12 : 272.62;
        // A dry or faulty reading (h <= 0) would have no logarithm; the dew point is taken at
        // the smallest humidity the sensor resolves instead.
        const double g = std::log(std::max(h, 0.01) / 100.0);
        const double c = a * t / (c0 + t);
        const double dewPoint = c0 * (c + g) / (a - c - g);
        double q[3] = {b.Scaled(h), b.Scaled(Celsius(b, t, 1)), b.Scaled(Celsius(b, dewPoint, 2))};
        writer.Write(i, q, b.SampleTime(i));
    }
    return writer.Result(b.count);
}

int32_t ConvertWeather(const Batch& b)
{
    if (b.entries < 5)
        return 0;
    BarometricCalibration cal{};
    const bool calibrated = LoadBarometricCalibration(b.p.calWords, cal);
    const int32_t oss = ClampOversampling(b.p.mode);
    // Readings the sample does not carry keep their value from the previous sample.
    double primary = 0.0, celsius = 0.0, secondary = 0.0, hectopascals = 0.0;
    int32_t temperatureWord = 0;
    bool havePressure = false;
    int64_t up = 0;
    MultiOutputWriter<4> writer(b);
    for (int32_t i = 0; i < b.count; ++i) {
        const int32_t* sample = b.Sample(i);
        for (int32_t k = 0; k < 5; ++k) {
            const int32_t word = sample[k];
            const uint32_t tag = TagOf(word);
            if (tag == 0) {
                primary = LowHalf(word) / 10.0;
            } else if (tag == kTagTemperature) {
                temperatureWord = AsSigned16(LowHalf(word));
                celsius = temperatureWord / 10.0;
            } else if (tag == kTagPressure) {
                up = LowHalf(word);
                havePressure = true;
            } else if (tag == kTagSecondary) {
                secondary = LowHalf(word) / 100.0;
            }
        }
        if (havePressure) {
            // The station reports its temperature already compensated, in tenths of a degree;
            // B5 is the term that yields exactly that temperature.
            const int64_t b5 = int64_t(temperatureWord) * 16 - 8;
            int64_t pascals = 0;
            hectopascals = calibrated && BarometricPressure(cal, b5, up, oss, pascals)
                               ? double(pascals) * 0.01 : 0.0;
        }
        double q[4] = {b.Scaled(primary), b.Scaled(Celsius(b, celsius, 1)), b.Scaled(secondary),
                       b.Scaled(hectopascals)};
        writer.Write(i, q, b.SampleTime(i));
    }
    return writer.Result(b.count);
}

int32_t ConvertAngle(const Batch& b)
{
    return ConvertEachSample(b, TimesFor::EverySample, [&](const int32_t* sample, double& value) {
        double angle = ((uint32_t(sample[0]) >> 2) & 0x3FFFu) * (360.0 / 16384.0);
        if (angle >= 360.0)
            angle = 0.0;
        value = b.Scaled(angle);
        return true;
    });
}

int32_t ConvertTaggedWords(const Batch& b)
{
    if (b.entries < 2)
        return 0;
    MultiOutputWriter<1> writer(b);
    // A sample without a tagged word repeats the previous one; 0 before the first.
    double value = 0.0;
    for (int32_t i = 0; i < b.count; ++i) {
        const int32_t* sample = b.Sample(i);
        if (TagOf(sample[1]) == kTagPressure)
            value = LowHalf(sample[1]) / 100.0;
        else if (TagOf(sample[0]) == kTagPressure)
            value = LowHalf(sample[0]) / 100.0;
        const double q[1] = {b.Scaled(value)};
        writer.Write(i, q, b.SampleTime(i));
    }
    return writer.Result(b.count);
}

}  // namespace devicelink::conversion
