#pragma once

#include <cstdint>

// The integer compensation of the digital barometric sensor (calibration words AC1..MD), with
// the sensor's truncating divisions. Intermediates are 64-bit; words outside the sensor's 16-bit
// registers, and the zero divisors a zeroed or failed calibration read leaves, give no result
// instead of a trap.
namespace devicelink {

struct BarometricCalibration {
    int64_t ac1, ac2, ac3, ac4, ac5, ac6, b1, b2, mb, mc, md;
};

// The calibration from the eleven words in register order; false when a word does not fit the
// register it was read from (AC4..AC6 unsigned, the others signed 16-bit).
bool LoadBarometricCalibration(const int32_t words[11], BarometricCalibration& out);

// B5, the temperature term, from the raw temperature UT; false when X1 + MD is 0.
bool BarometricB5(const BarometricCalibration& cal, int64_t ut, int64_t& b5);

// Temperature in degrees Celsius from B5.
double BarometricTemperature(int64_t b5);

// Pressure in pascals from B5 and the raw pressure UP at oversampling setting oss (0..3);
// false when B4 is 0.
bool BarometricPressure(const BarometricCalibration& cal, int64_t b5, int64_t up, int32_t oss,
                        int64_t& pascals);

// The oversampling setting clamped to the sensor's 0..3.
int32_t ClampOversampling(int32_t mode);

}  // namespace devicelink
