#pragma once

#include <cstdint>
#include <string>

#include "logger/measure/core/AcquisitionWorker.h"
#include "logger/monitor/core/MonitorPass.h"
#include "logger/monitor/core/MonitorSensor.h"
#include "logger/monitor/core/MonitorSetup.h"

// The sensor monitor without its widget: the live run while the screen is in front, its wait
// thread, the passes, pausing, the blinking "no sensor" strip and the way into the set-up
// dialogs. Everything but MonitorHost::PostWakeUp runs on the screen's (UI) thread.
namespace monitor {

class MonitorHost {
public:
    virtual ~MonitorHost() = default;
    virtual void StartTimer(int id, int periodMs) = 0;
    virtual void KillTimer(int id) = 0;
    // Called on the wait thread: post the wake-up (0x4400) carrying `generation` to the screen,
    // which hands it to SensorMonitor::OnWakeUp.
    virtual void PostWakeUp(uint32_t generation) = 0;
    // The set-up and calibration buttons.
    virtual void SetSetupButtonsEnabled(bool enabled) = 0;
    // What lies behind the panels changed (a start, the layout, the slot map): redraw it all.
    virtual void PageChanged() = 0;
    // Only the panels' texts and pictures, or the strip, changed.
    virtual void PanelsChanged() = 0;
};

enum class MonitorState {
    Stopped,
    WaitingForSensor,  // nothing connected: the strip blinks, the set-up buttons are off
    Running,           // the logger samples, the wait thread posts
    NotStarted,        // sensors are connected but the logger refused the run
    Paused,            // stopped by Escape; only Escape (or showing the screen) starts again
};

class SensorMonitor {
public:
    static constexpr int kBlinkTimer = 110;
    static constexpr int kBlinkMs = 400;

    SensorMonitor(MonitorSensor& sensor, MonitorHost& host);
    ~SensorMonitor();
    SensorMonitor(const SensorMonitor&) = delete;
    SensorMonitor& operator=(const SensorMonitor&) = delete;

    void SetNoFixText(std::u16string text) { pass_.SetNoFixText(std::move(text)); }
    // How the set-up dialogs are run (none: the buttons open nothing, but still stop and restart).
    void SetSetupDialogRunner(SetupDialogRunner runner) { runner_ = std::move(runner); }

    // The screen was shown or the sensors changed: from nothing received, never paused.
    void Show();
    // Starts (again) the live run of what is connected, or waits for a sensor.
    void Start();
    // Timer 110, the acquisition, the wait thread, in that order; then wake-ups already posted
    // are out of date. Returns once the thread has ended (within its 100 ms wait).
    void Stop();
    void OnWakeUp(uint32_t generation);
    void OnTimer(int id);
    // Pauses after the first pass; resumes when paused; otherwise nothing.
    void OnEscape();
    // The set-up button (the function generator's own dialog when one is connected) and the
    // calibration button; nothing before the first pass.
    void OpenSetup();
    void OpenCalibration();

    MonitorState State() const { return state_; }
    bool Paused() const { return state_ == MonitorState::Paused; }
    // False until the first pass after a show: nothing received, no panels.
    bool FourPanels() const { return fourPanels_; }
    bool BlinkOn() const { return blinkOn_; }
    uint32_t Generation() const { return generation_; }
    uint64_t PassCount() const { return passes_; }
    const MonitorPass& Pass() const { return pass_; }
    bool WaiterRunning() const { return waiter_.Running(); }

private:
    void RunSetup(const SetupRequest& request, bool reconfigureOnOk);
    void PrepareChannels();

    MonitorSensor& sensor_;
    MonitorHost& host_;
    MonitorPass pass_;
    measure::AcquisitionWorker waiter_;
    SetupDialogRunner runner_;
    MonitorState state_ = MonitorState::Stopped;
    bool started_ = false;  // StartMonitor was asked since the last stop
    bool fourPanels_ = false;
    bool delivered_ = false;
    bool blinkOn_ = true;
    uint32_t generation_ = 0;
    uint64_t passes_ = 0;
};

}  // namespace monitor
