#include "addin/AnalyzeData.h"

#include "logger/analysis/numeric/CurveFits.h"
#include "logger/analysis/numeric/SampleAnalysis.h"
#include "platform/CLocale.h"
#include "platform/Text.h"

#include <algorithm>
#include <cmath>

namespace addin {

namespace {

constexpr int kTitleStatistics = 2159;
constexpr int kStartLabel = 2160;
constexpr int kEndLabel = 2161;
constexpr int kStepLabel = 2162;
constexpr int kPointsLabel = 2163;
constexpr int kPeaksLabel = 2193;
constexpr int kFirstIntegralTitle = 2185;
constexpr int kIntegralMethods = 5;

std::u16string Ascii(const std::string& text)
{
    return platform::AsciiToUtf16(text);
}

std::u16string Real(float value)
{
    return Ascii(platform::FormatFixed(value, 6));
}

// Builds the lines: labels by id, values from the result array in order.
class Lines {
public:
    Lines(const LabelSource& label, const std::vector<float>& result) : label_(label), result_(result) {}

    void Title(int id) { lines_.push_back(label_(id)); }
    void Note(int id) { lines_.push_back(u"*" + label_(id)); }
    void Blank() { lines_.emplace_back(); }
    void Text(int id, const std::u16string& value) { lines_.push_back(label_(id) + u" : " + value); }
    // "%s : %f" of the next result.
    void Value(int id, const char16_t* suffix = u"") { lines_.push_back(label_(id) + suffix + u" : " + Next()); }
    // "X : %f" of the next result, for a coefficient named by a letter.
    void Named(const std::u16string& name) { lines_.push_back(name + u" : " + Next()); }
    void Count(int id, float value)
    {
        const int64_t count = std::isfinite(value) ? int64_t(std::clamp(value, -1e9f, 1e9f)) : 0;
        lines_.push_back(label_(id) + u" : " + Ascii(platform::FormatInt(count)));
    }
    // "%s : %f" of result k, for a value the routine gives out of the order it is reported in.
    void ValueOf(int id, const char16_t* suffix, size_t k)
    {
        lines_.push_back(label_(id) + suffix + u" : " + Real(k < result_.size() ? result_[k] : 0.0f));
    }
    // Skips to result index k.
    void At(size_t k) { next_ = k; }
    std::u16string Next() { return next_ < result_.size() ? Real(result_[next_++]) : Real(0.0f); }
    std::vector<std::u16string> Take() { return std::move(lines_); }

private:
    const LabelSource& label_;
    const std::vector<float>& result_;
    std::vector<std::u16string> lines_;
    size_t next_ = 1;
};

int TitleOf(const AnalysisRequest& r)
{
    switch (r.kind) {
    case kAnalysisStatistics: return kTitleStatistics;
    case kAnalysisLinear: return 2172;
    case kAnalysisQuadratic: return 2177;
    case kAnalysisPolynomial: return 2179;
    case kAnalysisExponential: return 2181;
    case kAnalysisExponentialOffset: return 2183;
    case kAnalysisLogarithmic: return 2184;
    case kAnalysisPower: return 2182;
    case kAnalysisIntegral: return kFirstIntegralTitle + std::clamp(r.method, 0, kIntegralMethods - 1);
    case kAnalysisDerivative: return 2191;
    case kAnalysisDampedOscillation: return 2192;
    default: return 0;
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

void KindLines(Lines& l, const AnalysisRequest& r, const std::vector<float>& result)
{
    switch (r.kind) {
    case kAnalysisStatistics:
        for (int id = 2164; id <= 2171; ++id)
            l.Value(id);
        break;
    case kAnalysisLinear:
        l.Value(2173);
        l.Value(2174);
        l.Value(2175, u" (A)");
        l.Value(2175, u" (B)");
        l.Value(2176, u" (p)");
        break;
    case kAnalysisQuadratic:
    case kAnalysisExponentialOffset:
        l.Named(u"A");
        l.Named(u"B");
        l.Named(u"C");
        l.Value(2176);
        l.Value(2178);
        break;
    case kAnalysisPolynomial: {
        const int order = std::clamp(int(result[1]), 0, 13);
        l.Count(2180, result[1]);
        l.At(2);
        l.Value(2176);
        l.Value(2178);
        for (int k = 0; k <= order; ++k)
            l.Named(u"C" + Ascii(platform::FormatInt(k)));
        break;
    }
    case kAnalysisExponential:
        // The routine gives the error of B before that of A.
        l.Named(u"A");
        l.Named(u"B");
        l.ValueOf(2175, u" (A)", 4);
        l.ValueOf(2175, u" (B)", 3);
        l.At(5);
        l.Value(2176);
        break;
    case kAnalysisPower:
        l.Named(u"A");
        l.Named(u"B");
        l.Value(2175, u" (A)");
        l.Value(2175, u" (B)");
        l.Value(2176);
        break;
    case kAnalysisLogarithmic:
        l.Named(u"A");
        l.Named(u"B");
        l.Value(2176);
        l.Value(2178);
        break;
    case kAnalysisIntegral:
        l.Value(2190);
        break;
    case kAnalysisDerivative:
        l.Value(2164);
        l.Value(2165);
        if (r.method == 1) {
            l.Value(2173);
            l.Value(2174);
            l.Value(2176);
            l.Value(2178);
        }
        break;
    case kAnalysisDampedOscillation:
        for (int id = 2194; id <= 2199; ++id)
            l.Value(id);
        l.Note(2201);
        l.Value(2200);
        l.Value(2176);
        l.Value(2178);
        l.Named(u"A");
        l.Named(u"B");
        l.Named(u"C");
        break;
    default:
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
    const int title = TitleOf(r);
    if (n < 2 || r.first < 0 || r.first > r.last || r.last >= n || title == 0)
        return out;
    std::vector<float> result(kAnalysisResultLength, 0.0f);
    std::vector<float> fitted(size_t(n), 0.0f);
    out.status = Run(r, n, fitted.data(), result.data());
    if (out.status < 1 || out.status > 255)
        return out;

    const float dx = r.x[1] - r.x[0];
    Lines l(label, result);
    l.Title(title);
    if (r.kind != kAnalysisLinear)
        l.Blank();
    l.Text(kStartLabel, PositionText(double(float(r.first) * dx)));
    l.Text(kEndLabel, PositionText(double(float(r.last - 1) * dx)));
    l.Text(kStepLabel, PositionText(double(dx)));
    l.Count(r.kind == kAnalysisDampedOscillation ? kPeaksLabel : kPointsLabel, result[0]);
    KindLines(l, r, result);
    out.lines = l.Take();
    out.ok = true;
    out.result = std::move(result);
    out.fitted = std::move(fitted);
    return out;
}

}  // namespace addin
