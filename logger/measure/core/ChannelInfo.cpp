#include "logger/measure/core/ChannelInfo.h"

#include <algorithm>
#include <iterator>

#include "platform/Text.h"

namespace measure {

namespace {

constexpr uint32_t kSeriesColours[kSeriesPerSubValue * kMaxSubValues] = {
    0xDE3431, 0xA801FF, 0x0092EF, 0x2A910A, 0xF7AA6B, 0xFF84F5, 0x00D8FF, 0x3CCF0F,
    0xF9CC2F, 0xB80B99, 0x0A64D2, 0x78FF78, 0x780000, 0xCE92C3, 0x09B1C5, 0x004400,
};

int32_t SamplingEntry(const devicelink::SensorAccessRecord& record, const devicelink::ChannelState& state)
{
    const int32_t last = std::clamp(record.samplingCount, 1, devicelink::kMaxSamplingEntries) - 1;
    return std::clamp(state.samplingEntry, 0, last);
}

}  // namespace

uint32_t SeriesColour(int series)
{
    return kSeriesColours[std::clamp(series, 0, int(std::size(kSeriesColours)) - 1)];
}

int32_t ValuesPerSample(const devicelink::SensorAccessRecord* record)
{
    return record ? std::clamp(record->registerCount, 1, devicelink::kMaxRegisterEntries) : 1;
}

int32_t SubValueCount(const devicelink::ChannelState& state, const devicelink::SensorAccessRecord* record)
{
    return std::clamp(record ? record->outputCount : state.outputCount, 1, kMaxSubValues);
}

bool IsEventKind(int32_t conversionKind)
{
    return conversionKind == devicelink::kConvertGateEvents || conversionKind == devicelink::kConvertSharedChangeEvents ||
           conversionKind == devicelink::kConvertChannelChangeEvents;
}

bool IsRecordableKind(int32_t conversionKind)
{
    return conversionKind != devicelink::kConvertGps && conversionKind != devicelink::kConvertBareCable;
}

int32_t UnitEntryOf(const devicelink::SensorAccessRecord& record, const devicelink::ChannelState& state,
                    int output)
{
    output = std::clamp(output, 0, devicelink::kMaxOutputs - 1);
    const int32_t choice = std::clamp(state.unitChoice[output], 0, devicelink::kMaxUnitChoices - 1);
    const int32_t number = record.outputUnits[output][choice];
    return number >= 1 && number <= devicelink::kMaxUnits ? number - 1 : 0;
}

int32_t MaxRateOf(const devicelink::SensorAccessRecord& record, const devicelink::ChannelState& state)
{
    return record.sampling[SamplingEntry(record, state)].maxRate;
}

int32_t DefaultRateOf(const devicelink::SensorAccessRecord& record, const devicelink::ChannelState& state)
{
    return record.sampling[SamplingEntry(record, state)].defaultRate;
}

std::u16string_view UnitText(const devicelink::SensorAccessRecord& record, int32_t unitEntry)
{
    return platform::FieldView(record.units[std::clamp(unitEntry, 0, devicelink::kMaxUnits - 1)].unit.display);
}

std::u16string_view OutputName(const devicelink::SensorAccessRecord& record, int output)
{
    return platform::FieldView(record.outputNames[std::clamp(output, 0, devicelink::kMaxOutputs - 1)]);
}

std::u16string_view ChannelName(const devicelink::ChannelState& state)
{
    return platform::FieldView(state.name);
}

bool IsPhotogate(const devicelink::ChannelState& state)
{
    const std::u16string_view code = platform::FieldView(state.modelCode);
    return platform::Contains(code, u"R7JE") || code == u"R7JF";
}

bool NeedsSetupBeforeRun(const devicelink::ChannelState& state)
{
    return platform::Contains(platform::FieldView(state.modelCode), u"N13E");
}

}  // namespace measure
