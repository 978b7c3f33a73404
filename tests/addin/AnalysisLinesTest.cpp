// The result lines of every analysis, as the program's engine and the add-in write them from the
// one description of each analysis' lines: each against the lines they wrote before they shared
// it (kept in data/), and the two against each other wherever both show a line.
#include "addin/AnalyzeData.h"
#include "devicelink/sensor/ChannelState.h"
#include "numeric/ResultLayout.h"
#include "tests/support/AnalysisTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <span>
#include <sstream>

namespace {

using namespace analysistest;

constexpr int kPoints = 2000;
constexpr int kStart = 10;
constexpr int kEnd = 1900;

// A decaying oscillation about a positive centre: every routine, the power, logarithmic and
// exponential fits included, has points it can take, and the oscillation fit its peaks. The
// offset and shifted exponentials' estimates want a plain decay.
float XAt(int k) { return 0.01f * float(k + 1); }
float YAt(int k, bool decay)
{
    const double x = XAt(k);
    if (decay)
        return float(4.0 * std::exp(-0.5 * (x - 0.5)) + 2.0);
    return float(2.5 + std::cos(6.0 * x) * (1.2 * std::exp(-0.2 * x) + 0.3));
}

struct Case {
    const char* name;
    numeric::Analysis analysis;
    int programType;  // 0: the program has none
    int addinKind;    // 0: the add-in has none
    int method;
    int order;
    bool decay = false;
};

const Case kCases[] = {
    {"statistics", numeric::Analysis::Statistics, analysis::kTypeStatistics, addin::kAnalysisStatistics, 0, 0},
    {"linear", numeric::Analysis::Linear, analysis::kTypeLinear, addin::kAnalysisLinear, 0, 0},
    {"quadratic", numeric::Analysis::Quadratic, analysis::kTypeQuadratic, addin::kAnalysisQuadratic, 0, 0},
    {"polynomial 0", numeric::Analysis::Polynomial, analysis::kTypePolynomial, addin::kAnalysisPolynomial, 0, 0},
    {"polynomial 3", numeric::Analysis::Polynomial, analysis::kTypePolynomial, addin::kAnalysisPolynomial, 0, 3},
    {"exponential", numeric::Analysis::Exponential, analysis::kTypeExponential, addin::kAnalysisExponential, 0, 0},
    {"offset exponential", numeric::Analysis::ExponentialOffset, analysis::kTypeExponentialOffset,
     addin::kAnalysisExponentialOffset, 0, 0, true},
    {"shifted exponential", numeric::Analysis::ExponentialShift, analysis::kTypeExponentialShift, 0, 0, 0, true},
    {"logarithmic", numeric::Analysis::Logarithmic, analysis::kTypeLogarithmic, addin::kAnalysisLogarithmic, 0, 0},
    {"power", numeric::Analysis::Power, analysis::kTypePower, addin::kAnalysisPower, 0, 0},
    {"integral 0", numeric::Analysis::Integral, analysis::kTypeIntegral, addin::kAnalysisIntegral, 0, 0},
    {"integral 1", numeric::Analysis::Integral, analysis::kTypeIntegral, addin::kAnalysisIntegral, 1, 0},
    {"integral 2", numeric::Analysis::Integral, analysis::kTypeIntegral, addin::kAnalysisIntegral, 2, 0},
    {"integral 3", numeric::Analysis::Integral, analysis::kTypeIntegral, addin::kAnalysisIntegral, 3, 0},
    {"integral 4", numeric::Analysis::Integral, analysis::kTypeIntegral, addin::kAnalysisIntegral, 4, 0},
    {"integral 5", numeric::Analysis::Integral, analysis::kTypeIntegral, addin::kAnalysisIntegral, 5, 0},
    {"derivative 0", numeric::Analysis::Derivative, analysis::kTypeDerivative, addin::kAnalysisDerivative, 0, 0},
    {"derivative 1", numeric::Analysis::Derivative, analysis::kTypeDerivative, addin::kAnalysisDerivative, 1, 0},
    {"derivative 2", numeric::Analysis::Derivative, analysis::kTypeDerivative, addin::kAnalysisDerivative, 2, 0},
    {"damped oscillation", numeric::Analysis::DampedOscillation, analysis::kTypeDampedOscillation,
     addin::kAnalysisDampedOscillation, 0, 0},
    {"comparison", numeric::Analysis::Comparison, analysis::kTypeComparison, 0, 0, 0},
};

// Texts far longer than any buffer, so that each line's length shows the buffer its label is cut to.
class LongTexts : public analysis::TextSource {
public:
    std::u16string String(int id, int maxChars) const override
    {
        const std::u16string text = FakeTexts::Of(id) + std::u16string(200, u'-');
        return maxChars < 2 ? std::u16string() : text.substr(0, size_t(maxChars - 1));
    }
};

std::vector<std::string> ProgramLines(const Case& c, const analysis::TextSource& texts)
{
    FakeSeriesTable table;
    FakeMessages messages;
    analysis::AnalysisEngine engine{table, texts, messages};
    auto record = RecordWithSet(kPoints);
    for (int s : {0, 1}) {
        table.Fill(s, kPoints, 1.0, [](double) { return 0.0; });
        for (int k = 0; k < kPoints; ++k) {
            table.series[s].times[k] = XAt(k);
            table.series[s].values[k] = s == 0 ? YAt(k, c.decay) : YAt(k, c.decay) * 0.8f;
        }
        std::memcpy(record->channels[s].bytes + offsetof(devicelink::ChannelState, modelCode), u"R55V1", 10);
    }
    table.Allocate(16, kPoints);
    project::AnalysisSettings& set = record->settings[0];
    set.polynomialOrder = c.order;
    set.integralMethod = c.method;
    set.derivativeMethod = c.method;
    set.showEquation = 1;
    set.showR2 = 1;
    const int count = engine.ComputeAnalysis(*record, 0, 0, kStart, kEnd, c.programType, analysis::ErrorReport::Quiet);
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i)
        lines.push_back(Utf8(engine.Lines().Line(i)));
    std::string legend = Utf8(project::LegendText(set));
    if (const size_t cut = legend.find("\r\n"); cut != std::string::npos)
        legend.replace(cut, 2, " / ");
    lines.push_back("legend " + legend);
    return lines;
}

addin::AnalysisOutcome AddInOutcome(const Case& c)
{
    addin::AnalysisRequest r;
    r.kind = c.addinKind;
    r.method = c.method;
    r.order = c.order;
    r.first = kStart;
    r.last = kEnd;
    for (int k = 0; k < kPoints; ++k) {
        r.x.push_back(XAt(k));
        r.y.push_back(YAt(k, c.decay));
    }
    return addin::RunAnalysis(r, [](int id) { return FakeTexts::Of(id); });
}

std::vector<std::string> AddInLines(const Case& c)
{
    std::vector<std::string> lines;
    for (const std::u16string& line : AddInOutcome(c).lines)
        lines.push_back(Utf8(line));
    return lines;
}

std::string Block(const Case& c)
{
    std::ostringstream block;
    block << "== " << c.name << "\n";
    if (c.programType != 0) {
        for (const std::string& line : ProgramLines(c, FakeTexts()))
            block << "P " << line << "\n";
        block << "P lengths";
        for (const std::string& line : ProgramLines(c, LongTexts()))
            block << " " << line.size();
        block << "\n";
    }
    if (c.addinKind != 0) {
        for (const std::string& line : AddInLines(c))
            block << "A " << line << "\n";
    }
    return block.str();
}

TEST(AnalysisLines, EveryAnalysisWritesItsKeptLines)
{
    std::ostringstream all;
    for (const Case& c : kCases)
        all << Block(c);
    std::ifstream in(std::string(CORVIK_SOURCE_DIR) + "/tests/addin/data/AnalysisLines.txt");
    std::stringstream kept;
    kept << in.rdbuf();
    EXPECT_EQ(all.str(), kept.str());
}

std::string Head(const std::string& line) { return line.substr(0, line.find(" : ")); }

// Walking the description line by line: a line both show reads the same in both, but for the
// range's positions, which each writes in its own way.
TEST(AnalysisLines, ProgramAndAddInAgreeWhereBothShowALine)
{
    using numeric::LineKind;
    using numeric::Reader;
    for (const Case& c : kCases) {
        if (c.programType == 0 || c.addinKind == 0)
            continue;
        SCOPED_TRACE(c.name);
        const std::vector<std::string> program = ProgramLines(c, FakeTexts());
        const addin::AnalysisOutcome outcome = AddInOutcome(c);
        const std::vector<std::string> added = AddInLines(c);
        const numeric::ResultLayout& layout = numeric::LayoutOf(c.analysis, c.method);
        ASSERT_FALSE(program.empty());
        ASSERT_FALSE(added.empty());
        if (layout.titleId != 0) {
            EXPECT_EQ(program[0], added[0]);
        }
        size_t p = 1;
        size_t a = 1;
        for (const std::span<const numeric::ResultLine> part : {layout.header, layout.body}) {
            for (const numeric::ResultLine& line : part) {
                const size_t count =
                    line.kind == LineKind::Coefficients ? size_t(numeric::CoefficientCount(outcome.result.data())) : 1;
                const bool ownPosition =
                    line.kind == LineKind::RangeStart || line.kind == LineKind::RangeEnd || line.kind == LineKind::Step;
                for (size_t k = 0; line.reader == Reader::Both && k < count; ++k) {
                    ASSERT_LT(p + k, program.size());
                    ASSERT_LT(a + k, added.size());
                    if (ownPosition)
                        EXPECT_EQ(Head(program[p + k]), Head(added[a + k]));
                    else
                        EXPECT_EQ(program[p + k], added[a + k]);
                }
                p += line.reader != Reader::AddIn ? count : 0;
                a += line.reader != Reader::Program ? count : 0;
            }
        }
        EXPECT_EQ(p + 1, program.size()) << "the legend follows the lines";
        EXPECT_EQ(a, added.size());
    }
}

}  // namespace
