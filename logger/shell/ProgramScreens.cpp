#include "logger/shell/ProgramScreens.h"

#include "logger/analysis/CAnalyzeDlg.h"
#include "logger/measure/CSensorDlg.h"
#include "logger/projectmgr/CProjectMgrDlg.h"
#include "logger/shell/CHtmlViewDlg.h"
#include "logger/shell/CProgramOptDlg.h"
#include "logger/shell/MeasurementPlaceholder.h"
#include "logger/shell/core/ShellTexts.h"
#include "uikit/common/CVRDCommonBase.h"

namespace shell {

// The screen in slot 3, which records runs and keeps the recording.
using MeasurementScreen = MeasurementPlaceholder;

namespace {

template <typename Screen>
Screen* Page(Screen* screen, int windowTextId)
{
    if (windowTextId != 0)
        screen->setWindowTitle(uikit::CVRDCommonBase::LoadText(windowTextId, kWindowTextChars));
    screen->hide();
    return screen;
}

}  // namespace

ProgramScreens CreateProgramScreens(QWidget* rootWindow)
{
    projectmgr::CProjectMgrDlg::SetOptionsDialog([](QWidget* owner) { RunProgramOptions(owner); });

    ProgramScreens screens;
    screens.help = Page(new CHtmlViewDlg(rootWindow), 0);
    QPointer<measure::CSensorDlg> sensors = Page(new measure::CSensorDlg(rootWindow), kTextSensors);
    QPointer<MeasurementScreen> measurement = Page(new MeasurementScreen(rootWindow), kTextMeasure);
    QPointer<analysis::CAnalyzeDlg> analysis = Page(new analysis::CAnalyzeDlg(rootWindow), kTextAnalyse);
    QPointer<projectmgr::CProjectMgrDlg> projects = Page(new projectmgr::CProjectMgrDlg(rootWindow), kTextProjects);

    screens.sensors = sensors.data();
    screens.measurement = measurement.data();
    screens.analysis = analysis.data();
    screens.projects = projects.data();
    screens.stopMonitor = [sensors] {
        if (sensors)
            sensors->StopMonitor();
    };
    screens.stopMeasure = [measurement] {
        if (measurement)
            measurement->StopMeasure();
    };
    screens.activateAnalysis = [analysis] {
        if (analysis)
            analysis->ActivateAnalysis();
    };
    screens.saveWorkingCopy = [projects] {
        if (projects)
            projects->SaveProject();
    };
    return screens;
}

}  // namespace shell
