// The analysis screen's pointer, keys and grid through the real widgets and the window's own
// event delivery, offscreen, on the run recorded from the simulated logger. Time is the manual
// clock's, so the 200 ms rule between a click and a drag is exact.
#include "ScreenTestSupport.h"

#include <cmath>

#include <QComboBox>
#include <QTest>
#include <QWindow>

#include "logger/analysis/core/AnalysisLayout.h"
#include "platform/Clock.h"
#include "uikit/button/CButtonST.h"
#include "uikit/table/CMyTableCtrl.h"

namespace {

using analysis::CAnalyzeDlg;
using screentest::kSamples;

class ScreenInteraction : public screentest::AnalysisScreenTest {
protected:
    void SetUp() override
    {
        AnalysisScreenTest::SetUp();
        platform::SetClock(&clock);
    }
    void TearDown() override
    {
        platform::SetClock(nullptr);
        AnalysisScreenTest::TearDown();
    }
    QWindow* Window() { return root->windowHandle(); }
    QRect Plot() const
    {
        const analysis::Rect p = screen->CurrentPlotRect();
        return QRect(QPoint(p.left, p.top), QPoint(p.right, p.bottom));
    }
    analysis::Rect Chart() const { return screen->CurrentChartRect(); }
    // A left drag held for `heldMs` on the manual clock.
    void Drag(QPoint from, QPoint to, uint32_t heldMs)
    {
        clock.Advance(1000);
        QTest::mousePress(Window(), Qt::LeftButton, {}, from);
        QTest::mouseMove(Window(), (from + to) / 2);
        QTest::mouseMove(Window(), to);
        clock.Advance(heldMs);
        QTest::mouseRelease(Window(), Qt::LeftButton, {}, to);
    }
    void Click(QPoint at) { Drag(at, at, 0); }
    void Key(QWidget& target, Qt::Key key) { QTest::keyClick(&target, key); }

    platform::ManualClock clock{5000};
};

TEST_F(ScreenInteraction, AHeldDragStoresTheRangeAQuickOneSetsTheCursorAndGridRow)
{
    project::DataSetRecord& record = Enter();
    screen->Button(CAnalyzeDlg::kGrid)->click();
    ASSERT_GT(screen->GridWidth(), 0);
    const QPoint from = Plot().topLeft() + QPoint(80, 60);
    const QPoint to = Plot().topLeft() + QPoint(300, 200);

    Drag(from, to, 250);
    const project::AnalysisSettings& set = Current();
    const analysis::Rect chart = Chart();
    EXPECT_EQ(set.selectionRect[0], from.x() - chart.left);
    EXPECT_EQ(set.selectionRect[1], from.y() - chart.top);
    EXPECT_EQ(set.selectionRect[2], to.x() - chart.left);
    EXPECT_EQ(set.selectionRect[3], to.y() - chart.top);
    EXPECT_GT(set.rangeStart, 0);
    EXPECT_GT(set.rangeEnd, set.rangeStart + 20);
    EXPECT_LT(set.rangeEnd, kSamples);
    EXPECT_EQ(screen->CurrentChart().IsZoomOn(), 1);
    EXPECT_EQ(set.analysisType, 0);   // the range waits for the next command
    const int start = set.rangeStart;

    // Too thin to zoom into: a click however long it is held, which keeps the set's range.
    Current().rangeStart = 3;
    Current().rangeEnd = 9;
    Drag(from, QPoint(to.x(), from.y()), 400);
    EXPECT_EQ(set.rangeStart, 3);
    EXPECT_EQ(set.rangeEnd, 9);
    EXPECT_EQ(screen->CurrentChart().IsZoomOn(), 0);

    Drag(to, from, 100);
    EXPECT_EQ(set.rangeStart, 3);
    EXPECT_EQ(set.rangeEnd, 9);
    EXPECT_EQ(screen->CurrentChart().IsZoomOn(), 0);
    const int cursor = screen->CurrentChart().GetCursorIndex(-1);
    EXPECT_GT(cursor, 0);
    // The click is at the selection's left edge, which stayed on its data: the same sample.
    EXPECT_NEAR(cursor, start, 1);
    EXPECT_EQ(screen->Grid().Info().selectedRow, cursor);
    EXPECT_EQ(record.gridShown, 1);
}

TEST_F(ScreenInteraction, APressOnTheSecondGraphMakesItCurrentAndRecountsItsSets)
{
    project::DataSetRecord& record = Enter();
    screen->Command(CAnalyzeDlg::kAddSet);
    SetGraphCount(2);
    ASSERT_EQ(screen->GraphHeight(), 246);
    ASSERT_EQ(record.selector.setCount, 2);

    Click({400, 400});
    EXPECT_EQ(screen->CurrentGraph(), 1);
    EXPECT_EQ(record.selector.setCount, 1);
    EXPECT_EQ(screen->SetCombo().count(), 1);
    EXPECT_EQ(record.graphs[1].inUse, 1);

    Click({400, 200});
    EXPECT_EQ(screen->CurrentGraph(), 0);
    EXPECT_EQ(record.selector.setCount, 2);
    EXPECT_EQ(screen->Model().CurrentSet(), 0);
}

// Fault: a press below the last graph still re-ran the current graph and reset its set.
TEST_F(ScreenInteraction, APressBelowTheLastGraphDoesNothing)
{
    root->resize(CAnalyzeDlg::kWidth, 900);
    screen->resize(CAnalyzeDlg::kWidth, 900);
    project::DataSetRecord& record = Enter();
    screen->Command(CAnalyzeDlg::kAddSet);
    SetGraphCount(2);
    record.heightFraction = 0.25f;
    screen->LayoutGraphs(true);
    screen->RefreshGrid();
    ASSERT_EQ(screen->GraphHeight(), 246);
    ASSERT_EQ(screen->Model().CurrentSet(), 1);
    Current().rangeEnd = 77;

    Click({400, 108 + 2 * 246 + 100});
    EXPECT_EQ(screen->CurrentGraph(), 0);
    EXPECT_EQ(screen->Model().CurrentSet(), 1);
    EXPECT_EQ(Current().rangeEnd, 77);
}

// Fault: a far drag of the resize grip gave a fraction of no or huge height.
TEST_F(ScreenInteraction, TheResizeGripKeepsEveryGraphInsideTheScreen)
{
    project::DataSetRecord& record = Enter();
    SetGraphCount(2);
    auto grip = [this] { return QPoint(Chart().right - 4, Chart().bottom - 4); };
    for (const int row : {300, 100000, -100000}) {
        Drag(grip(), {grip().x(), row}, 300);
        EXPECT_TRUE(std::isfinite(record.heightFraction)) << row;
        EXPECT_GT(record.heightFraction, 0.0f) << row;
        EXPECT_LE(record.heightFraction, 1.0f) << row;
        EXPECT_GE(screen->GraphHeight(), analysis::kMinimumGraphHeight) << row;
        EXPECT_LE(screen->GraphHeight(), analysis::kChartHeight) << row;
    }
    Drag(grip(), {grip().x(), 300}, 300);
    EXPECT_NEAR(record.heightFraction, (300.0f - 108.0f) / 492.0f, 1e-4);
}

TEST_F(ScreenInteraction, ZoomThenAutoScaleComesBackToTheWholeView)
{
    project::DataSetRecord& record = Enter();
    Drag(Plot().topLeft() + QPoint(100, 40), Plot().topLeft() + QPoint(400, 250), 300);
    screen->Button(CAnalyzeDlg::kZoom)->click();
    const project::AnalysisGraphRecord& g = record.graphs[0];
    EXPECT_EQ(g.autoY, 0);
    EXPECT_GT(g.viewXOffset, 0.0f);
    EXPECT_LT(g.viewXScale, 1.0f);
    EXPECT_EQ(screen->CurrentChart().IsZoomOn(), 0);

    screen->Button(CAnalyzeDlg::kAutoScale)->click();
    EXPECT_EQ(g.autoX, 1);
    EXPECT_EQ(g.autoY, 1);
    EXPECT_FLOAT_EQ(g.viewXOffset, 0.0f);
    EXPECT_FLOAT_EQ(g.viewYOffset, 0.0f);
    EXPECT_FLOAT_EQ(g.viewXScale, 1.0f);
    EXPECT_FLOAT_EQ(g.viewYScale, 1.0f);

    // Without a zoomed selection, zoom does nothing.
    screen->Button(CAnalyzeDlg::kZoom)->click();
    EXPECT_EQ(g.autoY, 1);
}

// Up and Down reach the pad even while the set combo has the focus.
TEST_F(ScreenInteraction, ThePadStepsOnlyBetweenItsEnds)
{
    project::DataSetRecord& record = Enter();
    screen->Command(CAnalyzeDlg::kAddSet);
    QComboBox& combo = screen->SetCombo();
    combo.setFocus();
    const int comboIndex = combo.currentIndex();
    float& pad = record.graphs[0].autoScalePad;
    const struct {
        float from;
        Qt::Key key;
        float to;
    } steps[] = {{3.0f, Qt::Key_Up, 3.0f}, {1.0f, Qt::Key_Up, 1.05f}, {1.0f, Qt::Key_Down, 0.95f},
                 {0.05f, Qt::Key_Down, 0.05f}, {2.98f, Qt::Key_Up, 3.0f}};
    for (const auto& step : steps) {
        pad = step.from;
        Key(combo, step.key);
        EXPECT_FLOAT_EQ(pad, step.to) << step.from;
        EXPECT_FLOAT_EQ(screen->CurrentChart().AutoScalePad(), step.to) << step.from;
    }
    EXPECT_EQ(combo.currentIndex(), comboIndex);
}

// Fault: deleting a note used its stored set unchecked and left a copy of the last note behind.
TEST_F(ScreenInteraction, TheCloseBoxDeletesAResultNoteAndSwitchesItsLegendOff)
{
    project::DataSetRecord& record = Enter();
    Current().showEquation = 1;
    Current().showR2 = 1;
    Current().selectionRect[0] = 200;
    Current().selectionRect[1] = 150;
    Current().selectionRect[2] = 400;
    Current().selectionRect[3] = 300;
    SetRange(0, kSamples);
    screen->Command(CAnalyzeDlg::kLinear);
    project::AnalysisGraphRecord& g = record.graphs[0];
    ASSERT_EQ(g.noteCount, 1);
    ASSERT_NE(screen->Model().AddFreeNote(0.8f, 0.8f, 0), nullptr);
    g.notes[0].set = 3;   // as a damaged file may have it
    screen->ApplyGraphToChart(0);
    screen->RefreshResult();

    // Grab the note, let go, then press its close box above its left end (the note stands at
    // about the selection's corner).
    const QPoint note = QPoint(Chart().left, Chart().top) + QPoint(200, 150);
    Click(note + QPoint(20, 8));
    Click(note + QPoint(20, -8));
    EXPECT_EQ(Current().showEquation, 0);
    EXPECT_EQ(Current().showR2, 0);
    ASSERT_EQ(g.noteCount, 1);
    EXPECT_EQ(g.notes[0].resultLink, 0);
    const auto* vacated = reinterpret_cast<const uint8_t*>(&g.notes[1]);
    EXPECT_TRUE(std::all_of(vacated, vacated + sizeof(project::GraphNote), [](uint8_t b) { return b == 0; }));
}

// X11 sends the context-menu event at the press, then a release: one note, one dialog.
TEST_F(ScreenInteraction, ARightClickAddsOneNoteThroughTheNoteDialog)
{
    project::DataSetRecord& record = Enter();
    const QPoint at = Plot().center();
    QTest::mouseClick(Window(), Qt::RightButton, {}, at);
    EXPECT_EQ(dialogs->notesEdited, 1);
    const project::AnalysisGraphRecord& g = record.graphs[0];
    ASSERT_EQ(g.noteCount, 1);
    EXPECT_EQ(std::u16string(project::GraphNoteText(g.notes[0])), u"Start");
    EXPECT_EQ(g.notes[0].series, Current().ySeries);
    EXPECT_EQ(g.notes[0].resultLink, 0);
    EXPECT_GT(g.notes[0].x, 0.3f);
    EXPECT_LT(g.notes[0].x, 0.7f);

    // Cancel adds nothing; outside the plot nothing opens.
    dialogs->noteAnswer = false;
    QTest::mouseClick(Window(), Qt::RightButton, {}, at);
    EXPECT_EQ(dialogs->notesEdited, 2);
    EXPECT_EQ(g.noteCount, 1);
    QTest::mouseClick(Window(), Qt::RightButton, {}, QPoint(Plot().left() - 10, at.y()));
    EXPECT_EQ(dialogs->notesEdited, 2);
}

// Fault: the event grid re-made the series of other outputs and had no bound at 1000 events.
TEST_F(ScreenInteraction, APhotogatesGridListsAtMostAThousandEventsAndLeavesOtherSeriesAlone)
{
    project::DataSetRecord& record = measurement->LoadRun(Run(), 0);
    // Channel A recorded a photogate (the data set's copy says so; the live sensor does not).
    devicelink::ChannelState state = project::ToDeviceState(record.channels[0]);
    platform::CopyToField(state.modelCode, u"R7JE");
    record.channels[0] = project::ToStateImage(state);
    constexpr int kGateSamples = 3100;   // 1550 blockings
    std::vector<float> gate(kGateSamples), gateTimes(kGateSamples);
    for (int k = 0; k < kGateSamples; ++k) {
        gate[size_t(k)] = k % 2 == 0 ? 3000.0f : 200.0f;
        gateTimes[size_t(k)] = 0.001f * float(k);
    }
    record.targetCount[0] = kGateSamples;
    measurement->LoadSeries(record, 0, gate, gateTimes, kGateSamples);
    // Channel B's sensor gives three outputs.
    const std::vector<float> second(kSamples, 5.0f), third(kSamples, 9.0f);
    const std::vector<float>& times = Run().series[1].times;
    measurement->LoadSeries(record, 5, second, times, kSamples);
    measurement->LoadSeries(record, 9, third, times, kSamples);
    Reenter();
    record.graphs[0].seriesShown[1] = 1;

    screen->Button(CAnalyzeDlg::kGrid)->click();
    const uikit::TableInfo& info = screen->Grid().Info();
    ASSERT_EQ(info.columnCount, 3);
    EXPECT_EQ(info.columnRowCounts[0], 1000);
    EXPECT_EQ(info.columnRowCounts[1], 1000);
    EXPECT_EQ(screen->Grid().CellText(1, 1), QStringLiteral("0.00200"));
    EXPECT_EQ(info.totalRows, 1000);
    for (const int series : {5, 9}) {
        const uikit::ChartSeries& s = *screen->Chart(0).Series(series);
        EXPECT_EQ(s.capacity, kSamples) << series;
        EXPECT_EQ(s.used, kSamples) << series;
        EXPECT_FLOAT_EQ(s.values[kSamples - 1], series == 5 ? 5.0f : 9.0f) << series;
    }
    EXPECT_FALSE(screen->Chart(0).Series(4)->HasBuffers());
}

// Fault: the grid kept pointers into series the measurement screen may free, and copied
// 64-unit names into 32-unit headers.
TEST_F(ScreenInteraction, TheGridLetsGoOfTheSeriesWhenHiddenAndCutsLongNames)
{
    project::DataSetRecord& record = Enter();
    const std::u16string longName(63, u'n');
    measurement->loader.SetSeriesName(0, u"", longName);
    screen->Button(CAnalyzeDlg::kGrid)->click();
    const uikit::TableInfo& info = screen->Grid().Info();
    ASSERT_EQ(info.columnCount, 3);
    EXPECT_EQ(std::u16string(platform::FieldView(info.columnHeaders[2])), longName.substr(0, 31));
    screen->hide();
    EXPECT_EQ(screen->Grid().Info().columnCount, 0);
    EXPECT_EQ(record.gridShown, 1);
}

}  // namespace
