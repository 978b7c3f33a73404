// Conversion kinds driven by calibration points, lines and polynomials.
#include "devicelink/conversion/CalibrationPolynomial.h"
#include "devicelink/conversion/SampleConversionRoutines.h"
#include "devicelink/protocol/Vocabulary.h"

#include <cmath>
#include <memory>
#include <new>

namespace devicelink::conversion {
namespace {

uint32_t Swap32(uint32_t word)
{
    return (word >> 24) | ((word >> 8) & 0xFF00u) | ((word << 8) & 0xFF0000u) | (word << 24);
}

// Kinds 1..3 may use the calibration points from index = kind instead of 0.
int32_t PointBase(const ConversionParams& p)
{
    return p.pointShift != 0 ? p.conversionKind : 0;
}

double P(const ConversionParams& p, int32_t k)
{
    return p.pointValues[k];
}

// From this many samples on, tabulating every 16-bit reading once is cheaper than segment
// searches per sample.
constexpr int32_t kTableWorthwhile = 65536;

double R(const ConversionParams& p, int32_t k)
{
    return p.rawPoints[k];
}

}  // namespace

int32_t ConvertOnePoint(const Batch& b)
{
    const ConversionParams& p = b.p;
    const int32_t s = PointBase(p);
    // A zero raw point gives no factor: every sample keeps the previous value.
    const bool valid = p.rawPoints[s] != 0;
    const double k = valid ? P(p, s) / R(p, s) : 0.0;
    const bool isSigned = p.isSigned == 1;
    return ConvertEachSample(b, TimesFor::EverySample, [&](const int32_t* sample, double& value) {
        value = b.Scaled(k * OrderedX16(sample[0], p, isSigned));
        return valid;
    });
}

int32_t ConvertTwoPoints(const Batch& b)
{
    const ConversionParams& p = b.p;
    const int32_t s = PointBase(p);
    const Line line = Line::Through(R(p, s + 1), P(p, s + 1), R(p, s), P(p, s));
    const bool isSigned = p.isSigned == 1;
    return ConvertEachSample(b, TimesFor::EverySample, [&](const int32_t* sample, double& value) {
        value = b.Scaled(line.At(OrderedX16(sample[0], p, isSigned)));
        return line.valid;
    });
}

int32_t ConvertThreePoints(const Batch& b)
{
    const ConversionParams& p = b.p;
    const int32_t s = PointBase(p);
    const double d = R(p, s), f = R(p, s + 1), e = R(p, s + 2);
    const Line line1 = Line::Through(f, P(p, s + 1), d, P(p, s));      // through R[s], R[s+1]
    const Line line2 = Line::Through(e, P(p, s + 2), f, P(p, s + 1));  // through R[s+1], R[s+2]

    if (p.byteCount == 4) {
        const bool asReceived = AsReceived(p);
        return ConvertEachSample(b, TimesFor::EverySample, [&](const int32_t* sample, double& value) {
            const uint32_t word = uint32_t(sample[0]);
            const double x = int32_t(asReceived ? word : Swap32(word));
            const Line& line = x < f ? line2 : line1;
            value = b.Scaled(line.At(x));
            return line.valid;
        });
    }
    // Points may be given falling (E < D) or rising: below F lies the segment towards the
    // smaller raw point.
    const bool falling = e < d;
    return ConvertEachSample(b, TimesFor::EverySample, [&](const int32_t* sample, double& value) {
        const double x = OrderedX16(sample[0], p, true);
        const bool belowF = x < f;
        const Line& line = belowF == falling ? line2 : line1;
        value = b.Scaled(line.At(x));
        return line.valid;
    });
}

int32_t ConvertCubicOfLine(const Batch& b)
{
    const ConversionParams& p = b.p;
    const bool isSigned = p.isSigned == 1;
    const double c0 = P(p, 0) * 1e-9, c1 = P(p, 1) * 1e-9, c2 = P(p, 2) * 1e-9, c3 = P(p, 3) * 1e-9;
    return ConvertEachSample(b, TimesFor::EverySample, [&](const int32_t* sample, double& value) {
        const double v = MapByMeanIntercept(SwappedX16(sample[0], isSigned), R(p, 1), R(p, 5),
                                            R(p, 0), R(p, 4));
        value = p.offsetZ + p.multiplierM * (c0 + v * (c1 + v * (c2 + v * c3)));
        return true;
    });
}

int32_t ConvertTwoRangeTemperature(const Batch& b)
{
    const ConversionParams& p = b.p;
    return ConvertEachSample(b, TimesFor::EverySample, [&](const int32_t* sample, double& value) {
        const uint32_t word = uint32_t(sample[0]);
        const double reference = AsSigned16(Swap16(word >> 16));
        const double reading = AsSigned16(Swap16(word));
        double k;
        if (R(p, 1) < reference) {
            const double l = MapByMeanIntercept(reference, R(p, 0), R(p, 4), R(p, 1), R(p, 5));
            k = 1.89834614441734e-11 * l * l * l - 5.13363722730916e-7 * l * l +
                0.0586168600122345 * l + 1.54459320274327;
        } else {
            const double l = MapByMeanIntercept(reference, R(p, 1), R(p, 5), R(p, 2), R(p, 6));
            k = 5.75490826804985e-9 * l * l * l + 0.0000102390664455193 * l * l +
                0.065836504505986 * l + 0.0977660822638313;
        }
        const double mapped = MapByMeanIntercept(reading, p.refWords[0], p.refWords[4],
                                                 p.refWords[1], p.refWords[5]);
        // The logarithm has no value here: the reading keeps the previous one.
        if (!(mapped > 0.0))
            return false;
        const double t = k + p.coefT0 + p.coefT1 * std::log(mapped);
        if (p.unitOptions[0] == 0)
            value = p.offsetZ + t * p.multiplierM;
        else if (p.unitOptions[0] == 1)
            value = p.offsetZ + Fahrenheit(t) * p.multiplierM;
        else
            value = t;
        return true;
    });
}

int32_t ConvertSwappedThreePoints(const Batch& b)
{
    const ConversionParams& p = b.p;
    const Line lower = Line::Through(R(p, 2), P(p, 2), R(p, 1), P(p, 1));
    const Line upper = Line::Through(R(p, 1), P(p, 1), R(p, 0), P(p, 0));
    const double r1 = R(p, 1);
    return ConvertEachSample(b, TimesFor::EverySample, [&](const int32_t* sample, double& value) {
        const double x = SwappedX16(sample[0], true);
        const Line& line = x < r1 ? lower : upper;
        value = b.Scaled(line.At(x));
        return line.valid;
    });
}

int32_t ConvertClampedTwoPoints(const Batch& b)
{
    const ConversionParams& p = b.p;
    const bool byOrderCode = p.conversionKind == kConvertOrderedClampedTwoPoints;
    const bool isSigned = p.isSigned == 1;
    const Line line = Line::Through(R(p, 1), P(p, 1), R(p, 0), P(p, 0));
    return ConvertEachSample(b, TimesFor::EverySample, [&](const int32_t* sample, double& value) {
        const double x = byOrderCode ? OrderedX16(sample[0], p, isSigned)
                                     : SwappedX16(sample[0], isSigned);
        value = std::max(0.0, b.Scaled(line.At(x)));
        return line.valid;
    });
}

int32_t ConvertTenBit(const Batch& b)
{
    if (b.entries < 2)
        return 0;
    const ConversionParams& p = b.p;
    return ConvertEachSample(b, TimesFor::EverySample, [&](const int32_t* sample, double& value) {
        const int32_t g = int32_t(((uint32_t(sample[1]) << 8) & 0x3FFu) | (uint32_t(sample[0]) & 0xFFu));
        const bool high = g > p.rawPoints[0];
        const double slope = high ? P(p, 0) : P(p, 2);
        const double offset = high ? P(p, 1) : P(p, 3);
        value = p.offsetZ + p.offsetB + p.multiplierM * g * slope + offset;
        if (p.unitOptions[0] != 0)
            value /= 10.0;
        return true;
    });
}

int32_t ConvertTwoSlopes(const Batch& b)
{
    const ConversionParams& p = b.p;
    return ConvertEachSample(b, TimesFor::UnlessValuesOnly, [&](const int32_t* sample, double& value) {
        const double x = AsSigned16(uint32_t(sample[0]));
        if (x > R(p, 1))
            value = P(p, 5) + p.offsetZ + P(p, 4) * p.multiplierM * x;
        else
            value = P(p, 7) + p.offsetZ + P(p, 6) * p.multiplierM * x;
        return true;
    });
}

int32_t ConvertPolynomial(const Batch& b)
{
    const ConversionParams& p = b.p;
    const double base = double(p.offsetZ) + p.offsetB;
    const double factor = double(p.multiplierM) * p.scaleA;
    // Values-only requests (the quick previews) take the raw word without the polynomial.
    const bool polynomial = !b.ValuesOnly();
    return ConvertEachSample(b, TimesFor::UnlessValuesOnly, [&](const int32_t* sample, double& value) {
        const double x = sample[0];
        value = base + factor * (polynomial ? EvalCalibrationPolynomial(p.calWords[0], p.pointValues, x) : x);
        // A power law has no real value below zero (noise around a zero reading): such a
        // sample repeats the previous value instead of showing NaN.
        return std::isfinite(value);
    });
}

int32_t ConvertSevenPoints(const Batch& b)
{
    const ConversionParams& p = b.p;
    double slope[7] = {};
    const double r0 = R(p, 0);
    slope[0] = r0 != 0.0 ? P(p, 0) / r0 : 0.0;
    for (int j = 1; j < 7; ++j) {
        const double width = R(p, j) - R(p, j - 1);
        slope[j] = width != 0.0 ? (P(p, j) - P(p, j - 1)) / width : 0.0;
    }
    bool rising = true;
    for (int j = 1; j < 7; ++j)
        rising = rising && p.rawPoints[j - 1] < p.rawPoints[j];

    MultiOutputWriter<1> writer(b);
    if (rising) {
        // A rising table has exactly one segment for every reading: the one after the last raw
        // point below it (the last two share the same line), found without branches.
        double base[7] = {0.0}, anchor[7] = {0.0};
        for (int j = 1; j < 7; ++j) {
            base[j] = P(p, j);
            anchor[j] = R(p, j);
        }
        int32_t bound[6];
        for (int j = 0; j < 6; ++j)
            bound[j] = p.rawPoints[j];
        auto valueAt = [&](int32_t x) {
            int k = 0;
            for (int j = 0; j < 6; ++j)
                k += bound[j] < x;
            return b.Scaled(base[k] + slope[k] * (x - anchor[k]));
        };
        auto valueOf = [&](int32_t i) {
            return valueAt(int32_t(Swap16(uint32_t(b.Sample(i)[0]) >> 16)));
        };
        if (p.allOutputs != 1) {
            // The usual single-output call, kept free of per-sample layout decisions. A long run
            // (a loaded data set) goes through a table of all 65536 readings, indexed by the
            // upper half as received.
            std::unique_ptr<float[]> table;
            if (b.count >= kTableWorthwhile)
                table.reset(new (std::nothrow) float[65536]);
            if (table) {
                for (int32_t h = 0; h < 65536; ++h)
                    table[h] = float(valueAt(int32_t(Swap16(uint32_t(h)))));
                for (int32_t i = 0; i < b.count; ++i)
                    b.values[i] = table[uint32_t(b.Sample(i)[0]) >> 16];
            } else {
                for (int32_t i = 0; i < b.count; ++i)
                    b.values[i] = float(valueOf(i));
            }
            WriteSampleTimes(b);
            return b.count;
        }
        for (int32_t i = 0; i < b.count; ++i) {
            const double quantity[1] = {valueOf(i)};
            writer.Write(i, quantity, b.SampleTime(i));
        }
        return writer.Result(b.count);
    }

    const double r6 = R(p, 6);
    const bool lastValid = R(p, 6) != R(p, 5);
    double previous = 0.0;
    for (int32_t i = 0; i < b.count; ++i) {
        const double x = Swap16(uint32_t(b.Sample(i)[0]) >> 16);
        // Segments are tried in order and a later match wins, as with an unsorted table. A
        // sample that matches none, or only a segment of zero width, repeats the previous value.
        double value = previous;
        if (x <= r0)
            value = slope[0] * x;  // through the origin, so 0 at x = 0 even when R0 is 0
        for (int j = 1; j < 7; ++j) {
            const double lo = R(p, j - 1), hi = R(p, j);
            if (lo < x && x <= hi && (j < 6 || x < hi))
                value = P(p, j) + slope[j] * (x - hi);
        }
        if (x >= r6 && lastValid)
            value = P(p, 6) + slope[6] * (x - r6);
        previous = value;
        const double quantity[1] = {b.Scaled(value)};
        writer.Write(i, quantity, b.SampleTime(i));
    }
    return writer.Result(b.count);
}

int32_t ConvertSignedOnly(const Batch& b)
{
    // An unsigned sensor has no reading in this form: nothing is delivered.
    if (b.p.isSigned != 1)
        return 0;
    const ConversionParams& p = b.p;
    return ConvertEachSample(b, TimesFor::EverySample, [&](const int32_t* sample, double& value) {
        value = (double(p.offsetB) + double(p.scaleA) * sample[0]) * p.multiplierM + p.offsetZ;
        return true;
    });
}

}  // namespace devicelink::conversion
