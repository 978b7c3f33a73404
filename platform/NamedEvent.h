#pragma once

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

}  // namespace platform
