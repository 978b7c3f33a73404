#include "tools/devsim/HostFrameParser.h"

#include "devicelink/protocol/CommandFrame.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using devsim::HostFrame;
using devsim::HostFrameParser;
using devicelink::kFrameHead;
using devicelink::kFrameTail;

std::vector<uint8_t> Frame(uint32_t code, std::vector<uint32_t> payload = {})
{
    return devicelink::MakeFrame(code, payload);
}

std::vector<uint8_t> Join(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Feeds the bytes in pieces of `piece` and returns the frames handed out.
std::vector<HostFrame> Parse(HostFrameParser& parser, std::span<const uint8_t> bytes, size_t piece = SIZE_MAX)
{
    std::vector<HostFrame> frames;
    for (size_t at = 0; at < bytes.size(); at += std::min(piece, bytes.size() - at))
        parser.Feed(bytes.subspan(at, std::min(piece, bytes.size() - at)), [&](const HostFrame& f) { frames.push_back(f); });
    return frames;
}

TEST(HostFrameParser, PayloadHoldingHeadAndTailValuesIsFoundByItsLength)
{
    const std::vector<uint32_t> payload{kFrameTail, kFrameHead, 7, kFrameTail};
    const auto bytes = Join(Frame(0x1000001F, payload), Frame(0x10000011));
    HostFrameParser parser;
    // One byte at a time: nothing may depend on how the stream is cut.
    const auto frames = Parse(parser, bytes, 1);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].code, 0x1000001Fu);
    EXPECT_EQ(frames[0].payload, payload);
    EXPECT_EQ(frames[1].code, 0x10000011u);
    EXPECT_TRUE(frames[1].payload.empty());
    EXPECT_EQ(parser.BytesHeld(), 0u);
}

TEST(HostFrameParser, BadChecksumIsDroppedAndTheNextFrameStillArrives)
{
    auto bad = Frame(0x10000027);
    bad[12] ^= 0x01;  // checksum word
    HostFrameParser parser;
    const auto frames = Parse(parser, Join(bad, Frame(0x10000011)));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].code, 0x10000011u);
    EXPECT_EQ(parser.DroppedFrames(), 1u);
}

TEST(HostFrameParser, NoiseFalseHeadsAndImplausibleLengthsAreSkipped)
{
    auto words = [](std::initializer_list<uint32_t> w) {
        std::vector<uint8_t> bytes(w.size() * 4);
        std::memcpy(bytes.data(), std::data(w), bytes.size());
        return bytes;
    };
    // Leading noise, an odd byte, then a head value whose length word leads nowhere.
    const auto noisy = Join(Join({0x01, 0x02, 0x03}, words({kFrameHead, 0x10000000, 8, 0, 0, 0, 0})), Frame(0x1000001B));
    // A head followed by a huge length must not make the parser wait for a megabyte.
    const auto huge = Join(words({kFrameHead, 0x10000006, 0x00800000}), Frame(0x10000011));
    for (const auto& [bytes, code] : {std::pair{noisy, 0x1000001Bu}, std::pair{huge, 0x10000011u}}) {
        HostFrameParser parser;
        const auto frames = Parse(parser, bytes);
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0].code, code);
    }
}

TEST(HostFrameParser, SetupBlockFrameArrivesWhole)
{
    const auto bytes = Frame(0x1000000A, std::vector<uint32_t>(964 / 4, kFrameTail));
    HostFrameParser parser;
    EXPECT_TRUE(Parse(parser, std::span(bytes).first(500)).empty());
    const auto frames = Parse(parser, std::span(bytes).subspan(500));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].payload.size(), 241u);
}

}  // namespace
