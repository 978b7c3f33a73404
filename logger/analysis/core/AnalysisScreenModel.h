#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "logger/analysis/core/AnalysisEngine.h"
#include "logger/analysis/core/AnalysisLayout.h"
#include "logger/analysis/core/AnalysisPorts.h"
#include "logger/project/ExperimentRecords.h"

// The analysis screen without its widgets: which data set it shows, which graph and set the
// tools act on, making, choosing and deleting sets, the rule that keeps an analysis while its
// data set's serial is unchanged, the notes, and what each graph hands to its chart. Everything it
// decides is written into the analysis area of the current data set, so it is saved with the
// project. The screen widget owns the charts, buttons and boxes and calls in here.
namespace analysis {

// What the catalogue says of one output of the sensor on a channel.
struct ChannelUnit {
    int decimals = 2;
    float minimum = 0.0f;
    float maximum = 1.0f;
    std::u16string unit;
    std::u16string sensorName;
    std::u16string valueName;
    int valueCount = 1;
};

class ChannelUnitSource {
public:
    virtual ~ChannelUnitSource() = default;
    virtual ChannelUnit Unit(const project::DataSetRecord& record, int channel, int output) const = 0;
};

// Set colours (0x00BBGGRR), by set index.
constexpr uint32_t kSetColours[project::kSetsPerGraph] = {0x0000FF, 0xFF0000, 0x00FFFF, 0xFF00FF};

enum class EntryResult { NoData, Kept, Reset };
enum class AddSetResult { Added, NoData, Full, NoChannel };
enum class DeleteSetResult { Refilled, Removed, NoneLeft, NoData };

// The analysis type a curve-fit choice stands for: 0 polynomial, 1 logarithmic, 2 the exponential
// form (0 A*exp(B*x), 1 with + C, 2 with the shift C and + D), 3 power. kTypeNone for a choice
// that names none (a stored value from a damaged file).
int CurveFitAnalysisType(int curveModel, int expVariant);
// The polynomial orders the curve-fit choice offers.
constexpr int kMinPolynomialOrder = 3;
constexpr int kMaxPolynomialOrder = 11;

struct SetChoice {
    std::u16string name;
    int set = 0;
};

// One series as a graph's chart shows it.
struct SeriesPresentation {
    int series = 0;
    int autoY = 0;
    int autoX = 0;
    // The series whose Y range this one is drawn on (a fit on its data's scale); -1 its own.
    int yRangeSource = -1;
};

// Everything the chart of one graph is given when the graph is applied to it.
struct GraphPresentation {
    int graph = 0;
    int ySeries = 0;
    int resultSeries = 16;
    int resultCapacity = 0;
    uint32_t colour = 0;
    int lineMode = 1;
    int linkedXMode = 0;
    int gridX = 5;
    int gridY = 5;
    int markerSpacing = 0;
    int decimals = 2;
    float autoScalePad = 0.05f;
    float xMin = 0.0f, xMax = 1.0f, xFactor = 1.0f;
    float yMin = 0.0f, yMax = 1.0f, yFactor = 1.0f;
    std::u16string yUnit;
    std::u16string xUnit;     // empty for a time axis
    std::u16string xLabel;
    std::u16string resultName;
    // The stored view (pan and zoom), applied to every shown series so they stay on one another.
    float viewXOffset = 0.0f, viewYOffset = 0.0f, viewXScale = 1.0f, viewYScale = 1.0f;
    std::vector<SeriesPresentation> shown;
    // An integral or derivative gets its own axis, labelled by text `selectedLabel`.
    bool secondAxis = false;
    std::u16string selectedLabel;
    int noteCount = 0;
};

class AnalysisScreenModel {
public:
    AnalysisScreenModel(AnalysisEngine& engine, SeriesTable& series, const TextSource& texts,
                        const ChannelUnitSource& units);

    // The current data set of the measurement screen; null when there is none (the screen then
    // shows nothing and every command does nothing).
    void Bind(project::DataSetRecord* record);
    project::DataSetRecord* Record() { return record_; }
    const project::DataSetRecord* Record() const { return record_; }
    int CurrentGraph() const;
    int CurrentSet() const;
    project::AnalysisSettings* CurrentSettings();
    project::AnalysisGraphRecord* CurrentGraphRecord();

    // Entering the screen: keeps the analysis while the data set's serial is the one it was made
    // for, else starts again with one graph and one set on the first recorded channel.
    EntryResult Activate();
    // Every set in use of every shown graph, the current set last: on entry all of them are
    // computed again, because the result series are shared by all data sets.
    std::vector<SetRef> SetsToRecompute() const;
    // Runs them quietly; returns the current set's line count.
    int RecomputeShownSets();

    // A new set in the current graph, bound and current.
    AddSetResult AddSet();
    // Makes a set of the current graph current and binds it; false when it already was or is not
    // in use.
    bool SelectSet(int set);
    DeleteSetResult DeleteSet(int set);
    // Makes graph g current (when shown) with its first set in use (one is made when none is);
    // false when g was current already.
    bool SelectGraph(int graph);
    // After the graph set-up dialog: new graphs are initialised; a changed data selection clears
    // the current set's analysis and binds it again.
    void AfterSetup(int previousGraphCount, bool dataChanged);
    // The sets of the current graph for the set combo, in set order.
    std::vector<SetChoice> SetChoices();

    // Rebinds the current set when rebind is set, and resets the analysis if the data set was
    // recorded again meanwhile; true when it was reset.
    bool SelectData(bool rebind);

    // Runs the current set with its stored range and type.
    int Run(ErrorReport report);

    // The result note of the current set at an anchor (fractions of the axes, as the chart's
    // PixelToValue gives them); only while the set's legend is to be shown.
    void PlaceResultNote(float x, float y);
    // Removes note i of the current graph; a result note also switches its set's legend off.
    bool DeleteNote(int index);
    // A hand-made note at an anchor of `series`; null when the graph has eight.
    project::GraphNote* AddFreeNote(float x, float y, int series);

    GraphPresentation Presentation(int graph) const;
    GraphStack Layout(ClientSize client, bool keepFraction);

    const ResultLines& Lines() const { return engine_.Lines(); }

private:
    bool InitAnalysisSettings(int graph, int set);
    bool InitGraphRecord(int graph, const project::AnalysisSettings& settings);
    bool BindSetData();
    int AddAnalysisSet();
    void RecountSets();
    int FirstRecordedChannel() const;
    float SeriesEnd(int series) const;
    void RemoveNotesOf(project::AnalysisGraphRecord& graph, int resultSeries);
    void RemoveNote(project::AnalysisGraphRecord& graph, int index);
    void PrepareResultSeries(int graph, int set);

    AnalysisEngine& engine_;
    SeriesTable& series_;
    const TextSource& texts_;
    const ChannelUnitSource& units_;
    project::DataSetRecord* record_ = nullptr;
};

}  // namespace analysis
