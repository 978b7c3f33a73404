#include "devicelink/sensor/I2cSensorSetup.h"

#include "devicelink/conversion/ConversionState.h"
#include "devicelink/link/CallGuard.h"

#include <algorithm>

namespace devicelink {
namespace {

constexpr int kSetupCapacity = 8;

bool Usable(const MeasureRequest& request, int channel)
{
    return channel >= 0 && channel < kChannelCount && request.host.ChannelBound(channel) && request.host.event;
}

int32_t MaskFor(int32_t byteCount)
{
    return byteCount == 1 ? 0xFF : 0xFFFF;
}

// The single-channel request every transaction starts from; the channel's clock and address stay
// as the caller left them.
void PrepareChannel(MeasureRequest& request, int c, int32_t accessType, int32_t byteCount, int entries)
{
    MeasureSetupBlock& b = request.block;
    b.kind = kind::kSingle;
    b.interval = 0;
    b.count = 1;
    b.perEvent = 1;
    for (int ch = 0; ch < kChannelCount; ++ch) {
        b.enabled[ch] = 0;
        b.capacity[ch] = kSetupCapacity;
    }
    b.enabled[c] = 1;
    b.readType[c] = static_cast<uint8_t>(accessType);
    b.byteCount[c] = byteCount;
    b.entries[c] = static_cast<uint8_t>(entries);
    for (int k = 0; k < kRegisterEntries; ++k) {
        const int e = kRegisterEntries * c + k;
        b.readMask[e] = MaskFor(byteCount);
        b.writeType[e] = -1;
    }
}

void SetRegister(MeasureRequest& request, int c, int k, int32_t reg)
{
    request.block.readRegister[kRegisterEntries * c + k] = static_cast<uint8_t>(reg);
}

// Submits and waits; a late or missing answer is not an error here (see the header).
void Transact(SensorDeviceApi& api, MeasureRequest& request, bool write)
{
    request.host.event->Reset();
    const int submitted = write ? api.SubmitWrite(request) : api.SubmitRead(request);
    if (submitted == 1 || write)
        request.host.event->Wait(kI2cWaitMs);
}

void WriteWords(SensorDeviceApi& api, MeasureRequest& request, int c, std::initializer_list<uint32_t> words)
{
    int k = 0;
    for (uint32_t w : words)
        request.host.values[c][k++] = w;
    Transact(api, request, true);
}

int32_t SignedWord(uint32_t raw)
{
    const int32_t v = static_cast<int32_t>(raw & 0xFFFF);
    return v > 0x7FFF ? v - 0x10000 : v;
}

// Takes the last `needed` values the read delivered into result[first...]; with fewer values the
// words stay as the caller zeroed them.
void TakeGroup(const MeasureRequest& request, int c, int32_t delivered, int needed, int32_t* result, int first)
{
    delivered = std::min(delivered, kSetupCapacity);
    if (delivered < needed)
        return;
    for (int i = 0; i < needed; ++i) {
        const uint32_t raw = request.host.values[c][delivered - needed + i];
        result[first + i] = SignedWord(raw);
    }
}

}  // namespace

int32_t ReadI2CRegisters(SensorDeviceApi& api, int32_t count, MeasureRequest& request, int c, int32_t address,
                         int32_t width, int32_t first)
{
    if (!Usable(request, c))
        return 0;
    count = std::clamp(count, 0, kRegisterEntries);
    const int32_t byteCount = width == 1 ? 1 : 2;
    PrepareChannel(request, c, access::kSccReadAddressData, byteCount, count);
    request.block.clock[c] = kI2cClock245kHz;
    request.block.address[c] = address;
    for (int k = 0; k < count; ++k)
        SetRegister(request, c, k, first + k * width);
    // A count left from an earlier read must not pass for this one's.
    request.host.counts[c]->store(0);
    Transact(api, request, false);
    return request.host.counts[c]->load(std::memory_order_acquire);
}

int32_t ConfigI2CSensor23(SensorDeviceApi& api, MeasureRequest& request, int c, int32_t mode, int32_t secondMode)
{
    if (!Usable(request, c) || api.DeviceReady() != 1)
        return 0;
    uint32_t x = 0x47, y = 0x7A;
    if (mode == 1) {
        x = 0x56;
        y = 0x6B;
    } else if (mode == 2) {
        x = 0x45;
        y = 0x63;
    }
    const uint32_t z = secondMode == 1 ? 19 : secondMode == 2 ? 22 : 16;
    PrepareChannel(request, c, access::kSccWriteNoAddressData, 1, 5);
    WriteWords(api, request, c, {1, 7, x, y, z});
    return 1;
}

int32_t ConfigI2CSensor4D(SensorDeviceApi& api, MeasureRequest& request, int c, int32_t mode)
{
    if (!Usable(request, c) || api.DeviceReady() != 1)
        return 0;
    const uint32_t value = mode == 1 ? 0 : mode == 2 ? 32 : mode == 3 ? 64 : 96;
    PrepareChannel(request, c, access::kSccWriteAddressPlusData, 1, 1);
    SetRegister(request, c, 0, 1);
    WriteWords(api, request, c, {value});
    return 1;
}

int32_t ConfigI2CSensor18(SensorDeviceApi& api, MeasureRequest& request, int c, int32_t mode)
{
    if (!Usable(request, c) || api.DeviceReady() != 1)
        return 0;
    const uint32_t value = (mode >= 1 && mode <= 3) ? static_cast<uint32_t>(mode - 1) : 3;
    PrepareChannel(request, c, access::kSccWriteAddressPlusData, 1, 2);
    SetRegister(request, c, 0, 8);
    SetRegister(request, c, 1, 5);
    WriteWords(api, request, c, {value, 0});
    return 1;
}

int32_t ConfigI2CSensor38(SensorDeviceApi& api, MeasureRequest& request, int c, int32_t mode)
{
    if (!Usable(request, c) || api.DeviceReady() != 1)
        return 0;
    static constexpr uint32_t kModeCodes[15] = {2, 10, 18, 3, 11, 19, 4, 12, 20, 5, 13, 21, 6, 14, 22};
    const uint32_t code = (mode >= 1 && mode <= 14) ? kModeCodes[mode] : 2;
    const int32_t got = ReadI2CRegisters(api, 1, request, c, request.block.address[c], 1, 0x14);
    // Without the old value there are no bits 7-5 to keep: leave the register alone.
    if (got < 1)
        return 1;
    const uint32_t value = (request.host.values[c][0] & 0xE0) | code;
    PrepareChannel(request, c, access::kSccWriteAddressPlusData, 1, 1);
    SetRegister(request, c, 0, 0x14);
    WriteWords(api, request, c, {value});
    return 1;
}

int32_t ConfigI2CSensor28(SensorDeviceApi& api, MeasureRequest& request, int c)
{
    if (!Usable(request, c) || api.DeviceReady() != 1)
        return 0;
    static constexpr uint32_t kWrites[3][2] = {{0xF0, 0xF005}, {0xF6, 0xF60E}, {0xF7, 0xF755}};
    for (const auto& w : kWrites) {
        PrepareChannel(request, c, access::kSccWriteNoAddressData, 2, 1);
        for (int k = 0; k < 4; ++k)
            request.block.readMask[kRegisterEntries * c + k] = -1;
        SetRegister(request, c, 0, static_cast<int32_t>(w[0]));
        WriteWords(api, request, c, {w[1]});
    }
    return 1;
}

int32_t ConfigI2CSensor39(SensorDeviceApi& api, MeasureRequest& request, int c, int32_t value)
{
    if (!Usable(request, c) || api.DeviceReady() != 1)
        return 0;
    const uint32_t writes[3][2] = {{0x80, 3}, {0x87, 0}, {0x81, static_cast<uint32_t>(value)}};
    for (const auto& w : writes) {
        PrepareChannel(request, c, access::kSccWriteAddressAndData, 1, 1);
        SetRegister(request, c, 0, static_cast<int32_t>(w[0]));
        WriteWords(api, request, c, {w[1]});
    }
    return 1;
}

int32_t ConfigI2CSensor70(SensorDeviceApi& api, MeasureRequest& request, int c, int32_t mode)
{
    if (!Usable(request, c) || api.DeviceReady() != 1)
        return 0;
    static constexpr uint32_t kModeBytes[9] = {128, 129, 130, 144, 145, 146, 147, 148, 149};
    const uint32_t modeByte = (mode >= 1 && mode <= 8) ? kModeBytes[mode] : 128;
    ResetSharedChangeState();
    for (uint32_t byte : {modeByte, 17u}) {
        PrepareChannel(request, c, access::kSccWriteNoAddressData, 1, 1);
        WriteWords(api, request, c, {byte});
    }
    return 1;
}

int32_t ReadPressureCalibration(SensorDeviceApi& api, MeasureRequest& request, int c, int32_t* result)
{
    if (!Usable(request, c) || !result)
        return 0;
    constexpr int32_t kAddress = 0x77;
    int32_t n = ReadI2CRegisters(api, 6, request, c, kAddress, 2, 0xAA);
    // AC1..AC3 are signed, AC4..AC6 unsigned.
    TakeGroup(request, c, n, 6, result, 0);
    for (int i = 3; i < 6; ++i)
        result[i] &= 0xFFFF;
    n = ReadI2CRegisters(api, 2, request, c, kAddress, 2, 0xB6);
    TakeGroup(request, c, n, 2, result, 6);
    n = ReadI2CRegisters(api, 3, request, c, kAddress, 2, 0xBA);
    TakeGroup(request, c, n, 3, result, 8);
    return 1;
}

int32_t ConfigI2CSensor(SensorDeviceApi& api, MeasureRequest& request, int c, int32_t modeA, int32_t modeB,
                        int32_t* result)
{
    if (!Usable(request, c) || !result)
        return 0;
    // The 0x18 and 0x4D sensors take their mode from the first result word, which every caller
    // zeroes before the call; kept so, as callers rely on the set-up it gives.
    switch (request.block.address[c]) {
    case 0x18:
        return ConfigI2CSensor18(api, request, c, result[0]);
    case 0x23:
        return ConfigI2CSensor23(api, request, c, modeA, 0);
    case 0x28:
        return ConfigI2CSensor28(api, request, c);
    case 0x38:
        return ConfigI2CSensor38(api, request, c, modeA);
    case 0x39:
        return ConfigI2CSensor39(api, request, c, 1);
    case 0x42:
        if (api.DeviceReady() != 1)
            return 0;
        PrepareChannel(request, c, access::kSccWriteNoAddressData, 1, 1);
        WriteWords(api, request, c, {0xFF});
        return 1;
    case 0x4D:
        return ConfigI2CSensor4D(api, request, c, result[0]);
    case 0x70:
        return ConfigI2CSensor70(api, request, c, modeB);
    case 0x77:
        if (api.DeviceReady() != 1)
            return 0;
        return ReadPressureCalibration(api, request, c, result);
    default:
        return 0;
    }
}

}  // namespace devicelink

namespace {

using devicelink::MeasureRequest;
using devicelink::SensorDeviceApi;

// A routine over the process's device API for a caller's request: 0 without a request, and no
// exception leaves it.
template <typename Routine>
int OnFlatApi(MeasureRequest* request, Routine routine) noexcept
{
    if (!request)
        return 0;
    return devicelink::GuardedCall(0, [&] { return int(routine(devicelink::FlatDeviceApi(), *request)); });
}

}  // namespace

extern "C" {

int DevConfigI2CSensor(MeasureRequest* request, int channel, int modeA, int modeB, int32_t* result)
{
    return OnFlatApi(request, [&](SensorDeviceApi& api, MeasureRequest& r) {
        return devicelink::ConfigI2CSensor(api, r, channel, modeA, modeB, result);
    });
}

int DevReadI2CRegisters(int count, MeasureRequest* request, int channel, int address, int width, int first)
{
    return OnFlatApi(request, [&](SensorDeviceApi& api, MeasureRequest& r) {
        return devicelink::ReadI2CRegisters(api, count, r, channel, address, width, first);
    });
}

int DevConfigI2CSensor18(MeasureRequest* request, int channel, int mode)
{
    return OnFlatApi(request, [&](SensorDeviceApi& api, MeasureRequest& r) {
        return devicelink::ConfigI2CSensor18(api, r, channel, mode);
    });
}

int DevConfigI2CSensor23(MeasureRequest* request, int channel, int mode, int secondMode)
{
    return OnFlatApi(request, [&](SensorDeviceApi& api, MeasureRequest& r) {
        return devicelink::ConfigI2CSensor23(api, r, channel, mode, secondMode);
    });
}

int DevConfigI2CSensor28(MeasureRequest* request, int channel)
{
    return OnFlatApi(request, [&](SensorDeviceApi& api, MeasureRequest& r) {
        return devicelink::ConfigI2CSensor28(api, r, channel);
    });
}

int DevConfigI2CSensor38(MeasureRequest* request, int channel, int mode)
{
    return OnFlatApi(request, [&](SensorDeviceApi& api, MeasureRequest& r) {
        return devicelink::ConfigI2CSensor38(api, r, channel, mode);
    });
}

int DevConfigI2CSensor39(MeasureRequest* request, int channel, int value)
{
    return OnFlatApi(request, [&](SensorDeviceApi& api, MeasureRequest& r) {
        return devicelink::ConfigI2CSensor39(api, r, channel, value);
    });
}

int DevConfigI2CSensor4D(MeasureRequest* request, int channel, int mode)
{
    return OnFlatApi(request, [&](SensorDeviceApi& api, MeasureRequest& r) {
        return devicelink::ConfigI2CSensor4D(api, r, channel, mode);
    });
}

int DevConfigI2CSensor70(MeasureRequest* request, int channel, int mode)
{
    return OnFlatApi(request, [&](SensorDeviceApi& api, MeasureRequest& r) {
        return devicelink::ConfigI2CSensor70(api, r, channel, mode);
    });
}

int DevReadPressureCalibration(MeasureRequest* request, int channel, int32_t* result)
{
    return OnFlatApi(request, [&](SensorDeviceApi& api, MeasureRequest& r) {
        return devicelink::ReadPressureCalibration(api, r, channel, result);
    });
}

}  // extern "C"
