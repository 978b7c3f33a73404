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

}  // namespace

void SaveAndSetPowerTimeouts(platform::RegistryStore& store, SavedPowerTimeouts& kept, int32_t batterySeconds,
                             int32_t mainsSeconds)
{
    // A second save would read back our own values and lose the machine's for good.
    if (!kept.saved) {
        kept.batterySeconds = ReadSeconds(store, kBatterySuspendValue);
        kept.mainsSeconds = ReadSeconds(store, kMainsSuspendValue);
        kept.saved = true;
    }
    WriteSeconds(store, kBatterySuspendValue, batterySeconds);
    WriteSeconds(store, kMainsSuspendValue, mainsSeconds);
}

void RestorePowerTimeouts(platform::RegistryStore& store, SavedPowerTimeouts& kept)
{
    if (!kept.saved)
        return;
    for (int32_t* seconds : {&kept.batterySeconds, &kept.mainsSeconds}) {
        // Unsigned in the registry: a negative kept value is as long as it gets.
        if (static_cast<uint32_t>(*seconds) > static_cast<uint32_t>(kLongestRestoredSuspendSeconds))
            *seconds = kFallbackSuspendSeconds;
    }
    WriteSeconds(store, kBatterySuspendValue, kept.batterySeconds);
    WriteSeconds(store, kMainsSuspendValue, kept.mainsSeconds);
    kept.saved = false;
}

void SignalPowerTimeoutsChanged()
{
    platform::NamedEvent event(kReloadTimeoutsEvent);
    if (event.IsOpen())
        event.Signal();
}

}  // namespace devicelink
