#pragma once

#include "devicelink/conversion/ConversionParams.h"
#include "devicelink/protocol/Vocabulary.h"

#include <cstdint>

// Raw register words of a channel to physical values and display times.
namespace devicelink {

// Converts `count` samples of channel 0..3 (for the GPS kind: `count` characters, one in the
// low byte of each sample's word) from the raw arrays, which hold entriesPerSample words per
// sample, into outValues/outTimes and writes the
// number of outputs to *outCount. Returns 1; 0 (with *outCount 0 when it can be written) for a
// missing array or a negative count.
//
// With no parameters, or a channel outside 0..3, every raw value is copied as a float with time
// = raw time - timeOffset and *outCount is 0.
//
// The output arrays must hold: count x outputsPerSample entries (at most 4 a sample) for a
// multi-output kind delivering all outputs (11, 12, 15, 17, 23, 29, 34), 3 for the GPS kind,
// count otherwise.
//
// Kinds 18, 21, 31 and 32 keep state between calls (ConversionState.h); call from one thread.
int32_t ConvertSamples(int32_t channel, int32_t count, const int32_t* rawValues,
                       const int32_t* rawTimes, float* outValues, float* outTimes,
                       int32_t timeOffset, const ConversionParams* params, int32_t* outCount);

// Whether a conversion kind has a routine of its own; every other kind (ConversionKind in
// devicelink/protocol/Vocabulary.h) converts by the default formula.
bool HasConversionRoutine(int32_t kind);

}  // namespace devicelink
