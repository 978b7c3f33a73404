#pragma once

#include <optional>
#include <string>
#include <vector>

#include "logger/analysis/core/AnalysisPorts.h"
#include "logger/analysis/core/AnalysisScreenModel.h"
#include "logger/project/ExperimentRecords.h"

// The graph set-up dialog without its widgets. For the current graph and set of a data set it
// chooses the series the graph shows and the one the set analyses (Y page), the X axis and its
// visible range (X page), the number of stacked graphs and the marker spacing (graphs page), and
// the set's name and legend options (set page). Its working values start from the record when
// it opens; Commit writes them back, and nothing else does, except that a time X axis turns the
// graph's X auto-scaling off at once.
namespace analysis {

// An axis as the set-up proposes it: the factor, and factor x minimum .. factor x maximum.
struct AxisRange {
    float factor = 1.0f;
    float minimum = 0.0f;
    float maximum = 1.0f;
};

// The chart's series records, as far as the set-up reads them.
class SeriesAxisSource {
public:
    virtual ~SeriesAxisSource() = default;
    virtual AxisRange ValueAxis(int series) const = 0;
    virtual AxisRange TimeAxis(int series) const = 0;
    virtual std::u16string SeriesName(int series) const = 0;
};

enum class RangeMode { Automatic = 0, Manual = 1 };
enum class XSource { Time = 0, Series = 1 };

// One series the graph shows: a channel and an output group of its sensor.
struct PlottedEntry {
    int channel = 0;
    int output = 0;
    int Series() const { return channel + project::kChannelCount * output; }
    bool operator==(const PlottedEntry&) const = default;
};

// A combo box as the dialog shows it.
struct ComboContent {
    std::vector<std::u16string> items;
    int selected = -1;
    bool enabled = true;
};

// The edit fields as the user left them; no value where the text is no number.
struct SetupEdits {
    std::optional<float> yMinimum;
    std::optional<float> yMaximum;
    std::optional<float> xMinimum;
    std::optional<float> xMaximum;
    std::optional<float> scaleA;
    std::optional<float> offsetB;
    std::optional<int> markerSpacing;
    std::u16string xLabel;
    std::u16string setName;
    bool showEquation = false;
    bool showR2 = false;
    bool extraOption = false;
};

enum class SetupRefusal { None, NotANumber, InvertedRange };

struct SetupResult {
    bool accepted = false;
    SetupRefusal refusal = SetupRefusal::None;
    // The set analyses other data now (its series or X source changed): its analysis starts again.
    bool selectionChanged = false;
};

class GraphSetupModel {
public:
    static constexpr int kPageCount = 4;
    static constexpr int kMaxEntries = 4;

    GraphSetupModel(project::DataSetRecord& record, const ChannelUnitSource& units, const SeriesAxisSource& axes,
                    const TextSource& texts);

    // Takes the working values from the record's current graph and set.
    void Open();

    int Page() const { return page_; }
    void ShowPage(int page);
    // 0..3 for one to four graphs.
    int GraphChoice() const { return graphChoice_; }
    void ChooseGraphCount(int choice);

    // Y page.
    ComboContent YChannels() const;
    void ChooseYChannel(int position);
    ComboContent YOutputs() const;
    void ChooseYOutput(int index);
    RangeMode YMode() const { return yMode_; }
    void ChooseYMode(RangeMode mode);
    AxisRange YRange() const { return yRange_; }
    const std::vector<PlottedEntry>& Entries() const { return entries_; }
    std::vector<std::u16string> EntryItems() const;
    int SelectedEntry() const { return selected_; }
    void SelectEntry(int index);
    // The Y channel and output into the list; false when listed already or the list is full.
    bool Add();
    // The selected entry out of the list; refused while it is the only one.
    bool Remove();

    // X page.
    XSource Source() const { return source_; }
    void ChooseXSource(XSource source);
    ComboContent XChannels() const;
    void ChooseXChannel(int position);
    ComboContent XOutputs() const;
    void ChooseXOutput(int index);
    RangeMode XMode() const { return xMode_; }
    void ChooseXMode(RangeMode mode);
    AxisRange XRange() const { return xRange_; }
    const std::u16string& XLabel() const { return xLabel_; }
    float ScaleA() const { return scaleA_; }
    float OffsetB() const { return offsetB_; }

    // Graphs and set pages.
    int MarkerSpacing() const { return markerSpacing_; }
    const std::u16string& SetName() const { return setName_; }
    bool ShowEquation() const { return showEquation_; }
    bool ShowR2() const { return showR2_; }
    bool ExtraOption() const { return extraOption_; }

    // OK: checks the edits that will be written (a manual range needs two numbers, the smaller
    // first; the time factor must be a positive number) and writes everything back. A refused OK
    // writes nothing.
    SetupResult Commit(const SetupEdits& edits);

private:
    project::AnalysisSettings& Settings() const;
    project::AnalysisGraphRecord& Graph() const;
    int ChannelAt(int position) const;
    int PositionOf(int channel) const;
    int SelectedOutputOf(int channel) const;
    std::vector<std::u16string> OutputNames(int channel) const;
    ComboContent OutputCombo(int channel, int selected) const;
    void RefreshXSource();
    void AutomaticYRange();
    void AutomaticXRange();
    void LoadEntryRange();
    SetupRefusal Check(const SetupEdits& edits) const;
    void WriteYRange(const SetupEdits& edits, const PlottedEntry& entry);
    void WriteXRange(const SetupEdits& edits);
    void RescaleTime(float a, float b);

    project::DataSetRecord& record_;
    const ChannelUnitSource& units_;
    const SeriesAxisSource& axes_;
    const TextSource& texts_;

    std::vector<int> recorded_;
    int page_ = 0;
    int graphChoice_ = 0;
    int yChannelPosition_ = 0;
    int yOutput_ = 0;
    RangeMode yMode_ = RangeMode::Automatic;
    AxisRange yRange_;
    float unitMinimum_ = 0.0f;
    float unitMaximum_ = 1.0f;
    std::vector<PlottedEntry> entries_;
    int selected_ = -1;
    XSource source_ = XSource::Time;
    int xChannelPosition_ = 0;
    int xOutput_ = 0;
    RangeMode xMode_ = RangeMode::Automatic;
    AxisRange xRange_;
    std::u16string xLabel_;
    float scaleA_ = 1.0f;
    float offsetB_ = 0.0f;
    int markerSpacing_ = 0;
    std::u16string setName_;
    bool showEquation_ = false;
    bool showR2_ = false;
    bool extraOption_ = false;
};

}  // namespace analysis
