#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "platform/Event.h"
#include "platform/WorkerThread.h"

// The thread beside a running acquisition. It only waits on the sensor object's completion event
// and posts a wake-up to the screen; every sample is taken on the screen's thread. It posts on a
// time-out too, since the driver signals only every so many deliveries and the last few of a run
// would otherwise never be taken.
namespace measure {

class AcquisitionWorker {
public:
    static constexpr uint32_t kWaitMs = 100;
    // Called on the worker's thread: post the wake-up of this run generation to the screen.
    using Poster = std::function<void(uint32_t generation)>;
    // How Stop wakes the thread: by setting the completion event, or by letting its wait run out
    // (at most kWaitMs), for an owner that must leave the event to the driver alone.
    enum class StopWake { ThroughEvent, ByTimeOut };

    explicit AcquisitionWorker(Poster poster, StopWake wake = StopWake::ThroughEvent)
        : poster_(std::move(poster)), wake_(wake)
    {
    }
    ~AcquisitionWorker() { Stop(); }
    AcquisitionWorker(const AcquisitionWorker&) = delete;
    AcquisitionWorker& operator=(const AcquisitionWorker&) = delete;

    // Starts waiting on `event` for run `generation`; false when a worker already runs or the
    // thread cannot be made.
    bool Start(platform::Event& event, uint32_t generation);
    // Asks the thread to stop, wakes it as the owner chose and joins it.
    void Stop();
    bool Running() const { return thread_.Joinable(); }

    // The screen's side of the pending flag: called first thing when a wake-up is handled, so the
    // next wait posts again.
    void WakeUpTaken() { pending_.store(false, std::memory_order_release); }

private:
    Poster poster_;
    StopWake wake_;
    platform::WorkerThread thread_;
    platform::Event* event_ = nullptr;
    std::atomic<bool> pending_{false};
};

}  // namespace measure
