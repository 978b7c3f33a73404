// The run controller over the real sensor object, whose device calls a scripted logger answers;
// the tests deliver samples into the sensor object's acquisition arrays as the driver would.
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "logger/measure/core/MeasureController.h"
#include "logger/measure/core/MeasureTexts.h"
#include "logger/measure/core/SensorObjectAdapter.h"
#include "logger/project/ExperimentRecords.h"
#include "MeasureTestSupport.h"
#include "tests/support/PlainSensor.h"
#include "tests/support/RecordingDeviceApi.h"

using namespace measure;
using measuretest::BytesOf;

namespace {

class CountingAdapter : public SensorObjectAdapter {
public:
    using SensorObjectAdapter::SensorObjectAdapter;
    void Convert(int channel, const devicelink::ChannelState& state, int32_t count, const int32_t* raw,
                 const int32_t* times, float* values, float* outTimes, int32_t timeOffset,
                 int32_t* produced) override
    {
        ++converts[channel];
        SensorObjectAdapter::Convert(channel, state, count, raw, times, values, outTimes, timeOffset, produced);
    }
    int converts[4] = {};
};

// Public: the table-driven cases act on the fixture from lambdas.
class ControllerTest : public ::testing::Test {
public:
    void SetUp() override
    {
        for (int c = 0; c < 2; ++c)
            corviktest::DescribePlainSensor(sensor, c, "T");
        controller = std::make_unique<MeasureController>(*block, *samples, store, adapter, chart, host);
        ASSERT_TRUE(controller->NewRun());
        Run().rate = 5;
        Run().length = 2;   // 10 samples a channel
    }
    void TearDown() override { controller.reset(); }
    // A fresh controller over a fresh block, sensor states and logger script.
    void Restart()
    {
        controller.reset();
        project::ClearAllRuns(*block);
        host.messages.clear();
        api.submitResult = 1;
        api.onRead = nullptr;
        SetUp();
    }

    project::DataSetRecord& Run() { return *controller->CurrentRun(); }
    void SwitchOn(std::initializer_list<int> channels)
    {
        for (int c : channels)
            ASSERT_TRUE(controller->SetChannel(c, true)) << c;
    }
    // The driver's delivery of `entries` raw entries to channel c, values counting from `first`.
    void Deliver(int c, int entries, uint32_t first = 100)
    {
        const devicelink::MeasureSetupHost& h = sensor.acquisitionRequest().host;
        const int32_t count = h.counts[c]->load();
        for (int i = 0; i < entries; ++i) {
            h.values[c][count + i] = first + uint32_t(count + i);
            h.times[c][count + i] = 200 * (count + i);
        }
        h.counts[c]->store(count + entries, std::memory_order_release);
    }
    void WakeUp() { controller->OnWakeUp(controller->Generation()); }
    bool Told(int textId) const
    {
        return std::any_of(host.messages.begin(), host.messages.end(),
                           [&](const auto& m) { return m.text == textId; });
    }
    int StartsSubmitted() const
    {
        return int(std::count_if(api.submitted.begin(), api.submitted.end(), [](const corviktest::Submitted& s) {
            return !s.write && s.block.kind != devicelink::kind::kSingle;
        }));
    }

    corviktest::RecordingDeviceApi api;
    devicelink::CNI2CSensor sensor{api};
    CountingAdapter adapter{&sensor};
    measuretest::RecordingChart chart;
    measuretest::QueueHost host;
    measuretest::CountingStore store;
    std::unique_ptr<project::ExperimentBlock> block = std::make_unique<project::ExperimentBlock>();
    std::unique_ptr<project::SampleArrays> samples = std::make_unique<project::SampleArrays>();
    std::unique_ptr<MeasureController> controller;
};

TEST_F(ControllerTest, ATimedRunEndsByItselfAndCommitsOnce)
{
    SwitchOn({0, 1});
    const int32_t serial = Run().dataSetSerial;
    controller->Start();
    ASSERT_EQ(controller->State(), RunState::Acquiring);
    EXPECT_TRUE(controller->StartButtonDown());
    Deliver(0, 6);
    Deliver(1, 6);
    WakeUp();
    EXPECT_EQ(controller->State(), RunState::Acquiring);
    Deliver(0, 4);
    Deliver(1, 7);   // more than the run asked for
    WakeUp();
    ASSERT_EQ(controller->State(), RunState::Idle);
    EXPECT_EQ(Run().inUse, 1);
    EXPECT_EQ(Run().dataSetSerial, serial + 1);
    EXPECT_EQ(Run().sampleCount[0], 10);
    EXPECT_EQ(Run().sampleCount[1], 10);
    EXPECT_EQ(Run().elapsedMs, 2000);
    EXPECT_EQ(store.saves, 2);   // the new set, then the run right after its commit
    const devicelink::MeasureSetupHost& h = sensor.acquisitionRequest().host;
    for (int c = 0; c < 2; ++c) {
        for (int i = 0; i < 10; ++i) {
            ASSERT_EQ(samples->rawValues[c][i], h.values[c][i]);
            ASSERT_EQ(samples->rawTimes[c][i], h.times[c][i]);
        }
        EXPECT_EQ(chart.SeriesUsed(c), 10);
        EXPECT_FLOAT_EQ(chart.series[c].values[3], 103.0f);
        EXPECT_TRUE(chart.series[c].shown);
    }
    EXPECT_EQ(controller->ValueText(0), u"109 - ()");
    // A late wake-up of the finished run changes nothing.
    WakeUp();
    controller->OnWakeUp(controller->Generation() - 1);
    EXPECT_EQ(Run().dataSetSerial, serial + 1);
    EXPECT_EQ(store.saves, 2);
    EXPECT_EQ(api.stops > 0, true);
}

// A channel with nothing new is passed over; the others are taken and tested for their end.
TEST_F(ControllerTest, AChannelWithNothingNewDoesNotStarveTheOthers)
{
    SwitchOn({0, 1});
    controller->Start();
    Deliver(0, 10);
    WakeUp();
    EXPECT_TRUE(controller->Intake().Channel(0).finished);
    Deliver(1, 5);
    WakeUp();   // channel 0 has nothing new
    EXPECT_EQ(controller->Intake().Channel(1).points, 5);
    Deliver(1, 5);
    WakeUp();
    EXPECT_EQ(controller->State(), RunState::Idle);
    EXPECT_EQ(Run().sampleCount[1], 10);
}

TEST_F(ControllerTest, StartClearsChannelsRecordedEarlier)
{
    Run().channelRecorded[1] = 1;
    Run().channelRecorded[3] = 1;
    controller->SyncControls();
    ASSERT_TRUE(controller->SetChannel(1, false));
    SwitchOn({0});
    controller->Start();
    EXPECT_EQ(Run().channelRecorded[0], 1);
    EXPECT_EQ(Run().channelRecorded[1], 0);
    EXPECT_EQ(Run().channelRecorded[3], 0);
    controller->Stop();
}

// The driver signals every so many deliveries: the tail of a run arrives without a signal.
TEST_F(ControllerTest, TheWorkerPostsOnItsTimeOutSoTheTailIsTaken)
{
    SwitchOn({0});
    controller->Start();
    Deliver(0, 10);   // no signal
    ASSERT_TRUE(host.PumpUntil(*controller, [&] { return controller->IsIdle(); }, 20000));
    EXPECT_GE(host.PostCount(), 1);
    EXPECT_EQ(Run().sampleCount[0], 10);
}

// A start that does not run, or a run that took nothing, leaves the record as it was.
TEST_F(ControllerTest, AbortedStartsLeaveTheRecordAsItWas)
{
    const auto none = [](ControllerTest&) {};
    const auto channelA = [](ControllerTest& t) { t.SwitchOn({0}); };
    const struct {
        const char* name;
        std::function<void(ControllerTest&)> prepare;
        std::function<void(ControllerTest&)> act;
        int message;
    } cases[] = {
        {"no channel switched on", none, [](ControllerTest& t) { t.controller->Start(); }, text::kNoChannelOn},
        {"start refused", channelA,
         [](ControllerTest& t) {
             t.api.submitResult = 0;
             t.controller->Start();
         },
         text::kStartRefused},
        {"stopped before any sample", [](ControllerTest& t) { t.SwitchOn({0, 1}); },
         [](ControllerTest& t) {
             t.controller->Start();
             t.WakeUp();
             t.controller->Stop();
         },
         text::kNoSampleArrived},
        {"stopped while waiting for the trigger",
         [](ControllerTest& t) {
             t.sensor.channel(0).triggerKind = 1;
             t.sensor.channel(0).triggerLevel = 1e9f;
             t.SwitchOn({0});
         },
         [](ControllerTest& t) {
             t.controller->Start();
             EXPECT_EQ(t.controller->State(), RunState::TriggerWait);
             t.controller->Stop();
         },
         text::kStoppedBeforeTrigger},
        {"manual run without a sample",
         [](ControllerTest& t) {
             t.Run().mode = 1;
             t.SwitchOn({0});
         },
         [](ControllerTest& t) {
             t.controller->Start();
             EXPECT_EQ(t.controller->State(), RunState::Manual);
             t.controller->Stop();
         },
         text::kNoSampleArrived},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        // A recorded set with channels of an earlier run.
        Run().inUse = 1;
        Run().channelRecorded[2] = 1;
        Run().sampleCount[2] = 3;
        Run().elapsedMs = 1234;
        c.prepare(*this);
        const std::vector<uint8_t> before = BytesOf(Run());
        c.act(*this);
        EXPECT_EQ(controller->State(), RunState::Idle);
        const std::vector<uint8_t> after = BytesOf(Run());
        const auto diff = std::mismatch(before.begin(), before.end(), after.begin());
        EXPECT_EQ(diff.first, before.end()) << "first change at offset " << (diff.first - before.begin());
        EXPECT_TRUE(Told(c.message));
        EXPECT_EQ(host.timers.count(MeasureController::kTriggerTimer), 0u);
    }
}

TEST_F(ControllerTest, WithoutASensorObjectNothingStarts)
{
    SensorObjectAdapter none(nullptr);
    MeasureController bare(*block, *samples, store, none, chart, host);
    const std::vector<uint8_t> before = BytesOf(*bare.CurrentRun());
    bare.Start();
    EXPECT_EQ(BytesOf(*bare.CurrentRun()), before);
    EXPECT_TRUE(Told(text::kNoSensorObject));
    EXPECT_FALSE(bare.StartEnabled());
}

TEST_F(ControllerTest, AMonitorStillRunningIsStoppedAndEveryRunCountsAfresh)
{
    SwitchOn({0});
    sensor.setRunning(1);
    const int stops = api.stops;
    controller->Start();
    EXPECT_GT(api.stops, stops);
    Deliver(0, 10);
    WakeUp();
    ASSERT_TRUE(controller->IsIdle());
    EXPECT_EQ(Run().sampleCount[0], 10);

    controller->Start();
    EXPECT_EQ(controller->Intake().Channel(0).entries, 0);
    Deliver(0, 4, 500);
    WakeUp();
    controller->Stop();
    EXPECT_EQ(Run().sampleCount[0], 4);
    EXPECT_EQ(samples->rawValues[0][0], 500u);
    EXPECT_EQ(chart.SeriesUsed(0), 4);
}

TEST_F(ControllerTest, StopKillsTheTriggerTimerSoNoLateTriggerStartsARun)
{
    sensor.channel(0).triggerKind = 1;
    sensor.channel(0).triggerLevel = 50.0f;
    SwitchOn({0});
    controller->Start();
    ASSERT_EQ(host.timers.at(MeasureController::kTriggerTimer), 10);
    controller->Stop();
    EXPECT_EQ(host.timers.count(MeasureController::kTriggerTimer), 0u);
    api.replies.push_back({99});
    const int starts = StartsSubmitted();
    controller->OnTimer(MeasureController::kTriggerTimer);
    EXPECT_EQ(StartsSubmitted(), starts);
    EXPECT_TRUE(controller->IsIdle());

    // Hidden mid-run: the run stops and the timer goes.
    controller->Start();
    controller->Shutdown();
    EXPECT_TRUE(controller->IsIdle());
    EXPECT_EQ(host.timers.count(MeasureController::kTriggerTimer), 0u);
}

TEST_F(ControllerTest, TimeScaleFollowsThePlannedPeriod)
{
    sensor.catalogue().accessRecords()[0].sampling[0].maxRate = 10000;
    Run().period = 200000;
    project::ApplyTimeScales(Run());
    ASSERT_FLOAT_EQ(ToDeviceState(Run().channels[0]).timeUnit, 0.001f);
    Run().rate = 1000;
    SwitchOn({0});
    controller->Start();
    EXPECT_EQ(Run().period, 1000);
    EXPECT_FLOAT_EQ(ToDeviceState(Run().channels[0]).timeUnit, 0.000001f);
    controller->Stop();
}

TEST_F(ControllerTest, OnlyWholeSamplesAreTaken)
{
    sensor.catalogue().accessRecords()[0].registerCount = 3;
    SwitchOn({0});
    controller->Start();
    Deliver(0, 7);
    WakeUp();
    EXPECT_EQ(controller->Intake().Channel(0).entries, 6);
    EXPECT_EQ(controller->Intake().Channel(0).points, 2);
    Deliver(0, 2);
    WakeUp();
    EXPECT_EQ(controller->Intake().Channel(0).entries, 9);
    EXPECT_EQ(chart.SeriesUsed(0), 3);
    // The third sample starts at entry 6, not at a stale offset.
    EXPECT_FLOAT_EQ(chart.series[0].values[2], 106.0f);
    controller->Stop();

    // A record without register entries still strides one entry a sample.
    sensor.catalogue().accessRecords()[0].registerCount = 0;
    controller->Start();
    Deliver(0, 3);
    WakeUp();
    EXPECT_EQ(controller->Intake().Channel(0).points, 3);
    controller->Stop();
}

// A change-event channel whose word never changes delivers no events: the clock keeps its time
// and the run still ends once the samples are in.
TEST_F(ControllerTest, EventKindsEndByTheirSamplesAndEmptyBatchesLeaveTheClock)
{
    sensor.channel(0).conversionKind = 32;
    SwitchOn({0});
    controller->Start();
    const devicelink::MeasureSetupHost& h = sensor.acquisitionRequest().host;
    for (int i = 0; i < 10; ++i) {
        h.values[0][i] = 7;
        h.times[0][i] = 200 * i;
    }
    h.counts[0]->store(1);
    WakeUp();
    EXPECT_EQ(controller->Intake().Channel(0).points, 1);   // the first word is an event
    EXPECT_EQ(Run().elapsedMs, 0);
    h.counts[0]->store(10);
    WakeUp();
    EXPECT_TRUE(controller->IsIdle());
    EXPECT_EQ(Run().sampleCount[0], 10);
    EXPECT_EQ(chart.SeriesUsed(0), 1);

    // The next run counts its events from the start again.
    controller->Start();
    h.values[0][0] = 8;
    h.counts[0]->store(1);
    WakeUp();
    ASSERT_EQ(chart.SeriesUsed(0), 1);
    EXPECT_FLOAT_EQ(chart.series[0].times[0], 0.0f);
    controller->Stop();
}

TEST_F(ControllerTest, AnUnpluggedChannelKeepsWhatItRecorded)
{
    SwitchOn({0, 1});
    controller->Start();
    Deliver(0, 4);
    Deliver(1, 4);
    WakeUp();
    EXPECT_FALSE(controller->RequestChannelReset());
    EXPECT_TRUE(Told(text::kStopRunFirst));
    sensor.connected(1) = 0;
    Deliver(1, 6);   // never taken: the channel is gone
    Deliver(0, 6);
    WakeUp();
    ASSERT_TRUE(controller->IsIdle());
    EXPECT_EQ(Run().sampleCount[0], 10);
    EXPECT_EQ(Run().sampleCount[1], 4);
    EXPECT_TRUE(controller->RequestChannelReset());

    // The only channel pulled: the run ends at the next wake-up with what it has.
    sensor.connected(1) = 1;
    ASSERT_TRUE(controller->SetChannel(1, false));
    controller->Start();
    Deliver(0, 3);
    WakeUp();
    sensor.connected(0) = 0;
    WakeUp();
    EXPECT_TRUE(controller->IsIdle());
    EXPECT_EQ(Run().sampleCount[0], 3);
}

TEST_F(ControllerTest, SetAndChannelControlsAreRefusedWhileRunning)
{
    SwitchOn({0});
    controller->Start();
    EXPECT_FALSE(controller->RunControlsEnabled());
    EXPECT_FALSE(controller->ChannelToggleEnabled(1));
    EXPECT_FALSE(controller->SetChannel(1, true));
    EXPECT_FALSE(controller->NewRun());
    EXPECT_FALSE(controller->SelectRun(0));
    EXPECT_FALSE(controller->DeleteCurrentRun());
    EXPECT_FALSE(controller->BeforeSetupDialog());
    EXPECT_EQ(block->currentIndex, 0);
    EXPECT_EQ(project::CountCreatedRuns(*block), 1);
    EXPECT_TRUE(controller->StartEnabled());
    controller->OnStartClicked();
    EXPECT_TRUE(controller->IsIdle());
    EXPECT_TRUE(controller->ChannelToggleEnabled(1));
}

// The value under the cursor comes from the shown set's own samples, never past their count.
TEST_F(ControllerTest, ClickTextReadsTheShownSetWithinItsCount)
{
    Run().inUse = 1;
    Run().channelRecorded[0] = 1;
    Run().sampleCount[0] = 5;
    for (int i = 0; i < 8; ++i)
        samples->rawValues[0][i] = 40 + uint32_t(i);
    sensor.acquisitionRequest().host.values[0][2] = 999;   // another run's data
    chart.cursorIndex[0] = 2;
    controller->OnChartClick(300);
    EXPECT_EQ(chart.cursor, 300);
    EXPECT_EQ(controller->ValueText(0), u"42 - ()");
    chart.cursorIndex[0] = 5;
    controller->OnChartClick(310);
    EXPECT_EQ(controller->ValueText(0), u"");
}

TEST_F(ControllerTest, SubValuesAreBoundedAndConvertedOncePerBatch)
{
    devicelink::SensorAccessRecord& r = sensor.catalogue().accessRecords()[0];
    r.registerCount = 3;
    r.outputCount = 3;
    for (int k = 0; k < 3; ++k) {
        r.outputUnits[k][0] = 1;
        platform::CopyToField(r.outputNames[k], platform::AsciiToUtf16(std::string(1, char('x' + k))));
    }
    sensor.channel(0).conversionKind = 11;   // three axes, every output in one conversion
    SwitchOn({0});
    controller->Start();
    EXPECT_EQ(chart.series[8].name, u"-z()");
    const devicelink::MeasureSetupHost& h = sensor.acquisitionRequest().host;
    for (int i = 0; i < 12; ++i) {
        h.values[0][i] = uint32_t(i % 3 + 1) << 8;   // x, y, z = 1, 2, 3 (byte-swapped halves)
        h.times[0][i] = 100 * (i / 3);
    }
    h.counts[0]->store(12, std::memory_order_release);
    const int before = adapter.converts[0];
    WakeUp();
    EXPECT_EQ(adapter.converts[0] - before, 1);
    for (int k = 0; k < 3; ++k) {
        ASSERT_EQ(chart.SeriesUsed(4 * k), 4) << k;
        EXPECT_FLOAT_EQ(chart.series[size_t(4 * k)].values[0], float(k + 1)) << k;
    }
    EXPECT_EQ(controller->ValueText(0), u"1 - x()\r\n2 - y()\r\n3 - z()");
    controller->Stop();

    // A stored copy with an outrageous output count and no record touches series 0..15 only.
    Run().channelRecorded[2] = 1;
    devicelink::ChannelState copy{};
    copy.outputCount = 99;
    copy.accessIndex = 999;
    platform::CopyToField(copy.sensorId, u"NOT_IN_THE_CATALOGUE");
    Run().channels[2] = project::ToStateImage(copy);
    Run().sampleCount[2] = 4;
    controller->RefreshRunView(true);
    EXPECT_EQ(chart.outOfRange, 0);
}

TEST_F(ControllerTest, TriggerReadsOnlyItsChannelsAndFires)
{
    sensor.channel(1).triggerKind = 1;
    sensor.channel(1).triggerLevel = 50.0f;
    SwitchOn({0, 1});
    controller->Start();
    ASSERT_EQ(controller->State(), RunState::TriggerWait);
    api.replies.push_back({10});
    controller->OnTimer(MeasureController::kTriggerTimer);
    EXPECT_EQ(controller->State(), RunState::TriggerWait);
    api.replies.push_back({60});
    controller->OnTimer(MeasureController::kTriggerTimer);
    EXPECT_EQ(controller->State(), RunState::Acquiring);
    EXPECT_EQ(host.timers.count(MeasureController::kTriggerTimer), 0u);
    int reads[4] = {};
    for (const corviktest::Submitted& s : api.submitted) {
        if (!s.write && s.block.kind == devicelink::kind::kSingle && s.Channel() >= 0)
            ++reads[s.Channel()];
    }
    EXPECT_EQ(reads[0], 0);
    EXPECT_EQ(reads[1], 2);
    controller->Stop();
}

TEST_F(ControllerTest, PhotogateTriggerFiresOnAStepBetweenReads)
{
    platform::CopyToField(sensor.channel(0).modelCode, u"R7JE");
    sensor.channel(0).triggerKind = 5;
    SwitchOn({0});
    controller->Start();
    ASSERT_EQ(host.timers.at(MeasureController::kTriggerTimer), 5);
    for (uint32_t word : {2000u, 1800u, 1200u}) {
        api.replies.push_back({word});
        controller->OnTimer(MeasureController::kTriggerTimer);
    }
    EXPECT_EQ(controller->State(), RunState::Acquiring);
    controller->Stop();
}

TEST_F(ControllerTest, TriggerReadsThatKeepFailingEndTheWait)
{
    sensor.channel(0).triggerKind = 2;
    SwitchOn({0});
    const std::vector<uint8_t> before = BytesOf(Run());
    controller->Start();
    api.onRead = [](devicelink::MeasureRequest& request) {
        return request.block.kind == devicelink::kind::kSingle ? 0 : 1;
    };
    for (int tick = 0; tick < 2; ++tick) {
        controller->OnTimer(MeasureController::kTriggerTimer);
        EXPECT_EQ(controller->State(), RunState::TriggerWait);
    }
    controller->OnTimer(MeasureController::kTriggerTimer);
    EXPECT_TRUE(controller->IsIdle());
    EXPECT_TRUE(Told(text::kTriggerUnreadable));
    EXPECT_EQ(host.timers.count(MeasureController::kTriggerTimer), 0u);
    EXPECT_EQ(BytesOf(Run()), before);
}

// Manual samples are stored raw, like a run's, and their time is the sample number.
TEST_F(ControllerTest, ManualSamplesAreRawWordsNumberedFromZero)
{
    sensor.catalogue().accessRecords()[0].scale[0] = 2.0f;
    Run().mode = 1;
    Run().length = 25;
    SwitchOn({0});
    controller->Start();
    ASSERT_EQ(controller->State(), RunState::Manual);
    for (uint32_t word : {0x1234u, 0x1235u, 0x1236u}) {
        api.replies.push_back({word});
        controller->OnManualSampleKey();
    }
    controller->Stop();
    ASSERT_EQ(Run().sampleCount[0], 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(samples->rawValues[0][i], 0x1234u + uint32_t(i));
        EXPECT_EQ(samples->rawTimes[0][i], i);
        EXPECT_FLOAT_EQ(chart.series[0].times[size_t(i)], float(i));
        EXPECT_FLOAT_EQ(chart.series[0].values[size_t(i)], 2.0f * float(0x1234 + i));
    }
}

TEST_F(ControllerTest, StoredIndexesAndCountsAreBounded)
{
    Run().inUse = 1;
    Run().channelRecorded[0] = 1;
    Run().sampleCount[0] = 3;
    Run().viewGraph = 99;
    Run().selectedChannel = 7;
    Run().mode = 9;
    Run().targetCount[0] = -5;
    controller->RefreshRunView(true);
    EXPECT_EQ(chart.current, 0);
    EXPECT_EQ(chart.series[0].capacity, 1);
    controller->OnZoomKey(true);
    EXPECT_FLOAT_EQ(Run().viewGraphs[0].autoScalePad, 0.1f);
    EXPECT_EQ(chart.series[0].xTitle, u"#2104");
    EXPECT_EQ(controller->ClockText(), u"00:00:00");
    Run().elapsedMs = 3723000;
    EXPECT_EQ(controller->ClockText(), u"01:02:03");
}

TEST_F(ControllerTest, FourSetsThenAFifthRefused)
{
    for (int k = 1; k < 4; ++k) {
        EXPECT_FALSE(controller->NewRun());   // the current one is still empty
        Run().inUse = 1;
        ASSERT_TRUE(controller->NewRun()) << k;
    }
    Run().inUse = 1;
    EXPECT_FALSE(controller->NewRun());
    EXPECT_TRUE(Told(text::kFourRunsExist));
    EXPECT_TRUE(Told(text::kNewRunRefused));
}

// A run that goes on until stopped ends by itself when the channel's store is full, and not a
// sample earlier, whether a sample is one entry or several.
TEST_F(ControllerTest, AContinuousRunEndsWhenItsStoreIsFull)
{
    Run().stopCount = 0;
    SwitchOn({0});
    for (const int32_t n : {1, 3}) {
        SCOPED_TRACE(n);
        sensor.catalogue().accessRecords()[0].registerCount = n;
        const int32_t whole = project::kMaxSampleEntries / n * n;   // the entries of every sample that fits
        controller->Start();
        Deliver(0, whole - n);
        WakeUp();
        EXPECT_EQ(controller->State(), RunState::Acquiring);
        EXPECT_FALSE(controller->Intake().AnyStoreFull());
        Deliver(0, n);
        WakeUp();
        ASSERT_TRUE(controller->IsIdle());
        EXPECT_EQ(Run().sampleCount[0], whole);
        EXPECT_EQ(Run().inUse, 1);
    }
}

// The driver may start its count again in the middle of a run: what it then holds is new and is
// taken from its start, after what the run already has.
TEST_F(ControllerTest, ADriverCountStartedAgainIsTakenFromItsStart)
{
    SwitchOn({0});
    controller->Start();
    Deliver(0, 6);
    WakeUp();
    sensor.acquisitionRequest().host.counts[0]->store(0);
    Deliver(0, 3, 500);
    WakeUp();
    EXPECT_EQ(controller->Intake().Channel(0).entries, 9);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(samples->rawValues[0][6 + i], 500u + uint32_t(i)) << i;
    ASSERT_EQ(chart.SeriesUsed(0), 9);
    EXPECT_FLOAT_EQ(chart.series[0].values[6], 500.0f);
    Deliver(0, 1, 500);   // counting on from the new start
    WakeUp();
    ASSERT_TRUE(controller->IsIdle());
    EXPECT_EQ(Run().sampleCount[0], 10);
    EXPECT_EQ(samples->rawValues[0][9], 503u);
}

// The run clock follows the newest sample in timed and manual runs; a photogate mode's plain
// channel leaves it alone.
TEST_F(ControllerTest, TheClockFollowsTheNewestSampleInTimedAndManualRuns)
{
    SwitchOn({0});
    controller->Start();
    Deliver(0, 6);   // the sixth sample is stamped 1 s
    WakeUp();
    EXPECT_EQ(Run().elapsedMs, 1000);
    EXPECT_EQ(controller->ClockText(), u"00:00:01");
    controller->Stop();

    Run().mode = 2;
    controller->Start();
    ASSERT_EQ(controller->State(), RunState::Acquiring);
    Deliver(0, 6);
    WakeUp();
    EXPECT_EQ(Run().elapsedMs, 0);
    controller->Stop();

    Run().mode = 1;
    controller->Start();
    ASSERT_EQ(controller->State(), RunState::Manual);
    for (uint32_t word : {10u, 11u, 12u}) {
        api.replies.push_back({word});
        controller->OnManualSampleKey();
    }
    EXPECT_EQ(Run().elapsedMs, 2000);   // the third sample is number 2
    EXPECT_EQ(controller->ClockText(), u"00:00:02");
    controller->Stop();
}

// Each photogate run mode asks the logger for its own trigger word; timed runs for none.
TEST_F(ControllerTest, EachPhotogateModeSendsItsTriggerWord)
{
    SwitchOn({0});
    const std::pair<int32_t, uint32_t> cases[] = {{0, 0u}, {2, 0x31u}, {3, 0x32u}, {4, 0x33u}};
    for (const auto& [mode, code] : cases) {
        Run().mode = mode;
        controller->Start();
        ASSERT_EQ(controller->State(), RunState::Acquiring) << mode;
        EXPECT_EQ(uint32_t(sensor.acquisitionRequest().block.triggerWord) >> 24, code) << mode;
        controller->Stop();
    }
}

// The clock has two digits of hours: from 99 hours on they stay at 99.
TEST_F(ControllerTest, TheRunClockStopsAtNinetyNineHours)
{
    const struct {
        int32_t ms;
        const char16_t* text;
    } cases[] = {{-5, u"00:00:00"},          {999, u"00:00:00"},          {356399000, u"98:59:59"},
                 {356400000, u"99:00:00"},   {359999999, u"99:59:59"}};
    for (const auto& c : cases) {
        Run().elapsedMs = c.ms;
        EXPECT_EQ(controller->ClockText(), c.text) << c.ms;
    }
    for (const int32_t ms : {360000000, 363599000, INT32_MAX}) {
        Run().elapsedMs = ms;
        const std::u16string text = controller->ClockText();
        ASSERT_EQ(text.size(), 8u) << ms;
        EXPECT_EQ(text.substr(0, 3), u"99:") << ms;
    }
}

TEST_F(ControllerTest, ARunThatCannotBeSavedIsKeptAndReported)
{
    SwitchOn({0});
    controller->Start();
    store.result = project::ProjectResult::IoError;
    Deliver(0, 10);
    WakeUp();
    EXPECT_TRUE(controller->IsIdle());
    EXPECT_EQ(Run().sampleCount[0], 10);
    EXPECT_TRUE(Told(text::kRunNotSaved));
}

}  // namespace
