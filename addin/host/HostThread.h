#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class QObject;

// The host accepts calls on its own thread only. Work that another thread of the add-in wants
// done in the host (a cell write) waits here until the host thread runs it: at once through the
// host's event loop when the host is a Qt program on that thread, otherwise when the host next
// calls into the add-in.
namespace addin::host {

class HostThreadQueue {
public:
    HostThreadQueue() = default;
    ~HostThreadQueue();
    HostThreadQueue(const HostThreadQueue&) = delete;
    HostThreadQueue& operator=(const HostThreadQueue&) = delete;

    // Called on the host thread whenever the host calls in: remembers the thread and, once,
    // sets up the event-loop delivery when a Qt application runs on it.
    void EnterFromHost();

    // From any thread.
    void Post(std::function<void()> work);
    // On the host thread: runs everything posted so far, in order.
    void Drain();
    // On the host thread, at close: what is still pending is dropped, and no delivery can arrive
    // after this returns.
    void Shutdown();

private:
    mutable std::mutex mutex_;
    std::deque<std::function<void()>> pending_;
    std::atomic<bool> hasPending_{false};
    std::thread::id hostThread_{};
    std::unique_ptr<QObject> receiver_;
};

HostThreadQueue& HostQueue();

}  // namespace addin::host
