#include "devicelink/conversion/BarometricCompensation.h"

#include <algorithm>

namespace devicelink {
namespace {

bool FitsSigned16(int32_t word)
{
    return word >= -32768 && word <= 32767;
}

bool FitsUnsigned16(int32_t word)
{
    return word >= 0 && word <= 65535;
}

}  // namespace

bool LoadBarometricCalibration(const int32_t words[11], BarometricCalibration& out)
{
    for (int k = 0; k < 11; ++k) {
        const bool isUnsigned = k >= 3 && k <= 5;
        if (isUnsigned ? !FitsUnsigned16(words[k]) : !FitsSigned16(words[k]))
            return false;
    }
    out = BarometricCalibration{words[0], words[1], words[2], words[3], words[4], words[5],
                                words[6], words[7], words[8], words[9], words[10]};
    return true;
}

bool BarometricB5(const BarometricCalibration& cal, int64_t ut, int64_t& b5)
{
    const int64_t x1 = (ut - cal.ac6) * cal.ac5 / 32768;
    const int64_t divisor = x1 + cal.md;
    if (divisor == 0)
        return false;
    b5 = x1 + cal.mc * 2048 / divisor;
    return true;
}

double BarometricTemperature(int64_t b5)
{
    return double((b5 + 8) / 16) * 0.1;
}

bool BarometricPressure(const BarometricCalibration& cal, int64_t b5, int64_t up, int32_t oss,
                        int64_t& pascals)
{
    oss = ClampOversampling(oss);
    const int64_t b6 = b5 - 4000;
    // B2 x (B6 x B6 / 4096) / 2048, as the sensor's data sheet groups it (and as B1 is in B4):
    // B6 / 4096 first would be 0 whenever |B6| < 4096 and drop the term near room temperature.
    const int64_t x3 = cal.ac2 * b6 / 2048 + cal.b2 * (b6 * b6 / 4096) / 2048;
    const int64_t b3 = ((cal.ac1 * 4 + x3) * (int64_t(1) << oss) + 2) / 4;
    const int64_t b4 =
        cal.ac4 * ((cal.b1 * (b6 * b6 / 4096) / 65536 + cal.ac3 * b6 / 8192 + 2) / 4 + 32768) / 32768;
    if (b4 == 0)
        return false;
    // Only the low 32 bits are kept, so the product may wrap (unsigned, hence defined).
    const uint32_t b7 = uint32_t(uint64_t(up - b3) * uint64_t(50000 >> oss));
    int64_t p = b7 < 0x80000000u ? int64_t(b7) * 2 / b4 : int64_t(b7) / b4 * 2;
    p += (p / 256 * (p / 256) * 3038 / 65536 - p * 7357 / 65536 + 3791) / 16;
    pascals = p;
    return true;
}

int32_t ClampOversampling(int32_t mode)
{
    return std::clamp(mode, 0, 3);
}

}  // namespace devicelink
