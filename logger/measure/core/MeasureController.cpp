#include "logger/measure/core/MeasureController.h"

#include <algorithm>

#include "logger/measure/core/ChannelInfo.h"
#include "logger/measure/core/MeasureTexts.h"
#include "logger/project/ExperimentRecords.h"
#include "logger/project/ProjectResultText.h"
#include "uikit/msgbox/MessageBoxKind.h"

namespace measure {

namespace {

constexpr int32_t kGateSetupWord = 5;

// The logger's trigger word of a photogate run.
int32_t PhotogateModeCode(int32_t mode)
{
    switch (mode) {
    case project::kRunPhotogateT1: return 0x31000000;
    case project::kRunPhotogateT2: return 0x32000000;
    case project::kRunPhotogateT1T2: return 0x33000000;
    default: return 0;
    }
}

}  // namespace

// ---- The sensor as the run model sees it.

const project::ChannelStateImage* MeasureController::SetupSource::ChannelState(int channel) const
{
    if (!sensor_.Available() || channel < 0 || channel >= project::kChannelCount)
        return nullptr;
    image_[channel] = project::ToStateImage(sensor_.LiveState(channel));
    return &image_[channel];
}

int32_t MeasureController::SetupSource::DefaultChannelRate(int channel) const
{
    const devicelink::ChannelState state = sensor_.LiveState(channel);
    const devicelink::SensorAccessRecord* record = sensor_.FindRecord(state);
    return record ? DefaultRateOf(*record, state) : 0;
}

// ---- Construction.

MeasureController::MeasureController(project::ExperimentBlock& block, project::SampleArrays& samples,
                                     project::RunStore& store, RunSensor& sensor, RunChart& chart,
                                     MeasureScreenHost& host)
    : block_(block), samples_(samples), store_(store), sensor_(sensor), chart_(chart), host_(host),
      setupSource_(sensor),
      runs_(block, store, setupSource_,
            project::RunModelHooks{[this] { chart_.FreeAllSeries(); },
                                  [this](project::DataSetRecord& record) { PlanInto(record); }},
            host.Text(text::kRunTitlePrefix)),
      intake_(sensor, chart, samples),
      worker_([this](uint32_t generation) { host_.PostWakeUp(generation); }),
      before_(std::make_unique<project::DataSetRecord>())
{
}

MeasureController::~MeasureController()
{
    // Nothing is committed here: the screen runs Shutdown() first. The device must let go of
    // the run before the worker's event and the arrays go.
    if (state_ == RunState::Acquiring)
        sensor_.StopAcquisition();
    worker_.Stop();
}

// ---- Data sets.

bool MeasureController::NewRun()
{
    if (!IsIdle())
        return false;
    const int result = runs_.NewRun();
    if (result == project::kRunDone) {
        SyncControls();
        SetupChart(true);
        RefreshRunView(false);
        host_.ControlsChanged();
        return true;
    }
    if (result == project::kRunStoreFailed)
        ShowNotice(text::kProjectNotWritten);
    else if (project::CountCreatedRuns(block_) >= project::kRunCount)
        ShowNotice(text::kFourRunsExist);
    else
        ShowNotice(text::kNewRunRefused, text::kCurrentRunEmpty);
    return false;
}

bool MeasureController::DeleteCurrentRun()
{
    if (!IsIdle())
        return false;
    if (host_.ShowMessage(uikit::kBoxTypeQuestion, text::kDeleteQuestion, text::kDeleteWarning) != text::kAnswerOk)
        return false;
    const int result = runs_.DeleteRun(block_.currentIndex);
    if (result == project::kRunDone) {
        SyncControls();
        RefreshRunView(true);
        host_.ControlsChanged();
        return true;
    }
    if (result == project::kRunStoreFailed) {
        ShowNotice(CurrentRun() ? text::kProjectNotWritten : text::kProjectNotRead);
        host_.ControlsChanged();
        return false;
    }
    if (project::CountCreatedRuns(block_) == 0) {
        chart_.FreeAllSeries();
        ClearValueTexts();
        host_.ControlsChanged();
        ShowNotice(text::kLastRunDeleted, text::kBackToSensors);
        host_.GoToSensorScreen();
    }
    return false;
}

bool MeasureController::SelectRun(int index)
{
    if (!IsIdle())
        return false;
    const int result = runs_.SelectRun(index);
    if (result == project::kRunStoreFailed)
        ShowNotice(CurrentRun() ? text::kProjectNotWritten : text::kProjectNotRead);
    if (result == project::kRunDone || result == project::kRunStoreFailed) {
        SyncControls();
        RefreshRunView(true);
        host_.ControlsChanged();
    }
    return result == project::kRunDone;
}

// ---- Controls.

bool MeasureController::ChannelOn(int c) const
{
    return c >= 0 && c < project::kChannelCount && channelOn_[c];
}

bool MeasureController::ChannelToggleEnabled(int c) const
{
    return IsIdle() && c >= 0 && c < project::kChannelCount && sensor_.IsConnected(c) &&
           IsRecordableKind(sensor_.LiveState(c).conversionKind);
}

bool MeasureController::StartEnabled() const
{
    if (!IsIdle())
        return true;
    for (int c = 0; c < project::kChannelCount; ++c) {
        if (channelOn_[c] && sensor_.IsConnected(c))
            return true;
    }
    return false;
}

bool MeasureController::SetChannel(int c, bool on)
{
    if (!ChannelToggleEnabled(c))
        return false;
    channelOn_[c] = on;
    project::DataSetRecord* record = CurrentRun();
    if (on && record)
        record->selectedChannel = c;
    SetupChart(true);
    RefreshRunView(false);
    host_.ControlsChanged();
    return true;
}

void MeasureController::SyncControls()
{
    const project::DataSetRecord* record = CurrentRun();
    for (int c = 0; c < project::kChannelCount; ++c)
        channelOn_[c] = record && record->channelRecorded[c] == 1;
}

bool MeasureController::RequestChannelReset()
{
    if (IsIdle())
        return true;
    ShowNotice(text::kStopRunFirst);
    return false;
}

// ---- The screen.

void MeasureController::OnShow()
{
    if (!IsIdle())
        return;
    if (project::CountCreatedRuns(block_) == 0 && NewRun())
        return;
    OnProjectLoaded();
}

void MeasureController::OnProjectLoaded()
{
    if (!IsIdle())
        return;
    SyncControls();
    RefreshRunView(true);
    host_.ControlsChanged();
}

void MeasureController::OnEscape()
{
    if (!IsIdle())
        Stop();
    else if (StartEnabled())
        Start();
}

// ---- Set-up.

PlanChannel MeasureController::PlanChannelOf(const project::DataSetRecord& record, int c)
{
    PlanChannel channel;
    const devicelink::ChannelState live = sensor_.LiveState(c);
    channel.takesPart = channelOn_[c] && sensor_.IsConnected(c) && live.conversionKind != devicelink::kConvertGps;
    const devicelink::ChannelState state =
        record.channelRecorded[c] == 1 ? ToDeviceState(record.channels[c]) : live;
    const devicelink::SensorAccessRecord* access = sensor_.FindRecord(state);
    channel.hasRecord = access != nullptr;
    channel.maxRate = access ? MaxRateOf(*access, state) : 0;
    channel.valuesPerSample = ValuesPerSample(access);
    channel.conversionKind = state.conversionKind;
    channel.firstConversion = state.firstConversion;
    channel.sensorFamily = state.sensorFamily;
    channel.highSpeedCapable = state.adcMode;
    return channel;
}

void MeasureController::PlanInto(project::DataSetRecord& record)
{
    PlanChannel channels[project::kChannelCount];
    for (int c = 0; c < project::kChannelCount; ++c)
        channels[c] = PlanChannelOf(record, c);
    const PlanOutcome outcome = measure::PlanRates(record, channels);
    for (int c = 0; c < project::kChannelCount; ++c) {
        if (outcome.liveHighSpeed[c] != LiveHighSpeed::Keep)
            sensor_.SetHighSpeedFlag(c, outcome.liveHighSpeed[c] == LiveHighSpeed::Set ? 1 : 0);
    }
}

void MeasureController::PlanRates()
{
    if (project::DataSetRecord* record = CurrentRun())
        PlanInto(*record);
}

bool MeasureController::BeforeSetupDialog()
{
    if (!IsIdle() || !CurrentRun())
        return false;
    PlanRates();
    return true;
}

void MeasureController::AfterSetupDialog(bool accepted)
{
    if (!accepted || !IsIdle())
        return;
    PlanRates();
    RefreshRunView(true);
}

void MeasureController::AfterSensorSetup(bool accepted)
{
    if (!accepted || !IsIdle())
        return;
    for (int c = 0; c < project::kChannelCount; ++c) {
        if (sensor_.IsConnected(c))
            sensor_.Reconfigure(c);
    }
    PlanRates();
    RefreshRunView(true);
    host_.ControlsChanged();
}

int32_t MeasureController::ChannelMaxRate(int c)
{
    const project::DataSetRecord* record = CurrentRun();
    if (!record || c < 0 || c >= project::kChannelCount || !sensor_.IsConnected(c))
        return 0;
    return ChannelMaximum(PlanChannelOf(*record, c));
}

void MeasureController::OnDevicesChanged()
{
    if (IsIdle()) {
        RefreshRunView(true);
        if (project::DataSetRecord* record = CurrentRun())
            record->elapsedMs = 0;
    }
    host_.ControlsChanged();
    host_.Invalidate();
}

// ---- The run.

void MeasureController::OnStartClicked()
{
    if (IsIdle())
        Start();
    else
        Stop();
}

void MeasureController::Start()
{
    if (!IsIdle())
        return;
    project::DataSetRecord* record = CurrentRun();
    if (!record)
        return;
    // Every reason not to run is found before the record is touched.
    if (!sensor_.Available()) {
        ShowNotice(text::kNoSensorObject);
        return;
    }
    bool anyChannel = false;
    for (int c = 0; c < project::kChannelCount; ++c) {
        if (!sensor_.IsConnected(c))
            channelOn_[c] = false;
        anyChannel = anyChannel || (channelOn_[c] && ChannelToggleEnabled(c));
    }
    if (!anyChannel) {
        host_.ControlsChanged();
        ShowNotice(text::kNoChannelOn);
        return;
    }
    // The monitor may still be acquiring.
    if (sensor_.IsRunning())
        sensor_.StopAcquisition();
    *before_ = *record;

    const int32_t mode = ModeOf(*record);
    record->elapsedMs = 0;
    std::fill(std::begin(record->channelRecorded), std::end(record->channelRecorded), 0);
    for (int c = 0; c < project::kChannelCount; ++c) {
        photogate_[c] = false;
        if (!channelOn_[c] || !ChannelToggleEnabled(c))
            continue;
        record->channelRecorded[c] = 1;
        const devicelink::ChannelState live = sensor_.LiveState(c);
        if (IsPhotogate(live)) {
            photogate_[c] = true;
            if (project::IsPhotogateRun(mode))
                sensor_.SetPhotogateSetup(c, kGateSetupWord);
        } else if (NeedsSetupBeforeRun(live)) {
            sensor_.Reconfigure(c);
        }
    }
    runs_.CopyChannelSetup();
    PlanInto(*record);
    // The plan may have changed the period, which decides the unit of the stamps.
    project::ApplyTimeScales(*record);
    chart_.FreeAllSeries();
    SetupChart(false);
    intake_.Begin(*record);
    for (int c = 0; c < project::kChannelCount; ++c) {
        if (record->channelRecorded[c] == 1)
            sensor_.ResetConversion(c);
    }
    ClearValueTexts();
    ++generation_;
    repaintPending_ = false;

    if (mode == project::kRunManual) {
        for (int c = 0; c < project::kChannelCount; ++c) {
            const AcquisitionArrays arrays = sensor_.Arrays(c);
            if (record->channelRecorded[c] == 1 && arrays.Bound())
                arrays.count->store(0, std::memory_order_release);
        }
        state_ = RunState::Manual;
    } else if (ArmTrigger(*record)) {
        state_ = RunState::TriggerWait;
        host_.StartTimer(kTriggerTimer, trigger_.TickMs());
    } else if (!BeginAcquisition()) {
        return;
    }
    host_.ControlsChanged();
    RequestRepaint();
}

bool MeasureController::ArmTrigger(const project::DataSetRecord& record)
{
    bool triggered = false;
    bool gate = false;
    int32_t gateKind = 0;
    bool anyPhotogate = false;
    for (int c = 0; c < project::kChannelCount; ++c) {
        if (record.channelRecorded[c] != 1)
            continue;
        anyPhotogate = anyPhotogate || photogate_[c];
        const int32_t kind = sensor_.LiveState(c).triggerKind;
        triggered = triggered || kind != devicelink::kTriggerNone;
        if (devicelink::IsGateTrigger(kind)) {
            gate = true;
            gateKind = kind;
        }
    }
    // A photogate trigger needs a photogate to watch.
    if (!triggered || (gate && !anyPhotogate)) {
        trigger_.Disarm();
        return false;
    }
    TriggerWatch::Channel channels[project::kChannelCount];
    for (int c = 0; c < project::kChannelCount; ++c) {
        if (record.channelRecorded[c] != 1)
            continue;
        const devicelink::ChannelState live = sensor_.LiveState(c);
        TriggerWatch::Channel& ch = channels[c];
        ch.output = ToDeviceState(record.channels[c]).selectedOutput;
        ch.level = live.triggerLevel;
        if (gate) {
            ch.watched = photogate_[c];
            ch.kind = gateKind;
        } else {
            ch.watched = devicelink::IsLevelTrigger(live.triggerKind);
            ch.kind = live.triggerKind;
        }
    }
    trigger_.Arm(channels, gate);
    return true;
}

bool MeasureController::BeginAcquisition()
{
    project::DataSetRecord* record = CurrentRun();
    if (!record) {
        Abandon(text::kStartRefused);
        return false;
    }
    const int32_t mode = ModeOf(*record);
    devicelink::AcquisitionPlan plan;
    plan.triggerWord = PhotogateModeCode(mode);
    for (int c = 0; c < project::kChannelCount; ++c) {
        plan.selection[c] = photogate_[c] ? 1 : 0;
        plan.channelFlags[c] = record->channelRecorded[c] == 1 ? 1 : 0;
        plan.channelIntervals[c] = record->channelPeriod[c];
    }
    plan.interval = record->period;
    plan.lengthSeconds = record->length;
    plan.count = record->stopCount == 1 ? record->totalTarget : 0;
    plan.perChannel = record->perChannelRates == 1 ? 1 : 0;
    plan.markFlag = 0;

    platform::Event* event = sensor_.StartAcquisition(plan);
    if (!event) {
        Abandon(text::kStartRefused);
        return false;
    }
    state_ = RunState::Acquiring;
    if (!worker_.Start(*event, generation_)) {
        sensor_.StopAcquisition();
        Abandon(text::kStartRefused);
        return false;
    }
    return true;
}

void MeasureController::Stop()
{
    switch (state_) {
    case RunState::Idle:
        return;
    case RunState::TriggerWait:
        Abandon(text::kStoppedBeforeTrigger);
        return;
    case RunState::Acquiring:
    case RunState::Manual:
        Finish(RunEnd::Stopped);
        return;
    }
}

void MeasureController::Shutdown()
{
    Stop();
    host_.KillTimer(kTriggerTimer);
}

void MeasureController::OnWakeUp(uint32_t generation)
{
    worker_.WakeUpTaken();
    if (generation != generation_ || state_ != RunState::Acquiring)
        return;
    TakeAndMaybeFinish();
}

void MeasureController::OnTimer(int id)
{
    if (id != kTriggerTimer)
        return;
    if (state_ != RunState::TriggerWait) {
        host_.KillTimer(kTriggerTimer);
        return;
    }
    const TriggerWatch::Result result = trigger_.Check([this](int c, float* values) {
        NewestSample sample;
        if (!sensor_.ReadNewest(c, sample))
            return false;
        std::copy(std::begin(sample.values), std::end(sample.values), values);
        return true;
    });
    if (result == TriggerWatch::Result::Waiting)
        return;
    host_.KillTimer(kTriggerTimer);
    if (result == TriggerWatch::Result::GaveUp) {
        Abandon(text::kTriggerUnreadable);
        return;
    }
    if (BeginAcquisition())
        host_.ControlsChanged();
}

void MeasureController::OnManualSampleKey()
{
    if (state_ != RunState::Manual)
        return;
    for (int c = 0; c < project::kChannelCount; ++c) {
        const IntakeChannel& ch = intake_.Channel(c);
        if (!ch.recorded || ch.finished || !sensor_.IsConnected(c))
            continue;
        NewestSample sample;
        const AcquisitionArrays arrays = sensor_.Arrays(c);
        if (!arrays.Bound() || !sensor_.ReadNewest(c, sample))
            continue;
        // The raw entries, as a run would have delivered them, stamped with the sample number.
        const int32_t n = ch.valuesPerSample;
        const int32_t count = std::clamp(arrays.count->load(std::memory_order_acquire), 0, arrays.capacity);
        if (count + n > arrays.capacity)
            continue;
        for (int32_t k = 0; k < n; ++k) {
            arrays.values[count + k] = k < sample.rawCount ? sample.raw[k] : 0;
            arrays.times[count + k] = count / n;
        }
        arrays.count->store(count + n, std::memory_order_release);
    }
    TakeAndMaybeFinish();
}

void MeasureController::TakeAndMaybeFinish()
{
    project::DataSetRecord* record = CurrentRun();
    if (!record)
        return;
    int32_t elapsed = record->elapsedMs;
    const bool added = intake_.TakeNew(ModeOf(*record), &elapsed);
    record->elapsedMs = elapsed;
    RefreshValueTexts();
    if (intake_.AllFinished() || intake_.AnyStoreFull()) {
        Finish(RunEnd::Completed);
        return;
    }
    if (added)
        RequestRepaint();
}

void MeasureController::Finish(RunEnd end)
{
    host_.KillTimer(kTriggerTimer);
    trigger_.Disarm();
    if (state_ == RunState::Acquiring) {
        sensor_.StopAcquisition();
        worker_.Stop();
    }
    project::DataSetRecord* record = CurrentRun();
    if (record) {
        // What arrived between the last wake-up and the stop belongs to the run.
        int32_t elapsed = record->elapsedMs;
        intake_.TakeNew(ModeOf(*record), &elapsed);
        record->elapsedMs = elapsed;
    }
    state_ = RunState::Idle;
    ++generation_;
    if (!record || !intake_.AnyEntries()) {
        Abandon(text::kNoSampleArrived);
        return;
    }
    Commit(*record, end);
    host_.ControlsChanged();
    chart_.Redraw();
    host_.Invalidate();
    // Saved at once, so that a crash later loses nothing of the run.
    if (const project::ProjectResult saved = store_.SaveProject(); saved != project::ProjectResult::Ok)
        ShowNotice(text::kRunNotSaved, project::ProjectResultTextId(saved));
}

void MeasureController::Commit(project::DataSetRecord& record, RunEnd end)
{
    record.inUse = 1;
    for (int c = 0; c < project::kChannelCount; ++c) {
        const IntakeChannel& ch = intake_.Channel(c);
        record.sampleCount[c] = ch.recorded ? ch.entries : 0;
    }
    RefreshValueTexts();
    record.dataSetSerial += 1;
    if (end == RunEnd::Completed && record.stopCount != 0 && !intake_.AnyStoreFull()) {
        const int64_t ms = int64_t(std::max(record.length, 0)) * RepeatsOf(record) * 1000;
        record.elapsedMs = int32_t(std::min<int64_t>(ms, INT32_MAX));
    }
    block_.usedCount = project::CountCreatedRuns(block_);
}

void MeasureController::Abandon(int messageId)
{
    host_.KillTimer(kTriggerTimer);
    trigger_.Disarm();
    worker_.Stop();
    if (project::DataSetRecord* record = CurrentRun())
        *record = *before_;
    state_ = RunState::Idle;
    ++generation_;
    intake_.Clear();
    RefreshRunView(true);
    host_.ControlsChanged();
    ShowNotice(messageId);
}

void MeasureController::ShowNotice(int textId, int secondTextId)
{
    host_.ShowMessage(uikit::kBoxTypeNotice, textId, secondTextId);
}

void MeasureController::RequestRepaint()
{
    if (repaintPending_)
        return;
    repaintPending_ = true;
    chart_.Redraw();
    host_.Invalidate();
}

}  // namespace measure
