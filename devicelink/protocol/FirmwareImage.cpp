#include "devicelink/protocol/FirmwareImage.h"

#include "platform/LittleEndian.h"

#include <algorithm>

namespace devicelink {

namespace {

constexpr size_t kMarkerBytes = 4;
constexpr size_t kVersionBytes = 4;

}  // namespace

std::optional<size_t> FindBankMarker(std::span<const uint8_t> image, int bank)
{
    if (bank != kFirmwareBankA && bank != kFirmwareBankB)
        return std::nullopt;
    if (image.size() < kMarkerBytes + kVersionBytes)
        return std::nullopt;
    const uint8_t* marker = bank == kFirmwareBankA ? kBankMarkerA : kBankMarkerB;
    // A marker whose version would run past the end is no marker: what lies beyond is not the
    // image's.
    const auto searched = image.first(image.size() - kVersionBytes);
    const auto hit = std::search(searched.begin(), searched.end(), marker, marker + kMarkerBytes);
    if (hit == searched.end())
        return std::nullopt;
    return size_t(hit - searched.begin());
}

std::optional<uint32_t> BankMarkerVersion(std::span<const uint8_t> image, int bank)
{
    const auto at = FindBankMarker(image, bank);
    if (!at)
        return std::nullopt;
    return platform::ReadLE32(image.subspan(*at + kMarkerBytes, kVersionBytes));
}

}  // namespace devicelink
