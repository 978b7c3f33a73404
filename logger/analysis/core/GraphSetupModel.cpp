#include "logger/analysis/core/GraphSetupModel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "devicelink/sensor/ChannelState.h"
#include "logger/analysis/core/AnalysisTexts.h"
#include "platform/Text.h"

namespace analysis {

namespace {

constexpr int kOutputGroups = 4;
constexpr int kDataSeries = project::kSeriesCount / 2;
constexpr int kLabelLength = 32;

devicelink::ChannelState StateOf(const project::DataSetRecord& record, int channel)
{
    return project::ToDeviceState(record.channels[channel]);
}

bool Finite(float value) { return std::isfinite(value); }

// A stored view fraction from a damaged file is taken as the full view.
float ViewOr(float value, float fallback) { return Finite(value) ? value : fallback; }

std::u16string ChannelLetter(int channel) { return std::u16string(1, char16_t(u'A' + channel)); }

}  // namespace

GraphSetupModel::GraphSetupModel(project::DataSetRecord& record, const ChannelUnitSource& units,
                                 const SeriesAxisSource& axes, const TextSource& texts)
    : record_(record), units_(units), axes_(axes), texts_(texts)
{
}

project::AnalysisSettings& GraphSetupModel::Settings() const
{
    return *project::SettingsAt(record_, project::CurrentGraphOf(record_), project::CurrentSetOf(record_.selector));
}

project::AnalysisGraphRecord& GraphSetupModel::Graph() const
{
    return *project::AnalysisGraphAt(record_, project::CurrentGraphOf(record_));
}

// Positions in the channel combos count the recorded channels only. A stored channel that was not
// recorded (or -1) is taken as the first one.
int GraphSetupModel::ChannelAt(int position) const
{
    if (recorded_.empty())
        return -1;
    return recorded_[size_t(std::clamp(position, 0, int(recorded_.size()) - 1))];
}

int GraphSetupModel::PositionOf(int channel) const
{
    const auto found = std::find(recorded_.begin(), recorded_.end(), channel);
    return found == recorded_.end() ? 0 : int(found - recorded_.begin());
}

int GraphSetupModel::SelectedOutputOf(int channel) const
{
    if (!project::IsChannelIndex(channel))
        return 0;
    return std::clamp(StateOf(record_, channel).selectedOutput, 0, kOutputGroups - 1);
}

std::vector<std::u16string> GraphSetupModel::OutputNames(int channel) const
{
    std::vector<std::u16string> names;
    if (!project::IsChannelIndex(channel))
        return names;
    const devicelink::ChannelState state = StateOf(record_, channel);
    const int count = std::clamp(state.outputCount, 0, kOutputGroups);
    bool named = false;
    for (int k = 0; k < count; ++k) {
        names.emplace_back(platform::FieldView(state.outputNames[k]));
        named = named || !names.back().empty();
    }
    if (!named)
        names.clear();
    return names;
}

// A sensor without output names has one output: the disabled combo shows its unit's name.
ComboContent GraphSetupModel::OutputCombo(int channel, int selected) const
{
    ComboContent combo;
    combo.items = OutputNames(channel);
    combo.enabled = !combo.items.empty();
    if (combo.enabled) {
        combo.selected = std::clamp(selected, 0, int(combo.items.size()) - 1);
    } else if (project::IsChannelIndex(channel)) {
        const ChannelUnit unit = units_.Unit(record_, channel, 0);
        combo.items.push_back(unit.valueName.empty() ? unit.unit : unit.valueName);
        combo.selected = 0;
    }
    return combo;
}

void GraphSetupModel::Open()
{
    recorded_.clear();
    for (int c = 0; c < project::kChannelCount; ++c) {
        if (record_.channelRecorded[c] == 1)
            recorded_.push_back(c);
    }
    const project::AnalysisSettings& settings = Settings();
    const project::AnalysisGraphRecord& graph = Graph();
    page_ = 0;
    graphChoice_ = project::GraphCountOf(record_) - 1;
    source_ = graph.xFromSeries == 1 ? XSource::Series : XSource::Time;
    setName_ = std::u16string(project::SetNameText(settings));
    yMode_ = graph.autoY != 1 ? RangeMode::Manual : RangeMode::Automatic;
    xMode_ = graph.autoX != 1 ? RangeMode::Manual : RangeMode::Automatic;
    markerSpacing_ = std::max(graph.markerSpacing, 0);
    xChannelPosition_ = project::IsChannelIndex(settings.xSlot) ? PositionOf(settings.xSlot) : 0;
    xOutput_ = std::clamp(settings.xSub, 0, kOutputGroups - 1);
    yChannelPosition_ = PositionOf(settings.ySlot);
    yOutput_ = ChannelAt(yChannelPosition_) == settings.ySlot ? std::clamp(settings.ySub, 0, kOutputGroups - 1)
                                                              : SelectedOutputOf(ChannelAt(yChannelPosition_));
    xRange_ = {graph.xFactor, graph.xFactor * graph.xMin, graph.xFactor * graph.xMax};
    xLabel_ = std::u16string(platform::FieldView(graph.xLabel));
    scaleA_ = graph.xScaleA;
    offsetB_ = graph.xOffsetB;

    // The set's own series first, then the others the graph shows, four at most: the list has
    // room for no more.
    entries_.clear();
    selected_ = -1;
    const bool ownListed = project::IsChannelIndex(settings.ySlot) && settings.ySub >= 0 &&
                           settings.ySub < kOutputGroups && record_.channelRecorded[settings.ySlot] == 1 &&
                           graph.seriesShown[settings.ySlot + project::kChannelCount * settings.ySub] == 1;
    if (ownListed) {
        entries_.push_back({settings.ySlot, settings.ySub});
        selected_ = 0;
    }
    for (int s = 0; s < kDataSeries && int(entries_.size()) < kMaxEntries; ++s) {
        const PlottedEntry entry{s % project::kChannelCount, s / project::kChannelCount};
        if (graph.seriesShown[s] != 1 || record_.channelRecorded[entry.channel] != 1)
            continue;
        if (std::find(entries_.begin(), entries_.end(), entry) == entries_.end())
            entries_.push_back(entry);
    }

    showEquation_ = settings.showEquation == 1;
    showR2_ = settings.showR2 == 1;
    extraOption_ = settings.extraOption == 1;
    RefreshXSource();
    if (selected_ >= 0)
        LoadEntryRange();
    else
        AutomaticYRange();
}

void GraphSetupModel::ShowPage(int page) { page_ = std::clamp(page, 0, kPageCount - 1); }

void GraphSetupModel::ChooseGraphCount(int choice) { graphChoice_ = std::clamp(choice, 0, project::kGraphCount - 1); }

ComboContent GraphSetupModel::YChannels() const
{
    ComboContent combo;
    for (const int c : recorded_)
        combo.items.push_back(ChannelLetter(c) + u" : " + std::u16string(platform::FieldView(StateOf(record_, c).name)));
    combo.selected = combo.items.empty() ? -1 : std::clamp(yChannelPosition_, 0, int(combo.items.size()) - 1);
    combo.enabled = !combo.items.empty();
    return combo;
}

void GraphSetupModel::ChooseYChannel(int position)
{
    if (recorded_.empty() || position < 0 || position >= int(recorded_.size()) || position == yChannelPosition_)
        return;
    yChannelPosition_ = position;
    yOutput_ = SelectedOutputOf(ChannelAt(position));
    RefreshXSource();
}

ComboContent GraphSetupModel::YOutputs() const { return OutputCombo(ChannelAt(yChannelPosition_), yOutput_); }

void GraphSetupModel::ChooseYOutput(int index)
{
    if (index >= 0 && index < int(OutputNames(ChannelAt(yChannelPosition_)).size()))
        yOutput_ = index;
}

void GraphSetupModel::ChooseYMode(RangeMode mode)
{
    yMode_ = mode;
    if (mode == RangeMode::Automatic)
        AutomaticYRange();
}

// What the graph's view shows of the unit's range.
void GraphSetupModel::AutomaticYRange()
{
    const int channel = ChannelAt(yChannelPosition_);
    const ChannelUnit unit = units_.Unit(record_, std::max(channel, 0), YOutputs().enabled ? yOutput_ : 0);
    const project::AnalysisGraphRecord& graph = Graph();
    const float offset = ViewOr(graph.viewYOffset, 0.0f);
    const float scale = ViewOr(graph.viewYScale, 1.0f);
    const float d = unit.maximum - unit.minimum;
    unitMinimum_ = unit.minimum;
    unitMaximum_ = unit.maximum;
    yRange_ = {1.0f, unit.minimum + d * (1.0f - (scale + offset)), unit.maximum - offset * d};
}

std::vector<std::u16string> GraphSetupModel::EntryItems() const
{
    std::vector<std::u16string> items;
    for (const PlottedEntry& entry : entries_) {
        std::u16string name = axes_.SeriesName(entry.Series());
        if (name.empty())
            name = units_.Unit(record_, entry.channel, entry.output).sensorName;
        items.push_back(ChannelLetter(entry.channel) + u": " + name);
    }
    return items;
}

void GraphSetupModel::SelectEntry(int index)
{
    if (index < 0 || index >= int(entries_.size()))
        return;
    selected_ = index;
    LoadEntryRange();
}

void GraphSetupModel::LoadEntryRange()
{
    const PlottedEntry& entry = entries_[size_t(selected_)];
    const int series = entry.Series();
    const ChannelUnit unit = units_.Unit(record_, entry.channel, entry.output);
    const project::AnalysisGraphRecord& graph = Graph();
    unitMinimum_ = unit.minimum;
    unitMaximum_ = unit.maximum;
    if (graph.manualRange[series] == 1) {
        yMode_ = RangeMode::Manual;
        yRange_ = {1.0f, graph.manualYMin[series], graph.manualYMax[series]};
    } else {
        yMode_ = RangeMode::Automatic;
        yRange_ = {1.0f, unit.minimum, unit.maximum};
    }
}

bool GraphSetupModel::Add()
{
    const int channel = ChannelAt(yChannelPosition_);
    if (channel < 0 || int(entries_.size()) >= kMaxEntries)
        return false;
    const PlottedEntry entry{channel, YOutputs().enabled ? yOutput_ : 0};
    if (std::find(entries_.begin(), entries_.end(), entry) != entries_.end())
        return false;
    entries_.push_back(entry);
    return true;
}

bool GraphSetupModel::Remove()
{
    if (entries_.size() <= 1 || selected_ < 0 || selected_ >= int(entries_.size()))
        return false;
    entries_.erase(entries_.begin() + selected_);
    selected_ = 0;
    LoadEntryRange();
    return true;
}

void GraphSetupModel::ChooseXSource(XSource source)
{
    source_ = source;
    RefreshXSource();
}

ComboContent GraphSetupModel::XChannels() const
{
    if (source_ == XSource::Time)
        return {{texts_.String(text::kTimeAxis, kLabelLength)}, 0, false};
    ComboContent combo = YChannels();
    combo.selected = combo.items.empty() ? -1 : std::clamp(xChannelPosition_, 0, int(combo.items.size()) - 1);
    return combo;
}

void GraphSetupModel::ChooseXChannel(int position)
{
    if (source_ != XSource::Series || recorded_.empty() || position < 0 || position >= int(recorded_.size()))
        return;
    if (position != xChannelPosition_)
        xOutput_ = SelectedOutputOf(ChannelAt(position));
    xChannelPosition_ = position;
    RefreshXSource();
}

ComboContent GraphSetupModel::XOutputs() const
{
    if (source_ == XSource::Time)
        return {{texts_.String(text::kNone, kLabelLength)}, 0, false};
    return OutputCombo(ChannelAt(xChannelPosition_), xOutput_);
}

void GraphSetupModel::ChooseXOutput(int index)
{
    if (source_ != XSource::Series || index < 0 || index >= int(OutputNames(ChannelAt(xChannelPosition_)).size()))
        return;
    xOutput_ = index;
    AutomaticXRange();
}

void GraphSetupModel::ChooseXMode(RangeMode mode)
{
    xMode_ = mode;
    if (mode == RangeMode::Automatic)
        AutomaticXRange();
}

void GraphSetupModel::RefreshXSource()
{
    if (source_ == XSource::Series) {
        const int channel = ChannelAt(xChannelPosition_);
        if (channel >= 0) {
            const int output = OutputNames(channel).empty() ? 0 : xOutput_;
            xRange_ = axes_.ValueAxis(channel + project::kChannelCount * output);
        }
        return;
    }
    // A time axis shows the time of the Y channel, proposed as a fixed range; the graph stops
    // scaling X by itself at once, whether or not the dialog ends with OK.
    const int yChannel = ChannelAt(yChannelPosition_);
    xRange_ = axes_.TimeAxis(std::max(yChannel, 0));
    Graph().autoX = 0;
    xMode_ = RangeMode::Manual;
}

// What the graph's view shows of its X range.
void GraphSetupModel::AutomaticXRange()
{
    const project::AnalysisGraphRecord& graph = Graph();
    const float d = graph.xMax - graph.xMin;
    const float offset = ViewOr(graph.viewXOffset, 0.0f);
    const float scale = ViewOr(graph.viewXScale, 1.0f);
    xRange_ = {1.0f, graph.xMin + d * offset, graph.xMax - d * (1.0f - (scale + offset))};
}

SetupRefusal GraphSetupModel::Check(const SetupEdits& edits) const
{
    auto number = [](const std::optional<float>& value) { return value && Finite(*value); };
    auto range = [&number](const std::optional<float>& low, const std::optional<float>& high) {
        if (!number(low) || !number(high))
            return SetupRefusal::NotANumber;
        return *low < *high ? SetupRefusal::None : SetupRefusal::InvertedRange;
    };
    if (selected_ < 0 || selected_ >= int(entries_.size()))
        return SetupRefusal::None;
    if (yMode_ == RangeMode::Manual) {
        if (const SetupRefusal r = range(edits.yMinimum, edits.yMaximum); r != SetupRefusal::None)
            return r;
    }
    if (xMode_ == RangeMode::Manual) {
        if (const SetupRefusal r = range(edits.xMinimum, edits.xMaximum); r != SetupRefusal::None)
            return r;
    }
    if (source_ == XSource::Time) {
        if (!number(edits.scaleA) || !number(edits.offsetB))
            return SetupRefusal::NotANumber;
        // x' = a x t + b with a of 0 or below would flatten or turn the axis round.
        if (*edits.scaleA <= 0.0f)
            return SetupRefusal::InvertedRange;
    }
    if (!edits.markerSpacing || *edits.markerSpacing < 0)
        return SetupRefusal::NotANumber;
    return SetupRefusal::None;
}

// A manual Y range is kept as the part of the unit's range it shows. A unit without a range to
// take parts of (a sensor no longer in the catalogue) keeps the graph scaling by itself.
void GraphSetupModel::WriteYRange(const SetupEdits& edits, const PlottedEntry& entry)
{
    project::AnalysisGraphRecord& graph = Graph();
    const float d = unitMaximum_ - unitMinimum_;
    if (yMode_ == RangeMode::Manual && Finite(d) && d > 0.0f) {
        const float low = *edits.yMinimum;
        const float high = *edits.yMaximum;
        const float offset = (unitMaximum_ - high) / d;
        const float scale = (high - low) / d;
        if (Finite(offset) && Finite(scale) && scale > 0.0f) {
            graph.autoY = 0;
            graph.viewYOffset = offset;
            graph.viewYScale = scale;
            graph.manualRange[entry.Series()] = 1;
            graph.manualYMin[entry.Series()] = low;
            graph.manualYMax[entry.Series()] = high;
            return;
        }
    }
    graph.autoY = 1;
    graph.viewYOffset = 0.0f;
    graph.viewYScale = 1.0f;
}

void GraphSetupModel::WriteXRange(const SetupEdits& edits)
{
    project::AnalysisGraphRecord& graph = Graph();
    const float d = graph.xMax - graph.xMin;
    if (xMode_ == RangeMode::Manual && Finite(d) && d > 0.0f) {
        const float offset = (*edits.xMinimum - graph.xMin) / d;
        const float scale = (*edits.xMaximum - *edits.xMinimum) / d;
        if (Finite(offset) && Finite(scale) && scale > 0.0f) {
            graph.autoX = 0;
            graph.viewXOffset = offset;
            graph.viewXScale = scale;
            return;
        }
    }
    graph.autoX = 1;
    graph.viewXOffset = 0.0f;
    graph.viewXScale = 1.0f;
}

// The axis shows x' = a x t + b: its ends follow a new a and b at once, over the same times.
void GraphSetupModel::RescaleTime(float a, float b)
{
    project::AnalysisGraphRecord& graph = Graph();
    const float oldA = graph.xScaleA;
    const float oldB = graph.xOffsetB;
    if (Finite(oldA) && oldA > 0.0f && Finite(oldB) && (a != oldA || b != oldB)) {
        const float first = (graph.xMin - oldB) / oldA;
        const float last = (graph.xMax - oldB) / oldA;
        const float xMin = a * first + b;
        const float xMax = a * last + b;
        if (Finite(xMin) && Finite(xMax)) {
            graph.xMin = xMin;
            graph.xMax = xMax;
        }
    }
    graph.xScaleA = a;
    graph.xOffsetB = b;
}

SetupResult GraphSetupModel::Commit(const SetupEdits& edits)
{
    SetupResult result;
    result.refusal = Check(edits);
    if (result.refusal != SetupRefusal::None)
        return result;
    result.accepted = true;

    project::AnalysisSettings& settings = Settings();
    project::AnalysisGraphRecord& graph = Graph();
    if (project::IsDataSeries(settings.ySeries))
        graph.seriesShown[settings.ySeries] = 0;
    std::memset(settings.setName, 0, sizeof settings.setName);
    platform::CopyToField(settings.setName, edits.setName);
    if (selected_ < 0 || selected_ >= int(entries_.size()))
        return result;

    const PlottedEntry entry = entries_[size_t(selected_)];
    const int fromSeries = source_ == XSource::Series ? 1 : 0;
    bool changed = entry.channel != settings.ySlot || entry.output != settings.ySub || fromSeries != graph.xFromSeries;
    graph.xFromSeries = fromSeries;
    settings.ySlot = entry.channel;
    settings.ySub = entry.output;

    for (int s = 0; s < kDataSeries; ++s)
        graph.seriesShown[s] = 0;
    for (const PlottedEntry& e : entries_)
        graph.seriesShown[e.Series()] = 1;
    for (int s = 0; s < kDataSeries; ++s) {
        if (graph.seriesShown[s] != 1)
            graph.manualRange[s] = 0;
    }
    WriteYRange(edits, entry);
    WriteXRange(edits);

    if (source_ == XSource::Series && ChannelAt(xChannelPosition_) >= 0) {
        const int channel = ChannelAt(xChannelPosition_);
        const int output = XOutputs().enabled ? xOutput_ : 0;
        changed = changed || channel != settings.xSlot || output != settings.xSub;
        settings.xSlot = channel;
        settings.xSub = output;
    } else {
        settings.xSlot = -1;
        settings.xSub = 0;
        std::memset(graph.xLabel, 0, sizeof graph.xLabel);
        platform::CopyToField(graph.xLabel, edits.xLabel);
        RescaleTime(edits.scaleA.value_or(graph.xScaleA), edits.offsetB.value_or(graph.xOffsetB));
    }

    graph.markerSpacing = *edits.markerSpacing;
    settings.showEquation = edits.showEquation ? 1 : 0;
    settings.showR2 = edits.showR2 ? 1 : 0;
    settings.extraOption = edits.extraOption ? 1 : 0;
    const int editedGraph = project::CurrentGraphOf(record_);
    record_.graphCount = graphChoice_ + 1;
    // With fewer graphs the edited one may be gone: the tools act on the last one shown, whose
    // own set keeps its analysis.
    if (editedGraph >= record_.graphCount) {
        record_.currentGraph = record_.graphCount - 1;
        changed = false;
    }
    result.selectionChanged = changed;
    return result;
}

}  // namespace analysis
