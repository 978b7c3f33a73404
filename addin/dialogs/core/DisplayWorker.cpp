#include "addin/dialogs/core/DisplayWorker.h"

#include <algorithm>
#include <cstring>

namespace addin::dialogs {

DisplayWorker::DisplayWorker(DialogDevice& device, DisplaySink sink, uint32_t periodMs)
    : device_(device), sink_(std::move(sink)), periodMs_(periodMs)
{
}

DisplayWorker::~DisplayWorker()
{
    Stop();
}

bool DisplayWorker::Start(const device::SensorTableEntry* table, bool detectFirst)
{
    if (thread_.Joinable())
        return false;
    if (table)
        std::memcpy(table_, table, sizeof table_);
    else
        std::memset(table_, 0, sizeof table_);
    wake_.Reset();
    return thread_.Start([this, detectFirst](const std::atomic<bool>& stop) { Run(stop, detectFirst); });
}

void DisplayWorker::Stop()
{
    if (!thread_.Joinable())
        return;
    thread_.RequestStop();
    wake_.Set();
    // Only this thread's detection can be running while the owner waits here, so the request
    // reaches no one else and is withdrawn once the thread has ended.
    device_.AbortDetection();
    thread_.Join();
    device_.ClearDetectionAbort();
}

void DisplayWorker::Run(const std::atomic<bool>& stop, bool detectFirst)
{
    if (detectFirst) {
        if (stop.load(std::memory_order_acquire))
            return;
        device_.IsLinked();
        DisplayUpdate found;
        found.kind = DisplayUpdate::Kind::Detection;
        found.detected = device_.DetectSensors(found.table) == 1 ? 1 : 0;
        if (stop.load(std::memory_order_acquire))
            return;
        std::memcpy(table_, found.table, sizeof table_);
        const bool readOn = found.detected == 1;
        sink_(std::move(found));
        if (!readOn)
            return;
    }
    DisplayUpdate shown;
    while (!stop.load(std::memory_order_acquire)) {
        if (!ReadRound(stop, shown))
            return;
        DisplayUpdate copy = shown;
        sink_(std::move(copy));
        wake_.Wait(periodMs_);
    }
}

bool DisplayWorker::ReadRound(const std::atomic<bool>& stop, DisplayUpdate& shown)
{
    for (int c = 0; c < device::kTableChannels; ++c) {
        if (stop.load(std::memory_order_acquire))
            return false;
        const device::SensorTableEntry& entry = table_[c];
        if (entry.state != device::kEntryPresent)
            continue;
        float values[device::kMaxQuantities] = {};
        const int quantities = std::clamp(entry.quantityCount, 1, device::kMaxQuantities);
        if (device_.ReadSnapshot(c, values, quantities) == 1)
            shown.channels[c] = ChannelDisplay(entry, values);
    }
    return true;
}

}  // namespace addin::dialogs
