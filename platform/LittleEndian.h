#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

// Byte-order helpers for wire and file images, which are little-endian whatever the host is.
namespace platform {

static_assert(std::endian::native == std::endian::little,
              "records are read and written whole; a big-endian host would need swapping");

inline uint32_t ReadLE32(std::span<const uint8_t> bytes, size_t offset = 0)
{
    const uint8_t* p = bytes.data() + offset;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline uint16_t ReadLE16(std::span<const uint8_t> bytes, size_t offset = 0)
{
    const uint8_t* p = bytes.data() + offset;
    return uint16_t(p[0] | p[1] << 8);
}

inline void WriteLE32(std::span<uint8_t> bytes, size_t offset, uint32_t value)
{
    uint8_t* p = bytes.data() + offset;
    p[0] = uint8_t(value);
    p[1] = uint8_t(value >> 8);
    p[2] = uint8_t(value >> 16);
    p[3] = uint8_t(value >> 24);
}

inline void WriteLE16(std::span<uint8_t> bytes, size_t offset, uint16_t value)
{
    uint8_t* p = bytes.data() + offset;
    p[0] = uint8_t(value);
    p[1] = uint8_t(value >> 8);
}

inline float ReadLEFloat(std::span<const uint8_t> bytes, size_t offset = 0)
{
    return std::bit_cast<float>(ReadLE32(bytes, offset));
}

inline void WriteLEFloat(std::span<uint8_t> bytes, size_t offset, float value)
{
    WriteLE32(bytes, offset, std::bit_cast<uint32_t>(value));
}

}  // namespace platform
