// One wake-up of a live run: four channels sampling at 10 kHz each deliver a signal's worth of
// entries (0.2 s, 2,000 a channel); the controller takes them into the data set, converts them,
// appends them to series that already hold (all but the last few wake-ups of) 1,048,576 points
// and redraws the 800 x 415 chart. Each repetition records a whole run up to that point first.

#include "devicelink/sensor/CNI2CSensor.h"
#include "logger/measure/core/MeasureController.h"
#include "logger/measure/core/SensorObjectAdapter.h"
#include "logger/measure/XYChartRunChart.h"
#include "logger/project/RunStore.h"
#include "platform/Text.h"
#include "uikit/chart/CNIXYChart.h"

#include <benchmark/benchmark.h>

#include <QObject>

#include <cmath>
#include <memory>

namespace {

constexpr int kChannels = 4;
constexpr int kPoints = 0x100000;
constexpr int kEntriesPerWakeUp = 2000;   // 0.2 s at 10 kHz: the driver's signal interval
constexpr int kTimedWakeUps = 4;

// A logger that takes every request and answers every transaction at once.
class AnsweringApi : public devicelink::SensorDeviceApi {
public:
    int Open() override { return 1; }
    void Close() override {}
    int Stop() override { return 1; }
    int SubmitRead(devicelink::MeasureRequest& request) override { return Answer(request); }
    int SubmitWrite(devicelink::MeasureRequest& request) override { return Answer(request); }
    int PollStatusWord() override { return 0x000F000F; }
    uint32_t GetFirmwareVersion() override { return 20130913; }
    int WriteBlock(const void*) override { return 1; }

private:
    static int Answer(devicelink::MeasureRequest& request)
    {
        if (request.block.kind == devicelink::kind::kSingle && request.host.event)
            request.host.event->Set();
        return 1;
    }
};

class QuietHost : public measure::MeasureScreenHost {
public:
    int ShowMessage(int, int, int) override { return 1; }
    std::u16string Text(int) override { return u"Time (s)"; }
    void StartTimer(int, int) override {}
    void KillTimer(int) override {}
    void PostWakeUp(uint32_t) override {}
    void Invalidate() override {}
    void ControlsChanged() override {}
    void GoToSensorScreen() override {}
};

class NoStore : public project::RunStore {
public:
    project::ProjectResult SaveProject() override { return project::ProjectResult::Ok; }
    project::ProjectResult SaveProjectKeepRecord() override { return project::ProjectResult::Ok; }
    project::ProjectResult LoadProject() override { return project::ProjectResult::Ok; }
};

// A 12-bit voltage probe, +-10 V, up to 10 kHz, on channel c.
void DescribeProbe(devicelink::CNI2CSensor& sensor, int c)
{
    auto& records = sensor.catalogue().accessRecords();
    records.resize(kChannels);
    devicelink::SensorAccessRecord& r = records[size_t(c)];
    r = devicelink::SensorAccessRecord{};
    platform::CopyToField(r.id, u"BENCH_VOLTAGE");
    r.address = 113;
    r.byteCount = 2;
    r.registerCount = 1;
    r.readMask[0] = 0xFFFF;
    r.outputCount = 1;
    r.outputUnits[0][0] = 1;
    r.unitCount = 1;
    platform::CopyToField(r.units[0].unit.display, u"V");
    r.units[0].rangeMin = -10.0f;
    r.units[0].rangeMax = 10.0f;
    r.units[0].significantDigits = 3;
    r.scale[0] = 20.0f / 4095.0f;
    r.offset[0] = -10.0f;
    r.samplingCount = 1;
    r.sampling[0].maxRate = 10000;
    std::fill(std::begin(r.writeType), std::end(r.writeType), -1);

    devicelink::ChannelState& s = sensor.channel(c);
    s = devicelink::ChannelState{};
    platform::CopyToField(s.sensorId, u"BENCH_VOLTAGE");
    platform::CopyToField(s.modelCode, u"B75");
    platform::CopyToField(s.name, u"Voltage");
    s.accessIndex = c;
    s.gain = 1.0f;
    s.timeUnit = 0.001f;
    s.timeFactor = 1.0f;
    sensor.connected(c) = 1;
}

void WakeUpBench(benchmark::State& state)
{
    AnsweringApi api;
    devicelink::CNI2CSensor sensor(api);
    for (int c = 0; c < kChannels; ++c)
        DescribeProbe(sensor, c);
    measure::SensorObjectAdapter adapter(&sensor);
    QObject owner;
    uikit::CNIXYChart xyChart;
    uikit::GetChartSeriesTable(xyChart.SeriesTable());
    xyChart.Create(&owner, 800, 415, 0xF0F0F0, QStringLiteral("tahoma"));
    xyChart.SetColors(0xF0F0F0, 0, 0xC8C8C8, 0xC8C8C8);
    xyChart.SetLineMode(1);
    measure::XYChartRunChart chart(xyChart);
    QuietHost host;
    NoStore store;
    auto block = std::make_unique<project::ExperimentBlock>();
    auto samples = std::make_unique<project::SampleArrays>();
    measure::MeasureController controller(*block, *samples, store, adapter, chart, host);
    controller.NewRun();
    for (int c = 0; c < kChannels; ++c)
        controller.SetChannel(c, true);
    controller.CurrentRun()->rate = 10000;
    controller.CurrentRun()->length = 104;
    controller.CurrentRun()->stopCount = 0;   // goes on until stopped
    controller.Start();
    // The run's own series hold rate x length points (1,040,000) and scroll once full; the
    // first variant gives them the store's full 1,048,576.
    if (state.range(0) == 0) {
        for (int c = 0; c < kChannels; ++c)
            xyChart.AllocSeries(c, kPoints, 0x3134DE);
    }

    // The driver's entries of the whole run: a slow sine with a little noise.
    const devicelink::MeasureSetupHost& h = sensor.acquisitionRequest().host;
    for (int c = 0; c < kChannels; ++c) {
        for (int i = 0; i < kPoints; ++i) {
            const double v = std::sin(i * 2e-4 + c) * 1800.0 + std::sin(i * 0.31) * 20.0 + 2048.0;
            h.values[c][i] = uint32_t(v);
            h.times[c][i] = 100 * i;
        }
    }
    // Late in the run: the series hold all but the last few wake-ups' points.
    int32_t delivered = kPoints - kTimedWakeUps * kEntriesPerWakeUp - 1;
    for (int c = 0; c < kChannels; ++c)
        h.counts[c]->store(delivered, std::memory_order_release);
    controller.OnWakeUp(controller.Generation());
    controller.OnPainted();

    for (auto _ : state) {
        delivered += kEntriesPerWakeUp;
        for (int c = 0; c < kChannels; ++c)
            h.counts[c]->store(delivered, std::memory_order_release);
        controller.OnWakeUp(controller.Generation());
        controller.OnPainted();   // as the screen's paint does
        benchmark::DoNotOptimize(xyChart.GetMemoryDC());
    }
    state.counters["points_per_series"] = double(xyChart.Series(0)->used);
    state.counters["running"] = controller.IsIdle() ? 0.0 : 1.0;
    controller.Shutdown();
    xyChart.FreeAllSeries();
}

BENCHMARK(WakeUpBench)
    ->ArgName("scrolling")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(kTimedWakeUps)
    ->Repetitions(8)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

}  // namespace
