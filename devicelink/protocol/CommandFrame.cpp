#include "devicelink/protocol/CommandFrame.h"

#include "platform/LittleEndian.h"

#include <cstring>

namespace devicelink {

uint32_t FrameChecksum(std::span<const uint32_t> words)
{
    uint32_t sum = 0;
    for (uint32_t w : words)
        sum += w;
    return sum;
}

namespace {

uint32_t SumBytesAsWords(const uint8_t* bytes, size_t count)
{
    uint32_t sum = 0;
    for (size_t i = 0; i + 4 <= count; i += 4)
        sum += platform::ReadLE32({bytes + i, 4});
    return sum;
}

bool UsableLength(int32_t bytes)
{
    return bytes >= 0 && bytes % 4 == 0 && size_t(bytes) <= kMaxPayloadBytes;
}

}  // namespace

uint32_t BuildFrame(std::span<uint8_t> out, uint32_t code, const void* part1, int32_t part1Bytes,
                    const void* part2, int32_t part2Bytes)
{
    if (!UsableLength(part1Bytes) || !UsableLength(part2Bytes))
        return 0;
    const size_t payload = size_t(part1Bytes) + size_t(part2Bytes);
    if (payload > kMaxPayloadBytes || (part1Bytes > 0 && !part1) || (part2Bytes > 0 && !part2))
        return 0;
    const size_t total = payload + kFrameOverheadBytes;
    if (out.size() < total)
        return 0;

    platform::WriteLE32(out, 0, kFrameHead);
    platform::WriteLE32(out, 4, code);
    platform::WriteLE32(out, 8, uint32_t(payload));
    uint8_t* body = out.data() + 12;
    if (part1Bytes > 0)
        std::memcpy(body, part1, size_t(part1Bytes));
    if (part2Bytes > 0)
        std::memcpy(body + part1Bytes, part2, size_t(part2Bytes));
    const uint32_t sum = kFrameHead + code + uint32_t(payload) + SumBytesAsWords(body, payload);
    platform::WriteLE32(out, 12 + payload, sum);
    platform::WriteLE32(out, 16 + payload, kFrameTail);
    return uint32_t(total);
}

std::vector<uint8_t> MakeFrame(uint32_t code, std::span<const uint32_t> payload)
{
    if (payload.size() > kMaxPayloadBytes / 4)
        return {};
    std::vector<uint8_t> frame(payload.size() * 4 + kFrameOverheadBytes);
    const uint32_t n = BuildFrame(frame, code, payload.data(), int32_t(payload.size() * 4));
    frame.resize(n);
    return frame;
}

uint64_t PayloadWordsRead(uint32_t frameCode, std::span<const uint32_t> payload)
{
    switch (frameCode) {
    case code::kReadReply:
    case code::kMeasureBlock:
        return kReadReplyWords;
    case code::kWideReadReply:
        return kWideReadReplyWords;
    case code::kChannelBlock:
        return kChannelBlockWords;
    case code::kSetBlocks:
        return kSetBlocksWords;
    case code::kStreamPacket:
        return kStreamPacketWords;
    case code::kChannelBulk:
        // channel, count m, then m values and m times
        if (payload.size() < 2)
            return 2;
        return 2 + 2 * uint64_t(payload[1]);
    case code::kFirmwareBank:
        return 2;
    case code::kStatusReply:
    case code::kValueReply:
    case code::kVersionReply:
        return 1;
    default:
        return 0;
    }
}

bool FrameIsSound(std::span<const uint32_t> frame)
{
    if (frame.size() < kFrameOverheadWords)
        return false;
    const size_t n = frame.size();
    if (FrameChecksum(frame.first(n - 2)) != frame[n - 2])
        return false;
    const auto payload = FramePayload(frame);
    return PayloadWordsRead(FrameCode(frame), payload) <= payload.size();
}

FrameReassembler::FrameReassembler() : words_(new uint32_t[kReceiveBufferBytes / 4]) {}

std::span<uint8_t> FrameReassembler::FreeSpace()
{
    return {reinterpret_cast<uint8_t*>(words_.get()) + held_, kReceiveBufferBytes - held_};
}

std::span<const uint8_t> FrameReassembler::Held() const
{
    return {reinterpret_cast<const uint8_t*>(words_.get()), held_};
}

void FrameReassembler::Commit(size_t n, FrameSink& sink)
{
    held_ += n;
    if (held_ >= kReceiveBufferBytes) {
        held_ = 0;
        return;
    }
    held_ = ExtractFrames(sink);
}

void FrameReassembler::Append(std::span<const uint8_t> bytes, FrameSink& sink)
{
    while (!bytes.empty()) {
        const auto space = FreeSpace();
        const size_t n = std::min(space.size(), bytes.size());
        std::memcpy(space.data(), bytes.data(), n);
        Commit(n, sink);
        bytes = bytes.subspan(n);
    }
}

// One pass with a moving start: each closed frame drops everything up to its tail, which is the
// same as restarting the walk at word 0 of a compacted buffer, and the compaction is done once.
size_t FrameReassembler::ExtractFrames(FrameSink& sink)
{
    if (held_ % 4 != 0)
        return held_;
    const size_t count = held_ / 4;
    const uint32_t* w = words_.get();
    size_t start = 0;
    size_t head = 0;
    bool haveHead = false;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t word = w[i];
        if (word == kFrameHead) {
            head = i;
            haveHead = true;
        } else if (word == kFrameTail && haveHead) {
            sink.OnFrame({w + head, i - head + 1});
            start = i + 1;
            haveHead = false;
        }
    }
    if (start == 0)
        return held_;
    const size_t left = count - start;
    if (left > 0)
        std::memmove(words_.get(), w + start, left * 4);
    return left * 4;
}

}  // namespace devicelink
