#include "logger/analysis/DataGrid.h"

#include <algorithm>
#include <cmath>

#include "logger/analysis/core/AnalysisTexts.h"
#include "platform/Text.h"
#include "uikit/chart/CNIXYChart.h"

namespace analysis {

namespace {


bool IsShown(const GraphPresentation& graph, int series)
{
    return std::any_of(graph.shown.begin(), graph.shown.end(),
                       [series](const SeriesPresentation& s) { return s.series == series; });
}

const uikit::ChartSeries* Readable(const uikit::CNIXYChart& chart, int series)
{
    const uikit::ChartSeries* s = chart.Series(series);
    return s && s->HasBuffers() ? s : nullptr;
}

int ReadableCount(const uikit::ChartSeries& s) { return std::clamp(s.used, 0, s.capacity); }

class GridColumns {
public:
    explicit GridColumns(uikit::TableInfo& info) : info_(info) {}

    bool Full() const { return info_.columnCount >= uikit::kTableMaxColumns; }
    void Add(std::u16string_view header, const float* data, int rows, int format, bool rowNumbers = false)
    {
        if (Full())
            return;
        const int c = info_.columnCount++;
        platform::CopyToField(info_.columnHeaders[c], header);
        info_.columnData[c] = data;
        info_.rowNumberColumn[c] = rowNumbers;
        info_.columnRowCounts[c] = rows;
        info_.columnFormats[c] = format;
    }
    // A series' own times: even while the graph draws it against another series, the grid
    // lists when each value was taken.
    void AddTimes(const uikit::ChartSeries& s, std::u16string_view timeLabel, int format)
    {
        Add(timeLabel, s.times.get(), ReadableCount(s), format);
    }

private:
    uikit::TableInfo& info_;
};

// The series whose points the sample and time columns count: the data set's selected channel
// while it has points, else the first recorded series the graph shows.
const uikit::ChartSeries* CountingSeries(const project::DataSetRecord& record, const GraphPresentation& graph,
                                        const uikit::CNIXYChart& chart)
{
    if (project::IsChannelIndex(record.selectedChannel)) {
        if (const uikit::ChartSeries* s = Readable(chart, record.selectedChannel); s && s->used > 0)
            return s;
    }
    for (int series = 0; series < project::kSeriesCount / 2; ++series) {
        if (IsShown(graph, series)) {
            if (const uikit::ChartSeries* s = Readable(chart, series))
                return s;
        }
    }
    return nullptr;
}

std::u16string SeriesHeader(const project::DataSetRecord& record, const uikit::ChartSeries& s, int channel, int output,
                            const ChannelUnitSource& units)
{
    const std::u16string_view name = platform::FieldView(s.name);
    if (!name.empty())
        return std::u16string(name);
    const ChannelUnit unit = units.Unit(record, channel, output);
    return unit.sensorName + u"(" + unit.unit + u")";
}

constexpr int kShortestFormat = -1;
constexpr int kMaxTimeDecimals = 6;

}  // namespace

int TimeColumnFormat(const project::DataSetRecord& record, int channel)
{
    if (record.mode == project::kRunManual)
        return 0;
    if (record.mode != project::kRunTimed)
        return kShortestFormat;
    int32_t period = record.period;
    if (record.perChannelRates == 1)
        period = project::IsChannelIndex(channel) ? record.channelPeriod[channel] : 0;
    if (period <= 0)
        return kShortestFormat;
    const double seconds = double(period) * 1e-6;
    return std::clamp(int(std::ceil(-std::log10(seconds) - 1e-9)), 0, kMaxTimeDecimals);
}

uikit::TableInfo BuildDataGrid(const project::DataSetRecord& record, const GraphPresentation& graph,
                               const uikit::CNIXYChart& chart, const TextSource& texts,
                               const ChannelUnitSource& units)
{
    const std::u16string_view timeLabel = platform::FieldView(record.graphs[std::clamp(graph.graph, 0, 3)].xLabel);
    uikit::TableInfo info;
    GridColumns columns(info);
    const uikit::ChartSeries* counting = CountingSeries(record, graph, chart);
    columns.Add(texts.String(text::kSampleAxis, uikit::kTableHeaderLength), nullptr,
                counting ? ReadableCount(*counting) : 0, kGridCountFormat, true);
    const bool ownRates = record.perChannelRates == 1;
    if (!ownRates && counting)
        columns.AddTimes(*counting, timeLabel, TimeColumnFormat(record, record.selectedChannel));
    for (int channel = 0; channel < project::kChannelCount; ++channel) {
        for (int output = 0; output < project::kChannelCount; ++output) {
            const int series = channel + project::kChannelCount * output;
            const uikit::ChartSeries* s = IsShown(graph, series) ? Readable(chart, series) : nullptr;
            if (!s)
                continue;
            if (ownRates && output == 0)
                columns.AddTimes(*s, timeLabel, TimeColumnFormat(record, channel));
            columns.Add(SeriesHeader(record, *s, channel, output, units), s->values.get(), ReadableCount(*s),
                        units.Unit(record, channel, output).decimals);
        }
    }
    return info;
}

uikit::TableInfo BuildEventGrid(const project::DataSetRecord& record, const GraphPresentation& graph,
                                const uikit::CNIXYChart& chart, const TextSource& texts,
                                const ChannelUnitSource& units, std::array<GateEvents, project::kChannelCount>& events)
{
    uikit::TableInfo info;
    GridColumns columns(info);
    int firstShown = -1;
    for (int channel = 0; channel < project::kChannelCount; ++channel) {
        events[size_t(channel)] = {};
        const uikit::ChartSeries* s = IsShown(graph, channel) ? Readable(chart, channel) : nullptr;
        if (!s)
            continue;
        events[size_t(channel)] = FindGateEvents(s->values.get(), s->times.get(), ReadableCount(*s));
        if (firstShown < 0)
            firstShown = channel;
    }
    // The event numbers count the selected channel's events while it is shown.
    int counted = firstShown;
    if (project::IsChannelIndex(record.selectedChannel) && IsShown(graph, record.selectedChannel))
        counted = record.selectedChannel;
    columns.Add(texts.String(text::kSampleAxis, uikit::kTableHeaderLength), nullptr,
                counted >= 0 ? events[size_t(counted)].Count() : 0, kGridCountFormat, true);
    for (int channel = 0; channel < project::kChannelCount; ++channel) {
        const uikit::ChartSeries* s = IsShown(graph, channel) ? Readable(chart, channel) : nullptr;
        if (!s)
            continue;
        const GateEvents& found = events[size_t(channel)];
        columns.Add(SeriesHeader(record, *s, channel, 0, units), found.gaps.data(), found.Count(), kEventDecimals);
    }
    return info;
}

}  // namespace analysis
