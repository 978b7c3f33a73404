#pragma once

#include "uikit/chart/CNIXYChart.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QObject>

#include <vector>

namespace charttest {

// Fonts need a GUI application; the suite makes one, on the offscreen platform, and keeps it
// to the end of the process (destroying it during static destruction would outlive Qt's own).
inline void EnsureGuiApp()
{
    if (QGuiApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "chart_tests";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}

// A chart bound to the process-wide series records, which every test starts with cleared.
class ChartTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGuiApp();
        uikit::GetChartSeriesTable(chart.SeriesTable());
        chart.FreeAllSeries();
        for (int i = 0; i < uikit::kChartSeriesCount; ++i)
            ResetRecord(*uikit::SharedChartSeries(i));
    }
    void TearDown() override { chart.FreeAllSeries(); }

    static void ResetRecord(uikit::ChartSeries& s)
    {
        uikit::FreeSeriesBuffers(s);
        s.hasData = 0;
        s.state = 0;
        s.link = -1;
        s.xAxis = uikit::ChartAxis{};
        s.yAxis = uikit::ChartAxis{};
        s.selectionFirst = s.selectionLast = 0;
        s.margin = 0.0f;
        s.cursorIndex = 0;
    }

    void Create(int width = 400, int height = 200)
    {
        ASSERT_EQ(chart.Create(&owner, width, height, 0xF0F0F0, QStringLiteral("tahoma")), 1);
        chart.SetColors(0xF0F0F0, 0, 0xC8C8C8, 0xC8C8C8);
    }

    // A shown series of `count` points, x = 0..count-1, values from `value(i)`, fixed axes.
    template <typename F>
    void AddSeries(int series, int count, uint32_t colour, F value, float yMin = 0.0f, float yMax = 10.0f)
    {
        ASSERT_EQ(chart.AllocSeries(series, count, colour), 1);
        std::vector<float> values(static_cast<size_t>(count)), times(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            times[size_t(i)] = float(i);
            values[size_t(i)] = float(value(i));
        }
        ASSERT_EQ(chart.SetSeriesData(series, count, values.data(), times.data(), 0, -1, series, -1), series);
        chart.SetXAxis(series, 0.0f, float(count - 1), 1.0f, u"s");
        chart.SetYAxis(series, yMin, yMax, 1.0f, u"V");
        chart.ShowSeries(series, 1);
    }

    QObject owner;
    uikit::CNIXYChart chart;
};

}  // namespace charttest
