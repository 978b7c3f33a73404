#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The analysis behind PVAnalyzeData: one routine of the numerical library over a range of two
// columns of numbers, and the result lines that report it.
namespace addin {

enum AnalysisKind : int32_t {
    kAnalysisStatistics = 1,
    kAnalysisLinear = 2,
    kAnalysisQuadratic = 3,
    kAnalysisPolynomial = 4,
    kAnalysisExponential = 5,
    kAnalysisExponentialOffset = 6,
    kAnalysisLogarithmic = 7,
    kAnalysisPower = 8,
    kAnalysisIntegral = 9,
    kAnalysisDerivative = 10,
    kAnalysisDampedOscillation = 12,
};

struct AnalysisRequest {
    int32_t first = 0;
    int32_t last = 0;   // the routines' end index; fitted values are reported for first..last
    int32_t kind = 0;
    int32_t order = 0;  // polynomial order
    int32_t method = 0; // integration or differentiation method
    std::vector<float> x;
    std::vector<float> y;
};

struct AnalysisOutcome {
    bool ok = false;                 // the range was sound, the kind known and the routine succeeded
    int32_t status = 0;              // the routine's return value
    std::vector<float> result;       // 256 floats, zero where the routine wrote nothing
    std::vector<float> fitted;       // n floats
    std::vector<std::u16string> lines;
};

// Texts of string ids (the language module in the add-in, a table in tests).
using LabelSource = std::function<std::u16string(int id)>;

// Runs the request; on failure (n < 2, a range outside 0 <= first <= last < n, an unknown kind,
// a routine status other than a count of results) nothing but `ok` and `status` is set.
AnalysisOutcome RunAnalysis(const AnalysisRequest& request, const LabelSource& label);

// "%.4f" without trailing zeros, a bare point followed by 0: 0.1000 -> "0.1", 2 -> "2.0".
std::u16string PositionText(double value);

inline constexpr int kAnalysisResultLength = 256;

}  // namespace addin
