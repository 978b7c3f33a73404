#include "platform/Event.h"

#include <chrono>

namespace platform {

Event::Event(Kind kind, bool initiallySet) : kind_(kind), signalled_(initiallySet) {}

void Event::Set()
{
    // Notify while the lock is held: a waiter woken by this Set may return and destroy the event
    // at once, and the notify must not touch it after that.
    std::lock_guard lock(mutex_);
    signalled_ = true;
    if (kind_ == Kind::ManualReset)
        cv_.notify_all();
    else
        cv_.notify_one();
}

void Event::Reset()
{
    std::lock_guard lock(mutex_);
    signalled_ = false;
}

bool Event::Wait(uint32_t timeoutMs)
{
    std::unique_lock lock(mutex_);
    auto ready = [this] { return signalled_; };
    if (timeoutMs == kInfinite)
        cv_.wait(lock, ready);
    else if (!cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready))
        return false;
    if (kind_ == Kind::AutoReset)
        signalled_ = false;
    return true;
}

bool Event::IsSet() const
{
    std::lock_guard lock(mutex_);
    return signalled_;
}

}  // namespace platform
