// The set-up and calibration dialog's model on its copies of the channels.
#include "logger/sensorsetup/core/SensorSetupModel.h"

#include "platform/Text.h"

#include "SetupCoreTestSupport.h"

namespace {

using sensorsetup::LiveSample;
using sensorsetup::SensorSetupModel;
using sensorsetup::SetupEdit;
using sensorsetup::SetupMode;

class Model : public setuptest::SetupCoreTest {};

TEST_F(Model, WhatWasTypedForAChannelStaysWhenAnotherIsShownAndIsWrittenOnOk)
{
    Plug(0, "R75");
    Plug(1, "R83");
    SensorSetupModel model(setup_, SetupMode::ChannelSetup);
    ASSERT_EQ(model.Current(), 0);
    model.SetEditText(SetupEdit::Factor, "2.5");
    model.ChooseTrigger(3);
    ASSERT_TRUE(model.Select(1));
    EXPECT_EQ(model.EditText(SetupEdit::Factor), "1");
    model.SetEditText(SetupEdit::ZeroOffset, "-0.25");
    ASSERT_TRUE(model.Select(0));
    EXPECT_EQ(model.EditText(SetupEdit::Factor), "2.5");
    EXPECT_EQ(model.TriggerValue(), 3);

    ASSERT_FALSE(model.ApplyEdits().has_value());
    SensorSetupModel::WriteSettings(setup_, model.SettingsToWrite());
    EXPECT_FLOAT_EQ(sensor_.channel(0).gain, 2.5f);
    EXPECT_EQ(sensor_.channel(0).triggerKind, 3);
    EXPECT_FLOAT_EQ(sensor_.channel(1).zeroOffset, -0.25f);

    // A value that is no number names its channel and edit, and nothing is taken.
    model.SetEditText(SetupEdit::Level, "nan");
    model.Select(1);
    const auto bad = model.ApplyEdits();
    ASSERT_TRUE(bad.has_value());
    EXPECT_EQ(bad->channel, 0);
    EXPECT_EQ(bad->field, int(SetupEdit::Level));
}

TEST_F(Model, TheZeroSetInTheDialogIsTheOffsetOkWritesBack)
{
    Plug(0, "R83");
    sensor_.channel(0).zeroOffset = 1.0f;
    SensorSetupModel model(setup_, SetupMode::ChannelSetup);
    // The worker's zero left the channel with this offset.
    sensorsetup::JobOutcome outcome{1, 0, sensor_.channel(0)};
    outcome.state->zeroOffset = -3.25f;
    model.OnJobOutcome(outcome);
    model.MarkZeroed(0);
    EXPECT_EQ(model.EditText(SetupEdit::ZeroOffset), "-3.25");
    ASSERT_FALSE(model.ApplyEdits().has_value());
    SensorSetupModel::WriteSettings(setup_, model.SettingsToWrite());
    EXPECT_FLOAT_EQ(sensor_.channel(0).zeroOffset, -3.25f);
}

TEST_F(Model, OnlyAReadingSinceTheChannelWasChosenCanBeCaptured)
{
    Plug(0, "R75");
    Plug(1, "R83");
    SensorSetupModel model(setup_, SetupMode::Calibration);
    monitor::CalibrationPoints points;
    points.count[0] = points.count[1] = 2;
    model.SetPoints(points, setup_);
    EXPECT_FALSE(model.CaptureEnabled());
    EXPECT_FALSE(model.Capture(0));
    model.OnSample(LiveSample{0, false, {}});
    EXPECT_FALSE(model.CaptureEnabled());
    model.OnSample(LiveSample{1, true, {7.0f, 7.0f, 70, 70}});  // a reading of another channel
    EXPECT_FALSE(model.CaptureEnabled());
    model.OnSample(LiveSample{0, true, {5.0f, 5.0f, 50, 55}});
    EXPECT_TRUE(model.Capture(0));
    EXPECT_EQ(model.Store().Points(0).raw[0], 50);
    model.Select(1);
    model.Select(0);
    EXPECT_FALSE(model.CaptureEnabled());
    // Readings that keep failing are told, the last value stays.
    for (int i = 0; i < SensorSetupModel::kFailuresShown; ++i)
        model.OnSample(LiveSample{0, false, {}});
    EXPECT_EQ(model.Live(), sensorsetup::LiveState::Failing);
}

TEST_F(Model, TheLiveValueShowsTheUnitItsRangeSelectionStandsFor)
{
    devicelink::SensorAccessRecord& record = Plug(0, "R75");
    platform::CopyToField(record.units[0].unit.display, u"V");
    platform::CopyToField(record.units[1].unit.display, u"mV");
    record.units[1].significantDigits = 0;
    // Output 0 offers unit 2 first, then unit 1.
    record.outputUnits[0][0] = 2;
    record.outputUnits[0][1] = 1;
    sensor_.channel(0).unitChoice[0] = 0;
    SensorSetupModel model(setup_, SetupMode::Calibration);
    model.OnSample(LiveSample{0, true, {1500.4f, 0.0f, 1, 1}});
    EXPECT_EQ(model.LiveText(), u"1500 mV");
}

TEST_F(Model, OkStoresTheChannelShownAndEveryOtherWhosePointsChanged)
{
    for (int c = 0; c < 3; ++c)
        Plug(c, "R75");
    SensorSetupModel model(setup_, SetupMode::Calibration);
    monitor::CalibrationPoints points;
    for (int c = 0; c < 3; ++c)
        points.count[c] = 1;
    model.SetPoints(points, setup_);
    model.Select(2);
    model.SetReferenceText(0, "4");
    model.Select(1);
    ASSERT_FALSE(model.ApplyReferences().has_value());
    const sensorsetup::CalibrationPlan plan = model.PlanCalibration();
    ASSERT_EQ(plan.channels.size(), 2u);
    EXPECT_EQ(plan.channels[0].first, 1);
    EXPECT_EQ(plan.channels[1].first, 2);
    EXPECT_FLOAT_EQ(plan.channels[1].second.reference[0], 4.0f);
}

}  // namespace
