// Per-model set-up beyond the catalogue's register writes: rate and type registers, the adapter
// mode, zero, the fast ADC path's offset, the function generator and the power time-outs.
#include "devicelink/sensor/CNI2CSensor.h"
#include "devicelink/sensor/CNI2CSensorHelpers.h"

#include "devicelink/conversion/ConversionState.h"
#include "devicelink/sensor/PowerTimeouts.h"
#include "platform/Text.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace devicelink {

using sensor_detail::ValidChannel;
namespace {

constexpr uint32_t kRateBase = 128;
// The rate byte holds rates up to 127 per second above its base.
constexpr int32_t kHighestRate = 127;
constexpr uint32_t kSingleReadingRate = 5;
constexpr uint32_t kTypeLatch = 17;
constexpr int32_t kFastTypeCode = 5;

constexpr int32_t kAdcPathAboveRate = 1000;
constexpr int kAdcOffsetReadings = 3;

constexpr std::u16string_view kZeroList[] = {u"R83", u"R87", u"R84", u"R7H", u"W7H", u"R58",
                                              u"R54", u"R75", u"R72", u"W75", u"W72", u"W83",
                                              u"W87", u"W84", u"W82", u"R5E", u"R5F", u"R55"};

std::u16string_view ModelOf(const ChannelState& state)
{
    return platform::FieldView(state.modelCode);
}

bool IsWFamily(const ChannelState& state)
{
    return ModelOf(state).substr(0, 1) == u"W";
}

uint32_t TypeByte(int32_t typeCode)
{
    static constexpr uint32_t kBytes[16] = {128, 129, 130, 178, 160, 128, 145, 146,
                                            147, 148, 149, 150, 151, 152, 153, 154};
    return (typeCode >= 0 && typeCode < 16) ? kBytes[typeCode] : 128;
}

uint32_t RateByte(float interval)
{
    const int32_t rate = interval > 0.0f ? static_cast<int32_t>(std::lround(1000000.0 / double(interval)))
                                         : kHighestRate;
    return kRateBase + static_cast<uint32_t>(std::clamp(rate, 0, kHighestRate));
}

}  // namespace

int32_t CNI2CSensor::ApplySamplingSetup(const MeasureSetupBlock& block)
{
    for (int c = 0; c < kChannelCount; ++c) {
        if (connected_[c] != 1)
            continue;
        ChannelState& state = channels_[c];
        SensorAccessRecord* record = FindSensorRecord(&state);
        if (!record)
            continue;
        const std::u16string_view model = ModelOf(state);
        if (model == u"R7JF")
            SetSensorType(c, *record, state.sensorTypeCode);
        if (!platform::Contains(model, u"R7LF"))
            continue;
        if (block.kind != kind::kSingle) {
            // Per-channel runs take the interval this object keeps for the channel: the block's
            // own channel interval is not written yet.
            const float interval = block.kind == kind::kTimedPerChannel ? channelIntervals_[c]
                                                                         : static_cast<float>(block.interval);
            WriteRegister(c, record->address, RateByte(interval), 1);
            state.rateWritten = 1;
        } else if (state.rateWritten == 0) {
            WriteRegister(c, record->address, kRateBase + kSingleReadingRate, 1);
            state.rateWritten = 1;
        }
    }
    return 1;
}

int32_t CNI2CSensor::SetSensorType(int c, SensorAccessRecord& record, int32_t typeCode)
{
    if (!ValidChannel(c))
        return 0;
    record.readType = typeCode == kFastTypeCode ? access::kReadAdcData : access::kSccReadNoAddressData;
    WriteRegister(c, record.address, TypeByte(typeCode), 1);
    WriteRegister(c, record.address, kTypeLatch, 1);
    ResetChannelConvState(c);
    return 1;
}

int32_t CNI2CSensor::SetAdapterMode(int32_t startFlag)
{
    if (api_.Open() != 1)
        return 0;
    for (int c = 0; c < kChannelCount; ++c) {
        const SensorAccessRecord* record = connected_[c] == 1 ? FindSensorRecord(&channels_[c]) : nullptr;
        if (!record || record->address != adapter::kAddress)
            continue;
        if (startFlag == 1 && platform::Contains(ModelOf(channels_[c]), u"R7JE")) {
            WriteRegister(c, adapter::kAddress, 0x73u, 1);
            continue;
        }
        uint32_t bytes[3] = {};
        const int32_t locations[3] = {adapter::kModeByte, adapter::kModeLow, adapter::kModeHigh};
        bool read = true;
        for (int i = 0; i < 3 && read; ++i)
            read = ReadAdapterMemory(c, locations[i], 1, &bytes[i]);
        // A mode made of bytes that never came back would reconfigure the adapter wrongly.
        if (!read)
            continue;
        const uint32_t mode = 0x53000000u + ((bytes[0] & 0xFF) << 16) + ((bytes[1] & 0xFF) << 8) + (bytes[2] & 0xFF);
        WriteRegister(c, adapter::kAddress, mode, 4);
    }
    return 1;
}

int32_t CNI2CSensor::CanSetZero(int c) const
{
    if (!ValidChannel(c))
        return 0;
    const std::u16string_view model = ModelOf(channels_[c]);
    return std::any_of(std::begin(kZeroList), std::end(kZeroList),
                       [&](std::u16string_view code) { return platform::Contains(model, code); })
               ? 1
               : 0;
}

int32_t CNI2CSensor::SetZero(int c, int32_t output, int32_t setFlag)
{
    if (!ValidChannel(c))
        return 0;
    ChannelState& state = channels_[c];
    const SensorAccessRecord* record = FindSensorRecord(&state);
    const int32_t outputs = std::clamp(record ? record->outputCount : state.outputCount, 1, kMaxOutputs);
    // Single-output sensors are called with output 1 by the set-up screen.
    const int32_t i = std::clamp(output, 0, outputs - 1);
    const std::u16string_view model = ModelOf(state);

    if (IsWFamily(state) && state.adcMode == 1) {
        if (setFlag == 0) {
            state.zeroOffset = 0.0f;
            state.secondZeroOffset = 0.0f;
            return 1;
        }
        float normal[kMaxOutputs] = {};
        float fast[kMaxOutputs] = {};
        int32_t raw[kMaxOutputs] = {};
        int32_t fastRaw[kMaxOutputs] = {};
        if (ReadSingleValue(c, normal, fast, raw, fastRaw, outputs) != 1)
            return 0;
        state.zeroOffset -= normal[i];
        state.secondZeroOffset -= fast[0];
        return 1;
    }
    if (CanSetZero(c) != 1)
        return 0;
    if (setFlag == 0) {
        state.zeroOffset = 0.0f;
        return 1;
    }
    float values[kMaxOutputs] = {};
    if (ReadCurrentValue(c, values) != 1)
        return 0;
    float target = 0.0f;
    if (platform::Contains(model, u"R5E"))
        target = 400.0f;
    else if (platform::Contains(model, u"R5F"))
        target = 20.7f;
    state.zeroOffset = state.zeroOffset - values[i] + target;
    return 1;
}

int32_t CNI2CSensor::GetAdcMode(int c)
{
    if (!ValidChannel(c))
        return 0;
    const ChannelState& state = channels_[c];
    const SensorAccessRecord* record = FindSensorRecord(&channels_[c]);
    if (!record || record->sampling[0].maxRate <= kAdcPathAboveRate)
        return 0;
    if (IsWFamily(state))
        return state.adcMode == 1 ? 2 : 0;
    return 1;
}

int32_t CNI2CSensor::MeasureAdcOffset(int c)
{
    if (GetAdcMode(c) != 2)
        return 0;
    ChannelState& state = channels_[c];
    state.adcOffset = 0.0f;
    // The two paths cannot be read at the same moment, and a signal that moves between the reads
    // would pass for an offset. So each fast reading lies between two normal ones, read alike
    // and so as far apart in time (normal, fast, normal, fast, ... normal): each fast value is
    // compared with the mean of its neighbours, in which a steady change cancels.
    float normal[kAdcOffsetReadings + 1] = {};
    float fast[kAdcOffsetReadings] = {};
    for (int k = 0; k <= kAdcOffsetReadings; ++k) {
        if (!ReadPathValue(c, false, &normal[k]))
            return 0;  // the offset stays 0
        if (k < kAdcOffsetReadings && !ReadPathValue(c, true, &fast[k]))
            return 0;
    }
    float sum = 0.0f;
    for (int k = 0; k < kAdcOffsetReadings; ++k)
        sum += (normal[k] + normal[k + 1]) / 2.0f - fast[k];
    state.adcOffset = sum / kAdcOffsetReadings;
    return 1;
}

int32_t CNI2CSensor::WriteAdapterTable(int c, int32_t bank, float frequency, float second, float third,
                                       int32_t amplitudeCode)
{
    if (!ValidChannel(c) || api_.Open() != 1)
        return 0;
    const int32_t base = bank != 0 ? generator::kBankStride : 0;
    const auto writeFloat = [&](int32_t reg, float value) {
        const uint32_t bits = std::bit_cast<uint32_t>(value);
        WriteRegisterAt(c, generator::kAddress, base + reg, bits & 0xFFFF, 2);
        WriteRegisterAt(c, generator::kAddress, base + reg + 2, bits >> 16, 2);
    };
    WriteRegisterAt(c, generator::kAddress, base + generator::kAmplitude,
                    static_cast<uint32_t>(amplitudeCode) & 0xFFFF, 2);
    writeFloat(generator::kFrequency, frequency);
    writeFloat(generator::kSecond, second);
    writeFloat(generator::kThird, third);
    // Started last, once the whole table is in place.
    WriteRegisterAt(c, generator::kAddress, base + generator::kRun, 1, 2);
    return 1;
}

int32_t CNI2CSensor::ClearAdapterTable(int c, int32_t bank)
{
    if (!ValidChannel(c) || api_.Open() != 1)
        return 0;
    const int32_t base = bank != 0 ? generator::kBankStride : 0;
    WriteRegisterAt(c, generator::kAddress, base + generator::kRun, 0, 2);
    return 1;
}

void CNI2CSensor::SetPowerTimeouts(int32_t batterySeconds, int32_t mainsSeconds, int32_t mode)
{
    SavedPowerTimeouts kept{batterySuspend_, mainsSuspend_, powerTimeoutsSaved_};
    if (mode == 1) {
        SaveAndSetPowerTimeouts(platform::ProcessRegistry(), kept, batterySeconds, mainsSeconds);
    } else {
        if (!kept.saved)
            return;
        RestorePowerTimeouts(platform::ProcessRegistry(), kept);
    }
    batterySuspend_ = kept.batterySeconds;
    mainsSuspend_ = kept.mainsSeconds;
    powerTimeoutsSaved_ = kept.saved;
    SignalPowerTimeoutsChanged();
}

int32_t CNI2CSensor::GeneratorAmplitudeCode(int32_t amplitude)
{
    // In double, as the amplitudes were always coded: 100 gives 229 (float arithmetic rounds the
    // product up to 230).
    return static_cast<int32_t>(static_cast<double>(amplitude) * 2.3);
}

}  // namespace devicelink
