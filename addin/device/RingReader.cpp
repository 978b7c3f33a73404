#include "addin/device/RingReader.h"

#include <algorithm>

namespace addin::device {

int32_t RingReader::WrapPoint(int32_t capacity, int32_t entries)
{
    if (capacity <= 0)
        return 0;
    const int32_t n = entries > 0 ? entries : 1;
    return capacity - capacity % n;
}

bool RingReader::LastSampleOverwritten(const RingView& ring) const
{
    return haveLast_ && (ring.values[lastIndex_] != lastValue_ || ring.times[lastIndex_] != lastTime_);
}

void RingReader::Refresh(const RingView& ring)
{
    const int32_t n = EntriesOf(ring);
    const int32_t perRound = WrapPoint(ring.capacity, n) / n;
    if (perRound <= 0 || !ring.values || !ring.times)
        return;
    const int32_t count = std::clamp(ring.writeCount, 0, perRound * n) / n;
    if (count < lastCount_)
        ++rounds_;
    lastCount_ = count;
    int64_t written = rounds_ * perRound + count;
    // The writer is never behind the reader: a count that says so has wrapped unseen.
    while (written < read_) {
        ++rounds_;
        written += perRound;
    }
    if (LastSampleOverwritten(ring) && written < read_ + perRound) {
        ++rounds_;
        written += perRound;
    }
    // The ring holds the last perRound samples written; anything older is gone.
    if (written - read_ > perRound) {
        lost_ += written - perRound - read_;
        read_ = written - perRound;
        ++laps_;
        haveLast_ = false;
    }
    written_ = written;
}

RingReader::Span RingReader::Next(const RingView& ring, int32_t maxSamples) const
{
    const int32_t n = EntriesOf(ring);
    const int32_t perRound = WrapPoint(ring.capacity, n) / n;
    const int64_t available = written_ - read_;
    if (perRound <= 0 || maxSamples <= 0 || available <= 0)
        return {};
    const int32_t slot = int32_t(read_ % perRound);
    const int64_t samples = std::min<int64_t>({available, int64_t(perRound - slot), int64_t(maxSamples)});
    return {slot * n, int32_t(samples)};
}

void RingReader::Consume(const RingView& ring, Span span)
{
    if (span.samples <= 0)
        return;
    read_ += span.samples;
    lastIndex_ = span.first + (span.samples - 1) * EntriesOf(ring);
    lastValue_ = ring.values[lastIndex_];
    lastTime_ = ring.times[lastIndex_];
    haveLast_ = true;
}

}  // namespace addin::device
