#include "devicelink/link/StreamPacketQueue.h"

#include "devicelink/protocol/CommandFrame.h"

#include <chrono>

namespace devicelink {

bool StreamPacketQueue::Push(const StreamPacket& packet)
{
    {
        std::lock_guard lock(mutex_);
        if (packets_.size() >= capacity_)
            return false;
        packets_.push_back(packet);
    }
    cv_.notify_one();
    return true;
}

int StreamPacketQueue::NextRound(std::span<StreamPacket> out, uint32_t timeoutMs)
{
    std::unique_lock lock(mutex_);
    cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return woken_ || !packets_.empty(); });
    if (woken_)
        return -1;
    if (packets_.empty() || out.empty())
        return 0;
    out[0] = packets_.front();
    packets_.pop_front();
    return 1;
}

void StreamPacketQueue::Wake()
{
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    cv_.notify_all();
}

void StreamPacketQueue::Rearm()
{
    std::lock_guard lock(mutex_);
    woken_ = false;
    packets_.clear();
}

StreamPacket StreamPacketFromFrame(std::span<const uint32_t> payload)
{
    StreamPacket packet;
    if (payload.size() < kStreamPacketWords)
        return packet;
    packet.timeBaseMs = payload[0];
    for (int j = 0; j < kStreamPacketSamples / 2; ++j) {
        const uint32_t w = payload[1 + j];
        packet.samples[2 * j] = uint16_t(w & 0xFFFF);
        packet.samples[2 * j + 1] = uint16_t(w >> 16);
    }
    return packet;
}

}  // namespace devicelink
