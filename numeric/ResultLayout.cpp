#include "numeric/ResultLayout.h"

#include "numeric/CurveFits.h"
#include "numeric/SampleAnalysis.h"

#include <algorithm>
#include <cmath>

namespace numeric {

namespace {

constexpr ResultLine Blank() { return ResultLine{}; }
constexpr ResultLine Value(int id, int slot, std::u16string_view qualifier = {})
{
    ResultLine line;
    line.kind = LineKind::Value;
    line.textId = id;
    line.qualifier = qualifier;
    line.slot = slot;
    return line;
}
constexpr ResultLine Named(std::u16string_view name, int slot, std::u16string_view after = {})
{
    ResultLine line;
    line.kind = LineKind::Value;
    line.name = name;
    line.slot = slot;
    line.after = after;
    return line;
}
constexpr ResultLine As(LineKind kind, ResultLine line)
{
    line.kind = kind;
    return line;
}
constexpr ResultLine Count(int id, int slot) { return As(LineKind::Count, Value(id, slot)); }
constexpr ResultLine Only(Reader reader, ResultLine line)
{
    line.reader = reader;
    return line;
}
constexpr ResultLine WithLength(int labelLength, ResultLine line)
{
    line.labelLength = labelLength;
    return line;
}
constexpr ResultLine WithUnit(int unitId, ResultLine line)
{
    line.unitId = unitId;
    return line;
}

constexpr ResultLine kRangeLines[] = {
    Blank(),
    As(LineKind::RangeStart, Value(text::kRangeStart, -1)),
    As(LineKind::RangeEnd, Value(text::kRangeEnd, -1)),
    As(LineKind::Step, Value(text::kStep, -1)),
    Count(text::kPoints, kCountSlot),
};
// The add-in has never put a blank line under the linear fit's title.
constexpr ResultLine kLinearRangeLines[] = {
    Only(Reader::Program, Blank()),
    As(LineKind::RangeStart, Value(text::kRangeStart, -1)),
    As(LineKind::RangeEnd, Value(text::kRangeEnd, -1)),
    As(LineKind::Step, Value(text::kStep, -1)),
    Count(text::kPoints, kCountSlot),
};
constexpr ResultLine kPeakRangeLines[] = {
    Blank(),
    As(LineKind::RangeStart, Value(text::kRangeStart, -1)),
    As(LineKind::RangeEnd, Value(text::kRangeEnd, -1)),
    As(LineKind::Step, Value(text::kStep, -1)),
    Count(text::kPeaks, kCountSlot),
};

using S = StatisticsResult;
constexpr ResultLine kStatisticsLines[] = {
    Value(text::kFirstExtreme, S::kMin),
    Value(text::kSecondExtreme, S::kMax),
    Only(Reader::Program, As(LineKind::ValueAndSpan, Value(text::kValueRange, S::kRange))),
    Only(Reader::AddIn, Value(text::kValueRange, S::kRange)),
    Value(text::kMean, S::kMean),
    Value(text::kHalfWidth95, S::kHalfWidth95),
    Value(text::kStdDeviation, S::kStdDeviation),
    Value(text::kStdErrorOfMean, S::kStdError),
    Value(text::kRms, S::kRms),
};

using L = LinearResult;
constexpr ResultLine kLinearLines[] = {
    Value(text::kSlope, L::kA),
    Value(text::kIntercept, L::kB),
    Value(text::kStdError, L::kErrorA, u" (A)"),
    Value(text::kStdError, L::kErrorB, u" (B)"),
    Value(text::kRSquared, L::kR2, u" (p)"),
};

using Q = QuadraticResult;
constexpr ResultLine kQuadraticLines[] = {
    Named(u"A", Q::kA),
    Named(u"B", Q::kB),
    Named(u"C", Q::kC),
    Value(text::kRSquared, Q::kR2),
    Value(text::kRmsResidual, Q::kRms),
};

using P = PolynomialResult;
constexpr ResultLine kPolynomialLines[] = {
    Count(text::kOrder, P::kOrder),
    Value(text::kRSquared, P::kR2),
    Value(text::kRmsResidual, P::kRms),
    As(LineKind::Coefficients, Named(u"C", P::kC0)),
};

using E = ExponentialResult;
constexpr ResultLine kExponentialLines[] = {
    Named(u"A", E::kA),
    Named(u"B", E::kB),
    Value(text::kStdError, E::kErrorA, u" (A)"),
    Value(text::kStdError, E::kErrorB, u" (B)"),
    Value(text::kRSquared, E::kR2),
};

using O = ExponentialOffsetResult;
constexpr ResultLine kOffsetExponentialLines[] = {
    Named(u"A", O::kA),
    Named(u"B", O::kB),
    Named(u"C", O::kC),
    Only(Reader::Program, As(LineKind::FirstX, Named(u"x0", -1))),
    Value(text::kRSquared, O::kR2),
    Value(text::kRmsResidual, O::kRms),
};

using X = ExponentialShiftResult;
constexpr ResultLine kShiftedExponentialLines[] = {
    Named(u"A", X::kA),
    Named(u"B", X::kB),
    Named(u"C", X::kC),
    Named(u"D", X::kD),
    Value(text::kRSquared, X::kR2),
    Value(text::kRmsResidual, X::kRms),
};

using G = LogarithmicResult;
constexpr ResultLine kLogarithmicLines[] = {
    Named(u"A", G::kA),
    Named(u"B", G::kB),
    Value(text::kRSquared, G::kR2),
    Value(text::kRmsResidual, G::kRms),
};

using W = PowerResult;
constexpr ResultLine kPowerLines[] = {
    Named(u"A", W::kA),
    Named(u"B", W::kB),
    Value(text::kStdError, W::kErrorA, u" (A)"),
    Value(text::kStdError, W::kErrorB, u" (B)"),
    Value(text::kRSquared, W::kR2),
};

constexpr ResultLine kIntegralLines[] = {
    Value(text::kArea, IntegralResult::kIntegral),
};

using D = DerivativeResult;
constexpr ResultLine kDerivativeLines[] = {
    Value(text::kFirstExtreme, D::kMax),
    Value(text::kSecondExtreme, D::kMin),
};
constexpr ResultLine kDerivativeLineFitLines[] = {
    Value(text::kFirstExtreme, D::kMax),
    Value(text::kSecondExtreme, D::kMin),
    Value(text::kSlope, D::kSlope),
    Value(text::kIntercept, D::kIntercept),
    Value(text::kRSquared, D::kR2),
    Value(text::kRmsResidual, D::kRms),
};
constexpr ResultLine kSecondDerivativeLines[] = {
    Value(text::kFirstExtreme, D::kMax),
    Value(text::kSecondExtreme, D::kMin),
    Only(Reader::Program, Value(text::kSecondDerivative, D::kSecondDerivative, u" (g)")),
};

// The program writes K's unit on K's line, the add-in on a line of its own.
using F = DampedOscillationResult;
constexpr ResultLine kOscillationLines[] = {
    Value(text::kNaturalFrequency, F::kNaturalFrequency),
    Value(text::kFrequency, F::kFrequency),
    Value(text::kDamping, F::kDamping),
    Value(text::kQualityFactor, F::kQuality),
    WithLength(48, Value(text::kW, F::kW)),
    Only(Reader::Program, WithUnit(text::kKFromPeaks, As(LineKind::ValueAndUnit, Value(text::kK, F::kK)))),
    Only(Reader::AddIn, Value(text::kK, F::kK)),
    Only(Reader::AddIn, As(LineKind::Note, Value(text::kKFromPeaks, -1))),
    WithLength(48, Value(text::kCentreLine, F::kCentreLine)),
    Value(text::kRSquared, F::kR2),
    Value(text::kRmsResidual, F::kRms),
    Named(u"A", F::kA),
    Named(u"B", F::kB),
    Named(u"C", F::kC),
};

// The comparison of two conductivity channels writes its own texts and no range.
using C = ComparisonResult;
constexpr ResultLine kComparisonLines[] = {
    Blank(),
    As(LineKind::Count, Named(u"데이터의 갯수", C::kCount)),
    Named(u"전도도1의 평균", C::kMean1),
    Named(u"전도도2의 평균", C::kMean2),
    Blank(),
    Named(u"전도도의 차이", C::kDifference),
    Named(u"전도도의 감소", C::kDifferencePercent, u"%"),
};

constexpr int kIntegralMethods = 5;
// Method by method, then an unknown method's, with an empty title.
const ResultLayout kIntegralLayouts[kIntegralMethods + 1] = {
    {text::kRunningIntegralTitle, 32, {}, -1, kRangeLines, kIntegralLines},
    {text::kTrapezoidTitle, 32, {}, -1, kRangeLines, kIntegralLines},
    {text::kSimpsonTitle, 32, {}, -1, kRangeLines, kIntegralLines},
    {text::kSimpsonThreeEighthsTitle, 48, {}, -1, kRangeLines, kIntegralLines},
    {text::kBooleTitle, 32, {}, -1, kRangeLines, kIntegralLines},
    {0, 0, {}, -1, kRangeLines, kIntegralLines},
};

const ResultLayout kDerivativeLayouts[] = {
    {text::kDerivativeTitle, 48, {}, -1, kRangeLines, kDerivativeLines},
    {text::kDerivativeTitle, 48, {}, -1, kRangeLines, kDerivativeLineFitLines},
    {text::kDerivativeTitle, 48, {}, -1, kRangeLines, kSecondDerivativeLines},
};

const ResultLayout kStatistics{text::kStatisticsTitle, 16, {}, -1, kRangeLines, kStatisticsLines};
const ResultLayout kLinear{text::kLinearTitle, 48, {}, L::kR2, kLinearRangeLines, kLinearLines};
const ResultLayout kQuadratic{text::kQuadraticTitle, 48, {}, Q::kR2, kRangeLines, kQuadraticLines};
const ResultLayout kPolynomial{text::kPolynomialTitle, 64, {}, P::kR2, kRangeLines, kPolynomialLines};
const ResultLayout kExponential{text::kExponentialTitle, 48, {}, E::kR2, kRangeLines, kExponentialLines};
const ResultLayout kOffsetExponential{text::kOffsetExponentialTitle, 64, {}, O::kR2, kRangeLines,
                                      kOffsetExponentialLines};
const ResultLayout kShiftedExponential{text::kShiftedExponentialTitle, 64, {}, X::kR2, kRangeLines,
                                       kShiftedExponentialLines};
const ResultLayout kLogarithmic{text::kLogarithmicTitle, 64, {}, G::kR2, kRangeLines, kLogarithmicLines};
const ResultLayout kPower{text::kPowerTitle, 32, {}, W::kR2, kRangeLines, kPowerLines};
const ResultLayout kOscillation{text::kOscillationTitle, 128, {}, -1, kPeakRangeLines, kOscillationLines};
const ResultLayout kComparison{0, 0, u"< Orbeck 전도도 >", -1, {}, kComparisonLines};

}  // namespace

const ResultLayout& LayoutOf(Analysis analysis, int method)
{
    switch (analysis) {
    case Analysis::Statistics: return kStatistics;
    case Analysis::Linear: return kLinear;
    case Analysis::Quadratic: return kQuadratic;
    case Analysis::Polynomial: return kPolynomial;
    case Analysis::Exponential: return kExponential;
    case Analysis::ExponentialOffset: return kOffsetExponential;
    case Analysis::ExponentialShift: return kShiftedExponential;
    case Analysis::Logarithmic: return kLogarithmic;
    case Analysis::Power: return kPower;
    case Analysis::Integral:
        return kIntegralLayouts[method >= 0 && method < kIntegralMethods ? method : kIntegralMethods];
    case Analysis::Derivative: return kDerivativeLayouts[method == 1 || method == 2 ? method : 0];
    case Analysis::DampedOscillation: return kOscillation;
    case Analysis::Comparison: return kComparison;
    }
    return kStatistics;
}

int CoefficientCount(const float* result)
{
    return int(std::clamp<std::int64_t>(CountOf(result[PolynomialResult::kOrder]), 0, kMaxPolynomialOrder)) + 1;
}

std::int64_t CountOf(float value)
{
    return std::isfinite(value) ? std::int64_t(std::clamp(value, -1e9f, 1e9f)) : 0;
}

}  // namespace numeric
