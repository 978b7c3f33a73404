#pragma once

#include "devicelink/conversion/ConversionParams.h"
#include "devicelink/sensor/ChannelState.h"

#include <cstddef>
#include <cstdint>
#include <span>

// Where calibration lives in a channel's 128-byte sensor memory image, shared by the conversion
// record and the calibration code. Sensors that keep their calibration in their own memory
// (calibration mode 1) hold two point sets: the first as shipped, the second as the user set it.
// Sensors calibrated through their adapter (mode 0) keep plain point arrays at the image's start.
namespace devicelink::memory {

// Calibration mode 1.
inline constexpr size_t kKind = 0;                 // int32: calibration kind 1..5, or a polynomial type
inline constexpr size_t kFirstValues = 4;          // 7 float32
inline constexpr size_t kFirstRaws = 32;           // 16-bit raws
inline constexpr size_t kSecondKind = 64;          // int32
inline constexpr size_t kSecondValues = 68;        // 7 float32
inline constexpr size_t kSecondRaws = 96;          // 16-bit raws
inline constexpr int kPointTableSize = 7;
// Two-slope sensors (kind 5): two 16-bit reference words, then two slope/offset pairs, twice.
inline constexpr size_t kSlopeReferences = 4;
inline constexpr size_t kSecondSlopeReferences = 68;
inline constexpr size_t kSlopePairs = 8;
inline constexpr size_t kSecondSlopePairs = 72;
inline constexpr int32_t kTwoSlopeKind = 5;
// Polynomial sensors: the type again at 88 when the user set coefficients at 92.
inline constexpr size_t kPolynomialCheck = 88;
inline constexpr size_t kUserPolynomial = 92;
inline constexpr int32_t kPolynomialKindAbove = 256;

// Calibration mode 0: plain arrays.
inline constexpr size_t kPlainValues = 0;          // 8 float32
inline constexpr size_t kPlainRaws = 32;           // 8 int32
inline constexpr size_t kPlainCoefficients = 64;   // T0, T1 and six further words
inline constexpr size_t kPlainReferences = 96;     // 8 int32

// A "W" sensor whose calibration kind is 2 and whose first raw words hold this mark is a
// low-range sensor: it keeps the plain line of its memory (conversion kind 24).
inline constexpr size_t kLowRangeMark = 32;
inline constexpr uint16_t kLowRangeMarkFirst = 0xFF2;
inline constexpr uint16_t kLowRangeMarkSecond = 0x3A70;
bool HoldsLowRangeMark(std::span<const uint8_t> image);

// Fills the calibration area of the record (points, raws, words, coefficients, references) from
// the channel's image and calibration block; the area is cleared first, so nothing of the
// previous channel's calibration stays behind.
void FillCalibrationArea(ConversionParams& params, const ChannelState& state);

}  // namespace devicelink::memory
