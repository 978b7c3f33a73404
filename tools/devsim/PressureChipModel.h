#pragma once

#include <cstdint>

// The digital pressure chip as its data sheet publishes it: eleven calibration words in its
// registers from 0xAA, a raw temperature word UT and a raw pressure word UP, and the integer
// compensation that turns them into tenths of a degree Celsius and pascals. The simulated chip
// works its raw words out backwards from this, so that the host's own compensation is measured
// against the published one rather than against itself.
namespace devsim {

struct PressureChipWords {
    int16_t ac1, ac2, ac3;
    uint16_t ac4, ac5, ac6;
    int16_t b1, b2, mb, mc, md;
};

// The data sheet's worked example; also the calibration of the simulated chips.
inline constexpr PressureChipWords kDataSheetWords = {408, -72, -14383, 32741, 32757, 23153,
                                                      6190, 4, -32768, -8711, 2868};

struct PressureReading {
    int32_t tenthsCelsius;
    int32_t pascals;
};

// The published steps, with C's integer division (as the data sheet writes them) at
// oversampling setting oss (0..3). False where the words divide by zero.
bool CompensatePressure(const PressureChipWords& words, int32_t ut, int32_t up, int oss, PressureReading& out);

// The calibration words in register order (AC1 ... MD), as 16-bit register values.
void PressureChipRegisterWords(const PressureChipWords& words, uint16_t out[11]);

}  // namespace devsim
