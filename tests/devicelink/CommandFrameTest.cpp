#include "devicelink/protocol/CommandFrame.h"

#include "tests/support/LinkHelpers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace devicelink;
using namespace corviktest;

TEST(CommandFrame, StopStreamFrameHasExactGoldenBytes)
{
    const std::vector<uint8_t> expected = {0xA5, 0xF1, 0xAA, 0x55, 0x19, 0x00, 0x00, 0x10, 0x00, 0x00,
                                           0x00, 0x00, 0xBE, 0xF1, 0xAA, 0x65, 0x55, 0xF0, 0x55, 0xAA};
    EXPECT_EQ(MakeFrame(code::kStopStream), expected);
}

TEST(CommandFrame, BuilderRefusesBadLengthsAndWritesNothing)
{
    std::vector<uint8_t> big(kMaxFrameBytes, 0xEE);
    std::vector<uint8_t> payload(kMaxPayloadBytes + 4);
    // The largest payload fits the frame-sized buffer exactly.
    EXPECT_EQ(BuildFrame(big, 1, payload.data(), int32_t(kMaxPayloadBytes)), kMaxFrameBytes);
    std::fill(big.begin(), big.end(), 0xEE);
    EXPECT_EQ(BuildFrame(big, 1, payload.data(), int32_t(kMaxPayloadBytes) - 4, payload.data(), 8), 0u);
    EXPECT_EQ(BuildFrame(big, 1, payload.data(), -4), 0u);
    EXPECT_EQ(BuildFrame(big, 1, payload.data(), 6), 0u);
    EXPECT_EQ(BuildFrame(big, 1, payload.data(), 4, payload.data(), 2), 0u);
    std::vector<uint8_t> small(23);
    EXPECT_EQ(BuildFrame(small, 1, payload.data(), 4), 0u);
    EXPECT_EQ(big[0], 0xEE);
}

TEST(CommandFrame, SoundnessChecksChecksumAndWordsActuallyPresent)
{
    const auto words = FrameWords;
    EXPECT_TRUE(FrameIsSound(words(MakeFrame(code::kHello))));

    auto bad = words(MakeFrame(code::kStatusReply, std::vector<uint32_t>{5}));
    EXPECT_TRUE(FrameIsSound(bad));
    bad[3] ^= 1;
    EXPECT_FALSE(FrameIsSound(bad));

    // A data reply one word short is dropped even when its checksum is right.
    const std::pair<uint32_t, size_t> shapes[] = {{code::kWideReadReply, 513}, {code::kStreamPacket, 101},
                                                  {code::kChannelBlock, 130},  {code::kSetBlocks, 68},
                                                  {code::kReadReply, 33},      {code::kMeasureBlock, 33},
                                                  {code::kFirmwareBank, 2}};
    for (auto [frameCode, need] : shapes) {
        EXPECT_TRUE(FrameIsSound(words(MakeFrame(frameCode, std::vector<uint32_t>(need)))));
        EXPECT_FALSE(FrameIsSound(words(MakeFrame(frameCode, std::vector<uint32_t>(need - 1)))));
    }
    // The bulk delivery needs 2 + 2m words for its count m, however large m claims to be.
    EXPECT_TRUE(FrameIsSound(words(MakeFrame(code::kChannelBulk, std::vector<uint32_t>{1, 2, 0, 0, 0, 0}))));
    EXPECT_FALSE(FrameIsSound(words(MakeFrame(code::kChannelBulk, std::vector<uint32_t>{1, 3, 0, 0, 0, 0}))));
    EXPECT_FALSE(FrameIsSound(words(MakeFrame(code::kChannelBulk, std::vector<uint32_t>{1, 0xFFFFFFFFu}))));
    EXPECT_FALSE(FrameIsSound(words(MakeFrame(code::kChannelBulk, std::vector<uint32_t>{1}))));
    // A lying length word is not believed.
    auto lying = words(MakeFrame(code::kReadReply, std::vector<uint32_t>(10)));
    lying[2] = 33 * 4;
    lying[lying.size() - 2] = FrameChecksum(std::span(lying).first(lying.size() - 2));
    EXPECT_FALSE(FrameIsSound(lying));
}

