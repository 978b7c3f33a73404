#include "addin/SampleCommands.h"

#include "addin/host/HostCall.h"
#include "addin/host/HostThread.h"

#include "platform/Event.h"
#include "platform/WorkerThread.h"

#include <atomic>
#include <mutex>

namespace addin {

namespace {

constexpr uint32_t kCounterRoundMs = 3000;

struct CounterThread {
    std::mutex mutex;
    platform::WorkerThread thread;
    platform::Event wake{platform::Event::Kind::AutoReset};
    int32_t calls = 0;
    int32_t rounds = 0;
};

CounterThread& Counter()
{
    static CounterThread counter;
    return counter;
}

}  // namespace

int32_t CountCounterCall()
{
    CounterThread& k = Counter();
    std::lock_guard lock(k.mutex);
    if (!k.thread.Running()) {
        k.thread.Join();
        k.wake.Reset();
        k.thread.Start([&k](const std::atomic<bool>& stop) {
            while (!stop.load(std::memory_order_acquire)) {
                k.wake.Wait(kCounterRoundMs);
                if (stop.load(std::memory_order_acquire))
                    break;
                // Only the host thread may call the host.
                const int32_t value = ++k.rounds + kCounterBase;
                host::HostQueue().Post([value] { host::SetCellInteger(kCounterRow, kCounterColumn, value); });
            }
        });
    }
    return ++k.calls;
}

void StopCounterThread()
{
    CounterThread& k = Counter();
    std::lock_guard lock(k.mutex);
    k.thread.RequestStop();
    k.wake.Set();
    k.thread.Join();
}

}  // namespace addin
