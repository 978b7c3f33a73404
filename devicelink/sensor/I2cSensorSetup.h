#pragma once

#include "devicelink/protocol/MeasureSetupBlock.h"
#include "devicelink/sensor/SensorDeviceApi.h"

#include <cstdint>

// Register set-up of the sensors that need writes (range, bandwidth, power-up) or calibration
// reads before they measure. Each transaction is a single-channel request of the caller's
// MeasureRequest: its block, its event and the channel's value array, into whose first words the
// data to write goes. The routine is chosen by the channel's I2C address in the block.
namespace devicelink {

inline constexpr int kI2cResultWords = 11;  // the pressure sensor's AC1..AC6, B1, B2, MB, MC, MD
inline constexpr uint32_t kI2cWaitMs = 1000;
inline constexpr int32_t kI2cClock245kHz = 14;

// 1 when a routine ran; 0 for an address without one or when the device is not ready. `result`
// (11 words, zeroed by the caller) is filled only for the pressure sensor at 0x77.
int32_t ConfigI2CSensor(SensorDeviceApi& api, MeasureRequest& request, int channel, int32_t modeA, int32_t modeB,
                        int32_t* result);
// Reads `count` (at most 8) registers of `width` bytes (1 or 2) from `first` on; returns the
// channel's sample count after the read (0 when nothing came back).
int32_t ReadI2CRegisters(SensorDeviceApi& api, int32_t count, MeasureRequest& request, int channel, int32_t address,
                         int32_t width, int32_t first);
// The per-address routines: 1, or 0 when the device is not ready. Write time-outs are not
// reported, as the logger gives no answer worth acting on.
int32_t ConfigI2CSensor18(SensorDeviceApi& api, MeasureRequest& request, int channel, int32_t mode);
int32_t ConfigI2CSensor23(SensorDeviceApi& api, MeasureRequest& request, int channel, int32_t mode,
                          int32_t secondMode);
int32_t ConfigI2CSensor28(SensorDeviceApi& api, MeasureRequest& request, int channel);
int32_t ConfigI2CSensor38(SensorDeviceApi& api, MeasureRequest& request, int channel, int32_t mode);
int32_t ConfigI2CSensor39(SensorDeviceApi& api, MeasureRequest& request, int channel, int32_t value);
int32_t ConfigI2CSensor4D(SensorDeviceApi& api, MeasureRequest& request, int channel, int32_t mode);
int32_t ConfigI2CSensor70(SensorDeviceApi& api, MeasureRequest& request, int channel, int32_t mode);
int32_t ReadPressureCalibration(SensorDeviceApi& api, MeasureRequest& request, int channel, int32_t* result);

}  // namespace devicelink

// The same routines over the process's device API: 0 for a null request, and, as with the device
// API, no exception leaves them.
extern "C" {
int DevConfigI2CSensor(devicelink::MeasureRequest* request, int channel, int modeA, int modeB, int32_t* result);
int DevReadI2CRegisters(int count, devicelink::MeasureRequest* request, int channel, int address, int width,
                        int first);
int DevConfigI2CSensor18(devicelink::MeasureRequest* request, int channel, int mode);
int DevConfigI2CSensor23(devicelink::MeasureRequest* request, int channel, int mode, int secondMode);
int DevConfigI2CSensor28(devicelink::MeasureRequest* request, int channel);
int DevConfigI2CSensor38(devicelink::MeasureRequest* request, int channel, int mode);
int DevConfigI2CSensor39(devicelink::MeasureRequest* request, int channel, int value);
int DevConfigI2CSensor4D(devicelink::MeasureRequest* request, int channel, int mode);
int DevConfigI2CSensor70(devicelink::MeasureRequest* request, int channel, int mode);
int DevReadPressureCalibration(devicelink::MeasureRequest* request, int channel, int32_t* result);
}  // extern "C"
