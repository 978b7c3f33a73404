#include <cstring>

#include <gtest/gtest.h>

#include "tests/support/AnalysisTestSupport.h"

using namespace analysis;
using namespace analysistest;

namespace {

constexpr int32_t kSerial = 0x12300002;

class ScreenModelTest : public ::testing::Test {
protected:
    FakeSeriesTable table;
    FakeTexts texts;
    FakeMessages messages;
    FakeUnits units;
    AnalysisEngine engine{table, texts, messages};
    AnalysisScreenModel model{engine, table, texts, units};
    std::unique_ptr<project::DataSetRecord> record = std::make_unique<project::DataSetRecord>();

    void SetUp() override
    {
        std::memset(record.get(), 0, sizeof *record);
        record->inUse = 1;
        record->dataSetSerial = kSerial;
        record->length = 10;
        // Channels 1 and 2 recorded, 500 samples each.
        for (int c : {1, 2}) {
            record->channelRecorded[c] = 1;
            record->targetCount[c] = 500;
            table.Fill(c, 500, 0.02, [c](double x) { return c * 3.0 * x + 1.0; });
        }
        model.Bind(record.get());
    }
    project::AnalysisSettings& Settings(int g, int s) { return *project::SettingsAt(*record, g, s); }
};

TEST_F(ScreenModelTest, AFreshDataSetGetsOneGraphWithOneSetOnItsFirstChannel)
{
    EXPECT_EQ(model.Activate(), EntryResult::Reset);
    EXPECT_EQ(record->graphCount, 1);
    EXPECT_EQ(record->selector.setCount, 1);
    EXPECT_EQ(record->selector.seenSerial, kSerial);
    const project::AnalysisSettings& s = Settings(0, 0);
    EXPECT_EQ(s.inUse, 1);
    EXPECT_EQ(s.ySlot, 1);
    EXPECT_EQ(s.ySeries, 1);
    EXPECT_EQ(s.resultSeries, 16);
    EXPECT_EQ(s.resultCapacity, 500);
    EXPECT_EQ(s.colour, 0x0000FF);
    EXPECT_EQ(Utf8(project::SetNameText(s)), "[2033]1");
    EXPECT_EQ(Utf8(project::NoteTitle(s.memo)), "Note");
    EXPECT_EQ(record->graphs[0].seriesShown[1], 1);
    EXPECT_EQ(record->graphs[0].yMax, 11.0f);
    EXPECT_FLOAT_EQ(record->graphs[0].xMax, table.series[1].times[499]);
    EXPECT_EQ(Utf8(platform::FieldView(record->graphs[0].xLabel)), "[2104]");
}

TEST_F(ScreenModelTest, AnUnchangedSerialKeepsSetsRangeAndNotesAndABumpedOneResets)
{
    model.Activate();
    ASSERT_EQ(model.AddSet(), AddSetResult::Added);
    record->graphCount = 2;
    Settings(0, 1).rangeStart = 10;
    Settings(0, 1).rangeEnd = 90;
    Settings(0, 1).analysisType = kTypeLinear;
    model.AddFreeNote(0.5f, 0.5f, 1);

    EXPECT_EQ(model.Activate(), EntryResult::Kept);
    EXPECT_EQ(record->graphCount, 2);
    EXPECT_EQ(record->selector.setCount, 2);
    EXPECT_EQ(Settings(0, 1).rangeStart, 10);
    EXPECT_EQ(Settings(0, 1).rangeEnd, 90);
    EXPECT_EQ(record->graphs[0].noteCount, 1);

    record->dataSetSerial = kSerial + 1;   // recorded again
    EXPECT_EQ(model.Activate(), EntryResult::Reset);
    EXPECT_EQ(record->graphCount, 1);
    EXPECT_EQ(record->selector.setCount, 1);
    EXPECT_EQ(Settings(0, 1).inUse, 0);
    EXPECT_EQ(Settings(0, 0).ySlot, 1);
    EXPECT_EQ(record->graphs[0].noteCount, 0);
}

TEST_F(ScreenModelTest, AFifthSetIsRefusedAndASetNeedsARecordedChannel)
{
    model.Activate();
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(model.AddSet(), AddSetResult::Added);
    EXPECT_EQ(model.AddSet(), AddSetResult::Full);
    EXPECT_EQ(record->selector.setCount, 4);

    std::memset(record->channelRecorded, 0, sizeof record->channelRecorded);
    record->dataSetSerial = kSerial + 1;
    model.Activate();
    EXPECT_EQ(model.AddSet(), AddSetResult::NoChannel);
    EXPECT_EQ(record->selector.setCount, 0);
    // Nothing names recorded series 0 as a result.
    for (int s = 0; s < 16; ++s)
        EXPECT_EQ(record->settings[s].inUse, 0);
}

TEST_F(ScreenModelTest, ResultSeriesAndColourOfGraphTwoSetThree)
{
    model.Activate();
    record->graphCount = 3;
    model.AfterSetup(1, false);
    ASSERT_TRUE(model.SelectGraph(2));
    for (int i = 0; i < 3; ++i)
        model.AddSet();
    EXPECT_EQ(model.CurrentSet(), 3);
    EXPECT_EQ(Settings(2, 3).resultSeries, 27);
    EXPECT_EQ(uint32_t(Settings(2, 3).colour), 0xFF00FFu);
    model.Run(ErrorReport::Quiet);
    EXPECT_EQ(table.series[27].colour, 0xFF00FFu);
    EXPECT_EQ(table.series[27].capacity, 500);
}

TEST_F(ScreenModelTest, FourGraphsInSixHundredPixelsScroll)
{
    model.Activate();
    record->graphCount = 4;
    const GraphStack stack = model.Layout({800, 600}, false);
    EXPECT_FLOAT_EQ(record->heightFraction, 0.25f);
    EXPECT_EQ(record->graphsResizable, 1);
    EXPECT_TRUE(stack.scrollBarShown);
    EXPECT_EQ(stack.scrollRange, 4 * 246 - 492);
    const Rect chart = ChartRect(*record, {800, 600}, 0, stack.scrollBarShown);
    EXPECT_EQ(chart.Height(), 246);
    EXPECT_EQ(chart.right, 784);

    record->graphCount = 1;
    const GraphStack one = model.Layout({800, 600}, false);
    EXPECT_FALSE(one.scrollBarShown);
    const Rect full = ChartRect(*record, {800, 600}, 150, false);
    EXPECT_EQ(full.Width(), 650);
    EXPECT_EQ(full.Height(), 492);
    EXPECT_EQ(GraphUnderPointer(400, 0, 246), 1);
}

TEST_F(ScreenModelTest, TheSetCountIsRecountedOnEveryGraphSwitch)
{
    model.Activate();
    model.AddSet();
    model.AddSet();   // graph 0: sets 0, 1, 2
    record->graphCount = 2;
    model.AfterSetup(1, false);
    ASSERT_TRUE(model.SelectGraph(1));
    EXPECT_EQ(record->selector.setCount, 1);
    ASSERT_TRUE(model.SelectGraph(0));
    EXPECT_EQ(record->selector.setCount, 3);
    // A stale count from a file: the next set still goes into a free slot.
    record->selector.setCount = 0;
    Settings(0, 2).rangeEnd = 77;
    model.SelectGraph(1);
    model.SelectGraph(0);
    EXPECT_EQ(model.AddSet(), AddSetResult::Added);
    EXPECT_EQ(model.CurrentSet(), 3);
    EXPECT_EQ(Settings(0, 2).rangeEnd, 77);
}

TEST_F(ScreenModelTest, ChoosingASetBindsItsXSource)
{
    model.Activate();
    model.AddSet();
    Settings(0, 1).xSlot = 2;
    Settings(0, 1).xSub = 0;
    ASSERT_EQ(model.CurrentSet(), 1);
    EXPECT_TRUE(model.SelectSet(0));
    EXPECT_TRUE(model.SelectSet(1));
    EXPECT_EQ(record->graphs[0].xFromSeries, 1);
    EXPECT_EQ(Settings(0, 1).xSeries, 2);
    EXPECT_TRUE(model.SelectSet(0));
    EXPECT_EQ(record->graphs[0].xFromSeries, 0);
    EXPECT_FALSE(model.SelectSet(0));
    EXPECT_FALSE(model.SelectSet(3));   // not in use
}

TEST_F(ScreenModelTest, TheStoredViewAndTheDataScaleGoToEveryShownSeries)
{
    model.Activate();
    model.AddSet();
    Settings(0, 0).analysisType = kTypeLinear;
    Settings(0, 0).rangeEnd = 100;
    Settings(0, 1).analysisType = kTypeIntegral;
    Settings(0, 1).rangeStart = 5;
    Settings(0, 1).rangeEnd = 100;
    model.SelectSet(0);
    model.RecomputeShownSets();
    record->graphs[0].viewXOffset = 0.25f;
    record->graphs[0].viewXScale = 0.5f;

    const GraphPresentation p = model.Presentation(0);
    EXPECT_EQ(p.viewXOffset, 0.25f);
    EXPECT_EQ(p.viewXScale, 0.5f);
    ASSERT_EQ(p.shown.size(), 3u);
    EXPECT_EQ(p.shown[0].series, 1);
    EXPECT_EQ(p.shown[0].yRangeSource, -1);
    EXPECT_EQ(p.shown[1].series, 16);   // the fit, on its data's scale
    EXPECT_EQ(p.shown[1].yRangeSource, 1);
    EXPECT_EQ(p.shown[2].series, 17);   // the integral, on its own
    EXPECT_EQ(p.shown[2].yRangeSource, -1);
}

TEST_F(ScreenModelTest, EnteringRecomputesEveryShownSetCurrentLast)
{
    model.Activate();
    model.AddSet();
    record->graphCount = 2;
    model.AfterSetup(1, false);
    model.SelectGraph(1);
    model.SelectGraph(0);
    model.SelectSet(0);
    for (int g = 0; g < 2; ++g) {
        for (int s = 0; s < 4; ++s) {
            Settings(g, s).analysisType = kTypeStatistics;
            Settings(g, s).rangeEnd = 100;
        }
    }
    const std::vector<SetRef> sets = model.SetsToRecompute();
    ASSERT_EQ(sets.size(), 3u);
    EXPECT_EQ(sets[0].graph, 0);
    EXPECT_EQ(sets[0].set, 1);
    EXPECT_EQ(sets[1].graph, 1);
    EXPECT_EQ(sets[2].graph, 0);
    EXPECT_EQ(sets[2].set, 0);

    // Another data set's curve in series 17 is replaced by this one's.
    table.Allocate(17, 500);
    std::fill(table.series[17].values.get(), table.series[17].values.get() + 500, -99.0f);
    EXPECT_EQ(model.RecomputeShownSets(), 14);
    EXPECT_NE(table.series[17].values[0], -99.0f);
    EXPECT_EQ(Settings(0, 1).resultShown, 1);
    EXPECT_EQ(Settings(1, 0).resultShown, 1);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ScreenModelTest, DeletingASetTakesItsLegendNoteAlong)
{
    model.Activate();
    model.AddSet();
    Settings(0, 1).showEquation = 1;
    Settings(0, 1).analysisType = kTypeLinear;
    Settings(0, 1).rangeEnd = 100;
    model.Run(ErrorReport::Show);
    model.PlaceResultNote(0.1f, 0.2f);
    model.AddFreeNote(0.3f, 0.3f, 1);
    ASSERT_EQ(record->graphs[0].noteCount, 2);
    EXPECT_EQ(record->graphs[0].notes[0].resultLink, 17);
    EXPECT_GT(record->graphs[0].notes[0].textLength, 0);

    EXPECT_EQ(model.DeleteSet(1), DeleteSetResult::Removed);
    ASSERT_EQ(record->graphs[0].noteCount, 1);
    EXPECT_EQ(record->graphs[0].notes[0].resultLink, 0);
    EXPECT_EQ(record->graphs[0].seriesShown[17], 0);
    model.AddSet();
    EXPECT_EQ(model.CurrentSet(), 1);
    EXPECT_EQ(record->graphs[0].noteCount, 1);

    // The only set is filled afresh, not removed.
    model.DeleteSet(1);
    EXPECT_EQ(model.DeleteSet(0), DeleteSetResult::Refilled);
    EXPECT_EQ(record->selector.setCount, 1);
    EXPECT_EQ(Settings(0, 0).inUse, 1);
}

TEST_F(ScreenModelTest, DeletingAResultNoteSwitchesItsLegendOff)
{
    model.Activate();
    Settings(0, 0).showEquation = 1;
    Settings(0, 0).showR2 = 1;
    model.PlaceResultNote(0.1f, 0.1f);
    ASSERT_TRUE(model.DeleteNote(0));
    EXPECT_EQ(Settings(0, 0).showEquation, 0);
    EXPECT_EQ(Settings(0, 0).showR2, 0);
    EXPECT_FALSE(model.DeleteNote(0));
}

TEST_F(ScreenModelTest, ADeletedNoteNamesItsSetByItsLinkAndLeavesNoCopyBehind)
{
    model.Activate();
    model.AddSet();
    Settings(0, 1).showEquation = 1;
    Settings(0, 1).showR2 = 1;
    model.PlaceResultNote(0.1f, 0.1f);
    model.AddFreeNote(0.5f, 0.5f, 1);
    ASSERT_EQ(record->graphs[0].noteCount, 2);
    // A damaged set number must not pick the set, nor index outside the graph's four.
    record->graphs[0].notes[0].set = 99;
    ASSERT_TRUE(model.DeleteNote(0));
    EXPECT_EQ(Settings(0, 1).showEquation, 0);
    EXPECT_EQ(Settings(0, 1).showR2, 0);
    ASSERT_EQ(record->graphs[0].noteCount, 1);
    EXPECT_EQ(record->graphs[0].notes[0].resultLink, 0);
    EXPECT_FLOAT_EQ(record->graphs[0].notes[0].x, 0.5f);
    const uint8_t* vacated = reinterpret_cast<const uint8_t*>(&record->graphs[0].notes[1]);
    for (size_t i = 0; i < sizeof(project::GraphNote); ++i)
        ASSERT_EQ(vacated[i], 0) << i;
}

TEST_F(ScreenModelTest, WithoutADataSetNothingHappens)
{
    model.Bind(nullptr);
    EXPECT_EQ(model.Activate(), EntryResult::NoData);
    EXPECT_EQ(model.AddSet(), AddSetResult::NoData);
    EXPECT_EQ(model.DeleteSet(0), DeleteSetResult::NoData);
    EXPECT_FALSE(model.SelectSet(1));
    EXPECT_FALSE(model.SelectGraph(1));
    EXPECT_EQ(model.Run(ErrorReport::Show), 0);
    EXPECT_EQ(model.RecomputeShownSets(), 0);
    EXPECT_TRUE(model.SetChoices().empty());
    EXPECT_EQ(model.CurrentSettings(), nullptr);
    EXPECT_EQ(model.AddFreeNote(0, 0, 1), nullptr);
    model.PlaceResultNote(0, 0);
    model.AfterSetup(1, true);
    EXPECT_TRUE(model.Presentation(0).shown.empty());
}

TEST_F(ScreenModelTest, GarbageFromAFileStaysInsideTheRecord)
{
    std::memset(reinterpret_cast<uint8_t*>(record.get()) + 44400, 0xFF, 118128 - 44400);
    record->dataSetSerial = -1;   // equals the 0xFF bytes of seenSerial
    model.Activate();
    model.AddSet();
    model.SelectGraph(3);
    model.SelectSet(2);
    model.RecomputeShownSets();
    model.Run(ErrorReport::Quiet);
    model.PlaceResultNote(0, 0);
    model.DeleteNote(7);
    model.Presentation(0);
    model.Layout({800, 600}, true);
    SUCCEED();
}

}  // namespace

namespace {

TEST(CurveFitChoiceTest, EveryModelAndFormGivesItsType)
{
    const struct {
        int model, variant, type;
    } cases[] = {
        {0, 0, kTypePolynomial}, {0, 2, kTypePolynomial}, {1, 0, kTypeLogarithmic}, {2, 0, kTypeExponential},
        {2, 1, kTypeExponentialOffset}, {2, 2, kTypeExponentialShift}, {2, 3, kTypeNone}, {2, -1, kTypeNone},
        {3, 0, kTypePower}, {4, 0, kTypeNone}, {-1, 0, kTypeNone},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CurveFitAnalysisType(c.model, c.variant), c.type) << c.model << "," << c.variant;
}

}  // namespace
