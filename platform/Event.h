#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace platform {

inline constexpr uint32_t kInfinite = 0xFFFFFFFFu;

// A waitable flag in the manner of a Win32 event. A manual-reset event stays signalled until
// Reset(); an auto-reset event releases exactly one waiter per Set() and clears itself.
class Event {
public:
    enum class Kind { ManualReset, AutoReset };

    explicit Event(Kind kind = Kind::AutoReset, bool initiallySet = false);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    // Waits up to timeoutMs (kInfinite for ever); true when the event was signalled.
    bool Wait(uint32_t timeoutMs = kInfinite);
    bool IsSet() const;
    Kind kind() const { return kind_; }

private:
    const Kind kind_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    bool signalled_;
};

}  // namespace platform
