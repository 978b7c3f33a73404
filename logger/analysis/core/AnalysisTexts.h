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

// The screen's own: its window title, the set buttons' refusals and question, the empty screen.
inline constexpr int kScreenTitle = 2030;
inline constexpr int kNoNewSet = 2086;
inline constexpr int kTooManySets = 2087;
inline constexpr int kDeleteSet = 2088;
inline constexpr int kSetNeedsData = 2121;
inline constexpr int kNothingRecorded = 2850;
inline constexpr int kRecordFirst = 2851;

// The integral and derivative choices: the methods in their stored order, the title and prompt.
inline constexpr int kIntegralMethods[] = {2145, 2143, 2144, 2148, 2149};
inline constexpr int kDerivativeMethods[] = {2135, 2136, 2156};
inline constexpr int kIntegralTitle = 2146;
inline constexpr int kIntegralPrompt = 2147;
inline constexpr int kDerivativeTitle = 2137;
inline constexpr int kDerivativePrompt = 2138;

// The curve-fit choice: the models in their stored order and the dialog's labels.
inline constexpr int kCurveModels[] = {2077, 2125, 2079, 2126};
inline constexpr int kModelLabel = 2103;
inline constexpr int kOrderLabel = 2078;
inline constexpr int kCoefficientLabel = 2079;

// The graph set-up dialog: its refusals, its pages' labels and choices.
inline constexpr int kNotANumber = 2852;
inline constexpr int kInvertedRange = 2853;
inline constexpr int kRangeLabel = 2854;
inline constexpr int kGraphSettings = 2134;
inline constexpr int kAutomatic = 2043;
inline constexpr int kFixed = 2133;
inline constexpr int kMinimum = 2057;
inline constexpr int kMaximum = 2058;
inline constexpr int kRangeArrow = 2040;
inline constexpr int kXSource = 2056;
inline constexpr int kTimeSource = 2130;
inline constexpr int kOtherSeries = 2131;
inline constexpr int kXScale = 2046;
inline constexpr int kTimesSign = 2055;
inline constexpr int kOffset = 2065;
inline constexpr int kGraphLabel = 2054;
inline constexpr int kMarkerStep = 2049;
inline constexpr int kLegendName = 2238;
inline constexpr int kLegendEquation = 2239;
inline constexpr int kLegendR2 = 2240;
inline constexpr int kLegendDetails = 2241;

}  // namespace analysis::text
