// Conversion throughput over one full channel array (1,048,576 samples), the size of a loaded
// run that every redraw converts again.
#include "devicelink/conversion/SampleConversion.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

using devicelink::ConversionParams;

constexpr int32_t kSamples = 1 << 20;

struct Run {
    std::vector<int32_t> raw;
    std::vector<int32_t> times;
    std::vector<float> values;
    std::vector<float> outTimes;
};

Run MakeRun(int32_t entries, uint32_t rawMask, uint32_t rawBase)
{
    Run run;
    std::mt19937 random(12345);
    run.raw.resize(size_t(kSamples) * entries);
    run.times.resize(run.raw.size());
    for (size_t k = 0; k < run.raw.size(); ++k) {
        run.raw[k] = int32_t(rawBase | (random() & rawMask));
        run.times[k] = int32_t(k / size_t(entries) * 100);
    }
    run.values.resize(size_t(kSamples) * 4);
    run.outTimes.resize(run.values.size());
    return run;
}

ConversionParams BaseParams(int32_t kind, int32_t entries)
{
    ConversionParams p{};
    p.conversionKind = kind;
    p.entriesPerSample = entries;
    p.outputsPerSample = 1;
    p.byteCount = 2;
    p.scaleA = 0.0125f;
    p.offsetB = -3.5f;
    p.multiplierM = 1.0f;
    p.timeScale = 0.001f;
    return p;
}

void Convert(benchmark::State& state, const ConversionParams& p, Run& run, int32_t timeOffset)
{
    for (auto _ : state) {
        int32_t produced = 0;
        devicelink::ConvertSamples(0, kSamples, run.raw.data(), run.times.data(), run.values.data(),
                                   run.outTimes.data(), timeOffset, &p, &produced);
        benchmark::DoNotOptimize(produced);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}

void BM_DefaultLinear(benchmark::State& state)
{
    Run run = MakeRun(1, 0xFFFF, 0);
    Convert(state, BaseParams(devicelink::kConvertCatalogueLine, 1), run, 0);
}

void BM_DefaultLinearValuesOnly(benchmark::State& state)
{
    Run run = MakeRun(1, 0xFFFF, 0);
    Convert(state, BaseParams(devicelink::kConvertCatalogueLine, 1), run, devicelink::kValuesOnlyTimeOffset);
}

void BM_Pressure(benchmark::State& state)
{
    Run run = MakeRun(3, 0x3FFF, 0x4000);
    ConversionParams p = BaseParams(devicelink::kConvertPressure, 3);
    const int32_t words[11] = {408, -72, -14383, 32741, 32757, 23153, 6190, 4, -32768, -8711, 2868};
    for (int k = 0; k < 11; ++k)
        p.calWords[k] = words[k];
    p.pointValues[0] = 1013.25f;
    Convert(state, p, run, 0);
}

void BM_Humidity(benchmark::State& state)
{
    Run run = MakeRun(1, 0x01FF01FF, 0x00400000);
    Convert(state, BaseParams(devicelink::kConvertHumidity, 1), run, 0);
}

void BM_SevenPoints(benchmark::State& state)
{
    Run run = MakeRun(1, 0xFFFF0000u, 0);
    ConversionParams p = BaseParams(devicelink::kConvertSevenPoints, 1);
    const int32_t raws[7] = {4000, 12000, 20000, 30000, 40000, 50000, 60000};
    const float points[7] = {1.0f, 3.2f, 5.1f, 7.7f, 10.0f, 12.5f, 15.0f};
    for (int k = 0; k < 7; ++k) {
        p.rawPoints[k] = raws[k];
        p.pointValues[k] = points[k];
    }
    Convert(state, p, run, 0);
}

}  // namespace

BENCHMARK(BM_DefaultLinear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DefaultLinearValuesOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pressure)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Humidity)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SevenPoints)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
