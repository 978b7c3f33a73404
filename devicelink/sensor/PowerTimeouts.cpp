#include "devicelink/sensor/PowerTimeouts.h"

#include "platform/NamedEvent.h"

namespace devicelink {
namespace {

using platform::RegistryRoot;

int32_t ReadSeconds(platform::RegistryStore& store, const char* name)
{
    uint32_t value = 0;
    if (!store.ReadDword(RegistryRoot::LocalMachine, kPowerTimeoutsKey, name, value))
        return kFallbackSuspendSeconds;
    return static_cast<int32_t>(value);
}

void WriteSeconds(platform::RegistryStore& store, const char* name, int32_t seconds)
{
    store.WriteDword(RegistryRoot::LocalMachine, kPowerTimeoutsKey, name, static_cast<uint32_t>(seconds));
}

bool ReadHeld(platform::RegistryStore& store, const char* name, int32_t& seconds)
{
    uint32_t value = 0;
    if (!store.ReadDword(RegistryRoot::LocalMachine, kPowerTimeoutsKey, name, value))
        return false;
    seconds = static_cast<int32_t>(value);
    return true;
}

// Puts the machine's time-outs back in force, then lets the held ones go: a kill between the two
// leaves them held, and the next start puts the same values back again.
void PutBack(platform::RegistryStore& store, int32_t& batterySeconds, int32_t& mainsSeconds)
{
    for (int32_t* seconds : {&batterySeconds, &mainsSeconds}) {
        // Unsigned in the registry: a negative kept value is as long as it gets.
        if (static_cast<uint32_t>(*seconds) > static_cast<uint32_t>(kLongestRestoredSuspendSeconds))
            *seconds = kFallbackSuspendSeconds;
    }
    WriteSeconds(store, kBatterySuspendValue, batterySeconds);
    WriteSeconds(store, kMainsSuspendValue, mainsSeconds);
    store.DeleteValue(RegistryRoot::LocalMachine, kPowerTimeoutsKey, kHeldBatterySuspendValue);
    store.DeleteValue(RegistryRoot::LocalMachine, kPowerTimeoutsKey, kHeldMainsSuspendValue);
}

}  // namespace

void SaveAndSetPowerTimeouts(platform::RegistryStore& store, SavedPowerTimeouts& kept, int32_t batterySeconds,
                             int32_t mainsSeconds)
{
    // A second save would read back our own values and lose the machine's for good.
    if (!kept.saved) {
        // Held before ours are written, so that a kill at any point leaves the machine's values
        // either in force or held.
        if (!ReadHeld(store, kHeldBatterySuspendValue, kept.batterySeconds)) {
            kept.batterySeconds = ReadSeconds(store, kBatterySuspendValue);
            WriteSeconds(store, kHeldBatterySuspendValue, kept.batterySeconds);
        }
        if (!ReadHeld(store, kHeldMainsSuspendValue, kept.mainsSeconds)) {
            kept.mainsSeconds = ReadSeconds(store, kMainsSuspendValue);
            WriteSeconds(store, kHeldMainsSuspendValue, kept.mainsSeconds);
        }
        kept.saved = true;
    }
    WriteSeconds(store, kBatterySuspendValue, batterySeconds);
    WriteSeconds(store, kMainsSuspendValue, mainsSeconds);
}

void RestorePowerTimeouts(platform::RegistryStore& store, SavedPowerTimeouts& kept)
{
    if (!kept.saved)
        return;
    PutBack(store, kept.batterySeconds, kept.mainsSeconds);
    kept.saved = false;
}

bool RestoreHeldPowerTimeouts(platform::RegistryStore& store)
{
    int32_t battery = 0;
    int32_t mains = 0;
    const bool batteryHeld = ReadHeld(store, kHeldBatterySuspendValue, battery);
    const bool mainsHeld = ReadHeld(store, kHeldMainsSuspendValue, mains);
    if (!batteryHeld && !mainsHeld)
        return false;
    // One held alone: the kill came before the other was held, so the other is still in force.
    if (!batteryHeld)
        battery = ReadSeconds(store, kBatterySuspendValue);
    if (!mainsHeld)
        mains = ReadSeconds(store, kMainsSuspendValue);
    PutBack(store, battery, mains);
    return true;
}

void SignalPowerTimeoutsChanged()
{
    platform::NamedEvent event(kReloadTimeoutsEvent);
    if (event.IsOpen())
        event.Signal();
}

}  // namespace devicelink
