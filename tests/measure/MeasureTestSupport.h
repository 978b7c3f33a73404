#pragma once

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "logger/measure/core/MeasureController.h"
#include "logger/measure/core/RunChart.h"
#include "logger/project/RunStore.h"
#include "platform/Text.h"
#include "WakeUpQueue.h"

namespace measuretest {

// The screen's side: messages, timers, repaints and the wake-ups the worker posts, which the
// test hands to the controller on its own thread as the UI thread would.
class QueueHost : public measure::MeasureScreenHost {
public:
    int ShowMessage(int type, int textId, int secondTextId) override
    {
        messages.push_back({type, textId, secondTextId});
        return answer;
    }
    std::u16string Text(int id) override
    {
        if (id == 2041)
            return u"Run ";
        return u"#" + platform::AsciiToUtf16(std::to_string(id));
    }
    void StartTimer(int id, int intervalMs) override { timers[id] = intervalMs; }
    void KillTimer(int id) override
    {
        timers.erase(id);
        ++kills[id];
    }
    void PostWakeUp(uint32_t generation) override { wakeUps_.Post(generation); }
    void Invalidate() override { ++invalidations; }
    void ControlsChanged() override { ++controlChanges; }
    void GoToSensorScreen() override { ++backToSensors; }

    // Waits up to `ms` for one posted wake-up.
    bool NextWakeUp(uint32_t& generation, int ms) { return wakeUps_.Next(generation, ms); }
    // Hands wake-ups to the controller until `done` or `timeoutMs` passed; true when done.
    bool PumpUntil(measure::MeasureController& controller, const std::function<bool()>& done, int timeoutMs)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            uint32_t generation = 0;
            if (NextWakeUp(generation, 10))
                controller.OnWakeUp(generation);
        }
        return true;
    }
    int PostCount() { return wakeUps_.PostCount(); }

    struct Message {
        int type, text, second;
    };
    std::vector<Message> messages;
    int answer = 1;
    std::map<int, int> timers;
    std::map<int, int> kills;
    int invalidations = 0;
    int controlChanges = 0;
    int backToSensors = 0;

private:
    WakeUpQueue wakeUps_;
};

// A chart that keeps what it is given, point for point.
class RecordingChart : public measure::RunChart {
public:
    struct Series {
        bool allocated = false;
        int capacity = 0;
        uint32_t colour = 0;
        bool shown = false;
        int state = -1;
        std::u16string xTitle, name, xUnit, yUnit;
        float yMin = 0, yMax = 0, xMax = 0;
        int decimals = 0;
        bool autoY = false;
        std::vector<float> values, times;
        int appends = 0;
    };

    void FreeAllSeries() override
    {
        ++frees;
        for (Series& s : series)
            s = Series{};
    }
    bool AllocSeries(int s, int capacity, uint32_t colour) override
    {
        Series& r = At(s);
        r.allocated = true;
        r.capacity = capacity;
        r.colour = colour;
        r.values.clear();
        r.times.clear();
        return true;
    }
    void SetSeriesState(int s, int state) override { At(s).state = state; }
    void ShowSeries(int s, bool shown) override { At(s).shown = shown; }
    void SetSeriesName(int s, std::u16string_view xTitle, std::u16string_view name) override
    {
        At(s).xTitle = std::u16string(xTitle);
        At(s).name = std::u16string(name);
    }
    void SetSeriesDecimals(int s, int decimals) override { At(s).decimals = decimals; }
    void SetXAxis(int s, float, float maximum, std::u16string_view unit) override
    {
        At(s).xMax = maximum;
        At(s).xUnit = std::u16string(unit);
    }
    void SetYAxis(int s, float minimum, float maximum, std::u16string_view unit) override
    {
        At(s).yMin = minimum;
        At(s).yMax = maximum;
        At(s).yUnit = std::u16string(unit);
    }
    void SetAutoScale(int s, bool autoY) override { At(s).autoY = autoY; }
    void SetSeriesMargin(int, float, float, float) override {}
    void SetSeriesData(int s, int count, const float* values, const float* times) override
    {
        Series& r = At(s);
        r.values.assign(values, values + std::max(count, 0));
        r.times.assign(times, times + std::max(count, 0));
    }
    void AppendSeriesData(int s, int count, const float* values, const float* times, int position) override
    {
        Series& r = At(s);
        ++r.appends;
        if (position < 0 || count <= 0)
            return;
        if (size_t(position) + size_t(count) > r.values.size()) {
            r.values.resize(size_t(position) + size_t(count));
            r.times.resize(size_t(position) + size_t(count));
        }
        std::copy(values, values + count, r.values.begin() + position);
        std::copy(times, times + count, r.times.begin() + position);
    }
    int SeriesUsed(int s) const override { return int(series.at(size_t(s)).values.size()); }
    void SetCurrentSeries(int s) override { current = s; }
    void SetAutoScalePad(float pad) override { autoScalePad = pad; }
    void SetMarkerSpacing(int spacing, bool enabled) override { markers = enabled ? spacing : 0; }
    void ResetView() override {}
    void SetCursor(bool on, int x) override { cursor = on ? x : -1; }
    int CursorIndex(int s) const override { return s >= 0 && s < 4 ? cursorIndex[s] : -1; }
    void Redraw() override { ++redraws; }

    Series& At(int s)
    {
        if (s < 0 || s >= 16) {
            ++outOfRange;
            return spare;
        }
        return series[size_t(s)];
    }

    std::vector<Series> series = std::vector<Series>(16);
    Series spare;
    int outOfRange = 0;
    int frees = 0;
    int redraws = 0;
    int current = -2;
    float autoScalePad = 0;
    int markers = 0;
    int cursor = -1;
    int cursorIndex[4] = {-1, -1, -1, -1};
};

// The working copy, as far as the controller needs it.
class CountingStore : public project::RunStore {
public:
    project::ProjectResult SaveProject() override
    {
        ++saves;
        return result;
    }
    project::ProjectResult SaveProjectKeepRecord() override
    {
        ++keeps;
        return result;
    }
    project::ProjectResult LoadProject() override
    {
        ++loads;
        return result;
    }
    int saves = 0, keeps = 0, loads = 0;
    project::ProjectResult result = project::ProjectResult::Ok;
};

inline std::vector<uint8_t> BytesOf(const project::DataSetRecord& record)
{
    const auto* p = reinterpret_cast<const uint8_t*>(&record);
    return {p, p + sizeof record};
}

}  // namespace measuretest
