#pragma once

// The text lines that report each analysis' result, described once for the program's analysis
// screen and the add-in's PVAnalyzeData. Each writes them with its own texts of the string ids
// and its own way of writing a position on the X axis; the values come from the routine's
// result slots (CurveFits.h, SampleAnalysis.h) and are written as printf writes "%f" and "%d".
// Where the two have always shown different lines, a line names the one that shows it.

#include <cstdint>
#include <span>
#include <string_view>

namespace numeric {

// The analyses that report lines; the integral and the derivative also by their method.
enum class Analysis {
    Statistics,
    Linear,
    Quadratic,
    Polynomial,
    Exponential,
    ExponentialOffset,
    ExponentialShift,
    Logarithmic,
    Power,
    Integral,
    Derivative,
    DampedOscillation,
    Comparison,
};

enum class LineKind : std::uint8_t {
    Blank,         // an empty line
    RangeStart,    // "label : " and the x of the range's first point, as the reader writes positions
    RangeEnd,      // the same of the range's last point
    Step,          // the same of the step h between the series' first two points
    Value,         // "label : %f" of the slot
    Count,         // "label : %d" of the slot
    ValueAndSpan,  // a Value, then " (t=%.3f)" of the stretch (N - 1) steps span
    ValueAndUnit,  // a Value, then "*" and the text of `unitId`
    Note,          // "*" and the label
    FirstX,        // "label : %f" of the x of the range's first point
    Coefficients,  // "C0 : %f" .. "Cn : %f" of the slots from `slot` on, n the fitted order
};

enum class Reader : std::uint8_t { Both, Program, AddIn };

// Every result's first slot: the points it took (the peaks, for the oscillation fit).
inline constexpr int kCountSlot = 0;

// The program's buffer for the text of most labels, terminator included.
inline constexpr int kLabelLength = 32;

struct ResultLine {
    LineKind kind = LineKind::Blank;
    int textId = 0;                 // the label's string id; 0 for `name`
    std::u16string_view name;       // a label of its own: a coefficient's letter, a literal text
    std::u16string_view qualifier;  // after the label: " (A)" names the coefficient of an error
    int slot = -1;                  // the result slot of the value
    std::u16string_view after;      // after the value
    int unitId = 0;                 // the unit text of a ValueAndUnit
    Reader reader = Reader::Both;
    int labelLength = kLabelLength; // the program's buffer for the label's text
};

struct ResultLayout {
    int titleId = 0;             // the first line's string id; 0 for `title`
    int titleLength = 0;         // the program's buffer for the title text, terminator included
    std::u16string_view title;   // a title of its own
    int rSquaredSlot = -1;       // the fit's r^2, which a graph's legend shows; -1 for none
    std::span<const ResultLine> header;  // the lines after the title: the range and the count
    std::span<const ResultLine> body;    // the lines of the analysis' own values
};


// The layout of `analysis`; `method` picks the integral's title (an unknown method: an empty
// title) and the derivative's lines.
const ResultLayout& LayoutOf(Analysis analysis, int method);

// The C lines of a Coefficients line: one more than the fitted order.
int CoefficientCount(const float* result);

// A Count slot's value as a whole number; huge and non-finite values are held to +-1e9 and 0.
std::int64_t CountOf(float value);

// String ids of the lines' labels and titles.
namespace text {

inline constexpr int kSecondDerivative = 2156;
inline constexpr int kStatisticsTitle = 2159;
inline constexpr int kRangeStart = 2160;
inline constexpr int kRangeEnd = 2161;
inline constexpr int kStep = 2162;
inline constexpr int kPoints = 2163;
inline constexpr int kFirstExtreme = 2164;
inline constexpr int kSecondExtreme = 2165;
inline constexpr int kValueRange = 2166;
inline constexpr int kMean = 2167;
inline constexpr int kHalfWidth95 = 2168;
inline constexpr int kStdDeviation = 2169;
inline constexpr int kStdErrorOfMean = 2170;
inline constexpr int kRms = 2171;
inline constexpr int kLinearTitle = 2172;
inline constexpr int kSlope = 2173;
inline constexpr int kIntercept = 2174;
inline constexpr int kStdError = 2175;
inline constexpr int kRSquared = 2176;
inline constexpr int kQuadraticTitle = 2177;
inline constexpr int kRmsResidual = 2178;
inline constexpr int kPolynomialTitle = 2179;
inline constexpr int kOrder = 2180;
inline constexpr int kExponentialTitle = 2181;
inline constexpr int kPowerTitle = 2182;
inline constexpr int kOffsetExponentialTitle = 2183;
inline constexpr int kLogarithmicTitle = 2184;
// One title for each integration method, 0 to 4.
inline constexpr int kRunningIntegralTitle = 2185;
inline constexpr int kTrapezoidTitle = 2186;
inline constexpr int kSimpsonTitle = 2187;
inline constexpr int kSimpsonThreeEighthsTitle = 2188;
inline constexpr int kBooleTitle = 2189;
inline constexpr int kArea = 2190;
inline constexpr int kDerivativeTitle = 2191;
inline constexpr int kOscillationTitle = 2192;
inline constexpr int kPeaks = 2193;
inline constexpr int kNaturalFrequency = 2194;
inline constexpr int kFrequency = 2195;
inline constexpr int kDamping = 2196;
inline constexpr int kQualityFactor = 2197;
inline constexpr int kW = 2198;
inline constexpr int kK = 2199;
inline constexpr int kCentreLine = 2200;
inline constexpr int kKFromPeaks = 2201;
inline constexpr int kShiftedExponentialTitle = 2244;

}  // namespace text

}  // namespace numeric
