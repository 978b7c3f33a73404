#pragma once

#include "devicelink/link/DeviceApi.h"
#include "devicelink/protocol/MeasureSetupBlock.h"
#include "platform/Event.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

// What the device-link suites share: a request with real consumer arrays, a guard that stops the
// device API when a test leaves, waits on conditions another thread makes true, and where the
// driver's TCP fallback connects.
namespace corviktest {

// A request with its own sample arrays and completion event, as the sensor object binds them:
// `capacity` entries a channel, then guard entries that no delivery may touch; every read mask
// keeps all bits and no set-up write is asked for.
struct BoundRequest {
    static constexpr uint32_t kGuardValue = 0xCCCCCCCCu;
    static constexpr int32_t kGuardTime = -7;
    static constexpr size_t kGuardEntries = 8;

    explicit BoundRequest(int capacity = 8, int32_t requestKind = devicelink::kind::kSingle);
    BoundRequest(const BoundRequest&) = delete;
    BoundRequest& operator=(const BoundRequest&) = delete;

    void Enable(int c, int entries);
    // Channel c reads `entries` registers of `bytes` bytes from `first` on at `address`.
    void Channel(int c, int address, int type, int bytes, int entries, int first = 0, int mask = -1);
    int32_t Count(int c) const { return counts[c].load(std::memory_order_acquire); }
    // No entry past the capacity was written.
    bool GuardIntact(int c) const;

    platform::Event event{platform::Event::Kind::ManualReset};
    devicelink::MeasureRequest request;
    std::vector<uint32_t> values[devicelink::kChannelCount];
    std::vector<int32_t> times[devicelink::kChannelCount];
    std::atomic<int32_t> counts[devicelink::kChannelCount] = {};
};

// Stops whatever the device API runs when a test leaves, even by a failed assertion. Declared
// after the requests a run fills, so that the driver lets go of them before they are destroyed.
struct StopOnExit {
    StopOnExit() = default;
    StopOnExit(const StopOnExit&) = delete;
    StopOnExit& operator=(const StopOnExit&) = delete;
    ~StopOnExit() { (void)DevStop(); }
};

// Polls `done` every few milliseconds for at most timeoutMs; its last answer.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 3000);

// The words of a frame the codec built.
inline std::vector<uint32_t> FrameWords(const std::vector<uint8_t>& bytes)
{
    std::vector<uint32_t> words(bytes.size() / 4);
    std::memcpy(words.data(), bytes.data(), words.size() * 4);
    return words;
}

// Sets CORVIK_TRANSPORT (tcp, or usb over the preloaded USB stand-in, which follows the same
// address), CORVIK_DEVICE_HOST=127.0.0.1 and CORVIK_DEVICE_PORT=port.
void PointDriverAt(uint16_t port);

}  // namespace corviktest
