#include "logger/monitor/core/SensorMonitor.h"

#include "devicelink/catalogue/SensorCatalogue.h"

namespace monitor {

SensorMonitor::SensorMonitor(MonitorSensor& sensor, MonitorHost& host)
    : sensor_(sensor),
      host_(host),
      pass_(sensor),
      // The completion event is the driver's: the thread is let go by its own short wait.
      waiter_([this](uint32_t generation) { host_.PostWakeUp(generation); },
              measure::AcquisitionWorker::StopWake::ByTimeOut)
{
}

SensorMonitor::~SensorMonitor()
{
    Stop();
}

void SensorMonitor::Show()
{
    fourPanels_ = false;
    pass_.Reset();
    Start();
}

void SensorMonitor::Start()
{
    Stop();
    blinkOn_ = true;
    if (!sensor_.AnyConnected()) {
        state_ = MonitorState::WaitingForSensor;
        host_.SetSetupButtonsEnabled(false);
        host_.StartTimer(kBlinkTimer, kBlinkMs);
        host_.PageChanged();
        return;
    }
    PrepareChannels();
    pass_.Restart();
    started_ = true;
    platform::Event* event = sensor_.StartMonitor();
    // A refused start leaves nothing behind: no thread waits for samples that will not come.
    if (!event || !waiter_.Start(*event, generation_)) {
        state_ = MonitorState::NotStarted;
        host_.SetSetupButtonsEnabled(false);
        host_.PageChanged();
        return;
    }
    state_ = MonitorState::Running;
    host_.SetSetupButtonsEnabled(true);
    host_.PageChanged();
}

void SensorMonitor::Stop()
{
    host_.KillTimer(kBlinkTimer);
    if (started_)
        sensor_.StopAcquisition();
    started_ = false;
    // After the acquisition stopped the driver signals nothing more; the thread's wait ends by
    // itself.
    waiter_.Stop();
    ++generation_;
    delivered_ = false;
    if (state_ != MonitorState::Paused)
        state_ = MonitorState::Stopped;
}

void SensorMonitor::PrepareChannels()
{
    for (int c = 0; c < kPanelSlots; ++c) {
        devicelink::ChannelState& state = sensor_.State(c);
        // The monitor reads the normal path of a sensor that also has the fast one.
        if (state.sensorFamily == devicelink::kWEepromType && state.adcMode == 1)
            state.adcFlag = 0;
        state.allOutputs = 1;
    }
}

void SensorMonitor::OnWakeUp(uint32_t generation)
{
    // A wake-up posted before the last stop belongs to a run that is over.
    if (generation != generation_ || state_ != MonitorState::Running)
        return;
    waiter_.WakeUpTaken();
    delivered_ = true;
    ++passes_;
    const bool slotsChanged = pass_.Run();
    const bool firstPanels = !fourPanels_ && pass_.Slots().count > 0;
    if (firstPanels)
        fourPanels_ = true;
    if (firstPanels || slotsChanged)
        host_.PageChanged();
    else
        host_.PanelsChanged();
}

void SensorMonitor::OnTimer(int id)
{
    if (id != kBlinkTimer)
        return;
    if (state_ != MonitorState::WaitingForSensor) {
        host_.KillTimer(kBlinkTimer);
        return;
    }
    blinkOn_ = !blinkOn_;
    host_.PanelsChanged();
}

void SensorMonitor::OnEscape()
{
    if (state_ == MonitorState::Paused) {
        state_ = MonitorState::Stopped;
        Show();
    } else if (delivered_) {
        Stop();
        state_ = MonitorState::Paused;
        host_.SetSetupButtonsEnabled(false);
    }
}

void SensorMonitor::OpenSetup()
{
    if (!fourPanels_)
        return;
    SetupRequest request;
    request.channel = FunctionGeneratorChannel(sensor_);
    if (request.channel >= 0) {
        request.dialog = SetupDialog::FunctionGenerator;
        RunSetup(request, false);
    } else {
        request.dialog = SetupDialog::ChannelSetup;
        RunSetup(request, true);
    }
}

void SensorMonitor::OpenCalibration()
{
    if (!fourPanels_)
        return;
    SetupRequest request;
    request.dialog = SetupDialog::Calibration;
    request.points = GatherCalibrationPoints(sensor_);
    RunSetup(request, true);
}

void SensorMonitor::RunSetup(const SetupRequest& request, bool reconfigureOnOk)
{
    // The dialogs read, zero and calibrate through the device: nothing of the monitor may run
    // meanwhile, nor act on the channels afterwards with what it took before.
    Stop();
    const int result = runner_ ? runner_(request) : kDialogCancel;
    if (result == kDialogOk && reconfigureOnOk) {
        for (int c = 0; c < kPanelSlots; ++c) {
            if (sensor_.IsConnected(c))
                sensor_.Reconfigure(c);
        }
    }
    Start();
}

}  // namespace monitor
