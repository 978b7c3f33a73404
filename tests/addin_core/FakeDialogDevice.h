#pragma once

#include "addin/dialogs/core/DialogDevice.h"
#include "addin/dialogs/core/MeasureSession.h"

#include "platform/Text.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// A device layer for the windows' cores: one lock like the flat layer's, answers and samples
// from the test, and a record of what was asked and on which thread.
namespace addincore {

using namespace addin;
using namespace addin::dialogs;

inline device::SensorTableEntry Sensor(const char16_t* name, const char16_t* unit, int quantities = 1, int decimals = 2)
{
    device::SensorTableEntry entry{};
    entry.state = device::kEntryPresent;
    platform::CopyToField(entry.sensorCode, u"N2H");
    platform::CopyToField(entry.sensorName, name);
    entry.quantityCount = quantities;
    for (int q = 0; q < quantities; ++q) {
        entry.decimals[q][device::kShownUnit] = decimals;
        platform::CopyToField(entry.unitTexts[q][device::kShownUnit], unit);
        platform::CopyToField(entry.quantityNames[q], u"q");
    }
    return entry;
}

class FakeDialogDevice : public DialogDevice {
public:
    int IsLinked() override
    {
        std::lock_guard lock(layer);
        return linked.exchange(0);
    }
    int LastError() override { return lastError; }
    int DetectSensors(device::SensorTableEntry* table) override
    {
        std::lock_guard lock(layer);
        detectThreads.push_back(std::this_thread::get_id());
        return detect ? detect(table) : 0;
    }
    int ReadSnapshot(int channel, float* values, int quantities) override
    {
        std::lock_guard lock(layer);
        ++snapshotReads;
        return snapshot ? snapshot(channel, values, quantities) : 0;
    }
    void AbortDetection() override { abort = true; }
    void ClearDetectionAbort() override { abort = false; }
    int StartSampling(uint32_t mask, int64_t periodUs, int64_t durationMs, const int32_t*) override
    {
        std::lock_guard lock(layer);
        startedMask = mask;
        startedPeriodUs = periodUs;
        startedDurationMs = durationMs;
        ++starts;
        sampling = startAnswer == 1;
        return startAnswer;
    }
    int StopSampling() override
    {
        std::lock_guard lock(layer);
        ++stops;
        sampling = false;
        return 1;
    }
    int ReadBlock(int channel, float* values, float* times, int capacity) override
    {
        std::lock_guard lock(layer);
        std::deque<float>& v = pendingValues[channel];
        std::deque<float>& t = pendingTimes[channel];
        const int n = std::min<int>(capacity, int(v.size()));
        for (int i = 0; i < n; ++i) {
            values[i] = v.front();
            times[i] = t.front();
            v.pop_front();
            t.pop_front();
        }
        return n;
    }
    bool Sampling() override { return sampling; }

    // Samples the logger delivers: `count` of one quantity, numbered on from `first`, a period apart.
    void Deliver(int channel, int count, int first = 0, float period = 0.2f)
    {
        std::lock_guard lock(layer);
        for (int i = 0; i < count; ++i) {
            pendingValues[channel].push_back(float(first + i));
            pendingTimes[channel].push_back(float(first + i) * period);
        }
    }

    std::recursive_mutex layer;
    std::atomic<int> linked{0};
    std::atomic<int> lastError{1};
    std::function<int(device::SensorTableEntry*)> detect;
    std::function<int(int, float*, int)> snapshot;
    std::vector<std::thread::id> detectThreads;
    std::atomic<int> snapshotReads{0};
    std::atomic<bool> abort{false};
    int startAnswer = 1;
    std::atomic<bool> sampling{false};
    uint32_t startedMask = 0;
    int64_t startedPeriodUs = 0;
    int64_t startedDurationMs = 0;
    int starts = 0;
    int stops = 0;
    std::deque<float> pendingValues[device::kTableChannels];
    std::deque<float> pendingTimes[device::kTableChannels];
};

// The worksheet as the measurement writes it.
class RecordingSheet : public SheetWriter {
public:
    void ClearMeasurementArea() override { ++clears; }
    void WriteText(int32_t row, int32_t column, const std::u16string& text) override
    {
        texts.push_back({row, column, text});
    }
    void WriteRows(const RowBlock& block) override { blocks.push_back(block); }

    // Every sample row written, in order: its number column.
    std::vector<double> Numbers() const
    {
        std::vector<double> numbers;
        for (const RowBlock& b : blocks)
            for (int32_t r = 0; r < b.rows; ++r)
                numbers.push_back(b.At(r, kNumberColumn));
        return numbers;
    }

    struct Text {
        int32_t row;
        int32_t column;
        std::u16string text;
    };
    int clears = 0;
    std::vector<Text> texts;
    std::vector<RowBlock> blocks;
};

inline bool WaitFor(const std::function<bool()>& done, int timeoutMs = 3000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

}  // namespace addincore
