#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>

#include <QFont>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include "logger/measure/core/MeasureController.h"
#include "logger/measure/core/SensorObjectAdapter.h"
#include "logger/measure/XYChartRunChart.h"
#include "logger/monitor/core/MonitorSetup.h"
#include "logger/project/ExperimentRecords.h"
#include "logger/shell/ScreenServices.h"
#include "uikit/chart/CNIXYChart.h"
#include "uikit/common/CVRDCommonBase.h"
#include "uikit/common/ExperimentSource.h"
#include "uikit/events/TimerIds.h"
#include "uikit/window/CVRDWindowBase.h"

class QComboBox;

namespace project {
class ProjectFile;
}
namespace uikit {
class CButtonST;
}

// The measurement screen (screen slot 3): a pupil chooses the channels, sets the run up, starts
// and stops it and watches it drawn live; up to four data sets are kept, each with its note. It
// owns the recording (the experiment block, the current set's samples and the working project
// over them) and offers it to the analysis and project screens. A frameless child page of the
// root window; the work is MeasureController's, this widget paints and forwards.
namespace measure {

class CMeasurmentDlg : public QWidget,
                       public uikit::CVRDCommonBase,
                       public uikit::CVRDWindowBase,
                       public uikit::ExperimentSource,
                       private MeasureScreenHost {
    Q_OBJECT

public:
    enum Control : int {
        kStart = 1003,
        kChannelA = 1011,   // ..1014
        kRunCombo = 1046,
        kNewRun = 1047,
        kDeleteRun = 1048,
        kMenu = 1054,
        kMeasureSetup = 1055,
        kNote = 1056,
        kSensorSetup = 1057,
    };
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 600;
    static constexpr int kChartTop = 185;

    // Registers itself in slot 3. `rootWindow` is the page's parent; the working project is kept
    // in the session's working-copy folder (the data folder while there is no session). Of
    // `services` it takes the message box and the note dialog on a data set's note.
    CMeasurmentDlg(QWidget* rootWindow, const shell::ScreenServices& services);
    ~CMeasurmentDlg() override;

    // uikit::ExperimentSource.
    project::ExperimentBlock* ExperimentData() override { return block_.get(); }
    project::SampleArrays* SampleData() override { return samples_.get(); }
    project::ProjectFile* WorkingProject() override { return project_.get(); }
    bool SaveRunPicture(const std::string& path) override { return SaveChartPicture(QString::fromStdString(path)); }

    // What other parts call: the root window before every navigation and device-change box, at
    // quit and when the logger is lost; the current data set (null while none is chosen); its
    // view rebuilt after the project manager changed it; the chart's picture for the report, set
    // up for the current data set from its channel copies and samples first.
    void StopMeasure();
    project::DataSetRecord* GetCurrentRun() { return controller_->CurrentRun(); }
    void RefreshRunView(bool rebuildChart);
    bool SaveChartPicture(const QString& path);
    // The sensor set-up dialog (the same runner the sensor monitor takes); until one is set the
    // sensor set-up button does nothing.
    void SetSetupDialogRunner(monitor::SetupDialogRunner runner) { sensorSetup_ = std::move(runner); }

    MeasureController& Controller() { return *controller_; }
    uikit::CNIXYChart& Chart() { return chart_; }
    uikit::CButtonST* Button(int id) const;
    QComboBox& RunCombo() const { return *runCombo_; }
    // A control's click, as the user's tap would.
    void Click(int id);
    QRect ChartRect() const { return chartRect_; }
    // Where the run clock and, on a window wider than 800, the extra plate are drawn at a width.
    static QRect RunClockRect(int width);
    static QRect WidePlateRect(int width);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // MeasureScreenHost.
    int ShowMessage(int type, int textId, int secondTextId) override;
    std::u16string Text(int id) override;
    void StartTimer(int id, int intervalMs) override { timers_.SetTimer(id, intervalMs); }
    void KillTimer(int id) override { timers_.KillTimer(id); }
    void PostWakeUp(uint32_t generation) override;
    void Invalidate() override { update(); }
    void ControlsChanged() override { RebuildControls(); }
    void GoToSensorScreen() override;

    void LoadSkin();
    void CreateControls();
    void CreateChart();
    // Buttons, toggles and the run combo as the controller's state has them.
    void RebuildControls();
    void FillRunCombo();
    void LayOutChart();
    void OnStartClicked();
    void OnMeasureSetup();
    void OnNote();
    void OnSensorSetup();
    int Present(int type, const QString& first, const QString& second);
    void DrawPanels(QPainter& painter);
    void DrawRunClock(QPainter& painter);

    shell::MessagePresenter present_;
    shell::NoteEditor editNote_;
    std::unique_ptr<project::ExperimentBlock> block_;
    std::unique_ptr<project::SampleArrays> samples_;
    std::unique_ptr<project::ProjectFile> project_;
    uikit::TimerIds timers_{this};
    uikit::CNIXYChart chart_;
    XYChartRunChart runChart_{chart_};
    SensorObjectAdapter sensor_;
    // Declared after everything its host calls reach, so that it stops before they go.
    std::unique_ptr<MeasureController> controller_;
    monitor::SetupDialogRunner sensorSetup_;

    QPixmap header_;
    QPixmap strip_;
    QPixmap corner_;
    QPixmap widePlate_;
    std::array<QPixmap, project::kChannelCount> panels_;
    QFont largeFont_;
    QFont smallFont_;
    QFont comboFont_;
    QFont clockFont_;
    QFont captionFont_;
    uikit::CButtonST* start_ = nullptr;
    std::array<uikit::CButtonST*, project::kChannelCount> toggles_{};
    std::map<int, uikit::CButtonST*> buttons_;
    QComboBox* runCombo_ = nullptr;
    QRect chartRect_{0, kChartTop, kWidth, kHeight - kChartTop};
    bool showingStop_ = false;
};

}  // namespace measure
