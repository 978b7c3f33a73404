#pragma once

#include "addin/dialogs/ChannelWindow.h"
#include "addin/dialogs/core/MeasureSession.h"

#include <QFont>

class QLabel;
class QLineEdit;
class QProgressBar;

namespace uikit {
class CButtonST;
}

// The add-in's measurement window (dialog 5004): live values of the four channels, the channels,
// rate and duration to measure with, and the measurement itself into the active worksheet. Run
// modally; it ends with OK once something was measured, else with Cancel, and with Cancel when
// the logger goes away.
namespace addin::dialogs {

class CMeasureDlg : public ChannelWindow {
    Q_OBJECT

public:
    static constexpr int kDialogId = 5004;
    static constexpr int kStartStopId = 5001;
    static constexpr int kSpinId = 5002;
    static constexpr int kRateEditId = 5006;
    static constexpr int kDurationEditId = 5007;
    static constexpr int kFirstChannelId = 5009;
    static constexpr int kElapsedId = 5013;
    static constexpr int kExtraButtonAId = 5016;
    static constexpr int kExtraButtonBId = 5017;
    static constexpr int kProgressId = 5024;
    static constexpr int kTickMs = 1000;

    explicit CMeasureDlg(QWidget* parent = nullptr);
    ~CMeasureDlg() override;

public slots:
    // Closing and Escape: OK once something was measured, else Cancel.
    void reject() override;

protected:
    void TickHeld() override;
    bool TickDone() override;
    void TakeDetection(const DisplayUpdate& update) override;
    void TakeReadings(const DisplayUpdate& update) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    uikit::CButtonST* MakeButton(int id, const int (&pictures)[4], const QRect& place);
    void OnStartStop(bool checked);
    void StartMeasurement();
    void SetStartChecked(bool checked);
    // The window after a measurement ended, however it ended.
    void AfterStop();
    // Buttons of the channels a measurement may use; the others disabled (and unchecked).
    void EnableChannelButtons();
    void SetMeasuringControls(bool measuring);
    void ShowProgress();
    void Finish(int result);

    HostSheetWriter sheet_;
    MeasureSession session_;
    TickOutcome outcome_ = TickOutcome::Idle;
    bool finished_ = false;

    QFont labelFont_;
    QString rateLabel_;
    QString durationLabel_;
    uikit::CButtonST* startStop_ = nullptr;
    uikit::CButtonST* channelButtons_[device::kTableChannels] = {};
    QLineEdit* rateEdit_ = nullptr;
    QLineEdit* durationEdit_ = nullptr;
    QWidget* spin_ = nullptr;
    QLabel* elapsed_ = nullptr;
    QProgressBar* progress_ = nullptr;
};

}  // namespace addin::dialogs
