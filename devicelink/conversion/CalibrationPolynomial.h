#pragma once

#include <cstdint>

namespace devicelink {

// Polynomial types kept in a sensor's calibration memory: 257..263 are c0 + c1 x + ... of
// degree 1..7, 512 is the power law c0 x^c1.
inline constexpr int32_t kPolynomialDegree1 = 257;
inline constexpr int32_t kPolynomialDegree7 = 263;
inline constexpr int32_t kPowerLaw = 512;

// The calibrated value of raw reading x for the given type and coefficients c0..c7; -1 for a
// type that is none of the above.
double EvalCalibrationPolynomial(int32_t type, const float coefficients[8], double x);

}  // namespace devicelink
