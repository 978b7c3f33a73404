#pragma once

#include "devicelink/link/UpgradeApi.h"

#include <cstdint>
#include <span>

// What the upgrade flow asks of the logger. The program uses the flat upgrade commands; tests may
// put a scripted logger in its place. Open, FirmwareVersion and Reopen run on the flow's worker,
// everything else on the UI thread.
namespace firmware {

class UpgradeDevice {
public:
    virtual ~UpgradeDevice() = default;
    // 1 connected, 0 not.
    virtual int Open() = 0;
    // Whether the link to the logger is still up (a pulled cable ends it).
    virtual bool LinkUp() = 0;
    // Drops the ended link and connects afresh: 1 connected, 0 not.
    virtual int Reopen() = 0;
    // yyyymmdd, 0 when the logger did not answer.
    virtual uint32_t FirmwareVersion() = 0;
    // 0 image A, 1 image B, -1 no bank or no image carrying its marker.
    virtual int SelectImage(std::span<const uint8_t> a, std::span<const uint8_t> b) = 0;
    virtual int WriteBlock(const devicelink::FirmwareBlockRecord& block) = 0;
    virtual int Finish(uint32_t byteSum, uint32_t imageSize) = 0;
};

// The process's logger through DevOpenForUpgrade and its companions.
UpgradeDevice& FlatUpgradeDevice();

}  // namespace firmware
