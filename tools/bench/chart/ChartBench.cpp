// Redraw time of a live-run chart: 800 x 415 with 4 or 16 series of 1,048,576 points each, X
// non-decreasing (time) and Y auto-scaled, as the measurement screen draws on every wake-up.

#include "uikit/chart/CNIXYChart.h"

#include <benchmark/benchmark.h>

#include <QObject>

#include <cmath>

namespace {

constexpr int kPoints = 0x100000;

// Noise is given as a fraction of the signal's amplitude: 0.01 is a sensor's ordinary noise; at
// 0.2 every pixel column holds a swing of a fifth of the plot, the most expensive line to draw.
void FillSeries(uikit::CNIXYChart& chart, int series, double noise)
{
    chart.AllocSeries(series, kPoints, 0x3134DE + uint32_t(series) * 0x0F0F00);
    uikit::ChartSeries& s = *chart.Series(series);
    // Three slow periods across the run (a pendulum, a cooling curve) and the noise on top.
    const double slow = 2.0 * 3.14159265358979 * 3.0 / kPoints;
    for (int i = 0; i < kPoints; ++i) {
        s.times[i] = float(i) * 0.001f;
        s.values[i] = float((std::sin(i * slow + series) + std::sin(i * 0.31) * noise) * (1 + series));
    }
    s.used = kPoints;
    s.hasData = 1;
    s.penWidth = series < 16 ? 3 : 2;
    chart.SetYAxis(series, -1, 1, 1.0f, u"V");
    chart.SetXAxis(series, 0, kPoints * 0.001f, 1.0f, u"s");
    chart.SetAutoScale(series, 1, 0);
    chart.SetSeriesName(series, u"Time(s)", u"Voltage(V)");
    chart.ShowSeries(series, 1);
}

void RedrawBench(benchmark::State& state)
{
    const int seriesCount = int(state.range(0));
    const double noise = double(state.range(1)) / 100.0;
    QObject owner;
    uikit::CNIXYChart chart;
    uikit::GetChartSeriesTable(chart.SeriesTable());
    chart.Create(&owner, 800, 415, 0xF0F0F0, QStringLiteral("tahoma"));
    chart.SetColors(0xF0F0F0, 0, 0xC8C8C8, 0xC8C8C8);
    chart.SetLineMode(1);
    for (int i = 0; i < seriesCount; ++i)
        FillSeries(chart, i, noise);
    chart.SetCurrentSeries(0);
    for (auto _ : state) {
        chart.Redraw();
        benchmark::DoNotOptimize(chart.GetMemoryDC());
    }
    chart.FreeAllSeries();
}

BENCHMARK(RedrawBench)
    ->ArgNames({"series", "noise%"})
    ->Args({4, 1})
    ->Args({16, 1})
    ->Args({4, 20})
    ->Args({16, 20})
    ->Unit(benchmark::kMillisecond);

}  // namespace
