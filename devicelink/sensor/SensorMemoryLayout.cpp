#include "devicelink/sensor/SensorMemoryLayout.h"

#include "platform/LittleEndian.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <span>

namespace devicelink::memory {
namespace {

constexpr int32_t kWordsAsReceived = kByteOrderAsReceived;

void ReadFloats(std::span<const uint8_t> image, size_t offset, float* out, int n)
{
    for (int i = 0; i < n; ++i)
        out[i] = platform::ReadLEFloat(image, offset + 4 * size_t(i));
}

void ReadInt16s(std::span<const uint8_t> image, size_t offset, int32_t* out, int n)
{
    for (int i = 0; i < n; ++i)
        out[i] = static_cast<int16_t>(platform::ReadLE16(image, offset + 2 * size_t(i)));
}

void ReadInt32s(std::span<const uint8_t> image, size_t offset, int32_t* out, int n)
{
    for (int i = 0; i < n; ++i)
        out[i] = static_cast<int32_t>(platform::ReadLE32(image, offset + 4 * size_t(i)));
}

void ClearCalibrationArea(ConversionParams& p)
{
    std::fill(std::begin(p.pointValues), std::end(p.pointValues), 0.0f);
    std::fill(std::begin(p.rawPoints), std::end(p.rawPoints), 0);
    std::fill(std::begin(p.calWords), std::end(p.calWords), 0);
    p.coefT0 = 0.0f;
    p.coefT1 = 0.0f;
    std::fill(std::begin(p.furtherCalWords), std::end(p.furtherCalWords), 0);
    std::fill(std::begin(p.refWords), std::end(p.refWords), 0);
}

}  // namespace

bool HoldsLowRangeMark(std::span<const uint8_t> image)
{
    return platform::ReadLE16(image, kLowRangeMark) == kLowRangeMarkFirst &&
           platform::ReadLE16(image, kLowRangeMark + 2) == kLowRangeMarkSecond;
}

void FillCalibrationArea(ConversionParams& p, const ChannelState& state)
{
    ClearCalibrationArea(p);
    const std::span<const uint8_t> image(state.sensorMemory);
    const int32_t k1 = static_cast<int32_t>(platform::ReadLE32(image, kKind));
    const int32_t k2 = static_cast<int32_t>(platform::ReadLE32(image, kSecondKind));
    const bool ownMemory = state.calibrationMode == 1;

    if (ownMemory && k1 == kTwoSlopeKind) {
        const bool second = k2 == kTwoSlopeKind;
        ReadInt16s(image, second ? kSecondSlopeReferences : kSlopeReferences, p.rawPoints, 2);
        ReadFloats(image, second ? kSecondSlopePairs : kSlopePairs, p.pointValues, 8);
    } else if (ownMemory && k1 >= 1 && k1 <= 3) {
        if (k2 == k1) {
            p.calWords[0] = kWordsAsReceived;
            ReadFloats(image, kSecondValues, p.pointValues, kPointTableSize);
            ReadInt16s(image, kSecondRaws, p.rawPoints, kPointTableSize);
        } else if (k2 == 0) {
            p.calWords[0] = kWordsAsReceived;
            ReadFloats(image, kFirstValues, p.pointValues, kPointTableSize);
            ReadInt16s(image, kFirstRaws, p.rawPoints, kPointTableSize);
        }
    } else if (ownMemory && k1 > kPolynomialKindAbove) {
        p.calWords[0] = k1;
        const int32_t check = static_cast<int32_t>(platform::ReadLE32(image, kPolynomialCheck));
        if (check == k1)
            ReadFloats(image, kUserPolynomial, p.pointValues, 8);
        else if (check == 0)
            ReadFloats(image, kFirstValues, p.pointValues, 8);
    } else {
        ReadFloats(image, kPlainValues, p.pointValues, 8);
        ReadInt32s(image, kPlainRaws, p.rawPoints, 8);
        // T0, T1 and the six further words are eight consecutive 32-bit values.
        p.coefT0 = platform::ReadLEFloat(image, kPlainCoefficients);
        p.coefT1 = platform::ReadLEFloat(image, kPlainCoefficients + 4);
        ReadInt32s(image, kPlainCoefficients + 8, p.furtherCalWords, 6);
        ReadInt32s(image, kPlainReferences, p.refWords, 8);
        std::copy(std::begin(state.calibration), std::end(state.calibration), p.calWords);
    }
}

}  // namespace devicelink::memory
