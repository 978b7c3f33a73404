#include <cmath>
#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "devicelink/sensor/ChannelState.h"
#include "logger/analysis/core/GraphSetupModel.h"
#include "tests/support/AnalysisTestSupport.h"

namespace {

using namespace analysis;
using analysistest::FakeTexts;

// Every output of every channel reads 0..100 unless a test says otherwise.
class RangeUnits : public ChannelUnitSource {
public:
    ChannelUnit Unit(const project::DataSetRecord&, int, int) const override
    {
        ChannelUnit unit;
        unit.minimum = minimum;
        unit.maximum = maximum;
        unit.sensorName = u"Sensor";
        return unit;
    }
    float minimum = 0.0f;
    float maximum = 100.0f;
};

class AxesOfSeries : public SeriesAxisSource {
public:
    AxisRange ValueAxis(int series) const override { return {1.0f, 0.0f, 10.0f * float(series + 1)}; }
    AxisRange TimeAxis(int) const override { return {1.0f, 0.0f, 20.0f}; }
    std::u16string SeriesName(int) const override { return u"Series"; }
};

class GraphSetupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::memset(record.get(), 0, sizeof *record);
        project::ResetAnalysisArea(*record);
        record->inUse = 1;
        devicelink::ChannelState state;
        std::memset(&state, 0, sizeof state);
        state.outputCount = 3;
        platform::CopyToField(state.outputNames[0], u"First");
        platform::CopyToField(state.outputNames[1], u"Second");
        platform::CopyToField(state.outputNames[2], u"Third");
        for (int c : {0, 1, 2}) {
            record->channelRecorded[c] = 1;
            record->channels[c] = project::ToStateImage(state);
        }
        project::AnalysisSettings& s = Settings();
        s.inUse = 1;
        s.ySlot = 1;
        s.ySub = 0;
        s.ySeries = 1;
        s.xSlot = -1;
        s.resultSeries = 16;
        record->selector.setCount = 1;
        project::AnalysisGraphRecord& g = Graph();
        g.inUse = 1;
        g.seriesShown[1] = 1;
        g.seriesShown[16] = 1;
        g.autoY = 1;
        g.autoX = 1;
        g.xMin = 0.0f;
        g.xMax = 20.0f;
        g.xFactor = 1.0f;
        g.xScaleA = 1.0f;
        g.viewXScale = 1.0f;
        g.viewYScale = 1.0f;
    }
    project::AnalysisSettings& Settings() { return *project::SettingsAt(*record, 0, 0); }
    project::AnalysisGraphRecord& Graph() { return record->graphs[0]; }
    // The edits as the dialog shows them when nothing is typed.
    SetupEdits Shown() const
    {
        SetupEdits edits;
        edits.yMinimum = model.YRange().minimum;
        edits.yMaximum = model.YRange().maximum;
        edits.xMinimum = model.XRange().minimum;
        edits.xMaximum = model.XRange().maximum;
        edits.scaleA = model.ScaleA();
        edits.offsetB = model.OffsetB();
        edits.markerSpacing = model.MarkerSpacing();
        edits.setName = u"Set";
        return edits;
    }
    void ExpectFiniteView()
    {
        for (const float v : {Graph().viewXOffset, Graph().viewYOffset, Graph().viewXScale, Graph().viewYScale}) {
            EXPECT_TRUE(std::isfinite(v));
            EXPECT_FALSE(std::isnan(v));
        }
        EXPECT_GT(Graph().viewXScale, 0.0f);
        EXPECT_GT(Graph().viewYScale, 0.0f);
    }

    std::unique_ptr<project::DataSetRecord> record = std::make_unique<project::DataSetRecord>();
    RangeUnits units;
    AxesOfSeries axes;
    FakeTexts texts;
    GraphSetupModel model{*record, units, axes, texts};
};

TEST_F(GraphSetupTest, AZoomedViewShowsItsPartOfTheUnitRangeAndOkKeepsIt)
{
    Graph().viewYOffset = 0.25f;
    Graph().viewYScale = 0.5f;
    model.Open();
    model.ChooseYMode(RangeMode::Manual);
    model.ChooseYMode(RangeMode::Automatic);
    EXPECT_FLOAT_EQ(model.YRange().minimum, 25.0f);
    EXPECT_FLOAT_EQ(model.YRange().maximum, 75.0f);

    model.ChooseYMode(RangeMode::Manual);
    const SetupResult result = model.Commit(Shown());
    ASSERT_TRUE(result.accepted);
    EXPECT_FALSE(result.selectionChanged);
    EXPECT_EQ(Graph().autoY, 0);
    EXPECT_FLOAT_EQ(Graph().viewYOffset, 0.25f);
    EXPECT_FLOAT_EQ(Graph().viewYScale, 0.5f);
    EXPECT_EQ(Graph().manualRange[1], 1);
    EXPECT_FLOAT_EQ(Graph().manualYMax[1], 75.0f);
}

// Fault: up to sixteen shown series were copied into a list of four, and a stored Y series or a
// slot of -1 was used as an index.
TEST_F(GraphSetupTest, ManyShownSeriesListFourTheSetsOwnFirst)
{
    for (int s : {0, 2, 4, 5, 8, 10})
        Graph().seriesShown[s] = 1;
    Settings().ySlot = 2;
    Settings().ySub = 2;
    Settings().ySeries = 10;
    model.Open();
    ASSERT_EQ(model.Entries().size(), 4u);
    EXPECT_EQ(model.Entries()[0].Series(), 10);
    EXPECT_EQ(model.SelectedEntry(), 0);
    EXPECT_EQ(model.EntryItems()[0], u"C: Series");
    EXPECT_FALSE(model.Add());   // no room for a fifth

    Settings().ySlot = -1;
    Settings().ySeries = 4000;
    Settings().xSlot = -1;
    model.Open();
    EXPECT_EQ(model.YChannels().selected, 0);
    EXPECT_EQ(model.SelectedEntry(), -1);
    ASSERT_TRUE(model.Commit(Shown()).accepted);   // writes the name only
    EXPECT_EQ(Settings().ySlot, -1);
}

// Fault: a unit range or X range without width stored inf or NaN view fractions, and a manual
// minimum above its maximum stored a scale below 0.
TEST_F(GraphSetupTest, DegenerateRangesStayAutomaticAndInvertedOnesAreRefused)
{
    units.maximum = units.minimum;
    Graph().xMax = Graph().xMin;
    model.Open();
    model.ChooseYMode(RangeMode::Manual);
    model.ChooseXMode(RangeMode::Manual);
    SetupEdits edits = Shown();
    edits.yMinimum = 1.0f;
    edits.yMaximum = 2.0f;
    edits.xMinimum = 1.0f;
    edits.xMaximum = 2.0f;
    ASSERT_TRUE(model.Commit(edits).accepted);
    EXPECT_EQ(Graph().autoY, 1);
    EXPECT_EQ(Graph().autoX, 1);
    EXPECT_EQ(Graph().manualRange[1], 0);
    ExpectFiniteView();

    units.maximum = 100.0f;
    Graph().xMax = 20.0f;
    model.Open();
    model.ChooseYMode(RangeMode::Manual);
    const struct {
        std::optional<float> low, high;
        SetupRefusal refusal;
    } refused[] = {{60.0f, 40.0f, SetupRefusal::InvertedRange},
                   {40.0f, 40.0f, SetupRefusal::InvertedRange},
                   {std::nullopt, 40.0f, SetupRefusal::NotANumber},
                   {NAN, 40.0f, SetupRefusal::NotANumber}};
    for (const auto& r : refused) {
        edits = Shown();
        edits.yMinimum = r.low;
        edits.yMaximum = r.high;
        edits.setName = u"Changed";
        const SetupResult result = model.Commit(edits);
        EXPECT_FALSE(result.accepted);
        EXPECT_EQ(result.refusal, r.refusal);
    }
    edits = Shown();
    edits.scaleA = 0.0f;
    EXPECT_EQ(model.Commit(edits).refusal, SetupRefusal::InvertedRange);
    EXPECT_EQ(Graph().autoY, 1);
    EXPECT_EQ(project::SetNameText(Settings()), u"Set");
    ExpectFiniteView();
}

// The graphs page; fewer graphs than the current one's number leaves the last one current.
TEST_F(GraphSetupTest, TheGraphCountIsTakenAndTheCurrentGraphKeptAmongThem)
{
    model.Open();
    EXPECT_EQ(model.GraphChoice(), 0);
    model.ChooseGraphCount(2);
    ASSERT_TRUE(model.Commit(Shown()).accepted);
    EXPECT_EQ(record->graphCount, 3);

    record->currentGraph = 2;
    *project::SettingsAt(*record, 2, 0) = Settings();
    record->graphs[2] = Graph();
    model.Open();
    model.ChooseGraphCount(0);
    ASSERT_TRUE(model.Commit(Shown()).accepted);
    EXPECT_EQ(record->graphCount, 1);
    EXPECT_EQ(record->currentGraph, 0);
}

TEST_F(GraphSetupTest, TheListAndTheXSource)
{
    model.Open();
    model.ChooseYChannel(2);   // channel C
    model.ChooseYOutput(1);
    EXPECT_TRUE(model.Add());
    EXPECT_FALSE(model.Add());   // listed already
    model.SelectEntry(1);
    model.ChooseXSource(XSource::Series);
    model.ChooseXChannel(0);
    model.ChooseXOutput(2);
    const SetupResult result = model.Commit(Shown());
    ASSERT_TRUE(result.accepted);
    EXPECT_TRUE(result.selectionChanged);
    EXPECT_EQ(Settings().ySlot, 2);
    EXPECT_EQ(Settings().ySub, 1);
    EXPECT_EQ(Settings().xSlot, 0);
    EXPECT_EQ(Settings().xSub, 2);
    EXPECT_EQ(Graph().xFromSeries, 1);
    EXPECT_EQ(Graph().seriesShown[1], 1);
    EXPECT_EQ(Graph().seriesShown[6], 1);
    EXPECT_EQ(Graph().seriesShown[16], 1);

    // Back to time: the graph stops scaling X at once, even if the dialog is cancelled.
    Graph().autoX = 1;
    model.Open();
    EXPECT_EQ(model.XChannels().selected, 0);
    model.ChooseXSource(XSource::Time);
    EXPECT_EQ(Graph().autoX, 0);
    EXPECT_EQ(model.XMode(), RangeMode::Manual);
    EXPECT_FALSE(model.XChannels().enabled);
    EXPECT_FLOAT_EQ(model.XRange().maximum, 20.0f);
    EXPECT_TRUE(model.Remove());
    EXPECT_FALSE(model.Remove());   // the last one stays

    // A new x' = a x t + b moves the axis' ends over the same times.
    SetupEdits edits = Shown();
    edits.scaleA = 2.0f;
    edits.offsetB = 1.0f;
    ASSERT_TRUE(model.Commit(edits).accepted);
    EXPECT_FLOAT_EQ(Graph().xMin, 1.0f);
    EXPECT_FLOAT_EQ(Graph().xMax, 41.0f);
    EXPECT_FLOAT_EQ(Graph().xScaleA, 2.0f);
}

}  // namespace
