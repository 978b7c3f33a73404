#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

// The layout of a firmware image as far as the host needs it: somewhere inside lies the 4-byte
// marker of the bank the image is built for, followed at once by the image's version as a
// little-endian date number (yyyymmdd).
namespace devicelink {

inline constexpr int kFirmwareBankA = 0;
inline constexpr int kFirmwareBankB = 1;
inline constexpr uint8_t kBankMarkerA[4] = {0xAA, 0xAA, 0x5A, 0x5A};
inline constexpr uint8_t kBankMarkerB[4] = {0xBB, 0xBB, 0x5A, 0x5A};
// The logger takes an image in blocks of this many bytes.
inline constexpr uint32_t kFirmwareBlockBytes = 2048;

// Where the first marker of `bank` (0 A, 1 B) lies whose version bytes are all inside the image;
// nothing for another bank or when there is no such marker.
std::optional<size_t> FindBankMarker(std::span<const uint8_t> image, int bank);

// The version that follows the first such marker.
std::optional<uint32_t> BankMarkerVersion(std::span<const uint8_t> image, int bank);

}  // namespace devicelink
