// One pass of the sensor monitor over the heaviest conversions side by side: a GPS receiver whose
// 500 newest characters hold NMEA sentences, a humidity and temperature probe, a barometer and a
// three-axis magnetic sensor, each described by the kit's catalogue, on the sensor object's own
// acquisition arrays. A pass never waits on the device, so this is all it costs.

#include "devicelink/sensor/CNI2CSensor.h"
#include "logger/monitor/core/MonitorPass.h"
#include "logger/monitor/core/MonitorSensor.h"
#include "platform/LittleEndian.h"
#include "platform/Text.h"

#include <benchmark/benchmark.h>

#include <span>
#include <string>

namespace {

// A logger that takes every request.
class AcceptingApi : public devicelink::SensorDeviceApi {
public:
    int Open() override { return 1; }
    void Close() override {}
    int Stop() override { return 1; }
    int SubmitRead(devicelink::MeasureRequest&) override { return 1; }
    int SubmitWrite(devicelink::MeasureRequest&) override { return 1; }
    int PollStatusWord() override { return 0x000F000F; }
    uint32_t GetFirmwareVersion() override { return 20130913; }
    int WriteBlock(const void*) override { return 1; }
};

struct BenchSensor {
    const char16_t* id;
    int32_t kind;
    const char16_t* name;
};
constexpr BenchSensor kSensors[4] = {
    {u"N24_GPS", devicelink::kConvertGps, u"GPS"},
    {u"R97_HUMIDITY_TEMP", devicelink::kConvertHumidity, u"Humidity"},
    {u"N11_BAROMETER", devicelink::kConvertPressure, u"Pressure"},
    {u"N56_MAGNETIC_3AXIS", devicelink::kConvertThreeAxis, u"Magnetic field"},
};
// The pressure sensor's calibration words, as its data sheet's worked example gives them.
constexpr int32_t kBarometerWords[11] = {408, -72, -14383, 32741, 32757, 23153, 6190, 4, -32768, -8711, 2868};
constexpr char kNmea[] =
    "$GPRMC,123519,A,3733.9924,N,12658.6782,E,0.0,0.0,230394,,,A*6A\r\n"
    "$GPGGA,123519,3733.9924,N,12658.6782,E,1,08,0.9,38.0,M,,M,,*47\r\n";

void Describe(devicelink::CNI2CSensor& sensor, int c, const BenchSensor& which)
{
    devicelink::ChannelState& s = sensor.channel(c);
    s = devicelink::ChannelState{};
    platform::CopyToField(s.sensorId, which.id);
    platform::CopyToField(s.name, which.name);
    s.conversionKind = which.kind;
    s.gain = 1.0f;
    s.timeUnit = 0.001f;
    s.timeFactor = 1.0f;
    s.accessIndex = -1;
    if (which.kind == devicelink::kConvertPressure) {
        std::copy(std::begin(kBarometerWords), std::end(kBarometerWords), s.calibration);
        platform::WriteLEFloat(std::span<uint8_t>(s.sensorMemory), 0, 1013.25f);
    }
    sensor.connected(c) = 1;
}

// Fills a channel's arrays with `count` entries as the driver would have delivered them.
void Deliver(devicelink::CNI2CSensor& sensor, int c, int32_t count)
{
    const devicelink::MeasureSetupHost& host = sensor.acquisitionRequest().host;
    const std::string text = kNmea;
    for (int32_t i = 0; i < count; ++i) {
        host.values[c][i] = c == 0 ? uint32_t(uint8_t(text[size_t(i) % text.size()])) : uint32_t(0x1234 + 7 * i);
        host.times[c][i] = 300 * i;
    }
    host.counts[c]->store(count, std::memory_order_release);
}

void MonitorPassBench(benchmark::State& state)
{
    AcceptingApi api;
    devicelink::CNI2CSensor sensor(api);
    if (sensor.LoadSensorXml(CORVIK_SOURCE_DIR "/resources/sensor_korean.xml") != 1 ||
        sensor.LoadCatalogue() != devicelink::kCatalogueOk) {
        state.SkipWithError("the kit's catalogue does not load");
        return;
    }
    for (int c = 0; c < 4; ++c) {
        Describe(sensor, c, kSensors[c]);
        const devicelink::SensorAccessRecord* record = sensor.FindSensorRecord(&sensor.channel(c));
        if (!record) {
            state.SkipWithError("a bench sensor is not in the catalogue");
            return;
        }
        sensor.channel(c).allOutputs = 1;
        Deliver(sensor, c, 1200 * std::max(record->registerCount, 1));
    }
    monitor::MonitorSensorAdapter adapter([&sensor] { return &sensor; });
    monitor::MonitorPass pass(adapter);
    pass.SetNoFixText(u"No fix");
    pass.Run();
    for (auto _ : state) {
        pass.Run();
        benchmark::DoNotOptimize(pass.Panel(0).texts.values[0].data());
    }
    state.counters["gps_lines"] = pass.Panel(0).texts.lines;
    state.counters["shown"] = pass.Slots().count;
}

BENCHMARK(MonitorPassBench)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
