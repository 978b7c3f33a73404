#include "logger/measure/core/AcquisitionWorker.h"

namespace measure {

bool AcquisitionWorker::Start(platform::Event& event, uint32_t generation)
{
    if (thread_.Joinable())
        return false;
    event_ = &event;
    pending_.store(false, std::memory_order_release);
    return thread_.Start([this, &event, generation](const std::atomic<bool>& stop) {
        while (!stop.load(std::memory_order_acquire)) {
            // Signalled or not, whatever arrived in the meantime is to be taken.
            (void)event.Wait(kWaitMs);
            if (stop.load(std::memory_order_acquire))
                break;
            if (!pending_.exchange(true, std::memory_order_acq_rel))
                poster_(generation);
        }
    });
}

void AcquisitionWorker::Stop()
{
    if (!thread_.Joinable())
        return;
    thread_.RequestStop();
    if (event_ && wake_ == StopWake::ThroughEvent)
        event_->Set();
    thread_.Join();
    event_ = nullptr;
}

}  // namespace measure
