#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// The two faces of a link to the logger: a byte pipe that carries frames both ways, and a source
// of streamed sample packets. USB, TCP and the test fakes implement them.
namespace devicelink {

// Read results besides a positive byte count. A time-out keeps the link; 0 means the peer closed.
inline constexpr int kReadTimedOut = -7;     // libusb's LIBUSB_ERROR_TIMEOUT
inline constexpr int kReadLinkError = -124;  // the socket failed or is gone

enum class WriteStatus { Ok, Failed, LinkLost };

class ByteTransport {
public:
    virtual ~ByteTransport() = default;

    // Blocks until some bytes arrive (at most buffer.size()), the peer closes (0), a short
    // time-out passes (kReadTimedOut) or the link fails (another negative value).
    virtual int Read(std::span<uint8_t> buffer) = 0;
    // One write attempt; written receives the bytes that left even when the attempt failed.
    virtual WriteStatus Write(std::span<const uint8_t> data, size_t& written) = 0;
    // Makes a Read blocked on another thread return soon; safe from any thread, before Close.
    virtual void Wake() = 0;
    // Releases the handle. Only after every thread that uses the transport has been joined.
    virtual void Close() = 0;
    virtual bool IsUsb() const = 0;
    // The peer ended the link before it sent a single byte: a logger that serves one host at a
    // time turns another away like that.
    virtual bool TurnedAway() const { return false; }
};

// One streamed packet: 200 unsigned 16-bit samples taken 10 microseconds apart from the time base.
// USB packets carry a sequence number; packets that came as frames over TCP do not.
inline constexpr int kStreamPacketSamples = 200;

struct StreamPacket {
    bool sequenced = false;
    uint32_t sequence = 0;
    uint32_t timeBaseMs = 0;
    uint16_t samples[kStreamPacketSamples] = {};
};

class StreamPacketSource {
public:
    virtual ~StreamPacketSource() = default;
    // One round: waits up to timeoutMs for packets and puts at most out.size() of them into out.
    // Returns the number of packets (0 when none came in time) or a negative value when the
    // source failed or was woken for shutdown.
    virtual int NextRound(std::span<StreamPacket> out, uint32_t timeoutMs) = 0;
    // Makes a NextRound blocked on another thread return soon.
    virtual void Wake() = 0;
    // Clears a woken state and anything left over before a new stream starts.
    virtual void Rearm() = 0;
};

}  // namespace devicelink
