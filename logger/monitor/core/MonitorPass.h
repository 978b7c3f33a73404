#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "devicelink/protocol/Vocabulary.h"
#include "logger/monitor/core/MonitorLayout.h"
#include "logger/monitor/core/MonitorSensor.h"
#include "logger/monitor/core/MonitorTextRules.h"

// One pass of the sensor monitor: the newest sample of every connected channel becomes the texts,
// trend and slot of its panel. It reads the acquisition arrays as the driver leaves them and
// never waits on the device.
namespace monitor {

// Trend of a panel's first output since the pass before.
enum Trend : int { kFalling = 0, kSteady = 1, kRising = 2 };

struct MonitorPanel {
    PanelTexts texts;
    int trend = kSteady;
    float newest = 0.0f;     // output 0 of the newest sample
    uint32_t newestRaw = 0;  // its first raw entry
    bool hasValue = false;   // a sample was converted since the start
};

class MonitorPass {
public:
    // The position sensor's conversion reads this many samples back from the newest, so that a
    // whole NMEA sentence is among them.
    static constexpr int32_t kPositionWindow = 500;

    explicit MonitorPass(MonitorSensor& sensor);

    // The text shown for a position sensor without a fix.
    void SetNoFixText(std::u16string text) { noFixText_ = std::move(text); }
    // Nothing shown yet: no texts, no trend, an empty slot map.
    void Reset();
    // A new start of the run: every panel keeps its texts until the next pass, which takes them
    // afresh (the units may have changed meanwhile).
    void Restart();
    // One pass; true when the slot map changed (the page behind the panels must be redrawn).
    bool Run();

    const MonitorPanel& Panel(int channel) const { return panels_[size_t(channel)]; }
    const SlotMap& Slots() const { return slots_; }

private:
    // The newest outputs of a channel into outputs_; false when its conversion gave none.
    bool Convert(int channel, const devicelink::SensorAccessRecord& record, const measure::AcquisitionArrays& arrays,
                 int32_t count, MonitorPanel& panel);
    void Show(int channel, const devicelink::SensorAccessRecord& record, MonitorPanel& panel, bool fresh);

    MonitorSensor& sensor_;
    std::u16string noFixText_;
    std::array<MonitorPanel, kPanelSlots> panels_{};
    SlotMap slots_;
    // Conversion output, count x kMaxOutputs for the longest conversion (the position window).
    std::vector<float> values_;
    std::vector<float> times_;
};

}  // namespace monitor
