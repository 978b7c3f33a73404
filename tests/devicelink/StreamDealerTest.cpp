#include "devicelink/link/StreamDealer.h"

#include "devicelink/protocol/CommandFrame.h"
#include "tests/support/LinkHelpers.h"

#include <gtest/gtest.h>

using namespace devicelink;
using namespace corviktest;

namespace {

StreamPacket Packet(uint32_t sequence, uint32_t timeBaseMs, uint16_t value, bool sequenced = true)
{
    StreamPacket p;
    p.sequenced = sequenced;
    p.sequence = sequence;
    p.timeBaseMs = timeBaseMs;
    for (auto& s : p.samples)
        s = value;
    return p;
}

struct StreamFixture {
    explicit StreamFixture(int32_t streamKind, int hostCapacity = 64) : request(hostCapacity, streamKind)
    {
        descriptor.kind = streamKind;
        descriptor.one = 1;
        descriptor.capacity = kStreamCapacity;
        descriptor.event = &event;
        descriptor.blocksPerEvent = 1;
        for (int c = 0; c < kChannelCount; ++c) {
            values[c].assign(4096, 0);
            times[c].assign(4096, 0);
            descriptor.channelCapacity[c] = 4096;
            descriptor.values[c] = values[c].data();
            descriptor.times[c] = times[c].data();
            descriptor.counts[c] = &counts[c];
        }
    }
    void Enable(int c)
    {
        descriptor.enabled[c] = 1;
        request.Enable(c, 1);
    }
    void Begin() { dealer.Begin(descriptor, request.request.host, request.request.block); }
    void Round(std::initializer_list<StreamPacket> packets)
    {
        dealer.BeginRound();
        for (const auto& p : packets)
            dealer.AddPacket(p);
        dealer.DealRound();
    }

    platform::Event event{platform::Event::Kind::ManualReset};
    BoundRequest request{64, kind::kTimed};
    StreamDescriptor descriptor{};
    std::vector<uint32_t> values[kChannelCount];
    std::vector<int32_t> times[kChannelCount];
    std::atomic<int32_t> counts[kChannelCount] = {};
    StreamDealer dealer;
};

}  // namespace

TEST(StreamDealer, RepeatedSequenceIsStoredOnceAndSamplesAreDealtRoundRobin)
{
    StreamFixture f(kind::kTimed);
    f.Enable(0);
    f.Enable(2);
    f.Begin();
    EXPECT_FALSE(f.dealer.GapMode());
    f.Round({Packet(5, 3, 11), Packet(5, 3, 11)});
    EXPECT_EQ(f.dealer.StreamCount(), 200);
    EXPECT_EQ(f.counts[0].load(), 100);
    EXPECT_EQ(f.counts[2].load(), 100);
    EXPECT_EQ(f.counts[1].load(), 0);
    // Sample k of a packet is time base x 1000 + 10 k; channel 2 gets the odd samples.
    EXPECT_EQ(f.times[2][0], 3010);
    EXPECT_EQ(f.times[0][99], 3000 + 10 * 198);
    f.Round({Packet(4, 9, 1)});  // older: skipped
    EXPECT_EQ(f.dealer.StreamCount(), 0);
    EXPECT_EQ(f.counts[0].load(), 100);
    // The time base in microseconds wraps in 32 bits.
    f.Round({Packet(6, 4294968u, 0)});
    EXPECT_EQ(uint32_t(f.times[0][100]), uint32_t(4294968u * 1000u));
}

TEST(StreamDealer, NoEnabledChannelDealsNothing)
{
    StreamFixture f(kind::kStreamGap);
    f.Begin();
    f.Round({Packet(1, 0, 3)});
    for (int c = 0; c < kChannelCount; ++c)
        EXPECT_EQ(f.counts[c].load(), 0);
    EXPECT_FALSE(f.event.IsSet());
}

TEST(StreamDealer, TriggerKindKeepsOnlyThePreTriggerWindowUntilAJump)
{
    StreamFixture f(kind::kStreamTrigger);
    f.Enable(0);
    f.Begin();
    EXPECT_FALSE(f.dealer.Ready());
    // A constant signal: one point per millisecond advance, index held within 0..10.
    for (uint32_t i = 1; i <= 40; ++i) {
        f.Round({Packet(i, i * 2, 1000)});
        ASSERT_LE(f.dealer.GapIndex(), 10u);
        ASSERT_LE(f.request.Count(0), 11);
    }
    EXPECT_FALSE(f.event.IsSet());
    f.Round({Packet(100, 200, 1600)});
    EXPECT_TRUE(f.dealer.Ready());
    EXPECT_TRUE(f.event.IsSet());
}

TEST(StreamDealer, GapKindRecordsASteadySignalOncePerMillisecond)
{
    StreamFixture f(kind::kStreamGap, 4096);
    f.Enable(0);
    f.Begin();
    for (uint32_t i = 1; i <= 10; ++i)  // 10 packets of 2 ms, no jump
        f.Round({Packet(i, i * 2, 1000)});
    const int32_t count = f.request.Count(0);
    EXPECT_GE(count, 15);
    EXPECT_LE(count, 21);
    for (int32_t k = 1; k < count; ++k)
        EXPECT_GT(f.request.times[0][size_t(k)], f.request.times[0][size_t(k - 1)]);
}

TEST(StreamDealer, GapIndexWrapsInsteadOfWritingPastTheConsumerArrays)
{
    StreamFixture f(kind::kStreamGap, 8);
    f.Enable(0);
    f.Begin();
    // Alternating jumps record a point at every sample.
    for (uint32_t i = 1; i <= 20; ++i)
        f.Round({Packet(i, i, uint16_t(i % 2 ? 0 : 2000))});
    EXPECT_LE(f.request.Count(0), 8);
    EXPECT_TRUE(f.request.GuardIntact(0));
}
