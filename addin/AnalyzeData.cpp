#include "addin/AnalyzeData.h"

#include "numeric/CurveFits.h"
#include "numeric/ResultLayout.h"
#include "numeric/SampleAnalysis.h"
#include "platform/CLocale.h"
#include "platform/Text.h"

#include <algorithm>
#include <optional>
#include <span>

namespace addin {

namespace {

constexpr int kIntegralMethods = 5;

std::u16string Ascii(const std::string& text)
{
    return platform::AsciiToUtf16(text);
}

std::u16string Real(float value)
{
    return Ascii(platform::FormatFixed(value, 6));
}

// The description of the result lines of each kind.
std::optional<numeric::Analysis> ResultLinesOf(int32_t kind)
{
    switch (kind) {
    case kAnalysisStatistics: return numeric::Analysis::Statistics;
    case kAnalysisLinear: return numeric::Analysis::Linear;
    case kAnalysisQuadratic: return numeric::Analysis::Quadratic;
    case kAnalysisPolynomial: return numeric::Analysis::Polynomial;
    case kAnalysisExponential: return numeric::Analysis::Exponential;
    case kAnalysisExponentialOffset: return numeric::Analysis::ExponentialOffset;
    case kAnalysisLogarithmic: return numeric::Analysis::Logarithmic;
    case kAnalysisPower: return numeric::Analysis::Power;
    case kAnalysisIntegral: return numeric::Analysis::Integral;
    case kAnalysisDerivative: return numeric::Analysis::Derivative;
    case kAnalysisDampedOscillation: return numeric::Analysis::DampedOscillation;
    default: return std::nullopt;
    }
}

int Run(const AnalysisRequest& r, int n, float* fitted, float* result)
{
    const float* x = r.x.data();
    const float* y = r.y.data();
    switch (r.kind) {
    case kAnalysisStatistics: return numeric::ConfidenceStats(r.first, r.last, n, x, y, fitted, result);
    case kAnalysisLinear: return numeric::FitLinear(r.first, r.last, n, x, y, fitted, result);
    case kAnalysisQuadratic: return numeric::FitQuadratic(r.first, r.last, n, x, y, fitted, result);
    case kAnalysisPolynomial: return numeric::FitPolynomial(r.first, r.last, n, r.order, x, y, fitted, result);
    case kAnalysisExponential: return numeric::FitExponential(r.first, r.last, n, x, y, fitted, result);
    case kAnalysisExponentialOffset: return numeric::FitExponentialOffset(r.first, r.last, n, x, y, fitted, result);
    case kAnalysisLogarithmic: return numeric::FitLogarithmic(r.first, r.last, n, x, y, fitted, result);
    case kAnalysisPower: return numeric::FitPower(r.first, r.last, n, x, y, fitted, result);
    case kAnalysisIntegral: return numeric::IntegrateSamples(r.first, r.last, n, r.method, x, y, fitted, result);
    case kAnalysisDerivative: return numeric::DifferentiateSamples(r.first, r.last, n, r.method, x, y, fitted, result);
    case kAnalysisDampedOscillation: return numeric::FitDampedOscillation(r.first, r.last, n, x, y, fitted, result);
    default: return -1;
    }
}

// The lines of one line of the description that the add-in shows; the range's positions are
// its points' indexes times the step.
void WriteLine(std::vector<std::u16string>& out, const numeric::ResultLine& line, const LabelSource& label,
               const AnalysisRequest& r, const std::vector<float>& result)
{
    using numeric::LineKind;
    const std::u16string name = line.textId != 0 ? label(line.textId) : std::u16string(line.name);
    const std::u16string head = name + std::u16string(line.qualifier) + u" : ";
    const float dx = r.x[1] - r.x[0];
    const float value = line.slot >= 0 ? result[size_t(line.slot)] : 0.0f;
    switch (line.kind) {
    case LineKind::Blank: out.emplace_back(); break;
    case LineKind::RangeStart: out.push_back(head + PositionText(double(float(r.first) * dx))); break;
    case LineKind::RangeEnd: out.push_back(head + PositionText(double(float(r.last - 1) * dx))); break;
    case LineKind::Step: out.push_back(head + PositionText(double(dx))); break;
    case LineKind::Value:
    case LineKind::ValueAndSpan:
    case LineKind::ValueAndUnit: out.push_back(head + Real(value) + std::u16string(line.after)); break;
    case LineKind::Count:
        out.push_back(head + Ascii(platform::FormatInt(numeric::CountOf(value))) + std::u16string(line.after));
        break;
    case LineKind::Note: out.push_back(u"*" + name); break;
    case LineKind::FirstX: out.push_back(head + Real(r.x[size_t(r.first)])); break;
    case LineKind::Coefficients:
        for (int k = 0; k < numeric::CoefficientCount(result.data()); ++k)
            out.push_back(name + Ascii(platform::FormatInt(k)) + u" : " + Real(result[size_t(line.slot + k)]));
        break;
    }
}

}  // namespace

std::u16string PositionText(double value)
{
    std::string text = platform::FormatFixed(value, 4);
    if (text.find('.') != std::string::npos) {
        while (!text.empty() && text.back() == '0')
            text.pop_back();
        if (!text.empty() && text.back() == '.')
            text += '0';
    }
    return Ascii(text);
}

AnalysisOutcome RunAnalysis(const AnalysisRequest& r, const LabelSource& label)
{
    AnalysisOutcome out;
    const int n = int(std::min(r.x.size(), r.y.size()));
    const std::optional<numeric::Analysis> analysis = ResultLinesOf(r.kind);
    if (n < 2 || r.first < 0 || r.first > r.last || r.last >= n || !analysis)
        return out;
    std::vector<float> result(kAnalysisResultLength, 0.0f);
    std::vector<float> fitted(size_t(n), 0.0f);
    out.status = Run(r, n, fitted.data(), result.data());
    if (out.status < 1 || out.status > 255)
        return out;

    // An integral's method beyond the last is titled as the last.
    const int method = r.kind == kAnalysisIntegral ? std::clamp(r.method, 0, kIntegralMethods - 1) : r.method;
    const numeric::ResultLayout& layout = numeric::LayoutOf(*analysis, method);
    out.lines.push_back(label(layout.titleId));
    for (const std::span<const numeric::ResultLine> part : {layout.header, layout.body}) {
        for (const numeric::ResultLine& line : part) {
            if (line.reader != numeric::Reader::Program)
                WriteLine(out.lines, line, label, r, result);
        }
    }
    out.ok = true;
    out.result = std::move(result);
    out.fitted = std::move(fitted);
    return out;
}

}  // namespace addin
