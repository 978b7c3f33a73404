// Accuracy against the public statistical reference data sets, by log relative error (LRE, the
// number of agreeing digits).
//
// The routines take float arrays, so each data set reaches them rounded to single precision.
// Each result is compared with the exact values for the rounded data ("single", which measures
// what the routine itself loses) and with the published certified values. Where the rounding of
// the data alone moves a certified value below 6 digits (Norris: intercept 5.0, standard errors
// 5.4; Wampler2: 4.8 to 6.9; Filip: 5.7; Michelso's sd: 4.7), the second comparison asks only
// for what the rounded data allow.

#include "ReferenceData.h"

#include "numeric/CurveFits.h"
#include "numeric/SampleAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace numeric::testing {
namespace {

struct Expectation {
    int element;
    const char* key;
    double certifiedDigits; // 0: the certified value is not compared
};

// Runs `fit` over the whole data set and checks each listed element against both references.
template <typename Fit>
void Check(const std::string& name, int expectedStatus, Fit fit, const std::vector<Expectation>& expectations)
{
    const ReferenceData data = LoadReferenceData(name);
    ASSERT_TRUE(data.loaded) << name;
    const int n = static_cast<int>(data.y.size());
    std::vector<float> curve(data.y.size());
    float result[kFitResultLength] = {};
    ASSERT_EQ(fit(n, data.x.empty() ? nullptr : data.x.data(), data.y.data(), curve.data(), result), expectedStatus);
    EXPECT_EQ(result[0], static_cast<float>(n));
    for (const Expectation& e : expectations) {
        const double single = LogRelativeError(result[e.element], data.single.at(e.key));
        EXPECT_GE(single, 6.0) << name << " " << e.key << " = " << result[e.element];
        if (e.certifiedDigits > 0) {
            const double certified = LogRelativeError(result[e.element], data.certified.at(e.key));
            EXPECT_GE(certified, e.certifiedDigits) << name << " " << e.key << " = " << result[e.element];
        }
    }
}

TEST(ReferenceData, NorrisLinearFit)
{
    Check("Norris", 6, [](int n, auto x, auto y, auto c, auto r) { return FitLinear(0, n, n, x, y, c, r); },
          {{1, "B1", 6}, {2, "B0", 4.9}, {3, "sdB1", 5.3}, {4, "sdB0", 5.3}, {5, "rSquared", 6}});
}

TEST(ReferenceData, PontiusQuadraticFit)
{
    Check("Pontius", 7, [](int n, auto x, auto y, auto c, auto r) { return FitQuadratic(0, n, n, x, y, c, r); },
          {{1, "B2", 6}, {2, "B1", 6}, {3, "B0", 5.9}, {4, "rSquared", 6}, {5, "rms", 0}, {6, "B2", 6}});
}

std::vector<Expectation> Coefficients(int order, double certifiedDigits)
{
    static const char* const keys[] = {"B0", "B1", "B2", "B3", "B4", "B5", "B6", "B7", "B8", "B9", "B10"};
    std::vector<Expectation> list = {{2, "rSquared", 6}};
    for (int k = 0; k <= order; ++k)
        list.push_back({4 + k, keys[k], certifiedDigits});
    return list;
}

TEST(ReferenceData, WamplerFifthOrder)
{
    const auto fifth = [](int n, auto x, auto y, auto c, auto r) { return FitPolynomial(0, n, n, 5, x, y, c, r); };
    Check("Wampler1", 10, fifth, Coefficients(5, 6));
    Check("Wampler2", 10, fifth, Coefficients(5, 4.7));
}

TEST(ReferenceData, FilipTenthOrder)
{
    Check("Filip", 15, [](int n, auto x, auto y, auto c, auto r) { return FitPolynomial(0, n, n, 10, x, y, c, r); },
          Coefficients(10, 5.5));
}

TEST(ReferenceData, UnivariateStatistics)
{
    const auto stats = [](int n, auto x, auto y, auto c, auto r) { return ConfidenceStats(0, n, n, x, y, c, r); };
    Check("Michelso", 9, stats, {{4, "mean", 6}, {6, "sd", 4.6}});
    Check("NumAcc1", 9, stats, {{4, "mean", 6}, {6, "sd", 6}});
}

} // namespace
} // namespace numeric::testing
