#pragma once

#include "addin/dialogs/core/DialogDevice.h"
#include "addin/dialogs/core/DisplayTexts.h"

#include "platform/Event.h"
#include "platform/WorkerThread.h"

#include <cstdint>
#include <functional>

// The display thread of the measurement and snapshot windows: it reads the current values of
// the present channels five times a second and hands the window copies of the texts to show. It
// never touches the window: the sink it is given posts each copy to the window's thread. When
// asked, it first looks for sensors (which can take seconds on a silent logger) so that the
// window's thread never waits for a detection.
namespace addin::dialogs {

struct DisplayUpdate {
    enum class Kind { Detection, Readings };
    Kind kind = Kind::Readings;
    // Detection: 1 when sensors were found, and the table found.
    int detected = 0;
    device::SensorTableEntry table[device::kTableChannels] = {};
    // Readings: what each channel shows now.
    ChannelTexts channels[device::kTableChannels];
};

// Called on the display thread; the update is the receiver's to keep.
using DisplaySink = std::function<void(DisplayUpdate&&)>;

class DisplayWorker {
public:
    static constexpr uint32_t kReadPeriodMs = 200;

    DisplayWorker(DialogDevice& device, DisplaySink sink, uint32_t periodMs = kReadPeriodMs);
    ~DisplayWorker();
    DisplayWorker(const DisplayWorker&) = delete;
    DisplayWorker& operator=(const DisplayWorker&) = delete;

    // Starts the thread over a copy of the table. With `detectFirst` it first polls the sensor
    // state, detects into its own table and sends that as a Detection update; it reads values
    // only after a detection that found sensors. False when a thread runs already.
    bool Start(const device::SensorTableEntry* table, bool detectFirst);
    // Asks the thread to stop, cuts a detection short and waits for the thread: a read in
    // progress ends first (its time-out bounds the wait). The layer is left as after any call.
    void Stop();
    bool Running() const { return thread_.Running(); }

private:
    void Run(const std::atomic<bool>& stop, bool detectFirst);
    // One round of reads; false when a stop came between channels.
    bool ReadRound(const std::atomic<bool>& stop, DisplayUpdate& shown);

    DialogDevice& device_;
    DisplaySink sink_;
    const uint32_t periodMs_;
    // The thread's own copy, touched by no one else while it runs.
    device::SensorTableEntry table_[device::kTableChannels] = {};
    platform::Event wake_{platform::Event::Kind::ManualReset};
    platform::WorkerThread thread_;
};

}  // namespace addin::dialogs
