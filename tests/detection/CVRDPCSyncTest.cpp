#include "devicelink/CNI2CSensor.h"
#include "devicelink/CVRDPCSync.h"
#include "devicelink/CommandFrame.h"

#include "RecordingDeviceApi.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace devicelink;

namespace {

class PCSyncTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        int fds[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
        ours_ = fds[0];
        peer_ = fds[1];
    }
    void TearDown() override
    {
        if (peer_ >= 0)
            ::close(peer_);
    }
    // Whatever arrived at the peer within a short wait.
    std::vector<uint8_t> Received()
    {
        std::vector<uint8_t> bytes;
        pollfd p{peer_, POLLIN, 0};
        while (::poll(&p, 1, 50) > 0) {
            uint8_t buf[256];
            const ssize_t n = ::read(peer_, buf, sizeof buf);
            if (n <= 0)
                break;
            bytes.insert(bytes.end(), buf, buf + n);
        }
        return bytes;
    }

    sensortest::RecordingDeviceApi api_;
    int ours_ = -1;
    int peer_ = -1;
};

TEST_F(PCSyncTest, FreshLinkHoldsItsResourcesAndStopRemoteDoesNothing)
{
    CNI2CSensor sensor(api_);
    CVRDPCSync link(&sensor);
    EXPECT_EQ(link.socket(), kNoSocket);
    EXPECT_EQ(link.flag(), 0);
    EXPECT_TRUE(link.receiveBuffer() && link.sendBuffer());
    EXPECT_FALSE(link.event().IsSet());
    EXPECT_EQ(link.event().kind(), platform::Event::Kind::ManualReset);
    link.AttachSocket(ours_);
    link.StopRemote();
    EXPECT_EQ(api_.stops, 0);
    EXPECT_TRUE(Received().empty());
    EXPECT_EQ(link.TerminateThreads(), 1);
}

TEST_F(PCSyncTest, StopRemoteStopsTheDeviceEndsTheWorkerAndTellsThePeer)
{
    CNI2CSensor sensor(api_);
    CVRDPCSync link(&sensor);
    link.AttachSocket(ours_);
    std::atomic<bool> ended{false};
    ASSERT_TRUE(link.sensorWorker().Start([&](const std::atomic<bool>& stop) {
        while (!stop.load())
            platform::SleepMs(1);
        ended = true;
    }));
    link.StopRemote();
    EXPECT_TRUE(ended.load());
    EXPECT_GE(api_.stops, 1);
    EXPECT_EQ(Received(), MakeFrame(code::kStopStream));
    // The worker is gone: a second stop sends nothing more.
    link.StopRemote();
    EXPECT_TRUE(Received().empty());
}

TEST_F(PCSyncTest, SendAllWithoutSocketOrToAClosedPeerReturnsQuietly)
{
    CVRDPCSync link;
    const uint8_t bytes[4] = {1, 2, 3, 4};
    link.SendAll(bytes, sizeof bytes);  // no socket: nothing happens
    link.AttachSocket(ours_);
    ::close(peer_);
    peer_ = -1;
    link.SendAll(bytes, sizeof bytes);  // no SIGPIPE ends the process
    SUCCEED();
}

TEST_F(PCSyncTest, TerminateThreadsEndsTheFurtherWorkers)
{
    CVRDPCSync link;
    std::atomic<int> ended{0};
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(link.worker(i).Start([&](const std::atomic<bool>& stop) {
            while (!stop.load())
                platform::SleepMs(1);
            ++ended;
        }));
    EXPECT_EQ(link.TerminateThreads(), 1);
    EXPECT_EQ(ended.load(), 2);
    ::close(ours_);
}

}  // namespace
