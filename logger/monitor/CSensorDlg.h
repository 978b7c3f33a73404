#pragma once

#include <array>
#include <memory>

#include <QFont>
#include <QPixmap>
#include <QPoint>
#include <QWidget>

#include "logger/monitor/core/MonitorSensor.h"
#include "logger/monitor/core/SensorMonitor.h"
#include "uikit/common/CVRDCommonBase.h"
#include "uikit/events/TimerIds.h"
#include "uikit/window/CVRDWindowBase.h"

namespace uikit {
class CButtonST;
}

// The sensor monitor, the program's start screen: live readings of every connected sensor in up
// to four panels, and the way into set-up, calibration, the function generator and a sensor's
// information page. A frameless child page of the root window; the work is SensorMonitor's, this
// widget paints and forwards.
namespace monitor {

class CSensorDlg : public QWidget,
                   public uikit::CVRDCommonBase,
                   public uikit::CVRDWindowBase,
                   private MonitorHost {
    Q_OBJECT

public:
    static constexpr int kMenuButtonId = 1051;
    static constexpr int kSetupButtonId = 1038;
    static constexpr int kCalibrationButtonId = 1040;

    explicit CSensorDlg(QWidget* rootWindow);
    ~CSensorDlg() override;

    // The root window calls this before every navigation, every device-change box, at quit and
    // when the logger is lost.
    void StopMonitor();
    // How the set-up dialogs open: the program's own (SetupDialogs.h) unless replaced here.
    void SetSetupDialogRunner(SetupDialogRunner runner);

    SensorMonitor& Monitor() { return *monitor_; }
    uikit::CButtonST& SetupButton() { return *setup_; }
    uikit::CButtonST& CalibrationButton() { return *calibration_; }
    bool FileSavingShown() const { return fileSaving_; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // MonitorHost.
    void StartTimer(int id, int periodMs) override { timers_.SetTimer(id, periodMs); }
    void KillTimer(int id) override { timers_.KillTimer(id); }
    void PostWakeUp(uint32_t generation) override;
    void SetSetupButtonsEnabled(bool enabled) override;
    void PageChanged() override;
    void PanelsChanged() override { update(); }

    void CreateButtons();
    void LoadSkin();
    // The page behind the panels, for the current size, layout and slot map.
    void BuildPage();
    void DrawPanel(QPainter& painter, int slot, int channel, int x0);
    void DrawValues(QPainter& painter, const PanelTexts& texts, int left, int top, int right, int bottom,
                    uint32_t colour);
    // One line, left-aligned: smaller when long, cut when still too long.
    void DrawLine(QPainter& painter, const QString& text, const QFont& font, int left, int top, int right,
                  int bottom, uint32_t colour);
    // The strip that says why no panels are shown.
    void DrawNotice(QPainter& painter, const QString& text, int x0);

    uikit::TimerIds timers_{this};
    MonitorSensorAdapter sensor_;
    // Declared after what its host calls use, so that it stops before they go.
    std::unique_ptr<SensorMonitor> monitor_;
    uikit::CButtonST* menu_ = nullptr;
    uikit::CButtonST* setup_ = nullptr;
    uikit::CButtonST* calibration_ = nullptr;

    QPixmap background_;
    QPixmap topBar_;
    QPixmap corner_;
    std::array<QPixmap, kPanelSlots> panelBackgrounds_;
    QPixmap page_;
    bool pageValid_ = false;
    QFont singleFont_;
    QFont valuesFont_;
    QFont titleFont_;
    QFont nameFont_;
    QFont stripFont_;
    QString noSensorText_;
    QString notStartedText_;
    QPoint pressPoint_;
    bool fileSaving_ = false;
};

}  // namespace monitor
