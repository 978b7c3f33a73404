#include "logger/analysis/core/AnalysisEngine.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <system_error>
#include <thread>

#include "devicelink/sensor/ChannelState.h"
#include "logger/analysis/core/AnalysisText.h"
#include "logger/analysis/numeric/CurveFits.h"
#include "logger/analysis/numeric/SampleAnalysis.h"
#include "platform/Text.h"

namespace analysis {

using logger::AnalysisGraphRecord;
using logger::AnalysisSettings;
using logger::DataSetRecord;

namespace {

// Room for the longest result layout (an order-13 polynomial) with some to spare.
constexpr int kResultRoom = 32;
// Label buffers the text table gives no length for.
constexpr int kDefaultLabelLength = 32;
constexpr int kMessageTextLength = 256;
// The conductivity sensor whose channels the comparison reads.
constexpr char16_t kComparisonModel[] = u"R55V";

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
        error.firstId = 2128;
        error.second = texts.String(2127, kMessageTextLength) + u" " + Int(int(high));
    } else if (high == 100) {
        error.firstId = 2128;
        error.second = texts.String(2129, kMessageTextLength) + u" 10";
    } else if (high >= 255) {
        error.firstId = 2045;
    }
    if (low == 0 || high >= 255) {
        error.firstId = 2045;
        error.second = u"\n" + texts.String(2142, kMessageTextLength);
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
    const AnalysisSettings& settings = *logger::SettingsAt(record, graph, set);
    const AnalysisGraphRecord& graphRecord = *logger::AnalysisGraphAt(record, graph);
    if (!logger::IsDataSeries(settings.ySeries) || settings.resultSeries != logger::ResultSeriesFor(graph, set))
        return false;
    if (settings.xSeries != -1 && !logger::IsDataSeries(settings.xSeries))
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
    for (int channel = 0; channel < logger::kChannelCount && found < 2; ++channel) {
        const SeriesView view = series_.View(channel);
        if (!view.hasData || !view.HasBuffers())
            continue;
        const devicelink::ChannelState state = logger::ToDeviceState(record.channels[channel]);
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
    const AnalysisSettings* settings = logger::SettingsAt(record, graph, set);
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
        const AnalysisSettings* settings = logger::SettingsAt(record, sets[i].graph, sets[i].set);
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
    AnalysisSettings* settings = logger::SettingsAt(record, graph, set);
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
    AnalysisSettings& settings = *logger::SettingsAt(record, run.graph, run.set);
    lastStatus_ = run.status;
    const AnalysisError error = DescribeAnalysisStatus(run.status, texts_);
    if (error.IsError()) {
        if (report == ErrorReport::Show)
            messages_.ShowMessage(kMessageNotice, error.first, error.second);
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
    ResultLines& out = lines_;
    auto labelled = [&](int id, int length, double value) { out.Append(Label(id, length) + u" : " + Fixed(value)); };
    auto plain = [&](std::u16string_view name, double value) {
        out.Append(std::u16string(name) + u" : " + Fixed(value));
    };
    auto standardError = [&](std::u16string_view which, double value) {
        out.Append(Label(2175, kDefaultLabelLength) + u" (" + std::u16string(which) + u") : " + Fixed(value));
    };

    if (type == kTypeComparison) {
        out.Append(u"< Orbeck 전도도 >");
        out.Append(u"");
        out.Append(u"데이터의 갯수 : " + Int(int(r[0])));
        out.Append(u"전도도1의 평균 : " + Fixed(r[1]));
        out.Append(u"전도도2의 평균 : " + Fixed(r[2]));
        out.Append(u"");
        out.Append(u"전도도의 차이 : " + Fixed(r[3]));
        out.Append(u"전도도의 감소 : " + Fixed(r[4]) + u"%");
        return;
    }

    std::u16string title;
    switch (type) {
    case kTypeStatistics: title = Label(2159, 16); break;
    case kTypeLinear: title = Label(2172, 48); break;
    case kTypeQuadratic: title = Label(2177, 48); break;
    case kTypePolynomial: title = Label(2179, 64); break;
    case kTypeExponential: title = Label(2181, 48); break;
    case kTypeExponentialOffset: title = Label(2183, 64); break;
    case kTypeExponentialShift: title = Label(2244, 64); break;
    case kTypeLogarithmic: title = Label(2184, 64); break;
    case kTypePower: title = Label(2182, 32); break;
    case kTypeIntegral: {
        static constexpr int kTitles[] = {2185, 2186, 2187, 2188, 2189};
        const int method = settings.integralMethod;
        if (method >= 0 && method <= 4)
            title = Label(kTitles[method], method == 3 ? 48 : 32);
        break;
    }
    case kTypeDerivative: title = Label(2191, 48); break;
    case kTypeDampedOscillation: title = Label(2192, 128); break;
    default: break;
    }

    // The range as the X axis labels it: the x of its first and last point and the step.
    const std::u16string first = platform::Utf8ToUtf16(series_.FormatTickLabel(in.ySeries, in.x[start]));
    const std::u16string last = platform::Utf8ToUtf16(series_.FormatTickLabel(in.ySeries, in.x[end - 1]));
    const std::u16string step = platform::Utf8ToUtf16(series_.FormatTickLabel(in.ySeries, in.h));
    out.Append(title);
    out.Append(u"");
    out.Append(Label(2160, kDefaultLabelLength) + u" : " + first);
    out.Append(Label(2161, kDefaultLabelLength) + u" : " + last);
    out.Append(Label(2162, kDefaultLabelLength) + u" : " + step);
    out.Append(Label(type == kTypeDampedOscillation ? 2193 : 2163, kDefaultLabelLength) + u" : " + Int(int(r[0])));

    switch (type) {
    case kTypeStatistics:
        labelled(2164, kDefaultLabelLength, r[1]);
        labelled(2165, kDefaultLabelLength, r[2]);
        out.Append(Label(2166, kDefaultLabelLength) + u" : " + Fixed(r[3]) + u" (t=" +
                   Fixed((double(r[0]) - 1.0) * in.h, 3) + u")");
        labelled(2167, kDefaultLabelLength, r[4]);
        labelled(2168, 32, r[5]);
        labelled(2169, kDefaultLabelLength, r[6]);
        labelled(2170, kDefaultLabelLength, r[7]);
        labelled(2171, kDefaultLabelLength, r[8]);
        break;
    case kTypeLinear:
        labelled(2173, kDefaultLabelLength, r[1]);
        labelled(2174, kDefaultLabelLength, r[2]);
        standardError(u"A", r[3]);
        standardError(u"B", r[4]);
        out.Append(Label(2176, kDefaultLabelLength) + u" (p) : " + Fixed(r[5]));
        break;
    case kTypeQuadratic:
        plain(u"A", r[1]);
        plain(u"B", r[2]);
        plain(u"C", r[3]);
        labelled(2176, kDefaultLabelLength, r[4]);
        labelled(2178, 32, r[5]);
        break;
    case kTypePolynomial: {
        out.Append(Label(2180, 32) + u" : " + Int(int(r[1])));
        labelled(2176, kDefaultLabelLength, r[2]);
        labelled(2178, 32, r[3]);
        const int order = settings.polynomialOrder;
        for (int i = 0; i <= order; ++i)
            plain(u"C" + Int(i), r[4 + i]);
        break;
    }
    case kTypeExponential:
        // The routine gives the error of B before that of A.
        plain(u"A", r[1]);
        plain(u"B", r[2]);
        standardError(u"A", r[4]);
        standardError(u"B", r[3]);
        labelled(2176, 32, r[5]);
        break;
    case kTypeExponentialOffset:
        plain(u"A", r[1]);
        plain(u"B", r[2]);
        plain(u"C", r[3]);
        plain(u"x0", in.x[start]);
        labelled(2176, kDefaultLabelLength, r[4]);
        labelled(2178, 32, r[5]);
        break;
    case kTypeExponentialShift:
        plain(u"A", r[1]);
        plain(u"B", r[2]);
        plain(u"C", r[3]);
        plain(u"D", r[4]);
        labelled(2176, kDefaultLabelLength, r[5]);
        labelled(2178, 32, r[6]);
        break;
    case kTypeLogarithmic:
        plain(u"A", r[1]);
        plain(u"B", r[2]);
        labelled(2176, kDefaultLabelLength, r[3]);
        labelled(2178, 32, r[4]);
        break;
    case kTypePower:
        plain(u"A", r[1]);
        plain(u"B", r[2]);
        standardError(u"A", r[3]);
        standardError(u"B", r[4]);
        labelled(2176, 32, r[5]);
        break;
    case kTypeIntegral:
        labelled(2190, 32, r[1]);
        break;
    case kTypeDerivative:
        labelled(2164, kDefaultLabelLength, r[1]);
        labelled(2165, kDefaultLabelLength, r[2]);
        if (settings.derivativeMethod == 1) {
            labelled(2173, kDefaultLabelLength, r[3]);
            labelled(2174, kDefaultLabelLength, r[4]);
            labelled(2176, kDefaultLabelLength, r[5]);
            labelled(2178, 32, r[6]);
        } else if (settings.derivativeMethod == 2) {
            out.Append(Label(2156, 32) + u" (g) : " + Fixed(r[3]));
        }
        break;
    case kTypeDampedOscillation:
        labelled(2194, 32, r[1]);
        labelled(2195, 32, r[2]);
        labelled(2196, 32, r[3]);
        labelled(2197, 32, r[4]);
        labelled(2198, 48, r[5]);
        out.Append(Label(2199, 32) + u" : " + Fixed(r[6]) + u"*" + Label(2201, 32));
        labelled(2200, 48, r[7]);
        labelled(2176, kDefaultLabelLength, r[8]);
        labelled(2178, 32, r[9]);
        plain(u"A", r[10]);
        plain(u"B", r[11]);
        plain(u"C", r[12]);
        break;
    default: break;
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
        case kTypeLinear: legend = u"y=" + Fixed(r[1]) + u"*x + " + Fixed(r[2]); break;
        case kTypeQuadratic:
            legend = u"y=" + Fixed(r[1]) + u"*x^2 + " + Fixed(r[2]) + u"*x + " + Fixed(r[3]);
            break;
        case kTypePolynomial: {
            legend = u"y=";
            for (int p = settings.polynomialOrder; p >= 1; --p)
                legend += u" " + Fixed(r[4 + p]) + u"*x^" + Int(p) + u" +";
            legend += u" " + Fixed(r[4]);
            break;
        }
        case kTypeExponential: legend = u"y=" + Fixed(r[1]) + u" * exp(" + Fixed(r[2]) + u"*x)"; break;
        case kTypeExponentialOffset:
            // The model is A*exp(B*(x - x0)) + C, with x0 the first point of the range.
            legend = u"y=" + Fixed(r[1]) + u" * exp(" + Fixed(r[2]) + u"*" + Shifted(u"x", in.x[start]) + u") + " +
                     Fixed(r[3]);
            break;
        case kTypeExponentialShift: {
            // A*exp(B*x - C) + D: the exponent's constant term is -C.
            const double term = -double(r[3]);
            std::u16string exponent = Fixed(r[2]) + u"*x";
            if (term < 0.0)
                exponent += u" " + Fixed(term);
            else if (term > 0.0)
                exponent += u" +" + Fixed(term);
            legend = u"y=" + Fixed(r[1]) + u" * exp(" + exponent + u") + " + Fixed(r[4]);
            break;
        }
        case kTypeLogarithmic: legend = u"y=" + Fixed(r[1]) + u" + " + Fixed(r[2]) + u"*ln(x)"; break;
        case kTypePower: legend = u"y=" + Fixed(r[1]) + u" * x^" + Fixed(r[2]); break;
        default: break;
        }
        legend += u"\r\n";
    }
    if (settings.showR2 == 1) {
        int element = 5;
        if (type == kTypeQuadratic || type == kTypeExponentialOffset)
            element = 4;
        else if (type == kTypePolynomial)
            element = 2;
        else if (type == kTypeLogarithmic)
            element = 3;
        legend += u"r^2=" + Fixed(r[element]);
    }
    return legend;
}

}  // namespace analysis
