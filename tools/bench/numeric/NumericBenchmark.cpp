// Analyses of a whole recorded run (1,048,576 points, the longest a channel holds), as the user
// waits for them. The counter "per_point" gives the time per point.

#include "logger/analysis/numeric/CurveFits.h"
#include "logger/analysis/numeric/SampleAnalysis.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kPoints = 1 << 20;

// A noisy cooling curve sampled every 10 ms: 21 + 60*exp(-t/300) plus a small ripple.
struct Run {
    std::vector<float> x;
    std::vector<float> y;
    std::vector<float> curve;
    float result[numeric::kFitResultLength] = {};

    Run() : x(kPoints), y(kPoints), curve(kPoints)
    {
        for (int i = 0; i < kPoints; ++i) {
            const double t = 0.01 * i;
            x[i] = static_cast<float>(t);
            y[i] = static_cast<float>(21.0 + 60.0 * std::exp(-t / 3000.0) + 0.05 * std::sin(7.0 * t));
        }
    }
};

Run& SharedRun()
{
    static Run run;
    return run;
}

// Seconds per point, printed with an SI prefix ("3.1n" is 3.1 ns).
void ReportPerPoint(benchmark::State& state)
{
    state.counters["per_point"] =
        benchmark::Counter(kPoints, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

template <typename Call>
void Measure(benchmark::State& state, Call call)
{
    Run& run = SharedRun();
    for (auto _ : state) {
        const int status = call(run);
        benchmark::DoNotOptimize(status);
        benchmark::DoNotOptimize(run.result);
        benchmark::ClobberMemory();
    }
    ReportPerPoint(state);
}

void BM_FitLinear(benchmark::State& state)
{
    Measure(state, [](Run& r) { return numeric::FitLinear(0, kPoints, kPoints, r.x.data(), r.y.data(), r.curve.data(), r.result); });
}

void BM_FitPolynomial5(benchmark::State& state)
{
    Measure(state, [](Run& r) {
        return numeric::FitPolynomial(0, kPoints, kPoints, 5, r.x.data(), r.y.data(), r.curve.data(), r.result);
    });
}

void BM_FitExponentialOffset(benchmark::State& state)
{
    Measure(state, [](Run& r) {
        return numeric::FitExponentialOffset(0, kPoints - 1, kPoints, r.x.data(), r.y.data(), r.curve.data(), r.result);
    });
}

void BM_ConfidenceStats(benchmark::State& state)
{
    Measure(state, [](Run& r) {
        return numeric::ConfidenceStats(0, kPoints, kPoints, r.x.data(), r.y.data(), r.curve.data(), r.result);
    });
}

BENCHMARK(BM_FitLinear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FitPolynomial5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FitExponentialOffset)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConfidenceStats)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
