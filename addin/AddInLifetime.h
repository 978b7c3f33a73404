#pragma once

#include "addin/HostCallApi.h"

#include <exception>

// The add-in's life in the host: what every export does on entry, the path operand the host
// gave at open, and the shut-down that leaves nothing running before the library may go.
namespace addin {

// First thing every export does (on the host thread): the host thread is remembered and work
// that other threads left for it runs.
void EnterFromHost();

// The add-in's own path as the host gave it (xlGetName), kept from open to close; null when the
// host gave none.
HostOperand* KeptPath();
// Asks the host for the path and keeps it (the previous one handed back first).
HostOperand* AcquirePath();
// Hands the kept path back to the host; a second call does nothing.
void FreeKeptPath();

// Stops everything the add-in started: its windows and their threads first, then the counter
// thread and pending host work, the device, the Qt objects. With the host still there the kept
// path goes back to it; at unload it is dropped.
void ShutDown(bool hostAvailable);

// Runs body; an exception (only allocation can throw) gives fallback, so none crosses into the
// host.
template <typename Body, typename Result>
Result Guarded(Result fallback, Body body) noexcept
{
    try {
        EnterFromHost();
        return body();
    } catch (...) {
        return fallback;
    }
}

}  // namespace addin

#define ADDIN_EXPORT extern "C" __attribute__((visibility("default")))
