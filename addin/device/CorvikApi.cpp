#include "addin/device/CorvikApi.h"

#include "addin/device/RingReader.h"
#include "addin/device/SensorRevision.h"

#include "devicelink/link/DeviceApi.h"
#include "devicelink/sensor/CNI2CSensor.h"
#include "platform/Clock.h"
#include "platform/Text.h"
#include "uikit/registry/RegistryValues.h"

#include <atomic>
#include <climits>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <numeric>
#include <vector>

namespace addin::device {

using devicelink::CNI2CSensor;

namespace {

constexpr char kRegistryKey[] = "Software\\Trevasco";
constexpr char kDataFolderValue[] = "CORVIKWORKPATH";
constexpr uint32_t kAdapterSettleMs = 6;
constexpr uint32_t kStartSettleMs = 1;
constexpr uint32_t kFirstDeliveryWaitMs = 1000;
constexpr int32_t kPeriodStepUs = 100;

struct ApiLayer {
    std::recursive_mutex mutex;
    std::unique_ptr<CNI2CSensor> sensor;
    // The same object for the calls that must not wait for the lock; changed only under it.
    std::atomic<CNI2CSensor*> published{nullptr};
    int32_t lastError = kApiOk;
    int32_t opened = 0;
    int32_t adapterPrepared = 0;
    int32_t channelEnable[kTableChannels] = {};
    RingReader readers[kTableChannels];
    bool haveTimeOrigin[kTableChannels] = {};
    int32_t timeOrigin[kTableChannels] = {};
    int64_t expectedSamples = 0;
    bool stopRequested = false;
    bool sampling = false;
    // Reads give every quantity of a sample, not only the channel's selected output.
    bool allQuantities = false;
    std::vector<float> scratchValues;
    std::vector<float> scratchTimes;
};

ApiLayer& Layer()
{
    static ApiLayer layer;
    return layer;
}

bool ValidChannel(int c)
{
    return c >= 0 && c < kTableChannels;
}

// The driver has lost the logger: every request would only wait out its time-out, so none is
// made.
bool LinkLost(ApiLayer& a)
{
    if (DevGetDriverState() != 0)
        return false;
    a.lastError = kApiNotConnected;
    return true;
}

void StopLocked(ApiLayer& a)
{
    a.stopRequested = true;
    a.sampling = false;
    if (a.sensor)
        a.sensor->StopAcquisition();
    a.lastError = kApiStopped;
}

// Samples a timed run delivers: one at the start and one a period to its end.
int64_t ExpectedSamples(int64_t durationMs, int64_t periodUs)
{
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    if (durationMs >= std::numeric_limits<int64_t>::max() / 1000)
        return kMax;
    return std::min(kMax, durationMs * 1000 / periodUs + 1);
}

RingView ViewOf(CNI2CSensor& sensor, int c)
{
    devicelink::MeasureRequest& request = sensor.acquisitionRequest();
    RingView view;
    view.values = request.host.values[c];
    view.times = request.host.times[c];
    view.writeCount = request.host.counts[c] ? request.host.counts[c]->load(std::memory_order_acquire) : 0;
    view.capacity = request.block.capacity[c];
    view.entries = request.block.entries[c];
    return view;
}

}  // namespace

std::recursive_mutex& CorvikApiMutex()
{
    return Layer().mutex;
}

CNI2CSensor* CorvikApiSensor()
{
    std::lock_guard lock(Layer().mutex);
    return Layer().sensor.get();
}

std::string DataFolder()
{
    // A value that is missing, empty or longer than a path leaves the folder empty.
    std::vector<char16_t> folder(PATH_MAX + 1, u'\0');
    if (uikit::RegReadValue(platform::RegistryRoot::CurrentUser, kRegistryKey, kDataFolderValue, folder.data(),
                            folder.size() * sizeof(char16_t)) != 1)
        return {};
    return platform::Utf16ToUtf8(std::u16string_view(folder.data(), platform::FieldLength(folder.data(), folder.size())));
}

std::string DataFile(const char* name)
{
    std::string folder = DataFolder();
    if (folder.empty())
        return name;
    if (folder.back() != '/')
        folder += '/';
    return folder + name;
}

int CorvikApiGetLastError()
{
    std::lock_guard lock(Layer().mutex);
    return DevGetDriverState() == 0 ? kApiNotConnected : Layer().lastError;
}

int CorvikApiOpen(const char* cataloguePath)
{
    ApiLayer& a = Layer();
    std::lock_guard lock(a.mutex);
    if (a.opened && a.sensor)
        return 1;
    try {
        a.sensor = std::make_unique<CNI2CSensor>();
    } catch (const std::bad_alloc&) {
        a.lastError = kApiNoMemory;
        return 0;
    }
    // A failed open leaves nothing behind, so the next one starts afresh.
    const std::string path = cataloguePath ? std::string(cataloguePath) : DataFile(kCatalogueFileName);
    if (a.sensor->LoadSensorXml(path) != 1) {
        a.sensor.reset();
        a.lastError = kApiCatalogueFile;
        return 0;
    }
    a.lastError = a.sensor->LoadCatalogue();
    if (a.lastError != devicelink::kCatalogueOk) {
        a.sensor.reset();
        return 0;
    }
    a.adapterPrepared = 0;
    a.opened = 1;
    a.sampling = false;
    a.allQuantities = false;
    a.published.store(a.sensor.get(), std::memory_order_release);
    // The status word as the device opens is what the first detection goes by.
    a.sensor->PollSensorState();
    return 1;
}

int CorvikApiClose()
{
    ApiLayer& a = Layer();
    std::lock_guard lock(a.mutex);
    if (!a.sensor) {
        a.lastError = kApiNotOpened;
        return 0;
    }
    a.published.store(nullptr, std::memory_order_release);
    a.sensor.reset();  // closes the device
    a.opened = 0;
    a.sampling = false;
    a.lastError = kApiOk;
    return 1;
}

int CorvikApiIsLinked()
{
    ApiLayer& a = Layer();
    std::lock_guard lock(a.mutex);
    a.lastError = kApiOk;
    if (!a.sensor) {
        a.lastError = kApiNotOpened;
        return 0;
    }
    if (LinkLost(a))
        return 0;
    const int32_t state = a.sensor->PollSensorState();
    if (state == devicelink::kPollLinkLost) {
        a.lastError = kApiNotConnected;
        return 0;
    }
    return state != devicelink::kPollNoChange ? 1 : 0;
}

int CorvikApiReadSnapshot(int channel, float* values, int quantities)
{
    ApiLayer& a = Layer();
    std::lock_guard lock(a.mutex);
    if (!a.sensor) {
        a.lastError = kApiNotOpened;
        return 0;
    }
    // A one-shot reading takes the logger away from a run: the workbook's samples would stop.
    if (!ValidChannel(channel) || !values || quantities < 1 || a.sampling || LinkLost(a))
        return 0;
    if (!a.adapterPrepared) {
        a.sensor->SetAdapterMode(1);
        a.adapterPrepared = 1;
        platform::SleepMs(kAdapterSettleMs);
    }
    float read[2 * kMaxQuantities] = {};
    const int result = a.sensor->ReadCurrentValue(channel, read);
    a.sensor->SetAdapterMode(0);
    a.adapterPrepared = 0;
    if (result == 1)
        std::copy_n(read, std::min(quantities, kMaxQuantities), values);
    return result;
}

int CorvikApiDetectSensors(SensorTableEntry* table)
{
    ApiLayer& a = Layer();
    std::lock_guard lock(a.mutex);
    if (!a.sensor) {
        a.lastError = kApiNotOpened;
        return 0;
    }
    if (!table || LinkLost(a))
        return 0;
    if (a.sampling)
        StopLocked(a);
    CNI2CSensor& sensor = *a.sensor;
    const int32_t word = sensor.statusWord();
    std::memset(table, 0, sizeof(SensorTableEntry) * kTableChannels);
    for (int c = 0; c < kTableChannels; ++c) {
        sensor.lastPresence(c) = 0;
        table[c].state = word != -1 && (uint32_t(word) >> c & 1u) ? kEntryPresent : kEntryAbsent;
    }
    std::u16string text;
    if (word != -1)
        sensor.DetectSensors(text);
    ReviseDetectedChannels(sensor);
    if (text.empty()) {
        a.lastError = kApiDetectionFailed;
        return 0;
    }
    for (int c = 0; c < kTableChannels; ++c) {
        if (table[c].state != kEntryPresent)
            continue;
        const devicelink::SensorAccessRecord* record = sensor.FindSensorRecord(&sensor.channel(c));
        // A sensor that could not be identified is not there for the workbook.
        if (sensor.connected(c) != 1 || !record) {
            table[c].state = kEntryAbsent;
            continue;
        }
        FillTableEntry(table[c], sensor.channel(c), *record);
    }
    a.adapterPrepared = 0;
    a.lastError = kApiOk;
    return 1;
}

int CorvikApiStartSampling(int32_t mask, int64_t periodUs, int64_t durationMs, int32_t mode, const int32_t* periodsUs,
                           int32_t /*spare*/)
{
    ApiLayer& a = Layer();
    std::lock_guard lock(a.mutex);
    for (int c = 0; c < kTableChannels; ++c) {
        a.readers[c].Restart();
        a.haveTimeOrigin[c] = false;
        a.timeOrigin[c] = -1;
        a.channelEnable[c] = (uint32_t(mask) >> c) & 1u;
    }
    a.stopRequested = false;
    a.sampling = false;
    if (!a.sensor) {
        a.lastError = kApiNotOpened;
        return 0;
    }
    if (periodUs <= 0 || periodUs > std::numeric_limits<int32_t>::max() || durationMs < 0) {
        a.lastError = kApiBadPeriod;
        return 0;
    }
    if (LinkLost(a))
        return 0;
    CNI2CSensor& sensor = *a.sensor;
    sensor.StopAcquisition();
    platform::SleepMs(kStartSettleMs);

    devicelink::AcquisitionPlan plan;
    int64_t shortest = periodUs;
    plan.interval = int32_t(periodUs);
    if (mode == kSamplePerChannelPeriods) {
        int32_t common = 0;
        shortest = std::numeric_limits<int64_t>::max();
        for (int c = 0; c < kTableChannels; ++c) {
            if (!a.channelEnable[c]) {
                plan.channelIntervals[c] = kDisabledChannelPeriodUs;
                continue;
            }
            const int32_t period = periodsUs ? periodsUs[c] : 0;
            if (period <= 0 || period % kPeriodStepUs != 0) {
                a.lastError = kApiBadPeriod;
                return 0;
            }
            plan.channelIntervals[c] = period;
            shortest = std::min<int64_t>(shortest, period);
            // Every period is a multiple of the step, so their greatest common divisor is the
            // largest step multiple that divides them all.
            common = std::gcd(common, period);
        }
        if (common == 0) {
            shortest = periodUs;
            common = int32_t(periodUs);
        }
        plan.interval = common;
        plan.perChannel = 1;
    }
    a.expectedSamples = ExpectedSamples(durationMs, shortest);
    for (int c = 0; c < kTableChannels; ++c)
        plan.selection[c] = plan.channelFlags[c] = a.channelEnable[c];
    plan.lengthSeconds = int32_t(std::min<int64_t>(durationMs / 1000, std::numeric_limits<int32_t>::max()));
    plan.count = int32_t(a.expectedSamples);

    platform::Event& event = sensor.StartAcquisition(plan);
    if (sensor.IsRunning() != 1) {
        a.lastError = kApiNotConnected;
        return 0;
    }
    event.Wait(kFirstDeliveryWaitMs);
    a.sampling = true;
    a.lastError = kApiOk;
    return 1;
}

int CorvikApiStopSampling()
{
    ApiLayer& a = Layer();
    std::lock_guard lock(a.mutex);
    StopLocked(a);
    return 1;
}

int CorvikApiSampling()
{
    std::lock_guard lock(Layer().mutex);
    return Layer().sampling ? 1 : 0;
}

void CorvikApiReadAllQuantities(int on)
{
    std::lock_guard lock(Layer().mutex);
    Layer().allQuantities = on != 0;
}

void CorvikApiAbortDetection()
{
    if (CNI2CSensor* sensor = Layer().published.load(std::memory_order_acquire))
        sensor->RequestDetectionAbort();
}

void CorvikApiClearDetectionAbort()
{
    if (CNI2CSensor* sensor = Layer().published.load(std::memory_order_acquire))
        sensor->ClearDetectionAbort();
}

int CorvikApiReadBlock(int channel, float* values, float* times, int capacity)
{
    ApiLayer& a = Layer();
    std::lock_guard lock(a.mutex);
    if (!a.sensor) {
        a.lastError = kApiNotOpened;
        return -1;
    }
    if (!ValidChannel(channel) || !values || !times || capacity <= 0)
        return -1;
    CNI2CSensor& sensor = *a.sensor;
    if (!a.channelEnable[channel] || sensor.connected(channel) != 1)
        return 0;
    devicelink::ChannelState& state = sensor.channel(channel);
    const devicelink::SensorAccessRecord* record = sensor.FindSensorRecord(&state);
    if (!record)
        return -1;

    const RingView ring = ViewOf(sensor, channel);
    if (!ring.values || !ring.times)
        return -1;
    RingReader& reader = a.readers[channel];
    reader.Refresh(ring);
    if (!a.haveTimeOrigin[channel] && reader.DeliveredSamples() > 0) {
        a.timeOrigin[channel] = ring.times[0];
        a.haveTimeOrigin[channel] = true;
    }
    const bool allQuantities = a.allQuantities || state.allOutputs == 1;
    const int32_t valuesPerSample = allQuantities ? std::clamp(record->outputCount, 1, devicelink::kMaxOutputs) : 1;

    int written = 0;
    while (written < capacity) {
        const int32_t room = (capacity - written) / valuesPerSample;
        const RingReader::Span span = reader.Next(ring, room);
        if (span.samples <= 0)
            break;
        // Converted into scratch first: some kinds write more than one value a sample.
        const size_t scratch = size_t(span.samples) * devicelink::kMaxOutputs + devicelink::kMaxOutputs;
        if (a.scratchValues.size() < scratch) {
            a.scratchValues.resize(scratch);
            a.scratchTimes.resize(scratch);
        }
        int32_t produced = 0;
        const int32_t keptAllOutputs = state.allOutputs;
        state.allOutputs = allQuantities ? 1 : keptAllOutputs;
        sensor.ConvertChannelData(channel, 0, span.samples, reinterpret_cast<const int32_t*>(ring.values) + span.first,
                                  ring.times + span.first, a.scratchValues.data(), a.scratchTimes.data(),
                                  a.timeOrigin[channel], record, &state, &produced);
        state.allOutputs = keptAllOutputs;
        const int take = std::clamp(produced, 0, capacity - written);
        std::copy_n(a.scratchValues.data(), take, values + written);
        std::copy_n(a.scratchTimes.data(), take, times + written);
        written += take;
        reader.Consume(ring, span);
    }
    if (a.sampling && a.expectedSamples > 0 && reader.DeliveredSamples() >= a.expectedSamples)
        StopLocked(a);
    if (written == 0 && a.stopRequested)
        return 0;
    return written;
}

}  // namespace addin::device
