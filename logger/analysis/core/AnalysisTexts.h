#pragma once

// Language-module string ids the analysis screen shows. The labels and titles of the result
// lines, which the add-in writes too, are in numeric/ResultLayout.h.
namespace analysis::text {

// A new set's name: this text and the set's number.
inline constexpr int kSetName = 2033;
// The X axis' label of a graph over time, and over sample numbers; the first is also the time
// channel's name among a graph's X sources.
inline constexpr int kTimeAxis = 2104;
inline constexpr int kSampleAxis = 2211;
// The second axis' label: a derivative's curve, an integral's.
inline constexpr int kDerivativeAxis = 2112;
inline constexpr int kIntegralAxis = 2113;
// "None": the X output of a graph over time, and the first text of a routine's failure that gave
// no result.
inline constexpr int kNone = 2045;

// A routine's failure: too few points (with the minimum), too few peaks, or no result at all.
inline constexpr int kNotEnoughData = 2128;
inline constexpr int kMorePoints = 2127;
inline constexpr int kMorePeaks = 2129;
inline constexpr int kNoResult = 2142;

}  // namespace analysis::text
