#pragma once

#include <cstdint>

// What the conversion routines remember between calls: gate and change-event counters and the
// last GPS fix. It lives once per process, like the logger it describes.
//
// Threading: one caller at a time. The measurement program converts only on its UI thread and
// the add-in only from its host's calling thread; nothing here locks.
namespace devicelink {

inline constexpr int kConversionChannels = 4;

// Gate events: the level state is low or high, events are counted from the last reset.
struct GateEventState {
    int32_t eventCount = 0;
    int32_t levelHigh = 0;
    float lastEventTime = 0.0f;
};

// Change events: a word that differs from the last one is an event.
struct ChangeEventState {
    int32_t counter = 0;
    int32_t lastRaw = 0;
};

inline constexpr int32_t kChannelFilterResetWord = -10;
inline constexpr int32_t kSharedChangeResetWord = 0x10000001;

struct GpsFixState {
    double latitude = 0.0;      // last accepted position, degrees
    double longitude = 0.0;
    int32_t altitude = 0;       // last accepted altitude, whole metres
    double climb = 0.0;         // last altitude step
    float fixAltitude = 0.0f;   // last good fix
    float fixLatitude = 0.0f;
    float fixLongitude = 0.0f;
};

struct ConversionState {
    GateEventState gate[kConversionChannels];
    ChangeEventState channelFilter[kConversionChannels] = {
        {0, kChannelFilterResetWord}, {0, kChannelFilterResetWord},
        {0, kChannelFilterResetWord}, {0, kChannelFilterResetWord}};
    ChangeEventState sharedChange = {0, kSharedChangeResetWord};
    GpsFixState gps;
};

// The process's one state record.
ConversionState& ProcessConversionState();
// Everything back to its start-up values (tests, and a fresh start of the device link).
void ResetConversionState();

// Gate-event state of one channel back to (count 0, low, time 0). 1, or 0 for a channel
// outside 0..3.
int32_t ResetChannelConvState(int32_t channel);
// Change-event filter of one channel back to (counter 0, last word -10). 1, or 0 for a channel
// outside 0..3.
int32_t ResetChannelFilterState(int32_t channel);
// The change-event pair that all channels share back to (0, 0x10000001); the counter sensor's
// set-up calls this before it programs the sensor.
void ResetSharedChangeState();

}  // namespace devicelink
