#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "devicelink/sensor/ChannelState.h"
#include "logger/analysis/core/AnalysisText.h"
#include "numeric/CurveFits.h"
#include "numeric/SampleAnalysis.h"
#include "tests/support/AnalysisTestSupport.h"

using namespace analysis;
using namespace analysistest;

namespace {

class EngineTest : public ::testing::Test {
protected:
    FakeSeriesTable table;
    FakeTexts texts;
    FakeMessages messages;
    AnalysisEngine engine{table, texts, messages};
    std::unique_ptr<project::DataSetRecord> record = RecordWithSet(100);

    project::AnalysisSettings& Set() { return record->settings[0]; }
    int Run(int start, int end, int type, ErrorReport report = ErrorReport::Show)
    {
        return engine.ComputeAnalysis(*record, 0, 0, start, end, type, report);
    }
    std::string Line(int i) const { return Utf8(engine.Lines().Line(i)); }
    std::string Legend() const { return Utf8(project::LegendText(record->settings[0])); }
    // The number after "name : " in the result lines.
    double Value(const std::string& name) const
    {
        for (int i = 0; i < engine.Lines().Count(); ++i) {
            const std::string line = Line(i);
            if (line.rfind(name + " : ", 0) == 0)
                return std::stod(line.substr(name.size() + 3));
        }
        ADD_FAILURE() << "no line " << name;
        return 0.0;
    }
};

TEST_F(EngineTest, LinearFitOfAStraightLine)
{
    table.Fill(0, 100, 0.01, [](double x) { return 2.0 * x + 1.0; });
    table.Allocate(16, 100);
    Set().showEquation = 1;
    Set().showR2 = 1;

    const int lines = Run(10, 60, kTypeLinear);
    EXPECT_EQ(lines, 11);
    EXPECT_EQ(Set().resultShown, 1);
    // The model is drawn over the whole series, not only the range.
    for (int k = 0; k < 100; ++k)
        EXPECT_NEAR(table.series[16].values[k], 2.0 * table.series[0].times[k] + 1.0, 1e-5) << k;
    EXPECT_EQ(table.series[16].used, 100);
    EXPECT_EQ(Line(0), "[2172]");
    EXPECT_EQ(Line(1), "");
    EXPECT_EQ(Line(2), "[2160] : 0.100");
    EXPECT_EQ(Line(3), "[2161] : 0.590");
    EXPECT_EQ(Line(4), "[2162] : 0.010");
    EXPECT_EQ(Line(5), "[2163] : 50");
    EXPECT_EQ(Line(6), "[2173] : 2.000000");
    EXPECT_EQ(Line(7), "[2174] : 1.000000");
    EXPECT_EQ(Line(8).rfind("[2175] (A) : ", 0), 0u);
    EXPECT_EQ(Line(9).rfind("[2175] (B) : ", 0), 0u);
    EXPECT_EQ(Line(10), "[2176] (p) : 1.000000");
    EXPECT_EQ(Legend(), "y=2.000000*x + 1.000000\r\nr^2=1.000000");
    EXPECT_EQ(table.series[0].first, 10);
    EXPECT_EQ(table.series[16].last, 60);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(EngineTest, LegendFollowsItsFlags)
{
    table.Fill(0, 100, 0.01, [](double x) { return 2.0 * x + 1.0; });
    table.Allocate(16, 100);
    const struct {
        int equation, r2;
        const char* legend;
    } cases[] = {
        {0, 0, ""},
        {1, 0, "y=2.000000*x + 1.000000\r\n"},
        {0, 1, "r^2=1.000000"},
    };
    for (const auto& c : cases) {
        Set().showEquation = c.equation;
        Set().showR2 = c.r2;
        Run(10, 60, kTypeLinear);
        EXPECT_EQ(Legend(), c.legend) << c.equation << c.r2;
    }
}

TEST_F(EngineTest, PolynomialLinesAndLegendTerms)
{
    table.Fill(0, 200, 0.05, [](double x) { return 0.5 * x * x * x - x * x + 2.0 * x - 3.0; });
    table.Allocate(16, 200);
    Set().polynomialOrder = 3;
    Set().showEquation = 1;

    const int lines = Run(0, 200, kTypePolynomial);
    ASSERT_EQ(lines, 6 + 3 + 4);
    EXPECT_EQ(Line(6), "[2180] : 3");
    EXPECT_NEAR(Value("C0"), -3.0, 1e-3);
    EXPECT_NEAR(Value("C1"), 2.0, 1e-3);
    EXPECT_NEAR(Value("C2"), -1.0, 1e-3);
    EXPECT_NEAR(Value("C3"), 0.5, 1e-3);
    EXPECT_EQ(Line(9).rfind("C0 : ", 0), 0u);
    EXPECT_EQ(Line(12).rfind("C3 : ", 0), 0u);
    // Highest power first, the constant last, each with six decimals.
    const std::string expected = "y= " + Line(12).substr(5) + "*x^3 + " + Line(11).substr(5) + "*x^2 + " +
                                 Line(10).substr(5) + "*x^1 + " + Line(9).substr(5) + "\r\n";
    EXPECT_EQ(Legend(), expected);
}

TEST_F(EngineTest, ShiftedExponentialPrintsTheExponentsConstantWithItsSign)
{
    // A*exp(B*x - C) + D with C = x0 * B: a decay from x0 > 0 has C < 0, so the exponent reads
    // "B*x +|C|"; from x0 < 0 it has C > 0 and reads "B*x -C".
    for (const double origin : {0.0, -3.0}) {
        table.Fill(0, 400, 0.01, [](double) { return 0.0; });
        for (int k = 0; k < 400; ++k) {
            const double x = origin + 0.01 * k;
            table.series[0].times[k] = float(x);
            table.series[0].values[k] = float(5.0 * std::exp(-2.0 * x) + 1.0);
        }
        table.Allocate(16, 400);
        Set().showEquation = 1;
        ASSERT_GT(Run(50, 350, kTypeExponentialShift), 0) << origin << " status " << engine.LastStatus();
        const double c = Value("C");
        const std::string b = Utf8(Fixed(Value("B")));
        ASSERT_NE(c, 0.0);
        EXPECT_EQ(origin < 0, c > 0);
        const std::string exponent = c < 0 ? b + "*x +" + Utf8(Fixed(-c)) : b + "*x " + Utf8(Fixed(-c));
        EXPECT_NE(Legend().find("exp(" + exponent + ")"), std::string::npos) << Legend();
    }
}

TEST_F(EngineTest, LegendsNameTheirModelsRightly)
{
    Set().showEquation = 1;
    table.Fill(0, 300, 0.01, [](double x) { return 4.0 * std::exp(-1.0 * (x - 0.5)) + 2.0; });
    table.Allocate(16, 300);
    ASSERT_GT(Run(50, 250, kTypeExponentialOffset), 0);
    EXPECT_NE(Legend().find("*(x - 0.500000)) + "), std::string::npos) << Legend();
    EXPECT_NEAR(Value("x0"), 0.5, 1e-6);

    table.Fill(0, 300, 0.01, [](double x) { return 1.0 + 2.0 * std::log(x + 1.0); });
    ASSERT_GT(Run(10, 250, kTypeLogarithmic), 0);
    EXPECT_NE(Legend().find("*ln(x)"), std::string::npos) << Legend();

    // The exponential fit gives the error of B first: each label names its own coefficient.
    table.Fill(0, 300, 0.01, [](double x) { return 3.0 * std::exp(0.7 * x) * (1.0 + 0.01 * std::sin(40 * x)); });
    ASSERT_GT(Run(10, 250, kTypeExponential), 0);
    float direct[32];
    std::vector<float> curve(300);
    ASSERT_EQ(numeric::FitExponential(10, 250, 300, table.series[0].times.get(), table.series[0].values.get(),
                                      curve.data(), direct),
              6);
    EXPECT_EQ(Line(8), "[2175] (A) : " + Utf8(Fixed(direct[4])));
    EXPECT_EQ(Line(9), "[2175] (B) : " + Utf8(Fixed(direct[3])));
}

// Texts far longer than any label buffer, so that each label shows the length it is cut to.
class LongTexts : public TextSource {
public:
    std::u16string String(int id, int maxChars) const override
    {
        const std::u16string text = FakeTexts::Of(id) + std::u16string(200, u'-');
        return maxChars < 2 ? std::u16string() : text.substr(0, size_t(maxChars - 1));
    }
};

TEST_F(EngineTest, EachIntegralMethodHasItsOwnTitle)
{
    LongTexts longTexts;
    AnalysisEngine cut{table, longTexts, messages};
    table.Fill(0, 100, 0.01, [](double x) { return 1.0 + x; });
    table.Allocate(16, 100);
    const struct {
        int method, id;
        size_t length;
    } cases[] = {{0, 2185, 31}, {1, 2186, 31}, {2, 2187, 31}, {3, 2188, 47}, {4, 2189, 31}, {5, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.method);
        Set().integralMethod = c.method;
        ASSERT_GT(cut.ComputeAnalysis(*record, 0, 0, 10, 60, kTypeIntegral, ErrorReport::Show), 0);
        const std::string title = Utf8(cut.Lines().Line(0));
        EXPECT_EQ(title.size(), c.length);
        if (c.id != 0) {
            EXPECT_EQ(title.rfind("[" + std::to_string(c.id) + "]", 0), 0u) << title;
        }
    }
}

// The step is how far the x of the series' first two points lie apart, wherever the range
// starts; the statistics' time span is N - 1 such steps.
TEST_F(EngineTest, TheStepIsTheFirstTwoPointsApart)
{
    table.Allocate(16, 100);
    const auto fill = [this](int series, int count, double first, double second, double step) {
        table.Fill(series, count, 1.0, [](double x) { return 3.0 + 0.5 * std::sin(x); });
        for (int k = 0; k < count; ++k) {
            const double x = k == 0 ? first : second + step * (k - 1);
            table.series[series].times[k] = float(x);
            table.series[series].values[k] = float(3.0 + 0.5 * std::sin(7.0 * x));
        }
    };
    const struct {
        const char* name;
        int count;
        double first, second, step;
        bool fromXSeries;
        int start, end;
        const char* shownStep;
        const char* span;
    } cases[] = {
        {"even", 100, 0.0, 0.01, 0.01, false, 10, 60, "0.010", "(t=0.490)"},
        {"first gap wider", 100, 0.0, 0.25, 0.01, false, 10, 60, "0.250", "(t=12.250)"},
        {"three points", 3, 0.0, 0.5, 0.2, false, 0, 3, "0.500", "(t=1.000)"},
        {"x from another series", 100, 3.0, 5.0, 0.5, true, 10, 60, "2.000", "(t=98.000)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        record->graphs[0].xFromSeries = c.fromXSeries ? 1 : 0;
        Set().xSeries = c.fromXSeries ? 1 : -1;
        if (c.fromXSeries) {
            fill(0, c.count, 0.0, 0.01, 0.01);
            fill(1, c.count, c.first, c.second, c.step);
            std::copy(table.series[1].times.get(), table.series[1].times.get() + c.count,
                      table.series[1].values.get());
        } else {
            fill(0, c.count, c.first, c.second, c.step);
        }
        ASSERT_EQ(Run(c.start, c.end, kTypeStatistics), 14) << engine.LastStatus();
        EXPECT_EQ(Line(4), "[2162] : " + std::string(c.shownStep));
        const std::string span = Line(8);
        EXPECT_EQ(span.rfind("[2166] : ", 0), 0u) << span;
        EXPECT_EQ(span.substr(span.size() - std::strlen(c.span)), c.span) << span;
    }
}

// The r^2 of each model, in its lines and in its legend, is the element of the routine's result
// that holds it.
TEST_F(EngineTest, EachModelShowsItsOwnRSquared)
{
    constexpr int n = 300, start = 10, end = 290;
    table.Fill(0, n, 0.01, [](double x) { return 1.0 + 4.0 * std::exp(-1.5 * x) + 0.05 * std::sin(3.0 * x); });
    table.Allocate(16, n);
    Set().showR2 = 1;
    Set().polynomialOrder = 3;
    using Fit = std::function<int(const float*, const float*, float*, float*)>;
    const auto plain = [](int (*fit)(int, int, int, const float*, const float*, float*, float*)) {
        return Fit([fit](const float* x, const float* y, float* curve, float* r) {
            return fit(start, end, n, x, y, curve, r);
        });
    };
    const struct {
        int type, slot;
        const char* label;
        Fit fit;
    } cases[] = {
        {kTypeLinear, 5, "[2176] (p)", plain(numeric::FitLinear)},
        {kTypeQuadratic, 4, "[2176]", plain(numeric::FitQuadratic)},
        {kTypePolynomial, 2, "[2176]",
         [](const float* x, const float* y, float* curve, float* r) {
             return numeric::FitPolynomial(start, end, n, 3, x, y, curve, r);
         }},
        {kTypeExponential, 5, "[2176]", plain(numeric::FitExponential)},
        {kTypeExponentialOffset, 4, "[2176]", plain(numeric::FitExponentialOffset)},
        {kTypeExponentialShift, 5, "[2176]", plain(numeric::FitExponentialShift)},
        {kTypeLogarithmic, 3, "[2176]", plain(numeric::FitLogarithmic)},
        {kTypePower, 5, "[2176]", plain(numeric::FitPower)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        ASSERT_GT(Run(start, end, c.type), 0) << engine.LastStatus();
        float direct[32] = {};
        std::vector<float> curve(n);
        c.fit(table.series[0].times.get(), table.series[0].values.get(), curve.data(), direct);
        const std::string r2 = Utf8(Fixed(direct[c.slot]));
        for (int other = 2; other <= 5; ++other) {
            if (other != c.slot) {
                ASSERT_NE(Utf8(Fixed(direct[other])), r2) << "the data must tell element " << other << " apart";
            }
        }
        EXPECT_EQ(Legend(), "r^2=" + r2);
        EXPECT_EQ(Utf8(Fixed(Value(c.label))), r2);
    }
}

// The selection is drawn only for a range within the result's capacity; a series that claims
// more points than it holds gives none.
TEST_F(EngineTest, CapacityBoundaries)
{
    table.Fill(0, 100, 0.01, [](double x) { return 2.0 * x + 1.0; });
    table.Allocate(16, 100);
    const struct {
        int capacity, start, end, first, last;
    } cases[] = {{60, 10, 60, 10, 60}, {59, 10, 60, 0, 0}, {100, 0, 100, 0, 100}, {100, -1, 50, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.capacity << " " << c.start << ".." << c.end);
        Set().resultCapacity = c.capacity;
        for (int s : {0, 16})
            table.series[s].first = table.series[s].last = -7;
        Run(c.start, c.end, kTypeLinear);
        for (int s : {0, 16}) {
            EXPECT_EQ(table.series[s].first, c.first) << s;
            EXPECT_EQ(table.series[s].last, c.last) << s;
        }
    }
    EXPECT_GT(Run(0, 100, kTypeLinear), 0);
    EXPECT_EQ(Value("[2163]"), 100);
    table.series[0].used = 101;
    EXPECT_EQ(Run(0, 100, kTypeLinear), 0);
    EXPECT_EQ(Set().resultShown, 0);
}

TEST_F(EngineTest, TooFewPointsTellsTheMinimum)
{
    table.Fill(0, 100, 0.01, [](double x) { return x; });
    table.Allocate(16, 100);
    EXPECT_EQ(Run(10, 12, kTypeLinear), 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].kind, uikit::kBoxTypeNotice);
    EXPECT_EQ(Utf8(messages.shown[0].first), "[2128]");
    EXPECT_EQ(Utf8(messages.shown[0].second), "[2127] 3");
    EXPECT_EQ(Set().resultShown, 0);
    EXPECT_EQ(engine.LastStatus(), 0x302);
}

TEST(AnalysisStatus, EveryStatusMapsToItsTexts)
{
    FakeTexts texts;
    const struct {
        int status;
        int firstId;
        const char* second;
    } cases[] = {
        {6, 0, ""},          {0x302, 2128, "[2127] 3"}, {0xA09, 2128, "[2127] 10"},
        {0x6407, 2128, "[2129] 10"}, {0xFF00, 2045, "\n[2142]"}, {0, 2045, "\n[2142]"},
        {0x300, 2045, "\n[2142]"},   {-1, 2045, "\n[2142]"},
    };
    for (const auto& c : cases) {
        const AnalysisError error = DescribeAnalysisStatus(c.status, texts);
        EXPECT_EQ(error.firstId, c.firstId) << c.status;
        EXPECT_EQ(Utf8(error.second), c.second) << c.status;
    }
}

TEST_F(EngineTest, AnErrorLeavesNoLinesLegendOrResultOfTheRunBefore)
{
    table.Fill(0, 100, 0.01, [](double x) { return 2.0 * x + 1.0; });
    table.Allocate(16, 100);
    Set().showEquation = 1;
    ASSERT_GT(Run(10, 60, kTypeLinear), 0);
    ASSERT_FALSE(Legend().empty());

    EXPECT_EQ(Run(10, 11, kTypeLinear), 0);
    EXPECT_EQ(engine.Lines().Count(), 0);
    EXPECT_EQ(Line(0), "");
    EXPECT_EQ(Legend(), "");
    EXPECT_EQ(Set().resultShown, 0);
}

TEST_F(EngineTest, ErrorsAreShownOnlyWhenAsked)
{
    table.Fill(0, 100, 0.01, [](double x) { return x; });
    table.Allocate(16, 100);
    EXPECT_EQ(Run(10, 12, kTypeLinear, ErrorReport::Quiet), 0);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(Run(10, 12, kTypeLinear, ErrorReport::Show), 0);
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(EngineTest, NoRunWithoutAResultDrawsTheRawData)
{
    table.Fill(0, 100, 0.01, [](double x) { return x; });
    table.Allocate(16, 100);
    // A new set's range is (0, 0), and type 0 is "off".
    for (const auto& [start, end, type] : {std::tuple{0, 0, 2}, std::tuple{40, 20, 2}, std::tuple{10, 60, 0}}) {
        Set().resultShown = 1;
        EXPECT_EQ(Run(start, end, type), 0);
        EXPECT_EQ(Set().resultShown, 0);
        EXPECT_EQ(table.series[16].used, 0) << "the result series was given the raw data";
    }
    EXPECT_EQ(table.setDataCalls, 0);
}

TEST_F(EngineTest, UnknownTypesDoNothing)
{
    table.Fill(0, 100, 0.01, [](double x) { return x; });
    table.Allocate(16, 100);
    for (const int type : {12, 15, 99, -1, -2147483647 - 1}) {
        EXPECT_EQ(Run(10, 60, type), 0) << type;
        EXPECT_EQ(Set().resultShown, 0);
        EXPECT_EQ(table.setDataCalls, 0);
        EXPECT_TRUE(messages.shown.empty());
    }
}

TEST_F(EngineTest, EveryKnownTypeRunsOnAPlainSeries)
{
    table.Fill(0, 2000, 0.01, [](double x) { return 2.0 + std::cos(6.0 * x) * (3.0 * std::exp(-0.2 * x) + 0.5); });
    table.Allocate(16, 2000);
    Set().polynomialOrder = 5;
    for (const int type : {1, 2, 3, 4, 5, 8, 9, 10, 11, 13}) {
        Set().integralMethod = 2;
        Set().derivativeMethod = 1;
        EXPECT_GT(Run(10, 1900, type), 6) << type << " status " << engine.LastStatus();
        EXPECT_EQ(Set().resultShown, 1) << type;
    }
}

// Robustness: whatever the stored indexes and counts say, the engine reads and writes only what
// the arrays hold, and never writes a recorded series.
class EngineRobustness : public EngineTest {
protected:
    void SetUp() override
    {
        for (int s = 0; s < 4; ++s)
            table.Fill(s, 1000, 0.01, [s](double x) { return 1.0 + s + x; });
        for (int s = 0; s < 4; ++s)
            recorded[s] = table.Values(s);
    }
    void ExpectRecordedUntouched()
    {
        for (int s = 0; s < 4; ++s)
            EXPECT_EQ(table.Values(s), recorded[s]) << "series " << s;
    }
    std::vector<float> recorded[4];
};

TEST_F(EngineRobustness, SmallResultCapacity)
{
    table.Allocate(16, 10);
    Set().resultCapacity = 1000;
    EXPECT_GT(Run(0, 900, kTypeLinear), 0);
    EXPECT_EQ(table.series[16].used, 10);
    EXPECT_EQ(Value("[2163]"), 10);
    ExpectRecordedUntouched();
}

TEST_F(EngineRobustness, StaleXSeries)
{
    table.Allocate(16, 1000);
    Set().xSeries = 1;
    record->graphs[0].xFromSeries = 1;
    table.series[1].used = 30;   // another channel, recorded shorter
    EXPECT_GT(Run(0, 900, kTypeLinear), 0);
    EXPECT_EQ(Value("[2163]"), 30);
    EXPECT_EQ(table.series[16].used, 30);

    table.series[1].values.reset();   // a channel without buffers
    table.series[1].times.reset();
    EXPECT_EQ(Run(0, 900, kTypeLinear), 0);
    for (int s : {0, 2, 3})
        EXPECT_EQ(table.Values(s), recorded[s]);
}

TEST_F(EngineRobustness, ForeignSeriesIndexes)
{
    table.Allocate(16, 1000);
    const struct {
        int y, x, result;
    } cases[] = {
        {0, -1, 0}, {0, -1, 40}, {0, -1, 17}, {0, -1, -1}, {16, -1, 16}, {-1, -1, 16}, {40, -1, 16},
        {0, 16, 16}, {0, -2, 16}, {0, 32, 16},
    };
    for (const auto& c : cases) {
        Set().ySeries = c.y;
        Set().xSeries = c.x;
        Set().resultSeries = c.result;
        record->graphs[0].xFromSeries = c.x >= 0 ? 1 : 0;
        EXPECT_EQ(Run(0, 900, kTypeLinear), 0) << c.y << " " << c.x << " " << c.result;
        EXPECT_EQ(table.setDataCalls, 0);
        ExpectRecordedUntouched();
    }
    // Graph and set outside the area.
    EXPECT_EQ(engine.ComputeAnalysis(*record, 4, 0, 0, 900, kTypeLinear, ErrorReport::Show), 0);
    EXPECT_EQ(engine.ComputeAnalysis(*record, 0, -1, 0, 900, kTypeLinear, ErrorReport::Show), 0);
}

TEST_F(EngineRobustness, RangesPastTheData)
{
    table.Allocate(16, 1000);
    for (const auto& [start, end] : {std::pair{-5, 100}, std::pair{990, 5000}, std::pair{0, 2147483647}}) {
        Run(start, end, kTypeStatistics);
        Run(start, end, kTypeIntegral);
        Run(start, end, kTypeDampedOscillation);
        ExpectRecordedUntouched();
    }
}

TEST_F(EngineRobustness, ComparisonNeedsTwoConductivityChannels)
{
    table.Allocate(16, 1000);
    auto setModel = [this](int channel, const char16_t* code) {
        devicelink::ChannelState state = project::ToDeviceState(record->channels[channel]);
        std::char_traits<char16_t>::copy(state.modelCode, code, std::char_traits<char16_t>::length(code));
        record->channels[channel] = project::ToStateImage(state);
    };
    setModel(2, u"R55V1");
    EXPECT_EQ(Run(0, 900, kTypeComparison), 0);
    EXPECT_EQ(Set().resultShown, 0);
    ExpectRecordedUntouched();

    setModel(3, u"R55V1");
    table.series[3].used = 500;
    const int lines = Run(0, 900, kTypeComparison);
    ASSERT_EQ(lines, 8);
    EXPECT_EQ(Line(0), "< Orbeck 전도도 >");
    EXPECT_EQ(Line(2), "데이터의 갯수 : 500");
    ExpectRecordedUntouched();
}

}  // namespace
