#include "addin/AnalyzeData.h"

#include "platform/CLocale.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace addin;

std::u16string Label(int id)
{
    return u"L" + platform::AsciiToUtf16(std::to_string(id));
}

// The part of each line before " : " (the label), the empty line as it is.
std::vector<std::string> Heads(const std::vector<std::u16string>& lines)
{
    std::vector<std::string> heads;
    for (const std::u16string& line : lines) {
        const std::string text = platform::Utf16ToUtf8(line);
        heads.push_back(text.substr(0, text.find(" : ")));
    }
    return heads;
}

AnalysisRequest Line(int kind, int points = 30)
{
    AnalysisRequest r;
    r.kind = kind;
    for (int i = 0; i < points; ++i) {
        r.x.push_back(1.0f + 0.5f * float(i));
        r.y.push_back(2.0f * r.x.back() + 1.0f + 0.01f * float(i % 3));
    }
    r.first = 0;
    r.last = points - 1;
    return r;
}

std::vector<std::string> Prefix(const char* title, bool blank, const char* points = "L2163")
{
    std::vector<std::string> p{title};
    if (blank)
        p.push_back("");
    for (const char* head : {"L2160", "L2161", "L2162", points})
        p.push_back(head);
    return p;
}

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(RunAnalysis, LinesOfEveryKindInTheirOrder)
{
    struct Case {
        int kind;
        int method;
        int order;
        std::vector<std::string> heads;
    };
    const Case cases[] = {
        {1, 0, 0, Join(Prefix("L2159", true), {"L2164", "L2165", "L2166", "L2167", "L2168", "L2169", "L2170", "L2171"})},
        {2, 0, 0, Join(Prefix("L2172", false), {"L2173", "L2174", "L2175 (A)", "L2175 (B)", "L2176 (p)"})},
        {3, 0, 0, Join(Prefix("L2177", true), {"A", "B", "C", "L2176", "L2178"})},
        {4, 0, 3, Join(Prefix("L2179", true), {"L2180", "L2176", "L2178", "C0", "C1", "C2", "C3"})},
        {5, 0, 0, Join(Prefix("L2181", true), {"A", "B", "L2175 (A)", "L2175 (B)", "L2176"})},
        {6, 0, 0, Join(Prefix("L2183", true), {"A", "B", "C", "L2176", "L2178"})},
        {7, 0, 0, Join(Prefix("L2184", true), {"A", "B", "L2176", "L2178"})},
        {8, 0, 0, Join(Prefix("L2182", true), {"A", "B", "L2175 (A)", "L2175 (B)", "L2176"})},
        {9, 3, 0, Join(Prefix("L2188", true), {"L2190"})},
        {10, 0, 0, Join(Prefix("L2191", true), {"L2164", "L2165"})},
        {10, 1, 0, Join(Prefix("L2191", true), {"L2164", "L2165", "L2173", "L2174", "L2176", "L2178"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " method " << c.method);
        AnalysisRequest r = Line(c.kind);
        if (c.kind == 9) {
            r.first = 1;  // the integral wants neighbours on both sides
            r.last = 27;
        }
        r.method = c.method;
        r.order = c.order;
        const AnalysisOutcome out = RunAnalysis(r, Label);
        ASSERT_TRUE(out.ok) << out.status;
        EXPECT_EQ(Heads(out.lines), c.heads);
    }
}

TEST(RunAnalysis, LinearFitOfAStraightLine)
{
    AnalysisRequest r;
    r.kind = kAnalysisLinear;
    for (int i = 0; i < 10; ++i) {
        r.x.push_back(0.5f * float(i));
        r.y.push_back(2.0f * r.x.back() + 1.0f);
    }
    r.first = 2;
    r.last = 9;
    const AnalysisOutcome out = RunAnalysis(r, Label);
    ASSERT_TRUE(out.ok);
    EXPECT_EQ(platform::Utf16ToUtf8(out.lines[1]), "L2160 : 1.0");   // first x dx
    EXPECT_EQ(platform::Utf16ToUtf8(out.lines[2]), "L2161 : 4.0");   // (last - 1) x dx
    EXPECT_EQ(platform::Utf16ToUtf8(out.lines[3]), "L2162 : 0.5");
    EXPECT_EQ(platform::Utf16ToUtf8(out.lines[4]), "L2163 : 7");
    EXPECT_EQ(platform::Utf16ToUtf8(out.lines[5]), "L2173 : 2.000000");
    EXPECT_EQ(platform::Utf16ToUtf8(out.lines[6]), "L2174 : 1.000000");
    ASSERT_EQ(out.fitted.size(), 10u);
    EXPECT_NEAR(out.fitted[9], 10.0f, 1e-4f);
}

// The exponential routine gives the error of B before that of A, the power routine A's first:
// each label must carry its own coefficient's error, as the program's analysis shows them.
TEST(RunAnalysis, StandardErrorsAreLabelledByTheirCoefficient)
{
    struct Case {
        int kind;
        size_t errorOfA, errorOfB;
    };
    for (const Case c : {Case{kAnalysisExponential, 4, 3}, Case{kAnalysisPower, 3, 4}}) {
        SCOPED_TRACE(c.kind);
        AnalysisRequest r;
        r.kind = c.kind;
        for (int i = 0; i < 40; ++i) {
            const float x = 1.0f + 0.1f * float(i);
            const float model = c.kind == kAnalysisExponential ? 3.0f * std::exp(0.5f * x) : 3.0f * std::pow(x, 1.5f);
            r.x.push_back(x);
            r.y.push_back(model * (1.0f + 0.02f * float(i % 5 - 2)));
        }
        r.first = 0;
        r.last = 39;
        const AnalysisOutcome out = RunAnalysis(r, Label);
        ASSERT_TRUE(out.ok) << out.status;
        ASSERT_EQ(out.lines.size(), 11u);
        const auto line = [&](const char* head, size_t k) {
            return std::string(head) + " : " + platform::FormatFixed(out.result[k], 6);
        };
        // The two errors differ by far more than their last digit, so a swap shows.
        ASSERT_GT(std::fabs(out.result[3] - out.result[4]), 1e-3f);
        EXPECT_EQ(platform::Utf16ToUtf8(out.lines[8]), line("L2175 (A)", c.errorOfA));
        EXPECT_EQ(platform::Utf16ToUtf8(out.lines[9]), line("L2175 (B)", c.errorOfB));
        EXPECT_EQ(platform::Utf16ToUtf8(out.lines[10]), line("L2176", 5));
    }
}

TEST(RunAnalysis, DampedOscillationLines)
{
    AnalysisRequest r;
    r.kind = kAnalysisDampedOscillation;
    for (int i = 0; i < 2000; ++i) {
        const float t = 0.01f * float(i);
        r.x.push_back(t);
        r.y.push_back(std::cos(2.0f * 3.14159265f * t) * 5.0f * std::exp(-0.05f * t) + 1.0f);
    }
    r.first = 0;
    r.last = 1998;
    const AnalysisOutcome out = RunAnalysis(r, Label);
    ASSERT_TRUE(out.ok) << std::hex << out.status;
    EXPECT_EQ(Heads(out.lines), Join(Prefix("L2192", true, "L2193"),
                                     {"L2194", "L2195", "L2196", "L2197", "L2198", "L2199", "*L2201", "L2200",
                                      "L2176", "L2178", "A", "B", "C"}));
}

TEST(RunAnalysis, UnsoundRequestsGiveNothing)
{
    struct Case {
        int first, last, points, kind;
    };
    const Case cases[] = {{0, 0, 1, 2}, {3, 2, 10, 2}, {0, 10, 10, 2}, {-1, 4, 10, 2},
                          {0, 9, 10, 11}, {0, 9, 10, 0}, {0, 9, 10, 13}, {0, 1, 10, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << ".." << c.last << "/" << c.points << " kind " << c.kind);
        AnalysisRequest r = Line(c.kind, c.points);
        r.first = c.first;
        r.last = c.last;
        const AnalysisOutcome out = RunAnalysis(r, Label);
        EXPECT_FALSE(out.ok);
        EXPECT_TRUE(out.lines.empty());
        EXPECT_TRUE(out.fitted.empty());
    }
}

TEST(PositionText, FourPlacesWithoutTrailingZeros)
{
    EXPECT_EQ(PositionText(0.1), u"0.1");
    EXPECT_EQ(PositionText(2.0), u"2.0");
    EXPECT_EQ(PositionText(0.0), u"0.0");
    EXPECT_EQ(PositionText(-0.5), u"-0.5");
    EXPECT_EQ(PositionText(1.23456), u"1.2346");
    EXPECT_EQ(PositionText(10.0), u"10.0");
}

}  // namespace
