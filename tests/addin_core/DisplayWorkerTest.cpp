// The display thread of the measurement and snapshot windows: it hands over copies, stops
// cooperatively and does the detection the windows' thread must not wait for.
#include "FakeDialogDevice.h"

#include "addin/dialogs/core/DisplayWorker.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using namespace addincore;
using Clock = std::chrono::steady_clock;

struct Received {
    std::mutex mutex;
    std::vector<DisplayUpdate> updates;
    std::vector<std::thread::id> threads;

    DisplaySink Sink()
    {
        return [this](DisplayUpdate&& update) {
            std::lock_guard lock(mutex);
            updates.push_back(std::move(update));
            threads.push_back(std::this_thread::get_id());
        };
    }
    size_t Count()
    {
        std::lock_guard lock(mutex);
        return updates.size();
    }
};

class DisplayWorkerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        table_[0] = Sensor(u"Temperature", u"°C");
        table_[1] = Sensor(u"Bare cable", u"V");
        platform::CopyToField(table_[1].sensorCode, u"CABL");
        device_.snapshot = [this](int, float* values, int) {
            values[0] = reading_.load();
            return 1;
        };
    }

    FakeDialogDevice device_;
    Received received_;
    device::SensorTableEntry table_[device::kTableChannels] = {};
    std::atomic<float> reading_{21.5f};
};

// What the window gets is its own: later reads never change an update it holds.
TEST_F(DisplayWorkerTest, HandsOverCopiesOfItsTexts)
{
    DisplayWorker worker(device_, received_.Sink(), 5);
    ASSERT_TRUE(worker.Start(table_, false));
    ASSERT_TRUE(WaitFor([&] { return received_.Count() >= 1; }));
    DisplayUpdate first;
    {
        std::lock_guard lock(received_.mutex);
        first = received_.updates.front();
    }
    reading_ = 30.25f;
    ASSERT_TRUE(WaitFor([&] {
        std::lock_guard lock(received_.mutex);
        return received_.updates.back().channels[0].lines[0] == u"30.25 °C";
    }));
    worker.Stop();
    EXPECT_EQ(first.channels[0].lines[0], u"21.50 °C");
    EXPECT_EQ(first.channels[0].title, u"Temperature");
    EXPECT_EQ(first.channels[1].lines[0], kNotAvailable);
    EXPECT_NE(received_.threads.front(), std::this_thread::get_id());
}

// Stopping asks and waits: a read in progress ends (its lock given back) before Stop returns.
TEST_F(DisplayWorkerTest, StopWaitsForTheReadInProgress)
{
    std::atomic<bool> inRead{false};
    device_.snapshot = [&](int, float* values, int) {
        inRead = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        values[0] = 1.0f;
        inRead = false;
        return 1;
    };
    DisplayWorker worker(device_, received_.Sink());
    ASSERT_TRUE(worker.Start(table_, false));
    ASSERT_TRUE(WaitFor([&] { return inRead.load(); }));
    worker.Stop();
    EXPECT_FALSE(inRead);
    EXPECT_FALSE(worker.Running());
    ASSERT_TRUE(device_.layer.try_lock());
    device_.layer.unlock();
    // And it starts again.
    const int reads = device_.snapshotReads;
    ASSERT_TRUE(worker.Start(table_, false));
    EXPECT_TRUE(WaitFor([&] { return device_.snapshotReads > reads; }));
}

// A detection against a silent logger takes seconds: it runs on the thread, which starts at once,
// and a stop cuts it short and withdraws the request afterwards.
TEST_F(DisplayWorkerTest, DetectsOnItsOwnThread)
{
    // The silent logger: its detection ends when aborted, or by itself after ten seconds, which
    // only a start that waits for it or a stop that does not abort it would live to see.
    std::atomic<bool> detecting{false};
    std::atomic<bool> finished{false};
    std::atomic<bool> cutShort{false};
    device_.detect = [&](device::SensorTableEntry* table) {
        detecting = true;
        const auto end = Clock::now() + std::chrono::seconds(10);
        while (!device_.abort && Clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        finished = true;
        if (device_.abort) {
            cutShort = true;
            return 0;
        }
        std::copy(table_, table_ + device::kTableChannels, table);
        return 1;
    };
    DisplayWorker worker(device_, received_.Sink());
    ASSERT_TRUE(worker.Start(nullptr, true));
    EXPECT_FALSE(finished) << "the start waited for the detection";
    ASSERT_TRUE(WaitFor([&] { return detecting.load(); }));
    worker.Stop();
    EXPECT_TRUE(cutShort) << "the stop waited for the detection instead of cutting it short";
    ASSERT_EQ(device_.detectThreads.size(), 1u);
    EXPECT_NE(device_.detectThreads.front(), std::this_thread::get_id());
    EXPECT_FALSE(device_.abort);
    EXPECT_EQ(received_.Count(), 0u);  // a cut-short detection reports nothing

    // Left to finish, it reports its table and then reads that table's channels.
    device_.detect = [this](device::SensorTableEntry* table) {
        std::copy(table_, table_ + device::kTableChannels, table);
        return 1;
    };
    ASSERT_TRUE(worker.Start(nullptr, true));
    ASSERT_TRUE(WaitFor([&] { return received_.Count() >= 2; }));
    worker.Stop();
    std::lock_guard lock(received_.mutex);
    EXPECT_EQ(received_.updates[0].kind, DisplayUpdate::Kind::Detection);
    EXPECT_EQ(received_.updates[0].detected, 1);
    EXPECT_EQ(received_.updates[1].kind, DisplayUpdate::Kind::Readings);
    EXPECT_EQ(received_.updates[1].channels[0].lines[0], u"21.50 °C");
}

}  // namespace
