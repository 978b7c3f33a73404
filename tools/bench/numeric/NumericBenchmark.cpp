// Analyses of a whole recorded run (1,048,576 points, the longest a channel holds), as the user
// waits for them. The counter "per_point" gives the time per point.

#include "numeric/CurveFits.h"
#include "numeric/SampleAnalysis.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kPoints = 1 << 20;

// A cooling curve sampled every 10 ms for 175 minutes: 21 + 60*exp(-t/3000).
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
            y[i] = static_cast<float>(21.0 + 60.0 * std::exp(-t / 3000.0));
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
    // Only a successful analysis takes every pass; a refusal would time an early return.
    const int first = call(run);
    if (first < 1 || first > 255) {
        state.SkipWithError("the analysis did not succeed on the benchmark run");
        return;
    }
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
