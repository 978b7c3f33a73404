#include "firmware/FirmwareImagePair.h"

#include "devicelink/protocol/FirmwareImage.h"

#include <cstdio>
#include <memory>

namespace firmware {

namespace {

constexpr std::string_view kEndingA = "A.bin";
constexpr std::string_view kEndingB = "B.bin";

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

bool GoodImage(const std::vector<uint8_t>& image, int bank, uint32_t minimumVersion, uint32_t& version)
{
    const auto found = devicelink::BankMarkerVersion(image, bank);
    if (!found)
        return false;
    version = *found;
    return version >= minimumVersion;
}

}  // namespace

std::optional<ImagePaths> PairImagePaths(std::string_view path)
{
    // Only the end of the file name counts: a folder called "A.bin" elsewhere in the path must
    // not be rewritten.
    const auto swapped = [&](std::string_view ending, std::string_view other) {
        std::string s(path.substr(0, path.size() - ending.size()));
        s += other;
        return s;
    };
    if (path.size() <= kEndingA.size())
        return std::nullopt;
    if (path.ends_with(kEndingA))
        return ImagePaths{std::string(path), swapped(kEndingA, kEndingB)};
    if (path.ends_with(kEndingB))
        return ImagePaths{swapped(kEndingB, kEndingA), std::string(path)};
    return std::nullopt;
}

ImageRead ReadImageFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return ImageRead::CannotOpen;
    // Read in pieces up to one byte past the limit: the size a file claims can change while it is
    // read, and only the bytes actually read count.
    constexpr size_t kPiece = 64 * 1024;
    while (bytes.size() <= kMaxImageBytes) {
        const size_t at = bytes.size();
        bytes.resize(at + kPiece);
        const size_t n = std::fread(bytes.data() + at, 1, kPiece, file.get());
        bytes.resize(at + n);
        if (n < kPiece)
            break;
    }
    if (bytes.size() > kMaxImageBytes) {
        bytes.clear();
        return ImageRead::TooLarge;
    }
    if (std::ferror(file.get())) {
        bytes.clear();
        return ImageRead::Failed;
    }
    return ImageRead::Ok;
}

std::optional<CheckedPair> CheckFirmwareImages(std::string_view path, uint32_t minimumVersion)
{
    const auto paths = PairImagePaths(path);
    if (!paths)
        return std::nullopt;
    CheckedPair pair;
    pair.paths = *paths;
    if (ReadImageFile(pair.paths.a, pair.a) != ImageRead::Ok || ReadImageFile(pair.paths.b, pair.b) != ImageRead::Ok)
        return std::nullopt;
    if (!GoodImage(pair.a, devicelink::kFirmwareBankA, minimumVersion, pair.versionA)
        || !GoodImage(pair.b, devicelink::kFirmwareBankB, minimumVersion, pair.versionB))
        return std::nullopt;
    return pair;
}

}  // namespace firmware
