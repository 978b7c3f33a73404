#pragma once

#include <array>
#include <string>
#include <vector>

#include "logger/analysis/core/AnalysisPorts.h"
#include "logger/project/ExperimentRecords.h"
#include "numeric/ResultLayout.h"

// The analysis engine: applies one analysis set of a graph to the selected range of its data
// series. It binds the set's result series to the analysed series, runs the numerical routine of
// the set's type on the points, fills the result series with the routine's curve, and turns the
// routine's result into text lines (for the details window and the report) and a one-line
// legend stored in the set (shown as a graph note).
namespace analysis {

constexpr int kResultLineCount = 64;
// UTF-16 units of a legend; the stored field keeps one more for the terminator.
constexpr int kLegendLength = 95;

// Analysis types of a set's `analysisType`.
enum AnalysisType : int {
    kTypeNone = 0,
    kTypeStatistics = 1,
    kTypeLinear = 2,
    kTypeQuadratic = 3,
    kTypePolynomial = 4,
    kTypeExponential = 5,
    kTypeExponentialOffset = 6,
    kTypeExponentialShift = 7,
    kTypeLogarithmic = 8,
    kTypePower = 9,
    kTypeIntegral = 10,
    kTypeDerivative = 11,
    kTypeDampedOscillation = 13,
    kTypeComparison = 14,
};
bool IsKnownAnalysisType(int type);

// The text lines of the last run.
class ResultLines {
public:
    void Clear();
    // Lines past the 64th are dropped.
    void Append(std::u16string line);
    int Count() const { return count_; }
    // Empty outside 0..Count()-1.
    const std::u16string& Line(int index) const;

private:
    std::array<std::u16string, kResultLineCount> lines_;
    int count_ = 0;
};

// Whether a run tells the user of a library error. Only a command the user gave does: a re-run
// on entering the screen or redrawing it stays quiet, so one error is shown once.
enum class ErrorReport { Quiet, Show };

// The message box texts of a library status; empty texts for a success.
struct AnalysisError {
    int firstId = 0;
    std::u16string first;
    std::u16string second;
    bool IsError() const { return firstId != 0; }
};
AnalysisError DescribeAnalysisStatus(int status, const TextSource& texts);

struct SetRef {
    int graph = 0;
    int set = 0;
};

class AnalysisEngine {
public:
    AnalysisEngine(SeriesTable& series, const TextSource& texts, MessageSink& messages);

    // Applies set `set` of graph `graph` of the record to [start, end) with analysis `type`.
    // Returns the number of result lines (0 for type 0, an unknown type, an empty range, series
    // the set may not use, and a library error). Lines and legend are cleared first, and the
    // set's resultShown is 1 only when a result was drawn into its result series.
    int ComputeAnalysis(project::DataSetRecord& record, int graph, int set, int start, int end, int type,
                        ErrorReport report);
    // The same with the set's stored range and type.
    int ComputeSet(project::DataSetRecord& record, int graph, int set, ErrorReport report);
    // Several sets with their stored ranges and types, quietly; the lines are those of the last.
    // Each set writes only its own result series, so the routines run side by side on up to
    // `threads` threads; binding and text are done in order on the calling thread.
    int ComputeSets(project::DataSetRecord& record, const std::vector<SetRef>& sets, int threads);

    const ResultLines& Lines() const { return lines_; }
    // The library's status of the last run that reached a routine; 0 before.
    int LastStatus() const { return lastStatus_; }

private:
    struct Inputs;
    struct Run;
    // Checks the set, clears its result and binds its result series; false when there is
    // nothing to compute.
    bool Prepare(project::DataSetRecord& record, int graph, int set, int start, int end, int type, Run& run);
    void Execute(Run& run) const;
    int Finish(project::DataSetRecord& record, Run& run, ErrorReport report);
    bool GatherInputs(project::DataSetRecord& record, int graph, int set, int type, Inputs& in) const;
    bool FindComparisonSeries(const project::DataSetRecord& record, Inputs& in) const;
    static int RunRoutine(const Run& run, float* result);
    static double RunCost(const Run& run);
    void WriteLines(const project::AnalysisSettings& settings, int type, const Inputs& in, int start, int end,
                    const float* r);
    void WriteLine(const numeric::ResultLine& line, const Inputs& in, int start, int end, const float* r);
    std::u16string Legend(const project::AnalysisSettings& settings, int type, const Inputs& in, int start,
                          const float* r) const;
    std::u16string Label(int id, int length) const;

    SeriesTable& series_;
    const TextSource& texts_;
    MessageSink& messages_;
    ResultLines lines_;
    int lastStatus_ = 0;
};

}  // namespace analysis
