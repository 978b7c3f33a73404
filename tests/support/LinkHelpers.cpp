#include "tests/support/LinkHelpers.h"
#include "tests/support/UsbStandIn.h"

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace corviktest {

BoundRequest::BoundRequest(int capacity, int32_t requestKind)
{
    auto& b = request.block;
    b.kind = requestKind;
    b.perEvent = 1;
    request.host.event = &event;
    for (int c = 0; c < devicelink::kChannelCount; ++c) {
        values[c].assign(size_t(capacity) + kGuardEntries, kGuardValue);
        times[c].assign(size_t(capacity) + kGuardEntries, kGuardTime);
        b.capacity[c] = capacity;
        request.host.values[c] = values[c].data();
        request.host.times[c] = times[c].data();
        request.host.counts[c] = &counts[c];
        for (int k = 0; k < devicelink::kRegisterEntries; ++k) {
            b.readMask[devicelink::kRegisterEntries * c + k] = -1;
            b.writeType[devicelink::kRegisterEntries * c + k] = -1;
        }
    }
}

void BoundRequest::Enable(int c, int entries)
{
    request.block.enabled[c] = 1;
    request.block.entries[c] = uint8_t(entries);
}

void BoundRequest::Channel(int c, int address, int type, int bytes, int entries, int first, int mask)
{
    auto& b = request.block;
    Enable(c, entries);
    b.address[c] = address;
    b.readType[c] = uint8_t(type);
    b.byteCount[c] = bytes;
    for (int k = 0; k < entries; ++k) {
        b.readRegister[devicelink::kRegisterEntries * c + k] = uint8_t(first + k * bytes);
        b.readMask[devicelink::kRegisterEntries * c + k] = mask;
    }
}

bool BoundRequest::GuardIntact(int c) const
{
    const size_t capacity = size_t(request.block.capacity[c]);
    for (size_t i = capacity; i < values[c].size(); ++i)
        if (values[c][i] != kGuardValue)
            return false;
    return true;
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void PointDriverAt(uint16_t port)
{
    ::setenv("CORVIK_TRANSPORT", TestTransport(), 1);
    ::setenv("CORVIK_DEVICE_HOST", "127.0.0.1", 1);
    ::setenv("CORVIK_DEVICE_PORT", std::to_string(port).c_str(), 1);
}

}  // namespace corviktest
