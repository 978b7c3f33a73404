#pragma once

#include "platform/RegistryStore.h"

#include <cstdint>

// The system's suspend time-outs, which the program replaces while it runs and puts back at
// exit. They live in the machine-wide registry; the power manager rereads them when the named
// event below is signalled. While the program's values are in force the machine's own stay
// beside them under the program's names (the "held" values), so that a session that is killed
// leaves the next one what to put back instead of its zeros.
namespace devicelink {

inline constexpr const char* kPowerTimeoutsKey = "System\\CurrentControlSet\\Control\\Power\\Timeouts";
inline constexpr const char* kBatterySuspendValue = "BattSuspend";
inline constexpr const char* kMainsSuspendValue = "ACSuspend";
inline constexpr const char* kHeldBatterySuspendValue = "PlovexLoggerHeldBattSuspend";
inline constexpr const char* kHeldMainsSuspendValue = "PlovexLoggerHeldACSuspend";
inline constexpr const char* kReloadTimeoutsEvent = "PowerManager/ReloadActivityTimeouts";
// Taken for a value that cannot be read, and for a saved value too long to put back.
inline constexpr int32_t kFallbackSuspendSeconds = 60;
inline constexpr int32_t kLongestRestoredSuspendSeconds = 7200;

struct SavedPowerTimeouts {
    int32_t batterySeconds = 0;
    int32_t mainsSeconds = 0;
    bool saved = false;
};

// Keeps the machine's time-outs in `kept` and beside them as the held values (only on the first
// save since the last restore, so that the machine's own values survive repeated saves), then
// writes the given ones. A value already held is the machine's: the one in force is a killed
// session's.
void SaveAndSetPowerTimeouts(platform::RegistryStore& store, SavedPowerTimeouts& kept, int32_t batterySeconds,
                             int32_t mainsSeconds);
// Writes the kept time-outs back and lets the held values go; without an earlier save nothing is
// written, since zeros would keep the machine from ever suspending.
void RestorePowerTimeouts(platform::RegistryStore& store, SavedPowerTimeouts& kept);
// What a killed session left held is put back in force and let go; true when anything was. Run
// at start-up, once this program is known to be the only one.
bool RestoreHeldPowerTimeouts(platform::RegistryStore& store);
// Asks the power manager to reread its time-outs.
void SignalPowerTimeoutsChanged();

}  // namespace devicelink
