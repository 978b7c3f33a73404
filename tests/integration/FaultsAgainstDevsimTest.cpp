#include "tests/support/DevsimFixture.h"
#include "tests/support/LinkHelpers.h"

#include "devicelink/link/DeviceApi.h"
#include "devicelink/protocol/CommandFrame.h"

#include <gtest/gtest.h>

namespace {

using namespace devsim;
using namespace devsim::testing;
using namespace corviktest;
namespace code = devicelink::code;

class FaultsAgainstDevsim : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(sim_.Start(error)) << error;
        sim_.PointDriverHere();
        ASSERT_TRUE(sim_.Plug(0, "temperature constant value=25"));
        ASSERT_EQ(DevOpen(0), 1);
        ASSERT_EQ(DevPollStatusWord(), 0x00010001);
    }
    void TearDown() override
    {
        DevClose();
        sim_.Stop();
    }

    // A one-shot read of the temperature register; 400 counts at 25 degC.
    static int ReadTemperature(uint32_t& value)
    {
        BoundRequest r;
        r.Channel(0, 0x48, 128, 2, 1, 0, 0xFFFF);
        const int ok = DevSubmitRead(&r.request);
        value = r.values[0][0];
        return ok;
    }

    InProcessDevsim sim_;
};

TEST_F(FaultsAgainstDevsim, LateReplyIsATimeOutAndTheNextCommandRecovers)
{
    ASSERT_TRUE(sim_.AddFault("0x10000027 delay 3500"));
    const uint64_t asked = sim_.Device().CommandCount(code::kGetVersion);
    EXPECT_EQ(DevGetFirmwareVersion(), 0);
    EXPECT_EQ(sim_.Device().CommandCount(code::kGetVersion), asked + 1);   // waited out, not asked again
    EXPECT_EQ(DevGetFirmwareVersion(), 20130913);
}

TEST_F(FaultsAgainstDevsim, DroppedAndCorruptRepliesAreTimeOuts)
{
    // The status poll keeps the last good word through a few lost answers.
    ASSERT_TRUE(sim_.AddFault("0x10000011 drop"));
    EXPECT_EQ(DevPollStatusWord(), 0x00010001);
    EXPECT_EQ(sim_.Device().CommandCount(code::kQueryStatus), 2u);

    uint32_t value = 0;
    ASSERT_TRUE(sim_.AddFault("0x10000006 badchecksum"));
    EXPECT_EQ(ReadTemperature(value), 0);
    EXPECT_EQ(ReadTemperature(value), 1);
    EXPECT_EQ(value, 400u);
}

TEST_F(FaultsAgainstDevsim, SplitPrefixedAndCoalescedRepliesAreReassembled)
{
    uint32_t value = 0;
    ASSERT_TRUE(sim_.AddFault("0x10000006 split 30"));
    EXPECT_EQ(ReadTemperature(value), 1);
    EXPECT_EQ(value, 400u);
    ASSERT_TRUE(sim_.AddFault("0x10000027 garbage 12"));
    EXPECT_EQ(DevGetFirmwareVersion(), 20130913);

    // Measurement blocks held back in pairs: every sample still lands.
    ASSERT_TRUE(sim_.AddFault("0x1000000C coalesce times 6"));
    BoundRequest r(1024);
    StopOnExit stop;
    r.Channel(0, 0x48, 128, 2, 1, 0, 0xFFFF);
    r.request.block.kind = devicelink::kind::kTimed;
    r.request.block.interval = 10000;
    r.request.block.count = 12;
    ASSERT_EQ(DevSubmitRead(&r.request), 1);
    ASSERT_TRUE(WaitUntil([&] { return r.Count(0) >= 12; }, 5000)) << "got " << r.Count(0);
    EXPECT_EQ(r.values[0][11], 400u);
}

TEST_F(FaultsAgainstDevsim, StrayBytesBeforeAReplyLeaveEveryLaterCommandAnswered)
{
    // Three bytes shift every later frame off the word grid the reply came on.
    ASSERT_TRUE(sim_.AddFault("0x10000027 garbage 3"));
    EXPECT_EQ(DevGetFirmwareVersion(), 20130913);
    // A second sensor comes and goes before every poll: an unanswered poll would give back the
    // previous word instead of the new one.
    ASSERT_TRUE(sim_.Plug(1, "temperature constant value=25"));
    for (int i = 0; i < 100; ++i) {
        const bool plugged = i % 2 == 1;
        ASSERT_TRUE(plugged ? sim_.Device().Replug(1) : sim_.Device().Pull(1));
        ASSERT_EQ(DevPollStatusWord(), plugged ? 0x00030003 : 0x00010001) << "poll " << i;
    }
    uint32_t value = 0;
    EXPECT_EQ(ReadTemperature(value), 1);
    EXPECT_EQ(value, 400u);
}

TEST_F(FaultsAgainstDevsim, DisconnectEndsTheLinkAndTheNextHostIsServed)
{
    ASSERT_TRUE(sim_.AddFault("0x10000011 disconnect"));
    // Five more polls give the last good word, then the device counts as lost.
    int last = 0;
    for (int i = 0; i < 6; ++i)
        last = DevPollStatusWord();
    EXPECT_EQ(last, -1);
    EXPECT_TRUE(WaitUntil([&] { return !sim_.Server().Connected(); }, 2000));

    DevClose();
    ASSERT_EQ(DevOpen(0), 1);
    EXPECT_EQ(DevPollStatusWord(), 0x00010001);
    EXPECT_EQ(sim_.Server().Connections(), 2u);
}

}  // namespace
