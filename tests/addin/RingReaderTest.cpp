// The ring reader against the driver's own writer (ChannelRings), on a small ring so that its
// wrap comes soon: whole samples of three entries in 32 entries wrap at 30.
#include "addin/device/RingReader.h"

#include "devicelink/link/ChannelRing.h"
#include "platform/Event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace {

using addin::device::RingReader;
using addin::device::RingView;

constexpr int kEntries = 3;

class RingAgainstDriver : public ::testing::Test {
protected:
    void Bind(int capacity)
    {
        capacity_ = capacity;
        values_.assign(size_t(capacity), 0);
        times_.assign(size_t(capacity), 0);
        devicelink::MeasureRequest request;
        request.block.kind = devicelink::kind::kTimed;
        request.block.enabled[0] = 1;
        request.block.entries[0] = kEntries;
        request.block.capacity[0] = capacity;
        request.block.perEvent = 1;
        for (int k = 0; k < 8; ++k)
            request.block.readMask[k] = -1;
        request.host.event = &event_;
        request.host.values[0] = values_.data();
        request.host.times[0] = times_.data();
        request.host.counts[0] = &count_;
        rings_.Bind(request);
        reader_.Restart();
    }
    // One sample a frame: entry k of sample s is s * 10 + k, its time s.
    void Write(int samples)
    {
        for (int i = 0; i < samples; ++i, ++written_) {
            std::vector<uint32_t> payload(33, 0);
            payload[0] = uint32_t(written_);
            for (int k = 0; k < kEntries; ++k)
                payload[1 + size_t(k)] = uint32_t(written_ * 10 + k);
            rings_.OnMeasureBlock(payload);
        }
    }
    RingView View() const
    {
        return {values_.data(), times_.data(), count_.load(), capacity_, kEntries};
    }
    // Everything readable now, as sample numbers, at most `limit` samples a span.
    std::vector<int> Read(int limit = 1000)
    {
        std::vector<int> got;
        const RingView ring = View();
        reader_.Refresh(ring);
        for (;;) {
            const RingReader::Span span = reader_.Next(ring, limit);
            if (span.samples == 0)
                break;
            for (int s = 0; s < span.samples; ++s) {
                const uint32_t first = values_[size_t(span.first + s * kEntries)];
                EXPECT_EQ(first % 10, 0u);
                EXPECT_EQ(values_[size_t(span.first + s * kEntries + 2)], first + 2);  // whole samples
                got.push_back(int(first / 10));
            }
            reader_.Consume(ring, span);
        }
        return got;
    }

    platform::Event dataEvent_{platform::Event::Kind::ManualReset};
    platform::Event event_{platform::Event::Kind::ManualReset};
    devicelink::ChannelRings rings_{dataEvent_};
    std::vector<uint32_t> values_;
    std::vector<int32_t> times_;
    std::atomic<int32_t> count_{0};
    int capacity_ = 0;
    int written_ = 0;
    RingReader reader_;
};

std::vector<int> Range(int first, int end)
{
    std::vector<int> out;
    for (int i = first; i < end; ++i)
        out.push_back(i);
    return out;
}

TEST(RingWrap, AtTheLastWholeSample)
{
    EXPECT_EQ(RingReader::WrapPoint(32, 3), 30);
    EXPECT_EQ(RingReader::WrapPoint(0x100000, 3), 1048575);
    EXPECT_EQ(RingReader::WrapPoint(30, 3), 30);
    EXPECT_EQ(RingReader::WrapPoint(32, 0), 32);
}

// The ring length is not a multiple of the sample: the write count never equals it.
TEST_F(RingAgainstDriver, OneAndAHalfRoundsDeliverEverySampleOnce)
{
    Bind(32);
    std::vector<int> got;
    for (int step : {4, 3, 2, 4, 2}) {  // 15 samples, 1.5 rounds of 10
        Write(step);
        for (int s : Read())
            got.push_back(s);
    }
    EXPECT_EQ(got, Range(0, 15));
    EXPECT_EQ(reader_.DeliveredSamples(), 15);
    EXPECT_EQ(reader_.Rounds(), 1);
    EXPECT_EQ(reader_.Laps(), 0);
}

TEST_F(RingAgainstDriver, ACountThatReachesTheRingEndExactly)
{
    Bind(30);
    Write(10);
    EXPECT_EQ(Read(), Range(0, 10));
    EXPECT_EQ(count_.load(), 30);
    Write(10);
    EXPECT_EQ(Read(), Range(10, 20));  // the count is back at 30: one round later
    Write(5);
    EXPECT_EQ(Read(), Range(20, 25));
    EXPECT_EQ(reader_.DeliveredSamples(), 25);
}

TEST_F(RingAgainstDriver, ASmallDestinationTakesTheRestNextTime)
{
    Bind(32);
    Write(8);
    std::vector<int> got = Read(3);  // spans of three, all of them in one read
    EXPECT_EQ(got, Range(0, 8));
    Write(7);
    got = Read(4);
    EXPECT_EQ(got, Range(8, 15));
}

TEST_F(RingAgainstDriver, AReaderLappedOnceLosesOnlyWhatWasOverwritten)
{
    Bind(32);
    Write(3);
    EXPECT_EQ(Read(), Range(0, 3));
    Write(12);  // samples 3..14: a round past the reader, over samples 3 and 4
    EXPECT_EQ(Read(), Range(5, 15));
    EXPECT_EQ(reader_.Laps(), 1);
    EXPECT_EQ(reader_.LostSamples(), 2);
    EXPECT_EQ(reader_.DeliveredSamples(), 15);
    Write(4);
    EXPECT_EQ(Read(), Range(15, 19));
}

TEST_F(RingAgainstDriver, RestartBeginsAfresh)
{
    Bind(32);
    Write(12);
    Read();
    Bind(32);
    written_ = 100;
    Write(2);
    EXPECT_EQ(Read(), Range(100, 102));
}

}  // namespace
