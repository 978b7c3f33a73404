// The measurement screen's paths a pupil takes, through its real widgets, against the simulated
// logger: timed runs in every delivery shape, stopping, starts that cannot run, a sensor pulled
// during a run, manual samples, four data sets and switching between them.
#include <chrono>

#include <QPlainTextEdit>
#include <QTest>

#include "logger/measure/core/MeasureTexts.h"
#include "logger/notes/CNoteDlg.h"
#include "logger/project/ProjectFile.h"
#include "MeasureScreenTestSupport.h"

namespace measurescreentest {
namespace {

using measure::RunState;
namespace text = measure::text;

// Each delivery shape the logger has, at a rate whose samples are not a whole number of the
// driver's signals.
class TimedRunInEachShape : public MeasureScreen, public ::testing::WithParamInterface<devsim::Delivery> {};

TEST_P(TimedRunInEachShape, EndsByItselfWithEverySampleAndIsSaved)
{
    devsim::DeviceOptions options;
    options.delivery = GetParam();
    Begin(options);
    Plug({{0, "R75"}, {1, "R72"}});
    Show();
    SwitchOn({0, 1});
    SetRateAndLength(303, 1);
    const int32_t serial = Run().dataSetSerial;
    Button(CMeasurmentDlg::kStart).click();
    ASSERT_EQ(Controller().State(), RunState::Acquiring);
    EXPECT_TRUE(Button(CMeasurmentDlg::kStart).isChecked());
    ASSERT_TRUE(WaitIdle(10000));   // ends by itself, never stopped
    EXPECT_FALSE(Button(CMeasurmentDlg::kStart).isChecked());
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(Run().sampleCount[c], Run().targetCount[c]) << c;
        EXPECT_EQ(Run().sampleCount[c], 303) << c;
        ExpectArraysAsDelivered(c);
        EXPECT_EQ(Used(c), 303) << c;
    }
    EXPECT_EQ(Run().dataSetSerial, serial + 1);
    EXPECT_EQ(Run().inUse, 1);
    EXPECT_TRUE(shown.empty());
    // In the working copy at once.
    EXPECT_EQ(screen->WorkingProject()->Record().dataSize[screen->ExperimentData()->currentIndex], 2 * 303 * 8);
}

INSTANTIATE_TEST_SUITE_P(Shapes, TimedRunInEachShape,
                         ::testing::Values(devsim::Delivery::Block, devsim::Delivery::Sets, devsim::Delivery::Bulk,
                                           devsim::Delivery::Channel),
                         [](const auto& info) { return std::string(devsim::DeliveryName(info.param)); });

TEST_F(MeasureScreen, AStopJoinsTheWorkerAtOnceAndTheNextRunCountsAfresh)
{
    Begin();
    Plug({{0, "R75"}, {1, "R72"}});
    Show();
    SwitchOn({0, 1});
    SetRateAndLength(303, 10);
    Button(CMeasurmentDlg::kStart).click();
    ASSERT_TRUE(SpinUntil([&] { return Controller().Intake().Channel(0).points > 50; }));
    // The click returns with the worker joined: idle before another event is handled.
    Button(CMeasurmentDlg::kStart).click();
    ASSERT_TRUE(Controller().IsIdle());
    const int32_t first = Run().sampleCount[0];
    EXPECT_GT(first, 50);
    EXPECT_LT(first, 3030);
    ExpectArraysAsDelivered(0);

    SetRateAndLength(303, 1);
    Button(CMeasurmentDlg::kStart).click();
    ASSERT_TRUE(WaitIdle(4000));
    EXPECT_EQ(Run().sampleCount[0], 303);
    EXPECT_EQ(Run().sampleCount[1], 303);
    EXPECT_EQ(Used(0), 303);
}

// A start the logger refuses, a stop while waiting for the trigger and a start with no sensor
// left change nothing of a recorded set.
TEST_F(MeasureScreen, AbortedStartsLeaveTheRecordByteForByte)
{
    Begin();
    Plug({{0, "R75"}});
    Show();
    SwitchOn({0});
    SetRateAndLength(303, 1);
    Button(CMeasurmentDlg::kStart).click();
    ASSERT_TRUE(WaitIdle(4000));
    const std::vector<uint8_t> before = BytesOf(Run());

    ASSERT_TRUE(sim->AddFault("0x1000000A drop"));
    Button(CMeasurmentDlg::kStart).click();   // the logger never answers the start
    EXPECT_TRUE(Controller().IsIdle());
    EXPECT_EQ(BytesOf(Run()), before);
    EXPECT_TRUE(Told(text::kStartRefused));

    sensor->channel(0).triggerKind = 1;
    sensor->channel(0).triggerLevel = 1e9f;
    Button(CMeasurmentDlg::kStart).click();
    ASSERT_EQ(Controller().State(), RunState::TriggerWait);
    Spin(50);
    Button(CMeasurmentDlg::kStart).click();
    EXPECT_TRUE(Controller().IsIdle());
    EXPECT_EQ(BytesOf(Run()), before);
    EXPECT_TRUE(Told(text::kStoppedBeforeTrigger));
    sensor->channel(0).triggerKind = 0;

    sim->Command("pull 0");
    ASSERT_TRUE(SpinUntil([&] { return sensor->PollSensorState() == devicelink::kPollRemoved; }));
    std::u16string detected;
    sensor->DetectSensors(detected);
    uikit::PostScreenMessage(screen, uikit::WM_SCREEN_REFRESH);
    Spin(20);
    EXPECT_FALSE(Button(CMeasurmentDlg::kStart).isEnabled());
    uikit::PostScreenMessage(screen, uikit::WM_KEY_ESCAPE);   // Escape with nothing to start
    Spin(20);
    EXPECT_TRUE(Controller().IsIdle());
    // The device change resets the run clock as it is shown; the set itself is as it was.
    std::vector<uint8_t> after = BytesOf(Run());
    const size_t clock = offsetof(project::DataSetRecord, elapsedMs);
    std::copy_n(before.begin() + clock, sizeof(int32_t), after.begin() + clock);
    EXPECT_EQ(after, before);
}

// The root window stops the measurement when its poll finds a sensor gone.
TEST_F(MeasureScreen, AChannelPulledMidRunEndsTheRunWithWhatItRecorded)
{
    Begin();
    Plug({{0, "R75"}});
    Show();
    SwitchOn({0});
    SetRateAndLength(303, 5);
    Button(CMeasurmentDlg::kStart).click();
    ASSERT_TRUE(SpinUntil([&] { return Controller().Intake().Channel(0).points > 30; }));
    sim->Command("pull 0");
    ASSERT_TRUE(SpinUntil([&] {
        if (sensor->PollSensorState() != devicelink::kPollRemoved)
            return false;
        screen->StopMeasure();
        std::u16string text;
        sensor->DetectSensors(text);
        uikit::PostScreenMessage(screen, uikit::WM_SCREEN_REFRESH);
        return true;
    }));
    Spin(20);
    ASSERT_TRUE(Controller().IsIdle());
    const int32_t recorded = Run().sampleCount[0];
    EXPECT_GT(recorded, 30);
    EXPECT_LT(recorded, 303 * 5);
    EXPECT_EQ(Run().inUse, 1);
    EXPECT_EQ(Used(0), recorded);
    ExpectArraysAsDelivered(0);
}

TEST_F(MeasureScreen, ManualModeTakesOneSamplePerRightKey)
{
    Begin();
    Plug({{0, "R75"}});
    Show();
    SwitchOn({0});
    EnterSetUp([](CMeasurSetup1Dlg& d) {
        d.Combo(CMeasurSetup1Dlg::kMode).setCurrentIndex(1);
        d.Edit(CMeasurSetup1Dlg::kLength).setText(QStringLiteral("25"));
    });
    ASSERT_EQ(Run().mode, 1);
    Button(CMeasurmentDlg::kStart).click();
    ASSERT_EQ(Controller().State(), RunState::Manual);
    for (int press = 0; press < 3; ++press)
        QTest::keyClick(screen, Qt::Key_Right);
    Button(CMeasurmentDlg::kStart).click();
    ASSERT_EQ(Run().sampleCount[0], 3);
    ASSERT_EQ(Used(0), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(screen->SampleData()->rawTimes[0][i], i);
        EXPECT_FLOAT_EQ(screen->Chart().Series(0)->times[size_t(i)], float(i));
        EXPECT_NEAR(screen->Chart().Series(0)->values[size_t(i)], 4.5f, 0.05f);   // the probe's voltage
    }
}

class FastMeasureScreen : public MeasureScreen {
protected:
    void BeginFast()
    {
        devsim::DeviceOptions options;
        options.fast = true;
        Begin(options);
    }
    void Record(int channel, int rate, int length)
    {
        SwitchOn({channel});
        SetRateAndLength(rate, length);
        Button(CMeasurmentDlg::kStart).click();
        ASSERT_TRUE(WaitIdle(4000));
    }
};

TEST_F(FastMeasureScreen, FourRunsThenAFifthRefused)
{
    BeginFast();
    Plug({{0, "R75"}});
    Show();
    for (int k = 0; k < 4; ++k) {
        if (k > 0)
            Button(CMeasurmentDlg::kNewRun).click();
        ASSERT_EQ(screen->ExperimentData()->currentIndex, k);
        Record(0, 303, 1);
        EXPECT_EQ(Run().sampleCount[0], 303) << k;
    }
    EXPECT_EQ(screen->RunCombo().count(), 4);
    Button(CMeasurmentDlg::kNewRun).click();
    EXPECT_TRUE(Told(text::kFourRunsExist));
    EXPECT_EQ(screen->ExperimentData()->currentIndex, 3);
    EXPECT_EQ(screen->RunCombo().count(), 4);
}

TEST_F(FastMeasureScreen, SwitchingSetsShowsEachSetsOwnData)
{
    BeginFast();
    Plug({{0, "R75"}, {1, "R72"}});
    Show();
    Record(0, 303, 1);
    Button(CMeasurmentDlg::kNewRun).click();
    Record(1, 101, 2);
    ASSERT_EQ(Run().sampleCount[1], 202);
    const uint32_t secondSetWord = screen->SampleData()->rawValues[1][5];

    const auto choose = [&](int set) {
        QComboBox& combo = screen->RunCombo();
        const int index = combo.findData(set);
        ASSERT_GE(index, 0);
        emit combo.activated(index);
        ASSERT_EQ(screen->ExperimentData()->currentIndex, set);
        EXPECT_EQ(combo.currentIndex(), index);
    };
    choose(0);
    EXPECT_EQ(Used(0), 303);
    EXPECT_TRUE(screen->Chart().IsShown(0));
    EXPECT_FALSE(screen->Chart().IsShown(1));
    EXPECT_TRUE(Button(CMeasurmentDlg::kChannelA).isChecked());
    EXPECT_FALSE(Button(CMeasurmentDlg::kChannelA + 1).isChecked());

    choose(1);
    EXPECT_EQ(Used(1), 202);
    EXPECT_TRUE(screen->Chart().IsShown(1));
    EXPECT_FALSE(screen->Chart().IsShown(0));
    EXPECT_EQ(screen->SampleData()->rawValues[1][5], secondSetWord);
    EXPECT_TRUE(shown.empty());
}

// Nothing that changes the set or its channels can be used during a run.
TEST_F(MeasureScreen, SetAndChannelControlsAreDisabledDuringARun)
{
    Begin();
    Plug({{0, "R75"}, {1, "R72"}});
    Show();
    SwitchOn({0});
    SetRateAndLength(303, 1);
    Button(CMeasurmentDlg::kStart).click();
    ASSERT_TRUE(WaitIdle(4000));
    Button(CMeasurmentDlg::kNewRun).click();
    SwitchOn({0});
    SetRateAndLength(303, 10);
    Button(CMeasurmentDlg::kStart).click();
    ASSERT_FALSE(Controller().IsIdle());
    const int during[] = {CMeasurmentDlg::kNewRun, CMeasurmentDlg::kDeleteRun, CMeasurmentDlg::kMeasureSetup,
                          CMeasurmentDlg::kNote, CMeasurmentDlg::kSensorSetup, CMeasurmentDlg::kChannelA,
                          CMeasurmentDlg::kChannelA + 1};
    for (int id : during)
        EXPECT_FALSE(Button(id).isEnabled()) << id;
    EXPECT_FALSE(screen->RunCombo().isEnabled());
    EXPECT_TRUE(Button(CMeasurmentDlg::kStart).isEnabled());
    EXPECT_TRUE(Button(CMeasurmentDlg::kMenu).isEnabled());
    // Even a choice that got through switches nothing.
    emit screen->RunCombo().activated(screen->RunCombo().findData(0));
    EXPECT_FALSE(Controller().IsIdle());
    EXPECT_EQ(screen->ExperimentData()->currentIndex, 1);
    Button(CMeasurmentDlg::kStart).click();
    ASSERT_TRUE(Controller().IsIdle());
    EXPECT_TRUE(Button(CMeasurmentDlg::kMeasureSetup).isEnabled());
    EXPECT_TRUE(screen->RunCombo().isEnabled());
}

// The start button runs and stops on clicks only; setting its state does neither.
TEST_F(MeasureScreen, TheStartButtonFollowsItsClickNotItsState)
{
    Begin();
    Plug({{0, "R75"}});
    Show();
    SwitchOn({0});
    SetRateAndLength(303, 10);
    uikit::CButtonST& start = Button(CMeasurmentDlg::kStart);
    start.setChecked(true);
    start.toggle();
    start.setChecked(true);
    Spin(20);
    EXPECT_TRUE(Controller().IsIdle());
    start.setChecked(false);
    start.click();
    EXPECT_EQ(Controller().State(), RunState::Acquiring);
    EXPECT_TRUE(start.isChecked());
    start.setChecked(false);
    EXPECT_FALSE(Controller().IsIdle());
    start.click();
    EXPECT_TRUE(Controller().IsIdle());
}

// Hidden while it waits for its trigger: the wait ends and no later trigger starts a run.
TEST_F(MeasureScreen, HidingTheScreenEndsATriggerWait)
{
    Begin();
    Plug({{0, "R75"}});
    Show();
    SwitchOn({0});
    sensor->channel(0).triggerKind = 2;   // value <= level: fires at the first read
    sensor->channel(0).triggerLevel = -1e9f;
    Button(CMeasurmentDlg::kStart).click();
    ASSERT_EQ(Controller().State(), RunState::TriggerWait);
    uikit::PostScreenMessage(screen, uikit::WM_SCREEN_HIDE);
    Spin(10);
    ASSERT_TRUE(Controller().IsIdle());
    sensor->channel(0).triggerLevel = 1e9f;
    Spin(100);
    EXPECT_TRUE(Controller().IsIdle());
    EXPECT_EQ(sensor->IsRunning(), 0);
}

// The common services' Left key forgets every sensor; never while a run records them.
TEST_F(MeasureScreen, TheLeftKeyResetIsRefusedWhileARunGoes)
{
    Begin();
    Plug({{0, "R75"}});
    Show();
    CVRDCommonBase::SetKeyFilterEnabled(true);
    SwitchOn({0});
    SetRateAndLength(303, 10);
    Button(CMeasurmentDlg::kStart).click();
    QTest::keyClick(screen, Qt::Key_Left);
    EXPECT_TRUE(Told(text::kStopRunFirst));
    EXPECT_EQ(sensor->connected(0), 1);
    EXPECT_FALSE(Controller().IsIdle());
    Button(CMeasurmentDlg::kStart).click();
    ASSERT_TRUE(Controller().IsIdle());
    shown.clear();
    QTest::keyClick(screen, Qt::Key_Left);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(sensor->connected(0), 0);
    CVRDCommonBase::SetKeyFilterEnabled(false);
}

TEST_F(MeasureScreen, TheNoteButtonEditsTheSetsNote)
{
    Begin();
    Plug({{0, "R75"}});
    Show();
    bool opened = false;
    WhenModal<notes::CNoteDlg>([&](notes::CNoteDlg& dialog) {
        opened = true;
        dialog.Edit().setPlainText(QStringLiteral("warm\nwater"));
        dialog.OkButton().click();
    });
    Button(CMeasurmentDlg::kNote).click();
    ASSERT_TRUE(opened);
    EXPECT_EQ(project::NoteText(Run().note), u"warm\r\nwater");
    EXPECT_EQ(Run().note.textLength, 11);
}

}  // namespace
}  // namespace measurescreentest
