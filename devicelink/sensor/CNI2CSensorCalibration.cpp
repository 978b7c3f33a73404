// User calibration: kept in the sensor's own memory chip (calibration mode 1) or in its
// adapter's tables (mode 0).
#include "devicelink/sensor/CNI2CSensor.h"
#include "devicelink/sensor/CNI2CSensorHelpers.h"

#include "devicelink/sensor/SensorMemoryLayout.h"
#include "platform/Clock.h"
#include "platform/LittleEndian.h"

#include <algorithm>
#include <bit>
#include <span>

namespace devicelink {

using sensor_detail::ValidChannel;
namespace {

constexpr uint32_t kWritePauseMs = 50;

constexpr uint16_t kSlopeReferenceHigh = 8192;
constexpr uint16_t kSlopeReferenceLow = 2048;
// Adapter table registers: values, then raws; the first table when the table flag is 1.
// The second table's raws follow its four points.
constexpr int32_t kValueRegister[2] = {adapter::kSecondValues, adapter::kFirstValues};
constexpr int32_t kRawRegister[2] = {adapter::kSecondValues + 4 * 4, adapter::kFirstRaws};
// How many points each adapter table holds before its values run into its raws.
constexpr int32_t kAdapterTablePoints[2] = {4, 7};
constexpr int32_t kPlainPoints = 8;

struct Line {
    float slope;
    float offset;
};

Line FitLine(const float* values, const int32_t* raws, int a, int b)
{
    if (raws[a] == raws[b])
        return {0.0f, 0.0f};
    const float slope = (values[a] - values[b]) / static_cast<float>(raws[a] - raws[b]);
    return {slope, values[a] - static_cast<float>(raws[a]) * slope};
}

}  // namespace

int32_t CNI2CSensor::HasUserCalibration(int c, int32_t* flag)
{
    if (!ValidChannel(c) || !flag || connected_[c] != 1)
        return 0;
    const ChannelState& state = channels_[c];
    const std::span<const uint8_t> image(state.sensorMemory);
    const bool ownMemory = state.calibrationMode == 1;
    const float firstValue = platform::ReadLEFloat(image, ownMemory ? memory::kSecondValues : memory::kPlainValues);
    switch (state.conversionKind) {
    case kConvertOnePoint:
    case kConvertTwoPoints:
    case kConvertThreePoints:
    case kConvertClampedTwoPoints: {
        bool rawsPresent = false;
        for (int k = 0; k < (ownMemory ? memory::kPointTableSize : kPlainPoints); ++k) {
            const uint32_t raw = ownMemory ? platform::ReadLE16(image, memory::kSecondRaws + 2 * size_t(k))
                                           : platform::ReadLE32(image, memory::kPlainRaws + 4 * size_t(k));
            rawsPresent = rawsPresent || raw != 0;
        }
        *flag = (rawsPresent || firstValue != 0.0f) ? 1 : 0;
        return 1;
    }
    case kConvertMemoryLine:
    case kConvertTwoSlopes:
        if (!ownMemory)
            return 0;
        *flag = firstValue != 0.0f ? 1 : 0;
        return 1;
    default:
        return 0;
    }
}

int32_t CNI2CSensor::WriteSensorMemory(int c)
{
    const uint8_t* image = channels_[c].sensorMemory;
    for (int32_t offset = 0; offset < kSensorMemorySize; offset += memory_chip::kBlock) {
        // A device that stopped answering (pulled out) gets no more writes: each would wait in vain.
        const int32_t reg = memory_chip::kFirstRegister + offset;
        if (WriteBlock(c, memory_chip::kAddress, reg, image + offset, memory_chip::kBlock) != 1)
            return 0;
        platform::SleepMs(kWritePauseMs);
    }
    return 1;
}

int32_t CNI2CSensor::SetCalibration(int c, int32_t n, const float* values, const int32_t* raws, int32_t tableFlag)
{
    // Without a sensor identified on the channel the image may be an earlier sensor's: writing it
    // back would overwrite the calibration of the one plugged in now.
    if (!ValidChannel(c) || !values || !raws || n < 1 || connected_[c] != 1)
        return 0;
    ChannelState& state = channels_[c];
    const std::span<uint8_t> image(state.sensorMemory);

    if (state.calibrationMode == 1 && n == memory::kTwoSlopeKind) {
        // The conversion reads the copy that the second kind word names.
        const bool second = platform::ReadLE32(image, memory::kSecondKind) == uint32_t(memory::kTwoSlopeKind);
        const size_t refs = second ? memory::kSecondSlopeReferences : memory::kSlopeReferences;
        const size_t pairs = second ? memory::kSecondSlopePairs : memory::kSlopePairs;
        platform::WriteLE16(image, refs, kSlopeReferenceHigh);
        platform::WriteLE16(image, refs + 2, kSlopeReferenceLow);
        Line lines[2] = {FitLine(values, raws, 0, 1), FitLine(values, raws, 2, 3)};
        for (int j = 0; j < 2; ++j) {
            if (lines[j].slope == 0.0f)
                lines[j] = {platform::ReadLEFloat(image, pairs + 8 * size_t(j)),
                            platform::ReadLEFloat(image, pairs + 8 * size_t(j) + 4)};
        }
        for (int copy = 0; copy < 2; ++copy) {
            for (int j = 0; j < 2; ++j) {
                const size_t at = pairs + 16 * size_t(copy) + 8 * size_t(j);
                platform::WriteLEFloat(image, at, lines[j].slope);
                platform::WriteLEFloat(image, at + 4, lines[j].offset);
            }
        }
        return WriteSensorMemory(c);
    }
    if (state.calibrationMode == 1) {
        // n values and n more go into a seven-entry table.
        if (2 * n > memory::kPointTableSize)
            return 0;
        for (int k = 0; k < 2 * n; ++k) {
            platform::WriteLEFloat(image, memory::kSecondValues + 4 * size_t(k), values[k]);
            platform::WriteLE16(image, memory::kSecondRaws + 2 * size_t(k), static_cast<uint16_t>(raws[k]));
        }
        return WriteSensorMemory(c);
    }

    const int table = tableFlag == 1 ? 1 : 0;
    if (n > kAdapterTablePoints[table])
        return 0;
    // Each point is one adapter write: the prefix, the location, the byte count, the bytes lowest
    // first. Once one goes unanswered the rest would only wait in vain.
    const auto writePoint = [&](int32_t location, uint32_t bits, int32_t bytes) {
        uint8_t frame[adapter::kWritePrefixBytes + 2 + 4] = {};
        std::copy_n(adapter::kWritePrefix, adapter::kWritePrefixBytes, frame);
        frame[adapter::kWritePrefixBytes] = static_cast<uint8_t>(location);
        frame[adapter::kWritePrefixBytes + 1] = static_cast<uint8_t>(bytes);
        for (int32_t i = 0; i < bytes; ++i)
            frame[adapter::kWritePrefixBytes + 2 + i] = static_cast<uint8_t>(bits >> (8 * i));
        const bool acknowledged =
            SendRegisterBytes(c, adapter::kAddress, frame, adapter::kWritePrefixBytes + 2 + bytes) == 1;
        platform::SleepMs(kWritePauseMs);
        return acknowledged;
    };
    for (int k = 0; k < n; ++k) {
        if (!writePoint(kValueRegister[table] + 4 * k, std::bit_cast<uint32_t>(values[k]), 4))
            return 0;
    }
    for (int k = 0; k < n; ++k) {
        if (!writePoint(kRawRegister[table] + 2 * k, static_cast<uint32_t>(raws[k]), 2))
            return 0;
    }
    return 1;
}

int32_t CNI2CSensor::ClearCalibration(int c)
{
    int32_t present = 0;
    if (HasUserCalibration(c, &present) != 1)
        return 0;
    ChannelState& state = channels_[c];
    const std::span<uint8_t> image(state.sensorMemory);
    float values[2 * memory::kPointTableSize] = {};
    int32_t raws[2 * memory::kPointTableSize] = {};

    if (state.calibrationMode == 1) {
        const int32_t n = static_cast<int32_t>(platform::ReadLE32(image, memory::kKind));
        if (n < 1 || n > memory::kTwoSlopeKind)
            return 0;
        // Four points and four more do not fit the table, so nothing could be stored again: leave
        // the image and the conversion as they are rather than report a clear that never happened.
        if (n != memory::kTwoSlopeKind && 2 * n > memory::kPointTableSize)
            return 0;
        for (int k = 0; k < memory::kPointTableSize; ++k) {
            values[k] = k < n ? 0.0f : platform::ReadLEFloat(image, memory::kSecondValues + 4 * size_t(k));
            raws[k] = k < n ? 0 : platform::ReadLE16(image, memory::kSecondRaws + 2 * size_t(k));
        }
        if (state.sensorFamily == kWEepromType) {
            const bool lowRange = memory::HoldsLowRangeMark(image);
            state.conversionKind = n == memory::kTwoSlopeKind ? kConvertTwoSlopes
                                   : (n == 2 && lowRange)      ? kConvertMemoryLine
                                                               : n;
        }
        platform::WriteLEFloat(image, memory::kSecondValues, 0.0f);
        return SetCalibration(c, n, values, raws, 0);
    }
    if (present == 1) {
        const int32_t n = state.conversionKind;
        if (n < kConvertOnePoint || n > kConvertThreePoints)
            return 0;
        for (int k = 0; k < kPlainPoints; ++k) {
            state.originReference[k] = platform::ReadLEFloat(image, memory::kPlainValues + 4 * size_t(k));
            state.originRaw[k] = static_cast<int32_t>(platform::ReadLE32(image, memory::kPlainRaws + 4 * size_t(k)));
            platform::WriteLEFloat(image, memory::kPlainValues + 4 * size_t(k), 0.0f);
            platform::WriteLE32(image, memory::kPlainRaws + 4 * size_t(k), 0);
        }
        return SetCalibration(c, n, values, raws, 0);
    }
    return 1;
}

void CNI2CSensor::ResetCalibrationDefaults(int c)
{
    if (!ValidChannel(c))
        return;
    ChannelState& state = channels_[c];
    std::fill(std::begin(state.unitChoice), std::end(state.unitChoice), 0);
    state.selectedOutput = 0;
    state.sensorTypeCode = 0;
    state.zeroOffset = 0.0f;
    state.gain = 1.0f;
    state.secondZeroOffset = 0.0f;
    state.further[0] = 0;
    state.further[1] = 0;
    state.timeOrigin = 0.0f;
    state.timeUnit = 0.001f;
    state.timeFactor = 1.0f;
    state.adcFlag = 0;
}

}  // namespace devicelink
