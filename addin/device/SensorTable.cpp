#include "addin/device/SensorTable.h"

#include "devicelink/catalogue/SensorCatalogue.h"
#include "devicelink/sensor/ChannelState.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstring>

namespace addin::device {

namespace {

std::u16string_view WithoutExtension(std::u16string_view file)
{
    const size_t dot = file.rfind(u'.');
    return dot == std::u16string_view::npos ? file : file.substr(0, dot);
}

}  // namespace

int32_t OutputSelectorOf(const devicelink::ChannelState& state)
{
    const int32_t kind = state.conversionKind;
    const int32_t output = state.selectedOutput;
    switch (kind) {
    case devicelink::kConvertOnePoint:
    case devicelink::kConvertTwoPoints:
    case devicelink::kConvertThreePoints:
    case devicelink::kConvertClampedTwoPoints:
        return state.allOutputs == 1 && output >= 1 && output <= 3 ? output : kind;
    case devicelink::kConvertMemoryLine:
        return output == 5 ? 2 : output;
    case devicelink::kConvertTwoSlopes:
        return output == 5 ? 2 : 0;
    default:
        return 0;
    }
}

void FillTableEntry(SensorTableEntry& entry, const devicelink::ChannelState& state,
                    const devicelink::SensorAccessRecord& record)
{
    const int32_t keptState = entry.state;
    std::memset(&entry, 0, sizeof entry);
    entry.state = keptState;
    platform::CopyToField(entry.sensorCode, platform::FieldView(state.modelCode));
    platform::CopyToField(entry.sensorName, platform::FieldView(state.name));
    platform::CopyToField(entry.infoPageFile, platform::FieldView(state.infoFile));
    platform::CopyToField(entry.infoPageName, WithoutExtension(platform::FieldView(state.infoFile)));

    entry.quantityCount = std::clamp(record.outputCount, 0, kMaxQuantities);
    for (int q = 0; q < entry.quantityCount; ++q) {
        platform::CopyToField(entry.quantityNames[q], platform::FieldView(record.outputNames[q]));
        int units = 0;
        for (int u = 0; u < kMaxQuantityUnits; ++u) {
            const int32_t number = record.outputUnits[q][u];
            if (number < 1 || number > devicelink::kMaxUnits)
                continue;
            const devicelink::SensorUnitEntry& unit = record.units[number - 1];
            entry.decimals[q][units] = unit.significantDigits;
            platform::CopyToField(entry.unitTexts[q][units], platform::FieldView(unit.unit.display));
            entry.unitMinimum[q][units] = unit.rangeMin;
            entry.unitMaximum[q][units] = unit.rangeMax;
            ++units;
        }
        entry.unitCounts[q] = units;
    }
    const int samplings = std::clamp(record.samplingCount, 0, devicelink::kMaxSamplingEntries);
    for (int s = 0; s < std::max(samplings, 1); ++s)
        entry.maximumRate = std::max(entry.maximumRate, record.sampling[s].maxRate);
    entry.outputSelector = OutputSelectorOf(state);
    entry.channelOption = state.adcFlag;
    entry.minimumReadingTime = record.minReadingTimeUs;
}

}  // namespace addin::device
