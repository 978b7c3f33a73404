#include "devicelink/link/DeviceApi.h"

#include "devicelink/link/CallGuard.h"
#include "devicelink/link/CorvikUSBDrv.h"
#include "devicelink/link/UpgradeApi.h"
#include "devicelink/protocol/FirmwareImage.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <new>

using namespace devicelink;

namespace {

// The stream descriptor's buffers, owned by the API beside the driver.
struct StreamBuffers {
    StreamDescriptor descriptor{};
    std::unique_ptr<uint32_t[]> values[kChannelCount];
    std::unique_ptr<int32_t[]> times[kChannelCount];
    std::atomic<int32_t> counts[kChannelCount] = {};

    StreamBuffers()
    {
        for (int c = 0; c < kChannelCount; ++c) {
            values[c].reset(new uint32_t[kStreamCapacity]);
            times[c].reset(new int32_t[kStreamCapacity]);
        }
    }
};

struct ApiState {
    std::mutex commandMutex;
    std::unique_ptr<CorvikUSBDrv> driver;
    std::unique_ptr<StreamBuffers> stream;
    bool ready = false;
    // The firmware tool's: what the finish of the upgrade names, from the bank selection.
    uint32_t upgradeSequence = 0;
};

ApiState& State()
{
    static ApiState state;
    return state;
}

void Signal(const MeasureRequest* request)
{
    if (request && request->host.event)
        request->host.event->Set();
}

// Runs body under the command mutex; an exception gives fallback (GuardedCall).
template <typename Body>
auto Serialised(Body body, decltype(body(State())) fallback) noexcept
{
    return GuardedCall(fallback, [&] {
        ApiState& s = State();
        std::lock_guard lock(s.commandMutex);
        return body(s);
    });
}

int BeginStreamLocked(ApiState& s, MeasureRequest* request)
{
    if (!s.driver || !request || !s.stream)
        return 0;
    StreamDescriptor& d = s.stream->descriptor;
    const MeasureSetupBlock& b = request->block;
    d.kind = b.kind;
    d.one = 1;
    d.capacity = kStreamCapacity;
    d.event = request->host.event;
    d.blocksPerEvent = b.perEvent;
    for (int c = 0; c < kChannelCount; ++c) {
        d.enabled[c] = b.enabled[c];
        d.channelCapacity[c] = kStreamCapacity;
        d.values[c] = s.stream->values[c].get();
        d.times[c] = s.stream->times[c].get();
        d.counts[c] = &s.stream->counts[c];
        if (request->host.counts[c])
            request->host.counts[c]->store(0, std::memory_order_release);
    }
    const int started = s.driver->StartStream(request, &d);
    if (!started)
        Signal(request);
    return started;
}

int ReadOnceLocked(ApiState& s, MeasureRequest* request)
{
    const int ok = s.driver->ReadSamples(*request);
    if (ok) {
        const ReadReply reply = s.driver->Rings().LastReadReply();
        const MeasureSetupBlock& b = request->block;
        for (int c = 0; c < kChannelCount; ++c) {
            if (b.enabled[c] != 1 || !request->host.ChannelBound(c))
                continue;
            const int fit = std::clamp(b.capacity[c], 0, 8);
            for (int k = 0; k < fit; ++k) {
                request->host.values[c][k] = reply.values[c][k] & uint32_t(b.readMask[8 * c + k]);
                request->host.times[c][k] = reply.times[c][k];
            }
            const int n = std::min<int>(b.entries[c], kRegisterEntries);
            request->host.counts[c]->store(std::min(n, fit), std::memory_order_release);
        }
    }
    Signal(request);
    return ok;
}

}  // namespace

extern "C" {

int DevOpen(int argument)
{
    return Serialised(
        [argument](ApiState& s) {
            if (s.driver)
                return 1;
            s.driver = std::make_unique<CorvikUSBDrv>();
            if (!s.stream)
                s.stream = std::make_unique<StreamBuffers>();
            const int connected = s.driver->Connect(argument);
            s.ready = connected == 1;
            return connected;
        },
        0);
}

void DevClose(void)
{
    (void)Serialised(
        [](ApiState& s) {
            // The driver stops the logger itself on destruction, before its threads are joined.
            s.driver.reset();
            s.stream.reset();
            s.ready = false;
            return 0;
        },
        0);
}

int DevSubmitRead(MeasureRequest* request)
{
    return Serialised(
        [request](ApiState& s) {
            if (!request)
                return 0;
            if (!s.driver) {
                Signal(request);
                return 0;
            }
            switch (request->block.kind) {
            case kind::kSingle:
                return ReadOnceLocked(s, request);
            case kind::kStreamGap:
            case kind::kStreamTrigger:
                return BeginStreamLocked(s, request);
            default:
                if (s.driver->StartMeasure(*request))
                    return 1;
                Signal(request);
                return 0;
            }
        },
        0);
}

int DevSubmitWrite(MeasureRequest* request)
{
    return Serialised(
        [request](ApiState& s) {
            if (!request)
                return 0;
            int result = 0;
            if (s.driver) {
                MeasureSetupBlock& b = request->block;
                for (int c = 0; c < kChannelCount; ++c) {
                    const uint32_t* values = request->host.values[c];
                    if (!values)
                        continue;
                    const int fit = std::clamp(b.capacity[c], 0, kRegisterEntries);
                    for (int k = 0; k < fit; ++k)
                        b.writeData[8 * c + k] = int32_t(values[k]);
                }
                if (b.kind == kind::kSingle)
                    result = s.driver->SendSetupBlock(*request);
            }
            Signal(request);
            return result;
        },
        0);
}

int DevStop(void)
{
    return Serialised([](ApiState& s) { return s.driver ? s.driver->Stop() : 1; }, 0);
}

int DevPollStatusWord(void)
{
    return Serialised([](ApiState& s) { return s.driver ? int(s.driver->QuerySensorState()) : 0; }, -1);
}

int DevGetFirmwareVersion(void)
{
    return Serialised(
        [](ApiState& s) {
            int32_t version = 0;
            if (!s.driver || !s.driver->GetFirmwareVersion(version))
                return 0;
            return int(version);
        },
        0);
}

void DevNop(void) {}

int DevWriteBlock(const void* table)
{
    return Serialised([table](ApiState& s) { return s.driver ? s.driver->WriteDeviceBlock(table) : 0; }, 0);
}

int DevBeginStream(MeasureRequest* request)
{
    return Serialised([request](ApiState& s) { return BeginStreamLocked(s, request); }, 0);
}

int DevDeviceReady(void)
{
    return Serialised([](ApiState& s) { return s.ready ? 1 : 0; }, 0);
}

int DevGetDriverState(void)
{
    return Serialised([](ApiState& s) { return !s.driver || s.driver->LinkUp() ? 1 : 0; }, 1);
}

int DevGetOpenFailure(void)
{
    return Serialised([](ApiState& s) { return s.driver ? int(s.driver->OpenFailure()) : 0; }, 0);
}

}  // extern "C"

// The firmware tool's commands over the same driver and mutex.
namespace {

constexpr uint32_t kUpgradeWaitMs = 1000;

}  // namespace

extern "C" {

int DevOpenForUpgrade(void)
{
    return Serialised(
        [](ApiState& s) {
            if (s.driver)
                return 1;
            // The tool streams nothing, so it needs no stream buffers.
            s.driver = std::make_unique<CorvikUSBDrv>(DriverOptions{.upgradeTool = true});
            const int connected = s.driver->Connect(0);
            s.ready = connected == 1;
            return connected;
        },
        0);
}

int DevSelectUpgradeImage(const uint8_t* imageA, int32_t lengthA, const uint8_t* imageB, int32_t lengthB)
{
    return Serialised(
        [=](ApiState& s) {
            if (!s.driver || !imageA || !imageB || lengthA <= 0 || lengthB <= 0)
                return -1;
            if (!s.driver->Transact(code::kFirmwareBegin, nullptr, 0, nullptr, 0, CorvikUSBDrv::Gate::Ack,
                                    {code::kFirmwareBank}, kUpgradeWaitMs))
                return -1;
            const int bank = s.driver->FirmwareBank();
            int chosen = -1;
            if (FindBankMarker({imageA, size_t(lengthA)}, bank))
                chosen = 0;
            else if (FindBankMarker({imageB, size_t(lengthB)}, bank))
                chosen = 1;
            if (chosen >= 0)
                s.upgradeSequence = uint32_t(s.driver->FirmwareSequence()) + 1;
            return chosen;
        },
        -1);
}

int DevWriteFirmwareBlock(const FirmwareBlockRecord* block)
{
    return Serialised(
        [block](ApiState& s) {
            if (!s.driver || !block || !block->data || block->count < 0
                || uint32_t(block->count) > kFirmwareBlockBytes)
                return 0;
            // The payload is whole words; the byte count tells the logger where the data end.
            uint8_t data[kFirmwareBlockBytes];
            std::fill(std::begin(data), std::end(data), uint8_t(0xFF));
            std::copy_n(block->data, block->count, data);
            const int32_t padded = (block->count + 3) / 4 * 4;
            const uint32_t header[2] = {uint32_t(block->index), uint32_t(block->count)};
            return s.driver->Transact(code::kFirmwareBlock, header, int32_t(sizeof header), data, padded,
                                      CorvikUSBDrv::Gate::Ack, {code::kFirmwareBlockAck}, kUpgradeWaitMs);
        },
        0);
}

int DevFinishUpgrade(uint32_t byteSum, uint32_t imageSize)
{
    return Serialised(
        [=](ApiState& s) {
            if (!s.driver)
                return 0;
            const uint32_t words[3] = {s.upgradeSequence, byteSum, imageSize};
            return s.driver->Transact(code::kFirmwareCheck, words, int32_t(sizeof words), nullptr, 0,
                                      CorvikUSBDrv::Gate::Ack, {code::kFirmwareCheckAck}, kUpgradeWaitMs);
        },
        0);
}

}  // extern "C"
