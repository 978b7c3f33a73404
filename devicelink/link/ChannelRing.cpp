#include "devicelink/link/ChannelRing.h"

#include <algorithm>

namespace devicelink {

namespace {

constexpr int kMaxSetsPerFrame = 16;
constexpr int kSetAreaWords = 16;

}  // namespace

ChannelRings::ChannelRings(platform::Event& dataEvent)
    : dataEvent_(dataEvent),
      blocks_(new Block[kChannelCount * kRingBlocks]),
      storeValues_(new uint32_t[size_t(kChannelCount) * kChannelStoreEntries]),
      storeTimes_(new int32_t[size_t(kChannelCount) * kChannelStoreEntries])
{
}

void ChannelRings::Bind(const MeasureRequest& request)
{
    std::lock_guard lock(mutex_);
    setup_ = request;
    active_ = true;
    for (int c = 0; c < kChannelCount; ++c) {
        if (setup_.host.counts[c])
            setup_.host.counts[c]->store(0, std::memory_order_release);
        pending_[c] = 0;
    }
    accumulated_ = 0;
    dataEvent_.Reset();
}

void ChannelRings::Deactivate()
{
    std::lock_guard lock(mutex_);
    active_ = false;
}

bool ChannelRings::Active() const
{
    std::lock_guard lock(mutex_);
    return active_;
}

int ChannelRings::EntriesPerSet(int channel) const
{
    return std::min<int>(setup_.block.entries[channel], kRegisterEntries);
}

void ChannelRings::OnReadReply(std::span<const uint32_t> payload, int valuesPerChannel)
{
    std::lock_guard lock(mutex_);
    mode_ = DeliveryMode::ByEntries;
    const int32_t stamp = int32_t(payload[0]);
    for (int c = 0; c < kChannelCount; ++c) {
        for (int k = 0; k < kRegisterEntries; ++k)
            readReply_.values[c][k] = payload[1 + size_t(valuesPerChannel) * c + k];
        readReply_.times[c][0] = stamp;
    }
}

ReadReply ChannelRings::LastReadReply() const
{
    std::lock_guard lock(mutex_);
    return readReply_;
}

void ChannelRings::OnMeasureBlock(std::span<const uint32_t> payload)
{
    std::lock_guard lock(mutex_);
    if (!active_)
        return;
    mode_ = DeliveryMode::ByEntries;
    const int32_t stamp = int32_t(payload[0]);
    for (int c = 0; c < kChannelCount; ++c) {
        if (pending_[c] >= kRingBlocks)
            pending_[c] = 0;
        Block& b = BlockAt(c, pending_[c]);
        for (int k = 0; k < 8; ++k) {
            b.values[k] = payload[1 + 8 * c + k];
            b.times[k] = stamp;
        }
        pending_[c] = Enabled(c) ? pending_[c] + 1 : 0;
    }
    dataEvent_.Set();
    DistributeSamples();
}

void ChannelRings::OnChannelBlock(std::span<const uint32_t> payload)
{
    std::lock_guard lock(mutex_);
    if (!active_)
        return;
    mode_ = DeliveryMode::ByRegisterBytes;
    const uint32_t g = payload[1];
    if (g >= uint32_t(kChannelCount))
        return;
    const int c = int(g);
    if (pending_[c] >= kRingBlocks)
        pending_[c] = 0;
    Block& b = BlockAt(c, pending_[c]);
    const int32_t stamp = int32_t(payload[0]);
    for (int k = 0; k < kBlockEntries; ++k) {
        b.values[k] = payload[2 + k];
        b.times[k] = stamp;
    }
    pending_[c] = Enabled(c) ? pending_[c] + 1 : 0;
    dataEvent_.Set();
    DistributeSamples();
}

void ChannelRings::OnSetBlocks(std::span<const uint32_t> payload)
{
    std::lock_guard lock(mutex_);
    if (!active_)
        return;
    mode_ = DeliveryMode::ByEntries;
    for (int c = 0; c < kChannelCount; ++c) {
        const uint32_t sets = payload[c];
        if (sets > uint32_t(kMaxSetsPerFrame))
            return;  // the rest of the frame is dropped; earlier channels stay pending
        const int n = EntriesPerSet(c);
        // n words per set out of a 16-word area: more sets than fit would read the next channel.
        const int h = std::min<int>(int(sets), n > 0 ? kSetAreaWords / n : kMaxSetsPerFrame);
        if (!Enabled(c)) {
            pending_[c] = 0;
            continue;
        }
        const std::atomic<int32_t>* countCell = setup_.host.counts[c];
        const int32_t consumed = countCell ? countCell->load(std::memory_order_relaxed) : 0;
        const uint32_t delivered = uint32_t(n > 0 ? consumed / n : consumed);
        if (h + pending_[c] >= kRingBlocks)
            pending_[c] = 0;
        int32_t step;
        if (setup_.block.kind == kind::kTriggered)
            step = 1;
        else if (setup_.block.kind == kind::kTimedPerChannel)
            step = setup_.block.channelInterval[c];
        else
            step = setup_.block.interval;
        if (step > 9999)
            step /= 1000;
        const uint32_t* area = payload.data() + 4 + kSetAreaWords * c;
        for (int k = 0; k < h; ++k) {
            Block& b = BlockAt(c, pending_[c] + k);
            const int32_t t = int32_t(uint32_t(step) * (delivered + uint32_t(k)));
            for (int e = 0; e < n; ++e) {
                b.values[e] = area[k * n + e];
                b.times[e] = t;
            }
        }
        pending_[c] += h;
    }
    dataEvent_.Set();
    DistributeSamples();
}

void ChannelRings::OnChannelBulk(std::span<const uint32_t> payload)
{
    std::lock_guard lock(mutex_);
    if (!active_)
        return;
    mode_ = DeliveryMode::ChannelStore;
    const uint32_t channel = payload[0];
    const uint32_t m = payload[1];
    if (channel < uint32_t(kChannelCount)) {
        const int c = int(channel);
        if (!Enabled(c)) {
            pending_[c] = 0;
        } else {
            // The frame was checked to hold all m values and m times; the store ends where it ends.
            const uint32_t room = uint32_t(kChannelStoreEntries - pending_[c]);
            const uint32_t take = std::min(m, room);
            uint32_t* values = storeValues_.get() + size_t(c) * kChannelStoreEntries + pending_[c];
            int32_t* times = storeTimes_.get() + size_t(c) * kChannelStoreEntries + pending_[c];
            for (uint32_t k = 0; k < take; ++k) {
                values[k] = payload[2 + k];
                times[k] = int32_t(payload[2 + size_t(m) + k]);
            }
            pending_[c] += int(take);
        }
    }
    dataEvent_.Set();
    DistributeSamples();
}

// Copies channel c's pending data into the consumer's arrays. Each sample that would not fit
// behind the consumer's count restarts the count at 0 first, so the count never passes the
// capacity. Returns the pending count it found.
int ChannelRings::DistributeChannel(int c)
{
    const int p = pending_[c];
    pending_[c] = 0;
    const MeasureSetupHost& host = setup_.host;
    if (!host.ChannelBound(c))
        return p;
    uint32_t* values = host.values[c];
    int32_t* times = host.times[c];
    const int32_t capacity = std::max(setup_.block.capacity[c], 0);
    int32_t cnt = host.counts[c]->load(std::memory_order_relaxed);
    if (cnt < 0 || cnt > capacity)
        cnt = 0;
    const int n = EntriesPerSet(c);

    auto copyMasked = [&](const uint32_t* srcValues, const int32_t* srcTimes, int count, int masks) {
        if (count > capacity)
            return;
        if (int64_t(cnt) + count > capacity)
            cnt = 0;
        for (int k = 0; k < count; ++k) {
            values[cnt + k] = masks > 0 ? srcValues[k] & Mask(c, k % masks) : srcValues[k];
            times[cnt + k] = srcTimes[k];
        }
        cnt += count;
    };

    switch (mode_) {
    case DeliveryMode::ByEntries:
        for (int b = 0; b < p; ++b) {
            const Block& block = BlockAt(c, b);
            copyMasked(block.values, block.times, n, n);
        }
        break;
    case DeliveryMode::ChannelStore:
        if (p > 0) {
            const uint32_t* sv = storeValues_.get() + size_t(c) * kChannelStoreEntries;
            const int32_t* st = storeTimes_.get() + size_t(c) * kChannelStoreEntries;
            for (int k = 0; k < p && capacity > 0; ++k) {
                if (cnt >= capacity)
                    cnt = 0;
                values[cnt] = n > 0 ? sv[k] & Mask(c, k % n) : sv[k];
                times[cnt] = st[k];
                ++cnt;
            }
            accumulated_ = setup_.block.perEvent;
        }
        break;
    case DeliveryMode::ByRegisterBytes: {
        const int32_t r = setup_.block.byteCount[c];
        for (int b = 0; b < p; ++b) {
            const Block& block = BlockAt(c, b);
            if (r > 4) {
                const int words = std::min(r / 4, kBlockEntries);
                if (int64_t(capacity) < int64_t(r) + cnt)
                    cnt = 0;
                copyMasked(block.values, block.times, words, 0);
            } else {
                copyMasked(block.values, block.times, n, n);
            }
        }
        break;
    }
    }
    host.counts[c]->store(cnt, std::memory_order_release);
    return p;
}

void ChannelRings::DistributeSamples()
{
    int largest = 1;
    for (int c = 0; c < kChannelCount; ++c) {
        if (!Enabled(c))
            continue;
        largest = std::max(largest, DistributeChannel(c));
    }
    accumulated_ += largest;
    if (accumulated_ >= setup_.block.perEvent) {
        accumulated_ = 0;
        if (setup_.host.event)
            setup_.host.event->Set();
    }
    dataEvent_.Reset();
}

}  // namespace devicelink
