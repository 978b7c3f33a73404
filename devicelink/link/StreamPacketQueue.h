#pragma once

#include "devicelink/link/ByteTransport.h"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace devicelink {

// Stream packets that arrived as frames, handed from the receive thread to the streaming thread.
// Bounded: when the consumer falls behind the newest packets are dropped, never blocking the
// receive thread.
class StreamPacketQueue : public StreamPacketSource {
public:
    explicit StreamPacketQueue(size_t capacity = 64) : capacity_(capacity) {}

    // Returns false when the packet was dropped because the queue is full.
    bool Push(const StreamPacket& packet);

    // Pops at most one packet per round, so each round deals exactly what one frame carried.
    int NextRound(std::span<StreamPacket> out, uint32_t timeoutMs) override;
    void Wake() override;
    void Rearm() override;

private:
    const size_t capacity_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<StreamPacket> packets_;
    bool woken_ = false;
};

// Decodes the payload of a streamed-packet frame: the time base, then 200 samples packed two per
// word, low half first.
StreamPacket StreamPacketFromFrame(std::span<const uint32_t> payload);

}  // namespace devicelink
