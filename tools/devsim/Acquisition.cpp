#include "tools/devsim/Acquisition.h"

#include "devicelink/protocol/CommandFrame.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace devsim {

namespace {

using devicelink::kChannelCount;
constexpr int64_t kMinIntervalUs = 100;
constexpr int kMaxTicksPerAdvance = 2000;
constexpr size_t kBulkWordsPerFrame = 1024;

OutFrame Frame(uint32_t code, const std::vector<uint32_t>& payload)
{
    return OutFrame{code, devicelink::MakeFrame(code, payload)};
}

}  // namespace

bool ParseDelivery(std::string_view text, Delivery& out)
{
    for (Delivery d : {Delivery::Block, Delivery::Sets, Delivery::Bulk, Delivery::Channel})
        if (text == DeliveryName(d)) {
            out = d;
            return true;
        }
    return false;
}

const char* DeliveryName(Delivery delivery)
{
    switch (delivery) {
    case Delivery::Block:
        return "block";
    case Delivery::Sets:
        return "sets";
    case Delivery::Bulk:
        return "bulk";
    case Delivery::Channel:
        return "channel";
    }
    return "?";
}

Measurement::Measurement(const devicelink::MeasureSetupBlock& block, Delivery delivery, bool fast)
    : block_(block), delivery_(delivery), fast_(fast), triggered_(block.kind == devicelink::kind::kTriggered)
{
    for (int c = 0; c < kChannelCount; ++c) {
        if (block.enabled[c] != 1)
            continue;
        enabled_ |= 1u << c;
        const int32_t interval =
            block.kind == devicelink::kind::kTimedPerChannel ? block.channelInterval[c] : block.interval;
        intervalUs_[c] = std::max<int64_t>(interval, kMinIntervalUs);
    }
    triggerChannels_ = uint32_t(block.triggerWord) & 0xFu & enabled_;
    if (triggerChannels_ == 0)
        triggerChannels_ = enabled_;
}

int64_t Measurement::StampOf(int c, int64_t index) const
{
    // From the exact time of the sample: a step truncated to whole milliseconds first would let
    // the error grow with every sample (142.8 ms a sample reads 2.840 s instead of 2.856 s at 20).
    const int64_t timeUs = index * intervalUs_[c];
    return intervalUs_[c] > 9999 ? timeUs / 1000 : timeUs;
}

bool Measurement::Finished() const
{
    if (enabled_ == 0)
        return true;
    if (block_.count <= 0)
        return false;
    for (int c = 0; c < kChannelCount; ++c)
        if ((enabled_ >> c & 1) && taken_[c] < block_.count)
            return false;
    return true;
}

bool Measurement::NextTick(Tick& tick) const
{
    int64_t best = std::numeric_limits<int64_t>::max();
    for (int c = 0; c < kChannelCount; ++c)
        if ((enabled_ >> c & 1) && (block_.count <= 0 || taken_[c] < block_.count))
            best = std::min(best, next_[c] * intervalUs_[c]);
    if (best == std::numeric_limits<int64_t>::max())
        return false;
    tick = Tick{double(best) / 1e6, 0, 0};
    for (int c = 0; c < kChannelCount; ++c)
        if ((enabled_ >> c & 1) && (block_.count <= 0 || taken_[c] < block_.count)
            && next_[c] * intervalUs_[c] == best) {
            tick.channels |= 1u << c;
            tick.stamp = StampOf(c, next_[c]);
        }
    return true;
}

double Measurement::NextDue() const
{
    Tick tick;
    if (!NextTick(tick))
        return std::numeric_limits<double>::infinity();
    return Hurrying() ? 0.0 : tick.time;
}

void Measurement::Advance(double elapsed, const ChannelReader& read, std::vector<OutFrame>& out)
{
    const bool hurry = Hurrying();
    int64_t takenBefore = 0;
    for (int64_t t : taken_)
        takenBefore += t;
    for (int i = 0; i < kMaxTicksPerAdvance; ++i) {
        Tick tick;
        if (!NextTick(tick) || (!hurry && tick.time > elapsed))
            break;
        Take(tick, read, out);
    }
    int64_t takenAfter = 0;
    for (int64_t t : taken_)
        takenAfter += t;
    // A trigger that never fires would otherwise keep a fast device polling without pause.
    stalled_ = takenAfter == takenBefore;
    FlushSets(out);
    FlushBulk(out);
}

void Measurement::Take(const Tick& tick, const ChannelReader& read, std::vector<OutFrame>& out)
{
    for (int c = 0; c < kChannelCount; ++c)
        if (tick.channels >> c & 1)
            ++next_[c];
    const size_t maxWords = delivery_ == Delivery::Channel ? 128 : 8;
    std::vector<uint32_t> words[kChannelCount];
    for (int c = 0; c < kChannelCount; ++c)
        if (tick.channels >> c & 1)
            words[c] = read(c, tick.time, maxWords);

    if (triggered_) {
        bool fire = false;
        for (int c = 0; c < kChannelCount; ++c) {
            const uint32_t first = words[c].empty() ? 0 : words[c][0];
            if (haveLast_ && (triggerChannels_ >> c & 1) && first != last_[c])
                fire = true;
            last_[c] = first;
        }
        haveLast_ = true;
        if (!fire)
            return;
    }
    for (int c = 0; c < kChannelCount; ++c)
        if (tick.channels >> c & 1)
            ++taken_[c];

    switch (delivery_) {
    case Delivery::Block: {
        std::vector<uint32_t> payload(devicelink::kReadReplyWords, 0);
        payload[0] = uint32_t(tick.stamp);
        for (int c = 0; c < kChannelCount; ++c)
            for (size_t k = 0; k < words[c].size() && k < 8; ++k)
                payload[1 + 8 * c + k] = words[c][k];
        out.push_back(Frame(devicelink::code::kMeasureBlock, payload));
        break;
    }
    case Delivery::Channel:
        for (int c = 0; c < kChannelCount; ++c) {
            if (!(tick.channels >> c & 1))
                continue;
            std::vector<uint32_t> payload(devicelink::kChannelBlockWords, 0);
            payload[0] = uint32_t(tick.stamp);
            payload[1] = uint32_t(c);
            std::copy_n(words[c].begin(), std::min<size_t>(words[c].size(), 128), payload.begin() + 2);
            out.push_back(Frame(devicelink::code::kChannelBlock, payload));
        }
        break;
    case Delivery::Sets:
        for (int c = 0; c < kChannelCount; ++c) {
            if (!(tick.channels >> c & 1))
                continue;
            const size_t n = std::max<size_t>(1, std::min<size_t>(block_.entries[c], 8));
            for (size_t k = 0; k < n; ++k)
                sets_[c].push_back(k < words[c].size() ? words[c][k] : 0);
            if (sets_[c].size() + n > 16)
                FlushSets(out);
        }
        break;
    case Delivery::Bulk:
        for (int c = 0; c < kChannelCount; ++c) {
            if (!(tick.channels >> c & 1))
                continue;
            const size_t n = std::max<size_t>(1, std::min<size_t>(block_.entries[c], 8));
            for (size_t k = 0; k < n; ++k) {
                bulkValues_[c].push_back(k < words[c].size() ? words[c][k] : 0);
                bulkTimes_[c].push_back(uint32_t(tick.stamp));
            }
            if (bulkValues_[c].size() + n > kBulkWordsPerFrame)
                FlushBulk(out);
        }
        break;
    }
}

void Measurement::FlushSets(std::vector<OutFrame>& out)
{
    bool any = false;
    for (const auto& s : sets_)
        any = any || !s.empty();
    if (!any)
        return;
    std::vector<uint32_t> payload(devicelink::kSetBlocksWords, 0);
    for (int c = 0; c < kChannelCount; ++c) {
        const size_t n = std::max<size_t>(1, std::min<size_t>(block_.entries[c], 8));
        payload[size_t(c)] = uint32_t(sets_[c].size() / n);
        std::copy(sets_[c].begin(), sets_[c].end(), payload.begin() + 4 + 16 * c);
        sets_[c].clear();
    }
    out.push_back(Frame(devicelink::code::kSetBlocks, payload));
}

void Measurement::FlushBulk(std::vector<OutFrame>& out)
{
    for (int c = 0; c < kChannelCount; ++c) {
        if (bulkValues_[c].empty())
            continue;
        std::vector<uint32_t> payload{uint32_t(c), uint32_t(bulkValues_[c].size())};
        payload.insert(payload.end(), bulkValues_[c].begin(), bulkValues_[c].end());
        payload.insert(payload.end(), bulkTimes_[c].begin(), bulkTimes_[c].end());
        out.push_back(Frame(devicelink::code::kChannelBulk, payload));
        bulkValues_[c].clear();
        bulkTimes_[c].clear();
    }
}

StreamRun::StreamRun(uint32_t mask)
{
    for (int c = 0; c < kChannelCount; ++c)
        if (mask >> c & 1)
            channels_.push_back(c);
}

double StreamRun::NextDue() const
{
    if (channels_.empty())
        return std::numeric_limits<double>::infinity();
    return double(packets_ + 1) * kPacketSeconds;
}

void StreamRun::Advance(double elapsed, const SampleReader& read, std::vector<OutFrame>& out)
{
    // A host that fell far behind gets the newest packets, not a burst of old ones.
    const int64_t due = int64_t(std::floor(elapsed / kPacketSeconds));
    if (due - packets_ > 500)
        packets_ = due - 500;
    while (!channels_.empty() && double(packets_ + 1) * kPacketSeconds <= elapsed) {
        const int64_t baseMs = packets_ * 2;
        std::vector<uint32_t> payload(devicelink::kStreamPacketWords, 0);
        payload[0] = uint32_t(baseMs);
        for (int k = 0; k < kSamplesPerPacket; ++k) {
            const int c = channels_[size_t(k) % channels_.size()];
            const uint16_t v = read(c, double(baseMs) / 1e3 + 10e-6 * k);
            payload[1 + size_t(k) / 2] |= uint32_t(v) << (16 * (k % 2));
        }
        out.push_back(Frame(devicelink::code::kStreamPacket, payload));
        ++packets_;
    }
}

}  // namespace devsim
