#pragma once

#include <cstdint>

// The read side of one channel's acquisition ring. The driver writes whole samples of
// `entries` words from index 0 on and starts again at 0 when the next sample would not fit, so
// its wrap point is the largest multiple of `entries` within the capacity; it publishes only the
// write count within the current round. The reader counts in samples from the start of the run:
// a write count that fell since the last look means a new round; the last sample read having
// been overwritten means the writer came round past it (a round the count alone cannot show),
// and what it overwrote is lost.
namespace addin::device {

struct RingView {
    const uint32_t* values = nullptr;
    const int32_t* times = nullptr;
    int32_t writeCount = 0;   // entries written in the current round
    int32_t capacity = 0;     // entries
    int32_t entries = 1;      // words a sample
};

class RingReader {
public:
    struct Span {
        int32_t first = 0;    // entry index of the first sample
        int32_t samples = 0;
    };

    void Restart() { *this = RingReader{}; }
    // Takes in the writer's progress; call once before the Next/Consume pairs of one read.
    void Refresh(const RingView& ring);
    // The next run of unread samples that lies in one piece in the ring, at most maxSamples.
    Span Next(const RingView& ring, int32_t maxSamples) const;
    void Consume(const RingView& ring, Span span);

    // Samples written since the start of the run, as far as the reader can tell.
    int64_t DeliveredSamples() const { return written_; }
    int64_t ReadSamples() const { return read_; }
    int64_t Rounds() const { return rounds_; }
    int32_t Laps() const { return laps_; }
    int64_t LostSamples() const { return lost_; }

    static int32_t WrapPoint(int32_t capacity, int32_t entries);
    static int32_t EntriesOf(const RingView& ring) { return ring.entries > 0 ? ring.entries : 1; }

private:
    bool LastSampleOverwritten(const RingView& ring) const;

    int64_t read_ = 0;       // next sample to read, counted from the start
    int64_t written_ = 0;    // samples the writer has written
    int64_t rounds_ = 0;     // rounds the writer has completed
    int32_t lastCount_ = 0;  // write count of the last look, in samples
    int32_t laps_ = 0;
    int64_t lost_ = 0;
    bool haveLast_ = false;
    int32_t lastIndex_ = 0;
    uint32_t lastValue_ = 0;
    int32_t lastTime_ = 0;
};

}  // namespace addin::device
