#include "logger/monitor/core/MonitorSetup.h"

#include <algorithm>
#include <filesystem>
#include <span>
#include <system_error>

#include "devicelink/sensor/SensorMemoryLayout.h"
#include "logger/monitor/core/MonitorSensor.h"
#include "platform/LittleEndian.h"
#include "platform/Text.h"

namespace monitor {

namespace {

// The points of the kinds that convert through calibration points; 0 for every other kind.
int32_t PointCountOfKind(int32_t kind)
{
    switch (kind) {
    case devicelink::kConvertOnePoint:
        return 1;
    case devicelink::kConvertTwoPoints:
    case devicelink::kConvertClampedTwoPoints:
        return 2;
    case devicelink::kConvertThreePoints:
        return 3;
    default:
        return 0;
    }
}

}  // namespace

void GatherChannelPoints(const devicelink::ChannelState& state, int32_t& count, float (&reference)[3],
                         float (&measured)[3], int32_t (&raw)[3])
{
    namespace memory = devicelink::memory;
    count = 0;
    std::fill(std::begin(reference), std::end(reference), 0.0f);
    std::fill(std::begin(measured), std::end(measured), 0.0f);
    std::fill(std::begin(raw), std::end(raw), 0);

    const std::span<const uint8_t> image(state.sensorMemory);
    const int32_t kind = state.conversionKind;
    const int32_t storedKind = int32_t(platform::ReadLE32(image, memory::kKind));
    // A sensor that keeps a one- to three-point calibration in its own memory: the user's points
    // when it holds them, else the shipped ones.
    const bool ownMemory = state.calibrationMode == 1 && devicelink::IsPointCalibrationKind(storedKind);
    const bool userSet = platform::ReadLE32(image, memory::kSecondKind) != 0;

    int32_t n = 0;
    if (ownMemory && (PointCountOfKind(kind) > 0 || kind == devicelink::kConvertMemoryLine))
        n = storedKind;
    else
        n = PointCountOfKind(kind);
    n = std::min(n, kCalibrationPointsMax);

    for (int32_t i = 0; i < n; ++i) {
        const size_t k = size_t(i);
        if (ownMemory) {
            const size_t values = userSet ? memory::kSecondValues : memory::kFirstValues;
            const size_t raws = userSet ? memory::kSecondRaws : memory::kFirstRaws;
            reference[k] = platform::ReadLEFloat(image, values + 4 * k);
            raw[k] = int16_t(platform::ReadLE16(image, raws + 2 * k));
        } else {
            reference[k] = platform::ReadLEFloat(image, memory::kPlainValues + 4 * k);
            raw[k] = int32_t(platform::ReadLE32(image, memory::kPlainRaws + 4 * k));
        }
        measured[k] = reference[k];
    }
    count = n;
}

CalibrationPoints GatherCalibrationPoints(MonitorSensor& sensor)
{
    CalibrationPoints points;
    for (int c = 0; c < devicelink::kChannelStateCount; ++c) {
        if (sensor.IsConnected(c))
            GatherChannelPoints(sensor.State(c), points.count[c], points.reference[c], points.measured[c],
                                points.raw[c]);
    }
    return points;
}

int FunctionGeneratorChannel(MonitorSensor& sensor)
{
    int found = -1;
    for (int c = 0; c < devicelink::kChannelStateCount; ++c) {
        if (sensor.IsConnected(c) && platform::Contains(platform::FieldView(sensor.State(c).modelCode), u"N19"))
            found = c;
    }
    return found;
}

std::optional<std::string> InfoPagePath(const std::string& dataDirectory, std::u16string_view infoFile)
{
    if (infoFile.empty() || infoFile.find(u'/') != std::u16string_view::npos ||
        infoFile.find(u'\\') != std::u16string_view::npos || infoFile.find(u"..") != std::u16string_view::npos)
        return std::nullopt;
    if (std::any_of(infoFile.begin(), infoFile.end(), [](char16_t c) { return c < 0x20; }))
        return std::nullopt;
    const std::filesystem::path path =
        std::filesystem::path(dataDirectory) / "Sensors" / std::filesystem::path(platform::Utf16ToUtf8(infoFile));
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    return path.string();
}

}  // namespace monitor
