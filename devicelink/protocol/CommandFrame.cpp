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

namespace {

constexpr uint8_t kHeadBytes[4] = {uint8_t(kFrameHead), uint8_t(kFrameHead >> 8), uint8_t(kFrameHead >> 16),
                                   uint8_t(kFrameHead >> 24)};

// The word at any byte offset, in the host order the frames are handed on in (little-endian).
inline uint32_t WordAt(const uint8_t* p)
{
    uint32_t w;
    std::memcpy(&w, p, 4);
    return w;
}

// The first head pattern starting in [from, limit), or limit.
size_t FindHead(const uint8_t* bytes, size_t from, size_t limit)
{
    while (from < limit) {
        const void* hit = std::memchr(bytes + from, kHeadBytes[0], limit - from);
        if (!hit)
            return limit;
        const size_t at = size_t(static_cast<const uint8_t*>(hit) - bytes);
        if (bytes[at + 1] == kHeadBytes[1] && bytes[at + 2] == kHeadBytes[2] && bytes[at + 3] == kHeadBytes[3])
            return at;
        from = at + 1;
    }
    return limit;
}

}  // namespace

FrameReassembler::FrameReassembler()
    : words_(new uint32_t[kReceiveBufferBytes / 4]), aligned_(new uint32_t[kReceiveBufferBytes / 4])
{
}

std::span<uint8_t> FrameReassembler::FreeSpace()
{
    return {Bytes() + held_, kReceiveBufferBytes - held_};
}

std::span<const uint8_t> FrameReassembler::Held() const
{
    return {reinterpret_cast<const uint8_t*>(words_.get()), held_};
}

void FrameReassembler::Clear()
{
    held_ = 0;
    scanned_ = 0;
    headCount_ = 0;
}

void FrameReassembler::Commit(size_t n, FrameSink& sink)
{
    held_ += n;
    if (held_ >= kReceiveBufferBytes) {
        Clear();
        return;
    }
    ExtractFrames(sink);
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

void FrameReassembler::TakeHead(size_t at)
{
    for (int i = 0; i < headCount_; ++i) {
        if ((at - heads_[i].at) % 4 == 0) {
            heads_[i] = {at, at + 4};
            return;
        }
    }
    heads_[headCount_++] = {at, at + 4};
}

void FrameReassembler::Dispatch(size_t head, size_t end, FrameSink& sink)
{
    const size_t words = (end - head) / 4;
    if (head % 4 == 0) {
        sink.OnFrame({words_.get() + head / 4, words});
        return;
    }
    std::memcpy(aligned_.get(), Bytes() + head, end - head);
    sink.OnFrame({aligned_.get(), words});
}

void FrameReassembler::DropFront(size_t n)
{
    if (n == 0)
        return;
    std::memmove(Bytes(), Bytes() + n, held_ - n);
    held_ -= n;
    scanned_ -= n;
    for (int i = 0; i < headCount_; ++i) {
        heads_[i].at -= n;
        heads_[i].nextTail -= n;
    }
}

// One pass over what has not been looked at yet, event by event in stream order: the next head
// pattern, or a tail on the grid of a head already held, whichever comes first. Each closed frame
// drops everything up to its tail, the same as restarting the walk on the bytes after it; the
// bytes themselves move once, at the end.
void FrameReassembler::ExtractFrames(FrameSink& sink)
{
    const uint8_t* b = Bytes();
    // A word starting at or after `limit` is not complete yet.
    const size_t limit = held_ >= 4 ? held_ - 3 : 0;
    size_t start = 0;
    size_t pos = scanned_;
    for (;;) {
        const size_t head = FindHead(b, pos, limit);
        size_t tail = head;
        int closing = -1;
        for (int i = 0; i < headCount_; ++i) {
            size_t t = heads_[i].nextTail;
            while (t < tail && WordAt(b + t) != kFrameTail)
                t += 4;
            heads_[i].nextTail = t;
            if (t < tail) {
                tail = t;
                closing = i;
            }
        }
        if (closing >= 0) {
            Dispatch(heads_[closing].at, tail + 4, sink);
            start = pos = tail + 4;
            headCount_ = 0;
            continue;
        }
        if (head >= limit) {
            pos = std::max(pos, limit);
            break;
        }
        TakeHead(head);
        pos = head + 1;
    }
    scanned_ = pos;
    // Without a head nothing before the last three bytes can become part of a frame.
    const size_t keepFrom = headCount_ == 0 ? std::max(start, held_ >= 3 ? held_ - 3 : 0) : start;
    DropFront(keepFrom);
}

}  // namespace devicelink
