// Reassembly of the receive stream: frames in any pieces, stray bytes at any offset, cut frames,
// tails inside payloads, the 1 MiB throw-away.
#include "devicelink/protocol/CommandFrame.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

using namespace devicelink;

namespace {

struct RecordingSink : FrameSink {
    std::vector<std::vector<uint32_t>> frames;
    void OnFrame(std::span<const uint32_t> frame) override { frames.emplace_back(frame.begin(), frame.end()); }

    // The frames whose checksum agrees: the only ones the driver would act on.
    std::vector<std::vector<uint32_t>> Sound() const
    {
        std::vector<std::vector<uint32_t>> sound;
        for (const auto& f : frames)
            if (f.size() >= kFrameOverheadWords && FrameChecksum(std::span(f).first(f.size() - 2)) == f[f.size() - 2])
                sound.push_back(f);
        return sound;
    }
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

std::vector<uint32_t> WordsOf(const std::vector<uint8_t>& frame)
{
    std::vector<uint32_t> words(frame.size() / 4);
    std::memcpy(words.data(), frame.data(), frame.size());
    return words;
}

// Feeds the stream in pieces of `piece` bytes (0: all at once).
void Feed(FrameReassembler& r, FrameSink& sink, const std::vector<uint8_t>& stream, size_t piece = 0)
{
    if (piece == 0)
        piece = stream.size();
    for (size_t at = 0; at < stream.size(); at += piece)
        r.Append({stream.data() + at, std::min(piece, stream.size() - at)}, sink);
}

// A frame whose payload words are all different, so that a frame put together wrongly shows.
std::vector<uint8_t> NumberedFrame(uint32_t code, size_t payloadWords, uint32_t seed)
{
    std::vector<uint32_t> payload(payloadWords);
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = seed * 1000003u + uint32_t(i) * 7919u;
    return MakeFrame(code, payload);
}

}  // namespace

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
        Feed(r, sink, stream, piece);
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
    Feed(r, sink, Concat({WordBytes({7, kFrameHead, 9}), MakeFrame(code::kStop)}));
    ASSERT_EQ(sink.frames.size(), 1u);
    EXPECT_EQ(sink.frames[0].size(), 5u);
    EXPECT_EQ(sink.frames[0][1], code::kStop);
    EXPECT_EQ(r.BytesHeld(), 0u);
}

TEST(FrameReassembler, TailInsidePayloadCutsTheFrameAndTheRestIsDropped)
{
    FrameReassembler r;
    RecordingSink sink;
    Feed(r, sink, MakeFrame(code::kStatusReply, std::vector<uint32_t>{kFrameTail, 5}));
    ASSERT_EQ(sink.frames.size(), 1u);
    EXPECT_FALSE(FrameIsSound(sink.frames[0]));
    // 5, the checksum and the real tail hold no head: only three bytes, which might begin one, stay.
    EXPECT_EQ(r.BytesHeld(), 3u);
    Feed(r, sink, MakeFrame(code::kHelloAck));
    ASSERT_EQ(sink.frames.size(), 2u);
    EXPECT_TRUE(FrameIsSound(sink.frames[1]));
    EXPECT_EQ(r.BytesHeld(), 0u);
}

TEST(FrameReassembler, HeldBytesAreThrownAwayAtOneMebibyte)
{
    FrameReassembler r;
    RecordingSink sink;
    // A head that never gets its tail keeps everything after it.
    Feed(r, sink, Concat({WordBytes({kFrameHead}), std::vector<uint8_t>(kReceiveBufferBytes - 8, 0x11)}));
    EXPECT_EQ(r.BytesHeld(), kReceiveBufferBytes - 4);
    Feed(r, sink, MakeFrame(code::kHello));
    // The frame's first word filled the buffer: everything, that word included, went away, and
    // what followed holds no head.
    EXPECT_TRUE(sink.frames.empty());
    EXPECT_EQ(r.BytesHeld(), 3u);
}

TEST(FrameReassembler, StrayBytesBeforeAFrameCostNothing)
{
    const auto reply = MakeFrame(code::kStatusReply, {0x00010001});
    const auto next = MakeFrame(code::kVersionReply, {20130913});
    for (const size_t stray : {1u, 2u, 3u, 5u, 6u, 7u}) {
        // Bytes that look like the start of a head, and the same number of zeros.
        for (const uint8_t fill : {uint8_t(0xA5), uint8_t(0)}) {
            for (const size_t piece : {size_t(0), size_t(1), size_t(3), size_t(512)}) {
                FrameReassembler r;
                RecordingSink sink;
                Feed(r, sink, Concat({std::vector<uint8_t>(stray, fill), reply, next, reply}), piece);
                ASSERT_EQ(sink.frames.size(), 3u) << stray << " stray, piece " << piece;
                EXPECT_EQ(sink.frames[0], WordsOf(reply));
                EXPECT_EQ(sink.frames[1], WordsOf(next));
                EXPECT_EQ(sink.frames[2], WordsOf(reply));
                EXPECT_EQ(r.BytesHeld(), 0u);
            }
        }
    }
}

TEST(FrameReassembler, AFrameCutAtAnyByteIsTheOnlyOneLost)
{
    const auto cut = NumberedFrame(code::kChannelBlock, kChannelBlockWords, 1);
    const std::vector<uint8_t> whole[] = {NumberedFrame(code::kStatusReply, 1, 2),
                                          NumberedFrame(code::kChannelBlock, kChannelBlockWords, 3),
                                          NumberedFrame(code::kReadReply, kReadReplyWords, 4)};
    for (size_t keep = 1; keep < cut.size(); ++keep) {
        std::vector<uint8_t> stream(cut.begin(), cut.begin() + long(keep));
        for (const auto& w : whole)
            stream.insert(stream.end(), w.begin(), w.end());
        FrameReassembler r;
        RecordingSink sink;
        Feed(r, sink, stream, keep % 2 ? 0 : 64);
        const auto sound = sink.Sound();
        ASSERT_EQ(sound.size(), 3u) << "cut after " << keep << " bytes";
        for (size_t i = 0; i < 3; ++i)
            EXPECT_EQ(sound[i], WordsOf(whole[i])) << "cut after " << keep << " bytes";
        EXPECT_EQ(r.BytesHeld(), 0u);
    }
}

TEST(FrameReassembler, AHeadPatternAtAnotherAlignmentInsideAPayloadLosesNothing)
{
    // The head's bytes straddle two payload words, and a tail's bytes two others.
    std::vector<uint8_t> frame = MakeFrame(code::kChannelBlock, std::vector<uint32_t>(kChannelBlockWords, 0x1234));
    const uint8_t head[4] = {0xA5, 0xF1, 0xAA, 0x55};
    const uint8_t tail[4] = {0x55, 0xF0, 0x55, 0xAA};
    std::memcpy(frame.data() + 12 + 4 * 10 + 2, head, 4);
    std::memcpy(frame.data() + 12 + 4 * 20 + 1, tail, 4);
    const auto words = WordsOf(frame);
    std::vector<uint32_t> summed(words.begin(), words.end() - 2);
    const uint32_t checksum = FrameChecksum(summed);
    std::memcpy(frame.data() + frame.size() - 8, &checksum, 4);
    FrameReassembler r;
    RecordingSink sink;
    Feed(r, sink, Concat({frame, frame}), 100);
    ASSERT_EQ(sink.Sound().size(), 2u);
    EXPECT_EQ(sink.frames.size(), 2u);
    EXPECT_EQ(sink.frames[0], WordsOf(frame));
}

TEST(FrameReassembler, RandomNoiseBetweenFramesDispatchesExactlyTheIntactFrames)
{
    std::mt19937 rng(20240607);
    const auto below = [&](uint32_t n) { return uint32_t(rng() % n); };
    const uint32_t codes[] = {code::kStatusReply, code::kReadReply, code::kChannelBlock, code::kSetBlocks,
                              code::kStreamPacket, code::kHelloAck};
    std::vector<uint8_t> stream;
    std::vector<std::vector<uint32_t>> intact;
    for (int i = 0; i < 4000; ++i) {
        for (uint32_t n = below(8); n > 0; --n)
            stream.push_back(uint8_t(rng()));
        std::vector<uint32_t> payload(below(6) == 0 ? kChannelBlockWords : below(40));
        for (auto& w : payload)
            w = rng();
        std::vector<uint8_t> frame = MakeFrame(codes[below(std::size(codes))], payload);
        switch (below(10)) {
        case 0:  // cut short: the rest of the frame never comes
            frame.resize(1 + below(uint32_t(frame.size() - 1)));
            break;
        case 1:  // one byte of the body damaged: the checksum no longer agrees
            frame[4 + below(uint32_t(frame.size() - 8))] ^= uint8_t(1 + below(255));
            break;
        case 2:  // the head damaged: the frame never starts
            frame[below(4)] ^= uint8_t(1 + below(255));
            break;
        default:
            intact.push_back(WordsOf(frame));
            break;
        }
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    FrameReassembler r;
    RecordingSink sink;
    for (size_t at = 0; at < stream.size();) {
        const size_t n = std::min<size_t>(1 + below(2048), stream.size() - at);
        r.Append({stream.data() + at, n}, sink);
        at += n;
    }
    ASSERT_GT(intact.size(), 2500u);
    const auto sound = sink.Sound();
    ASSERT_EQ(sound.size(), intact.size());
    EXPECT_TRUE(sound == intact);
}

namespace {

// The walk, byte by byte, restarting on what is left after every frame: quadratic, but plainly
// right. A head pattern at offset p takes the place of any held head p is a whole number of words
// from; a tail pattern a whole number of words after a held head closes that head's frame.
struct ReferenceWalk {
    std::vector<uint8_t> held;
    std::vector<std::vector<uint32_t>> frames;

    static bool PatternAt(const std::vector<uint8_t>& b, size_t p, uint32_t word)
    {
        uint32_t w;
        std::memcpy(&w, b.data() + p, 4);
        return w == word;
    }

    void Append(std::span<const uint8_t> bytes)
    {
        held.insert(held.end(), bytes.begin(), bytes.end());
        if (held.size() >= kReceiveBufferBytes) {
            held.clear();
            return;
        }
    restart:
        std::vector<long> heads;
        for (size_t p = 0; p + 4 <= held.size(); ++p) {
            if (PatternAt(held, p, kFrameHead)) {
                std::erase_if(heads, [&](long h) { return (long(p) - h) % 4 == 0; });
                heads.push_back(long(p));
            } else if (PatternAt(held, p, kFrameTail)) {
                for (long h : heads) {
                    if ((long(p) - h) % 4 != 0)
                        continue;
                    std::vector<uint32_t> frame((p + 4 - size_t(h)) / 4);
                    std::memcpy(frame.data(), held.data() + h, frame.size() * 4);
                    frames.push_back(std::move(frame));
                    held.erase(held.begin(), held.begin() + long(p) + 4);
                    goto restart;
                }
            }
        }
        if (heads.empty() && held.size() > 3)
            held.erase(held.begin(), held.end() - 3);
    }
};

}  // namespace

TEST(FrameReassembler, DispatchesExactlyWhatTheRestartingByteWalkDispatches)
{
    std::mt19937 rng(12345);
    const auto below = [&](uint32_t n) { return uint32_t(rng() % n); };
    for (int trial = 0; trial < 20; ++trial) {
        std::vector<uint8_t> stream;
        for (int i = 0; i < 200; ++i) {
            switch (below(6)) {
            case 0:
                stream.push_back(uint8_t(rng()));  // a stray byte shifts the word grid
                break;
            case 1: {
                const auto w = WordBytes({below(2) ? kFrameHead : kFrameTail});
                stream.insert(stream.end(), w.begin(), w.end());
                break;
            }
            case 2:  // half a frame
                for (uint8_t b : MakeFrame(code::kStatusReply, {uint32_t(rng()), uint32_t(rng())}))
                    if (below(3))
                        stream.push_back(b);
                break;
            default: {
                std::vector<uint32_t> payload(below(12));
                for (auto& p : payload)
                    p = below(7) == 0 ? kFrameTail : rng();
                const auto f = MakeFrame(code::kStatusReply, payload);
                stream.insert(stream.end(), f.begin(), f.end());
            }
            }
        }
        FrameReassembler r;
        RecordingSink sink;
        ReferenceWalk ref;
        for (size_t at = 0; at < stream.size();) {
            const size_t n = std::min<size_t>(1 + below(700), stream.size() - at);
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
