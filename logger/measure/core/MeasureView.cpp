// The measurement chart's contents and the texts drawn beside it: series set-up, the stored
// samples of the current set, the value texts and the run clock.
#include <algorithm>
#include <cmath>

#include "devicelink/catalogue/SensorValueFormat.h"
#include "logger/measure/core/ChannelInfo.h"
#include "logger/measure/core/MeasureController.h"
#include "logger/measure/core/MeasureTexts.h"
#include "logger/project/ExperimentRecords.h"
#include "platform/Text.h"

namespace measure {

namespace {

constexpr int kDataSeries = project::kChannelCount * kMaxSubValues;
constexpr float kMaxZoomPad = 3.0f;
constexpr float kZoomStep = 0.05f;
constexpr float kDataMargin = 8.0f;
constexpr float kGateMargin = 1.0f;
constexpr float kGateAxisTop = 100.0f;
constexpr int kGateDecimals = 6;
constexpr int kGeneralDecimals = 2;
constexpr float kUnknownSensorSpan = 30.0f;

int DecimalsOf(int32_t significantDigits)
{
    return significantDigits >= 0 && significantDigits <= 6 ? significantDigits : kGeneralDecimals;
}

int ViewGraphOf(const project::DataSetRecord& record)
{
    return record.viewGraph >= 0 && record.viewGraph < project::kGraphCount ? record.viewGraph : 0;
}

std::u16string Concat(std::initializer_list<std::u16string_view> parts)
{
    std::u16string text;
    for (std::u16string_view part : parts)
        text += part;
    return text;
}

}  // namespace

void MeasureController::SetupChart(bool fromLiveStates)
{
    const project::DataSetRecord* record = CurrentRun();
    if (!record)
        return;
    const int32_t mode = ModeOf(*record);
    const std::u16string xTitle =
        host_.Text(mode != project::kRunTimed || record->specialSensor == 1 ? text::kSampleAxis : text::kTimeAxis);
    chart_.SetAutoScalePad(record->viewGraphs[ViewGraphOf(*record)].autoScalePad);
    for (int s = 0; s < kDataSeries; ++s) {
        chart_.SetSeriesState(s, 0);
        chart_.ShowSeries(s, false);
    }
    chart_.ResetView();
    const float length = float(std::max(record->length, 1));
    for (int c = 0; c < project::kChannelCount; ++c) {
        const bool fromCopy = !fromLiveStates && record->channelRecorded[c] == 1;
        if (!fromCopy && !sensor_.IsConnected(c))
            continue;
        const devicelink::ChannelState state = fromCopy ? ToDeviceState(record->channels[c]) : sensor_.LiveState(c);
        const devicelink::SensorAccessRecord* access = sensor_.FindRecord(state);
        if (!access) {
            if (chart_.AllocSeries(c, project::kMaxSampleEntries, SeriesColour(c))) {
                chart_.SetYAxis(c, -1.0f, 1.0f, u"");
                chart_.SetXAxis(c, 0.0f, kUnknownSensorSpan, u"");
                chart_.SetSeriesName(c, xTitle, ChannelName(state));
            }
            continue;
        }
        const int32_t subValues = SubValueCount(state, access);
        const int32_t capacity = std::clamp(record->targetCount[c], 1, project::kMaxSampleEntries);
        const bool gate = record->channelSpecial[c] == 1;
        for (int k = 0; k < subValues; ++k) {
            const int s = c + kSeriesPerSubValue * k;
            if (!chart_.AllocSeries(s, capacity, SeriesColour(s)))
                continue;
            const int32_t unitEntry = UnitEntryOf(*access, state, k);
            const devicelink::SensorUnitEntry& unit = access->units[unitEntry];
            const std::u16string_view unitText = UnitText(*access, unitEntry);
            std::u16string name;
            if (gate) {
                chart_.SetSeriesDecimals(s, kGateDecimals);
                chart_.SetYAxis(s, unit.rangeMin, kGateAxisTop, xTitle);
                chart_.SetSeriesMargin(s, unit.rangeMin, kGateAxisTop, kGateMargin);
                name = Concat({ChannelName(state), u"(", host_.Text(text::kMillisecondUnit), u")"});
            } else {
                chart_.SetSeriesDecimals(s, DecimalsOf(unit.significantDigits));
                chart_.SetYAxis(s, unit.rangeMin, unit.rangeMax, unitText);
                chart_.SetSeriesMargin(s, unit.rangeMin, unit.rangeMax, kDataMargin);
                name = subValues > 1 ? Concat({ChannelName(state), u"-", OutputName(*access, k), u"(", unitText, u")"})
                                     : Concat({ChannelName(state), u"(", unitText, u")"});
            }
            chart_.SetXAxis(s, 0.0f, length, u"");
            chart_.SetAutoScale(s, record->fixedScale == 0);
            chart_.SetSeriesName(s, xTitle, name);
        }
    }
    chart_.SetMarkerSpacing(record->markerSpacing, record->markerSpacing >= 1);
}

void MeasureController::RefreshRunView(bool rebuildChart)
{
    if (!IsIdle())
        return;
    const project::DataSetRecord* record = CurrentRun();
    if (!record) {
        chart_.Redraw();
        host_.Invalidate();
        return;
    }
    if (rebuildChart)
        SetupChart(false);
    for (int c = 0; c < project::kChannelCount; ++c) {
        valueText_[c].clear();
        if (record->channelRecorded[c] != 1)
            continue;
        const devicelink::ChannelState state = ToDeviceState(record->channels[c]);
        const devicelink::SensorAccessRecord* access = sensor_.FindRecord(state);
        const int32_t n = ValuesPerSample(access);
        const int32_t subValues = SubValueCount(state, access);
        const int32_t samples = project::StoredEntryCount(*record, c) / n;
        // The stored run converts from its start, as it did when it was recorded.
        sensor_.ResetConversion(c);
        for (int k = 0; k < subValues; ++k)
            chart_.SetSeriesData(c + kSeriesPerSubValue * k, 0, nullptr, nullptr);
        IntakeChannel newest;
        intake_.ConvertIntoSeries(c, state, subValues, n, samples_.rawValues[c], samples_.rawTimes[c], samples,
                                  samples_.rawTimes[c][0], 0, &newest);
        if (newest.haveNewest)
            UpdateValueText(c, state, newest.newestValues);
        for (int k = 0; k < subValues; ++k)
            chart_.ShowSeries(c + kSeriesPerSubValue * k, rebuildChart || channelOn_[c]);
    }
    const int32_t selected = record->selectedChannel;
    chart_.SetCurrentSeries(selected >= 0 && selected < project::kChannelCount ? selected : 0);
    chart_.Redraw();
    host_.Invalidate();
}

void MeasureController::OnZoomKey(bool up)
{
    project::DataSetRecord* record = CurrentRun();
    if (!IsIdle() || !record)
        return;
    float& pad = record->viewGraphs[ViewGraphOf(*record)].autoScalePad;
    if (!std::isfinite(pad))
        pad = kZoomStep;
    if (up && pad < kMaxZoomPad)
        pad += kZoomStep;
    else if (!up && pad > kZoomStep)
        pad -= kZoomStep;
    chart_.SetAutoScalePad(pad);
    chart_.Redraw();
    host_.Invalidate();
}

void MeasureController::OnChartClick(int x)
{
    const project::DataSetRecord* record = CurrentRun();
    if (!IsIdle() || !record)
        return;
    chart_.SetCursor(true, x);
    chart_.Redraw();
    for (int c = 0; c < project::kChannelCount; ++c) {
        valueText_[c].clear();
        const int index = chart_.CursorIndex(c);
        if (record->channelRecorded[c] != 1 || index < 0)
            continue;
        // The shown set's own samples, which may have come from a file: never past its count.
        const devicelink::ChannelState state = ToDeviceState(record->channels[c]);
        const devicelink::SensorAccessRecord* access = sensor_.FindRecord(state);
        const int32_t n = ValuesPerSample(access);
        const int64_t entry = int64_t(index) * n;
        if (entry + n > project::StoredEntryCount(*record, c))
            continue;
        float values[kMaxSubValues] = {};
        float times[kMaxSubValues] = {};
        int32_t produced = 0;
        sensor_.Convert(c, state, 1, reinterpret_cast<const int32_t*>(samples_.rawValues[c]) + entry,
                        samples_.rawTimes[c] + entry, values, times, samples_.rawTimes[c][0], &produced);
        if (produced <= 0)
            continue;
        const int32_t subValues = SubValueCount(state, access);
        if (produced < subValues)
            std::fill(values + 1, values + kMaxSubValues, values[0]);
        UpdateValueText(c, state, values);
    }
    host_.Invalidate();
}

void MeasureController::UpdateValueText(int c, const devicelink::ChannelState& state, const float* values)
{
    const devicelink::SensorAccessRecord* access = sensor_.FindRecord(state);
    const int32_t subValues = SubValueCount(state, access);
    std::u16string text;
    for (int k = 0; k < subValues; ++k) {
        const int32_t unitEntry = access ? UnitEntryOf(*access, state, k) : -1;
        std::string number;
        devicelink::FormatSensorValue(values[k], number, access, access ? unitEntry : -1);
        const std::u16string_view unit = access ? UnitText(*access, unitEntry) : std::u16string_view();
        if (k > 0)
            text += u"\r\n";
        text += platform::Utf8ToUtf16(number);
        text += subValues > 1 ? Concat({u" - ", access ? OutputName(*access, k) : u"", u"(", unit, u")"})
                              : Concat({u" - (", unit, u")"});
    }
    valueText_[c] = std::move(text);
}

void MeasureController::RefreshValueTexts()
{
    for (int c = 0; c < project::kChannelCount; ++c) {
        const IntakeChannel& ch = intake_.Channel(c);
        if (ch.recorded && ch.haveNewest)
            UpdateValueText(c, ch.state, ch.newestValues);
    }
}

void MeasureController::ClearValueTexts()
{
    for (std::u16string& text : valueText_)
        text.clear();
}

std::u16string MeasureController::ChannelCaption(int c) const
{
    if (c < 0 || c >= project::kChannelCount)
        return {};
    std::u16string caption(1, char16_t(u'A' + c));
    const project::DataSetRecord* record = project::RecordAt(block_, block_.currentIndex);
    if (record && sensor_.IsConnected(c) && IsRecordableKind(sensor_.LiveState(c).conversionKind)) {
        const int32_t output = std::clamp(ToDeviceState(record->channels[c]).selectedOutput, 0, kMaxSubValues - 1);
        caption += char16_t(u'1' + output);
    }
    return caption;
}

bool MeasureController::PanelShown(int c) const
{
    const project::DataSetRecord* record = project::RecordAt(block_, block_.currentIndex);
    return record && c >= 0 && c < project::kChannelCount && record->channelRecorded[c] == 1 &&
           sensor_.IsConnected(c);
}

const std::u16string& MeasureController::ValueText(int c) const
{
    static const std::u16string kEmpty;
    return c >= 0 && c < project::kChannelCount ? valueText_[c] : kEmpty;
}

std::u16string MeasureController::ClockText() const
{
    const project::DataSetRecord* current = project::RecordAt(block_, block_.currentIndex);
    const int32_t seconds = current ? std::max(current->elapsedMs, 0) / 1000 : 0;
    const int hours = std::min(seconds / 3600, 99);
    const int minutes = seconds / 60 % 60;
    const int secs = seconds % 60;
    const char16_t text[] = {char16_t(u'0' + hours / 10), char16_t(u'0' + hours % 10), u':',
                             char16_t(u'0' + minutes / 10), char16_t(u'0' + minutes % 10), u':',
                             char16_t(u'0' + secs / 10), char16_t(u'0' + secs % 10)};
    return std::u16string(text, std::size(text));
}

}  // namespace measure
