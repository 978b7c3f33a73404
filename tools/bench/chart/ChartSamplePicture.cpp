// Draws a four-channel chart with two notes and the value cursor and saves it as PNG:
//   chart_sample_picture out.png

#include "uikit/chart/CNIXYChart.h"

#include <QGuiApplication>
#include <QImage>
#include <QObject>
#include <QPainter>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kPoints = 2000;

void AddChannel(uikit::CNIXYChart& chart, int series, uint32_t colour, const char16_t* name, float lo, float hi,
                double (*shape)(double))
{
    chart.AllocSeries(series, kPoints, colour);
    float values[kPoints];
    float times[kPoints];
    for (int i = 0; i < kPoints; ++i) {
        times[i] = float(i) * 0.01f;
        values[i] = float(shape(times[i]));
    }
    chart.AppendSeriesData(series, kPoints, values, times, 0, -1, series, -1);
    chart.SetYAxis(series, lo, hi, 1.0f, nullptr);
    chart.SetXAxis(series, 0.0f, 20.0f, 1.0f, u"s");
    chart.SetAutoScale(series, 1, 0);
    chart.SetSeriesDecimals(series, 2);
    chart.SetSeriesMargin(series, lo, hi, 8.0f);
    chart.SetSeriesName(series, u"Time (s)", name);
    chart.ShowSeries(series, 1);
}

uikit::ChartNote MakeNote(float x, float y, uint32_t colour, int series, const char16_t* text, int bold)
{
    uikit::ChartNote note{};
    note.x = x;
    note.y = y;
    note.colour = colour;
    note.fontSize = 16;
    note.bold = bold;
    note.series = series;
    const size_t length = std::char_traits<char16_t>::length(text);
    std::memcpy(note.text, text, length * sizeof(char16_t));
    note.textLength = int(length);
    return note;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: chart_sample_picture out.png\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QObject owner;
    uikit::CNIXYChart chart;
    uikit::GetChartSeriesTable(chart.SeriesTable());
    chart.Create(&owner, 800, 415, 0xF0F0F0, QStringLiteral("tahoma"));
    chart.SetColors(0xF0F0F0, 0, 0xC8C8C8, 0xC8C8C8);
    chart.SetGridCount(5, 5);
    chart.SetLineMode(1);

    AddChannel(chart, 0, 0xDE3431, u"Temperature(°C)", 0, 40, [](double t) { return 22 + 6 * std::sin(t * 0.4); });
    AddChannel(chart, 1, 0xA801FF, u"Voltage(V)", -5, 5, [](double t) { return 3 * std::sin(t * 1.7) * std::exp(-t * 0.08); });
    AddChannel(chart, 2, 0x0092EF, u"Light(lx)", 0, 800, [](double t) { return 300 + 200 * std::cos(t * 0.6) + 40 * std::sin(t * 5); });
    AddChannel(chart, 3, 0x2A910A, u"Force(N)", -10, 10, [](double t) { return t < 10 ? t * 0.8 - 4 : 4 - (t - 10) * 0.5; });
    chart.SetCurrentSeries(1);
    chart.Redraw();  // lays the plot out so that the cursor pixel below lands inside it

    uikit::ChartNote notes[2] = {
        MakeNote(0.12f, 0.30f, 0x0000FF, 0, u"Peak\r\ntemperature", 1),
        MakeNote(0.55f, 0.70f, 0x7F3F00, 1, u"damped swing", 0),
    };
    QImage closeBox(24, 20, QImage::Format_ARGB32_Premultiplied);
    closeBox.fill(QColor(200, 60, 60));
    {
        QPainter p(&closeBox);
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(7, 5, 17, 15);
        p.drawLine(17, 5, 7, 15);
    }
    chart.SetNotes(2, notes, &closeBox);
    chart.Redraw();
    chart.SetCursor(1, chart.PlotRect().left() + chart.PlotRect().width() * 2 / 3);
    chart.Redraw();
    // Select the first note, as a click on it does, to show its outline and close box.
    for (int y = 0; y < 415 && chart.SelectedNote() != 0; ++y)
        for (int x = 0; x < 800 && chart.SelectedNote() != 0; ++x)
            chart.HitTestNote(x, y);
    chart.Redraw();
    const QImage* picture = chart.GetMemoryDC();
    if (!picture || !picture->save(QString::fromLocal8Bit(argv[1])))
        return 1;
    chart.FreeAllSeries();
    return 0;
}
