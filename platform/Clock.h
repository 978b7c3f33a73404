#pragma once

#include <cstdint>

// Time as the system sees it: a 32-bit millisecond tick that wraps after 49.7 days, and sleeps.
// Both go through replaceable objects so that timed logic (time-outs, calibration pauses) runs
// instantly and deterministically in tests.
namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t TickCount() = 0;
};

class Sleeper {
public:
    virtual ~Sleeper() = default;
    virtual void Sleep(uint32_t ms) = 0;
};

// The monotonic system clock and a real sleep.
Clock& SystemClock();
Sleeper& SystemSleeper();

// The process-wide clock and sleeper the program uses; tests swap them. Passing nullptr restores
// the system ones.
Clock& CurrentClock();
Sleeper& CurrentSleeper();
void SetClock(Clock* clock);
void SetSleeper(Sleeper* sleeper);

inline uint32_t GetTickCount32() { return CurrentClock().TickCount(); }
inline void SleepMs(uint32_t ms) { CurrentSleeper().Sleep(ms); }

// A clock that only moves when told, and a sleeper that advances it instead of sleeping.
class ManualClock : public Clock, public Sleeper {
public:
    explicit ManualClock(uint32_t start = 0) : now_(start) {}
    uint32_t TickCount() override { return now_; }
    void Sleep(uint32_t ms) override { now_ += ms; slept_ += ms; }
    void Advance(uint32_t ms) { now_ += ms; }
    uint64_t TotalSlept() const { return slept_; }

private:
    uint32_t now_;
    uint64_t slept_ = 0;
};

}  // namespace platform
