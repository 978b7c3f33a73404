#pragma once

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

// Command codes (host -> device) and reply codes (device -> host). Hello and stop travel both ways.
namespace code {
inline constexpr uint32_t kHello = 0x10000000u;
inline constexpr uint32_t kHelloAck = 0x10000001u;
inline constexpr uint32_t kReadSamples = 0x10000006u;
inline constexpr uint32_t kReadReply = 0x10000007u;
inline constexpr uint32_t kWriteSetup = 0x10000008u;
inline constexpr uint32_t kWriteDone = 0x10000009u;
inline constexpr uint32_t kStartMeasure = 0x1000000Au;
inline constexpr uint32_t kStarted = 0x1000000Bu;
inline constexpr uint32_t kMeasureBlock = 0x1000000Cu;
inline constexpr uint32_t kStop = 0x1000000Eu;
inline constexpr uint32_t kStopped = 0x1000000Fu;
inline constexpr uint32_t kChannelBulk = 0x10000010u;
inline constexpr uint32_t kQueryStatus = 0x10000011u;
inline constexpr uint32_t kStatusReply = 0x10000012u;
inline constexpr uint32_t kQueryValue = 0x10000013u;
inline constexpr uint32_t kValueReply = 0x10000014u;
inline constexpr uint32_t kStartStream = 0x10000015u;
inline constexpr uint32_t kStreamStarted = 0x10000016u;
inline constexpr uint32_t kStreamPacket = 0x10000017u;
inline constexpr uint32_t kStopStream = 0x10000019u;
inline constexpr uint32_t kStreamStopped = 0x1000001Au;
inline constexpr uint32_t kFirmwareBegin = 0x1000001Bu;
inline constexpr uint32_t kFirmwareBank = 0x1000001Cu;
inline constexpr uint32_t kFirmwareCheck = 0x1000001Du;
inline constexpr uint32_t kFirmwareCheckAck = 0x1000001Eu;
inline constexpr uint32_t kFirmwareBlock = 0x1000001Fu;
inline constexpr uint32_t kFirmwareBlockAck = 0x10000020u;
inline constexpr uint32_t kAck22 = 0x10000022u;
inline constexpr uint32_t kAck24 = 0x10000024u;
inline constexpr uint32_t kAck26 = 0x10000026u;
inline constexpr uint32_t kGetVersion = 0x10000027u;
inline constexpr uint32_t kVersionReply = 0x10000028u;
inline constexpr uint32_t kWriteDeviceBlock = 0x10000029u;
inline constexpr uint32_t kDeviceBlockWritten = 0x1000002Au;
inline constexpr uint32_t kWideReadReply = 0x12110001u;
inline constexpr uint32_t kChannelBlock = 0x12220001u;
inline constexpr uint32_t kSetBlocks = 0x12220002u;
}  // namespace code

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
    void Clear() { held_ = 0; }

private:
    size_t ExtractFrames(FrameSink& sink);

    std::unique_ptr<uint32_t[]> words_;
    size_t held_ = 0;
};

}  // namespace devicelink
