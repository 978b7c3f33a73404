#pragma once

#include <cstdint>

#include "logger/monitor/core/MonitorSetup.h"
#include "logger/sensorsetup/core/SetupSensor.h"

// The calibration dialog's points and how they are stored: points in, the channel's memory image
// and the sensor's register writes out. A sensor that keeps its calibration in its own memory
// chip gets its user point set (each reference twice, the normal path's raws, then the fast
// path's) written back whole; an adapter sensor gets its plain point arrays written point by
// point, its first points kept aside for a later clear.
namespace sensorsetup {

// A live reading as a capture takes it; raws in the order the conversion reads them.
struct LiveReading {
    float value = 0.0f;
    float secondValue = 0.0f;
    int32_t raw = 0;
    int32_t secondRaw = 0;
};

// One channel's points as the dialog holds them.
struct ChannelPoints {
    int32_t count = 0;  // 0..3 rows
    float reference[monitor::kCalibrationPointsMax] = {};
    float measured[monitor::kCalibrationPointsMax] = {};
    int32_t raw[monitor::kCalibrationPointsMax] = {};
    int32_t secondRaw[monitor::kCalibrationPointsMax] = {};  // through the fast path
};

enum class PointsCheck {
    Storable,
    NoPoints,     // nothing to store: a channel without points keeps its calibration
    SameReading,  // two points with one raw value give no line
};

enum class StoreOutcome {
    Stored,
    NothingStored,
    NotAcknowledged,  // the sensor did not take every write: its memory may hold part of it
};

class CalibrationStore {
public:
    // The starting points (count 0 leaves a channel without points), and for sensors that keep
    // their points in their own memory the fast-path raws stored beside them, which a point
    // keeps until it is captured again. Reads the channels: call before the worker starts.
    void Load(const monitor::CalibrationPoints& points, SetupSensor& sensor);

    const ChannelPoints& Points(int channel) const;
    // Point `point` of the channel takes the reading.
    void Capture(int channel, int point, const LiveReading& reading);
    void SetReference(int channel, int point, float value);
    // Something was captured or a reference changed since Load.
    bool Changed(int channel) const;
    PointsCheck Check(int channel) const;

    // Writes the points into the channel's state and the sensor; by the sensor's only user.
    static StoreOutcome Store(SetupSensor& sensor, int channel, const ChannelPoints& points);

private:
    ChannelPoints points_[devicelink::kChannelStateCount];
    bool changed_[devicelink::kChannelStateCount] = {};
};

}  // namespace sensorsetup
