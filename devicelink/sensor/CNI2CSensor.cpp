#include "devicelink/sensor/CNI2CSensor.h"

#include "devicelink/catalogue/XmlCatalogueParse.h"
#include "devicelink/conversion/ConversionState.h"
#include "platform/Text.h"

#include <algorithm>
#include <new>

namespace devicelink {
namespace {

constexpr int32_t kOneShotInterval = 100;

bool BeginsWith(std::u16string_view text, std::u16string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

CNI2CSensor::BoundRequest::BoundRequest(int capacity_, platform::Event& event) : capacity(capacity_)
{
    request.host.event = &event;
    for (int c = 0; c < kChannelCount; ++c) {
        values[c] = std::make_unique<uint32_t[]>(capacity);
        times[c] = std::make_unique<int32_t[]>(capacity);
        counts[c].store(0);
        request.host.values[c] = values[c].get();
        request.host.times[c] = times[c].get();
        request.host.counts[c] = &counts[c];
    }
}

CNI2CSensor::CNI2CSensor(SensorDeviceApi& api)
    : api_(api),
      oneShot_(kOneShotCapacity, oneShotEvent_),
      acquisition_(kAcquisitionCapacity, completionEvent_)
{
}

CNI2CSensor::~CNI2CSensor()
{
    api_.Close();
}

int CNI2CSensor::LoadSensorXml(const std::string& path)
{
    return catalogue_.LoadDocument(path) ? 1 : 0;
}

int32_t CNI2CSensor::LoadCatalogue()
{
    try {
        if (!catalogue_.ReadXmlVersion())
            return kCatalogueVersionTooOld;
        if (api_.Open() != 1)
            return kCatalogueDeviceNotOpen;
        firmwareVersion_ = api_.GetFirmwareVersion();
        if (firmwareVersion_ < kMinimumFirmwareVersion)
            return kCatalogueFirmwareTooOld;
        if (catalogue_.LoadUnitList() == 0 || catalogue_.LoadSensorList() == 0)
            return kCatalogueListEmpty;
        if (!catalogue_.LoadAccessList() || !catalogue_.LoadSearchList())
            return kCatalogueListEmpty;
        PrepareAdapterRecords();
        return kCatalogueOk;
    } catch (const std::bad_alloc&) {
        return kCatalogueListEmpty;
    }
}

int32_t CNI2CSensor::ParseKeyword(std::u16string_view text)
{
    return devicelink::ParseKeyword(text);
}

int32_t CNI2CSensor::AnyChannelConnected() const
{
    return std::any_of(std::begin(connected_), std::end(connected_), [](int32_t c) { return c == 1; }) ? 1 : 0;
}

int32_t CNI2CSensor::PollSensorState()
{
    if (api_.Open() == 1)
        statusWord_ = api_.PollStatusWord();
    if (statusWord_ == kStatusLinkLost)
        return kPollLinkLost;
    int32_t result = kPollNoChange;
    for (int c = 0; c < kChannelCount; ++c) {
        const ChannelStatus status = ChannelStatusOf(static_cast<uint32_t>(statusWord_), c);
        if (int32_t(status.present) != lastPresence_[c])
            result |= status.present ? kPollPlugged : kPollRemoved;
        if (status.present && !status.ready)
            result = kPollNotReady;
    }
    return result;
}

void CNI2CSensor::StopDevice()
{
    if (api_.Open() != 1)
        return;
    api_.Stop();
    running_ = 0;
}

int32_t CNI2CSensor::StopAcquisition()
{
    if (api_.Open() != 1)
        return 1;
    const MeasureSetupBlock& block = acquisition_.request.block;
    for (int c = 0; c < kChannelCount; ++c) {
        if (connected_[c] == 1 && block.enabled[c])
            channels_[c].rateWritten = 0;
    }
    api_.Stop();
    running_ = 0;
    return 1;
}

SensorAccessRecord* CNI2CSensor::FindSensorRecord(const ChannelState* state)
{
    if (!state)
        return nullptr;
    auto& records = catalogue_.accessRecords();
    const std::u16string_view id = platform::FieldView(state->sensorId);
    // The cached index comes from live state or from a project file: trust it only in range.
    const int32_t cached = state->accessIndex;
    const int64_t limit = std::min<int64_t>(int64_t(catalogue_.sensorCount()) + kSpareAccessRecords,
                                            int64_t(records.size()));
    if (cached >= 0 && cached < limit && BeginsWith(platform::FieldView(records[cached].id), id))
        return &records[cached];
    for (int i = 0; i < catalogue_.sensorCount() && i < int(records.size()); ++i) {
        if (BeginsWith(platform::FieldView(records[i].id), id))
            return &records[i];
    }
    return nullptr;
}

int32_t CNI2CSensor::ResetChannelFilter(int channel)
{
    return ResetChannelFilterState(channel);
}

void CNI2CSensor::FillChannelFromRecord(MeasureSetupBlock& block, int c, const SensorAccessRecord& record) const
{
    block.enabled[c] = 1;
    block.clock[c] = static_cast<uint8_t>(record.clockCode);
    block.readType[c] = static_cast<uint8_t>(record.readType);
    block.byteCount[c] = record.byteCount;
    block.address[c] = record.address;
    const int entries = std::clamp(record.registerCount, 0, kRegisterEntries);
    block.entries[c] = static_cast<uint8_t>(entries);
    const bool longSetup = platform::Contains(platform::FieldView(channels_[c].modelCode), u"N46");
    for (int k = 0; k < entries; ++k) {
        const int e = kRegisterEntries * c + k;
        block.readRegister[e] = static_cast<uint8_t>(record.readAddress[k]);
        block.readMask[e] = record.readMask[k];
        block.writeType[e] = record.writeType[k];
        block.writeLength[e] = static_cast<uint8_t>(longSetup ? 11 : record.writeByteCount[k]);
        block.writeRegister[e] = static_cast<uint8_t>(record.writeAddress[k]);
        block.writeData[e] = record.writeData[k];
        block.delay[e] = record.writeDelay[k];
    }
    if (longSetup) {
        const int first = kRegisterEntries * c;
        block.writeData[first] = static_cast<int32_t>(0xFFFFAA01u);
        block.writeData[first + 1] = -1;
        block.writeData[first + 2] = -1;
    }
}

int32_t CNI2CSensor::ReadCurrentValue(int c, float* values)
{
    if (c < 0 || c >= kChannelCount || !values)
        return 0;
    ChannelState& state = channels_[c];
    const SensorAccessRecord* record = FindSensorRecord(&state);
    if (!record || api_.Open() != 1)
        return 0;
    ApplySamplingSetup(MeasureSetupBlock{});

    MeasureSetupBlock& block = oneShot_.request.block;
    block = MeasureSetupBlock{};
    block.kind = kind::kSingle;
    block.interval = kOneShotInterval;
    block.count = 1;
    block.perEvent = 1;
    FillChannelFromRecord(block, c, *record);
    const bool adcPath = platform::FieldView(state.modelCode).substr(0, 1) == u"W" && state.adcFlag == 1 &&
                         state.adcMode == 1;
    if (adcPath)
        block.readType[c] = access::kReadAdcData;
    for (int ch = 0; ch < kChannelCount; ++ch) {
        block.capacity[ch] = kOneShotCapacity;
        oneShot_.counts[ch].store(0);
    }

    // The conversion strides at least one word a sample, so the newest sample must be found
    // the same way, or a record without register entries reads one past the arrays.
    int32_t index = 0;
    if (CollectOneShotReading(c, std::max(1, record->registerCount), &index) != 1)
        return 0;

    const int32_t savedAllOutputs = state.allOutputs;
    state.allOutputs = 1;
    const int32_t* raw = reinterpret_cast<const int32_t*>(oneShot_.values[c].get()) + index;
    const int32_t* times = oneShot_.times[c].get() + index;
    int converted = 0;
    if (converter_) {
        converted = converter_(*this, c, raw, times, values);
    } else {
        float convertedTimes[kMaxOutputs] = {};
        ConvertChannelData(c, 0, 1, raw, times, values, convertedTimes, 0, record, &state, &converted);
    }
    state.allOutputs = savedAllOutputs;
    oneShotEvent_.Reset();
    return converted > 0 ? 1 : 0;
}

}  // namespace devicelink
