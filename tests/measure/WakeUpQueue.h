#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

namespace measuretest {

// The wake-ups a screen's worker thread posts, queued for the test thread, which hands them over
// as the UI thread would.
class WakeUpQueue {
public:
    // Called on the worker's thread.
    void Post(uint32_t generation)
    {
        std::lock_guard lock(mutex_);
        posted_.push_back(generation);
        ++postCount_;
        cv_.notify_all();
    }
    // Waits up to `ms` for one posted wake-up.
    bool Next(uint32_t& generation, int ms)
    {
        std::unique_lock lock(mutex_);
        if (!cv_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return !posted_.empty(); }))
            return false;
        generation = posted_.front();
        posted_.pop_front();
        return true;
    }
    int PostCount()
    {
        std::lock_guard lock(mutex_);
        return postCount_;
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<uint32_t> posted_;
    int postCount_ = 0;
};

}  // namespace measuretest
