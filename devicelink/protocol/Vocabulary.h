#pragma once

#include <cstdint>

// The numbers the PC, the logger and the kit's sensors agree on, each named once: channels,
// command and reply codes, request kinds, register access types, the status word, conversion
// kinds, and the I2C devices the host addresses by number (the adapter, the memory chip, the
// function generator). The driver, the sensor object and the simulated logger all read them here.
namespace devicelink {

// The logger's sensor channels, numbered 0..3 everywhere.
inline constexpr int kChannelCount = 4;

// Command codes (host -> device) and reply codes (device -> host). Hello and stop travel both ways.
namespace code {
inline constexpr uint32_t kHello = 0x10000000u;
inline constexpr uint32_t kHelloAck = 0x10000001u;
inline constexpr uint32_t kReadSamples = 0x10000006u;
inline constexpr uint32_t kReadReply = 0x10000007u;
inline constexpr uint32_t kWriteSetup = 0x10000008u;
inline constexpr uint32_t kWriteDone = 0x10000009u;
inline constexpr uint32_t kStartMeasure = 0x1000000Au;
inline constexpr uint32_t kStarted = 0x1000000Bu;
inline constexpr uint32_t kMeasureBlock = 0x1000000Cu;
inline constexpr uint32_t kStop = 0x1000000Eu;
inline constexpr uint32_t kStopped = 0x1000000Fu;
inline constexpr uint32_t kChannelBulk = 0x10000010u;
inline constexpr uint32_t kQueryStatus = 0x10000011u;
inline constexpr uint32_t kStatusReply = 0x10000012u;
inline constexpr uint32_t kQueryValue = 0x10000013u;
inline constexpr uint32_t kValueReply = 0x10000014u;
inline constexpr uint32_t kStartStream = 0x10000015u;
inline constexpr uint32_t kStreamStarted = 0x10000016u;
inline constexpr uint32_t kStreamPacket = 0x10000017u;
inline constexpr uint32_t kStopStream = 0x10000019u;
inline constexpr uint32_t kStreamStopped = 0x1000001Au;
inline constexpr uint32_t kFirmwareBegin = 0x1000001Bu;
inline constexpr uint32_t kFirmwareBank = 0x1000001Cu;
inline constexpr uint32_t kFirmwareCheck = 0x1000001Du;
inline constexpr uint32_t kFirmwareCheckAck = 0x1000001Eu;
inline constexpr uint32_t kFirmwareBlock = 0x1000001Fu;
inline constexpr uint32_t kFirmwareBlockAck = 0x10000020u;
// Plain acknowledgements of commands that only the logger's own service tools send; a host that
// receives one treats it as any acknowledgement.
inline constexpr uint32_t kUnaskedAck1 = 0x10000022u;
inline constexpr uint32_t kUnaskedAck2 = 0x10000024u;
inline constexpr uint32_t kUnaskedAck3 = 0x10000026u;
inline constexpr uint32_t kGetVersion = 0x10000027u;
inline constexpr uint32_t kVersionReply = 0x10000028u;
inline constexpr uint32_t kWriteDeviceBlock = 0x10000029u;
inline constexpr uint32_t kDeviceBlockWritten = 0x1000002Au;
inline constexpr uint32_t kWideReadReply = 0x12110001u;
inline constexpr uint32_t kChannelBlock = 0x12220001u;
inline constexpr uint32_t kSetBlocks = 0x12220002u;
}  // namespace code

// Request kinds, the first word of a set-up block.
namespace kind {
inline constexpr int32_t kSingle = 0;        // one reading or a register transaction
inline constexpr int32_t kTimed = 2;
inline constexpr int32_t kStreamGap = 3;     // stream, a point on every jump or millisecond
inline constexpr int32_t kStreamTrigger = 4; // as 3, recording starts at the first jump
inline constexpr int32_t kTimedPerChannel = 17;
inline constexpr int32_t kTriggered = 64;
}  // namespace kind

// Register access types, by the catalogue's keyword names. The SCC_ forms are the plain ones
// with the logger's own bus timing (bit 7 set); READ_ADC_DATA reads the channel's analogue path.
namespace access {
inline constexpr int32_t kReadAddressData = 0;           // READ_ADDRESS_DATA: a register is read
inline constexpr int32_t kReadNoAddressData = 1;         // READ_NOADDRESS_DATA: read without a register
inline constexpr int32_t kWriteAddressAndData = 2;       // WRITE_ADDRESS_AND_DATA
inline constexpr int32_t kWriteAddressPlusData = 3;      // WRITE_ADDRESS_PLUS_DATA
inline constexpr int32_t kWriteNoAddressData = 4;        // WRITE_NOADDRESS_DATA: written without a register
inline constexpr int32_t kLoggerTiming = 0x80;
inline constexpr int32_t kSccReadAddressData = kLoggerTiming | kReadAddressData;            // 128
inline constexpr int32_t kSccReadNoAddressData = kLoggerTiming | kReadNoAddressData;        // 129
inline constexpr int32_t kSccWriteAddressAndData = kLoggerTiming | kWriteAddressAndData;    // 130
inline constexpr int32_t kSccWriteAddressPlusData = kLoggerTiming | kWriteAddressPlusData;  // 131
inline constexpr int32_t kSccWriteNoAddressData = kLoggerTiming | kWriteNoAddressData;      // 132
inline constexpr int32_t kReadAdcData = 160;             // READ_ADC_DATA
inline constexpr int32_t kSccFilterAvg = 241;            // SCC_FILTER_AVG

// The plain form of a type: the logger's timing bit dropped, the analogue path read as a plain
// read without a register.
constexpr int32_t BaseType(int32_t type)
{
    return type == kReadAdcData ? kReadNoAddressData : (type & ~kLoggerTiming);
}
constexpr bool IsWrite(int32_t type)
{
    const int32_t base = BaseType(type);
    return base == kWriteAddressAndData || base == kWriteAddressPlusData || base == kWriteNoAddressData;
}
}  // namespace access

// The logger's status word: bit c says a sensor is present on channel c, bit 16 + c that it is
// ready to measure. A poll that finds the link lost reports kStatusLinkLost instead of a word.
inline constexpr int32_t kStatusLinkLost = -1;

struct ChannelStatus {
    bool present;
    bool ready;
};

constexpr ChannelStatus ChannelStatusOf(uint32_t statusWord, int channel)
{
    return {((statusWord >> channel) & 1u) != 0, ((statusWord >> (16 + channel)) & 1u) != 0};
}

// The bits a channel contributes to the status word.
constexpr uint32_t StatusBitsOf(int channel, ChannelStatus status)
{
    return (status.present ? 1u << channel : 0u) | (status.ready ? 1u << (16 + channel) : 0u);
}

// Conversion kinds: which routine turns a channel's raw words into values. Identification sets
// them (by model code, by an adapter's kind byte, or from a sensor's own memory) and stored data
// sets keep them. Kinds without a routine of their own take the default formula, the catalogue's
// line; TakesDefaultFormula names those that do so on purpose.
enum ConversionKind : int32_t {
    kConvertCatalogueLine = 0,          // no kind of its own: the file entry's start
    kConvertOnePoint = 1,
    kConvertTwoPoints = 2,
    kConvertThreePoints = 3,
    kConvertCubicOfLine = 4,
    kConvertAdapterByte32 = 5,          // adapter kind bytes without a routine here
    kConvertAdapterByte128 = 6,
    kConvertAdapterByte129 = 7,
    kConvertAdapterByte130 = 8,
    kConvertMemoryKind9 = 9,            // a kind a sensor's memory may name, with no routine here
    kConvertTwoRangeTemperature = 10,
    kConvertThreeAxis = 11,
    kConvertPressure = 12,
    kConvertSignedTemperature = 13,
    kConvertTwelveBitTemperature = 14,
    kConvertColour = 15,
    kConvertForceLine = 16,             // the force sensor without a memory chip
    kConvertHumidity = 17,
    kConvertGps = 18,
    kConvertSwappedThreePoints = 19,
    kConvertClampedTwoPoints = 20,
    kConvertGateEvents = 21,
    kConvertMemoryKind22 = 22,          // as 9
    kConvertWeather = 23,
    kConvertMemoryLine = 24,            // "W" sensors whose memory holds no calibration
    kConvertTenBit = 25,
    kConvertTwoSlopes = 26,
    kConvertOrderedClampedTwoPoints = 27,
    kConvertPolynomial = 28,
    kConvertSevenPoints = 29,
    kConvertAngle = 30,
    kConvertSharedChangeEvents = 31,
    kConvertChannelChangeEvents = 32,
    kConvertSignedOnly = 33,
    kConvertTaggedWords = 34,
    kConvertBareCable = 35,             // the bare cable, and adapters of a kind this host does not know
};
inline constexpr int32_t kConversionKindCount = 36;

// A sensor's memory names its calibration by these kinds too: one to three points of its own.
constexpr bool IsPointCalibrationKind(int32_t kind)
{
    return kind >= kConvertOnePoint && kind <= kConvertThreePoints;
}

// The kinds that take the default formula by design: the plain line is exactly what they need.
constexpr bool TakesDefaultFormula(int32_t kind)
{
    switch (kind) {
    case kConvertCatalogueLine:
    case kConvertAdapterByte32:
    case kConvertAdapterByte128:
    case kConvertAdapterByte129:
    case kConvertAdapterByte130:
    case kConvertMemoryKind9:
    case kConvertForceLine:
    case kConvertMemoryKind22:
    case kConvertMemoryLine:
    case kConvertBareCable:
        return true;
    default:
        return false;
    }
}

// The adapter at I2C address 113 that carries the analogue sensors, and its memory protocol:
// writing AdapterSelect(m, n) (3 bytes) selects n bytes (1, 2 or 4) at memory location m for the
// next read. Before its description or tables are read, its identification word is read at the
// general-call address and kUnlock written there.
namespace adapter {
inline constexpr int32_t kAddress = 113;
inline constexpr int32_t kGeneralCall = 0;
inline constexpr uint32_t kSelectBase = 0x520000;
inline constexpr uint32_t kUnlock = 0xAA5571;
// A calibration point written to the adapter: these three bytes, the location, the byte count,
// then the bytes lowest first.
inline constexpr uint8_t kWritePrefix[3] = {0x57, 0x5A, 0xA5};
inline constexpr int kWritePrefixBytes = 3;

constexpr uint32_t AdapterSelect(int32_t location, int32_t bytes)
{
    return kSelectBase + uint32_t(location & 0xFF) * 256 + uint32_t(bytes);
}

// The memory map.
inline constexpr int kModeByte = 0x12;
inline constexpr int kKindByte = 0x13;
inline constexpr int kFirstValues = 0x14;        // 7 float32
inline constexpr int kFirstRaws = 0x30;          // 8 16-bit words
inline constexpr int kSecondKindByte = 0x41;
inline constexpr int kSecondValues = 0x44;       // 7 float32
inline constexpr int kThermocoupleWords = 0x54;  // the thermocouple's four cold-junction words
inline constexpr int kSecondRaws = 0x60;         // 8 16-bit words, to 0x6E
inline constexpr int kModeLow = 0x70;
inline constexpr int kModeHigh = 0x71;
inline constexpr int kModelCode = 0x78;
inline constexpr int kModelCodeBytes = 8;
inline constexpr int kWordStream = 0x8C;         // hands out the calibration words one per read
inline constexpr int kWordCount = 11;
inline constexpr int kInfoFile = 0x90;
inline constexpr int kInfoFileBytes = 24;
inline constexpr int kName = 0xB0;
inline constexpr int kNameBytes = 16;
}  // namespace adapter

// The 128-byte memory chip of sensors that keep their calibration on board: registers 128..255,
// read and written in blocks of eight. Chips that identify their sensor hold its model code's
// first four characters at register 0 and the fast-path marker at register 4.
namespace memory_chip {
inline constexpr int32_t kAddress = 0x57;
inline constexpr int32_t kFirstRegister = 128;
inline constexpr int32_t kBytes = 128;
inline constexpr int32_t kBlock = 8;
inline constexpr int32_t kCodeRegister = 0;
inline constexpr int32_t kMarkerRegister = 4;
inline constexpr uint32_t kFastPathMarker = 0x46;
}  // namespace memory_chip

// The function generator at 0x75: 16-bit registers per bank, bank 1 sixteen above bank 0.
namespace generator {
inline constexpr int32_t kAddress = 0x75;
inline constexpr int32_t kBankStride = 16;
inline constexpr int32_t kRun = 32;          // 1 runs, 0 stops; written last
inline constexpr int32_t kAmplitude = 34;
inline constexpr int32_t kFrequency = 36;    // float32, low half then high half
inline constexpr int32_t kSecond = 40;
inline constexpr int32_t kThird = 44;
}  // namespace generator

}  // namespace devicelink
