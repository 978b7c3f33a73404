#pragma once

#include "devicelink/protocol/CommandFrame.h"
#include "devicelink/protocol/MeasureSetupBlock.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <cstring>
#include <vector>

// A request with real consumer arrays behind it, as the sensor object would bind them.
struct BoundRequest {
    explicit BoundRequest(int capacity = 64, int32_t requestKind = devicelink::kind::kTimed)
        : event(platform::Event::Kind::ManualReset)
    {
        request.block.kind = requestKind;
        request.host.event = &event;
        for (int c = 0; c < devicelink::kChannelCount; ++c) {
            values[c].assign(size_t(capacity) + 8, 0xCCCCCCCCu);  // guard entries past the end
            times[c].assign(size_t(capacity) + 8, -7);
            request.block.capacity[c] = capacity;
            request.host.values[c] = values[c].data();
            request.host.times[c] = times[c].data();
            request.host.counts[c] = &counts[c];
            for (int k = 0; k < 8; ++k)
                request.block.readMask[8 * c + k] = -1;
        }
    }
    void Enable(int c, int entries)
    {
        request.block.enabled[c] = 1;
        request.block.entries[c] = uint8_t(entries);
    }
    int Count(int c) const { return counts[c].load(); }
    bool GuardIntact(int c) const
    {
        const size_t cap = size_t(request.block.capacity[c]);
        for (size_t i = cap; i < values[c].size(); ++i)
            if (values[c][i] != 0xCCCCCCCCu)
                return false;
        return true;
    }

    platform::Event event;
    devicelink::MeasureRequest request;
    std::vector<uint32_t> values[devicelink::kChannelCount];
    std::vector<int32_t> times[devicelink::kChannelCount];
    std::atomic<int32_t> counts[devicelink::kChannelCount] = {};
};

inline std::vector<uint32_t> FrameWords(const std::vector<uint8_t>& bytes)
{
    std::vector<uint32_t> words(bytes.size() / 4);
    std::memcpy(words.data(), bytes.data(), words.size() * 4);
    return words;
}

// Polls a condition that another thread makes true, for at most limit.
template <typename Pred>
bool Eventually(Pred pred, std::chrono::milliseconds limit = std::chrono::milliseconds(3000))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (pred())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return pred();
}
