#pragma once

#include "devicelink/protocol/MeasureSetupBlock.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

// The driver's sample stores for replies that arrive as frames, and their hand-off into the
// arrays of the running request. Everything here runs on the receive thread except Bind,
// Deactivate and the read-reply accessors, which callers use between commands.
namespace devicelink {

inline constexpr int kRingBlocks = 128;
inline constexpr int kBlockEntries = 128;
inline constexpr int kChannelStoreEntries = 0x100000;

enum class DeliveryMode { ByEntries = 0, ChannelStore = 1, ByRegisterBytes = 2 };

// The last one-shot read, 8 entries per channel, all from one reply.
struct ReadReply {
    uint32_t values[kChannelCount][kRegisterEntries] = {};
    int32_t times[kChannelCount][kRegisterEntries] = {};
};

class ChannelRings {
public:
    explicit ChannelRings(platform::Event& dataEvent);
    ChannelRings(const ChannelRings&) = delete;
    ChannelRings& operator=(const ChannelRings&) = delete;

    // Takes a copy of the request whose arrays the next deliveries fill, clears the consumer's
    // counts and the pending counts, and lets data replies through. Done before the start command
    // is sent so that samples that follow its answer at once are kept.
    void Bind(const MeasureRequest& request);
    // Stops deliveries: data replies are ignored until the next Bind.
    void Deactivate();
    bool Active() const;

    // Data replies; each takes the payload of a frame already found sound.
    void OnReadReply(std::span<const uint32_t> payload, int valuesPerChannel);
    void OnMeasureBlock(std::span<const uint32_t> payload);
    void OnChannelBlock(std::span<const uint32_t> payload);
    void OnSetBlocks(std::span<const uint32_t> payload);
    void OnChannelBulk(std::span<const uint32_t> payload);

    // A copy of the last one-shot read. A late reply may land at any moment on the receive
    // thread, so it is taken whole under the lock rather than read entry by entry.
    ReadReply LastReadReply() const;

    DeliveryMode Mode() const { return mode_; }
    int Pending(int channel) const { return pending_[channel]; }

private:
    struct Block {
        uint32_t values[kBlockEntries];
        int32_t times[kBlockEntries];
    };
    Block& BlockAt(int channel, int index) { return blocks_[channel * kRingBlocks + index]; }
    bool Enabled(int channel) const { return setup_.block.enabled[channel] == 1; }
    int EntriesPerSet(int channel) const;
    uint32_t Mask(int channel, int k) const { return uint32_t(setup_.block.readMask[channel * 8 + k]); }
    void DistributeSamples();
    int DistributeChannel(int channel);

    platform::Event& dataEvent_;
    mutable std::mutex mutex_;
    MeasureRequest setup_;
    bool active_ = false;
    DeliveryMode mode_ = DeliveryMode::ByEntries;
    int pending_[kChannelCount] = {};
    int64_t accumulated_ = 0;  // wide: a bulk delivery sets it to the caller's count, then adds

    ReadReply readReply_;
    std::unique_ptr<Block[]> blocks_;
    std::unique_ptr<uint32_t[]> storeValues_;
    std::unique_ptr<int32_t[]> storeTimes_;
};

}  // namespace devicelink
