#include "platform/Clock.h"
#include "platform/Event.h"
#include "platform/WorkerThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace platform;

TEST(Event, AutoResetReleasesOneWaiterPerSet)
{
    Event event(Event::Kind::AutoReset);
    std::atomic<int> woken{0};
    WorkerThread a, b;
    auto waiter = [&](const std::atomic<bool>&) {
        if (event.Wait(2000))
            ++woken;
    };
    a.Start(waiter);
    b.Start(waiter);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    event.Set();
    for (int i = 0; i < 2000 && woken.load() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(woken.load(), 1);
    EXPECT_FALSE(event.IsSet());
    event.Set();
    a.Join();
    b.Join();
    EXPECT_EQ(woken.load(), 2);
}

TEST(Event, ManualResetStaysSignalledUntilReset)
{
    Event event(Event::Kind::ManualReset);
    event.Set();
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.Wait(0));
    event.Reset();
    EXPECT_FALSE(event.Wait(0));
}

TEST(Event, TimedWaitReturnsFalseAfterItsTimeoutAndTrueOnASetDuringIt)
{
    Event event;
    EXPECT_FALSE(event.Wait(30));
    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        event.Set();
    });
    EXPECT_TRUE(event.Wait(60000));
    setter.join();
}

TEST(WorkerThread, StopsCooperativelyAndJoinsTwice)
{
    WorkerThread worker;
    std::atomic<int> rounds{0};
    ASSERT_TRUE(worker.Start([&](const std::atomic<bool>& stop) {
        while (!stop.load())
            ++rounds, std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }, WorkerThread::Priority::Highest));
    EXPECT_FALSE(worker.Start([](const std::atomic<bool>&) {}));
    for (int i = 0; i < 2000 && rounds.load() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    worker.Join();
    worker.Join();
    EXPECT_FALSE(worker.Running());
    EXPECT_GT(rounds.load(), 0);
    EXPECT_TRUE(worker.Start([](const std::atomic<bool>&) {}));  // restartable after a join
}

TEST(Clock, ManualClockSleepsWithoutWaitingAndWraps)
{
    ManualClock clock(0xFFFFFFF0u);
    SetClock(&clock);
    SetSleeper(&clock);
    SleepMs(800);
    EXPECT_EQ(GetTickCount32(), 0xFFFFFFF0u + 800u);  // wrapped past zero
    EXPECT_EQ(clock.TotalSlept(), 800u);
    SetClock(nullptr);
    SetSleeper(nullptr);
}
