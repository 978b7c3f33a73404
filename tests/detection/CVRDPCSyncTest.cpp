#include "devicelink/protocol/CommandFrame.h"
#include "devicelink/sensor/CNI2CSensor.h"
#include "devicelink/sensor/CVRDPCSync.h"

#include "platform/Clock.h"
#include "tests/support/RecordingDeviceApi.h"

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

    corviktest::RecordingDeviceApi api_;
    int ours_ = -1;
    int peer_ = -1;
};

TEST_F(PCSyncTest, StopRemoteStopsTheDeviceEndsTheWorkerAndTellsThePeer)
{
    CNI2CSensor sensor(api_);
    CVRDPCSync link(&sensor);
    EXPECT_EQ(link.socket(), kNoSocket);
    link.AttachSocket(ours_);
    link.StopRemote();  // no worker yet: nothing to stop, nothing sent
    EXPECT_EQ(api_.stops, 0);
    EXPECT_TRUE(Received().empty());

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
    EXPECT_EQ(link.TerminateThreads(), 1);
}

}  // namespace
