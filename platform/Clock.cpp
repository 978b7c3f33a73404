#include "platform/Clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace platform {
namespace {

class SteadyClock final : public Clock {
public:
    uint32_t TickCount() override
    {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
        return static_cast<uint32_t>(ms.count());  // wraps like the platform's tick
    }
};

class ThreadSleeper final : public Sleeper {
public:
    void Sleep(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

std::atomic<Clock*> g_clock{nullptr};
std::atomic<Sleeper*> g_sleeper{nullptr};

}  // namespace

Clock& SystemClock()
{
    static SteadyClock clock;
    return clock;
}

Sleeper& SystemSleeper()
{
    static ThreadSleeper sleeper;
    return sleeper;
}

Clock& CurrentClock()
{
    Clock* c = g_clock.load(std::memory_order_acquire);
    return c ? *c : SystemClock();
}

Sleeper& CurrentSleeper()
{
    Sleeper* s = g_sleeper.load(std::memory_order_acquire);
    return s ? *s : SystemSleeper();
}

void SetClock(Clock* clock) { g_clock.store(clock, std::memory_order_release); }
void SetSleeper(Sleeper* sleeper) { g_sleeper.store(sleeper, std::memory_order_release); }

}  // namespace platform
