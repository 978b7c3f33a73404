#pragma once

#include <cstdint>

// The firmware tool's commands, beside the flat device API: they share its one driver and its
// mutex, and DevClose ends either kind of driver. An image is chosen with DevSelectUpgradeImage,
// written in blocks with DevWriteFirmwareBlock and closed with DevFinishUpgrade.
namespace devicelink {

// One block of the image on its way to the logger; the data are the caller's.
struct FirmwareBlockRecord {
    int32_t index = 0;
    const uint8_t* data = nullptr;
    int32_t count = 0;  // bytes at data, at most kFirmwareBlockBytes
};

}  // namespace devicelink

extern "C" {

// 1 when a driver exists or the tool's driver was just created and connected, 0 when the connect
// failed (the driver then stays until DevClose, as with DevOpen).
int DevOpenForUpgrade(void);
// Asks the logger which bank to write (0x1000001B) and picks the image that carries that bank's
// marker: 0 image A, 1 image B, -1 when an image is missing or empty, the logger does not answer,
// names no bank, or neither image carries its marker.
int DevSelectUpgradeImage(const uint8_t* imageA, int32_t lengthA, const uint8_t* imageB, int32_t lengthB);
// Sends one block (0x1000001F) and waits for its acknowledgement. 0 without sending for a null
// record or data, or a count below 0 or above 2048.
int DevWriteFirmwareBlock(const devicelink::FirmwareBlockRecord* block);
// Closes the upgrade (0x1000001D) with the sequence from DevSelectUpgradeImage, the sum of the
// image's bytes and its size. 1 when the logger accepted it.
int DevFinishUpgrade(uint32_t byteSum, uint32_t imageSize);

}  // extern "C"
