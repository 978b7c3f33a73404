#include "ChartTestSupport.h"

#include "uikit/chart/ChartPaint.h"

#include <QImage>
#include <QPainter>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

using charttest::ChartTest;
using uikit::ChartNote;
using uikit::ChartSeries;

namespace {

constexpr QRgb kBackground = 0xFFF0F0F0;
constexpr QRgb kPlotFill = 0xFFFAFAFA;  // background lightened by 10 per channel

// Columns of the picture that hold a pixel of exactly this colour.
int ColumnsWithColour(const QImage& image, QRgb colour, int fromX, int toX)
{
    int columns = 0;
    for (int x = fromX; x < toX; ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (image.pixel(x, y) == colour) {
                ++columns;
                break;
            }
        }
    }
    return columns;
}

ChartNote MakeNote(float x, float y, int series, const char16_t* text)
{
    ChartNote note{};
    note.x = x;
    note.y = y;
    note.series = series;
    note.fontSize = 16;
    int n = 0;
    while (text[n] && n < uikit::kChartNoteTextLength) {
        note.text[n] = text[n];
        ++n;
    }
    note.textLength = n;
    return note;
}

}  // namespace

using ChartRender = ChartTest;

TEST_F(ChartRender, FrameColoursAndMargins)
{
    Create(400, 200);
    chart.Redraw();
    EXPECT_EQ(chart.LeftMargin(), 43);
    const QImage& picture = *chart.GetMemoryDC();
    EXPECT_EQ(picture.pixel(1, 1), kBackground);
    EXPECT_EQ(picture.pixel(1, 198), kBackground);
    EXPECT_EQ(picture.pixel(0, 0), 0xFFFFFFFF);  // border, white while not highlighted
    EXPECT_EQ(picture.pixel(43 + 3, 8), kPlotFill);

    chart.SetHighlight(1);
    chart.Redraw();
    EXPECT_EQ(picture.pixel(0, 0), uikit::ColorFromRef(0x78A8FF).rgba());

    for (int s = 0; s < 4; ++s)
        AddSeries(s, 10, 0xFF, [](int) { return 5.0; });
    chart.Redraw();
    EXPECT_EQ(chart.LeftMargin(), 103);
    EXPECT_EQ(chart.PlotRect(), QRect(103, 5, 400 - 103 - 8 - 2, 200 - 42));
}

TEST_F(ChartRender, SeriesIsDrawnInItsRecordColour)
{
    Create(400, 200);
    // 0x00BBGGRR: red 0x80, green 0x00, blue 0x20.
    AddSeries(0, 200, 0x200080, [](int) { return 5.0; });
    chart.Redraw();
    const QImage& picture = *chart.GetMemoryDC();
    const QRect plot = chart.PlotRect();
    const int columns = ColumnsWithColour(picture, qRgb(0x80, 0x00, 0x20), plot.left() + 2, plot.right() - 2);
    EXPECT_GT(columns, plot.width() - 10);
    EXPECT_EQ(ColumnsWithColour(picture, qRgb(0x20, 0x00, 0x80), 0, picture.width()), 0);
}

TEST(ChartPaint, DottedLinesUpTo2000Pixels)
{
    charttest::EnsureGuiApp();
    QImage image(2100, 4, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        EXPECT_TRUE(uikit::DrawDottedLine(painter, 2000, 1, 0, 1, 0x000000));  // right to left too
        EXPECT_FALSE(uikit::DrawDottedLine(painter, 0, 3, 2001, 3, 0x000000));
        EXPECT_FALSE(uikit::DrawDottedLine(painter, 5, 3, 5, 3, 0x000000));
    }
    // Dashes of 3 every 6 pixels.
    EXPECT_EQ(image.pixel(0, 1), 0xFF000000);
    EXPECT_EQ(image.pixel(2, 1), 0xFF000000);
    EXPECT_EQ(image.pixel(3, 1), 0xFFFFFFFF);
    EXPECT_EQ(image.pixel(6, 1), 0xFF000000);
    EXPECT_EQ(image.pixel(1998, 1), 0xFF000000);
    for (int x = 0; x < 2100; ++x)
        ASSERT_EQ(image.pixel(x, 3), 0xFFFFFFFF) << x;
}

TEST(ChartPaint, BezierPaddingMakesThreeNPlusOnePoints)
{
    QPoint points[20];
    for (int i = 0; i < 20; ++i)
        points[i] = QPoint(i, i * 2);
    EXPECT_EQ(uikit::PadForBezier(points, 10, 20), 13);
    EXPECT_EQ(points[12], points[9]);
    EXPECT_EQ(uikit::PadForBezier(points, 9, 20), 13);
    EXPECT_EQ(uikit::PadForBezier(points, 11, 20), 13);
    EXPECT_EQ(uikit::PadForBezier(points, 18, 20), 18);  // no room: unchanged
}

// Whether a pixel within `reach` of (x, y) holds exactly `colour`.
bool PaintedNear(const QImage& image, QPointF at, QRgb colour, int reach = 1)
{
    const int cx = int(std::lround(at.x())), cy = int(std::lround(at.y()));
    for (int y = cy - reach; y <= cy + reach; ++y)
        for (int x = cx - reach; x <= cx + reach; ++x)
            if (image.rect().contains(x, y) && image.pixel(x, y) == colour)
                return true;
    return false;
}

TEST(ChartPaint, BeziersPassTheirAnchorsAndFollowTheirControlPoints)
{
    charttest::EnsureGuiApp();
    // Seven cubic segments, so that the pieces they are drawn in join twice; every segment bends
    // a different way, with control points that are not mirror images of each other.
    QPoint points[22];
    for (int c = 0; c <= 7; ++c)
        points[3 * c] = QPoint(20 + 50 * c, 100 + (c % 2 ? 30 : -30));
    for (int c = 0; c < 7; ++c) {
        const QPoint a = points[3 * c], b = points[3 * c + 3];
        points[3 * c + 1] = a + QPoint(10, c % 2 ? 60 : -60);
        points[3 * c + 2] = b + QPoint(-25, c % 2 ? -20 : 20);
    }
    QImage image(400, 220, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setPen(QPen(Qt::black, 1));
        uikit::DrawBeziersInPieces(painter, points, 22);
    }
    const QRgb ink = 0xFF000000;
    const auto cubic = [&](int c, double t) {
        const QPointF p0 = points[3 * c], p1 = points[3 * c + 1], p2 = points[3 * c + 2], p3 = points[3 * c + 3];
        const double u = 1.0 - t;
        return u * u * u * p0 + 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t * p3;
    };
    for (int c = 0; c < 7; ++c) {
        for (const double t : {0.0, 0.25, 0.5, 0.75, 1.0})
            EXPECT_TRUE(PaintedNear(image, cubic(c, t), ink)) << "segment " << c << " at t = " << t;
        // The curve bends towards its control points, not through them.
        EXPECT_FALSE(PaintedNear(image, points[3 * c + 1], ink, 2)) << "segment " << c;
    }
}

TEST(ChartPaint, EachSeriesHasItsMarkerShape)
{
    charttest::EnsureGuiApp();
    const QRgb ink = 0xFF000000, paper = 0xFFFFFFFF;
    struct Case {
        int series;
        std::vector<QPoint> outline;  // offsets from the point that the shape's outline crosses
        std::vector<QPoint> clear;    // offsets it leaves alone
    };
    const Case cases[] = {
        {0, {{0, -5}, {5, 0}, {0, 5}, {-5, 0}}, {{0, 0}, {4, -4}, {-4, 4}, {6, 0}}},      // diamond
        {1, {{0, -5}, {3, 4}, {-5, 4}, {0, 4}}, {{0, 0}, {0, 6}, {-5, -4}, {5, -4}}},     // triangle
        {2, {{4, 0}, {-4, 0}, {0, 4}, {0, -4}}, {{0, 0}, {4, 4}, {-4, -4}, {6, 0}}},      // circle
        {5, {{-4, -4}, {4, -4}, {4, 4}, {-4, 4}, {0, 4}}, {{0, 0}, {6, 0}, {0, -6}}},     // square
    };
    for (const Case& c : cases) {
        QImage image(40, 40, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setPen(QPen(Qt::black, 1));
            uikit::DrawMarker(painter, c.series, QPoint(20, 20));
        }
        for (const QPoint d : c.outline)
            EXPECT_TRUE(PaintedNear(image, QPoint(20, 20) + d, ink, 0)) << c.series << ": " << d.x() << "," << d.y();
        for (const QPoint d : c.clear)
            EXPECT_EQ(image.pixel(QPoint(20, 20) + d), paper) << c.series << ": " << d.x() << "," << d.y();
        // Nothing beyond 5 pixels of the point.
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 40; ++x) {
                if (std::abs(x - 20) > 5 || std::abs(y - 20) > 5) {
                    ASSERT_EQ(image.pixel(x, y), paper) << c.series << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST(ChartPaint, CursorLabelsThatWouldOverlapAreStacked)
{
    // Labels are 20 pixels high: one 13 pixels below another would hide half of its value.
    const int placed[] = {100, 80};
    EXPECT_EQ(uikit::StackedLabelTop(200, placed, 2), 200);  // clear of both
    EXPECT_EQ(uikit::StackedLabelTop(113, placed, 1), 80);
    EXPECT_EQ(uikit::StackedLabelTop(113, placed, 2), 60);  // above the first, then above the second
    EXPECT_EQ(uikit::StackedLabelTop(100, placed, 0), 100);
    const int tops[] = {100, 60, 80, 40};
    const int top = uikit::StackedLabelTop(95, tops, 4);
    for (int t : tops)
        EXPECT_GE(std::abs(top - t), uikit::kCursorLabelHeight) << top;
}

TEST(ChartPaint, ValueLabelsConvertRatherThanReinterpret)
{
    EXPECT_EQ(uikit::FormatValueLabel(2.7, 1.0, 0), "2");
    EXPECT_EQ(uikit::FormatValueLabel(-2.7, 1.0, 0), "-2");
    EXPECT_EQ(uikit::FormatValueLabel(1.5, 10.0, 0), "15");
    EXPECT_EQ(uikit::FormatValueLabel(1e20, 1.0, 0), "2147483647");
    EXPECT_EQ(uikit::FormatValueLabel(std::nan(""), 1.0, 0), "0");
    EXPECT_EQ(uikit::FormatValueLabel(1.23456, 1.0, 2), "1.23");
    EXPECT_EQ(uikit::FormatValueLabel(0.5, 1.0, 9), "0.500000");
    EXPECT_EQ(uikit::FormatShortGeneral(29.000381469726562), "29.0004");
}

TEST_F(ChartRender, AutoScaleOfZerosConstantsEmptySeriesAndMargins)
{
    Create();
    AddSeries(0, 20, 0xFF, [](int) { return 0.0; });
    chart.SetAutoScale(0, 1, 0);
    chart.Redraw();
    EXPECT_FLOAT_EQ(chart.Series(0)->yAxis.dataMinimum, -0.05f);
    EXPECT_FLOAT_EQ(chart.Series(0)->yAxis.dataMaximum, 0.05f);

    // A pad that drifted to 0 on a constant series would leave a zero range.
    chart.SetAutoScalePad(0.0f);
    AddSeries(1, 20, 0xFF00, [](int) { return 3.0; });
    chart.SetAutoScale(1, 1, 0);
    chart.Redraw();
    EXPECT_FLOAT_EQ(chart.Series(1)->yAxis.dataMinimum, 2.85f);
    EXPECT_FLOAT_EQ(chart.Series(1)->yAxis.dataMaximum, 3.15f);

    // An empty series keeps its axis range: no infinite ranges, no NaN mapping.
    ASSERT_EQ(chart.AllocSeries(2, 20, 0xFF0000), 1);
    chart.SetYAxis(2, -1.0f, 1.0f, 1.0f, nullptr);
    chart.SetAutoScale(2, 1, 0);
    chart.ShowSeries(2, 1);
    chart.SetCurrentSeries(2);
    chart.Redraw();
    EXPECT_EQ(std::bit_cast<uint32_t>(chart.Series(2)->yAxis.dataMinimum), 0x7F7FFFEEu);
    float x = 0, y = 0;
    ASSERT_EQ(chart.PixelToValue(2, 200, 100, x, y), 1);
    EXPECT_TRUE(std::isfinite(x) && std::isfinite(y));

    // A margin widens a narrow range to at least a tenth of the axis span.
    AddSeries(3, 20, 0xFF, [](int i) { return 10.0 + (i % 2) * 0.1; });
    chart.SetSeriesMargin(3, 0.0f, 10.0f, 10.0f);
    chart.SetAutoScale(3, 1, 0);
    chart.Redraw();
    EXPECT_NEAR(chart.Series(3)->yAxis.dataMinimum, 9.55, 1e-4);
    EXPECT_NEAR(chart.Series(3)->yAxis.dataMaximum, 10.55, 1e-4);
}

TEST_F(ChartRender, NonFiniteSamplesAreSkippedAndBreakTheLine)
{
    Create();
    const float inf = std::numeric_limits<float>::infinity();
    AddSeries(0, 300, 0x200080, [&](int i) {
        if (i == 100)
            return double(std::nanf(""));
        if (i == 200)
            return double(inf);
        return 4.0 + (i % 3);
    });
    chart.SetAutoScale(0, 1, 0);
    chart.Redraw();
    const ChartSeries& s = *chart.Series(0);
    EXPECT_NEAR(s.yAxis.dataMinimum, 4.0 - 4.0 * 0.05, 1e-5);
    EXPECT_NEAR(s.yAxis.dataMaximum, 6.0 + 6.0 * 0.05, 1e-5);
    const QRect plot = chart.PlotRect();
    // Drawn on both sides of the gaps.
    EXPECT_GT(ColumnsWithColour(*chart.GetMemoryDC(), qRgb(0x80, 0, 0x20), plot.left(), plot.left() + 50), 30);
    EXPECT_GT(ColumnsWithColour(*chart.GetMemoryDC(), qRgb(0x80, 0, 0x20), plot.right() - 50, plot.right()), 30);
}

TEST_F(ChartRender, ZoomedViewIsDrawnToTheRightEdge)
{
    Create();
    // Many more points than the thinning keeps, each in its own column once zoomed.
    AddSeries(0, 200000, 0x200080, [](int i) { return 2.0 + (i % 7); });
    chart.SetSeriesTransform(0, 0.98f, 0.0f, 0.02f, 1.0f);  // the last 2 % (4000 points)
    chart.Redraw();
    const QRect plot = chart.PlotRect();
    const QImage& picture = *chart.GetMemoryDC();
    EXPECT_GT(ColumnsWithColour(picture, qRgb(0x80, 0, 0x20), plot.right() - 20, plot.right() - 2), 15);
    EXPECT_GT(ColumnsWithColour(picture, qRgb(0x80, 0, 0x20), plot.left() + 2, plot.left() + 20), 15);
}

TEST_F(ChartRender, ZoomThenPixelToValueGivesTheCorner)
{
    Create(400, 200);
    AddSeries(0, 100, 0xFF, [](int i) { return i % 10; });
    chart.Redraw();
    const QRect plot = chart.PlotRect();
    const int x1 = plot.left() + plot.width() / 4, x2 = plot.left() + plot.width() / 2;
    const int y1 = plot.top() + plot.height() / 5, y2 = plot.top() + plot.height() / 2;
    chart.SetZoomRect(1, x2, y2, x1, y1);  // dragged right to left
    chart.Redraw();
    int first = 0, last = 0;
    EXPECT_EQ(chart.GetSelectionRange(0, first, last), 1);
    EXPECT_NEAR(first, 25, 2);
    EXPECT_NEAR(last, 49, 2);

    chart.ApplyZoom();
    EXPECT_EQ(chart.Series(0)->yAxis.autoScale, 0);
    float x = 0, y = 0;
    chart.PixelToValue(0, plot.left(), plot.top(), x, y);
    EXPECT_NEAR(x, double(x1 - plot.left()) / plot.width(), 1e-5);
    EXPECT_NEAR(y, double(y1 - plot.top()) / plot.height(), 1e-5);
    chart.PixelToValue(0, plot.left() + plot.width(), plot.top() + plot.height(), x, y);
    EXPECT_NEAR(x, double(x2 - plot.left()) / plot.width(), 1e-5);
    EXPECT_NEAR(y, double(y2 - plot.top()) / plot.height(), 1e-5);
    int series = -1;
    chart.SetCurrentSeries(0);
    EXPECT_EQ(chart.PixelToValueCurrent(plot.left(), plot.top(), series, x, y), 0);
    EXPECT_EQ(series, 0);
}

// A fit adds a series, which widens the left margin: the selection's fill moves with the plot and
// still covers the samples it selected.
TEST_F(ChartRender, SelectionFollowsTheDataWhenTheMarginGrows)
{
    Create(400, 200);
    AddSeries(0, 101, 0xFF, [](int i) { return i % 10; });
    chart.Redraw();
    const QRect before = chart.PlotRect();
    const int x1 = before.left() + before.width() / 4, x2 = before.left() + before.width() / 2;
    const int y = before.top() + before.height() / 2;
    chart.SetZoomRect(1, x1, y - 20, x2, y + 20);
    chart.Redraw();
    int first = 0, last = 0;
    ASSERT_EQ(chart.GetSelectionRange(0, first, last), 1);

    AddSeries(1, 101, 0xFF0000, [](int i) { return 5.0 + 0.01 * i; });
    chart.Redraw();
    const QRect after = chart.PlotRect();
    ASSERT_GT(after.left(), before.left());
    int left = -1, right = -1;
    const QImage& picture = *chart.GetMemoryDC();
    const QRgb fill = qRgb(0xE6, 0xE6, 0x82);
    for (int x = 0; x < picture.width(); ++x) {
        if (picture.pixel(x, y) == fill) {
            left = left < 0 ? x : left;
            right = x;
        }
    }
    // x = sample index here, over 0..100 across the plot.
    const auto pixelOf = [&](int index) { return after.left() + double(index) / 100.0 * after.width(); };
    EXPECT_NEAR(left, pixelOf(first), 3.0);
    EXPECT_NEAR(right, pixelOf(last), 3.0);
    int firstAfter = 0, lastAfter = 0;
    ASSERT_EQ(chart.GetSelectionRange(0, firstAfter, lastAfter), 1);
    EXPECT_NEAR(firstAfter, first, 1);
    EXPECT_NEAR(lastAfter, last, 1);
}

// An empty run has an X axis from 0 to 0: it is drawn as 0..1 (not "-0.000" to "0.000"), and no
// zero label stands over the axis title.
TEST_F(ChartRender, EmptyRunDrawsAUnitAxisWithItsTitleClear)
{
    Create(400, 200);
    const auto picture = [&](float xMin, float xMax) {
        chart.FreeAllSeries();
        EXPECT_EQ(chart.AllocSeries(0, 16, 0xFF), 1);
        chart.SetXAxis(0, xMin, xMax, 1.0f, u"s");
        chart.SetYAxis(0, 0.0f, 10.0f, 1.0f, u"V");
        chart.SetSeriesName(0, u"Time (s)", u"Voltage");
        chart.SetCurrentSeries(0);
        chart.ShowSeries(0, 1);
        chart.Redraw();
        return chart.GetMemoryDC()->copy();
    };
    EXPECT_EQ(picture(0.0f, 0.0f), picture(0.0f, 1.0f));
    // An axis across 0 puts its zero line mid-plot; the title band under it stays as it is
    // without one (the end labels aside).
    const QImage across = picture(-5.0f, 5.0f);
    const QImage clear = picture(1.0f, 11.0f);
    const QRect plot = chart.PlotRect();
    const QRect titleBand(plot.left() + 50, plot.bottom() + 4, plot.width() - 100, 200 - plot.bottom() - 5);
    EXPECT_EQ(across.copy(titleBand), clear.copy(titleBand));
}

TEST_F(ChartRender, CursorIndexIsClampedToUsedPoints)
{
    Create();
    AddSeries(0, 100, 0xFF, [](int i) { return i % 10; });
    chart.SetCursor(1, chart.PlotRect().left() + 10000);
    chart.Redraw();
    EXPECT_EQ(chart.GetCursorIndex(0), 99);
    chart.SetCursor(1, chart.PlotRect().left());
    chart.Redraw();
    EXPECT_EQ(chart.GetCursorIndex(0), 0);
    chart.Series(0)->cursorIndex = 150;  // data shrank after the last drawing
    EXPECT_EQ(chart.GetCursorIndex(0), 99);
    chart.Series(0)->used = 0;
    EXPECT_EQ(chart.GetCursorIndex(0), -1);
    chart.SetCursor(0, 0);
    EXPECT_EQ(chart.GetCursorIndex(0), -1);
}

TEST_F(ChartRender, NoRoomForAPlotDrawsTheFrameOnly)
{
    Create(60, 30);  // 4 shown series need a left margin wider than the drawing
    for (int s = 0; s < 4; ++s)
        AddSeries(s, 50, 0xFF, [](int i) { return i; });
    chart.SetCursor(1, 10);
    chart.SetZoomRect(1, 1, 1, 20, 20);
    chart.Redraw();
    ASSERT_NE(chart.GetMemoryDC(), nullptr);
    chart.ApplyZoom();
    float x = 0, y = 0;
    chart.PixelToValue(0, 5, 5, x, y);
    EXPECT_TRUE(std::isfinite(x) && std::isfinite(y));

    ASSERT_EQ(chart.Attach(&owner, 0, 0), 1);
    chart.Redraw();
    EXPECT_EQ(chart.GetMemoryDC(), nullptr);
}

TEST_F(ChartRender, NoCurrentSeriesDrawsWithoutOne)
{
    Create();
    AddSeries(0, 50, 0xFF, [](int i) { return i % 10; });
    chart.SetCurrentSeries(-1);
    chart.SetZoomRect(1, 100, 50, 200, 100);
    chart.SetCursor(1, 150);
    chart.Redraw();
    float x = 0, y = 0;
    int series = 7;
    EXPECT_EQ(chart.PixelToValueCurrent(100, 100, series, x, y), -1);
    EXPECT_EQ(series, -1);
}

// A note placed through PixelToValue stands at that pixel, also on a series whose Y axis scales
// itself to its data (and so away from the axis settings).
TEST_F(ChartRender, ANoteStandsWherePixelToValuePlacedIt)
{
    Create(400, 200);
    AddSeries(0, 100, 0xFF, [](int i) { return 20.0 + 0.05 * i; }, -40.0f, 125.0f);
    for (const int autoY : {1, 0}) {
        chart.SetAutoScale(0, autoY, 0);
        chart.Redraw();
        const QRect plot = chart.PlotRect();
        const QPoint at(plot.left() + 30, plot.top() + 20);
        ChartNote notes[1];
        ASSERT_EQ(chart.PixelToValue(0, at.x(), at.y(), notes[0].x, notes[0].y), 1);
        notes[0] = MakeNote(notes[0].x, notes[0].y, 0, u"y=2x+1");
        chart.SetNotes(1, notes, nullptr);
        chart.Redraw();
        EXPECT_EQ(chart.HitTestNote(at.x() + 3, at.y() + 3), 1) << autoY;
        EXPECT_EQ(chart.HitTestNote(at.x() - 3, at.y() - 3), 0) << autoY;
    }
}

// The selected series' range labels in the right margin keep to the margin, with fewer digits
// where six do not fit.
TEST_F(ChartRender, SelectedRangeLabelsFitTheRightMargin)
{
    Create(400, 200);
    AddSeries(0, 100, 0xFF, [](int i) { return i % 10; });
    AddSeries(16, 100, 0x00FF00, [](int i) { return -0.0028705 + 0.0300027 * i; });
    chart.SetAutoScale(16, 1, 0);
    chart.SetSelectedSeries(16, 1, u"dx");
    chart.Redraw();
    const QImage& picture = *chart.GetMemoryDC();
    // Nothing reaches the drawing's last columns (the 1-pixel border aside).
    for (int y = 1; y < picture.height() - 1; ++y) {
        for (int x = picture.width() - 3; x < picture.width() - 1; ++x)
            EXPECT_EQ(picture.pixel(x, y), kBackground) << x << "," << y;
    }
    EXPECT_EQ(uikit::FormatShortGeneral(-0.0028705, 2), "-0.0029");
    EXPECT_EQ(uikit::FormatShortGeneral(3.00027), "3.00027");
}

TEST_F(ChartRender, NotesHitTestsCloseBoxAndMove)
{
    Create(400, 200);
    AddSeries(0, 100, 0xFF, [](int i) { return i % 10; });
    chart.Redraw();
    const QRect plot = chart.PlotRect();
    ChartNote notes[12];
    notes[0] = MakeNote(0.5f, 0.5f, 0, u"first\r\nsecond line");
    notes[1] = MakeNote(0.1f, 0.1f, 40, u"bad series");  // skipped
    notes[2] = MakeNote(0.1f, 0.1f, 0, u"hidden");
    notes[2].textLength = 0;  // not drawn
    notes[3] = MakeNote(0.2f, 0.8f, 0, u"huge font");
    notes[3].fontSize = 1000000;
    for (int i = 4; i < 12; ++i)
        notes[i] = i < 8 ? MakeNote(0.9f, 0.9f, 0, u"in") : MakeNote(0.7f, 0.3f, 0, u"beyond eight");
    notes[5].textLength = 100000;  // longer than the field: read up to the field's end
    for (char16_t& c : notes[5].text)
        c = u'x';
    QImage closeBox(24, 20, QImage::Format_ARGB32_Premultiplied);
    closeBox.fill(Qt::red);
    chart.SetNotes(12, notes, &closeBox);
    chart.Redraw();

    const int ax = plot.left() + plot.width() / 2;
    const int ay = plot.top() + plot.height() / 2;
    EXPECT_EQ(chart.HitTestNote(ax - 3, ay - 3), 0);
    EXPECT_EQ(chart.SelectedNote(), -1);
    EXPECT_EQ(chart.HitTestNote(ax + 3, ay + 3), 1);
    EXPECT_EQ(chart.SelectedNote(), 0);
    chart.Redraw();
    // The close box stands on the note's top left, 24 x 20.
    EXPECT_EQ(chart.GetMemoryDC()->pixel(ax + 5, ay - 5), qRgb(255, 0, 0));
    EXPECT_EQ(chart.HitTestNoteCloseBox(ax + 5, ay - 5), 0);
    EXPECT_EQ(chart.HitTestNoteCloseBox(ax + 30, ay - 5), -1);
    EXPECT_EQ(chart.HitTestNoteCloseBox(ax + 5, ay + 5), -1);

    // Dragging left by a tenth of the plot moves the note by a tenth of the range.
    EXPECT_EQ(chart.MoveNote(-plot.width() / 10, 0), 1);
    EXPECT_NEAR(notes[0].x, 0.5 + double(plot.width() / 10) / plot.width(), 1e-5);

    // Only eight notes take part; the rest are never drawn or hit.
    chart.SetNotes(12, notes, &closeBox);
    chart.Redraw();
    EXPECT_EQ(chart.HitTestNote(plot.left() + int(0.7 * plot.width()) + 3, plot.top() + int(0.3 * plot.height()) + 3), 0);
    EXPECT_EQ(chart.HitTestNote(plot.right() - 2, plot.bottom() - 2), 1);
    EXPECT_LT(chart.SelectedNote(), 8);
    EXPECT_EQ(chart.MoveNote(1, 1), 1);

    chart.SetNotes(3, nullptr, nullptr);
    chart.Redraw();
    EXPECT_EQ(chart.HitTestNote(ax + 3, ay + 3), 0);
    EXPECT_EQ(chart.MoveNote(1, 1), 0);
}

TEST_F(ChartRender, BezierModeLinkedModeAndMarkersDraw)
{
    Create();
    const auto wave = [](double i) { return 5.0 + 3.0 * std::sin(i * 0.05); };
    AddSeries(0, 500, 0x200080, wave);
    const QRgb colour = qRgb(0x80, 0, 0x20);
    chart.SetLineMode(2);
    chart.Redraw();
    const QImage plain = chart.GetMemoryDC()->copy();
    const QRect plot = chart.PlotRect();

    // The curve runs through its samples (the axes span x 0..499 and y 0..10 over the plot).
    for (int i = 10; i < 490; i += 37) {
        const QPointF at(plot.left() + i / 499.0 * plot.width(), plot.top() + (10.0 - wave(i)) / 10.0 * plot.height());
        EXPECT_TRUE(PaintedNear(plain, at, colour, 2)) << "sample " << i;
    }

    // Markers every 20 pixels of travel: each adds a small shape beside the curve.
    chart.SetMarkerSpacing(20, 1);
    chart.Redraw();
    const QImage marked = *chart.GetMemoryDC();
    std::vector<int> changed;
    for (int x = 0; x < marked.width(); ++x)
        for (int y = 0; y < marked.height(); ++y)
            if (marked.pixel(x, y) != plain.pixel(x, y)) {
                changed.push_back(x);
                break;
            }
    ASSERT_FALSE(changed.empty());
    int groups = 1;
    int groupStart = changed[0];
    for (size_t k = 1; k < changed.size(); ++k) {
        if (changed[k] > changed[k - 1] + 1) {
            EXPECT_LE(changed[k - 1] - groupStart, 11) << "a marker is at most 11 pixels wide";
            ++groups;
            groupStart = changed[k];
        }
    }
    const int expected = plot.width() / 20;
    EXPECT_GE(groups, expected - 2);
    EXPECT_LE(groups, expected + 1);

    AddSeries(1, 500, 0x00FF00, [](int i) { return 5.0 + 3.0 * std::cos(i * 0.05); });

    // Series 1 drawn against series 0's values: an XY curve, x not ordered.
    chart.Series(1)->link = 0;
    chart.SetXAxis(1, 0.0f, 10.0f, 1.0f, nullptr);
    chart.SetLinkedXMode(1);
    chart.SetLineMode(1);
    chart.SetCursor(1, 200);
    chart.Redraw();
    EXPECT_GT(ColumnsWithColour(*chart.GetMemoryDC(), qRgb(0, 0xFF, 0), 0, 400), 50);
    EXPECT_GE(chart.GetCursorIndex(1), 0);
}
