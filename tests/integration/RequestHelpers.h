#pragma once

#include "devicelink/link/DeviceApi.h"
#include "devicelink/protocol/MeasureSetupBlock.h"
#include "platform/Event.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace devsim::testing {

// A request with its own sample arrays and completion event, as the sensor object binds them.
struct BoundRequest {
    devicelink::MeasureRequest request;
    platform::Event event{platform::Event::Kind::ManualReset};
    std::vector<uint32_t> values[devicelink::kChannelCount];
    std::vector<int32_t> times[devicelink::kChannelCount];
    std::atomic<int32_t> counts[devicelink::kChannelCount] = {};

    explicit BoundRequest(int capacity = 8)
    {
        auto& b = request.block;
        b.perEvent = 1;
        for (int c = 0; c < devicelink::kChannelCount; ++c) {
            values[c].assign(size_t(capacity), 0);
            times[c].assign(size_t(capacity), 0);
            b.capacity[c] = capacity;
            request.host.values[c] = values[c].data();
            request.host.times[c] = times[c].data();
            request.host.counts[c] = &counts[c];
            for (int k = 0; k < devicelink::kRegisterEntries; ++k)
                b.writeType[8 * c + k] = -1;
        }
        request.host.event = &event;
    }

    // Channel c reads `entries` registers of `bytes` bytes from `first` on at `address`.
    void Channel(int c, int address, int type, int bytes, int entries, int first = 0, int mask = -1)
    {
        auto& b = request.block;
        b.enabled[c] = 1;
        b.address[c] = address;
        b.readType[c] = uint8_t(type);
        b.byteCount[c] = bytes;
        b.entries[c] = uint8_t(entries);
        for (int k = 0; k < entries; ++k) {
            b.readRegister[8 * c + k] = uint8_t(first + k * bytes);
            b.readMask[8 * c + k] = mask;
        }
    }

    int32_t Count(int c) const { return counts[c].load(std::memory_order_acquire); }
};

// Stops whatever the device API runs when a test leaves, even by a failed assertion. Declared
// after the requests a run fills, so that the driver lets go of them before they are destroyed.
struct StopOnExit {
    StopOnExit() = default;
    StopOnExit(const StopOnExit&) = delete;
    StopOnExit& operator=(const StopOnExit&) = delete;
    ~StopOnExit() { (void)DevStop(); }
};

inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace devsim::testing
