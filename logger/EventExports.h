#pragma once

// The measurement program's exports for other processes: signal the named auto-reset event
// (created if need be) and let it go. Nonzero when it was signalled, 0 for a null, empty or
// over-long name or an event that cannot be made. One body, platform::FireNamedEvent, which the
// add-in's export of the same name shares.
extern "C" {

__attribute__((visibility("default"))) int FireEvent(const char16_t* name);
__attribute__((visibility("default"))) int FireEvent2(const char16_t* name);
}
