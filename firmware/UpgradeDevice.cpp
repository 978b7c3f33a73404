#include "firmware/UpgradeDevice.h"

#include "devicelink/link/DeviceApi.h"

#include <limits>

namespace firmware {

namespace {

int32_t Length(std::span<const uint8_t> image)
{
    // Images are bounded far below this; a larger span is simply no image.
    return image.size() > size_t(std::numeric_limits<int32_t>::max()) ? 0 : int32_t(image.size());
}

class FlatDevice : public UpgradeDevice {
public:
    int Open() override { return DevOpenForUpgrade(); }
    bool LinkUp() override { return DevGetDriverState() == 1; }
    int Reopen() override
    {
        DevClose();
        return DevOpenForUpgrade();
    }
    uint32_t FirmwareVersion() override { return uint32_t(DevGetFirmwareVersion()); }
    int SelectImage(std::span<const uint8_t> a, std::span<const uint8_t> b) override
    {
        return DevSelectUpgradeImage(a.data(), Length(a), b.data(), Length(b));
    }
    int WriteBlock(const devicelink::FirmwareBlockRecord& block) override { return DevWriteFirmwareBlock(&block); }
    int Finish(uint32_t byteSum, uint32_t imageSize) override { return DevFinishUpgrade(byteSum, imageSize); }
};

}  // namespace

UpgradeDevice& FlatUpgradeDevice()
{
    static FlatDevice device;
    return device;
}

}  // namespace firmware
