#pragma once

#include "addin/device/SensorTable.h"

#include <cstdint>
#include <mutex>
#include <string>

namespace devicelink {
class CNI2CSensor;
}

// The add-in's flat device layer over its one sensor object. Every call, from the host thread,
// a dialog's timer or a display thread, runs under one recursive lock; a timer that finds the
// layer busy skips its tick (CorvikApiBusyGuard). Each call leaves its result in the last error.
namespace addin::device {

enum CorvikApiError : int32_t {
    kApiOk = 1,
    kApiNotConnected = 5,
    kApiNoMemory = 7,
    kApiNotOpened = 8,
    kApiCatalogueFile = 0x202,
    kApiDetectionFailed = 0x301,
    kApiStopped = 0x401,
    kApiBadPeriod = 0x503,
};

inline constexpr char kCatalogueFileName[] = "sensor_korean.xml";
// A disabled channel's period in a run with per-channel periods.
inline constexpr int32_t kDisabledChannelPeriodUs = 500000;

int CorvikApiGetLastError();
// Opens the device and loads the catalogue; without a path, from the data folder. 1/0.
int CorvikApiOpen(const char* cataloguePath = nullptr);
int CorvikApiClose();
// 1 when the channels changed since the last detection, 0 when not (or the link is lost: 5).
int CorvikApiIsLinked();
// The current values of a channel, `quantities` floats (1..4). 1, or 0 (values untouched).
int CorvikApiReadSnapshot(int channel, float* values, int quantities);
int CorvikApiDetectSensors(SensorTableEntry* table);
// How the channels of a sampling run are timed: all at periodUs, or each enabled channel at its
// own period (periodsUs, multiples of 100).
enum SamplingMode : int32_t { kSampleCommonPeriod = 0, kSamplePerChannelPeriods = 1 };
int CorvikApiStartSampling(int32_t mask, int64_t periodUs, int64_t durationMs, int32_t mode,
                           const int32_t* periodsUs, int32_t spare);
int CorvikApiStopSampling();
// The samples of a channel that arrived since the last read, as values and times in seconds;
// their number, 0 when none, -1 when the layer cannot read (no object, bad arguments).
int CorvikApiReadBlock(int channel, float* values, float* times, int capacity);
// 1 between a successful start and a stop.
int CorvikApiSampling();
// What CorvikApiReadBlock gives of a sensor with several quantities: every quantity of each sample
// (one float each, in order) when on, else the channel's selected output alone (the workbook's
// one column a channel). Off after an open.
void CorvikApiReadAllQuantities(int on);
// Asks a detection that runs on another thread to give up at its next channel or recipe; the
// request holds until cleared. Neither takes the layer's lock (the detection holds it), and both
// are for the host thread, which alone opens and closes the layer.
void CorvikApiAbortDetection();
void CorvikApiClearDetectionAbort();

// The data folder: the registry's "CORVIKWORKPATH", empty for the current folder.
std::string DataFolder();
// A file of the data folder: the bare name when the folder is empty.
std::string DataFile(const char* name);

// The layer's lock, for the callers that must see several calls as one.
std::recursive_mutex& CorvikApiMutex();

// Takes the layer's lock only when it is free at once: a timer tick that finds the layer busy
// with the host or a display thread skips itself.
class CorvikApiBusyGuard {
public:
    CorvikApiBusyGuard() : lock_(CorvikApiMutex(), std::try_to_lock) {}
    bool Acquired() const { return lock_.owns_lock(); }

private:
    std::unique_lock<std::recursive_mutex> lock_;
};

// For tests and the add-in's own layers: the open sensor object, or null.
devicelink::CNI2CSensor* CorvikApiSensor();

}  // namespace addin::device
