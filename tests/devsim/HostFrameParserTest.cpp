#include "tools/devsim/HostFrameParser.h"

#include "devicelink/CommandFrame.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using devsim::HostFrame;
using devsim::HostFrameParser;

struct Collected {
    std::vector<HostFrame> frames;
    HostFrameParser::Handler Handler()
    {
        return [this](const HostFrame& f) { frames.push_back(f); };
    }
};

std::vector<uint8_t> Frame(uint32_t code, std::vector<uint32_t> payload = {})
{
    return devicelink::MakeFrame(code, payload);
}

TEST(HostFrameParser, PayloadHoldingHeadAndTailValuesIsFoundByItsLength)
{
    const std::vector<uint32_t> payload{devicelink::kFrameTail, devicelink::kFrameHead, 7, devicelink::kFrameTail};
    auto bytes = Frame(0x1000001F, payload);
    const auto second = Frame(0x10000011);
    bytes.insert(bytes.end(), second.begin(), second.end());

    Collected got;
    HostFrameParser parser;
    // One byte at a time: nothing may depend on how the stream is cut.
    for (uint8_t b : bytes)
        parser.Feed(std::span(&b, 1), got.Handler());

    ASSERT_EQ(got.frames.size(), 2u);
    EXPECT_EQ(got.frames[0].code, 0x1000001Fu);
    EXPECT_EQ(got.frames[0].payload, payload);
    EXPECT_EQ(got.frames[1].code, 0x10000011u);
    EXPECT_TRUE(got.frames[1].payload.empty());
    EXPECT_EQ(parser.BytesHeld(), 0u);
}

TEST(HostFrameParser, BadChecksumIsDroppedAndTheNextFrameStillArrives)
{
    auto bad = Frame(0x10000027);
    bad[12] ^= 0x01;  // checksum word
    const auto good = Frame(0x10000011);
    bad.insert(bad.end(), good.begin(), good.end());

    Collected got;
    HostFrameParser parser;
    parser.Feed(bad, got.Handler());
    ASSERT_EQ(got.frames.size(), 1u);
    EXPECT_EQ(got.frames[0].code, 0x10000011u);
    EXPECT_EQ(parser.DroppedFrames(), 1u);
}

TEST(HostFrameParser, NoiseAndFalseHeadsAreSkipped)
{
    // Leading noise, an odd byte, then a head value whose length word leads nowhere.
    std::vector<uint8_t> bytes{0x01, 0x02, 0x03};
    const uint32_t falseHead[] = {devicelink::kFrameHead, 0x10000000, 8, 0, 0, 0, 0};
    bytes.insert(bytes.end(), reinterpret_cast<const uint8_t*>(falseHead),
                 reinterpret_cast<const uint8_t*>(falseHead) + sizeof falseHead);
    const auto good = Frame(0x1000001B);
    bytes.insert(bytes.end(), good.begin(), good.end());

    Collected got;
    HostFrameParser parser;
    parser.Feed(bytes, got.Handler());
    ASSERT_EQ(got.frames.size(), 1u);
    EXPECT_EQ(got.frames[0].code, 0x1000001Bu);
}

TEST(HostFrameParser, ImplausibleLengthDoesNotStallTheStream)
{
    // A head followed by a huge length must not make the parser wait for a megabyte.
    std::vector<uint8_t> bytes(12, 0);
    const uint32_t head = devicelink::kFrameHead, code = 0x10000006, length = 0x00800000;
    std::memcpy(bytes.data(), &head, 4);
    std::memcpy(bytes.data() + 4, &code, 4);
    std::memcpy(bytes.data() + 8, &length, 4);
    const auto good = Frame(0x10000011);
    bytes.insert(bytes.end(), good.begin(), good.end());

    Collected got;
    HostFrameParser parser;
    parser.Feed(bytes, got.Handler());
    ASSERT_EQ(got.frames.size(), 1u);
    EXPECT_EQ(got.frames[0].code, 0x10000011u);
}

TEST(HostFrameParser, SetupBlockFrameArrivesWhole)
{
    std::vector<uint32_t> block(964 / 4, devicelink::kFrameTail);
    const auto bytes = Frame(0x1000000A, block);
    Collected got;
    HostFrameParser parser;
    parser.Feed(std::span(bytes).first(500), got.Handler());
    EXPECT_TRUE(got.frames.empty());
    parser.Feed(std::span(bytes).subspan(500), got.Handler());
    ASSERT_EQ(got.frames.size(), 1u);
    EXPECT_EQ(got.frames[0].payload.size(), 241u);
}

}  // namespace
