#include "tests/support/DevsimFixture.h"
#include "tests/support/LinkHelpers.h"
#include "tests/support/UsbStandIn.h"

#include "devicelink/link/DeviceApi.h"
#include "devicelink/link/LinkOpenFailure.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <string>

namespace {

using namespace devsim::testing;
using namespace corviktest;
using devicelink::LinkOpenFailure;

constexpr int32_t kVersion = 20130913;

int OpenFailure()
{
    return DevGetOpenFailure();
}

// Another program's connection to the simulated logger, held while it lives.
class OtherHost {
public:
    explicit OtherHost(uint16_t port)
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~OtherHost()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool Connected() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// Whichever transport the run uses, a logger that another program holds is told as in use, and
// the same logger is reached once that program lets go.
TEST(LoggerInUse, ASecondHostIsToldTheLoggerIsInUseNotThatThereIsNone)
{
    InProcessDevsim sim;
    std::string error;
    ASSERT_TRUE(sim.Start(error)) << error;
    sim.PointDriverHere();
    {
        OtherHost other(sim.Port());
        ASSERT_TRUE(other.Connected());
        ASSERT_TRUE(WaitUntil([&] { return sim.Server().Connected(); }, 2000));
        EXPECT_EQ(DevOpen(0), 0);
        EXPECT_EQ(OpenFailure(), int(LinkOpenFailure::InUse));
        EXPECT_GE(sim.Server().TurnedAway(), 1u);
        DevClose();
    }
    ASSERT_TRUE(WaitUntil([&] { return !sim.Server().Connected(); }, 2000));
    EXPECT_EQ(DevOpen(0), 1);
    EXPECT_EQ(OpenFailure(), int(LinkOpenFailure::None));
    EXPECT_EQ(DevGetFirmwareVersion(), kVersion);
    DevClose();

    // Nothing listening at all is no logger.
    sim.Stop();
    EXPECT_EQ(DevOpen(0), 0);
    EXPECT_EQ(OpenFailure(), int(LinkOpenFailure::NoLogger));
    DevClose();
}

class UsbLink : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!OverUsbStandIn())
            GTEST_SKIP() << "runs with the USB library's stand-in preloaded (ctest -L usb)";
        ASSERT_TRUE(UsbFault("clear"));
        std::string error;
        ASSERT_TRUE(sim_.Start(error)) << error;
        sim_.PointDriverHere();
        ASSERT_TRUE(sim_.Plug(0, "temperature ramp start=10 slope=1"));
    }
    void TearDown() override
    {
        DevClose();
        UsbFault("clear");
        sim_.Stop();
    }

    void Open()
    {
        ASSERT_EQ(DevOpen(0), 1);
        ASSERT_EQ(OpenFailure(), int(LinkOpenFailure::None));
    }

    InProcessDevsim sim_;
};

TEST_F(UsbLink, RefusedOpensSayWhyAndNeverFallBackToTcp)
{
    ASSERT_TRUE(UsbFault("busy"));
    EXPECT_EQ(DevOpen(0), 0);
    EXPECT_EQ(OpenFailure(), int(LinkOpenFailure::InUse));
    DevClose();

    ASSERT_TRUE(UsbFault("clear access"));
    EXPECT_EQ(DevOpen(0), 0);
    EXPECT_EQ(OpenFailure(), int(LinkOpenFailure::NoPermission));
    DevClose();

    ASSERT_TRUE(UsbFault("clear absent"));
    EXPECT_EQ(DevOpen(0), 0);
    EXPECT_EQ(OpenFailure(), int(LinkOpenFailure::NoLogger));
    DevClose();
    // The simulator listened all along: none of these went to it over TCP.
    EXPECT_EQ(sim_.Device().CommandCount(devicelink::code::kHello), 0u);

    // The text for a missing rule names the rule the README installs.
    std::ifstream strings(std::string(CORVIK_SOURCE_DIR) + "/resources/lang/strings.tsv");
    std::string line, text;
    while (std::getline(strings, line))
        if (line.rfind("3261\t", 0) == 0)
            text = line;
    EXPECT_NE(text.find("60-corvik-logger.rules"), std::string::npos) << text;
    EXPECT_TRUE(std::ifstream(std::string(CORVIK_SOURCE_DIR) + "/resources/udev/60-corvik-logger.rules").good());
}

TEST_F(UsbLink, TheDeviceGoneMidTransferLosesTheLinkAsAPulledCable)
{
    Open();
    BoundRequest r(4096);
    StopOnExit stop;
    r.Channel(0, 0x48, 128, 2, 1, 0, 0xFFFF);
    r.request.block.kind = devicelink::kind::kTimed;
    r.request.block.interval = 20000;
    ASSERT_EQ(DevSubmitRead(&r.request), 1);
    ASSERT_TRUE(WaitUntil([&] { return r.Count(0) > 2; }, 3000));
    ASSERT_TRUE(UsbFault("unplug"));
    EXPECT_TRUE(WaitUntil([] { return DevGetDriverState() == 0; }, 3000));
    int last = 0;
    for (int i = 0; i < 6; ++i)
        last = DevPollStatusWord();
    EXPECT_EQ(last, -1);
    EXPECT_TRUE(WaitUntil([&] { return !sim_.Server().Connected(); }, 2000));
}

TEST_F(UsbLink, StalledEndpointsAreClearedAndTheNextCommandIsAnswered)
{
    Open();
    const long cleared = UsbCount("halts-cleared");
    ASSERT_TRUE(UsbFault("stall-in"));
    EXPECT_EQ(DevGetFirmwareVersion(), kVersion);
    EXPECT_GT(UsbCount("halts-cleared"), cleared);
    ASSERT_TRUE(UsbFault("stall-out"));
    EXPECT_EQ(DevPollStatusWord(), 0x00010001);
    EXPECT_GT(UsbCount("halts-cleared"), cleared + 1);
    EXPECT_EQ(DevGetDriverState(), 1);
}

TEST_F(UsbLink, ShortAndSplitBulkReadsAreReassembled)
{
    Open();
    ASSERT_TRUE(UsbFault("split 7"));
    EXPECT_EQ(DevGetFirmwareVersion(), kVersion);
    BoundRequest r(4096);
    StopOnExit stop;
    r.Channel(0, 0x48, 128, 2, 1, 0, 0xFFFF);
    r.request.block.kind = devicelink::kind::kTimed;
    r.request.block.interval = 20000;
    r.request.block.count = 25;
    ASSERT_EQ(DevSubmitRead(&r.request), 1);
    ASSERT_TRUE(WaitUntil([&] { return r.Count(0) >= 25; }, 5000)) << "got " << r.Count(0);
    EXPECT_EQ(r.times[0][24], 24 * 20);
    EXPECT_EQ(DevStop(), 1);
}

TEST_F(UsbLink, TimeOutsInARowKeepTheLink)
{
    Open();
    // Twelve empty reads: more than the ten failures that end a link, but time-outs do not count.
    const long before = UsbCount("bulk-timeouts");
    ASSERT_TRUE(UsbFault("timeouts 12"));
    // Asked during the run, the version comes once it ends (the wait is 3 s; the run 2.4 s).
    EXPECT_EQ(DevGetFirmwareVersion(), kVersion);
    ASSERT_TRUE(WaitUntil([&] { return UsbCount("bulk-timeouts") == before + 12; }, 4000));
    EXPECT_EQ(DevGetDriverState(), 1);
    EXPECT_EQ(DevPollStatusWord(), 0x00010001);
}

// A gap-mode stream's points, from the isochronous pipe to the consumer's arrays.
class UsbStream : public UsbLink {
protected:
    void Start(BoundRequest& r, int32_t kind)
    {
        r.request.block.kind = kind;
        r.request.block.enabled[1] = 1;
        DevSubmitRead(&r.request);  // streams report through their event, not the result
        ASSERT_TRUE(WaitUntil([&] { return sim_.Device().Streaming(); }, 2000));
    }
    // The points below the newest one are in time order.
    static bool InTimeOrder(const BoundRequest& r, int points)
    {
        for (int i = 1; i < points; ++i)
            if (r.times[1][size_t(i)] < r.times[1][size_t(i - 1)])
                return false;
        return true;
    }
};

TEST_F(UsbStream, BadLostAndRepeatedPacketsCostOnlyThemselves)
{
    ASSERT_TRUE(sim_.Plug(1, "photogate pulses period=0.02 width=0.01 high=1 offset=0"));
    Open();
    BoundRequest r(0x10000);
    StopOnExit stop;
    Start(r, devicelink::kind::kStreamGap);
    ASSERT_TRUE(WaitUntil([&] { return r.Count(1) > 10; }, 5000)) << "got " << r.Count(1);
    ASSERT_TRUE(UsbFault("iso-error 20 iso-lost 20 iso-repeat 20"));
    ASSERT_TRUE(WaitUntil([] { return UsbCount("iso-repeated") >= 20 && UsbCount("iso-errors") >= 20; }, 5000));
    const int32_t after = r.Count(1);
    ASSERT_TRUE(WaitUntil([&] { return r.Count(1) > after + 20; }, 5000)) << "got " << r.Count(1);
    EXPECT_GE(UsbCount("iso-lost"), 20);
    const int points = r.Count(1) - 1;
    EXPECT_TRUE(InTimeOrder(r, points)) << "a repeated packet was taken twice";
    for (int i = 0; i < points; ++i)
        ASSERT_TRUE(r.values[1][size_t(i)] == 0 || r.values[1][size_t(i)] == 4095) << r.values[1][size_t(i)];
    EXPECT_EQ(DevStop(), 1);
    EXPECT_EQ(DevGetDriverState(), 1);
}

TEST_F(UsbStream, ATriggeredStreamKeepsElevenPointsUntilTheFirstJump)
{
    ASSERT_TRUE(sim_.Plug(1, "photogate constant value=0"));
    Open();
    BoundRequest r(0x10000);
    StopOnExit stop;
    const long packets = UsbCount("iso-packets");
    Start(r, devicelink::kind::kStreamTrigger);
    // Well past the warm-up rounds, a steady signal keeps only the pre-trigger window.
    ASSERT_TRUE(WaitUntil([&] { return UsbCount("iso-packets") > packets + 200; }, 5000));
    EXPECT_GT(r.Count(1), 0);
    EXPECT_LE(r.Count(1), 11);
    sim_.Command("signal 1 pulses period=0.02 width=0.01 high=1 offset=0");
    ASSERT_TRUE(WaitUntil([&] { return r.Count(1) > 30; }, 5000)) << "got " << r.Count(1);
    EXPECT_TRUE(InTimeOrder(r, r.Count(1) - 1));
    EXPECT_EQ(DevStop(), 1);
}

}  // namespace
