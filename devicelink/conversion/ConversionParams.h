#pragma once

#include <cstddef>
#include <cstdint>

// The record that describes how one channel's raw register words become physical values. The
// sensor object refills it from the catalogue, the channel state and the sensor's calibration
// memory before every conversion; ConvertSamples only reads it.
namespace devicelink {

// A time offset with this value asks for values only: the routines that honour it (the default
// formula and kinds 26 and 28) leave the time array untouched.
inline constexpr int32_t kValuesOnlyTimeOffset = -100000;

// A sensor delivers at most four quantities a sample (one unit option each); a larger output
// count in a record is taken as four, so that a damaged catalogue entry cannot make a
// conversion write past the callers' four-per-sample arrays.
inline constexpr int32_t kMaxOutputsPerSample = 4;

// Byte-order code in calibration word 0: raw 16-bit values arrive in the order received.
inline constexpr int32_t kByteOrderAsReceived = 7;

struct ConversionParams {
    int32_t byteCount;          // register byte count (1, 2 or 4)
    int32_t entriesPerSample;   // raw words per sample: the stride of the raw arrays
    int32_t outputsPerSample;   // physical quantities of a multi-output sensor
    int32_t conversionKind;     // 1..34 selects the routine; anything else is the default formula
    int32_t channelValue;
    int32_t isSigned;           // 1: raw 16-bit values are two's complement
    int32_t rangeMax;
    int32_t rangeMin;
    int32_t rangeOffset;
    float scaleA;
    float offsetB;
    float pointValues[8];       // P0..P7: calibration values, polynomial coefficients or slopes
    int32_t rawPoints[8];       // R0..R7: calibration raw values, thresholds or references
    int32_t calWords[11];       // W0..W10: byte-order code / polynomial type, or pressure constants
    float offsetZ;
    float multiplierM;
    float coefT0;
    float coefT1;
    int32_t furtherCalWords[6];
    int32_t refWords[8];        // V0..V7
    int32_t unitOptions[4];     // U0..U3
    int32_t outputSelector;
    int32_t allOutputs;
    int32_t mode;
    float unitRangeMin;
    float unitRangeMax;
    float timeScale;
    float timeOrigin;
    int32_t pointShift;
};

static_assert(sizeof(ConversionParams) == 272);
static_assert(offsetof(ConversionParams, byteCount) == 0);
static_assert(offsetof(ConversionParams, entriesPerSample) == 4);
static_assert(offsetof(ConversionParams, outputsPerSample) == 8);
static_assert(offsetof(ConversionParams, conversionKind) == 12);
static_assert(offsetof(ConversionParams, channelValue) == 16);
static_assert(offsetof(ConversionParams, isSigned) == 20);
static_assert(offsetof(ConversionParams, rangeMax) == 24);
static_assert(offsetof(ConversionParams, rangeMin) == 28);
static_assert(offsetof(ConversionParams, rangeOffset) == 32);
static_assert(offsetof(ConversionParams, scaleA) == 36);
static_assert(offsetof(ConversionParams, offsetB) == 40);
static_assert(offsetof(ConversionParams, pointValues) == 44);
static_assert(offsetof(ConversionParams, rawPoints) == 76);
static_assert(offsetof(ConversionParams, calWords) == 108);
static_assert(offsetof(ConversionParams, offsetZ) == 152);
static_assert(offsetof(ConversionParams, multiplierM) == 156);
static_assert(offsetof(ConversionParams, coefT0) == 160);
static_assert(offsetof(ConversionParams, coefT1) == 164);
static_assert(offsetof(ConversionParams, furtherCalWords) == 168);
static_assert(offsetof(ConversionParams, refWords) == 192);
static_assert(offsetof(ConversionParams, unitOptions) == 224);
static_assert(offsetof(ConversionParams, outputSelector) == 240);
static_assert(offsetof(ConversionParams, allOutputs) == 244);
static_assert(offsetof(ConversionParams, mode) == 248);
static_assert(offsetof(ConversionParams, unitRangeMin) == 252);
static_assert(offsetof(ConversionParams, unitRangeMax) == 256);
static_assert(offsetof(ConversionParams, timeScale) == 260);
static_assert(offsetof(ConversionParams, timeOrigin) == 264);
static_assert(offsetof(ConversionParams, pointShift) == 268);

}  // namespace devicelink
