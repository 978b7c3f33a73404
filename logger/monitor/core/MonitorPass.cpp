#include "logger/monitor/core/MonitorPass.h"

#include <algorithm>

#include "logger/measure/core/ChannelInfo.h"

namespace monitor {

MonitorPass::MonitorPass(MonitorSensor& sensor)
    : sensor_(sensor),
      values_(size_t(kPositionWindow) * devicelink::kMaxOutputs),
      times_(size_t(kPositionWindow) * devicelink::kMaxOutputs)
{
}

void MonitorPass::Reset()
{
    panels_ = {};
    slots_ = SlotMap{};
}

void MonitorPass::Restart()
{
    for (MonitorPanel& panel : panels_)
        panel.hasValue = false;
}

bool MonitorPass::Run()
{
    // Built here and taken only at the end, so that a channel that gives nothing this time keeps
    // its slot and the channels after it still get theirs.
    SlotMap slotMap;
    for (int c = 0; c < kPanelSlots; ++c) {
        if (!sensor_.IsConnected(c))
            continue;
        // Nothing can be said of a sensor that no record describes.
        const devicelink::SensorAccessRecord* record = sensor_.FindRecord(c);
        if (!record)
            continue;
        slotMap.Add(c);
        MonitorPanel& panel = panels_[size_t(c)];
        const measure::AcquisitionArrays arrays = sensor_.Arrays(c);
        const int32_t count =
            arrays.Bound() ? std::clamp(arrays.count->load(std::memory_order_acquire), 0, arrays.capacity) : 0;
        // Until a whole sample of this start arrived, the arrays still hold an earlier run's.
        const bool fresh = count >= measure::ValuesPerSample(record) && Convert(c, *record, arrays, count, panel);
        Show(c, *record, panel, fresh);
    }
    const bool changed = !(slotMap == slots_);
    slots_ = slotMap;
    return changed;
}

bool MonitorPass::Convert(int c, const devicelink::SensorAccessRecord& record, const measure::AcquisitionArrays& arrays,
                          int32_t count, MonitorPanel& panel)
{
    const int32_t entries = measure::ValuesPerSample(&record);
    const int32_t newest = count - entries;
    const int32_t* raw = reinterpret_cast<const int32_t*>(arrays.values);
    panel.newestRaw = arrays.values[newest];
    std::fill_n(values_.begin(), devicelink::kMaxOutputs, 0.0f);

    if (sensor_.State(c).conversionKind == devicelink::kConvertGps) {
        // One character a sample: the sentence lies in the samples up to the newest, never past
        // it (nor past the arrays' start after the driver began again there).
        const int32_t samples = std::min(count / entries, kPositionWindow);
        const int32_t first = count - samples * entries;
        sensor_.Convert(c, samples, raw + first, arrays.times + first, values_.data(), times_.data());
        // Without a sentence the conversion leaves the last good fix (zeros before the first),
        // and the panel says so: there is always something to show.
        return true;
    }
    return sensor_.Convert(c, 1, raw + newest, arrays.times + newest, values_.data(), times_.data()) >= 1;
}

void MonitorPass::Show(int c, const devicelink::SensorAccessRecord& record, MonitorPanel& panel, bool fresh)
{
    const devicelink::ChannelState& state = sensor_.State(c);
    if (fresh) {
        const float value = values_[0];
        panel.texts = ComposePanelTexts(state, record, values_.data(), noFixText_);
        // The first value of a start has nothing to compare with.
        panel.trend = !panel.hasValue     ? kSteady
                      : value > panel.newest ? kRising
                      : value < panel.newest ? kFalling
                                             : kSteady;
        panel.newest = value;
        panel.hasValue = true;
        return;
    }
    // A channel that gave nothing keeps what it showed.
    if (panel.hasValue)
        return;
    // Nothing since the start: the name and units show at once. An event sensor reads zero until
    // its first event; any other sensor's values wait for its first sample.
    const float zeros[kPanelValues] = {};
    panel.texts = ComposePanelTexts(state, record, zeros, noFixText_);
    if (!measure::IsEventKind(state.conversionKind)) {
        for (std::u16string& text : panel.texts.values)
            text.clear();
        panel.texts.single.clear();
    }
}

}  // namespace monitor
