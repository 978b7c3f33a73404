#include "devicelink/protocol/CommandFrame.h"

#include "tests/support/LinkHelpers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace devicelink;
using namespace corviktest;

namespace {

struct RecordingSink : FrameSink {
    std::vector<std::vector<uint32_t>> frames;
    void OnFrame(std::span<const uint32_t> frame) override { frames.emplace_back(frame.begin(), frame.end()); }
};

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

std::vector<uint8_t> WordBytes(std::initializer_list<uint32_t> words)
{
    std::vector<uint8_t> bytes(words.size() * 4);
    std::memcpy(bytes.data(), std::data(words), bytes.size());
    return bytes;
}

}  // namespace

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

TEST(FrameReassembler, PiecesOfOneThreeAndFiveHundredTwelveBytes)
{
    std::vector<uint32_t> payload(300);
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = uint32_t(i * 7);
    const auto one = MakeFrame(code::kChannelBlock, payload);
    const auto stream = Concat({one, MakeFrame(code::kHello), one});
    for (size_t piece : {size_t(1), size_t(3), size_t(512)}) {
        FrameReassembler r;
        RecordingSink sink;
        for (size_t at = 0; at < stream.size(); at += piece) {
            const size_t n = std::min(piece, stream.size() - at);
            r.Append({stream.data() + at, n}, sink);
        }
        ASSERT_EQ(sink.frames.size(), 3u) << piece;
        EXPECT_EQ(sink.frames[0].size(), 305u);
        EXPECT_EQ(sink.frames[0][3 + 299], payload[299]);
        EXPECT_EQ(sink.frames[1][1], code::kHello);
        EXPECT_EQ(r.BytesHeld(), 0u);
    }
}

TEST(FrameReassembler, SecondHeadStartsTheFrameAndEarlierWordsAreDropped)
{
    FrameReassembler r;
    RecordingSink sink;
    const auto stream = Concat({WordBytes({7, kFrameHead, 9}), MakeFrame(code::kStop)});
    r.Append(stream, sink);
    ASSERT_EQ(sink.frames.size(), 1u);
    EXPECT_EQ(sink.frames[0].size(), 5u);
    EXPECT_EQ(sink.frames[0][1], code::kStop);
    EXPECT_EQ(r.BytesHeld(), 0u);
}

TEST(FrameReassembler, TailInsidePayloadCutsFrameAndRestWaitsForNextFrame)
{
    FrameReassembler r;
    RecordingSink sink;
    const auto cut = MakeFrame(code::kStatusReply, std::vector<uint32_t>{kFrameTail, 5});
    r.Append(cut, sink);
    ASSERT_EQ(sink.frames.size(), 1u);
    EXPECT_FALSE(FrameIsSound(sink.frames[0]));
    // 5, checksum and the tail stay (a tail with no head is kept) until the next frame completes.
    EXPECT_EQ(r.BytesHeld(), 12u);
    r.Append(MakeFrame(code::kHelloAck), sink);
    ASSERT_EQ(sink.frames.size(), 2u);
    EXPECT_TRUE(FrameIsSound(sink.frames[1]));
    EXPECT_EQ(r.BytesHeld(), 0u);
}

TEST(FrameReassembler, HeldBytesAreThrownAwayAtOneMebibyte)
{
    FrameReassembler r;
    RecordingSink sink;
    std::vector<uint8_t> junk(kReceiveBufferBytes - 4, 0x11);
    r.Append(junk, sink);
    EXPECT_EQ(r.BytesHeld(), kReceiveBufferBytes - 4);
    r.Append(MakeFrame(code::kHello), sink);
    // The frame's first word filled the buffer: everything, that word included, went away.
    EXPECT_TRUE(sink.frames.empty());
    EXPECT_EQ(r.BytesHeld(), 16u);
}

namespace {

// The walk as first described: after each frame the rest moves to the front and the walk restarts
// at word 0. Quadratic, but plainly right; the reassembler must dispatch exactly the same.
struct ReferenceWalk {
    std::vector<uint8_t> held;
    std::vector<std::vector<uint32_t>> frames;

    void Append(std::span<const uint8_t> bytes)
    {
        held.insert(held.end(), bytes.begin(), bytes.end());
        if (held.size() >= kReceiveBufferBytes) {
            held.clear();
            return;
        }
        if (held.size() % 4 != 0)
            return;
    restart:
        std::vector<uint32_t> w(held.size() / 4);
        std::memcpy(w.data(), held.data(), held.size());
        long head = -1;
        for (size_t i = 0; i < w.size(); ++i) {
            if (w[i] == kFrameHead) {
                head = long(i);
            } else if (w[i] == kFrameTail && head >= 0) {
                frames.emplace_back(w.begin() + head, w.begin() + long(i) + 1);
                held.erase(held.begin(), held.begin() + long(i + 1) * 4);
                goto restart;
            }
        }
    }
};

}  // namespace

TEST(FrameReassembler, DispatchesExactlyWhatTheRestartingWalkDispatches)
{
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    for (int trial = 0; trial < 20; ++trial) {
        std::vector<uint8_t> stream;
        for (int i = 0; i < 200; ++i) {
            switch (next() % 5) {
            case 0:
                stream.push_back(uint8_t(next()));  // a stray byte shifts the word grid
                break;
            case 1: {
                const auto w = WordBytes({next() % 2 ? kFrameHead : kFrameTail});
                stream.insert(stream.end(), w.begin(), w.end());
                break;
            }
            default: {
                std::vector<uint32_t> payload(next() % 12);
                for (auto& p : payload)
                    p = next() % 7 == 0 ? kFrameTail : next();
                const auto f = MakeFrame(code::kStatusReply, payload);
                stream.insert(stream.end(), f.begin(), f.end());
            }
            }
        }
        FrameReassembler r;
        RecordingSink sink;
        ReferenceWalk ref;
        for (size_t at = 0; at < stream.size();) {
            const size_t n = std::min<size_t>(1 + next() % 700, stream.size() - at);
            r.Append({stream.data() + at, n}, sink);
            ref.Append({stream.data() + at, n});
            at += n;
        }
        ASSERT_GT(sink.frames.size(), 10u) << trial;
        ASSERT_EQ(sink.frames, ref.frames) << trial;
        ASSERT_EQ(r.BytesHeld(), ref.held.size());
        ASSERT_TRUE(std::equal(ref.held.begin(), ref.held.end(), r.Held().begin()));
    }
}
