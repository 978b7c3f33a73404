#pragma once

#include <QPixmap>

#include "logger/sensorsetup/SetupDialogBase.h"

class QLineEdit;
class QPushButton;

// The function generator's dialog, opened by the monitor's set-up button when the generator is
// connected. OK with "Forced OSC Demo" pressed starts the generator with the frequency and the
// amplitude typed, OK alone stops it; either way the values are kept in the sensor object for
// the next opening. Cancel sends and keeps nothing.
namespace sensorsetup {

class SensorSetup2Dlg : public SetupDialogBase {
    Q_OBJECT

public:
    static constexpr int kDemoButtonId = 1127;
    static constexpr int kFrequencyEditId = 1141;
    static constexpr int kAmplitudeEditId = 1142;

    SensorSetup2Dlg(QWidget* owner, devicelink::CNI2CSensor& sensor);
    ~SensorSetup2Dlg() override;

    // Before exec.
    void SetChannel(int channel) { channel_ = channel; }

    QLineEdit& FrequencyEdit() { return *frequency_; }
    QLineEdit& AmplitudeEdit() { return *amplitude_; }
    QPushButton& DemoButton() { return *demo_; }
    bool Demo() const;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void OnOk() override;
    void BusyChanged() override;

private:
    int channel_ = -1;
    bool started_ = false;
    QLineEdit* frequency_ = nullptr;
    QLineEdit* amplitude_ = nullptr;
    QPushButton* demo_ = nullptr;
    QPixmap background_;
};

}  // namespace sensorsetup
