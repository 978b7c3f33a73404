#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The pair of firmware images the logger takes: one built for bank A, one for bank B, named alike
// but for the letter before ".bin". The tool checks both before it offers to write either.
namespace firmware {

inline constexpr char kImageFileA[] = "Corvik_Firmware_AppA.bin";
inline constexpr char kImageFileB[] = "Corvik_Firmware_AppB.bin";
// No real image comes near this; a larger file is refused before it is read whole.
inline constexpr size_t kMaxImageBytes = size_t(16) << 20;

struct ImagePaths {
    std::string a;
    std::string b;
};

// The pair a chosen file belongs to: a path ending in "A.bin" or "B.bin" (after at least one other
// character) with the letter swapped for the other image. Nothing for any other path.
std::optional<ImagePaths> PairImagePaths(std::string_view path);

enum class ImageRead { Ok, CannotOpen, TooLarge, Failed };

// Reads a whole image file, at most kMaxImageBytes.
ImageRead ReadImageFile(const std::string& path, std::vector<uint8_t>& bytes);

struct CheckedPair {
    ImagePaths paths;
    std::vector<uint8_t> a;
    std::vector<uint8_t> b;
    uint32_t versionA = 0;
    uint32_t versionB = 0;
};

// Pairs, reads and checks the images: each must carry its own bank's marker followed by a version
// of at least minimumVersion. The bytes checked are the bytes kept, so what is written later is
// exactly what passed here.
std::optional<CheckedPair> CheckFirmwareImages(std::string_view path, uint32_t minimumVersion);

}  // namespace firmware
