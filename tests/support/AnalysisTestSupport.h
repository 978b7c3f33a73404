#pragma once

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "logger/analysis/core/AnalysisEngine.h"
#include "logger/analysis/core/AnalysisScreenModel.h"
#include "platform/CLocale.h"
#include "platform/Text.h"

namespace analysistest {

// The chart's 32 series as plain arrays of exactly their capacity, so that the sanitizer build
// catches any access past them.
struct FakeSeries {
    std::unique_ptr<float[]> values;
    std::unique_ptr<float[]> times;
    int capacity = 0;
    int used = 0;
    bool hasData = false;
    int group = 0;
    int link = -1;
    int first = 0;
    int last = 0;
    uint32_t colour = 0;
};

class FakeSeriesTable : public analysis::SeriesTable {
public:
    FakeSeries series[32];
    float xFactor = 1.0f;
    int setDataCalls = 0;

    void Allocate(int index, int capacity)
    {
        FakeSeries& s = series[index];
        s.values = std::make_unique<float[]>(size_t(capacity));
        s.times = std::make_unique<float[]>(size_t(capacity));
        s.capacity = capacity;
        s.used = 0;
    }
    // A recorded series of `count` points: x = step * k, y = f(x).
    template <typename F>
    void Fill(int index, int count, double step, F f)
    {
        Allocate(index, count);
        for (int k = 0; k < count; ++k) {
            series[index].times[k] = float(step * k);
            series[index].values[k] = float(f(double(series[index].times[k])));
        }
        series[index].used = count;
        series[index].hasData = true;
    }
    std::vector<float> Values(int index) const
    {
        const FakeSeries& s = series[index];
        return std::vector<float>(s.values.get(), s.values.get() + s.capacity);
    }

    analysis::SeriesView View(int index) const override
    {
        if (index < 0 || index >= 32 || !series[index].values)
            return {};
        const FakeSeries& s = series[index];
        return {s.capacity, s.used, s.values.get(), s.times.get(), s.hasData};
    }
    void BindResult(int index, int source, int count, int group, int link) override
    {
        ++setDataCalls;
        FakeSeries& s = series[index];
        const int copied = std::clamp(std::min(count, series[source].capacity), 0, s.capacity);
        std::memcpy(s.times.get(), series[source].times.get(), size_t(copied) * sizeof(float));
        s.used = copied;
        s.hasData = true;
        s.group = group;
        s.link = link;
    }
    void SetGroupLink(int index, int group, int link) override
    {
        series[index].group = group;
        series[index].link = link;
    }
    bool EnsureBuffers(int index, int capacity, uint32_t colour) override
    {
        if (index < 0 || index >= 32)
            return false;
        if (series[index].capacity != capacity || !series[index].values)
            Allocate(index, capacity);
        series[index].colour = colour;
        return true;
    }
    void SetSelection(int index, int first, int last) override
    {
        series[index].first = first;
        series[index].last = last;
    }
    std::string FormatTickLabel(int, double value) const override
    {
        return platform::FormatFixed(value * xFactor, 3);
    }
};

// Texts "[id]" cut like a buffer of maxChars units.
class FakeTexts : public analysis::TextSource {
public:
    std::u16string String(int id, int maxChars) const override
    {
        std::u16string text = u"[" + platform::AsciiToUtf16(platform::FormatInt(id)) + u"]";
        if (maxChars < 2)
            return {};
        return text.substr(0, size_t(maxChars - 1));
    }
    static std::u16string Of(int id) { return u"[" + platform::AsciiToUtf16(platform::FormatInt(id)) + u"]"; }
};

struct Message {
    int kind;
    std::u16string first;
    std::u16string second;
};

class FakeMessages : public analysis::MessageSink {
public:
    std::vector<Message> shown;
    void ShowMessage(int kind, std::u16string_view first, std::u16string_view second) override
    {
        shown.push_back({kind, std::u16string(first), std::u16string(second)});
    }
};

class FakeUnits : public analysis::ChannelUnitSource {
public:
    analysis::ChannelUnit Unit(const project::DataSetRecord&, int channel, int) const override
    {
        analysis::ChannelUnit unit;
        unit.decimals = 3;
        unit.minimum = -10.0f;
        unit.maximum = 10.0f + float(channel);
        unit.unit = u"V";
        unit.sensorName = u"Sensor";
        unit.valueName = u"Value";
        return unit;
    }
};

inline std::string Utf8(std::u16string_view text) { return platform::Utf16ToUtf8(text); }

// A record whose graph 0, set 0 analyses series 0 into series 16, time on X.
inline std::unique_ptr<project::DataSetRecord> RecordWithSet(int capacity)
{
    auto record = std::make_unique<project::DataSetRecord>();
    std::memset(record.get(), 0, sizeof *record);
    project::ResetAnalysisArea(*record);
    record->channelRecorded[0] = 1;
    record->targetCount[0] = capacity;
    record->dataSetSerial = 0x12300001;
    record->selector.seenSerial = 0x12300001;
    record->selector.setCount = 1;
    project::AnalysisSettings& s = record->settings[0];
    s.inUse = 1;
    s.ySlot = 0;
    s.ySeries = 0;
    s.xSlot = -1;
    s.xSeries = -1;
    s.resultSeries = 16;
    s.resultCapacity = capacity;
    s.colour = 0x0000FF;
    record->graphs[0].inUse = 1;
    record->graphs[0].seriesShown[0] = 1;
    record->graphs[0].seriesShown[16] = 1;
    return record;
}

}  // namespace analysistest
