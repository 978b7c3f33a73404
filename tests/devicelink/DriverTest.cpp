#include "devicelink/link/CorvikUSBDrv.h"

#include "devicelink/protocol/CommandFrame.h"
#include "FakeTransport.h"
#include "tests/support/LinkHelpers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace devicelink;
using namespace corviktest;
using namespace std::chrono_literals;

namespace {

FakeTransport* Attach(CorvikUSBDrv& drv, FakeTransport::CommandScript script = AnswerHello,
                      StreamPacketSource* iso = nullptr)
{
    auto owned = std::make_unique<FakeTransport>(std::move(script));
    FakeTransport* fake = owned.get();
    EXPECT_EQ(drv.ConnectWith(std::move(owned), iso), 1);
    return fake;
}

// Connects through a fake whose first `times` reads return `result`; gives the connect's result.
int ConnectAfterReads(CorvikUSBDrv& drv, int result, int times, FakeTransport** fake = nullptr)
{
    auto owned = std::make_unique<FakeTransport>(AnswerHello);
    owned->ScriptReads(result, times);
    if (fake)
        *fake = owned.get();
    return drv.ConnectWith(std::move(owned), nullptr);
}

}  // namespace

TEST(CorvikUSBDrv, ElevenReadFailuresMarkTheLinkDownTenDoNot)
{
    {
        CorvikUSBDrv drv;
        FakeTransport* fake = nullptr;
        // The hello's answer is the good read that clears the count.
        EXPECT_EQ(ConnectAfterReads(drv, -1, 10, &fake), 1);
        fake->ScriptReads(-1, 5);
        fake->ScriptReads(kReadTimedOut, 30);  // time-outs are not failures
        fake->ScriptReads(-1, 5);
        EXPECT_TRUE(WaitUntil([&] { return fake->Reads() >= 52; }));
        EXPECT_TRUE(drv.LinkUp());
        fake->ScriptReads(-1, 1);
        EXPECT_TRUE(WaitUntil([&] { return !drv.LinkUp(); }));
        EXPECT_TRUE(WaitUntil([&] { return !drv.ReceiveThreadRunning(); }));
    }
    {
        CorvikUSBDrv drv;
        EXPECT_EQ(ConnectAfterReads(drv, -1, 11), 0);
        EXPECT_TRUE(WaitUntil([&] { return !drv.ReceiveThreadRunning(); }));
        EXPECT_FALSE(drv.LinkUp());
    }
    {
        CorvikUSBDrv drv;
        EXPECT_EQ(ConnectAfterReads(drv, kReadLinkError, 1), 0);
        EXPECT_FALSE(drv.LinkUp());
    }
}

TEST(CorvikUSBDrv, PartialSendContinuesWithTheBytesNotYetSent)
{
    CorvikUSBDrv drv;
    FakeTransport* fake = Attach(drv);
    int calls = 0;
    fake->SetWriteHook([&](std::span<const uint8_t>, size_t& written) {
        if (++calls == 1) {
            written = 7;
            return WriteStatus::Failed;
        }
        return WriteStatus::Ok;
    });
    const auto before = fake->Written().size();
    const auto frame = MakeFrame(code::kQueryStatus);
    EXPECT_TRUE(drv.SendFrame(frame.data(), frame.size()));
    const auto all = fake->Written();
    EXPECT_EQ(std::vector<uint8_t>(all.begin() + long(before), all.end()), frame);
}

TEST(CorvikUSBDrv, WriteGivesUpAfterThreeRepeatsAndBrokenPipeDropsTheLink)
{
    CorvikUSBDrv drv;
    FakeTransport* fake = Attach(drv);
    int calls = 0;
    fake->SetWriteHook([&](std::span<const uint8_t>, size_t& written) {
        ++calls;
        written = 0;
        return WriteStatus::Failed;
    });
    const auto frame = MakeFrame(code::kQueryStatus);
    EXPECT_FALSE(drv.SendFrame(frame.data(), frame.size()));
    EXPECT_EQ(calls, 4);
    EXPECT_TRUE(drv.LinkUp());

    fake->SetWriteHook([&](std::span<const uint8_t>, size_t& written) {
        written = 3;
        return WriteStatus::LinkLost;
    });
    EXPECT_FALSE(drv.SendFrame(frame.data(), frame.size()));
    EXPECT_FALSE(drv.LinkUp());
}

TEST(CorvikUSBDrv, OnlyTheNamedReplyReleasesAWaiter)
{
    CorvikUSBDrv drv;
    bool answerRight = false;
    Attach(drv, [&](FakeTransport& t, uint32_t c, std::span<const uint32_t> f) {
        AnswerHello(t, c, f);
        if (c == code::kFirmwareBlock) {
            t.Queue(code::kDeviceBlockWritten);  // a late answer to an earlier command
            if (answerRight)
                t.Queue(code::kFirmwareBlockAck);
        }
    });
    const uint32_t header[2] = {0, 4};
    const uint32_t data = 0xAB;
    EXPECT_EQ(drv.Transact(code::kFirmwareBlock, header, 8, &data, 4, CorvikUSBDrv::Gate::Ack,
                           {code::kFirmwareBlockAck}, 300),
              0);
    answerRight = true;
    EXPECT_EQ(drv.Transact(code::kFirmwareBlock, header, 8, &data, 4, CorvikUSBDrv::Gate::Ack,
                           {code::kFirmwareBlockAck}, 1000),
              1);
}

TEST(CorvikUSBDrv, StatusPollKeepsLastGoodStatusForFiveTimeOuts)
{
    CorvikUSBDrv drv;
    bool answer = true;
    Attach(drv, [&](FakeTransport& t, uint32_t c, std::span<const uint32_t> f) {
        AnswerHello(t, c, f);
        if (c == code::kQueryStatus && answer)
            t.Queue(code::kStatusReply, {0x10001});
    });
    EXPECT_EQ(drv.QuerySensorState(), 0x10001);
    answer = false;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(drv.QuerySensorState(), 0x10001) << i;
    EXPECT_EQ(drv.QuerySensorState(), -1);
    answer = true;
    EXPECT_EQ(drv.QuerySensorState(), 0x10001);
}

TEST(CorvikUSBDrv, BadChecksumShortFrameAndUnknownCodeChangeNothing)
{
    CorvikUSBDrv drv;
    auto bad = FrameWords(MakeFrame(code::kStatusReply, {42}));
    bad[3] = 43;
    drv.OnFrame(bad);
    EXPECT_EQ(drv.LastStatus(), 0);
    drv.OnFrame(FrameWords(MakeFrame(code::kStatusReply)));
    EXPECT_EQ(drv.LastStatus(), 0);
    drv.OnFrame(FrameWords(MakeFrame(0x10000099, {1, 2, 3})));
    drv.OnFrame(FrameWords(MakeFrame(code::kVersionReply, {20250101})));
    EXPECT_EQ(drv.LastFirmwareVersion(), 20250101);
    drv.OnFrame(FrameWords(MakeFrame(code::kFirmwareBank, {1, 77})));
    EXPECT_EQ(drv.FirmwareBank(), 1);
    EXPECT_EQ(drv.FirmwareSequence(), 77);
}

TEST(CorvikUSBDrv, SamplesFollowingTheStartAnswerAtOnceAreKept)
{
    BoundRequest r{64, kind::kTimed};  // outlives the driver, which may still be signalling its event
    CorvikUSBDrv drv;
    Attach(drv, [](FakeTransport& t, uint32_t c, std::span<const uint32_t> f) {
        AnswerHello(t, c, f);
        if (c == code::kStartMeasure) {
            std::vector<uint32_t> block(kReadReplyWords, 5);
            auto answer = MakeFrame(code::kStarted);
            const auto data = MakeFrame(code::kMeasureBlock, block);
            answer.insert(answer.end(), data.begin(), data.end());
            t.Queue(answer);
        }
    });
    r.Enable(0, 2);
    r.request.block.perEvent = 1;
    ASSERT_EQ(drv.StartMeasure(r.request), 1);
    EXPECT_TRUE(r.event.Wait(1000));
    EXPECT_EQ(r.Count(0), 2);
}

TEST(CorvikUSBDrv, UnansweredStartLeavesDeliveriesOff)
{
    CorvikUSBDrv drv;
    FakeTransport* fake = Attach(drv);
    BoundRequest r{64, kind::kTimed};
    r.Enable(0, 2);
    EXPECT_EQ(drv.StartMeasure(r.request), 0);
    fake->Queue(code::kMeasureBlock, std::vector<uint32_t>(kReadReplyWords, 1));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(r.Count(0), 0);
}

namespace {

// A stream source that always fails, counting how often it is asked.
class FailingSource : public StreamPacketSource {
public:
    int NextRound(std::span<StreamPacket>, uint32_t) override
    {
        ++rounds;
        return woken ? -1 : -2;
    }
    void Wake() override { woken = true; }
    void Rearm() override { woken = false; }
    std::atomic<int> rounds{0};
    std::atomic<bool> woken{false};
};

}  // namespace

TEST(CorvikUSBDrv, FailingStreamRoundsBackOffAndUnansweredStopStillEndsTheThread)
{
    FailingSource source;  // outlives the driver's connection
    CorvikUSBDrv drv;
    Attach(
        drv,
        [](FakeTransport& t, uint32_t c, std::span<const uint32_t> f) {
            AnswerHello(t, c, f);
            if (c == code::kStartStream)
                t.Queue(code::kStreamStarted);
        },
        &source);
    StreamDescriptor d{};
    d.kind = kind::kTimed;
    d.enabled[0] = 1;
    ASSERT_EQ(drv.StartStream(nullptr, &d), 1);
    EXPECT_TRUE(drv.StreamThreadRunning());
    std::this_thread::sleep_for(300ms);
    EXPECT_LT(source.rounds.load(), 20);
    EXPECT_EQ(drv.StopStream(), 0);
    EXPECT_FALSE(drv.StreamingActive());
    EXPECT_FALSE(drv.StreamThreadRunning());
}
