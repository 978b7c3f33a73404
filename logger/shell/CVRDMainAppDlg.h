#pragma once

#include "logger/shell/core/DevicePollRule.h"
#include "logger/shell/core/ShellNavigation.h"
#include "logger/shell/core/StartupSequence.h"
#include "logger/shell/ProgramScreens.h"
#include "logger/shell/ScreenServices.h"
#include "platform/Event.h"
#include "platform/WorkerThread.h"
#include "uikit/common/CVRDCommonBase.h"
#include "uikit/events/TimerIds.h"
#include "uikit/window/CVRDWindowBase.h"

#include <QFont>
#include <QPixmap>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace devicelink {
class CNI2CSensor;
class CVRDPCSync;
}  // namespace devicelink

namespace uikit {
class ScreenEvent;
}

// The program's root window (screen slot 0): one 800 x 600 window whose child pages are the five
// screens. It paces start-up (the start-up animation, the catalogue, the screens, the sensor
// monitor), moves between the screens on the navigation codes they post, polls the logger once a
// second for sensors plugged or pulled, shows the PC-link mode when asked, and takes everything
// down in order when the program ends.
//
// The program ends through Quit (the main menu's quit, a close request, a lost logger, a failed
// start): the start-up thread is joined, the front activity stopped, the screens deleted (project
// manager, analysis, measurement, sensor monitor, help viewer), the PC link stopped, the power
// time-outs restored and the common services shut down; then `finished` gives the exit code. A
// quit or a navigation that arrives while a modal loop runs (a box, a set-up dialog, a question)
// waits until the loop has ended.
namespace shell {

class CVRDMainAppDlg : public QWidget, public uikit::CVRDCommonBase, public uikit::CVRDWindowBase {
    Q_OBJECT

public:
    static constexpr int kExitOk = 0;
    static constexpr int kExitStartFailed = 1;
    static constexpr int kExitLoggerLost = 2;

    static constexpr int kPollTimer = 100;
    static constexpr int kStartupTimer = 200;
    static constexpr int kPcSyncTimer = 220;
    static constexpr int kRedrawTimer = 300;
    static constexpr int kDeferredTimer = 150;  // retries what waited for a modal loop to end
    static constexpr int kPollMs = 1000;
    static constexpr int kPcSyncLeaveMs = 1000;

    // What the root window itself asks of the program; the program runs with the defaults, tests
    // give their own. The screens it makes get theirs from CreateProgramScreens.
    struct Services {
        // How the root window tells the user something and runs the device-change boxes (types
        // 0 and 1, which run detection). Empty: the program's message box.
        MessagePresenter present;
        // The device poll's period; 0 is kPollMs.
        int pollMs = kPollMs;
    };

    explicit CVRDMainAppDlg(QWidget* parent = nullptr);
    CVRDMainAppDlg(QWidget* parent, Services services);
    ~CVRDMainAppDlg() override;

    // What Start starts the common services with (the program's unless given others before);
    // the root window adds its main menu.
    void SetCommonServices(uikit::CommonServices services) { commonServices_ = std::move(services); }
    // Starts the program: the common services, the working copy's folder and lock (a second
    // program ends here, before it opens the logger), the skin, the start-up animation and its
    // thread. A failure here ends the program at once (finished is emitted).
    void Start();
    // Ends the program in order, or as soon as the modal loop now running has ended.
    void Quit(int exitCode = kExitOk);

    bool IsFinished() const { return finished_; }
    StartupState StartupStateNow() const { return startup_.State(); }
    bool StartupThreadRunning() const { return startupThread_.Joinable(); }
    const ProgramScreens& Screens() const { return screens_; }
    bool InPcSyncMode() const { return pcSyncMode_; }
    const QString& PcSyncText() const { return pcSyncText_; }
    bool TimerRunning(int id) const { return timers_.IsActive(id); }
    devicelink::CVRDPCSync& PcSync() { return *pcSync_; }

signals:
    // The program has ended and everything is taken down.
    void finished(int exitCode);

protected:
    bool event(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Start-up.
    void StartStartupThread();
    void JoinStartupThread();
    void OnStartupStep(int code);
    void StartCatalogueLoad();
    void TakeCatalogue();
    void CreateScreens();
    void ShowFirstScreen();
    // Chooses and locks the working copy's folder; false when start-up failed on it.
    bool BeginWorkingCopy();
    // Tells why start-up ended, in a box of `boxType` (by default the notice that closes itself
    // after five seconds), and quits.
    void FailStart(int textId, const QString& detail, int boxType = 6);

    // Navigation.
    Screen ScreenOf(const QWidget* widget) const;
    QWidget* WidgetOf(Screen screen) const;
    void Navigate(const uikit::ScreenEvent& request);
    void StopFrontActivity();
    void ShowScreen(QWidget* screen);
    bool ModalLoopOpen() const;
    void Defer(const uikit::ScreenEvent& request);
    void RunDeferred();
    void HandleMessage(const uikit::ScreenEvent& message);

    // Device poll and PC link.
    void PollDevice();
    void RunDeviceBox(int type, uint32_t redetect);
    void LoggerLost();
    void EnterPcSync();
    void PcSyncDone();
    void LeavePcSync();
    void FinishLeavingPcSync();

    // Before the program ends by the user's wish: a run held only in memory is saved elsewhere
    // first, or given up when the user says so. False: the program goes on.
    bool ConfirmQuitWithHeldRun();
    // The lost logger: a run held only in memory is written to the user's data folder; what the
    // user is told about the recording.
    QString KeepHeldRunOnLoss();
    int Present(int type, const QString& first, const QString& second = {});
    void TearDown();

    Services services_;
    uikit::TimerIds timers_{this};
    StartupSequence startup_;
    platform::WorkerThread startupThread_;
    platform::Event startupWake_{platform::Event::Kind::ManualReset};

    // The catalogue read on its worker; its result is read after the worker is joined.
    platform::WorkerThread catalogueThread_;
    std::atomic<bool> catalogueDone_{false};
    int xmlLoaded_ = 0;
    int32_t catalogueResult_ = 0;
    int openFailure_ = 0;
    std::string cataloguePath_;

    uikit::CommonServices commonServices_;
    devicelink::CNI2CSensor* sensor_ = nullptr;
    std::unique_ptr<devicelink::CVRDPCSync> pcSync_;
    ProgramScreens screens_;
    Screen returnScreen_ = Screen::None;
    DevicePollRule pollRule_;
    int lastPoll_ = 0;
    bool inDeviceBox_ = false;
    std::vector<std::unique_ptr<uikit::ScreenEvent>> deferred_;
    int pendingQuit_ = -1;
    bool quitting_ = false;
    bool askingQuit_ = false;
    bool finished_ = false;
    int exitCode_ = kExitOk;
    bool started_ = false;
    // What to tell the user once the sensor monitor is up: a text and its detail.
    using Notice = std::pair<QString, QString>;
    std::vector<Notice> notices_;

    // PC-link mode.
    bool pcSyncMode_ = false;
    bool pcSyncDone_ = false;
    QString pcSyncText_;
    QTimer pcSyncLeave_;

    // Skin.
    QPixmap background_;
    QPixmap pcSyncBackground_;
    std::array<QPixmap, kStartupFrameCount> startupFrames_;
    std::array<QPixmap, kPcSyncFrameCount> pcSyncFrames_;
    QFont font_;
    int startupFrame_ = 0;
    int pcSyncFrame_ = 0;
};

}  // namespace shell
