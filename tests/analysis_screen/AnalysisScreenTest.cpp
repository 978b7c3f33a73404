// The analysis screen through its real widgets, offscreen, on a run recorded from the simulated
// logger.
#include "ScreenTestSupport.h"

#include <QComboBox>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>

#include "logger/analysis/WaitCursor.h"
#include "uikit/button/CButtonST.h"
#include "uikit/events/ScreenEvent.h"
#include "uikit/events/ScreenMessages.h"
#include "uikit/paint/SkinPaint.h"
#include "uikit/table/CMyTableCtrl.h"

namespace {

using analysis::CAnalyzeDlg;
using screentest::kSamples;

class AnalysisScreen : public screentest::AnalysisScreenTest {
protected:
    int ComboCount() const { return screen->SetCombo().count(); }
    // Pixels of `colour` (0x00BBGGRR) in graph g's finished picture.
    int PixelsOf(int graph, uint32_t colour)
    {
        const QImage* picture = screen->Chart(graph).GetMemoryDC();
        const QColor wanted = uikit::ColorFromRef(colour);
        int found = 0;
        for (int y = 0; y < picture->height(); ++y)
            for (int x = 0; x < picture->width(); ++x)
                found += picture->pixelColor(x, y) == wanted ? 1 : 0;
        return found;
    }
};

TEST_F(AnalysisScreen, TheRecordingIsTheSimulatedLoggersRun)
{
    const screentest::RecordedRun& run = Run();
    ASSERT_EQ(run.series.size(), 2u);
    for (const screentest::RecordedSeries& s : run.series) {
        ASSERT_EQ(int(s.values.size()), kSamples) << s.series;
        EXPECT_FLOAT_EQ(s.times.front(), 0.0f);
        EXPECT_NEAR(s.times.back(), float(kSamples - 1) / screentest::kRate, 1e-3);
    }
    // The temperature ramps up at 3 degrees a second from 20.
    EXPECT_NEAR(run.series[0].values.front(), 20.0f, 0.5f);
    EXPECT_NEAR(run.series[0].values.back() - run.series[0].values.front(), 3.0f * 1.99f, 0.3f);
}

// The serial rule: an analysis belongs to one recording of a data set.
TEST_F(AnalysisScreen, AnUnchangedSerialKeepsTheAnalysisABumpedOneStartsAgain)
{
    project::DataSetRecord& record = Enter();
    ASSERT_TRUE(screen->HasData());
    EXPECT_EQ(ComboCount(), 1);
    screen->Command(CAnalyzeDlg::kAddSet);
    Current().showEquation = 1;
    SetRange(20, 150);
    screen->Command(CAnalyzeDlg::kLinear);
    ASSERT_EQ(Current().resultShown, 1);
    SetGraphCount(2);
    ASSERT_EQ(record.graphs[0].noteCount, 1);

    Reenter();
    EXPECT_EQ(ComboCount(), 2);
    EXPECT_EQ(record.graphCount, 2);
    EXPECT_EQ(screen->Model().CurrentSet(), 1);
    EXPECT_EQ(Current().rangeStart, 20);
    EXPECT_EQ(Current().rangeEnd, 150);
    EXPECT_EQ(Current().resultShown, 1);
    EXPECT_EQ(record.graphs[0].noteCount, 1);

    // Recorded again: one graph, one set on the first recorded channel, no notes.
    record.dataSetSerial += 1;
    Reenter();
    EXPECT_EQ(ComboCount(), 1);
    EXPECT_EQ(record.graphCount, 1);
    EXPECT_EQ(record.graphs[0].noteCount, 0);
    EXPECT_EQ(Current().ySlot, 0);
    EXPECT_EQ(Current().rangeEnd, 0);
    EXPECT_EQ(record.selector.seenSerial, record.dataSetSerial);
    EXPECT_FALSE(screen->ScrollBar().isVisible());
}

TEST_F(AnalysisScreen, AFifthSetIsRefusedWith2087)
{
    Enter();
    for (int i = 0; i < 3; ++i)
        screen->Button(CAnalyzeDlg::kAddSet)->click();
    EXPECT_EQ(ComboCount(), 4);
    EXPECT_TRUE(messages.empty());
    screen->Button(CAnalyzeDlg::kAddSet)->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].type, 6);
    EXPECT_EQ(messages[0].first, Text(2087));
    EXPECT_TRUE(messages[0].second.isEmpty());
    EXPECT_EQ(ComboCount(), 4);
}

TEST_F(AnalysisScreen, GraphTwoSetThreeDrawsSeries27InMagenta)
{
    Enter();
    SetGraphCount(3);
    screen->SelectGraph(2);
    ASSERT_EQ(screen->CurrentGraph(), 2);
    for (int i = 0; i < 3; ++i)
        screen->Command(CAnalyzeDlg::kAddSet);
    ASSERT_EQ(screen->Model().CurrentSet(), 3);
    EXPECT_EQ(Current().resultSeries, 27);
    SetRange(0, kSamples);
    screen->Command(CAnalyzeDlg::kLinear);
    ASSERT_EQ(Current().resultShown, 1);
    EXPECT_EQ(screen->Chart(2).Series(27)->colour, 0xFF00FFu);
    EXPECT_EQ(screen->Chart(2).IsShown(27), 1);
    EXPECT_GT(PixelsOf(2, 0xFF00FF), 50);
    EXPECT_EQ(PixelsOf(0, 0xFF00FF), 0);
}

TEST_F(AnalysisScreen, FourGraphsIn600PixelsAre246EachWithTheScrollBar)
{
    project::DataSetRecord& record = Enter();
    EXPECT_FALSE(screen->ScrollBar().isVisible());
    EXPECT_EQ(screen->GraphHeight(), 492);

    SetGraphCount(4);
    EXPECT_FLOAT_EQ(record.heightFraction, 0.25f);
    EXPECT_EQ(screen->GraphHeight(), 246);
    ASSERT_TRUE(screen->ScrollBar().isVisible());
    EXPECT_EQ(screen->ScrollBar().maximum(), 4 * 246 - 492);
    EXPECT_EQ(screen->ScrollBar().geometry(), QRect(784, 108, 16, 492));
    for (int g = 0; g < 4; ++g) {
        EXPECT_EQ(screen->Chart(g).GetMemoryDC()->size(), QSize(784, 246)) << g;
        EXPECT_EQ(record.graphs[g].chartRect[3] - record.graphs[g].chartRect[1], 246) << g;
    }
    // Graphs out of view are drawn once they are scrolled into it.
    auto drawn = [this](int graph) {
        const QImage& picture = *screen->Chart(graph).GetMemoryDC();
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (picture.pixel(x, y) != 0xFFF0F0F0)
                    return true;
        return false;
    };
    EXPECT_TRUE(screen->GraphInView(1));
    EXPECT_FALSE(screen->GraphInView(2));
    EXPECT_TRUE(drawn(0));
    EXPECT_FALSE(drawn(3));
    screen->SetScrollPosition(1000);
    EXPECT_EQ(screen->ScrollPosition(), 492);
    EXPECT_TRUE(screen->GraphInView(3));
    EXPECT_FALSE(screen->GraphInView(1));
    screen->grab();
    EXPECT_TRUE(drawn(3));
}

TEST_F(AnalysisScreen, SaveChartImageWritesTheChartBesideTheGrid)
{
    Enter();
    screen->Button(CAnalyzeDlg::kGrid)->click();
    ASSERT_TRUE(screen->Grid().isVisible());
    const int grid = screen->GridWidth();
    EXPECT_GT(grid, 0);
    EXPECT_LE(grid, CAnalyzeDlg::kMaxGridWidth);
    EXPECT_FALSE(screen->ScrollBar().isVisible());

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("graph.bmp"));
    ASSERT_EQ(screen->SaveChartImage(path), 1);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_GE(bytes.size(), 54);
    int32_t width = 0, height = 0;
    std::memcpy(&width, bytes.constData() + 18, 4);
    std::memcpy(&height, bytes.constData() + 22, 4);
    EXPECT_EQ(width, 800 - grid);
    EXPECT_EQ(height, 492);
    EXPECT_EQ(bytes.size(), 54 + 4 * width * height);
    EXPECT_EQ(screen->SaveChartImage(dir.filePath(QStringLiteral("missing/graph.bmp"))), 0);
}

// The grid lists the sample number, the time and every series the graph shows.
TEST_F(AnalysisScreen, TheGridListsTheShownSeries)
{
    project::DataSetRecord& record = Enter();
    screen->Button(CAnalyzeDlg::kGrid)->click();
    EXPECT_EQ(record.gridShown, 1);
    const uikit::TableInfo& info = screen->Grid().Info();
    ASSERT_EQ(info.columnCount, 3);
    EXPECT_TRUE(info.rowNumberColumn[0]);
    EXPECT_EQ(QString::fromStdU16String(std::u16string(platform::FieldView(info.columnHeaders[1]))), Text(2104));
    EXPECT_EQ(info.columnRowCounts[2], kSamples);
    EXPECT_EQ(screen->Grid().CellText(199, 0), QStringLiteral("200"));
    EXPECT_EQ(screen->Grid().CellText(100, 1), QStringLiteral("1.00"));

    screen->Button(CAnalyzeDlg::kGrid)->click();
    EXPECT_EQ(record.gridShown, 0);
    EXPECT_FALSE(screen->Grid().isVisible());
    EXPECT_EQ(screen->GridWidth(), 0);
    EXPECT_EQ(screen->Chart(0).GetMemoryDC()->width(), 800);
}

TEST_F(AnalysisScreen, TheGridReachesTheLastOfAMillionRowsAndKeepsASelectedRowInView)
{
    project::DataSetRecord& record = Enter();
    constexpr int kRows = project::kMaxSampleEntries;
    std::vector<float> values(kRows), times(kRows);
    for (int k = 0; k < kRows; ++k) {
        times[k] = 0.0001f * float(k);
        values[k] = float(k % 1000);
    }
    record.targetCount[0] = kRows;
    measurement->LoadSeries(record, 0, values, times, kRows);
    Reenter();
    screen->Button(CAnalyzeDlg::kGrid)->click();
    uikit::CMyTableCtrl& grid = screen->Grid();
    ASSERT_EQ(grid.Info().totalRows, kRows);
    QScrollBar& bar = *grid.verticalScrollBar();
    bar.setValue(bar.maximum());
    EXPECT_EQ(grid.FirstVisibleRow() + grid.VisibleDataRows() - 1, kRows - 1);
    EXPECT_EQ(grid.CellText(kRows - 1, 0), QStringLiteral("1048576"));
    for (const int row : {700000, 0, kRows - 1, 12345}) {
        grid.SelectRow(row);
        EXPECT_LE(grid.FirstVisibleRow(), row);
        EXPECT_GE(grid.FirstVisibleRow() + grid.VisibleDataRows() - 1, row);
    }
}

// Fault: a null current data set (no set chosen, a failed read-back) or one never recorded.
TEST_F(AnalysisScreen, WithoutADataSetTheScreenIsEmptyAndDisabled)
{
    project::DataSetRecord& record = Enter();
    ASSERT_TRUE(screen->HasData());
    auto expectEmpty = [this](const char* what) {
        EXPECT_FALSE(screen->HasData()) << what;
        EXPECT_EQ(screen->SetCombo().count(), 0) << what;
        EXPECT_FALSE(screen->SetCombo().isEnabled()) << what;
        EXPECT_TRUE(screen->Button(CAnalyzeDlg::kMenu)->isEnabled()) << what;
        for (const int id : {CAnalyzeDlg::kAddSet, CAnalyzeDlg::kLinear, CAnalyzeDlg::kStatistics, CAnalyzeDlg::kZoom,
                             CAnalyzeDlg::kDetails})
            EXPECT_FALSE(screen->Button(id)->isEnabled()) << what << id;
        EXPECT_FALSE(screen->Button(CAnalyzeDlg::kGrid)->isVisible()) << what;
        for (const int id : {CAnalyzeDlg::kLinear, CAnalyzeDlg::kAddSet, CAnalyzeDlg::kDeleteSet, CAnalyzeDlg::kGrid})
            screen->Command(id);
        EXPECT_TRUE(messages.empty()) << what;
        QTemporaryDir dir;
        EXPECT_EQ(screen->SaveChartImage(dir.filePath(QStringLiteral("none.bmp"))), 0) << what;
        EXPECT_EQ(screen->Lines().Count(), 0) << what;
        screen->grab();
    };

    measurement->block->currentIndex = -1;
    Reenter();
    expectEmpty("no current data set");

    measurement->block->currentIndex = 0;
    record.inUse = 0;
    Reenter();
    expectEmpty("never recorded");

    record.inUse = 1;
    Reenter();
    EXPECT_TRUE(screen->HasData());
    EXPECT_TRUE(screen->Button(CAnalyzeDlg::kLinear)->isEnabled());

    uikit::CVRDCommonBase::SetScreen(uikit::kSlotMeasurement, nullptr);
    Reenter();
    expectEmpty("no measurement screen");
}

// Fault: the set count was not recounted on a graph switch, and a set switch left the previous
// set's X source bound.
TEST_F(AnalysisScreen, GraphSwitchesRecountSetsAndSetSwitchesBindTheirOwnXSource)
{
    project::DataSetRecord& record = Enter();
    screen->Command(CAnalyzeDlg::kAddSet);
    screen->Command(CAnalyzeDlg::kAddSet);
    SetGraphCount(2);
    screen->SelectGraph(1);
    EXPECT_EQ(ComboCount(), 1);
    // A stale count, as a damaged file or the old switch left it.
    record.selector.setCount = 0;
    screen->SelectGraph(0);
    EXPECT_EQ(ComboCount(), 3);
    screen->Command(CAnalyzeDlg::kAddSet);
    EXPECT_EQ(screen->Model().CurrentSet(), 3);
    for (int s = 0; s < 4; ++s)
        EXPECT_EQ(project::SettingsAt(record, 0, s)->inUse, 1) << s;

    // Set 1 draws channel A against channel B; set 0 against time.
    project::AnalysisSettings& crossed = *project::SettingsAt(record, 0, 1);
    crossed.xSlot = 1;
    screen->SetCombo().activated(1);
    EXPECT_EQ(screen->Model().CurrentSet(), 1);
    EXPECT_EQ(record.graphs[0].xFromSeries, 1);
    EXPECT_EQ(crossed.xSeries, 1);
    screen->SetCombo().activated(0);
    EXPECT_EQ(screen->Model().CurrentSet(), 0);
    EXPECT_EQ(record.graphs[0].xFromSeries, 0);
    EXPECT_EQ(Current().xSeries, -1);
}

// Fault: the stored view reached only the Y series, so a result slid off its data after a pan.
TEST_F(AnalysisScreen, TheStoredViewReachesEveryShownSeries)
{
    project::DataSetRecord& record = Enter();
    SetRange(0, kSamples);
    screen->Command(CAnalyzeDlg::kLinear);
    record.graphs[0].viewXOffset = 0.2f;
    record.graphs[0].viewYOffset = -0.1f;
    record.graphs[0].viewXScale = 0.5f;
    Reenter();
    for (const int series : {0, 16}) {
        float xo = 0, yo = 0, xs = 0, ys = 0;
        ASSERT_EQ(screen->Chart(0).GetSeriesTransform(series, xo, yo, xs, ys), 1);
        EXPECT_FLOAT_EQ(xo, 0.2f) << series;
        EXPECT_FLOAT_EQ(yo, -0.1f) << series;
        EXPECT_FLOAT_EQ(xs, 0.5f) << series;
        EXPECT_EQ(screen->Chart(0).IsShown(series), 1) << series;
    }
}

// Fault: the result series are shared by all data sets; entering showed whatever the last data
// set had left in them.
TEST_F(AnalysisScreen, EnteringDrawsTheResultsOfTheDataSetShown)
{
    Enter(0);
    SetRange(0, kSamples);
    screen->Command(CAnalyzeDlg::kStatistics);   // a flat mean line
    Enter(1);
    SetRange(0, kSamples);
    screen->Command(CAnalyzeDlg::kLinear);       // a sloping line

    auto result = [this] { return screen->Chart(0).Series(16); };
    measurement->Select(Run(), 0);
    Reenter();
    ASSERT_EQ(Current().analysisType, 1);
    EXPECT_EQ(result()->values[0], result()->values[kSamples - 1]);

    measurement->Select(Run(), 1);
    Reenter();
    ASSERT_EQ(Current().analysisType, 2);
    EXPECT_GT(result()->values[kSamples - 1] - result()->values[0], 5.0f);
}

// Fault: one analysis error was shown on entry, on a graph switch, on the grid toggle and twice
// after the set-up, and would block the report; and the wait cursor stayed over the box.
TEST_F(AnalysisScreen, AnErrorIsShownOnlyForTheCommandThatCausedIt)
{
    project::DataSetRecord& record = Enter();
    SetRange(10, 12);   // two points: a line needs three
    screen->Command(CAnalyzeDlg::kLinear);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].type, 6);
    EXPECT_EQ(messages[0].first, Text(2128));
    EXPECT_EQ(messages[0].second, Text(2127) + QStringLiteral(" 3"));
    EXPECT_FALSE(messages[0].waitCursorUp);
    EXPECT_FALSE(analysis::WaitCursor::Shown());
    EXPECT_EQ(Current().resultShown, 0);
    EXPECT_EQ(screen->Lines().Count(), 0);

    Reenter();
    screen->Button(CAnalyzeDlg::kGrid)->click();
    screen->Button(CAnalyzeDlg::kGrid)->click();
    dialogs->setup = [](project::DataSetRecord& r) {
        r.graphCount = 2;
        return false;
    };
    screen->Command(CAnalyzeDlg::kSetup);
    screen->SelectGraph(1);
    screen->SelectGraph(0);
    QTemporaryDir dir;
    EXPECT_EQ(screen->SaveChartImage(dir.filePath(QStringLiteral("report.bmp"))), 1);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(record.graphCount, 2);

    screen->Command(CAnalyzeDlg::kLinear);
    EXPECT_EQ(messages.size(), 2u);
}

TEST_F(AnalysisScreen, StatisticsOpenTheDetailsAndTheChoicesUseTheStoredSettings)
{
    Enter();
    SetRange(0, kSamples);
    screen->Command(CAnalyzeDlg::kStatistics);
    ASSERT_EQ(dialogs->detailsShown.size(), 1u);
    EXPECT_GT(dialogs->detailsShown[0], 8);
    uikit::PostScreenMessage(screen, uikit::WM_KEY_ESCAPE);
    screentest::Spin(5);
    EXPECT_EQ(dialogs->detailsShown.size(), 2u);

    // Without the choice dialogs the commands take what the set holds.
    Current().curveModel = 2;
    Current().expVariant = 1;
    screen->Command(CAnalyzeDlg::kCurveFit);
    EXPECT_EQ(Current().analysisType, 6);
    Current().curveModel = 0;
    screen->Command(CAnalyzeDlg::kCurveFit);
    EXPECT_EQ(Current().analysisType, 4);
    EXPECT_EQ(Current().polynomialOrder, 3);
    // A damaged stored model or method is taken as the first, never handed on as it stands.
    Current().curveModel = 9;
    Current().analysisType = 0;
    screen->Command(CAnalyzeDlg::kCurveFit);
    EXPECT_EQ(Current().curveModel, 0);
    EXPECT_EQ(Current().analysisType, 4);
    Current().derivativeMethod = 7;
    screen->Command(CAnalyzeDlg::kDerivative);
    EXPECT_EQ(Current().derivativeMethod, 0);
    // The integral reads a sample before its range and two after it.
    SetRange(1, kSamples - 2);
    Current().integralMethod = 3;
    screen->Command(CAnalyzeDlg::kIntegral);
    EXPECT_EQ(Current().analysisType, 10);
    EXPECT_EQ(Current().integralMethod, 3);
    EXPECT_EQ(screen->Model().Record()->graphs[0].secondAxis, 1);
    EXPECT_EQ(Current().resultShown, 1);
    // The comparison waits for what will enable it.
    EXPECT_FALSE(screen->Button(CAnalyzeDlg::kComparison)->isEnabled());
}

TEST_F(AnalysisScreen, DeletingASetAsksFirst)
{
    Enter();
    screen->Command(CAnalyzeDlg::kAddSet);
    ASSERT_EQ(ComboCount(), 2);
    answer = 2;
    screen->Command(CAnalyzeDlg::kDeleteSet);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].type, 7);
    EXPECT_EQ(messages[0].first, Text(2088));
    EXPECT_EQ(messages[0].second, Text(2033) + QStringLiteral("2 ?"));
    EXPECT_EQ(ComboCount(), 2);
    answer = 1;
    screen->Command(CAnalyzeDlg::kDeleteSet);
    EXPECT_EQ(ComboCount(), 1);
    EXPECT_EQ(screen->Model().CurrentSet(), 0);
    // The only set is made afresh, never removed.
    Current().analysisType = 2;
    screen->Command(CAnalyzeDlg::kDeleteSet);
    EXPECT_EQ(ComboCount(), 1);
    EXPECT_EQ(Current().analysisType, 0);
}

}  // namespace
