#pragma once

#include "devicelink/protocol/MeasureSetupBlock.h"

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

// The logger's running measurement and stream: which samples are due, and the data frames that
// carry them in the reply shape the scenario chose.
namespace devsim {

// The data-reply shapes of a timed measurement.
enum class Delivery {
    Block,    // 0x1000000C: time stamp and 8 words of every channel per sample
    Sets,     // 0x12220002: up to 16 words per channel, in sets of the channel's entry count
    Bulk,     // 0x10000010: one channel, n values then n times
    Channel,  // 0x12220001: time stamp, channel, 128 words of one channel's register bytes
};
bool ParseDelivery(std::string_view text, Delivery& out);
const char* DeliveryName(Delivery delivery);

// A frame the device sends, tagged with the code a fault plan looks it up by: the host command
// it answers, or its own code when the device sends it unasked.
struct OutFrame {
    uint32_t trigger = 0;
    std::vector<uint8_t> bytes;
};

// (channel, device time in seconds, at most this many words) -> the channel's value words.
using ChannelReader = std::function<std::vector<uint32_t>(int, double, size_t)>;

// Kind 2 (and any kind not listed): every enabled channel at the block's interval. Kind 17: each
// channel at its own interval. Kind 64: channels are polled at the interval and a sample of all
// enabled channels is taken whenever the first word of a channel named in the trigger word's low
// byte changes (every enabled channel when it names none). A count of 0 runs until stopped.
// A sample's time stamp is its true time since the start (index x interval), in microseconds, or
// in whole milliseconds when the interval is above 9999 microseconds.
class Measurement {
public:
    Measurement(const devicelink::MeasureSetupBlock& block, Delivery delivery, bool fast);

    // Produces the frames of every sample due by `elapsed` seconds after the start (with `fast`,
    // the next batch whatever the time, except for a measurement without a count, and for a
    // triggered one whose last batch found no trigger: it waits for real time to catch up).
    void Advance(double elapsed, const ChannelReader& read, std::vector<OutFrame>& out);
    bool Finished() const;
    // Seconds after the start at which the next sample is due; 0 while hurrying.
    double NextDue() const;
    int64_t SamplesTaken(int c) const { return taken_[c]; }

private:
    struct Tick {
        double time = 0.0;
        int64_t stamp = 0;
        uint32_t channels = 0;  // bit c: channel c takes a sample
    };
    bool NextTick(Tick& tick) const;
    void Take(const Tick& tick, const ChannelReader& read, std::vector<OutFrame>& out);
    void FlushSets(std::vector<OutFrame>& out);
    void FlushBulk(std::vector<OutFrame>& out);
    int64_t StampOf(int c, int64_t index) const;
    bool Hurrying() const { return fast_ && block_.count > 0 && !stalled_; }

    devicelink::MeasureSetupBlock block_;
    Delivery delivery_;
    bool fast_;
    bool triggered_;
    uint32_t enabled_ = 0;
    uint32_t triggerChannels_ = 0;
    int64_t intervalUs_[devicelink::kChannelCount] = {};
    int64_t next_[devicelink::kChannelCount] = {};   // index of the next poll per channel
    int64_t taken_[devicelink::kChannelCount] = {};
    bool stalled_ = false;  // the last batch took no sample
    bool haveLast_ = false;
    uint32_t last_[devicelink::kChannelCount] = {};
    std::vector<uint32_t> sets_[devicelink::kChannelCount];
    std::vector<uint32_t> bulkValues_[devicelink::kChannelCount];
    std::vector<uint32_t> bulkTimes_[devicelink::kChannelCount];
};

// A stream started with a channel mask: a 0x10000017 packet every 2 ms of device time, each with
// its time base in milliseconds and 200 16-bit samples, 10 microseconds apart, dealt round-robin
// to the enabled channels (channel 0 first). Always paced in real time.
class StreamRun {
public:
    static constexpr int kSamplesPerPacket = 200;
    static constexpr double kPacketSeconds = 0.002;
    using SampleReader = std::function<uint16_t(int, double)>;

    explicit StreamRun(uint32_t mask);
    void Advance(double elapsed, const SampleReader& read, std::vector<OutFrame>& out);
    double NextDue() const;
    int64_t PacketsSent() const { return packets_; }

private:
    std::vector<int> channels_;
    int64_t packets_ = 0;
};

}  // namespace devsim
