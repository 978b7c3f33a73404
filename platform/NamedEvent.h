#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <semaphore.h>

namespace platform {

// A named auto-reset event shared between processes, as a POSIX named semaphore. Signals do not
// pile up: at most one is pending, as with a Win32 auto-reset event.
class NamedEvent {
public:
    // Opens or creates the event. The name's '/' become '_' (POSIX names hold one leading '/').
    explicit NamedEvent(std::string_view name);
    NamedEvent(const NamedEvent&) = delete;
    NamedEvent& operator=(const NamedEvent&) = delete;
    ~NamedEvent();

    bool IsOpen() const { return sem_ != SEM_FAILED; }
    bool Signal();
    // Waits up to timeoutMs (kInfinite of Event.h: for ever); true when the event was signalled.
    bool Wait(uint32_t timeoutMs);
    // Removes the name from the system (tests clean up with it).
    static void Unlink(std::string_view name);
    static std::string SystemName(std::string_view name);

private:
    sem_t* sem_ = SEM_FAILED;
};

// The longest event name FireNamedEvent takes, in UTF-16 units (a Win32 path's length), and in
// bytes of its system name without the leading '/' (what sem_open leaves for it).
inline constexpr size_t kMaxEventNameUnits = 260;
inline constexpr size_t kMaxEventSystemNameBytes = 250;

// Opens or creates the named auto-reset event, signals it and lets it go: what another process
// is asked to act on. 1 when the event was signalled, 0 when the name is null, empty, longer
// than the limits above, or the event cannot be opened or signalled. Reads at most
// kMaxEventNameUnits + 1 units of `name`, so an unterminated name ends in 0, never a read past it.
// Throws nothing: the program's and the add-in's C exports stand on it.
int FireNamedEvent(const char16_t* name) noexcept;
int FireNamedEvent(std::u16string_view name) noexcept;

}  // namespace platform
