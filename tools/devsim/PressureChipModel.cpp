#include "tools/devsim/PressureChipModel.h"

namespace devsim {

bool CompensatePressure(const PressureChipWords& w, int32_t ut, int32_t up, int oss, PressureReading& out)
{
    // Named as on the data sheet; 64-bit only so that no raw word can overflow a product.
    const int64_t AC1 = w.ac1, AC2 = w.ac2, AC3 = w.ac3, AC4 = w.ac4, AC5 = w.ac5, AC6 = w.ac6;
    const int64_t B1 = w.b1, B2 = w.b2, MC = w.mc, MD = w.md;
    if (oss < 0 || oss > 3)
        return false;

    // True temperature.
    int64_t X1 = (ut - AC6) * AC5 / (1 << 15);
    if (X1 + MD == 0)
        return false;
    int64_t X2 = MC * (1 << 11) / (X1 + MD);
    const int64_t B5 = X1 + X2;
    out.tenthsCelsius = int32_t((B5 + 8) / (1 << 4));

    // True pressure.
    const int64_t B6 = B5 - 4000;
    X1 = (B2 * (B6 * B6 / (1 << 12))) / (1 << 11);
    X2 = AC2 * B6 / (1 << 11);
    int64_t X3 = X1 + X2;
    const int64_t B3 = ((AC1 * 4 + X3) * (1 << oss) + 2) / 4;
    X1 = AC3 * B6 / (1 << 13);
    X2 = (B1 * (B6 * B6 / (1 << 12))) / (1 << 16);
    X3 = ((X1 + X2) + 2) / (1 << 2);
    const uint32_t B4 = uint32_t(AC4 * int64_t(uint32_t(X3 + 32768)) / (1 << 15));
    const uint32_t B7 = uint32_t((uint32_t(up) - uint32_t(B3)) * uint32_t(50000 >> oss));
    if (B4 == 0)
        return false;
    int64_t p = B7 < 0x80000000u ? int64_t(B7) * 2 / B4 : int64_t(B7 / B4) * 2;
    X1 = (p / (1 << 8)) * (p / (1 << 8));
    X1 = (X1 * 3038) / (1 << 16);
    X2 = (-7357 * p) / (1 << 16);
    p = p + (X1 + X2 + 3791) / (1 << 4);
    out.pascals = int32_t(p);
    return true;
}

void PressureChipRegisterWords(const PressureChipWords& w, uint16_t out[11])
{
    const int32_t words[11] = {w.ac1, w.ac2, w.ac3, w.ac4, w.ac5, w.ac6, w.b1, w.b2, w.mb, w.mc, w.md};
    for (int i = 0; i < 11; ++i)
        out[i] = uint16_t(words[i]);
}

}  // namespace devsim
