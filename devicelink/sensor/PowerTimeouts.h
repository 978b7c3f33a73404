#pragma once

#include "platform/RegistryStore.h"

#include <cstdint>

// The system's suspend time-outs, which the program replaces while it runs and puts back at
// exit. They live in the machine-wide registry; the power manager rereads them when the named
// event below is signalled.
namespace devicelink {

inline constexpr const char* kPowerTimeoutsKey = "System\\CurrentControlSet\\Control\\Power\\Timeouts";
inline constexpr const char* kBatterySuspendValue = "BattSuspend";
inline constexpr const char* kMainsSuspendValue = "ACSuspend";
inline constexpr const char* kReloadTimeoutsEvent = "PowerManager/ReloadActivityTimeouts";
// Taken for a value that cannot be read, and for a saved value too long to put back.
inline constexpr int32_t kFallbackSuspendSeconds = 60;
inline constexpr int32_t kLongestRestoredSuspendSeconds = 7200;

struct SavedPowerTimeouts {
    int32_t batterySeconds = 0;
    int32_t mainsSeconds = 0;
    bool saved = false;
};

// Keeps the current time-outs in `kept` (only on the first save since the last restore, so that
// the machine's own values survive repeated saves) and writes the given ones.
void SaveAndSetPowerTimeouts(platform::RegistryStore& store, SavedPowerTimeouts& kept, int32_t batterySeconds,
                             int32_t mainsSeconds);
// Writes the kept time-outs back; without an earlier save nothing is written, since zeros would
// keep the machine from ever suspending.
void RestorePowerTimeouts(platform::RegistryStore& store, SavedPowerTimeouts& kept);
// Asks the power manager to reread its time-outs.
void SignalPowerTimeoutsChanged();

}  // namespace devicelink
