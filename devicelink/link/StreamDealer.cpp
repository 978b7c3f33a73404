#include "devicelink/link/StreamDealer.h"

#include <algorithm>

namespace devicelink {

namespace {

constexpr int kStoreRestartAbove = kStreamStoreSamples - 401;
constexpr uint32_t kJumpCounts = 500;
constexpr uint32_t kTimeStepUs = 1000;
constexpr uint32_t kPreTriggerLast = 10;

}  // namespace

StreamDealer::StreamDealer()
    : values_(new uint16_t[kStreamStoreSamples]), times_(new int32_t[kStreamStoreSamples])
{
}

void StreamDealer::Begin(const StreamDescriptor& descriptor, const MeasureSetupHost& host,
                         const MeasureSetupBlock& block)
{
    desc_ = descriptor;
    host_ = host;
    streamCount_ = 0;
    lastSequence_ = 0;
    gapMode_ = desc_.kind == kind::kStreamGap || desc_.kind == kind::kStreamTrigger;
    ready_ = desc_.kind != kind::kStreamTrigger;
    advance_ = 0;
    lastAdvance_ = 0;
    base_ = 0;
    baseSet_ = false;
    blocksSinceEvent_ = 0;
    gapIndex_ = 0;
    enabledCount_ = 0;
    gapLimit_ = UINT32_MAX;
    for (int c = 0; c < kChannelCount; ++c) {
        haveLast_[c] = false;
        last_[c] = 0;
        hostCapacity_[c] = std::max(block.capacity[c], 0);
        if (desc_.enabled[c] == 1) {
            enabledChannels_[enabledCount_++] = c;
            if (host_.ChannelBound(c))
                gapLimit_ = std::min(gapLimit_, uint32_t(hostCapacity_[c]));
        }
    }
}

void StreamDealer::AddPacket(const StreamPacket& packet)
{
    if (packet.sequenced) {
        if (packet.sequence <= lastSequence_)
            return;
        lastSequence_ = packet.sequence;
    }
    lastTimeBaseMs_ = packet.timeBaseMs;
    if (streamCount_ > kStoreRestartAbove)
        streamCount_ = 0;
    // Milliseconds to microseconds wraps in 32 bits, as the logger's own clock does.
    const uint32_t base = packet.timeBaseMs * 1000u;
    for (int k = 0; k < kStreamPacketSamples; ++k) {
        values_[streamCount_ + k] = packet.samples[k];
        times_[streamCount_ + k] = int32_t(base + 10u * uint32_t(k));
    }
    streamCount_ += kStreamPacketSamples;
}

void StreamDealer::DealSample(int c, uint16_t value, int32_t time)
{
    std::atomic<int32_t>* cell = desc_.counts[c];
    if (cell && desc_.values[c] && desc_.times[c] && desc_.channelCapacity[c] > 0) {
        int32_t at = cell->load(std::memory_order_relaxed);
        if (at < 0 || at >= desc_.channelCapacity[c])
            at = 0;
        desc_.values[c][at] = value;
        desc_.times[c][at] = time;
        cell->store(at + 1, std::memory_order_release);
    }
    if (gapMode_)
        RecordGapPoint(c, value, time);
}

void StreamDealer::RecordGapPoint(int c, uint16_t value, int32_t time)
{
    if (!host_.ChannelBound(c))
        return;
    if (gapIndex_ >= gapLimit_)
        RestartGapIndex();
    if (gapIndex_ >= uint32_t(hostCapacity_[c]))
        return;
    // The base is taken once when index 0 starts, not at every sample that lands there: taken
    // anew each time, the time since it stays 0 and a steady signal would never earn a point.
    if (gapIndex_ == 0 && !baseSet_) {
        base_ = uint32_t(time);
        lastAdvance_ = 0;
        baseSet_ = true;
    }
    const uint32_t since = uint32_t(time) - base_;
    if (!haveLast_[c]) {
        last_[c] = value;
        haveLast_[c] = true;
    }
    if (last_[c] - value + kJumpCounts > 2 * kJumpCounts) {
        advance_ = 1;
        ready_ = true;
    } else if (since - lastAdvance_ > kTimeStepUs) {
        advance_ = 1;
        lastAdvance_ = since;
    }
    host_.values[c][gapIndex_] = value;
    host_.times[c][gapIndex_] = int32_t(since);
    last_[c] = value;
    host_.counts[c]->store(int32_t(gapIndex_ + 1), std::memory_order_release);
}

void StreamDealer::EndPass()
{
    if (!gapMode_)
        return;
    if (advance_ > 0) {
        --advance_;
        ++gapIndex_;
    }
    if (!ready_ && gapIndex_ > kPreTriggerLast)
        RestartGapIndex();
}

void StreamDealer::RestartGapIndex()
{
    gapIndex_ = 0;
    baseSet_ = false;
}

void StreamDealer::DealRound()
{
    for (int c = 0; c < kChannelCount; ++c) {
        std::atomic<int32_t>* cell = desc_.counts[c];
        if (cell && int64_t(cell->load(std::memory_order_relaxed)) >
                        int64_t(desc_.channelCapacity[c]) - streamCount_) {
            cell->store(0, std::memory_order_release);
            blocksSinceEvent_ = 0;
        }
    }
    if (enabledCount_ == 0)
        return;
    for (int start = 0; start + kStreamPacketSamples <= streamCount_; start += kStreamPacketSamples) {
        int next = 0;
        for (int s = start; s < start + kStreamPacketSamples; ++s) {
            DealSample(enabledChannels_[next], values_[s], times_[s]);
            if (++next == enabledCount_) {
                next = 0;
                EndPass();
            }
        }
        ++blocksSinceEvent_;
        bool due;
        if (gapMode_)
            due = ready_ && blocksSinceEvent_ >= desc_.blocksPerEvent;
        else
            due = blocksSinceEvent_ >= desc_.blocksPerEvent &&
                  blocksSinceEvent_ >= desc_.capacity / kStreamPacketSamples;
        if (due) {
            if (desc_.event)
                desc_.event->Set();
            blocksSinceEvent_ = 0;
        }
    }
}

}  // namespace devicelink
