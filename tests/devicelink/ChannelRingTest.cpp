#include "devicelink/link/ChannelRing.h"

#include "devicelink/protocol/CommandFrame.h"
#include "tests/support/LinkHelpers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <thread>

using namespace devicelink;
using namespace corviktest;

namespace {

std::vector<uint32_t> MeasureBlockPayload(uint32_t stamp, uint32_t base)
{
    std::vector<uint32_t> p(kReadReplyWords);
    p[0] = stamp;
    for (size_t i = 1; i < p.size(); ++i)
        p[i] = base + uint32_t(i - 1);
    return p;
}

std::vector<uint32_t> ChannelBlockPayload(uint32_t stamp, uint32_t channel)
{
    std::vector<uint32_t> p(kChannelBlockWords);
    p[0] = stamp;
    p[1] = channel;
    for (int k = 0; k < kBlockEntries; ++k)
        p[2 + k] = 1000 + uint32_t(k);
    return p;
}

std::vector<uint32_t> BulkPayload(uint32_t channel, uint32_t m)
{
    std::vector<uint32_t> p{channel, m};
    for (uint32_t k = 0; k < m; ++k)
        p.push_back(500 + k);
    for (uint32_t k = 0; k < m; ++k)
        p.push_back(9000 + k);
    return p;
}

class ChannelRingsTest : public ::testing::Test {
protected:
    platform::Event dataEvent{platform::Event::Kind::ManualReset};
    ChannelRings rings{dataEvent};
};

}  // namespace

TEST_F(ChannelRingsTest, DataRepliesBeforeAnyStartAreIgnored)
{
    rings.OnMeasureBlock(MeasureBlockPayload(1, 0));
    rings.OnChannelBlock(ChannelBlockPayload(1, 0));
    rings.OnChannelBulk(BulkPayload(0, 3));
    rings.OnSetBlocks(std::vector<uint32_t>(kSetBlocksWords));
    EXPECT_EQ(rings.Pending(0), 0);
    EXPECT_FALSE(rings.Active());

    BoundRequest r{64, kind::kTimed};
    r.Enable(0, 2);
    rings.Bind(r.request);
    rings.Deactivate();
    rings.OnMeasureBlock(MeasureBlockPayload(1, 0));
    EXPECT_EQ(r.Count(0), 0);
    EXPECT_FALSE(r.event.IsSet());
}

TEST_F(ChannelRingsTest, MeasureBlocksMaskDeliverAndSignalPerEventCount)
{
    BoundRequest r{64, kind::kTimed};
    r.Enable(1, 3);
    r.request.block.readMask[8 + 1] = 0xF;
    r.request.block.perEvent = 5;
    rings.Bind(r.request);
    for (int i = 0; i < 4; ++i)
        rings.OnMeasureBlock(MeasureBlockPayload(100 + i, 0x100));
    EXPECT_FALSE(r.event.IsSet());
    rings.OnMeasureBlock(MeasureBlockPayload(104, 0x100));
    EXPECT_TRUE(r.event.IsSet());
    EXPECT_EQ(r.Count(1), 15);
    // Channel 1's values are payload words 9..16: 0x108, 0x109 & 0xF, 0x10A.
    EXPECT_EQ(r.values[1][0], 0x108u);
    EXPECT_EQ(r.values[1][1], 0x9u);
    EXPECT_EQ(r.values[1][2], 0x10Au);
    EXPECT_EQ(r.times[1][14], 104);
    // Disabled channels get nothing and keep no pending blocks.
    EXPECT_EQ(r.Count(0), 0);
    EXPECT_EQ(rings.Pending(0), 0);
    EXPECT_FALSE(dataEvent.IsSet());
}

TEST_F(ChannelRingsTest, CountWrapsBeforeASampleThatWouldNotFit)
{
    BoundRequest r(10);
    r.Enable(0, 4);
    rings.Bind(r.request);
    rings.OnMeasureBlock(MeasureBlockPayload(1, 0));
    rings.OnMeasureBlock(MeasureBlockPayload(2, 0));
    EXPECT_EQ(r.Count(0), 8);
    rings.OnMeasureBlock(MeasureBlockPayload(3, 0));  // 8 + 4 > 10: restart at 0 first
    EXPECT_EQ(r.Count(0), 4);
    EXPECT_EQ(r.times[0][0], 3);
    EXPECT_TRUE(r.GuardIntact(0));
}

TEST_F(ChannelRingsTest, ChannelBlockCopiesRegisterBytesCappedAtTheBlock)
{
    BoundRequest r(300);
    r.Enable(2, 1);
    r.request.block.byteCount[2] = 4096;  // r / 4 = 1024 words, but a block holds 128
    rings.Bind(r.request);
    rings.OnChannelBlock(ChannelBlockPayload(7, 2));
    EXPECT_EQ(rings.Mode(), DeliveryMode::ByRegisterBytes);
    // capacity 300 < 4096 + 0, so the count restarts (it is 0 anyway) and 128 words go in.
    EXPECT_EQ(r.Count(2), 128);
    EXPECT_EQ(r.values[2][127], 1127u);
    EXPECT_TRUE(r.GuardIntact(2));

    // A channel above 3 is ignored without an event.
    r.event.Reset();
    rings.OnChannelBlock(ChannelBlockPayload(7, 4));
    EXPECT_FALSE(r.event.IsSet());

    // Reads of fewer than 4 bytes are masked entry by entry, as in mode 0.
    BoundRequest small(64);
    small.Enable(0, 2);
    small.request.block.byteCount[0] = 2;
    small.request.block.readMask[1] = 0xFF;
    rings.Bind(small.request);
    rings.OnChannelBlock(ChannelBlockPayload(7, 0));
    EXPECT_EQ(small.Count(0), 2);
    EXPECT_EQ(small.values[0][1], 1001u & 0xFF);
}

TEST_F(ChannelRingsTest, BulkDeliveryValidatesItsChannelAndAlwaysSignals)
{
    BoundRequest r(4);
    r.Enable(3, 0);  // no register entries: copied unmasked
    r.request.block.perEvent = 1000;
    rings.Bind(r.request);
    rings.OnChannelBulk(BulkPayload(3, 6));
    EXPECT_TRUE(r.event.IsSet());
    // Six entries into four places: the count wraps before each entry that would not fit.
    EXPECT_EQ(r.Count(3), 2);
    EXPECT_EQ(r.values[3][0], 504u);
    EXPECT_EQ(r.times[3][1], 9005);
    EXPECT_TRUE(r.GuardIntact(3));

    // A disabled channel's delivery is dropped and leaves nothing pending.
    rings.OnChannelBulk(BulkPayload(1, 3));
    EXPECT_EQ(rings.Pending(1), 0);
    EXPECT_EQ(r.Count(1), 0);
    // Channel 4 or above stores nothing.
    r.event.Reset();
    rings.OnChannelBulk(BulkPayload(9, 2));
    EXPECT_EQ(r.Count(3), 2);

    // The largest per-event count a caller can name still signals, without overflowing the sum.
    r.request.block.perEvent = INT32_MAX;
    rings.Bind(r.request);
    r.event.Reset();
    rings.OnChannelBulk(BulkPayload(3, 1));
    EXPECT_TRUE(r.event.IsSet());
}

TEST_F(ChannelRingsTest, SetBlocksComputeTimesAndStayInsideTheChannelArea)
{
    BoundRequest r(64, kind::kTimed);
    r.Enable(0, 2);
    r.Enable(1, 4);
    r.request.block.interval = 20000;  // above 9999: taken in milliseconds, 20
    rings.Bind(r.request);
    std::vector<uint32_t> p(kSetBlocksWords);
    p[0] = 3;
    p[1] = 16;  // 16 sets of 4 words would run 48 words past channel 1's area: limited to 4
    for (int c = 0; c < 4; ++c)
        for (int w = 0; w < 16; ++w)
            p[4 + 16 * c + w] = uint32_t(100 * c + w);
    rings.OnSetBlocks(p);
    ASSERT_EQ(r.Count(0), 6);
    EXPECT_EQ(r.values[0][5], 5u);
    EXPECT_EQ(r.times[0][4], 40);
    ASSERT_EQ(r.Count(1), 16);
    EXPECT_EQ(r.values[1][15], 115u);
    EXPECT_EQ(r.times[1][12], 60);

    // The next frame's times continue from the sets already delivered (6 / 2 = 3).
    p[1] = 0;
    p[0] = 1;
    rings.OnSetBlocks(p);
    EXPECT_EQ(r.times[0][6], 60);

    // A set count above 16 ends the frame: nothing stored, no event, the blocks stay pending.
    r.event.Reset();
    p[0] = 2;
    p[1] = 17;
    rings.OnSetBlocks(p);
    EXPECT_FALSE(r.event.IsSet());
    EXPECT_EQ(r.Count(0), 8);
}

TEST_F(ChannelRingsTest, TriggeredAndPerChannelKindsUseTheirOwnTimeSteps)
{
    BoundRequest r(64, kind::kTimedPerChannel);
    r.Enable(0, 1);
    r.request.block.channelInterval[0] = 7;
    rings.Bind(r.request);
    std::vector<uint32_t> p(kSetBlocksWords);
    p[0] = 3;
    rings.OnSetBlocks(p);
    EXPECT_EQ(r.times[0][2], 14);

    BoundRequest t(64, kind::kTriggered);
    t.Enable(0, 1);
    t.request.block.interval = 5000;
    rings.Bind(t.request);
    rings.OnSetBlocks(p);
    EXPECT_EQ(t.times[0][2], 2);
}

TEST_F(ChannelRingsTest, ReadReplyIsCopiedWholeWhileLateRepliesArrive)
{
    // Every value of reply i is i: a copy mixing two replies shows as unequal entries.
    std::atomic<bool> done{false};
    std::thread receiver([&] {
        std::vector<uint32_t> p(kReadReplyWords);
        for (uint32_t i = 1; !done.load(); ++i) {
            std::fill(p.begin(), p.end(), i);
            rings.OnReadReply(p, kRegisterEntries);
        }
    });
    bool whole = true;
    for (int n = 0; n < 2000 && whole; ++n) {
        const ReadReply reply = rings.LastReadReply();
        for (int c = 0; c < kChannelCount; ++c)
            for (int k = 0; k < kRegisterEntries; ++k)
                whole = whole && reply.values[c][k] == reply.values[0][0];
    }
    done = true;
    receiver.join();
    EXPECT_TRUE(whole);
}
