#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

// The device side of the frame protocol: command frames from the host are found by their length
// word, never by looking for the tail value, because set-up and firmware blocks may well contain
// the head or tail values in their payload.
namespace devsim {

struct HostFrame {
    uint32_t code = 0;
    std::vector<uint32_t> payload;
};

class HostFrameParser {
public:
    using Handler = std::function<void(const HostFrame&)>;

    // No host command is larger than a firmware block; a longer length word can only be noise.
    static constexpr uint32_t kMaxCommandPayload = 0x4000;

    // Appends the bytes and hands every complete, sound frame to the handler in order. Frames
    // with a bad checksum are dropped silently; bytes that do not start a plausible frame are
    // skipped one at a time until a head value lines up again.
    void Feed(std::span<const uint8_t> bytes, const Handler& handler);

    size_t BytesHeld() const { return held_.size(); }
    uint64_t DroppedFrames() const { return dropped_; }
    uint64_t SkippedBytes() const { return skipped_; }
    void Clear() { held_.clear(); }

private:
    std::vector<uint8_t> held_;
    uint64_t dropped_ = 0;
    uint64_t skipped_ = 0;
};

}  // namespace devsim
