// The program's start-up, navigation, PC-link mode and end, through the real root window and
// screens offscreen, against the simulated logger run in-process.
#include "ShellTestSupport.h"

#include "devicelink/sensor/CVRDPCSync.h"
#include "devicelink/sensor/PowerTimeouts.h"
#include "logger/analysis/CAnalyzeDlg.h"
#include "logger/monitor/CSensorDlg.h"
#include "logger/project/WorkingCopySession.h"
#include "logger/projectmgr/core/ProjectTexts.h"
#include "logger/projectmgr/CProjectMgrDlg.h"
#include "logger/shell/CHtmlViewDlg.h"
#include "logger/shell/core/ShellTexts.h"
#include "logger/shell/CProgramOptDlg.h"
#include "logger/shell/HelpPages.h"
#include "uikit/button/CButtonST.h"
#include "uikit/events/ScreenMessages.h"
#include "uikit/msgbox/MessageBoxRules.h"
#include "uikit/msgbox/MessageBoxRules.h"
#include "uikit/resources/DataFolder.h"

#include <QApplication>
#include <QChildEvent>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <cstdio>

namespace {

namespace fs = std::filesystem;
using shell::CVRDMainAppDlg;
using shelltest::CodeWatch;
namespace fs = std::filesystem;
using uikit::CVRDCommonBase;

class RootWindow : public shelltest::RootWindowTest {
protected:
    // The logger of the classroom scenario and the program up on it.
    void StartUp()
    {
        StartLogger("classroom.ini");
        StartProgram();
        ASSERT_TRUE(WaitForStartUp());
        ASSERT_FALSE(root->IsFinished()) << (shown.empty() ? "" : shown.back().first.toStdString());
    }
    std::vector<QWidget*> Screens() const
    {
        const shell::ProgramScreens& s = root->Screens();
        return {s.help, s.sensors, s.measurement, s.analysis, s.projects};
    }
    int VisibleScreens() const
    {
        int n = 0;
        for (QWidget* screen : Screens())
            n += screen && screen->isVisible() ? 1 : 0;
        return n;
    }
    static void Post(int code) { CVRDCommonBase::PostToScreen(uikit::kSlotRoot, code); }
};

// Keeps the root window's children in the order they were made.
class ChildWatch : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::ChildAdded)
            children.push_back(static_cast<QChildEvent*>(event)->child());
        return false;
    }
    std::vector<QPointer<QObject>> children;
};

TEST_F(RootWindow, StartUpPacesTheStepsLoadsTheCatalogueAndShowsTheMonitor)
{
    ChildWatch made;
    StartLogger("classroom.ini");
    StartProgram();
    root->installEventFilter(&made);
    ASSERT_TRUE(WaitForStartUp());
    ASSERT_FALSE(root->IsFinished());
    // The four steps, each first posted in this order.
    std::vector<int> firsts;
    for (int code : rootCodes->codes) {
        if (code >= uikit::WM_STARTUP_SHOW && code <= uikit::WM_STARTUP_BEGIN &&
            std::find(firsts.begin(), firsts.end(), code) == firsts.end())
            firsts.push_back(code);
    }
    EXPECT_EQ(firsts, (std::vector<int>{uikit::WM_STARTUP_BEGIN, uikit::WM_STARTUP_CATALOGUE,
                                        uikit::WM_STARTUP_SCREENS, uikit::WM_STARTUP_SHOW}));
    devicelink::CNI2CSensor* sensor = CVRDCommonBase::GetSensor();
    ASSERT_NE(sensor, nullptr);
    EXPECT_FALSE(sensor->catalogue().accessRecords().empty()) << "the catalogue of the data folder";
    EXPECT_NE(sensor->firmwareVersion(), 0u);

    // The five screens in the order they were made, with their window texts.
    std::vector<QWidget*> screens;
    for (const QPointer<QObject>& child : made.children) {
        if (child && child->isWidgetType())
            screens.push_back(static_cast<QWidget*>(child.data()));
    }
    const shell::ProgramScreens& s = root->Screens();
    EXPECT_EQ(screens, (std::vector<QWidget*>{s.help, s.sensors, s.measurement, s.analysis, s.projects}));
    EXPECT_STREQ(s.help->metaObject()->className(), "shell::CHtmlViewDlg");
    EXPECT_STREQ(s.sensors->metaObject()->className(), "monitor::CSensorDlg");
    EXPECT_EQ(s.measurement, CVRDCommonBase::GetScreen(uikit::kSlotMeasurement));
    EXPECT_STREQ(s.analysis->metaObject()->className(), "analysis::CAnalyzeDlg");
    EXPECT_STREQ(s.projects->metaObject()->className(), "projectmgr::CProjectMgrDlg");
    EXPECT_EQ(s.sensors->windowTitle(), Text(shell::kTextSensors));
    EXPECT_EQ(s.measurement->windowTitle(), Text(shell::kTextMeasure));
    EXPECT_EQ(s.analysis->windowTitle(), Text(shell::kTextAnalyse));
    EXPECT_EQ(s.projects->windowTitle(), Text(shell::kTextProjects));

    EXPECT_EQ(CVRDCommonBase::GetFrontScreen(), root->Screens().sensors);
    EXPECT_EQ(VisibleScreens(), 1);
    EXPECT_TRUE(root->TimerRunning(CVRDMainAppDlg::kPollTimer));
    EXPECT_TRUE(root->TimerRunning(CVRDMainAppDlg::kRedrawTimer));
    EXPECT_FALSE(root->TimerRunning(CVRDMainAppDlg::kStartupTimer));
    EXPECT_TRUE(CVRDCommonBase::IsKeyFilterEnabled());
    EXPECT_FALSE(root->StartupThreadRunning() && root->StartupStateNow() != shell::StartupState::Done);
}

TEST_F(RootWindow, AFolderWithoutTheCatalogueIsNoDataFolderAndTheProgramSaysWhereItLooked)
{
    StartLogger();
    StartProgram({"sensor_korean.xml"});
    ASSERT_TRUE(SpinUntil([&] { return root->IsFinished(); }, 8000));
    EXPECT_EQ(exitCodes, std::vector<int>{CVRDMainAppDlg::kExitStartFailed});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].type, uikit::kBoxTypeWaitingNotice) << "the reason stays until OK";
    EXPECT_EQ(shown[0].first, Text(uikit::kTextDataFolderMissing));
    EXPECT_TRUE(shown[0].second.contains(QStringLiteral("sensor_korean.xml"))) << shown[0].second.toStdString();
    EXPECT_TRUE(shown[0].second.contains(QString::fromStdString(dataFolder.string())));
    // The test program has no install or build folder beside it: those were looked in too.
    EXPECT_TRUE(shown[0].second.contains(QStringLiteral("/share/corvik")));
    EXPECT_EQ(root->Screens().sensors, nullptr) << "no screen is made";
    EXPECT_FALSE(root->StartupThreadRunning());
    EXPECT_FALSE(CVRDCommonBase::IsInitialised());
    EXPECT_FALSE(fs::exists(dataFolder / "temp_project.vrd.lock")) << "no working copy is begun";
    EXPECT_FALSE(fs::exists(dataFolder / "temp_project.vrd"));
}

// A data folder whose catalogue is there but is no catalogue: the start goes as far as reading it.
void DamageCatalogue(const fs::path& data)
{
    std::FILE* file = std::fopen((data / "sensor_korean.xml").c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("this is no catalogue", file);
    std::fclose(file);
}

TEST_F(RootWindow, AnUnreadableCatalogueEndsTheProgramWithItsReasonAndLeavesNoLock)
{
    StartLogger();
    StartProgram({"sensor_korean.xml"}, DamageCatalogue);
    ASSERT_TRUE(SpinUntil([&] { return root->IsFinished(); }, 8000));
    EXPECT_EQ(exitCodes, std::vector<int>{CVRDMainAppDlg::kExitStartFailed});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].type, 6);
    EXPECT_EQ(shown[0].first, Text(shell::kTextCatalogueUnreadable));
    EXPECT_TRUE(shown[0].second.endsWith(QStringLiteral("/sensor_korean.xml")));
    EXPECT_EQ(root->Screens().sensors, nullptr);
    EXPECT_FALSE(fs::exists(dataFolder / "temp_project.vrd.lock")) << "the lock goes with the program";
}

// A start that goes no further than the catalogue still gives the machine back the suspend
// time-outs a killed session left held.
TEST_F(RootWindow, AFailedStartStillPutsBackAKilledSessionsSuspendTimeOuts)
{
    using platform::RegistryRoot;
    const auto write = [&](const char* name, uint32_t seconds) {
        registry.WriteDword(RegistryRoot::LocalMachine, devicelink::kPowerTimeoutsKey, name, seconds);
    };
    const auto read = [&](const char* name) {
        uint32_t seconds = 0xDEAD;
        registry.ReadDword(RegistryRoot::LocalMachine, devicelink::kPowerTimeoutsKey, name, seconds);
        return seconds;
    };
    write(devicelink::kBatterySuspendValue, 0);
    write(devicelink::kMainsSuspendValue, 0);
    write(devicelink::kHeldBatterySuspendValue, 300);
    write(devicelink::kHeldMainsSuspendValue, 600);
    StartLogger();
    StartProgram({"sensor_korean.xml"}, DamageCatalogue);
    ASSERT_TRUE(SpinUntil([&] { return root->IsFinished(); }, 8000));
    EXPECT_EQ(read(devicelink::kBatterySuspendValue), 300u);
    EXPECT_EQ(read(devicelink::kMainsSuspendValue), 600u);
    EXPECT_EQ(read(devicelink::kHeldBatterySuspendValue), 0xDEADu);
    EXPECT_EQ(read(devicelink::kHeldMainsSuspendValue), 0xDEADu);
}

// The project a killed session left is kept and the notice naming it waits to be answered; with
// ten backups already there the oldest goes, and the notice says so.
TEST_F(RootWindow, AKeptProjectIsToldUntilAnsweredAndOldBackupsGo)
{
    const fs::path data = folder.Path() / ("data" + std::to_string(starts + 1));
    fs::create_directories(data);
    for (int i = 0; i < project::WorkingCopySession::kKeptBackups; ++i) {
        const fs::path old = data / ("temp_project-2026010" + std::to_string(i) + "-080000.vrd");
        projecttest::WriteBytes(old.string(), {1});
        fs::last_write_time(old, fs::file_time_type::clock::now() - std::chrono::hours(24 * (20 - i)));
    }
    projecttest::WriteBytes((data / "temp_project.vrd").string(), std::vector<uint8_t>(4000, 0x41));
    StartUp();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].type, uikit::kBoxTypeWaitingNotice);
    EXPECT_EQ(shown[0].first, Text(projectmgr::kTextBackupKeptOlderRemoved));
    EXPECT_TRUE(fs::exists(shown[0].second.toStdString())) << shown[0].second.toStdString();
    EXPECT_FALSE(fs::exists(data / "temp_project-20260100-080000.vrd")) << "the oldest";
    EXPECT_TRUE(fs::exists(data / "temp_project-20260101-080000.vrd"));
}

TEST_F(RootWindow, EachNavigationCodeShowsItsTargetTellsItAndHidesThePrevious)
{
    StartUp();
    const shell::ProgramScreens& s = root->Screens();
    struct Step {
        int code;
        QWidget* target;
        bool told;  // the analysis screen is activated, not told
    };
    const Step steps[] = {
        {uikit::WM_GOTO_PROJECTS, s.projects, true},
        {uikit::WM_GOTO_MEASUREMENT, s.measurement, true},
        {uikit::WM_GOTO_ANALYSIS, s.analysis, false},
        {uikit::WM_GOTO_SENSORS, s.sensors, true},
        {uikit::WM_GOTO_SENSORS, s.sensors, true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.code);
        QWidget* before = CVRDCommonBase::GetFrontScreen();
        CodeWatch watch(step.target);
        Post(step.code);
        ASSERT_TRUE(SpinUntil([&] { return CVRDCommonBase::GetFrontScreen() == step.target; }));
        Spin(50);
        EXPECT_TRUE(step.target->isVisible());
        EXPECT_EQ(watch.Count(uikit::WM_SCREEN_SHOW), step.told ? 1 : 0);
        EXPECT_TRUE(before == step.target || !before->isVisible());
        EXPECT_EQ(VisibleScreens(), 1);
    }
}

TEST_F(RootWindow, TwoQuickRequestsLeaveOnlyTheSecondScreen)
{
    StartUp();
    Post(uikit::WM_GOTO_PROJECTS);
    Post(uikit::WM_GOTO_MEASUREMENT);
    ASSERT_TRUE(SpinUntil([&] { return CVRDCommonBase::GetFrontScreen() == root->Screens().measurement; }));
    Spin(100);
    EXPECT_EQ(VisibleScreens(), 1);
    EXPECT_TRUE(root->Screens().measurement->isVisible());
}

TEST_F(RootWindow, TheHelpRequestRemembersTheReturnScreenAndBackGoesThere)
{
    StartUp();
    Post(uikit::WM_GOTO_PROJECTS);
    ASSERT_TRUE(SpinUntil([&] { return CVRDCommonBase::GetFrontScreen() == root->Screens().projects; }));
    const QString page = shell::HelpPagePath(QString::fromLatin1(shell::kQuickStartGuidePage));
    ASSERT_EQ(shell::OpenHelpPage(page), 1);
    auto* help = static_cast<shell::CHtmlViewDlg*>(root->Screens().help.data());
    ASSERT_TRUE(SpinUntil([&] { return help->isVisible() && !help->History().Empty(); }));
    EXPECT_EQ(QString::fromStdU16String(help->History().Current().address), page);
    EXPECT_FALSE(root->Screens().projects->isVisible());

    help->Button(shell::CHtmlViewDlg::kCloseButtonId)->click();
    ASSERT_TRUE(SpinUntil([&] { return root->Screens().projects->isVisible(); }));
    EXPECT_FALSE(help->isVisible());
    EXPECT_EQ(CVRDCommonBase::GetFrontScreen(), root->Screens().projects);
}

TEST_F(RootWindow, TheProjectManagersOptionsItemOpensTheOptionsDialog)
{
    StartUp();
    Post(uikit::WM_GOTO_PROJECTS);
    ASSERT_TRUE(SpinUntil([&] { return CVRDCommonBase::GetFrontScreen() == root->Screens().projects; }));
    QString opened;
    QTimer::singleShot(100, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            opened = QString::fromLatin1(dialog->metaObject()->className());
            static_cast<QDialog*>(dialog)->reject();
        }
    });
    static_cast<projectmgr::CProjectMgrDlg*>(root->Screens().projects.data())
        ->RunCommand(projectmgr::CProjectMgrDlg::kOptions);
    EXPECT_EQ(opened, QStringLiteral("shell::CProgramOptDlg"));
}

// Whatever is deleted at the end, in the order it went.
class LoggedSensor : public devicelink::CNI2CSensor {
public:
    explicit LoggedSensor(std::vector<std::string>& log) : log_(log) {}
    ~LoggedSensor() override { log_.push_back("sensor"); }

private:
    std::vector<std::string>& log_;
};

TEST_F(RootWindow, QuitAndACloseRequestTakeEverythingDownInOrder)
{
    for (const bool byClose : {false, true}) {
        SCOPED_TRACE(byClose ? "close request" : "WM_APP_QUIT");
        std::vector<std::string> log;
        common.makeSensor = [&log] { return std::make_unique<LoggedSensor>(log); };
        exitCodes.clear();
        StartUp();
        const shell::ProgramScreens& s = root->Screens();
        const std::pair<QWidget*, const char*> screens[] = {
            {s.help, "help"}, {s.sensors, "sensors"}, {s.measurement, "measurement"},
            {s.analysis, "analysis"}, {s.projects, "projects"}};
        for (const auto& [screen, name] : screens)
            QObject::connect(screen, &QObject::destroyed, [&log, name = name] { log.push_back(name); });
        // The monitor runs its wait thread on the logger's live readings.
        ASSERT_TRUE(SpinUntil([&] {
            return static_cast<monitor::CSensorDlg*>(s.sensors.data())->Monitor().PassCount() > 0;
        }, 5000));

        if (byClose)
            root->close();
        else
            Post(uikit::WM_APP_QUIT);
        ASSERT_TRUE(SpinUntil([&] { return root->IsFinished(); }));
        EXPECT_EQ(exitCodes, std::vector<int>{CVRDMainAppDlg::kExitOk});
        EXPECT_EQ(log, (std::vector<std::string>{"projects", "analysis", "measurement", "sensors", "help", "sensor"}));
        EXPECT_FALSE(root->StartupThreadRunning());
        EXPECT_FALSE(CVRDCommonBase::IsInitialised());
        EXPECT_FALSE(CVRDCommonBase::IsKeyFilterEnabled());
        root.reset();
        sim->Stop();
        sim.reset();
    }
}

TEST_F(RootWindow, APlugAndAPullRunTheirBoxesAndTheMonitorIsRefreshed)
{
    pollMs = 100;
    StartLogger();
    StartProgram();
    ASSERT_TRUE(WaitForStartUp());
    const size_t before = shown.size();
    CodeWatch monitor(root->Screens().sensors);
    sim->Command("plug 1 R75");
    ASSERT_TRUE(SpinUntil([&] { return shown.size() > before; }, 5000));
    EXPECT_EQ(shown[before].type, 0);
    ASSERT_TRUE(SpinUntil([&] { return monitor.Count(uikit::WM_SCREEN_REFRESH) == 1; }, 5000));
    EXPECT_EQ(CVRDCommonBase::GetSensor()->connected(1), 1) << "the box ran detection";

    sim->Command("pull 1");
    ASSERT_TRUE(SpinUntil([&] { return shown.size() > before + 1; }, 5000));
    EXPECT_EQ(shown[before + 1].type, 1);
    ASSERT_TRUE(SpinUntil([&] { return monitor.Count(uikit::WM_SCREEN_REFRESH) == 2; }, 5000));
    EXPECT_EQ(CVRDCommonBase::GetSensor()->connected(1), 0);
    EXPECT_TRUE(root->TimerRunning(CVRDMainAppDlg::kPollTimer));
}

TEST_F(RootWindow, ALostLoggerEndsTheProgramWithTheMessageInOrder)
{
    pollMs = 50;
    StartUp();
    ASSERT_TRUE(sim->AddFault("0x10000011 disconnect"));
    ASSERT_TRUE(SpinUntil([&] { return root->IsFinished(); }, 10000));
    EXPECT_EQ(exitCodes, std::vector<int>{CVRDMainAppDlg::kExitLoggerLost});
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().type, 6);
    EXPECT_EQ(shown.back().first, Text(shell::kTextLoggerLost));
    EXPECT_EQ(shown.back().second, Text(shell::kTextRecordingKept));
    EXPECT_FALSE(CVRDCommonBase::IsInitialised());
}

TEST_F(RootWindow, PcLinkModeShowsItsTextsAndReturnsToTheMonitor)
{
    StartUp();
    Post(uikit::WM_GOTO_PROJECTS);
    ASSERT_TRUE(SpinUntil([&] { return CVRDCommonBase::GetFrontScreen() == root->Screens().projects; }));

    Post(uikit::WM_PCSYNC_ENTER);
    ASSERT_TRUE(SpinUntil([&] { return root->InPcSyncMode(); }));
    EXPECT_EQ(root->PcSyncText(), Text(shell::kTextPcSyncReceiving));
    EXPECT_EQ(VisibleScreens(), 0);
    EXPECT_TRUE(root->PcSync().event().IsSet()) << "the link's own event";
    EXPECT_TRUE(root->TimerRunning(CVRDMainAppDlg::kPcSyncTimer));

    Post(uikit::WM_PCSYNC_DONE);
    ASSERT_TRUE(SpinUntil([&] { return root->PcSyncText() == Text(shell::kTextPcSyncDone); }));
    EXPECT_FALSE(root->TimerRunning(CVRDMainAppDlg::kPollTimer));
    EXPECT_FALSE(root->TimerRunning(CVRDMainAppDlg::kPcSyncTimer));

    Post(uikit::WM_PCSYNC_LEAVE);
    ASSERT_TRUE(SpinUntil([&] { return root->PcSyncText() == Text(shell::kTextPcSyncLeaving); }));
    EXPECT_TRUE(root->InPcSyncMode()) << "the leaving text stays a second, without blocking";
    ASSERT_TRUE(SpinUntil([&] { return !root->InPcSyncMode(); }, 3000));
    EXPECT_EQ(CVRDCommonBase::GetFrontScreen(), root->Screens().sensors);
    EXPECT_TRUE(root->Screens().sensors->isVisible());
    EXPECT_TRUE(root->TimerRunning(CVRDMainAppDlg::kPollTimer));
}

TEST(PlovexLogger, ExportsFireEventAndFireEvent2)
{
    const std::string command = "nm -D --defined-only '" PLOVEX_LOGGER_PATH "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string symbols;
    char buffer[4096];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        symbols.append(buffer, n);
    ASSERT_EQ(::pclose(pipe), 0) << command;
    EXPECT_NE(symbols.find(" T FireEvent\n"), std::string::npos);
    EXPECT_NE(symbols.find(" T FireEvent2\n"), std::string::npos);
}

}  // namespace
