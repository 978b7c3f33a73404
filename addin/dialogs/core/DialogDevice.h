#pragma once

#include "addin/device/SensorTable.h"

#include <cstdint>

// The device as the add-in's windows use it: the calls of the flat device layer that the
// measurement and snapshot windows make, behind an interface so that their rules run without
// the logger (tests give their own).
namespace addin::dialogs {

// The layer's last error for a logger that is gone.
inline constexpr int kErrorNotConnected = 5;

class DialogDevice {
public:
    virtual ~DialogDevice() = default;

    // 1 when sensors were plugged or unplugged since the last look, else 0 (LastError then
    // tells a lost logger).
    virtual int IsLinked() = 0;
    virtual int LastError() = 0;
    virtual int DetectSensors(device::SensorTableEntry* table) = 0;
    // The current values of a channel, `quantities` floats; 1, or 0 with the values untouched.
    virtual int ReadSnapshot(int channel, float* values, int quantities) = 0;
    // Asks a detection running on another thread to give up at its next step; the request
    // holds until cleared. Neither call waits for the layer.
    virtual void AbortDetection() = 0;
    virtual void ClearDetectionAbort() = 0;

    virtual int StartSampling(uint32_t mask, int64_t periodUs, int64_t durationMs, const int32_t* periodsUs) = 0;
    virtual int StopSampling() = 0;
    // The channel's samples since the last read (values and their times in seconds): their
    // number, 0 when none, below 0 when the layer cannot read.
    virtual int ReadBlock(int channel, float* values, float* times, int capacity) = 0;
    // True between a start and the stop, whoever stopped.
    virtual bool Sampling() = 0;
};

enum class LinkEvent {
    Quiet,    // nothing changed
    Changed,  // sensors were plugged or unplugged: detect again
    Lost,     // the logger is gone
};

// What the windows' timers look at first on every tick.
LinkEvent WatchLink(DialogDevice& device);

}  // namespace addin::dialogs
