#include "devicelink/link/CorvikUSBDrv.h"
#include "devicelink/link/DeviceApi.h"
#include "devicelink/link/TcpTransport.h"

#include "devicelink/protocol/CommandFrame.h"
#include "LoopbackPeer.h"
#include "tests/support/LinkHelpers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

using namespace devicelink;
using namespace corviktest;
using namespace std::chrono_literals;

namespace {

std::vector<uint32_t> WideReadReply()
{
    std::vector<uint32_t> p(kWideReadReplyWords);
    p[0] = 321;
    for (size_t i = 1; i < p.size(); ++i)
        p[i] = 0x1000 + uint32_t(i);
    return p;
}

uint16_t UnusedPort()
{
    LoopbackPeer probe(nullptr);
    return probe.Port();  // closed again when the probe goes
}

}  // namespace

TEST(DeviceApi, WithoutADriverEveryCallAnswersAtOnce)
{
    BoundRequest r{64, kind::kTimed};
    EXPECT_EQ(DevStop(), 1);
    EXPECT_EQ(DevWriteBlock(nullptr), 0);
    EXPECT_EQ(DevGetFirmwareVersion(), 0);
    EXPECT_EQ(DevPollStatusWord(), 0);
    EXPECT_EQ(DevBeginStream(&r.request), 0);
    EXPECT_EQ(DevSubmitRead(&r.request), 0);
    EXPECT_TRUE(r.event.IsSet());
    r.event.Reset();
    EXPECT_EQ(DevSubmitWrite(&r.request), 0);
    EXPECT_TRUE(r.event.IsSet());
    EXPECT_EQ(DevDeviceReady(), 0);
    EXPECT_EQ(DevGetDriverState(), 1);
    DevNop();
}

TEST(DeviceApi, FailedConnectKeepsTheDriverButNotTheReadyFlag)
{
    PointDriverAt(UnusedPort());
    EXPECT_EQ(DevOpen(0), 0);
    EXPECT_EQ(DevDeviceReady(), 0);
    EXPECT_EQ(DevGetDriverState(), 0);  // a driver without a link
    EXPECT_EQ(DevOpen(0), 1);
    EXPECT_EQ(DevDeviceReady(), 0);
    DevClose();
    EXPECT_EQ(DevDeviceReady(), 0);
    EXPECT_EQ(DevGetDriverState(), 1);
}

TEST(DeviceApi, LoopbackSessionOfCommandsAndEveryDataShape)
{
    LoopbackPeer peer([](LoopbackPeer& p, uint32_t c, std::span<const uint32_t> f) {
        AnswerLikeALogger(p, c, f);
        if (c == code::kReadSamples)
            p.Reply(code::kWideReadReply, WideReadReply());
    });
    peer.Export();
    ASSERT_EQ(DevOpen(0), 1);
    EXPECT_EQ(DevDeviceReady(), 1);
    EXPECT_EQ(DevOpen(0), 1);
    EXPECT_EQ(peer.CountOf(code::kHello), 1);

    EXPECT_EQ(DevPollStatusWord(), 0x00030003);
    EXPECT_EQ(DevGetFirmwareVersion(), 20240115);
    std::vector<uint8_t> table(kDeviceBlockBytes, 0x5A);
    EXPECT_EQ(DevWriteBlock(table.data()), 1);

    // One-shot read: the first 8 of 128 values per channel, masked; the stamp as entry 0's time.
    BoundRequest once(16, kind::kSingle);
    once.Enable(1, 3);
    once.request.block.readMask[8 + 2] = 0xFF;
    EXPECT_EQ(DevSubmitRead(&once.request), 1);
    EXPECT_TRUE(once.event.IsSet());
    EXPECT_EQ(once.Count(1), 3);
    EXPECT_EQ(once.values[1][0], 0x1000u + 129);
    EXPECT_EQ(once.values[1][2], (0x1000u + 131) & 0xFF);
    EXPECT_EQ(once.times[1][0], 321);
    EXPECT_EQ(once.Count(0), 0);

    // Register write: write data from the bound value arrays; host addresses stay off the wire.
    BoundRequest write(16, kind::kSingle);
    write.values[2][0] = 0xABCD;
    write.request.block.values[2] = 0x12345678;
    write.request.host.values[3] = nullptr;  // unbound: its write data is left as filled
    write.request.block.writeData[24] = 77;
    EXPECT_EQ(DevSubmitWrite(&write.request), 1);
    EXPECT_TRUE(write.event.IsSet());
    ASSERT_EQ(peer.CountOf(code::kWriteSetup), 1);
    for (const auto& f : peer.Received()) {
        if (f[1] != code::kWriteSetup)
            continue;
        ASSERT_EQ(f.size(), 5u + 241);
        EXPECT_EQ(f[3 + 420 / 4 + 16], 0xABCDu);
        EXPECT_EQ(f[3 + 420 / 4 + 24], 77u);
        EXPECT_EQ(f[3 + 692 / 4 + 2], 0u);
    }
    write.event.Reset();
    write.request.block.kind = 1;
    EXPECT_EQ(DevSubmitWrite(&write.request), 0);
    EXPECT_TRUE(write.event.IsSet());
    EXPECT_EQ(peer.CountOf(code::kWriteSetup), 1);

    // A timed measurement fed with each data reply shape in turn.
    BoundRequest run(4096, kind::kTimed);
    run.Enable(0, 2);
    run.Enable(1, 1);
    run.request.block.byteCount[1] = 512;
    run.request.block.perEvent = 1;
    run.request.block.interval = 100;
    ASSERT_EQ(DevSubmitRead(&run.request), 1);

    auto expectDelivery = [&](const std::vector<uint8_t>& frame, int channel, int count) {
        run.event.Reset();
        peer.Send(frame);
        ASSERT_TRUE(run.event.Wait(2000));
        EXPECT_TRUE(WaitUntil([&] { return run.Count(channel) == count; })) << run.Count(channel);
    };
    expectDelivery(MakeFrame(code::kMeasureBlock, std::vector<uint32_t>(kReadReplyWords, 9)), 0, 2);
    std::vector<uint32_t> block(kChannelBlockWords, 4);
    block[1] = 1;
    expectDelivery(MakeFrame(code::kChannelBlock, block), 1, 1 + 128);
    std::vector<uint32_t> sets(kSetBlocksWords, 0);
    sets[0] = 8;
    expectDelivery(MakeFrame(code::kSetBlocks, sets), 0, 2 + 16);
    EXPECT_EQ(run.times[0][2 + 15], 100 * 8);  // sets continue from the one already delivered
    expectDelivery(MakeFrame(code::kChannelBulk, {0, 2, 7, 8, 70, 80}), 0, 20);
    EXPECT_EQ(run.values[0][19], 8u);
    EXPECT_EQ(run.times[0][19], 80);

    EXPECT_EQ(DevStop(), 1);
    DevClose();
    EXPECT_TRUE(peer.AllSound());
    EXPECT_EQ(DevDeviceReady(), 0);
}

TEST(DeviceApi, GapStreamOverLoopbackRecordsPointsAndStops)
{
    LoopbackPeer peer(AnswerLikeALogger);
    peer.Export();
    ASSERT_EQ(DevOpen(0), 1);
    BoundRequest run(1000, kind::kStreamGap);
    run.Enable(0, 1);
    run.request.block.perEvent = 1;
    ASSERT_EQ(DevSubmitRead(&run.request), 1);
    EXPECT_EQ(peer.CountOf(code::kStartStream), 1);
    for (uint32_t i = 0; i < 30; ++i) {
        std::vector<uint32_t> p(kStreamPacketWords, i % 2 ? 0x03E803E8u : 0);
        p[0] = i;
        peer.Send(MakeFrame(code::kStreamPacket, p));
    }
    EXPECT_TRUE(run.event.Wait(3000));
    EXPECT_TRUE(WaitUntil([&] { return run.Count(0) > 0; }));
    EXPECT_EQ(DevStop(), 1);
    EXPECT_EQ(peer.CountOf(code::kStopStream), 1);
    DevClose();
}

TEST(DeviceApi, UnansweredStreamStartSignalsTheRequest)
{
    LoopbackPeer peer([](LoopbackPeer& p, uint32_t c, std::span<const uint32_t> f) {
        if (c != code::kStartStream)
            AnswerLikeALogger(p, c, f);
    });
    peer.Export();
    ASSERT_EQ(DevOpen(0), 1);
    BoundRequest run(64, kind::kStreamTrigger);
    run.Enable(2, 1);
    EXPECT_EQ(DevSubmitRead(&run.request), 0);
    EXPECT_TRUE(run.event.IsSet());
    DevClose();
}

TEST(Loopback, DeviceHelloAndStopAreAnsweredWithoutHarmingACommandInFlight)
{
    LoopbackPeer peer([](LoopbackPeer& p, uint32_t c, std::span<const uint32_t> f) {
        AnswerLikeALogger(p, c, f);
        if (c == code::kReadSamples) {
            p.Reply(code::kHello);
            p.Reply(code::kStop);
            p.Reply(code::kReadReply, std::vector<uint32_t>(kReadReplyWords, 3));
        }
    });
    CorvikUSBDrv drv;
    ASSERT_EQ(drv.ConnectWith(TcpTransport::Connect("127.0.0.1", peer.Port()), nullptr), 1);
    BoundRequest r(16, kind::kSingle);
    EXPECT_EQ(drv.ReadSamples(r.request), 1);
    EXPECT_TRUE(WaitUntil([&] { return peer.CountOf(code::kHelloAck) == 1 && peer.CountOf(code::kStopped) == 1; }));

    // Device hellos keep coming while large commands go out: every frame arrives whole.
    std::thread spammer([&] {
        for (int i = 0; i < 200; ++i)
            peer.Reply(code::kHello);
    });
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(drv.SendSetupBlock(r.request), 1);
    spammer.join();
    EXPECT_TRUE(WaitUntil([&] { return peer.CountOf(code::kHelloAck) == 201; }));
    EXPECT_TRUE(peer.AllSound());
    EXPECT_EQ(peer.CountOf(code::kWriteSetup), 100);
}

// The TCP transport with the order of the driver's calls noted in `watch`, which outlives it.
struct TransportWatch {
    std::atomic<bool> woken{false};
    std::atomic<int> readsAfterWake{0};
    std::atomic<bool> closedAfterWake{false};
};

class WatchedTransport : public ByteTransport {
public:
    WatchedTransport(std::unique_ptr<ByteTransport> inner, TransportWatch& watch)
        : inner_(std::move(inner)), watch_(watch)
    {
    }
    int Read(std::span<uint8_t> buffer) override
    {
        if (watch_.woken)
            ++watch_.readsAfterWake;
        return inner_->Read(buffer);
    }
    WriteStatus Write(std::span<const uint8_t> data, size_t& written) override { return inner_->Write(data, written); }
    void Wake() override
    {
        watch_.woken = true;
        inner_->Wake();
    }
    void Close() override
    {
        watch_.closedAfterWake = watch_.woken.load();
        inner_->Close();
    }
    bool IsUsb() const override { return false; }

private:
    std::unique_ptr<ByteTransport> inner_;
    TransportWatch& watch_;
};

// A receiver blocked on a silent link would keep a close waiting for ever: the close wakes it
// out of its read, it reads no more, and only then is the handle released.
TEST(Loopback, ClosingWhileTheReceiverIsBlockedReturnsPromptlyWithNoThreadLeft)
{
    LoopbackPeer peer([](LoopbackPeer& p, uint32_t c, std::span<const uint32_t> f) {
        if (c == code::kHello)
            AnswerLikeALogger(p, c, f);
    });
    TransportWatch transport;   // outlives the driver, which may close again as it goes
    CorvikUSBDrv drv;
    ASSERT_EQ(drv.ConnectWith(std::make_unique<WatchedTransport>(TcpTransport::Connect("127.0.0.1", peer.Port()),
                                                                 transport),
                              nullptr),
              1);
    BoundRequest r(16, kind::kSingle);
    std::thread reader([&] { (void)drv.ReadSamples(r.request); });
    std::this_thread::sleep_for(50ms);
    drv.Close();
    EXPECT_TRUE(transport.woken);
    EXPECT_EQ(transport.readsAfterWake, 0);
    EXPECT_TRUE(transport.closedAfterWake);
    EXPECT_FALSE(drv.ReceiveThreadRunning());
    EXPECT_FALSE(drv.LinkUp());
    reader.join();
}

TEST(Loopback, PeerHangingUpMarksTheLinkDown)
{
    LoopbackPeer peer(AnswerLikeALogger);
    CorvikUSBDrv drv;
    ASSERT_EQ(drv.ConnectWith(TcpTransport::Connect("127.0.0.1", peer.Port()), nullptr), 1);
    peer.Hangup();
    EXPECT_TRUE(WaitUntil([&] { return !drv.LinkUp(); }));
    EXPECT_TRUE(WaitUntil([&] { return !drv.ReceiveThreadRunning(); }));
    EXPECT_EQ(drv.QuerySensorState(), 0);  // nothing goes out: a time-out within the grace
}

TEST(DeviceApi, StrayBytesBeforeAReplyLeaveEveryLaterCommandAnswered)
{
    for (const size_t stray : {1u, 2u, 3u, 5u}) {
        SCOPED_TRACE(stray);
        // The first status answer comes after a few bytes of noise; everything after it is clean.
        std::atomic<bool> noisy{true};
        LoopbackPeer peer([&](LoopbackPeer& p, uint32_t c, std::span<const uint32_t> f) {
            if (c == code::kQueryStatus && noisy.exchange(false))
                p.Send(std::vector<uint8_t>(stray, 0x5A));
            AnswerLikeALogger(p, c, f);
        });
        peer.Export();
        ASSERT_EQ(DevOpen(0), 1);
        EXPECT_EQ(DevPollStatusWord(), 0x00030003);
        for (int i = 0; i < 20; ++i) {
            ASSERT_EQ(DevPollStatusWord(), 0x00030003) << "poll " << i;
            ASSERT_EQ(DevGetFirmwareVersion(), 20240115) << "version " << i;
        }
        DevClose();
    }
}
