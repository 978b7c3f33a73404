#pragma once

#include <array>

#include <QPixmap>

#include "logger/monitor/core/MonitorSetup.h"
#include "logger/sensorsetup/core/SensorSetupModel.h"
#include "logger/sensorsetup/SetupDialogBase.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace uikit {
class CButtonST;
}

// The sensor set-up and calibration dialog. Mode 0 (channel set-up) chooses per channel the
// sensor's mode, output, range, trigger and level and two corrections, written back on OK for
// every connected channel. Mode 1 (calibration) shows the channel's live value, captures up to
// three points, clears a calibration or sets the zero, and stores the points on OK. The caller
// reconfigures the channels after OK.
//
//     CSensorSetup1Dlg dialog(screen, *sensor);
//     dialog.SetMode(SetupMode::Calibration);
//     dialog.SetPoints(GatherCalibrationPoints(monitorSensor));
//     if (dialog.exec() == CSensorSetup1Dlg::kResultOk) ...
namespace sensorsetup {

class CSensorSetup1Dlg : public SetupDialogBase {
    Q_OBJECT

public:
    static constexpr int kChannelButtonIds[4] = {1037, 1044, 1045, 1046};
    static constexpr int kModeComboId = 1081;
    static constexpr int kOutputComboId = 1082;
    static constexpr int kRangeComboId = 1083;
    static constexpr int kTriggerComboId = 1084;
    static constexpr int kZeroOffsetEditId = 1093;
    static constexpr int kFactorEditId = 1094;
    static constexpr int kLevelEditId = 1095;
    static constexpr int kReferenceEditIds[3] = {1096, 1098, 1100};
    static constexpr int kMeasuredEditIds[3] = {1097, 1099, 1101};
    static constexpr int kCaptureButtonIds[3] = {1115, 1116, 1117};
    static constexpr int kClearButtonId = 1118;
    static constexpr int kZeroButtonId = 1119;

    CSensorSetup1Dlg(QWidget* owner, devicelink::CNI2CSensor& sensor);
    ~CSensorSetup1Dlg() override;

    // Before exec.
    void SetMode(SetupMode mode);
    void SetPoints(const monitor::CalibrationPoints& points);

    const SensorSetupModel& Model() const { return model_; }
    uikit::CButtonST& ChannelButton(int channel) { return *channelButtons_[size_t(channel)]; }
    QComboBox& ModeCombo() { return *modeCombo_; }
    QComboBox& OutputCombo() { return *outputCombo_; }
    QComboBox& RangeCombo() { return *rangeCombo_; }
    QComboBox& TriggerCombo() { return *triggerCombo_; }
    QLineEdit& Edit(SetupEdit edit) { return *edits_[size_t(edit)]; }
    QLineEdit& ReferenceEdit(int row) { return *referenceEdits_[size_t(row)]; }
    QLineEdit& MeasuredEdit(int row) { return *measuredEdits_[size_t(row)]; }
    QPushButton& CaptureButton(int row) { return *captureButtons_[size_t(row)]; }
    // Where the live value is drawn; a reading repaints all of it.
    static QRect LiveValueRect();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

    void OnOk() override;
    void OnSample(const LiveSample& sample) override;
    void BusyChanged() override;

private:
    void CreateControls();
    // Lays the dialog out for its mode, opens it on the first connected channel, starts the worker.
    void Initialise();
    void SelectChannel(int channel);
    // The controls from the model: lists, edits, rows, buttons.
    void Refill();
    void RefillLists();
    void Zero();
    void Clear();
    void Capture(int row);
    // A measured value wider than its edit shows its first digits, as a number is read.
    void ShowMeasured(int row);
    void OkSetup();
    void OkCalibration();
    // Shows the channel and focuses the edit a notice is about.
    void PointAt(int channel, QLineEdit* edit);
    void UpdateEnabled();

    SensorSetupModel model_;
    bool initialised_ = false;
    bool refilling_ = false;
    std::array<uikit::CButtonST*, 4> channelButtons_{};
    QComboBox* modeCombo_ = nullptr;
    QComboBox* outputCombo_ = nullptr;
    QComboBox* rangeCombo_ = nullptr;
    QComboBox* triggerCombo_ = nullptr;
    std::array<QLineEdit*, kSetupEditCount> edits_{};
    std::array<QLineEdit*, 3> referenceEdits_{};
    std::array<QLineEdit*, 3> measuredEdits_{};
    std::array<QPushButton*, 3> captureButtons_{};
    QPushButton* clearButton_ = nullptr;
    QPushButton* zeroButton_ = nullptr;
    QPixmap background_;
    QPixmap calibrated_;
    QPixmap notCalibrated_;
};

}  // namespace sensorsetup
