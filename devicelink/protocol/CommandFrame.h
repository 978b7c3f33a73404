#pragma once

#include "devicelink/protocol/Vocabulary.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <vector>

// The framed command protocol spoken with the logger over USB bulk pipes or the TCP peer:
// little-endian 32-bit words  head, code, payload length in bytes, payload..., checksum, tail.
namespace devicelink {

inline constexpr uint32_t kFrameHead = 0x55AAF1A5u;
inline constexpr uint32_t kFrameTail = 0xAA55F055u;
inline constexpr size_t kFrameOverheadBytes = 20;            // head, code, length, checksum, tail
inline constexpr size_t kFrameOverheadWords = kFrameOverheadBytes / 4;
inline constexpr size_t kMaxPayloadBytes = 0x100000;
inline constexpr size_t kMaxFrameBytes = kMaxPayloadBytes + kFrameOverheadBytes;
// Bytes the receive side holds before it gives up on finding a frame and throws them all away.
inline constexpr size_t kReceiveBufferBytes = 0x100000;

// Payload sizes of the fixed-shape data replies, in words.
inline constexpr size_t kReadReplyWords = 33;       // time stamp + 4 x 8 values
inline constexpr size_t kWideReadReplyWords = 513;  // time stamp + 4 x 128 values
inline constexpr size_t kChannelBlockWords = 130;   // time stamp, channel, 128 values
inline constexpr size_t kSetBlocksWords = 68;       // 4 set counts + 4 x 16 data words
inline constexpr size_t kStreamPacketWords = 101;   // time base + 200 16-bit samples

// Wrapping 32-bit sum of the words.
uint32_t FrameChecksum(std::span<const uint32_t> words);

// Writes one frame into out: the payload is part1 followed by part2 (so a header and a data block
// need not be copied together first). Returns the frame length in bytes, or 0 with nothing written
// when a length is negative or not a multiple of 4, the payload exceeds kMaxPayloadBytes, or out is
// too small.
uint32_t BuildFrame(std::span<uint8_t> out, uint32_t code, const void* part1, int32_t part1Bytes,
                    const void* part2 = nullptr, int32_t part2Bytes = 0);

// The same frame as a fresh byte vector (empty when BuildFrame would refuse it).
std::vector<uint8_t> MakeFrame(uint32_t code, std::span<const uint32_t> payload = {});
inline std::vector<uint8_t> MakeFrame(uint32_t code, std::initializer_list<uint32_t> payload)
{
    return MakeFrame(code, std::span<const uint32_t>(payload.begin(), payload.size()));
}

// Number of payload words a handler of this code reads from the frame, given the payload actually
// present (0x10000010 depends on its count word). Codes that read nothing give 0.
uint64_t PayloadWordsRead(uint32_t code, std::span<const uint32_t> payload);

// A frame from head to tail inclusive is sound when it holds at least the five fixed words, its
// checksum matches and it is long enough for every payload word its code reads. The length word
// is deliberately not trusted: only the words actually present count.
bool FrameIsSound(std::span<const uint32_t> frame);

inline uint32_t FrameCode(std::span<const uint32_t> frame) { return frame[1]; }
// The payload words actually present between the length word and the checksum.
inline std::span<const uint32_t> FramePayload(std::span<const uint32_t> frame)
{
    return frame.subspan(3, frame.size() - kFrameOverheadWords);
}

// Receives every frame found in the byte stream, head to tail inclusive, unchecked.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    virtual void OnFrame(std::span<const uint32_t> frame) = 0;
};

// Reassembles frames from a byte stream that arrives in arbitrary pieces. Reads go straight into
// FreeSpace() and are announced with Commit(); the held bytes never exceed kReceiveBufferBytes.
//
// The walk is byte-wise, so that stray bytes (a short read, a noisy cable) cost only the frames
// they touch: the head pattern starts a frame at any byte offset, and a tail closes it only at a
// word boundary counted from that head. Heads are tracked per alignment: a later head replaces an
// earlier one of its own alignment, as the word walk always did, while a head pattern at another
// alignment (one inside a payload, say) waits beside it, and the first tail on either's word grid
// closes that one's frame. Closing a frame drops every byte before its tail's end. With no head
// held only the last three bytes are kept: they may begin one.
class FrameReassembler {
public:
    FrameReassembler();
    FrameReassembler(const FrameReassembler&) = delete;
    FrameReassembler& operator=(const FrameReassembler&) = delete;

    // Where the next read may write; never empty.
    std::span<uint8_t> FreeSpace();
    // Accounts for n bytes just written into FreeSpace() and dispatches every complete frame.
    // When the held bytes reach kReceiveBufferBytes they are all thrown away unparsed.
    void Commit(size_t n, FrameSink& sink);
    // Copies bytes in (in as many pieces as the free space needs) and commits them.
    void Append(std::span<const uint8_t> bytes, FrameSink& sink);

    size_t BytesHeld() const { return held_; }
    std::span<const uint8_t> Held() const;
    void Clear();

private:
    // A head waiting for its tail; tails are looked for on its word grid from nextTail on.
    struct PendingHead {
        size_t at;
        size_t nextTail;
    };

    uint8_t* Bytes() { return reinterpret_cast<uint8_t*>(words_.get()); }
    void ExtractFrames(FrameSink& sink);
    void TakeHead(size_t at);
    void Dispatch(size_t head, size_t end, FrameSink& sink);
    void DropFront(size_t n);

    std::unique_ptr<uint32_t[]> words_;
    // A frame that does not start on a word of the buffer is copied here to be handed on as words.
    std::unique_ptr<uint32_t[]> aligned_;
    size_t held_ = 0;
    size_t scanned_ = 0;  // every head starting before this offset has been seen
    PendingHead heads_[4] = {};
    int headCount_ = 0;   // at most one per alignment
};

}  // namespace devicelink
