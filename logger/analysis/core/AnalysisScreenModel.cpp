#include "logger/analysis/core/AnalysisScreenModel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "devicelink/sensor/ChannelState.h"
#include "logger/analysis/core/AnalysisText.h"
#include "logger/analysis/core/AnalysisTexts.h"
#include "platform/Text.h"

namespace analysis {

using project::AnalysisGraphRecord;
using project::AnalysisSettings;
using project::DataSetRecord;
using project::GraphNote;

namespace {

constexpr int kNameLength = 32;
constexpr int kLabelLength = 32;
constexpr int kResultNoteFontSize = 16;
// Entering the screen recomputes up to sixteen sets over series of a million points: a few
// threads keep that short without taking the whole machine.
constexpr int kRecomputeThreads = 4;

int SelectedOutputOf(const DataSetRecord& record, int channel)
{
    return std::clamp(project::ToDeviceState(record.channels[channel]).selectedOutput, 0, 3);
}

int32_t TargetCountOf(const DataSetRecord& record, int channel)
{
    if (!project::IsChannelIndex(channel))
        return 0;
    return std::clamp(record.targetCount[channel], 0, project::kMaxSampleEntries);
}

bool IsRateOrDerivative(int type) { return type == kTypeIntegral || type == kTypeDerivative; }

}  // namespace

int CurveFitAnalysisType(int curveModel, int expVariant)
{
    switch (curveModel) {
    case 0: return kTypePolynomial;
    case 1: return kTypeLogarithmic;
    case 2:
        switch (expVariant) {
        case 0: return kTypeExponential;
        case 1: return kTypeExponentialOffset;
        case 2: return kTypeExponentialShift;
        default: return kTypeNone;
        }
    case 3: return kTypePower;
    default: return kTypeNone;
    }
}

AnalysisScreenModel::AnalysisScreenModel(AnalysisEngine& engine, SeriesTable& series, const TextSource& texts,
                                         const ChannelUnitSource& units)
    : engine_(engine), series_(series), texts_(texts), units_(units)
{
}

void AnalysisScreenModel::Bind(DataSetRecord* record) { record_ = record; }

int AnalysisScreenModel::CurrentGraph() const { return record_ ? project::CurrentGraphOf(*record_) : 0; }

int AnalysisScreenModel::CurrentSet() const { return record_ ? project::CurrentSetOf(record_->selector) : 0; }

AnalysisSettings* AnalysisScreenModel::CurrentSettings()
{
    return record_ ? project::SettingsAt(*record_, CurrentGraph(), CurrentSet()) : nullptr;
}

AnalysisGraphRecord* AnalysisScreenModel::CurrentGraphRecord()
{
    return record_ ? project::AnalysisGraphAt(*record_, CurrentGraph()) : nullptr;
}

int AnalysisScreenModel::FirstRecordedChannel() const
{
    for (int c = 0; c < project::kChannelCount; ++c) {
        if (record_->channelRecorded[c] == 1)
            return c;
    }
    return -1;
}

// The x of the last point a series holds; the run's length while it holds none.
float AnalysisScreenModel::SeriesEnd(int series) const
{
    const SeriesView view = series_.View(series);
    const int count = view.Readable();
    if (count > 0 && view.used <= view.capacity && std::isfinite(view.times[count - 1]))
        return view.times[count - 1];
    return float(record_->length);
}

// The set count describes the current graph; it is counted again from the in-use flags whenever
// the graph or its sets change, so a new set never lands on one in use.
void AnalysisScreenModel::RecountSets()
{
    project::AnalysisSetSelector& selector = record_->selector;
    const int graph = CurrentGraph();
    record_->currentGraph = graph;
    selector.setCount = project::CountSetsInUse(*record_, graph);
    selector.currentSet = project::CurrentSetOf(selector);
    if (project::SettingsAt(*record_, graph, selector.currentSet)->inUse == 1)
        return;
    for (int s = 0; s < project::kSetsPerGraph; ++s) {
        if (project::SettingsAt(*record_, graph, s)->inUse == 1) {
            selector.currentSet = s;
            return;
        }
    }
}

bool AnalysisScreenModel::InitAnalysisSettings(int graph, int set)
{
    AnalysisSettings& settings = *project::SettingsAt(*record_, graph, set);
    std::memset(&settings, 0, sizeof settings);
    project::InitNoteRecord(settings.memo);
    platform::CopyToField(settings.setName, texts_.String(text::kSetName, kNameLength) + Int(set + 1));
    const int channel = FirstRecordedChannel();
    settings.ySlot = channel;
    if (channel < 0)
        return false;
    settings.ySub = SelectedOutputOf(*record_, channel);
    settings.xSlot = -1;
    settings.xSub = 0;
    settings.ySeries = channel + 4 * settings.ySub;
    settings.xSeries = -1;
    settings.colour = int32_t(kSetColours[set]);
    settings.analysisType = kTypeNone;
    settings.resultSeries = project::ResultSeriesFor(graph, set);
    settings.resultCapacity = TargetCountOf(*record_, channel);
    settings.inUse = 1;
    record_->selector.seenSerial = record_->dataSetSerial;
    return true;
}

bool AnalysisScreenModel::InitGraphRecord(int graph, const AnalysisSettings& settings)
{
    AnalysisGraphRecord& g = *project::AnalysisGraphAt(*record_, graph);
    std::memset(&g, 0, sizeof g);
    g.inUse = 1;
    const bool sampled = record_->mode != project::kRunTimed || record_->specialSensor == 1;
    platform::CopyToField(g.xLabel, texts_.String(sampled ? text::kSampleAxis : text::kTimeAxis, kLabelLength));
    g.xScaleA = 1.0f;
    g.xOffsetB = 0.0f;
    g.autoScalePad = 0.05f;
    g.ySeries = settings.ySeries;
    g.autoX = 0;
    g.autoY = 1;
    g.lineMode = 1;
    g.gridX = 5;
    g.gridY = 5;
    g.xFactor = 1.0f;
    g.yFactor = 1.0f;
    g.viewXScale = 1.0f;
    g.viewYScale = 1.0f;
    if (!project::IsDataSeries(settings.ySeries) || !project::IsChannelIndex(settings.ySlot))
        return false;
    g.seriesShown[settings.ySeries] = 1;
    if (project::IsSeriesIndex(settings.resultSeries))
        g.seriesShown[settings.resultSeries] = 1;
    const ChannelUnit unit = units_.Unit(*record_, settings.ySlot, settings.ySub);
    g.decimals = unit.decimals;
    g.yMin = unit.minimum;
    g.yMax = unit.maximum;
    const float end = SeriesEnd(settings.ySeries);
    g.xMax = g.xScaleA * end + g.xOffsetB;
    g.xMin = g.xOffsetB;
    return true;
}

bool AnalysisScreenModel::BindSetData()
{
    AnalysisSettings& settings = *CurrentSettings();
    AnalysisGraphRecord& g = *CurrentGraphRecord();
    if (!project::IsChannelIndex(settings.ySlot))
        return false;
    settings.ySub = std::clamp(settings.ySub, 0, 3);
    settings.ySeries = settings.ySlot + 4 * settings.ySub;
    settings.resultSeries = project::ResultSeriesFor(CurrentGraph(), CurrentSet());
    g.inUse = 1;
    g.ySeries = settings.ySeries;
    g.seriesShown[settings.ySeries] = 1;
    g.seriesShown[settings.resultSeries] = 1;
    const ChannelUnit unit = units_.Unit(*record_, settings.ySlot, settings.ySub);
    g.decimals = unit.decimals;
    const float end = SeriesEnd(settings.ySeries);
    if (!project::IsChannelIndex(settings.xSlot)) {
        settings.xSlot = -1;
        settings.xSeries = -1;
        g.xFromSeries = 0;
        g.xMin = g.xOffsetB;
        g.xMax = g.xScaleA * end + g.xOffsetB;
    } else {
        settings.xSub = std::clamp(settings.xSub, 0, 3);
        settings.xSeries = settings.xSlot + 4 * settings.xSub;
        g.xFromSeries = 1;
        g.xMin = 0.0f;
        g.xMax = end;
    }
    g.xFactor = 1.0f;
    g.yMin = unit.minimum;
    g.yMax = unit.maximum;
    g.yFactor = 1.0f;
    settings.resultCapacity = TargetCountOf(*record_, settings.ySlot);
    settings.inUse = 1;
    record_->selector.seenSerial = record_->dataSetSerial;
    return true;
}

int AnalysisScreenModel::AddAnalysisSet()
{
    RecountSets();
    project::AnalysisSetSelector& selector = record_->selector;
    if (selector.setCount >= project::kSetsPerGraph)
        return int(AddSetResult::Full);
    // A set needs a recorded series to analyse; without one it would name series 0 as both its
    // data and its result.
    if (FirstRecordedChannel() < 0)
        return int(AddSetResult::NoChannel);
    const int graph = CurrentGraph();
    int set = 0;
    while (set < project::kSetsPerGraph && project::SettingsAt(*record_, graph, set)->inUse == 1)
        ++set;
    const bool firstSet = selector.setCount == 0;
    selector.currentSet = set;
    InitAnalysisSettings(graph, set);
    AnalysisSettings& settings = *project::SettingsAt(*record_, graph, set);
    if (firstSet)
        InitGraphRecord(graph, settings);
    settings.resultShown = 0;
    settings.inUse = 1;
    selector.setCount = project::CountSetsInUse(*record_, graph);
    return int(AddSetResult::Added);
}

AddSetResult AnalysisScreenModel::AddSet()
{
    if (!record_)
        return AddSetResult::NoData;
    const auto result = AddSetResult(AddAnalysisSet());
    if (result == AddSetResult::Added)
        SelectData(true);
    return result;
}

bool AnalysisScreenModel::SelectData(bool rebind)
{
    if (!record_)
        return false;
    if (record_->dataSetSerial != record_->selector.seenSerial) {
        project::ResetAnalysisArea(*record_);
        if (AddSetResult(AddAnalysisSet()) == AddSetResult::Added)
            BindSetData();
        return true;
    }
    if (rebind)
        BindSetData();
    return false;
}

EntryResult AnalysisScreenModel::Activate()
{
    if (!record_)
        return EntryResult::NoData;
    RecountSets();
    if (record_->selector.setCount > 0 && record_->selector.seenSerial == record_->dataSetSerial) {
        SelectData(true);
        return EntryResult::Kept;
    }
    project::ResetAnalysisArea(*record_);
    AddSet();
    return EntryResult::Reset;
}

std::vector<SetRef> AnalysisScreenModel::SetsToRecompute() const
{
    std::vector<SetRef> sets;
    if (!record_)
        return sets;
    const int current = CurrentGraph();
    const int currentSet = CurrentSet();
    for (int g = 0; g < project::GraphCountOf(*record_); ++g) {
        for (int s = 0; s < project::kSetsPerGraph; ++s) {
            if (project::SettingsAt(*record_, g, s)->inUse == 1 && !(g == current && s == currentSet))
                sets.push_back({g, s});
        }
    }
    if (project::SettingsAt(*record_, current, currentSet)->inUse == 1)
        sets.push_back({current, currentSet});
    return sets;
}

void AnalysisScreenModel::PrepareResultSeries(int graph, int set)
{
    const AnalysisSettings& settings = *project::SettingsAt(*record_, graph, set);
    const int result = project::ResultSeriesFor(graph, set);
    series_.EnsureBuffers(result, std::clamp(settings.resultCapacity, 0, project::kMaxSampleEntries),
                          uint32_t(settings.colour));
}

int AnalysisScreenModel::RecomputeShownSets()
{
    if (!record_)
        return 0;
    const std::vector<SetRef> sets = SetsToRecompute();
    for (const SetRef& ref : sets)
        PrepareResultSeries(ref.graph, ref.set);
    return engine_.ComputeSets(*record_, sets, kRecomputeThreads);
}

int AnalysisScreenModel::Run(ErrorReport report)
{
    AnalysisSettings* settings = CurrentSettings();
    if (!settings || settings->inUse != 1)
        return 0;
    AnalysisGraphRecord& g = *CurrentGraphRecord();
    g.secondAxis = IsRateOrDerivative(settings->analysisType) ? 1 : 0;
    PrepareResultSeries(CurrentGraph(), CurrentSet());
    return engine_.ComputeSet(*record_, CurrentGraph(), CurrentSet(), report);
}

bool AnalysisScreenModel::SelectSet(int set)
{
    if (!record_ || set < 0 || set >= project::kSetsPerGraph || set == CurrentSet())
        return false;
    if (project::SettingsAt(*record_, CurrentGraph(), set)->inUse != 1)
        return false;
    record_->selector.currentSet = set;
    CurrentGraphRecord()->ySeries = CurrentSettings()->ySeries;
    // A set carries its own X source: bind it, or the graph keeps the previous set's.
    SelectData(true);
    return true;
}

DeleteSetResult AnalysisScreenModel::DeleteSet(int set)
{
    if (!record_ || set < 0 || set >= project::kSetsPerGraph)
        return DeleteSetResult::NoData;
    RecountSets();
    const int graph = CurrentGraph();
    AnalysisGraphRecord& g = *CurrentGraphRecord();
    // Its legend note would pass to the next set made in its slot.
    RemoveNotesOf(g, project::ResultSeriesFor(graph, set));
    project::AnalysisSetSelector& selector = record_->selector;
    if (selector.setCount <= 1) {
        selector.currentSet = set;
        InitAnalysisSettings(graph, set);
        SelectData(true);
        return DeleteSetResult::Refilled;
    }
    g.seriesShown[project::ResultSeriesFor(graph, set)] = 0;
    std::memset(project::SettingsAt(*record_, graph, set), 0, sizeof(AnalysisSettings));
    RecountSets();
    if (selector.setCount == 0)
        return DeleteSetResult::NoneLeft;
    SelectData(true);
    return DeleteSetResult::Removed;
}

bool AnalysisScreenModel::SelectGraph(int graph)
{
    if (!record_ || graph == CurrentGraph() || graph < 0 || graph >= project::GraphCountOf(*record_))
        return false;
    record_->currentGraph = graph;
    // The graph's first set in use becomes current.
    record_->selector.currentSet = 0;
    RecountSets();
    if (record_->selector.setCount == 0)
        AddSet();
    else
        SelectData(true);
    return true;
}

void AnalysisScreenModel::AfterSetup(int previousGraphCount, bool dataChanged)
{
    if (!record_)
        return;
    const AnalysisSettings current = *CurrentSettings();
    for (int g = std::max(previousGraphCount, 0); g < project::GraphCountOf(*record_); ++g) {
        InitGraphRecord(g, current);
        AnalysisGraphRecord& graph = *project::AnalysisGraphAt(*record_, g);
        // A new graph shows the data until it has sets of its own, never another graph's result.
        for (int s = project::kSeriesCount / 2; s < project::kSeriesCount; ++s)
            graph.seriesShown[s] = 0;
        for (int s = 0; s < project::kSetsPerGraph; ++s)
            std::memset(project::SettingsAt(*record_, g, s), 0, sizeof(AnalysisSettings));
    }
    RecountSets();
    AnalysisSettings& settings = *CurrentSettings();
    if (dataChanged && settings.inUse == 1) {
        settings.analysisType = kTypeNone;
        SelectData(true);
    }
}

std::vector<SetChoice> AnalysisScreenModel::SetChoices()
{
    std::vector<SetChoice> choices;
    if (!record_)
        return choices;
    project::AnalysisSetSelector& selector = record_->selector;
    selector.recordedChannelCount = 0;
    for (int c = 0; c < project::kChannelCount; ++c) {
        selector.recordedChannels[c] = 0;
        if (record_->channelRecorded[c] == 1)
            selector.recordedChannels[selector.recordedChannelCount++] = c;
    }
    for (int s = 0; s < project::kSetsPerGraph; ++s) {
        const AnalysisSettings& settings = *project::SettingsAt(*record_, CurrentGraph(), s);
        if (settings.inUse == 1)
            choices.push_back({std::u16string(project::SetNameText(settings)), s});
    }
    return choices;
}

void AnalysisScreenModel::RemoveNote(AnalysisGraphRecord& graph, int index)
{
    const int count = project::NoteCountOf(graph);
    if (index < 0 || index >= count)
        return;
    for (int i = index; i + 1 < count; ++i)
        graph.notes[i] = graph.notes[i + 1];
    std::memset(&graph.notes[count - 1], 0, sizeof(GraphNote));
    graph.noteCount = count - 1;
}

void AnalysisScreenModel::RemoveNotesOf(AnalysisGraphRecord& graph, int resultSeries)
{
    for (int i = project::NoteCountOf(graph) - 1; i >= 0; --i) {
        if (graph.notes[i].resultLink == resultSeries)
            RemoveNote(graph, i);
    }
}

void AnalysisScreenModel::PlaceResultNote(float x, float y)
{
    AnalysisSettings* settings = CurrentSettings();
    if (!settings || (settings->showEquation != 1 && settings->showR2 != 1))
        return;
    AnalysisGraphRecord& graph = *CurrentGraphRecord();
    const int count = project::NoteCountOf(graph);
    int index = -1;
    for (int i = 0; i < count && index < 0; ++i) {
        if (graph.notes[i].resultLink == settings->resultSeries)
            index = i;
    }
    if (index < 0) {
        if (count >= project::kGraphNoteCount)
            return;
        index = count;
        graph.noteCount = count + 1;
    }
    GraphNote& note = graph.notes[index];
    std::memset(&note, 0, sizeof note);
    note.x = x;
    note.y = y;
    note.series = settings->ySeries;
    note.resultLink = settings->resultSeries;
    note.set = CurrentSet();
    platform::CopyToField(note.text, project::LegendText(*settings));
    note.textLength = int32_t(platform::FieldLength(note.text, uikit::kChartNoteTextLength));
    note.colour = uint32_t(settings->colour);
    note.fontSize = kResultNoteFontSize;
    note.bold = 0;
}

bool AnalysisScreenModel::DeleteNote(int index)
{
    AnalysisGraphRecord* graph = CurrentGraphRecord();
    if (!graph || index < 0 || index >= project::NoteCountOf(*graph))
        return false;
    const GraphNote& note = graph->notes[index];
    // The legend would come back with the next run. Its set is the one the link names: the
    // stored set number may be anything in a damaged file.
    const int link = note.resultLink;
    if (link >= project::kSeriesCount / 2 && link < project::kSeriesCount) {
        const int first = link - project::kSeriesCount / 2;
        AnalysisSettings& settings = *project::SettingsAt(*record_, first / project::kSetsPerGraph,
                                                         first % project::kSetsPerGraph);
        settings.showEquation = 0;
        settings.showR2 = 0;
    }
    RemoveNote(*graph, index);
    return true;
}

GraphNote* AnalysisScreenModel::AddFreeNote(float x, float y, int series)
{
    AnalysisGraphRecord* graph = CurrentGraphRecord();
    if (!graph || !project::IsSeriesIndex(series))
        return nullptr;
    const int count = project::NoteCountOf(*graph);
    if (count >= project::kGraphNoteCount)
        return nullptr;
    GraphNote& note = graph->notes[count];
    std::memset(&note, 0, sizeof note);
    note.x = x;
    note.y = y;
    note.series = series;
    note.resultLink = 0;
    note.set = CurrentSet();
    graph->noteCount = count + 1;
    return &note;
}

GraphPresentation AnalysisScreenModel::Presentation(int graph) const
{
    GraphPresentation p;
    p.graph = graph;
    if (!record_ || graph < 0 || graph >= project::kGraphCount)
        return p;
    const AnalysisGraphRecord& g = record_->graphs[graph];
    // The set the graph's tools act on: the current one in the current graph, else its first in use.
    int set = graph == CurrentGraph() ? CurrentSet() : 0;
    if (project::SettingsAt(*record_, graph, set)->inUse != 1) {
        for (int s = 0; s < project::kSetsPerGraph; ++s) {
            if (project::SettingsAt(*record_, graph, s)->inUse == 1) {
                set = s;
                break;
            }
        }
    }
    const AnalysisSettings& settings = *project::SettingsAt(*record_, graph, set);
    p.ySeries = project::IsDataSeries(g.ySeries) ? g.ySeries : 0;
    p.resultSeries = project::ResultSeriesFor(graph, set);
    p.resultCapacity = std::clamp(settings.resultCapacity, 0, project::kMaxSampleEntries);
    p.colour = uint32_t(settings.colour);
    p.lineMode = g.lineMode;
    p.linkedXMode = g.xFromSeries;
    p.gridX = g.gridX;
    p.gridY = g.gridY;
    p.markerSpacing = g.markerSpacing;
    p.decimals = g.decimals;
    p.autoScalePad = std::isfinite(g.autoScalePad) ? std::clamp(g.autoScalePad, 0.05f, 3.0f) : 0.05f;
    p.xMin = g.xMin;
    p.xMax = g.xMax;
    p.xFactor = g.xFactor;
    p.yMin = g.yMin;
    p.yMax = g.yMax;
    p.yFactor = g.yFactor;
    p.xLabel = std::u16string(platform::FieldView(g.xLabel));
    if (project::IsChannelIndex(settings.ySlot))
        p.yUnit = units_.Unit(*record_, settings.ySlot, std::clamp(settings.ySub, 0, 3)).unit;
    if (project::IsDataSeries(settings.xSeries) && project::IsChannelIndex(settings.xSlot)) {
        const ChannelUnit x = units_.Unit(*record_, settings.xSlot, std::clamp(settings.xSub, 0, 3));
        p.xUnit = x.unit;
        p.xLabel = x.valueCount > 1 ? x.sensorName + u"-" + x.valueName + u"(" + x.unit + u")"
                                    : x.sensorName + u"(" + x.unit + u")";
    }
    p.resultName = std::u16string(project::SetNameText(settings));
    p.viewXOffset = g.viewXOffset;
    p.viewYOffset = g.viewYOffset;
    p.viewXScale = g.viewXScale;
    p.viewYScale = g.viewYScale;
    p.secondAxis = g.secondAxis == 1;
    if (p.secondAxis)
        p.selectedLabel = texts_.String(
            settings.analysisType == kTypeIntegral ? text::kIntegralAxis : text::kDerivativeAxis, kLabelLength);
    p.noteCount = project::NoteCountOf(g);

    for (int s = 0; s < project::kSeriesCount; ++s) {
        if (g.seriesShown[s] != 1)
            continue;
        SeriesPresentation shown{s, g.autoY, g.autoX, -1};
        if (!project::IsDataSeries(s)) {
            // A result is shown only while its set has one; a fit is drawn on its data's scale,
            // an integral or derivative on its own axis.
            const AnalysisSettings& owner = record_->settings[s - project::kSeriesCount / 2];
            if (owner.inUse != 1 || owner.resultShown != 1)
                continue;
            if (!IsRateOrDerivative(owner.analysisType) && project::IsDataSeries(owner.ySeries))
                shown.yRangeSource = owner.ySeries;
        }
        p.shown.push_back(shown);
    }
    return p;
}

GraphStack AnalysisScreenModel::Layout(ClientSize client, bool keepFraction)
{
    if (!record_)
        return {};
    return LayoutGraphs(*record_, client, keepFraction);
}

}  // namespace analysis
