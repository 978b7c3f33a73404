#include "devicelink/link/CorvikUSBDrv.h"
#include "devicelink/link/DeviceApi.h"
#include "devicelink/link/UpgradeApi.h"
#include "devicelink/protocol/FirmwareImage.h"

#include "FakeTransport.h"
#include "LoopbackPeer.h"
#include "tests/support/LinkHelpers.h"

#include <gtest/gtest.h>

#include <atomic>

using namespace devicelink;
using namespace corviktest;

namespace {

std::vector<uint8_t> Image(size_t size, size_t markerAt = SIZE_MAX, int bank = kFirmwareBankA, uint32_t version = 0)
{
    std::vector<uint8_t> image(size, 0x11);
    if (markerAt == SIZE_MAX)
        return image;
    const uint8_t* marker = bank == kFirmwareBankA ? kBankMarkerA : kBankMarkerB;
    for (size_t i = 0; i < 8 && markerAt + i < size; ++i)
        image[markerAt + i] = i < 4 ? marker[i] : uint8_t(version >> (8 * (i - 4)));
    return image;
}

std::vector<uint8_t> Bytes(std::span<const uint32_t> words)
{
    std::vector<uint8_t> out(words.size() * 4);
    std::memcpy(out.data(), words.data(), out.size());
    return out;
}

// Connects the driver through a fake that answers the hello.
FakeTransport* ConnectFake(CorvikUSBDrv& drv)
{
    auto owned = std::make_unique<FakeTransport>(AnswerHello);
    FakeTransport* fake = owned.get();
    EXPECT_EQ(drv.ConnectWith(std::move(owned), nullptr), 1);
    return fake;
}

std::vector<uint8_t> StatusPacket(uint32_t status)
{
    std::vector<uint32_t> packet(15, 0x01010101u);
    packet[3] = status;
    return Bytes(packet);
}

}  // namespace

TEST(FindBankMarker, AcceptsOnlyAMarkerWhoseVersionLiesInsideTheImage)
{
    struct Case {
        size_t size, at;
        int bankWritten, bankSought;
        bool found;
    };
    const Case cases[] = {
        {64, 0, 0, 0, true},
        {64, 56, 0, 0, true},    // version in the last four bytes
        {64, 57, 0, 0, false},   // one version byte would lie past the end
        {64, 60, 0, 0, false},   // marker in the last four bytes, no version at all
        {64, 10, 1, 1, true},
        {64, 10, 1, 0, false},
        {64, 10, 0, 2, false},   // there is no third bank
        {7, 0, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "size " << c.size << " at " << c.at << " bank " << c.bankSought);
        const auto image = Image(c.size, c.at, c.bankWritten, 20240315);
        EXPECT_EQ(FindBankMarker(image, c.bankSought).has_value(), c.found);
        if (c.found) {
            EXPECT_EQ(*FindBankMarker(image, c.bankSought), c.at);
            EXPECT_EQ(BankMarkerVersion(image, c.bankSought), 20240315u);
        }
    }
    // The first of two markers counts.
    auto two = Image(64, 30, 0, 2);
    two[4] = 0xAA, two[5] = 0xAA, two[6] = 0x5A, two[7] = 0x5A, two[8] = 1, two[9] = two[10] = two[11] = 0;
    EXPECT_EQ(BankMarkerVersion(two, 0), 1u);
}

// The tool's logger sends its status between frames as bare 60-byte packets; a 60-byte read that
// is part of a frame must still reach the frame reassembler.
TEST(UpgradeDriver, SixtyByteStatusPacketOnlyWhenNoFrameIsUnderWay)
{
    CorvikUSBDrv drv(DriverOptions{.upgradeTool = true});
    FakeTransport* fake = ConnectFake(drv);
    fake->Queue(StatusPacket(0x00050005u));
    EXPECT_TRUE(WaitUntil([&] { return drv.LastStatus() == 0x00050005; }));

    // A genuine 60-byte frame: its first payload word must not be read as a status.
    std::vector<uint32_t> ten(10, 0);
    ten[0] = 20240101u;
    const auto whole = MakeFrame(code::kVersionReply, ten);
    ASSERT_EQ(whole.size(), 60u);
    fake->Queue(whole);
    EXPECT_TRUE(WaitUntil([&] { return drv.LastFirmwareVersion() == 20240101; }));
    EXPECT_EQ(drv.LastStatus(), 0x00050005);

    // A frame of 80 bytes whose last 60 come in a read of their own.
    std::vector<uint32_t> fifteen(15, 0);
    fifteen[0] = 20250202u;
    const auto split = MakeFrame(code::kVersionReply, fifteen);
    ASSERT_EQ(split.size(), 80u);
    fake->Queue({split.begin(), split.begin() + 20});
    ASSERT_TRUE(WaitUntil([&] { return fake->Pending() == 0; }));
    fake->Queue({split.begin() + 20, split.end()});
    EXPECT_TRUE(WaitUntil([&] { return drv.LastFirmwareVersion() == 20250202; }));
    EXPECT_EQ(drv.LastStatus(), 0x00050005);
}

TEST(UpgradeDriver, TheProgramsDriverTakesNoStatusPackets)
{
    CorvikUSBDrv drv;
    FakeTransport* fake = ConnectFake(drv);
    fake->Queue(StatusPacket(0x00050005u));
    fake->Queue(code::kVersionReply, {20240101u});
    EXPECT_TRUE(WaitUntil([&] { return drv.LastFirmwareVersion() == 20240101; }));
    EXPECT_EQ(drv.LastStatus(), 0);
}

TEST(UpgradeDriver, ASocketErrorIsOneFailedReadOfEleven)
{
    for (const int errors : {10, 11}) {
        SCOPED_TRACE(errors);
        CorvikUSBDrv drv(DriverOptions{.upgradeTool = true});
        FakeTransport* fake = ConnectFake(drv);
        fake->ScriptReads(kReadLinkError, errors);
        ASSERT_TRUE(WaitUntil([&] { return fake->Reads() >= errors + 2 || !drv.LinkUp(); }));
        EXPECT_EQ(drv.LinkUp(), errors <= 10);
    }
}

namespace {

// A logger for the upgrade commands: names `bank` and sequence 4, and answers blocks and the
// finish with the replies chosen by the test.
class UpgradePeer {
public:
    explicit UpgradePeer(uint32_t bank)
        : bank_(bank), peer_([this](LoopbackPeer& p, uint32_t c, std::span<const uint32_t> f) { Answer(p, c, f); })
    {
        peer_.Export();
    }
    ~UpgradePeer() { DevClose(); }

    void Answer(LoopbackPeer& p, uint32_t c, std::span<const uint32_t> frame)
    {
        if (c == code::kFirmwareBegin)
            p.Reply(code::kFirmwareBank, {bank_, 4});
        else if (c == code::kFirmwareBlock)
            p.Reply(blockReply.load());
        else if (c == code::kFirmwareCheck)
            p.Reply(finishReply.load());
        else
            AnswerLikeALogger(p, c, frame);
    }
    LoopbackPeer& Peer() { return peer_; }

    std::atomic<uint32_t> blockReply{code::kFirmwareBlockAck};
    std::atomic<uint32_t> finishReply{code::kFirmwareCheckAck};

private:
    uint32_t bank_;
    LoopbackPeer peer_;
};

}  // namespace

TEST(UpgradeCommands, BankSelectionPicksTheImageThatCarriesTheAskedMarker)
{
    const auto a = Image(4096, 100, kFirmwareBankA, 20240101);
    auto aWithB = a;
    std::copy_n(kBankMarkerB, 4, aWithB.begin() + 2000);
    const auto b = Image(4096, 200, kFirmwareBankB, 20240101);
    const auto plain = Image(4096);
    struct Case {
        uint32_t bank;
        const std::vector<uint8_t>* imageA;
        const std::vector<uint8_t>* imageB;
        int chosen;
    };
    const Case cases[] = {
        {0, &a, &b, 0},
        {1, &a, &b, 1},
        {1, &aWithB, &b, 0},  // image A carries the B marker too: A is sent
        {2, &a, &b, -1},      // no such bank
        {0, &plain, &b, -1},  // neither image carries the A marker
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bank);
        UpgradePeer logger(c.bank);
        ASSERT_EQ(DevOpenForUpgrade(), 1);
        EXPECT_EQ(DevSelectUpgradeImage(c.imageA->data(), int32_t(c.imageA->size()), c.imageB->data(),
                                        int32_t(c.imageB->size())),
                  c.chosen);
    }
}

TEST(UpgradeCommands, MissingImagesGiveMinusOneWithoutAFrame)
{
    const auto a = Image(64, 0, kFirmwareBankA, 1);
    EXPECT_EQ(DevSelectUpgradeImage(a.data(), 64, a.data(), 64), -1);  // no driver
    UpgradePeer logger(0);
    ASSERT_EQ(DevOpenForUpgrade(), 1);
    EXPECT_EQ(DevDeviceReady(), 1);
    EXPECT_EQ(DevSelectUpgradeImage(nullptr, 64, a.data(), 64), -1);
    EXPECT_EQ(DevSelectUpgradeImage(a.data(), 0, a.data(), 64), -1);
    EXPECT_EQ(DevSelectUpgradeImage(a.data(), 64, a.data(), -3), -1);
    EXPECT_EQ(logger.Peer().CountOf(code::kFirmwareBegin), 0);
}

TEST(UpgradeCommands, BlocksAreRefusedWithoutAFrameUnlessTheyFitOneBlock)
{
    UpgradePeer logger(0);
    ASSERT_EQ(DevOpenForUpgrade(), 1);
    std::vector<uint8_t> data(4096, 0x5C);
    for (const int count : {2049, -1}) {
        const FirmwareBlockRecord bad{0, data.data(), count};
        EXPECT_EQ(DevWriteFirmwareBlock(&bad), 0) << count;
    }
    const FirmwareBlockRecord noData{0, nullptr, 16};
    EXPECT_EQ(DevWriteFirmwareBlock(&noData), 0);
    EXPECT_EQ(DevWriteFirmwareBlock(nullptr), 0);
    EXPECT_EQ(logger.Peer().CountOf(code::kFirmwareBlock), 0);

    const FirmwareBlockRecord good{3, data.data(), 2048};
    EXPECT_EQ(DevWriteFirmwareBlock(&good), 1);
    // A short block still travels as whole words, the count naming the real end.
    const FirmwareBlockRecord shortBlock{4, data.data(), 5};
    EXPECT_EQ(DevWriteFirmwareBlock(&shortBlock), 1);
    std::vector<std::vector<uint32_t>> blocks;
    for (const auto& f : logger.Peer().Received())
        if (f[1] == code::kFirmwareBlock)
            blocks.push_back(f);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0][2], 8u + 2048u);
    EXPECT_EQ(blocks[0][3], 3u);
    EXPECT_EQ(blocks[0][4], 2048u);
    EXPECT_EQ(blocks[0][5], 0x5C5C5C5Cu);
    EXPECT_EQ(blocks[1][2], 8u + 8u);
    EXPECT_EQ(blocks[1][4], 5u);
    EXPECT_EQ(blocks[1][6], 0xFFFFFF5Cu);
    EXPECT_TRUE(logger.Peer().AllSound());
}

TEST(UpgradeCommands, FinishCarriesSequenceSumAndSize)
{
    UpgradePeer logger(0);
    ASSERT_EQ(DevOpenForUpgrade(), 1);
    const auto a = Image(4096, 0, kFirmwareBankA, 1);
    ASSERT_EQ(DevSelectUpgradeImage(a.data(), 4096, a.data(), 4096), 0);
    ASSERT_EQ(DevFinishUpgrade(0x1234, 4096), 1);
    std::vector<uint32_t> finish;
    for (const auto& f : logger.Peer().Received())
        if (f[1] == code::kFirmwareCheck)
            finish = f;
    ASSERT_EQ(finish.size(), 8u);  // the 32-byte frame
    EXPECT_EQ(finish[2], 12u);
    EXPECT_EQ((std::vector<uint32_t>(finish.begin() + 3, finish.begin() + 6)), (std::vector<uint32_t>{5, 0x1234, 4096}));
}

// Each wait takes only its own reply: a block acknowledgement is no acknowledgement of the finish,
// and the other way round.
TEST(UpgradeCommands, AStrayAcknowledgementOfTheOtherCommandDoesNotPass)
{
    UpgradePeer logger(0);
    logger.blockReply = code::kFirmwareCheckAck;
    logger.finishReply = code::kFirmwareBlockAck;
    ASSERT_EQ(DevOpenForUpgrade(), 1);
    std::vector<uint8_t> data(2048, 1);
    const FirmwareBlockRecord block{0, data.data(), 2048};
    EXPECT_EQ(DevWriteFirmwareBlock(&block), 0);
    EXPECT_EQ(DevFinishUpgrade(2048, 2048), 0);
}
