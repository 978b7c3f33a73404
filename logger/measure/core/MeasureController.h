#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "logger/measure/core/AcquisitionWorker.h"
#include "logger/measure/core/MeasureScreenHost.h"
#include "logger/measure/core/RatePlan.h"
#include "logger/measure/core/RunChart.h"
#include "logger/measure/core/RunSensor.h"
#include "logger/measure/core/SampleIntake.h"
#include "logger/measure/core/TriggerWatch.h"
#include "logger/project/ExperimentRecords.h"
#include "logger/project/RunModel.h"
#include "logger/project/RunStore.h"

// The measurement screen without its widget: the four data sets, the channel toggles, the run
// (idle, waiting for its trigger, acquiring, or taking samples by hand), the sample intake, the
// commit into the current data set and the chart's contents. The widget owns one, forwards its
// clicks, keys, wake-ups and timer 1222 to it and paints the chart's picture.
// A run that took samples is committed once (in use, counts, serial + 1) and saved to the working
// copy at once; any other end puts the record back as it was before the start.
namespace measure {

enum class RunState { Idle, TriggerWait, Acquiring, Manual };

class MeasureController {
public:
    static constexpr int kTriggerTimer = 1222;

    MeasureController(project::ExperimentBlock& block, project::SampleArrays& samples, project::RunStore& store,
                      RunSensor& sensor, RunChart& chart, MeasureScreenHost& host);
    ~MeasureController();
    MeasureController(const MeasureController&) = delete;
    MeasureController& operator=(const MeasureController&) = delete;

    // ---- Data sets (the run combo and the new / delete buttons).
    project::RunModel& Runs() { return runs_; }
    project::DataSetRecord* CurrentRun() { return runs_.GetCurrentRun(); }
    // Each shows its own message when refused or when the working copy failed.
    bool NewRun();
    bool DeleteCurrentRun();
    bool SelectRun(int index);

    // ---- State of the controls.
    RunState State() const { return state_; }
    bool IsIdle() const { return state_ == RunState::Idle; }
    bool ChannelOn(int c) const;
    // Every control that changes the data set or its channels works only while idle.
    bool ChannelToggleEnabled(int c) const;
    bool RunControlsEnabled() const { return IsIdle(); }
    bool StartEnabled() const;
    bool StartButtonDown() const { return !IsIdle(); }
    // A channel toggle clicked; false when refused.
    bool SetChannel(int c, bool on);
    // Toggles as the current data set recorded them.
    void SyncControls();
    // The shared key filter's channel reset (Left key): refused, with a message, while a run is
    // not idle.
    bool RequestChannelReset();

    // ---- The run.
    // The start/stop button's click (never its toggled state) and Escape.
    void OnStartClicked();
    void Start();
    void Stop();
    // The worker's wake-up (0x4500); wake-ups of an earlier run do nothing.
    void OnWakeUp(uint32_t generation);
    void OnTimer(int id);
    // Right key in manual mode: one sample of every recorded channel.
    void OnManualSampleKey();
    // The screen is hidden or destroyed: a run stops, the trigger timer goes.
    void Shutdown();
    uint32_t Generation() const { return generation_; }
    const SampleIntake& Intake() const { return intake_; }

    // ---- The screen.
    // Shown: the first data set is made when none exists; the toggles and the view follow the
    // current set.
    void OnShow();
    // The working copy was read back (another set, or an opened project): the same.
    void OnProjectLoaded();
    // Escape: starts when the start button could be pressed, stops a run.
    void OnEscape();

    // ---- Set-up.
    void PlanRates();
    // Button 1055: the plan before the dialog and, after OK, again with the chart and view.
    bool BeforeSetupDialog();
    void AfterSetupDialog(bool accepted);
    // The sensor set-up dialog ended: after OK every connected channel's set-up is repeated and
    // the plan and the chart follow the sensors' new settings.
    void AfterSensorSetup(bool accepted);
    // The largest rate the set-up dialog offers for a channel; 0 when no sensor is on it.
    int32_t ChannelMaxRate(int c);
    // A sensor plugged, pulled or reset.
    void OnDevicesChanged();

    // ---- View.
    // The chart's series for the current set: from the copies of recorded channels, or from
    // the live states of every connected channel.
    void SetupChart(bool fromLiveStates);
    // The stored samples of the current set into the chart.
    void RefreshRunView(bool rebuildChart);
    void OnZoomKey(bool up);
    // A click at chart x while idle: the value cursor and, per channel, the sample under it.
    void OnChartClick(int x);
    const std::u16string& ValueText(int c) const;
    // A channel toggle's caption: the letter, and for a recordable sensor the number of the
    // value its set shows ("A", "B2").
    std::u16string ChannelCaption(int c) const;
    // Every channel the current set recorded that is still connected has its panel.
    bool PanelShown(int c) const;
    // The run clock "hh:mm:ss".
    std::u16string ClockText() const;
    void OnPainted() { repaintPending_ = false; }

private:
    class SetupSource : public project::ChannelSetupSource {
    public:
        explicit SetupSource(RunSensor& sensor) : sensor_(sensor) {}
        const project::ChannelStateImage* ChannelState(int channel) const override;
        bool IsChannelConnected(int channel) const override { return sensor_.IsConnected(channel); }
        int32_t DefaultChannelRate(int channel) const override;

    private:
        RunSensor& sensor_;
        mutable project::ChannelStateImage image_[project::kChannelCount];
    };

    enum class RunEnd { Stopped, Completed };

    void PlanInto(project::DataSetRecord& record);
    PlanChannel PlanChannelOf(const project::DataSetRecord& record, int c);
    bool BeginAcquisition();
    // Arms the trigger when a recorded channel carries one; false when the run needs none.
    bool ArmTrigger(const project::DataSetRecord& record);
    void TakeAndMaybeFinish();
    void Finish(RunEnd end);
    void Commit(project::DataSetRecord& record, RunEnd end);
    // The record as it was before the start, the screen idle again, and `messageId` shown.
    void Abandon(int messageId);
    void RequestRepaint();
    void ShowNotice(int textId, int secondTextId = 0);
    void UpdateValueText(int c, const devicelink::ChannelState& state, const float* values);
    // The newest sample of every channel the run has taken.
    void RefreshValueTexts();
    void ClearValueTexts();

    project::ExperimentBlock& block_;
    project::SampleArrays& samples_;
    project::RunStore& store_;
    RunSensor& sensor_;
    RunChart& chart_;
    MeasureScreenHost& host_;
    SetupSource setupSource_;
    project::RunModel runs_;
    SampleIntake intake_;
    AcquisitionWorker worker_;
    TriggerWatch trigger_;
    std::unique_ptr<project::DataSetRecord> before_;   // the current record as the start found it

    RunState state_ = RunState::Idle;
    uint32_t generation_ = 0;
    bool channelOn_[project::kChannelCount] = {};
    bool photogate_[project::kChannelCount] = {};   // this run's photogate channels
    bool repaintPending_ = false;
    std::u16string valueText_[project::kChannelCount];
};

}  // namespace measure
