#include <cstring>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "ProjectTestSupport.h"
#include "logger/project/ProjectFile.h"
#include "logger/project/RunModel.h"

using namespace logger;
using namespace projecttest;

namespace {

class FakeStore : public RunStore {
public:
    ProjectResult SaveProject() override { calls.push_back("save"); return result; }
    ProjectResult SaveProjectKeepRecord() override { calls.push_back("keep"); return result; }
    ProjectResult LoadProject() override { calls.push_back("load"); return result; }

    std::vector<std::string> calls;
    ProjectResult result = ProjectResult::Ok;
};

class RunModelTest : public ::testing::Test {
protected:
    RunModelTest()
        : block(std::make_unique<ExperimentBlock>()),
          samples(std::make_unique<SampleArrays>()),
          model(*block, store, sensor,
                RunModelHooks{[this] { ++chartClears; }, [this](DataSetRecord&) { ++plans; }}, u"Run")
    {
    }

    // Makes a new set and records into it.
    void RecordNew(std::initializer_list<int32_t> counts = {10})
    {
        ASSERT_EQ(model.NewRun(), kRunDone);
        StopInto(*block, *samples, block->currentIndex, counts);
    }

    std::vector<uint8_t> Snapshot() const
    {
        const auto* bytes = reinterpret_cast<const uint8_t*>(block.get());
        return {bytes, bytes + sizeof *block};
    }

    std::unique_ptr<ExperimentBlock> block;
    std::unique_ptr<SampleArrays> samples;
    FakeStore store;
    FakeSensor sensor;
    int chartClears = 0;
    int plans = 0;
    RunModel model;
};

TEST_F(RunModelTest, FirstNewRunMakesRecordZero)
{
    ASSERT_EQ(model.NewRun(), kRunDone);
    const DataSetRecord* run = model.GetCurrentRun();
    ASSERT_EQ(run, &block->records[0]);
    EXPECT_EQ(run->dataSetSerial, 0x12300000);
    EXPECT_EQ(RunTitle(*run), u"Run1");
    EXPECT_EQ(NoteTitle(run->note), u"Note");
    EXPECT_EQ(run->note.fontSize, 16);
    EXPECT_EQ(run->inUse, 0);
    EXPECT_EQ(run->selectedChannel, -1);
    EXPECT_EQ(run->viewGraphCount, 1);
    EXPECT_EQ(run->viewGraphs[0].autoScalePad, 0.05f);
    EXPECT_EQ(run->rate, 5);
    EXPECT_EQ(run->period, 200000);
    EXPECT_EQ(run->length, 30);
    EXPECT_EQ(run->stopCount, 1);
    EXPECT_EQ(run->totalTarget, 150);
    EXPECT_EQ(block->usedCount, 1);
    EXPECT_EQ(store.calls, std::vector<std::string>{"save"});
    EXPECT_EQ(chartClears, 1);
    EXPECT_EQ(plans, 1);
}

TEST_F(RunModelTest, SerialsCountStopsAndRecordsFillInOrder)
{
    RecordNew();
    StopInto(*block, *samples, 0, {10});
    EXPECT_EQ(block->records[0].dataSetSerial, 0x12300000 + 2);
    for (int k = 1; k < 4; ++k) {
        RecordNew();
        EXPECT_EQ(block->currentIndex, k);
        EXPECT_EQ(block->records[k].dataSetSerial, 0x12300000 + k + 1);
    }
    EXPECT_EQ(block->usedCount, 4);
    const auto before = Snapshot();
    EXPECT_EQ(model.NewRun(), kRunRefused);
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(RunModelTest, EmptyCurrentRecordIsReusedNotDoubled)
{
    ASSERT_EQ(model.NewRun(), kRunDone);
    const auto before = Snapshot();
    EXPECT_EQ(model.NewRun(), kRunRefused);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(store.calls.size(), 1u);
}

TEST_F(RunModelTest, SwitchingBackThenNewRunKeepsTheTrueCount)
{
    RecordNew();
    ASSERT_EQ(model.NewRun(), kRunDone);   // record 1, made and empty
    ASSERT_EQ(model.SelectRun(0), kRunDone);
    ASSERT_EQ(model.NewRun(), kRunDone);   // takes record 1 again
    EXPECT_EQ(block->currentIndex, 1);
    EXPECT_EQ(block->usedCount, 2);
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(model.SelectRun(0), kRunDone);
        ASSERT_EQ(model.NewRun(), kRunDone);
    }
    EXPECT_EQ(block->usedCount, 2);

    block->usedCount = 4;   // a stale count, as a file may bring
    StopInto(*block, *samples, 1, {5});
    EXPECT_EQ(model.NewRun(), kRunDone);
    EXPECT_EQ(block->usedCount, 3);
}

TEST_F(RunModelTest, DeleteMovesToFirstRecordedSetAndReloads)
{
    RecordNew();
    RecordNew();
    RecordNew();
    store.calls.clear();
    EXPECT_EQ(model.DeleteRun(0), kRunDone);
    EXPECT_EQ(block->usedCount, 2);
    EXPECT_EQ(block->currentIndex, 1);
    EXPECT_EQ(store.calls, (std::vector<std::string>{"keep", "load"}));
    const auto* bytes = reinterpret_cast<const uint8_t*>(&block->records[0]);
    for (size_t i = 0; i < sizeof(DataSetRecord); ++i)
        ASSERT_EQ(bytes[i], 0) << i;

    // A new set takes the freed record with its own serial.
    ASSERT_EQ(model.NewRun(), kRunDone);
    EXPECT_EQ(block->currentIndex, 0);
    EXPECT_EQ(block->records[0].dataSetSerial, 0x12300000);
    EXPECT_EQ(block->usedCount, 3);
}

TEST_F(RunModelTest, DeletingTheLastSetLeavesNothing)
{
    RecordNew();
    EXPECT_EQ(model.DeleteRun(0), kRunRefused);
    EXPECT_EQ(block->usedCount, 0);
    EXPECT_EQ(block->currentIndex, 0);
    EXPECT_EQ(model.DeleteRun(0), kRunRefused);
}

TEST_F(RunModelTest, DeleteRefusesIndexesAndRecordsThatAreNotSets)
{
    RecordNew();
    const auto before = Snapshot();
    store.calls.clear();
    for (int k : {-1, 4, 1000, 2})
        EXPECT_EQ(model.DeleteRun(k), kRunRefused) << k;
    EXPECT_EQ(Snapshot(), before);
    EXPECT_TRUE(store.calls.empty());
}

TEST_F(RunModelTest, DeleteFallsBackToAMadeButEmptySet)
{
    RecordNew();
    ASSERT_EQ(model.NewRun(), kRunDone);   // record 1 stays empty
    ASSERT_EQ(model.SelectRun(0), kRunDone);
    EXPECT_EQ(model.DeleteRun(0), kRunDone);
    EXPECT_EQ(block->currentIndex, 1);
    EXPECT_EQ(block->usedCount, 1);
    ASSERT_NE(model.GetCurrentRun(), nullptr);
}

TEST_F(RunModelTest, FailedStoreGivesNothingUp)
{
    RecordNew();
    store.result = ProjectResult::IoError;
    const auto before = Snapshot();
    EXPECT_EQ(model.NewRun(), kRunStoreFailed);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(model.DeleteRun(0), kRunStoreFailed);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(chartClears, 1);
}

TEST_F(RunModelTest, CurrentIndexOutsideTheRecordsHasNoRecord)
{
    RecordNew();
    for (int index : {-1, 4, -2147483647, 0x7FFFFFFF}) {
        block->currentIndex = index;
        EXPECT_EQ(model.GetCurrentRun(), nullptr);
        const auto before = Snapshot();
        model.InitRunSetup();
        model.CopyChannelSetup();
        EXPECT_EQ(Snapshot(), before);
    }
}

TEST_F(RunModelTest, LongRunTitleIsCutToItsField)
{
    RunModel longTitled(*block, store, sensor, {}, std::u16string(40, u'x'));
    ASSERT_EQ(longTitled.NewRun(), kRunDone);
    EXPECT_EQ(RunTitle(block->records[0]), std::u16string(32, u'x'));
    // The field is full; the channel copies that follow it are intact.
    EXPECT_EQ(block->records[0].channels[0].bytes[1], 0x5A);
}

TEST_F(RunModelTest, DefaultRatesOfConnectedChannelsAreUsable)
{
    sensor.connected[2] = true;
    sensor.defaultRate[0] = 0;
    sensor.defaultRate[1] = 50000;
    sensor.defaultRate[2] = 200;
    ASSERT_EQ(model.NewRun(), kRunDone);
    const DataSetRecord& run = *model.GetCurrentRun();
    EXPECT_EQ(run.channelRate[0], 5);
    EXPECT_EQ(run.channelRate[1], 10000);
    EXPECT_EQ(run.channelRate[2], 200);
    EXPECT_EQ(run.channelRate[3], 0);
}

TEST_F(RunModelTest, ChannelCopiesTakeTheLiveStatesWithTimeWords)
{
    ASSERT_EQ(model.NewRun(), kRunDone);
    DataSetRecord& run = *model.GetCurrentRun();
    struct Case { int32_t mode, perChannel, period, channelPeriod; float scale; };
    const Case cases[] = {
        {0, 0, 9999, 0, 0.000001f},   {0, 0, 10000, 0, 0.001f},
        {0, 1, 9999, 10000, 0.001f},  {0, 1, 10000, 9999, 0.000001f},
        {1, 0, 100, 0, 1.0f},         {3, 0, 200000, 0, 1.0f},
    };
    for (const Case& c : cases) {
        run.mode = c.mode;
        run.perChannelRates = c.perChannel;
        run.period = c.period;
        std::fill(std::begin(run.channelPeriod), std::end(run.channelPeriod), c.channelPeriod);
        model.CopyChannelSetup();
        for (int ch = 0; ch < kChannelCount; ++ch) {
            const ChannelStateImage& copy = run.channels[ch];
            EXPECT_EQ(StateInt(copy, 68), 0);
            EXPECT_EQ(StateInt(copy, 808), 0);
            EXPECT_EQ(StateFloat(copy, 816), 1.0f);
            EXPECT_EQ(StateFloat(copy, 812), c.scale) << c.mode << " " << c.period;
            for (size_t i = 0; i < sizeof copy.bytes; ++i) {
                const bool rewritten = (i >= 68 && i < 72) || (i >= 808 && i < 820);
                if (!rewritten && copy.bytes[i] != sensor.states[ch].bytes[i]) {
                    ADD_FAILURE() << "channel " << ch << " byte " << i;
                    break;
                }
            }
        }
    }
    sensor.present = false;
    model.CopyChannelSetup();
    EXPECT_EQ(run.channels[1].bytes[0], 0);
}

// The model over a real working copy: samples of a set that is not shown come back from it.
TEST(RunModelWithProjectFile, SamplesOfEverySetComeBackFromTheWorkingCopy)
{
    TempFolder folder;
    auto block = std::make_unique<ExperimentBlock>();
    auto samples = std::make_unique<SampleArrays>();
    FakeSensor sensor;
    ProjectFile project(*block, *samples, folder.Path().string());
    RunModel model(*block, project, sensor, {}, u"Run");
    ASSERT_EQ(project.NewProject(u"P", {}), ProjectResult::Ok);

    ASSERT_EQ(model.NewRun(), kRunDone);
    StopInto(*block, *samples, 0, {100, 7});
    ASSERT_EQ(model.NewRun(), kRunDone);
    StopInto(*block, *samples, 1, {0, 0, 33});
    ASSERT_EQ(model.NewRun(), kRunDone);
    StopInto(*block, *samples, 2, {1, 2, 3, 4});

    ASSERT_EQ(model.SelectRun(0), kRunDone);
    ExpectSamples(*samples, 0, {100, 7});
    ASSERT_EQ(model.SelectRun(2), kRunDone);
    ExpectSamples(*samples, 2, {1, 2, 3, 4});
    ASSERT_EQ(model.DeleteRun(0), kRunDone);
    EXPECT_EQ(block->currentIndex, 1);
    ExpectSamples(*samples, 1, {0, 0, 33});
    EXPECT_EQ(block->usedCount, 2);
    ASSERT_EQ(model.SelectRun(2), kRunDone);
    ExpectSamples(*samples, 2, {1, 2, 3, 4});
    EXPECT_EQ(block->usedCount, 2);
    EXPECT_EQ(block->records[0].dataSetSerial, 0);
}

}  // namespace
