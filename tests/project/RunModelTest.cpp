#include <cstring>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "logger/project/ProjectFile.h"
#include "logger/project/RunModel.h"
#include "platform/LittleEndian.h"
#include "tests/support/ProjectTestSupport.h"

using namespace project;
using namespace projecttest;

namespace {

class FakeStore : public RunStore {
public:
    ProjectResult SaveProject() override { return Note("save"); }
    ProjectResult SaveProjectKeepRecord() override { return Note("keep"); }
    ProjectResult LoadProject() override { return Note("load"); }
    ProjectResult Note(const char* call) { calls.push_back(call); return result; }

    std::vector<std::string> calls;
    ProjectResult result = ProjectResult::Ok;
};

class RunModelTest : public ::testing::Test {
protected:
    RunModelTest()
        : model(*block, store, sensor, RunModelHooks{[this] { ++chartClears; }, [this](DataSetRecord&) { ++plans; }},
                u"Run")
    {
    }

    void RecordNew()
    {
        ASSERT_EQ(model.NewRun(), kRunDone);
        StopInto(*block, *samples, block->currentIndex, {10});
    }

    std::vector<uint8_t> Snapshot() const
    {
        const auto* bytes = reinterpret_cast<const uint8_t*>(block.get());
        return {bytes, bytes + sizeof *block};
    }

    std::unique_ptr<ExperimentBlock> block = std::make_unique<ExperimentBlock>();
    std::unique_ptr<SampleArrays> samples = std::make_unique<SampleArrays>();
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
    EXPECT_EQ(run->selectedChannel, -1);
    EXPECT_EQ(run->viewGraphs[0].autoScalePad, 0.05f);
    EXPECT_EQ(run->period, 200000);
    EXPECT_EQ(run->totalTarget, 150);
    EXPECT_EQ(block->usedCount, 1);
    EXPECT_EQ(store.calls, std::vector<std::string>{"save"});
    EXPECT_EQ(chartClears + plans, 2);

    EXPECT_EQ(model.ClearAllRuns(), 1);
    EXPECT_EQ(Snapshot(), std::vector<uint8_t>(sizeof(ExperimentBlock), 0));
}

TEST_F(RunModelTest, SerialsAndTheFourRecordLimit)
{
    RecordNew();
    StopInto(*block, *samples, 0, {10});
    EXPECT_EQ(block->records[0].dataSetSerial, 0x12300000 + 2);
    for (int k = 1; k < 4; ++k) {
        RecordNew();
        EXPECT_EQ(block->records[k].dataSetSerial, 0x12300000 + k + 1);
    }
    EXPECT_EQ(block->usedCount, 4);
    const auto before = Snapshot();
    EXPECT_EQ(model.NewRun(), kRunRefused);
    EXPECT_EQ(Snapshot(), before);

    EXPECT_EQ(model.DeleteRun(0), kRunDone);
    EXPECT_EQ(block->currentIndex, 1);
    EXPECT_EQ(block->usedCount, 3);
    ASSERT_EQ(model.NewRun(), kRunDone);   // takes the freed record with its own serial
    EXPECT_EQ(block->currentIndex, 0);
    EXPECT_EQ(block->records[0].dataSetSerial, 0x12300000);
}

TEST_F(RunModelTest, EmptyCurrentRecordIsNotDoubled)
{
    ASSERT_EQ(model.NewRun(), kRunDone);
    const auto before = Snapshot();
    EXPECT_EQ(model.NewRun(), kRunRefused);
    EXPECT_EQ(Snapshot(), before);

    // Switching back to a recorded set and asking again takes the empty record once more.
    StopInto(*block, *samples, 0, {10});
    ASSERT_EQ(model.NewRun(), kRunDone);
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(model.SelectRun(0), kRunDone);
        ASSERT_EQ(model.NewRun(), kRunDone);
        EXPECT_EQ(block->currentIndex, 1);
    }
    EXPECT_EQ(block->usedCount, 2);

    block->usedCount = 4;   // a stale count, as a file may bring
    StopInto(*block, *samples, 1, {5});
    EXPECT_EQ(model.NewRun(), kRunDone);
    EXPECT_EQ(block->usedCount, 3);
}

TEST_F(RunModelTest, DeleteRefusesWhatIsNotASetAndFallsBackToMadeSets)
{
    RecordNew();
    const auto before = Snapshot();
    for (int k : {-1, 4, 1000, 2})
        EXPECT_EQ(model.DeleteRun(k), kRunRefused) << k;
    EXPECT_EQ(Snapshot(), before);

    ASSERT_EQ(model.NewRun(), kRunDone);   // record 1 stays empty
    ASSERT_EQ(model.SelectRun(0), kRunDone);
    store.calls.clear();
    EXPECT_EQ(model.DeleteRun(0), kRunDone);
    EXPECT_EQ(store.calls, (std::vector<std::string>{"keep", "load"}));
    EXPECT_EQ(block->currentIndex, 1);
    EXPECT_EQ(block->usedCount, 1);

    EXPECT_EQ(model.DeleteRun(1), kRunRefused);   // the last one
    EXPECT_EQ(block->usedCount, 0);
    EXPECT_EQ(block->currentIndex, 1);
    EXPECT_EQ(CountCreatedRuns(*block), 0);
}

TEST_F(RunModelTest, FailedStoreGivesNothingUp)
{
    RecordNew();
    store.result = ProjectResult::IoError;
    const auto before = Snapshot();
    EXPECT_EQ(model.NewRun(), kRunStoreFailed);
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

TEST_F(RunModelTest, TitlesAreCutAndDefaultRatesUsable)
{
    sensor.connected[2] = true;
    sensor.defaultRate[0] = 0;
    sensor.defaultRate[1] = 50000;
    RunModel longTitled(*block, store, sensor, {}, std::u16string(40, u'x'));
    ASSERT_EQ(longTitled.NewRun(), kRunDone);
    const DataSetRecord& run = block->records[0];
    EXPECT_EQ(RunTitle(run), std::u16string(32, u'x'));
    EXPECT_EQ(run.channels[0].bytes[1], 0x5A);   // the field ends where it should
    EXPECT_EQ(run.channelRate[0], 5);
    EXPECT_EQ(run.channelRate[1], 10000);
    EXPECT_EQ(run.channelRate[2], 30);
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
            ChannelStateImage expected = sensor.states[ch];
            // By the stored offsets, not the record's names: the all-outputs flag, the time
            // origin, unit and factor.
            platform::WriteLE32(expected.bytes, 68, 0);
            platform::WriteLE32(expected.bytes, 808, 0);
            platform::WriteLEFloat(expected.bytes, 812, c.scale);
            platform::WriteLEFloat(expected.bytes, 816, 1.0f);
            EXPECT_EQ(std::memcmp(&run.channels[ch], &expected, sizeof expected), 0) << c.mode << " " << c.period;
        }
    }
    EXPECT_EQ(run.channels[1].bytes[812 - 68], 0x5B);
}

// The plan may change the period after the copies were taken: their time scale follows it.
TEST_F(RunModelTest, TimeScalesFollowThePlanOfANewSet)
{
    RunModel planned(*block, store, sensor,
                     RunModelHooks{nullptr, [](DataSetRecord& record) { record.period = 20000; }}, u"Run");
    ASSERT_EQ(planned.NewRun(), kRunDone);
    const DataSetRecord& run = *planned.GetCurrentRun();
    ASSERT_EQ(run.period, 20000);
    for (int ch = 0; ch < kChannelCount; ++ch)
        EXPECT_FLOAT_EQ(ToDeviceState(run.channels[ch]).timeUnit, 0.001f) << ch;
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

    const std::vector<int32_t> counts[] = {{100, 7}, {0, 0, 33}, {1, 2, 3, 4}};
    for (int k = 0; k < 3; ++k) {
        ASSERT_EQ(model.NewRun(), kRunDone);
        StopInto(*block, *samples, k, counts[k]);
    }
    ASSERT_EQ(model.SelectRun(0), kRunDone);
    ExpectSamples(*samples, 0, counts[0]);
    ASSERT_EQ(model.DeleteRun(0), kRunDone);
    EXPECT_EQ(block->currentIndex, 1);
    ExpectSamples(*samples, 1, counts[1]);
    ASSERT_EQ(model.SelectRun(2), kRunDone);
    ExpectSamples(*samples, 2, counts[2]);
    EXPECT_EQ(block->usedCount, 2);
    EXPECT_EQ(block->records[0].dataSetSerial, 0);
}

// A set whose samples did not come back must not stay current: the next save would store the
// samples still in memory (another set's) over its recording.
TEST(RunModelWithProjectFile, ASetThatDidNotLoadIsNotSavedOver)
{
    class FailingLoad : public RunStore {
    public:
        explicit FailingLoad(ProjectFile& file) : file_(file) {}
        ProjectResult SaveProject() override { return file_.SaveProject(); }
        ProjectResult SaveProjectKeepRecord() override { return file_.SaveProjectKeepRecord(); }
        ProjectResult LoadProject() override { return failLoad ? ProjectResult::IoError : file_.LoadProject(); }
        bool failLoad = false;

    private:
        ProjectFile& file_;
    };

    TempFolder folder;
    auto block = std::make_unique<ExperimentBlock>();
    auto samples = std::make_unique<SampleArrays>();
    FakeSensor sensor;
    ProjectFile project(*block, *samples, folder.Path().string());
    FailingLoad store(project);
    RunModel model(*block, store, sensor, {}, u"Run");
    ASSERT_EQ(project.NewProject(u"P", {}), ProjectResult::Ok);
    const std::vector<int32_t> counts[] = {{50}, {0, 20}};
    for (int k = 0; k < 2; ++k) {
        ASSERT_EQ(model.NewRun(), kRunDone);
        StopInto(*block, *samples, k, counts[k]);
    }

    store.failLoad = true;
    EXPECT_EQ(model.SelectRun(0), kRunStoreFailed);
    EXPECT_EQ(model.GetCurrentRun(), nullptr);
    store.failLoad = false;
    ASSERT_EQ(model.SelectRun(0), kRunDone);
    ExpectSamples(*samples, 0, counts[0]);
    ASSERT_EQ(model.SelectRun(1), kRunDone);
    ExpectSamples(*samples, 1, counts[1]);
}

}  // namespace
