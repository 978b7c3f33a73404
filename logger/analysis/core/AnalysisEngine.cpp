#include "logger/analysis/core/AnalysisEngine.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <optional>
#include <span>
#include <system_error>
#include <thread>

#include "devicelink/sensor/ChannelState.h"
#include "logger/analysis/core/AnalysisText.h"
#include "logger/analysis/core/AnalysisTexts.h"
#include "numeric/CurveFits.h"
#include "numeric/ResultLayout.h"
#include "numeric/SampleAnalysis.h"
#include "platform/Text.h"

namespace analysis {

using project::AnalysisGraphRecord;
using project::AnalysisSettings;
using project::DataSetRecord;

namespace {

// Room for the longest result (an order-13 polynomial's) with some to spare.
constexpr int kResultRoom = 32;
constexpr int kMessageTextLength = 256;
// The conductivity sensor whose channels the comparison reads.
constexpr char16_t kComparisonModel[] = u"R55V";

// The description of the result lines of each analysis type.
std::optional<numeric::Analysis> ResultLinesOf(int type)
{
    switch (type) {
    case kTypeStatistics: return numeric::Analysis::Statistics;
    case kTypeLinear: return numeric::Analysis::Linear;
    case kTypeQuadratic: return numeric::Analysis::Quadratic;
    case kTypePolynomial: return numeric::Analysis::Polynomial;
    case kTypeExponential: return numeric::Analysis::Exponential;
    case kTypeExponentialOffset: return numeric::Analysis::ExponentialOffset;
    case kTypeExponentialShift: return numeric::Analysis::ExponentialShift;
    case kTypeLogarithmic: return numeric::Analysis::Logarithmic;
    case kTypePower: return numeric::Analysis::Power;
    case kTypeIntegral: return numeric::Analysis::Integral;
    case kTypeDerivative: return numeric::Analysis::Derivative;
    case kTypeDampedOscillation: return numeric::Analysis::DampedOscillation;
    case kTypeComparison: return numeric::Analysis::Comparison;
    default: return std::nullopt;
    }
}

}  // namespace

bool IsKnownAnalysisType(int type)
{
    return (type >= kTypeNone && type <= kTypeDerivative) || type == kTypeDampedOscillation ||
           type == kTypeComparison;
}

void ResultLines::Clear()
{
    for (std::u16string& line : lines_)
        line.clear();
    count_ = 0;
}

void ResultLines::Append(std::u16string line)
{
    if (count_ < kResultLineCount)
        lines_[size_t(count_++)] = std::move(line);
}

const std::u16string& ResultLines::Line(int index) const
{
    static const std::u16string empty;
    return index >= 0 && index < count_ ? lines_[size_t(index)] : empty;
}

AnalysisError DescribeAnalysisStatus(int status, const TextSource& texts)
{
    const uint32_t code = uint32_t(status);
    const uint32_t high = code >> 8;
    const uint32_t low = code & 0xFF;
    AnalysisError error;
    if (high >= 1 && high <= 254 && high != 100) {
        error.firstId = text::kNotEnoughData;
        error.second = texts.String(text::kMorePoints, kMessageTextLength) + u" " + Int(int(high));
    } else if (high == 100) {
        error.firstId = text::kNotEnoughData;
        error.second = texts.String(text::kMorePeaks, kMessageTextLength) + u" 10";
    } else if (high >= 255) {
        error.firstId = text::kNone;
    }
    if (low == 0 || high >= 255) {
        error.firstId = text::kNone;
        error.second = u"\n" + texts.String(text::kNoResult, kMessageTextLength);
    }
    if (error.IsError())
        error.first = texts.String(error.firstId, kMessageTextLength);
    return error;
}

struct AnalysisEngine::Inputs {
    int ySeries = -1;
    int xSeries = -1;
    int resultSeries = -1;
    SeriesView y;             // the analysed series
    const float* x = nullptr; // its x: its own times, or the X series' values
    const float* yValues = nullptr;
    float* target = nullptr;  // the result series' values
    const float* x2 = nullptr;  // the comparison's second series
    const float* y2 = nullptr;
    int n = 0;                // points every array involved holds
    double h = 0.0;
};

AnalysisEngine::AnalysisEngine(SeriesTable& series, const TextSource& texts, MessageSink& messages)
    : series_(series), texts_(texts), messages_(messages)
{
}

std::u16string AnalysisEngine::Label(int id, int length) const { return texts_.String(id, length); }

// Every index the set names comes from a project file: the set may only read the recorded
// series it names and write its own result series, graph g set s's 16 + 4g + s.
bool AnalysisEngine::GatherInputs(DataSetRecord& record, int graph, int set, int type, Inputs& in) const
{
    const AnalysisSettings& settings = *project::SettingsAt(record, graph, set);
    const AnalysisGraphRecord& graphRecord = *project::AnalysisGraphAt(record, graph);
    if (!project::IsDataSeries(settings.ySeries) || settings.resultSeries != project::ResultSeriesFor(graph, set))
        return false;
    if (settings.xSeries != -1 && !project::IsDataSeries(settings.xSeries))
        return false;
    in.ySeries = settings.ySeries;
    in.xSeries = settings.xSeries;
    in.resultSeries = settings.resultSeries;
    in.y = series_.View(in.ySeries);
    const SeriesView result = series_.View(in.resultSeries);
    if (!in.y.HasBuffers() || !result.HasBuffers())
        return false;
    in.n = in.y.used > in.y.capacity ? 0 : in.y.Readable();
    in.n = std::min(in.n, result.capacity);
    in.yValues = in.y.values;
    in.x = in.y.times;
    if (graphRecord.xFromSeries != 0 && in.xSeries >= 0) {
        const SeriesView x = series_.View(in.xSeries);
        if (!x.HasBuffers())
            return false;
        in.n = std::min(in.n, x.Readable());
        in.x = x.values;
    }
    if (type == kTypeComparison && !FindComparisonSeries(record, in))
        return false;
    in.h = in.n >= 2 ? double(in.x[1]) - double(in.x[0]) : 0.0;
    return true;
}

// The two conductivity channels: the first replaces the analysed series, the second is compared
// with it. Without two of them there is nothing to compare.
bool AnalysisEngine::FindComparisonSeries(const DataSetRecord& record, Inputs& in) const
{
    int found = 0;
    for (int channel = 0; channel < project::kChannelCount && found < 2; ++channel) {
        const SeriesView view = series_.View(channel);
        if (!view.hasData || !view.HasBuffers())
            continue;
        const devicelink::ChannelState state = project::ToDeviceState(record.channels[channel]);
        if (!platform::Contains(platform::FieldView(state.modelCode), kComparisonModel))
            continue;
        in.n = std::min(in.n, view.Readable());
        if (found == 0) {
            in.x = view.times;
            in.yValues = view.values;
        } else {
            in.x2 = view.times;
            in.y2 = view.values;
        }
        ++found;
    }
    return found == 2;
}

int AnalysisEngine::ComputeSet(DataSetRecord& record, int graph, int set, ErrorReport report)
{
    const AnalysisSettings* settings = project::SettingsAt(record, graph, set);
    if (!settings) {
        lines_.Clear();
        return 0;
    }
    return ComputeAnalysis(record, graph, set, settings->rangeStart, settings->rangeEnd, settings->analysisType,
                           report);
}

struct AnalysisEngine::Run {
    int graph = 0;
    int set = 0;
    int start = 0;
    int end = 0;
    int type = kTypeNone;
    bool ready = false;
    Inputs in;
    float result[kResultRoom] = {};
    int status = numeric::kStatusNoResult;
    int polynomialOrder = 0;
    int integralMethod = 0;
    int derivativeMethod = 0;
};

int AnalysisEngine::ComputeAnalysis(DataSetRecord& record, int graph, int set, int start, int end, int type,
                                    ErrorReport report)
{
    Run run;
    if (Prepare(record, graph, set, start, end, type, run))
        Execute(run);
    return Finish(record, run, report);
}

int AnalysisEngine::ComputeSets(DataSetRecord& record, const std::vector<SetRef>& sets, int threads)
{
    std::vector<Run> runs(sets.size());
    for (size_t i = 0; i < sets.size(); ++i) {
        const AnalysisSettings* settings = project::SettingsAt(record, sets[i].graph, sets[i].set);
        if (settings)
            Prepare(record, sets[i].graph, sets[i].set, settings->rangeStart, settings->rangeEnd,
                    settings->analysisType, runs[i]);
    }
    // The workers take the next run in turn, the longest first: a power fit takes twenty times
    // as long as a mean, and one begun last would keep the others waiting. The routines only read
    // the recorded series and write their own result series and result array.
    std::vector<size_t> order;
    for (size_t i = 0; i < runs.size(); ++i) {
        if (runs[i].ready)
            order.push_back(i);
    }
    std::stable_sort(order.begin(), order.end(),
                     [&runs](size_t a, size_t b) { return RunCost(runs[a]) > RunCost(runs[b]); });
    const int count = std::clamp(threads, 1, std::max(int(order.size()), 1));
    std::atomic<size_t> next{0};
    auto work = [this, &runs, &order, &next](int) {
        for (size_t i = next++; i < order.size(); i = next++)
            Execute(runs[order[i]]);
    };
    std::vector<std::thread> workers;
    for (int w = 1; w < count; ++w) {
        try {
            workers.emplace_back(work, w);
        } catch (const std::system_error&) {
            break;  // fewer helpers: this thread takes what they would have
        }
    }
    work(0);
    for (std::thread& worker : workers)
        worker.join();
    int lines = 0;
    for (Run& run : runs)
        lines = Finish(record, run, ErrorReport::Quiet);
    if (runs.empty())
        lines_.Clear();
    return lines;
}

// What a run costs, roughly: its points times its routine's time per point (measured over a
// million points: a mean 2 ms, a line 3, a quadratic 9, a polynomial 5 + 3 per order, a
// logarithmic 15, an exponential 18, the offset and shifted exponentials 31, a power 36).
double AnalysisEngine::RunCost(const Run& run)
{
    double perPoint = 2.0;
    switch (run.type) {
    case kTypeLinear: perPoint = 3.0; break;
    case kTypeQuadratic: perPoint = 9.0; break;
    case kTypePolynomial: perPoint = 5.0 + 3.0 * std::clamp(run.polynomialOrder, 0, 13); break;
    case kTypeLogarithmic: perPoint = 15.0; break;
    case kTypeExponential: perPoint = 18.0; break;
    case kTypeExponentialOffset:
    case kTypeExponentialShift:
    case kTypeDampedOscillation: perPoint = 31.0; break;
    case kTypePower: perPoint = 36.0; break;
    case kTypeDerivative: perPoint = 5.0; break;
    default: break;
    }
    return perPoint * double(std::max(run.in.n, 0));
}

bool AnalysisEngine::Prepare(DataSetRecord& record, int graph, int set, int start, int end, int type, Run& run)
{
    run.graph = graph;
    run.set = set;
    run.type = type;
    run.ready = false;
    // Whatever happens below, nothing of an earlier run may stay on show.
    AnalysisSettings* settings = project::SettingsAt(record, graph, set);
    if (!settings)
        return false;
    settings->resultShown = 0;
    std::fill(std::begin(settings->legendText), std::end(settings->legendText), u'\0');
    if (type == kTypeNone || !IsKnownAnalysisType(type))
        return false;

    Inputs& in = run.in;
    if (!GatherInputs(record, graph, set, type, in))
        return false;

    series_.SetSelection(in.ySeries, 0, 0);
    series_.SetSelection(in.resultSeries, 0, 0);
    const int capacity = settings->resultCapacity;
    if (capacity >= end && end >= 0 && capacity >= start && start >= 0) {
        series_.SetSelection(in.ySeries, start, end);
        series_.SetSelection(in.resultSeries, start, end);
    }
    end = std::min(end, in.n);
    if (start < 0 || end - start <= 0)
        return false;
    run.start = start;
    run.end = end;

    // The result is drawn along the analysed series' own times (or against the X series, through
    // the link). Every routine writes its curve at all n points; after a failure the curve is
    // not shown.
    series_.BindResult(in.resultSeries, in.ySeries, in.n, in.ySeries, in.xSeries);
    series_.SetGroupLink(in.ySeries, in.ySeries, in.xSeries);
    in.target = series_.View(in.resultSeries).values;
    run.ready = in.target != nullptr;
    run.polynomialOrder = settings->polynomialOrder;
    run.integralMethod = settings->integralMethod;
    run.derivativeMethod = settings->derivativeMethod;
    return run.ready;
}

void AnalysisEngine::Execute(Run& run) const
{
    run.status = RunRoutine(run, run.result);
}

int AnalysisEngine::Finish(DataSetRecord& record, Run& run, ErrorReport report)
{
    lines_.Clear();
    if (!run.ready)
        return 0;
    AnalysisSettings& settings = *project::SettingsAt(record, run.graph, run.set);
    lastStatus_ = run.status;
    const AnalysisError error = DescribeAnalysisStatus(run.status, texts_);
    if (error.IsError()) {
        if (report == ErrorReport::Show)
            messages_.ShowMessage(uikit::kBoxTypeNotice, error.first, error.second);
        return 0;
    }
    settings.resultShown = 1;
    WriteLines(settings, run.type, run.in, run.start, run.end, run.result);
    std::u16string legend = Legend(settings, run.type, run.in, run.start, run.result);
    platform::CopyToField(settings.legendText, std::u16string_view(legend).substr(0, kLegendLength));
    return lines_.Count();
}

int AnalysisEngine::RunRoutine(const Run& run, float* r)
{
    const Inputs& in = run.in;
    const int start = run.start;
    const int end = run.end;
    const int n = in.n;
    const float* x = in.x;
    const float* y = in.yValues;
    float* target = in.target;
    switch (run.type) {
    case kTypeStatistics: return numeric::ConfidenceStats(start, end, n, x, y, target, r);
    case kTypeLinear: return numeric::FitLinear(start, end, n, x, y, target, r);
    case kTypeQuadratic: return numeric::FitQuadratic(start, end, n, x, y, target, r);
    case kTypePolynomial: return numeric::FitPolynomial(start, end, n, run.polynomialOrder, x, y, target, r);
    case kTypeExponential: return numeric::FitExponential(start, end, n, x, y, target, r);
    case kTypeExponentialOffset: return numeric::FitExponentialOffset(start, end, n, x, y, target, r);
    case kTypeExponentialShift: return numeric::FitExponentialShift(start, end, n, x, y, target, r);
    case kTypeLogarithmic: return numeric::FitLogarithmic(start, end, n, x, y, target, r);
    case kTypePower: return numeric::FitPower(start, end, n, x, y, target, r);
    case kTypeIntegral: return numeric::IntegrateSamples(start, end, n, run.integralMethod, x, y, target, r);
    case kTypeDerivative:
        return numeric::DifferentiateSamples(start, end, n, run.derivativeMethod, x, y, target, r);
    case kTypeDampedOscillation: return numeric::FitDampedOscillation(start, end, n, x, y, target, r);
    case kTypeComparison: return numeric::CompareTwoSeries(start, end, n, x, y, in.x2, in.y2, target, r);
    default: return numeric::kStatusNoResult;
    }
}

void AnalysisEngine::WriteLines(const AnalysisSettings& settings, int type, const Inputs& in, int start, int end,
                                const float* r)
{
    const std::optional<numeric::Analysis> analysis = ResultLinesOf(type);
    if (!analysis)
        return;
    const int method = type == kTypeIntegral ? settings.integralMethod : settings.derivativeMethod;
    const numeric::ResultLayout& layout = numeric::LayoutOf(*analysis, method);
    lines_.Append(layout.titleId != 0 ? Label(layout.titleId, layout.titleLength) : std::u16string(layout.title));
    for (const std::span<const numeric::ResultLine> part : {layout.header, layout.body}) {
        for (const numeric::ResultLine& line : part) {
            if (line.reader != numeric::Reader::AddIn)
                WriteLine(line, in, start, end, r);
        }
    }
}

void AnalysisEngine::WriteLine(const numeric::ResultLine& line, const Inputs& in, int start, int end, const float* r)
{
    using numeric::LineKind;
    const std::u16string name = line.textId != 0 ? Label(line.textId, line.labelLength) : std::u16string(line.name);
    const std::u16string label = name + std::u16string(line.qualifier) + u" : ";
    // The range as the X axis labels it: the x of its first and last point and the step.
    const auto position = [&](double x) { return platform::Utf8ToUtf16(series_.FormatTickLabel(in.ySeries, x)); };
    const double value = line.slot >= 0 ? double(r[line.slot]) : 0.0;
    const std::u16string after(line.after);
    switch (line.kind) {
    case LineKind::Blank: lines_.Append(u""); break;
    case LineKind::RangeStart: lines_.Append(label + position(in.x[start])); break;
    case LineKind::RangeEnd: lines_.Append(label + position(in.x[end - 1])); break;
    case LineKind::Step: lines_.Append(label + position(in.h)); break;
    case LineKind::Value: lines_.Append(label + Fixed(value) + after); break;
    case LineKind::Count: lines_.Append(label + Int(numeric::CountOf(r[line.slot])) + after); break;
    case LineKind::ValueAndSpan:
        lines_.Append(label + Fixed(value) + u" (t=" + Fixed((double(r[numeric::kCountSlot]) - 1.0) * in.h, 3) + u")");
        break;
    case LineKind::ValueAndUnit:
        lines_.Append(label + Fixed(value) + u"*" + Label(line.unitId, numeric::kLabelLength));
        break;
    case LineKind::Note: lines_.Append(u"*" + name); break;
    case LineKind::FirstX: lines_.Append(label + Fixed(in.x[start])); break;
    case LineKind::Coefficients:
        for (int i = 0; i < numeric::CoefficientCount(r); ++i)
            lines_.Append(name + Int(i) + u" : " + Fixed(r[line.slot + i]));
        break;
    }
}

std::u16string AnalysisEngine::Legend(const AnalysisSettings& settings, int type, const Inputs& in, int start,
                                      const float* r) const
{
    if (type < kTypeLinear || type > kTypePower)
        return {};
    std::u16string legend;
    if (settings.showEquation == 1) {
        switch (type) {
        case kTypeLinear:
            legend = u"y=" + Fixed(r[numeric::LinearResult::kA]) + u"*x + " + Fixed(r[numeric::LinearResult::kB]);
            break;
        case kTypeQuadratic: {
            using Q = numeric::QuadraticResult;
            legend = u"y=" + Fixed(r[Q::kA]) + u"*x^2 + " + Fixed(r[Q::kB]) + u"*x + " + Fixed(r[Q::kC]);
            break;
        }
        case kTypePolynomial: {
            const float* c = r + numeric::PolynomialResult::kC0;
            legend = u"y=";
            for (int p = settings.polynomialOrder; p >= 1; --p)
                legend += u" " + Fixed(c[p]) + u"*x^" + Int(p) + u" +";
            legend += u" " + Fixed(c[0]);
            break;
        }
        case kTypeExponential: {
            using E = numeric::ExponentialResult;
            legend = u"y=" + Fixed(r[E::kA]) + u" * exp(" + Fixed(r[E::kB]) + u"*x)";
            break;
        }
        case kTypeExponentialOffset: {
            // The model is A*exp(B*(x - x0)) + C, with x0 the first point of the range.
            using O = numeric::ExponentialOffsetResult;
            legend = u"y=" + Fixed(r[O::kA]) + u" * exp(" + Fixed(r[O::kB]) + u"*" + Shifted(u"x", in.x[start]) +
                     u") + " + Fixed(r[O::kC]);
            break;
        }
        case kTypeExponentialShift: {
            // A*exp(B*x - C) + D: the exponent's constant term is -C.
            using X = numeric::ExponentialShiftResult;
            const double term = -double(r[X::kC]);
            std::u16string exponent = Fixed(r[X::kB]) + u"*x";
            if (term < 0.0)
                exponent += u" " + Fixed(term);
            else if (term > 0.0)
                exponent += u" +" + Fixed(term);
            legend = u"y=" + Fixed(r[X::kA]) + u" * exp(" + exponent + u") + " + Fixed(r[X::kD]);
            break;
        }
        case kTypeLogarithmic: {
            using G = numeric::LogarithmicResult;
            legend = u"y=" + Fixed(r[G::kA]) + u" + " + Fixed(r[G::kB]) + u"*ln(x)";
            break;
        }
        case kTypePower:
            legend = u"y=" + Fixed(r[numeric::PowerResult::kA]) + u" * x^" + Fixed(r[numeric::PowerResult::kB]);
            break;
        default: break;
        }
        legend += u"\r\n";
    }
    const int rSquared = numeric::LayoutOf(*ResultLinesOf(type), 0).rSquaredSlot;
    if (settings.showR2 == 1 && rSquared >= 0)
        legend += u"r^2=" + Fixed(r[rSquared]);
    return legend;
}

}  // namespace analysis
