#pragma once

#include "devicelink/link/ByteTransport.h"
#include "devicelink/protocol/MeasureSetupBlock.h"

#include <cstdint>
#include <memory>

// The streaming thread's work between two waits: packets of a round go into the stream store and
// are dealt round-robin into the descriptor's per-channel buffers; in gap mode (kinds 3 and 4) a
// consumer point is also recorded on every jump of more than 500 counts or every millisecond.
// Only the streaming thread uses a dealer, so it is the one writer of the stream store. In gap
// mode the newest point a count covers (count - 1) goes on taking samples until the next point
// begins; while the stream runs, a consumer reads the points below it only.
namespace devicelink {

inline constexpr int kStreamStoreSamples = 0x100000;

class StreamDealer {
public:
    StreamDealer();
    StreamDealer(const StreamDealer&) = delete;
    StreamDealer& operator=(const StreamDealer&) = delete;

    // The state a new stream starts from; the descriptor and request are copied.
    void Begin(const StreamDescriptor& descriptor, const MeasureSetupHost& host,
               const MeasureSetupBlock& block);
    bool GapMode() const { return gapMode_; }

    // A new round: the stream count restarts at 0.
    void BeginRound() { streamCount_ = 0; }
    // Appends a packet's samples unless its sequence number is not newer than the last one's.
    void AddPacket(const StreamPacket& packet);
    // Deals what the round collected and signals the descriptor's event when due.
    void DealRound();

    int StreamCount() const { return streamCount_; }
    bool Ready() const { return ready_; }
    uint32_t GapIndex() const { return gapIndex_; }

private:
    void DealSample(int channel, uint16_t value, int32_t time);
    void RestartGapIndex();
    void RecordGapPoint(int channel, uint16_t value, int32_t time);
    void EndPass();

    std::unique_ptr<uint16_t[]> values_;
    std::unique_ptr<int32_t[]> times_;
    int streamCount_ = 0;
    uint32_t lastSequence_ = 0;
    uint32_t lastTimeBaseMs_ = 0;

    StreamDescriptor desc_{};
    MeasureSetupHost host_;
    int32_t hostCapacity_[kChannelCount] = {};
    int enabledChannels_[kChannelCount] = {};
    int enabledCount_ = 0;

    bool gapMode_ = false;
    bool ready_ = true;
    int advance_ = 0;
    uint32_t lastAdvance_ = 0;
    uint32_t base_ = 0;
    bool baseSet_ = false;  // base_ belongs to the current run of index 0
    bool haveLast_[kChannelCount] = {};
    uint32_t last_[kChannelCount] = {};
    int blocksSinceEvent_ = 0;
    uint32_t gapIndex_ = 0;
    uint32_t gapLimit_ = 0;
};

}  // namespace devicelink
