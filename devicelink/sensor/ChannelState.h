#pragma once

#include "devicelink/protocol/Vocabulary.h"

#include <cstddef>
#include <cstdint>

// The sensor object's record of one logger channel: what sits on it, how its raw words are
// converted, its calibration, zero and trigger settings. The project file stores four copies of
// it byte for byte in every data set, so the layout below is a stored format: 1536 bytes,
// little-endian, every offset fixed. Add fields only in the reserved areas.
namespace devicelink {

// The older name of the channel count, kept for callers.
inline constexpr int kChannelStateCount = kChannelCount;
inline constexpr int kChannelTextLength = 64;
inline constexpr int kChannelOutputNameLength = 16;
// Three display forms of three outputs each (the vector sensor); every other kind uses the first
// row only, up to four names.
inline constexpr int kChannelOutputNames = 9;
inline constexpr int kCalibrationWords = 11;
inline constexpr int kSensorMemorySize = memory_chip::kBytes;
inline constexpr int kCalibrationOriginPoints = 8;

// What starts a run on a channel (ChannelState::triggerKind): the selected output crossing the
// trigger level, or a photogate's edge. The set-up dialog lists them in this order.
enum TriggerKind : int32_t {
    kTriggerNone = 0,
    kTriggerRisingLevel = 1,    // fires at a value at or above the level
    kTriggerFallingLevel = 2,   // fires at a value at or below the level
    kTriggerGateBlocked = 3,
    kTriggerGateUnblocked = 4,
    kTriggerGateChanges = 5,    // blocked or unblocked
};
inline constexpr int32_t kTriggerKindCount = 6;

constexpr bool IsLevelTrigger(int32_t kind)
{
    return kind == kTriggerRisingLevel || kind == kTriggerFallingLevel;
}
constexpr bool IsGateTrigger(int32_t kind)
{
    return kind >= kTriggerGateBlocked && kind <= kTriggerGateChanges;
}

struct ChannelState {
    int32_t identificationWord;          // from the adapter; low half -1 after a file entry
    int32_t calibration[kCalibrationWords];  // register set-up constants; "N50": four float gains
    int32_t adapterKind;                 // second kind byte of the adapter
    int32_t conversionKind;              // a ConversionKind, 0..35
    int32_t conversionArgument;
    int32_t calibrationMode;             // 1: calibration lives in the sensor's own memory
    int32_t firstConversion;             // the gate sensors' first-conversion flag
    int32_t allOutputs;                  // 1: convert every output at once; cleared in recorded copies
    uint8_t sensorMemory[kSensorMemorySize];  // memory chip or adapter image; int32 at 0 = calibration kind
    int32_t unitChoice[4];               // per output: position in that output's unit choices
    int32_t selectedOutput;
    int32_t outputCount;
    char16_t outputNames[kChannelOutputNames][kChannelOutputNameLength];
    int32_t sensorTypeCode;              // sensor mode: type register code, display form, gate mode
    float zeroOffset;
    float gain;                          // the correction factor, 1.0 by default
    float secondZeroOffset;
    int32_t further[2];
    int32_t triggerKind;                 // a TriggerKind
    float triggerLevel;
    int32_t photogateSetup;              // gate set-up word; 5 in the device-timed gate modes
    int32_t samplingEntry;               // which sampling entry of the access record applies
    int32_t originRaw[kCalibrationOriginPoints];  // first calibration raws, kept for restoring
    float originReference[kCalibrationOriginPoints];
    uint8_t reserved1[192];
    float timeOrigin;                    // the "time offset"
    float timeUnit;                      // the "time scale"; 0.001 by default
    float timeFactor;                    // the "value scale"; 1.0 by default
    int32_t accessIndex;                 // index into the access records; -1 when unidentified
    int32_t identificationScratch;
    int32_t pictureIndex;
    int32_t sensorFamily;                // SCC_SENSORTYPE 0..6; also the rate plan's sensor class
    char16_t name[kChannelTextLength];
    char16_t infoFile[kChannelTextLength];
    char16_t fullName[kChannelTextLength];
    char16_t modelCode[kChannelTextLength];  // WHOAMISTRING; its first letter names the family
    char16_t sensorId[kChannelTextLength];   // catalogue id of the identified sensor
    int32_t adcFlag;                     // the high-speed flag: ADC path and its offsets apply
    int32_t adcMode;                     // the high-speed-capable flag of "W" sensors
    float adcOffset;
    int32_t rateWritten;
    uint8_t reserved2[44];
};

static_assert(sizeof(float) == 4 && alignof(ChannelState) == 4);
static_assert(sizeof(ChannelState) == 1536);
static_assert(offsetof(ChannelState, identificationWord) == 0);
static_assert(offsetof(ChannelState, calibration) == 4);
static_assert(offsetof(ChannelState, adapterKind) == 48);
static_assert(offsetof(ChannelState, conversionKind) == 52);
static_assert(offsetof(ChannelState, conversionArgument) == 56);
static_assert(offsetof(ChannelState, calibrationMode) == 60);
static_assert(offsetof(ChannelState, firstConversion) == 64);
static_assert(offsetof(ChannelState, allOutputs) == 68);
static_assert(offsetof(ChannelState, sensorMemory) == 72);
static_assert(offsetof(ChannelState, unitChoice) == 200);
static_assert(offsetof(ChannelState, selectedOutput) == 216);
static_assert(offsetof(ChannelState, outputCount) == 220);
static_assert(offsetof(ChannelState, outputNames) == 224);
static_assert(offsetof(ChannelState, sensorTypeCode) == 512);
static_assert(offsetof(ChannelState, zeroOffset) == 516);
static_assert(offsetof(ChannelState, gain) == 520);
static_assert(offsetof(ChannelState, secondZeroOffset) == 524);
static_assert(offsetof(ChannelState, further) == 528);
static_assert(offsetof(ChannelState, triggerKind) == 536);
static_assert(offsetof(ChannelState, triggerLevel) == 540);
static_assert(offsetof(ChannelState, photogateSetup) == 544);
static_assert(offsetof(ChannelState, samplingEntry) == 548);
static_assert(offsetof(ChannelState, originRaw) == 552);
static_assert(offsetof(ChannelState, originReference) == 584);
static_assert(offsetof(ChannelState, reserved1) == 616);
static_assert(offsetof(ChannelState, timeOrigin) == 808);
static_assert(offsetof(ChannelState, timeUnit) == 812);
static_assert(offsetof(ChannelState, timeFactor) == 816);
static_assert(offsetof(ChannelState, accessIndex) == 820);
static_assert(offsetof(ChannelState, identificationScratch) == 824);
static_assert(offsetof(ChannelState, pictureIndex) == 828);
static_assert(offsetof(ChannelState, sensorFamily) == 832);
static_assert(offsetof(ChannelState, name) == 836);
static_assert(offsetof(ChannelState, infoFile) == 964);
static_assert(offsetof(ChannelState, fullName) == 1092);
static_assert(offsetof(ChannelState, modelCode) == 1220);
static_assert(offsetof(ChannelState, sensorId) == 1348);
static_assert(offsetof(ChannelState, adcFlag) == 1476);
static_assert(offsetof(ChannelState, adcMode) == 1480);
static_assert(offsetof(ChannelState, adcOffset) == 1484);
static_assert(offsetof(ChannelState, rateWritten) == 1488);
static_assert(offsetof(ChannelState, reserved2) == 1492);

// Offsets inside the sensor memory image that the calibration code and the screens share.
inline constexpr size_t kMemoryCalibrationKind = 0;        // int32
inline constexpr size_t kMemorySecondCalibrationKind = 64;  // int32

}  // namespace devicelink
