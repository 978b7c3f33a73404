#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace platform {

// A thread that is asked to stop and then joined, never killed. The body polls the stop flag it
// is given; whoever blocks it (a socket, a USB transfer, an Event) must also be woken by the owner
// before Join().
class WorkerThread {
public:
    enum class Priority { Normal, High, Highest };
    using Body = std::function<void(const std::atomic<bool>& stopRequested)>;

    WorkerThread() = default;
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;
    ~WorkerThread();

    // Starts the body; false when a thread is already running or cannot be created.
    bool Start(Body body, Priority priority = Priority::Normal);
    void RequestStop() { stop_.store(true, std::memory_order_release); }
    // Asks the body to stop and waits for it. Safe to call twice and from the destructor.
    void Join();

    bool Joinable() const { return thread_.joinable(); }
    // True while the body has not returned yet.
    bool Running() const { return running_.load(std::memory_order_acquire); }

private:
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{false};
};

}  // namespace platform
