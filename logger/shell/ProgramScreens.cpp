#include "logger/shell/ProgramScreens.h"

#include "logger/analysis/CAnalyzeDlg.h"
#include "logger/measure/CMeasurmentDlg.h"
#include "logger/monitor/CSensorDlg.h"
#include "logger/notes/CNoteDlg.h"
#include "logger/projectmgr/CProjectMgrDlg.h"
#include "logger/sensorsetup/SetupDialogs.h"
#include "logger/shell/CHtmlViewDlg.h"
#include "logger/shell/core/ShellTexts.h"
#include "logger/shell/CProgramOptDlg.h"
#include "logger/shell/ScreenServices.h"
#include "uikit/common/CVRDCommonBase.h"

namespace shell {

namespace {

template <typename Screen>
Screen* Page(Screen* screen, int windowTextId)
{
    if (windowTextId != 0)
        screen->setWindowTitle(uikit::CVRDCommonBase::LoadText(windowTextId, kWindowTextChars));
    screen->hide();
    return screen;
}

// The shell's dialogs the screens open; the message box, the file dialog and the help viewer's
// commands and outside links stay the screens' own.
ScreenServices ProgramScreenServices()
{
    ScreenServices services;
    services.editNote = notes::EditNoteRecord;
    services.editChartNote = [](QWidget* owner, project::NoteRecord* note, project::GraphNote* chartNote, QPoint at) {
        notes::CNoteDlg dialog(owner);
        if (dialog.SetTarget(note, chartNote, at.x(), at.y()) == 0)
            return false;
        return dialog.exec() == notes::CNoteDlg::kResultOk;
    };
    services.runOptions = [](QWidget* owner) { RunProgramOptions(owner); };
    return services;
}

}  // namespace

ProgramScreens CreateProgramScreens(QWidget* rootWindow)
{
    const ScreenServices services = ProgramScreenServices();
    ProgramScreens screens;
    screens.help = Page(new CHtmlViewDlg(rootWindow, services), 0);
    QPointer<monitor::CSensorDlg> sensors = Page(new monitor::CSensorDlg(rootWindow), kTextSensors);
    QPointer<measure::CMeasurmentDlg> measurement =
        Page(new measure::CMeasurmentDlg(rootWindow, services), kTextMeasure);
    // The measurement screen's sensor button opens the same set-up dialog as the monitor's.
    measurement->SetSetupDialogRunner([page = measurement](const monitor::SetupRequest& request) {
        return page ? sensorsetup::RunSetupDialog(page, request) : monitor::kDialogCancel;
    });
    QPointer<analysis::CAnalyzeDlg> analysis = Page(new analysis::CAnalyzeDlg(rootWindow, services), kTextAnalyse);
    QPointer<projectmgr::CProjectMgrDlg> projects =
        Page(new projectmgr::CProjectMgrDlg(rootWindow, services), kTextProjects);

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
    screens.holdsUnsavedRun = [projects] { return projects && projects->HoldsUnsavedRun(); };
    screens.saveProjectElsewhere = [projects] { return projects && projects->SaveProjectElsewhere(); };
    screens.saveProjectTo = [projects](const std::string& path) {
        return projects && projects->SaveProjectTo(path) == project::ProjectResult::Ok;
    };
    return screens;
}

}  // namespace shell
