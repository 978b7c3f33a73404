#include "logger/sensorsetup/core/CalibrationStore.h"

#include <algorithm>
#include <span>

#include "devicelink/protocol/Vocabulary.h"
#include "devicelink/sensor/SensorMemoryLayout.h"
#include "platform/LittleEndian.h"

namespace sensorsetup {

namespace {

namespace memory = devicelink::memory;

bool ValidChannel(int channel)
{
    return channel >= 0 && channel < devicelink::kChannelStateCount;
}

bool ValidPoint(int point)
{
    return point >= 0 && point < monitor::kCalibrationPointsMax;
}

int32_t CountOf(const ChannelPoints& points)
{
    return std::clamp(points.count, 0, monitor::kCalibrationPointsMax);
}

// The point set a memory-chip sensor's conversion reads: the user's once it holds one.
size_t StoredRawsOf(std::span<const uint8_t> image)
{
    return platform::ReadLE32(image, memory::kSecondKind) != 0 ? memory::kSecondRaws : memory::kFirstRaws;
}

bool KeepsPointsInMemory(const devicelink::ChannelState& state)
{
    const int32_t kind = int32_t(platform::ReadLE32(state.sensorMemory, memory::kKind));
    return state.calibrationMode == 1 && devicelink::IsPointCalibrationKind(kind);
}

StoreOutcome StoreInSensorMemory(SetupSensor& sensor, int channel, const ChannelPoints& points)
{
    devicelink::ChannelState& state = sensor.State(channel);
    const int32_t n = CountOf(points);
    float values[2 * monitor::kCalibrationPointsMax] = {};
    int32_t raws[2 * monitor::kCalibrationPointsMax] = {};
    for (int32_t i = 0; i < n; ++i) {
        values[i] = values[n + i] = points.reference[i];
        raws[i] = points.raw[i];
        raws[n + i] = points.secondRaw[i];
    }
    // The user's set now names as many points as the shipped one.
    platform::WriteLE32(state.sensorMemory, memory::kSecondKind, uint32_t(n));
    if (state.sensorFamily == devicelink::kWEepromType)
        state.conversionKind = n;
    return sensor.SetCalibration(channel, n, values, raws) ? StoreOutcome::Stored : StoreOutcome::NotAcknowledged;
}

StoreOutcome StoreInAdapter(SetupSensor& sensor, int channel, const ChannelPoints& points)
{
    devicelink::ChannelState& state = sensor.State(channel);
    const std::span<uint8_t> image(state.sensorMemory);
    const int32_t n = CountOf(points);
    for (int32_t i = 0; i < n; ++i) {
        const size_t k = size_t(i);
        // The first points the adapter came with are kept, so that a clear can go back to them.
        if (state.originRaw[k] == 0)
            state.originRaw[k] = int32_t(platform::ReadLE32(image, memory::kPlainRaws + 4 * k));
        platform::WriteLE32(image, memory::kPlainRaws + 4 * k, uint32_t(points.raw[i]));
        if (state.originReference[k] == 0.0f)
            state.originReference[k] = platform::ReadLEFloat(image, memory::kPlainValues + 4 * k);
        platform::WriteLEFloat(image, memory::kPlainValues + 4 * k, points.reference[i]);
    }
    float values[devicelink::kCalibrationOriginPoints] = {};
    int32_t raws[devicelink::kCalibrationOriginPoints] = {};
    for (size_t k = 0; k < std::size(values); ++k) {
        values[k] = platform::ReadLEFloat(image, memory::kPlainValues + 4 * k);
        raws[k] = int32_t(platform::ReadLE32(image, memory::kPlainRaws + 4 * k));
    }
    return sensor.SetCalibration(channel, n, values, raws) ? StoreOutcome::Stored : StoreOutcome::NotAcknowledged;
}

}  // namespace

void CalibrationStore::Load(const monitor::CalibrationPoints& points, SetupSensor& sensor)
{
    for (int c = 0; c < devicelink::kChannelStateCount; ++c) {
        ChannelPoints& p = points_[c];
        p = ChannelPoints{};
        changed_[c] = false;
        p.count = std::clamp(points.count[c], 0, monitor::kCalibrationPointsMax);
        for (int32_t i = 0; i < p.count; ++i) {
            p.reference[i] = points.reference[c][i];
            p.measured[i] = points.measured[c][i];
            p.raw[i] = points.raw[c][i];
        }
        const devicelink::ChannelState& state = sensor.State(c);
        if (p.count == 0 || !KeepsPointsInMemory(state))
            continue;
        // The fast path's raws follow the normal path's n in the stored set.
        const std::span<const uint8_t> image(state.sensorMemory);
        const size_t raws = StoredRawsOf(image);
        for (int32_t i = 0; i < p.count; ++i)
            p.secondRaw[i] = int16_t(platform::ReadLE16(image, raws + 2 * size_t(p.count + i)));
    }
}

const ChannelPoints& CalibrationStore::Points(int channel) const
{
    return points_[ValidChannel(channel) ? channel : 0];
}

void CalibrationStore::Capture(int channel, int point, const LiveReading& reading)
{
    if (!ValidChannel(channel) || !ValidPoint(point) || point >= points_[channel].count)
        return;
    ChannelPoints& p = points_[channel];
    p.measured[point] = reading.value;
    p.raw[point] = reading.raw;
    p.secondRaw[point] = reading.secondRaw;
    changed_[channel] = true;
}

void CalibrationStore::SetReference(int channel, int point, float value)
{
    if (!ValidChannel(channel) || !ValidPoint(point) || point >= points_[channel].count)
        return;
    float& reference = points_[channel].reference[point];
    if (reference != value)
        changed_[channel] = true;
    reference = value;
}

bool CalibrationStore::Changed(int channel) const
{
    return ValidChannel(channel) && changed_[channel];
}

PointsCheck CalibrationStore::Check(int channel) const
{
    const ChannelPoints& p = Points(channel);
    const int32_t n = CountOf(p);
    if (!ValidChannel(channel) || n == 0)
        return PointsCheck::NoPoints;
    for (int32_t i = 0; i < n; ++i) {
        for (int32_t j = i + 1; j < n; ++j) {
            if (p.raw[i] == p.raw[j])
                return PointsCheck::SameReading;
        }
    }
    return PointsCheck::Storable;
}

StoreOutcome CalibrationStore::Store(SetupSensor& sensor, int channel, const ChannelPoints& points)
{
    // Without points there is nothing to store: writing would leave the sensor with a kind of 0
    // points, and its readings would fall back to the raw formula.
    if (!ValidChannel(channel) || CountOf(points) == 0)
        return StoreOutcome::NothingStored;
    if (sensor.State(channel).calibrationMode == 1)
        return StoreInSensorMemory(sensor, channel, points);
    return StoreInAdapter(sensor, channel, points);
}

}  // namespace sensorsetup
