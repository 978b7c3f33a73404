#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "devicelink/sensor/CNI2CSensor.h"
#include "devicelink/sensor/OutputUnit.h"
#include "logger/project/ExperimentRecords.h"
#include "platform/Text.h"
#include "uikit/chart/CNIXYChart.h"

namespace reporttest {

// What the measurement screen shows of a loaded data set, while that screen is not built: every
// recorded channel's entries converted through the sensor object with the set's channel state,
// one series per value (channel + 4 x value), named "%s(%s)" or "%s-%s(%s)".
inline void ShowRunOnChart(devicelink::CNI2CSensor& sensor, const project::DataSetRecord& record,
                           const project::SampleArrays& samples, uikit::CNIXYChart& chart,
                           const std::u16string& timeTitle)
{
    chart.FreeAllSeries();
    for (int s = 0; s < uikit::kChartSeriesCount; ++s)
        chart.ShowSeries(s, 0);
    static constexpr uint32_t kColours[4] = {0x3134DE, 0xFF01A8, 0xEF9200, 0x0A912A};
    for (int c = 0; c < project::kChannelCount; ++c) {
        const int entries = project::StoredEntryCount(record, c);
        if (record.channelRecorded[c] != 1 || entries == 0)
            continue;
        const devicelink::ChannelState state = project::ToDeviceState(record.channels[c]);
        const devicelink::SensorAccessRecord* access = sensor.FindSensorRecord(&state);
        if (!access)
            continue;
        const int perSample = std::max(1, access->registerCount);
        const int count = entries / perSample;
        const int outputs = std::clamp(access->outputCount, 1, 4);
        std::vector<float> values(size_t(count) * 4), times(size_t(count) * 4);
        for (int v = 0; v < outputs; ++v) {
            devicelink::ChannelState copy = state;
            copy.selectedOutput = v;
            copy.allOutputs = 0;
            int32_t produced = 0;
            sensor.ResetChannelFilter(c);
            sensor.ConvertChannelData(c, 0, count, reinterpret_cast<const int32_t*>(samples.rawValues[c]),
                                      samples.rawTimes[c], values.data(), times.data(), samples.rawTimes[c][0],
                                      access, &copy, &produced);
            const int s = c + 4 * v;
            const devicelink::SensorUnitEntry& unit = access->units[devicelink::OutputUnitIndex(*access, copy, v)];
            const std::u16string unitText(platform::FieldView(unit.unit.display));
            std::u16string name(platform::FieldView(state.name));
            if (outputs > 1)
                name += u"-" + std::u16string(platform::FieldView(access->outputNames[v]));
            name += u"(" + unitText + u")";
            chart.AllocSeries(s, std::max(produced, 1), kColours[c]);
            chart.SetSeriesData(s, produced, values.data(), times.data(), 0, -1, s, -1);
            chart.SetSeriesName(s, timeTitle, name);
            chart.SetSeriesDecimals(s, unit.significantDigits);
            chart.SetYAxis(s, unit.rangeMin, unit.rangeMax, 1.0f, unitText.c_str());
            chart.SetXAxis(s, 0.0f, float(record.length), 1.0f, nullptr);
            chart.SetAutoScale(s, 1, 0);
            chart.SetSeriesMargin(s, unit.rangeMin, unit.rangeMax, 8.0f);
            chart.ShowSeries(s, 1);
        }
    }
    chart.SetCurrentSeries(std::max(record.selectedChannel, 0));
}

}  // namespace reporttest
